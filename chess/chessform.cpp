#include "chess/chessform.h"

#include "chess/pluginlines.h"
#include "kit/qorforma.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QVBoxLayout>

#include <cstdio>

TForm1::TForm1(std::vector<std::string> arguments)
    : TForm("Form1")
    , m_arguments(std::move(arguments))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    Game1 = MainMenu1->addMenu(QStringLiteral("&Game"));
    Game1->setObjectName(QStringLiteral("Game1"));
    NewGame1 = Game1->addAction(QStringLiteral("&New Game"), [this] { Application::Guarded([this] { NewGame1Click(); }); });
    NewGame1->setObjectName(QStringLiteral("NewGame1"));
    About1 = Game1->addAction(QStringLiteral("&About"), [this] { Application::Guarded([this] { About1Click(); }); });
    About1->setObjectName(QStringLiteral("About1"));
    Exit1 = Game1->addAction(QStringLiteral("E&xit"), [this] { Exit1Click(); });
    Exit1->setObjectName(QStringLiteral("Exit1"));
    Invite1 = MainMenu1->addMenu(QStringLiteral("&Invite"));
    Invite1->setObjectName(QStringLiteral("Invite1"));
    Invite1->setEnabled(false);
    layout->setMenuBar(MainMenu1);

    ChessBrd1 = new TChessBrd(this);
    ChessBrd1->setEnabled(false);
    layout->addWidget(ChessBrd1, 0, Qt::AlignCenter);
    ChessBrd1->OnLegalMove = [this](TChessBrd*, int from, int to) {
        // An incoming move is played on a disabled board and is not sent back.
        if (!ChessBrd1->isEnabled())
            return;
        SendLine(chess::PluginRelayLine(m_pidKey, m_ownName, m_opponent, chess::MovePayload(from, to)));
        SetPanel(2, "Waiting for " + m_opponent + " to move...");
        ChessBrd1->setEnabled(false);
    };
    ChessBrd1->OnCheck = [this](TChessBrd*, int, int) { SetPanel(2, "[CHECK] " + PanelText(2)); };
    ChessBrd1->OnMate = [this](TChessBrd*, int, int) {
        MessageDlg("\rCheckmate!", mtInformation, mbOK, 0);
        if (IsHost())
            NewGame1Click();
    };

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    for (int i = 0; i < 3; ++i) {
        auto* panel = new QLabel(StatusBar1);
        panel->setObjectName(QStringLiteral("Panel%1").arg(i));
        panel->setAlignment(Qt::AlignCenter);
        StatusBar1->addWidget(panel, i == 2 ? 2 : 1);
        Panels[static_cast<std::size_t>(i)] = panel;
    }
    layout->addWidget(StatusBar1);
    SetPanel(2, "Invite opponent from the menu above.");
    // The window fits its board, with the menu above and the panels below.
    SetClientWidth(ChessBrd1->width());
    SetClientHeight(MainMenu1->sizeHint().height() + ChessBrd1->height() + StatusBar1->sizeHint().height());

    ClientSocket1.SetPort(std::to_string(kPluginPort));
    ClientSocket1.ReadBufferSize = 2048;
    ClientSocket1.WriteBufferSize = 2048;
    ClientSocket1.OnConnect = [this](TSockCtrl*, TSocketBase*) {
        m_clientReached = true;
        SendLine(chess::RegisterLine(m_pidKey));
    };
    // The client closed the port: it signed off or ended, and its games end with it.
    ClientSocket1.OnDisconnect = [this](TSockCtrl*, TSocketBase*) {
        if (m_clientReached)
            Close();
    };
    ClientSocket1.OnLineReceived = [this](TLineSocketBase*, const std::string& line, bool complete) {
        if (complete)
            ClientSocket1LineReceived(line);
    };

    Flash1.OnFlash = [this](TFlash*, bool) {
        if (isActiveWindow())
            m_inactive = false;
    };
    OnActivate = [this] {
        m_inactive = false;
        Flash1.SetEnabled(false);
    };
    OnDeactivate = [this] { m_inactive = true; };
    Timer1.setInterval(1000);
    QObject::connect(&Timer1, &QTimer::timeout, [this] {
        if (!m_inactive && Flash1.Enabled())
            Flash1.SetEnabled(false);
    });
    Timer1.start();

    FormStyler1 = std::make_unique<TQORFormStyler>(this);
    FormStyler1->Loaded();
    OnShow = [this] {
        if (!m_shown) {
            m_shown = true;
            Application::Guarded([this] { FormShow(); });
        }
    };
    Loaded();
}

TForm1::~TForm1()
{
    ClientSocket1.OnLineReceived = nullptr;
    ClientSocket1.OnConnect = nullptr;
    ClientSocket1.OnDisconnect = nullptr;
}

std::string TForm1::argument(std::size_t index) const
{
    return index < m_arguments.size() ? m_arguments[index] : std::string();
}

std::string TForm1::PanelText(int panel) const
{
    return codepage::FromUnicode(Panels[static_cast<std::size_t>(panel)]->text());
}

void TForm1::SetPanel(int panel, const std::string& text)
{
    Panels[static_cast<std::size_t>(panel)]->setText(codepage::ToUnicode(text));
}

void TForm1::FormShow()
{
    TIniFile settings("larkspire.ini");
    ClientSocket1.SetAddress(chess::PluginPortHost(settings.ReadString("Main", "localAddress", "127.0.0.1")));
    // The plug-in's own file sits beside the program, wherever the client's folder is.
    TIniFile plugin(codepage::FromUnicode(QCoreApplication::applicationDirPath()) + "/plugin.inf");
    m_pidKey = plugin.ReadString("Larkspire.Plugin", "PIDKey", "");
    m_version = plugin.ReadString("Larkspire.Plugin", "version", "");
    m_ownName = settings.ReadString("Main", "UserLoginName", "Unknown");
    ClientSocket1.Open();
    SetupSides();
}

