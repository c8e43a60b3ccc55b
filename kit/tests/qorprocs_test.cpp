#include "kit/qorprocs.h"

#include "platform/testing/scratch.h"

#include <gtest/gtest.h>

using namespace qorprocs;

TEST(QorProcs, BlankMeansEmptyOrAllBlanks)
{
    EXPECT_TRUE(IsBlank(""));
    EXPECT_TRUE(IsBlank("   "));
    EXPECT_FALSE(IsBlank(" a "));
}

TEST(QorProcs, AddBackslashOfEmptyGivesOneSeparator)
{
    EXPECT_EQ(AddBackslash(""), "/");
    EXPECT_EQ(AddBackslash("/a/"), "/a/");
    EXPECT_EQ(AddBackslash("/a"), "/a/");
}

TEST(QorProcs, RemoveBackslashDropsOneTrailingSeparator)
{
    EXPECT_EQ(RemoveBackslash("/a//"), "/a/");
    EXPECT_EQ(RemoveBackslash("/a"), "/a");
    EXPECT_EQ(RemoveBackslash(""), "");
}

TEST(QorProcs, FoldersKeepTheirSeparatorRules)
{
    ScratchDirs dirs;
    EXPECT_EQ(GetProgramDir(), dirs.appDir() + "/");
    EXPECT_EQ(GetWindowsDir(), dirs.windowsDir());
    EXPECT_EQ(GetSystemDir(), dirs.windowsDir() + "/system");
    EXPECT_EQ(GetPrefixPath(ppWindows, true), dirs.windowsDir() + "/");
    EXPECT_EQ(GetPrefixPath(ppSystem, false), dirs.windowsDir() + "/system");
    EXPECT_EQ(GetPrefixPath(ppProgram, false), dirs.appDir());
    EXPECT_EQ(GetPrefixPath(ppFixed, true), "");
    EXPECT_EQ(GetPrefixPath(-1, true), "");
}

TEST(QorProcs, JoinIntsTakesCountPlusOneElements)
{
    EXPECT_EQ(JoinInts({ 200, 2, 1, 10, 20, 300, 400 }, 6, ','), "200,2,1,10,20,300,400");
    EXPECT_EQ(JoinInts({ 200, 2, 1 }, 1, ';'), "200;2");
}

TEST(QorProcs, JoinOfEmptyListIsEmpty)
{
    EXPECT_EQ(JoinInts({}, 6, ','), "");
    EXPECT_EQ(JoinStrings({}, 3, ','), "");
}

TEST(QorProcs, JoinStopsAtTheEndOfAShortList)
{
    EXPECT_EQ(JoinStrings({ "a", "b" }, 5, '|'), "a|b");
    EXPECT_EQ(JoinStrings({ "a", "b" }, 0, '|'), "a");
}

TEST(QorProcs, OffsetRectEdgesMovesEachEdge)
{
    TRect r { 10, 20, 30, 40 };
    OffsetRectEdges(r, 1, -2, 3, -4);
    EXPECT_EQ(r, (TRect { 11, 18, 33, 36 }));
}

TEST(QorProcs, FitRectKeepsShapeAtTopLeft)
{
    // 200x100 into 50x50: the width ratio 0.25 is the smaller one.
    EXPECT_EQ(FitRect({ 0, 0, 200, 100 }, { 5, 7, 55, 57 }), (TRect { 5, 7, 55, 32 }));
    // 3x3 into 10x20: ratio 10/3, 3 * 3.333 = 10.
    EXPECT_EQ(FitRect({ 0, 0, 3, 3 }, { 0, 0, 10, 20 }), (TRect { 0, 0, 10, 10 }));
}

TEST(QorProcs, FitRectOfEmptySourceIsEmpty)
{
    EXPECT_EQ(FitRect({ 0, 0, 0, 100 }, { 5, 7, 55, 57 }), (TRect { 5, 7, 5, 7 }));
    EXPECT_EQ(FitRect({ 0, 0, 100, 0 }, { 5, 7, 55, 57 }), (TRect { 5, 7, 5, 7 }));
}

TEST(QorProcs, ResTextReturnsTheTextUnchanged)
{
    EXPECT_EQ(ResText("Not enough timers available"), "Not enough timers available");
}
