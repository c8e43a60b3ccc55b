#include "client/core/peerlists.h"

#include <gtest/gtest.h>

TEST(PeerLists, PendingNamesAreCaseBlindAndBounded)
{
    TPeerLists lists;
    EXPECT_TRUE(lists.AddPending("Dave"));
    EXPECT_TRUE(lists.IsPending("DAVE"));
    for (std::size_t i = 1; i < TPeerLists::kMaxPending; ++i)
        EXPECT_TRUE(lists.AddPending("n" + std::to_string(i)));
    EXPECT_FALSE(lists.AddPending("one too many"));
    EXPECT_FALSE(lists.IsPending("one too many"));
    lists.RemovePending("dave");
    EXPECT_TRUE(lists.AddPending("one too many"));
}

TEST(PeerLists, AnOfferedFileIsTakenOnceAndOnlyByItsBuddy)
{
    TPeerLists lists;
    lists.OfferFile("bob", "/home/a/x.txt");
    EXPECT_FALSE(lists.TakeOffer("carol", "/home/a/x.txt"));
    EXPECT_FALSE(lists.TakeOffer("bob", "/home/a/X.txt"));
    EXPECT_TRUE(lists.TakeOffer("BOB", "/home/a/x.txt"));
    EXPECT_FALSE(lists.TakeOffer("bob", "/home/a/x.txt"));
}

TEST(PeerLists, ChatWindowsByKeyAndSignOffEmptiesEverything)
{
    TPeerLists lists;
    lists.AddChat("Conference*", "");
    lists.AddChat("bob*", "first");
    EXPECT_TRUE(lists.FindChat("conference*")->IsHost());
    EXPECT_FALSE(lists.FindChat("BOB*")->IsHost());
    lists.AddPluginSocket("{927971f5-1}");
    lists.AddPending("dave");
    lists.Clear();
    EXPECT_EQ(lists.FindChat("bob*"), nullptr);
    EXPECT_FALSE(lists.HasPluginSocket("{927971f5-1}"));
    EXPECT_FALSE(lists.IsPending("dave"));
}
