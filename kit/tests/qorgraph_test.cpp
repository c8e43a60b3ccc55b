#include "kit/qorgraph.h"

#include <gtest/gtest.h>

namespace {

struct Counter {
    int changes { 0 };
    void watch(TQORObject& object)
    {
        object.OnChange = [this](TQORObject*) { ++changes; };
    }
};

}  // namespace

TEST(QorGraph, CaptionStartsWithItsDefaults)
{
    TQORFxCaption caption;
    EXPECT_EQ(caption.DisabledStyle(), dsAuto);
    EXPECT_EQ(caption.LightDepth(), 1);
    EXPECT_EQ(caption.ShadowDepth(), 1);
    EXPECT_EQ(caption.LightColor(), clBtnHighlight);
    EXPECT_EQ(caption.ShadowColor(), clBtnShadow);
    EXPECT_EQ(caption.Style(), tdNone);
    EXPECT_EQ(caption.Tracing(), 0);
    EXPECT_EQ(caption.Angle(), 0);
    EXPECT_EQ(caption.PosX(), 0);
    EXPECT_EQ(caption.PosY(), 0);
}

TEST(QorGraph, SettersReportOnlyRealChanges)
{
    TQORFxCaption caption;
    Counter counter;
    counter.watch(caption);
    caption.SetStyle(tdSunken);
    caption.SetStyle(tdSunken);
    caption.SetLightDepth(1);
    caption.SetShadowDepth(3);
    caption.SetShadowColor(clBtnShadow);
    caption.SetLightColor(clRed);
    caption.SetPosX(0);
    caption.SetPosY(7);
    caption.SetAngle(0);
    caption.SetTracing(2);
    EXPECT_EQ(counter.changes, 5);
    EXPECT_EQ(caption.ShadowDepth(), 3);
    EXPECT_EQ(caption.LightColor(), clRed);
    EXPECT_EQ(caption.PosY(), 7);
}

TEST(QorGraph, FullTurnReadsAsNoAngle)
{
    TQORFxCaption caption;
    caption.SetAngle(90);
    caption.SetAngle(360);
    EXPECT_EQ(caption.Angle(), 0);
}

TEST(QorGraph, AssignCopiesEverythingWithOneChange)
{
    TQORFxCaption source;
    source.SetStyle(tdRaisedShadow);
    source.SetDisabledStyle(ds3d);
    source.SetShadowDepth(4);
    source.SetAngle(45);
    source.SetPosX(9);
    TQORFxCaption target;
    Counter counter;
    counter.watch(target);
    target.Assign(source);
    EXPECT_EQ(counter.changes, 1);
    EXPECT_EQ(target.Style(), tdRaisedShadow);
    EXPECT_EQ(target.DisabledStyle(), ds3d);
    EXPECT_EQ(target.ShadowDepth(), 4);
    EXPECT_EQ(target.Angle(), 45);
    EXPECT_EQ(target.PosX(), 9);
}

TEST(QorGraph, AssignFromPlainStyleKeepsAngleAndSelfAssignIsQuiet)
{
    TQOR3DCaption plain;
    plain.SetStyle(tdShadow);
    TQORFxCaption target;
    target.SetAngle(30);
    Counter counter;
    counter.watch(target);
    target.Assign(plain);
    EXPECT_EQ(target.Style(), tdShadow);
    EXPECT_EQ(target.Angle(), 30);
    target.Assign(target);
    EXPECT_EQ(counter.changes, 1);
}
