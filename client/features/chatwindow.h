#pragma once

#include "client/core/peerhooks.h"
#include "platform/ui/filedialogs.h"
#include "platform/ui/form.h"

#include <memory>
#include <string>
#include <vector>

class QAction;
class QComboBox;
class QLabel;
class QListWidget;
class QMenu;
class QTextEdit;
class QTimer;
class QToolButton;
class QWidget;
class TQORForm;

// One conversation: a chat with a buddy (keyed by its name), the conference
// this user hosts ("Conference*") or one joined ("host*"). Lines travel as rich
// text; the peer protocol keeps who is in the window, this shows it.
class TForm14 final : public TForm {
public:
    static constexpr int kMaxInput = 500;
    static constexpr int kFlashInterval = 500;

    TForm14(const std::string& key, const std::string& firstLine);
    ~TForm14() override;

    const std::string& Key() const { return m_key; }

    // The window's first showing: settings, person list, and telling the host we came.
    void ShowChat();
    // Rich text into the transcript or the input, replacing the input's selection.
    void AppendRichText(const std::string& text, QTextEdit* target);
    // Enter in the input: the line is shown and sent.
    void SendInput();
    void SetPersons(const std::vector<std::string>& persons);
    void SetInviteItems(const std::vector<std::string>& hints);
    void ShowNotice(peerhooks::ChatNotice notice, const std::string& name);
    void SendMemberList(const std::string& newcomer);
    void InviteClick(const std::string& name);
    void StopFlashing();
    bool Flashing() const;
    // Saves the transcript there; from now on every change is saved to it.
    bool SaveTo(const std::string& path);
    void RepeatText();
    void SetSound(bool on);

    QTextEdit* Memo2 { nullptr };  // the transcript
    QTextEdit* memo3 { nullptr };  // the input
    QListWidget* ListBox1 { nullptr };
    QLabel* Panel2 { nullptr };
    QWidget* ListPanel { nullptr };
    QWidget* Panel5 { nullptr };
    QToolButton* SpeedButton1 { nullptr };  // Font Color
    QToolButton* SpeedButton3 { nullptr };  // Normal Font
    QToolButton* SpeedButton5 { nullptr };  // Bold
    QToolButton* SpeedButton6 { nullptr };  // Italic
    QToolButton* SpeedButton7 { nullptr };  // Underline
    QToolButton* SpeedButton8 { nullptr };  // Repeat Last Text
    QComboBox* ComboBox1 { nullptr };       // Font Size
    QLabel* StatusPanel0 { nullptr };
    QTimer* Timer1 { nullptr };
    QMenu* Invite1 { nullptr };
    QAction* InviteMenu { nullptr };
    QAction* Sound1 { nullptr };
    QAction* Cut1 { nullptr };
    QAction* Copy1 { nullptr };
    QAction* Paste1 { nullptr };
    QAction* PopupCut { nullptr };
    QAction* PopupCopy { nullptr };
    QAction* PopupPaste { nullptr };
    TSaveDialog SaveDialog1;
    std::unique_ptr<TQORForm> QORForm1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildMenus(QWidget* menuBar);
    void BuildFormatBar();
    void UpdatePaste();
    void InputSelectionChanged();
    void ApplyFormat(const std::function<void(class QTextCharFormat&)>& change, bool selectionOnly);
    void ApplyFontSize(int size);
    void KeepInputShort();
    void SaveIfNamed();

    std::string m_key;
    std::string m_firstLine;
    std::string m_lastSent;
    std::string m_savePath;
    int m_fontSize { 11 };
    bool m_flashPhase { false };
    bool m_trimming { false };
};

// Every notice a window composes: the header, then its body with the name.
std::string JoinedNotice(const std::string& name);
std::string LeftNotice(const std::string& name);
std::string HostClosedNotice(const std::string& name);
std::string BuddyGoneNotice(const std::string& name);
std::string WindowClosedNotice(const std::string& name);
std::string InvitationText(const std::string& me);
// The sender's line: its name in bold put after the first paragraph mark.
std::string WithSpeaker(const std::string& rtf, const std::string& me);
