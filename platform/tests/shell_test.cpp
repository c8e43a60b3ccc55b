#include "platform/win/shell.h"

#include "platform/testing/scratch.h"

#include <gtest/gtest.h>

#include <QMimeData>
#include <QUrl>

#include <cstdlib>

TEST(Shell, AddressesAreToldFromPaths)
{
    EXPECT_TRUE(shell::IsUrl("http://example.com"));
    EXPECT_TRUE(shell::IsUrl("mailto:al@example.com"));
    EXPECT_TRUE(shell::IsUrl("www.example.com"));
    EXPECT_FALSE(shell::IsUrl("C:\\Windows\\notes.txt"));
    EXPECT_FALSE(shell::IsUrl("/home/al/notes.txt"));
    EXPECT_FALSE(shell::IsUrl("two words: here"));
}

TEST(Shell, AHookSeesWhatWouldOpen)
{
    std::vector<std::string> opened;
    shell::SetOpenHook([&](const std::string& url) { opened.push_back(url); });
    EXPECT_TRUE(ShellOpen("http://example.com/a"));
    EXPECT_FALSE(ShellOpen(""));
    shell::SetOpenHook(nullptr);
    EXPECT_EQ(opened, std::vector<std::string> { "http://example.com/a" });
}

TEST(Shell, WithNoBrowserAddressesAreWrittenToTheNamedFileOneALine)
{
    ScratchDirs dirs;
    const std::string record = dirs.root() + "/opened.txt";
    setenv("KORVO_NO_BROWSER", record.c_str(), 1);
    EXPECT_TRUE(ShellOpen("http://example.com/a"));
    EXPECT_TRUE(ShellOpen("http://example.com/b\r\nhttp://forged"));
    unsetenv("KORVO_NO_BROWSER");
    EXPECT_EQ(dirs.read("opened.txt"), "http://example.com/a\r\nhttp://example.com/b  http://forged\r\n");
}

TEST(Shell, DroppedFilesAreTheLocalOnes)
{
    QMimeData data;
    data.setUrls({ QUrl::fromLocalFile("/tmp/a b.txt"), QUrl("http://example.com/x"), QUrl::fromLocalFile("/tmp/c") });
    EXPECT_EQ(shell::DroppedFiles(&data), (std::vector<std::string> { "/tmp/a b.txt", "/tmp/c" }));
    QMimeData text;
    text.setText("just words");
    EXPECT_TRUE(shell::DroppedFiles(&text).empty());
    EXPECT_TRUE(shell::DroppedFiles(nullptr).empty());
}
