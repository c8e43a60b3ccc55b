#include "client/core/mainbarwidgets.h"

#include "platform/rtl/codepage.h"

#include <QMouseEvent>
#include <QPainter>

TMouseButton MouseButtonFromQt(Qt::MouseButton button)
{
    switch (button) {
    case Qt::RightButton: return mbRight;
    case Qt::MiddleButton: return mbMiddle;
    default: return mbLeft;
    }
}

namespace {

template <class Handler>
void SendMouse(const Handler& handler, QMouseEvent* event)
{
    if (!handler)
        return;
    const QPoint p = event->position().toPoint();
    Application::Guarded([&] {
        handler(MouseButtonFromQt(event->button()), ShiftFromQt(event->modifiers(), event->buttons()), p.x(), p.y());
    });
}

void DrawEdge(QPainter& painter, const QRect& r, bool lowered)
{
    const QColor light = ToQColor(clBtnHighlight);
    const QColor dark = ToQColor(clBtnShadow);
    painter.setPen(lowered ? dark : light);
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(lowered ? light : dark);
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
}

}  // namespace

// --- TPanel -------------------------------------------------------------------

TPanel::TPanel(QWidget* parent, const char* name, TColor color) : QFrame(parent), m_color(color)
{
    setObjectName(name);
}

void TPanel::SetBevelLowered(bool lowered)
{
    m_lowered = lowered;
    update();
}

void TPanel::SetGlyph(const QString& glyph, TColor color)
{
    m_glyph = glyph;
    m_glyphColor = color;
    update();
}

void TPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // clNone leaves the bar's own background showing through.
    if (m_color != clNone)
        painter.fillRect(rect(), ToQColor(m_color));
    if (!m_glyph.isEmpty()) {
        QFont font = ToQFont(TFontSpec("MS Sans Serif", 6));
        painter.setFont(font);
        painter.setPen(ToQColor(m_glyphColor));
        painter.drawText(rect(), Qt::AlignCenter, m_glyph);
        DrawEdge(painter, rect().adjusted(0, 0, -1, -1), m_lowered);
    }
}

void TPanel::mousePressEvent(QMouseEvent* event)
{
    SendMouse(OnMouseDown, event);
}

void TPanel::mouseReleaseEvent(QMouseEvent* event)
{
    SendMouse(OnMouseUp, event);
    if (OnClick && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Application::Guarded(OnClick);
}

// --- TSpeedButton ---------------------------------------------------------------

TSpeedButton::TSpeedButton(QWidget* parent, const char* name) : QAbstractButton(parent)
{
    setObjectName(name);
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (OnClick)
            Application::Guarded(OnClick);
    });
}

void TSpeedButton::SetCaption(const std::string& caption)
{
    m_caption = caption;
    setText(DisplayText());
    update();
}

void TSpeedButton::SetFont(const TFontSpec& font)
{
    m_font = font;
    update();
}

void TSpeedButton::SetGlyph(const QImage& glyph)
{
    // Glyph bitmaps are drawn on the button face: their bottom-left colour is see-through.
    m_glyph = glyph.convertToFormat(QImage::Format_ARGB32);
    if (!m_glyph.isNull()) {
        const QRgb clear = m_glyph.pixel(0, m_glyph.height() - 1);
        for (int y = 0; y < m_glyph.height(); ++y)
            for (int x = 0; x < m_glyph.width(); ++x)
                if (m_glyph.pixel(x, y) == clear)
                    m_glyph.setPixel(x, y, qRgba(0, 0, 0, 0));
    }
    update();
}

std::string TSpeedButton::Hint() const { return codepage::FromUnicode(toolTip()); }
void TSpeedButton::SetHint(const std::string& hint) { setToolTip(codepage::ToUnicode(hint)); }

QString TSpeedButton::DisplayText() const
{
    if (!m_oem)
        return FontText(m_font, m_caption);
    // The command buttons' OEM font shows byte 0xF9 as its small centred bullet.
    QString text;
    for (const char c : m_caption)
        text += static_cast<unsigned char>(c) == 0xF9 ? QChar(0x2219) : QChar(codepage::ByteToUnicode(static_cast<unsigned char>(c)));
    return text;
}

void TSpeedButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const bool down = isDown() || isChecked();
    if (down || (m_hot && isEnabled()))
        DrawEdge(painter, rect().adjusted(0, 0, -1, -1), down);
    const int shift = down ? 1 : 0;
    if (!m_glyph.isNull()) {
        const QPoint at((width() - m_glyph.width()) / 2 + shift, (height() - m_glyph.height()) / 2 + shift);
        painter.drawImage(at, m_glyph);
    }
    if (!m_caption.empty()) {
        QFont font = ToQFont(m_font);
        font.setStyleStrategy(QFont::NoAntialias);
        painter.setFont(font);
        painter.setPen(ToQColor(isEnabled() ? m_font.Color : clGrayText));
        painter.drawText(rect().adjusted(2 + shift, shift, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         DisplayText());
    }
}

void TSpeedButton::mousePressEvent(QMouseEvent* event)
{
    SendMouse(OnMouseDown, event);
    QAbstractButton::mousePressEvent(event);
}

void TSpeedButton::mouseReleaseEvent(QMouseEvent* event)
{
    QAbstractButton::mouseReleaseEvent(event);
    SendMouse(OnMouseUp, event);
}

void TSpeedButton::enterEvent(QEnterEvent* event)
{
    m_hot = true;
    update();
    QAbstractButton::enterEvent(event);
}

void TSpeedButton::leaveEvent(QEvent* event)
{
    m_hot = false;
    update();
    QAbstractButton::leaveEvent(event);
}

// --- TBuddyPaintBox -------------------------------------------------------------

TBuddyPaintBox::TBuddyPaintBox(QWidget* parent) : QWidget(parent)
{
    setObjectName("frCanvas1");
    setMouseTracking(true);
}

void TBuddyPaintBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (OnPaint)
        Application::Guarded([&] { OnPaint(painter); });
}

void TBuddyPaintBox::mousePressEvent(QMouseEvent* event) { SendMouse(OnMouseDown, event); }

void TBuddyPaintBox::mouseMoveEvent(QMouseEvent* event)
{
    if (!OnMouseMove)
        return;
    const QPoint p = event->position().toPoint();
    Application::Guarded([&] { OnMouseMove(ShiftFromQt(event->modifiers(), event->buttons()), p.x(), p.y()); });
}

void TBuddyPaintBox::mouseReleaseEvent(QMouseEvent* event) { SendMouse(OnMouseUp, event); }

void TBuddyPaintBox::mouseDoubleClickEvent(QMouseEvent*)
{
    if (OnDblClick)
        Application::Guarded(OnDblClick);
}
