// Line assembly as a peer drives it: arbitrary bytes over a real loopback
// connection into a line server, with the line type, the returned line ends and
// the read buffer's size taken from the first byte. Every line delivered is the
// peer's next line, and every line that fits the buffer is delivered.
#include "net/bufferedcomponents.h"
#include "platform/win/messages.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Harness {
    Harness()
    {
        // A peer's bytes may raise (an overlong line); that ends its connection only.
        Application::SetExceptionHandler([](const std::exception& e) { std::fprintf(stderr, "raised: %s\n", e.what()); });
        server.SetAddress("127.0.0.1");
        server.SetPort("0");
        server.OnLineReceived = [this](TLineSocketBase*, const std::string& line, bool) { lines.push_back(line); };
        server.OnDisconnect = [this](TSockCtrl*, TSocketBase*) { ++disconnects; };
        server.Listen();
    }

    int argc { 1 };
    char name[16] { "fuzz_linesocket" };
    char* argv[2] { name, nullptr };
    QCoreApplication app { argc, argv };
    TTextServer server;
    std::vector<std::string> lines;
    int disconnects { 0 };
};

// Sends everything and ends the sending side, as a peer that has said its piece;
// the caller closes the returned handle once the server is done.
int SendAndEnd(std::uint16_t port, std::string_view bytes)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        std::abort();
    while (!bytes.empty()) {
        const ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0)
            break;  // the server may close an overlong line's connection first
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    ::shutdown(fd, SHUT_WR);
    return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Harness& h = *new Harness;
    if (size < 1)
        return 0;
    // No smaller than the record size (16), which a component refuses.
    static constexpr int kBufferSizes[] = { 16, 40, 256, 1024 };
    const auto type = static_cast<TLineSocketType>(std::min(data[0] & 3, static_cast<int>(lstCRLF)));
    const bool returnEnds = (data[0] & 4) != 0;
    const int bufferSize = kBufferSizes[(data[0] >> 3) & 3];
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

    h.server.LineType = type;
    h.server.LineOptions = kDefaultLineOptions | (returnEnds ? lsoReturnLineChars : 0);
    h.server.ReadBufferSize = bufferSize;
    h.lines.clear();
    const int disconnectsBefore = h.disconnects;
    const int peer = SendAndEnd(h.server.GetPortNumber(), bytes);
    if (!Application::ProcessMessagesUntil([&] { return h.disconnects > disconnectsBefore; }, 20000)) {
        std::fprintf(stderr, "the connection never ended\n");
        std::abort();
    }
    ::close(peer);

    const std::string terminator = LineTerminator(type);
    std::vector<std::string> expected;
    bool allFit = true;
    for (std::size_t start = 0;;) {
        const std::size_t end = bytes.find(terminator, start);
        if (end == std::string_view::npos)
            break;
        allFit = allFit && end - start + terminator.size() <= static_cast<std::size_t>(bufferSize);
        expected.emplace_back(bytes.substr(start, end - start + (returnEnds ? terminator.size() : 0)));
        start = end + terminator.size();
    }
    if (h.lines.size() > expected.size())
        std::abort();
    for (std::size_t i = 0; i < h.lines.size(); ++i) {
        if (h.lines[i] != expected[i])
            std::abort();
    }
    if (allFit && h.lines.size() != expected.size()) {
        std::fprintf(stderr, "%zu of %zu lines delivered\n", h.lines.size(), expected.size());
        std::abort();
    }
    return 0;
}
