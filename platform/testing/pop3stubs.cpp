#include "platform/testing/pop3stubs.h"

#include "platform/testing/loopback.h"

#include <sys/socket.h>
#include <unistd.h>

HangUpServer::HangUpServer()
{
    m_fd = ListenOnLoopback(4, m_port);
    m_thread = std::thread([this] {
        for (;;) {
            const int peer = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
            if (peer < 0)
                return;
            const char greeting[] = "+OK ready\r\n";
            (void)!::write(peer, greeting, sizeof greeting - 1);
            ::close(peer);
        }
    });
}

HangUpServer::~HangUpServer()
{
    ::shutdown(m_fd, SHUT_RDWR);
    m_thread.join();
    ::close(m_fd);
}

SilentServer::SilentServer()
{
    m_fd = ListenOnLoopback(4, m_port);
    m_thread = std::thread([this] {
        const int peer = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (peer < 0)
            return;
        {
            std::lock_guard lock(m_mutex);
            if (m_stopping) {
                ::close(peer);
                return;
            }
            m_peer = peer;
        }
        m_connected = true;
        char byte = 0;
        while (::read(peer, &byte, 1) > 0) {
        }
        m_hungUp = true;
    });
}

SilentServer::~SilentServer()
{
    {
        // A client still connected at the end must not keep the reader waiting.
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        if (m_peer >= 0)
            ::shutdown(m_peer, SHUT_RDWR);
    }
    ::shutdown(m_fd, SHUT_RDWR);
    m_thread.join();
    if (m_peer >= 0)
        ::close(m_peer);
    ::close(m_fd);
}
