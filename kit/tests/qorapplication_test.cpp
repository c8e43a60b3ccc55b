#include "kit/qorapplication.h"

#include "platform/rtl/exceptions.h"
#include "platform/testing/scratch.h"
#include "platform/ui/form.h"

#include <gtest/gtest.h>

TEST(QorApplication, SecondCopyFindsThePreviousInstance)
{
    ScratchDirs dirs;
    TQORApplication first;
    EXPECT_FALSE(first.PrevInstance());
    TQORApplication second;
    EXPECT_TRUE(second.PrevInstance());
    EXPECT_FALSE(first.PrevInstance());
}

TEST(QorApplication, InstanceFlagClearsWhenTheFirstCopyIsGone)
{
    ScratchDirs dirs;
    { TQORApplication first; }
    TQORApplication again;
    EXPECT_FALSE(again.PrevInstance());
}

TEST(QorApplication, EmptyLogNameIsProgramNameInProgramFolder)
{
    ScratchDirs dirs;
    TQORApplication app;
    const std::string program = ProgramFileName().substr(ProgramFileName().rfind('/') + 1);
    EXPECT_EQ(app.LogFile(), dirs.appDir() + "/" + program + ".LOG");
    app.SetLogFile("x");
    EXPECT_EQ(app.LogFile(), dirs.appDir() + "/x.LOG");
    app.SetLogFile("/elsewhere/trace.txt");
    EXPECT_EQ(app.LogFile(), dirs.appDir() + "/trace.txt");
}

TEST(QorApplication, FixedLogNameIsKeptAsItStands)
{
    ScratchDirs dirs;
    TQORApplication app;
    app.SetLogPrefix(qorprocs::ppFixed);
    app.SetLogFile("/var/tmp/k");
    EXPECT_EQ(app.LogFile(), "/var/tmp/k.LOG");
    app.SetLogPrefix(qorprocs::ppWindows);
    app.SetLogFile("k.log");
    EXPECT_EQ(app.LogFile(), dirs.windowsDir() + "/k.log");
}

TEST(QorApplication, RegistryPathCarriesCompanyTitleAndVersion)
{
    ScratchDirs dirs;
    TQORApplication app;
    Application::SetTitle("Prog");
    app.Company = "Maker";
    app.Version = "2.0";
    EXPECT_EQ(app.DefaultRegistryPath(), "Software\\Maker\\Prog\\2.0\\");
    app.Company = "";
    app.Version = " ";
    EXPECT_EQ(app.DefaultRegistryPath(), "Software\\Prog\\");
}

TEST(QorApplication, KitInitialisationIsCounted)
{
    ScratchDirs dirs;
    QORInitialize();
    TQORApplication* app = QORApplication();
    ASSERT_NE(app, nullptr);
    QORInitialize();
    QORFinalize();
    EXPECT_EQ(QORApplication(), app);
    QORFinalize();
    EXPECT_EQ(QORApplication(), nullptr);
}

TEST(QorApplication, TwoHundredFiftyFirstTimerGetsNoSlot)
{
    ScratchDirs dirs;
    TQORApplication app;
    std::vector<std::uint16_t> ids;
    for (int i = 0; i < 250; ++i)
        ids.push_back(app.AddTimer(1000, nullptr, nullptr));
    EXPECT_EQ(ids.front(), 0xFD01);
    EXPECT_EQ(ids.back(), 0xFD00 + 250);
    EXPECT_EQ(app.AddTimer(1000, nullptr, nullptr), 0);
    app.RemoveTimer(0xFD07);
    EXPECT_EQ(app.GetTimer(0xFD07), nullptr);
    EXPECT_EQ(app.AddTimer(50, nullptr, nullptr), 0xFD07);
    EXPECT_NE(app.GetTimer(0xFD07), nullptr);
}

TEST(QorApplication, RefusedIntervalKeepsTheSlotFree)
{
    ScratchDirs dirs;
    TQORApplication app;
    EXPECT_THROW(app.AddTimer(60, nullptr, nullptr), Exception);
    EXPECT_EQ(app.AddTimer(100, nullptr, nullptr), 0xFD01);
    // Identifiers of the pool's own below the slots are not the application's to remove.
    app.TimerPool().AddTimer(0x0100, 50, nullptr, nullptr);
    app.RemoveTimer(0x0100);
    EXPECT_NE(app.TimerPool().FindTimer(0x0100), nullptr);
}

TEST(QorApplication, PatternIsACheckerOfTheColourAndWhite)
{
    ScratchDirs dirs;
    TQORApplication app;
    const QImage& pattern = app.GetPatternBitmap(clRed);
    ASSERT_EQ(pattern.size(), QSize(8, 8));
    EXPECT_EQ(pattern.pixel(1, 0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(pattern.pixel(0, 1) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(pattern.pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(pattern.pixel(7, 7) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(&app.GetPatternBitmap(clBlue), &pattern);
    EXPECT_EQ(pattern.pixel(3, 4) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(pattern.pixel(4, 4) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(QorApplication, TheKitsHandCursorIsOnTheScreenAsMinus255)
{
    ScratchDirs dirs;
    QORInitialize();
    EXPECT_EQ(ToQCursor(crQORHand).shape(), Qt::PointingHandCursor);
    EXPECT_EQ(crQORHand, -255);
    QORFinalize();
}
