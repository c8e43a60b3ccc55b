// File transfer and chat delivery against a real larkspire on a simulated host.
// 1. A 64 MiB file sent to its transfer window (accepted through its request prompt)
//    from this process, timed from the first byte until the file lies whole on its
//    desktop; beside it the same bytes copied over a raw loopback connection into a
//    file by a second process of this program, timed the same way.
// 2. Chat lines per second from this process's peer line into the chat window's transcript.
// 3. A chat flood: once the transcript is full, 100 MB more of chat lines while the
//    bar is asked something all along; the resident size it adds per 100 MB of chat,
//    and the longest the bar took to answer, beside the longest with no flood.
// Addresses come from 127.250.x.y, a range the tests' blocks never use.

#include "bench/rawpeer.h"
#include "platform/testing/automationclient.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <netinet/in.h>
#include <cstring>
#include <random>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr std::size_t kFileSize = 64u << 20;
constexpr int kChatLines = 2000;
constexpr std::uint16_t kPeerPort = 8096;
// A flood line's words: its frame stays within a peer line's limit.
constexpr std::size_t kFloodWords = 800;
// Enough to fill the transcript to its cap before the resident size is taken.
constexpr std::size_t kFloodFill = 20u << 20;
constexpr std::size_t kFloodBytes = 100000000;

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

std::string Block() { return std::to_string(getpid() % 256); }
std::string LarkspireHost() { return "127.250." + Block() + ".1"; }
std::string SenderHost() { return "127.250." + Block() + ".2"; }

// One line from the peer connection, without its CR LF; "" at its end.
std::string ReadLine(int fd, std::string& pending)
{
    for (;;) {
        if (const auto end = pending.find("\r\n"); end != std::string::npos) {
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 2);
            return line;
        }
        char buffer[4096];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return {};
        pending.append(buffer, static_cast<std::size_t>(n));
    }
}

void Write(const std::string& path, const std::string& bytes)
{
    QFile file(QString::fromStdString(path));
    QDir().mkpath(QFileInfo(file).absolutePath());
    file.open(QIODevice::WriteOnly);
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

// A larkspire signed on as bob at LarkspireHost(), with alice listed, driven through its automation socket.
class Larkspire {
public:
    explicit Larkspire(QTemporaryDir& dir)
        : m_socketPath(dir.path() + "/a.sock")
        , m_desktop(dir.path().toStdString() + "/desktop")
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
        Write(root + "/windows/my friends/bob/user.dat", "[user]\r\npassword=\r\nSave=0\r\n");
        Write(root + "/windows/my friends/bob/alice.cnt", "[Friend]\r\nUserID=alice\r\nDirectConnect=" + SenderHost() + "\r\n");
        Write(root + "/windows/larkspire.ini", "[MAIN]\r\nuserLoginName=bob\r\n");
        Write(root + "/windows/registry.reg",
              "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders]\r\n"
              "\"Desktop\"=\"" + m_desktop + "\"\r\n");
        QDir().mkpath(QString::fromStdString(m_desktop));
        m_process.setProcessEnvironment(env);
        m_process.start(QString(KORVO_BIN_DIR) + "/larkspire", {});
    }
    ~Larkspire()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    bool SignOn()
    {
        QByteArray errors;
        QElapsedTimer timer;
        timer.start();
        while (!errors.contains("sign-on shown") && timer.elapsed() < 30000) {
            m_process.waitForReadyRead(200);
            errors += m_process.readAllStandardError();
        }
        Command("set\tSign On\tEdit1\tpw");
        Command("click\tSign On\tSpeedButton1");
        return Until([&] { return Command("find\tForm1").rfind("ok Form1\t1", 0) == 0; });
    }
    std::string Command(const std::string& line) { return m_automation.command(line); }
    // Clicks a button of a window once it shows.
    bool Click(const std::string& window, const std::string& button)
    {
        std::string reply;
        const bool clicked = Until([&] { return (reply = Command("click\t" + window + "\t" + button)) == "ok"; });
        if (!clicked)
            std::fprintf(stderr, "click %s: %s\n", window.c_str(), reply.c_str());
        return clicked;
    }
    template<typename Condition>
    static bool Until(Condition condition, int timeoutMs = 60000)
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < timeoutMs) {
            if (condition())
                return true;
            QThread::msleep(2);
        }
        return false;
    }
    const std::string& Desktop() const { return m_desktop; }
    // Resident size in MB, 0 when it cannot be read.
    double ResidentMB() const
    {
        QFile status(QString("/proc/%1/status").arg(m_process.processId()));
        if (!status.open(QIODevice::ReadOnly))
            return 0;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmRSS:"))
                return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
        return 0;
    }

