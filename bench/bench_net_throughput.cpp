// Throughput of the socket kit on loopback against a plain POSIX socket copy:
// bytes through a binary client and server (each buffer size and the copy in turn until
// their ratio holds still, the best of each printed), lines through a text client and server;
// then what a peer sending without pause does to the process: its resident size over
// 1 GiB received, and how long a 10 ms timer waits while lines pour in.
#include "bench/bestof.h"
#include "net/bufferedcomponents.h"
#include "platform/win/messages.h"

#include <QCoreApplication>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <thread>
#include <vector>

namespace {

constexpr std::int64_t kBytes = 256ll << 20;
constexpr int kLines = 300000;

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// Bytes made up on the fly, so memory is not what is measured.
class PatternStream final : public TStream {
public:
    explicit PatternStream(std::int64_t size) : m_size(size) {}
    std::int64_t Read(void* buffer, std::int64_t count) override
    {
        const std::int64_t n = std::min(count, m_size - m_position);
        auto* out = static_cast<unsigned char*>(buffer);
        for (std::int64_t i = 0; i < n; ++i)
            out[i] = static_cast<unsigned char>((m_position + i) * 131);
        m_position += n;
        return n;
    }
    std::int64_t Write(const void*, std::int64_t) override { return 0; }
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override
    {
        const std::int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? m_position : m_size;
        if (base + offset < 0)
            return -1;
        m_position = base + offset;
        return m_position;
    }
    std::int64_t Size() override { return m_size; }
    void SetSize(std::int64_t size) override { m_size = size; }

private:
    std::int64_t m_size;
    std::int64_t m_position { 0 };
};

// Takes what it is given and checks it against the pattern.
class CheckingStream final : public TStream {
public:
    std::int64_t Read(void*, std::int64_t) override { return 0; }
    std::int64_t Write(const void* buffer, std::int64_t count) override
    {
        const auto* in = static_cast<const unsigned char*>(buffer);
        for (std::int64_t i = 0; i < count; ++i)
            m_good = m_good && in[i] == static_cast<unsigned char>((m_position + i) * 131);
        m_position += count;
        return count;
    }
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override
    {
        if (origin == soCurrent && offset == 0)
            return m_position;
        return m_position = offset;
    }
    void SetSize(std::int64_t) override {}
    bool good() const { return m_good; }

private:
    std::int64_t m_position { 0 };
    bool m_good { true };
};

double KitBytesPerSecond(int bufferSize, bool& intact)
{
    TBinaryServer server;
    server.SetAddress("127.0.0.1");
    server.SetPort("0");
    server.ReadBufferSize = bufferSize;
    server.WriteBufferSize = bufferSize;
    CheckingStream sink;
    bool received = false;
    server.OnAccept = [&](TSockCtrl*, TSocketBase* s) { dynamic_cast<TBufferedSocket&>(*s).ReceiveStream(&sink, kBytes, false); };
    server.OnFileReceived = [&](TBufferedSocketBase*) { received = true; };
    server.Listen();

    TBinaryClient client;
    client.SetAddress("127.0.0.1");
    client.SetPort(server.Port());
    client.ReadBufferSize = bufferSize;
    client.WriteBufferSize = bufferSize;
    Clock::time_point start;
    client.OnConnect = [&](TSockCtrl*, TSocketBase* s) {
        start = Clock::now();
        dynamic_cast<TBufferedSocket&>(*s).SendStream(new PatternStream(kBytes), true);
    };
    client.Open();
    Application::ProcessMessagesUntil([&] { return received; }, 600000);
    const double seconds = Seconds(start);
    intact = received && sink.good();
    return static_cast<double>(kBytes) / seconds;
}

double PosixBytesPerSecond()
{
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in sa {};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    ::listen(listener, 1);
    socklen_t len = sizeof sa;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&sa), &len);
    const Clock::time_point start = Clock::now();
    std::thread writer([sa] {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        ::connect(fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa);
        std::vector<char> block(65536);
        PatternStream source(kBytes);
        std::int64_t n = 0;
        while ((n = source.Read(block.data(), static_cast<std::int64_t>(block.size()))) > 0) {
            std::int64_t done = 0;
            while (done < n)
                done += ::send(fd, block.data() + done, static_cast<std::size_t>(n - done), MSG_NOSIGNAL);
        }
        ::close(fd);
    });
    const int fd = ::accept(listener, nullptr, nullptr);
    std::vector<char> block(65536);
    CheckingStream sink;
    ssize_t n = 0;
    while ((n = ::recv(fd, block.data(), block.size(), 0)) > 0)
        sink.Write(block.data(), n);
    writer.join();
    const double seconds = Seconds(start);
    ::close(fd);
    ::close(listener);
    return static_cast<double>(kBytes) / seconds;
}

