#include "platform/ui/gifimage.h"

#include "gif_samples.h"
#include "platform/testing/scratch.h"
#include "platform/win/messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QMouseEvent>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

// Runs the loop until twice the delay the picture gives `frame` has passed on its clock,
// or until moved() holds; true when it never did. A control showing that frame since
// before the call, and playing, would have moved on within that time.
bool HeldForTwiceTheDelayOf(const std::string& picture, std::size_t frame, const std::function<bool()>& moved)
{
    GifDecoder decoder;
    if (!decoder.Decode(picture) || frame >= decoder.Frames().size())
        return false;
    QObject clock;
    bool passed = false;
    QTimer::singleShot(2 * decoder.Frames()[frame].delayMs, &clock, [&] { passed = true; });
    Application::ProcessMessagesUntil([&] { return passed || moved(); }, 5000);
    return passed && !moved();
}

}  // namespace

TEST(GIFImage, AMissingFileLeavesTheControlEmpty)
{
    TGIFImage image;
    EXPECT_FALSE(image.LoadFromFile("/nonexistent/ad1.gif"));
    EXPECT_TRUE(image.Empty());
    EXPECT_EQ(image.Width(), 0);
    EXPECT_TRUE(image.CurrentImage().isNull());
}

TEST(GIFImage, LoadsAFileWhateverItsCaseAndTakesItsSizeWithAutoSize)
{
    ScratchDirs dirs;
    dirs.write("app/ads/ad1.gif", gif_samples::Write({ 20, 10, -1 }, { gif_samples::Solid(20, 10, 2) }));
    TGIFImage image;
    image.SetAutoSize(true);
    ASSERT_TRUE(image.LoadFromFile(dirs.appDir() + "/ads/AD1.GIF")) << "names are case-blind, as on Windows";
    EXPECT_FALSE(image.Empty());
    EXPECT_EQ(image.Width(), 20);
    EXPECT_EQ(image.Height(), 10);
    EXPECT_EQ(image.size(), QSize(20, 10));
    image.show();
    const QString dir = QStringLiteral(KORVO_BUILD_DIR "/screenshots");
    QDir().mkpath(dir);
    const QImage shot = image.grab().toImage();
    shot.save(dir + "/gifimage_green.png");
    EXPECT_EQ(shot.pixelColor(10, 5), QColor(0, 255, 0));
}

TEST(GIFImage, ABadFileEmptiesAControlThatShowedAPicture)
{
    ScratchDirs dirs;
    dirs.write("bad.gif", "GIF89a garbage");
    TGIFImage image;
    ASSERT_TRUE(image.LoadFromBytes(gif_samples::RedThenBlue()));
    EXPECT_FALSE(image.LoadFromFile(dirs.root() + "/bad.gif"));
    EXPECT_TRUE(image.Empty());
}

TEST(GIFImage, PlaysItsFramesAndLoops)
{
    TGIFImage image;
    ASSERT_TRUE(image.LoadFromBytes(gif_samples::RedThenBlue(0)));
    EXPECT_EQ(image.FrameCount(), 2);
    EXPECT_EQ(image.CurrentFrame(), 0);
    EXPECT_EQ(image.CurrentImage().pixelColor(0, 0), QColor(255, 0, 0));
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return image.CurrentFrame() == 1; }, 5000));
    EXPECT_EQ(image.CurrentImage().pixelColor(0, 0), QColor(0, 0, 255));
    EXPECT_TRUE(Application::ProcessMessagesUntil([&] { return image.CurrentFrame() == 0; }, 5000)) << "loops for ever";
}

TEST(GIFImage, WithoutALoopBlockItPlaysOnceAndStaysOnTheLastFrame)
{
    TGIFImage image;
    const std::string picture = gif_samples::RedThenBlue(-1);
    ASSERT_TRUE(image.LoadFromBytes(picture));
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return image.CurrentFrame() == 1; }, 5000));
    EXPECT_TRUE(HeldForTwiceTheDelayOf(picture, 1, [&] { return image.CurrentFrame() != 1; }));
}

TEST(GIFImage, AStoppedAnimationHoldsItsFrame)
{
    TGIFImage image;
    image.SetAnimate(false);
    const std::string picture = gif_samples::RedThenBlue(0);
    ASSERT_TRUE(image.LoadFromBytes(picture));
    EXPECT_TRUE(HeldForTwiceTheDelayOf(picture, 0, [&] { return image.CurrentFrame() != 0; }));
}

TEST(GIFImage, AClickCallsOnClickAndTheHintIsItsTip)
{
    TGIFImage image;
    image.resize(30, 30);
    image.SetHint("Visit our sponsor");
    image.SetCursor(crHandPoint);
    int clicks = 0;
    image.OnClick = [&] { ++clicks; };
    image.show();
    const QPoint at(10, 10);
    QMouseEvent press(QEvent::MouseButtonPress, at, image.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&image, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, image.mapToGlobal(at), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&image, &release);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(image.toolTip(), "Visit our sponsor");
    EXPECT_EQ(image.cursor().shape(), Qt::PointingHandCursor);
}
