#include "kit/qordrawex.h"

#include "kit/qorgraph.h"
#include "platform/ui/drawtext.h"

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

namespace {

int captionDepth(const TQORFxCaption& caption)
{
    const int light = caption.LightDepth();
    const int shadow = caption.ShadowDepth();
    switch (caption.Style()) {
    case tdSunken:
    case tdRaised:
        return light;
    case tdSunkenShadow:
    case tdRaisedShadow:
    case tdPColorSunken:
    case tdPColorRaised:
        return light + shadow;
    case tdShadow:
        return shadow;
    default:
        return 0;
    }
}

std::uint16_t toPos(double value) { return static_cast<std::uint16_t>(std::clamp<long>(std::lround(value), 0, 0xFFFF)); }

}  // namespace

void MeasureCaption(const std::string& text, TQORFxCaption* fxCaption, QRect& rect, int extra, bool showAccel,
                    bool multiLine, const TFontSpec& font)
{
    const int depth = fxCaption ? captionDepth(*fxCaption) : 0;
    int width = 0;
    int height = 0;
    if (fxCaption && fxCaption->Angle() != 0) {
        const int tracing = fxCaption->Tracing();
        const int textWidth = TextWidth(font, text) + tracing * static_cast<int>(text.size());
        const int textHeight = TextHeight(font);
        const QRect turned = RotateRect(QRect(0, 0, textWidth + depth, textHeight + depth), fxCaption->Angle());
        width = turned.width();
        height = turned.height();
        // The text turns about its start point; place that point so the text's
        // middle meets the middle of the turned box.
        const double radians = fxCaption->Angle() * std::numbers::pi / 180.0;
        const double c = std::cos(radians);
        const double s = std::sin(radians);
        const double midX = textWidth / 2.0 * c + textHeight / 2.0 * s;
        const double midY = -textWidth / 2.0 * s + textHeight / 2.0 * c;
        const int back = std::max(0, depth / 2 - 1);
        fxCaption->SetPosition(toPos(width / 2.0 - midX - back), toPos(height / 2.0 - midY - back));
    } else {
        if (fxCaption)
            fxCaption->SetPosition(0, 0);
        QImage screen(1, 1, QImage::Format_RGB32);
        QPainter painter(&screen);
        painter.setFont(ToQFont(font));
        unsigned format = DT_CALCRECT | DT_EXPANDTABS;
        if (multiLine)
            format |= DT_WORDBREAK;
        if (!showAccel)
            format |= DT_NOPREFIX;
        const bool blank = text.empty() || (showAccel && text == "&");
        QRect measured = rect;
        DrawTextA(painter, blank ? std::string(" ") : text, measured, format);
        width = measured.width() + depth;
        height = measured.height() + depth;
    }
    rect.setWidth(width + 2 * (extra + 1));
    rect.setHeight(height + 2 * (extra + 1));
}
