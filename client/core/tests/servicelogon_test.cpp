#include "client/core/servicelogon.h"

#include "client/core/connectionmonitor.h"
#include "client/core/scrambler.h"
#include "client/core/servicequery.h"
#include "peersessiontest.h"
#include "platform/rtl/thread.h"
#include "platform/testing/serviceprocess.h"
#include "platform/win/shell.h"

#include <QLineEdit>
#include <QTime>

#include <atomic>
#include <filesystem>
#include <thread>

namespace {

// The files of folder whose names begin with prefix.
std::vector<std::string> FilesNamed(const std::string& folder, const std::string& prefix)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename().string().rfind(prefix, 0) == 0)
            names.push_back(entry.path().filename().string());
    return names;
}

const std::string kWrongPassword = "\rUnable to login to messaging service, your password may be incorrect.";

class ServiceLogOn : public PeerSessionTest {
protected:
    void SetUp() override
    {
        PeerSessionTest::SetUp();
        dialogs::SetResponder([](const dialogs::DialogRequest&) { return IDOK; });
        Session().localAddress = LoopbackHost(1);
        Session().scrambledPassword = ScrambleText("secret");
    }
    void TearDown() override
    {
        dialogs::SetResponder({});
        PeerSessionTest::TearDown();
    }
    void UseService(const ServiceProcess& service)
    {
        Session().regsServer = Session().ilsServer = service.hostPort();
    }
    bool LogOnEnds() { return Application::ProcessMessagesUntil([] { return !Session().logOnRunning; }, 20000); }
    int MessagesSaying(const std::string& text) const
    {
        int count = 0;
        for (const dialogs::DialogRecord& record : dialogs::History())
            count += record.request.text == text;
        return count;
    }
    std::string Channel() const { return bar->ChnName->text().toStdString(); }
};

}  // namespace

TEST(Greeting, FollowsTheHourOfTheDay)
{
    EXPECT_EQ(GreetingForHour(11), "GOOD MORNING");
    EXPECT_EQ(GreetingForHour(12), "GOOD AFTERNOON");
    EXPECT_EQ(GreetingForHour(17), "GOOD EVENING");
    EXPECT_EQ(GreetingForHour(19), "GOOD NIGHT");
}

TEST_F(ServiceLogOn, AKnownUserIsLoggedOnAndGreeted)
{
    ServiceProcess service({ "--db", dirs.root() + "/service.db", "--user", "alice:secret" });
    ASSERT_TRUE(service.started()) << service.error();
    UseService(service);
    LoginToService("");
    EXPECT_TRUE(Session().logOnRunning);
    ASSERT_TRUE(LogOnEnds());
    EXPECT_TRUE(Session().loggedOn);
    EXPECT_FALSE(Session().logOnInProgress);
    EXPECT_EQ(Channel(), GreetingForHour(QTime::currentTime().hour()));
    EXPECT_EQ(bar->StatusText(), "alice");
    // No buddy is logged on: the lookup's reply connects nobody and is gone.
    EXPECT_FALSE(Buddy("bob").Connecting);
    EXPECT_FALSE(dirs.exists("app/buddies.txt"));
    EXPECT_EQ(MessagesSaying(kWrongPassword), 0);
}

TEST_F(ServiceLogOn, ARefusedPasswordShowsNoServiceAndSaysSo)
{
    ServiceProcess service({ "--db", dirs.root() + "/service.db", "--user", "alice:other" });
    ASSERT_TRUE(service.started()) << service.error();
    UseService(service);
    LoginToService("");
    ASSERT_TRUE(LogOnEnds());
    EXPECT_FALSE(Session().loggedOn);
    EXPECT_EQ(Channel(), "NO SERVICE");
    EXPECT_EQ(MessagesSaying(kWrongPassword), 1);
}

