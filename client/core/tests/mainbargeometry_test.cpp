#include "client/core/mainbargeometry.h"

#include <gtest/gtest.h>

using namespace mainbar;

TEST(MainBarGeometry, DocksTwentyPixelsFromTheRightEdgeAndCentred)
{
    EXPECT_EQ(DockedLeft(1024), 1024 - 123 - 20);
    EXPECT_EQ(DockedTop(768, 457), 384 - 228 + 3);
    EXPECT_EQ(TuckedLeft(1024), 1020);
    EXPECT_TRUE(IsTucked(1020, 1024));
    EXPECT_FALSE(IsTucked(DockedLeft(1024), 1024));
}

TEST(MainBarGeometry, NeverShorterThanTheMinimum)
{
    EXPECT_EQ(ClampHeight(200), 372);
    EXPECT_EQ(ClampHeight(500), 500);
    EXPECT_EQ(MaximizedHeight(740), 740);
}

TEST(MainBarGeometry, SidesAndCornersDoNotSizeTheBar)
{
    const int w = 123, h = 457;
    EXPECT_EQ(BarHitTest(1, 200, w, h), HTCLIENT);        // left edge
    EXPECT_EQ(BarHitTest(w - 2, 200, w, h), HTCLIENT);    // right edge
    EXPECT_EQ(BarHitTest(w - 2, h - 2, w, h), HTCLIENT);  // bottom-right corner
    EXPECT_EQ(BarHitTest(1, h - 2, w, h), HTCLIENT);      // bottom-left corner
    EXPECT_EQ(BarHitTest(60, 1, w, h), HTTOP);
    EXPECT_EQ(BarHitTest(60, h - 1, w, h), HTBOTTOM);
}

TEST(MainBarGeometry, TopLeftCornerDragsTheBar)
{
    const int w = 123, h = 457;
    EXPECT_EQ(BarHitTest(10, 20, w, h), HTCAPTION);
    EXPECT_EQ(BarHitTest(82, 39, w, h), HTCAPTION);
    EXPECT_EQ(BarHitTest(83, 20, w, h), HTCLIENT);
    EXPECT_EQ(BarHitTest(10, 40, w, h), HTCLIENT);
    EXPECT_EQ(BarHitTest(10, 2, w, h), HTCLIENT);  // the top-left sizing corner is no handle either
}

TEST(MainBarGeometry, ResizeKeepsButtonsAboveTheCommandPanelAndStretchesThePanels)
{
    const Layout design = LayoutFor(449);
    EXPECT_EQ(design.statusTop, 428);
    EXPECT_EQ(design.commandPanelTop, 313);
    EXPECT_EQ(design.toolButtonTop, 287);
    EXPECT_EQ(design.filterTop, 263);
    EXPECT_EQ(design.panelHeight, 221);

    const Layout tall = LayoutFor(649);
    EXPECT_EQ(tall.toolButtonTop, 487);
    EXPECT_EQ(tall.panelHeight, 421);
}
