#include "client/core/onesecondtimer.h"

#include "client/core/features.h"
#include "client/core/peerconnections.h"
#include "client/core/servicelogon.h"
#include "client/core/settings.h"
#include "peersessiontest.h"

#include <QTimeZone>

namespace {

class OneSecondTimer : public PeerSessionTest {
protected:
    void SetUp() override
    {
        PeerSessionTest::SetUp();
        dialogs::SetResponder([](const dialogs::DialogRequest&) { return IDOK; });
    }
    void TearDown() override
    {
        dialogs::SetResponder({});
        MailCheckStarter() = {};
        Features().Tick.NewsDuty = {};
        PeerSessionTest::TearDown();
    }
    void Tick(int times)
    {
        for (int i = 0; i < times; ++i)
            Timer2Timer(QDateTime::currentDateTime());
    }
    int MessagesSaying(const std::string& text) const
    {
        int count = 0;
        for (const dialogs::DialogRecord& record : dialogs::History())
            count += record.request.text == text;
        return count;
    }
};

}  // namespace

TEST_F(OneSecondTimer, TheFirstAutomaticMailCheckComesAfter601Seconds)
{
    Session().autoMailCheck = true;
    int checks = 0;
    MailCheckStarter() = [&](bool manual) {
        EXPECT_FALSE(manual);
        ++checks;
    };
    Tick(600);
    EXPECT_EQ(checks, 0);
    Tick(1);
    EXPECT_EQ(checks, 1);
}

TEST_F(OneSecondTimer, MailIsNotCheckedWhileTheAutomaticCheckIsOff)
{
    int checks = 0;
    MailCheckStarter() = [&](bool) { ++checks; };
    Tick(1300);
    EXPECT_EQ(checks, 0);
}

TEST_F(OneSecondTimer, OnlineBuddiesArePingedAfter61Seconds)
{
    ScriptedPeer bob = Online("bob", 2);
    Tick(60);
    EXPECT_EQ(Introduce(bob, "bob"), "\xFC") << "no ping yet";
    Tick(1);
    EXPECT_TRUE(Contains(bob.readLine(), "ping"));
}

TEST_F(OneSecondTimer, ASilentBuddyGoesOfflineAfter300Seconds)
{
    ScriptedPeer bob = Online("bob", 2);
    Tick(299);
    EXPECT_TRUE(Buddy("bob").Online);
    Tick(1);
    EXPECT_FALSE(Buddy("bob").Online);
    EXPECT_TRUE(Contains(Cnt("bob"), "online=0"));
}

TEST_F(OneSecondTimer, AnUnansweredCallGoesOfflineAfter30Seconds)
{
    // bob's host takes the call and never says a word.
    ScriptedListener bobsHost(LoopbackHost(2), kPeerPort);
    ASSERT_TRUE(bobsHost.valid());
    ConnectToBuddy("bob", LoopbackHost(2));
    ScriptedPeer bob = bobsHost.accept();
    ASSERT_TRUE(bob.valid());
    Tick(29);
    EXPECT_TRUE(Buddy("bob").Connecting);
    Tick(1);
    EXPECT_FALSE(Buddy("bob").Connecting);
    EXPECT_FALSE(Buddy("bob").Online);
    EXPECT_TRUE(Contains(Cnt("bob"), "online=0"));
}

TEST_F(OneSecondTimer, ABarDraggedOutOfItsDockTucksAwayAtTheNextTick)
{
    bar->PlaceBar(Session().dockedLeft + 20, bar->Top(), bar->Height());
    ASSERT_FALSE(bar->Tucked());
    Tick(1);
    EXPECT_TRUE(bar->Tucked());
}

TEST_F(OneSecondTimer, ABarLeftOfItsDockStaysWhereItIs)
{
    Session().dockedLeft = 200;
    bar->PlaceBar(100, bar->Top(), bar->Height());
    Tick(1);
    EXPECT_FALSE(bar->Tucked());
    EXPECT_EQ(bar->Left(), 100);
}

TEST_F(OneSecondTimer, TheFirstReLogOnComesAfter301SecondsWhenHintIsOn)
{
    // No password: the log-on says so, which shows it was tried.
    const std::string missing = "\rUnable to login your username or password missing";
    Session().periodicLogOn = true;
    Tick(300);
    EXPECT_EQ(MessagesSaying(missing), 0);
    Tick(1);
    EXPECT_EQ(MessagesSaying(missing), 1);
}

TEST_F(OneSecondTimer, NoReLogOnWhileHintIsOff)
{
    Tick(700);
    EXPECT_EQ(MessagesSaying("\rUnable to login your username or password missing"), 0);
}

TEST_F(OneSecondTimer, TheFirstDirectoryRefreshComesAfter3601Seconds)
{
    ScriptedListener directory(LoopbackHost(9), 8080);
    ASSERT_TRUE(directory.valid());
    Session().ilsServer = LoopbackHost(9) + ":8080";
    Session().loggedOn = true;
    Session().localAddress = LoopbackHost(1);
    Tick(3600);
    EXPECT_FALSE(directory.accept(200).valid());
    Tick(1);
    ScriptedPeer request = directory.accept();
    ASSERT_TRUE(request.valid());
    EXPECT_EQ(request.readLine(), "GET /refresh.asp?Login=alice&IPAddress=" + LoopbackHost(1) + "&publickey= HTTP/1.1");
}

TEST_F(OneSecondTimer, AKeepAliveIntervalOf5ActsAs10)
{
    dirs.write("windows/larkspire.ini", "[MAIN]\r\nKeepAliveInterval=5\r\n");
    LoadSettings();
    ScriptedListener directory(LoopbackHost(9), 8080);
    ASSERT_TRUE(directory.valid());
    Session().ilsServer = LoopbackHost(9) + ":8080";
    Session().online = Session().loggedOn = true;
    Tick(600);
    EXPECT_FALSE(directory.accept(200).valid());
    Tick(1);
    EXPECT_TRUE(directory.accept().valid());
}

TEST(InternetTime, BeatZeroIsMidnightInUtcPlusOne)
{
    EXPECT_EQ(InternetBeats(0, 0, 0, 3600), 0);
    // One beat (86.4 s) earlier: 23:58:33.6, so 23:58:34 is still beat 999.
    EXPECT_EQ(InternetBeats(23, 58, 34, 3600), 999);
}

TEST(InternetTime, SummerTimeUsesTheOffsetInForce)
{
    // 14:00 in Central European Summer Time is 12:00 UTC, 13:00 in UTC+1: beat 541.
    const QDateTime summer(QDate(2026, 7, 1), QTime(14, 0, 0), QTimeZone("Europe/Berlin"));
    EXPECT_EQ(ClockText(summer), "2:00pm @541");
    const QDateTime winter(QDate(2026, 1, 15), QTime(13, 0, 0), QTimeZone("Europe/Berlin"));
    EXPECT_EQ(ClockText(winter), "1:00pm @541");
}

TEST_F(OneSecondTimer, EveryTickAsksTheNewsWhetherAFetchIsDue)
{
    std::vector<QDateTime> asked;
    Features().Tick.NewsDuty = [&](const QDateTime& now) { asked.push_back(now); };
    const QDateTime fullHour(QDate(2026, 3, 10), QTime(14, 0, 1));
    Timer2Timer(fullHour);
    Tick(2);
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0], fullHour);
}
