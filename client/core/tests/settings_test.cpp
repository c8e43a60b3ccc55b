#include "client/core/settings.h"

#include "client/core/mainbar.h"
#include "client/core/session.h"
#include "client/core/sessionchain.h"
#include "platform/rtl/codepage.h"
#include "platform/testing/scratch.h"
#include "platform/win/registry.h"

#include <gtest/gtest.h>

namespace {

struct SettingsFixture : ::testing::Test {
    ScratchDirs dirs;
    void SetUp() override { Session() = TSession {}; }
    void larkspire(const std::string& text) const { dirs.write("windows/larkspire.ini", text); }
    void channels(const std::string& text) const { dirs.write("app/Channels.ini", text); }
    void servers(const std::string& text) const { dirs.write("app/servers.ini", text); }
};

}  // namespace

TEST_F(SettingsFixture, MissingFilesGiveTheDefaults)
{
    LoadSettings();
    const TSession& s = Session();
    EXPECT_EQ(s.defaultHost, "");
    EXPECT_EQ(s.regsServer, "");
    EXPECT_EQ(s.animSpeed, 0);
    EXPECT_FALSE(s.sound);
    EXPECT_FALSE(s.periodicLogOn);
    EXPECT_TRUE(s.pushNewsManual);
    EXPECT_EQ(s.hintInterval, 5);
    EXPECT_TRUE(s.updateTime);
    EXPECT_TRUE(s.background);
    EXPECT_TRUE(s.hideNewsAlerts);
    EXPECT_TRUE(s.quickTips);
    EXPECT_FALSE(s.lastNewsUpdate.empty());
    EXPECT_EQ(s.connectionSpeed, 1);
    EXPECT_FALSE(s.aolConnection);
    EXPECT_EQ(s.version, "Unknown");
    EXPECT_EQ(s.userName, "Unknown");
    EXPECT_EQ(s.awayMessage, "(no message)");
    EXPECT_EQ(s.mailCheckInterval, 10);
    EXPECT_FALSE(s.autoMailCheck);
    EXPECT_EQ(s.mailClient, "Korvo Mail");
    EXPECT_EQ(s.addressBook, "Korvo Address Book");
    EXPECT_EQ(s.keepAliveInterval, 60);
    EXPECT_EQ(s.partner, "");
}

TEST_F(SettingsFixture, ServersIniHostServesAllThreeHostsWhenMainNamesNone)
{
    servers("[servers]\r\n0=service.example\r\n");
    LoadSettings();
    EXPECT_EQ(Session().defaultHost, "service.example");
    EXPECT_EQ(Session().regsServer, "service.example");
    EXPECT_EQ(Session().ilsServer, "service.example");
    EXPECT_EQ(Session().notesServer, "service.example");
}

TEST_F(SettingsFixture, MainHostsOverrideTheInstalledOne)
{
    servers("[servers]\n0=service.example\n");
    larkspire("[MAIN]\nRegsServer=regs.example\nILS=ils.example\n");
    LoadSettings();
    EXPECT_EQ(Session().regsServer, "regs.example");
    EXPECT_EQ(Session().ilsServer, "ils.example");
    EXPECT_EQ(Session().notesServer, "service.example");
}

TEST_F(SettingsFixture, AnimSpeedAbove10BecomesNine)
{
    channels("[Settings]\nAnimSpeed=10\n");
    LoadSettings();
    EXPECT_EQ(Session().animSpeed, 10);
    channels("[Settings]\nAnimSpeed=11\n");
    LoadSettings();
    EXPECT_EQ(Session().animSpeed, 9);
    channels("[Settings]\nAnimSpeed=250\n");
    LoadSettings();
    EXPECT_EQ(Session().animSpeed, 9);
}

