#include "kit-extra/qorlayout.h"

#include <gtest/gtest.h>

namespace {

const QRect kFace(0, 0, 100, 60);
const QSize kGlyph(16, 16);
const QSize kText(30, 10);

}  // namespace

TEST(ButtonLayout, CentredGlyphThenTextWithSpacing)
{
    TQORButtonLayout layout;
    const auto p = LayoutButton(layout, kGlyph, kText, kFace);
    // block 16 + 2 + 30 = 48 wide, 16 high, centred in 100 x 60
    EXPECT_EQ(p.glyph, QRect(26, 22, 16, 16));
    EXPECT_EQ(p.text, QRect(26 + 18 + 1, 22 + 3 + 1, 30, 10));
    EXPECT_TRUE(p.arrow.isNull());
}

TEST(ButtonLayout, EveryAlignmentPlacesTheBlockInItsCorner)
{
    TQORButtonLayout layout;
    const int xs[] = { 0, 26, 52 };
    const int ys[] = { 0, 22, 44 };
    for (int a = agTopLeft; a <= agBottomRight; ++a) {
        layout.SetAlignment(static_cast<TQORAlignment>(a));
        const auto p = LayoutButton(layout, kGlyph, kText, kFace);
        EXPECT_EQ(p.glyph.topLeft(), QPoint(xs[a % 3], ys[a / 3])) << a;
    }
}

TEST(ButtonLayout, TextBesideGlyphInEachArrangement)
{
    TQORButtonLayout layout;
    layout.SetAlignment(agTopLeft);
    layout.SetAlignText2Glyph(taLeft);
    auto p = LayoutButton(layout, kGlyph, kText, kFace);
    EXPECT_EQ(p.text.topLeft(), QPoint(1, 3 + 1));
    EXPECT_EQ(p.glyph.topLeft(), QPoint(32, 0));
    layout.SetAlignText2Glyph(taTop);
    p = LayoutButton(layout, kGlyph, kText, kFace);
    EXPECT_EQ(p.text.topLeft(), QPoint(1, 1));
    EXPECT_EQ(p.glyph.topLeft(), QPoint(7, 12));
    layout.SetAlignText2Glyph(taBottom);
    p = LayoutButton(layout, kGlyph, kText, kFace);
    EXPECT_EQ(p.glyph.topLeft(), QPoint(7, 0));
    EXPECT_EQ(p.text.topLeft(), QPoint(1, 19));
}

TEST(ButtonLayout, SpacingOnlyWithBothGlyphAndText)
{
    TQORButtonLayout layout;
    layout.SetAlignment(agTopLeft);
    layout.SetSpacing(10);
    const auto p = LayoutButton(layout, QSize(), kText, kFace);
    EXPECT_TRUE(p.glyph.isNull());
    EXPECT_EQ(p.text.topLeft(), QPoint(1, 1));
}

TEST(ButtonLayout, ArrowStandsBesideTheTextClearByItsIndent)
{
    TQORButtonLayout layout;
    layout.SetAlignment(agTopLeft);
    layout.SetArrow(true);
    auto p = LayoutButton(layout, kGlyph, kText, kFace);
    EXPECT_EQ(p.arrow, QRect(p.text.right() + 1 + 3, p.text.top() + 5 - 1, 5, 3));
    EXPECT_EQ(layout.OffsetX(), 0);
    layout.SetArrowPosition(apLeftGlyph);
    p = LayoutButton(layout, kGlyph, kText, kFace);
    EXPECT_EQ(p.glyph.left(), 8);
    EXPECT_EQ(p.arrow.left(), 0);
    // no glyph: an arrow meant for the glyph is not shown
    EXPECT_TRUE(LayoutButton(layout, QSize(), kText, kFace).arrow.isNull());
}

TEST(ButtonLayout, AHugeCaptionIsLaidOutWhole)
{
    TQORButtonLayout layout;
    const auto p = LayoutButton(layout, kGlyph, QSize(800000, 12), kFace);
    EXPECT_EQ(p.text.width(), 800000);
}

TEST(ButtonLayout, AssignReportsOneChange)
{
    TQORButtonLayout source;
    source.SetArrow(true);
    source.SetSpacing(7);
    TQORButtonLayout copy;
    int changes = 0;
    copy.OnChange = [&](TQORObject*) { ++changes; };
    copy.Assign(source);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(copy.Arrow());
    EXPECT_EQ(copy.Spacing(), 7);
}

TEST(DropDownArrow, RowsNarrowToTheApex)
{
    QImage image(10, 6, QImage::Format_RGB32);
    image.fill(Qt::white);
    DrawDropDownArrow(image, 1, 1, 3, clBlack);
    auto row = [&](int y) {
        std::string s;
        for (int x = 0; x < 10; ++x)
            s += image.pixel(x, y) == qRgb(0, 0, 0) ? '#' : '.';
        return s;
    };
    EXPECT_EQ(row(0), "..........");
    EXPECT_EQ(row(1), ".#####....");
    EXPECT_EQ(row(2), "..###.....");
    EXPECT_EQ(row(3), "...#......");
    EXPECT_EQ(row(4), "..........");
}

TEST(DropDownArrow, SizesOutOfRangeDrawNothing)
{
    QImage image(40, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    DrawDropDownArrow(image, 0, 0, 1, clBlack);
    DrawDropDownArrow(image, 0, 0, 16, clBlack);
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 255, 255));
}