private:
    QString m_socketPath;
    std::string m_desktop;
    QProcess m_process;
    AutomationClient m_automation { m_socketPath.toStdString() };
};

std::string RandomBytes(std::size_t size)
{
    std::mt19937_64 random(42);
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i + 8 <= size; i += 8) {
        const std::uint64_t value = random();
        std::memcpy(&bytes[i], &value, 8);
    }
    return bytes;
}

// Chat frames numbered from next on, about bytes of them.
std::string FloodLines(const std::string& header, int& next, std::size_t bytes)
{
    std::string said;
    while (said.size() < kFloodWords)
        said += "chat words ";
    std::string lines;
    while (lines.size() < bytes) {
        const std::string number = "flood " + std::to_string(next++) + " ";
        lines += Frame("chat", "alice", "bob", header + number + said.substr(0, kFloodWords - number.size()) + "\\par }");
    }
    return lines;
}

// Sends bytes of flood lines on the peer line; the number of the last line sent.
int Flood(int line, const std::string& header, int& next, std::size_t bytes)
{
    for (std::size_t sent = 0; sent < bytes;) {
        const std::string chunk = FloodLines(header, next, 1u << 20);
        if (!SendAll(line, chunk))
            break;
        sent += chunk.size();
    }
    return next - 1;
}

qint64 SizeOf(const std::string& path) { return QFileInfo(QString::fromStdString(path)).size(); }

// The raw copy: a second process of this program listens, receives into a file and exits.
int RawReceiver(const std::string& host, const std::string& portFile, const std::string& target, std::size_t size)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = Address(host, 0);
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener, 1) != 0)
        return 1;
    socklen_t length = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    Write(portFile, std::to_string(ntohs(address.sin_port)));
    const int fd = ::accept(listener, nullptr, nullptr);
    FILE* out = std::fopen(target.c_str(), "wb");
    std::size_t received = 0;
    char buffer[4096];
    while (received < size) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        std::fwrite(buffer, 1, static_cast<std::size_t>(n), out);
        received += static_cast<std::size_t>(n);
    }
    std::fclose(out);
    ::close(fd);
    ::close(listener);
    return received == size ? 0 : 1;
}

