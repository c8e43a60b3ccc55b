#pragma once

#include "net/socketbase.h"

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>

class TSockCtrl;

using TSocketNotifyEvent = std::function<void(TSockCtrl* Sender, TSocketBase* Socket)>;
using TSocketInfoEvent = std::function<void(TSockCtrl* Sender, int icode, TSocketBase* Socket)>;

// Base of the socket components: a hidden window that receives every notification of
// its sockets, the address, port and protocol settings, lookups that wait while the
// loop runs, and time-outs on one shared one-second timer. While any lookup waits,
// socket notifications are held back and delivered afterwards in arrival order.
class TSockCtrl {
public:
    TSockCtrl();
    virtual ~TSockCtrl();
    TSockCtrl(const TSockCtrl&) = delete;
    TSockCtrl& operator=(const TSockCtrl&) = delete;

    const std::string& Address() const { return m_address; }
    void SetAddress(const std::string& address);
    const std::string& HostName() const { return m_hostName; }
    const std::string& DottedAddress() const { return m_dottedAddress; }
    const std::string& Port() const { return m_port; }
    // A number outside 0..65535 raises ESockError "Invalid argument" and changes nothing.
    void SetPort(const std::string& port);
    const std::string& ServiceName() const { return m_serviceName; }
    std::uint16_t GetPortNumber() const { return m_portNumber; }
    const std::string& Protocol() const { return m_protocol; }
    void SetProtocol(const std::string& protocol);
    int ProtocolNumber() const { return m_protocolNumber; }
    const std::string& ProtocolName() const { return m_protocolName; }
    int TimeOut() const { return m_timeOut; }
    void SetTimeOut(int seconds) { m_timeOut = seconds < 0 ? 0 : seconds; }
    bool TimedOut() const { return m_timedOut; }

    TSocketClass SocketClass() const { return m_socketClass; }
    void SetSocketClass(TSocketClass socketClass);
    TSocketBase* GetSocket();
    HWND Window() const { return m_window; }

    // Lookups; each waits for its answer while other messages are handled.
    std::uint32_t ResolveHostAddress(const std::string& host);
    std::string ResolveHostAddressText(const std::string& host);
    std::string ResolveAddressHostName(const std::string& dottedAddress);
    // 0 or "" when the service is unknown.
    std::uint16_t LookupServicePort(const std::string& serviceName);
    std::string LookupServiceName(std::uint16_t port);
    std::string GetLocalHostName() const { return ::GetLocalHostName(); }

    void StartTimeOut();
    void StopTimeOut();
    void ClearTimeOutCount() { m_timeOutCount = 0; }
    bool Timing() const { return m_timing; }

    // The socket's handlers reach these.
    virtual void SocketDisconnect(TSocketBase* socket);
    virtual void SocketInfo(TSocketBase* socket, int code);
    virtual void SocketRead(TSocketBase* socket);
    virtual void SocketWrite(TSocketBase* socket);
    virtual void SocketTimeOut(TSocketBase* socket);

    TSocketInfoEvent OnInfo;
    TSocketNotifyEvent OnDisconnect;
    TSocketNotifyEvent OnRead;
    TSocketNotifyEvent OnWrite;
    TSocketNotifyEvent OnTimeOut;

protected:
    // A socket object closed: its queued notifications go.
    virtual void CancelPending(winsock::SOCKET closedHandle, std::uint64_t serial);
    virtual void SocketMessage(TMessage& message) = 0;
    virtual int WaitForAsync(winsock::HANDLE task);
    virtual std::shared_ptr<TSocketBase> CreateSocket();
    // An object of the class, linked to this component.
    std::shared_ptr<TSocketBase> MakeSocket(TSocketClass socketClass);
    // The socket object a notification names; null when none.
    virtual std::shared_ptr<TSocketBase> FindSocket(winsock::SOCKET handle) const;
    // Only the kinds that have these events fire them; others fail as an invalid cast.
    virtual void FireAccept(TSocketBase* socket);
    virtual void FireConnect(TSocketBase* socket);
    virtual void FireReject(TSocketBase* socket);

    // Expires when the component is freed, so code after a handler can tell.
    std::weak_ptr<void> Alive() const { return m_alive; }
    void FreeSocketObject(std::shared_ptr<TSocketBase>& socket);

    std::shared_ptr<TSocketBase> m_socket;

private:
    friend class DeferredEvents;
    friend class TimeOutList;
    void WndProc(TMessage& message);
    // Hands a select notification on. What goes wrong because of a peer (its data, its
    // reset, its going away) is logged, never shown: only its connection pays for it.
    void DeliverSelect(TMessage& message);
    void PeerFailed(TSocketBase* socket, const std::exception& error, bool endConnection);
    void FireSocketEvent(TSocketBase* socket, TSocketEvent event, int code);
    winsock::hostent* LookupHost(winsock::HANDLE task, std::vector<char>& buffer, int context);

    HWND m_window { 0 };
    std::shared_ptr<int> m_alive { std::make_shared<int>(0) };
    int m_timeOutCount { 0 };
    bool m_timing { false };
    std::string m_address;
    std::string m_hostName;
    std::string m_dottedAddress { "0.0.0.0" };
    std::string m_port;
    std::string m_serviceName;
    std::uint16_t m_portNumber { 0 };
    std::string m_protocol;
    int m_protocolNumber { 0 };
    std::string m_protocolName;
    int m_timeOut { 0 };
    bool m_timedOut { false };
    TSocketClass m_socketClass { nullptr };
    struct AsyncResult {
        int error { 0 };
        int length { 0 };
    };
    std::map<winsock::HANDLE, AsyncResult> m_asyncResults;

protected:
    // A connect found these.
    void SetResolved(const std::string& dottedAddress, std::uint16_t port)
    {
        m_dottedAddress = dottedAddress;
        m_portNumber = port;
    }
    // A listen bound these: the port number and its text show the port in use.
    void SetBound(const std::string& dottedAddress, std::uint16_t port);
};

// Notifications held back now, for tests that need to see one queued.
std::size_t DeferredEventCount();
// Runs as Winsock stops: drops every held-back notification.
void ForgetDeferredEvents();
