// The buddy peer protocol under load, against a real larkspire on a simulated host.
// 1. Frames per second through its dispatcher from a sender in this process (mostly
//    "ping", one in ten "away"/"notaway"), ended by an "inf" whose one-byte answer
//    marks the last frame dispatched; the same frames through a socat loopback echo.
//    The two run in turn, round after round, and the best of each is printed.
// 2. Sign-on to 256 buddies online (their contact files say so), each at its own
//    127.x address answered here, beside a plain connect-and-handshake loop to the same listeners.
// 3. The same sign-on against a korvo-service while a caller from another address claims
//    one buddy after another, each claim asking the service on demand and refused; with
//    claims and without in turn, round after round, the shortest of each printed.
// Addresses come from 127.251-254.x.y, a range the tests' blocks never use.

#include "bench/bestof.h"
#include "bench/rawpeer.h"
#include "platform/testing/automationclient.h"
#include "platform/testing/serviceprocess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <memory>
#include <set>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kFrames = 400000;
constexpr int kBuddies = 256;
constexpr std::uint16_t kPeerPort = 8096;

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string Block() { return std::to_string(getpid() % 256); }
std::string LarkspireHost() { return "127.252." + Block() + ".1"; }
std::string SenderHost() { return "127.252." + Block() + ".2"; }
std::string BuddyHost(int i) { return i < 255 ? "127.253." + Block() + "." + std::to_string(i + 1) : "127.254." + Block() + ".1"; }
std::string BuddyName(int i) { return "b" + std::to_string(i); }

// Reads until the bytes read end with `ending` or the stream ends.
bool ReadUntil(int fd, const std::string& ending, std::size_t atLeast = 0)
{
    std::string tail;
    std::size_t total = 0;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return false;
        total += static_cast<std::size_t>(n);
        tail.append(buffer, static_cast<std::size_t>(n));
        if (tail.size() > 64)
            tail.erase(0, tail.size() - 64);
        if (total >= atLeast && tail.size() >= ending.size() && tail.compare(tail.size() - ending.size(), ending.size(), ending) == 0)
            return true;
    }
}

// A larkspire signed on as `user` at LarkspireHost(), driven through its automation socket.
class Larkspire {
public:
    Larkspire(QTemporaryDir& dir, const std::string& user)
        : m_socketPath(dir.path() + "/a.sock")
    {
        const std::string root = dir.path().toStdString();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("KORVO_WINDIR", QString::fromStdString(root + "/windows"));
        env.insert("KORVO_APPDIR", QString::fromStdString(root + "/app"));
        env.insert("KORVO_AUTOMATION", m_socketPath);
        env.insert("KORVO_STARTUP_MARKER", "1");
        env.insert("KORVO_NO_BROWSER", "1");
        env.insert("KORVO_LOCAL_ADDRESS", QString::fromStdString(LarkspireHost()));
        QFile::copy(QString(KORVO_BIN_DIR) + "/sigonlogo.gif", QString::fromStdString(root + "/app/sigonlogo.gif"));
        Write(root + "/windows/my friends/" + user + "/user.dat", "[user]\r\npassword=\r\nSave=0\r\n");
        Write(root + "/windows/larkspire.ini", "[MAIN]\r\nuserLoginName=" + user + "\r\n");
        m_root = root + "/windows/my friends/" + user + "/";
        m_process.setProcessEnvironment(env);
        m_process.start(QString(KORVO_BIN_DIR) + "/larkspire", {});
    }
    ~Larkspire()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    static void Write(const std::string& path, const std::string& bytes)
    {
        QFile file(QString::fromStdString(path));
        QDir().mkpath(QFileInfo(file).absolutePath());
        file.open(QIODevice::WriteOnly);
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    void Lists(const std::string& buddy, const std::string& extra = "")
    {
        Write(m_root + buddy + ".cnt", "[Friend]\r\nUserID=" + buddy + "\r\n" + extra);
    }
    bool Reads(const std::string& buddy, const std::string& text) const
    {
        QFile file(QString::fromStdString(m_root + buddy + ".cnt"));
        return file.open(QIODevice::ReadOnly) && file.readAll().contains(QByteArray::fromStdString(text));
    }
    bool WaitForSignOnWindow()
    {
        QByteArray errors;
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 30000) {
            m_process.waitForReadyRead(200);
            errors += m_process.readAllStandardError();
            if (errors.contains("sign-on shown"))
                return true;
        }
        return false;
    }
    std::string Command(const std::string& line) { return m_automation.command(line); }
    void TypePassword() { Command("set\tSign On\tEdit1\tpw"); }
    void ClickSignOn() { Command("click\tSign On\tSpeedButton1"); }
    bool WaitForMainBar()
    {
        for (int i = 0; i < 300; ++i) {
            if (Command("find\tForm1").rfind("ok Form1\t1", 0) == 0)
                return true;
            QThread::msleep(50);
        }
        return false;
    }

private:
    QString m_socketPath;
    std::string m_root;
    QProcess m_process;
    AutomationClient m_automation { m_socketPath.toStdString() };
};

