#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A plain POSIX peer for the tests, outside the socket kit: what any program on the
// other end of a connection would do.
class RawPeer {
public:
    RawPeer() = default;
    explicit RawPeer(int fd) : m_fd(fd) {}
    ~RawPeer();
    RawPeer(RawPeer&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    RawPeer& operator=(RawPeer&& other) noexcept;
    RawPeer(const RawPeer&) = delete;
    RawPeer& operator=(const RawPeer&) = delete;

    // Blocking connect to 127.0.0.1:port.
    static RawPeer ConnectTo(std::uint16_t port);
    bool valid() const { return m_fd >= 0; }
    bool sendAll(const std::string& bytes);
    // Up to max bytes, waiting at most timeoutMs; "" at the end or on time-out.
    std::string receiveSome(int timeoutMs, std::size_t max = 65536);
    // Until count bytes arrived, the peer closed or timeoutMs passed.
    std::string receiveExactly(std::size_t count, int timeoutMs);
    // True when the other side closed (reads the end of the stream).
    bool waitClosed(int timeoutMs);
    // Closes with a reset instead of an orderly end.
    void reset();
    void close();

private:
    int m_fd { -1 };
};

// A listening POSIX socket on 127.0.0.1 with a port the system chose.
class RawListener {
public:
    explicit RawListener(int backlog = 8);
    ~RawListener();
    RawListener(const RawListener&) = delete;
    RawListener& operator=(const RawListener&) = delete;
    std::uint16_t port() const { return m_port; }
    // Waits at most timeoutMs for a connection.
    RawPeer accept(int timeoutMs);

private:
    int m_fd { -1 };
    std::uint16_t m_port { 0 };
};

// A port nothing listens on right now.
std::uint16_t UnusedPort();
