#include "peer_host.h"

#include "platform/testing/serviceprocess.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

bool Eventually(const std::function<bool()>& condition, int timeoutMs = 15000)
{
    return Application::ProcessMessagesUntil(condition, timeoutMs);
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

// A window of the program is shown under that caption.
bool Shows(LarkspireProcess& process, const std::string& caption)
{
    return Eventually([&] { return Has(process.command("find\t" + caption), "\t1\t"); });
}

// bob opens a chat with his first buddy and says a line: it reaches that buddy's program, which asks its user.
bool ChatReaches(LarkspireProcess& bob, LarkspireProcess& buddy, const std::string& window)
{
    if (bob.command("rclick\tForm1\tfrCanvas1\t40,8") != "ok") {
        // The buddy list shows in place of the channels once the button is pressed.
        bob.command("drag\tForm1\tActiveButton1\t5,5\t5,5");
        if (!Eventually([&] { return bob.command("rclick\tForm1\tfrCanvas1\t40,8") == "ok"; }, 5000))
            return false;
    }
    if (!Eventually([&] { return bob.command("menu\tForm1\tChat") == "ok"; }, 5000) || !Shows(bob, window)
        || bob.command("set\t" + window + "\tmemo3\tare you there?") != "ok"
        || bob.command("key\t" + window + "\tmemo3\tReturn") != "ok" || !Shows(buddy, "Incoming Request..."))
        return false;
    return Has(buddy.command("text\tIncoming Request...\tLabel1"), "BOB is requesting to chat with you.");
}

// A session that signed off signs on again from its sign-on window.
bool SignOnAgain(LarkspireProcess& process)
{
    return Shows(process, "Sign On") && process.signOn();
}

}  // namespace

TEST(BuddyPeer, TwoHostsFindEachOtherWithoutTheService)
{
    Host bob("bob", 3);
    // Without the service, a buddy is known only at its fixed address.
    bob.lists("alice", "DirectConnect=" + LoopbackHost(2) + "\r\n");
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
    // Each has handled the other's call on the line the chat takes.
    EXPECT_TRUE(ChatReaches(*bob.process, *alice.process, "alice - Korvo"));
    EXPECT_NE(alice.cnt("bob").find("online=1"), std::string::npos);
    EXPECT_NE(bob.cnt("alice").find("online=1"), std::string::npos);
}

TEST(BuddyPeer, AwayIsToldToABuddyThatConnectsLater)
{
    Host bob("bob", 3);
    bob.lists("alice", "DirectConnect=" + LoopbackHost(2) + "\r\n");
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
    ASSERT_TRUE(Eventually([&] { return HungUp(alice.address, bob.address, 8096); })) << "alice's call is over";
    EXPECT_NE(alice.cnt("bob").find("online=0"), std::string::npos);
    EXPECT_NE(bob.cnt("alice").find("online=0"), std::string::npos);
}

TEST(BuddyPeer, AHostilePeersSpoofsChangeNothing)
{
    Host bob("bob", 3);
    bob.lists("alice", "DirectConnect=" + LoopbackHost(2) + "\r\n");
    bob.lists("carol");
    Host alice("alice", 2);
    alice.lists("bob", "DirectConnect=" + bob.address + "\r\n");
    bob.start();
    ASSERT_TRUE(bob.process->signOn());
    alice.start();
    ASSERT_TRUE(alice.process->signOn());
    ASSERT_TRUE(bob.seesOnline("alice", true));
    ASSERT_TRUE(alice.seesOnline("bob", true));

    HostilePeer mallory(LoopbackHost(9), bob.address);
    ASSERT_TRUE(mallory.connected());
    mallory.line(Frame("decline", "alice"));
    mallory.line(Frame("blockme", "alice"));
    mallory.line(Frame("decline", "carol"));
    mallory.line(Frame("inf", "../../../etc/evil", "", "bob"));
    mallory.line(Frame("pluginrequest", "alice", "", "../.."));
    mallory.line(Frame("startsendfile", "alice", "/etc/passwd", "4000"));
    mallory.line(std::string(3000, 'A'));
    // The call ends once bob has read what came before its end.
    ASSERT_TRUE(mallory.ended());

    EXPECT_NE(bob.cnt("alice").find("online=1"), std::string::npos);
    EXPECT_TRUE(bob.dirs.exists("windows/my friends/bob/carol.cnt"));
    EXPECT_EQ(bob.process->command("peerhooks"), "ok");
    EXPECT_TRUE(bob.process->running());
    EXPECT_NE(alice.cnt("bob").find("online=1"), std::string::npos);
}

