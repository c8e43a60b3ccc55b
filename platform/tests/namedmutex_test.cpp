#include "platform/win/namedmutex.h"

#include "platform/testing/scratch.h"
#include "platform/tests/helper_process.h"

#include <gtest/gtest.h>

TEST(NamedMutex, TheFirstHolderCreatesTheNameAndLaterOnesFindItExisting)
{
    ScratchDirs dirs;
    HANDLE first = CreateMutex(nullptr, 0, "mail.exe");
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    HANDLE second = CreateMutex(nullptr, 0, "mail.exe");
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    HANDLE other = CreateMutex(nullptr, 0, "tivra.exe");
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_TRUE(CloseHandle(first));
    EXPECT_TRUE(CloseHandle(second));
    EXPECT_TRUE(CloseHandle(other));
    EXPECT_FALSE(CloseHandle(other));
}

TEST(NamedMutex, ClosingTheLastHandleFreesTheName)
{
    ScratchDirs dirs;
    CloseHandle(CreateMutex(nullptr, 0, "tivra.exe"));
    TNamedMutex again("tivra.exe");
    EXPECT_TRUE(again.Valid());
    EXPECT_FALSE(again.AlreadyExisted());
}

TEST(NamedMutex, AnotherProcessHoldingTheNameMakesItExist)
{
    ScratchDirs dirs;
    HelperProcess other({ "mutex", "tivra.exe" });
    ASSERT_TRUE(other.waitFor("ready"));
    TNamedMutex mine("tivra.exe");
    EXPECT_TRUE(mine.AlreadyExisted());
}

TEST(NamedMutex, TheNameIsFreeAgainWhenTheHoldingProcessIsKilled)
{
    ScratchDirs dirs;
    HelperProcess other({ "mutex", "tivra.exe" });
    ASSERT_TRUE(other.waitFor("ready"));
    other.kill();
    TNamedMutex mine("tivra.exe");
    EXPECT_FALSE(mine.AlreadyExisted());
}

TEST(NamedMutex, AProcessStartedSecondFindsTheNameTaken)
{
    ScratchDirs dirs;
    TNamedMutex mine("tivra.exe");
    HelperProcess other({ "mutex", "tivra.exe" });
    EXPECT_TRUE(other.waitFor("existed"));
}

TEST(NamedMutex, DesktopsWithDifferentWindowsDirectoriesHaveTheirOwnNames)
{
    ScratchDirs hostA;
    TNamedMutex mine("tivra.exe");
    ScratchDirs hostB;
    TNamedMutex theirs("tivra.exe");
    EXPECT_FALSE(theirs.AlreadyExisted());
}
