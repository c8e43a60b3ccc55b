#include "kit/qordrawex.h"

#include "kit/qorgraph.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QWidget>

TEST(QorDrawEx, RotatingAWideRectangleByNinetyDegreesStandsItUp)
{
    const QRect turned = RotateRect(QRect(10, 10, 100, 20), 90);
    EXPECT_EQ(turned.topLeft(), QPoint(0, 0));
    EXPECT_EQ(turned.width(), 20);
    EXPECT_EQ(turned.height(), 100);
    EXPECT_EQ(RotateRect(QRect(10, 10, 100, 20), 0), QRect(10, 10, 100, 20));
    const QRect diagonal = RotateRect(QRect(0, 0, 100, 100), 45);
    EXPECT_EQ(diagonal.width(), 141);
}

TEST(QorDrawEx, ExtremesOfNoValuesAreZero)
{
    EXPECT_EQ(MaxOfInts({}), 0);
    EXPECT_EQ(MinOfInts({}), 0);
    EXPECT_EQ(MaxOfInts({ 7 }), 7);
    EXPECT_EQ(MaxOfInts({ 3, -2, 9, 4 }), 9);
    EXPECT_EQ(MinOfInts({ 3, -2, 9, 4 }), -2);
}

TEST(QorDrawEx, AlignRectPlacesByEdgeOrMiddle)
{
    const QRect inner(0, 0, 10, 6);
    const QRect outer(100, 200, 50, 20);
    EXPECT_EQ(AlignRect(agTopLeft, inner, outer), QRect(100, 200, 10, 6));
    EXPECT_EQ(AlignRect(agCenter, inner, outer), QRect(120, 207, 10, 6));
    EXPECT_EQ(AlignRect(agBottomRight, inner, outer), QRect(140, 214, 10, 6));
    EXPECT_EQ(AlignRect(agTopCenter, inner, outer), QRect(120, 200, 10, 6));
    EXPECT_EQ(RectSize(outer), QSize(50, 20));
}

TEST(QorDrawEx, SplitByColorBlackensAndMasksTheTransparentPixels)
{
    QImage source(3, 1, QImage::Format_RGB32);
    source.setPixel(0, 0, qRgb(255, 0, 255));
    source.setPixel(1, 0, qRgb(10, 20, 30));
    source.setPixel(2, 0, qRgb(255, 0, 255));
    QImage image, mask;
    SplitByColor(source, image, mask, clFuchsia);
    EXPECT_EQ(image.pixel(0, 0) & 0xFFFFFF, 0u);
    EXPECT_EQ(image.pixel(1, 0) & 0xFFFFFF, 0x0A141Eu);
    EXPECT_EQ(mask.pixelIndex(0, 0), 1);
    EXPECT_EQ(mask.pixelIndex(1, 0), 0);
    EXPECT_EQ(mask.pixel(2, 0) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(source.pixel(0, 0) & 0xFFFFFF, 0xFF00FFu);
}

namespace {

// Paints its left half green and its right half red.
class Halves final : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(0, 0, width() / 2, height(), Qt::green);
        painter.fillRect(width() / 2, 0, width() - width() / 2, height(), Qt::red);
    }
};

}  // namespace

TEST(QorDrawEx, CopyScreenRectTakesTheWindowsOwnPixels)
{
    Halves window;
    window.resize(40, 10);
    QImage bitmap(1, 1, QImage::Format_RGB32);
    CopyScreenRect(bitmap, window, QRect());
    EXPECT_EQ(bitmap.size(), QSize(1, 1));
    CopyScreenRect(bitmap, window, QRect(15, 2, 10, 5));
    ASSERT_EQ(bitmap.size(), QSize(10, 5));
    EXPECT_EQ(bitmap.pixel(0, 0) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(bitmap.pixel(9, 4) & 0xFFFFFF, 0xFF0000u);
}

TEST(QorDrawEx, EmptyCaptionMeasuresOneBlankAndItsMargin)
{
    const TFontSpec font("MS Sans Serif", 8);
    QRect blank(5, 5, 100, 100);
    MeasureCaption(" ", nullptr, blank, 0, false, false, font);
    QRect empty(5, 5, 100, 100);
    MeasureCaption("", nullptr, empty, 3, false, false, font);
    EXPECT_EQ(empty.topLeft(), QPoint(5, 5));
    EXPECT_EQ(empty.width(), blank.width() - 2 + 8);
    EXPECT_EQ(empty.height(), blank.height() - 2 + 8);
    QRect amp(0, 0, 100, 100);
    MeasureCaption("&", nullptr, amp, 0, true, false, font);
    EXPECT_EQ(amp.size(), blank.size());
}

TEST(QorDrawEx, CaptionDepthWidensTheMeasure)
{
    const TFontSpec font("MS Sans Serif", 8);
    QRect plain(0, 0, 200, 50);
    MeasureCaption("Korvo", nullptr, plain, 0, false, false, font);
    TQORFxCaption caption;
    caption.SetStyle(tdRaisedShadow);
    caption.SetLightDepth(2);
    caption.SetShadowDepth(3);
    caption.SetPosX(9);
    QRect deep(0, 0, 200, 50);
    MeasureCaption("Korvo", &caption, deep, 0, false, false, font);
    EXPECT_EQ(deep.width(), plain.width() + 5);
    EXPECT_EQ(deep.height(), plain.height() + 5);
    EXPECT_EQ(caption.PosX(), 0);
}

TEST(QorDrawEx, TurnedCaptionIsMeasuredStandingAndCentredSilently)
{
    const TFontSpec font("MS Sans Serif", 8);
    TQORFxCaption caption;
    caption.SetAngle(90);
    int changes = 0;
    caption.OnChange = [&](TQORObject*) { ++changes; };
    QRect rect(0, 0, 10, 10);
    MeasureCaption("Korvo Korvo", &caption, rect, 1, false, false, font);
    const int textWidth = TextWidth(font, "Korvo Korvo");
    const int textHeight = TextHeight(font);
    EXPECT_EQ(rect.width(), textHeight + 4);
    EXPECT_EQ(rect.height(), textWidth + 4);
    // Turned upwards about its start point: the start sits at the box's bottom left.
    EXPECT_EQ(caption.PosX(), 0);
    EXPECT_EQ(caption.PosY(), textWidth);
    EXPECT_EQ(changes, 0);
}
