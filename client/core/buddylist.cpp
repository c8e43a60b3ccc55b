#include "client/core/buddylist.h"

#include "platform/rtl/codepage.h"

#include <QPainter>

#include <algorithm>
#include <cstdlib>

namespace {

TFontSpec ListFont()
{
    return TFontSpec("Ms Sans Serif", 8);
}

// The list imitates the screen font's crisp glyphs, so every drawn pixel of a name has its state's colour.
QFont ListQFont(bool underlined)
{
    QFont font = ToQFont(ListFont());
    font.setStyleStrategy(QFont::NoAntialias);
    font.setUnderline(underlined);
    return font;
}

void DrawIcon(QPainter& painter, int line, TBuddyCanvas::Icon icon)
{
    // Drawn once: the list is repainted at every presence change of every buddy.
    static const QImage icons[] = { BuddyIcon(TBuddyCanvas::IconOnline), BuddyIcon(TBuddyCanvas::IconOffline),
                                    BuddyIcon(TBuddyCanvas::IconAway), BuddyIcon(TBuddyCanvas::IconBlocked) };
    painter.drawImage(0, 3 + TBuddyCanvas::kLineHeight * line + 1, icons[icon]);
}

}  // namespace

QImage BuddyIcon(TBuddyCanvas::Icon icon)
{
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    switch (icon) {
    case TBuddyCanvas::IconOnline:
        painter.setPen(QColor(0, 96, 0));
        painter.setBrush(QColor(0, 200, 0));
        painter.drawEllipse(3, 3, 9, 9);
        break;
    case TBuddyCanvas::IconOffline:
        painter.setPen(QColor(64, 64, 64));
        painter.setBrush(QColor(128, 128, 128));
        painter.drawEllipse(3, 3, 9, 9);
        break;
    case TBuddyCanvas::IconAway:
        // A small moon in the middle, so the blocked ring drawn over it leaves it visible.
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 255, 0));
        painter.drawEllipse(5, 5, 6, 6);
        break;
    case TBuddyCanvas::IconBlocked:
        painter.setPen(QPen(QColor(255, 0, 0), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(1, 1, 13, 13);
        painter.drawLine(3, 12, 12, 3);
        break;
    }
    return image;
}

int TBuddyCanvas::PictureHeightFor(int buddies)
{
    return buddies <= 0 ? kEmptyHeight : kLineHeight * buddies + 2;
}

TColor TBuddyCanvas::NameColor(const Tbuddy& buddy)
{
    if (buddy.Blocked)
        return kBlockedColor;
    if (!buddy.Online)
        return kOfflineColor;
    return buddy.Away ? kAwayColor : kOnlineColor;
}

void TBuddyCanvas::Paint(TBuddyStore& store)
{
    const int count = store.Count();
    // Sized to the list: a fixed drawing height would cut off the buddies below it.
    m_picture = QImage(kWidth, PictureHeightFor(count), QImage::Format_RGB32);
    m_picture.fill(Qt::black);
    QPainter painter(&m_picture);
    if (count == 0) {
        painter.setFont(ListQFont(false));
        painter.setPen(ToQColor(kEmptyTextColor));
        painter.drawText(QRect(5, 5, kWidth - 5, kEmptyHeight - 5), Qt::AlignLeft | Qt::AlignTop,
                         codepage::ToUnicode("\xB7  No buddies"));
        m_offset = 0;
        return;
    }
    const int textHeight = TextHeight(ListFont());
    int line = 0;
    for (const bool onlinePass : { true, false }) {
        for (int i = 0; i < count; ++i) {
            Tbuddy& buddy = *store.Item(i);
            if (buddy.Online != onlinePass)
                continue;
            buddy.FontName = "Ms Sans Serif";
            buddy.FontSize = 8;
            buddy.Color = NameColor(buddy);
            if (buddy.Online) {
                if (!buddy.Away && !buddy.Blocked)
                    DrawIcon(painter, line, IconOnline);
                if (buddy.Away)
                    DrawIcon(painter, line, IconAway);
            } else {
                buddy.PeerAddress.clear();
                DrawIcon(painter, line, IconOffline);
            }
            if (buddy.Blocked)
                DrawIcon(painter, line, IconBlocked);
            buddy.TextHeight = static_cast<std::uint16_t>(textHeight);
            buddy.X = kNameLeft;
            buddy.Y = 5 + kLineHeight * line;
            DrawNameWith(painter, buddy, false);
            ++line;
        }
    }
}

