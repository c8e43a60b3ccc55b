#include "platform/testing/ircserver.h"

#include "platform/testing/loopback.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

constexpr const char* kNgircd = "/usr/sbin/ngircd";

int Connect(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

IrcServer::IrcServer(const std::string& password) : m_password(password) {}

IrcServer::~IrcServer()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
    }
}

bool IrcServer::Available() { return ::access(kNgircd, X_OK) == 0; }

std::string IrcServer::error() const
{
    std::ifstream in(m_dir.path().toStdString() + "/ngircd.log");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool IrcServer::start()
{
    const std::string dir = m_dir.path().toStdString();
    for (int attempt = 0; attempt < 5 && m_port == 0; ++attempt) {
        const int port = FreeLoopbackPort();
        {
            std::ofstream conf(dir + "/ngircd.conf", std::ios::trunc);
            conf << "[Global]\nName = irc.korvo.test\nInfo = Korvo test server\nListen = 127.0.0.1\nPorts = " << port
                 << "\nMotdPhrase = \"Welcome to the test server\"\nPassword = " << m_password << "\nPidFile = " << dir
                 << "/ngircd.pid\n";
            // As root it must drop to somebody; nobody will do.
            if (::geteuid() == 0)
                conf << "ServerUID = 65534\nServerGID = 65534\n";
            conf << "[Limits]\nMaxNickLength = 30\nPongTimeout = 120\n[Options]\nPAM = no\nIdent = no\nDNS = no\n"
                 << "[Operator]\nName = " << kOperator << "\nPassword = " << kOperatorPassword << "\n";
        }
        const std::string log = dir + "/ngircd.log";
        const std::string conf = dir + "/ngircd.conf";
        m_pid = ::fork();
        if (m_pid == 0) {
            const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (out >= 0) {
                ::dup2(out, 1);
                ::dup2(out, 2);
            }
            ::execl(kNgircd, kNgircd, "-n", "-f", conf.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        for (int i = 0; i < 200; ++i) {
            if (const int fd = Connect(port); fd >= 0) {
                ::close(fd);
                m_port = port;
                break;
            }
            if (::waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
                m_pid = -1;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        if (m_port == 0 && m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
    }
    return m_port != 0;
}

IrcTestClient::~IrcTestClient()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool IrcTestClient::connect(int port)
{
    m_fd = Connect(port);
    return m_fd >= 0;
}

void IrcTestClient::line(const std::string& text)
{
    const std::string bytes = text + "\r\n";
    ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

std::string IrcTestClient::waitFor(const std::string& part)
{
    timeval wait { 10, 0 };
    ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    for (;;) {
        for (auto end = m_input.find("\r\n"); end != std::string::npos; end = m_input.find("\r\n")) {
            const std::string found = m_input.substr(0, end);
            m_input.erase(0, end + 2);
            if (found.rfind("PING ", 0) == 0)
                line("PONG " + found.substr(5));
            if (found.find(part) != std::string::npos)
                return found;
        }
        char buffer[4096];
        const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return {};
        m_input.append(buffer, static_cast<std::size_t>(n));
    }
}
