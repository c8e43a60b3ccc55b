#include "kit/qorimageitem.h"

#include "kit/qorblob.h"
#include "kit/qordrawex.h"
#include "kit/qorprocs.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/streams.h"

#include <QPainter>

#include <algorithm>
#include <cstring>

namespace {

[[noreturn]] void invalidSize() { throw EInvalidGraphicOperation(qorprocs::ResText("Invalid image size")); }
[[noreturn]] void tooMany() { throw EInvalidGraphicOperation(qorprocs::ResText("Too many images")); }

QImage newStrip(int width, int height)
{
    QImage strip(width, height, QImage::Format_RGB32);
    strip.fill(Qt::black);
    return strip;
}

// New mask area is black: opaque until a mask is put there.
QImage newMask(int width, int height)
{
    QImage mask(width, height, QImage::Format_Mono);
    mask.setColorTable({ qRgb(0, 0, 0), qRgb(255, 255, 255) });
    mask.fill(0);
    return mask;
}

// Copies what of the w x h area at (sx, sy) lies inside both images.
void copyArea(const QImage& source, int sx, int sy, QImage& dest, int dx, int dy, int w, int h)
{
    if (source.isNull() || dest.isNull())
        return;
    w = std::min({ w, source.width() - sx, dest.width() - dx });
    h = std::min({ h, source.height() - sy, dest.height() - dy });
    if (w <= 0 || h <= 0 || sx < 0 || sy < 0 || dx < 0 || dy < 0)
        return;
    if (dest.depth() == 1) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                dest.setPixel(dx + x, dy + y, source.pixelIndex(sx + x, sy + y));
        return;
    }
    for (int y = 0; y < h; ++y)
        std::memcpy(dest.scanLine(dy + y) + dx * 4, source.constScanLine(sy + y) + sx * 4, static_cast<std::size_t>(w) * 4);
}

// A mask as the strip keeps it: colour masks are black where they are not white.
QImage monochrome(const QImage& mask)
{
    if (mask.depth() == 1) {
        QImage mono = mask.convertToFormat(QImage::Format_Mono);
        if (mono.colorCount() == 2 && mono.color(0) == qRgb(255, 255, 255)) {
            mono.invertPixels();
        }
        mono.setColorTable({ qRgb(0, 0, 0), qRgb(255, 255, 255) });
        return mono;
    }
    QImage mono = newMask(mask.width(), mask.height());
    const QImage rgb = mask.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x)
            mono.setPixel(x, y, (rgb.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF ? 1 : 0);
    return mono;
}

}  // namespace

TQORImageListItem::TQORImageListItem(TQORItemOwner* owner) : TQORListItem(owner) {}

std::unique_ptr<TQORImageListItem> TQORImageListItem::CreateSized(int width, int height)
{
    if (width < 1 || height < 1)
        invalidSize();
    auto item = std::make_unique<TQORImageListItem>();
    item->m_width = width;
    item->m_height = height;
    return item;
}

void TQORImageListItem::SetDimension(int which, int value)
{
    int& field = which == 0 ? m_width : m_height;
    if (value <= 0 || value == field)
        return;
    field = value;
    ResetStrip();
    Change();
}

void TQORImageListItem::SetMasked(bool value)
{
    if (value == m_masked)
        return;
    m_masked = value;
    m_mask = value && !m_strip.isNull() ? newMask(m_strip.width(), m_height) : QImage();
    RebuildEntries(ImageCount());
    Change();
}

void TQORImageListItem::ResetStrip()
{
    BeginUpdate();
    m_strip = QImage();
    m_mask = QImage();
    m_usedWidth = 0;
    m_entries.clear();
    EndUpdate(false);
}

void TQORImageListItem::RebuildEntries(int count)
{
    m_entries.clear();
    for (int i = 0; i < count; ++i)
        m_entries.push_back((static_cast<std::uint32_t>(m_masked) << 16) | (static_cast<std::uint32_t>(i * m_width) & 0xFFFF));
}

void TQORImageListItem::WidenStrips(int width)
{
    // Areas beyond the old strip come out zero: black pictures, opaque masks.
    if (m_strip.width() < width)
        m_strip = m_strip.isNull() ? newStrip(width, m_height) : m_strip.copy(0, 0, width, m_height);
    if (m_masked && m_mask.width() < width)
        m_mask = m_mask.isNull() ? newMask(width, m_height) : m_mask.copy(0, 0, width, m_height);
}

void TQORImageListItem::AppendFrom(const TQORImageListItem& source)
{
    if (source.m_width != m_width || source.m_height != m_height)
        invalidSize();
    const int count = source.ImageCount();
    if (count == 0)
        return;
    const int used = count * m_width + m_usedWidth;
    if (used > kMaxStripWidth)
        tooMany();
    BeginUpdate();
    WidenStrips(used);
    copyArea(source.m_strip, 0, 0, m_strip, m_usedWidth, 0, count * m_width, m_height);
    if (m_masked && source.m_masked)
        copyArea(source.m_mask, 0, 0, m_mask, m_usedWidth, 0, count * m_width, m_height);
    for (int i = 0; i < count; ++i) {
        const std::uint32_t offset = static_cast<std::uint32_t>(ImageCount() * m_width) & 0xFFFF;
        m_entries.push_back((source.m_entries[static_cast<std::size_t>(i)] & 0xFFFF0000u) | offset);
    }
    m_usedWidth = used;
    EndUpdate(true);
}

