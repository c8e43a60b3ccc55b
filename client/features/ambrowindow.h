#pragma once

#include "client/features/ambroroom.h"
#include "client/features/ambrosite.h"
#include "net/bufferedcomponents.h"
#include "platform/ui/form.h"

#include <memory>
#include <string>

class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QAction;
class QTimer;

// The chat window in site mode: a room of the site's IRC server, with the
// transcript, the person list, the rooms menu and the whisper button. The
// room's rules are TAmbroRoom's; this window shows them and owns the socket.
class TAmbroWindow final : public TForm {
public:
    // The window for a site named in the program folder's ambro.inf.
    explicit TAmbroWindow(const std::string& sitename);
    ~TAmbroWindow() override;

    // Show in site mode: reads the site file, builds the rooms menu and connects.
    void ShowSite();
    void Enter();
    void WhisperClick();
    void RoomClick(const std::string& room);

    const std::string& Sitename() const { return m_sitename; }
    TAmbroRoom& Room() { return m_room; }

    QMenuBar* MainMenu { nullptr };
    QMenu* IRCRooms { nullptr };
    QAction* SoundItem { nullptr };
    QPlainTextEdit* Memo2 { nullptr };
    QLineEdit* memo3 { nullptr };
    QLabel* Panel2 { nullptr };
    QListWidget* ListBox1 { nullptr };
    QPushButton* Whisper { nullptr };
    QLabel* StatusBar1 { nullptr };
    QTimer* Timer1 { nullptr };
    TTextClient TextClient1;

protected:
    void changeEvent(QEvent* event) override;

private:
    void ShowRoom();
    void Disconnect();

    std::string m_sitename;
    TAmbroRoom m_room;
    std::size_t m_shownLines { 0 };
    std::size_t m_shownClears { 0 };
    std::size_t m_shownPersons { 0 };
    bool m_flashPhase { false };
    bool m_showPending { false };
};

// The open site window of a site, nullptr when there is none.
TAmbroWindow* FindSiteWindow(const std::string& sitename);
// Opens (or raises) the site window of a site.
void OpenSiteWindow(const std::string& sitename);
