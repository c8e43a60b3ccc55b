#include "client/core/mainbar.h"
#include "client/core/mainbarwidgets.h"
#include "client/core/session.h"
#include "client/features/newsbar.h"
#include "client/features/newsthread.h"
#include "client/features/newsticker.h"
#include "platform/rtl/eventloop.h"
#include "platform/testing/scratch.h"
#include "platform/ui/dialogs.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

class NewsBar : public ::testing::Test {
protected:
    void SetUp() override
    {
        Session() = TSession();
        dirs.write("app/News.ini", "[World]\r\n0=One\xB6http://a/1\r\n1=Two\xB6http://a/2\r\n");
        dirs.write("app/News.inf", "");
        dialogs::ClearHistory();
        bar = std::make_unique<TForm1>();
        CreateNewsTicker();
    }
    void TearDown() override
    {
        FreeNewsTicker();
        bar.reset();
        dialogs::SetResponder({});
    }
    void release(Qt::MouseButton button)
    {
        QMouseEvent up(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), button, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(bar->PaintBox1, &up);
    }
    int asked() const
    {
        int count = 0;
        for (const dialogs::DialogRecord& record : dialogs::History())
            count += record.request.text == "\rYou have requested to update your current News Headlines. Proceed Now?";
        return count;
    }

    ScratchDirs dirs;
    std::unique_ptr<TForm1> bar;
};

}  // namespace

TEST_F(NewsBar, TheTickerShowsTheNewsOfTheSession)
{
    ASSERT_NE(NewsScroller(), nullptr);
    EXPECT_EQ(NewsScroller()->PaintBox, bar->PaintBox1);
    EXPECT_EQ(NewsScroller()->Items.size(), 2u);
}

TEST_F(NewsBar, RightClickAsksAndYesStartsAFetch)
{
    dialogs::SetResponder([](const dialogs::DialogRequest&) { return IDNO; });
    release(Qt::RightButton);
    EXPECT_EQ(asked(), 1);
    EXPECT_FALSE(NewsRunning());
    dialogs::SetResponder([](const dialogs::DialogRequest&) { return IDYES; });
    release(Qt::RightButton);
    EXPECT_EQ(asked(), 2);
    EXPECT_TRUE(NewsRunning());
    // While it runs, nothing is asked.
    release(Qt::RightButton);
    EXPECT_EQ(asked(), 2);
    Application::ProcessMessagesUntil([] { return !NewsRunning(); }, 10000);
    EXPECT_FALSE(NewsRunning());
}

TEST_F(NewsBar, HoldingTheTopArrowRollsBackToTheTopThenForward)
{
    TScroller& ticker = *NewsScroller();
    ticker.Offset = 3;
    ticker.Resume();
    bar->Panel8->OnMouseDown(mbLeft, 0, 1, 1);
    EXPECT_EQ(ticker.Direction, -1);
    Application::ProcessMessagesUntil([&] { return ticker.Paused() && ticker.Direction == 1; }, 5000);
    bar->Panel8->OnMouseUp(mbLeft, 0, 1, 1);
    EXPECT_EQ(ticker.Offset, 0);
    EXPECT_EQ(ticker.Direction, 1);
}

TEST_F(NewsBar, SignOffFreesTheTicker)
{
    FreeNewsTicker();
    EXPECT_EQ(NewsScroller(), nullptr);
}
