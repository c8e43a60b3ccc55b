#include "platform/win/winsock.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>

namespace winsock {

namespace {

thread_local int t_lastError = 0;

int Fail(int error)
{
    t_lastError = error;
    return SOCKET_ERROR;
}

int MapErrno(int e)
{
    switch (e) {
    case 0: return 0;
    case EINTR: return WSAEINTR;
    case EBADF: return WSAEBADF;
    case EACCES: case EPERM: return WSAEACCES;
    case EFAULT: return WSAEFAULT;
    case EINVAL: return WSAEINVAL;
    case EMFILE: case ENFILE: return WSAEMFILE;
    case EAGAIN: return WSAEWOULDBLOCK;
    case EINPROGRESS: return WSAEINPROGRESS;
    case EALREADY: return WSAEALREADY;
    case ENOTSOCK: return WSAENOTSOCK;
    case EDESTADDRREQ: return WSAEDESTADDRREQ;
    case EMSGSIZE: return WSAEMSGSIZE;
    case EPROTOTYPE: return WSAEPROTOTYPE;
    case ENOPROTOOPT: return WSAENOPROTOOPT;
    case EPROTONOSUPPORT: return WSAEPROTONOSUPPORT;
    case ESOCKTNOSUPPORT: return WSAESOCKTNOSUPPORT;
    case EOPNOTSUPP: return WSAEOPNOTSUPP;
    case EPFNOSUPPORT: return WSAEPFNOSUPPORT;
    case EAFNOSUPPORT: return WSAEAFNOSUPPORT;
    case EADDRINUSE: return WSAEADDRINUSE;
    case EADDRNOTAVAIL: return WSAEADDRNOTAVAIL;
    case ENETDOWN: return WSAENETDOWN;
    case ENETUNREACH: return WSAENETUNREACH;
    case ENETRESET: return WSAENETRESET;
    case ECONNABORTED: return WSAECONNABORTED;
    case ECONNRESET: case EPIPE: return WSAECONNRESET;
    case ENOBUFS: case ENOMEM: return WSAENOBUFS;
    case EISCONN: return WSAEISCONN;
    case ENOTCONN: return WSAENOTCONN;
    case ESHUTDOWN: return WSAESHUTDOWN;
    case ETOOMANYREFS: return WSAETOOMANYREFS;
    case ETIMEDOUT: return WSAETIMEDOUT;
    case ECONNREFUSED: return WSAECONNREFUSED;
    case ELOOP: return WSAELOOP;
    case ENAMETOOLONG: return WSAENAMETOOLONG;
    case EHOSTDOWN: return WSAEHOSTDOWN;
    case EHOSTUNREACH: return WSAEHOSTUNREACH;
    case ENOTEMPTY: return WSAENOTEMPTY;
    case EUSERS: return WSAEUSERS;
    case EDQUOT: return WSAEDQUOT;
    case ESTALE: return WSAESTALE;
    case EREMOTE: return WSAEREMOTE;
    default: return WSAEINVAL;
    }
}

int FailErrno() { return Fail(MapErrno(errno)); }

std::atomic<int> g_startups { 0 };

bool SimulatedAddress(u_long& address)
{
    const char* text = std::getenv("KORVO_LOCAL_ADDRESS");
    if (!text || !*text)
        return false;
    ::in_addr parsed {};
    if (::inet_pton(AF_INET, text, &parsed) != 1)
        return false;
    address = parsed.s_addr;
    return true;
}

::sockaddr_in ToPosix(const sockaddr_in& in)
{
    ::sockaddr_in out {};
    out.sin_family = AF_INET;
    out.sin_port = in.sin_port;
    out.sin_addr.s_addr = in.sin_addr.s_addr;
    return out;
}

void FromPosix(const ::sockaddr_in& in, sockaddr* out, int* len)
{
    if (!out || !len || *len < static_cast<int>(sizeof(sockaddr_in)))
        return;
    sockaddr_in result {};
    result.sin_family = WS_AF_INET;
    result.sin_port = in.sin_port;
    result.sin_addr.s_addr = in.sin_addr.s_addr;
    std::memcpy(out, &result, sizeof result);
    *len = sizeof(sockaddr_in);
}

// One socket of this layer. Flags follow Winsock's re-enabling rules: each event is
// posted once and armed again only by the call that consumes it. A read notification
// is also held back while one is still waiting in the queue, so however fast the peer
// sends, a socket has at most one waiting.
struct Entry {
    SOCKET id { INVALID_SOCKET };
    int fd { -1 };
    int type { WS_SOCK_STREAM };
    bool nonBlocking { false };
    bool bound { false };
    bool listening { false };
    bool connecting { false };
    bool connected { false };
    bool closePosted { false };
    bool readEnabled { true };
    bool acceptEnabled { true };
    bool writeWanted { false };
    HWND wnd { 0 };
    UINT msg { 0 };
    long events { 0 };
    // Changed from the window's thread when a notification is taken, so not under the lock.
    std::atomic<int> readsQueued { 0 };
    std::atomic<int> mostReadsQueued { 0 };
};

// A simulated host speaks from its own address; false (errno set) when it cannot bind.
bool BindToSimulatedHost(Entry& e)
{
    u_long simulated = 0;
    if (e.bound || !SimulatedAddress(simulated))
        return true;
    ::sockaddr_in local {};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = simulated;
    if (::bind(e.fd, reinterpret_cast<::sockaddr*>(&local), sizeof local) != 0)
        return false;
    e.bound = true;
    return true;
}

void Post(const Entry& e, long event, int error)
{
    if (e.wnd && (e.events & event))
        PostMessage(e.wnd, e.msg, e.id, WSAMAKESELECTREPLY(event, error));
}

void ReadTaken(const std::shared_ptr<Entry>& e);
// Set while this thread posts a read under the table's lock.
thread_local bool t_postingRead = false;

// Posts FD_READ unless one still waits; false when it was held back.
bool PostRead(const std::shared_ptr<Entry>& e)
{
    if (!e->wnd || !(e->events & FD_READ))
        return true;
    if (e->readsQueued.load() > 0)
        return false;
    e->readEnabled = false;
    const int queued = ++e->readsQueued;
    if (queued > e->mostReadsQueued.load())
        e->mostReadsQueued = queued;
    const std::weak_ptr<Entry> weak = e;
    t_postingRead = true;
    const bool posted = PostMessageTracked(e->wnd, e->msg, e->id, WSAMAKESELECTREPLY(FD_READ, 0), [weak] {
        if (auto taken = weak.lock())
            ReadTaken(taken);
    });
    t_postingRead = false;
    if (!posted)
        --e->readsQueued;
    return true;
}

int PendingBytes(int fd)
{
    int n = 0;
    if (::ioctl(fd, FIONREAD, &n) != 0)
        return 0;
    return n;
}

int SocketError(int fd)
{
    int error = 0;
    socklen_t len = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) != 0)
        return errno;
    return error;
}

