// Sign-up load on korvo-service: a service already holding 100,000 users takes
// 2,000 new registrations on one keep-alive connection, then, in the same run,
// 2,000 GETs of a small static file the same way, the two in turn until their ratio
// holds still; the best of each rate and their ratio.
#include "bench/bestof.h"
#include "bench/httpconnection.h"
#include "client/core/scrambler.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
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
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kStoredUsers = 100000;
constexpr int kRequests = 2000;

using Clock = std::chrono::steady_clock;

std::string RegisterTarget(const std::string& user, const std::string& password)
{
    return "/register.asp?FirstName=Ada&LastName=Lovelace&Address=nil&City=San%20Jose&State=Oregon&Zip=97201"
           "&UserName=" + user + "&Password=" + password + "&PublicKey=&LastIPAddress=0.0.0.0&PhoneNumber=0"
           "&emailaddress=ada%40example.org&CreditCard=0&CreditCardName=0&CreditCardExpiration=0"
           "&CreditCardNumber=0&LNR=0";
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("files"));
    QFile file(dir.filePath(QStringLiteral("files/page.htm")));
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    file.write(QByteArray(256, 'x'));
    file.close();

    QProcess service;
    service.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    service.start(QStringLiteral(KORVO_BIN_DIR "/korvo-service"),
                  { QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--db"),
                    dir.filePath(QStringLiteral("users.db")), QStringLiteral("--files"),
                    dir.filePath(QStringLiteral("files")) });
    if (!service.waitForReadyRead(60000) || !service.canReadLine()) {
        std::fprintf(stderr, "bench_signup: korvo-service did not start\n");
        return 1;
    }
    const std::string line = service.readLine().trimmed().toStdString();
    const int port = std::atoi(line.substr(line.rfind(':') + 1).c_str());
    const std::string password = ScrambleText("pw");
    std::atomic<bool> failed { false };

    // The stored users, registered through the page itself, several connections at once.
    const auto fillStart = Clock::now();
    const int threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    std::vector<std::thread> fillers;
    for (int t = 0; t < threads; ++t) {
        fillers.emplace_back([&, t] {
            Connection connection(port);
            for (int i = t; i < kStoredUsers && connection.ok(); i += threads) {
                if (connection.get(RegisterTarget("user" + std::to_string(i), password)) != "success\r\n")
                    failed = true;
            }
            if (!connection.ok())
                failed = true;
        });
    }
    for (std::thread& filler : fillers)
        filler.join();
    const double fillSeconds = std::chrono::duration<double>(Clock::now() - fillStart).count();

    Connection connection(port);
    int round = 0;
    const auto registrationRate = [&] {
        // Each round registers names of its own; every other name is taken in another
        // letter case, so both answers are measured.
        const auto start = Clock::now();
        for (int i = 0; i < kRequests && connection.ok(); ++i) {
            const std::string user = i % 2 ? "USER" + std::to_string(i * 37 % kStoredUsers)
                                           : "new" + std::to_string(round * kRequests + i);
            const std::string answer = connection.get(RegisterTarget(user, password));
            if (answer != (i % 2 ? "duplicate\r\n" : "success\r\n"))
                failed = true;
        }
        ++round;
        return kRequests / std::chrono::duration<double>(Clock::now() - start).count();
    };
    const auto staticFileRate = [&] {
        const auto start = Clock::now();
        for (int i = 0; i < kRequests && connection.ok(); ++i) {
            if (connection.get("/page.htm").size() != 256)
                failed = true;
        }
        return kRequests / std::chrono::duration<double>(Clock::now() - start).count();
    };
    // Both in turn until their ratio holds still; the best rate of each is printed.
    const BestRates best = BestOfInterleaved(registrationRate, staticFileRate);
    const double registrations = best.measured;
    const double staticFile = best.reference;

    service.kill();
    service.waitForFinished(10000);
    if (failed || !connection.ok()) {
        std::fprintf(stderr, "bench_signup: a request failed\n");
        return 1;
    }
    std::printf("signup: %d users stored in %.1f s\n", kStoredUsers, fillSeconds);
    std::printf("signup register.asp with %d users: %.0f req/s\n", kStoredUsers, registrations);
    std::printf("signup static file: %.0f req/s\n", staticFile);
    std::printf("signup register.asp to static file: ratio %.2f\n", registrations / staticFile);
    return 0;
}