TEST_F(SettingsFixture, KeepAliveBelowTenBecomesTen)
{
    larkspire("[MAIN]\nKeepAliveInterval=9\n");
    LoadSettings();
    EXPECT_EQ(Session().keepAliveInterval, 10);
    larkspire("[MAIN]\nKeepAliveInterval=0\n");
    LoadSettings();
    EXPECT_EQ(Session().keepAliveInterval, 10);
    larkspire("[MAIN]\nKeepAliveInterval=45\n");
    LoadSettings();
    EXPECT_EQ(Session().keepAliveInterval, 45);
}

TEST_F(SettingsFixture, OutOfRangeNumbersAreClampedNotWrapped)
{
    channels("[Settings]\nHintInterval=300\nConnectionSpeed=-4\n");
    larkspire("[MAIN]\nKeepAliveInterval=70000\n[Mail]\nCheckInterval=-1\n");
    LoadSettings();
    EXPECT_EQ(Session().hintInterval, 255);
    EXPECT_EQ(Session().connectionSpeed, 0);
    EXPECT_EQ(Session().keepAliveInterval, 65535);
    EXPECT_EQ(Session().mailCheckInterval, 0);
}

TEST_F(SettingsFixture, BlankMailClientAndAddressBookGetTheirNames)
{
    larkspire("[Mail]\nMail Client=\"   \"\nAddress Book=\n");
    LoadSettings();
    EXPECT_EQ(Session().mailClient, "Korvo Mail");
    EXPECT_EQ(Session().addressBook, "Korvo Address Book");
}

TEST_F(SettingsFixture, LongMailClientIsCutTo255)
{
    larkspire("[Mail]\nMail Client=" + std::string(300, 'm') + "\n1=1\nCheckInterval=25\n");
    LoadSettings();
    EXPECT_EQ(Session().mailClient, std::string(255, 'm'));
    EXPECT_TRUE(Session().autoMailCheck);
    EXPECT_EQ(Session().mailCheckInterval, 25);
}

TEST_F(SettingsFixture, MainSectionIsFoundWhateverItsCase)
{
    larkspire("[Main]\nuserName=Ada\nuserEmail=ada@example.org\nUserPhoneNumber=555\nVersion=3.1\n"
              "AwayMessage=Out\nuserPublicKey=K\nUseExistingMail=1\nPartner=Acme\n");
    LoadSettings();
    EXPECT_EQ(Session().userName, "Ada");
    EXPECT_EQ(Session().userEmail, "ada@example.org");
    EXPECT_EQ(Session().userPhoneNumber, "555");
    EXPECT_EQ(Session().version, "3.1");
    EXPECT_EQ(Session().awayMessage, "Out");
    EXPECT_EQ(Session().userPublicKey, "K");
    EXPECT_TRUE(Session().useExistingMail);
    EXPECT_EQ(Session().partner, "Acme");
}

TEST_F(SettingsFixture, ChannelsSettingsAreRead)
{
    channels("[Settings]\nSound=1\nHint=1\nHintInterval=7\nUpdateTime=0\nBackground=0\nHideNewsAlerts=0\n"
             "QuickTips=0\nConnectionSpeed=3\nAOL=1\n[Push News]\nmanual=0\n[NEWS]\nLastUpdated=1/2/2026 3:04:05 PM\n");
    LoadSettings();
    const TSession& s = Session();
    EXPECT_TRUE(s.sound);
    EXPECT_TRUE(s.periodicLogOn);
    EXPECT_EQ(s.hintInterval, 7);
    EXPECT_FALSE(s.updateTime);
    EXPECT_FALSE(s.background);
    EXPECT_FALSE(s.hideNewsAlerts);
    EXPECT_FALSE(s.quickTips);
    EXPECT_EQ(s.connectionSpeed, 3);
    EXPECT_TRUE(s.aolConnection);
    EXPECT_FALSE(s.pushNewsManual);
    EXPECT_EQ(s.lastNewsUpdate, "1/2/2026 3:04:05 PM");
}