// All sockets, and the one thread that watches them for the windows that asked.
class Table {
public:
    Table()
    {
        m_wake = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        m_thread = std::thread([this] { Run(); });
    }

    ~Table()
    {
        {
            std::lock_guard guard(m_lock);
            m_stop = true;
        }
        Wake();
        m_thread.join();
        for (auto& [id, e] : m_entries)
            ::close(e->fd);
        ::close(m_wake);
    }

    std::mutex& lock() { return m_lock; }

    SOCKET Add(int fd, int type)
    {
        auto e = std::make_shared<Entry>();
        e->id = m_next++;
        e->fd = fd;
        e->type = type;
        m_entries.emplace(e->id, e);
        return e->id;
    }

    std::shared_ptr<Entry> Find(SOCKET s)
    {
        auto it = m_entries.find(s);
        return it == m_entries.end() ? nullptr : it->second;
    }

    std::shared_ptr<Entry> Remove(SOCKET s)
    {
        auto it = m_entries.find(s);
        if (it == m_entries.end())
            return nullptr;
        auto e = it->second;
        m_entries.erase(it);
        return e;
    }

    std::vector<SOCKET> Ids()
    {
        std::vector<SOCKET> ids;
        for (auto& [id, e] : m_entries)
            ids.push_back(id);
        return ids;
    }

    void Wake()
    {
        const std::uint64_t one = 1;
        [[maybe_unused]] auto written = ::write(m_wake, &one, sizeof one);
    }

private:
    static short Interest(const Entry& e, bool& watch)
    {
        watch = false;
        if (!e.wnd || !e.events)
            return 0;
        if (e.listening) {
            watch = (e.events & FD_ACCEPT) && e.acceptEnabled;
            return watch ? POLLIN : 0;
        }
        // Until the waiting read notification is taken nothing new can be said of the
        // socket; its taking wakes the watcher.
        if (e.readsQueued.load() > 0)
            return 0;
        if (e.type == WS_SOCK_DGRAM) {
            short w = 0;
            if ((e.events & FD_READ) && e.readEnabled)
                w |= POLLIN;
            if ((e.events & FD_WRITE) && e.writeWanted)
                w |= POLLOUT;
            watch = w != 0;
            return w;
        }
        if (e.connecting) {
            watch = true;
            return POLLOUT;
        }
        if (!e.connected || e.closePosted)
            return 0;
        short w = 0;
        // With a read outstanding the end of the stream waits until the data is taken.
        if (!(e.events & FD_READ))
            w |= POLLRDHUP;
        else if (e.readEnabled)
            w |= POLLIN | POLLRDHUP;
        if ((e.events & FD_WRITE) && e.writeWanted)
            w |= POLLOUT;
        // Errors and hang-ups are reported even with no events asked.
        watch = true;
        return w;
    }

    void Handle(const std::shared_ptr<Entry>& entry, short revents)
    {
        Entry& e = *entry;
        if (e.listening) {
            if (e.acceptEnabled && (revents & (POLLIN | POLLERR | POLLHUP))) {
                e.acceptEnabled = false;
                Post(e, FD_ACCEPT, 0);
            }
            return;
        }
        if (e.type == WS_SOCK_DGRAM) {
            if ((revents & POLLIN) && e.readEnabled)
                PostRead(entry);
            if ((revents & POLLOUT) && e.writeWanted) {
                e.writeWanted = false;
                Post(e, FD_WRITE, 0);
            }
            return;
        }
        if (e.connecting) {
            if (!(revents & (POLLOUT | POLLERR | POLLHUP)))
                return;
            e.connecting = false;
            const int error = SocketError(e.fd);
            if (error == 0) {
                e.connected = true;
                e.readEnabled = true;
                Post(e, FD_CONNECT, 0);
                Post(e, FD_WRITE, 0);
            } else {
                Post(e, FD_CONNECT, MapErrno(error));
            }
            return;
        }
        if (!e.connected || e.closePosted)
            return;
        if (revents & (POLLERR | POLLHUP)) {
            const int error = MapErrno(SocketError(e.fd));
            if (error == 0 && e.readEnabled && (e.events & FD_READ) && PendingBytes(e.fd) > 0) {
                PostRead(entry);
                return;
            }
            e.closePosted = true;
            Post(e, FD_CLOSE, error);
            return;
        }
        if (revents & (POLLIN | POLLRDHUP)) {
            if ((e.events & FD_READ) && PendingBytes(e.fd) > 0) {
                if (e.readEnabled)
                    PostRead(entry);
            } else if (revents & POLLRDHUP) {
                // The peer's end, with nothing (or nothing asked for) left to read.
                e.closePosted = true;
                Post(e, FD_CLOSE, 0);
                return;
            }
            // Otherwise the owner read it all meanwhile.
        }
        if ((revents & POLLOUT) && e.writeWanted) {
            e.writeWanted = false;
            Post(e, FD_WRITE, 0);
        }
    }

