#include "kit-extra/drawedge.h"

#include <gtest/gtest.h>

namespace {

QImage Blank()
{
    QImage image(10, 8, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    return image;
}

QRgb Rgb(TColor color) { return ToQColor(color).rgb(); }

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