void TQORImageListItem::Assign(const TQORListItem& source)
{
    const auto* other = dynamic_cast<const TQORImageListItem*>(&source);
    if (!other) {
        TQORListItem::Assign(source);
        return;
    }
    if (other == this)
        return;
    AssignBase(source);
    PixelFormat = other->PixelFormat;
    AllocBy = other->AllocBy;
    BkColor = other->BkColor;
    PatternColor = other->PatternColor;
    MaskStyle = other->MaskStyle;
    m_height = other->m_height;
    DrawMask = other->DrawMask;
    m_masked = other->m_masked;
    Reserved = other->Reserved;
    m_width = other->m_width;
    ResetStrip();
    AppendFrom(*other);
}

bool TQORImageListItem::CheckImage(const QImage* bitmap) const
{
    if (!bitmap || bitmap->isNull())
        return false;
    if (bitmap->height() != m_height || bitmap->width() % m_width != 0)
        invalidSize();
    return true;
}

int TQORImageListItem::AddCell()
{
    const int used = m_usedWidth + m_width;
    if (used > kMaxStripWidth)
        tooMany();
    if (m_strip.width() < used) {
        // Grown a few cells at a time, but never past the limit a strip may have.
        const std::int64_t step = static_cast<std::int64_t>(std::max(AllocBy, 1)) * m_width;
        WidenStrips(std::max(used, static_cast<int>(std::min<std::int64_t>(m_strip.width() + step, kMaxStripWidth))));
    }
    m_entries.push_back(static_cast<std::uint32_t>(m_usedWidth) & 0xFFFF);
    m_usedWidth = used;
    return ImageCount() - 1;
}

int TQORImageListItem::AddMasked(const QImage* image, const QImage* mask)
{
    const bool noImage = !image || image->isNull();
    const bool noMask = !mask || mask->isNull();
    if (noImage && noMask)
        return AddCell();
    if (noImage)
        return -1;
    CheckImage(image);
    if (m_masked)
        CheckImage(mask);
    const int index = AddCell();
    Replace(index, image, mask);
    return index;
}

void TQORImageListItem::checkIndex(int index) const
{
    if (index < 0 || index >= ImageCount())
        throw EListError(qorprocs::ResText("List index out of bounds (" + std::to_string(index) + ")"));
}

void TQORImageListItem::Replace(int index, const QImage* image, const QImage* mask)
{
    if (!image || image->isNull())
        return;
    checkIndex(index);
    CheckImage(image);
    if (m_masked)
        CheckImage(mask);
    const int x = CellOffset(index);
    copyArea(image->convertToFormat(QImage::Format_RGB32), 0, 0, m_strip, x, 0, m_width, m_height);
    if (m_masked) {
        if (mask && !mask->isNull()) {
            copyArea(monochrome(*mask), 0, 0, m_mask, x, 0, m_width, m_height);
        } else {
            for (int y = 0; y < m_height; ++y)
                for (int i = 0; i < m_width; ++i)
                    m_mask.setPixel(x + i, y, 0);
        }
    }
    Change();
}

void TQORImageListItem::ReplaceMasked(int index, const QImage& image, TColor transparentColor)
{
    if (!m_masked) {
        Replace(index, &image, nullptr);
        return;
    }
    QImage picture, mask;
    SplitByColor(image, picture, mask, transparentColor);
    Replace(index, &picture, &mask);
}

QRect TQORImageListItem::GetItemRect(int index) const
{
    checkIndex(index);
    return QRect(CellOffset(index), 0, m_width, m_height);
}

