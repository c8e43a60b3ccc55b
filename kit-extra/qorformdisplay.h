#pragma once

#include "kit-extra/qorctrl.h"

#include <QPointer>

#include <string>

class TForm;

// A bevel panel that shows another form of the program inside itself, found by name.
class TQORFormDisplay final : public TQORCustomBevelPanel {
public:
    explicit TQORFormDisplay(QWidget* parent = nullptr) : TQORCustomBevelPanel(parent) {}
    ~TQORFormDisplay() override;

    // Kept for the stored forms; it changes nothing at run time.
    bool SaveResources { false };

    const std::string& FormName() const { return m_formName; }
    // Shows the first form of that name; a blank name frees the form shown.
    void SetFormName(const std::string& value);
    // Embeds form (freeing the one shown before); no form raises an exception, and
    // a form that holds the display is refused, leaving everything as it was.
    void ShowForm(TForm* form);
    TForm* Form() const { return m_form; }

    void Changed(TQORObject* sender) override;
    void Paint(QImage& canvas) override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void showNamed(const std::string& name);
    // True when form is the display's parent, or a parent of one, at any depth.
    bool holds(const QWidget* form) const;
    void dropForm();
    void placeForm();

    std::string m_formName;
    QPointer<TForm> m_form;
    bool m_destroying { false };
};
