#include "kit-extra/qorbtn.h"
#include "kit-extra/tests/rgb.h"

#include <gtest/gtest.h>

namespace {

const QRgb kTransparent = qRgb(255, 0, 255);

// n cells of size x size; cell i is filled with colour (i * 40, 100, 50) around a
// transparent frame, so each cell is told apart and the bottom-left pixel is transparent.
QImage Cells(int n, int size = 16)
{
    QImage image(n * size, size, QImage::Format_RGB32);
    image.fill(kTransparent);
    for (int i = 0; i < n; ++i)
        for (int y = 2; y < size - 2; ++y)
            for (int x = 2; x < size - 2; ++x)
                image.setPixel(i * size + x, y, qRgb(i * 40, 100, 50));
    return image;
}

}  // namespace

TEST(Glyph, CellCountComesFromTheBitmapSize)
{
    TQORGlyph glyph;
    glyph.SetBitmap(Cells(4));
    EXPECT_EQ(glyph.NumGlyphs(), 4);
    glyph.SetBitmap(Cells(6));
    EXPECT_EQ(glyph.NumGlyphs(), 1);
    glyph.SetNumGlyphs(3);
    glyph.SetBitmap(QImage(20, 16, QImage::Format_RGB32));  // not whole cells
    EXPECT_EQ(glyph.NumGlyphs(), 3);
}

TEST(Glyph, EmptyOrTooNarrowBitmapsGiveNoImage)
{
    TQORGlyph glyph;
    glyph.SetBitmap(QImage());
    EXPECT_EQ(glyph.NumGlyphs(), 1);
    EXPECT_TRUE(glyph.StateImage(bsUp).isNull());
    QImage thin(3, 16, QImage::Format_RGB32);
    thin.fill(Qt::red);
    glyph.SetBitmap(thin);
    glyph.SetNumGlyphs(5);
    EXPECT_EQ(glyph.CellSize(), QSize(0, 0));
    EXPECT_TRUE(glyph.StateImage(bsHot).isNull());
}

TEST(Glyph, TransparentColourIsTheBottomLeftPixel)
{
    QImage image = Cells(1);
    image.setPixel(0, 15, qRgb(1, 2, 3));
    TQORGlyph glyph;
    glyph.SetBitmap(image);
    EXPECT_EQ(glyph.TransparentColor(), RGB(1, 2, 3));
}

TEST(Glyph, SlotTableForEachStyleAndCellCount)
{
    TQORGlyph glyph;
    for (int n = 1; n <= 5; ++n) {
        glyph.SetNumGlyphs(n);
        for (int style = 0; style <= 1; ++style) {
            glyph.SetStyle(style);
            for (int state = 0; state <= 7; ++state) {
                int expected = state;
                if (state == 1 || state == 7)
                    expected = 1;
                else if (state > n - 1)
                    expected = style == 1 ? (state == 6 ? 4 : 2) : 0;
                EXPECT_EQ(glyph.SlotFor(state), expected) << n << " " << style << " " << state;
            }
        }
    }
}

TEST(Glyph, OneCellShowsItForHotLatchedHeldAndEtchedWhenDisabled)
{
    TQORGlyph glyph;
    glyph.SetBitmap(Cells(1));
    const QImage up = glyph.StateImage(bsUp);
    EXPECT_EQ(glyph.StateImage(bsHot), up);
    EXPECT_EQ(glyph.StateImage(bsLatched), up);
    EXPECT_EQ(glyph.StateImage(bsHeld), up);
    const QImage disabled = glyph.StateImage(bsDisabled);
    EXPECT_EQ(disabled.pixel(2, 2), Rgb(clBtnShadow));  // the shape in place
    EXPECT_EQ(disabled.pixel(14, 14), Rgb(clBtnHighlight));  // one pixel right and down
    EXPECT_EQ(disabled.pixel(1, 1), kTransparent);
}

