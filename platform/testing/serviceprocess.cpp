#include "platform/testing/serviceprocess.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <cstring>

ServiceProcess::ServiceProcess(const std::vector<std::string>& arguments)
{
    QStringList args { QStringLiteral("--port"), QStringLiteral("0") };
    for (const std::string& argument : arguments)
        args << QString::fromStdString(argument);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral(KORVO_BIN_DIR "/korvo-service"), args);
    if (!m_process.waitForStarted(10000)) {
        m_error = "korvo-service did not start: " + m_process.errorString().toStdString();
        return;
    }
    while (!m_process.canReadLine()) {
        if (!m_process.waitForReadyRead(10000)) {
            m_error = "korvo-service printed no listening line";
            return;
        }
    }
    const std::string line = m_process.readLine().trimmed().toStdString();
    const std::string prefix = "listening 127.0.0.1:";
    if (line.rfind(prefix, 0) != 0) {
        m_error = "korvo-service said: " + line;
        return;
    }
    m_port = std::stoi(line.substr(prefix.size()));
}

ServiceProcess::~ServiceProcess() { kill(); }

std::string ServiceProcess::hostPort() const { return "127.0.0.1:" + std::to_string(m_port); }

void ServiceProcess::kill()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(10000);
    }
}

HttpAnswer HttpGet(int port, const std::string& target, const std::string& from)
{
    HttpAnswer answer;
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return answer;
    if (!from.empty()) {
        sockaddr_in local {};
        local.sin_family = AF_INET;
        if (::inet_pton(AF_INET, from.c_str(), &local.sin_addr) != 1
            || ::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
            ::close(fd);
            return answer;
        }
    }
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return answer;
    }
    const std::string request = "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
    std::size_t sent = 0;
    while (sent < request.size()) {
        const ssize_t n = ::send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += static_cast<std::size_t>(n);
    }
    // Read to the end of the body its Content-Length gives, whatever the server does with the connection.
    std::string response;
    char buffer[4096];
    std::size_t headerEnd = std::string::npos;
    std::size_t wanted = std::string::npos;
    while (wanted == std::string::npos || response.size() < wanted) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        response.append(buffer, static_cast<std::size_t>(n));
        if (headerEnd == std::string::npos && (headerEnd = response.find("\r\n\r\n")) != std::string::npos) {
            std::string headers = response.substr(0, headerEnd);
            for (char& c : headers)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            const std::size_t length = headers.find("\r\ncontent-length:");
            if (length != std::string::npos)
                wanted = headerEnd + 4 + std::strtoul(headers.c_str() + length + 17, nullptr, 10);
        }
    }
    ::close(fd);
    if (response.rfind("HTTP/1.", 0) != 0 || headerEnd == std::string::npos || response.size() < 12)
        return answer;
    answer.status = std::atoi(response.substr(9, 3).c_str());
    answer.body = response.substr(headerEnd + 4);
    return answer;
}
