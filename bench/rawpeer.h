#pragma once

// A buddy played with plain sockets: the benchmarks' side of a peer connection.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <string>

inline std::string Frame(const std::string& f1, const std::string& f2, const std::string& f3, const std::string& f4)
{
    return "\xFB" + f1 + "," + f2 + ",\"" + f3 + "\",\"" + f4 + "\"\r\n";
}

inline sockaddr_in Address(const std::string& host, std::uint16_t port)
{
    sockaddr_in a {};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    ::inet_pton(AF_INET, host.c_str(), &a.sin_addr);
    return a;
}

// A connection from the simulated host `from`; -1 when refused.
inline int ConnectFrom(const std::string& from, const std::string& host, std::uint16_t port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in local = Address(from, 0);
    ::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local);
    const sockaddr_in remote = Address(host, port);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&remote), sizeof remote) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

inline bool SendAll(int fd, const std::string& bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}
