// The advertisement refresh against korvo-service: a listing of 200 pictures
// fetched the way the client does after sign-on, beside curl fetching the same
// 200 files in the same run.
#include "client/core/session.h"
#include "client/features/kestrowthread.h"
#include "platform/testing/serviceprocess.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kPictures = 200;
constexpr int kRounds = 5;

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

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

    double refresh = 1e30;
    double curl = 1e30;
    for (int round = 0; round < kRounds; ++round) {
        // A new code each round, so every round fetches the whole set.
        QFile index(files.filePath("images/ads.idx"));
        if (!index.open(QIODevice::WriteOnly))
            return 1;
        index.write(QByteArray("[Index]\r\nUpdateCode=") + QByteArray::number(round + 1) + "\r\n");
        index.close();

        const auto start = Clock::now();
        RefreshAds(service.hostPort());
        refresh = std::min(refresh, Ms(Clock::now() - start));
        if (!QFile::exists(client.filePath(QString::fromStdString("app/ads/" + names.back()))))
            return 1;

        QStringList args { "-s", "--fail" };
        for (const std::string& name : names)
            args << QString::fromStdString("http://" + service.hostPort() + "/images/" + name) << "-o"
                 << files.filePath(QString::fromStdString("curl-" + name));
        const auto curlStart = Clock::now();
        if (QProcess::execute("curl", args) != 0)
            return 1;
        curl = std::min(curl, Ms(Clock::now() - curlStart));
    }
    std::printf("ads refresh: %.1f ms\n", refresh);
    std::printf("curl: %.1f ms\n", curl);
    std::printf("refresh against curl: ratio %.2f\n", refresh / curl);
    return 0;
}
