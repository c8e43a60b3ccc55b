#include "platform/ui/drawtext.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

// The columns holding ink, as [first, last]; -1 when none.
std::pair<int, int> InkColumns(const QImage& image)
{
    int first = -1;
    int last = -1;
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            if (image.pixelColor(x, y) != QColor(Qt::white)) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
    return { first, last };
}

QImage Draw(const std::string& text, unsigned format)
{
    QImage image(200, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    QRect rect(10, 0, 180, 40);
    DrawTextA(painter, text, rect, format);
    return image;
}

}  // namespace

TEST(DrawText, AlignmentPlacesTheLine)
{
    const auto left = InkColumns(Draw("Text", DT_LEFT | DT_SINGLELINE));
    const auto right = InkColumns(Draw("Text", DT_RIGHT | DT_SINGLELINE));
    EXPECT_GE(left.first, 10);
    EXPECT_LT(left.first, 14);
    EXPECT_LE(right.second, 189);
    EXPECT_GT(right.second, 184);
}

TEST(DrawText, TextStaysInsideItsRectangleUnlessToldNot)
{
    const std::string wide(80, 'W');
    EXPECT_LE(InkColumns(Draw(wide, DT_LEFT | DT_SINGLELINE)).second, 189);
    EXPECT_GT(InkColumns(Draw(wide, DT_LEFT | DT_SINGLELINE | DT_NOCLIP)).second, 189);
}

TEST(DrawText, MeasuringDrawsNothingAndSizesTheRectangle)
{
    QImage image(200, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QRect rect(0, 0, 0, 0);
    const int height = DrawTextA(painter, "&File", rect, DT_CALCRECT | DT_SINGLELINE);
    const QFontMetrics metrics(painter.font());
    EXPECT_EQ(height, metrics.height());
    EXPECT_EQ(rect.width(), metrics.horizontalAdvance("File"));
    QRect plain(0, 0, 0, 0);
    DrawTextA(painter, "&File", plain, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(plain.width(), metrics.horizontalAdvance("&File"));
    painter.end();
    EXPECT_EQ(InkColumns(image).first, -1);
}

TEST(DrawText, CellCornerIsItsTopLeft)
{
    QImage image(100, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    ExtTextOutA(painter, 20, 5, "H");
    painter.end();
    int top = -1;
    for (int y = 0; y < 40 && top < 0; ++y)
        for (int x = 0; x < 100; ++x)
            if (image.pixelColor(x, y) != QColor(Qt::white)) {
                top = y;
                break;
            }
    EXPECT_GE(top, 5);
    EXPECT_LT(top, 12) << "the glyph hangs below the corner, not above it";
    EXPECT_GE(InkColumns(image).first, 20);
}
