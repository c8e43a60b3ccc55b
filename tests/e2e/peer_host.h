#pragma once

#include "larkspire_process.h"

#include "platform/testing/loopback.h"
#include "platform/testing/scratch.h"

#include <QFile>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <memory>
#include <string>

// A user's machine for the peer scenarios, and a raw program that speaks the
// peer protocol to a client's port 8096 with whatever bytes a test chooses.

// One user's machine: its own Windows directory and program folder at its own loopback address.
struct Host {
    Host(const std::string& user, int host)
        : user(user)
        , address(LoopbackHost(host))
    {
        QFile::copy(QString(KORVO_BIN_DIR) + "/sigonlogo.gif", QString::fromStdString(dirs.appDir() + "/sigonlogo.gif"));
        dirs.write("windows/my friends/" + user + "/user.dat", "[user]\r\npassword=\r\nSave=0\r\n");
        dirs.write("windows/larkspire.ini", "[MAIN]\r\nuserLoginName=" + user + "\r\nuserEmail=" + user + "@example.org\r\n");
        // No news run: its outcome goes to the main bar's label, which these scenarios read.
        dirs.write("app/Channels.ini", "[Push News]\r\nmanual=0\r\n");
        // Received files land on this machine's own desktop.
        dirs.write("desktop/.keep", "");
        dirs.write("windows/registry.reg", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders]\r\n\"Desktop\"=\"" + desktop() + "\"\r\n");
    }
    std::string desktop() const { return dirs.root() + "/desktop"; }
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
    void start()
    {
        process = std::make_unique<LarkspireProcess>(dirs.windowsDir(), dirs.appDir(), dirs.root() + "/l.sock", address);
    }

    std::string user;
    std::string address;
    ScratchDirs dirs;
    std::unique_ptr<LarkspireProcess> process;
};

// A program on another loopback address that says whatever it likes to a client's port 8096.
class HostilePeer {
public:
    HostilePeer(const std::string& from, const std::string& to)
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in local {};
        local.sin_family = AF_INET;
        ::inet_pton(AF_INET, from.c_str(), &local.sin_addr);
        ::bind(m_fd, reinterpret_cast<sockaddr*>(&local), sizeof local);
        sockaddr_in remote {};
        remote.sin_family = AF_INET;
        remote.sin_port = htons(8096);
        ::inet_pton(AF_INET, to.c_str(), &remote.sin_addr);
        m_connected = ::connect(m_fd, reinterpret_cast<sockaddr*>(&remote), sizeof remote) == 0;
    }
    ~HostilePeer() { ::close(m_fd); }
    bool connected() const { return m_connected; }
    void line(const std::string& text)
    {
        const std::string bytes = text + "\r\n";
        ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    }
    // The next line without its CR LF, waiting at most 10 s; "" when none came.
    std::string readLine()
    {
        timeval wait { 10, 0 };
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

private:
    int m_fd { -1 };
    bool m_connected { false };
    std::string m_input;
};

inline std::string Frame(const std::string& f1, const std::string& f2, const std::string& f3 = "", const std::string& f4 = "")
{
    return "\xFB" + f1 + "," + f2 + ",\"" + f3 + "\",\"" + f4 + "\"";
}