void TQORImageListItem::DrawCell(QPainter& canvas, int x, int y, int index) const
{
    if (index < 0 || index >= ImageCount())
        return;
    const int cellX = CellOffset(index);
    const QRect cell(cellX, 0, m_width, m_height);
    canvas.save();
    if (!m_masked || DrawMask == 1) {
        const QImage& source = m_masked ? m_mask : m_strip;
        canvas.setCompositionMode(QPainter::CompositionMode_Source);
        canvas.drawImage(QPoint(x, y), source.convertToFormat(QImage::Format_RGB32), cell);
        canvas.restore();
        return;
    }
    // Mask ANDed (white keeps the target), then the picture ORed in.
    const QImage maskCell = m_mask.copy(cell).convertToFormat(QImage::Format_RGB32);
    const QImage pictureCell = m_strip.copy(cell);
    auto maskedCopy = [&](QPainter& target, QPoint at) {
        target.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        target.drawImage(at, maskCell);
        target.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
        target.drawImage(at, pictureCell);
        target.setCompositionMode(QPainter::CompositionMode_SourceOver);
    };
    auto viaBackground = [&](bool pattern) {
        QImage temp(m_width, m_height, QImage::Format_RGB32);
        temp.fill(ToQColor(ColorToRGB(BkColor)));
        {
            QPainter painter(&temp);
            maskedCopy(painter, QPoint(0, 0));
        }
        if (pattern && PatternColor != clNone) {
            const QRgb colour = ToQColor(ColorToRGB(PatternColor)).rgb();
            for (int py = 0; py < m_height; ++py)
                for (int px = 0; px < m_width; ++px) {
                    const bool set = MaskStyle == 1 ? (px % 2) != (py % 2) : (px % 2 == 0 || py % 2 == 0);
                    if (set)
                        temp.setPixel(px, py, colour);
                }
        }
        canvas.setCompositionMode(QPainter::CompositionMode_Source);
        canvas.drawImage(QPoint(x, y), temp);
    };
    switch (MaskStyle) {
    case 0:
    case 1:
        viaBackground(true);
        break;
    case 2:
        if (BkColor == clNone)
            maskedCopy(canvas, QPoint(x, y));
        else
            viaBackground(false);
        break;
    case 3:
        maskedCopy(canvas, QPoint(x, y));
        break;
    default:
        break;
    }
    canvas.restore();
}

namespace {

struct StripRead {
    int count { 0 };
    QImage strip;
    QImage mask;
};

// The count and strips for cells of width x height, checked before anything is kept.
StripRead readStrip(TStream& stream, int width, int height, bool masked, bool compressed)
{
    StripRead read;
    const std::int32_t count = ReadInteger(stream);
    if (count < 0 || static_cast<std::int64_t>(count) * width > TQORImageListItem::kMaxStripWidth)
        throw EReadError("Image count out of range");
    read.count = count;
    if (count == 0)
        return read;
    ReadBitmap(stream, read.strip, compressed);
    if (masked)
        ReadBitmap(stream, read.mask, compressed);
    // Every cell the count promises must lie inside the strips read.
    if (read.strip.height() != height || read.strip.width() < count * width
        || read.strip.width() > TQORImageListItem::kMaxStripWidth || (masked && read.mask.size() != read.strip.size()))
        throw EReadError("Image strip does not match its count");
    read.strip = read.strip.convertToFormat(QImage::Format_RGB32);
    if (masked)
        read.mask = monochrome(read.mask);
    return read;
}

}  // namespace

void TQORImageListItem::ReadStrip(TStream& stream)
{
    StripRead read = readStrip(stream, m_width, m_height, m_masked, Compressed);
    ResetStrip();
    m_strip = read.strip;
    m_mask = read.mask;
    m_usedWidth = m_strip.width();
    RebuildEntries(read.count);
}

void TQORImageListItem::WriteStrip(TStream& stream) const
{
    const int count = ImageCount();
    WriteInteger(stream, count);
    if (count == 0)
        return;
    const int width = count * m_width;
    WriteBitmap(stream, m_strip.copy(0, 0, width, m_height), Compressed, SavePixelFormatColors(PixelFormat));
    if (m_masked)
        WriteBitmap(stream, m_mask.copy(0, 0, width, m_height), Compressed, 2);
}

std::uint8_t TQORImageListItem::StoredFlags() const
{
    return static_cast<std::uint8_t>((TQORListItem::StoredFlags() & ~kItemHasContents) | PixelFormatFlags(PixelFormat));
}

void TQORImageListItem::ReadContents(TStream& stream, std::uint8_t flags)
{
    const std::int32_t height = ReadInteger(stream);
    const std::int32_t width = ReadInteger(stream);
    const std::int32_t allocBy = ReadInteger(stream);
    const bool masked = ReadByte(stream) != 0;
    if (width < 1 || height < 1 || width > kMaxStripWidth || height > kMaxStripWidth)
        throw EReadError("Invalid image size");
    // The growth step is cells of this width: more than a strip may hold is no step.
    if (allocBy < 0 || allocBy > kMaxStripWidth / width)
        throw EReadError("Growth step out of range");
    StripRead read = readStrip(stream, width, height, masked, (flags & kItemCompressed) != 0);
    PixelFormat = PixelFormatFromFlags(flags);
    m_height = height;
    m_width = width;
    AllocBy = allocBy;
    m_masked = masked;
    ResetStrip();
    m_strip = read.strip;
    m_mask = read.mask;
    m_usedWidth = m_strip.width();
    RebuildEntries(read.count);
}

void TQORImageListItem::WriteContents(TStream& stream) const
{
    WriteInteger(stream, m_height);
    WriteInteger(stream, m_width);
    WriteInteger(stream, AllocBy);
    WriteByte(stream, m_masked ? 1 : 0);
    WriteStrip(stream);
}
