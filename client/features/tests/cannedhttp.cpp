#include "client/features/tests/cannedhttp.h"

#include "platform/testing/loopback.h"

#include <sys/socket.h>
#include <unistd.h>

CannedHttp::CannedHttp(std::map<std::string, std::string> pages)
    : m_pages(std::move(pages))
{
    m_fd = ListenOnLoopback(16, m_port);
    m_thread = std::thread([this] {
        for (;;) {
            const int client = ::accept(m_fd, nullptr, nullptr);
            if (client < 0)
                return;
            serve(client);
            ::close(client);
        }
    });
}

CannedHttp::~CannedHttp()
{
    ::shutdown(m_fd, SHUT_RDWR);
    m_thread.join();
    ::close(m_fd);
}

std::vector<std::string> CannedHttp::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void CannedHttp::serve(int client)
{
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
        const ssize_t got = ::read(client, buffer, sizeof buffer);
        if (got <= 0)
            return;
        request.append(buffer, static_cast<std::size_t>(got));
    }
    const std::size_t start = request.find(' ') + 1;
    const std::string path = request.substr(start, request.find(' ', start) - start);
    {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(path);
    }
    const auto page = m_pages.find(path);
    const std::string body = page == m_pages.end() ? "not found\r\n" : page->second;
    const std::string reply = std::string(page == m_pages.end() ? "HTTP/1.1 404 Not Found" : "HTTP/1.1 200 OK")
        + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    std::size_t sent = 0;
    while (sent < reply.size()) {
        const ssize_t put = ::write(client, reply.data() + sent, reply.size() - sent);
        if (put <= 0)
            return;
        sent += static_cast<std::size_t>(put);
    }
}
