#include "kit/qorapplication.h"

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

TEST(QorApplication, TheKitsHandCursorIsOnTheScreenAsMinus255)
{
    ScratchDirs dirs;
    QORInitialize();
    EXPECT_EQ(ToQCursor(crQORHand).shape(), Qt::PointingHandCursor);
    EXPECT_EQ(crQORHand, -255);
    QORFinalize();
}
