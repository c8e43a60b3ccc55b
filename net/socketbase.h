#pragma once

#include "net/winsockapi.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TSockCtrl;
class TSocketBase;

// The select options of an outgoing or accepted socket; the bits are Winsock's events.
using TClientSocketOptions = unsigned;
inline constexpr TClientSocketOptions csoRead = 0x01;
inline constexpr TClientSocketOptions csoWrite = 0x02;
inline constexpr TClientSocketOptions csoOOB = 0x04;

// Socket states.
inline constexpr std::uint8_t ssInactive = 0;
inline constexpr std::uint8_t ssConnected = 1;
inline constexpr std::uint8_t ssClosing = 2;
inline constexpr std::uint8_t ssListening = 3;

// Progress reported through OnInfo.
inline constexpr int siInactive = 0;
inline constexpr int siLookUp = 1;
inline constexpr int siConnecting = 2;
inline constexpr int siConnected = 3;
inline constexpr int siListening = 4;
inline constexpr int siRecv = 5;
inline constexpr int siSend = 6;
inline constexpr int siClosed = 7;
inline constexpr int siTimedOut = 8;
inline constexpr int siAccept = 9;
inline constexpr int siNoSuchSocket = 10;
inline constexpr int siReject = 11;
inline constexpr int siDisconnected = 12;
// "Inactive" ... "Disconnected"; "" for codes outside the table.
std::string SocketInfoText(int code);

// Messages of a socket component's hidden window.
inline constexpr UINT WM_SOCKET_SELECT = WM_USER + 1111;
inline constexpr UINT WM_SOCKET_CLOSED = WM_USER + 1112;
inline constexpr UINT WM_SOCKET_ASYNC = WM_USER + 1114;
inline constexpr UINT WM_SOCKET_DEFERRED = WM_USER + 1115;

// The component events a socket object fires.
enum class TSocketEvent { Read, Write, Accept, Connect, Disconnect, Info, TimeOut, Reject };
enum class TTimeOutStep { Start, Stop, Clear };

// How a socket object reaches the component that owns it. The component fills this in
// when it makes the object, so the socket needs nothing of the component's unit.
struct TSocketOwnerLink {
    HWND window { 0 };
    std::function<void(TSocketBase* socket, TSocketEvent event, int code)> fireEvent;
    std::function<void(TTimeOutStep step)> timeOut;
    std::function<std::uint32_t(const std::string& host)> resolveHost;
    std::function<std::uint16_t(const std::string& service)> lookupService;
    // True when the component reads (has OnRead): data left at a close goes to readBeforeClose.
    std::function<bool()> hasReader;
    std::function<void(TSocketBase* socket)> readBeforeClose;
};

// Marks a failure after which the connection can go on: the peer's bytes wait for a reader.
class TKeepsConnection {
public:
    virtual ~TKeepsConnection() = default;
};

// A socket class: what a component makes its socket objects of.
struct TSocketClassInfo {
    const char* name;
    std::shared_ptr<TSocketBase> (*create)(TSockCtrl* component);
};
using TSocketClass = const TSocketClassInfo*;

template <class T>
TSocketClass SocketClassOf()
{
    static const TSocketClassInfo info { T::ClassName, [](TSockCtrl* component) -> std::shared_ptr<TSocketBase> {
                                            return std::make_shared<T>(component);
                                        } };
    return &info;
}

// One Windows Sockets handle, owned by a socket component that feeds it notifications.
class TSocketBase : public std::enable_shared_from_this<TSocketBase> {
public:
    explicit TSocketBase(TSockCtrl* component);
    virtual ~TSocketBase();
    TSocketBase(const TSocketBase&) = delete;
    TSocketBase& operator=(const TSocketBase&) = delete;

    virtual void DoRead();
    virtual void DoWrite();
    virtual void DoAccept();
    virtual void DoConnect();
    virtual void DoDisconnect();
    virtual void DoInfo(int code);
    virtual void DoTimeOut();
    virtual void DoReject();
    virtual std::string GetName();
    virtual bool Connected() const { return m_state == ssConnected; }
    virtual void SetSocketType(int type) { m_socketType = type; }
    virtual int Send(const void* buffer, int count) = 0;
    virtual int Receive(void* buffer, int count) = 0;
    // After the address is resolved, before the handle is registered for notifications.
    virtual void BeforeSelect() {}
    virtual void Listen(std::string& hostName, int queueLength, std::uint16_t& port, std::string& serviceName,
                        std::string& dottedAddress) = 0;
    virtual void Connect(std::string& hostName, TClientSocketOptions options, std::uint16_t& port,
                         std::string& serviceName, std::string& dottedAddress) = 0;
    virtual void Close();