double RawCopy(QTemporaryDir& dir, const std::string& bytes)
{
    const std::string portFile = dir.path().toStdString() + "/raw.port";
    const std::string target = dir.path().toStdString() + "/raw.bin";
    QProcess receiver;
    receiver.start(QCoreApplication::applicationFilePath(),
                   { "--raw-receiver", QString::fromStdString(LarkspireHost()), QString::fromStdString(portFile),
                     QString::fromStdString(target), QString::number(bytes.size()) });
    std::string port;
    Larkspire::Until([&] {
        QFile file(QString::fromStdString(portFile));
        if (file.open(QIODevice::ReadOnly))
            port = file.readAll().toStdString();
        return !port.empty();
    });
    const int fd = ConnectFrom(SenderHost(), LarkspireHost(), static_cast<std::uint16_t>(std::stoi(port)));
    const auto start = Clock::now();
    SendAll(fd, bytes);
    receiver.waitForFinished(120000);
    const double seconds = SecondsSince(start);
    ::close(fd);
    return bytes.size() / seconds / (1 << 20);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 6 && std::string(argv[1]) == "--raw-receiver")
        return RawReceiver(argv[2], argv[3], argv[4], std::stoull(argv[5]));
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    Larkspire bob(dir);
    if (!bob.SignOn()) {
        std::fprintf(stderr, "larkspire did not sign on\n");
        return 1;
    }
    const int line = ConnectFrom(SenderHost(), LarkspireHost(), kPeerPort);
    std::string pending;
    SendAll(line, Frame("inf", "alice", "alice@example.org", "bob"));
    if (ReadLine(line, pending) != "\xFC") {
        std::fprintf(stderr, "larkspire did not accept the peer line\n");
        return 1;
    }

    const std::string bytes = RandomBytes(kFileSize);
    SendAll(line, Frame("requesttosendfile", "alice", "C:\\bench.bin", std::to_string(bytes.size())));
    bob.Click("Incoming Request...", "Button1");
    std::string port;
    while (port.empty()) {
        const std::string reply = ReadLine(line, pending);
        if (reply.empty())
            break;
        if (reply.find("startsendfile,bob,") != std::string::npos)
            port = reply.substr(reply.rfind(",\"") + 2, reply.size() - reply.rfind(",\"") - 3);
    }
    const int data = ConnectFrom(SenderHost(), LarkspireHost(), static_cast<std::uint16_t>(std::stoi(port)));
    const std::string target = bob.Desktop() + "/bench.bin";
    const auto start = Clock::now();
    SendAll(data, bytes);
    Larkspire::Until([&] { return SizeOf(target) == static_cast<qint64>(bytes.size()); }, 240000);
    const double transfer = bytes.size() / SecondsSince(start) / (1 << 20);
    ::close(data);
    const double raw = RawCopy(dir, bytes);
    std::printf("transfer: %.1f MiB/s (raw copy: %.1f MiB/s) ratio %.2f\n", transfer, raw, transfer / raw);

    const std::string header = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f2\\fswiss Arial;}}{\\colortbl\\red0\\green0\\blue0;}"
                               "\\deflang1033\\pard\\plain\\f2\\fs20\\b\\cf0 alice: \\plain ";
    SendAll(line, Frame("chat", "alice", "bob", header + "line 0\\par }"));
    bob.Click("Incoming Request...", "Button1");
    Larkspire::Until([&] { return bob.Command("find\talice - Korvo").find("\t1\t") != std::string::npos; });
    std::string lines;
    for (int i = 1; i <= kChatLines; ++i)
        lines += Frame("chat", "alice", "bob", header + "line " + std::to_string(i) + "\\par }");
    const auto chatStart = Clock::now();
    SendAll(line, lines);
    const std::string last = "alice: line " + std::to_string(kChatLines);
    // Reading the whole transcript takes the window's time too: look only now and then.
    Larkspire::Until([&] {
        QThread::msleep(50);
        return bob.Command("text\talice - Korvo\tMemo2").find(last) != std::string::npos;
    }, 240000);
    std::printf("chat: %.0f lines/s\n", kChatLines / SecondsSince(chatStart));

    const auto shows = [&](int number) {
        return bob.Command("text\talice - Korvo\tMemo2").find("flood " + std::to_string(number) + " ") != std::string::npos;
    };
    int next = 1;
    const int filled = Flood(line, header, next, kFloodFill);
    Larkspire::Until([&] {
        QThread::msleep(200);
        return shows(filled);
    }, 240000);
    const double before = bob.ResidentMB();
    // The same asking with no flood, for the machine's own share of the answer time.
    double idle = 0;
    for (const auto start = Clock::now(); SecondsSince(start) < 5;) {
        const auto asked = Clock::now();
        bob.Command("find\tForm1");
        idle = std::max(idle, SecondsSince(asked) * 1000);
        QThread::msleep(10);
    }
    std::atomic<int> lastFlood { 0 };
    std::thread sender([&] { lastFlood = Flood(line, header, next, kFloodBytes); });
    // Asked until the last line shows: the bar's answers while the lines are handled count,
    // not those that read the transcript to see whether it holds the last.
    double longest = 0;
    const auto floodStart = Clock::now();
    for (bool handled = false; !handled && SecondsSince(floodStart) < 240;) {
        const auto asked = Clock::now();
        bob.Command("find\tForm1");
        longest = std::max(longest, SecondsSince(asked) * 1000);
        QThread::msleep(10);
        handled = lastFlood != 0 && shows(lastFlood);
    }
    sender.join();
    const double after = bob.ResidentMB();
    std::printf("chat flood: resident size added per 100 MB of chat: %.1f MB\n", (after - before) * 1e8 / kFloodBytes);
    std::printf("chat flood: longest bar answer: %.0f ms (no flood: %.0f ms)\n", longest, idle);
    ::close(line);
    return 0;
}