// Buddies' hosts: a listener per address; each "inf" is answered 0xFC.
class BuddyHosts {
public:
    BuddyHosts()
    {
        for (int i = 0; i < kBuddies; ++i) {
            const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
            const int on = 1;
            ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
            const sockaddr_in a = Address(BuddyHost(i), kPeerPort);
            if (::bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 16) != 0) {
                std::fprintf(stderr, "cannot listen on %s\n", BuddyHost(i).c_str());
                ::close(fd);
                continue;
            }
            ::fcntl(fd, F_SETFL, O_NONBLOCK);
            m_listeners.insert(fd);
        }
        m_thread = std::thread([this] { Serve(); });
    }
    ~BuddyHosts()
    {
        m_stop = true;
        m_thread.join();
        for (const int fd : m_listeners)
            ::close(fd);
        for (auto& [fd, c] : m_connections)
            ::close(fd);
    }

private:
    struct Connection {
        std::string input;
    };

    void Serve()
    {
        while (!m_stop) {
            std::vector<pollfd> fds;
            for (const int fd : m_listeners)
                fds.push_back({ fd, POLLIN, 0 });
            for (auto& [fd, c] : m_connections)
                fds.push_back({ fd, POLLIN, 0 });
            if (::poll(fds.data(), fds.size(), 50) <= 0)
                continue;
            for (const pollfd& p : fds) {
                if (!(p.revents & (POLLIN | POLLHUP | POLLERR)))
                    continue;
                if (m_listeners.count(p.fd) != 0) {
                    const int fd = ::accept(p.fd, nullptr, nullptr);
                    if (fd >= 0)
                        m_connections[fd] = Connection();
                    continue;
                }
                Read(p.fd);
            }
        }
    }

    void Read(int fd)
    {
        Connection& c = m_connections[fd];
        char buffer[4096];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            ::close(fd);
            m_connections.erase(fd);
            return;
        }
        c.input.append(buffer, static_cast<std::size_t>(n));
        for (auto end = c.input.find("\r\n"); end != std::string::npos; end = c.input.find("\r\n")) {
            const std::string line = c.input.substr(0, end);
            c.input.erase(0, end + 2);
            if (line.rfind("\xFB" "inf,", 0) == 0)
                SendAll(fd, "\xFC\r\n");
        }
    }

    std::atomic<bool> m_stop { false };
    std::set<int> m_listeners;
    std::map<int, Connection> m_connections;
    std::thread m_thread;
};

// Contact files are written safely (each write synced to disk); in memory, so the run
// measures the protocol and not the disk the machine happens to have.
QString ScratchTemplate()
{
    return QDir("/dev/shm").exists() ? "/dev/shm/bench_peer-XXXXXX" : QDir::tempPath() + "/bench_peer-XXXXXX";
}

std::string LoadFrames()
{
    std::string bytes;
    for (int i = 0; i < kFrames; ++i) {
        if (i % 10 == 5)
            bytes += (i / 10) % 2 ? Frame("away", "bob", "", "out for lunch") : Frame("notaway", "bob", "", "");
        else
            bytes += Frame("ping", "bob", "bob@example.org", "");
    }
    return bytes;
}

