#include "platform/win/process.h"

#include "platform/testing/scratch.h"
#include "platform/win/shell.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdlib>

using process::SplitCommandLine;
using Args = std::vector<std::string>;

namespace {

// The helper program under another name writes the arguments it got to <itself>.out.
void installEcho(const std::string& path)
{
    QDir().mkpath(QString::fromStdString(path).section('/', 0, -2));
    QFile::remove(QString::fromStdString(path));
    ASSERT_TRUE(QFile::copy(QCoreApplication::applicationDirPath() + "/korvo_win_helper", QString::fromStdString(path)));
}

std::string waitForOutput(const ScratchDirs& dirs, const std::string& relativePath)
{
    Application::ProcessMessagesUntil([&] { return dirs.exists(relativePath); }, 10000);
    return dirs.read(relativePath);
}

class Recorder {
public:
    Recorder() { process::SetObserver([this](const process::Launch& l) { launches.push_back(l); }); }
    ~Recorder() { process::SetObserver(nullptr); }
    std::vector<process::Launch> launches;
};

}  // namespace

TEST(CommandLine, BlanksSeparateAndQuotesGroup)
{
    EXPECT_EQ(SplitCommandLine("  /ext  /c \"Big Al\"\t"), (Args { "/ext", "/c", "Big Al" }));
    EXPECT_EQ(SplitCommandLine("a\"b c\"d"), (Args { "ab cd" }));
    EXPECT_EQ(SplitCommandLine("\"\" x"), (Args { "", "x" }));
    EXPECT_EQ(SplitCommandLine(""), Args {});
}

TEST(CommandLine, BackslashesFollowTheRuntimeRules)
{
    EXPECT_EQ(SplitCommandLine("C:\\dir\\file.txt"), (Args { "C:\\dir\\file.txt" }));
    EXPECT_EQ(SplitCommandLine("a\\\"b"), (Args { "a\"b" }));
    EXPECT_EQ(SplitCommandLine("a\\\\\"b c\""), (Args { "a\\b c" }));
    EXPECT_EQ(SplitCommandLine("\"C:\\dir\\\\\" next"), (Args { "C:\\dir\\", "next" }));
    EXPECT_EQ(SplitCommandLine("\"say \"\"hi\"\"\""), (Args { "say \"hi\"" }));
}

TEST(WinExec, AProgramFolderExeNameStartsTheProgramWithItsArguments)
{
    ScratchDirs dirs;
    setenv("KORVO_LOCAL_ADDRESS", "127.0.0.2", 1);
    installEcho(dirs.appDir() + "/pager");
    EXPECT_GT(WinExec("Pager.EXE /ext \"Big Al\" a\\\"b", SW_SHOWNORMAL), 31u);
    const std::string out = waitForOutput(dirs, "app/pager.out");
    unsetenv("KORVO_LOCAL_ADDRESS");
    EXPECT_EQ(out,
        "arg:/ext\narg:Big Al\narg:a\"b\n"
        "env:KORVO_WINDIR=" + dirs.windowsDir() + "\nenv:KORVO_APPDIR=" + dirs.appDir()
            + "\nenv:KORVO_LOCAL_ADDRESS=127.0.0.2\n");
}

TEST(WinExec, AnUnquotedPathWithBlanksIsFoundBlankByBlank)
{
    ScratchDirs dirs;
    installEcho(dirs.root() + "/My Programs/updater");
    EXPECT_GT(WinExec(dirs.root() + "\\My Programs\\updater.exe -si", SW_SHOWNORMAL), 31u);
    EXPECT_EQ(waitForOutput(dirs, "My Programs/updater.out").substr(0, 8), "arg:-si\n");
}

TEST(WinExec, AMissingProgramStartsNothingAndSaysNotFound)
{
    ScratchDirs dirs;
    Recorder seen;
    EXPECT_EQ(WinExec("mail.exe /config", SW_SHOWNORMAL), 2u);
    ASSERT_EQ(seen.launches.size(), 1u);
    EXPECT_EQ(seen.launches[0].program, dirs.appDir() + "/mail");
    EXPECT_EQ(seen.launches[0].arguments, Args { "/config" });
    EXPECT_FALSE(seen.launches[0].found);
}

