#include "net/powersock.h"

#include "platform/rtl/eventloop.h"

#include <QAbstractEventDispatcher>
#include <QEventLoop>

#include <algorithm>
#include <climits>
#include <cstring>
#include <mutex>

namespace psock {

using namespace winsock;

namespace {

constexpr UINT WM_SELECT = WM_USER + 101;
constexpr UINT WM_LOOKUP_DONE = WM_USER + 102;
constexpr UINT WM_WRITE_OUT = WM_USER + 103;
constexpr UINT WM_READ_IN = WM_USER + 104;
constexpr long kAllEvents = 63;
constexpr std::size_t kMaxHostLength = 127;

struct Startup {
    std::mutex lock;
    int instances { 0 };
    std::vector<std::string> info;
};

Startup& startup()
{
    static Startup s;
    return s;
}

std::string VersionText(std::uint16_t version)
{
    return std::to_string(version & 0xFF) + "." + std::to_string(version >> 8);
}

// Registers a socket the way every socket of this layer is used: reset on close,
// every notification to the component's window.
bool PrepareSocket(SOCKET s, HWND window)
{
    if (s == INVALID_SOCKET)
        return false;
    linger off { 1, 0 };
    if (setsockopt(s, WS_SOL_SOCKET, WS_SO_LINGER, reinterpret_cast<const char*>(&off), sizeof off) != 0)
        return false;
    return WSAAsyncSelect(s, window, WM_SELECT, kAllEvents) == 0;
}

// A worker thread gets its message queue with its first event loop; the waits and
// the timer need it from the start.
bool EnsureMessageQueue()
{
    if (!QAbstractEventDispatcher::instance())
        QEventLoop queueMaker;
    return true;
}

}  // namespace

TPowersock::TPowersock()
    : m_queueReady(EnsureMessageQueue())
    , m_window(AllocateHWnd([this](TMessage& message) { wndProc(message); }))
    , m_lookupBuffer(MAXGETHOSTSTRUCT)
{
    StatusMessage(8, "Create");
    m_timer.SetEnabled(false);
    m_timer.SetOnTimer([this] { timerExpired(); });
    StatusMessage(8, "Initializing Winsock");
    auto& s = startup();
    std::lock_guard guard(s.lock);
    bool ok = true;
    if (s.instances++ == 0) {
        WSAData data;
        ok = WSAStartup(0x0101, &data) == 0;
        if (ok) {
            s.info = { "Version= " + VersionText(data.wVersion), "High Version= " + VersionText(data.wHighVersion),
                "Description= " + std::string(data.szDescription), "System= " + std::string(data.szSystemStatus),
                "Max Sockets= " + std::to_string(data.iMaxSockets), "Max Udp pack size= " + std::to_string(data.iMaxUdpDg) };
        }
    }
    if (ok) {
        m_socket = socket(WS_AF_INET, WS_SOCK_STREAM, 6);
        ok = PrepareSocket(m_socket, m_window);
    }
    if (!ok) {
        if (m_socket != INVALID_SOCKET)
            closesocket(m_socket);
        if (--s.instances == 0)
            WSACleanup();
        DeallocateHWnd(m_window);
        throw ESockError("Initializaton of windows sockets failed");
    }
}

TPowersock::~TPowersock()
{
    StatusMessage(8, "Destroy");
    m_destroying = true;
    m_canceled = true;
    m_timer.SetEnabled(false);
    if (m_socket != INVALID_SOCKET) {
        WSAAsyncSelect(m_socket, m_window, 0, 0);
        closesocket(m_socket);
    }
    DeallocateHWnd(m_window);
    auto& s = startup();
    std::lock_guard guard(s.lock);
    if (--s.instances == 0)
        WSACleanup();
}

std::vector<std::string> TPowersock::WinsockInfo()
{
    std::lock_guard guard(startup().lock);
    return startup().info;
}

int TPowersock::InstanceCount()
{
    std::lock_guard guard(startup().lock);
    return startup().instances;
}

void TPowersock::StatusMessage(int level, const std::string& text)
{
    if (ReportLevel < level)
        return;
    m_status = text;
    if (OnStatus && !m_destroying)
        OnStatus(this, text);
}

std::string TPowersock::NthWord(const std::string& text, char separator, int n)
{
    std::size_t start = 0;
    for (int field = 1; field < n; ++field) {
        const auto next = text.find(separator, start);
        if (next == std::string::npos)
            return {};
        start = next + 1;
    }
    if (n < 1)
        return {};
    const auto end = text.find(separator, start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

bool TPowersock::waitFor(const std::function<bool()>& done, int timeoutMs)
{
    return Application::ProcessMessagesUntil(done, timeoutMs);
}

void TPowersock::checkError(int result)
{
    if (result != SOCKET_ERROR)
        return;
    m_lastError = WSAGetLastError();
    if (m_lastError == WSAEWOULDBLOCK)
        return;
    StatusMessage(16, "Checking Error In Error Manager");
    StatusMessage(8, "Looking Up Error Message");
    throw ESockError(SocketErrorText(m_lastError));
}

void TPowersock::newSocket()
{
    m_socket = socket(WS_AF_INET, WS_SOCK_STREAM, 0);
    if (!PrepareSocket(m_socket, m_window))
        throw ESockError("Initializaton of windows sockets failed");
}

void TPowersock::closeSocket()
{
    StatusMessage(4, "Request Close Socket");
    m_connected = false;
    if (m_socket == INVALID_SOCKET)
        return;
    const int result = closesocket(m_socket);
    m_socket = INVALID_SOCKET;
    m_output.clear();
    if (result != 0 || m_destroying)
        return;
    if (OnDisconnect)
        OnDisconnect(this);
    newSocket();
}

void TPowersock::ClearInput()
{
    m_input.clear();
    m_inputPos = 0;
}

void TPowersock::DropConnection()
{
    if (m_connected)
        closeSocket();
    ClearInput();
}

// --- notifications ------------------------------------------------------------

void TPowersock::wndProc(TMessage& message)
{
    try {
        switch (message.Msg) {
        case WM_SELECT:
            handleSelect(message.WParam, message.LParam);
            return;
        case WM_LOOKUP_DONE:
            m_lookupDone = true;
            m_lastNotifyOk = WSAGETASYNCERROR(message.LParam) == 0;
            return;
        case WM_WRITE_OUT:
            writeFromStream();
            return;
        case WM_READ_IN:
            readToStream();
            return;
        default:
            message.Result = DefWindowProc(m_window, message.Msg, message.WParam, message.LParam);
        }
    } catch (...) {
        // A notification has no caller to report to; the waits see the state it left.
    }
}

void TPowersock::handleSelect(WPARAM socket, LPARAM info)
{
    // A notification still queued for a socket closed since then.
    if (socket != m_socket)
        return;
    const int error = WSAGETSELECTERROR(info);
    m_lastNotifyOk = error == 0;
    if (error != 0)
        m_lastError = error;
    switch (WSAGETSELECTEVENT(info)) {
    case FD_READ:
        readToStream();
        break;
    case FD_WRITE:
        writeFromStream();
        break;
    case FD_CONNECT:
        if (error == 0) {
            m_connected = true;
            if (OnConnect)
                OnConnect(this);
        }
        break;
    case FD_CLOSE:
        m_peerClosed = true;
        receiveRest();
        closeSocket();
        break;
    default:
        break;
    }
}

void TPowersock::readToStream()
{
    StatusMessage(8, "ReadToStream");
    if (m_canceled && m_socket != INVALID_SOCKET)
        WSAAsyncSelect(m_socket, m_window, 0, 0);
    if (m_reading || m_socket == INVALID_SOCKET)
        return;
    // A reader that does not consume cannot make us hold more than one overlong line.
    if (pendingInput() > MaxLineLength + kPieceSize) {
        m_readHeld = true;
        return;
    }
    m_reading = true;
    char piece[kPieceSize];
    const int got = recv(m_socket, piece, kPieceSize, 0);
    if (got == SOCKET_ERROR) {
        m_lastError = WSAGetLastError();
        if (m_lastError != WSAEWOULDBLOCK)
            StatusMessage(8, "Looking Up Error Message");
    } else if (got > 0) {
        m_input.append(piece, static_cast<std::size_t>(got));
        m_bytesRecvd += got;
        if (OnPacketRecvd)
            OnPacketRecvd(this);
        if (got == kPieceSize)
            PostMessage(m_window, WM_READ_IN, 0, 0);
    }
    m_reading = false;
}

void TPowersock::receiveRest()
{
    char piece[kPieceSize];
    while (!m_canceled && pendingInput() <= MaxLineLength + kPieceSize) {
        const int got = recv(m_socket, piece, kPieceSize, 0);
        if (got <= 0)
            break;
        m_input.append(piece, static_cast<std::size_t>(got));
        m_bytesRecvd += got;
    }
}

void TPowersock::writeFromStream()
{
    StatusMessage(8, "WriteFromStream");
    if (m_writing || m_canceled || m_output.empty() || m_socket == INVALID_SOCKET)
        return;
    m_writing = true;
    const int count = static_cast<int>(std::min<std::size_t>(m_output.size(), kPieceSize));
    const int sent = send(m_socket, m_output.data(), count, 0);
    if (sent == SOCKET_ERROR) {
        m_lastError = WSAGetLastError();
    } else {
        m_output.erase(0, static_cast<std::size_t>(sent));
        if (!m_output.empty())
            PostMessage(m_window, WM_WRITE_OUT, 0, 0);
        else
            m_sent = true;
    }
    m_writing = false;
}

// --- timer --------------------------------------------------------------------

void TPowersock::startTimer()
{
    StatusMessage(8, "Timer On");
    m_timedOut = false;
    m_timer.SetInterval(static_cast<unsigned>(std::max(TimeOut, 0)));
    m_timer.SetEnabled(true);
}

void TPowersock::stopTimer()
{
    StatusMessage(8, "Timer Off");
    m_timer.SetEnabled(false);
}

void TPowersock::timerExpired()
{
    StatusMessage(8, "Timer Triggered");
    m_timer.SetEnabled(false);
    m_timedOut = true;
    Abort();
}

// --- operations ---------------------------------------------------------------

void TPowersock::Cancel()
{
    StatusMessage(8, "Canceling");
    m_canceled = true;
}

void TPowersock::Abort()
{
    Cancel();
    if (m_connected)
        TPowersock::Disconnect();
}

void TPowersock::Disconnect()
{
    StatusMessage(8, "Disconnecting");
    closeSocket();
}

void TPowersock::CheckConnected()
{
    if (m_connected)
        return;
    if (OnConnectionRequired)
        OnConnectionRequired(this);
    throw Exception("Not Connected");
}

winsock::u_long TPowersock::resolveHost()
{
    StatusMessage(8, "Resolve Host");
    const std::string host = Host.substr(0, kMaxHostLength);
    const winsock::u_long dotted = inet_addr(host.c_str());
    if (dotted != WS_INADDR_NONE && !host.empty())
        return dotted;
    m_lookupDone = false;
    m_lastNotifyOk = true;
    startTimer();
    const HANDLE task = WSAAsyncGetHostByName(m_window, WM_LOOKUP_DONE, host.c_str(), m_lookupBuffer.data(), MAXGETHOSTSTRUCT);
    if (task != 0)
        waitFor([this] { return m_lookupDone || m_timedOut || m_canceled; }, INT_MAX);
    stopTimer();
    if (task != 0 && !m_lookupDone)
        WSACancelAsyncRequest(task);
    if (m_timedOut)
        throw ESockError("Host Lookup Timed Out");
    if (m_canceled)
        throw ESockError("Host Lookup Canceled");
    const auto* entry = reinterpret_cast<const hostent*>(m_lookupBuffer.data());
    if (task == 0 || !m_lastNotifyOk || !entry->h_addr_list || !entry->h_addr_list[0])
        throw ESockError("Host Lookup Failed");
    winsock::u_long address = 0;
    std::memcpy(&address, entry->h_addr_list[0], sizeof address);
    if (OnHostResolved)
        OnHostResolved(this);
    return address;
}

void TPowersock::Connect()
{
    StatusMessage(8, "Connecting");
    m_canceled = false;
    if (m_connected)
        throw ESockError("Already connected");
    ClearInput();
    m_output.clear();
    winsock::u_long address = 0;
    bool asked = false;
    for (;;) {
        try {
            address = resolveHost();
        } catch (const ESockError& error) {
            if (error.Message() == "Host Lookup Timed Out" || error.Message() == "Host Lookup Canceled")
                throw;
            address = 0;
        }
        if (address != 0)
            break;
        if (!asked && OnInvalidHost) {
            asked = true;
            bool handled = false;
            OnInvalidHost(handled);
            if (handled)
                continue;
        }
        throw ESockError("Null Remote Address");
    }
    sockaddr_in remote {};
    remote.sin_family = WS_AF_INET;
    remote.sin_port = htons(Port);
    remote.sin_addr.s_addr = address;
    m_lastNotifyOk = true;
    m_timedOut = false;
    m_peerClosed = false;
    checkError(connect(m_socket, reinterpret_cast<const sockaddr*>(&remote), sizeof remote));
    startTimer();
    waitFor([this] { return m_connected || m_timedOut || m_canceled || !m_lastNotifyOk || m_peerClosed; }, INT_MAX);
    stopTimer();
    // A peer that accepted and hung up at once: what it sent is kept and the reads
    // report the close.
    if (m_connected || (m_peerClosed && !m_timedOut && !m_canceled))
        return;
    if (OnConnectionFailed)
        OnConnectionFailed(this);
    if (m_timedOut)
        throw ESockError("Connection Timed out");
    if (m_canceled)
        throw ESockError("Connection Canceled");
    throw ESockError("Connection Failed");
}

void TPowersock::Write(const std::string& text)
{
    StatusMessage(8, "Write");
    const std::string buffer = text.substr(0, kTextBufferSize);
    SendBuffer(buffer.data(), static_cast<int>(buffer.size()));
}

void TPowersock::Writeln(const std::string& text)
{
    StatusMessage(8, "Writeln");
    Write(text + "\r\n");
}

void TPowersock::SendBuffer(const char* buffer, int count)
{
    StatusMessage(4, "Sending Buffer");
    const std::size_t length = count == 0 ? std::strlen(buffer) : static_cast<std::size_t>(std::max(count, 0));
    m_output.append(buffer, length);
    m_sent = false;
    m_lastError = 0;
    // Sending at once saves a turn of the loop per command; what does not fit goes on by message.
    writeFromStream();
    const auto failed = [this] { return m_lastError != 0 && m_lastError != WSAEWOULDBLOCK; };
    const bool done = waitFor([&] { return m_sent || m_canceled || !m_connected || failed(); }, ReplyTimeOut);
    if (m_sent)
        return;
    if (m_canceled) {
        m_canceled = false;
        throw EAbortError("Socket send aborted");
    }
    if (failed())
        throw ESockError(SocketErrorText(m_lastError));
    if (!m_connected)
        throw ESockError("Connection closed");
    if (!done) {
        DropConnection();
        throw ESockError("Socket send timed out");
    }
}

std::string TPowersock::ReadLn() { return ReadLn(ReplyTimeOut); }

std::string TPowersock::ReadLn(int timeoutMs)
{
    StatusMessage(8, "ReadLn");
    std::size_t scanned = m_inputPos;
    std::size_t lineEnd = std::string::npos;
    const auto lineReady = [&] {
        lineEnd = m_input.find('\n', scanned);
        if (lineEnd == std::string::npos)
            scanned = m_input.size();
        return lineEnd != std::string::npos;
    };
    const auto overlong = [&] { return lineEnd == std::string::npos && pendingInput() > MaxLineLength; };
    // Each pass also takes what the socket holds already, so a reply already here
    // does not wait for its notification's trip through the loop.
    const auto arrived = [&] {
        if (lineReady())
            return true;
        if (m_connected && !m_canceled)
            readToStream();
        return lineReady();
    };
    const bool done = waitFor([&] { return arrived() || overlong() || m_canceled || !m_connected; }, std::max(timeoutMs, 0));
    if (lineEnd == std::string::npos) {
        if (m_canceled)
            throw EAbortError("Socket readln aborted");
        if (overlong())
            throw ESockError("Reply line too long");
        if (!m_connected)
            throw ESockError("Connection closed");
        if (!done) {
            DropConnection();
            throw ESockError("Socket readln timed out");
        }
    }
    std::string line = m_input.substr(m_inputPos, lineEnd + 1 - m_inputPos);
    m_inputPos = lineEnd + 1;
    // Compacting only once half is spent keeps many short lines linear.
    if (m_inputPos > m_input.size() / 2) {
        m_input.erase(0, m_inputPos);
        m_inputPos = 0;
    }
    if (m_readHeld && pendingInput() <= MaxLineLength) {
        m_readHeld = false;
        PostMessage(m_window, WM_READ_IN, 0, 0);
    }
    return line;
}

std::string TPowersock::Transaction(const std::string& command)
{
    StatusMessage(8, "Transaction");
    m_replyNumber = 0;
    Writeln(command);
    m_lastReply = ReadLn();
    StatusMessage(1, m_lastReply);
    std::size_t digits = 0;
    while (digits < m_lastReply.size() && digits < 10 && m_lastReply[digits] >= '0' && m_lastReply[digits] <= '9')
        ++digits;
    m_replyNumber = digits ? static_cast<std::uint16_t>(std::stoull(m_lastReply.substr(0, digits))) : 0;
    return m_lastReply;
}

}  // namespace psock
