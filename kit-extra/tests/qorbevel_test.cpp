#include "kit-extra/qorbevel.h"
#include "kit-extra/tests/rgb.h"

#include "screenshot.h"

#include <gtest/gtest.h>

namespace {

constexpr int kW = 40;
constexpr int kH = 30;
const QRgb kBack = QColor(Qt::magenta).rgb();

QImage Paint(const TQORBevel& bevel, qorprocs::TRect* inner = nullptr, bool noFill = false)
{
    QImage image(kW, kH, QImage::Format_RGB32);
    image.fill(kBack);
    qorprocs::TRect r;
    bevel.Paint(image, { 0, 0, kW, kH }, r, noFill);
    if (inner)
        *inner = r;
    return image;
}

}  // namespace

TEST(Bevel, TotalWidthOfCustomStyles)
{
    TQORBevel bevel;
    EXPECT_EQ(bevel.TotalWidth(), 0);
    bevel.SetStyleOuter(bvRaised);
    bevel.SetWidthOuter(2);
    EXPECT_EQ(bevel.TotalWidth(), 2);
    bevel.SetStyleOuter(bvFrameRaised);
    EXPECT_EQ(bevel.TotalWidth(), 3);
    bevel.SetBorderWidth(4);
    bevel.SetStyleInner(bvLowered);
    EXPECT_EQ(bevel.TotalWidth(), 3 + 4 + 1);
    bevel.SetStyleOuter(bvShadow);
    bevel.SetWidthOuter(5);
    bevel.SetWidthInner(3);
    bevel.SetBorderInnerWidth(2);
    EXPECT_EQ(bevel.TotalWidth(), 5 / 2 + 3 + 2 + 1);
}

TEST(Bevel, TotalWidthOfStandardAndEdgeModes)
{
    TQORBevel bevel;
    bevel.SetMode(bmStandard);
    EXPECT_EQ(bevel.TotalWidth(), 1);  // lsSingleLowered
    bevel.SetStandardStyle(lsNone);
    EXPECT_EQ(bevel.TotalWidth(), 0);
    bevel.SetStandardStyle(lsLowered);
    EXPECT_EQ(bevel.TotalWidth(), 2);
    bevel.SetMode(bmEdge);
    bevel.SetBorderInnerWidth(3);
    EXPECT_EQ(bevel.TotalWidth(), 5);
    bevel.SetBorderSides(0);
    EXPECT_EQ(bevel.TotalWidth(), 3);
}

TEST(Bevel, EdgeWithoutSidesDrawsNothingAndShrinksOnlyByTheInnerRings)
{
    TQORBevel bevel;
    bevel.SetMode(bmEdge);
    bevel.SetBorderSides(0);
    bevel.SetBorderInnerWidth(1);
    bevel.SetBorderColor(clRed);
    qorprocs::TRect inner;
    const QImage image = Paint(bevel, &inner);
    EXPECT_EQ(inner, (qorprocs::TRect { 1, 1, kW - 1, kH - 1 }));
    EXPECT_EQ(image.pixel(0, 0), Rgb(clRed));
    EXPECT_EQ(image.pixel(1, 1), kBack);
}

TEST(Bevel, ShadowOnOneSideCouplesTheOther)
{
    TQORBevel bevel;
    bevel.SetStyleInner(bvRaised);
    bevel.SetStyleOuter(bvShadow);
    EXPECT_EQ(bevel.StyleInner(), bvShadow);
    bevel.SetStyleInner(bvLowered);
    EXPECT_EQ(bevel.StyleOuter(), bvNone);
}

TEST(Bevel, StandardStyleInCustomModeReportsNoChange)
{
    TQORBevel bevel;
    int changes = 0;
    bevel.OnChange = [&](TQORObject*) { ++changes; };
    bevel.SetStandardStyle(lsRaised);
    EXPECT_EQ(changes, 0);
    bevel.SetMode(bmStandard);
    bevel.SetStandardStyle(lsLowered);
    EXPECT_EQ(changes, 2);
}

TEST(Bevel, AssignCopiesEverythingWithOneChange)
{
    TQORBevel source;
    source.SetMode(bmEdge);
    source.SetEdgeStyle(etBump);
    source.SetBorderInnerWidth(4);
    source.SetLightColor(clYellow);
    TQORBevel copy;
    int changes = 0;
    copy.OnChange = [&](TQORObject*) { ++changes; };
    copy.Assign(source);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(copy.EdgeStyle(), etBump);
    EXPECT_EQ(copy.LightColor(), clYellow);
    EXPECT_EQ(copy.TotalWidth(), 6);
}

