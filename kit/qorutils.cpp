#include "kit/qorutils.h"

#include "kit/qorapplication.h"
#include "kit/qorscreen.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/stringlist.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/colortext.h"
#include "platform/ui/drawtext.h"
#include "platform/ui/form.h"

#include <QCursor>
#include <QPainter>
#include <QWidget>

#include <chrono>
#include <cmath>
#include <thread>

using qorprocs::TRect;

namespace {

QRect ToQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }

bool IsEmpty(const TRect& r) { return r.Right <= r.Left || r.Bottom <= r.Top; }

// Puts the painter's state back whatever way the drawing ends.
class PainterState {
public:
    explicit PainterState(QPainter& painter) : m_painter(painter) { m_painter.save(); }
    ~PainterState() { m_painter.restore(); }
    PainterState(const PainterState&) = delete;
    PainterState& operator=(const PainterState&) = delete;

private:
    QPainter& m_painter;
};

struct Pass {
    int offset;
    TColor color;
};

QImage Rgb32(const QImage& image)
{
    return image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
}

// Mask then image by AND and OR, so the target shows through where the mask is white.
void DrawMasked(QPainter& canvas, const std::vector<TRect>& targets, const QImage& mask, const QImage& image,
    const QRect& sourceRect)
{
    const auto mode = canvas.compositionMode();
    for (const TRect& target : targets) {
        const QRect t = ToQRect(target);
        canvas.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        canvas.drawImage(t, mask, sourceRect);
        canvas.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
        canvas.drawImage(t, image, sourceRect);
    }
    canvas.setCompositionMode(mode);
}

}  // namespace

void DrawCaptionText(QPainter& canvas, const std::string& text, const TQOR3DCaption* caption,
    const TRect* clipRect, unsigned flags, unsigned format, const TRect& rect)
{
    if (text.empty() || IsEmpty(rect))
        return;
    QRect work = ToQRect(rect);
    if (!caption) {
        DrawTextA(canvas, text, work, format);
        return;
    }
    const auto* fx = dynamic_cast<const TQORFxCaption*>(caption);
    const int kind = !fx ? 0 : fx->Angle() == 0 ? 1 : 2;

    PainterState state(canvas);
    if (flags & dcClip)
        canvas.setClipRect(ToQRect(clipRect ? *clipRect : rect), Qt::IntersectClip);

    TQORThreeDStyle style = caption->Style();
    TColor color;
    if ((flags & dcEnabled) || caption->DisabledStyle() == dsNone) {
        const bool brushColor = style == tdPColorSunken || style == tdPColorRaised;
        color = FromQColor(brushColor ? canvas.brush().color() : canvas.pen().color());
    } else {
        color = clGrayText;
        if (caption->DisabledStyle() == ds3d || (caption->DisabledStyle() == dsAuto && (flags & dcDisabledSunken)))
            style = tdSunken;
    }

    if (kind != 0)
        work.translate(fx->PosX(), fx->PosY());
    if (caption->Tracing() != 0) {
        QFont font = canvas.font();
        font.setLetterSpacing(QFont::AbsoluteSpacing, caption->Tracing());
        canvas.setFont(font);
    }
    canvas.setBackgroundMode(Qt::TransparentMode);
    canvas.setBrush(Qt::NoBrush);

    const int l = caption->LightDepth();
    const int s = caption->ShadowDepth();
    const TColor light = caption->LightColor();
    const TColor shadow = caption->ShadowColor();
    int narrower = 0;
    std::vector<Pass> passes;
    switch (style) {
    case tdSunken:
        narrower = l;
        passes = { { l, light }, { -l, color } };
        break;
    case tdRaised:
        narrower = l;
        passes = { { 0, light }, { l, color } };
        break;
    case tdSunkenShadow:
    case tdPColorSunken:
        narrower = l + s;
        passes = { { 0, shadow }, { l + s, light }, { -l, color } };
        break;
    case tdRaisedShadow:
    case tdPColorRaised:
        narrower = l + s;
        passes = { { l + s, shadow }, { -(l + s), light }, { l, color } };
        break;
    case tdShadow:
        narrower = s;
        passes = { { s, shadow }, { -s, color } };
        break;
    default:
        passes = { { 0, color } };
        break;
    }
    work.setRight(work.right() - narrower);
    for (const Pass& pass : passes) {
        canvas.setPen(ToQColor(pass.color));
        work.translate(pass.offset, pass.offset);
        if (kind == 2) {
            // The text turns around the top-left corner of its cell.
            PainterState turned(canvas);
            canvas.translate(work.left(), work.top());
            canvas.rotate(-fx->Angle());
            ExtTextOutA(canvas, 0, 0, text);
        } else {
            QRect box = work;
            DrawTextA(canvas, text, box, format);
        }
    }
}

