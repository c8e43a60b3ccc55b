#include "kit/qorcont.h"
#include "kit/tests/le32.h"

#include "kit/qorapplication.h"
#include "kit/qorblob.h"
#include "kit/qorutils.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/streams.h"
#include "platform/testing/scratch.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <string>

namespace {

std::string riff()
{
    return "RIFF" + le32(36) + "WAVE" + "fmt " + le32(16) + std::string("\x01\x00\x01\x00", 4) + le32(8000) + le32(8000)
        + std::string("\x01\x00\x08\x00", 4) + "data" + le32(0);
}

QImage solid(int width, int height, QRgb colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Four cells of 16 x 16 in an item of its own list.
TQORImageListItem& fourCells(TQORImageList& list)
{
    list.AddItem();
    TQORImageListItem& item = *list.Images(0);
    const QRgb colours[] = { qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(9, 9, 9) };
    for (QRgb colour : colours) {
        const QImage cell = solid(16, 16, colour);
        item.AddMasked(&cell, nullptr);
    }
    return item;
}

}  // namespace

TEST(QorCont, EmptyBitmapItemIsOneZeroByte)
{
    TQORBitmapListItem item;
    TStringStream s;
    item.SaveToStream(s);
    EXPECT_EQ(s.DataString(), std::string(1, '\0'));
}

TEST(QorCont, EmptyImageItemWritesItsCellSizeAndNoImages)
{
    TQORImageListItem item;
    TStringStream s;
    item.SaveToStream(s);
    EXPECT_EQ(s.DataString(), std::string(1, '\0') + le32(16) + le32(16) + le32(4) + std::string(1, '\0') + le32(0));
}

TEST(QorCont, ImageItemWithAGrowthStepPastAnyStripIsRefused)
{
    for (std::int32_t allocBy : { 0x7fffffff, -1, 2049 }) {
        TStringStream s(std::string(1, '\0') + le32(16) + le32(16) + le32(allocBy) + std::string(1, '\0') + le32(0));
        TQORImageListItem item;
        EXPECT_THROW(item.LoadFromStream(s), EReadError) << allocBy;
        EXPECT_EQ(item.AllocBy, 4) << allocBy;
    }
    TStringStream largest(std::string(1, '\0') + le32(16) + le32(16) + le32(2048) + std::string(1, '\0') + le32(0));
    TQORImageListItem item;
    item.LoadFromStream(largest);
    EXPECT_EQ(item.AddCell(), 0);
}

TEST(QorCont, EmptyWaveItemIsItsFlagsAndReadsBackEmpty)
{
    TQORWaveList list;
    list.AddItem();
    list.Waves(0)->Description = "ring";
    TStringStream s;
    list.Waves(0)->SaveToStream(s);
    EXPECT_EQ(s.DataString(), std::string("\x02\x04ring", 6));
    s.SetPosition(0);
    TQORWaveListItem back;
    TStringStream full(riff());
    back.Wave().LoadFromStream(full);
    back.LoadFromStream(s);
    EXPECT_TRUE(back.Wave().Empty());
    EXPECT_EQ(back.Description, "ring");
}

TEST(QorCont, LongDescriptionKeepsItsFirst255Characters)
{
    TQORStringListItem item;
    item.Description = std::string(256, 'n');
    TStringStream s;
    item.SaveToStream(s);
    s.SetPosition(0);
    TQORStringListItem back;
    back.LoadFromStream(s);
    EXPECT_EQ(back.Description, std::string(255, 'n'));
}

TEST(QorCont, ThreeItemsWithOffsetsStartRightAfterTheTable)
{
    TQORStringList list;
    for (int i = 0; i < 3; ++i) {
        list.AddItem();
        list.Strings(i)->Items().Add("line " + std::to_string(i));
    }
    TStringStream s;
    list.SaveToStream(s, true);
    s.SetPosition(0);
    EXPECT_EQ(ReadInteger(s), 3);
    const std::int32_t first = ReadInteger(s);
    const std::int32_t second = ReadInteger(s);
    ReadInteger(s);
    EXPECT_EQ(first, 16);
    s.SetPosition(second);
    TQORStringListItem item;
    item.LoadFromStream(s);
    EXPECT_EQ(item.Items()[0], "line 1");

    s.SetPosition(0);
    TQORStringList back;
    back.LoadFromStream(s, true);
    ASSERT_EQ(back.Count(), 3);
    EXPECT_EQ(back.Strings(2)->Items()[0], "line 2");
}

TEST(QorCont, OneItemStringListFileByteForByte)
{
    ScratchDirs dirs;
    TQORStringList list;
    list.AddItem();
    TQORStringListItem& item = *list.Strings(0);
    item.Description = "greet";
    item.Ident = 7;
    item.Items().Add("a");
    item.Items().Add("b");
    const std::string path = dirs.appDir() + "/phrases.txt";
    {
        TFileStream file(path, fmCreate);
        file.WriteString(std::string("\x08" "QORSLL30"));
        list.SaveToStream(file, true);
    }
    const std::string expected = std::string("\x08" "QORSLL30") + le32(1) + le32(17) + "\x0E\x05greet" + le32(7) + le32(6) + "a\r\nb\r\n";
    EXPECT_EQ(dirs.read("app/phrases.txt"), expected);

    int count = 0;
    std::vector<std::int32_t> offsets;
    EXPECT_EQ(ReadListFileHeader(path, count, &offsets), lkStringList);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(offsets, std::vector<std::int32_t> { 17 });
    TQORStringListItem back;
    EXPECT_TRUE(ReadListFileItem(path, lkStringList, nullptr, back, 0));
    EXPECT_EQ(back.Description, "greet");
    EXPECT_EQ(back.Ident, 7);
    EXPECT_EQ(back.Items().Text(), "a\r\nb\r\n");
}

TEST(QorCont, UnknownAndWrongKindsOfListFile)
{
    ScratchDirs dirs;
    dirs.write("app/odd.lst", std::string("\x08" "QORXXL30") + le32(0));
    dirs.write("app/short.lst", std::string("\x07" "QORSLL30") + le32(0));
    dirs.write("app/bitmaps.lst", std::string("\x08" "QORBML30") + le32(0));
    int count = 0;
    EXPECT_EQ(ReadListFileHeader(dirs.appDir() + "/odd.lst", count, nullptr), lkUnknown);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(ReadListFileHeader(dirs.appDir() + "/short.lst", count, nullptr), lkUnknown);
    TQORStringListItem item;
    try {
        ReadListFileItem(dirs.appDir() + "/bitmaps.lst", lkStringList, nullptr, item, 0);
        FAIL() << "read a bitmap list as strings";
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(), "Cannot open file " + dirs.appDir() + "/bitmaps.lst");
    }
    EXPECT_THROW(ReadListFileHeader(dirs.appDir() + "/missing.lst", count, nullptr), EFOpenError);
}

