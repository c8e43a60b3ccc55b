#include "client/core/buddyfile.h"
#include "client/core/buddytoast.h"
#include "client/core/mainbar.h"
#include "client/core/session.h"
#include "platform/testing/scratch.h"
#include "platform/ui/dialogs.h"
#include "platform/win/sound.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

class FakeSocket final : public TBuddySocket {
public:
    explicit FakeSocket(std::string address) : m_address(std::move(address)) {}
    std::string PeerAddress() const override { return m_address; }
    void Close() override { ++closed; }
    int closed { 0 };

private:
    std::string m_address;
};

// A signed-on user "me" with a main bar and a toast, sounds on and observed.
class BuddyTransitions : public ::testing::Test {
protected:
    void SetUp() override
    {
        Session() = TSession();
        Session().userId = "me";
        Session().sound = true;
        Session().online = true;
        dirs.write("windows/my friends/me/user.dat", "[user]\r\n");
        sound::SetObserver([this](const std::string& file, unsigned) {
            if (!file.empty())
                sounds.push_back(file.substr(file.find_last_of('/') + 1));
        });
        dialogs::ClearHistory();
        bar = std::make_unique<TForm1>();
        toast = Form13;
    }
    void TearDown() override
    {
        sound::SetObserver(nullptr);
        dialogs::SetResponder(nullptr);
        bar.reset();
    }
    std::string Cnt(const std::string& name) const { return dirs.read("windows/my friends/me/" + name + ".cnt"); }

    ScratchDirs dirs;
    std::vector<std::string> sounds;
    std::unique_ptr<TForm1> bar;
    TForm13* toast { nullptr };  // the bar's own
};

}  // namespace

TEST_F(BuddyTransitions, LoadBuddyFilesReadsTheContactFilesAndMarksThemOffline)
{
    dirs.write("windows/my friends/me/ann.cnt", "[Friend]\r\nUserID=ann\r\nonline=1\r\n");
    dirs.write("windows/my friends/me/bob.cnt", "[friend]\r\nblock=1\r\nDirectConnect=10.1.1.1\r\n");
    dirs.write("windows/my friends/me/bad name.cnt", "[Friend]\r\n");
    LoadBuddyFiles(true);
    ASSERT_EQ(bar->FriendsListBox.Count(), 2);
    EXPECT_TRUE(bar->FindBuddy("BOB")->Blocked);
    EXPECT_EQ(bar->FindBuddy("bob")->DirectConnect, "10.1.1.1");
    EXPECT_FALSE(bar->FindBuddy("ann")->Blocked);
    EXPECT_NE(Cnt("ann").find("online=0"), std::string::npos);
}

TEST_F(BuddyTransitions, OnlineThenAwayThenBackThenOffline)
{
    dirs.write("windows/my friends/me/ann.cnt", "[Friend]\r\nUserID=ann\r\n");
    LoadBuddyFiles(true);
    FakeSocket socket("10.0.0.7");

    SetBuddyOnline("ann", "ann@example.org", &socket, true);
    Tbuddy* ann = bar->FindBuddy("ann");
    EXPECT_TRUE(ann->Online);
    EXPECT_EQ(ann->KeepAlive, 300);
    EXPECT_EQ(ann->PeerAddress, "10.0.0.7");
    EXPECT_TRUE(HasPeerSocket("ANN"));
    EXPECT_EQ(FindBuddySocket("ann"), &socket);
    EXPECT_EQ(sounds, (std::vector<std::string> { "remind.wav" }));
    EXPECT_EQ(toast->Text(), "ann is online");
    EXPECT_EQ(toast->BackgroundColor(), clYellow);
    EXPECT_TRUE(toast->Visible());
    EXPECT_NE(Cnt("ann").find("email=ann@example.org"), std::string::npos);
    EXPECT_NE(Cnt("ann").find("online=1"), std::string::npos);
    EXPECT_EQ(TBuddyCanvas::NameColor(*ann), TBuddyCanvas::kOnlineColor);

    SetBuddyAway("ANN", true, "lunch");
    EXPECT_TRUE(GetBuddyAway("ann"));
    EXPECT_EQ(ann->AwayMessage, "lunch");
    EXPECT_EQ(ann->Color, TBuddyCanvas::kAwayColor);

    SetBuddyAway("ann", false, "");
    EXPECT_FALSE(GetBuddyAway("ann"));
    EXPECT_EQ(ann->Color, TBuddyCanvas::kOnlineColor);

    MarkBuddyOffline("ann", &socket);
    EXPECT_FALSE(GetBuddyConnected("ann"));
    EXPECT_EQ(ann->KeepAlive, 30);
    EXPECT_EQ(ann->PeerAddress, "");
    EXPECT_EQ(socket.closed, 1);
    EXPECT_FALSE(HasPeerSocket("ann"));
    EXPECT_EQ(toast->Text(), "ann is offline");
    EXPECT_EQ(toast->BackgroundColor(), clWhite);
    EXPECT_EQ(sounds, (std::vector<std::string> { "remind.wav", "alert2.wav" }));
    EXPECT_NE(Cnt("ann").find("online=0"), std::string::npos);
    EXPECT_EQ(ann->Color, TBuddyCanvas::kOfflineColor);
}