TEST_F(SettingsFixture, ShellFoldersComeFromTheRegistry)
{
    TRegistry registry(HKEY_CURRENT_USER);
    ASSERT_TRUE(registry.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", true));
    registry.WriteString("Favorites", "/home/u/Favorites");
    registry.WriteString("Programs", "/home/u/Programs");
    LoadSettings();
    EXPECT_EQ(Session().favoritesFolder, "/home/u/Favorites");
    EXPECT_EQ(Session().programsFolder, "/home/u/Programs");
}

TEST_F(SettingsFixture, SaveSettingsWritesThreeBooleans)
{
    Session().periodicLogOn = true;
    Session().updateTime = false;
    Session().notifyState = true;
    SaveSettings();
    EXPECT_EQ(dirs.read("app/Channels.ini"), "[Settings]\r\nHint=1\r\nUpdateTime=0\r\nnotiftyState=1\r\n");
}

TEST_F(SettingsFixture, SaveSettingsKeepsTheRestOfChannelsIni)
{
    channels("[Settings]\r\nSound=1\r\nHint=0\r\n[Categories]\r\n0=General\r\n");
    Session().periodicLogOn = true;
    SaveSettings();
    EXPECT_EQ(dirs.read("app/Channels.ini"),
              "[Settings]\r\nSound=1\r\nHint=1\r\nUpdateTime=1\r\nnotiftyState=0\r\n[Categories]\r\n0=General\r\n");
}

TEST_F(SettingsFixture, ResetSessionGivesTheStartValues)
{
    TSession& s = Session();
    s.online = s.loggedOn = s.logOnRunning = true;
    s.logOnInProgress = true;
    s.localAddress = "10.0.0.5";
    s.lastQuickTip = "tip7";
    s.lastBuddyIndex = 4;
    s.mailCheckRunning = s.newsThreadRunning = s.nivletReadRunning = true;
    s.buddyHighlight = 0;
    ResetSession();
    EXPECT_FALSE(s.online);
    EXPECT_FALSE(s.loggedOn);
    EXPECT_FALSE(s.logOnRunning);
    EXPECT_FALSE(s.logOnInProgress);
    EXPECT_EQ(s.localAddress, "127.0.0.1");
    EXPECT_EQ(s.lastQuickTip, "nil");
    EXPECT_EQ(s.lastBuddyIndex, -1);
    EXPECT_FALSE(s.mailCheckRunning);
    EXPECT_FALSE(s.newsThreadRunning);
    EXPECT_FALSE(s.nivletReadRunning);
    EXPECT_EQ(s.buddyHighlight, 0xFFFF00u);
}

TEST_F(SettingsFixture, DockedBarSitsTwentyPixelsFromTheRightAndCentred)
{
    DockMainBar(1024, 768, 123, 449);
    EXPECT_EQ(Session().dockedLeft, 1024 - 123 - 20);
    EXPECT_EQ(Session().barTop, 384 - 224 + 3);
    EXPECT_EQ(Session().barHeight, 449);
}

TEST_F(SettingsFixture, SessionSettingsDockTheMainBarAtTheRightEdge)
{
    TForm1 bar;
    const int height = bar.Height();
    LoadSessionSettings();
    EXPECT_EQ(bar.Left(), Screen::Width() - bar.Width() - 20);
    EXPECT_EQ(bar.Top(), Screen::Height() / 2 - height / 2 + 3);
    EXPECT_EQ(Session().dockedLeft, bar.Left());
    EXPECT_EQ(Session().barTop, bar.Top());
    EXPECT_EQ(Session().barHeight, bar.Height());
}

TEST_F(SettingsFixture, PartnerShowsUnderTheNameOnTheMainBar)
{
    TForm1 bar;
    larkspire("[MAIN]\r\nPartner=Acme Online\r\n");
    LoadSessionSettings();
    EXPECT_EQ(codepage::FromUnicode(bar.Label3->text()), Ansi("KORVO®") + "\nAcme Online");
}

TEST_F(SettingsFixture, WithoutPartnerTheMainBarKeepsItsName)
{
    TForm1 bar;
    const QString before = bar.Label3->text();
    LoadSessionSettings();
    EXPECT_EQ(bar.Label3->text(), before);
}
