#pragma once

#include "kit/qorlistitem.h"
#include "platform/ui/graphics.h"

#include <QImage>
#include <QRect>

#include <cstdint>
#include <vector>

class QPainter;

// A strip of equal-sized images side by side, with an optional monochrome mask
// strip (black opaque, white transparent). The strip never grows beyond 32768 pixels.
class TQORImageListItem final : public TQORListItem {
public:
    static constexpr int kMaxStripWidth = 32768;

    explicit TQORImageListItem(TQORItemOwner* owner = nullptr);
    // Cells of width x height; EInvalidGraphicOperation "Invalid image size" below 1.
    static std::unique_ptr<TQORImageListItem> CreateSized(int width, int height);
    const char* ClassName() const override { return "TQORImageListItem"; }

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // A new cell size drops every image; 0, negatives and the current value are ignored.
    void SetWidth(int value) { SetDimension(0, value); }
    void SetHeight(int value) { SetDimension(1, value); }
    void SetDimension(int which, int value);
    bool Masked() const { return m_masked; }
    void SetMasked(bool value);
    int AllocBy { 4 };
    TQORSavePixelFormat PixelFormat { spfDefault };
    TColor BkColor { clNone };
    TColor PatternColor { clNone };
    std::uint8_t MaskStyle { 2 };
    std::uint8_t DrawMask { 0 };
    std::uint8_t Reserved { 0 };

    int ImageCount() const { return static_cast<int>(m_entries.size()); }
    int CellOffset(int index) const { return static_cast<int>(m_entries.at(static_cast<std::size_t>(index)) & 0xFFFF); }
    const std::vector<std::uint32_t>& Entries() const { return m_entries; }
    const QImage& Strip() const { return m_strip; }
    const QImage& MaskStrip() const { return m_mask; }
    int UsedWidth() const { return m_usedWidth; }

    void Clear() override { ResetStrip(); }
    bool IsEmpty() const override { return m_entries.empty(); }
    // The strip is always written, so the contents flag stays clear.
    std::uint8_t StoredFlags() const override;
    void Assign(const TQORListItem& source) override;

    // Drops every image.
    void ResetStrip();
    // Appends source's images; "Invalid image size" for another cell size,
    // "Too many images" beyond 32768 pixels, the strip unchanged in both cases.
    void AppendFrom(const TQORImageListItem& source);

    // True when bitmap is one row of whole cells; false for none; otherwise
    // "Invalid image size".
    bool CheckImage(const QImage* bitmap) const;
    // A new empty cell's index; "Too many images" past 32768 pixels.
    int AddCell();
    // Both none: an empty cell. No image: -1. Else a new cell filled by Replace.
    int AddMasked(const QImage* image, const QImage* mask);
    // Copies image (and, masked, the mask or an opaque one) into cell index.
    void Replace(int index, const QImage* image, const QImage* mask);
    // Masked: pixels of transparentColor become transparent.
    void ReplaceMasked(int index, const QImage& image, TColor transparentColor);
    QRect GetItemRect(int index) const;

    // The cell drawn at (x, y) by the mask style.
    void DrawCell(QPainter& canvas, int x, int y, int index) const;

    // The count and strips part of the record (also a form file's "Bitmap").
    void ReadStrip(TStream& stream);
    void WriteStrip(TStream& stream) const;

protected:
    void ReadContents(TStream& stream, std::uint8_t flags) override;
    void WriteContents(TStream& stream) const override;

private:
    void RebuildEntries(int count);
    void WidenStrips(int width);
    void checkIndex(int index) const;

    int m_width { 16 };
    int m_height { 16 };
    bool m_masked { false };
    QImage m_strip;
    QImage m_mask;
    int m_usedWidth { 0 };
    std::vector<std::uint32_t> m_entries;
};