    void Run()
    {
        std::vector<::pollfd> fds;
        std::vector<SOCKET> ids;
        for (;;) {
            fds.clear();
            ids.clear();
            {
                std::lock_guard guard(m_lock);
                if (m_stop)
                    return;
                fds.push_back({ m_wake, POLLIN, 0 });
                ids.push_back(INVALID_SOCKET);
                for (auto& [id, e] : m_entries) {
                    bool watch = false;
                    const short w = Interest(*e, watch);
                    if (watch) {
                        fds.push_back({ e->fd, w, 0 });
                        ids.push_back(id);
                    }
                }
            }
            if (::poll(fds.data(), fds.size(), -1) < 0)
                continue;
            std::lock_guard guard(m_lock);
            if (fds[0].revents) {
                std::uint64_t count = 0;
                [[maybe_unused]] auto got = ::read(m_wake, &count, sizeof count);
            }
            for (std::size_t i = 1; i < fds.size(); ++i) {
                if (!fds[i].revents)
                    continue;
                // A socket closed meanwhile may have left its descriptor to a new one.
                auto e = Find(ids[i]);
                if (e && e->fd == fds[i].fd)
                    Handle(e, fds[i].revents);
            }
        }
    }

    std::mutex m_lock;
    std::unordered_map<SOCKET, std::shared_ptr<Entry>> m_entries;
    SOCKET m_next { 0x100 };
    int m_wake { -1 };
    bool m_stop { false };
    std::thread m_thread;
};

Table& table()
{
    static Table instance;
    return instance;
}

// A read notification was handled: when the handler's recv armed the next one and
// data still waits, it is posted at once rather than by the watcher's next round.
void ReadTaken(const std::shared_ptr<Entry>& e)
{
    --e->readsQueued;
    // Dropped while this thread posts under the lock: the watcher looks again anyway.
    if (t_postingRead)
        return;
    std::unique_lock guard(table().lock());
    if (table().Find(e->id) == e && e->type == WS_SOCK_STREAM && e->connected &&
        !e->closePosted && e->readEnabled && e->readsQueued.load() == 0 && PendingBytes(e->fd) > 0) {
        PostRead(e);
        return;
    }
    guard.unlock();
    table().Wake();
}

// The bodies some entry points share with others of this layer.
int CloseEntry(SOCKET s)
{
    std::shared_ptr<Entry> e;
    {
        std::lock_guard guard(table().lock());
        e = table().Remove(s);
    }
    if (!e)
        return Fail(WSAENOTSOCK);
    // The watcher's poll holds the socket until it wakes, so a closed listener could
    // still own its port when the caller binds it again; shutting it down frees it now.
    if (e->listening)
        ::shutdown(e->fd, SHUT_RDWR);
    ::close(e->fd);
    table().Wake();
    return 0;
}

// The socket a send or a receive works on, once both have checked it; nullptr, with
// the error set, when it may not.
std::shared_ptr<Entry> ConnectedEntry(SOCKET s, const char* buf, int len)
{
    std::shared_ptr<Entry> e;
    bool connected = false;
    {
        std::lock_guard guard(table().lock());
        e = table().Find(s);
        connected = e && (e->type != WS_SOCK_STREAM || e->connected);
    }
    const int error = !e ? WSAENOTSOCK : (len < 0 || (!buf && len > 0)) ? WSAEFAULT : !connected ? WSAENOTCONN : 0;
    if (error == 0)
        return e;
    Fail(error);
    return nullptr;
}

int SendConnected(SOCKET s, const char* buf, int len, int flags)
{
    const std::shared_ptr<Entry> e = ConnectedEntry(s, buf, len);
    if (!e)
        return SOCKET_ERROR;
    const ssize_t n = ::send(e->fd, buf, static_cast<std::size_t>(len), MSG_NOSIGNAL | ((flags & WS_MSG_OOB) ? MSG_OOB : 0));
    if (n < 0) {
        const int error = errno;
        if (error == EAGAIN) {
            {
                std::lock_guard guard(table().lock());
                e->writeWanted = true;
            }
            table().Wake();
        }
        return Fail(MapErrno(error));
    }
    t_lastError = 0;
    return static_cast<int>(n);
}

// In a buffer of the calling thread, valid until its next call.
char* DottedText(u_long address)
{
    thread_local char buffer[INET_ADDRSTRLEN];
    ::in_addr a {};
    a.s_addr = address;
    ::inet_ntop(AF_INET, &a, buffer, sizeof buffer);
    return buffer;
}

// --- lookups ---------------------------------------------------------------

enum class LookupKind { HostByName, HostByAddr, ServByName, ServByPort };

struct Lookup {
    HANDLE id { 0 };
    LookupKind kind { LookupKind::HostByName };
    HWND wnd { 0 };
    UINT msg { 0 };
    std::string query;
    u_long address { 0 };
    int port { 0 };
    std::string proto;
    char* buf { nullptr };
    int buflen { 0 };
    bool cancelled { false };
};

struct HostResult {
    int error { 0 };
    std::string name;
    std::vector<u_long> addresses;
};

struct ServResult {
    int error { 0 };
    std::string name;
    int port { 0 };  // network order
    std::string proto;
};