TEST(QorCont, HostileListFilesAreRefused)
{
    ScratchDirs dirs;
    const std::string signature("\x08" "QORSLL30");
    dirs.write("app/count.txt", signature + le32(100000) + le32(17));
    dirs.write("app/offset.txt", signature + le32(1) + le32(5000) + std::string(1, '\0'));
    dirs.write("app/before.txt", signature + le32(1) + le32(2) + std::string(1, '\0'));
    dirs.write("app/good.txt", signature + le32(1) + le32(17) + std::string(1, '\0'));
    int count = 0;
    std::vector<std::int32_t> offsets;
    EXPECT_THROW(ReadListFileHeader(dirs.appDir() + "/count.txt", count, &offsets), EReadError);
    EXPECT_THROW(ReadListFileHeader(dirs.appDir() + "/offset.txt", count, &offsets), EReadError);
    EXPECT_THROW(ReadListFileHeader(dirs.appDir() + "/before.txt", count, &offsets), EReadError);
    TQORStringListItem item;
    EXPECT_THROW(ReadListFileItem(dirs.appDir() + "/good.txt", lkStringList, nullptr, item, 1), EListError);
    EXPECT_THROW(ReadListFileItem(dirs.appDir() + "/good.txt", lkStringList, nullptr, item, -1), EListError);
    EXPECT_TRUE(ReadListFileItem(dirs.appDir() + "/good.txt", lkStringList, nullptr, item, 0));
    const std::vector<std::int32_t> outside { 99999 };
    EXPECT_THROW(ReadListFileItem(dirs.appDir() + "/good.txt", lkStringList, &outside, item, 0), EReadError);
}

