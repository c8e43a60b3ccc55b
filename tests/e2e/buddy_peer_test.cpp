#include "peer_host.h"

#include "platform/testing/serviceprocess.h"

#include <gtest/gtest.h>

TEST(BuddyPeer, TwoHostsFindEachOtherWithoutTheService)
{
    Host bob("bob", 3);
    bob.lists("alice");
    Host alice("alice", 2);
    alice.lists("bob", "DirectConnect=" + bob.address + "\r\n");
    bob.start();
    ASSERT_TRUE(bob.process->signOn());
    alice.start();
    ASSERT_TRUE(alice.process->signOn());
    EXPECT_TRUE(alice.seesOnline("bob", true)) << alice.cnt("bob");
    EXPECT_TRUE(bob.seesOnline("alice", true)) << bob.cnt("alice");
    EXPECT_NE(bob.cnt("alice").find("email=alice@example.org"), std::string::npos);
    EXPECT_EQ(alice.process->command("text\tForm13\tPanel1"), "ok bob is online");
    EXPECT_EQ(bob.process->command("text\tForm13\tPanel1"), "ok alice is online");

    // bob signs off: alice sees him go.
    EXPECT_EQ(bob.process->command("click\tForm1\tSpeedButton2"), "ok");
    EXPECT_TRUE(alice.seesOnline("bob", false)) << alice.cnt("bob");
    EXPECT_EQ(alice.process->command("text\tForm13\tPanel1"), "ok bob is offline");
}

TEST(BuddyPeer, BothCallingAtOnceLeavesBothOnline)
{
    Host alice("alice", 2);
    Host bob("bob", 3);
    alice.lists("bob", "DirectConnect=" + bob.address + "\r\n");
    bob.lists("alice", "DirectConnect=" + alice.address + "\r\n");
    alice.start();
    bob.start();
    ASSERT_TRUE(alice.process->waitForSignOn());
    ASSERT_TRUE(bob.process->waitForSignOn());
    // Both sign on together; each calls the other.
    alice.process->command("set\tSign On\tEdit1\tpw");
    bob.process->command("set\tSign On\tEdit1\tpw");
    alice.process->command("click\tSign On\tSpeedButton1");
    bob.process->command("click\tSign On\tSpeedButton1");
    EXPECT_TRUE(alice.seesOnline("bob", true)) << alice.cnt("bob");
    EXPECT_TRUE(bob.seesOnline("alice", true)) << bob.cnt("alice");
    Application::ProcessMessagesUntil([] { return false; }, 1000);
    EXPECT_NE(alice.cnt("bob").find("online=1"), std::string::npos);
    EXPECT_NE(bob.cnt("alice").find("online=1"), std::string::npos);
}

TEST(BuddyPeer, AwayIsToldToABuddyThatConnectsLater)
{
    Host bob("bob", 3);
    bob.lists("alice");
    bob.dirs.write("windows/larkspire.ini", "[MAIN]\r\nuserLoginName=bob\r\nAwayMessage=gone fishing\r\n");
    bob.start();
    ASSERT_TRUE(bob.process->signOn());
    EXPECT_EQ(bob.process->command("click\tForm1\tQORExplorerButton17"), "ok");

    // alice's program as a plain socket: her "inf", then bob's answer and his away message.
    HostilePeer alice(LoopbackHost(2), bob.address);
    ASSERT_TRUE(alice.connected());
    alice.line(Frame("inf", "alice", "alice@example.org", "bob"));
    EXPECT_EQ(alice.readLine(), "\xFC");
    EXPECT_EQ(alice.readLine(), Frame("away", "bob", "", "gone fishing"));
    EXPECT_TRUE(bob.seesOnline("alice", true));

    // Accepted, alice's connection speaks for her: her note reaches bob's Nivlet store.
    alice.line(Frame("note", "alice", "http://example.org", "see you"));
    EXPECT_TRUE(Application::ProcessMessagesUntil(
        [&] { return bob.process->command("peerhooks") == "ok SaveNivlet|alice|http://example.org|see you"; }, 10000));
}