void TForm1::SetupSides()
{
    if (!IsHost())
        SetPanel(1, m_ownName + " (b)");
    else
        SetPanel(0, m_ownName + " (w)");
    if (IsGuest()) {
        m_opponent = argument(2);
        ChessBrd1->setEnabled(false);
        SetPanel(0, m_opponent + " (w)");
        ChessBrd1->SetWhiteOnTop(true);
        SetPanel(2, m_opponent + " moves first.");
        SendLine(chess::PluginRelayLine(m_pidKey, m_ownName, m_opponent, chess::JoinedPayload(m_ownName)));
    } else {
        // The host waits for its guest's joined line before the first move.
        ChessBrd1->setEnabled(false);
    }
}

void TForm1::SendLine(const std::string& line)
{
    if (auto* socket = dynamic_cast<TLineSocketBase*>(ClientSocket1.GetSocket()))
        socket->WriteLine(line);
}

void TForm1::NewGame1Click()
{
    ChessBrd1->NewGame();
    ChessBrd1->RefreshSquares(" ");
    SetupSides();
    SendLine(chess::PluginRelayLine(m_pidKey, m_ownName, m_opponent, chess::kNewGamePayload));
}

void TForm1::About1Click()
{
    MessageDlg(Ansi("Chess Plugin for Korvo©\rVersion: ") + m_version, mtInformation, mbOK, 0);
}

void TForm1::Exit1Click()
{
    Close();
}

void TForm1::InviteItemClick(const std::string& buddy)
{
    ChessBrd1->NewGame();
    ChessBrd1->RefreshSquares(" ");
    SetupSides();
    m_opponent = buddy;
    m_guestJoined = false;
    m_opponentGone = false;
    SetPanel(2, "Inviting " + m_opponent + ", Waiting for reply...");
    SendLine(chess::InviteLine(m_ownName, m_opponent));
}

void TForm1::AddInviteItem(const std::string& buddy)
{
    if (buddy.empty() || SameText(buddy, m_ownName))
        return;
    const QList<QAction*> items = Invite1->actions();
    if (items.size() >= kMaxInviteItems)
        return;
    for (QAction* item : items)
        if (SameText(codepage::FromUnicode(item->toolTip()), buddy))
            return;
    QAction* item = Invite1->addAction(codepage::ToUnicode("&" + buddy));
    item->setToolTip(codepage::ToUnicode(buddy));
    item->setData(kInviteTag);
    QObject::connect(item, &QAction::triggered, [this, buddy] { Application::Guarded([&] { InviteItemClick(buddy); }); });
    Invite1->setEnabled(true);
}

void TForm1::EnableBoardForOwnTurn()
{
    const bool ownColourWhite = !IsGuest();
    ChessBrd1->setEnabled(!m_opponentGone && ChessBrd1->WhiteToMove() == ownColourWhite);
}

void TForm1::PlayIncomingMove(int from, int to)
{
    // Only the opponent's colour, on its turn, by the rules: anything else would put the boards out of step.
    const bool opponentIsWhite = IsGuest();
    const char* refused = nullptr;
    if (m_opponentGone)
        refused = "the opponent has left";
    else if (from == 0 || to == 0)
        refused = "not a move";
    else if (ChessBrd1->WhiteToMove() != opponentIsWhite)
        refused = "not the opponent's turn";
    else if (!ChessBrd1->IsLegalMove(from, to))
        refused = "not a legal move";
    if (refused) {
        std::fprintf(stderr, "[chess] opponent's move %d,%d ignored: %s\n", from, to, refused);
        return;
    }
    SetPanel(2, "Your move...");
    ChessBrd1->setEnabled(false);
    ChessBrd1->MakeMove(from, to);
    EnableBoardForOwnTurn();
}

void TForm1::ClientSocket1LineReceived(const std::string& line)
{
    using Kind = chess::PluginLine::Kind;
    const chess::PluginLine parsed = chess::ParsePluginLine(line);
    switch (parsed.kind) {
    case Kind::Buddy:
        AddInviteItem(parsed.name);
        break;
    case Kind::Joined:
        // Only the host waits for a guest, and only for the one it invited, while the game is on.
        if (IsGuest() || m_opponentGone || m_opponent.empty() || !SameText(parsed.name, m_opponent))
            return;
        m_guestJoined = true;
        SetPanel(1, parsed.name + " (b)");
        SetPanel(2, "Connected. " + m_ownName + " moves first.");
        EnableBoardForOwnTurn();
        return;
    case Kind::Move:
        PlayIncomingMove(parsed.from, parsed.to);
        break;
    case Kind::Reject:
        SetPanel(2, "Sorry, player did not respond.");
        ChessBrd1->setEnabled(false);
        break;
    case Kind::NewGame:
        ChessBrd1->NewGame();
        ChessBrd1->RefreshSquares(" ");
        SetupSides();
        // A guest's new game comes after its joined line: the host, White, moves first again.
        if (!IsGuest() && m_guestJoined)
            EnableBoardForOwnTurn();
        break;
    case Kind::Gone:
        if (m_opponent.empty() || m_opponentGone || !SameText(parsed.name, m_opponent))
            return;
        m_opponentGone = true;
        ChessBrd1->setEnabled(false);
        SetPanel(2, m_opponent + " has left the game.");
        break;
    case Kind::Other:
        return;
    }
    if (WindowState() == wsMinimized || m_inactive)
        Flash1.SetEnabled(true);
}
