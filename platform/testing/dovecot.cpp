#include "platform/testing/dovecot.h"

#include "platform/testing/loopback.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

constexpr const char* kDovecot = "/usr/sbin/dovecot";

bool Listening(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

void WriteFile(const std::string& name, const std::string& bytes)
{
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// dovecot's mail processes may not run as root; then they run as nobody and
// must be able to write what the test put in place.
bool RunningAsRoot() { return ::geteuid() == 0; }

void OpenUp(const std::string& name, bool folder)
{
    if (RunningAsRoot())
        ::chmod(name.c_str(), folder ? 0777 : 0666);
}

}  // namespace

DovecotServer::DovecotServer() = default;

DovecotServer::~DovecotServer() { stop(); }

bool DovecotServer::Available() { return ::access(kDovecot, X_OK) == 0; }

std::string DovecotServer::path(const std::string& relative) const
{
    return m_dir.path().toStdString() + "/" + relative;
}

void DovecotServer::addUser(const std::string& user, const std::string& password)
{
    m_users += user + ":{PLAIN}" + password + "::::::\n";
    for (const char* sub : { "", "/new", "/cur", "/tmp" }) {
        const std::string folder = path("mail/" + user + sub);
        std::filesystem::create_directories(folder);
        OpenUp(folder, true);
    }
    OpenUp(path("mail"), true);
}

bool DovecotServer::start()
{
    const std::string root = m_dir.path().toStdString();
    ::chmod(root.c_str(), 0755);
    std::filesystem::create_directories(path("state"));
    std::filesystem::create_directories(path("home"));
    OpenUp(path("home"), true);
    WriteFile(path("passwd"), m_users);
    ::chmod(path("passwd").c_str(), 0644);
    const passwd* runAs = RunningAsRoot() ? ::getpwnam("nobody") : ::getpwuid(::getuid());
    if (!runAs) {
        m_error = "no account to run dovecot as";
        return false;
    }
    for (int attempt = 0; attempt < 5; ++attempt) {
        m_port = FreeLoopbackPort();
        std::ostringstream conf;
        conf << "protocols = pop3\nlisten = 127.0.0.1\n"
             << "base_dir = " << path("run") << "\nstate_dir = " << path("state") << "\n"
             << "log_path = " << path("dovecot.log") << "\n"
             << "ssl = no\ndisable_plaintext_auth = no\nauth_mechanisms = plain\nauth_failure_delay = 0\n"
             << "default_login_user = " << runAs->pw_name << "\ndefault_internal_user = " << runAs->pw_name << "\n"
             << "first_valid_uid = 1\nmail_location = maildir:" << path("mail") << "/%u\n"
             << "passdb {\n  driver = passwd-file\n  args = scheme=PLAIN " << path("passwd") << "\n}\n"
             << "userdb {\n  driver = static\n  args = uid=" << runAs->pw_uid << " gid=" << runAs->pw_gid
             << " home=" << path("home") << "/%u\n}\n"
             << "service pop3-login {\n  chroot =\n  inet_listener pop3 {\n    address = 127.0.0.1\n    port = " << m_port
             << "\n  }\n  inet_listener pop3s {\n    port = 0\n  }\n}\n"
             // No penalty socket: each wrong password would hold the next login of
             // 127.0.0.1 for 2, 4, 8 and then 15 seconds.
             << "service anvil {\n  chroot =\n  unix_listener anvil-auth-penalty {\n    mode = 0\n  }\n}\nservice stats {\n  inet_listener http {\n    port = 0\n  }\n}\n";
        WriteFile(path("dovecot.conf"), conf.str());
        const std::string confPath = path("dovecot.conf");
        m_pid = ::fork();
        if (m_pid == 0) {
            ::setpgid(0, 0);
            const int devnull = ::open("/dev/null", O_WRONLY);
            ::dup2(devnull, 1);
            ::dup2(devnull, 2);
            ::execl(kDovecot, kDovecot, "-F", "-c", confPath.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        for (int wait = 0; wait < 200; ++wait) {
            if (Listening(m_port))
                return true;
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        stop();
    }
    std::ifstream log(path("dovecot.log"));
    std::ostringstream text;
    text << log.rdbuf();
    m_error = "dovecot did not start: " + text.str();
    return false;
}

void DovecotServer::stop()
{
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGTERM);
    int status = 0;
    for (int wait = 0; wait < 200; ++wait) {
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    ::kill(-m_pid, SIGKILL);
    ::kill(m_pid, SIGKILL);
    ::waitpid(m_pid, &status, 0);
    m_pid = -1;
}

void DovecotServer::deliver(const std::string& user, const std::string& message)
{
    const std::string name = std::to_string(1700000000 + m_delivered) + ".M" + std::to_string(m_delivered) + "P"
        + std::to_string(::getpid()) + ".korvo";
    ++m_delivered;
    std::string crlfFree;
    crlfFree.reserve(message.size());
    for (char c : message)
        if (c != '\r')
            crlfFree += c;
    const std::string file = path("mail/" + user + "/new/" + name);
    WriteFile(file, crlfFree);
    OpenUp(file, false);
}
