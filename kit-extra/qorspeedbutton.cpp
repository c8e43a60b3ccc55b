#include "kit-extra/qorspeedbutton.h"

#include "kit-extra/drawedge.h"
#include "kit/qorapplication.h"
#include "platform/rtl/eventloop.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/codepage.h"

#include <QMouseEvent>
#include <QPainter>

TQORBaseGraphicButton::TQORBaseGraphicButton(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    resize(25, 25);
    m_glyph.OnChange = [this] { update(); };
    m_layout.OnChange = [this](TQORObject*) { update(); };
}

TQORBaseGraphicButton::~TQORBaseGraphicButton()
{
    // No callback may reach a button half way through its destruction.
    stopRepeat();
    m_glyph.OnChange = nullptr;
    m_layout.OnChange = nullptr;
}

void TQORBaseGraphicButton::SetState(int state)
{
    if (state == m_state)
        return;
    m_previousState = (state == 2 && m_state != 3) ? 0 : m_state;
    m_state = state;
    update();
}

void TQORBaseGraphicButton::SetColor(TColor value)
{
    if (m_color == value)
        return;
    m_color = value;
    update();
}

void TQORBaseGraphicButton::SetGroupIndex(int value)
{
    m_groupIndex = value;
    announceToGroup();
}

void TQORBaseGraphicButton::SetAllowAllUp(bool value)
{
    m_allowAllUp = value;
    announceToGroup();
}

void TQORBaseGraphicButton::SetPressed(bool value)
{
    if (m_groupIndex == 0)
        value = false;
    if (value == m_pressed)
        return;
    if (m_pressed && !m_allowAllUp)
        return;
    m_pressed = value;
    if (value) {
        SetState(isEnabled() ? 3 : 7);
        announceToGroup();
    } else {
        SetState(isEnabled() ? 0 : 1);
    }
}

void TQORBaseGraphicButton::announceToGroup()
{
    if (m_groupIndex == 0 || !parentWidget())
        return;
    for (QObject* child : parentWidget()->children())
        if (auto* button = dynamic_cast<TQORBaseGraphicButton*>(child); button && button != this)
            button->groupMemberPressed(this);
}

void TQORBaseGraphicButton::groupMemberPressed(TQORBaseGraphicButton* sender)
{
    if (sender->m_groupIndex != m_groupIndex)
        return;
    if (m_pressed && sender->m_pressed) {
        m_pressed = false;
        m_previousState = m_state;
        m_state = isEnabled() ? 0 : 1;
        update();
    }
    m_allowAllUp = sender->m_allowAllUp;
}

void TQORBaseGraphicButton::click()
{
    if (OnClick)
        OnClick(this);
}

void TQORBaseGraphicButton::stopRepeat()
{
    if (m_repeatTimer != 0 && QORApplication())
        QORApplication()->RemoveTimer(m_repeatTimer);
    m_repeatTimer = 0;
}

void TQORBaseGraphicButton::mousePressEvent(QMouseEvent* event)
{
    if (!isEnabled() || event->button() != Qt::LeftButton)
        return;
    // A refused repeat timer is the application's to report, not Qt's to unwind through.
    Application::Guarded([this] { press(); });
}

void TQORBaseGraphicButton::press()
{
    m_held = true;
    m_inside = true;
    if (m_previousState == 3 && m_state == 2 && m_groupIndex != 0) {
        SetState(3);
        return;
    }
    if (!m_pressed && RepeatedClick) {
        // The repeat runs on the kit application's timers; without them there are none.
        if (!QORApplication())
            throw EOutOfResources("Not enough timers available");
        click();
        stopRepeat();
        m_repeatTimer = QORApplication()->AddTimer(RepeatingInterval, [this](TQORTimerPool*) {
            if (m_held && m_inside)
                click();
        }, nullptr);
        if (m_repeatTimer == 0)
            throw EOutOfResources("Not enough timers available");
    }
    SetState(4);
}

void TQORBaseGraphicButton::mouseMoveEvent(QMouseEvent* event)
{
    if (!isEnabled())
        return;
    const bool inside = rect().contains(event->position().toPoint());
    m_inside = inside;
    // A hovered button that was never pressed on stays hot, even outside a group.
    if (m_held && (inside || m_groupIndex == 0 || m_state == 4))
        SetState(inside ? (m_pressed ? 3 : 4) : (m_pressed ? 3 : 0));
    else if (!m_held && inside && AllowMouseOver && m_state == 0)
        SetState(2);
}

void TQORBaseGraphicButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_held || event->button() != Qt::LeftButton)
        return;
    m_held = false;
    stopRepeat();
    const bool inside = rect().contains(event->position().toPoint());
    m_inside = inside;
    if (!inside) {
        SetState(m_pressed ? 3 : 0);
        return;
    }
    if (m_groupIndex != 0) {
        if (m_pressed && !m_allowAllUp) {
            SetState(3);
            return;
        }
        m_state = m_pressed ? 3 : 0;  // the press look ends; Pressed decides what follows
        SetPressed(!m_pressed);
        update();
    } else {
        SetState(AllowMouseOver ? 2 : 0);
    }
    if (!RepeatedClick)
        click();
}