TEST(Bevel, RaisedWidthOneHasLightTopLeftAndShadowBottomRight)
{
    TQORBevel bevel;
    bevel.SetStyleOuter(bvRaised);
    qorprocs::TRect inner;
    const QImage image = Paint(bevel, &inner);
    EXPECT_EQ(image.pixel(5, 0), Rgb(clBtnHighlight));
    EXPECT_EQ(image.pixel(0, 5), Rgb(clBtnHighlight));
    EXPECT_EQ(image.pixel(5, kH - 1), Rgb(clBtnShadow));
    EXPECT_EQ(image.pixel(kW - 1, 5), Rgb(clBtnShadow));
    EXPECT_EQ(image.pixel(kW - 1, 0), Rgb(clBtnShadow));
    EXPECT_EQ(inner, (qorprocs::TRect { 1, 1, kW - 1, kH - 1 }));
    SaveKitScreenshot(image, "bevel-custom-raised");
}

TEST(Bevel, LoweredWideBandsMeetOnTheDiagonal)
{
    TQORBevel bevel;
    bevel.SetStyleOuter(bvLowered);
    bevel.SetWidthOuter(3);
    const QImage image = Paint(bevel);
    EXPECT_EQ(image.pixel(10, 0), Rgb(clBtnShadow));  // row 0 is the shadow colour
    EXPECT_EQ(image.pixel(10, kH - 1), Rgb(clBtnHighlight));  // the last row the highlight
    EXPECT_EQ(image.pixel(kW - 1, 0), Rgb(clBtnHighlight));
    EXPECT_EQ(image.pixel(kW - 3, 0), Rgb(clBtnShadow));
    EXPECT_EQ(image.pixel(3, 3), kBack);
}

TEST(Bevel, FrameRaisedDrawsShadowInsideLight)
{
    TQORBevel bevel;
    bevel.SetStyleOuter(bvFrameRaised);
    qorprocs::TRect inner;
    const QImage image = Paint(bevel, &inner);
    EXPECT_EQ(image.pixel(5, 0), Rgb(clBtnHighlight));
    EXPECT_EQ(image.pixel(5, 1), Rgb(clBtnShadow));
    EXPECT_EQ(image.pixel(5, kH - 1), Rgb(clBtnShadow));
    EXPECT_EQ(inner, (qorprocs::TRect { 2, 2, kW - 2, kH - 2 }));
}

TEST(Bevel, BorderRingsFillUnlessNoFill)
{
    TQORBevel bevel;
    bevel.SetBorderWidth(2);
    bevel.SetBorderColor(clBlue);
    qorprocs::TRect inner;
    EXPECT_EQ(Paint(bevel, &inner).pixel(1, 10), Rgb(clBlue));
    EXPECT_EQ(inner, (qorprocs::TRect { 2, 2, kW - 2, kH - 2 }));
    EXPECT_EQ(Paint(bevel, &inner, true).pixel(1, 10), kBack);
    EXPECT_EQ(inner, (qorprocs::TRect { 2, 2, kW - 2, kH - 2 }));
}

TEST(Bevel, ShadowStyleCastsShadowRightAndDown)
{
    TQORBevel bevel;
    bevel.SetStyleOuter(bvShadow);
    bevel.SetWidthOuter(4);
    bevel.SetWidthInner(1);
    bevel.SetBorderColor(clWhite);
    bevel.SetLightColor(clBlack);
    bevel.SetShadowColor(clGray);
    const QImage image = Paint(bevel);
    EXPECT_EQ(image.pixel(kW - 1, kH - 1), Rgb(clGray));
    EXPECT_EQ(image.pixel(kW - 1, 1), Rgb(clWhite));  // above the shadow's offset
    EXPECT_EQ(image.pixel(0, 0), Rgb(clBlack));
    EXPECT_EQ(image.pixel(5, 5), Rgb(clWhite));
    SaveKitScreenshot(image, "bevel-custom-shadow");
}