TEST(BuddyPeer, TwoHostsLogOnThroughTheServiceAndFindEachOther)
{
    AliceAndBobService service;
    ASSERT_TRUE(service.service.started()) << service.service.error();
    Host bob("bob", 3);
    bob.lists("alice");
    Host alice("alice", 2);
    alice.lists("bob");
    for (Host* host : { &alice, &bob })
        service.serves(*host);
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

TEST(BuddyPeer, AnotherHostsInfForABuddyIsRefusedAndTheBuddiesTalkOn)
{
    AliceAndBobService service;
    ASSERT_TRUE(service.service.started()) << service.service.error();
    Host alice("alice", 2);
    alice.lists("bob");
    Host bob("bob", 3);
    bob.lists("alice");
    for (Host* host : { &alice, &bob })
        service.serves(*host);
    // alice first, so bob's lookup tells him where she is.
    alice.start();
    ASSERT_TRUE(alice.process->signOn());
    bob.start();
    ASSERT_TRUE(bob.process->signOn());
    ASSERT_TRUE(bob.seesOnline("alice", true)) << bob.cnt("alice");
    ASSERT_TRUE(alice.seesOnline("bob", true)) << alice.cnt("bob");

    const std::string before = bob.cnt("alice");
    HostilePeer mallory(LoopbackHost(9), bob.address);
    ASSERT_TRUE(mallory.connected());
    mallory.line(Frame("inf", "alice", "x@evil", "bob"));
    EXPECT_EQ(mallory.readLine(), "\xFE");
    EXPECT_TRUE(mallory.closedUnanswered());
    // Her name in other letters, with a decline behind it, fares no better.
    HostilePeer again(LoopbackHost(9), bob.address);
    again.send(Frame("inf", "ALICE", "x@evil", "bob") + "\r\n" + Frame("decline", "alice") + "\r\n");
    EXPECT_EQ(again.readLine(), "\xFE");
    EXPECT_TRUE(again.closedUnanswered());
    EXPECT_EQ(bob.cnt("alice"), before);

    // bob's frames still go to alice.
    EXPECT_TRUE(ChatReaches(*bob.process, *alice.process, "alice - Korvo"));

    // Offline, alice is still only herself at the address looked up.
    EXPECT_EQ(alice.process->command("click\tForm1\tSpeedButton2"), "ok");
    ASSERT_TRUE(bob.seesOnline("alice", false)) << bob.cnt("alice");
    const std::string offline = bob.cnt("alice");
    HostilePeer later(LoopbackHost(9), bob.address);
    later.send(Frame("inf", "alice", "x@evil", "bob") + "\r\n" + Frame("decline", "alice") + "\r\n");
    EXPECT_EQ(later.readLine(), "\xFE");
    EXPECT_TRUE(later.closedUnanswered());
    EXPECT_EQ(bob.cnt("alice"), offline);
    ASSERT_TRUE(SignOnAgain(*alice.process));
    EXPECT_TRUE(bob.seesOnline("alice", true)) << bob.cnt("alice");
}

TEST(BuddyPeer, CallersThatNeverIntroduceThemselvesLoseTheirSlots)
{
    setenv("KORVO_INTRODUCTION_MS", "1000", 1);
    Buddies users({ { "alice", 2 }, { "bob", 3 } });
    users[1].lists("carol", "DirectConnect=" + LoopbackHost(4) + "\r\n");
    const bool online = users.signOn();
    unsetenv("KORVO_INTRODUCTION_MS");
    ASSERT_TRUE(online);
    Host& bob = users[1];

    // Every slot taken by callers from many addresses that say nothing.
    std::vector<std::unique_ptr<HostilePeer>> silent;
    for (int i = 0; i < 100; ++i)
        silent.push_back(std::make_unique<HostilePeer>(LoopbackHost(10 + i / 4), bob.address));
    ASSERT_TRUE(silent.front()->closedUnanswered());
    ASSERT_TRUE(silent.back()->closedUnanswered());

    // carol, a buddy calling now, gets in; alice and bob talk on.
    HostilePeer carol(LoopbackHost(4), bob.address);
    carol.line(Frame("inf", "carol", "carol@example.org", "bob"));
    EXPECT_EQ(carol.readLine(), "\xFC");
    EXPECT_TRUE(ChatReaches(*bob.process, *users[0].process, "alice - Korvo"));
}

TEST(BuddyPeer, NobodyIsTakenForABuddyWhoseAddressIsNotKnown)
{
    AliceAndBobService service;
    ASSERT_TRUE(service.service.started()) << service.service.error();
    Host alice("alice", 2);
    alice.lists("bob");
    Host bob("bob", 3);
    bob.lists("alice");
    // carol's fixed address is a host name, which is no address of the caller's.
    bob.lists("carol", "DirectConnect=localhost\r\n");
    for (Host* host : { &alice, &bob })
        service.serves(*host);
    // bob first: alice is offline at his lookup.
    bob.start();
    ASSERT_TRUE(bob.process->signOn());
    const std::string before = bob.cnt("alice");
    for (const char* name : { "alice", "carol" }) {
        HostilePeer mallory(LoopbackHost(9), bob.address);
        ASSERT_TRUE(mallory.connected());
        mallory.send(Frame("inf", name, "x@evil", "bob") + "\r\n" + Frame("decline", name) + "\r\n");
        EXPECT_EQ(mallory.readLine(), "\xFE") << name;
        EXPECT_TRUE(mallory.closedUnanswered()) << name;
    }
    EXPECT_EQ(bob.cnt("alice"), before);
    EXPECT_TRUE(bob.dirs.exists("windows/my friends/bob/carol.cnt"));

    // The real alice then comes online at bob's and talks with him.
    alice.start();
    ASSERT_TRUE(alice.process->signOn());
    EXPECT_TRUE(bob.seesOnline("alice", true)) << bob.cnt("alice");
    EXPECT_TRUE(alice.seesOnline("bob", true)) << alice.cnt("bob");
    EXPECT_TRUE(ChatReaches(*bob.process, *alice.process, "alice - Korvo"));
}

TEST(BuddyPeer, ABuddyJustAddedByHerRequestIsStillOnlyHerself)
{
    AliceAndBobService service;
    ASSERT_TRUE(service.service.started()) << service.service.error();
    Host alice("alice", 2);
    alice.lists("bob");
    Host bob("bob", 3);
    for (Host* host : { &alice, &bob })
        service.serves(*host);
    bob.start();
    ASSERT_TRUE(bob.process->signOn());
    alice.start();
    ASSERT_TRUE(alice.process->signOn());
    ASSERT_TRUE(Shows(*bob.process, "Incoming Request..."));
    ASSERT_EQ(bob.process->command("click\tIncoming Request...\tButton1"), "ok");
    ASSERT_TRUE(bob.seesOnline("alice", true)) << bob.cnt("alice");
    EXPECT_EQ(alice.process->command("click\tForm1\tSpeedButton2"), "ok");
    ASSERT_TRUE(bob.seesOnline("alice", false)) << bob.cnt("alice");

    const std::string before = bob.cnt("alice");
    HostilePeer mallory(LoopbackHost(9), bob.address);
    mallory.send(Frame("inf", "alice", "x@evil", "bob") + "\r\n" + Frame("decline", "alice") + "\r\n");
    EXPECT_EQ(mallory.readLine(), "\xFE");
    EXPECT_TRUE(mallory.closedUnanswered());
    EXPECT_EQ(bob.cnt("alice"), before);
}

TEST(BuddyPeer, ABuddyWhoMovedIsFoundAtHerNewAddress)
{
    AliceAndBobService service;
    ASSERT_TRUE(service.service.started()) << service.service.error();
    Host alice("alice", 2);
    alice.lists("bob");
    Host bob("bob", 3);
    bob.lists("alice");
    Host movedAlice("alice", 5);
    movedAlice.lists("bob");
    for (Host* host : { &alice, &bob, &movedAlice })
        service.serves(*host);
    alice.start();
    ASSERT_TRUE(alice.process->signOn());
    bob.start();
    ASSERT_TRUE(bob.process->signOn());
    ASSERT_TRUE(bob.seesOnline("alice", true)) << bob.cnt("alice");

    // alice moves while bob is signed on: she calls him from her new address.
    EXPECT_EQ(alice.process->command("click\tForm1\tSpeedButton2"), "ok");
    ASSERT_TRUE(bob.seesOnline("alice", false)) << bob.cnt("alice");
    alice.process.reset();
    movedAlice.start();
    ASSERT_TRUE(movedAlice.process->signOn());
    EXPECT_TRUE(bob.seesOnline("alice", true)) << bob.cnt("alice");
    EXPECT_TRUE(movedAlice.seesOnline("bob", true)) << movedAlice.cnt("bob");
    EXPECT_TRUE(ChatReaches(*bob.process, *movedAlice.process, "alice - Korvo"));

    // bob signs on after she moved: his lookup finds her there.
    EXPECT_EQ(bob.process->command("click\tForm1\tSpeedButton2"), "ok");
    ASSERT_TRUE(movedAlice.seesOnline("bob", false)) << movedAlice.cnt("bob");
    ASSERT_TRUE(SignOnAgain(*bob.process));
    EXPECT_TRUE(bob.seesOnline("alice", true)) << bob.cnt("alice");
    EXPECT_TRUE(movedAlice.seesOnline("bob", true)) << movedAlice.cnt("bob");
}

TEST(BuddyPeer, AFloodOfPromptsFromOneAddressLeavesRoomForTheBuddy)
{
    Buddies users({ { "alice", 2 }, { "bob", 3 } });
    Host& alice = users[0];
    Host& bob = users[1];
    bob.start();
    ASSERT_TRUE(bob.process->signOn());

    // One address asks for a place on bob's list under a new name each time.
    std::vector<std::unique_ptr<HostilePeer>> flood;
    int refused = 0;
    for (int i = 0; i < 64; ++i) {
        flood.push_back(std::make_unique<HostilePeer>(LoopbackHost(9), bob.address));
        flood.back()->line(Frame("inf", "stranger" + std::to_string(i), "s@evil", "bob"));
    }
    // A caller put before bob stays on the line and is refused each call for someone else; a refused
    // caller was answered once and hung up on.
    int waiting = 0;
    for (int i = 0; i < 64; ++i) {
        HostilePeer& caller = *flood[static_cast<std::size_t>(i)];
        const std::string elsewhere = Frame("inf", "stranger" + std::to_string(i), "", "nobody");
        caller.line(elsewhere);
        caller.line(elsewhere);
        const std::string first = caller.readLine();
        const std::string second = caller.readLine();
        refused += first == "\xFE" && second.empty();
        waiting += first == "\xFE" && second == "\xFE";
    }
    EXPECT_EQ(refused, 61);
    EXPECT_EQ(waiting, 3);
    EXPECT_EQ(Count(bob.process->command("windows"), ":Incoming Request..."), 3u);

    // The real buddy gets in and talks.
    alice.start();
    ASSERT_TRUE(alice.process->signOn());
    EXPECT_TRUE(bob.seesOnline("alice", true)) << bob.cnt("alice");
    EXPECT_TRUE(ChatReaches(*bob.process, *alice.process, "alice - Korvo"));

    // Sign-off closes every prompt still asking.
    EXPECT_EQ(bob.process->command("click\tForm1\tSpeedButton2"), "ok");
    ASSERT_TRUE(Shows(*bob.process, "Sign On"));
    EXPECT_EQ(Count(bob.process->command("windows"), ":Incoming Request..."), 0u);
}