void TBuddyCanvas::DrawName(const Tbuddy& buddy, bool underlined)
{
    if (m_picture.isNull())
        return;
    QPainter painter(&m_picture);
    DrawNameWith(painter, buddy, underlined);
}

void TBuddyCanvas::DrawNameWith(QPainter& painter, const Tbuddy& buddy, bool underlined)
{
    const QRect area(buddy.X, buddy.Y, kWidth - buddy.X, kLineHeight - 4);
    painter.fillRect(area, Qt::black);
    painter.setFont(ListQFont(underlined));
    painter.setPen(ToQColor(buddy.Color));
    painter.drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, codepage::ToUnicode(buddy.Name));
}

int TBuddyCanvas::MaxOffset(int boxHeight) const { return std::max(0, PictureHeight() - boxHeight); }

bool TBuddyCanvas::ScrollUpKey()
{
    m_offset = std::max(0, m_offset - kScrollStep);
    return m_offset > 0;
}

bool TBuddyCanvas::ScrollDownKey(int boxHeight)
{
    const int max = MaxOffset(boxHeight);
    m_offset = std::min(m_offset + kScrollStep, max);
    return m_offset != max;
}

bool TBuddyCanvas::StepUp()
{
    if (m_offset <= 0)
        return false;
    --m_offset;
    return true;
}

bool TBuddyCanvas::StepDown(int boxHeight)
{
    if (m_offset >= MaxOffset(boxHeight))
        return false;
    ++m_offset;
    return true;
}

void TBuddyCanvas::MouseDown(int x, int y)
{
    m_pressX = x;
    m_pressY = y;
    m_dragging = true;
}

TBuddyCanvas::MoveResult TBuddyCanvas::MouseMove(TBuddyStore& store, int x, int y, int boxHeight)
{
    MoveResult result;
    if (m_dragging && (std::abs(x - m_pressX) >= kDragSlop || std::abs(y - m_pressY) >= kDragSlop)) {
        m_offset = std::clamp(m_offset + m_lastY - y, 0, MaxOffset(boxHeight));
        result.scrolled = true;
        result.scrollSound = m_offset > 0 && m_offset != MaxOffset(boxHeight);
    }
    m_lastY = y;
    if (m_hovered)
        DrawName(*m_hovered, false);
    m_hoveredName.clear();
    if (Tbuddy* buddy = BuddyAt(store, y + m_offset)) {
        DrawName(*buddy, true);
        m_hovered = buddy;
        m_hoveredName = buddy->Name;
        result.over = buddy;
    }
    return result;
}

bool TBuddyCanvas::MouseUp(int x, int y)
{
    m_dragging = false;
    return std::abs(x - m_pressX) < kDragSlop && std::abs(y - m_pressY) < kDragSlop;
}

Tbuddy* TBuddyCanvas::BuddyAt(const TBuddyStore& store, int py)
{
    for (int i = 0; i < store.Count(); ++i) {
        Tbuddy* buddy = store.Item(i);
        if (buddy->Y - 3 < py && py <= buddy->Y + buddy->TextHeight + 5)
            return buddy;
    }
    return nullptr;
}

void TBuddyCanvas::ForgetHovered()
{
    m_hovered = nullptr;
    m_hoveredName.clear();
}

void TBuddyCanvas::Reset()
{
    ForgetHovered();
    m_offset = 0;
    m_dragging = false;
    m_lastY = 0;
    m_pressX = m_pressY = 0;
}
