#include "platform/rtl/thread.h"
#include "platform/ui/applicationforms.h"
#include "platform/win/messages.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>
#include <string>
#include <utility>

namespace {

// What the program or a library it loads keeps in the user's home (settings,
// the sound server's cookie) goes to a home of the test program's own, removed
// at its end, however the program was started. Temporary folders go inside it
// too: a death test's child ends without removing its own.
void UseAHomeOfItsOwn(const QTemporaryDir& home)
{
    const std::string root = home.path().toStdString();
    const std::pair<const char*, const char*> folders[] = {
        { "HOME", "" }, { "XDG_CONFIG_HOME", "/config" }, { "XDG_CACHE_HOME", "/cache" },
        { "XDG_DATA_HOME", "/data" }, { "XDG_STATE_HOME", "/state" }, { "XDG_RUNTIME_DIR", "/runtime" },
        { "TMPDIR", "/tmp" },
    };
    for (const auto& [variable, folder] : folders) {
        const std::string path = root + folder;
        QDir().mkpath(QString::fromStdString(path));
        setenv(variable, path.c_str(), 1);
    }
    // The runtime folder must be the user's alone, or libraries refuse it.
    QFile::setPermissions(QString::fromStdString(root + "/runtime"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    // A server a test starts as another user (dovecot as nobody) reaches its own
    // temporary folder, as it would under /tmp.
    ::chmod(root.c_str(), 0711);
    ::chmod((root + "/tmp").c_str(), 01777);
}

}  // namespace

// Every test program runs with a real Qt application on the offscreen platform,
// so windows, timers and sockets behave as in the programs.
int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const QTemporaryDir home;
    UseAHomeOfItsOwn(home);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    Application::SetExceptionHandler([](const std::exception& error) {
        ADD_FAILURE() << "exception left a message handler: " << error.what();
    });
    const int result = RUN_ALL_TESTS();
    // Windows a test left open belong to the application, as in the programs.
    Application::FreeForms();
    TThread::FreeAbandoned();
    return result;
}
