#include "kit-extra/drawedge.h"
#include "kit-extra/tests/rgb.h"

#include <gtest/gtest.h>

namespace {

QImage Blank()
{
    QImage image(10, 8, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    return image;
}

}  // namespace

TEST(DrawEdge, RaisedEdgeHasLightTopLeftAndDarkBottomRightOwningTheCorners)
{
    QImage image = Blank();
    qorprocs::TRect r { 0, 0, 10, 8 };
    DrawEdge(image, r, EDGE_RAISED, BF_RECT);
    EXPECT_EQ(image.pixel(0, 0), Rgb(cl3DLight));
    EXPECT_EQ(image.pixel(8, 0), Rgb(cl3DLight));
    EXPECT_EQ(image.pixel(9, 0), Rgb(cl3DDkShadow));  // top-right corner
    EXPECT_EQ(image.pixel(0, 7), Rgb(cl3DDkShadow));  // bottom-left corner
    EXPECT_EQ(image.pixel(9, 7), Rgb(cl3DDkShadow));
    EXPECT_EQ(image.pixel(1, 1), Rgb(clBtnHighlight));
    EXPECT_EQ(image.pixel(8, 6), Rgb(clBtnShadow));
    EXPECT_EQ(image.pixel(2, 2), QColor(Qt::magenta).rgb());
    EXPECT_EQ(r, (qorprocs::TRect { 0, 0, 10, 8 }));  // no adjust asked
}

TEST(DrawEdge, SoftSwapsTheTopLeftColoursOfTheRings)
{
    QImage image = Blank();
    qorprocs::TRect r { 0, 0, 10, 8 };
    DrawEdge(image, r, EDGE_RAISED, BF_RECT | BF_SOFT);
    EXPECT_EQ(image.pixel(0, 0), Rgb(clBtnHighlight));
    EXPECT_EQ(image.pixel(1, 1), Rgb(cl3DLight));
}

TEST(DrawEdge, SunkenOuterIsShadowThenHighlight)
{
    QImage image = Blank();
    qorprocs::TRect r { 0, 0, 10, 8 };
    DrawEdge(image, r, BDR_SUNKENOUTER, BF_RECT);
    EXPECT_EQ(image.pixel(3, 0), Rgb(clBtnShadow));
    EXPECT_EQ(image.pixel(3, 7), Rgb(clBtnHighlight));
    EXPECT_EQ(image.pixel(1, 1), QColor(Qt::magenta).rgb());
}

TEST(DrawEdge, AdjustShrinksOnlyTheSidesDrawn)
{
    QImage image = Blank();
    qorprocs::TRect r { 0, 0, 10, 8 };
    DrawEdge(image, r, EDGE_ETCHED, BF_LEFT | BF_TOP | BF_ADJUST);
    EXPECT_EQ(r, (qorprocs::TRect { 2, 2, 10, 8 }));
    EXPECT_EQ(image.pixel(9, 7), QColor(Qt::magenta).rgb());
}

TEST(DrawEdge, SomeSidesOnlyDrawWholeLinesWithTheFullEdgesCorners)
{
    QImage full = Blank();
    qorprocs::TRect all { 0, 0, 10, 8 };
    DrawEdge(full, all, EDGE_RAISED, BF_RECT);
    const QRgb blank = QColor(Qt::magenta).rgb();
    for (unsigned sides = 1; sides < BF_RECT; ++sides) {
        QImage image = Blank();
        qorprocs::TRect r { 0, 0, 10, 8 };
        DrawEdge(image, r, EDGE_RAISED, sides);
        // Both rings: the outer one on the whole rectangle, the inner one inside the sides drawn.
        qorprocs::TRect ring { 0, 0, 10, 8 };
        for (int k = 0; k < 2; ++k) {
            const auto painted = [&](unsigned side, int x, int y) {
                return !(sides & side) || image.pixel(x, y) != blank;
            };
            for (int x = ring.Left; x < ring.Right; ++x) {
                EXPECT_TRUE(painted(BF_TOP, x, ring.Top)) << "sides " << sides << " ring " << k << " top x " << x;
                EXPECT_TRUE(painted(BF_BOTTOM, x, ring.Bottom - 1)) << "sides " << sides << " ring " << k << " bottom x " << x;
            }
            for (int y = ring.Top; y < ring.Bottom; ++y) {
                EXPECT_TRUE(painted(BF_LEFT, ring.Left, y)) << "sides " << sides << " ring " << k << " left y " << y;
                EXPECT_TRUE(painted(BF_RIGHT, ring.Right - 1, y)) << "sides " << sides << " ring " << k << " right y " << y;
            }
            ring.Left += (sides & BF_LEFT) ? 1 : 0;
            ring.Top += (sides & BF_TOP) ? 1 : 0;
            ring.Right -= (sides & BF_RIGHT) ? 1 : 0;
            ring.Bottom -= (sides & BF_BOTTOM) ? 1 : 0;
        }
        // Where the two sides of a corner are drawn, it looks as in the full edge.
        const struct { unsigned needs; int x, y; } corners[] = {
            { BF_LEFT | BF_TOP, 0, 0 }, { BF_TOP | BF_RIGHT, 9, 0 }, { BF_RIGHT | BF_BOTTOM, 9, 7 }, { BF_BOTTOM | BF_LEFT, 0, 7 } };
        for (const auto& corner : corners) {
            if ((sides & corner.needs) == corner.needs) {
                EXPECT_EQ(image.pixel(corner.x, corner.y), full.pixel(corner.x, corner.y)) << "sides " << sides;
            }
        }
        EXPECT_EQ(image.pixel(4, 4), blank);
    }
}
