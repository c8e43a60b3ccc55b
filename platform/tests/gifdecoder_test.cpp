#include "platform/ui/gifdecoder.h"

#include "gif_samples.h"

#include <gtest/gtest.h>

#include <random>

using gif_samples::Frame;
using gif_samples::Solid;
using gif_samples::Write;

namespace {

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 255, 0);
const QColor kBlue(0, 0, 255);

}  // namespace

TEST(GifDecoder, DecodesFramesWithTheirColoursDelaysAndLoopCount)
{
    GifDecoder decoder;
    ASSERT_TRUE(decoder.Decode(gif_samples::RedThenBlue(3)));
    EXPECT_EQ(decoder.Width(), 4);
    EXPECT_EQ(decoder.Height(), 4);
    ASSERT_EQ(decoder.Frames().size(), 2u);
    EXPECT_EQ(decoder.Frames()[0].image.pixelColor(2, 2), kRed);
    EXPECT_EQ(decoder.Frames()[1].image.pixelColor(2, 2), kBlue);
    EXPECT_EQ(decoder.Frames()[0].delayMs, 50);
    EXPECT_EQ(decoder.Frames()[1].delayMs, 70);
    EXPECT_EQ(decoder.LoopCount(), 3);
    EXPECT_EQ(decoder.Error(), "");
}

TEST(GifDecoder, ZeroDelayPlaysAtATenthOfASecondAndNoLoopBlockMeansOnce)
{
    Frame frame = Solid(2, 2, 2);
    frame.delayHundredths = 0;
    GifDecoder decoder;
    ASSERT_TRUE(decoder.Decode(Write({ 2, 2, -1 }, { frame })));
    EXPECT_EQ(decoder.Frames()[0].delayMs, 100);
    EXPECT_EQ(decoder.LoopCount(), -1);
}

TEST(GifDecoder, TransparentPixelsShowTheFrameBeneath)
{
    Frame base = Solid(4, 4, 1);
    base.disposal = DISPOSE_DO_NOT;
    Frame overlay = Solid(2, 2, 2);
    overlay.left = 1;
    overlay.top = 1;
    overlay.pixels[0] = 0;
    overlay.transparent = 0;
    GifDecoder decoder;
    ASSERT_TRUE(decoder.Decode(Write({ 4, 4, 0 }, { base, overlay })));
    const QImage& second = decoder.Frames()[1].image;
    EXPECT_EQ(second.pixelColor(1, 1), kRed) << "transparent index keeps the red beneath";
    EXPECT_EQ(second.pixelColor(2, 2), kGreen);
    EXPECT_EQ(second.pixelColor(0, 0), kRed);
    EXPECT_EQ(decoder.Frames()[1].area, QRect(1, 1, 2, 2));
}

TEST(GifDecoder, BackgroundDisposalClearsAndPreviousDisposalRestores)
{
    Frame first = Solid(4, 4, 1);
    first.disposal = DISPOSE_DO_NOT;
    Frame cleared = Solid(2, 2, 3);
    cleared.disposal = DISPOSE_BACKGROUND;
    Frame after = Solid(1, 1, 2);
    after.left = 3;
    after.top = 3;
    after.disposal = DISPOSE_PREVIOUS;
    Frame last = Solid(1, 1, 2);
    last.left = 3;
    last.top = 0;
    GifDecoder decoder;
    ASSERT_TRUE(decoder.Decode(Write({ 4, 4, 0 }, { first, cleared, after, last })));
    ASSERT_EQ(decoder.Frames().size(), 4u);
    EXPECT_EQ(decoder.Frames()[1].image.pixelColor(0, 0), kBlue);
    EXPECT_EQ(decoder.Frames()[2].image.pixelColor(0, 0).alpha(), 0) << "background disposal leaves a hole";
    EXPECT_EQ(decoder.Frames()[2].image.pixelColor(3, 3), kGreen);
    EXPECT_EQ(decoder.Frames()[3].image.pixelColor(3, 3), kRed) << "previous disposal restores what was there";
    EXPECT_EQ(decoder.Frames()[3].image.pixelColor(3, 0), kGreen);
}

