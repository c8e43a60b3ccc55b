#include "kit-extra/qorbtn.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

TQORGlyphCache* g_cache = nullptr;
int g_glyphs = 0;

QRgb Rgb(TColor color) { return ToQColor(color).rgb(); }

} // namespace

int TQORGlyphList::AllocCell()
{
    for (std::size_t i = 0; i < m_cells.size(); ++i) {
        if (!m_cells[i].used) {
            m_cells[i].used = true;
            return static_cast<int>(i);
        }
    }
    m_cells.push_back(Cell { QImage(), 0, true });
    return static_cast<int>(m_cells.size() - 1);
}

int TQORGlyphList::AddGlyph(const QImage& image, TColor transparentColor)
{
    const int index = AllocCell();
    Cell& cell = m_cells[index];
    cell.image = image.convertToFormat(QImage::Format_RGB32).copy(0, 0, m_width, m_height);
    cell.transparent = Rgb(transparentColor);
    ++m_count;
    return index;
}

void TQORGlyphList::FreeCell(int index)
{
    if (index < 0 || index >= CellCount() || !m_cells[index].used)
        return;
    m_cells[index].used = false;
    --m_count;
}

void TQORGlyphList::Draw(QImage& canvas, QPoint at, int index) const
{
    if (index < 0 || index >= CellCount())
        return;
    const Cell& cell = m_cells[index];
    const QRgb transparent = cell.transparent & 0xFFFFFF;
    for (int y = 0; y < m_height; ++y) {
        const int cy = at.y() + y;
        if (cy < 0 || cy >= canvas.height())
            continue;
        const auto* src = reinterpret_cast<const QRgb*>(cell.image.constScanLine(y));
        auto* dst = reinterpret_cast<QRgb*>(canvas.scanLine(cy));
        for (int x = 0; x < m_width; ++x) {
            const int cx = at.x() + x;
            if (cx >= 0 && cx < canvas.width() && (src[x] & 0xFFFFFF) != transparent)
                dst[cx] = src[x];
        }
    }
}

TQORGlyphList* TQORGlyphCache::GetList(int width, int height)
{
    for (const auto& list : m_lists)
        if (list->Width() == width && list->Height() == height)
            return list.get();
    m_lists.push_back(std::make_unique<TQORGlyphList>(width, height));
    return m_lists.back().get();
}

void TQORGlyphCache::ReleaseList(TQORGlyphList* list)
{
    if (!list || list->Count() > 0)
        return;
    std::erase_if(m_lists, [list](const auto& held) { return held.get() == list; });
}

TQORGlyphCache* GlyphCache() { return g_cache; }

QImage DisabledGlyphImage(const QImage& cell, QRgb transparent)
{
    QImage result(cell.size(), QImage::Format_RGB32);
    result.fill(transparent);
    const QRgb light = Rgb(clBtnHighlight);
    const QRgb dark = Rgb(clBtnShadow);
    for (int pass = 0; pass < 2; ++pass) {
        const int d = pass == 0 ? 1 : 0;
        for (int y = 0; y + d < cell.height(); ++y)
            for (int x = 0; x + d < cell.width(); ++x)
                if ((cell.pixel(x, y) & 0xFFFFFF) != (transparent & 0xFFFFFF))
                    result.setPixel(x + d, y + d, pass == 0 ? light : dark);
    }
    return result;
}

QImage GreyToneImage(const QImage& cell)
{
    QImage result = cell.convertToFormat(QImage::Format_RGB32);
    if (result.isNull())
        return result;
    const QRgb transparent = result.pixel(0, 0) & 0xFFFFFF;
    long long sum = 0;
    long long count = 0;
    for (int y = 0; y < result.height(); ++y)
        for (int x = 0; x < result.width(); ++x) {
            const QRgb p = result.pixel(x, y);
            if ((p & 0xFFFFFF) == transparent)
                continue;
            sum += qRed(p) + qGreen(p) + qBlue(p);
            ++count;
        }
    const long long k = count ? std::llround(static_cast<double>(sum) / count - 200.0) : 0;
    for (int y = 0; y < result.height(); ++y)
        for (int x = 0; x < result.width(); ++x) {
            const QRgb p = result.pixel(x, y);
            if ((p & 0xFFFFFF) == transparent)
                continue;
            const int v = qRed(p) + qGreen(p) + qBlue(p);
            QRgb tone = qRgb(0, 0, 0);
            if (v > k + 550)
                tone = qRgb(255, 255, 255);
            else if (v > k + 250)
                tone = Rgb(clBtnHighlight);
            else if (v > k + 50)
                tone = Rgb(clBtnShadow);
            result.setPixel(x, y, tone);
        }
    return result;
}

