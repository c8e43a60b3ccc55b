#include "platform/testing/scriptedhttp.h"

#include "platform/testing/loopback.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>

struct ScriptedHttp::Connection {
    int fd { -1 };
    std::size_t request { 0 };
};

namespace {

// The client has hung up (or the socket failed): nothing it sends is awaited here.
bool PeerClosed(int fd)
{
    pollfd watch { fd, POLLIN, 0 };
    if (::poll(&watch, 1, 0) <= 0)
        return false;
    if (watch.revents & (POLLHUP | POLLERR | POLLNVAL))
        return true;
    char byte = 0;
    const ssize_t got = ::recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    return got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
}

// The body another server gives for target.
std::string FetchUpstream(const std::string& upstream, const std::string& target)
{
    const std::size_t colon = upstream.rfind(':');
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return {};
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(std::atoi(upstream.substr(colon + 1).c_str())));
    ::inet_pton(AF_INET, upstream.substr(0, colon).c_str(), &address.sin_addr);
    std::string answer;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        const std::string request = "GET " + target + " HTTP/1.0\r\nHost: " + upstream + "\r\nConnection: close\r\n\r\n";
        if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size())) {
            char buffer[4096];
            for (;;) {
                const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
                if (got <= 0)
                    break;
                answer.append(buffer, static_cast<std::size_t>(got));
                const std::size_t end = answer.find("\r\n\r\n");
                const std::size_t length = answer.find("Content-Length: ");
                if (end != std::string::npos && length != std::string::npos && length < end
                    && answer.size() >= end + 4 + std::strtoul(answer.c_str() + length + 16, nullptr, 10))
                    break;
            }
        }
    }
    ::close(fd);
    const std::size_t end = answer.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : answer.substr(end + 4);
}

}  // namespace

ScriptedHttp::Script ScriptedHttp::Page(std::string body)
{
    Script script;
    script.body = std::move(body);
    return script;
}

ScriptedHttp::Script ScriptedHttp::Trickle(std::string bytes, int intervalMs, std::size_t size)
{
    Script script;
    script.kind = Script::Kind::Trickle;
    script.body = std::move(bytes);
    script.intervalMs = intervalMs;
    script.size = size;
    return script;
}

ScriptedHttp::Script ScriptedHttp::Stall()
{
    Script script;
    script.kind = Script::Kind::Stall;
    return script;
}

ScriptedHttp::Script ScriptedHttp::Huge(std::size_t size)
{
    Script script;
    script.kind = Script::Kind::Huge;
    script.size = size;
    return script;
}

ScriptedHttp::Script ScriptedHttp::Forward(std::string upstream)
{
    Script script;
    script.kind = Script::Kind::Forward;
    script.upstream = std::move(upstream);
    return script;
}

ScriptedHttp::ScriptedHttp(std::map<std::string, std::vector<Script>> scripts)
    : m_scripts(std::move(scripts))
{
    m_fd = ListenOnLoopback(64, m_port);
    m_acceptor = std::thread([this] {
        for (;;) {
            const int client = ::accept(m_fd, nullptr, nullptr);
            if (client < 0)
                return;
            // Sends give up now and then, so a client that stops reading cannot hold the end of a test.
            timeval timeout { 0, 100000 };
            ::setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
            auto connection = std::make_shared<Connection>();
            connection->fd = client;
            std::lock_guard lock(m_mutex);
            if (m_stopping) {
                ::close(client);
                return;
            }
            m_connections.push_back(connection);
            m_workers.emplace_back([this, connection] {
                serve(connection);
                ::close(connection->fd);
            });
        }
    });
}

ScriptedHttp::~ScriptedHttp()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        for (const auto& connection : m_connections)
            ::shutdown(connection->fd, SHUT_RDWR);
    }
    m_changed.notify_all();
    ::shutdown(m_fd, SHUT_RDWR);
    m_acceptor.join();
    for (std::thread& worker : m_workers)
        worker.join();
    ::close(m_fd);
}

void ScriptedHttp::open(const std::string& gate)
{
    {
        std::lock_guard lock(m_mutex);
        m_openGates.insert(gate);
    }
    m_changed.notify_all();
}

std::vector<ScriptedHttp::Request> ScriptedHttp::requests(const std::string& path) const
{
    std::lock_guard lock(m_mutex);
    std::vector<Request> found;
    for (const auto& [requestPath, request] : m_requests)
        if (requestPath == path)
            found.push_back(request);
    return found;
}

