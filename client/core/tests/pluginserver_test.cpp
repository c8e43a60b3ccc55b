#include "client/core/pluginserver.h"

#include "peersessiontest.h"
#include "platform/rtl/sysutils.h"
#include "platform/win/process.h"

namespace {

constexpr std::uint16_t kPluginPort = 8090;
const std::string kKey = "{927971f5-7}";

// A plug-in is a program on alice's own host talking to her port 8090.
class PluginServerTest : public PeerSessionTest {
protected:
    void SetUp() override
    {
        PeerSessionTest::SetUp();
        ASSERT_NE(PluginServer(), nullptr);
        ASSERT_TRUE(PluginServer()->Listening());
        PluginServer()->OnBeep = [this] { ++beeps; };
    }
    void TearDown() override
    {
        process::SetObserver(nullptr);
        PeerSessionTest::TearDown();
    }

    ScriptedPeer Plugin() { return ScriptedPeer::Connect(LoopbackHost(1), LoopbackHost(1), kPluginPort); }
    // Registering is answered with the buddies the plug-in may invite: the first line it reads
    // after, so nothing reached it meanwhile. With bob online that line is "\xF8bob".
    static std::string Register(ScriptedPeer& plugin)
    {
        plugin.sendLine("\xFC" + kKey);
        return plugin.readLine();
    }
    ScriptedPeer Registered()
    {
        ScriptedPeer plugin = Plugin();
        EXPECT_EQ(Register(plugin), "\xF8" "bob");
        return plugin;
    }
    static std::string Relay(const std::string& f1, const std::string& f2, const std::string& f3, const std::string& f4)
    {
        return "\xFB" + f1 + "," + f2 + "," + f3 + ",\"" + f4 + "\"";
    }

    int beeps { 0 };
};

}  // namespace

TEST_F(PluginServerTest, RegisteringAnnouncesOnlyOnlineBuddiesThatAreNotAway)
{
    ScriptedPeer bob = Online("bob", 2);
    ScriptedPeer carol = Online("carol", 3);
    SetBuddyAway("carol", true, "out");
    ScriptedPeer plugin = Plugin();
    plugin.sendLine("\xFC" + kKey);
    EXPECT_EQ(plugin.readLine(), "\xF8" "bob");
    // bob's next move follows at once: carol was not announced before it.
    bob.sendLine(Frame("\xF9" + kKey, "bob", "alice", "\xFB" "12,28"));
    EXPECT_EQ(plugin.readLine(), "\xFB" "12,28");
}

TEST_F(PluginServerTest, RegisteringTwiceBindsTheKeyToTheNewerSocket)
{
    ScriptedPeer bob = Online("bob", 2);
    ScriptedPeer first = Registered();
    ScriptedPeer second = Registered();
    bob.sendLine(Frame("\xF9" + kKey, "bob", "alice", "\xFB" "12,28"));
    EXPECT_EQ(second.readLine(), "\xFB" "12,28");
    EXPECT_EQ(Register(first), "\xF8" "bob") << "bob's line did not reach the older socket";
}

TEST_F(PluginServerTest, ARelayReachesTheBuddyUnderTheUsersOwnName)
{
    ScriptedPeer bob = Online("bob", 2);
    ScriptedPeer plugin = Registered();
    plugin.sendLine(Relay("\xF9" + kKey, "mallory", "bob", "\xFB" "12,28"));
    EXPECT_EQ(bob.readLine(), Frame("\xF9" + kKey, "alice", "bob", "\xFB" "12,28"));
    plugin.sendLine(Relay("pluginrequest", "alice", "bob", "chess\\"));
    EXPECT_EQ(bob.readLine(), Frame("pluginrequest", "alice", "bob", "chess\\"));
    EXPECT_EQ(beeps, 0);
}

TEST_F(PluginServerTest, ARelayToABuddyNotOnlineBeepsAndGoesNowhere)
{
    ScriptedPeer bob = Online("bob", 2);
    ScriptedPeer plugin = Registered();
    plugin.sendLine(Relay("\xF9" + kKey, "alice", "carol", "\xFB" "12,28"));
    plugin.sendLine(Relay("\xF9" + kKey, "alice", "zoe", "\xFB" "12,28"));
    // An invitation for bob after them: they were handled before it, and nothing reached bob first.
    plugin.sendLine(Relay("pluginrequest", "alice", "bob", "chess\\"));
    EXPECT_EQ(bob.readLine(), Frame("pluginrequest", "alice", "bob", "chess\\"));
    EXPECT_EQ(beeps, 2);
    EXPECT_EQ(Register(plugin), "\xF8" "bob") << "the plug-in was told nothing";
}

TEST_F(PluginServerTest, OnlyInvitationsAndTheRegisteredKeysLinesAreRelayed)
{
    ScriptedPeer bob = Online("bob", 2);
    ScriptedPeer plugin = Registered();
    plugin.sendLine(Relay("chat", "alice", "bob", "hello"));
    plugin.sendLine(Relay("decline", "alice", "bob", ""));
    plugin.sendLine(Relay("\xF9" "{another}", "alice", "bob", "x"));
    plugin.sendLine(Relay("\xF9", "alice", "bob", "x"));
    plugin.sendLine(Relay("\xF9" + kKey, "alice", "bob", "newgame"));
    EXPECT_EQ(bob.readLine(), Frame("\xF9" + kKey, "alice", "bob", "newgame")) << "nothing went before it";
}