TEST(Glyph, EachStateTakesItsOwnCell)
{
    TQORGlyph glyph;
    glyph.SetBitmap(Cells(5));
    EXPECT_EQ(glyph.StateImage(bsHot).pixel(5, 5), qRgb(80, 100, 50));
    EXPECT_EQ(glyph.StateImage(bsHeld).pixel(5, 5), qRgb(160, 100, 50));
    EXPECT_EQ(glyph.StateImage(bsMenu).pixel(5, 5), qRgb(0, 100, 50));
}

TEST(Glyph, UncolouredStyleShowsGreyAtRestAndColourWhenHot)
{
    TQORGlyph glyph;
    glyph.SetBitmap(Cells(1));
    glyph.SetStyle(1);
    const QImage up = glyph.StateImage(bsUp);
    EXPECT_EQ(up.pixel(5, 5), Rgb(clBtnShadow));  // one tone: the average maps to the middle band
    EXPECT_EQ(glyph.StateImage(bsHot).pixel(5, 5), qRgb(0, 100, 50));
}

TEST(Glyph, GreyToneThresholdsFollowTheAverageLight)
{
    // top-left transparent; then lights 0, 300, 600, 765: average 416.25, offset 216.
    QImage image(5, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(1, 1, 1));
    image.setPixel(1, 0, qRgb(0, 0, 0));
    image.setPixel(2, 0, qRgb(100, 100, 100));
    image.setPixel(3, 0, qRgb(200, 200, 200));
    image.setPixel(4, 0, qRgb(255, 255, 255));
    const QImage grey = GreyToneImage(image);
    EXPECT_EQ(grey.pixel(0, 0), qRgb(1, 1, 1));
    EXPECT_EQ(grey.pixel(1, 0), qRgb(0, 0, 0));
    EXPECT_EQ(grey.pixel(2, 0), Rgb(clBtnShadow));  // 300 > 266
    EXPECT_EQ(grey.pixel(3, 0), Rgb(clBtnHighlight));  // 600 > 466
    EXPECT_EQ(grey.pixel(4, 0), qRgb(255, 255, 255));  // 765 is not above 766: highlight, white in the classic scheme
}

TEST(GlyphCache, GlyphsOfOneSizeShareAListFreedWithTheLastGlyph)
{
    {
        TQORGlyph a;
        TQORGlyph b;
        a.SetBitmap(Cells(1));
        b.SetBitmap(Cells(2));
        a.StateImage(bsUp);
        b.StateImage(bsHot);
        ASSERT_NE(GlyphCache(), nullptr);
        TQORGlyphList* list = GlyphCache()->GetList(16, 16);
        EXPECT_EQ(list->Count(), 2);
        TQORGlyph c;
        c.SetBitmap(Cells(1, 8));
        c.StateImage(bsUp);
        EXPECT_NE(GlyphCache()->GetList(8, 8), list);
    }
    EXPECT_EQ(GlyphCache(), nullptr);
}

TEST(GlyphList, AllocCellReusesTheLowestFreeCell)
{
    TQORGlyphList list(4, 4);
    QImage cell(4, 4, QImage::Format_RGB32);
    cell.fill(Qt::red);
    EXPECT_EQ(list.AddGlyph(cell, clWhite), 0);
    EXPECT_EQ(list.AddGlyph(cell, clWhite), 1);
    EXPECT_EQ(list.AddGlyph(cell, clWhite), 2);
    list.FreeCell(1);
    list.FreeCell(1);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.AllocCell(), 1);
    EXPECT_EQ(list.AllocCell(), 3);
    EXPECT_EQ(list.CellCount(), 4);
}

TEST(Glyph, DrawLeavesTransparentPixelsAlone)
{
    TQORGlyph glyph;
    glyph.SetBitmap(Cells(1));
    QImage canvas(20, 20, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    glyph.Draw(canvas, QPoint(2, 2), bsUp);
    EXPECT_EQ(canvas.pixel(3, 3), qRgb(255, 255, 255));
    EXPECT_EQ(canvas.pixel(4, 4), qRgb(0, 100, 50));
}
