#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

// A web server on 127.0.0.1 that misbehaves on cue: each path (the query is not
// part of it) answers its script in turn, one a request, the last repeated. A
// script can answer a page, trickle bytes for ever, stall, send a body of any size,
// wait for a gate the test opens before answering or before ending, or pass the
// request on to another server. Paths without a script get 404. Every request is
// recorded with what became of it, so a test can wait for a state.
class ScriptedHttp {
public:
    struct Script {
        enum class Kind { Page, Trickle, Stall, Huge, Forward };
        Kind kind { Kind::Page };
        std::string body;           // Page: the body; Trickle: the bytes sent one at a time, over and over
        std::size_t size { 0 };     // Huge: bytes of body sent (announced by Content-Length); Trickle: when
                                    // not 0, the answer is announced so long and ends with its last byte
        int intervalMs { 20 };      // Trickle: between two bytes
        std::string upstream;       // Forward: "127.0.0.1:port" asked for the same target
        std::string gateBefore;     // nothing is sent until this gate is open
        std::string gateAfter;      // Page, Forward: the body goes out without a length and the
                                    // connection ends only once this gate is open
    };
    static Script Page(std::string body);
    static Script Trickle(std::string bytes, int intervalMs = 20, std::size_t size = 0);
    static Script Stall();
    static Script Huge(std::size_t size);
    static Script Forward(std::string upstream);

    enum class State { Received, Sending, Answered, Abandoned };
    struct Request {
        std::string target;  // path and query as sent
        State state { State::Received };
        std::size_t bodyBytesSent { 0 };
    };

    explicit ScriptedHttp(std::map<std::string, std::vector<Script>> scripts);
    ~ScriptedHttp();
    ScriptedHttp(const ScriptedHttp&) = delete;
    ScriptedHttp& operator=(const ScriptedHttp&) = delete;

    std::string hostPort() const { return "127.0.0.1:" + std::to_string(m_port); }
    void open(const std::string& gate);
    // The requests of a path (without query) in arrival order.
    std::vector<Request> requests(const std::string& path) const;

private:
    struct Connection;
    void serve(const std::shared_ptr<Connection>& connection);
    bool waitGate(const std::shared_ptr<Connection>& connection, const std::string& gate);
    bool sendAll(const std::shared_ptr<Connection>& connection, const std::string& bytes, bool body);
    void setState(const std::shared_ptr<Connection>& connection, State state);

    std::map<std::string, std::vector<Script>> m_scripts;
    std::map<std::string, std::size_t> m_used;
    int m_fd { -1 };
    int m_port { 0 };
    std::atomic<bool> m_stopping { false };
    std::thread m_acceptor;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::set<std::string> m_openGates;
    std::vector<std::pair<std::string, Request>> m_requests;
    std::vector<std::shared_ptr<Connection>> m_connections;
    std::vector<std::thread> m_workers;
};