TEST_F(PluginServerTest, LinesSentBeforeRegisteringLeaveOnceTheKeyIsRegistered)
{
    ScriptedPeer bob = Online("bob", 2);
    ScriptedPeer plugin = Plugin();
    plugin.sendLine(Relay("\xF9" + kKey, "alice", "bob", "\xFA" "alice"));
    // An invitation is never held: it goes at once, after the held line was handled.
    plugin.sendLine(Relay("pluginrequest", "alice", "bob", "chess\\"));
    EXPECT_EQ(bob.readLine(), Frame("pluginrequest", "alice", "bob", "chess\\"));
    plugin.sendLine("\xFC" + kKey);
    EXPECT_EQ(bob.readLine(), Frame("\xF9" + kKey, "alice", "bob", "\xFA" "alice"));
}

TEST_F(PluginServerTest, BadLinesAreDroppedAndThePluginStaysConnected)
{
    ScriptedPeer bob = Online("bob", 2);
    ScriptedPeer plugin = Plugin();
    plugin.sendLine(std::string(3000, 'x'));
    plugin.sendLine("\x01whatever");
    plugin.sendLine("\xFB" "onlyone");
    plugin.sendLine(Relay("\xF9" + kKey, "alice", "bob", std::string(1100, 'm')));
    EXPECT_EQ(Register(plugin), "\xF8" "bob");
    plugin.sendLine(Relay("\xF9" + kKey, "alice", "bob", "newgame"));
    EXPECT_EQ(bob.readLine(), Frame("\xF9" + kKey, "alice", "bob", "newgame")) << "no bad line went before it";
}

TEST_F(PluginServerTest, APayloadFromTheBuddyGoesToThePluginOfItsKey)
{
    ScriptedPeer bob = Online("bob", 2);
    ScriptedPeer plugin = Registered();
    bob.sendLine(Frame("\xF9" "{927971f5-other}", "bob", "alice", "reject"));
    bob.sendLine(Frame("\xF9" + kKey, "bob", "alice", "reject"));
    EXPECT_EQ(plugin.readLine(), "reject");
    EXPECT_EQ(Register(plugin), "\xF8" "bob") << "the payload came once";
}

TEST_F(PluginServerTest, TheBuddiesHearPluginCloseWhenARegisteredPluginGoes)
{
    ScriptedPeer bob = Online("bob", 2);
    { ScriptedPeer plugin = Registered(); }
    EXPECT_EQ(bob.readLine(), Frame("pluginclose", "alice", "alice@example.org", kKey));
    EXPECT_FALSE(PeerLists().HasPluginSocket(kKey));
}

TEST_F(PluginServerTest, APluginThatNeverRegisteredGoesQuietly)
{
    ScriptedPeer bob = Online("bob", 2);
    ScriptedPeer plugin = Plugin();
    plugin.hangUp();
    EXPECT_TRUE(plugin.waitClosed());
    EXPECT_EQ(Introduce(bob, "bob"), "\xFC") << "bob heard nothing of it";
}

TEST_F(PluginServerTest, ThePagerGetsEachValueAsOneArgumentAndTheConnectionCloses)
{
    std::vector<process::Launch> launches;
    process::SetObserver([&](const process::Launch& launch) { launches.push_back(launch); });
    ScriptedPeer plugin = Plugin();
    plugin.sendLine("\xFE\"\",\"\"");
    EXPECT_TRUE(plugin.waitClosed());
    ScriptedPeer other = Plugin();
    other.sendLine("\xFE\"bob & del *.*\",\"hi; there \\\" \"");
    EXPECT_TRUE(other.waitClosed());
    ASSERT_EQ(launches.size(), 2u);
    EXPECT_EQ(ExtractFileName(launches[0].program), "pager");
    EXPECT_EQ(launches[0].arguments, (std::vector<std::string> { "", "" }));
    EXPECT_EQ(launches[1].arguments, (std::vector<std::string> { "bob & del *.*", "hi; there \\" }));
}

TEST_F(PluginServerTest, APeerOfAnotherHostIsClosedUnheard)
{
    ScriptedPeer bob = Online("bob", 2);
    ScriptedPeer foreign = ScriptedPeer::Connect(LoopbackHost(2), LoopbackHost(1), kPluginPort);
    ASSERT_TRUE(foreign.valid());
    foreign.sendLine("\xFC" + kKey);
    foreign.sendLine(Relay("\xF9" + kKey, "alice", "bob", "x"));
    EXPECT_TRUE(foreign.waitClosed());
    EXPECT_EQ(foreign.drain(0), "") << "not even the buddy list";
    EXPECT_EQ(Introduce(bob, "bob"), "\xFC") << "nothing was relayed";
    EXPECT_FALSE(PeerLists().HasPluginSocket(kKey));
}

TEST_F(PluginServerTest, TheTwentySixthPluginIsTurnedAway)
{
    std::vector<ScriptedPeer> plugins;
    for (int i = 0; i < TPluginServer::kMaxConnections; ++i)
        plugins.push_back(Plugin());
    // Accepted in the order they connected, so this one is the twenty-sixth.
    ScriptedPeer extra = Plugin();
    EXPECT_TRUE(extra.waitClosed());
    plugins.front().sendLine("\xFC" + kKey);
    EXPECT_TRUE(Application::ProcessMessagesUntil([] { return PeerLists().HasPluginSocket(kKey); }, 5000));
}
