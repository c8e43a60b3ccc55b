#include "kit/qorimageitem.h"

#include "platform/rtl/exceptions.h"

#include <gtest/gtest.h>

#include <QPainter>

namespace {

QImage solid(int width, int height, QRgb colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

constexpr QRgb kRed = 0xFF0000;
constexpr QRgb kBlue = 0x0000FF;
constexpr QRgb kGreen = 0x00FF00;
constexpr QRgb kYellow = 0xFFFF00;

// One 4 x 4 cell, red in its left half; its right half fuchsia, the transparent colour.
std::unique_ptr<TQORImageListItem> halfMasked()
{
    auto item = TQORImageListItem::CreateSized(4, 4);
    item->SetMasked(true);
    QImage picture = solid(4, 4, 0xFF00FF);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 2; ++x)
            picture.setPixel(x, y, kRed);
    item->AddCell();
    item->ReplaceMasked(0, picture, clFuchsia);
    return item;
}

// The cell drawn at (2, 2) onto blue.
QImage drawn(const TQORImageListItem& item)
{
    QImage target = solid(8, 8, kBlue);
    QPainter painter(&target);
    item.DrawCell(painter, 2, 2, 0);
    painter.end();
    return target;
}

QRgb at(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

}  // namespace

TEST(QorImageItem, StyleThreeShowsTheTargetThroughTheMask)
{
    auto item = halfMasked();
    item->MaskStyle = 3;
    const QImage target = drawn(*item);
    EXPECT_EQ(at(target, 2, 2), kRed);
    EXPECT_EQ(at(target, 3, 5), kRed);
    EXPECT_EQ(at(target, 4, 2), kBlue);
    EXPECT_EQ(at(target, 5, 5), kBlue);
    EXPECT_EQ(at(target, 1, 1), kBlue);
}

TEST(QorImageItem, StyleTwoUsesTheBackgroundColourWhenSet)
{
    auto item = halfMasked();
    EXPECT_EQ(item->MaskStyle, 2);
    EXPECT_EQ(at(drawn(*item), 5, 3), kBlue);
    item->BkColor = clLime;
    const QImage target = drawn(*item);
    EXPECT_EQ(at(target, 2, 3), kRed);
    EXPECT_EQ(at(target, 5, 3), kGreen);
    EXPECT_EQ(at(target, 6, 3), kBlue);
}

TEST(QorImageItem, StyleOneLaysACheckerOverTheCell)
{
    auto item = halfMasked();
    item->MaskStyle = 1;
    item->BkColor = clLime;
    item->PatternColor = clYellow;
    const QImage target = drawn(*item);
    // Cell pixel (x, y) is target (x + 2, y + 2): odd and even mixed get the pattern.
    EXPECT_EQ(at(target, 2 + 0, 2 + 1), kYellow);
    EXPECT_EQ(at(target, 2 + 3, 2 + 0), kYellow);
    EXPECT_EQ(at(target, 2 + 0, 2 + 0), kRed);
    EXPECT_EQ(at(target, 2 + 3, 2 + 3), kGreen);
}

TEST(QorImageItem, StyleZeroLeavesOnlyOddPixels)
{
    auto item = halfMasked();
    item->MaskStyle = 0;
    item->BkColor = clLime;
    item->PatternColor = clYellow;
    const QImage target = drawn(*item);
    EXPECT_EQ(at(target, 2 + 0, 2 + 1), kYellow);
    EXPECT_EQ(at(target, 2 + 2, 2 + 3), kYellow);
    EXPECT_EQ(at(target, 2 + 1, 2 + 1), kRed);
    EXPECT_EQ(at(target, 2 + 3, 2 + 3), kGreen);
}

TEST(QorImageItem, UnsetPatternColourPaintsNoPattern)
{
    auto item = halfMasked();
    item->MaskStyle = 1;
    item->BkColor = clLime;
    const QImage target = drawn(*item);
    EXPECT_EQ(at(target, 2 + 0, 2 + 1), kRed);
    EXPECT_EQ(at(target, 2 + 3, 2 + 0), kGreen);
}

TEST(QorImageItem, OtherStylesDrawNothing)
{
    auto item = halfMasked();
    item->MaskStyle = 4;
    EXPECT_EQ(at(drawn(*item), 2, 2), kBlue);
}

TEST(QorImageItem, DrawTheMaskCopiesTheMaskItself)
{
    auto item = halfMasked();
    item->DrawMask = 1;
    const QImage target = drawn(*item);
    EXPECT_EQ(at(target, 2, 2), 0u);
    EXPECT_EQ(at(target, 5, 2), 0xFFFFFFu);
}

TEST(QorImageItem, UnmaskedCellIsCopiedWhole)
{
    auto item = TQORImageListItem::CreateSized(4, 4);
    const QImage picture = solid(4, 4, kRed);
    item->AddMasked(&picture, nullptr);
    const QImage target = drawn(*item);
    EXPECT_EQ(at(target, 5, 5), kRed);
    EXPECT_EQ(at(target, 6, 6), kBlue);
}

TEST(QorImageItem, SizedBelowOnePixelIsRefused)
{
    EXPECT_THROW(TQORImageListItem::CreateSized(0, 16), EInvalidGraphicOperation);
    EXPECT_THROW(TQORImageListItem::CreateSized(16, -1), EInvalidGraphicOperation);
    auto item = TQORImageListItem::CreateSized(24, 8);
    EXPECT_EQ(item->Width(), 24);
    EXPECT_EQ(item->Height(), 8);
    EXPECT_EQ(item->AllocBy, 4);
}

TEST(QorImageItem, CheckImageWantsWholeCellsOfTheRightHeight)
{
    auto item = TQORImageListItem::CreateSized(16, 16);
    EXPECT_FALSE(item->CheckImage(nullptr));
    const QImage three = solid(48, 16, 0);
    EXPECT_TRUE(item->CheckImage(&three));
    const QImage ragged = solid(40, 16, 0);
    const QImage tall = solid(16, 17, 0);
    EXPECT_THROW(item->CheckImage(&ragged), EInvalidGraphicOperation);
    try {
        item->CheckImage(&tall);
        FAIL();
    } catch (const EInvalidGraphicOperation& error) {
        EXPECT_EQ(error.Message(), "Invalid image size");
    }
}

TEST(QorImageItem, TwoThousandFortyNinthCellIsTooMany)
{
    auto item = TQORImageListItem::CreateSized(16, 16);
    for (int i = 0; i < 2048; ++i)
        ASSERT_EQ(item->AddCell(), i);
    EXPECT_EQ(item->Strip().width(), 32768);
    try {
        item->AddCell();
        FAIL();
    } catch (const EInvalidGraphicOperation& error) {
        EXPECT_EQ(error.Message(), "Too many images");
    }
    EXPECT_EQ(item->ImageCount(), 2048);
    EXPECT_EQ(item->GetItemRect(2047), QRect(32752, 0, 16, 16));
}

TEST(QorImageItem, StripGrowsByItsStepAndNeverPastTheLimit)
{
    auto item = TQORImageListItem::CreateSized(20, 4);
    item->AddCell();
    EXPECT_EQ(item->Strip().width(), 80);
    // 1638 cells of 20 pixels fit in 32768 though the last step would pass it.
    for (int i = 1; i < 1638; ++i)
        item->AddCell();
    EXPECT_EQ(item->ImageCount(), 1638);
    EXPECT_LE(item->Strip().width(), 32768);
}

TEST(QorImageItem, AddMaskedAndReplace)
{
    auto item = TQORImageListItem::CreateSized(4, 4);
    EXPECT_EQ(item->AddMasked(nullptr, nullptr), 0);
    const QImage mask = solid(4, 4, 0);
    EXPECT_EQ(item->AddMasked(nullptr, &mask), -1);
    EXPECT_EQ(item->ImageCount(), 1);
    const QImage wrong = solid(5, 4, kRed);
    EXPECT_THROW(item->AddMasked(&wrong, nullptr), EInvalidGraphicOperation);
    EXPECT_EQ(item->ImageCount(), 1);
    const QImage blue = solid(4, 4, kBlue);
    EXPECT_EQ(item->AddMasked(&blue, nullptr), 1);
    int changes = 0;
    item->OnChange = [&](TQORComponent*) { ++changes; };
    const QImage red = solid(4, 4, kRed);
    item->Replace(0, &red, nullptr);
    item->Replace(0, nullptr, nullptr);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(item->Strip().pixel(0, 0) & 0xFFFFFF, kRed);
    EXPECT_EQ(item->Strip().pixel(4, 0) & 0xFFFFFF, kBlue);
    EXPECT_THROW(item->Replace(2, &red, nullptr), EListError);
}

TEST(QorImageItem, ReplaceMaskedSplitsByTheTransparentColour)
{
    auto item = TQORImageListItem::CreateSized(2, 1);
    item->SetMasked(true);
    item->AddCell();
    QImage picture(2, 1, QImage::Format_RGB32);
    picture.setPixel(0, 0, qRgb(255, 0, 255));
    picture.setPixel(1, 0, kRed);
    item->ReplaceMasked(0, picture, clFuchsia);
    EXPECT_EQ(item->MaskStrip().pixelIndex(0, 0), 1);
    EXPECT_EQ(item->MaskStrip().pixelIndex(1, 0), 0);
    EXPECT_EQ(item->Strip().pixel(0, 0) & 0xFFFFFF, 0u);
    EXPECT_EQ(item->Strip().pixel(1, 0) & 0xFFFFFF, kRed);
}

TEST(QorImageItem, MaskingRebuildsEntriesWithTheFlag)
{
    auto item = TQORImageListItem::CreateSized(8, 8);
    item->AddCell();
    item->AddCell();
    item->SetMasked(true);
    EXPECT_EQ(item->Entries(), (std::vector<std::uint32_t> { 0x10000, 0x10008 }));
    EXPECT_EQ(item->MaskStrip().width(), item->Strip().width());
    item->SetMasked(false);
    EXPECT_EQ(item->Entries(), (std::vector<std::uint32_t> { 0, 8 }));
    EXPECT_TRUE(item->MaskStrip().isNull());
}
