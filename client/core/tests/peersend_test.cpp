#include "client/core/peersend.h"

#include "peersessiontest.h"

namespace {

class PeerSend : public PeerSessionTest {};

}  // namespace

TEST_F(PeerSend, AChatFrameTooLongIsNotSentAndTheCallerIsTold)
{
    ScriptedPeer bob = Online("bob", 2);
    EXPECT_FALSE(SendChatCommand("chat", "bob", std::string(1100, 'x')));
    EXPECT_TRUE(SendChatCommand("chat", "bob", "short"));
    EXPECT_EQ(bob.readLine(), Frame("chat", "alice", "bob", "short"));
}

TEST_F(PeerSend, SendBuddyCommandGoesToOneNamedBuddyOrToAll)
{
    ScriptedPeer bob = Online("bob", 2);
    ScriptedPeer carol = Online("carol", 3);
    EXPECT_TRUE(SendBuddyCommand("ping", ""));
    EXPECT_EQ(bob.readLine(), Frame("ping", "alice", "alice@example.org"));
    EXPECT_EQ(carol.readLine(), Frame("ping", "alice", "alice@example.org"));
    EXPECT_TRUE(SendBuddyCommand("pluginrequest", "carol"));
    EXPECT_EQ(carol.readLine(), Frame("pluginrequest", "alice", "alice@example.org", "carol"));
    EXPECT_EQ(Introduce(bob, "bob"), "\xFC") << "bob was sent nothing more";
}

TEST_F(PeerSend, SendFileToRefusesAFolder)
{
    ScriptedPeer bob = Online("bob", 2);
    SendFileTo("bob", dirs.root());
    ASSERT_EQ(dialogs::History().size(), 1u);
    EXPECT_EQ(dialogs::History()[0].request.text, "\rFolder transfers not permitted. Please select file(s) individually.");
    EXPECT_EQ(Introduce(bob, "bob"), "\xFC") << "bob was offered nothing";
}

TEST_F(PeerSend, SendFileToNamesAFileThatCannotBeRead)
{
    SendFileTo("bob", dirs.root() + "/share/missing.txt");
    ASSERT_EQ(dialogs::History().size(), 1u);
    EXPECT_EQ(dialogs::History()[0].request.text,
              "\rThe file MISSING.TXT is in use by another application, close file then retry.");
}

TEST_F(PeerSend, SendFileToAnOfflineOrAwayBuddyOffersNothing)
{
    dirs.write("share/a.txt", "abc");
    SendFileTo("bob", dirs.root() + "/share/a.txt");
    ASSERT_EQ(dialogs::History().size(), 1u);
    EXPECT_EQ(dialogs::History()[0].request.text, "\rSorry, 'bob' is not online. You may want to try again later.");
    ScriptedPeer bob = Online("bob", 2);
    bob.sendLine(Frame("away", "bob", "", "out"));
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return Buddy("bob").Away; }, 5000));
    SendFileTo("bob", dirs.root() + "/share/a.txt");
    ASSERT_EQ(dialogs::History().size(), 2u);
    EXPECT_EQ(dialogs::History()[1].request.text, "\rThis buddy is away from their computer. Please try again later.");
    EXPECT_EQ(Introduce(bob, "bob"), "\xFC") << "bob was offered nothing";
}
