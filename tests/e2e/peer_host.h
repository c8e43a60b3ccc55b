#pragma once

#include "larkspire_process.h"
#include "started_programs.h"

#include "platform/testing/loopback.h"
#include "platform/testing/scratch.h"
#include "platform/testing/serviceprocess.h"

#include <QDir>
#include <QFile>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// A user's machine for the peer scenarios, and a raw program that speaks to a
// client's port with whatever bytes a test chooses.

// One user's machine: its own Windows directory and program folder at its own loopback address.
struct Host {
    Host(const std::string& user, int host)
        : user(user)
        , address(LoopbackHost(host))
    {
        QFile::copy(QString(KORVO_BIN_DIR) + "/sigonlogo.gif", QString::fromStdString(dirs.appDir() + "/sigonlogo.gif"));
        dirs.write("windows/my friends/" + user + "/user.dat", "[user]\r\npassword=\r\nSave=0\r\n");
        // The address the client itself records once online, there before any plug-in reads it.
        dirs.write("windows/larkspire.ini", "[MAIN]\r\nuserLoginName=" + user + "\r\nuserEmail=" + user
                                                + "@example.org\r\nlocalAddress=" + address + "\r\n");
        // No news run: its outcome goes to the main bar's label, which these scenarios read.
        dirs.write("app/Channels.ini", "[Push News]\r\nmanual=0\r\n");
        // Received files land on this machine's own desktop.
        dirs.write("desktop/.keep", "");
        dirs.write("windows/registry.reg", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders]\r\n\"Desktop\"=\"" + desktop() + "\"\r\n");
    }
    // The plug-ins its client started end with the machine.
    ~Host() { KillProcessesWith("chess", "KORVO_WINDIR=" + dirs.windowsDir()); }

    std::string desktop() const { return dirs.root() + "/desktop"; }
    std::string socket() const { return dirs.root() + "/l.sock"; }
    void lists(const std::string& buddy, const std::string& extra = "")
    {
        dirs.write("windows/my friends/" + user + "/" + buddy + ".cnt", "[Friend]\r\nUserID=" + buddy + "\r\n" + extra);
    }
    std::string cnt(const std::string& buddy) const { return dirs.read("windows/my friends/" + user + "/" + buddy + ".cnt"); }
    bool seesOnline(const std::string& buddy, bool online)
    {
        const std::string wanted = online ? "online=1" : "online=0";
        return Application::ProcessMessagesUntil([&] { return cnt(buddy).find(wanted) != std::string::npos; }, 15000);
    }
    // The built chess program as a plug-in in this machine's program folder.
    void installChess()
    {
        const QString from = QString(KORVO_BIN_DIR) + "/plugins/chess/";
        const QString to = QString::fromStdString(dirs.appDir() + "/plugins/chess/");
        QDir().mkpath(to);
        for (const char* file : { "chess", "plugin.inf", "icon.bmp" })
            QFile::copy(from + file, to + file);
    }
    void start() { process = std::make_unique<LarkspireProcess>(dirs.windowsDir(), dirs.appDir(), socket(), address); }
    // The client's peer dispatcher has handed a window this call (the `peerhooks` record).
    bool peerHookSeen(const std::string& call)
    {
        return Application::ProcessMessagesUntil([&] { return process->command("peerhooks").find(call) != std::string::npos; },
                                                 10000);
    }

    std::string user;
    std::string address;
    ScratchDirs dirs;
    std::unique_ptr<LarkspireProcess> process;
};

// korvo-service knowing alice and bob (password "pw"), for hosts that log on through it.
struct AliceAndBobService {
    ScratchDirs dirs;
    ServiceProcess service { { "--db", dirs.root() + "/service.db", "--user", "alice:pw", "--user", "bob:pw" } };

    void serves(Host& host) const { host.dirs.write("app/servers.ini", "[servers]\r\n0=" + service.hostPort() + "\r\n"); }
};

// Two (or three) users who list each other with fixed addresses, signed on and online.
struct Buddies {
    explicit Buddies(std::vector<std::pair<std::string, int>> users)
    {
        for (const auto& [name, host] : users)
            hosts.push_back(std::make_unique<Host>(name, host));
        for (auto& host : hosts)
            for (auto& other : hosts)
                if (host != other)
                    host->lists(other->user, "DirectConnect=" + other->address + "\r\n");
    }
    bool signOn()
    {
        for (auto& host : hosts) {
            host->start();
            if (!host->process->signOn())
                return false;
        }
        for (auto& host : hosts)
            for (auto& other : hosts)
                if (host != other && !host->seesOnline(other->user, true))
                    return false;
        return true;
    }
    Host& operator[](std::size_t i) { return *hosts[i]; }
    std::vector<std::unique_ptr<Host>> hosts;
};

