// A second process for the platform tests.
//   korvo_win_helper windows <title>...  publishes the titles, reports "activated <title>" lines
//   korvo_win_helper mutex <name>        creates the named mutex, reports "new" or "existed"
//   a copy under any other name          writes its arguments to <its own path>.out and ends
// The first two report "ready" and run until their standard input closes.
#include "platform/rtl/codepage.h"
#include "platform/win/namedmutex.h"
#include "platform/win/windowlist.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <cstdio>
#include <map>
#include <string>

#include <unistd.h>

namespace {

void say(const std::string& line)
{
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

int recordArguments(int argc, char** argv)
{
    // Written aside and renamed, so the test never reads half of it.
    const QString path = QFileInfo(QString::fromLocal8Bit(argv[0])).absoluteFilePath() + ".out";
    QFile out(path + ".tmp");
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 1;
    for (int i = 1; i < argc; ++i)
        out.write(QByteArray("arg:") + argv[i] + "\n");
    for (const char* name : { "KORVO_WINDIR", "KORVO_APPDIR", "KORVO_LOCAL_ADDRESS" })
        if (const char* value = getenv(name))
            out.write(QByteArray("env:") + name + "=" + value + "\n");
    out.close();
    return out.rename(path) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (QFileInfo(QString::fromLocal8Bit(argv[0])).fileName() != "korvo_win_helper")
        return recordArguments(argc, argv);
    if (argc < 3)
        return 2;
    QCoreApplication app(argc, argv);
    const std::string mode = argv[1];
    std::map<std::uintptr_t, std::string> titles;
    HANDLE mutex = nullptr;
    if (mode == "windows") {
        for (int i = 2; i < argc; ++i)
            titles[1000 + static_cast<std::uintptr_t>(i)] = codepage::FromUtf8(argv[i]);
        windowlist::SetActivationHandler([&titles](std::uintptr_t id) { say("activated " + codepage::ToUtf8(titles[id])); });
        for (const auto& [id, title] : titles)
            windowlist::Publish(id, title);
    } else if (mode == "mutex") {
        mutex = CreateMutex(nullptr, 0, codepage::FromUtf8(argv[2]));
        say(GetLastError() == ERROR_ALREADY_EXISTS ? "existed" : "new");
    } else {
        return 2;
    }
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[256];
        if (read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
            app.quit();
    });
    say("ready");
    const int result = app.exec();
    for (const auto& [id, title] : titles)
        windowlist::Withdraw(id);
    if (mutex)
        CloseHandle(mutex);
    return result;
}