std::vector<TRect> StretchTargets(const TRect& dest, int width, int height, std::uint16_t flags)
{
    std::vector<TRect> targets;
    if (IsEmpty(dest) || width <= 0 || height <= 0)
        return targets;
    const int dw = dest.Width();
    const int dh = dest.Height();
    if (flags & dbTile) {
        const int columns = dw / width + 1;
        const int rows = dh / height + 1;
        targets.reserve(static_cast<std::size_t>(columns) * rows);
        for (int row = 0; row < rows; ++row)
            for (int column = 0; column < columns; ++column) {
                const int left = dest.Left + column * width;
                const int top = dest.Top + row * height;
                targets.push_back({ left, top, left + width, top + height });
            }
        return targets;
    }
    if (flags & dbStretch) {
        const bool keepHeight = flags & dbKeepHeight;
        const bool keepWidth = flags & dbKeepWidth;
        if (keepHeight && keepWidth) {
            targets.push_back(qorprocs::FitRect({ 0, 0, width, height }, dest));
        } else if (keepWidth) {
            const int h = static_cast<int>(std::lround(static_cast<double>(dw) / width * height));
            targets.push_back({ dest.Left, dest.Top, dest.Left + dw, dest.Top + h });
        } else if (keepHeight) {
            const int w = static_cast<int>(std::lround(static_cast<double>(dh) / height * width));
            targets.push_back({ dest.Left, dest.Top, dest.Left + w, dest.Top + dh });
        } else {
            targets.push_back(dest);
        }
        return targets;
    }
    if (flags & dbCenter) {
        const int left = dest.Left + (dw - width) / 2;
        const int top = dest.Top + (dh - height) / 2;
        targets.push_back({ left, top, left + width, top + height });
        return targets;
    }
    targets.push_back({ dest.Left, dest.Top, dest.Left + width, dest.Top + height });
    return targets;
}

void StretchDrawBitmap(QPainter& canvas, const TRect& dest, const QImage* sourceCanvas, const TBitmap* sourceBitmap,
    TColor color, std::uint16_t flags, const TRect& sourceRect)
{
    const std::vector<TRect> targets = StretchTargets(dest, sourceRect.Width(), sourceRect.Height(), flags);
    if (targets.empty())
        return;
    const QRect source = ToQRect(sourceRect);
    // Stretched copies take the nearest pixel, never a blend of colours.
    canvas.setRenderHint(QPainter::SmoothPixmapTransform, false);

    if (flags & dbBrushCopy) {
        if (!sourceBitmap || sourceBitmap->Empty())
            return;
        canvas.setBrush(ToQColor(color));
        QImage copy = Rgb32(sourceBitmap->Image.copy(source));
        const QRgb transparent = ToQColor(sourceBitmap->ResolvedTransparentColor()).rgb();
        const QRgb brush = ToQColor(color).rgb();
        for (int y = 0; y < copy.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(copy.scanLine(y));
            for (int x = 0; x < copy.width(); ++x)
                if ((line[x] | 0xFF000000u) == transparent)
                    line[x] = brush;
        }
        for (const TRect& target : targets)
            canvas.drawImage(ToQRect(target), copy);
        return;
    }
    if (!sourceCanvas || sourceCanvas->isNull())
        return;
    if ((flags & dbMask) && sourceBitmap && !sourceBitmap->Empty()) {
        DrawMasked(canvas, targets, Rgb32(sourceBitmap->Image), Rgb32(*sourceCanvas), source);
        return;
    }
    if (flags & dbTransparentColor) {
        // One copy whose transparent pixels carry no alpha gives the same pixels as
        // the mask-and-image pair, in one pass per target instead of two.
        QImage image = sourceCanvas->copy(source).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const QRgb transparent = ToQColor(ColorToRGB(color)).rgb();
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                if ((line[x] | 0xFF000000u) == transparent)
                    line[x] = 0;
        }
        const auto mode = canvas.compositionMode();
        canvas.setCompositionMode(QPainter::CompositionMode_SourceOver);
        for (const TRect& target : targets)
            canvas.drawImage(ToQRect(target), image);
        canvas.setCompositionMode(mode);
        return;
    }
    for (const TRect& target : targets)
        canvas.drawImage(ToQRect(target), *sourceCanvas, source);
}

