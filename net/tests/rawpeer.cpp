#include "rawpeer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

RawPeer::~RawPeer() { close(); }

RawPeer& RawPeer::operator=(RawPeer&& other) noexcept
{
    if (this != &other) {
        close();
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

RawPeer RawPeer::ConnectTo(std::uint16_t port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in sa {};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
        ::close(fd);
        return RawPeer();
    }
    return RawPeer(fd);
}

bool RawPeer::sendAll(const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(m_fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string RawPeer::receiveSome(int timeoutMs, std::size_t max)
{
    pollfd p { m_fd, POLLIN, 0 };
    if (::poll(&p, 1, timeoutMs) <= 0)
        return {};
    std::string out(max, '\0');
    const ssize_t n = ::recv(m_fd, out.data(), max, 0);
    out.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return out;
}

std::string RawPeer::receiveExactly(std::size_t count, int timeoutMs)
{
    std::string out;
    while (out.size() < count) {
        std::string part = receiveSome(timeoutMs, count - out.size());
        if (part.empty())
            break;
        out += part;
    }
    return out;
}

bool RawPeer::waitClosed(int timeoutMs)
{
    for (;;) {
        pollfd p { m_fd, POLLIN, 0 };
        if (::poll(&p, 1, timeoutMs) <= 0)
            return false;
        char scratch[4096];
        const ssize_t n = ::recv(m_fd, scratch, sizeof scratch, 0);
        if (n <= 0)
            return true;
    }
}

void RawPeer::reset()
{
    if (m_fd < 0)
        return;
    linger l { 1, 0 };
    ::setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
    close();
}

void RawPeer::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

RawListener::RawListener(int backlog)
{
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in sa {};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(m_fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    ::listen(m_fd, backlog);
    socklen_t len = sizeof sa;
    ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&sa), &len);
    m_port = ntohs(sa.sin_port);
}

RawListener::~RawListener() { ::close(m_fd); }

RawPeer RawListener::accept(int timeoutMs)
{
    pollfd p { m_fd, POLLIN, 0 };
    if (::poll(&p, 1, timeoutMs) <= 0)
        return RawPeer();
    return RawPeer(::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC));
}

std::uint16_t UnusedPort()
{
    // Bound and released at once: nobody listens there, and the system rarely hands it out again soon.
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in sa {};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    socklen_t len = sizeof sa;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len);
    ::close(fd);
    return ntohs(sa.sin_port);
}
