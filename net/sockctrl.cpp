#include "net/sockctrl.h"

#include "platform/rtl/sysutils.h"

#include <QCoreApplication>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>
#include <cstring>
#include <deque>
#include <typeinfo>
#include <vector>

namespace {

struct Deferred {
    TMessage message;
    TSockCtrl* component;
};

std::deque<Deferred> g_queue;
std::atomic<std::size_t> g_queueSize { 0 };
int g_waitDepth = 0;
int g_liveComponents = 0;

// The kit's own window: the shared one-second timer, and a place to keep held-back
// notifications flowing when the component that would have carried on is gone.
HWND g_kitWindow = 0;
constexpr UINT_PTR kTimeOutTimer = 1;
std::vector<TSockCtrl*> g_timed;  // head first

bool Terminating()
{
    return !QCoreApplication::instance() || QCoreApplication::closingDown();
}

void KitWindowProc(TMessage& message);

HWND KitWindow()
{
    if (!g_kitWindow)
        g_kitWindow = AllocateHWnd(KitWindowProc);
    return g_kitWindow;
}

}  // namespace

// Held-back notifications: one process-wide queue, delivered in arrival order.
class DeferredEvents {
public:
    static void Append(const TMessage& message, TSockCtrl* component)
    {
        g_queue.push_back({ message, component });
        g_queueSize = g_queue.size();
    }

    // Hands the head on when no wait runs; posts for the next one while entries remain.
    static void DeliverOne(HWND via)
    {
        if (g_waitDepth != 0 || g_queue.empty())
            return;
        Deferred next = g_queue.front();
        g_queue.pop_front();
        g_queueSize = g_queue.size();
        if (next.component)
            Application::Guarded([&] { next.component->DeliverSelect(next.message); });
        if (!g_queue.empty())
            PostMessage(via && IsWindow(via) ? via : KitWindow(), WM_SOCKET_DEFERRED, 0, 0);
    }

    static void Forget(TSockCtrl* component, winsock::SOCKET handle, bool everyHandle)
    {
        for (auto& d : g_queue)
            if (d.component == component && (everyHandle || d.message.WParam == handle))
                d.component = nullptr;
    }
};

// The components whose time-out counts down on the shared timer.
class TimeOutList {
public:
    static void Tick()
    {
        // From the tail towards the head; a handler may close or free any component.
        struct Item {
            TSockCtrl* component;
            std::weak_ptr<void> alive;
        };
        std::vector<Item> items;
        for (auto it = g_timed.rbegin(); it != g_timed.rend(); ++it)
            items.push_back({ *it, (*it)->Alive() });
        for (auto& item : items) {
            if (item.alive.expired())
                continue;
            TSockCtrl* c = item.component;
            if (!c->m_timing)
                continue;
            if (c->m_timeOutCount > 0) {
                --c->m_timeOutCount;
                continue;
            }
            c->StopTimeOut();
            Application::Guarded([&] {
                TSocketBase* socket = c->GetSocket();
                auto keep = socket->weak_from_this().lock();
                c->SocketInfo(socket, siTimedOut);
                if (!item.alive.expired())
                    c->SocketTimeOut(socket);
            });
        }
    }
};

namespace {

void KitWindowProc(TMessage& message)
{
    if (message.Msg == WM_TIMER && message.WParam == kTimeOutTimer)
        TimeOutList::Tick();
    else if (message.Msg == WM_SOCKET_DEFERRED)
        DeferredEvents::DeliverOne(0);
}

}  // namespace

std::size_t DeferredEventCount() { return g_queueSize.load(); }

void ForgetDeferredEvents()
{
    g_queue.clear();
    g_queueSize = 0;
    g_waitDepth = 0;
}

// --- TSockCtrl -------------------------------------------------------------------

TSockCtrl::TSockCtrl()
{
    m_window = AllocateHWnd([this](TMessage& message) { WndProc(message); });
    SetWinsockStopHook(ForgetDeferredEvents);
    StartWinsock();
    SetProtocol("tcp");
    m_socketClass = SocketClassOf<TStreamSocket>();
    ++g_liveComponents;
}

