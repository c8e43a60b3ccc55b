#include "client/features/newsticker.h"
#include "platform/rtl/dates.h"
#include "platform/testing/scratch.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <vector>

namespace {

std::vector<int> Stops(const std::string& stopTops)
{
    std::vector<int> stops;
    std::istringstream in(stopTops);
    int top = 0;
    while (in >> top)
        stops.push_back(top);
    return stops;
}

class NewsTicker : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string ini;
        for (const char* name : { "World", "Sport" }) {
            ini += std::string("[") + name + "]\r\n";
            for (int i = 0; i < 31; ++i)
                ini += std::to_string(i) + "=" + name + " headline " + std::to_string(i) + "\xB6http://site/"
                       + name + std::to_string(i) + ".htm\r\n";
        }
        dirs.write("app/News.ini", ini);
        box.resize(105, 150);
        ticker.Init(&box, &owner);
        ticker.OnOpenLink = [this](const std::string& link) { opened.push_back(link); };
        ticker.OnDragSound = [this] { ++sounds; };
        ticker.Clear();
        ticker.Build(dirs.appDir() + "/News.ini");
    }

    // Steps until the ticker pauses (at most a whole picture's worth).
    void stepToPause()
    {
        ticker.Resume();
        for (int i = 0; i < ticker.Bitmap.height() + 2 && !ticker.Paused(); ++i)
            ticker.Step();
    }

    void click(int x, int y, int releaseX, int releaseY)
    {
        ticker.DownX = x;
        ticker.DownY = y;
        ticker.MouseDown = 1;
        ticker.MouseMove(releaseX, releaseY, false);
        ticker.MouseDown = 0;
        ticker.MouseMove(releaseX, releaseY, true);
    }

    ScratchDirs dirs;
    QWidget box;
    QObject owner;
    TScroller ticker;
    std::vector<std::string> opened;
    int sounds { 0 };
};

}  // namespace

TEST_F(NewsTicker, TwoSourcesShowSixPassesOfTitlesHeadlinesAndDates)
{
    // Headlines are the clickable lines; titles and date lines are the stops.
    ASSERT_EQ(ticker.Items.size(), 12u);
    EXPECT_EQ(Stops(ticker.StopTops).size(), 18u);
    EXPECT_EQ(ticker.Items[0]->Text, "World headline 0");
    EXPECT_EQ(ticker.Items[1]->Text, "Sport headline 0");
    EXPECT_EQ(ticker.Items[11]->Text, "Sport headline 5");
    EXPECT_EQ(ticker.Items[11]->Link, "http://site/Sport5.htm");
    EXPECT_EQ(ticker.Bitmap.height(), ticker.NextTop + 100);
}

TEST_F(NewsTicker, StepsPauseAtEachStopTop)
{
    const std::vector<int> stops = Stops(ticker.StopTops);
    ticker.Step();
    EXPECT_EQ(ticker.Offset, 0);
    EXPECT_TRUE(ticker.Paused());
    for (std::size_t i = 1; i < 4; ++i) {
        stepToPause();
        EXPECT_EQ(ticker.Offset, stops[i]);
    }
}

TEST_F(NewsTicker, BackwardRollsToTheTopThenPausesAndGoesForward)
{
    ticker.Offset = 5;
    ticker.Direction = -1;
    ticker.Resume();
    for (int i = 0; i < 7; ++i)
        ticker.Step();
    EXPECT_EQ(ticker.Offset, 0);
    EXPECT_EQ(ticker.Direction, 1);
    EXPECT_TRUE(ticker.Paused());
    ticker.Resume();
    ticker.Step();
    EXPECT_EQ(ticker.Offset, 1);
}

TEST_F(NewsTicker, APressAndReleaseOverAHeadlineOpensItsLink)
{
    ticker.Offset = 0;
    const QRect bounds = ticker.Items[0]->Bounds;
    const int x = bounds.left() + 4;
    const int y = bounds.top() + 2;
    click(x, y, x + 2, y + 2);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], "http://site/World0.htm");
    EXPECT_TRUE(ticker.Items[0]->Hot);
    EXPECT_EQ(box.cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(NewsTicker, ADragOfThreePixelsScrollsAndOpensNothing)
{
    ticker.Offset = 20;
    const QRect bounds = ticker.Items[0]->Bounds;
    const int x = bounds.left() + 4;
    const int y = bounds.top() - 20 + 4;
    ticker.LastY = y;
    click(x, y, x, y - 3);
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(ticker.Offset, 23);
    EXPECT_GT(sounds, 0);
    EXPECT_TRUE(ticker.Paused());
}

TEST_F(NewsTicker, DraggingDownAtTheTopStaysThereSilently)
{
    ticker.Offset = 0;
    ticker.LastY = 10;
    ticker.DownX = 10;
    ticker.DownY = 10;
    ticker.MouseDown = 1;
    ticker.MouseMove(10, 20, false);
    EXPECT_EQ(ticker.Offset, 0);
    EXPECT_EQ(sounds, 0);
}

TEST_F(NewsTicker, HighlightDrawsTheHeadlineGreenAndBack)
{
    TTickerObj* line = ticker.Items[0].get();
    const auto greenPixels = [&] {
        int count = 0;
        for (int y = line->Bounds.top(); y <= line->Bounds.bottom(); ++y)
            for (int x = line->Bounds.left(); x <= std::min(line->Bounds.right(), ticker.Bitmap.width() - 1); ++x)
                count += ticker.Bitmap.pixelColor(x, y) == QColor(0, 255, 0);
        return count;
    };
    EXPECT_EQ(greenPixels(), 0);
    ticker.Highlight(line);
    EXPECT_GT(greenPixels(), 0);
    ticker.Highlight(nullptr);
    EXPECT_EQ(greenPixels(), 0);
    EXPECT_FALSE(line->Hot);
}

TEST_F(NewsTicker, EmptyNewsGivesABlackTickerThatWraps)
{
    ticker.Clear();
    ticker.Build(dirs.appDir() + "/missing.ini");
    EXPECT_TRUE(ticker.Items.empty());
    EXPECT_EQ(ticker.Bitmap.height(), 100);
    for (int i = 0; i < 103; ++i)
        ticker.Step();
    EXPECT_LE(ticker.Offset, 100);
}

TEST_F(NewsTicker, TheBandIsSavedAsAScreenshot)
{
    ticker.Offset = 0;
    QImage shot(box.size(), QImage::Format_RGB32);
    QPainter canvas(&shot);
    ticker.PaintTo(canvas);
    canvas.end();
    QDir().mkpath(KORVO_BUILD_DIR "/screenshots");
    EXPECT_TRUE(shot.save(KORVO_BUILD_DIR "/screenshots/ticker.png"));
    // Text was drawn: some pixel is not black.
    bool lit = false;
    for (int y = 0; y < shot.height() && !lit; ++y)
        for (int x = 0; x < shot.width() && !lit; ++x)
            lit = shot.pixelColor(x, y) != QColor(0, 0, 0);
    EXPECT_TRUE(lit);
}

TEST(NewsTickerDate, DateLineNamesTheDayOnTwoLines)
{
    EXPECT_EQ(TickerDateText(EncodeDate(2026, 3, 10)), "Today is Tuesday\rMarch 10, 2026");
}