TEST(QorCont, ListKeepsTheItemsReadBeforeABadOne)
{
    TQORStringList list;
    list.AddItem();
    list.AddItem();
    list.Strings(0)->Items().Add("kept");
    list.Strings(1)->Items().Add("lost");
    TStringStream s;
    list.SaveToStream(s, false);
    std::string bytes = s.DataString();
    bytes.resize(bytes.size() - 3);
    TStringStream cut(bytes);
    TQORStringList back;
    EXPECT_THROW(back.LoadFromStream(cut, false), EReadError);
    ASSERT_EQ(back.Count(), 1);
    EXPECT_EQ(back.Strings(0)->Items()[0], "kept");

    TStringStream huge(le32(2000000000));
    EXPECT_THROW(back.LoadFromStream(huge, false), EReadError);
    EXPECT_EQ(back.Count(), 0);
}

TEST(QorCont, BitmapItemRoundTripsAtItsPixelFormat)
{
    TQORBitmapList list;
    list.AddItem();
    TQORBitmapListItem& item = *list.Bitmaps(0);
    item.SetBitmap(solid(5, 3, qRgb(255, 0, 0)));
    item.PixelFormat = spf4bit;
    item.Compressed = true;
    TStringStream s;
    list.SaveToStream(s, false);
    EXPECT_EQ(static_cast<unsigned char>(s.DataString()[4]), 0x29);
    s.SetPosition(0);
    TQORBitmapList back;
    back.LoadFromStream(s, false);
    EXPECT_EQ(back.Bitmaps(0)->PixelFormat, spf4bit);
    EXPECT_EQ(back.GetPixelColor(QPoint(4, 2), 0, 0), clRed);
    EXPECT_EQ(back.GetItemDimension(0, 0), 5);
    EXPECT_EQ(back.GetItemDimension(0, 1), 3);
}

TEST(QorCont, BitmapComesFromTheListFileItNames)
{
    ScratchDirs dirs;
    TQORBitmapList source;
    source.AddItem();
    source.AddItem();
    source.Bitmaps(1)->SetBitmap(solid(2, 2, qRgb(0, 0, 255)));
    {
        TFileStream file(dirs.appDir() + "/glyphs.bmp", fmCreate);
        file.WriteString(std::string("\x08" "QORBML30"));
        source.SaveToStream(file, true);
    }
    TQORBitmapList list;
    list.SourceKind = 1;
    list.SourceFileName = "glyphs.bmp";
    list.AddItem();
    list.Bitmaps(0)->Ident = 1;
    EXPECT_EQ(list.GetPixelColor(QPoint(1, 1), 0, 0), clBlue);
}

TEST(QorCont, WidthChangesDropTheImages)
{
    TQORImageList list;
    TQORImageListItem& item = fourCells(list);
    int changes = 0;
    item.OnChange = [&](TQORComponent*) { ++changes; };
    item.SetWidth(0);
    item.SetWidth(16);
    EXPECT_EQ(list.ImageCount(0), 4);
    EXPECT_EQ(changes, 0);
    item.SetWidth(20);
    EXPECT_EQ(list.ImageCount(0), 0);
    EXPECT_EQ(list.GetItemDimension(0, 0), 20);
    EXPECT_EQ(changes, 1);
}

