#include "kit/qordrawex.h"

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