TSockCtrl::~TSockCtrl()
{
    StopTimeOut();
    FreeSocketObject(m_socket);
    DeferredEvents::Forget(this, 0, true);
    DeallocateHWnd(m_window);
    m_alive.reset();
    if (--g_liveComponents == 0) {
        StopWinsock();
        if (g_kitWindow) {
            DeallocateHWnd(g_kitWindow);
            g_kitWindow = 0;
        }
    }
}

void TSockCtrl::FreeSocketObject(std::shared_ptr<TSocketBase>& socket)
{
    if (!socket)
        return;
    // Someone inside the object's own handler may still hold it; it must not reach back.
    socket->Abandon();
    socket.reset();
}

void TSockCtrl::SetAddress(const std::string& address)
{
    m_address = address.substr(0, 255);
    if (WinsockAPI().IsDottedAddress(m_address)) {
        m_dottedAddress = m_address;
        m_hostName.clear();
    } else {
        m_hostName = m_address;
        m_dottedAddress.clear();
    }
}

void TSockCtrl::SetPort(const std::string& port)
{
    // A handler run during the lookup may free the component; its failure is then the caller's.
    const std::weak_ptr<void> alive = Alive();
    if (tWinsockAPI::IsPortNumber(port)) {
        // A number no port has would wrap round to some other port.
        const long number = std::strtol(port.c_str(), nullptr, 10);
        if (number < 0 || number > 65535)
            RaiseSocketError(winsock::WSAEINVAL, 0);
        m_port = port;
        m_portNumber = static_cast<std::uint16_t>(number);
        m_serviceName.clear();
        if (WinsockStarted()) {
            try {
                m_serviceName = LookupServiceName(m_portNumber);
            } catch (const ESockError&) {
                if (alive.expired())
                    throw;
                m_serviceName.clear();
            }
        }
    } else {
        m_port = port;
        m_serviceName = port;
        m_portNumber = 0;
        if (WinsockStarted()) {
            try {
                m_portNumber = LookupServicePort(port);
            } catch (const ESockError&) {
                if (alive.expired())
                    throw;
                m_portNumber = 0;
            }
        }
    }
}

void TSockCtrl::SetBound(const std::string& dottedAddress, std::uint16_t port)
{
    m_dottedAddress = dottedAddress;
    m_portNumber = port;
    m_port = std::to_string(port);
}

void TSockCtrl::SetProtocol(const std::string& protocol)
{
    static const std::pair<const char*, int> table[] = { { "IP", 0 },   { "ICMP", 1 }, { "GGP", 2 },
                                                         { "TCP", 6 },  { "PUP", 12 }, { "UDP", 17 },
                                                         { "IDP", 22 }, { "ND", 77 },  { "RAW", 255 } };
    m_protocol = protocol;
    if (tWinsockAPI::IsPortNumber(protocol)) {
        m_protocolNumber = static_cast<int>(std::strtol(protocol.c_str(), nullptr, 10));
        for (const auto& [name, number] : table)
            if (number == m_protocolNumber)
                m_protocolName = name;
        return;
    }
    m_protocolName = protocol;
    m_protocolNumber = -1;
    for (const auto& [name, number] : table)
        if (SameText(name, protocol))
            m_protocolNumber = number;
}

void TSockCtrl::SetSocketClass(TSocketClass socketClass)
{
    if (socketClass == m_socketClass)
        return;
    FreeSocketObject(m_socket);
    m_socketClass = socketClass;
}

TSocketBase* TSockCtrl::GetSocket()
{
    if (!m_socket)
        m_socket = CreateSocket();
    return m_socket.get();
}

std::shared_ptr<TSocketBase> TSockCtrl::CreateSocket() { return MakeSocket(m_socketClass); }