int MapLookupError(int eai)
{
    switch (eai) {
    case EAI_NONAME: return WSAHOST_NOT_FOUND;
    case EAI_AGAIN: return WSATRY_AGAIN;
#ifdef EAI_NODATA
    case EAI_NODATA: return WSANO_DATA;
#endif
#ifdef EAI_ADDRFAMILY
    case EAI_ADDRFAMILY: return WSANO_DATA;
#endif
    default: return WSANO_RECOVERY;
    }
}

std::string LocalHostName()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return {};
    return name;
}

HostResult ResolveHost(const std::string& name)
{
    HostResult r;
    if (name.empty() || strcasecmp(name.c_str(), LocalHostName().c_str()) == 0) {
        r.name = LocalHostName();
        r.addresses = LocalAddresses();
        return r;
    }
    ::addrinfo hints {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_CANONNAME;
    ::addrinfo* list = nullptr;
    const int rc = ::getaddrinfo(name.c_str(), nullptr, &hints, &list);
    if (rc != 0) {
        r.error = MapLookupError(rc);
        return r;
    }
    r.name = list->ai_canonname ? list->ai_canonname : name;
    for (auto* a = list; a; a = a->ai_next) {
        const u_long address = reinterpret_cast<::sockaddr_in*>(a->ai_addr)->sin_addr.s_addr;
        if (std::find(r.addresses.begin(), r.addresses.end(), address) == r.addresses.end())
            r.addresses.push_back(address);
    }
    ::freeaddrinfo(list);
    if (r.addresses.empty())
        r.error = WSANO_DATA;
    return r;
}

HostResult ResolveAddr(u_long address)
{
    HostResult r;
    ::sockaddr_in sa {};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = address;
    char host[NI_MAXHOST] = {};
    const int rc = ::getnameinfo(reinterpret_cast<::sockaddr*>(&sa), sizeof sa, host, sizeof host, nullptr, 0, NI_NAMEREQD);
    if (rc != 0) {
        r.error = MapLookupError(rc);
        return r;
    }
    r.name = host;
    r.addresses.push_back(address);
    return r;
}

ServResult ResolveServ(const Lookup& l)
{
    ServResult r;
    ::servent entry {};
    ::servent* found = nullptr;
    char scratch[1024];
    const char* proto = l.proto.empty() ? nullptr : l.proto.c_str();
    if (l.kind == LookupKind::ServByName)
        ::getservbyname_r(l.query.c_str(), proto, &entry, scratch, sizeof scratch, &found);
    else
        ::getservbyport_r(l.port, proto, &entry, scratch, sizeof scratch, &found);
    if (!found) {
        r.error = WSANO_DATA;
        return r;
    }
    r.name = found->s_name ? found->s_name : "";
    r.port = found->s_port;
    r.proto = found->s_proto ? found->s_proto : "";
    return r;
}

// Lays a structure and what it points at into the caller's buffer.
class Layout {
public:
    Layout(char* buf, int len) : m_buf(buf), m_len(len) {}
    std::size_t used() const { return m_used; }
    bool fits() const { return m_used <= static_cast<std::size_t>(m_len); }

    template <class T>
    T* take(std::size_t count = 1)
    {
        const auto base = reinterpret_cast<std::uintptr_t>(m_buf);
        std::size_t offset = m_used;
        const std::size_t misalign = (base + offset) % alignof(T);
        if (misalign)
            offset += alignof(T) - misalign;
        m_used = offset + sizeof(T) * count;
        return fits() ? reinterpret_cast<T*>(m_buf + offset) : nullptr;
    }

    char* text(const std::string& s)
    {
        char* p = take<char>(s.size() + 1);
        if (p)
            std::memcpy(p, s.c_str(), s.size() + 1);
        return p;
    }

private:
    char* m_buf;
    int m_len;
    std::size_t m_used { 0 };
};

int WriteHost(const HostResult& r, char* buf, int buflen, int& length)
{
    Layout out(buf, buflen);
    auto* h = out.take<hostent>();
    auto** aliases = out.take<char*>();
    auto** list = out.take<char*>(r.addresses.size() + 1);
    auto* addrs = out.take<u_long>(r.addresses.size());
    char* name = out.text(r.name);
    length = static_cast<int>(out.used());
    if (!out.fits())
        return WSAENOBUFS;
    aliases[0] = nullptr;
    for (std::size_t i = 0; i < r.addresses.size(); ++i) {
        addrs[i] = r.addresses[i];
        list[i] = reinterpret_cast<char*>(&addrs[i]);
    }
    list[r.addresses.size()] = nullptr;
    h->h_name = name;
    h->h_aliases = aliases;
    h->h_addrtype = WS_AF_INET;
    h->h_length = 4;
    h->h_addr_list = list;
    return 0;
}

int WriteServ(const ServResult& r, char* buf, int buflen, int& length)
{
    Layout out(buf, buflen);
    auto* s = out.take<servent>();
    auto** aliases = out.take<char*>();
    char* name = out.text(r.name);
    char* proto = out.text(r.proto);
    length = static_cast<int>(out.used());
    if (!out.fits())
        return WSAENOBUFS;
    aliases[0] = nullptr;
    s->s_name = name;
    s->s_aliases = aliases;
    s->s_port = static_cast<short>(r.port);
    s->s_proto = proto;
    return 0;
}

// A few workers, so one slow name does not hold up every other lookup.
class Resolver {
public:
    ~Resolver()
    {
        {
            std::lock_guard guard(m_lock);
            m_stop = true;
        }
        m_ready.notify_all();
        for (auto& t : m_threads)
            t.join();
    }

    HANDLE Start(Lookup lookup)
    {
        std::lock_guard guard(m_lock);
        lookup.id = m_next++;
        auto item = std::make_shared<Lookup>(std::move(lookup));
        m_tasks.emplace(item->id, item);
        m_queue.push_back(item);
        if (m_idle == 0 && m_threads.size() < 4)
            m_threads.emplace_back([this] { Work(); });
        m_ready.notify_one();
        return item->id;
    }

    int Cancel(HANDLE id)
    {
        std::lock_guard guard(m_lock);
        auto it = m_tasks.find(id);
        if (it == m_tasks.end())
            return Fail(WSAEALREADY);
        it->second->cancelled = true;
        m_tasks.erase(it);
        return 0;
    }

    void CancelAll()
    {
        std::lock_guard guard(m_lock);
        for (auto& [id, task] : m_tasks)
            task->cancelled = true;
        m_tasks.clear();
    }

    // Returns once no call of the old hook is running any more.
    void SetHook(LookupHook hook)
    {
        std::unique_lock guard(m_lock);
        m_hookDone.wait(guard, [&] { return m_hooksRunning == 0; });
        m_hook = std::make_shared<LookupHook>(std::move(hook));
    }

private:
    void Work()
    {
        for (;;) {
            std::shared_ptr<Lookup> task;
            std::shared_ptr<LookupHook> hook;
            {
                std::unique_lock guard(m_lock);
                ++m_idle;
                m_ready.wait(guard, [&] { return m_stop || !m_queue.empty(); });
                --m_idle;
                if (m_stop)
                    return;
                task = m_queue.front();
                m_queue.pop_front();
                if (task->cancelled)
                    continue;
                hook = m_hook;
                if (hook && *hook)
                    ++m_hooksRunning;
            }
            if (hook && *hook) {
                (*hook)(task->query);
                std::lock_guard guard(m_lock);
                --m_hooksRunning;
                m_hookDone.notify_all();
            }
            HostResult host;
            ServResult serv;
            if (task->kind == LookupKind::HostByName)
                host = ResolveHost(task->query);
            else if (task->kind == LookupKind::HostByAddr)
                host = ResolveAddr(task->address);
            else
                serv = ResolveServ(*task);
            std::lock_guard guard(m_lock);
            if (task->cancelled)
                continue;
            m_tasks.erase(task->id);
            int length = 0;
            int error = 0;
            if (task->kind == LookupKind::HostByName || task->kind == LookupKind::HostByAddr)
                error = host.error ? host.error : WriteHost(host, task->buf, task->buflen, length);
            else
                error = serv.error ? serv.error : WriteServ(serv, task->buf, task->buflen, length);
            if (error && error != WSAENOBUFS)
                length = 0;
            PostMessage(task->wnd, task->msg, task->id, WSAMAKEASYNCREPLY(length, error));
        }
    }

    std::mutex m_lock;
    std::condition_variable m_ready;
    std::condition_variable m_hookDone;
    int m_hooksRunning { 0 };
    std::deque<std::shared_ptr<Lookup>> m_queue;
    std::unordered_map<HANDLE, std::shared_ptr<Lookup>> m_tasks;
    std::vector<std::thread> m_threads;
    std::shared_ptr<LookupHook> m_hook;
    HANDLE m_next { 1 };
    int m_idle { 0 };
    bool m_stop { false };
};

Resolver& resolver()
{
    static Resolver instance;
    return instance;
}

HANDLE StartLookup(Lookup lookup)
{
    if (g_startups.load() == 0) {
        t_lastError = WSANOTINITIALISED;
        return 0;
    }
    if (!lookup.buf || lookup.buflen <= 0) {
        t_lastError = WSAEFAULT;
        return 0;
    }
    return resolver().Start(std::move(lookup));
}

}  // namespace