TEST(QorCont, AppendingAnotherSizeOrTooManyLeavesTheStrip)
{
    TQORImageList list;
    TQORImageListItem& item = fourCells(list);
    TQORImageListItem other;
    other.SetWidth(8);
    const QImage cell = solid(8, 16, qRgb(1, 1, 1));
    other.AddMasked(&cell, nullptr);
    try {
        item.AppendFrom(other);
        FAIL();
    } catch (const EInvalidGraphicOperation& error) {
        EXPECT_EQ(error.Message(), "Invalid image size");
    }
    auto big = TQORImageListItem::CreateSized(16, 16);
    big->AllocBy = 2048;
    for (int i = 0; i < 2046; ++i)
        big->AddCell();
    try {
        item.AppendFrom(*big);
        FAIL();
    } catch (const EInvalidGraphicOperation& error) {
        EXPECT_EQ(error.Message(), "Too many images");
    }
    EXPECT_EQ(item.ImageCount(), 4);
    EXPECT_EQ(list.GetPixelColor(QPoint(3, 3), 0, 2), clBlue);
}

TEST(QorCont, OutOfRangeAnswers)
{
    TQORImageList images;
    TQORBitmapList bitmaps;
    EXPECT_EQ(images.GetTransparentColor(3, 0), clWhite);
    EXPECT_EQ(bitmaps.GetTransparentColor(3, 0), clWhite);
    EXPECT_EQ(images.ImageCount(3), -1);
    EXPECT_EQ(bitmaps.ImageCount(3), 0);
    EXPECT_EQ(images.GetItemDimension(0, 0), 0);
    EXPECT_EQ(images.GetPixelColor(QPoint(0, 0), 0, 0), clWhite);
    EXPECT_FALSE(images.IsValidIndex(0, 0));
    EXPECT_TRUE(images.GetPalette(0).isEmpty());
    fourCells(images);
    EXPECT_EQ(images.GetItemDimension(0, 2), 0);
    EXPECT_FALSE(images.IsValidIndex(0, 4));
    EXPECT_EQ(images.GetPixelColor(QPoint(16, 0), 0, 0), clWhite);
    EXPECT_EQ(images.GetTransparentColor(0, 1), clLime);
    QImage cell;
    images.GetBitmap(0, 3, &cell);
    EXPECT_EQ(cell.size(), QSize(16, 16));
    EXPECT_EQ(cell.pixel(0, 0) & 0xFFFFFF, 0x090909u);
}

TEST(QorCont, ListKindExtensions)
{
    EXPECT_EQ(ListKindExtension(3, true), ".txt");
    EXPECT_EQ(ListKindExtension(0, false), "iml");
    EXPECT_EQ(ListKindExtension(7, true), "");
}

TEST(QorCont, MaskedCompressedStripRoundTrips)
{
    TQORImageList list;
    list.AddItem();
    TQORImageListItem& item = *list.Images(0);
    item.SetMasked(true);
    item.Compressed = true;
    item.PixelFormat = spf8bit;
    const QImage red = solid(16, 16, qRgb(255, 0, 0));
    QImage mask(16, 16, QImage::Format_RGB32);
    mask.fill(Qt::white);
    mask.setPixel(2, 3, qRgb(0, 0, 0));
    item.AddMasked(&red, &mask);
    TStringStream s;
    list.SaveToStream(s, true);
    s.SetPosition(0);
    TQORImageList back;
    back.LoadFromStream(s, true);
    ASSERT_EQ(back.ImageCount(0), 1);
    EXPECT_TRUE(back.IsMasked(0));
    EXPECT_EQ(back.Images(0)->PixelFormat, spf8bit);
    EXPECT_EQ(back.GetPixelColor(QPoint(5, 5), 0, 0), clRed);
    EXPECT_EQ(back.Images(0)->MaskStrip().pixelIndex(2, 3), 0);
    EXPECT_EQ(back.Images(0)->MaskStrip().pixelIndex(3, 3), 1);
}