std::shared_ptr<TSocketBase> TSockCtrl::MakeSocket(TSocketClass socketClass)
{
    if (!socketClass)
        RaiseSocketError(0, 20026);
    std::shared_ptr<TSocketBase> socket = socketClass->create(this);
    TSocketOwnerLink link;
    link.window = m_window;
    link.fireEvent = [this](TSocketBase* s, TSocketEvent event, int code) { FireSocketEvent(s, event, code); };
    link.timeOut = [this](TTimeOutStep step) {
        switch (step) {
        case TTimeOutStep::Start: StartTimeOut(); break;
        case TTimeOutStep::Stop: StopTimeOut(); break;
        case TTimeOutStep::Clear: ClearTimeOutCount(); break;
        }
    };
    link.resolveHost = [this](const std::string& host) { return ResolveHostAddress(host); };
    link.lookupService = [this](const std::string& service) { return LookupServicePort(service); };
    link.hasReader = [this] { return static_cast<bool>(OnRead); };
    link.readBeforeClose = [this](TSocketBase* s) {
        try {
            SocketRead(s);
        } catch (const std::exception& error) {
            PeerFailed(s, error, false);
        }
    };
    socket->Link(std::move(link));
    return socket;
}

void TSockCtrl::FireSocketEvent(TSocketBase* socket, TSocketEvent event, int code)
{
    switch (event) {
    case TSocketEvent::Read:
        if (OnRead)
            OnRead(this, socket);
        break;
    case TSocketEvent::Write:
        if (OnWrite)
            OnWrite(this, socket);
        break;
    case TSocketEvent::Disconnect:
        if (OnDisconnect)
            OnDisconnect(this, socket);
        break;
    case TSocketEvent::Info:
        if (OnInfo)
            OnInfo(this, code, socket);
        break;
    case TSocketEvent::TimeOut:
        if (OnTimeOut)
            OnTimeOut(this, socket);
        break;
    case TSocketEvent::Accept: FireAccept(socket); break;
    case TSocketEvent::Connect: FireConnect(socket); break;
    case TSocketEvent::Reject: FireReject(socket); break;
    }
}

void TSockCtrl::FireAccept(TSocketBase*) { throw std::bad_cast(); }
void TSockCtrl::FireConnect(TSocketBase*) { throw std::bad_cast(); }
void TSockCtrl::FireReject(TSocketBase*) { throw std::bad_cast(); }

std::shared_ptr<TSocketBase> TSockCtrl::FindSocket(winsock::SOCKET handle) const
{
    if (m_socket && m_socket->Handle() == handle)
        return m_socket;
    return nullptr;
}

void TSockCtrl::DeliverSelect(TMessage& message)
{
    const int event = tWinsockAPI::EventOrLength(message.LParam);
    // The user's own connect reports as before; everything else a peer can cause.
    if (event == winsock::FD_CONNECT) {
        SocketMessage(message);
        return;
    }
    const std::shared_ptr<TSocketBase> socket = FindSocket(static_cast<winsock::SOCKET>(message.WParam));
    const std::weak_ptr<void> alive = Alive();
    try {
        SocketMessage(message);
    } catch (const std::exception& error) {
        if (!socket || alive.expired())
            throw;
        PeerFailed(socket.get(), error, event != winsock::FD_ACCEPT);
    }
}

void TSockCtrl::PeerFailed(TSocketBase* socket, const std::exception& error, bool endConnection)
{
    // The address kept at connect or accept: a peer that reset is no longer there to ask.
    const winsock::sockaddr_in& address = socket->Address();
    const std::string peer = address.sin_family == winsock::WS_AF_INET && address.sin_addr.s_addr != 0
        ? std::string(WinsockAPI().inet_ntoa(address.sin_addr))
        : std::string("?");
    const bool keeps = dynamic_cast<const TKeepsConnection*>(&error) != nullptr;
    const bool ends = endConnection && !keeps && socket->Connected();
    std::fprintf(stderr, "[net] %s (%s): %s%s\n", socket->GetName().c_str(), peer.c_str(), error.what(),
                 ends ? "; connection closed" : "");
    if (!ends)
        return;
    auto keep = socket->weak_from_this().lock();
    // Nothing more of what this peer sent is read: the close does not drain it.
    socket->SetState(ssClosing);
    try {
        socket->DoDisconnect();
    } catch (const std::exception& again) {
        std::fprintf(stderr, "[net] %s (%s): %s\n", socket->GetName().c_str(), peer.c_str(), again.what());
    }
}