void DrawBitmapTransparent(QPainter& canvas, const TRect& dest, const TBitmap& bitmap, TColor color, std::uint16_t flags)
{
    if (bitmap.PenPos.x() == -1)
        return;
    // Palettes have no meaning on a true-colour surface, so dbPalette changes nothing here.
    const TRect whole { 0, 0, bitmap.Width(), bitmap.Height() };
    if (flags & dbBrushCopy)
        StretchDrawBitmap(canvas, dest, nullptr, &bitmap, color, flags, whole);
    else
        StretchDrawBitmap(canvas, dest, &bitmap.Image, nullptr, color, flags, whole);
}

void DrawBitmapEx(QPainter& canvas, const TRect& dest, const TBitmap& bitmap, TColor color, std::uint32_t offset,
    std::uint16_t flags)
{
    if (bitmap.PenPos.x() == -1)
        return;
    const TRect whole { 0, 0, bitmap.Width(), bitmap.Height() };
    if (flags & dbBrushCopy)
        DrawBitmapClipped(canvas, dest, nullptr, &bitmap, color, offset, flags, whole);
    else
        DrawBitmapClipped(canvas, dest, &bitmap.Image, nullptr, color, offset, flags, whole);
}

void DrawBitmapClipped(QPainter& canvas, const TRect& dest, const QImage* sourceCanvas, const TBitmap* sourceBitmap,
    TColor color, std::uint32_t offset, std::uint16_t flags, const TRect& sourceRect)
{
    if (!(flags & dbClip)) {
        StretchDrawBitmap(canvas, dest, sourceCanvas, sourceBitmap, color, flags, sourceRect);
        return;
    }
    QRect clip = ToQRect(dest);
    if (offset != 0)
        clip.translate(static_cast<std::int16_t>(offset & 0xFFFF), static_cast<std::int16_t>(offset >> 16));
    PainterState state(canvas);
    canvas.setClipRect(clip, Qt::IntersectClip);
    StretchDrawBitmap(canvas, dest, sourceCanvas, sourceBitmap, color, flags, sourceRect);
}

void MakeMaskedCopy(const QImage& sourceCanvas, const TRect& sourceRect, QImage* mask, TColor transparentColor, QImage* image)
{
    if (!mask || !image)
        return;
    *image = Rgb32(sourceCanvas.copy(ToQRect(sourceRect)));
    *mask = QImage(image->size(), QImage::Format_RGB32);
    const QRgb transparent = ToQColor(ColorToRGB(transparentColor)).rgb();
    for (int y = 0; y < image->height(); ++y) {
        auto* pixels = reinterpret_cast<QRgb*>(image->scanLine(y));
        auto* bits = reinterpret_cast<QRgb*>(mask->scanLine(y));
        for (int x = 0; x < image->width(); ++x) {
            const bool clear = (pixels[x] | 0xFF000000u) == transparent;
            bits[x] = clear ? 0xFFFFFFFFu : 0xFF000000u;
            if (clear)
                pixels[x] = 0xFF000000u;
        }
    }
}

void FillBitmap(QImage* bitmap, const TRect& rect, TColor color)
{
    if (!bitmap || IsEmpty(rect))
        return;
    *bitmap = QImage(rect.Width(), rect.Height(), QImage::Format_RGB32);
    bitmap->fill(ToQColor(color));
}