// --- start-up ---------------------------------------------------------------

int WSAStartup(std::uint16_t versionRequested, WSAData* data)
{
    const int major = versionRequested & 0xFF;
    const int minor = (versionRequested >> 8) & 0xFF;
    if (major < 1 || (major == 1 && minor < 1))
        return WSAVERNOTSUPPORTED;
    if (data) {
        *data = WSAData {};
        data->wVersion = 0x0101;
        data->wHighVersion = 0x0101;
        std::strcpy(data->szDescription, "Korvo sockets 1.1 over POSIX");
        std::strcpy(data->szSystemStatus, "Running");
        data->iMaxSockets = 32767;
        data->iMaxUdpDg = 65467;
    }
    table();
    ++g_startups;
    return 0;
}

int WSACleanup()
{
    int count = g_startups.load();
    do {
        if (count == 0)
            return Fail(WSANOTINITIALISED);
    } while (!g_startups.compare_exchange_weak(count, count - 1));
    if (count == 1) {
        // The last user gone: like Winsock, nothing of it stays open.
        resolver().CancelAll();
        std::vector<SOCKET> ids;
        {
            std::lock_guard guard(table().lock());
            ids = table().Ids();
        }
        for (SOCKET s : ids)
            CloseEntry(s);
    }
    return 0;
}

int WSAGetLastError() { return t_lastError; }
void WSASetLastError(int error) { t_lastError = error; }
bool WSAIsBlocking() { return false; }
int WSACancelBlockingCall() { return Fail(WSAEINVAL); }

// --- sockets ----------------------------------------------------------------

SOCKET socket(int af, int type, int protocol)
{
    if (g_startups.load() == 0) {
        t_lastError = WSANOTINITIALISED;
        return INVALID_SOCKET;
    }
    if (af != WS_AF_INET) {
        t_lastError = WSAEAFNOSUPPORT;
        return INVALID_SOCKET;
    }
    int posixType = 0;
    if (type == WS_SOCK_STREAM)
        posixType = SOCK_STREAM;
    else if (type == WS_SOCK_DGRAM)
        posixType = SOCK_DGRAM;
    else {
        t_lastError = WSAESOCKTNOSUPPORT;
        return INVALID_SOCKET;
    }
    const int fd = ::socket(AF_INET, posixType | SOCK_CLOEXEC, protocol);
    if (fd < 0) {
        FailErrno();
        return INVALID_SOCKET;
    }
    std::lock_guard guard(table().lock());
    return table().Add(fd, type);
}