void TSockCtrl::WndProc(TMessage& message)
{
    if (Terminating() && message.Msg != WM_SOCKET_CLOSED)
        return;
    const std::weak_ptr<void> alive = Alive();
    try {
        switch (message.Msg) {
        case WM_SOCKET_SELECT:
            if (g_waitDepth > 0 || !g_queue.empty())
                DeferredEvents::Append(message, this);
            else
                DeliverSelect(message);
            break;
        case WM_SOCKET_CLOSED:
            CancelPending(static_cast<winsock::SOCKET>(message.WParam), static_cast<std::uint64_t>(message.LParam));
            break;
        case WM_SOCKET_ASYNC:
            m_asyncResults[message.WParam] = { tWinsockAPI::ErrorOf(message.LParam),
                                               tWinsockAPI::EventOrLength(message.LParam) };
            break;
        default:
            break;
        }
    } catch (const std::exception& error) {
        Application::HandleException(error);
    }
    DeferredEvents::DeliverOne(alive.expired() ? 0 : m_window);
}

void TSockCtrl::CancelPending(winsock::SOCKET closedHandle, std::uint64_t)
{
    // Only that handle's entries: the component's other connections keep theirs.
    DeferredEvents::Forget(this, closedHandle, false);
}

int TSockCtrl::WaitForAsync(winsock::HANDLE task)
{
    ++g_waitDepth;
    const std::weak_ptr<void> alive = Alive();
    m_timedOut = false;
    bool aborted = false;
    bool completed = false;
    // A socket closed (or replaced) under the wait ends it too; its state is back to
    // inactive by the time the loop looks.
    const std::uint64_t serial = m_socket ? m_socket->Serial() : 0;
    const winsock::SOCKET handle = m_socket ? m_socket->Handle() : winsock::INVALID_SOCKET;
    Application::ProcessMessagesUntil(
        [&] {
            if (alive.expired() || Terminating()) {
                aborted = true;
                return true;
            }
            if (m_asyncResults.count(task)) {
                completed = true;
                return true;
            }
            if (m_timedOut)
                return true;
            if ((m_socket && m_socket->State() == ssClosing) ||
                (handle != winsock::INVALID_SOCKET && (!m_socket || m_socket->Serial() != serial || m_socket->Handle() != handle))) {
                aborted = true;
                return true;
            }
            return false;
        },
        INT_MAX);
    // Only the outermost wait lets held-back notifications flow again.
    if (--g_waitDepth <= 0) {
        g_waitDepth = 0;
        if (!alive.expired())
            PostMessage(m_window, WM_SOCKET_DEFERRED, 0, 0);
        else if (!g_queue.empty())
            PostMessage(KitWindow(), WM_SOCKET_DEFERRED, 0, 0);
    }
    if (alive.expired()) {
        WinsockAPI().WSACancelAsyncRequest(task);
        RaiseSocketError(winsock::WSAEINTR, 0);
    }
    if (!completed) {
        WinsockAPI().WSACancelAsyncRequest(task);
        if (aborted) {
            m_timeOutCount = 0;
            return winsock::WSAEINTR;
        }
        return winsock::WSAETIMEDOUT;
    }
    const AsyncResult result = m_asyncResults[task];
    m_asyncResults.erase(task);
    return result.error;
}

winsock::hostent* TSockCtrl::LookupHost(winsock::HANDLE task, std::vector<char>& buffer, int context)
{
    const int error = WaitForAsync(task);
    StopTimeOut();
    if (error != 0)
        RaiseSocketError(error, context);
    auto* host = reinterpret_cast<winsock::hostent*>(buffer.data());
    return host;
}

std::uint32_t TSockCtrl::ResolveHostAddress(const std::string& host)
{
    std::vector<char> buffer(winsock::MAXGETHOSTSTRUCT);
    StartTimeOut();
    const winsock::HANDLE task =
        WinsockAPI().WSAAsyncGetHostByName(m_window, WM_SOCKET_ASYNC, host.c_str(), buffer.data(), static_cast<int>(buffer.size()));
    if (task == 0) {
        StopTimeOut();
        RaiseSocketError(WinsockAPI().WSAGetLastError(), 20003);
    }
    winsock::hostent* found = LookupHost(task, buffer, 20001);
    if (!found->h_addr_list || !found->h_addr_list[0])
        RaiseSocketError(winsock::WSANO_DATA, 20001);
    std::uint32_t address = 0;
    std::memcpy(&address, found->h_addr_list[0], sizeof address);
    return address;
}