double LinesPerSecond(int& received)
{
    TTextServer server;
    server.SetAddress("127.0.0.1");
    server.SetPort("0");
    received = 0;
    server.OnLineReceived = [&](TLineSocketBase*, const std::string&, bool) { ++received; };
    server.Listen();

    TTextClient client;
    client.SetAddress("127.0.0.1");
    client.SetPort(server.Port());
    const std::string line = "\xFB" "chat,anna,\"bert\",\"{\\rtf1 a line of chat of ordinary length}\"";
    int sent = 0;
    Clock::time_point start;
    auto pump = [&](TSocketBase* s) {
        auto& socket = dynamic_cast<TLineSocketBase&>(*s);
        while (sent < kLines && socket.WriteLine(line))
            ++sent;
    };
    client.OnConnect = [&](TSockCtrl*, TSocketBase* s) {
        start = Clock::now();
        pump(s);
    };
    client.OnWrite = [&](TSockCtrl*, TSocketBase* s) { pump(s); };
    client.Open();
    Application::ProcessMessagesUntil([&] { return received == kLines; }, 600000);
    return received / Seconds(start);
}

double ResidentMB()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / 1e6;
}

// A plain POSIX peer that connects and sends blocks without pause until count bytes left.
std::thread Flood(std::uint16_t port, std::string block, std::int64_t count)
{
    return std::thread([port, block = std::move(block), count] {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in sa {};
        sa.sin_family = AF_INET;
        sa.sin_port = htons(port);
        sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
        std::int64_t left = count;
        while (left > 0) {
            const std::size_t n = static_cast<std::size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(block.size())));
            std::size_t done = 0;
            while (done < n) {
                const ssize_t sent = ::send(fd, block.data() + done, n - done, MSG_NOSIGNAL);
                if (sent <= 0) {
                    ::close(fd);
                    return;
                }
                done += static_cast<std::size_t>(sent);
            }
            left -= static_cast<std::int64_t>(n);
        }
        ::close(fd);
    });
}

// 1 GiB into a binary server's stream at full rate; the resident size before and after.
double ResidentGrowthOverOneGiB(double& bytesPerSecond, bool& intact)
{
    constexpr std::int64_t kGiB = 1ll << 30;
    TBinaryServer server;
    server.SetAddress("127.0.0.1");
    server.SetPort("0");
    CheckingStream sink;
    bool received = false;
    server.OnAccept = [&](TSockCtrl*, TSocketBase* s) { dynamic_cast<TBufferedSocket&>(*s).ReceiveStream(&sink, kGiB, false); };
    server.OnFileReceived = [&](TBufferedSocketBase*) { received = true; };
    server.Listen();
    std::string block(1 << 20, '\0');
    PatternStream(static_cast<std::int64_t>(block.size())).Read(block.data(), static_cast<std::int64_t>(block.size()));
    // The pattern repeats every 256 bytes, so blocks of 1 MiB follow on from each other.
    Application::ProcessMessages();
    const double before = ResidentMB();
    const Clock::time_point start = Clock::now();
    std::thread peer = Flood(server.GetPortNumber(), std::move(block), kGiB);
    Application::ProcessMessagesUntil([&] { return received; }, 600000);
    bytesPerSecond = static_cast<double>(kGiB) / Seconds(start);
    peer.join();
    Application::ProcessMessages();
    const double after = ResidentMB();
    intact = received && sink.good();
    return after - before;
}

