#include "scriptedpeer.h"

#include "platform/win/messages.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

sockaddr_in AddressOf(const std::string& host, std::uint16_t port)
{
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    ::inet_pton(AF_INET, host.c_str(), &address.sin_addr);
    return address;
}

}  // namespace

void RunLoopFor(int ms)
{
    Application::ProcessMessagesUntil([] { return false; }, ms);
}

ScriptedPeer::~ScriptedPeer()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void ScriptedPeer::reset()
{
    if (m_fd < 0)
        return;
    const linger abort { 1, 0 };
    ::setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    ::close(m_fd);
    m_fd = -1;
}

void ScriptedPeer::hangUp()
{
    if (m_fd >= 0)
        ::shutdown(m_fd, SHUT_WR);
}

ScriptedPeer& ScriptedPeer::operator=(ScriptedPeer&& other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = other.m_fd;
        m_input = std::move(other.m_input);
        m_ended = other.m_ended;
        other.m_fd = -1;
    }
    return *this;
}

ScriptedPeer ScriptedPeer::Connect(const std::string& fromHost, const std::string& host, std::uint16_t port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in from = AddressOf(fromHost, 0);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&from), sizeof from) != 0) {
        ::close(fd);
        return ScriptedPeer();
    }
    ::fcntl(fd, F_SETFL, O_NONBLOCK);
    const sockaddr_in to = AddressOf(host, port);
    ::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    bool connected = false;
    // The server accepts from the event loop, so the loop runs while the connect completes.
    Application::ProcessMessagesUntil(
        [&] {
            int error = 0;
            socklen_t length = sizeof error;
            if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || (error != 0 && error != EINPROGRESS))
                return true;
            sockaddr_in peer {};
            socklen_t peerLength = sizeof peer;
            connected = ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerLength) == 0;
            return connected;
        },
        5000);
    if (!connected) {
        ::close(fd);
        return ScriptedPeer();
    }
    return ScriptedPeer(fd);
}

bool ScriptedPeer::send(const std::string& bytes)
{
    std::size_t sent = 0;
    bool failed = false;
    Application::ProcessMessagesUntil(
        [&] {
            const ssize_t n = ::send(m_fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n > 0)
                sent += static_cast<std::size_t>(n);
            else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
                failed = true;
            return failed || sent == bytes.size();
        },
        5000);
    return !failed && sent == bytes.size();
}

bool ScriptedPeer::pull()
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (n > 0) {
            m_input.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
            m_ended = true;
        return !m_ended;
    }
}

std::string ScriptedPeer::readLine(int timeoutMs)
{
    std::string line;
    Application::ProcessMessagesUntil(
        [&] {
            pull();
            const auto end = m_input.find("\r\n");
            if (end != std::string::npos) {
                line = m_input.substr(0, end);
                m_input.erase(0, end + 2);
                return true;
            }
            return m_ended;
        },
        timeoutMs);
    return line;
}

bool ScriptedPeer::waitClosed(int timeoutMs)
{
    Application::ProcessMessagesUntil([&] { return !pull(); }, timeoutMs);
    return m_ended;
}

std::string ScriptedPeer::drain(int ms)
{
    RunLoopFor(ms);
    pull();
    return m_input;
}

ScriptedListener::ScriptedListener(const std::string& host, std::uint16_t port, int backlog)
{
    m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const int on = 1;
    ::setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    const sockaddr_in address = AddressOf(host, port);
    if (::bind(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || ::listen(m_fd, backlog) != 0) {
        ::close(m_fd);
        m_fd = -1;
        return;
    }
    ::fcntl(m_fd, F_SETFL, O_NONBLOCK);
}

std::uint16_t ScriptedListener::port() const
{
    sockaddr_in bound {};
    socklen_t length = sizeof bound;
    if (m_fd < 0 || ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&bound), &length) != 0)
        return 0;
    return ntohs(bound.sin_port);
}

ScriptedListener::~ScriptedListener()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

ScriptedPeer ScriptedListener::accept(int timeoutMs)
{
    int fd = -1;
    Application::ProcessMessagesUntil(
        [&] {
            fd = ::accept(m_fd, nullptr, nullptr);
            return fd >= 0;
        },
        timeoutMs);
    if (fd >= 0)
        ::fcntl(fd, F_SETFL, O_NONBLOCK);
    return ScriptedPeer(fd);
}
