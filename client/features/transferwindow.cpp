#include "client/features/transferwindow.h"

#include "client/core/helpers.h"
#include "client/core/mainbar.h"
#include "client/core/peerconnections.h"
#include "client/core/peerframe.h"
#include "client/core/session.h"
#include "client/features/receivedfile.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/files.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/label.h"

#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <cstdlib>
#include <vector>

namespace {

constexpr const char* kShellFolders = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

TBufferedSocket* Buffered(TSocketBase* socket) { return dynamic_cast<TBufferedSocket*>(socket); }

TPeerConnection* LiveConnection(std::uint64_t serial)
{
    TPeerNetwork* network = PeerNetwork();
    return network ? network->Live(serial) : nullptr;
}

// The failure of a transfer that could not start, on either side.
std::string TransferNotStartedText(const std::string& buddy) { return "Larkspire was unable to send this file to " + buddy + "."; }

// Seconds the sender waits for the buddy's port; tests against a port that never
// answers shorten it through KORVO_SEND_TIMEOUT.
int SendTimeOut()
{
    const char* text = std::getenv("KORVO_SEND_TIMEOUT");
    const int value = text ? StrToIntDef(text, 0) : 0;
    return value > 0 ? value : TForm4::kSendTimeOut;
}

}  // namespace

TForm4::TForm4(TTransferMode mode, const std::string& buddy, const std::string& path, std::int64_t size)
    : TForm("Form4")
    , m_mode(mode)
    , m_buddy(buddy)
    , m_path(path)
    , m_size(size)
{
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientWidth(360);
    SetClientHeight(140);
    // Its own taskbar button: no owner.
    setWindowFlag(Qt::Tool, false);
    Label1 = new TLabel(this);
    Label1->setObjectName("Label1");
    Label1->setGeometry(10, 8, 340, 36);
    // The file's and the buddy's names as the buddy gave them.
    Label1->SetShowAccelChar(false);
    Label2 = new TLabel(this);
    Label2->setObjectName("Label2");
    Label2->setGeometry(10, 48, 340, 18);
    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName("ProgressBar");
    ProgressBar->setRange(0, 100);
    ProgressBar->setGeometry(10, 72, 340, 18);
    Button1 = new QPushButton(codepage::ToUnicode("&Cancel"), this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(142, 104, 75, 25);
    QObject::connect(Button1, &QPushButton::clicked, this, [this] { Application::Guarded([this] { CancelClick(); }); });
    OnClose = [this](TCloseAction& action) {
        Ended();
        m_closed = true;
        action = m_settingUp ? caHide : caFree;
    };

    FileSender.SetTimeOut(SendTimeOut());
    FileSender.ReadBufferSize = kBufferSize;
    FileSender.WriteBufferSize = kBufferSize;
    FileSender.RecordSize = 16;
    FileReceiveServer.ReadBufferSize = kBufferSize;
    FileReceiveServer.WriteBufferSize = kBufferSize;
    FileReceiveServer.RecordSize = 16;
    // One connection, and only from the buddy (set when listening).
    FileReceiveServer.MaxConnections = 1;
    FileReceiveServer.Restriction = hrAccept;
}

TForm4::~TForm4() { Ended(); }

bool TForm4::StartReceiving(std::uint64_t connection)
{
    SetCaption("Receiving...");
    const std::string me = Session().userId;
    TPeerConnection* line = LiveConnection(connection);
    const std::string buddyAddress = line ? line->PeerAddress() : std::string();
    if (buddyAddress.empty()) {
        Failed(TransferNotStartedText(m_buddy));
        return false;
    }
    const std::string desktop = ExcludeTrailingBackslash(ReadRegString(HKEY_CURRENT_USER, kShellFolders, "Desktop"));
    const std::string name = ReceivedFileName(m_path);
    m_target = desktop.empty() || !DirectoryExists(desktop) || name.empty() ? std::string() : FreeTargetPath(desktop, name);
    m_partial = m_target.empty() || m_size < 0 ? std::string() : CreatePartialFile(desktop, name);
    if (m_partial.empty()) {
        line->Write(BuildPeerFrame("rejected", me, "file", ""));
        Failed("\rThe file " + name + " could not be stored on your desktop.");
        return false;
    }
    Label1->setText(codepage::ToUnicode("Receiving " + ExtractFileName(m_target) + "..." + "\r" + "from " + m_buddy));
    FileReceiveServer.SetRestrictedHosts({ buddyAddress });
    FileReceiveServer.SetAddress("0.0.0.0");
    FileReceiveServer.OnAccept = [this](TSockCtrl*, TSocketBase* socket) {
        if (m_accepted) {
            socket->Close();
            return;
        }
        m_accepted = true;
        Buffered(socket)->ReceiveFile(m_partial, m_size);
        // Nobody else may connect once the buddy has.
        QTimer::singleShot(0, this, [this] { StopListening(); });
    };
    FileReceiveServer.OnRead = [this](TSockCtrl*, TSocketBase* socket) {
        if (TBufferedSocket* buffered = Buffered(socket); buffered && buffered->Receiving())
            Progress(buffered->ReceiveStreamPosition());
    };
    FileReceiveServer.OnFileReceived = [this](TBufferedSocketBase* socket) { Received(socket); };
    FileReceiveServer.OnDisconnect = [this](TSockCtrl*, TSocketBase*) {
        if (!m_finished)
            Failed("\rThe file " + ExtractFileName(m_target) + " from " + m_buddy + " was not received completely.");
    };
    // Shown while it sets up, so it can be cancelled then too.
    Show();
    m_settingUp = true;
    bool listening = false;
    for (int attempt = 0; attempt < kListenTries && !listening && !m_closed; ++attempt) {
        try {
            FileReceiveServer.SetPort("0");
            FileReceiveServer.Listen();
            listening = !m_closed;
        } catch (const Exception&) {
        }
    }
    if (!StillSettingUp())
        return false;
    // The peer line may have gone while the lookups ran.
    line = LiveConnection(connection);
    if (!listening) {
        if (line)
            line->Write(BuildPeerFrame("rejected", me, "file", ""));
        Failed("\rLarkspire could not listen for the file " + name + ".");
        return false;
    }
    if (!line || !line->Write(BuildPeerFrame("startsendfile", me, m_path, FileReceiveServer.Port()))) {
        Failed(TransferNotStartedText(m_buddy));
        return false;
    }
    return true;
}

bool TForm4::StillSettingUp()
{
    m_settingUp = false;
    if (!m_closed)
        return true;
    Release();
    return false;
}

void TForm4::StopListening()
{
    if (TSocketBase* listening = FileReceiveServer.GetSocket())
        listening->Close();
}

void TForm4::StartSending(const std::string& address, const std::string& port)
{
    SetCaption("Sending...");
    Label1->setText(codepage::ToUnicode("Sending " + ExtractFileName(m_path) + "..." + "\r" + "to " + m_buddy));
    FileSender.OnConnect = [this](TSockCtrl*, TSocketBase* socket) {
        if (socket->Connected())
            Buffered(socket)->SendFile(m_path);
    };
    FileSender.OnWrite = [this](TSockCtrl*, TSocketBase* socket) {
        if (TBufferedSocket* buffered = Buffered(socket); buffered && buffered->Sending())
            Progress(buffered->SendStreamPosition());
    };
    FileSender.OnFileSent = [this](TBufferedSocketBase*) {
        m_finished = true;
        Progress(m_size);
        SetChannelLabel("FILE TRANSFER COMPLETED.");
    };
    FileSender.OnDisconnect = [this](TSockCtrl*, TSocketBase*) {
        if (!m_finished) {
            Failed("\rThe file " + ExtractFileName(m_path) + " was not received completely by " + m_buddy + ".");
            return;
        }
        CloseWith("");
    };
    FileSender.OnTimeOut = [this](TSockCtrl*, TSocketBase*) {
        m_finished = true;
        Failed(TransferNotStartedText(m_buddy));
    };
    Show();
    m_settingUp = true;
    bool opened = false;
    try {
        FileSender.SetAddress(address);
        FileSender.SetPort(port);
        FileSender.Open();
        opened = true;
    } catch (const Exception&) {
    }
    if (!StillSettingUp())
        return;
    if (!opened) {
        m_finished = true;
        Failed(TransferNotStartedText(m_buddy));
    }
}

void TForm4::Progress(std::int64_t done)
{
    m_done = done;
    const int percent = m_size > 0 ? static_cast<int>((done * 100 + m_size / 2) / m_size) : 100;
    // A person sees a percent at most, and no faster than a few times a second: a fast
    // transfer would otherwise spend its time repainting the bar and renaming the window.
    if (percent == m_percent || (percent < 100 && m_shown.isValid() && m_shown.elapsed() < kProgressInterval))
        return;
    m_shown.start();
    m_percent = percent;
    ProgressBar->setValue(percent);
    const bool receiving = m_mode == tmReceive;
    Label2->setText(QString::fromStdString((receiving ? "Receiving " : "Sending ") + std::to_string(done) + " of "
                                           + std::to_string(m_size) + " bytes"));
    SetCaption((receiving ? "Receiving " : "Sending ") + std::to_string(percent) + "%");
}

void TForm4::Received(TBufferedSocketBase* socket)
{
    m_finished = true;
    Progress(m_size);
    socket->Close();
    const std::string placed = PlaceReceivedFile(m_partial, ExtractFileDir(m_target), ExtractFileName(m_target));
    if (placed.empty()) {
        DeleteFile(m_partial);
        m_partial.clear();
        CloseWith("\rThe file " + ExtractFileName(m_target) + " could not be stored on your desktop.");
        return;
    }
    m_partial.clear();
    m_target = placed;
    SetChannelLabel("FILE TRANSFER COMPLETED.");
    CloseWith("");
}

void TForm4::Failed(const std::string& text)
{
    if (m_finished && m_mode == tmReceive)
        return;
    m_finished = true;
    Ended();
    CloseWith(text);
}

void TForm4::CloseWith(const std::string& text)
{
    QTimer::singleShot(0, this, [this, text] {
        // The box runs the message loop, which may free this window.
        const QPointer<TForm4> self(this);
        if (!text.empty())
            MessageDlg(text, mtInformation, mbOK, 0);
        if (self)
            Close();
    });
}

void TForm4::CancelClick()
{
    SetChannelLabel("CANCELLED");
    m_finished = true;
    Close();
}

void TForm4::Ended()
{
    FileSender.Close();
    std::vector<TSocketBase*> accepted;
    for (int i = 0; i < FileReceiveServer.Sockets().Count(); ++i)
        accepted.push_back(FileReceiveServer.Sockets()[i]);
    for (TSocketBase* socket : accepted)
        socket->Close();
    StopListening();
    // Whatever did not arrive whole never shows on the desktop.
    if (!m_partial.empty()) {
        DeleteFile(m_partial);
        m_partial.clear();
    }
}

void OpenReceiveWindow(const std::string& buddy, const std::string& path, std::int64_t size, std::uint64_t connection)
{
    auto* window = new TForm4(TForm4::tmReceive, buddy, path, size);
    window->StartReceiving(connection);
}

void OpenSendWindow(const peerhooks::TFileSend& send)
{
    TBuddySocket* socket = FindBuddySocket(send.buddy);
    if (!socket)
        return;
    auto* window = new TForm4(TForm4::tmSend, send.buddy, send.path, send.size);
    window->StartSending(socket->PeerAddress(), send.port);
}
