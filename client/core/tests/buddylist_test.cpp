#include "client/core/buddylist.h"

#include <gtest/gtest.h>

#include <QColor>

#include <memory>
#include <string>
#include <vector>

namespace {

Tbuddy* AddBuddy(TBuddyStore& store, const std::string& name, bool online, bool away = false, bool blocked = false)
{
    auto buddy = std::make_unique<Tbuddy>();
    buddy->Name = name;
    buddy->Online = online;
    buddy->Away = away;
    buddy->Blocked = blocked;
    return store.Add(std::move(buddy));
}

// The number of pixels of exactly this colour in a rectangle of the picture.
int CountColor(const QImage& image, QRect area, TColor color)
{
    const QRgb wanted = ToQColor(color).rgb();
    int n = 0;
    area &= image.rect();
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == (wanted & 0xFFFFFF))
                ++n;
    return n;
}

QRect NameArea(int line) { return QRect(TBuddyCanvas::kNameLeft, 5 + 21 * line, 102 - 16, 15); }
QRect IconArea(int line) { return QRect(0, 3 + 21 * line + 1, 16, 16); }

}  // namespace

TEST(BuddyCanvas, OnlineBuddiesComeFirstInNameOrderThenOfflineInGrey)
{
    TBuddyStore store;
    AddBuddy(store, "zed", true);
    AddBuddy(store, "amy", false);
    AddBuddy(store, "Bob", true);
    AddBuddy(store, "carl", false);
    AddBuddy(store, "dora", true);
    TBuddyCanvas canvas;
    canvas.Paint(store);

    EXPECT_EQ(canvas.PictureHeight(), 107);
    EXPECT_EQ(canvas.Picture().width(), 102);
    const std::vector<std::string> expected { "Bob", "dora", "zed", "amy", "carl" };
    for (int line = 0; line < 5; ++line) {
        const Tbuddy* buddy = store.Find(expected[static_cast<std::size_t>(line)]);
        EXPECT_EQ(buddy->Y, 5 + 21 * line) << buddy->Name;
        EXPECT_EQ(buddy->X, 16);
        const TColor colour = line < 3 ? TBuddyCanvas::kOnlineColor : TBuddyCanvas::kOfflineColor;
        EXPECT_GT(CountColor(canvas.Picture(), NameArea(line), colour), 10) << buddy->Name;
    }
    // No lime name among the offline lines.
    EXPECT_EQ(CountColor(canvas.Picture(), NameArea(3), TBuddyCanvas::kOnlineColor), 0);
}

TEST(BuddyCanvas, EmptyListSaysNoBuddiesOnA150PixelPicture)
{
    TBuddyStore store;
    TBuddyCanvas canvas;
    canvas.SetOffset(40);
    canvas.Paint(store);
    EXPECT_EQ(canvas.PictureHeight(), 150);
    EXPECT_EQ(canvas.Offset(), 0);
    EXPECT_GT(CountColor(canvas.Picture(), QRect(5, 5, 97, 16), TBuddyCanvas::kEmptyTextColor), 10);
    const auto moved = canvas.MouseMove(store, 20, 10, 196);
    EXPECT_EQ(moved.over, nullptr);
    EXPECT_EQ(canvas.Hovered(), nullptr);
}

TEST(BuddyCanvas, AwayIsYellowBlockedIsRedAndBlockedAwayShowsBothIcons)
{
    TBuddyStore store;
    AddBuddy(store, "away", true, true);
    AddBuddy(store, "both", true, true, true);
    AddBuddy(store, "cold", false, false, true);
    TBuddyCanvas canvas;
    canvas.Paint(store);
    const QImage& picture = canvas.Picture();

    EXPECT_GT(CountColor(picture, NameArea(0), TBuddyCanvas::kAwayColor), 10);
    EXPECT_GT(CountColor(picture, NameArea(1), TBuddyCanvas::kBlockedColor), 10);
    EXPECT_EQ(CountColor(picture, NameArea(1), TBuddyCanvas::kAwayColor), 0);
    EXPECT_GT(CountColor(picture, NameArea(2), TBuddyCanvas::kBlockedColor), 10);

    // Away icon alone, both icons for the blocked away buddy.
    EXPECT_GT(CountColor(picture, IconArea(0), RGB(255, 255, 0)), 0);
    EXPECT_EQ(CountColor(picture, IconArea(0), RGB(255, 0, 0)), 0);
    EXPECT_GT(CountColor(picture, IconArea(1), RGB(255, 255, 0)), 0);
    EXPECT_GT(CountColor(picture, IconArea(1), RGB(255, 0, 0)), 0);
}

TEST(BuddyCanvas, PictureGrowsWithTheListBeyondThreeThousandPixels)
{
    TBuddyStore store;
    for (int i = 0; i < 200; ++i)
        AddBuddy(store, "b" + std::to_string(1000 + i), false);
    TBuddyCanvas canvas;
    canvas.Paint(store);
    EXPECT_EQ(canvas.PictureHeight(), 21 * 200 + 2);
    EXPECT_GT(CountColor(canvas.Picture(), NameArea(199), TBuddyCanvas::kOfflineColor), 10);
}