TEST(Bevel, EveryCustomStylePaintsItsScreenshot)
{
    const struct {
        TQORBevelStyle style;
        const char* name;
    } styles[] = { { bvLowered, "lowered" }, { bvFrameLowered, "framelowered" }, { bvFrameRaised, "frameraised" },
                   { bvNormal, "normal" } };
    for (const auto& s : styles) {
        TQORBevel bevel;
        bevel.SetStyleOuter(s.style);
        bevel.SetWidthOuter(2);
        bevel.SetStyleInner(s.style);
        bevel.SetBorderWidth(2);
        const QImage image = Paint(bevel);
        EXPECT_NE(image.pixel(0, 0), kBack) << s.name;
        EXPECT_EQ(image.pixel(kW / 2, kH / 2), kBack) << s.name;
        SaveKitScreenshot(image, QString("bevel-custom-%1").arg(s.name));
    }
}

TEST(Bevel, StandardStylesShrinkByTheirWidthAndPaintScreenshots)
{
    const char* names[] = { "none",         "single",       "lowered",      "raised",       "raisedspb",
                            "loweredspb",   "raisedext",    "loweredext",   "frameinset",   "frameoffset",
                            "windowborder", "singleraised", "singlelowered", "doubleraised", "doublelowered" };
    for (int style = lsNone; style <= lsDoubleLowered; ++style) {
        TQORBevel bevel;
        bevel.SetMode(bmStandard);
        bevel.SetStandardStyle(static_cast<TQORBorderStyle>(style));
        qorprocs::TRect inner;
        const QImage image = Paint(bevel, &inner);
        if (style == lsNone)
            EXPECT_EQ(image.pixel(kW - 1, kH - 1), kBack);
        else
            EXPECT_NE(image.pixel(kW - 1, kH - 1), kBack) << names[style];
        EXPECT_EQ(image.pixel(kW / 2, kH / 2), kBack) << names[style];
        SaveKitScreenshot(image, QString("bevel-standard-%1").arg(names[style]));
    }
}

TEST(Bevel, SingleLoweredIsShadowAboveAndHighlightBelow)
{
    TQORBevel bevel;
    bevel.SetMode(bmStandard);
    qorprocs::TRect inner;
    const QImage image = Paint(bevel, &inner);
    EXPECT_EQ(image.pixel(10, 0), Rgb(clBtnShadow));
    EXPECT_EQ(image.pixel(10, kH - 1), Rgb(clBtnHighlight));
    EXPECT_EQ(inner, (qorprocs::TRect { 1, 1, kW - 1, kH - 1 }));
}

TEST(Bevel, EdgeStylesPaintScreenshots)
{
    const char* names[] = { "raisedinner", "raisedouter", "sunkeninner", "sunkenouter",
                            "bump",        "etched",      "raised",      "sunken" };
    for (int style = etRaisedInner; style <= etSunken; ++style) {
        TQORBevel bevel;
        bevel.SetMode(bmEdge);
        bevel.SetEdgeStyle(static_cast<TQOREdgeStyle>(style));
        qorprocs::TRect inner;
        const QImage image = Paint(bevel, &inner);
        EXPECT_EQ(inner, (qorprocs::TRect { 2, 2, kW - 2, kH - 2 })) << names[style];
        SaveKitScreenshot(image, QString("bevel-edge-%1").arg(names[style]));
    }
}

TEST(Bevel, EtchedEdgeIsShadowThenHighlightOnTop)
{
    TQORBevel bevel;
    bevel.SetMode(bmEdge);
    const QImage image = Paint(bevel);
    EXPECT_EQ(image.pixel(10, 0), Rgb(clBtnShadow));
    EXPECT_EQ(image.pixel(10, 1), Rgb(clBtnHighlight));
    EXPECT_EQ(image.pixel(10, kH - 1), Rgb(clBtnHighlight));
    EXPECT_EQ(image.pixel(10, kH - 2), Rgb(clBtnShadow));
}

TEST(Bevel, TextFreeScenesMatchTheirStoredPictures)
{
    TQORBevel bump;
    bump.SetMode(bmEdge);
    bump.SetEdgeStyle(etBump);
    ExpectStoredPicture(Paint(bump), "bevel-edge-bump");
    TQORBevel border;
    border.SetMode(bmStandard);
    border.SetStandardStyle(lsWindowBorder);
    ExpectStoredPicture(Paint(border), "bevel-standard-windowborder");
    TQORBevel frame;
    frame.SetStyleOuter(bvFrameRaised);
    frame.SetWidthOuter(2);
    frame.SetStyleInner(bvFrameRaised);
    frame.SetBorderWidth(2);
    ExpectStoredPicture(Paint(frame), "bevel-custom-frameraised");
}