// Frames per second through a signed-on larkspire's dispatcher, a fresh connection each round.
class Dispatcher {
public:
    explicit Dispatcher(const std::string& frames)
        : m_frames(frames)
    {
        // bob is taken only where he is known to be: at the sender's address.
        m_alice.Lists("bob", "DirectConnect=" + SenderHost() + "\r\n");
        if (!m_alice.WaitForSignOnWindow())
            return;
        m_alice.TypePassword();
        m_alice.ClickSignOn();
        m_signedOn = m_alice.WaitForMainBar();
    }

    // -1 when the round did not end in the answer to its last frame.
    double Rate()
    {
        if (!m_signedOn)
            return -1;
        const int fd = ConnectFrom(SenderHost(), LarkspireHost(), kPeerPort);
        if (fd < 0)
            return -1;
        const std::string inf = Frame("inf", "bob", "bob@example.org", "alice");
        SendAll(fd, inf);
        if (!ReadUntil(fd, "\xFC\r\n")) {
            ::close(fd);
            return -1;
        }
        const auto start = Clock::now();
        std::thread writer([&] { SendAll(fd, m_frames + inf); });
        const bool answered = ReadUntil(fd, "\xFC\r\n");
        const double ms = MsSince(start);
        writer.join();
        ::close(fd);
        return answered ? kFrames / (ms / 1000.0) : -1;
    }

private:
    const std::string& m_frames;
    QTemporaryDir m_dir { ScratchTemplate() };
    Larkspire m_alice { m_dir, "alice" };
    bool m_signedOn { false };
};

// The same bytes through socat's loopback echo, read back whole; one connection for every round.
class Echo {
public:
    explicit Echo(const std::string& frames)
        : m_frames(frames)
    {
        const std::uint16_t port = static_cast<std::uint16_t>(20000 + getpid() % 20000);
        const std::string host = "127.251." + Block() + ".1";
        m_socat.start("socat", { QString::fromStdString("TCP-LISTEN:" + std::to_string(port) + ",bind=" + host + ",reuseaddr"), "PIPE" });
        if (!m_socat.waitForStarted(5000))
            return;
        for (int i = 0; i < 100 && m_fd < 0; ++i) {
            m_fd = ConnectFrom(host, host, port);
            if (m_fd < 0)
                QThread::msleep(20);
        }
    }
    ~Echo()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_socat.kill();
        m_socat.waitForFinished(2000);
    }

    // -1 when the bytes did not all come back.
    double Rate()
    {
        if (m_fd < 0)
            return -1;
        const auto start = Clock::now();
        std::thread writer([&] { SendAll(m_fd, m_frames); });
        const bool whole = ReadUntil(m_fd, m_frames.substr(m_frames.size() - 32), m_frames.size());
        const double ms = MsSince(start);
        writer.join();
        return whole ? kFrames / (ms / 1000.0) : -1;
    }

private:
    const std::string& m_frames;
    QProcess m_socat;
    int m_fd { -1 };
};

// Claims one buddy after another from an address none of them has, until stopped; how many were refused.
class Impostor {
public:
    Impostor()
        : m_thread([this] { Run(); })
    {
    }
    int Stop()
    {
        m_stop = true;
        m_thread.join();
        return m_refused;
    }

private:
    void Run()
    {
        for (int i = 0; !m_stop; i = (i + 1) % kBuddies) {
            const int fd = ConnectFrom(SenderHost(), LarkspireHost(), kPeerPort);
            if (fd < 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                continue;
            }
            SendAll(fd, Frame("inf", BuddyName(i), "", "carol"));
            m_refused += ReadUntil(fd, "\xFE\r\n") ? 1 : 0;
            ::close(fd);
        }
    }

    std::atomic<bool> m_stop { false };
    int m_refused { 0 };
    std::thread m_thread;
};

