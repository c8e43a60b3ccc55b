#pragma once

#include "client/core/features.h"
#include "client/features/ambroroom.h"
#include "client/features/ambrosite.h"
#include "client/features/transcriptfile.h"
#include "net/bufferedcomponents.h"
#include "platform/ui/filedialogs.h"
#include "platform/ui/form.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QComboBox;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QTextEdit;
class QTimer;
class QToolButton;
class QWidget;
class TQORForm;
struct TChatRoom;

// The first line that opens a window in site mode.
inline constexpr const char* kSiteMarker = "\xB6" "ambro";

// One conversation: a chat with a buddy (keyed by its name), the conference
// this user hosts ("Conference*") or one joined ("host*"), or, opened with the
// site marker, a room of a site's IRC server. Peer lines travel as rich text
// and the peer protocol keeps who is in the window; a site's lines are the
// room's (TAmbroRoom), and this window shows them and owns their socket.
class TForm14 final : public TForm {
public:
    static constexpr int kMaxInput = 500;
    static constexpr int kFlashInterval = 500;

    TForm14(const std::string& key, const std::string& firstLine);
    ~TForm14() override;

    const std::string& Key() const { return m_key; }
    // The session's room of this window; nullptr once the session forgot it
    // (sign-off, going offline): the window then takes and sends nothing until
    // a new room of its key makes it rejoin.
    TChatRoom* ChatRoom() const;
    std::uint64_t Serial() const { return m_serial; }
    // A window left from an earlier session becomes the window of the session's new room of its key.
    void Rejoin();
    // Opened for a site: it never speaks the peer protocol, whatever its key.
    bool SiteWindow() const { return m_siteWindow; }

    // The window's first showing: settings, then the person list and telling the
    // host we came, or in site mode the site's rooms and the connection.
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
    // Saves the transcript there; from now on every change is saved to it. A
    // failure is told once, until a save succeeds again.
    bool SaveTo(const std::string& path);
    void RepeatText();
    void SetSound(bool on);

    // Site mode.
    void ShowSaid(const std::string& name, const std::string& text);
    void WhisperClick();
    void RoomClick(const std::string& room);
    TAmbroRoom& Room() { return m_room; }

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
    QMenu* IRCRooms { nullptr };
    QWidget* WhisperPanel { nullptr };
    QPushButton* Whisper { nullptr };
    QAction* InviteMenu { nullptr };
    QAction* Sound1 { nullptr };
    QAction* Cut1 { nullptr };
    QAction* Copy1 { nullptr };
    QAction* Paste1 { nullptr };
    QAction* PopupCut { nullptr };
    QAction* PopupCopy { nullptr };
    QAction* PopupPaste { nullptr };
    TTextClient TextClient1;  // site mode only
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
    // Keeps the saved file with the transcript: what was added from mark on, or all of it.
    void SaveGrowth(const class QTextCursor& mark);
    void SaveChange();
    void Saved(bool ok);
    void ShowSite();
    void ConnectSite(const TAmbroSite& site);
    void SendSiteInput();
    void ShowRoom();

    std::string m_key;
    std::uint64_t m_serial { 0 };
    std::string m_firstLine;
    std::string m_lastSent;
    TTranscriptFile m_transcriptFile;
    bool m_saveFailed { false };
    int m_fontSize { 11 };
    bool m_flashPhase { false };
    bool m_trimming { false };
    bool m_siteWindow { false };
    TAmbroRoom m_room;
    // What of the room the window already shows.
    std::size_t m_shownLines { 0 };
    std::size_t m_shownClears { 0 };
    std::size_t m_shownPersons { 0 };
    bool m_showPending { false };
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
