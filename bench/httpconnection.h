#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

// One keep-alive HTTP/1.1 connection; get() answers the body, or "" with ok() false.
class Connection {
public:
    explicit Connection(int port)
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_ok = m_fd >= 0 && ::connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~Connection()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool ok() const { return m_ok; }

    std::string get(const std::string& target)
    {
        const std::string request = "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
        if (::send(m_fd, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size())) {
            m_ok = false;
            return "";
        }
        std::size_t headerEnd;
        while ((headerEnd = m_buffer.find("\r\n\r\n")) == std::string::npos)
            if (!fill())
                return "";
        const std::string headers = m_buffer.substr(0, headerEnd);
        std::size_t length = 0;
        for (const char* name : { "Content-Length:", "content-length:" }) {
            const std::size_t at = headers.find(name);
            if (at != std::string::npos)
                length = std::strtoul(headers.c_str() + at + std::strlen(name), nullptr, 10);
        }
        while (m_buffer.size() < headerEnd + 4 + length)
            if (!fill())
                return "";
        std::string body = m_buffer.substr(headerEnd + 4, length);
        m_buffer.erase(0, headerEnd + 4 + length);
        return body;
    }

private:
    bool fill()
    {
        char chunk[8192];
        const ssize_t n = ::recv(m_fd, chunk, sizeof chunk, 0);
        if (n <= 0) {
            m_ok = false;
            return false;
        }
        m_buffer.append(chunk, static_cast<std::size_t>(n));
        return true;
    }

    int m_fd { -1 };
    bool m_ok { false };
    std::string m_buffer;
};
