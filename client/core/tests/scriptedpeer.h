#pragma once

#include <cstdint>
#include <string>

// Another buddy's program as the tests play it: a plain POSIX socket on a
// loopback address of its own that writes and reads raw bytes. Every wait
// keeps this process's event loop running, so the client under test answers.
class ScriptedPeer {
public:
    ScriptedPeer() = default;
    explicit ScriptedPeer(int fd) : m_fd(fd) {}
    ~ScriptedPeer();
    ScriptedPeer(ScriptedPeer&& other) noexcept : m_fd(other.m_fd), m_input(std::move(other.m_input)) { other.m_fd = -1; }
    ScriptedPeer& operator=(ScriptedPeer&& other) noexcept;

    // Connects from fromHost to host:port; invalid when it could not.
    static ScriptedPeer Connect(const std::string& fromHost, const std::string& host, std::uint16_t port);
    bool valid() const { return m_fd >= 0; }

    bool send(const std::string& bytes);
    // One line with its CR LF added.
    bool sendLine(const std::string& line) { return send(line + "\r\n"); }
    // The next line without its CR LF; "" when none came in time or the other side closed.
    std::string readLine(int timeoutMs = 5000);
    // True when nothing but the end may come: the client closed this connection.
    bool waitClosed(int timeoutMs = 5000);
    // Ends this side's sending, as a peer that has said all it will; the client's lines
    // and its own close can still be read, and it closes only after handling all sent before.
    void hangUp();
    // Lets the client run a while and returns what it wrote meanwhile (lines stay buffered for readLine).
    std::string drain(int ms);
    // Drops the line at once with a reset, as a vanished peer does; the client is not run.
    void reset();

private:
    // Reads what is waiting; false at the end of the stream.
    bool pull();

    int m_fd { -1 };
    std::string m_input;
    bool m_ended { false };
};

// A listening socket at host:port (SO_REUSEADDR), accepting while the loop runs.
class ScriptedListener {
public:
    // backlog 0 with one connection waiting leaves every later connect hanging.
    ScriptedListener(const std::string& host, std::uint16_t port, int backlog = 16);
    ~ScriptedListener();
    ScriptedListener(const ScriptedListener&) = delete;
    ScriptedListener& operator=(const ScriptedListener&) = delete;
    bool valid() const { return m_fd >= 0; }
    // The port bound: the system's choice when 0 was asked for.
    std::uint16_t port() const;
    ScriptedPeer accept(int timeoutMs = 5000);

private:
    int m_fd { -1 };
};

// Keeps the event loop running for ms milliseconds.
void RunLoopFor(int ms);
