#include "platform/win/desktop.h"

#include "platform/testing/scratch.h"
#include "platform/tests/helper_process.h"

#include <gtest/gtest.h>

#include <QDir>

#include <ctime>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

namespace {

// A desktop folder as a process long gone left it, last touched ten minutes ago.
void leaveOldFolder(const std::string& folder, bool withTitles)
{
    QDir().mkpath(QString::fromStdString(folder));
    chmod(folder.c_str(), 0700);
    if (withTitles) {
        close(open((folder + "/4000000.lock").c_str(), O_CREAT | O_WRONLY, 0600));
        close(open((folder + "/4000000.titles").c_str(), O_CREAT | O_WRONLY, 0600));
    }
    close(open((folder + "/mutex.guard").c_str(), O_CREAT | O_WRONLY, 0600));
    const std::time_t old = std::time(nullptr) - 600;
    utimbuf times { old, old };
    utime(folder.c_str(), &times);
}

}  // namespace

TEST(Desktop, FoldersOfDesktopsThatAreGoneAreClearedAwayAndLiveOnesKept)
{
    ScratchDirs dirs;
    const std::string runtime = dirs.root() + "/runtime";
    QDir().mkpath(QString::fromStdString(runtime + "/korvo"));
    chmod(runtime.c_str(), 0700);
    chmod((runtime + "/korvo").c_str(), 0700);
    const std::string gone = runtime + "/korvo/00000000000000aa";
    const std::string held = runtime + "/korvo/00000000000000bb";
    leaveOldFolder(gone, true);
    leaveOldFolder(held, false);
    // A process of the held desktop still holds a named mutex there.
    const int lock = open((held + "/mutex-1.lock").c_str(), O_CREAT | O_RDWR, 0600);
    ASSERT_EQ(flock(lock, LOCK_SH), 0);
    const std::time_t old = std::time(nullptr) - 600;
    utimbuf times { old, old };
    utime(held.c_str(), &times);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime));
    HelperProcess other({ "mutex", "larkspire.exe" }, environment);
    ASSERT_TRUE(other.waitFor("new"));
    EXPECT_FALSE(QDir(QString::fromStdString(gone)).exists());
    EXPECT_TRUE(QDir(QString::fromStdString(held)).exists());
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(held + "/mutex-1.lock")));
    close(lock);
}
