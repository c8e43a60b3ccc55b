#include "client/features/requestwindow.h"

#include "client/core/buddyfile.h"
#include "client/core/chatrouting.h"
#include "client/core/helpers.h"
#include "client/core/mainbar.h"
#include "client/core/peerconnections.h"
#include "client/core/peerframe.h"
#include "client/core/peerguard.h"
#include "client/core/peerlists.h"
#include "client/core/peersend.h"
#include "client/core/pluginmenu.h"
#include "client/core/session.h"
#include "client/features/receivedfile.h"
#include "client/features/transferwindow.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/files.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/label.h"
#include "platform/ui/richtext.h"
#include "platform/win/process.h"
#include "platform/win/sound.h"

#include <QLabel>
#include <QLocale>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <optional>

namespace {

Tbuddy* ListedBuddy(const std::string& name) { return Form1 ? Form1->FindBuddy(name) : nullptr; }

// A buddy's own answer setting, read from its contact file through the list, never from the sender's text.
bool BuddySetting(const std::string& sender, const char* key)
{
    const Tbuddy* buddy = ListedBuddy(sender);
    if (!buddy)
        return false;
    const std::string file = BuddyFileName(buddy->Name);
    return !file.empty() && FileExists(file) && TIniFile(file).ReadBool("friend", key, false);
}

void ClearPendingMark(const std::string& sender, peerhooks::RequestKind kind)
{
    if (Tbuddy* buddy = ListedBuddy(sender)) {
        if (kind == peerhooks::rkChat)
            buddy->ChatRequested = false;
        if (kind == peerhooks::rkConference)
            buddy->ConferenceRequested = false;
    }
}

std::string Thousands(std::int64_t value) { return codepage::FromUnicode(QLocale(QLocale::English).toString(static_cast<qlonglong>(value))); }

// The connection the request came on; nullptr once that one is gone, whatever came after it.
TPeerConnection* RequestConnection(const peerhooks::TRequest& request)
{
    TPeerNetwork* network = PeerNetwork();
    return network ? network->Live(request.connection) : nullptr;
}

// The line that says no to a request, in the words of its kind.
std::string RefusalLine(const peerhooks::TRequest& request)
{
    const std::string& me = Session().userId;
    switch (request.kind) {
    case peerhooks::rkFile: return BuildPeerFrame("rejected", me, "file", "");
    case peerhooks::rkPlugin: {
        const std::string pidKey = TIniFile(request.folder + "/plugin.inf").ReadString("Larkspire.Plugin", "PIDkey", "");
        return BuildPeerFrame("\xF9" + pidKey, me, request.requester, "reject");
    }
    case peerhooks::rkChat: return BuildPeerFrame("chat", me, request.requester, RefusalText(me));
    case peerhooks::rkConference: return BuildPeerFrame("conference", me, request.requester, RefusalText(me));
    case peerhooks::rkBuddy: break;
    }
    return BuildPeerFrame("decline", me, "", "");
}

// Write errors do not matter: a requester that went has nobody to tell.
void WriteToRequester(const peerhooks::TRequest& request, const std::string& line)
{
    if (TPeerConnection* connection = RequestConnection(request))
        connection->Write(line);
}

// The buddy's next file offer, waiting behind the prompt that closed, is asked now; one whose line went is passed by.
void AskNextOffer(std::uint64_t closed)
{
    std::optional<peerhooks::TRequest> next = PeerGuard().Closed(closed);
    while (next && !RequestConnection(*next))
        next = PeerGuard().Closed(next->ticket);
    if (next)
        QTimer::singleShot(0, [request = *next] { Application::Guarded([request] { OpenRequestPrompt(request); }); });
}

}  // namespace

void OpenRequestPrompt(const peerhooks::TRequest& request)
{
    auto* window = new TForm7(request);
    window->ShowRequest();
}

std::string RefusalText(const std::string& me)
{
    return richtext::Header() + "\\deflang1033\\pard\\plain\\f2\\fs22\\cf1\\b ***Sorry " + me + " "
        + "\\plain\\f2\\fs22\\cf1 is unavailable to chat at this time.\\par }";
}