TEST_F(BuddyTransitions, TwoBuddiesComingOnlineShareTheToast)
{
    dirs.write("windows/my friends/me/Ann.cnt", "[Friend]\r\n");
    dirs.write("windows/my friends/me/Bob.cnt", "[Friend]\r\n");
    LoadBuddyFiles(true);
    FakeSocket a("10.0.0.1"), b("10.0.0.2");
    SetBuddyOnline("Ann", "", &a, true);
    SetBuddyOnline("Bob", "", &b, true);
    EXPECT_EQ(toast->Text(), "ann, bob are online");
    EXPECT_EQ(toast->Width(), 6 * static_cast<int>(std::string("ann, bob are online").size()));
    EXPECT_EQ(OnlineToastText("ann, bob are online", "Cy", tkOnline), "ann, bob, cy are online");
}

TEST_F(BuddyTransitions, AnAcceptedStrangerIsAddedWithAContactFile)
{
    FakeSocket socket("10.0.0.3");
    SetBuddyOnline("newbie", "n@example.org", &socket, true);
    ASSERT_NE(bar->FindBuddy("newbie"), nullptr);
    const std::string cnt = Cnt("newbie");
    EXPECT_NE(cnt.find("UserID=newbie"), std::string::npos);
    EXPECT_NE(cnt.find("UserRef=newbie"), std::string::npos);
    EXPECT_NE(cnt.find("online=1"), std::string::npos);
}

TEST_F(BuddyTransitions, ANetworkNameThatIsNoValidUserIdWritesNoFile)
{
    FakeSocket socket("10.0.0.4");
    SetBuddyOnline("../../evil", "", &socket, true);
    SetBuddyOnline("a b", "", &socket, true);
    EXPECT_EQ(bar->FriendsListBox.Count(), 0);
    EXPECT_FALSE(dirs.exists("windows/my friends/evil.cnt"));
    EXPECT_FALSE(dirs.exists("windows/my friends/me/a b.cnt"));
    EXPECT_TRUE(sounds.empty());
}

TEST_F(BuddyTransitions, UnknownNamesGoingOfflineOrAwayAreIgnored)
{
    FakeSocket socket("10.0.0.5");
    MarkBuddyOffline("ghost", &socket);
    SetBuddyAway("ghost", true, "x");
    EXPECT_EQ(bar->FriendsListBox.Count(), 0);
    EXPECT_EQ(socket.closed, 0);
    EXPECT_FALSE(dirs.exists("windows/my friends/me/ghost.cnt"));
}

TEST_F(BuddyTransitions, The257thBuddyIsRefusedAndTheUserIsTold)
{
    for (int i = 0; i < 256; ++i) {
        auto buddy = std::make_unique<Tbuddy>();
        buddy->Name = "b" + std::to_string(i);
        bar->FriendsListBox.Add(std::move(buddy));
    }
    dialogs::SetResponder([](const dialogs::DialogRequest&) { return IDOK; });
    FakeSocket socket("10.0.0.6");
    SetBuddyOnline("late", "", &socket, true);
    EXPECT_EQ(bar->FriendsListBox.Count(), 256);
    EXPECT_FALSE(dirs.exists("windows/my friends/me/late.cnt"));
    ASSERT_EQ(dialogs::History().size(), 1u);
    EXPECT_EQ(dialogs::History()[0].request.text, BuddyListFullText());
}

