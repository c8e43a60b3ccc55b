#include "platform/rtl/files.h"

#include "platform/rtl/codepage.h"
#include "platform/testing/scratch.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>

TEST(Files, ResolveFindsAnEntryWhateverItsCase)
{
    ScratchDirs dirs;
    dirs.write("Larkspire.INI", "x");
    EXPECT_EQ(ResolveFileName(dirs.root(), "larkspire.ini"), dirs.root() + "/Larkspire.INI");
    EXPECT_EQ(ResolveFileName(dirs.root() + "/LARKSPIRE.ini"), dirs.root() + "/Larkspire.INI");
}

TEST(Files, ResolvePrefersTheExactSpelling)
{
    ScratchDirs dirs;
    dirs.write("a.txt", "lower");
    dirs.write("A.txt", "upper");
    EXPECT_EQ(ResolveFileName(dirs.root(), "A.txt"), dirs.root() + "/A.txt");
    EXPECT_EQ(ResolveFileName(dirs.root(), "a.txt"), dirs.root() + "/a.txt");
    // With no exact spelling, the choice is the same every time.
    EXPECT_EQ(ResolveFileName(dirs.root(), "A.TXT"), dirs.root() + "/A.txt");
}

TEST(Files, ResolveKeepsTheCallersSpellingForNewFiles)
{
    ScratchDirs dirs;
    EXPECT_EQ(ResolveFileName(dirs.root(), "New File.ini"), dirs.root() + "/New File.ini");
    EXPECT_EQ(ResolveFileName(dirs.root() + "/missing/x.ini"), dirs.root() + "/missing/x.ini");
    EXPECT_EQ(ResolveFileName(dirs.root() + "/"), dirs.root() + "/");
}

TEST(Files, ResolveFoldsCodePageLetters)
{
    ScratchDirs dirs;
    dirs.write("J\xC3\x89R\xC3\x94ME.zkt", "x");  // UTF-8 on disk
    EXPECT_EQ(ResolveFileName(dirs.root(), Ansi("jérôme.zkt")), dirs.root() + "/" + Ansi("JÉRÔME.zkt"));
}

TEST(Files, UnsafeNamesAreRefused)
{
    EXPECT_TRUE(IsSafeFileName("buddy.gif"));
    EXPECT_TRUE(IsSafeFileName("..hidden"));
    EXPECT_TRUE(IsSafeFileName("a..b"));
    EXPECT_FALSE(IsSafeFileName(""));
    EXPECT_FALSE(IsSafeFileName("."));
    EXPECT_FALSE(IsSafeFileName(".."));
    EXPECT_FALSE(IsSafeFileName("../x"));
    EXPECT_FALSE(IsSafeFileName("a/b"));
    EXPECT_FALSE(IsSafeFileName("a\\b"));
    EXPECT_FALSE(IsSafeFileName("/etc/passwd"));
    EXPECT_FALSE(IsSafeFileName(std::string("a\0b", 3)));
}

TEST(Files, SafeJoinKeepsReceivedNamesInTheirFolder)
{
    ScratchDirs dirs;
    dirs.write("Pics/Face.GIF", "g");
    EXPECT_EQ(SafeJoin(dirs.root() + "/Pics", "face.gif"), dirs.root() + "/Pics/Face.GIF");
    EXPECT_EQ(SafeJoin(dirs.root() + "/Pics", "new.gif"), dirs.root() + "/Pics/new.gif");
    EXPECT_EQ(SafeJoin(dirs.root() + "/Pics", "../windows/larkspire.ini"), "");
    EXPECT_EQ(SafeJoin(dirs.root() + "/Pics", ".."), "");
    EXPECT_EQ(SafeJoin(dirs.root() + "/Pics", ""), "");
}

TEST(Files, AtomicWriteReplacesTheWholeFileAndLeavesNoTemporaries)
{
    ScratchDirs dirs;
    dirs.write("out/Data.txt", "old contents that are long");
    ASSERT_TRUE(WriteFileAtomically(dirs.root() + "/out/data.txt", "new\r\n"));
    EXPECT_EQ(dirs.read("out/Data.txt"), "new\r\n");
    EXPECT_FALSE(dirs.exists("out/data.txt"));
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(dirs.root() + "/out/DATA.TXT", bytes));
    EXPECT_EQ(bytes, "new\r\n");
    // Only the file itself is left in the folder.
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dirs.root() + "/out")) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