TEST_F(ServiceLogOn, ABuddyLoggedOnIsLookedUpAndCalled)
{
    ServiceProcess service({ "--db", dirs.root() + "/service.db", "--user", "alice:secret", "--user", "bob:pw" });
    ASSERT_TRUE(service.started()) << service.error();
    ASSERT_EQ(HttpGet(service.port(), "/login.asp?Login=bob&Password=" + EncodeServiceValue(ScrambleText("pw")) +
                                          "&IPAddress=" + LoopbackHost(2) + "&publickey=k")
                  .body.substr(0, 7),
              "success");
    ScriptedListener bobsHost(LoopbackHost(2), kPeerPort);
    ASSERT_TRUE(bobsHost.valid());
    UseService(service);
    LoginToService("");
    ASSERT_TRUE(LogOnEnds());
    ScriptedPeer bob = bobsHost.accept();
    ASSERT_TRUE(bob.valid());
    EXPECT_EQ(bob.readLine(), Frame("inf", "alice", "alice@example.org", "bob"));
}

TEST_F(ServiceLogOn, ABlankOrBinaryAnswerIsNoService)
{
    for (const std::string& body : { std::string("\r\n  \r\n"), std::string("\x89PNG\x00\x01success\r\n", 15) }) {
        ScriptedListener server(LoopbackHost(9), 8080);
        ASSERT_TRUE(server.valid());
        Session().regsServer = LoopbackHost(9) + ":8080";
        LoginToService("");
        ScriptedPeer request = server.accept();
        ASSERT_TRUE(request.valid());
        while (!request.readLine().empty()) {
        }
        request.send("HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
        request = ScriptedPeer();
        ASSERT_TRUE(LogOnEnds());
        EXPECT_FALSE(Session().loggedOn);
        EXPECT_EQ(Channel(), "NO SERVICE");
        EXPECT_EQ(MessagesSaying(kWrongPassword), 0);
    }
}

TEST_F(ServiceLogOn, AnUnreachableServiceLeavesTheUserNotLoggedOn)
{
    Session().regsServer = LoopbackHost(9) + ":1";
    LoginToService("");
    ASSERT_TRUE(LogOnEnds());
    EXPECT_FALSE(Session().loggedOn);
    EXPECT_EQ(Channel(), "NO SERVICE");
    EXPECT_EQ(MessagesSaying(kWrongPassword), 0);
}

TEST_F(ServiceLogOn, AMissingPasswordIsToldAndNothingIsSent)
{
    Session().scrambledPassword = "  ";
    LoginToService("");
    EXPECT_FALSE(Session().logOnRunning);
    EXPECT_EQ(MessagesSaying("\rUnable to login your username or password missing"), 1);
}

TEST_F(ServiceLogOn, NothingHappensOffline)
{
    Session().online = false;
    LoginToService("");
    EXPECT_FALSE(Session().logOnRunning);
    EXPECT_TRUE(dialogs::History().empty());
}

TEST_F(ServiceLogOn, ALookupReplyOfOneLineConnectsNobody)
{
    ApplyBuddyLookup(ReadBuddyLookup("bob\xB6" + LoopbackHost(2) + "\r\n"));
    EXPECT_FALSE(Buddy("bob").Connecting);
}

TEST_F(ServiceLogOn, LookupEntriesNamingNoListedBuddyConnectNobody)
{
    ApplyBuddyLookup(ReadBuddyLookup("eve\xB6" + LoopbackHost(4) + "\r\n\xB6" + LoopbackHost(5) + "\r\nmallory\xB6" +
                                     LoopbackHost(6) + "\r\n.\r\n"));
    EXPECT_FALSE(Buddy("mallory").Connecting);
    EXPECT_EQ(bar->FindBuddy("eve"), nullptr);
}

TEST_F(ServiceLogOn, TheLookupAsksForEligibleBuddiesInListOrder)
{
    for (const char* name : { "dave", "erin", "frank", "gina" })
        dirs.write(std::string("windows/my friends/alice/") + name + ".cnt",
                   std::string("[Friend]\r\nUserID=") + name + "\r\n");
    dirs.write("windows/my friends/alice/hank.cnt", "[Friend]\r\nUserID=hank\r\nDirectConnect=" + LoopbackHost(8) + "\r\n");
    LoadBuddyFiles(true);
    ScriptedPeer bob = Online("bob", 2);
    Buddy("carol").Connecting = true;
    EXPECT_EQ(LookupQuery(""), "buddy=dave&buddy=erin&buddy=frank&buddy=gina");
    EXPECT_EQ(LookupQuery("hank"), "buddy=hank");
}

TEST_F(ServiceLogOn, ABurstOfFiveNavigationsOpensFour)
{
    std::atomic<int> opened { 0 };
    std::atomic<bool> release { false };
    shell::SetOpenHook([&](const std::string&) {
        ++opened;
        while (!release)
            std::this_thread::yield();
    });
    for (int i = 0; i < 5; ++i)
        NavigateTo("http://example.org/" + std::to_string(i));
    EXPECT_EQ(RunningUrlThreads(), 4);
    release = true;
    ASSERT_TRUE(Application::ProcessMessagesUntil([] { return RunningUrlThreads() == 0; }, 5000));
    EXPECT_EQ(opened, 4);
    shell::SetOpenHook({});
}

TEST_F(ServiceLogOn, GoingOfflineTakesEveryBuddyOfflineAndHangsUpCalls)
{
    ScriptedListener carolsHost(LoopbackHost(3), kPeerPort);
    ASSERT_TRUE(carolsHost.valid());
    ScriptedPeer bob = Online("bob", 2);
    ConnectToBuddy("carol", LoopbackHost(3));
    ScriptedPeer carol = carolsHost.accept();
    ASSERT_TRUE(carol.valid());
    Session().loggedOn = true;
    Session().away = true;
    bar->filter->setText("bo");
    PeerLists().AddChat("bob", "hello");
    GoOffline();
    EXPECT_FALSE(Session().online);
    EXPECT_FALSE(Session().loggedOn);
    EXPECT_FALSE(Session().away);
    EXPECT_TRUE(Session().firstLogOn);
    EXPECT_EQ(Session().localAddress, "127.0.0.1");
    EXPECT_TRUE(Contains(dirs.read("windows/larkspire.ini"), "localAddress=127.0.0.1"));
    EXPECT_FALSE(Buddy("bob").Online);
    EXPECT_FALSE(Buddy("carol").Connecting);
    EXPECT_TRUE(bar->filter->text().isEmpty());
    EXPECT_EQ(bar->StatusText(), "offline");
    EXPECT_EQ(PeerLists().FindChat("bob"), nullptr) << "no chat is left open";
    EXPECT_TRUE(bob.waitClosed());
    EXPECT_TRUE(carol.waitClosed());
}

TEST_F(ServiceLogOn, ALogOnFromAnEarlierSessionChangesNothingWhenItEnds)
{
    ScriptedListener stalled(LoopbackHost(9), 8080);
    ASSERT_TRUE(stalled.valid());
    Session().regsServer = LoopbackHost(9) + ":8080";
    LoginToService("");
    ScriptedPeer request = stalled.accept();
    ASSERT_TRUE(request.valid());
    // Signing off does not wait for the stalled page.
    AbandonLogOn();
    bar->ChnName->setText("CONNECTING...");
    request = ScriptedPeer();
    // The thread's own reply file goes once its download has ended.
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return FilesNamed(dirs.appDir(), "logon.htm").empty(); }, 10000));
    // Freed only once its last steps on the main thread are done.
    ASSERT_TRUE(Application::ProcessMessagesUntil([] { return !TThread::AbandonedAlive(); }, 10000));
    EXPECT_TRUE(Session().firstLogOn) << "the next log-on still starts the update check";
    EXPECT_EQ(Channel(), "CONNECTING...");
    EXPECT_FALSE(Session().logOnRunning);
    EXPECT_FALSE(Session().logOnInProgress);
}

TEST(BuddyLookupReply, EveryLineButTheTerminatorIsAnEntryUpTo256)
{
    std::string reply;
    for (int i = 0; i < 300; ++i)
        reply += "b" + std::to_string(i) + "\xB6" + "10.0.0." + std::to_string(i % 250) + "\r\n";
    const std::vector<BuddyLookupEntry> entries = ReadBuddyLookup(reply + ".\r\n");
    ASSERT_EQ(entries.size(), 256u);
    EXPECT_EQ(entries.front().name, "b0");
    EXPECT_EQ(entries.front().address, "10.0.0.0");
    EXPECT_EQ(entries.back().name, "b255");
    EXPECT_TRUE(ReadBuddyLookup(".\r\n").empty());
}

TEST(BuddyLookupReply, ALineWithoutItsMarkNamesNobody)
{
    const std::vector<BuddyLookupEntry> entries = ReadBuddyLookup("bob 127.0.0.2\r\n.\r\n");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "");
}
