// Summaries per second of the POP3 client on a worker thread against a plain
// scripted client, both reading every header of one dovecot mailbox.
#include "bench/bestof.h"
#include "net/nmpop3.h"
#include "platform/testing/dovecot.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

int MessageCount()
{
    const char* text = std::getenv("KORVO_BENCH_POP3_MESSAGES");
    const int count = text ? std::atoi(text) : 0;
    return count > 0 ? count : 10000;
}

// One command at a time, as the client does: TOP n 0 to "." and LIST n.
constexpr const char* kScriptedClient = R"(
import socket, sys, time
port, count = int(sys.argv[1]), int(sys.argv[2])
s = socket.create_connection(('127.0.0.1', port))
f = s.makefile('rb')
def cmd(line):
    s.sendall(line.encode() + b'\r\n')
    return f.readline()
f.readline()
cmd('USER ann'); cmd('PASS secret'); cmd('STAT')
start = time.perf_counter()
for n in range(1, count + 1):
    cmd('TOP %d 0' % n)
    while f.readline() != b'.\r\n':
        pass
    cmd('LIST %d' % n)
elapsed = time.perf_counter() - start
cmd('QUIT')
print(count / elapsed)
)";

double ClientRate(int port, int count)
{
    double rate = 0;
    std::thread worker([&] {
        psock::TNMPOP3 pop;
        pop.Host = "127.0.0.1";
        pop.Port = static_cast<std::uint16_t>(port);
        pop.TimeOut = 20000;
        pop.UserID = "ann";
        pop.Password = "secret";
        pop.Connect();
        const auto start = Clock::now();
        for (int n = 1; n <= pop.MailCount(); ++n)
            pop.GetSummary(n);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        pop.Disconnect();
        rate = pop.MailCount() / seconds;
    });
    worker.join();
    return rate;
}

double ScriptedRate(int port, int count)
{
    const std::string command = "python3 -c \"$KORVO_POP3_SCRIPT\" " + std::to_string(port) + " " + std::to_string(count);
    setenv("KORVO_POP3_SCRIPT", kScriptedClient, 1);
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return 0;
    double rate = 0;
    if (std::fscanf(pipe, "%lf", &rate) != 1)
        rate = 0;
    ::pclose(pipe);
    return rate;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (!DovecotServer::Available()) {
        std::fprintf(stderr, "dovecot is not installed\n");
        return 1;
    }
    const int count = MessageCount();
    DovecotServer server;
    server.addUser("ann", "secret");
    for (int n = 1; n <= count; ++n)
        server.deliver("ann", "From: \"Sender " + std::to_string(n) + "\" <s" + std::to_string(n)
                + "@example.org>\nTo: ann@example.org\nSubject: Message number " + std::to_string(n)
                + "\nMessage-ID: <" + std::to_string(n) + "@example.org>\n\nBody of the message.\n");
    if (!server.start()) {
        std::fprintf(stderr, "%s\n", server.error().c_str());
        return 1;
    }
    // The first session indexes the mailbox; neither side should pay for it.
    ScriptedRate(server.port(), 1);
    // Both in turn until their ratio holds still; the best of each is printed.
    const BestRates best = BestOfInterleaved([&] { return ClientRate(server.port(), count); },
                                             [&] { return ScriptedRate(server.port(), count); });
    std::printf("pop3 headers: %.0f headers/s (scripted client: %.0f headers/s) ratio %.2f\n", best.measured,
        best.reference, best.reference > 0 ? best.measured / best.reference : 0.0);
    return 0;
}
