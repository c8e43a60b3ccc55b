#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

// POP3 ports on 127.0.0.1 that fail the way broken servers do, for the mail
// check's tests; each listens at a port the system picks.

// One thread accepts and serves each connection in turn, closing it after;
// stopping hangs up on a connection still served, so no script keeps it waiting.
class StubPop3Server {
public:
    StubPop3Server(const StubPop3Server&) = delete;
    StubPop3Server& operator=(const StubPop3Server&) = delete;
    int port() const { return m_port; }

protected:
    StubPop3Server() = default;
    ~StubPop3Server() = default;
    // once: only the first connection is served.
    void start(std::function<void(int peer)> serve, bool once);
    // Every derived destructor calls it first: serve uses the derived members.
    void stop();

private:
    int m_fd { -1 };
    int m_port { 0 };
    std::mutex m_mutex;
    int m_peer { -1 };
    bool m_stopping { false };
    std::thread m_thread;
};

// Greets every connection and hangs up at once.
class HangUpServer : public StubPop3Server {
public:
    HangUpServer();
    ~HangUpServer() { stop(); }
};

// Takes one connection and says nothing more than its greeting (none by default),
// until the client hangs up.
class SilentServer : public StubPop3Server {
public:
    explicit SilentServer(std::string greeting = "");
    ~SilentServer() { stop(); }
    bool connected() const { return m_connected; }
    bool hungUp() const { return m_hungUp; }

private:
    std::atomic<bool> m_connected { false };
    std::atomic<bool> m_hungUp { false };
};

// Logs any user in with one message waiting, and answers its TOP with header lines
// that never end, until the client hangs up.
class EndlessHeaderServer : public StubPop3Server {
public:
    EndlessHeaderServer();
    ~EndlessHeaderServer() { stop(); }
    // A client hung up in the middle of the header lines.
    bool cutOff() const { return m_cutOff; }

private:
    void serve(int peer);

    std::atomic<bool> m_cutOff { false };
};

// Logs any user in with two thousand million messages waiting, and answers every
// TOP and LIST at once, until the client hangs up.
class EndlessMailboxServer : public StubPop3Server {
public:
    static constexpr int kMessages = 2000000000;
    EndlessMailboxServer();
    ~EndlessMailboxServer() { stop(); }
    // TOP commands answered, and whether the client hung up, with or without QUIT.
    int summaries() const { return m_summaries; }
    bool hungUp() const { return m_hungUp; }

private:
    void serve(int peer);

    std::atomic<int> m_summaries { 0 };
    std::atomic<bool> m_hungUp { false };
};
