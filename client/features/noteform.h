#pragma once

#include "platform/ui/form.h"
#include "platform/ui/label.h"

#include <string>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// The small note window: writes a Nivlet, and shows a received one, a quick tip
// or a due reminder.
class TForm8 final : public TForm {
public:
    enum TKind { nkNote = 0, nkQuickTip = 1, nkReminder = 2 };

    TForm8();

    QLabel* Image1 { nullptr };
    QLabel* title { nullptr };
    QLabel* Label3 { nullptr };
    TLabel* Label1 { nullptr };
    TLabel* Label2 { nullptr };
    QPlainTextEdit* Memo1 { nullptr };
    QPushButton* SpeedButton1 { nullptr };
    QPushButton* SpeedButton2 { nullptr };
    QPushButton* SpeedButton3 { nullptr };
    QPushButton* Button1 { nullptr };
    QCheckBox* gotit { nullptr };

    std::string Addressee;
    std::string Sender;
    std::string LinkField;
    TColor NoteColor { clYellow };
    // Opened by a note's arrival rather than by the user.
    bool OpenedOnArrival { false };

    // Fills the window for a received note, a tip or a reminder.
    void ShowNote(const std::string& from, const std::string& linkField, const std::string& text, TKind kind);
    // Fills the window for writing to a buddy.
    void Compose(const std::string& to, const std::string& link, const std::string& text);

    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void Button1Click();
    void Label3Click();

    std::string MemoText() const;
    std::string ButtonText(QPushButton* button) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setNoteColor(TColor color);
    void setLinkBanner();
    void keepAboveScreenBottom();
    void fitMemoLines();
    void formClose(TCloseAction& action);

    QWidget* m_lowerPanel { nullptr };
    bool m_composing { false };
    bool m_sending { false };  // a note of this window is with the notes server
    bool m_dragging { false };
    QPoint m_dragFrom;
};

// Opens a note window to write to a buddy; without a connection only says so.
void ComposeNivlet(const std::string& to, const std::string& link, const std::string& text);
// A note window for a received note (0), a quick tip (1) or a reminder (2).
TForm8* ShowNoteWindow(const std::string& from, const std::string& linkField, const std::string& text, int kind);
// Sound 8, then the received note's window; neither while ten such windows are open.
void ShowNoteAlert(const std::string& from, const std::string& linkField, const std::string& text);