int closesocket(SOCKET s) { return CloseEntry(s); }

int bind(SOCKET s, const sockaddr* name, int namelen)
{
    if (!name || namelen < static_cast<int>(sizeof(sockaddr_in)))
        return Fail(WSAEFAULT);
    std::shared_ptr<Entry> e;
    {
        std::lock_guard guard(table().lock());
        e = table().Find(s);
    }
    if (!e)
        return Fail(WSAENOTSOCK);
    sockaddr_in in {};
    std::memcpy(&in, name, sizeof in);
    ::sockaddr_in sa = ToPosix(in);
    u_long simulated = 0;
    if (sa.sin_addr.s_addr == INADDR_ANY && SimulatedAddress(simulated))
        sa.sin_addr.s_addr = simulated;
    if (e->type == WS_SOCK_STREAM) {
        // A port left in TIME_WAIT by an earlier run can be listened on again.
        const int on = 1;
        ::setsockopt(e->fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    }
    if (::bind(e->fd, reinterpret_cast<::sockaddr*>(&sa), sizeof sa) != 0)
        return FailErrno();
    std::lock_guard guard(table().lock());
    e->bound = true;
    return 0;
}

int listen(SOCKET s, int backlog)
{
    std::shared_ptr<Entry> e;
    {
        std::lock_guard guard(table().lock());
        e = table().Find(s);
    }
    if (!e)
        return Fail(WSAENOTSOCK);
    if (e->type != WS_SOCK_STREAM)
        return Fail(WSAEOPNOTSUPP);
    if (!e->bound)
        return Fail(WSAEINVAL);
    if (::listen(e->fd, backlog) != 0)
        return FailErrno();
    {
        std::lock_guard guard(table().lock());
        e->listening = true;
        e->acceptEnabled = true;
    }
    table().Wake();
    return 0;
}

SOCKET accept(SOCKET s, sockaddr* addr, int* addrlen)
{
    std::shared_ptr<Entry> e;
    {
        std::lock_guard guard(table().lock());
        e = table().Find(s);
    }
    if (!e) {
        t_lastError = WSAENOTSOCK;
        return INVALID_SOCKET;
    }
    if (!e->listening) {
        t_lastError = WSAEINVAL;
        return INVALID_SOCKET;
    }
    ::sockaddr_in sa {};
    socklen_t len = sizeof sa;
    const int fd = ::accept4(e->fd, reinterpret_cast<::sockaddr*>(&sa), &len, SOCK_CLOEXEC | (e->nonBlocking ? SOCK_NONBLOCK : 0));
    const int error = fd < 0 ? errno : 0;
    SOCKET id = INVALID_SOCKET;
    {
        std::lock_guard guard(table().lock());
        e->acceptEnabled = true;
        if (fd >= 0) {
            id = table().Add(fd, WS_SOCK_STREAM);
            auto n = table().Find(id);
            n->nonBlocking = e->nonBlocking;
            n->bound = true;
            n->connected = true;
        }
    }
    table().Wake();
    if (fd < 0) {
        t_lastError = MapErrno(error);
        return INVALID_SOCKET;
    }
    FromPosix(sa, addr, addrlen);
    return id;
}

int connect(SOCKET s, const sockaddr* name, int namelen)
{
    if (!name || namelen < static_cast<int>(sizeof(sockaddr_in)))
        return Fail(WSAEFAULT);
    std::shared_ptr<Entry> e;
    bool connected = false;
    bool connecting = false;
    {
        std::lock_guard guard(table().lock());
        e = table().Find(s);
        connected = e && e->connected;
        connecting = e && e->connecting;
    }
    if (!e)
        return Fail(WSAENOTSOCK);
    if (connected)
        return Fail(WSAEISCONN);
    if (connecting)
        return Fail(WSAEALREADY);
    if (!BindToSimulatedHost(*e))
        return FailErrno();
    sockaddr_in in {};
    std::memcpy(&in, name, sizeof in);
    ::sockaddr_in sa = ToPosix(in);
    const int rc = ::connect(e->fd, reinterpret_cast<::sockaddr*>(&sa), sizeof sa);
    const int error = rc == 0 ? 0 : errno;
    std::unique_lock guard(table().lock());
    const bool async = e->wnd && e->events;
    if (rc == 0 || error == EINPROGRESS) {
        if (rc == 0 && !e->nonBlocking) {
            e->connected = true;
            return 0;
        }
        // The outcome always arrives as FD_CONNECT, as on Winsock.
        e->connecting = true;
        guard.unlock();
        table().Wake();
        return Fail(WSAEWOULDBLOCK);
    }
    if (async && (error == ECONNREFUSED || error == ENETUNREACH || error == EHOSTUNREACH || error == ETIMEDOUT)) {
        Post(*e, FD_CONNECT, MapErrno(error));
        return Fail(WSAEWOULDBLOCK);
    }
    return Fail(MapErrno(error));
}

int recv(SOCKET s, char* buf, int len, int flags)
{
    const std::shared_ptr<Entry> e = ConnectedEntry(s, buf, len);
    if (!e)
        return SOCKET_ERROR;
    int posixFlags = 0;
    if (flags & WS_MSG_PEEK)
        posixFlags |= MSG_PEEK;
    if (flags & WS_MSG_OOB)
        posixFlags |= MSG_OOB;
    const ssize_t n = ::recv(e->fd, buf, static_cast<std::size_t>(len), posixFlags);
    const int error = n < 0 ? errno : 0;
    bool wake = false;
    {
        std::lock_guard guard(table().lock());
        // The watcher needs telling only when it stopped looking at this socket for
        // reads: not while a read notification waits (its taking tells it), nor when
        // reads were enabled already. A reading loop then costs no wake-up a receive.
        wake = !e->readEnabled && e->readsQueued.load() == 0;
        e->readEnabled = true;
        // Re-enabling with data still waiting reports it at once, as Winsock does: a
        // steady stream then never waits for the watcher's turn on a busy machine.
        if (wake && n > 0 && e->wnd && (e->events & FD_READ) && e->connected && !e->closePosted && PendingBytes(e->fd) > 0) {
            PostRead(e);
            // Only a post that failed leaves the socket to the watcher.
            wake = e->readsQueued.load() == 0;
        }
    }
    if (wake)
        table().Wake();
    if (n < 0)
        return Fail(MapErrno(error));
    t_lastError = 0;
    return static_cast<int>(n);
}

int send(SOCKET s, const char* buf, int len, int flags) { return SendConnected(s, buf, len, flags); }

int recvfrom(SOCKET s, char* buf, int len, int flags, sockaddr* from, int* fromlen)
{
    std::shared_ptr<Entry> e;
    {
        std::lock_guard guard(table().lock());
        e = table().Find(s);
    }
    if (!e)
        return Fail(WSAENOTSOCK);
    if (len < 0 || (!buf && len > 0))
        return Fail(WSAEFAULT);
    ::sockaddr_in sa {};
    socklen_t salen = sizeof sa;
    const ssize_t n = ::recvfrom(e->fd, buf, static_cast<std::size_t>(len), (flags & WS_MSG_PEEK) ? MSG_PEEK : 0,
                                 reinterpret_cast<::sockaddr*>(&sa), &salen);
    const int error = n < 0 ? errno : 0;
    {
        std::lock_guard guard(table().lock());
        e->readEnabled = true;
    }
    table().Wake();
    if (n < 0)
        return Fail(MapErrno(error));
    FromPosix(sa, from, fromlen);
    t_lastError = 0;
    return static_cast<int>(n);
}

int sendto(SOCKET s, const char* buf, int len, int flags, const sockaddr* to, int tolen)
{
    if (!to || tolen < static_cast<int>(sizeof(sockaddr_in)))
        return SendConnected(s, buf, len, flags);
    std::shared_ptr<Entry> e;
    {
        std::lock_guard guard(table().lock());
        e = table().Find(s);
    }
    if (!e)
        return Fail(WSAENOTSOCK);
    if (!BindToSimulatedHost(*e))
        return FailErrno();
    sockaddr_in in {};
    std::memcpy(&in, to, sizeof in);
    ::sockaddr_in sa = ToPosix(in);
    const ssize_t n = ::sendto(e->fd, buf, static_cast<std::size_t>(len), MSG_NOSIGNAL,
                               reinterpret_cast<::sockaddr*>(&sa), sizeof sa);
    if (n < 0) {
        const int error = errno;
        if (error == EAGAIN) {
            {
                std::lock_guard guard(table().lock());
                e->writeWanted = true;
            }
            table().Wake();
        }
        return Fail(MapErrno(error));
    }
    t_lastError = 0;
    return static_cast<int>(n);
}

int ioctlsocket(SOCKET s, long cmd, u_long* argp)
{
    if (!argp)
        return Fail(WSAEFAULT);
    std::lock_guard guard(table().lock());
    auto e = table().Find(s);
    if (!e)
        return Fail(WSAENOTSOCK);
    if (cmd == WS_FIONREAD) {
        int n = 0;
        if (::ioctl(e->fd, FIONREAD, &n) != 0)
            return FailErrno();
        *argp = static_cast<u_long>(n);
        return 0;
    }
    if (cmd == WS_FIONBIO) {
        // Asynchronous selection needs non-blocking mode.
        if (*argp == 0 && e->wnd && e->events)
            return Fail(WSAEINVAL);
        const int flags = ::fcntl(e->fd, F_GETFL);
        ::fcntl(e->fd, F_SETFL, *argp ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK));
        e->nonBlocking = *argp != 0;
        return 0;
    }
    return Fail(WSAEINVAL);
}