void FillGradient(QPainter& canvas, const TRect& rect, TColor from, TColor to, int colors, int style)
{
    if (IsEmpty(rect))
        return;
    const QRect area = ToQRect(rect);
    if (style == 0 || style == 1) {
        FillBands(canvas, area, from, to, colors, style == 0);
        return;
    }
    const int n = std::clamp(colors, 1, 256);
    const TColor a = ColorToRGB(from);
    const TColor b = ColorToRGB(to);
    const int w = area.width();
    const int h = area.height();
    PainterState state(canvas);
    canvas.setPen(Qt::NoPen);
    for (int i = n - 1; i >= 0; --i) {
        auto channel = [&](int start, int end) { return n == 1 ? start : start + i * (end - start) / (n - 1); };
        canvas.setBrush(QColor(channel(GetRValue(a), GetRValue(b)), channel(GetGValue(a), GetGValue(b)),
            channel(GetBValue(a), GetBValue(b))));
        const int sw = (i + 1) * w / n;
        const int sh = (i + 1) * h / n;
        const QPoint centre = area.center();
        switch (style) {
        case 2:
            canvas.drawRect(QRect(centre.x() - sw / 2 - 1, centre.y() - sh / 2 - 1, sw + 2, sh + 2));
            break;
        case 3:
            canvas.drawEllipse(centre, sw * 5 / 7, sh * 5 / 7);
            break;
        case 4:
            canvas.drawRect(QRect(area.left(), area.top(), sw, sh));
            break;
        case 5:
            canvas.drawRect(QRect(area.left() + w - sw, area.top(), sw, sh));
            break;
        case 6:
            canvas.drawRect(QRect(area.left(), area.top() + h - sh, sw, sh));
            break;
        case 7:
            canvas.drawRect(QRect(area.left() + w - sw, area.top() + h - sh, sw, sh));
            break;
        default:
            return;
        }
    }
}

std::string FontToString(const TFontSpec& font)
{
    auto flag = [&](TFontStyle style) { return std::string((font.Style & style) ? "1" : "0"); };
    return qorprocs::JoinStrings({ font.Name, IntToStr(font.Size()), ColorToString(font.Color), flag(fsBold),
                                     flag(fsItalic), flag(fsUnderline), flag(fsStrikeOut) },
        6, ',');
}

void StringToFont(const std::string& text, TFontSpec& font)
{
    TStringList parts;
    SplitString(text, ',', &parts);
    if (parts.Count() != 7)
        return;
    font.Name = parts[0];
    font.SetSize(StrToIntDef(parts[1], 10));
    font.Color = StringToColor(parts[2]);
    font.Style = 0;
    const TFontStyle styles[] = { fsBold, fsItalic, fsUnderline, fsStrikeOut };
    for (int i = 0; i < 4; ++i)
        if ((StrToInt(parts[3 + i]) & 0xFF) != 0)
            font.Style |= styles[i];
}

void CenterOnScreen(TForm* form)
{
    if (!form)
        return;
    form->SetBounds((qorscreen::Width() - form->Width()) / 2, (qorscreen::Height() - form->Height()) / 2, form->Width(),
        form->Height());
}

void SplitString(const std::string& text, char separator, TStringList* list)
{
    if (!list || text.empty())
        return;
    list->Clear();
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != separator)
            continue;
        list->Add(text.substr(start, i - start));
        start = i + 1;
    }
    if (start < text.size())
        list->Add(text.substr(start));
}

namespace {

int NormalSteps(int steps) { return steps <= 3 ? 40 : steps; }

// A click-through layer over the screen showing the animation's rectangles.
class ExplodeOverlay final : public QWidget {
public:
    ExplodeOverlay()
        : QWidget(nullptr,
              Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool | Qt::WindowTransparentForInput
                  | Qt::WindowDoesNotAcceptFocus)
    {
        setAttribute(Qt::WA_TranslucentBackground);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_ShowWithoutActivating);
        setGeometry(0, 0, qorscreen::Width(), qorscreen::Height());
    }

