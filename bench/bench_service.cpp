// korvo-service under load: keep-alive clients, one a core, log on and look up five
// buddies as fast as the service answers, then fetch one 1 kB static file the same
// way, in the same run against the same service of 1,000 users, the two in turn until
// their ratio holds still and the best of each printed. Then the client's own
// log-on against it: from LoginToService to the greeting on the bar, median of 20.
#include "bench/bestof.h"
#include "bench/httpconnection.h"
#include "client/core/mainbar.h"
#include "client/core/scrambler.h"
#include "client/core/servicelogon.h"
#include "client/core/session.h"
#include "platform/rtl/eventloop.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kUsers = 1000;
// A phase of each in every round; the rounds, at least three, give the steadiness a longer phase gave.
constexpr auto kPhase = std::chrono::seconds(2);

using Clock = std::chrono::steady_clock;

std::string UserName(int i)
{
    char name[16];
    std::snprintf(name, sizeof name, "user%04d", i);
    return name;
}

// Runs `client` on `threads` threads for one phase; the requests they made a second.
double Measure(int threads, const std::function<int(int, const std::atomic<bool>&)>& client)
{
    std::atomic<bool> stop { false };
    std::atomic<long> requests { 0 };
    std::vector<std::thread> workers;
    const auto start = Clock::now();
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&, t] { requests += client(t, stop); });
    std::this_thread::sleep_for(kPhase);
    stop = true;
    for (std::thread& worker : workers)
        worker.join();
    return static_cast<double>(requests) / std::chrono::duration<double>(Clock::now() - start).count();
}

// Milliseconds from LoginToService to the greeting, median of 20 log-ons of one user
// with an empty buddy list; a negative figure when one did not end in a greeting.
double LogOnRoundTrip(const std::string& hostPort, const std::string& password)
{
    constexpr int kRounds = 20;
    TSession& s = Session();
    s.userId = UserName(0);
    s.scrambledPassword = password;
    s.online = true;
    s.localAddress = "127.0.0.1";
    s.regsServer = s.ilsServer = hostPort;
    TForm1 bar;
    std::vector<double> times;
    for (int i = 0; i < kRounds; ++i) {
        s.loggedOn = false;
        bar.ChnName->clear();
        const auto start = Clock::now();
        LoginToService("");
        const bool greeted = Application::ProcessMessagesUntil([&] { return s.loggedOn; }, 10000);
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        // The next round starts once this log-on has ended altogether.
        if (!greeted || !Application::ProcessMessagesUntil([&] { return !s.logOnRunning; }, 10000) ||
            bar.ChnName->text().isEmpty())
            return -1;
        times.push_back(ms);
    }
    std::nth_element(times.begin(), times.begin() + kRounds / 2, times.end());
    return times[kRounds / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    QTemporaryDir dir;
    // The client's reply files and settings stay in the run's own folder.
    QDir(dir.path()).mkpath(QStringLiteral("windows"));
    QDir(dir.path()).mkpath(QStringLiteral("app"));
    setenv("KORVO_WINDIR", dir.filePath(QStringLiteral("windows")).toLocal8Bit().constData(), 1);
    setenv("KORVO_APPDIR", dir.filePath(QStringLiteral("app")).toLocal8Bit().constData(), 1);
    QDir(dir.path()).mkpath(QStringLiteral("files"));
    QFile file(dir.filePath(QStringLiteral("files/page.htm")));
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    file.write(QByteArray(1024, 'x'));
    file.close();

    QStringList args { QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--db"),
                       dir.filePath(QStringLiteral("users.db")), QStringLiteral("--files"),
                       dir.filePath(QStringLiteral("files")) };
    for (int i = 0; i < kUsers; ++i)
        args << QStringLiteral("--user") << QString::fromStdString(UserName(i) + ":pw");
    QProcess service;
    service.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    service.start(QStringLiteral(KORVO_BIN_DIR "/korvo-service"), args);
    if (!service.waitForReadyRead(60000) || !service.canReadLine()) {
        std::fprintf(stderr, "bench_service: korvo-service did not start\n");
        return 1;
    }
    const std::string line = service.readLine().trimmed().toStdString();
    const int port = std::atoi(line.substr(line.rfind(':') + 1).c_str());

    const std::string password = ScrambleText("pw");
    const int threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    std::atomic<bool> failed { false };

    const auto logOnLookupClient = [&](int t, const std::atomic<bool>& stop) {
        Connection connection(port);
        int requests = 0;
        for (int i = t; connection.ok() && !stop; i += threads) {
            const int user = i % kUsers;
            if (connection.get("/login.asp?Login=" + UserName(user) + "&Password=" + password
                               + "&IPAddress=127.0.0.1&publickey=k") != "success\r\n")
                failed = true;
            std::string query = "/lookup.asp?";
            for (int b = 1; b <= 5; ++b)
                query += (b > 1 ? "&buddy=" : "buddy=") + UserName((user + b * 97) % kUsers);
            if (connection.get(query).empty())
                failed = true;
            requests += 2;
        }
        if (!connection.ok() && !stop)
            failed = true;
        return requests;
    };

    const auto staticFileClient = [&](int, const std::atomic<bool>& stop) {
        Connection connection(port);
        int requests = 0;
        while (connection.ok() && !stop) {
            if (connection.get("/page.htm").size() != 1024)
                failed = true;
            ++requests;
        }
        if (!connection.ok() && !stop)
            failed = true;
        return requests;
    };

    // Both in turn until their ratio holds still; the best rate of each is printed.
    const BestRates best = BestOfInterleaved([&] { return Measure(threads, logOnLookupClient); },
                                             [&] { return Measure(threads, staticFileClient); });
    const double logOnLookup = best.measured;
    const double staticFile = best.reference;

    const double roundTrip = LogOnRoundTrip("127.0.0.1:" + std::to_string(port), password);

    service.kill();
    service.waitForFinished(10000);
    if (roundTrip < 0) {
        std::fprintf(stderr, "bench_service: a larkspire log-on did not end in a greeting\n");
        return 1;
    }
    if (failed) {
        std::fprintf(stderr, "bench_service: a request failed\n");
        return 1;
    }
    std::printf("service log-on+lookup: %.0f req/s\n", logOnLookup);
    std::printf("service static file: %.0f req/s\n", staticFile);
    std::printf("service log-on+lookup to static file: ratio %.2f\n", logOnLookup / staticFile);
    std::printf("larkspire log-on round trip: %.1f ms\n", roundTrip);
    return 0;
}
