// A POP3 server's replies as a hostile or broken server sends them: the input is
// written whole on a loopback connection, then the server stops sending. The
// client logs in, reads up to three summaries and quits; whatever the bytes, it
// fails with its own errors, ends its waits and keeps its counts in range.
#include "net/nmpop3.h"
#include "platform/rtl/exceptions.h"
#include "platform/win/messages.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <thread>

namespace {

struct Harness {
    Harness()
    {
        listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
            || ::listen(listener, 4) != 0 || ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            std::abort();
        port = ntohs(address.sin_port);
    }

    int argc { 1 };
    char name[16] { "fuzz_pop3reply" };
    char* argv[2] { name, nullptr };
    QCoreApplication app { argc, argv };
    int listener { -1 };
    std::uint16_t port { 0 };
};

// Takes one connection, writes the replies, stops sending and reads until the client hangs up.
void Serve(int listener, std::string_view replies)
{
    const int peer = ::accept(listener, nullptr, nullptr);
    if (peer < 0)
        return;
    while (!replies.empty()) {
        const ssize_t sent = ::send(peer, replies.data(), replies.size(), MSG_NOSIGNAL);
        if (sent <= 0)
            break;
        replies.remove_prefix(static_cast<std::size_t>(sent));
    }
    ::shutdown(peer, SHUT_WR);
    char buffer[512];
    while (::read(peer, buffer, sizeof buffer) > 0) {
    }
    ::close(peer);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Harness& h = *new Harness;
    const std::string_view replies(reinterpret_cast<const char*>(data), size);
    std::thread server(Serve, h.listener, replies);
    {
        psock::TNMPOP3 pop;
        pop.Host = "127.0.0.1";
        pop.Port = h.port;
        pop.TimeOut = 5000;
        // The server has said all it will: a wait that outlasts its end is a hang.
        pop.ReplyTimeOut = 5000;
        pop.UserID = "ann";
        pop.Password = "secret";
        try {
            pop.Connect();
            if (pop.MailCount() < 0)
                std::abort();
            for (int n = 1; n <= pop.MailCount() && n <= 3; ++n) {
                pop.GetSummary(n);
                if (pop.Summary().Bytes < 0 || pop.Summary().Header.Count() > psock::TNMPOP3::MaxHeaderLines)
                    std::abort();
            }
        } catch (const Exception&) {
            // The server's fault, reported as the client's own error.
        }
        try {
            pop.Disconnect();
        } catch (const Exception&) {
        }
        if (pop.Connected())
            std::abort();
    }
    server.join();
    return 0;
}