int setsockopt(SOCKET s, int level, int optname, const char* optval, int optlen)
{
    if (!optval)
        return Fail(WSAEFAULT);
    std::lock_guard guard(table().lock());
    auto e = table().Find(s);
    if (!e)
        return Fail(WSAENOTSOCK);
    if (level != WS_SOL_SOCKET || optname != WS_SO_LINGER)
        return Fail(WSAENOPROTOOPT);
    if (optlen < static_cast<int>(sizeof(linger)))
        return Fail(WSAEFAULT);
    linger value {};
    std::memcpy(&value, optval, sizeof value);
    ::linger posix {};
    posix.l_onoff = value.l_onoff ? 1 : 0;
    posix.l_linger = value.l_linger;
    if (::setsockopt(e->fd, SOL_SOCKET, SO_LINGER, &posix, sizeof posix) != 0)
        return FailErrno();
    return 0;
}

namespace {

// getpeername and getsockname differ only in the POSIX call behind them.
int SocketAddress(SOCKET s, sockaddr* name, int* namelen, int (*query)(int, ::sockaddr*, socklen_t*))
{
    if (!name || !namelen || *namelen < static_cast<int>(sizeof(sockaddr_in)))
        return Fail(WSAEFAULT);
    std::lock_guard guard(table().lock());
    auto e = table().Find(s);
    if (!e)
        return Fail(WSAENOTSOCK);
    ::sockaddr_in sa {};
    socklen_t len = sizeof sa;
    if (query(e->fd, reinterpret_cast<::sockaddr*>(&sa), &len) != 0)
        return FailErrno();
    FromPosix(sa, name, namelen);
    return 0;
}

}  // namespace