TForm7::TForm7(const peerhooks::TRequest& request)
    : TForm("Form7")
    , m_request(request)
{
    SetCaption("Incoming Request...");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientWidth(330);
    SetClientHeight(150);
    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setGeometry(10, 12, 40, 40);
    Label1 = new TLabel(this);
    Label1->setObjectName("Label1");
    Label1->setWordWrap(true);
    // The prompt holds the caller's name, e-mail and file name as the caller gave them.
    Label1->SetShowAccelChar(false);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setGeometry(60, 8, 262, 100);
    Button1 = new QPushButton(codepage::ToUnicode("&Accept"), this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(80, 116, 80, 25);
    Button2 = new QPushButton(codepage::ToUnicode("&Reject"), this);
    Button2->setObjectName("Button2");
    Button2->setGeometry(170, 116, 80, 25);
    Timer1 = new QTimer(this);
    Timer1->setInterval(kRingInterval);
    // However a request rings, nobody's answer for this long is a No.
    auto* unanswered = new QTimer(this);
    unanswered->setSingleShot(true);
    unanswered->setInterval(TPeerGuard::PromptMs());
    QObject::connect(unanswered, &QTimer::timeout, this, [this] { Application::Guarded([this] { Refuse(); }); });
    unanswered->start();
    QObject::connect(Timer1, &QTimer::timeout, this, [this] { Application::Guarded([this] { Timer1Timer(); }); });
    QObject::connect(Button1, &QPushButton::clicked, this, [this] { Application::Guarded([this] { Accept(); }); });
    QObject::connect(Button2, &QPushButton::clicked, this, [this] { Application::Guarded([this] { Refuse(); }); });
    OnClose = [this](TCloseAction& action) {
        Finish();
        action = caFree;
    };
}

TForm7::~TForm7() { Finish(); }

std::string TForm7::PromptText() const { return m_prompt; }

void TForm7::LoadIcon(const std::string& path)
{
    QPixmap picture;
    // A missing or broken icon leaves the picture empty.
    if (!path.empty() && picture.load(QString::fromStdString(FileSystemName(ResolveFileName(path)))))
        Image1->setPixmap(picture);
}

void TForm7::ShowRequest()
{
    // Sign-off closes every prompt still open.
    PeerGuard().Shown(m_request.ticket, [self = QPointer<TForm7>(this)] {
        if (self)
            self->Close();
    });
    PlaySound(AppPath() + "filein.wav", SND_FILENAME | SND_ASYNC | SND_NODEFAULT);
    m_rings = 0;
    const std::string& sender = m_request.requester;
    switch (m_request.kind) {
    case peerhooks::rkFile: {
        LoadIcon(AppPath() + "iconB.bmp");
        const std::int64_t size = ParseReceivedFileSize(m_request.size);
        const std::string name = ReceivedFileName(m_request.path);
        m_prompt = "\r" + sender + " is requesting to send you a file." + "\r" + "Do you want to accept?" + "\r\r" + name + "  ("
            + Thousands(size < 0 ? 0 : size) + " bytes)";
        Label1->setText(codepage::ToUnicode(m_prompt));
        // A size or a name this folder cannot take is refused before anyone is asked.
        if (size < 0 || name.empty()) {
            Refuse();
            return;
        }
        break;
    }
    case peerhooks::rkPlugin: {
        const TIniFile inf(m_request.folder + "/plugin.inf");
        const std::string request = inf.ReadString("Larkspire.Plugin", "Request", "Unknown");
        LoadIcon(m_request.folder + "/icon.bmp");
        m_program = PluginProgram(m_request.folder + "/plugin.inf");
        m_prompt = "\r\r" + sender + " " + request;
        break;
    }
    case peerhooks::rkChat:
        LoadIcon(AppPath() + "iconF.bmp");
        m_prompt = "\r" + m_request.text;
        break;
    case peerhooks::rkConference:
        LoadIcon(AppPath() + "iconG.bmp");
        m_prompt = "\r" + m_request.text;
        break;
    case peerhooks::rkBuddy:
        LoadIcon(AppPath() + "iconH.bmp");
        m_prompt = "\r" + m_request.text;
        break;
    }
    Label1->setText(codepage::ToUnicode(m_prompt));
    Timer1->start();
    if (BuddySetting(sender, "AUTOANS")) {
        Accept();
        return;
    }
    if (BuddySetting(sender, "AUTOREJECT")) {
        Refuse();
        return;
    }
    Show();
    Activate();
}

void TForm7::Timer1Timer()
{
    if (m_answered)
        return;
    // A buddy-list request waits for its answer however long it takes.
    if (m_request.kind == peerhooks::rkBuddy)
        m_rings = 1;
    if (m_rings < kRings) {
        ++m_rings;
        SetChannelLabel("MESSAGE...");
        PlaySound(AppPath() + "filein.wav", SND_FILENAME | SND_ASYNC | SND_NODEFAULT);
        if (isVisible() && !isActiveWindow())
            Activate();
        return;
    }
    Refuse();
}

void TForm7::Accept()
{
    if (m_answered)
        return;
    m_answered = true;
    Timer1->stop();
    // What follows may run the message loop and free this window: work on a copy, look again after.
    const peerhooks::TRequest request = m_request;
    const QPointer<TForm7> self(this);
    switch (request.kind) {
    case peerhooks::rkFile:
        if (RequestConnection(request))
            OpenReceiveWindow(request.requester, request.path, ParseReceivedFileSize(request.size), request.connection);
        break;
    case peerhooks::rkPlugin:
        // The inviter's name stays one argument, whatever it holds.
        if (!m_program.empty())
            process::StartProgram(m_program, { "/ext", "/c", request.requester }, SW_SHOWNORMAL);
        break;
    case peerhooks::rkChat:
    case peerhooks::rkConference:
        PlayAppSound(7, true);
        ClearPendingMark(request.requester, request.kind);
        OpenChatWindow(request.kind == peerhooks::rkChat ? request.requester : request.requester + "*", request.firstLine);
        break;
    case peerhooks::rkBuddy:
        if (TPeerConnection* connection = RequestConnection(request)) {
            connection->Answer(kAnswerAccepted);
            SetBuddyOnline(request.requester, request.email, connection, true);
            if (Session().away)
                SendBuddyCommand("away", Session().awayMessage);
        }
        break;
    }
    if (self)
        Close();
}

void TForm7::Refuse()
{
    if (m_answered)
        return;
    m_answered = true;
    Timer1->stop();
    WriteToRequester(m_request, RefusalLine(m_request));
    ClearPendingMark(m_request.requester, m_request.kind);
    Close();
}

void TForm7::Finish()
{
    if (m_request.requester.empty())
        return;
    PeerLists().RemovePending(m_request.requester);
    ClearPendingMark(m_request.requester, m_request.kind);
    // A request closed without a window: what the buddy said meanwhile goes with it.
    if (m_request.kind == peerhooks::rkChat)
        PeerLists().TakeHeldChatLines(m_request.requester);
    m_request.requester.clear();
    AskNextOffer(m_request.ticket);
}
