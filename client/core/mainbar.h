#pragma once

#include "client/core/buddy.h"
#include "client/core/buddylist.h"
#include "client/core/mainbarwidgets.h"
#include "platform/ui/form.h"

#include <QImage>
#include <QLabel>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The product's help page, which HELP, "&Help" and F1 open.
inline constexpr const char* kHelpPage = "https://korvo.example/help/";

class QAction;
class QLineEdit;
class QMenu;
class QTimer;

// The main bar: the narrow always-on-top window the signed-on user works from,
// docked at the right screen edge, with the channel and buddy panels, the
// search box, the tool and command buttons, the status line and the buddy menu.
class TForm1 final : public TForm {
public:
    TForm1();
    ~TForm1() override;

    // --- components (client coordinates are those of ClientArea) -----------------
    QWidget* ClientArea { nullptr };
    QLabel* Label3 { nullptr };
    TPanel* Panel7 { nullptr };
    TPanel* Panel6 { nullptr };
    TPanel* Panel1 { nullptr };
    TPanel* Panel8 { nullptr };
    TPanel* ChnPanel { nullptr };
    QLabel* ChnName { nullptr };
    QLabel* Time { nullptr };
    QWidget* PaintBox1 { nullptr };
    TPanel* Panel11 { nullptr };
    TPanel* Panel2 { nullptr };
    TPanel* Panel5 { nullptr };
    TBuddyPaintBox* frCanvas1 { nullptr };
    TPanel* Panel4 { nullptr };
    QLineEdit* filter { nullptr };
    TSpeedButton* SpeedButton9 { nullptr };
    TSpeedButton* SpeedButton8 { nullptr };
    TSpeedButton* SpeedButton7 { nullptr };
    TSpeedButton* SpeedButton10 { nullptr };
    TPanel* Panel3 { nullptr };
    TSpeedButton* ActiveButton1 { nullptr };
    TSpeedButton* QORExplorerButton17 { nullptr };
    TSpeedButton* SpeedButton6 { nullptr };
    TSpeedButton* ExplorerButton14 { nullptr };
    TSpeedButton* QORExplorerButton14 { nullptr };
    TSpeedButton* ExplorerButton17 { nullptr };
    TSpeedButton* SpeedButton5 { nullptr };
    TSpeedButton* SpeedButton1 { nullptr };
    TSpeedButton* QORExplorerButton16 { nullptr };
    TSpeedButton* SpeedButton4 { nullptr };
    TSpeedButton* SpeedButton3 { nullptr };
    TSpeedButton* SpeedButton2 { nullptr };
    QLabel* StatusBar1 { nullptr };
    QMenu* PopupMenu2 { nullptr };
    QMenu* PluginsMenu { nullptr };
    QTimer* Timer2 { nullptr };

    // The buddy store (the hidden sorted list box) and its painted picture.
    TBuddyStore FriendsListBox;
    TBuddyCanvas BuddyCanvas;
    // The session list of online buddies' sockets.
    TPeerSocketList PeerSockets;

    // --- window rules ------------------------------------------------------------
    // Where the bar docks and the place Restore goes back to live in the session
    // (ResetSession docks the bar).
    void RememberRestorePlace(int top, int height);
    // Places the bar at left/top with a height the window allows, width 123.
    void PlaceBar(int left, int top, int height);
    bool Tucked() const;
    void Tuck();
    void Untuck();
    // The window's answer for a point in window coordinates (WM_NCHITTEST).
    int HitTest(int x, int y);

    void FormResize();
    void PaintBackground();
    // The gradient for a display of that many bits per pixel; none below 9.
    void PaintBackground(int colorDepth);
    const QImage& Background() const { return m_background; }
    void Panel7Click();
    void Panel6Click();
    void SpeedButton3Click();
    void FormMouseDown(TMouseButton button, TShiftState shift, int x, int y);
    // False once a right click has brought the tucked bar back: its hints stay off.
    bool ShowHints() const { return m_showHints; }

    // Sign-off is the session's (the sign-on chain sets it); the EXIT button and the
    // close box both go through it, so closing never leaves the session running.
    std::function<void()> OnSignOff;
    void SignOff();
    // The sign-off's last step: the bar really closes (and frees itself).
    void CloseForSignOff();
    // What the bar's closing leads to (the session's: back to the sign-on window).
    std::function<void()> OnClosed;
    // The session's partner, when it has one, under the name at the top.
    void ShowPartner();

    // --- commands ----------------------------------------------------------------
    void ActiveButton1MouseDown();
    void ActiveButton1MouseUp();
    bool BuddiesShowing() const;
    void QORExplorerButton17Click();
    void SpeedButton5Click() { ShowChannelMenu(); }
    void ShowChannelMenu();
    QMenu* ChannelMenu() const { return m_channelMenu.get(); }
    void SpeedButton7MouseUp(TMouseButton button);
    void SpeedButton10Click();
    void OpenWebMail(const std::string& clientName);
    void StatusBar1MouseUp(TMouseButton button);
    void UpdateStatusBar();
    void SetStatusText(const std::string& text, TColor color);
    std::string StatusText() const;
    void ShowProperties();
    void ShowHelp();
    void SendLinkClick();
    // Dropped files: the first path and the point in client coordinates.
    void WMDropFiles(const std::string& path, int x, int y);

