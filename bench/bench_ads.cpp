// The advertisement refresh against korvo-service: a listing of 200 pictures
// fetched the way the client does after sign-on, beside one curl run fetching
// the same index, listing and 200 files in the same run.
#include "client/core/session.h"
#include "client/features/kestrowthread.h"
#include "platform/testing/serviceprocess.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kPictures = 200;
constexpr int kRounds = 11;

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    QTemporaryDir files;
    QTemporaryDir client;
    QDir().mkpath(files.filePath("images"));
    QDir().mkpath(client.filePath("app"));
    QDir().mkpath(client.filePath("windows"));
    QFile logo(QStringLiteral(KORVO_BIN_DIR "/sigonlogo.gif"));
    if (!logo.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray picture = logo.readAll();
    std::vector<std::string> names;
    for (int i = 0; i < kPictures; ++i) {
        names.push_back("ad" + std::to_string(i) + ".gif");
        QFile out(files.filePath(QString::fromStdString("images/" + names.back())));
        if (!out.open(QIODevice::WriteOnly))
            return 1;
        out.write(picture);
    }
    setenv("KORVO_APPDIR", client.filePath("app").toUtf8().constData(), 1);
    setenv("KORVO_WINDIR", client.filePath("windows").toUtf8().constData(), 1);

    ServiceProcess service({ "--db", files.filePath("users.db").toStdString(), "--files", files.path().toStdString() });
    if (!service.started()) {
        std::fprintf(stderr, "%s\n", service.error().c_str());
        return 1;
    }

    // Both sides make the same 202 requests, as many at a time over connections they
    // keep, and write what they get to files. With the same parallelism a busy
    // machine slows both alike; a one-at-a-time curl waits out every scheduling
    // delay in turn and its time swings with the load.
    QStringList args { "-s", "--no-progress-meter", "--fail", "--parallel", "--parallel-immediate", "--parallel-max",
                       QString::number(kParallelAdFetches) };
    const auto fetch = [&](const std::string& path, const std::string& file) {
        args << QString::fromStdString("http://" + service.hostPort() + path) << "-o"
             << files.filePath(QString::fromStdString(file));
    };
    fetch("/images/ads.idx", "curl-ads.idx");
    fetch("/images", "curl-adtable.tmp");
    for (const std::string& name : names)
        fetch("/images/" + name, "curl-" + name);

    std::vector<double> refreshes;
    std::vector<double> curls;
    std::vector<double> ratios;
    for (int round = 0; round < kRounds; ++round) {
        // A new code each round, so every round fetches the whole set.
        QFile index(files.filePath("images/ads.idx"));
        if (!index.open(QIODevice::WriteOnly))
            return 1;
        index.write(QByteArray("[Index]\r\nUpdateCode=") + QByteArray::number(round + 1) + "\r\n");
        index.close();

        double refresh = 0;
        double curl = 0;
        const auto runRefresh = [&] {
            const auto start = Clock::now();
            RefreshAds(service.hostPort());
            refresh = Ms(Clock::now() - start);
            return QFile::exists(client.filePath(QString::fromStdString("app/ads/" + names.back())));
        };
        const auto runCurl = [&] {
            // The refresh writes new files where it deleted the old set; curl does too.
            for (const QString& output : QDir(files.path()).entryList({ "curl-*" }, QDir::Files))
                QFile::remove(files.filePath(output));
            const auto start = Clock::now();
            const bool fetched = QProcess::execute("curl", args) == 0;
            curl = Ms(Clock::now() - start);
            return fetched;
        };
        // The two sides of a round run back to back and take turns going first, so
        // a change in the machine's load falls on both alike.
        const bool ran = round % 2 == 0 ? runRefresh() && runCurl() : runCurl() && runRefresh();
        if (!ran)
            return 1;
        refreshes.push_back(refresh);
        curls.push_back(curl);
        ratios.push_back(refresh / curl);
    }
    std::printf("ads refresh: %.1f ms\n", Median(refreshes));
    std::printf("curl: %.1f ms\n", Median(curls));
    std::printf("refresh against curl: ratio %.2f\n", Median(ratios));
    return 0;
}