std::string TSockCtrl::ResolveHostAddressText(const std::string& host)
{
    winsock::in_addr in {};
    in.s_addr = ResolveHostAddress(host);
    return WinsockAPI().inet_ntoa(in);
}

std::string TSockCtrl::ResolveAddressHostName(const std::string& dottedAddress)
{
    const winsock::u_long address = WinsockAPI().inet_addr(dottedAddress.c_str());
    if (address == 0)
        RaiseSocketError(0, 20019);
    std::vector<char> buffer(winsock::MAXGETHOSTSTRUCT);
    StartTimeOut();
    const winsock::HANDLE task = WinsockAPI().WSAAsyncGetHostByAddr(m_window, WM_SOCKET_ASYNC, reinterpret_cast<const char*>(&address), 4,
                                                                   winsock::WS_AF_INET, buffer.data(), static_cast<int>(buffer.size()));
    if (task == 0) {
        StopTimeOut();
        RaiseSocketError(WinsockAPI().WSAGetLastError(), 20002);
    }
    winsock::hostent* found = LookupHost(task, buffer, 20006);
    return found->h_name ? found->h_name : "";
}

std::uint16_t TSockCtrl::LookupServicePort(const std::string& serviceName)
{
    std::vector<char> buffer(winsock::MAXGETHOSTSTRUCT);
    StartTimeOut();
    const winsock::HANDLE task = WinsockAPI().WSAAsyncGetServByName(m_window, WM_SOCKET_ASYNC, serviceName.c_str(), m_protocolName.c_str(),
                                                                   buffer.data(), static_cast<int>(buffer.size()));
    if (task == 0) {
        StopTimeOut();
        RaiseSocketError(WinsockAPI().WSAGetLastError(), 20004);
    }
    const int error = WaitForAsync(task);
    StopTimeOut();
    if (error != 0)
        return 0;
    auto* found = reinterpret_cast<winsock::servent*>(buffer.data());
    return WinsockAPI().ntohs(static_cast<winsock::u_short>(found->s_port));
}

std::string TSockCtrl::LookupServiceName(std::uint16_t port)
{
    std::vector<char> buffer(winsock::MAXGETHOSTSTRUCT);
    StartTimeOut();
    const winsock::HANDLE task = WinsockAPI().WSAAsyncGetServByPort(m_window, WM_SOCKET_ASYNC, WinsockAPI().htons(port), m_protocolName.c_str(),
                                                                   buffer.data(), static_cast<int>(buffer.size()));
    if (task == 0) {
        StopTimeOut();
        RaiseSocketError(WinsockAPI().WSAGetLastError(), 20005);
    }
    const int error = WaitForAsync(task);
    StopTimeOut();
    if (error != 0)
        return {};
    auto* found = reinterpret_cast<winsock::servent*>(buffer.data());
    return found->s_name ? found->s_name : "";
}

void TSockCtrl::StartTimeOut()
{
    if (m_timeOut == 0 || !OnTimeOut)
        return;
    // Already counting (a second Open while connecting): start the count again, link once.
    if (!m_timing) {
        g_timed.insert(g_timed.begin(), this);
        m_timing = true;
        if (g_timed.size() == 1)
            SetTimer(KitWindow(), kTimeOutTimer, 1000);
    }
    m_timeOutCount = m_timeOut;
    m_timedOut = false;
}

void TSockCtrl::StopTimeOut()
{
    if (!m_timing)
        return;
    g_timed.erase(std::remove(g_timed.begin(), g_timed.end(), this), g_timed.end());
    m_timing = false;
    if (g_timed.empty() && g_kitWindow)
        KillTimer(g_kitWindow, kTimeOutTimer);
}

void TSockCtrl::SocketDisconnect(TSocketBase* socket) { socket->DoDisconnect(); }
void TSockCtrl::SocketInfo(TSocketBase* socket, int code) { socket->DoInfo(code); }
void TSockCtrl::SocketRead(TSocketBase* socket) { socket->DoRead(); }
void TSockCtrl::SocketWrite(TSocketBase* socket) { socket->DoWrite(); }

void TSockCtrl::SocketTimeOut(TSocketBase* socket)
{
    m_timedOut = true;
    socket->DoTimeOut();
}
