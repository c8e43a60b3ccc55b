#pragma once

#include <atomic>
#include <mutex>
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

// Takes one connection and never says a word, until the client hangs up.
class SilentServer {
public:
    SilentServer();
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