// A program on another loopback address that says whatever it likes to a client's port.
class HostilePeer {
public:
    // A call the host's full accept queue drops would be tried again by the kernel
    // only a second later; one not answered at once is made anew instead, for 10 s.
    HostilePeer(const std::string& from, const std::string& to, std::uint16_t port = 8096)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        for (;;) {
            m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
            sockaddr_in local {};
            local.sin_family = AF_INET;
            ::inet_pton(AF_INET, from.c_str(), &local.sin_addr);
            ::bind(m_fd, reinterpret_cast<sockaddr*>(&local), sizeof local);
            sockaddr_in remote {};
            remote.sin_family = AF_INET;
            remote.sin_port = htons(port);
            ::inet_pton(AF_INET, to.c_str(), &remote.sin_addr);
            bool answered = ::connect(m_fd, reinterpret_cast<sockaddr*>(&remote), sizeof remote) == 0;
            m_connected = answered;
            if (!answered && errno == EINPROGRESS) {
                pollfd call { m_fd, POLLOUT, 0 };
                if (::poll(&call, 1, 100) == 1) {
                    int error = 0;
                    socklen_t length = sizeof error;
                    ::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &length);
                    m_connected = error == 0;
                    answered = true;
                }
            } else {
                answered = true;
            }
            if (answered || std::chrono::steady_clock::now() >= deadline) {
                ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
                return;
            }
            ::close(m_fd);
        }
    }
    ~HostilePeer() { ::close(m_fd); }
    HostilePeer(const HostilePeer&) = delete;
    HostilePeer& operator=(const HostilePeer&) = delete;
    bool connected() const { return m_connected; }
    // All of the bytes, or false once the other side stops taking them.
    bool send(const std::string& bytes)
    {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::send(m_fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }
    void line(const std::string& text) { send(text + "\r\n"); }
    // The next line without its CR LF, waiting at most that many seconds; "" when none came.
    std::string readLine(int seconds = 10)
    {
        timeval wait { seconds, 0 };
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        for (;;) {
            if (const auto end = m_input.find("\r\n"); end != std::string::npos) {
                const std::string line = m_input.substr(0, end);
                m_input.erase(0, end + 2);
                return line;
            }
            char buffer[1024];
            const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
            if (n <= 0)
                return {};
            m_input.append(buffer, static_cast<std::size_t>(n));
        }
    }
    // True when the other side closed without sending a byte, within 10 s.
    bool closedUnanswered()
    {
        timeval wait { 10, 0 };
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        char byte = 0;
        const ssize_t n = ::recv(m_fd, &byte, 1, 0);
        // Bytes sent after the close may have drawn a reset instead of the end.
        return n == 0 || (n < 0 && errno == ECONNRESET);
    }

    // True when the other side ended the call within 10 s, whatever it said before.
    bool ended()
    {
        timeval wait { 10, 0 };
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        char buffer[1024];
        ssize_t n = 0;
        while ((n = ::recv(m_fd, buffer, sizeof buffer, 0)) > 0) {
        }
        return n == 0 || errno == ECONNRESET;
    }

private:
    int m_fd { -1 };
    bool m_connected { false };
    std::string m_input;
};

// True once a call from one address to another's port has been hung up at both ends: the kernel then
// keeps the connection in TIME_WAIT a while on the side that hung up first.
inline bool HungUp(const std::string& caller, const std::string& called, std::uint16_t port)
{
    const auto hex = [](const std::string& address) {
        in_addr raw {};
        ::inet_pton(AF_INET, address.c_str(), &raw);
        char text[9];
        std::snprintf(text, sizeof text, "%08X", raw.s_addr);
        return std::string(text);
    };
    char portText[5];
    std::snprintf(portText, sizeof portText, "%04X", static_cast<unsigned>(port));
    const std::string from = hex(caller) + ":";
    const std::string to = hex(called) + ":" + portText;
    QFile table("/proc/net/tcp");
    if (!table.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& row : table.readAll().split('\n')) {
        const QList<QByteArray> fields = row.simplified().split(' ');
        if (fields.size() < 4 || fields[3] != "06")
            continue;
        const std::string local = fields[1].toStdString();
        const std::string remote = fields[2].toStdString();
        if ((local == to && remote.rfind(from, 0) == 0) || (remote == to && local.rfind(from, 0) == 0))
            return true;
    }
    return false;
}

inline std::string Frame(const std::string& f1, const std::string& f2, const std::string& f3 = "", const std::string& f4 = "")
{
    return "\xFB" + f1 + "," + f2 + ",\"" + f3 + "\",\"" + f4 + "\"";
}