TEST(QorCont, ImageCountTheStripCannotHoldIsRefused)
{
    const std::string header = std::string(1, '\0') + le32(16) + le32(16) + le32(4) + std::string(1, '\0');
    // Three cells promised, a strip of two.
    TStringStream strip;
    WriteBitmap(strip, solid(32, 16, qRgb(0, 0, 0)), false, -1);
    TStringStream narrow(header + le32(3) + strip.DataString());
    TQORImageListItem item;
    EXPECT_THROW(item.LoadFromStream(narrow), EReadError);
    // 2049 cells of 16 pixels are past the limit, whatever follows.
    TStringStream many(header + le32(2049) + strip.DataString());
    EXPECT_THROW(item.LoadFromStream(many), EReadError);
    TStringStream negative(header + le32(-1));
    EXPECT_THROW(item.LoadFromStream(negative), EReadError);
    TStringStream zeroWidth(std::string(1, '\0') + le32(16) + le32(0) + le32(4) + std::string(1, '\0') + le32(0));
    EXPECT_THROW(item.LoadFromStream(zeroWidth), EReadError);
    TStringStream two(header + le32(2) + strip.DataString());
    item.LoadFromStream(two);
    EXPECT_EQ(item.ImageCount(), 2);
}

TEST(QorCont, AssignCopiesItemsAndSettings)
{
    TQORImageList list;
    fourCells(list);
    list.DefaultCompressed = true;
    list.DefaultPixelFormat = spfMono;
    TQORImageList copy;
    copy.Assign(list);
    EXPECT_TRUE(copy.DefaultCompressed);
    EXPECT_EQ(copy.DefaultPixelFormat, spfMono);
    EXPECT_EQ(copy.ImageCount(0), 4);
    EXPECT_EQ(copy.GetPixelColor(QPoint(0, 0), 0, 1), clLime);
    TQORBitmapList other;
    EXPECT_THROW(copy.Assign(other), EConvertError);
}

TEST(QorCont, ItemChangesReachTheGlobalContainer)
{
    ScratchDirs dirs;
    QORInitialize();
    ASSERT_NE(QORContainer(), nullptr);
    int changes = 0;
    QORContainer()->OnChange = [&](TQORComponent*) { ++changes; };
    QORContainer()->StringList().AddItem();
    EXPECT_EQ(changes, 1);
    QORContainer()->StringList().Strings(0)->SetItems(TStringList());
    EXPECT_EQ(changes, 2);
    QORFinalize();
    EXPECT_EQ(QORContainer(), nullptr);
}

TEST(QorCont, DestroyingTheContainerReportsNothing)
{
    int changes = 0;
    {
        TQORContainer container;
        container.WaveList().AddItem();
        container.OnChange = [&](TQORComponent*) { ++changes; };
    }
    EXPECT_EQ(changes, 0);
}

