#include "platform/testing/pop3stubs.h"

#include "platform/testing/loopback.h"

#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <string_view>

namespace {

bool SendAll(int peer, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t sent = ::send(peer, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

// One command line without its end; false when the client hung up.
bool ReadCommand(int peer, std::string& pending, std::string& command)
{
    for (;;) {
        const auto end = pending.find('\n');
        if (end != std::string::npos) {
            command = pending.substr(0, end);
            if (!command.empty() && command.back() == '\r')
                command.pop_back();
            pending.erase(0, end + 1);
            return true;
        }
        char buffer[512];
        const ssize_t got = ::read(peer, buffer, sizeof buffer);
        if (got <= 0)
            return false;
        pending.append(buffer, static_cast<std::size_t>(got));
    }
}

}  // namespace

void StubPop3Server::start(std::function<void(int peer)> serve, bool once)
{
    m_fd = ListenOnLoopback(4, m_port);
    m_thread = std::thread([this, serve = std::move(serve), once] {
        do {
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
            serve(peer);
            std::lock_guard lock(m_mutex);
            m_peer = -1;
            ::close(peer);
        } while (!once);
    });
}

void StubPop3Server::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        if (m_peer >= 0)
            ::shutdown(m_peer, SHUT_RDWR);
    }
    ::shutdown(m_fd, SHUT_RDWR);
    if (m_thread.joinable())
        m_thread.join();
    ::close(m_fd);
}

HangUpServer::HangUpServer()
{
    start([](int peer) { SendAll(peer, "+OK ready\r\n"); }, false);
}

SilentServer::SilentServer(std::string greeting)
{
    start(
        [this, greeting = std::move(greeting)](int peer) {
            m_connected = true;
            SendAll(peer, greeting);
            char byte = 0;
            while (::read(peer, &byte, 1) > 0) {
            }
            m_hungUp = true;
        },
        true);
}

EndlessHeaderServer::EndlessHeaderServer()
{
    start([this](int peer) { serve(peer); }, false);
}

void EndlessHeaderServer::serve(int peer)
{
    std::string pending;
    std::string command;
    if (!SendAll(peer, "+OK ready\r\n"))
        return;
    while (ReadCommand(peer, pending, command)) {
        const std::string verb = command.substr(0, command.find(' '));
        if (verb == "TOP") {
            SendAll(peer, "+OK\r\n");
            for (long line = 0; SendAll(peer, "X-Filler-" + std::to_string(line) + ": " + std::string(60, 'f') + "\r\n");
                 ++line) {
            }
            m_cutOff = true;
            return;
        }
        const char* reply = verb == "STAT" ? "+OK 1 100\r\n" : "+OK\r\n";
        if (!SendAll(peer, reply) || verb == "QUIT")
            return;
    }
}

EndlessMailboxServer::EndlessMailboxServer()
{
    start(
        [this](int peer) {
            serve(peer);
            m_hungUp = true;
        },
        true);
}

void EndlessMailboxServer::serve(int peer)
{
    std::string pending;
    std::string command;
    if (!SendAll(peer, "+OK ready\r\n"))
        return;
    while (ReadCommand(peer, pending, command)) {
        const std::string verb = command.substr(0, command.find(' '));
        const std::string number = command.substr(command.find(' ') + 1, command.rfind(' ') - command.find(' ') - 1);
        std::string reply = "+OK\r\n";
        if (verb == "STAT") {
            reply = "+OK " + std::to_string(kMessages) + " 0\r\n";
        } else if (verb == "TOP") {
            ++m_summaries;
            reply = "+OK\r\nFrom: a@x\r\nSubject: message " + number + "\r\n.\r\n";
        } else if (verb == "LIST") {
            reply = "+OK " + command.substr(5) + " 100\r\n";
        }
        if (!SendAll(peer, reply) || verb == "QUIT")
            return;
    }
}