TEST(WinExec, AnObserverSeesTheLaunchInsteadOfIt)
{
    ScratchDirs dirs;
    installEcho(dirs.appDir() + "/chess");
    Recorder seen;
    EXPECT_GT(WinExec("\"" + dirs.appDir() + "/chess.exe\" /ext /s", SW_HIDE), 31u);
    ASSERT_EQ(seen.launches.size(), 1u);
    EXPECT_EQ(seen.launches[0].program, dirs.appDir() + "/chess");
    EXPECT_EQ(seen.launches[0].arguments, (Args { "/ext", "/s" }));
    EXPECT_EQ(seen.launches[0].showCmd, SW_HIDE);
    Application::ProcessMessages();
    EXPECT_FALSE(dirs.exists("app/chess.out")) << "nothing runs while observed";
}

TEST(WinExec, ADataFileIsNoProgram)
{
    ScratchDirs dirs;
    dirs.write("app/notes", "plain text");
    EXPECT_EQ(WinExec("notes.exe", SW_SHOWNORMAL), 2u);
}

TEST(ShellExecute, AnAddressOpensThroughTheShell)
{
    ScratchDirs dirs;
    std::vector<std::string> opened;
    shell::SetOpenHook([&](const std::string& url) { opened.push_back(url); });
    EXPECT_GT(ShellExecute(0, "open", "http://www.example.com/help.htm", "", "", SW_SHOWNORMAL), 32);
    EXPECT_EQ(opened, Args { "http://www.example.com/help.htm" });
    shell::SetOpenHook(nullptr);
}

TEST(ShellExecute, AProgramStartsWithItsParameters)
{
    ScratchDirs dirs;
    installEcho(dirs.root() + "/mailer/msimn");
    Recorder seen;
    EXPECT_GT(ShellExecute(0, "open", dirs.root() + "/mailer/msimn.exe", "/mailurl:\"a b\"", dirs.root(), SW_SHOWNORMAL), 32);
    ASSERT_EQ(seen.launches.size(), 1u);
    EXPECT_EQ(seen.launches[0].program, dirs.root() + "/mailer/msimn");
    EXPECT_EQ(seen.launches[0].arguments, Args { "/mailurl:a b" });
    EXPECT_EQ(seen.launches[0].directory, dirs.root());
}

TEST(ShellExecute, ADocumentOpensThroughTheShellAndAMissingOneIsNotFound)
{
    ScratchDirs dirs;
    dirs.write("app/readme.txt", "hello");
    std::vector<std::string> opened;
    shell::SetOpenHook([&](const std::string& url) { opened.push_back(url); });
    EXPECT_GT(ShellExecute(0, "", "README.TXT", "", "", SW_SHOWNORMAL), 32);
    EXPECT_EQ(opened, Args { dirs.appDir() + "/readme.txt" });
    EXPECT_EQ(ShellExecute(0, "open", "nothing.txt", "", "", SW_SHOWNORMAL), SE_ERR_FNF);
    EXPECT_EQ(ShellExecute(0, "print", "readme.txt", "", "", SW_SHOWNORMAL), SE_ERR_NOASSOC);
    shell::SetOpenHook(nullptr);
}

TEST(WinExec, AnObserverThatAlsoStartsSeesTheLaunchAndItRuns)
{
    ScratchDirs dirs;
    installEcho(dirs.appDir() + "/velmarin");
    std::vector<process::Launch> launches;
    process::SetObserver([&](const process::Launch& l) { launches.push_back(l); }, true);
    EXPECT_GT(WinExec("velmarin.exe", SW_SHOWNORMAL), 31u);
    process::SetObserver(nullptr);
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_TRUE(launches[0].arguments.empty());
    EXPECT_EQ(waitForOutput(dirs, "app/velmarin.out").substr(0, 4), "env:");
}
