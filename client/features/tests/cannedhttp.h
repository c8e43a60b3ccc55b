#pragma once

#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A web server on 127.0.0.1 for replies no real page gives (empty listings,
// hostile names, error pages): each path answers its canned body with status
// 200, others 404; every request path is recorded.
class CannedHttp {
public:
    explicit CannedHttp(std::map<std::string, std::string> pages);
    ~CannedHttp();
    CannedHttp(const CannedHttp&) = delete;
    CannedHttp& operator=(const CannedHttp&) = delete;

    std::string hostPort() const { return "127.0.0.1:" + std::to_string(m_port); }
    std::vector<std::string> requests() const;

private:
    void serve(int client);

    std::map<std::string, std::string> m_pages;
    int m_fd { -1 };
    int m_port { 0 };
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_requests;
};