void TQORBaseGraphicButton::enterEvent(QEnterEvent*)
{
    if (OnMouseEnter)
        OnMouseEnter(this);
    if (AllowMouseOver && isEnabled() && m_state == 0)
        SetState(2);
}

void TQORBaseGraphicButton::leaveEvent(QEvent*)
{
    if (OnMouseExit)
        OnMouseExit(this);
    if (m_state == 2)
        SetState(m_previousState);
}

void TQORBaseGraphicButton::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // Not a mouse change: it applies whether or not the form is active.
    if (event->type() == QEvent::EnabledChange)
        SetState(isEnabled() ? (m_pressed ? 3 : 0) : (m_pressed ? 7 : 1));
}

void TQORBaseGraphicButton::paintEvent(QPaintEvent*)
{
    QImage canvas(size(), QImage::Format_RGB32);
    Paint(canvas);
    QPainter painter(this);
    painter.drawImage(0, 0, canvas);
}

void TQORBaseGraphicButton::PaintContent(QImage& canvas, const QRect& rect)
{
    const QSize glyph = m_glyph.CellSize();
    const QString text = codepage::ToUnicode(Caption);
    QSize textSize;
    if (!Caption.empty())
        textSize = QSize(TextWidth(Font, Caption), TextHeight(Font));
    const TQORButtonPlaces places = LayoutButton(m_layout, glyph, textSize, rect);
    const bool enabled = m_state != 1 && m_state != 7;
    if (!places.text.isNull()) {
        QPainter painter(&canvas);
        painter.setFont(ToQFont(Font));
        painter.setClipRect(rect);
        if (enabled) {
            painter.setPen(ToQColor(Font.Color));
            painter.drawText(places.text, Qt::TextExpandTabs, text);
        } else {
            painter.setPen(ToQColor(clBtnHighlight));
            painter.drawText(places.text.translated(1, 1), Qt::TextExpandTabs, text);
            painter.setPen(ToQColor(clGrayText));
            painter.drawText(places.text, Qt::TextExpandTabs, text);
        }
    }
    if (!places.glyph.isNull())
        m_glyph.Draw(canvas, places.glyph.topLeft(), m_state);
}

TQORCustomSpeedButton::TQORCustomSpeedButton(QWidget* parent) : TQORBaseGraphicButton(parent)
{
    AllowMouseOver = true;
}

void TQORCustomSpeedButton::Paint(QImage& canvas)
{
    const QRgb face = ToQColor(Color()).rgb();
    if (State() == 3 && !underMouse()) {
        // The latched look: a checker of the face colour and white.
        for (int y = 0; y < canvas.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(canvas.scanLine(y));
            for (int x = 0; x < canvas.width(); ++x)
                line[x] = ((x + y) & 1) ? face : qRgb(255, 255, 255);
        }
    } else {
        canvas.fill(face);
    }
    qorprocs::TRect r { 0, 0, canvas.width(), canvas.height() };
    if (DownLook()) {
        DrawEdge(canvas, r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
        DrawEdge(canvas, r, BDR_SUNKENINNER, BF_LEFT | BF_TOP | BF_ADJUST);
    } else {
        DrawEdge(canvas, r, BDR_RAISEDOUTER, BF_RECT | BF_ADJUST);
        DrawEdge(canvas, r, BDR_RAISEDINNER, BF_RIGHT | BF_BOTTOM | BF_ADJUST);
    }
    const bool down = State() >= 3;
    const int l = down ? 2 : 1;
    const int rb = 2;
    PaintContent(canvas, QRect(l, l, canvas.width() - l - rb, canvas.height() - l - rb));
}

TQOROfficeButton::TQOROfficeButton(QWidget* parent) : TQORBaseGraphicButton(parent)
{
    AllowMouseOver = true;
    resize(23, 22);
}

void TQOROfficeButton::Paint(QImage& canvas)
{
    const QRgb face = ToQColor(Color()).rgb();
    if (State() == 3 && !underMouse()) {
        for (int y = 0; y < canvas.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(canvas.scanLine(y));
            for (int x = 0; x < canvas.width(); ++x)
                line[x] = ((x + y) & 1) ? face : qRgb(255, 255, 255);
        }
    } else {
        canvas.fill(face);
    }
    qorprocs::TRect r { 0, 0, canvas.width(), canvas.height() };
    if (DownLook())
        DrawEdge(canvas, r, BDR_SUNKENOUTER, BF_RECT);
    else if (State() == 2)
        DrawEdge(canvas, r, BDR_RAISEDINNER, BF_RECT);
    const bool shifted = State() == 3 || State() == 4 || State() == 6;
    QRect content(3, 3, canvas.width() - 6, canvas.height() - 6);
    if (shifted)
        content.translate(1, 1);
    PaintContent(canvas, content);
}