TEST(BuddyPeer, ABlockedBuddyIsRefusedAndStaysOffline)
{
    Host bob("bob", 3);
    bob.lists("alice", "BLOCK=1\r\n");
    Host alice("alice", 2);
    alice.lists("bob", "DirectConnect=" + bob.address + "\r\n");
    bob.start();
    ASSERT_TRUE(bob.process->signOn());
    alice.start();
    ASSERT_TRUE(alice.process->signOn());
    Application::ProcessMessagesUntil([] { return false; }, 1500);
    EXPECT_NE(alice.cnt("bob").find("online=0"), std::string::npos);
    EXPECT_NE(bob.cnt("alice").find("online=0"), std::string::npos);
}

TEST(BuddyPeer, AHostilePeersSpoofsChangeNothing)
{
    Host bob("bob", 3);
    bob.lists("alice");
    bob.lists("carol");
    Host alice("alice", 2);
    alice.lists("bob", "DirectConnect=" + bob.address + "\r\n");
    bob.start();
    ASSERT_TRUE(bob.process->signOn());
    alice.start();
    ASSERT_TRUE(alice.process->signOn());
    ASSERT_TRUE(bob.seesOnline("alice", true));

    HostilePeer mallory(LoopbackHost(9), bob.address);
    ASSERT_TRUE(mallory.connected());
    mallory.line(Frame("decline", "alice"));
    mallory.line(Frame("blockme", "alice"));
    mallory.line(Frame("decline", "carol"));
    mallory.line(Frame("inf", "../../../etc/evil", "", "bob"));
    mallory.line(Frame("pluginrequest", "alice", "", "../.."));
    mallory.line(Frame("startsendfile", "alice", "/etc/passwd", "4000"));
    mallory.line(std::string(3000, 'A'));
    Application::ProcessMessagesUntil([] { return false; }, 1500);

    EXPECT_NE(bob.cnt("alice").find("online=1"), std::string::npos);
    EXPECT_TRUE(bob.dirs.exists("windows/my friends/bob/carol.cnt"));
    EXPECT_EQ(bob.process->command("peerhooks"), "ok");
    EXPECT_TRUE(bob.process->running());
    EXPECT_NE(alice.cnt("bob").find("online=1"), std::string::npos);
}

TEST(BuddyPeer, TwoHostsLogOnThroughTheServiceAndFindEachOther)
{
    ScratchDirs serviceDirs;
    ServiceProcess service({ "--db", serviceDirs.root() + "/service.db", "--user", "alice:pw", "--user", "bob:pw" });
    ASSERT_TRUE(service.started()) << service.error();
    Host bob("bob", 3);
    bob.lists("alice");
    Host alice("alice", 2);
    alice.lists("bob");
    for (Host* host : { &alice, &bob })
        host->dirs.write("app/servers.ini", "[servers]\r\n0=" + service.hostPort() + "\r\n");
    bob.start();
    ASSERT_TRUE(bob.process->signOn());
    alice.start();
    ASSERT_TRUE(alice.process->signOn());
    EXPECT_TRUE(alice.seesOnline("bob", true)) << alice.cnt("bob");
    EXPECT_TRUE(bob.seesOnline("alice", true)) << bob.cnt("alice");

    EXPECT_EQ(bob.process->command("click\tForm1\tSpeedButton2"), "ok");
    EXPECT_TRUE(alice.seesOnline("bob", false)) << alice.cnt("bob");
}

TEST(BuddyPeer, AWrongPasswordAtTheServiceSaysSoAndShowsNoService)
{
    ScratchDirs serviceDirs;
    ServiceProcess service({ "--db", serviceDirs.root() + "/service.db", "--user", "alice:pw" });
    ASSERT_TRUE(service.started()) << service.error();
    Host alice("alice", 2);
    alice.dirs.write("app/servers.ini", "[servers]\r\n0=" + service.hostPort() + "\r\n");
    alice.start();
    ASSERT_TRUE(alice.process->signOn("wrong"));
    const std::string message = "Unable to login to messaging service, your password may be incorrect.";
    EXPECT_TRUE(Application::ProcessMessagesUntil(
        [&] { return alice.process->command("boxes").find(message) != std::string::npos; }, 15000))
        << alice.process->command("boxes");
    EXPECT_EQ(alice.process->command("text\tForm1\tChnName"), "ok NO SERVICE");
}
