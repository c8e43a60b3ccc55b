#pragma once

#include "platform/ui/graphics.h"

#include <QImage>
#include <QPoint>

#include <array>
#include <functional>
#include <memory>
#include <vector>

// Button states, also the glyph slots.
enum : int {
    bsUp = 0,
    bsDisabled = 1,
    bsHot = 2,
    bsLatched = 3,
    bsHeld = 4,
    bsMenu = 6,
    bsDisabledLatched = 7
};

// Masked images of one cell size, shared by every glyph of that size.
class TQORGlyphList final {
public:
    TQORGlyphList(int width, int height) : m_width(width), m_height(height) {}

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int Count() const { return m_count; }
    int CellCount() const { return static_cast<int>(m_cells.size()); }

    // The lowest free cell, a new one when none is free; marked used.
    int AllocCell();
    // Stores image into a new cell; pixels of the transparent colour stay see-through.
    int AddGlyph(const QImage& image, TColor transparentColor);
    // Unmarks a used cell; its pixels stay until the cell is reused.
    void FreeCell(int index);
    // Draws cell index at the point, leaving its transparent pixels alone.
    void Draw(QImage& canvas, QPoint at, int index) const;

private:
    struct Cell {
        QImage image;
        QRgb transparent { 0 };
        bool used { false };
    };
    int m_width;
    int m_height;
    int m_count { 0 };
    std::vector<Cell> m_cells;
};

// The glyph lists of the program, one for each cell size.
class TQORGlyphCache final {
public:
    TQORGlyphList* GetList(int width, int height);
    // Frees the list when none of its cells is in use.
    void ReleaseList(TQORGlyphList* list);
    bool IsEmpty() const { return m_lists.empty(); }

private:
    std::vector<std::unique_ptr<TQORGlyphList>> m_lists;
};

// The one cache, while at least one glyph exists (nullptr otherwise).
TQORGlyphCache* GlyphCache();

// The picture of a button in each state, cut from a bitmap of one to five cells
// side by side or derived from its first cell.
class TQORGlyph final {
public:
    TQORGlyph();
    ~TQORGlyph();
    TQORGlyph(const TQORGlyph&) = delete;
    TQORGlyph& operator=(const TQORGlyph&) = delete;

    std::function<void()> OnChange;

    const QImage& Bitmap() const { return m_bitmap; }
    // A bitmap of whole square cells, fewer than six, sets NumGlyphs to their count.
    void SetBitmap(const QImage& bitmap);
    int NumGlyphs() const { return m_numGlyphs; }
    void SetNumGlyphs(int value);
    // 0 plain, 1 the up state in grey tones.
    int Style() const { return m_style; }
    void SetStyle(int value);
    TColor TransparentColor() const { return m_transparentColor; }

    // The slot a state's image comes from.
    int SlotFor(int state) const;
    // The cell size; 0 x 0 when there is no image.
    QSize CellSize() const;
    // The state's image, filled on first use; a null image when there is none.
    QImage StateImage(int state);
    // Draws the state's image masked at the point; nothing when there is none.
    void Draw(QImage& canvas, QPoint at, int state);

private:
    void releaseCells();
    int fillSlot(int slot);

    QImage m_bitmap;
    int m_numGlyphs { 1 };
    int m_style { 0 };
    TColor m_transparentColor { clWhite };
    std::array<int, 8> m_slots;
    TQORGlyphList* m_list { nullptr };
};

// The etched look of a disabled glyph: its opaque pixels in highlight one pixel right
// and down, then in shadow in place, on the transparent colour.
QImage DisabledGlyphImage(const QImage& cell, QRgb transparent);
// The four-tone grey image; pixels of the top-left pixel's colour stay as they are.
QImage GreyToneImage(const QImage& cell);
