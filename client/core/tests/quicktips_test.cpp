#include "client/core/quicktips.h"

#include "client/core/features.h"
#include "client/core/session.h"
#include "platform/testing/scratch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class QuickTips : public ::testing::Test {
protected:
    void SetUp() override
    {
        Session() = TSession();
        dirs.write("app/hints.txt", "[tips]\r\nA=Tip about A\r\nB=Tip about B\r\n");
        dirs.write("app/Channels.ini", "[Settings]\r\nfirsttimer=0\r\n");
        Features().Command.ShowNoteWindow = [this](const std::string& sender, const std::string& name, const std::string& text,
                                            int kind) { shown.push_back(std::to_string(kind) + "|" + sender + "|" + name + "|" + text); };
    }
    void TearDown() override { Features().Command.ShowNoteWindow = nullptr; }

    ScratchDirs dirs;
    std::vector<std::string> shown;
};

const std::string kWelcome = "1|Korvo|qtip0000|Welcome!  This is your first Nivlet!  You can send Nivlets instantly to your Korvo "
                             "buddies whether they are online or offline. Simply right-click on the Buddy's name, then "
                             "select SEND NIVLET!";

}  // namespace

TEST_F(QuickTips, TheSameTipAskedTwiceInARowShowsOnce)
{
    ShowQuickTip("A");
    ShowQuickTip("A");
    EXPECT_EQ(shown, (std::vector<std::string> { "1|Korvo|A|Tip about A" }));
}

TEST_F(QuickTips, ATipAskedAgainAfterAnotherShowsEachTime)
{
    ShowQuickTip("A");
    ShowQuickTip("B");
    ShowQuickTip("A");
    EXPECT_EQ(shown, (std::vector<std::string> { "1|Korvo|A|Tip about A", "1|Korvo|B|Tip about B", "1|Korvo|A|Tip about A" }));
}

TEST_F(QuickTips, TheFirstRunShowsTheWelcomeTipOnceAndRemembersIt)
{
    dirs.write("app/Channels.ini", "");
    ShowQuickTip("");
    ShowQuickTip("A");
    EXPECT_EQ(shown, (std::vector<std::string> { kWelcome, "1|Korvo|A|Tip about A" }));
    EXPECT_NE(dirs.read("app/Channels.ini").find("firsttimer=0"), std::string::npos);
}

TEST_F(QuickTips, AFirstRunWithARepeatedTipShowsNothingYetEndsTheFirstRun)
{
    dirs.write("app/Channels.ini", "[Settings]\r\nfirsttimer=1\r\n[repeat]\r\nA=1\r\n");
    ShowQuickTip("A");
    EXPECT_TRUE(shown.empty());
    EXPECT_NE(dirs.read("app/Channels.ini").find("firsttimer=0"), std::string::npos);
}

TEST_F(QuickTips, ATipTheUserSilencedIsNeverShownAgain)
{
    dirs.write("app/Channels.ini", "[Settings]\r\nfirsttimer=0\r\n[repeat]\r\nB=1\r\n");
    ShowQuickTip("B");
    ShowQuickTip("A");
    ShowQuickTip("B");
    EXPECT_EQ(shown, (std::vector<std::string> { "1|Korvo|A|Tip about A" }));
}

TEST_F(QuickTips, AMissingTipOrHintsFileShowsNothing)
{
    ShowQuickTip("qtip1008");
    dirs.write("app/hints.txt", "");
    ShowQuickTip("A");
    ShowQuickTip("");
    EXPECT_TRUE(shown.empty());
}
