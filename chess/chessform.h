#pragma once

#include "chess/chessbrd.h"
#include "chess/flash.h"
#include "net/bufferedcomponents.h"
#include "platform/ui/form.h"

#include <QTimer>

#include <array>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QLabel;
class TQORFormStyler;
class QMenu;
class QMenuBar;
class QStatusBar;

// The chess window: one game between this user and a buddy, played through
// this user's client on the local plug-in port.
class TForm1 final : public TForm {
public:
    static constexpr int kPluginPort = 8090;
    static constexpr int kInviteTag = 55000;
    // One item a buddy, as many as a buddy list holds.
    static constexpr int kMaxInviteItems = 256;

    // arguments: the command line after the program name ("/ext", "/s" or "/c", inviter).
    explicit TForm1(std::vector<std::string> arguments);
    ~TForm1() override;

    TChessBrd* ChessBrd1 { nullptr };
    QStatusBar* StatusBar1 { nullptr };
    std::array<QLabel*, 3> Panels {};
    QMenuBar* MainMenu1 { nullptr };
    QMenu* Game1 { nullptr };
    QAction* NewGame1 { nullptr };
    QAction* About1 { nullptr };
    QAction* Exit1 { nullptr };
    QMenu* Invite1 { nullptr };
    TTextClient ClientSocket1;
    TFlash Flash1 { this };
    QTimer Timer1;
    std::unique_ptr<TQORFormStyler> FormStyler1;

    void NewGame1Click();
    void About1Click();
    void Exit1Click();
    void InviteItemClick(const std::string& buddy);
    void ClientSocket1LineReceived(const std::string& line);

    std::string PanelText(int panel) const;
    const std::string& OwnName() const { return m_ownName; }
    const std::string& Opponent() const { return m_opponent; }

private:
    void FormShow();
    void SetupSides();
    void SetPanel(int panel, const std::string& text);
    void SendLine(const std::string& line);
    void AddInviteItem(const std::string& buddy);
    void PlayIncomingMove(int from, int to);
    // The board takes the user's drags only while it is this side's turn.
    void EnableBoardForOwnTurn();
    bool IsHost() const { return argument(1) == "/s"; }
    bool IsGuest() const { return argument(1) == "/c"; }
    std::string argument(std::size_t index) const;

    std::vector<std::string> m_arguments;
    std::string m_ownName { "Unknown" };
    std::string m_opponent;
    std::string m_pidKey;
    std::string m_version;
    // The host's guest has joined since the invitation.
    bool m_guestJoined { false };
    // The opponent signed off, lost its connection or closed its copy: the game is over.
    bool m_opponentGone { false };
    // The client's port answered once; its closing after that ends the program.
    bool m_clientReached { false };
    bool m_inactive { false };
    bool m_shown { false };
};