    // --- what the session asks of the bar -------------------------------------------
    void ClearFilter();
    // Timer2, the one-second timer of the session.
    void SetTimerRunning(bool running);
    void ShowTime(const std::string& text);

    // --- buddy list: its painting, the mouse and keys on it, its menu --------------
    // Frees every buddy and forgets the online sockets and the pointer's buddy (sign-on and sign-off).
    void ClearBuddies();
    void PaintBuddyList();
    void RefreshBuddyList();
    // One repaint at the next turn of the loop, however many buddies changed before it:
    // a peer's stream of status lines repaints the list once, not once a line.
    void RefreshBuddyListSoon();
    void ScrollBuddyCanvas(int offset);
    Tbuddy* FindBuddy(const std::string& name) const { return FriendsListBox.Find(name); }
    int BuddyBoxHeight() const;
    void frCanvas1MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    void frCanvas1MouseMove(TShiftState shift, int x, int y);
    void frCanvas1MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    void frCanvas1DblClick();
    void FilterKeyDown(WORD& key, TShiftState shift);
    void FilterKeyPress(char& key);
    void Panel5MouseDown();
    void Panel4MouseDown();
    void PanelArrowMouseUp();
    void PopupMenu2Popup();
    void UpdateBuddyMenu(const std::string& name);
    // The buddy menu's items by caption ("&Chat", "Bloc&k" ...), nullptr when there is none.
    QAction* BuddyMenuItem(const std::string& caption) const;
    void BlockedClick();
    void DeleteBuddy(const std::string& name, bool ask);
    void AddBuddy(const Tbuddy& buddy);
    void AddBuddyDialog();
    void MailBuddy(const std::string& name);

    // The command buttons' captions as they are shown.
    static std::string CommandCaption(const char* text);

    // Tests and the bar itself: the image the bar shows now.
    QImage Snapshot();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // ActiveButton1's two captions: it shows the one it switches to.
    static constexpr const char* kBuddiesCaption = "BUDDIES ";
    static constexpr const char* kWebCaption = "WEB     ";

    void CreateComponents();
    void CreateCommandButtons();
    void CreateBuddyMenu();
    TSpeedButton* MakeCommandButton(const char* name, const char* caption, int x, int y, int width);
    TSpeedButton* MakeToolButton(const char* name, const char* hint, int x);
    void HoldArrow(int direction);

    bool m_signingOff { false };
    bool m_refreshPending { false };
    bool m_showHints { true };
    QImage m_background;
    std::unique_ptr<QMenu> m_channelMenu;
    QTimer* m_arrowTimer { nullptr };
    int m_arrowDirection { 0 };
    // A drag of the frame by hand where the window system cannot move or size it.
    int m_frameDrag { 0 };
    QPoint m_frameDragStart;
    QRect m_frameDragBounds;
};

// The one main bar of the session, or nullptr between sessions.
extern TForm1* Form1;

// Shows a text in the main bar's channel label; nothing happens between sessions.
void SetChannelLabel(const std::string& text);

// The mail check of the client features, given the manual flag; CHECK and the
// one-second timer start it through here.
std::function<void(bool manual)>& MailCheckStarter();
// Cancels the running mail check at sign-off.
std::function<void()>& MailCheckCanceller();

// --- the buddies of the session (they act on the main bar's store) ---------------

// Loads the contact files into the bar's store; a list that cannot hold them all says so.
void LoadBuddyFiles(bool reset);
// Each buddy in list order; the visit must not add or remove buddies. None between sessions.
void ForEachBuddy(const std::function<void(Tbuddy&)>& visit);
bool HasBuddies();
// The socket the buddy of that name is online with is this one.
bool IsOnlineSocketOf(const std::string& name, const TBuddySocket* socket);
// A buddy still holds that socket, as its online socket or as the one it calls on.
bool HoldsPeerSocket(const std::string& name, const TBuddySocket* socket);
// Sign-off without a network: every online socket is forgotten at once.
void ForgetOnlineSockets();
TBuddySocket* FindBuddySocket(const std::string& name);
bool HasPeerSocket(const std::string& name);
bool GetBuddyConnected(const std::string& name);
bool GetBuddyAway(const std::string& name);
void SetBuddyOnline(const std::string& name, const std::string& email, TBuddySocket* socket, bool online);
void MarkBuddyOffline(const std::string& name, TBuddySocket* socket);
void SetBuddyAway(const std::string& name, bool away, const std::string& message);
// Channels.ini [settings] "Iselected": the buddy the buddy dialog edits.
void SaveSelectedChannel(const std::string& name);

// --- the browser's current page --------------------------------------------------

struct BrowserPage {
    std::string url;
    std::string title;
};
// Asks the running browser for its page ("url","title"); "" when none answers.
std::string GetBrowserWindowInfo();
// The address between the first quote and the first quote-comma pair; the title
// the rest without its opening quote and its last character.
BrowserPage ParseBrowserAnswer(const std::string& answer);
