#include "client/core/chatrouting.h"

#include "peersessiontest.h"

namespace {

class ChatRouting : public PeerSessionTest {};

}  // namespace

TEST_F(ChatRouting, TheHostRelaysAConferenceLineToTheOthersButNotTheSpeaker)
{
    ScriptedPeer bob = Online("bob", 2);
    ScriptedPeer carol = Online("carol", 3);
    OpenChatWindow("Conference*", "");
    HandleChatLine("Conference*", "\xFA" "bob");
    HandleChatLine("Conference*", "\xFA" "carol");
    EXPECT_EQ(bob.readLine(), Frame("conferencehost", "alice", "bob", "\xFA" "bob"));
    EXPECT_EQ(bob.readLine(), Frame("conferencehost", "alice", "bob", "\xFA" "carol"));
    EXPECT_EQ(carol.readLine(), Frame("conferencehost", "alice", "carol", "\xFA" "carol"));
    // Quotes travel as 0xEF; the host's own relay turns any it meets the same way.
    const std::string line = "{\\rtf1 {\\b\\cf0 bob: \xEFhi\xEF}}";
    bob.sendLine(Frame("conference", "bob", "alice", line));
    EXPECT_EQ(carol.readLine(), Frame("conferencehost", "alice", "carol", line));
    EXPECT_EQ(Introduce(bob, "bob"), "\xFC") << "the speaker is not sent its own line";
    // A member speaks as itself whatever name its text puts first, and no one else is heard.
    bob.sendLine(Frame("conference", "bob", "alice", "{\\rtf1 {\\b\\cf0 carol: I quit}}"));
    EXPECT_EQ(carol.readLine(), Frame("conferencehost", "alice", "carol", "{\\rtf1 {\\b\\cf0 bob: I quit}}"));
    HandleConferenceLine("mallory", "{\\rtf1 {\\b\\cf0 mallory: psst}}");
    HandleConferenceLine("carol", "{\\b\\cf0 carol: say \"cheese\"}");
    EXPECT_EQ(bob.readLine(), Frame("conferencehost", "alice", "bob", "{\\b\\cf0 carol: say \xEF" "cheese\xEF}"));
}

TEST_F(ChatRouting, ExtractSpeakerFindsTheNameBeforeTheColon)
{
    EXPECT_EQ(ExtractSpeaker("{\\rtf1 {\\b\\cf0 bob: hi}}"), "bob");
    EXPECT_EQ(ExtractSpeaker("no mark: here"), "");
    EXPECT_EQ(ExtractSpeaker("a: {\\b\\cf0 bob hi}"), "");
    EXPECT_EQ(ExtractSpeaker("\\b\\cf0 " + std::string(300, 'n') + ": hi"), "");
    EXPECT_EQ(SpokenBy("{\\rtf1 {\\b\\cf0 carol: hi: there}}", "bob"), "{\\rtf1 {\\b\\cf0 bob: hi: there}}");
    EXPECT_EQ(SpokenBy("no mark: here", "bob"), "");
}

TEST_F(ChatRouting, AGuestJoinsAndLeavesTheHostsConferenceOnlyAsItselfAndOnlyWhenInvited)
{
    ScriptedPeer bob = Online("bob", 2);
    OpenChatWindow("Conference*", "");
    AddChatPerson("Conference*", "alice (Host)");
    HandleConferenceLine("carol", "\xFA" "carol");
    InviteToConference("bob");
    HandleConferenceLine("bob", "\xFA" "zed");
    HandleConferenceLine("bob", "\xFA" "alice (Host)");
    HandleConferenceLine("bob", "\xFC" "ghost");
    HandleConferenceLine("bob", "\xFD" "alice (Host)");
    HandleConferenceLine("bob", "\xFA" "bob");
    HandleConferenceLine("carol", "\xFD" "bob");
    EXPECT_EQ(PeerLists().FindChat("Conference*")->persons, (std::vector<std::string> { "alice (Host)", "bob" }));
    HandleConferenceLine("bob", "\xFD" "bob");
    EXPECT_EQ(PeerLists().FindChat("Conference*")->persons, (std::vector<std::string> { "alice (Host)" }));
}
