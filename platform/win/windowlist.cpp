#include "platform/win/windowlist.h"

#include "platform/rtl/sysutils.h"
#include "platform/win/desktop.h"
#include "platform/win/messages.h"

#include <QCoreApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QThread>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// Each process keeps, in the desktop folder:
//   <pid>.lock    held locked while the process lives, so others can tell a dead one
//   <pid>.titles  one line per window: id, a tab, the title in hex, CR LF (rewritten atomically)
//   <pid>.sock    where "activate <id>" requests arrive
namespace {

constexpr std::size_t kMaxTitlesFile = 1 << 20;
constexpr std::size_t kMaxTitleBytes = 4096;
constexpr std::size_t kMaxRequest = 64;
constexpr int kDeliveryTimeoutMs = 2000;

std::string pidFile(const std::string& folder, long pid, const char* suffix)
{
    return folder + "/" + std::to_string(pid) + suffix;
}

std::string toHex(std::string_view bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char byte : bytes) {
        out += digits[byte >> 4];
        out += digits[byte & 15];
    }
    return out;
}

std::optional<std::string> fromHex(std::string_view hex)
{
    if (hex.size() % 2 != 0 || hex.size() / 2 > kMaxTitleBytes)
        return std::nullopt;
    std::string out;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = HexDigitValue(hex[i]);
        const int low = HexDigitValue(hex[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        out += static_cast<char>(high * 16 + low);
    }
    return out;
}

std::optional<std::uintptr_t> parseId(std::string_view text)
{
    if (text.empty() || text.size() > 20)
        return std::nullopt;
    std::uintptr_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        const std::uintptr_t next = value * 10 + static_cast<std::uintptr_t>(c - '0');
        if (next / 10 != value)
            return std::nullopt;
        value = next;
    }
    return value;
}

std::string readBounded(const std::string& path)
{
    std::string bytes;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return bytes;
    char buffer[4096];
    while (bytes.size() < kMaxTitlesFile) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got <= 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    close(fd);
    if (bytes.size() > kMaxTitlesFile)
        bytes.resize(kMaxTitlesFile);
    return bytes;
}

bool writeAtomically(const std::string& path, const std::string& bytes)
{
    const std::string temp = path + ".tmp";
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
        if (put <= 0) {
            close(fd);
            unlink(temp.c_str());
            return false;
        }
        done += static_cast<std::size_t>(put);
    }
    close(fd);
    if (rename(temp.c_str(), path.c_str()) != 0) {
        unlink(temp.c_str());
        return false;
    }
    return true;
}

struct Window {
    std::uintptr_t id { 0 };
    std::string title;
};

std::vector<Window> parseTitles(const std::string& bytes)
{
    std::vector<Window> windows;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        std::string_view line(bytes.data() + start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos)
            continue;
        const auto id = parseId(line.substr(0, tab));
        const auto title = fromHex(line.substr(tab + 1));
        if (id && title)
            windows.push_back({ *id, *title });
    }
    return windows;
}

// True while the process holding <pid>.lock lives. A dead process's files are removed.
bool aliveOrSwept(const std::string& folder, long pid)
{
    const std::string lockPath = pidFile(folder, pid, ".lock");
    const int fd = open(lockPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0 && flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        close(fd);
        return true;
    }
    unlink(pidFile(folder, pid, ".titles").c_str());
    unlink(pidFile(folder, pid, ".sock").c_str());
    if (fd >= 0) {
        unlink(lockPath.c_str());
        close(fd);
    }
    return false;
}

struct Found {
    long pid { 0 };
    std::uintptr_t id { 0 };
};

class WindowBoard {
public:
    ~WindowBoard() { leaveFolder(); }

    void publish(std::uintptr_t id, const std::string& title)
    {
        {
            std::lock_guard guard(m_mutex);
            m_titles[id] = title;
            syncLocked();
        }
        ensureServer();
    }

    void withdraw(std::uintptr_t id)
    {
        std::lock_guard guard(m_mutex);
        if (m_titles.erase(id) != 0)
            syncLocked();
    }

    void setHandler(std::function<void(std::uintptr_t)> handler)
    {
        std::lock_guard guard(m_mutex);
        m_handler = std::move(handler);
    }

    std::optional<std::uintptr_t> ownWindow(const std::string& title, const std::string& folder)
    {
        std::lock_guard guard(m_mutex);
        if (folder != m_folder)
            return std::nullopt;
        for (const auto& [id, own] : m_titles)
            if (own == title)
                return id;
        return std::nullopt;
    }

    void activate(std::uintptr_t id)
    {
        std::function<void(std::uintptr_t)> handler;
        {
            std::lock_guard guard(m_mutex);
            if (m_titles.count(id) == 0)
                return;
            handler = m_handler;
        }
        if (handler)
            Application::Guarded([&] { handler(id); });
    }

    // Another process's window with this title on the desktop in folder.
    std::optional<Found> findElsewhere(const std::string& title, const std::string& folder)
    {
        DIR* dir = opendir(folder.c_str());
        if (!dir)
            return std::nullopt;
        std::vector<long> pids;
        while (dirent* entry = readdir(dir)) {
            const std::string_view name(entry->d_name);
            constexpr std::string_view suffix = ".titles";
            if (name.size() <= suffix.size() || name.substr(name.size() - suffix.size()) != suffix)
                continue;
            const auto pid = parseId(name.substr(0, name.size() - suffix.size()));
            if (pid && static_cast<long>(*pid) != m_pid && *pid < 1u << 30)
                pids.push_back(static_cast<long>(*pid));
        }
        closedir(dir);
        for (long pid : pids) {
            if (!aliveOrSwept(folder, pid))
                continue;
            for (const Window& window : parseTitles(readBounded(pidFile(folder, pid, ".titles"))))
                if (window.title == title)
                    return Found { pid, window.id };
        }
        return std::nullopt;
    }