    std::uint16_t GetLocalPort();
    std::string GetPeerAddress();
    // Bytes waiting in the network; a full 32-bit count.
    std::uint32_t BytesAvailable();
    void ResolveAddress(const std::string& hostName, std::string& dottedAddress, const std::string& serviceName,
                        std::uint16_t& port);

    int LastError() const { return m_lastError; }
    void SetLastError(int error) { m_lastError = error; }
    winsock::SOCKET Handle() const { return m_handle; }
    void SetHandle(winsock::SOCKET handle) { m_handle = handle; }
    std::uint8_t State() const { return m_state; }
    void SetState(std::uint8_t state) { m_state = state; }
    int SocketType() const { return m_socketType; }
    winsock::sockaddr_in& Address() { return m_address; }
    // The owning component; null once it is gone.
    TSockCtrl* Component() const { return m_component; }
    // The owning component makes itself reachable; done right after the object is made.
    void Link(TSocketOwnerLink link) { m_link = std::move(link); }
    // The component is gone: the handle closes quietly and nothing more is reported.
    void Abandon();
    // Unique in the process, for messages that name a socket object.
    std::uint64_t Serial() const { return m_serial; }

protected:
    // The error rule: stores the error, tolerates one code (the call moved nothing), raises others.
    bool CallFailed(int result, int tolerated, int context);
    void CloseHandleQuietly();
    void Fire(TSocketEvent event, int code = 0);
    void TimeOut(TTimeOutStep step);
    HWND OwnerWindow() const { return m_link.window; }

    int m_lastError { 0 };
    winsock::SOCKET m_handle { winsock::INVALID_SOCKET };
    TSockCtrl* m_component { nullptr };
    TSocketOwnerLink m_link;
    winsock::sockaddr_in m_address {};
    std::uint8_t m_state { ssInactive };
    int m_socketType { winsock::WS_SOCK_STREAM };
    std::string m_name;
    std::uint64_t m_serial { 0 };
};

// A TCP socket.
class TStreamSocket : public TSocketBase {
public:
    static constexpr const char* ClassName = "TStreamSocket";
    using TSocketBase::TSocketBase;

    void SetSocketType(int type) override;
    int Send(const void* buffer, int count) override;
    int Receive(void* buffer, int count) override;
    void Listen(std::string& hostName, int queueLength, std::uint16_t& port, std::string& serviceName,
                std::string& dottedAddress) override;
    void Connect(std::string& hostName, TClientSocketOptions options, std::uint16_t& port, std::string& serviceName,
                 std::string& dottedAddress) override;
    void Close() override;
};

// A server's accepted socket objects.
class TSocketList {
public:
    int Count() const { return static_cast<int>(m_items.size()); }
    TSocketBase* operator[](int index) const { return m_items.at(static_cast<std::size_t>(index)).get(); }
    void Add(std::shared_ptr<TSocketBase> socket) { m_items.push_back(std::move(socket)); }
    std::shared_ptr<TSocketBase> FindByHandle(winsock::SOCKET handle) const;
    std::shared_ptr<TSocketBase> FindBySerial(std::uint64_t serial) const;
    // Takes the object out of the list; it is freed when nothing else holds it.
    void Remove(const TSocketBase* socket);
    std::vector<std::shared_ptr<TSocketBase>> TakeAll() { return std::move(m_items); }

private:
    std::vector<std::shared_ptr<TSocketBase>> m_items;
};

// Keep this, not a raw pointer, to a socket beyond the handler that got it:
// it turns empty when the socket object is freed.
template <class T = TSocketBase>
class TSocketRef {
public:
    TSocketRef() = default;
    TSocketRef(T* socket)
    {
        if (socket)
            m_socket = socket->weak_from_this();
    }
    std::shared_ptr<T> Lock() const { return std::dynamic_pointer_cast<T>(m_socket.lock()); }
    T* Get() const { return Lock().get(); }
    explicit operator bool() const { return !m_socket.expired(); }
    bool operator==(const T* socket) const { return Get() == socket; }

private:
    std::weak_ptr<TSocketBase> m_socket;
};
