#pragma once

#include <QProcess>

#include <string>
#include <vector>

// A korvo-service of the build's program folder, started on a free port of
// 127.0.0.1 for one test and killed with it.
class ServiceProcess {
public:
    // `arguments` follow --port 0; waits for the service's "listening" line.
    explicit ServiceProcess(const std::vector<std::string>& arguments);
    ~ServiceProcess();
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    // False when the service did not start; `error()` tells why.
    bool started() const { return m_port != 0; }
    const std::string& error() const { return m_error; }
    int port() const { return m_port; }
    // "127.0.0.1:<port>", as servers.ini names the service.
    std::string hostPort() const;

    // Ends the process at once, as a crash would.
    void kill();

private:
    QProcess m_process;
    int m_port { 0 };
    std::string m_error;
};

// The answer of one HTTP GET on its own connection: status 0 when none came.
struct HttpAnswer {
    int status { 0 };
    std::string body;
};

// GETs `target` (path and query, sent as given) from 127.0.0.1:`port`; the request
// comes from the loopback address `from` when one is given.
HttpAnswer HttpGet(int port, const std::string& target, const std::string& from = "");