TEST(GifDecoder, InterlacedRowsLandInTheirPlaces)
{
    Frame frame;
    frame.width = 1;
    frame.height = 9;
    frame.interlace = true;
    for (int y = 0; y < 9; ++y)
        frame.pixels.push_back(static_cast<std::uint8_t>(y % 4));
    GifDecoder decoder;
    ASSERT_TRUE(decoder.Decode(Write({ 1, 9, -1 }, { frame })));
    const QImage& image = decoder.Frames()[0].image;
    EXPECT_EQ(image.pixelColor(0, 1), kRed);
    EXPECT_EQ(image.pixelColor(0, 2), kGreen);
    EXPECT_EQ(image.pixelColor(0, 3), kBlue);
    EXPECT_EQ(image.pixelColor(0, 4), QColor(0, 0, 0));
    EXPECT_EQ(image.pixelColor(0, 7), kBlue);
}

TEST(GifDecoder, ATruncatedFileKeepsTheFramesThatArrivedWhole)
{
    const std::string whole = Write({ 16, 16, 0 }, { Solid(16, 16, 1), Solid(16, 16, 2), Solid(16, 16, 3) });
    GifDecoder full;
    ASSERT_TRUE(full.Decode(whole));
    ASSERT_EQ(full.Frames().size(), 3u);
    GifDecoder cut;
    ASSERT_TRUE(cut.Decode(whole.substr(0, whole.size() - 12)));
    EXPECT_EQ(cut.Frames().size(), 2u);
    EXPECT_NE(cut.Error(), "");
    GifDecoder header;
    EXPECT_FALSE(header.Decode(whole.substr(0, 20)));
    EXPECT_TRUE(header.Empty());
}

TEST(GifDecoder, RefusesPicturesLargerThanTheBound)
{
    std::string bytes = Write({ 4, 4, -1 }, { Solid(4, 4, 1) });
    // Logical screen width is the little-endian word after the six-byte signature.
    bytes[6] = static_cast<char>(5000 & 0xFF);
    bytes[7] = static_cast<char>(5000 >> 8);
    GifDecoder decoder;
    EXPECT_FALSE(decoder.Decode(bytes));
    EXPECT_TRUE(decoder.Empty());
    EXPECT_EQ(decoder.Width(), 0);
}

TEST(GifDecoder, RejectsEmptyAndForeignFiles)
{
    GifDecoder decoder;
    EXPECT_FALSE(decoder.Decode(""));
    EXPECT_FALSE(decoder.Decode("GIF89a"));
    EXPECT_FALSE(decoder.Decode(std::string("\x89PNG\r\n\x1a\n0000000000000000", 24)));
    EXPECT_TRUE(decoder.Empty());
}

TEST(GifDecoder, SurvivesCorruptedFiles)
{
    const std::string whole = gif_samples::RedThenBlue(0);
    std::mt19937 random(1234);
    int decoded = 0;
    for (int round = 0; round < 2000; ++round) {
        std::string bytes = whole;
        const int flips = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < flips; ++i)
            bytes[random() % bytes.size()] = static_cast<char>(random() & 0xFF);
        if (random() % 3 == 0)
            bytes.resize(random() % bytes.size());
        GifDecoder decoder;
        if (decoder.Decode(bytes)) {
            ++decoded;
            EXPECT_LE(decoder.Width(), GifDecoder::kMaxSide);
            for (const GifFrame& frame : decoder.Frames())
                EXPECT_EQ(frame.image.size(), QSize(decoder.Width(), decoder.Height()));
        } else {
            EXPECT_TRUE(decoder.Empty());
        }
    }
    EXPECT_GT(decoded, 0);
}