    void ensureServer();

private:
    // Keeps our files in the current desktop's folder; the Windows directory can
    // change under a test, and our windows move with it.
    void syncLocked()
    {
        const std::string folder = desktop::Folder();
        if (folder != m_folder) {
            leaveFolder();
            m_folder = folder;
        }
        if (m_folder.empty())
            return;
        if (!holdLifeLock()) {
            // The folder went away with an abandoned desktop's; make it again.
            if (desktop::Folder() != m_folder || !holdLifeLock())
                return;
        }
        std::string bytes;
        for (const auto& [id, title] : m_titles)
            bytes += std::to_string(id) + "\t" + toHex(title) + "\r\n";
        writeAtomically(pidFile(m_folder, m_pid, ".titles"), bytes);
    }

    bool holdLifeLock()
    {
        const std::string path = pidFile(m_folder, m_pid, ".lock");
        for (int attempt = 0; m_lockFd < 0 && attempt < 5; ++attempt) {
            const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
            if (fd < 0)
                return false;
            struct stat held {}, named {};
            // A sweeper may have removed the file between our open and our lock.
            if (flock(fd, LOCK_EX) == 0 && fstat(fd, &held) == 0 && stat(path.c_str(), &named) == 0
                && held.st_ino == named.st_ino && held.st_dev == named.st_dev) {
                m_lockFd = fd;
                break;
            }
            close(fd);
        }
        return m_lockFd >= 0;
    }

    void leaveFolder()
    {
        if (m_folder.empty())
            return;
        unlink(pidFile(m_folder, m_pid, ".titles").c_str());
        unlink(pidFile(m_folder, m_pid, ".sock").c_str());
        if (m_lockFd >= 0) {
            unlink(pidFile(m_folder, m_pid, ".lock").c_str());
            close(m_lockFd);
            m_lockFd = -1;
        }
        m_folder.clear();
    }

    std::mutex m_mutex;
    std::map<std::uintptr_t, std::string> m_titles;
    std::function<void(std::uintptr_t)> m_handler;
    std::string m_folder;
    int m_lockFd { -1 };
    const long m_pid { static_cast<long>(getpid()) };

    // Main thread only.
    QPointer<QLocalServer> m_server;
    std::string m_serverPath;
};

WindowBoard& board()
{
    static WindowBoard instance;
    return instance;
}

void serveRequest(QLocalSocket* socket)
{
    auto pending = std::make_shared<QByteArray>();
    QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, pending] {
        pending->append(socket->read(static_cast<qint64>(kMaxRequest + 1) - pending->size()));
        const qsizetype end = pending->indexOf('\n');
        if (end < 0) {
            if (static_cast<std::size_t>(pending->size()) > kMaxRequest)
                socket->abort();
            return;
        }
        const std::string line = pending->left(end).toStdString();
        constexpr std::string_view verb = "activate ";
        if (line.compare(0, verb.size(), verb) == 0)
            if (const auto id = parseId(std::string_view(line).substr(verb.size())))
                board().activate(*id);
        socket->disconnectFromServer();
    });
}

void WindowBoard::ensureServer()
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return;
    if (QThread::currentThread() != app->thread()) {
        QMetaObject::invokeMethod(app, [] { board().ensureServer(); }, Qt::QueuedConnection);
        return;
    }
    std::string path;
    {
        std::lock_guard guard(m_mutex);
        if (m_folder.empty())
            return;
        path = pidFile(m_folder, m_pid, ".sock");
    }
    if (m_server && m_serverPath == path && m_server->isListening())
        return;
    if (!m_server) {
        m_server = new QLocalServer(app);
        QObject::connect(m_server, &QLocalServer::newConnection, m_server, [server = m_server.data()] {
            while (QLocalSocket* socket = server->nextPendingConnection())
                serveRequest(socket);
        });
    }
    m_server->close();
    const QString name = QString::fromStdString(path);
    QLocalServer::removeServer(name);
    m_serverPath = m_server->listen(name) ? path : std::string();
}

bool deliver(const std::string& folder, const Found& found)
{
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(pidFile(folder, found.pid, ".sock")));
    if (!socket.waitForConnected(kDeliveryTimeoutMs))
        return false;
    const QByteArray request = "activate " + QByteArray::number(static_cast<qulonglong>(found.id)) + "\n";
    socket.write(request);
    const bool sent = socket.waitForBytesWritten(kDeliveryTimeoutMs);
    socket.disconnectFromServer();
    return sent;
}

}  // namespace

namespace windowlist {

void Publish(std::uintptr_t windowId, const std::string& title) { board().publish(windowId, title); }

void Withdraw(std::uintptr_t windowId) { board().withdraw(windowId); }

bool TitleExists(const std::string& title)
{
    const std::string folder = desktop::Folder();
    if (board().ownWindow(title, folder))
        return true;
    return !folder.empty() && board().findElsewhere(title, folder).has_value();
}

bool BringToFront(const std::string& title)
{
    const std::string folder = desktop::Folder();
    if (const auto own = board().ownWindow(title, folder)) {
        QCoreApplication* app = QCoreApplication::instance();
        if (!app || QThread::currentThread() == app->thread())
            board().activate(*own);
        else
            QMetaObject::invokeMethod(app, [id = *own] { board().activate(id); }, Qt::QueuedConnection);
        return true;
    }
    if (folder.empty())
        return false;
    const auto found = board().findElsewhere(title, folder);
    return found && deliver(folder, *found);
}

void SetActivationHandler(std::function<void(std::uintptr_t windowId)> handler)
{
    board().setHandler(std::move(handler));
}

}  // namespace windowlist
