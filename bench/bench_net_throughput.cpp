// Throughput of the socket kit on loopback against a plain POSIX socket copy:
// bytes through a binary client and server, lines through a text client and server.
#include "net/bufferedcomponents.h"
#include "platform/win/messages.h"

#include <QCoreApplication>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

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

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const double posix = PosixBytesPerSecond();
    std::printf("plain POSIX copy:          %8.1f MiB/s\n", posix / (1 << 20));
    for (int size : { 1024, 65536 }) {
        bool intact = false;
        const double kit = KitBytesPerSecond(size, intact);
        std::printf("binary client/server %5d-byte buffers: %8.1f MiB/s  (%.3f of POSIX)%s\n", size, kit / (1 << 20),
                    kit / posix, intact ? "" : "  DATA DAMAGED");
        if (!intact)
            return 1;
    }
    int received = 0;
    const double lines = LinesPerSecond(received);
    std::printf("text client/server:        %8.0f lines/s (%d lines of CR LF)\n", lines, received);
    return received == kLines ? 0 : 1;
}
