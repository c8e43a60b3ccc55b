#include "kit/qordrawex.h"

#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <numbers>

void SplitByColor(const QImage& source, QImage& image, QImage& mask, TColor transparentColor)
{
    const QRgb key = ToQColor(ColorToRGB(transparentColor)).rgb() & 0xFFFFFF;
    image = source.convertToFormat(QImage::Format_RGB32);
    mask = QImage(source.size(), QImage::Format_Mono);
    mask.setColorTable({ qRgb(0, 0, 0), qRgb(255, 255, 255) });
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const bool transparent = (row[x] & 0xFFFFFF) == key;
            mask.setPixel(x, y, transparent ? 1 : 0);
            if (transparent)
                row[x] = qRgb(0, 0, 0);
        }
    }
}

void CopyScreenRect(QImage& bitmap, QWidget& window, const QRect& rect)
{
    if (rect.isEmpty())
        return;
    bitmap = QImage(rect.size(), QImage::Format_RGB32);
    bitmap.fill(Qt::black);
    QPainter painter(&bitmap);
    window.render(&painter, QPoint(0, 0), QRegion(rect));
}

QRect AlignRect(TQORAlignment alignment, const QRect& inner, const QRect& outer)
{
    const int freeWidth = outer.width() - inner.width();
    const int freeHeight = outer.height() - inner.height();
    const int column = static_cast<int>(alignment) % 3;
    const int row = static_cast<int>(alignment) / 3;
    const int dx = column == 0 ? 0 : column == 1 ? freeWidth / 2 : freeWidth;
    const int dy = row == 0 ? 0 : row == 1 ? freeHeight / 2 : freeHeight;
    return QRect(outer.left() + dx, outer.top() + dy, inner.width(), inner.height());
}

QSize RectSize(const QRect& rect) { return QSize(rect.width(), rect.height()); }

int MaxOfInts(const std::vector<int>& values)
{
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

int MinOfInts(const std::vector<int>& values)
{
    return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

QRect RotateRect(const QRect& rect, int angle)
{
    if (angle == 0)
        return rect;
    const double radians = angle * std::numbers::pi / 180.0;
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    const double cx = rect.left() + rect.width() / 2.0;
    const double cy = rect.top() + rect.height() / 2.0;
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    const double corners[4][2] = { { double(rect.left()), double(rect.top()) },
                                   { double(rect.left() + rect.width()), double(rect.top()) },
                                   { double(rect.left()), double(rect.top() + rect.height()) },
                                   { double(rect.left() + rect.width()), double(rect.top() + rect.height()) } };
    for (int i = 0; i < 4; ++i) {
        const double x = cx + (corners[i][0] - cx) * c - (corners[i][1] - cy) * s;
        const double y = cy + (corners[i][0] - cx) * s + (corners[i][1] - cy) * c;
        if (i == 0 || x < minX)
            minX = x;
        if (i == 0 || x > maxX)
            maxX = x;
        if (i == 0 || y < minY)
            minY = y;
        if (i == 0 || y > maxY)
            maxY = y;
    }
    return QRect(0, 0, static_cast<int>(std::lround(maxX - minX)), static_cast<int>(std::lround(maxY - minY)));
}