TEST(BuddyCanvas, OfflineBuddiesLoseTheirAddressWhenPainted)
{
    TBuddyStore store;
    AddBuddy(store, "gone", false)->PeerAddress = "10.0.0.9";
    AddBuddy(store, "here", true)->PeerAddress = "10.0.0.8";
    TBuddyCanvas canvas;
    canvas.Paint(store);
    EXPECT_EQ(store.Find("gone")->PeerAddress, "");
    EXPECT_EQ(store.Find("here")->PeerAddress, "10.0.0.8");
}

TEST(BuddyCanvas, HoverUnderlinesTheNameUnderThePointerAndRemembersIt)
{
    TBuddyStore store;
    AddBuddy(store, "ann", true);
    AddBuddy(store, "ben", true);
    TBuddyCanvas canvas;
    canvas.Paint(store);
    const int plain = CountColor(canvas.Picture(), NameArea(1), TBuddyCanvas::kOnlineColor);

    const auto over = canvas.MouseMove(store, 30, 5 + 21 + 4, 196);
    ASSERT_NE(over.over, nullptr);
    EXPECT_EQ(over.over->Name, "ben");
    EXPECT_EQ(canvas.HoveredName(), "ben");
    EXPECT_GT(CountColor(canvas.Picture(), NameArea(1), TBuddyCanvas::kOnlineColor), plain);

    // Off the lines: the name is cleared, the buddy stays, the underline goes.
    canvas.MouseMove(store, 30, 120, 196);
    EXPECT_EQ(canvas.HoveredName(), "");
    ASSERT_NE(canvas.Hovered(), nullptr);
    EXPECT_EQ(canvas.Hovered()->Name, "ben");
    EXPECT_EQ(CountColor(canvas.Picture(), NameArea(1), TBuddyCanvas::kOnlineColor), plain);
}

TEST(BuddyCanvas, KeysScrollBy18WithinThePicture)
{
    TBuddyStore store;
    for (int i = 0; i < 12; ++i)
        AddBuddy(store, "b" + std::to_string(10 + i), true);
    TBuddyCanvas canvas;
    canvas.Paint(store);  // 254 high
    const int box = 200;
    EXPECT_TRUE(canvas.ScrollDownKey(box));
    EXPECT_EQ(canvas.Offset(), 18);
    EXPECT_TRUE(canvas.ScrollDownKey(box));
    EXPECT_FALSE(canvas.ScrollDownKey(box));  // reaches the bottom: no sound
    EXPECT_EQ(canvas.Offset(), 54);
    EXPECT_FALSE(canvas.ScrollDownKey(box));
    EXPECT_EQ(canvas.Offset(), 54);
    EXPECT_TRUE(canvas.ScrollUpKey());
    EXPECT_EQ(canvas.Offset(), 36);
    canvas.ScrollUpKey();
    EXPECT_FALSE(canvas.ScrollUpKey());
    EXPECT_EQ(canvas.Offset(), 0);
}

TEST(BuddyCanvas, DragScrollingStopsAtZeroAndAtTheBottom)
{
    TBuddyStore store;
    for (int i = 0; i < 12; ++i)
        AddBuddy(store, "b" + std::to_string(10 + i), true);
    TBuddyCanvas canvas;
    canvas.Paint(store);
    const int box = 200;
    canvas.MouseMove(store, 50, 150, box);
    canvas.MouseDown(50, 150);
    auto r = canvas.MouseMove(store, 50, 140, box);
    EXPECT_TRUE(r.scrolled);
    EXPECT_EQ(canvas.Offset(), 10);
    EXPECT_TRUE(r.scrollSound);
    canvas.MouseMove(store, 50, 0, box);
    EXPECT_EQ(canvas.Offset(), 254 - box);
    canvas.MouseMove(store, 50, 190, box);
    EXPECT_EQ(canvas.Offset(), 0);
    // A release far from the press point is no click.
    EXPECT_FALSE(canvas.MouseUp(50, 190));
    EXPECT_FALSE(canvas.Dragging());
}

TEST(BuddyCanvas, SmallMovesNeitherScrollNorSpoilAClick)
{
    TBuddyStore store;
    for (int i = 0; i < 12; ++i)
        AddBuddy(store, "b" + std::to_string(10 + i), true);
    TBuddyCanvas canvas;
    canvas.Paint(store);
    canvas.MouseDown(40, 40);
    const auto r = canvas.MouseMove(store, 41, 42, 200);
    EXPECT_FALSE(r.scrolled);
    EXPECT_EQ(canvas.Offset(), 0);
    EXPECT_TRUE(canvas.MouseUp(42, 42));
}

TEST(BuddyCanvas, ShortListNeverScrolls)
{
    TBuddyStore store;
    AddBuddy(store, "one", true);
    TBuddyCanvas canvas;
    canvas.Paint(store);
    EXPECT_FALSE(canvas.ScrollDownKey(200));
    EXPECT_EQ(canvas.Offset(), 0);
    EXPECT_FALSE(canvas.StepDown(200));
    EXPECT_FALSE(canvas.StepUp());
}