TQORGlyph::TQORGlyph()
{
    m_slots.fill(-1);
    if (!g_cache)
        g_cache = new TQORGlyphCache;
    ++g_glyphs;
}

TQORGlyph::~TQORGlyph()
{
    OnChange = nullptr;
    releaseCells();
    --g_glyphs;
    if (g_glyphs == 0 && g_cache && g_cache->IsEmpty()) {
        delete g_cache;
        g_cache = nullptr;
    }
}

void TQORGlyph::releaseCells()
{
    for (int& slot : m_slots) {
        if (slot >= 0 && m_list)
            m_list->FreeCell(slot);
        slot = -1;
    }
    if (m_list && g_cache)
        g_cache->ReleaseList(m_list);
    m_list = nullptr;
}

void TQORGlyph::SetBitmap(const QImage& bitmap)
{
    releaseCells();
    m_bitmap = bitmap.convertToFormat(QImage::Format_RGB32);
    if (m_bitmap.isNull() || m_bitmap.width() <= 0 || m_bitmap.height() <= 0) {
        m_bitmap = QImage();
    } else {
        m_transparentColor = FromQColor(QColor(m_bitmap.pixel(0, m_bitmap.height() - 1)));
        // Only a positive height divides: an empty bitmap keeps the count it had.
        if (m_bitmap.width() % m_bitmap.height() == 0) {
            const int cells = m_bitmap.width() / m_bitmap.height();
            m_numGlyphs = cells < 6 ? cells : 1;
        }
    }
    if (OnChange)
        OnChange();
}

void TQORGlyph::SetNumGlyphs(int value)
{
    if (value == 0 || value == m_numGlyphs)
        return;
    releaseCells();
    m_numGlyphs = std::clamp(value, 1, 5);
    if (OnChange)
        OnChange();
}

void TQORGlyph::SetStyle(int value)
{
    if (value == m_style)
        return;
    releaseCells();
    m_style = value;
    if (OnChange)
        OnChange();
}

int TQORGlyph::SlotFor(int state) const
{
    if (state == bsDisabled || state == bsDisabledLatched)
        return 1;
    if (state > m_numGlyphs - 1) {
        if (m_style == 1)
            return state == bsMenu ? 4 : 2;
        return 0;
    }
    return state;
}

QSize TQORGlyph::CellSize() const
{
    if (m_bitmap.isNull())
        return QSize(0, 0);
    const int w = m_bitmap.width() / m_numGlyphs;
    // Fewer pixels than cells leaves no image at all.
    if (w < 1)
        return QSize(0, 0);
    return QSize(w, m_bitmap.height());
}

int TQORGlyph::fillSlot(int slot)
{
    if (m_slots[slot] >= 0)
        return m_slots[slot];
    const QSize cell = CellSize();
    if (cell.isEmpty())
        return -1;
    if (!g_cache)
        g_cache = new TQORGlyphCache;
    if (!m_list)
        m_list = g_cache->GetList(cell.width(), cell.height());
    const QImage first = m_bitmap.copy(0, 0, cell.width(), cell.height());
    QImage image;
    if (slot >= m_numGlyphs || (m_style == 1 && slot == 0)) {
        if (slot == 0)
            image = GreyToneImage(first);
        else if (slot == 1 || slot == 7)
            image = DisabledGlyphImage(first, Rgb(m_transparentColor));
        else
            image = first;
    } else {
        image = m_bitmap.copy(slot * cell.width(), 0, cell.width(), cell.height());
    }
    m_slots[slot] = m_list->AddGlyph(image, m_transparentColor);
    return m_slots[slot];
}

QImage TQORGlyph::StateImage(int state)
{
    const int slot = SlotFor(state);
    const int index = fillSlot(slot);
    if (index < 0)
        return QImage();
    const QSize cell = CellSize();
    QImage out(cell, QImage::Format_RGB32);
    out.fill(Rgb(m_transparentColor));
    m_list->Draw(out, QPoint(0, 0), index);
    return out;
}

void TQORGlyph::Draw(QImage& canvas, QPoint at, int state)
{
    const int index = fillSlot(SlotFor(state));
    if (index >= 0)
        m_list->Draw(canvas, at, index);
}