// Sign-on to every buddy online; -1 when not all came. With a service, the client logs on to it;
// given refused, an impostor's claims are looked up there on demand while the sign-on runs and
// refused is set to how many were refused; a run with none refused is a failed one (-1).
double BuddiesOnlineMs(const ServiceProcess* service = nullptr, int* refused = nullptr)
{
    QTemporaryDir dir(ScratchTemplate());
    Larkspire carol(dir, "carol");
    for (int i = 0; i < kBuddies; ++i)
        carol.Lists(BuddyName(i), "DirectConnect=" + BuddyHost(i) + "\r\n");
    if (service)
        Larkspire::Write(dir.path().toStdString() + "/app/servers.ini", "[servers]\r\n0=" + service->hostPort() + "\r\n");
    if (!carol.WaitForSignOnWindow())
        return -1;
    carol.TypePassword();
    const auto start = Clock::now();
    carol.ClickSignOn();
    std::unique_ptr<Impostor> impostor;
    if (refused) {
        // Once the client listens: a refused claim needs a server to refuse it.
        for (int fd = -1; fd < 0 && MsSince(start) < 10000;) {
            fd = ConnectFrom(SenderHost(), LarkspireHost(), kPeerPort);
            if (fd >= 0)
                ::close(fd);
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        impostor = std::make_unique<Impostor>();
    }
    // A buddy is online once its contact file says so; the last file checked first, then each.
    for (int i = kBuddies - 1; i >= 0 && MsSince(start) < 60000;) {
        if (carol.Reads(BuddyName(i), "online=1"))
            --i;
        else
            std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    const double ms = carol.Reads(BuddyName(0), "online=1") && MsSince(start) < 60000 ? MsSince(start) : -1;
    if (impostor) {
        *refused = impostor->Stop();
        if (*refused == 0)
            return -1;
    }
    return ms;
}

// A plain loop: connect to each listener, "inf", wait for the answer.
double PlainHandshakesMs()
{
    const auto start = Clock::now();
    for (int i = 0; i < kBuddies; ++i) {
        const int fd = ConnectFrom(SenderHost(), BuddyHost(i), kPeerPort);
        if (fd < 0)
            return -1;
        SendAll(fd, Frame("inf", "carol", "", BuddyName(i)));
        const bool answered = ReadUntil(fd, "\xFC\r\n");
        ::close(fd);
        if (!answered)
            return -1;
    }
    return MsSince(start);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const std::string frames = LoadFrames();
    double dispatcher = -1;
    double echo = -1;
    {
        // Both in turn until their ratio holds still, the best of each printed; a
        // failed round fails the run.
        Dispatcher larkspire(frames);
        Echo socat(frames);
        bool failed = false;
        const auto unlessFailed = [&](double rate) {
            failed = failed || rate <= 0;
            return rate;
        };
        const BestRates best = BestOfInterleaved([&] { return unlessFailed(larkspire.Rate()); },
                                                 [&] { return unlessFailed(socat.Rate()); });
        if (!failed) {
            dispatcher = best.measured;
            echo = best.reference;
        }
    }
    std::printf("dispatcher: %.0f frames/s (socat echo: %.0f frames/s) ratio %.2f\n", dispatcher, echo,
                echo > 0 ? dispatcher / echo : 0.0);
    std::fflush(stdout);

    BuddyHosts hosts;
    const double online = BuddiesOnlineMs();
    const double plain = PlainHandshakesMs();
    std::printf("256 buddies online: %.0f ms (plain: %.0f ms)\n", online, plain);
    std::fflush(stdout);

    QTemporaryDir serviceDir(ScratchTemplate());
    const ServiceProcess service({ "--db", serviceDir.path().toStdString() + "/service.db", "--user", "carol:pw" });
    // With claims and without, in turn until their ratio holds still; the shortest of each is printed.
    double served = -1;
    double looked = -1;
    if (service.started()) {
        bool failed = false;
        int fewestRefused = -1;
        const BestRates best = ShortestOfInterleaved(
            [&] {
                int refused = 0;
                const double ms = BuddiesOnlineMs(&service, &refused);
                fewestRefused = fewestRefused < 0 ? refused : std::min(fewestRefused, refused);
                failed = failed || ms <= 0;
                return ms;
            },
            [&] {
                const double ms = BuddiesOnlineMs(&service);
                failed = failed || ms <= 0;
                return ms;
            });
        std::printf("claims refused during the sign-on: %d\n", fewestRefused);
        if (!failed) {
            served = best.reference;
            looked = best.measured;
        }
    }
    std::printf("256 buddies online while claims are looked up: %.0f ms (without claims: %.0f ms) ratio %.2f\n", looked,
                served, served > 0 ? looked / served : 0.0);
    return dispatcher > 0 && echo > 0 && online > 0 && plain > 0 && served > 0 && looked > 0 ? 0 : 1;
}