int getpeername(SOCKET s, sockaddr* name, int* namelen) { return SocketAddress(s, name, namelen, ::getpeername); }

int getsockname(SOCKET s, sockaddr* name, int* namelen) { return SocketAddress(s, name, namelen, ::getsockname); }

int gethostname(char* name, int namelen)
{
    if (!name || namelen <= 0)
        return Fail(WSAEFAULT);
    const std::string host = LocalHostName();
    if (host.empty())
        return FailErrno();
    if (static_cast<int>(host.size()) >= namelen)
        return Fail(WSAEFAULT);
    std::memcpy(name, host.c_str(), host.size() + 1);
    return 0;
}

// glibc may make these macros; the parentheses keep them functions here.
u_short(htons)(u_short value) { return ::htons(value); }
u_short(ntohs)(u_short value) { return ::ntohs(value); }
u_long(htonl)(u_long value) { return ::htonl(value); }
u_long(ntohl)(u_long value) { return ::ntohl(value); }

u_long inet_addr(const char* text)
{
    if (!text)
        return WS_INADDR_NONE;
    return ::inet_addr(text);
}

char* inet_ntoa(in_addr address) { return DottedText(address.s_addr); }

ReadNotificationCount ReadNotifications(SOCKET s)
{
    std::lock_guard guard(table().lock());
    auto e = table().Find(s);
    if (!e)
        return {};
    return { e->readsQueued.load(), e->mostReadsQueued.load() };
}

int WSAAsyncSelect(SOCKET s, HWND wnd, UINT message, long events)
{
    std::unique_lock guard(table().lock());
    auto e = table().Find(s);
    if (!e)
        return Fail(WSAENOTSOCK);
    const int flags = ::fcntl(e->fd, F_GETFL);
    ::fcntl(e->fd, F_SETFL, flags | O_NONBLOCK);
    e->nonBlocking = true;
    e->wnd = events ? wnd : 0;
    e->msg = message;
    e->events = events;
    e->readEnabled = true;
    e->acceptEnabled = true;
    e->writeWanted = false;
    // A connected socket can take data at once.
    if (e->connected && e->type == WS_SOCK_STREAM && !e->closePosted)
        Post(*e, FD_WRITE, 0);
    guard.unlock();
    table().Wake();
    return 0;
}

// --- lookups ----------------------------------------------------------------

HANDLE WSAAsyncGetHostByName(HWND wnd, UINT message, const char* name, char* buf, int buflen)
{
    Lookup l;
    l.kind = LookupKind::HostByName;
    l.wnd = wnd;
    l.msg = message;
    l.query = name ? name : "";
    l.buf = buf;
    l.buflen = buflen;
    return StartLookup(std::move(l));
}

HANDLE WSAAsyncGetHostByAddr(HWND wnd, UINT message, const char* addr, int len, int type, char* buf, int buflen)
{
    if (!addr || len != 4 || type != WS_AF_INET) {
        t_lastError = WSAEINVAL;
        return 0;
    }
    Lookup l;
    l.kind = LookupKind::HostByAddr;
    l.wnd = wnd;
    l.msg = message;
    std::memcpy(&l.address, addr, 4);
    l.query = DottedText(l.address);
    l.buf = buf;
    l.buflen = buflen;
    return StartLookup(std::move(l));
}

HANDLE WSAAsyncGetServByName(HWND wnd, UINT message, const char* name, const char* proto, char* buf, int buflen)
{
    Lookup l;
    l.kind = LookupKind::ServByName;
    l.wnd = wnd;
    l.msg = message;
    l.query = name ? name : "";
    l.proto = proto ? proto : "";
    l.buf = buf;
    l.buflen = buflen;
    return StartLookup(std::move(l));
}

HANDLE WSAAsyncGetServByPort(HWND wnd, UINT message, int port, const char* proto, char* buf, int buflen)
{
    Lookup l;
    l.kind = LookupKind::ServByPort;
    l.wnd = wnd;
    l.msg = message;
    l.port = port;
    l.query = std::to_string(::ntohs(static_cast<std::uint16_t>(port)));
    l.proto = proto ? proto : "";
    l.buf = buf;
    l.buflen = buflen;
    return StartLookup(std::move(l));
}

int WSACancelAsyncRequest(HANDLE task) { return resolver().Cancel(task); }

std::vector<u_long> LocalAddresses()
{
    u_long simulated = 0;
    if (SimulatedAddress(simulated))
        return { simulated };
    std::vector<u_long> outside;
    std::vector<u_long> loopback;
    ::ifaddrs* list = nullptr;
    if (::getifaddrs(&list) == 0) {
        for (auto* a = list; a; a = a->ifa_next) {
            if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET)
                continue;
            const u_long address = reinterpret_cast<::sockaddr_in*>(a->ifa_addr)->sin_addr.s_addr;
            auto& into = (::ntohl(address) >> 24) == 127 ? loopback : outside;
            if (std::find(into.begin(), into.end(), address) == into.end())
                into.push_back(address);
        }
        ::freeifaddrs(list);
    }
    outside.insert(outside.end(), loopback.begin(), loopback.end());
    if (outside.empty())
        outside.push_back(::htonl(INADDR_LOOPBACK));
    return outside;
}

void SetLookupHook(LookupHook hook) { resolver().SetHook(std::move(hook)); }

}  // namespace winsock