namespace {

QImage canvasOf(int size, QRgb colour) { return solid(size, size, colour); }

QRgb pixelAt(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

}  // namespace

TEST(QorContDrawing, BitmapListDrawsTheWholeBitmapAtItsPlace)
{
    TQORBitmapList list;
    list.AddItem();
    list.Bitmaps(0)->SetBitmap(solid(3, 2, qRgb(255, 0, 0)));
    QImage target = canvasOf(10, 0x0000FF);
    QPainter painter(&target);
    list.Draw(painter, 4, 5, 0, 0);
    list.Draw(painter, 0, 0, 1, 0);
    painter.end();
    EXPECT_EQ(pixelAt(target, 4, 5), 0xFF0000u);
    EXPECT_EQ(pixelAt(target, 6, 6), 0xFF0000u);
    EXPECT_EQ(pixelAt(target, 7, 6), 0x0000FFu);
    EXPECT_EQ(pixelAt(target, 0, 0), 0x0000FFu);
}

TEST(QorContDrawing, MaskedCellStretchesThroughItsMask)
{
    TQORImageList list;
    list.AddItem();
    TQORImageListItem& item = *list.Images(0);
    item.SetWidth(4);
    item.SetHeight(4);
    item.SetMasked(true);
    QImage picture = solid(4, 4, qRgb(255, 0, 255));
    for (int y = 0; y < 4; ++y)
        picture.setPixel(0, y, qRgb(255, 0, 0));
    item.AddCell();
    item.ReplaceMasked(0, picture, clFuchsia);
    QImage target = canvasOf(8, 0x0000FF);
    QPainter painter(&target);
    list.DrawInRect(painter, { 0, 0, 8, 8 }, 0, 0, dbStretch);
    painter.end();
    EXPECT_EQ(pixelAt(target, 0, 0), 0xFF0000u);
    EXPECT_EQ(pixelAt(target, 1, 7), 0xFF0000u);
    EXPECT_EQ(pixelAt(target, 2, 0), 0x0000FFu);
    EXPECT_EQ(pixelAt(target, 7, 7), 0x0000FFu);
}

TEST(QorContDrawing, UnmaskedCellIsTransparentByItsBottomLeftColour)
{
    TQORImageList list;
    list.AddItem();
    TQORImageListItem& item = *list.Images(0);
    item.SetWidth(2);
    item.SetHeight(2);
    QImage picture = solid(2, 2, qRgb(0, 255, 0));
    picture.setPixel(1, 0, qRgb(255, 0, 0));
    item.AddMasked(&picture, nullptr);
    QImage target = canvasOf(4, 0x0000FF);
    QPainter painter(&target);
    list.DrawInRect(painter, { 1, 1, 3, 3 }, 0, 0, dbTransparentColor);
    painter.end();
    EXPECT_EQ(pixelAt(target, 2, 1), 0xFF0000u);
    EXPECT_EQ(pixelAt(target, 1, 1), 0x0000FFu);
    EXPECT_EQ(pixelAt(target, 2, 2), 0x0000FFu);
}

TEST(QorContDrawing, ClippedDrawingStaysInsideItsRectangle)
{
    TQORImageList list;
    list.AddItem();
    TQORImageListItem& item = *list.Images(0);
    item.SetWidth(4);
    item.SetHeight(4);
    const QImage red = solid(4, 4, qRgb(255, 0, 0));
    item.AddMasked(&red, nullptr);
    QImage target = canvasOf(8, 0x0000FF);
    QPainter painter(&target);
    list.DrawInRectClipped(painter, { 0, 0, 2, 2 }, 0, 0, clBlack, 0, dbClip);
    painter.end();
    EXPECT_EQ(pixelAt(target, 1, 1), 0xFF0000u);
    EXPECT_EQ(pixelAt(target, 2, 2), 0x0000FFu);
    EXPECT_EQ(pixelAt(target, 3, 0), 0x0000FFu);
}

TEST(QorCont, RefusedRecordLeavesTheItemAsItWas)
{
    TQORImageList list;
    TQORImageListItem& item = fourCells(list);
    item.Description = "arrows";
    const std::string header = std::string("\x03\x04" "xxxx", 6) + le32(16) + le32(16) + le32(4) + std::string(1, '\0');
    TStringStream cut(header + le32(3) + le32(100) + "BM");
    EXPECT_THROW(item.LoadFromStream(cut), EReadError);
    EXPECT_EQ(item.ImageCount(), 4);
    EXPECT_EQ(item.Description, "arrows");
    EXPECT_FALSE(item.Compressed);
    EXPECT_EQ(list.GetPixelColor(QPoint(1, 1), 0, 1), clLime);
}

TEST(QorCont, AddingFromItselfDoublesTheList)
{
    TQORStringList list;
    list.AddItem();
    list.Strings(0)->Items().Add("once");
    list.AddFrom(list);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Strings(1)->Items()[0], "once");
}
