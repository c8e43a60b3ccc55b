#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

// POP3 ports on 127.0.0.1 that fail the way broken servers do, for the mail
// check's tests; each listens at a port the system picks.

// Greets every connection and hangs up at once.
class HangUpServer {
public:
    HangUpServer();
    ~HangUpServer();
    HangUpServer(const HangUpServer&) = delete;
    HangUpServer& operator=(const HangUpServer&) = delete;
    int port() const { return m_port; }

private:
    int m_fd { -1 };
    int m_port { 0 };
    std::thread m_thread;
};

// Takes one connection and says nothing more than its greeting (none by default),
// until the client hangs up.
class SilentServer {
public:
    explicit SilentServer(std::string greeting = "");
    ~SilentServer();
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;
    int port() const { return m_port; }
    bool connected() const { return m_connected; }
    bool hungUp() const { return m_hungUp; }

private:
    int m_fd { -1 };
    int m_port { 0 };
    std::mutex m_mutex;
    int m_peer { -1 };
    bool m_stopping { false };
    std::atomic<bool> m_connected { false };
    std::atomic<bool> m_hungUp { false };
    std::thread m_thread;
};

// Logs any user in with one message waiting, and answers its TOP with header lines
// that never end, until the client hangs up.
class EndlessHeaderServer {
public:
    EndlessHeaderServer();
    ~EndlessHeaderServer();
    EndlessHeaderServer(const EndlessHeaderServer&) = delete;
    EndlessHeaderServer& operator=(const EndlessHeaderServer&) = delete;
    int port() const { return m_port; }
    // A client hung up in the middle of the header lines.
    bool cutOff() const { return m_cutOff; }

private:
    void serve(int peer);

    int m_fd { -1 };
    int m_port { 0 };
    std::mutex m_mutex;
    int m_peer { -1 };
    bool m_stopping { false };
    std::atomic<bool> m_cutOff { false };
    std::thread m_thread;
};

// Logs any user in with two thousand million messages waiting, and answers every
// TOP and LIST at once, until the client hangs up.
class EndlessMailboxServer {
public:
    static constexpr int kMessages = 2000000000;
    EndlessMailboxServer();
    ~EndlessMailboxServer();
    EndlessMailboxServer(const EndlessMailboxServer&) = delete;
    EndlessMailboxServer& operator=(const EndlessMailboxServer&) = delete;
    int port() const { return m_port; }
    // TOP commands answered, and whether the client hung up, with or without QUIT.
    int summaries() const { return m_summaries; }
    bool hungUp() const { return m_hungUp; }

private:
    void serve(int peer);

    int m_fd { -1 };
    int m_port { 0 };
    std::mutex m_mutex;
    int m_peer { -1 };
    bool m_stopping { false };
    std::atomic<int> m_summaries { 0 };
    std::atomic<bool> m_hungUp { false };
    std::thread m_thread;
};