void ScriptedHttp::setState(const std::shared_ptr<Connection>& connection, State state)
{
    std::lock_guard lock(m_mutex);
    m_requests[connection->request].second.state = state;
}

bool ScriptedHttp::waitGate(const std::shared_ptr<Connection>& connection, const std::string& gate)
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (m_stopping)
            return false;
        if (!gate.empty() && m_openGates.count(gate))
            return true;
        if (PeerClosed(connection->fd)) {
            m_requests[connection->request].second.state = State::Abandoned;
            return false;
        }
        m_changed.wait_for(lock, std::chrono::milliseconds(20));
    }
}

bool ScriptedHttp::sendAll(const std::shared_ptr<Connection>& connection, const std::string& bytes, bool body)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        if (m_stopping)
            return false;
        const ssize_t put = ::send(connection->fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (put < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            continue;
        if (put <= 0) {
            setState(connection, State::Abandoned);
            return false;
        }
        sent += static_cast<std::size_t>(put);
        if (body) {
            std::lock_guard lock(m_mutex);
            m_requests[connection->request].second.bodyBytesSent += static_cast<std::size_t>(put);
        }
    }
    return true;
}

void ScriptedHttp::serve(const std::shared_ptr<Connection>& connection)
{
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos) {
        const ssize_t got = ::recv(connection->fd, buffer, sizeof buffer, 0);
        if (got <= 0)
            return;
        head.append(buffer, static_cast<std::size_t>(got));
    }
    const std::size_t start = head.find(' ') + 1;
    const std::string target = head.substr(start, head.find(' ', start) - start);
    const std::string path = target.substr(0, target.find('?'));
    Script script;
    {
        std::lock_guard lock(m_mutex);
        connection->request = m_requests.size();
        m_requests.push_back({ path, Request { target, State::Received, 0 } });
        const auto found = m_scripts.find(path);
        if (found == m_scripts.end() || found->second.empty()) {
            script = Page("not found\r\n");
        } else {
            std::size_t& used = m_used[path];
            script = found->second[std::min(used, found->second.size() - 1)];
            ++used;
        }
    }
    if (!script.gateBefore.empty() && !waitGate(connection, script.gateBefore))
        return;
    const bool known = m_scripts.count(path) > 0;
    switch (script.kind) {
    case Script::Kind::Stall:
        waitGate(connection, "");
        return;
    case Script::Kind::Trickle: {
        setState(connection, State::Sending);
        const std::string length = script.size ? "Content-Length: " + std::to_string(script.size) + "\r\n" : "";
        if (!sendAll(connection, "HTTP/1.1 200 OK\r\n" + length + "Connection: close\r\n\r\n", false)
            || script.body.empty())
            return;
        for (std::size_t i = 0; script.size == 0 || i < script.size; ++i) {
            if (!sendAll(connection, script.body.substr(i % script.body.size(), 1), true))
                return;
            std::unique_lock lock(m_mutex);
            if (m_changed.wait_for(lock, std::chrono::milliseconds(script.intervalMs), [this] { return m_stopping.load(); }))
                return;
        }
        break;
    }
    case Script::Kind::Huge: {
        setState(connection, State::Sending);
        if (!sendAll(connection, "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(script.size)
                                     + "\r\nConnection: close\r\n\r\n", false))
            return;
        const std::string chunk(64 * 1024, 'G');
        for (std::size_t sent = 0; sent < script.size; sent += chunk.size())
            if (!sendAll(connection, chunk.substr(0, std::min(chunk.size(), script.size - sent)), true))
                return;
        break;
    }
    case Script::Kind::Page:
    case Script::Kind::Forward: {
        const std::string body = script.kind == Script::Kind::Forward ? FetchUpstream(script.upstream, target) : script.body;
        setState(connection, State::Sending);
        const std::string status = known ? "HTTP/1.1 200 OK\r\n" : "HTTP/1.1 404 Not Found\r\n";
        const std::string length = script.gateAfter.empty() ? "Content-Length: " + std::to_string(body.size()) + "\r\n" : "";
        if (!sendAll(connection, status + length + "Connection: close\r\n\r\n", false) || !sendAll(connection, body, true))
            return;
        if (!script.gateAfter.empty() && !waitGate(connection, script.gateAfter))
            return;
        break;
    }
    }
    setState(connection, State::Answered);
}
