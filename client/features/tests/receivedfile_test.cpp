#include "client/features/receivedfile.h"

#include "platform/rtl/sysutils.h"
#include "platform/testing/scratch.h"

#include <gtest/gtest.h>

TEST(ReceivedFile, KeepsOnlyTheLastComponentOfEitherSeparator)
{
    EXPECT_EQ(ReceivedFileName("C:\\Users\\bob\\photo.jpeg"), "photo.jpeg");
    EXPECT_EQ(ReceivedFileName("/home/bob/a, b.txt"), "a, b.txt");
    EXPECT_EQ(ReceivedFileName("mixed/dir\\name.txt"), "name.txt");
    EXPECT_EQ(ReceivedFileName("plain.txt"), "plain.txt");
}

TEST(ReceivedFile, RefusesNamesThatAreNoFileHere)
{
    EXPECT_EQ(ReceivedFileName(""), "");
    EXPECT_EQ(ReceivedFileName("C:\\dir\\"), "");
    EXPECT_EQ(ReceivedFileName("/etc/.."), "");
    EXPECT_EQ(ReceivedFileName(".."), "");
    EXPECT_EQ(ReceivedFileName("dir\\."), "");
    EXPECT_EQ(ReceivedFileName("bad\nname"), "");
    EXPECT_EQ(ReceivedFileName("tab\tname"), "");
    EXPECT_EQ(ReceivedFileName(std::string(300, 'a')), "");
}

TEST(ReceivedFile, SizeIsDecimalDigitsWithinTheMaximum)
{
    EXPECT_EQ(ParseReceivedFileSize("0"), 0);
    EXPECT_EQ(ParseReceivedFileSize("7340032"), 7340032);
    EXPECT_EQ(ParseReceivedFileSize("5000000000"), 5000000000LL);
    EXPECT_EQ(ParseReceivedFileSize(""), -1);
    EXPECT_EQ(ParseReceivedFileSize("-5"), -1);
    EXPECT_EQ(ParseReceivedFileSize("12a"), -1);
    EXPECT_EQ(ParseReceivedFileSize(" 12"), -1);
    EXPECT_EQ(ParseReceivedFileSize("0x10"), -1);
    EXPECT_EQ(ParseReceivedFileSize("99999999999999999999"), -1);
    EXPECT_EQ(ParseReceivedFileSize(std::to_string(kMaxReceivedFileSize + 1)), -1);
}

TEST(ReceivedFile, ANewNameIsUsedAsItIs)
{
    ScratchDirs dirs;
    EXPECT_EQ(FreeTargetPath(dirs.root(), "photo.jpeg"), dirs.root() + "/photo.jpeg");
}

TEST(ReceivedFile, NumbersGoBeforeTheLastExtensionAndExistingFilesAreKept)
{
    ScratchDirs dirs;
    dirs.write("photo.jpeg", "first");
    dirs.write("archive.tar.gz", "old");
    dirs.write("archive.tar(1).gz", "older");
    dirs.write("README", "r");
    EXPECT_EQ(FreeTargetPath(dirs.root(), "photo.jpeg"), dirs.root() + "/photo(1).jpeg");
    EXPECT_EQ(FreeTargetPath(dirs.root(), "archive.tar.gz"), dirs.root() + "/archive.tar(2).gz");
    EXPECT_EQ(FreeTargetPath(dirs.root(), "README"), dirs.root() + "/README(1)");
    EXPECT_EQ(dirs.read("photo.jpeg"), "first");
    EXPECT_EQ(dirs.read("archive.tar.gz"), "old");
}

TEST(ReceivedFile, ALeadingDotStartsNoExtension)
{
    ScratchDirs dirs;
    dirs.write(".profile", "p");
    EXPECT_EQ(FreeTargetPath(dirs.root(), ".profile"), dirs.root() + "/.profile(1)");
}

TEST(ReceivedFile, AnotherLetterCaseCountsAsTaken)
{
    ScratchDirs dirs;
    dirs.write("Photo.JPEG", "kept");
    EXPECT_EQ(FreeTargetPath(dirs.root(), "photo.jpeg"), dirs.root() + "/photo(1).jpeg");
}

TEST(ReceivedFile, NoFreeNameMeansNone)
{
    ScratchDirs dirs;
    dirs.write("x.bin", "");
    for (int n = 1; n <= kMaxNumberedNames; ++n)
        dirs.write("x(" + std::to_string(n) + ").bin", "");
    EXPECT_EQ(FreeTargetPath(dirs.root(), "x.bin"), "");
}

TEST(ReceivedFile, EachReceptionOfOneNameGetsATemporaryFileOfItsOwn)
{
    ScratchDirs dirs;
    dirs.write("photo.jpg.part", "someone else's");
    const std::string first = CreatePartialFile(dirs.root(), "photo.jpg");
    const std::string second = CreatePartialFile(dirs.root(), "photo.jpg");
    EXPECT_EQ(first, dirs.root() + "/photo.jpg(1).part");
    EXPECT_EQ(second, dirs.root() + "/photo.jpg(2).part");
    EXPECT_EQ(dirs.read("photo.jpg.part"), "someone else's");
    EXPECT_EQ(dirs.read("photo.jpg(1).part"), "");
}

TEST(ReceivedFile, AFinishedFileTakesTheFirstFreeNameAndReplacesNothing)
{
    ScratchDirs dirs;
    dirs.write("report.pdf", "mine");
    dirs.write("report.pdf.part", "arrived");
    EXPECT_EQ(PlaceReceivedFile(dirs.root() + "/report.pdf.part", dirs.root(), "report.pdf"), dirs.root() + "/report(1).pdf");
    EXPECT_EQ(dirs.read("report.pdf"), "mine");
    EXPECT_EQ(dirs.read("report(1).pdf"), "arrived");
    EXPECT_FALSE(FileExists(dirs.root() + "/report.pdf.part"));
}