TEST_F(BuddyTransitions, DeletingAnOnlineBuddyClosesItsConnectionAndFile)
{
    dirs.write("windows/my friends/me/ann.cnt", "[Friend]\r\n");
    LoadBuddyFiles(true);
    FakeSocket socket("10.0.0.8");
    SetBuddyOnline("ann", "", &socket, true);
    dialogs::QueueAnswer(IDYES);
    bar->DeleteBuddy("ann", true);
    ASSERT_FALSE(dialogs::History().empty());
    EXPECT_EQ(dialogs::History().back().request.text,
              "\rAre you sure you want to delete 'ANN' from your buddy list?");
    EXPECT_EQ(socket.closed, 1);
    EXPECT_EQ(bar->FindBuddy("ann"), nullptr);
    EXPECT_FALSE(HasPeerSocket("ann"));
    EXPECT_FALSE(dirs.exists("windows/my friends/me/ann.cnt"));
    EXPECT_EQ(bar->BuddyCanvas.PictureHeight(), 150);
}

TEST_F(BuddyTransitions, AnsweringNoKeepsTheBuddy)
{
    dirs.write("windows/my friends/me/ann.cnt", "[Friend]\r\n");
    LoadBuddyFiles(true);
    dialogs::QueueAnswer(IDNO);
    bar->DeleteBuddy("ann", true);
    EXPECT_NE(bar->FindBuddy("ann"), nullptr);
    EXPECT_TRUE(dirs.exists("windows/my friends/me/ann.cnt"));
}

TEST_F(BuddyTransitions, AddBuddyWritesItsFileAndListsIt)
{
    Tbuddy buddy;
    buddy.Name = "carol";
    bar->AddBuddy(buddy);
    EXPECT_NE(bar->FindBuddy("carol"), nullptr);
    EXPECT_NE(Cnt("carol").find("UserID=carol"), std::string::npos);
    EXPECT_NE(Cnt("carol").find("UserRef=carol"), std::string::npos);
    EXPECT_EQ(bar->BuddyCanvas.PictureHeight(), 23);
}

TEST_F(BuddyTransitions, BlockToggleWritesTheFileAndRedrawsInRed)
{
    dirs.write("windows/my friends/me/ann.cnt", "[Friend]\r\n");
    LoadBuddyFiles(true);
    bar->PaintBuddyList();
    bar->BuddyCanvas.MouseMove(bar->FriendsListBox, 30, 8, 196);
    ASSERT_NE(bar->BuddyCanvas.Hovered(), nullptr);
    bar->BlockedClick();
    EXPECT_TRUE(IsBuddyBlocked("ann"));
    EXPECT_NE(Cnt("ann").find("BLOCK=1"), std::string::npos);
    EXPECT_EQ(bar->FindBuddy("ann")->Color, TBuddyCanvas::kBlockedColor);
    bar->BlockedClick();
    EXPECT_FALSE(IsBuddyBlocked("ann"));
    EXPECT_NE(Cnt("ann").find("BLOCK=0"), std::string::npos);
}

TEST_F(BuddyTransitions, MoreThan256ContactFilesLoadTheFirst256AndSaySoOnce)
{
    for (int i = 0; i < 260; ++i)
        dirs.write("windows/my friends/me/b" + std::to_string(1000 + i) + ".cnt", "[Friend]\r\n");
    dialogs::SetResponder([](const dialogs::DialogRequest&) { return IDOK; });
    LoadBuddyFiles(true);
    EXPECT_EQ(bar->FriendsListBox.Count(), 256);
    ASSERT_EQ(dialogs::History().size(), 1u);
    EXPECT_EQ(dialogs::History()[0].request.text, BuddyListFullText());
    bar->PaintBuddyList();
    EXPECT_EQ(bar->BuddyCanvas.PictureHeight(), 21 * 256 + 2);
    EXPECT_EQ(Session().lastBuddyIndex, 255);
}

TEST_F(BuddyTransitions, WithoutAUserNoContactFileIsReadOrWritten)
{
    dirs.write("windows/my friends/stray.cnt", "[Friend]\r\n");
    Session().userId = "";
    LoadBuddyFiles(true);
    EXPECT_EQ(bar->FriendsListBox.Count(), 0);
    WriteBuddyIdentity("ann");
    EXPECT_FALSE(dirs.exists("windows/my friends/ann.cnt"));
}