    std::vector<QRect> Shown;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setPen(QPen(Qt::gray, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        for (const QRect& r : Shown)
            painter.drawRect(r.adjusted(0, 0, -1, -1));
    }
};

// Two sweeps: the first shows each step in turn, the second takes them away,
// as the inverted focus rectangles did.
void Animate(const std::vector<TRect>& steps, int delay)
{
    ExplodeOverlay overlay;
    overlay.show();
    const auto wait = std::chrono::microseconds(250) * std::max(delay, 1);
    for (int sweep = 0; sweep < 2; ++sweep)
        for (std::size_t i = 0; i < steps.size(); ++i) {
            std::this_thread::sleep_for(wait);
            if (sweep == 0)
                overlay.Shown.push_back(ToQRect(steps[i]));
            else
                overlay.Shown.erase(overlay.Shown.begin());
            overlay.repaint();
        }
}

QPoint StartPoint(int x, int y) { return x < 0 ? QCursor::pos() : QPoint(x, y); }

TRect WindowRect(TForm* form) { return { form->Left(), form->Top(), form->Left() + form->Width(), form->Top() + form->Height() }; }

}  // namespace

std::vector<TRect> ExplodeSteps(const TRect& window, int x, int y, int steps)
{
    steps = NormalSteps(steps);
    const double dx = static_cast<double>(window.Left - x) / steps;
    const double dy = static_cast<double>(window.Top - y) / steps;
    const double dw = static_cast<double>(window.Width()) / steps;
    const double dh = static_cast<double>(window.Height()) / steps;
    std::vector<TRect> rects;
    for (int i = 1; i <= steps; ++i) {
        TRect r;
        r.Left = static_cast<int>(std::trunc(dx * i + x));
        r.Top = static_cast<int>(std::trunc(dy * i + y));
        r.Right = static_cast<int>(std::trunc(dw * i + r.Left));
        r.Bottom = static_cast<int>(std::trunc(dh * i + r.Top));
        rects.push_back(r);
    }
    return rects;
}

std::vector<TRect> ExplodeStepsExt(const TRect& window, int x, int y, bool showTravel, int height0, int width0, int steps)
{
    steps = NormalSteps(steps);
    const int e = x + (window.Left - x) / 2;
    const int d = window.Bottom;
    std::vector<TRect> rects;
    if (showTravel) {
        const int h = (window.Left - x) / 2;
        for (int i = 1; i <= steps; ++i) {
            TRect r;
            r.Left = static_cast<int>(std::trunc(static_cast<double>(i) * h / steps + x));
            r.Top = static_cast<int>(std::trunc(static_cast<double>(i) * (d - y) / steps + y));
            r.Right = r.Left + width0;
            r.Bottom = r.Top + height0;
            rects.push_back(r);
        }
    }
    for (int i = 1; i <= steps; ++i) {
        TRect r;
        r.Left = static_cast<int>(std::trunc(static_cast<double>(i) * (window.Left - e) / steps + e));
        r.Top = static_cast<int>(std::trunc(static_cast<double>(i) * (window.Top - d) / steps + d));
        r.Right = static_cast<int>(std::trunc(static_cast<double>(i) * (window.Width() - width0) / steps + r.Left + width0));
        r.Bottom = static_cast<int>(std::trunc(static_cast<double>(i) * (window.Height() - height0) / steps + r.Top + height0));
        rects.push_back(r);
    }
    return rects;
}

void ExplodeWindow(TForm* form, int x, int y, int delay, int steps)
{
    if (!form)
        return;
    const QPoint start = StartPoint(x, y);
    Animate(ExplodeSteps(WindowRect(form), start.x(), start.y(), steps), delay);
}

void ExplodeWindowExt(TForm* form, int x, int y, bool showTravel, int delay, int height0, int width0, int steps)
{
    if (!form)
        return;
    const QPoint start = StartPoint(x, y);
    Animate(ExplodeStepsExt(WindowRect(form), start.x(), start.y(), showTravel, height0, width0, steps), delay);
}

namespace {
int ExplodeDelay() { return QORApplication() ? QORApplication()->ExplodeDelay : 3; }
}  // namespace

void ExplodeFromCursor(TForm* form) { ExplodeWindow(form, -1, 0, ExplodeDelay(), 40); }

void ExplodeFromCursorExt(TForm* form) { ExplodeWindowExt(form, -1, 0, true, ExplodeDelay(), 10, 20, 40); }