// Lines from a peer at full rate into a text server, with a 10 ms timer beside them.
double LongestTimerGapUnderFlood(double& linesPerSecond)
{
    constexpr std::int64_t kFloodBytes = 512ll << 20;
    const std::string line = "\xFB" "chat,anna,\"bert\",\"{\\rtf1 a line of chat of ordinary length}\"\r\n";
    std::string block;
    while (block.size() + line.size() <= (1u << 20))
        block += line;
    const std::int64_t blocks = kFloodBytes / static_cast<std::int64_t>(block.size());
    const std::int64_t total = blocks * static_cast<std::int64_t>(block.size() / line.size());

    TTextServer server;
    server.SetAddress("127.0.0.1");
    server.SetPort("0");
    std::int64_t received = 0;
    server.OnLineReceived = [&](TLineSocketBase*, const std::string&, bool) { ++received; };
    server.Listen();

    double longest = 0;
    Clock::time_point lastTick {};
    const HWND clock = AllocateHWnd([&](TMessage& message) {
        if (message.Msg != WM_TIMER)
            return;
        const Clock::time_point now = Clock::now();
        if (received > 0 && received < total)
            longest = std::max(longest, std::chrono::duration<double, std::milli>(now - lastTick).count());
        lastTick = now;
    });
    SetTimer(clock, 1, 10);
    const Clock::time_point start = Clock::now();
    lastTick = start;
    std::thread peer = Flood(server.GetPortNumber(), block, blocks * static_cast<std::int64_t>(block.size()));
    Application::ProcessMessagesUntil([&] { return received == total; }, 600000);
    // A timer starved to the end ticks only after the flood: that wait counts too.
    longest = std::max(longest, std::chrono::duration<double, std::milli>(Clock::now() - lastTick).count());
    linesPerSecond = static_cast<double>(received) / Seconds(start);
    peer.join();
    KillTimer(clock, 1);
    DeallocateHWnd(clock);
    return received == total ? longest : -1;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    // Each buffer size and the POSIX copy in turn until their ratio holds still; the
    // best rate of each is printed, the POSIX copy's best over all rounds.
    struct KitRate {
        int size;
        double rate;
        bool intact;
    };
    std::vector<KitRate> kits;
    double posix = 0;
    for (int size : { 1024, 65536 }) {
        bool intact = true;
        const BestRates best = BestOfInterleaved(
            [&] {
                bool whole = false;
                const double rate = KitBytesPerSecond(size, whole);
                intact = intact && whole;
                return rate;
            },
            [] { return PosixBytesPerSecond(); });
        posix = std::max(posix, best.reference);
        kits.push_back({ size, best.measured, intact });
        if (!intact)
            break;
    }
    std::printf("plain POSIX copy:          %8.1f MiB/s\n", posix / (1 << 20));
    for (const KitRate& kit : kits) {
        std::printf("binary client/server %5d-byte buffers: %8.1f MiB/s  (%.3f of POSIX)%s\n", kit.size,
                    kit.rate / (1 << 20), kit.rate / posix, kit.intact ? "" : "  DATA DAMAGED");
        if (!kit.intact)
            return 1;
    }
    int received = 0;
    const double lines = LinesPerSecond(received);
    std::printf("text client/server:        %8.0f lines/s (%d lines of CR LF)\n", lines, received);
    if (received != kLines)
        return 1;

    double gibPerSecond = 0;
    bool intact = false;
    const double growth = ResidentGrowthOverOneGiB(gibPerSecond, intact);
    std::printf("1 GiB from a raw peer into a binary server: %8.1f MiB/s%s\n", gibPerSecond / (1 << 20),
                intact ? "" : "  DATA DAMAGED");
    std::printf("rss growth over 1 GiB: %.1f MB\n", growth);
    double floodLines = 0;
    const double gap = LongestTimerGapUnderFlood(floodLines);
    std::printf("lines from a raw peer at full rate into a text server: %8.0f lines/s\n", floodLines);
    std::printf("longest timer gap under flood: %.1f ms\n", gap);
    return intact && gap >= 0 ? 0 : 1;
}
