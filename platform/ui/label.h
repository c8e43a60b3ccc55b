#pragma once

#include <QLabel>

// A caption on a form, drawn as the classic labels draw theirs: "&x" shows x
// underlined, "&&" shows one "&" (unless accelerators are off), a carriage return
// (alone or before a line feed) starts a new line. Alt with the underlined letter focuses FocusControl.
// text() stays the caption as set, ampersands and all.
class TLabel : public QLabel {
public:
    explicit TLabel(QWidget* parent = nullptr);
    TLabel(const QString& caption, QWidget* parent);

    QWidget* FocusControl() const { return buddy(); }
    void SetFocusControl(QWidget* control) { setBuddy(control); }

    // The caption as it shows: accelerator marks gone, a line feed at each line break.
    QString ShownText() const;
    // Off for a caption that holds someone else's text: every '&' then shows as itself.
    void SetShowAccelChar(bool show);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_showAccelChar { true };
};

// The room a label leaves its text, as QLabel lays it out: inside the frame and margin,
// less the indent on the aligned sides.
QRect LabelTextArea(const QLabel& label);