TEST(Files, AtomicWriteKeepsPermissionsAndFailsInAMissingFolder)
{
    ScratchDirs dirs;
    dirs.write("p.txt", "x");
    const std::string path = dirs.root() + "/p.txt";
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(WriteFileAtomically(path, "y"));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_FALSE(WriteFileAtomically(dirs.root() + "/nowhere/p.txt", "y"));
    EXPECT_FALSE(dirs.exists("nowhere"));
    std::string bytes;
    EXPECT_FALSE(ReadWholeFile(dirs.root() + "/nowhere/p.txt", bytes));
    EXPECT_FALSE(ReadWholeFile(dirs.root(), bytes));
}

TEST(Files, NamesMeetTheFileSystemInUtf8)
{
    EXPECT_EQ(FileSystemName(Ansi("/tmp/Müller")), "/tmp/M\xC3\xBCller");
}

TEST(Files, AtomicWriteThroughALinkReplacesTheFileLinkedTo)
{
    ScratchDirs dirs;
    dirs.write("real/shared.ini", "old");
    ASSERT_EQ(::symlink((dirs.root() + "/real/shared.ini").c_str(), (dirs.root() + "/link.ini").c_str()), 0);
    ASSERT_TRUE(WriteFileAtomically(dirs.root() + "/link.ini", "new"));
    EXPECT_EQ(dirs.read("real/shared.ini"), "new");
    EXPECT_TRUE(std::filesystem::is_symlink(dirs.root() + "/link.ini"));
}

TEST(Files, IsLinkTellsALinkFromWhatItPointsAt)
{
    ScratchDirs dirs;
    dirs.write("real/user.dat", "x");
    ASSERT_EQ(::symlink((dirs.root() + "/real").c_str(), (dirs.root() + "/linked").c_str()), 0);
    EXPECT_TRUE(IsLink(dirs.root() + "/linked"));
    EXPECT_FALSE(IsLink(dirs.root() + "/real"));
    EXPECT_FALSE(IsLink(dirs.root() + "/real/user.dat"));
    EXPECT_FALSE(IsLink(dirs.root() + "/missing"));
}

TEST(Files, OnlyARegularFileOfBoundedSizeIsRead)
{
    ScratchDirs dirs;
    const std::string pipe = dirs.root() + "/stuck.zkt";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    // A writer that never finishes: a reader that waits on the pipe never returns.
    const int writer = ::open(pipe.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::write(writer, "x", 1), 1);
    auto reading = std::async(std::launch::async, [&] {
        std::string bytes;
        return ReadWholeFile(pipe, bytes);
    });
    const bool returned = reading.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    ::close(writer);
    EXPECT_TRUE(returned);
    EXPECT_FALSE(reading.get());

    ASSERT_EQ(::symlink("/dev/null", (dirs.root() + "/null.ini").c_str()), 0);
    std::string bytes;
    EXPECT_EQ(ReadBoundedFile(dirs.root() + "/null.ini", bytes), ReadFileResult::unreadable);

    dirs.write("big.ini", "");
    ASSERT_EQ(::truncate((dirs.root() + "/big.ini").c_str(), static_cast<off_t>(kMaxReadFileBytes) + 1), 0);
    EXPECT_FALSE(ReadWholeFile(dirs.root() + "/big.ini", bytes));
    EXPECT_EQ(ReadBoundedFile(dirs.root() + "/big.ini", bytes, 100), ReadFileResult::tooLarge);
    dirs.write("small.ini", std::string(100, 'a'));
    EXPECT_EQ(ReadBoundedFile(dirs.root() + "/small.ini", bytes, 100), ReadFileResult::read);
    EXPECT_EQ(bytes, std::string(100, 'a'));
}

TEST(Files, SameFileSeesThroughOtherSpellings)
{
    ScratchDirs dirs;
    dirs.write("book/Grant_Ada.zkt", "x");
    dirs.write("book/Other.zkt", "y");
    ASSERT_EQ(::symlink((dirs.root() + "/book").c_str(), (dirs.root() + "/linked").c_str()), 0);
    const std::string file = dirs.root() + "/book/Grant_Ada.zkt";
    EXPECT_TRUE(SameFile(file, dirs.root() + "/book/./Grant_Ada.zkt"));
    EXPECT_TRUE(SameFile(file, dirs.root() + "//book//Grant_Ada.zkt"));
    EXPECT_TRUE(SameFile(file, dirs.root() + "/linked/Grant_Ada.zkt"));
    EXPECT_TRUE(SameFile(file, dirs.root() + "/book/../book/grant_ada.zkt"));
    EXPECT_FALSE(SameFile(file, dirs.root() + "/book/Other.zkt"));
    // Names of files not made yet are compared by where they would lie.
    EXPECT_TRUE(SameFile(dirs.root() + "/book/New.zkt", dirs.root() + "/linked/./New.zkt"));
    EXPECT_FALSE(SameFile(dirs.root() + "/book/New.zkt", dirs.root() + "/book/Newer.zkt"));
}
