#include "kit-extra/qorspeedbutton.h"

#include "kit-extra/drawedge.h"
#include "kit-extra/qorbuttonface.h"
#include "kit-extra/qorfontcheck.h"
#include "kit/qorapplication.h"
#include "kit/qorblob.h"
#include "kit/qorcont.h"
#include "kit/qordrawex.h"
#include "kit/qorutils.h"
#include "platform/rtl/eventloop.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/streams.h"
#include "platform/ui/drawtext.h"
#include "platform/ui/form.h"

#include <QApplication>
#include <QCursor>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>

namespace {

constexpr int kHoverInterval = 100;

bool IsPressedLook(int state) { return state == 3 || state == 4 || state == 6; }

TMouseButton ButtonOf(Qt::MouseButton button)
{
    return button == Qt::RightButton ? mbRight : button == Qt::MiddleButton ? mbMiddle : mbLeft;
}

// The character after the caption's single '&', upper case; 0 when there is none.
char AcceleratorOf(const std::string& caption)
{
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&')
            continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        const char c = caption[i + 1];
        return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return 0;
}

// Text format by alignment for a multi-line caption.
constexpr unsigned kAlignFormat[] = { 0, DT_CENTER, DT_RIGHT, DT_VCENTER, DT_VCENTER | DT_CENTER,
    DT_VCENTER | DT_RIGHT, DT_BOTTOM, DT_BOTTOM | DT_CENTER, DT_BOTTOM | DT_RIGHT };

std::int32_t LittleEndian32(const unsigned char* bytes)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8
        | static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24);
}

qorprocs::TRect ToTRect(const QRect& rect) { return { rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1 }; }

}  // namespace

TQORBaseGraphicButton::TQORBaseGraphicButton(QWidget* parent) : TQORBaseControl(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    resize(25, 25);
    m_glyph.OnChange = [this] { Invalidate(); };
    m_layout.OnChange = [this](TQORObject*) { Invalidate(); };
    m_fontFx.OnChange = [this](TQORObject*) {
        fontCheck(false);
        Invalidate();
    };
    followParentFont();
}

TQORBaseGraphicButton::~TQORBaseGraphicButton()
{
    // No callback may reach a button half way through its destruction.
    stopRepeat();
    stopHoverWatch();
    m_glyph.OnChange = nullptr;
    m_layout.OnChange = nullptr;
    m_fontFx.OnChange = nullptr;
}

void TQORBaseGraphicButton::SetState(int state)
{
    if (state == m_state)
        return;
    // A plain face looks the same up and hot, and few glyph cells look the same hot and latched.
    const auto between = [&](int a, int b) { return (m_state == a && state == b) || (m_state == b && state == a); };
    const bool plain = m_glyph.Style() == 0 && !HasOwnHotLook() && m_glyph.NumGlyphs() <= 2
        && !(m_enterColorChange && AllowMouseOver);
    const bool paintNow = !((plain && between(0, 2)) || (m_glyph.NumGlyphs() < 3 && between(2, 3)));
    if (AllowMouseOver && m_state == 2)
        stopHoverWatch();
    m_previousState = (state == 2 && m_state != 3) ? 0 : m_state;
    m_state = state;
    if (AllowMouseOver && state == 2 && !m_pressed)
        startHoverWatch();
    // A pending capture has its paint queued already.
    if (paintNow && !m_capturePending)
        repaint();
}

void TQORBaseGraphicButton::mouseState(int state, bool forcedHot)
{
    // A button on a form in the background does not light up under the mouse.
    auto* form = dynamic_cast<TForm*>(window());
    if (form && !form->isActiveWindow()) {
        if (forcedHot)
            SetState(0);
        return;
    }
    SetState(state);
}

void TQORBaseGraphicButton::startHoverWatch()
{
    TQORApplication* application = QORApplication();
    if (!application || m_hoverTimer != 0)
        return;
    m_hoverTimer = application->AddTimer(kHoverInterval, [this](TQORTimerPool*) { HoverCheck(); }, nullptr);
    if (m_hoverTimer == 0)
        throw EOutOfResources("Not enough timers available");
}

void TQORBaseGraphicButton::stopHoverWatch()
{
    if (m_hoverTimer != 0 && QORApplication())
        QORApplication()->RemoveTimer(m_hoverTimer);
    m_hoverTimer = 0;
}

void TQORBaseGraphicButton::HoverCheck()
{
    if (!inside(mapFromGlobal(QCursor::pos())) && isEnabled())
        SetState(0);
}

bool TQORBaseGraphicButton::HitTest(int x, int y) const { return x >= 0 && y >= 0 && x <= width() && y <= height(); }

bool TQORBaseGraphicButton::inside(QPoint point) const
{
    return AllowTransparency ? HitTest(point.x(), point.y()) : rect().contains(point);
}

void TQORBaseGraphicButton::SetColor(TColor value)
{
    if (m_color == value)
        return;
    m_color = value;
    Invalidate();
}

void TQORBaseGraphicButton::SetEnterColor(TColor value)
{
    if (m_enterColor == value)
        return;
    m_enterColor = value;
    Invalidate();
}

void TQORBaseGraphicButton::SetEnterColorChange(bool value)
{
    if (m_enterColorChange == value)
        return;
    m_enterColorChange = value;
    Invalidate();
}

void TQORBaseGraphicButton::SetDropDownIndent(int value)
{
    if (m_dropDownIndent == value)
        return;
    m_dropDownIndent = value;
    Invalidate();
}

void TQORBaseGraphicButton::SetDropDownRight(bool value)
{
    if (m_dropDownRight == value)
        return;
    m_dropDownRight = value;
    Invalidate();
}

void TQORBaseGraphicButton::SetGlyph(const QImage& bitmap)
{
    SetImageList(nullptr);
    m_glyph.SetBitmap(bitmap);
    Invalidate();
}

void TQORBaseGraphicButton::SetMultiLine(bool value)
{
    if (m_multiLine == value)
        return;
    m_multiLine = value;
    Invalidate();
}

void TQORBaseGraphicButton::SetCaption(const std::string& value)
{
    if (m_caption == value)
        return;
    m_caption = value;
    syncAccelerator();
    if (m_transparent)
        repaint();
    else
        Invalidate();
}

void TQORBaseGraphicButton::SetFont(const TFontSpec& value)
{
    m_parentFont = false;
    if (m_font == value)
        return;
    m_font = value;
    if (m_transparent)
        repaint();
    else
        Invalidate();
    fontCheck(true);
}

void TQORBaseGraphicButton::SetParentFont(bool value)
{
    if (m_parentFont == value)
        return;
    m_parentFont = value;
    followParentFont();
}

void TQORBaseGraphicButton::followParentFont()
{
    const auto* form = dynamic_cast<const TForm*>(window());
    if (!m_parentFont || !form || form->Font() == m_font)
        return;
    m_font = form->Font();
    Invalidate();
    fontCheck(true);
}

void TQORBaseGraphicButton::fontCheck(bool fromFont)
{
    if (m_fontFx.Angle() == 0 || IsTrueTypeFont(m_font))
        return;
    if (fromFont) {
        m_fontFx.SetAngle(0);
        return;
    }
    TFontSpec outline = m_font;
    outline.Name = "Arial";
    SetFont(outline);
}

void TQORBaseGraphicButton::SetTransparent(bool value)
{
    if (m_transparent == value)
        return;
    m_transparent = value;
    setAttribute(Qt::WA_OpaquePaintEvent, !value);
    if (!value) {
        m_capture = QImage();
        m_capturePending = false;
    }
    Invalidate();
}

bool TQORBaseGraphicButton::overImagePanel() const
{
    const auto* parent = dynamic_cast<const TQORCustomControl*>(parentWidget());
    return parent && parent->BackBitmap();
}

void TQORBaseGraphicButton::Invalidate()
{
    if (m_transparent && !overImagePanel())
        m_capturePending = true;
    update();
}

void TQORBaseGraphicButton::capture()
{
    m_capturePending = false;
    m_capturedAt = pos();
    m_capture = QImage(size(), QImage::Format_RGB32);
    QWidget* parent = parentWidget();
    if (!parent) {
        m_capture.fill(ToQColor(clBtnFace));
        return;
    }
    // What the parent shows under the button: its own face, then the siblings stacked below this one.
    QPainter painter(&m_capture);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    if (auto* control = dynamic_cast<TQORCustomControl*>(parent)) {
        QImage face(parent->size(), QImage::Format_RGB32);
        control->Paint(face);
        painter.drawImage(QPoint(0, 0), face, geometry());
    } else if (const auto* form = dynamic_cast<const TForm*>(parent)) {
        m_capture.fill(ToQColor(form->Color()));
    } else {
        m_capture.fill(parent->palette().color(parent->backgroundRole()));
    }
    for (QObject* child : parent->children()) {
        if (child == this)
            break;
        auto* sibling = qobject_cast<QWidget*>(child);
        if (!sibling || sibling->isHidden() || sibling->isWindow() || !sibling->geometry().intersects(geometry()))
            continue;
        QImage below(sibling->size(), QImage::Format_RGB32);
        if (auto* control = dynamic_cast<TQORCustomControl*>(sibling))
            control->Paint(below);
        else if (auto* button = dynamic_cast<TQORBaseGraphicButton*>(sibling))
            button->Paint(below);
        else
            sibling->render(&below);
        painter.drawImage(sibling->pos() - pos(), below);
    }
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

void TQORBaseGraphicButton::openMenu()
{
    if (!DropDownMenu || m_state == 6)
        return;
    SetState(6);
    const QPoint at = m_dropDownRight ? mapToGlobal(QPoint(width(), m_dropDownIndent))
                                      : mapToGlobal(QPoint(m_dropDownIndent, height()));
    QPointer<TQORBaseGraphicButton> self(this);
    DropDownMenu->exec(at);
    if (!self)
        return;
    // The press that closed the menu belongs to the menu, not to this button.
    m_held = false;
    SetState(2);
}

void TQORBaseGraphicButton::mousePressEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (OnMouseDown) {
        const QPointer<TQORBaseGraphicButton> self(this);
        Application::Guarded([&] {
            OnMouseDown(this, ButtonOf(event->button()), ShiftFromQt(event->modifiers(), event->buttons()), at.x(), at.y());
        });
        if (!self)
            return;
    }
    if (AllowTransparency && !HitTest(at.x(), at.y()))
        return;
    if (!isEnabled() || event->button() != Qt::LeftButton)
        return;
    // A refused timer is the application's to report, not Qt's to unwind through.
    Application::Guarded([this] {
        if (DropDownMenu) {
            if (m_state == 6)
                SetState(2);
            else
                openMenu();
            return;
        }
        press();
    });
}

void TQORBaseGraphicButton::press()
{
    m_held = true;
    m_inside = true;
    if (m_previousState == 3 && m_state == 2 && m_groupIndex != 0) {
        mouseState(3);
        return;
    }
    if (!m_pressed && RepeatedClick) {
        // The repeat runs on the kit application's timers; without them there are none.
        if (!QORApplication())
            throw EOutOfResources("Not enough timers available");
        // A click may free the button (a window closing itself): then nothing follows it.
        const QPointer<TQORBaseGraphicButton> self(this);
        click();
        if (!self)
            return;
        stopRepeat();
        m_repeatTimer = QORApplication()->AddTimer(RepeatingInterval, [this](TQORTimerPool*) {
            if (m_held && m_inside)
                click();
        }, nullptr);
        if (m_repeatTimer == 0)
            throw EOutOfResources("Not enough timers available");
    }
    mouseState(4);
}

void TQORBaseGraphicButton::mouseMoveEvent(QMouseEvent* event)
{
    if (OnMouseMove) {
        const QPointer<TQORBaseGraphicButton> self(this);
        const QPoint at = event->position().toPoint();
        Application::Guarded([&] { OnMouseMove(this, ShiftFromQt(event->modifiers(), event->buttons()), at.x(), at.y()); });
        if (!self)
            return;
    }
    if (m_state == 6 || !isEnabled())
        return;
    const bool isInside = inside(event->position().toPoint());
    const bool entering = isInside && !m_inside;
    const bool leaving = !isInside && m_inside;
    m_inside = isInside;
    int state = m_state;
    if (AllowTransparency) {
        if (isInside && AllowMouseOver && (m_groupIndex == 0 || m_state != 3) && !m_held)
            state = 2;
        else if (!isInside && m_state == 2)
            state = m_previousState;
    }
    // A hovered button that was never pressed on stays hot, even outside a group.
    if (m_held && (isInside || m_groupIndex == 0 || m_state == 4))
        state = isInside ? (m_pressed ? 3 : 4) : (m_pressed ? 3 : 0);
    Application::Guarded([this, state] { mouseState(state); });
    if (AllowTransparency && entering) {
        TQORBaseControl::DoMouseEnter();
        if (m_state == 0 && AllowMouseOver)
            Application::Guarded([this] { mouseState(2); });
    } else if (AllowTransparency && leaving) {
        TQORBaseControl::DoMouseExit();
    }
}

void TQORBaseGraphicButton::mouseReleaseEvent(QMouseEvent* event)
{
    const QPointer<TQORBaseGraphicButton> self(this);
    if (OnMouseUp) {
        const QPoint at = event->position().toPoint();
        Application::Guarded([&] {
            OnMouseUp(this, ButtonOf(event->button()), ShiftFromQt(event->modifiers(), event->buttons()), at.x(), at.y());
        });
        if (!self)
            return;
    }
    if (m_state == 6 || !m_held || event->button() != Qt::LeftButton)
        return;
    m_held = false;
    stopRepeat();
    const bool isInside = inside(event->position().toPoint());
    m_inside = isInside;
    if (!isInside) {
        mouseState(m_pressed ? 3 : 0);
        return;
    }
    int state = AllowMouseOver ? 2 : 0;
    if (m_groupIndex != 0) {
        if (m_pressed && !m_allowAllUp) {
            mouseState(3);
            return;
        }
        m_state = m_pressed ? 3 : 0;  // the press look ends; Pressed decides what follows
        SetPressed(!m_pressed);
        update();
        state = m_pressed ? 3 : 0;
    }
    // Buttons with a hot look of their own show, after the click, where the cursor is then.
    const bool ownHot = m_glyph.NumGlyphs() > 2 || m_glyph.Style() == 1;
    if (!ownHot)
        Application::Guarded([this, state] { mouseState(state); });
    const auto settle = [this, state, ownHot, &self] {
        if (!self || !ownHot)
            return;
        const bool hot = inside(mapFromGlobal(QCursor::pos())) && isEnabled();
        Application::Guarded([&] { mouseState(hot ? 2 : state, hot); });
    };
    if (!RepeatedClick) {
        try {
            click();
        } catch (...) {
            settle();
            throw;
        }
    }
    settle();
}

void TQORBaseGraphicButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click is a press like any other.
    const QPointer<TQORBaseGraphicButton> self(this);
    mousePressEvent(event);
    if (self && m_pressed && OnDblClick)
        OnDblClick(this);
}

void TQORBaseGraphicButton::DoMouseEnter()
{
    // See-through buttons enter by their shape, in the mouse move.
    if (AllowTransparency)
        return;
    TQORBaseControl::DoMouseEnter();
    m_inside = true;
    if (AllowMouseOver && isEnabled() && m_state == 0)
        Application::Guarded([this] { mouseState(2); });
}

void TQORBaseGraphicButton::DoMouseExit()
{
    TQORBaseControl::DoMouseExit();
    m_inside = false;
    if (m_state == 2)
        mouseState(m_previousState);
}

void TQORBaseGraphicButton::ImageListChanged()
{
    if (!ImageList() || !ImageList()->IsValidIndex(ListIndex(), ImageIndex())) {
        m_glyph.SetBitmap(QImage());
        return;
    }
    QImage bitmap;
    ImageList()->GetBitmap(ListIndex(), ImageIndex(), &bitmap);
    m_glyph.SetBitmap(bitmap);
}

bool TQORBaseGraphicButton::DialogChar(char key)
{
    const char accelerator = AcceleratorOf(m_caption);
    const char upper = (key >= 'a' && key <= 'z') ? static_cast<char>(key - 'a' + 'A') : key;
    if (accelerator == 0 || upper != accelerator || !isEnabled() || !isVisible())
        return false;
    Application::Guarded([this] {
        if (DropDownMenu) {
            if (m_state == 6)
                SetState(2);
            else
                openMenu();
            return;
        }
        if (m_groupIndex != 0) {
            if (!m_allowAllUp && m_state == 3)
                return;
            const bool wasPressed = m_pressed;
            SetPressed(!m_pressed);
            if (AllowMouseOver && m_pressed && !wasPressed)
                click();
            return;
        }
        m_inside = true;
        repaint();
        const QPointer<TQORBaseGraphicButton> self(this);
        click();
        if (!self)
            return;
        repaint();
        if (!inside(mapFromGlobal(QCursor::pos()))) {
            m_inside = false;
            repaint();
        }
    });
    return true;
}

void TQORBaseGraphicButton::syncAccelerator()
{
    if (m_caption == m_shortcutCaption)
        return;
    m_shortcutCaption = m_caption;
    if (m_shortcut != 0)
        releaseShortcut(m_shortcut);
    m_shortcut = 0;
    const char accelerator = AcceleratorOf(m_caption);
    if (accelerator != 0)
        m_shortcut = grabShortcut(QKeySequence(Qt::ALT | static_cast<Qt::Key>(accelerator)), Qt::WindowShortcut);
}

bool TQORBaseGraphicButton::event(QEvent* event)
{
    if (event->type() == QEvent::Shortcut) {
        auto* shortcut = static_cast<QShortcutEvent*>(event);
        if (shortcut->shortcutId() == m_shortcut && m_shortcut != 0) {
            DialogChar(AcceleratorOf(m_caption));
            return true;
        }
    }
    return TQORBaseControl::event(event);
}

void TQORBaseGraphicButton::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // Not a mouse change: it applies whether or not the form is active.
    if (event->type() == QEvent::EnabledChange)
        SetState(isEnabled() ? (m_pressed ? 3 : 0) : (m_pressed ? 7 : 1));
    else if (event->type() == QEvent::FontChange || event->type() == QEvent::ParentChange)
        followParentFont();
}

void TQORBaseGraphicButton::paintEvent(QPaintEvent*)
{
    QImage canvas(size(), QImage::Format_RGB32);
    Paint(canvas);
    QPainter painter(this);
    painter.drawImage(0, 0, canvas);
}

void TQORBaseGraphicButton::PaintSeeThrough(QImage& canvas)
{
    const auto* parent = dynamic_cast<const TQORCustomControl*>(parentWidget());
    const QImage* back = parent ? parent->BackBitmap() : nullptr;
    QPainter painter(&canvas);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    if (back) {
        painter.drawImage(QPoint(0, 0), *back, QRect(parent->BackOffset(pos()), canvas.size()));
        return;
    }
    // A capture taken at another place or size is stale as well: Qt moves and
    // sizes hidden widgets without telling them.
    if (m_capturePending || m_capture.size() != canvas.size() || m_capturedAt != pos())
        capture();
    painter.drawImage(QPoint(0, 0), m_capture);
}

void TQORBaseGraphicButton::PaintContent(QImage& canvas, const QRect& rect)
{
    const QSize glyph = m_glyph.CellSize();
    QSize textSize;
    if (!m_caption.empty()) {
        QRect measured(0, 0, rect.width(), 0);
        MeasureCaption(m_caption, &m_fontFx, measured, -1, true, m_multiLine, m_font);
        textSize = measured.size();
    }
    const TQORButtonPlaces places = LayoutButton(m_layout, glyph, textSize, rect);
    const bool enabled = m_state != 1 && m_state != 7;
    const bool besideGlyph = m_layout.ArrowPosition() == apRightGlyph || m_layout.ArrowPosition() == apLeftGlyph;
    const auto arrow = [&] {
        if (places.arrow.isNull())
            return;
        const int size = m_layout.ArrowSize();
        if (enabled) {
            DrawDropDownArrow(canvas, places.arrow.left(), places.arrow.top(), size, m_layout.ArrowColor());
        } else {
            DrawDropDownArrow(canvas, places.arrow.left() + 1, places.arrow.top() + 1, size, clHighlightText);
            DrawDropDownArrow(canvas, places.arrow.left(), places.arrow.top(), size, clGrayText);
        }
    };
    if (!places.text.isNull()) {
        QPainter painter(&canvas);
        painter.setFont(ToQFont(m_font));
        const bool entered = m_enterColorChange && AllowMouseOver && m_state >= 2 && m_state <= 6;
        painter.setPen(ToQColor(entered ? m_enterColor : m_font.Color));
        unsigned format = DT_WORDBREAK | DT_EXPANDTABS;
        if (m_multiLine)
            format |= kAlignFormat[m_layout.Alignment()];
        DrawCaptionText(painter, m_caption, &m_fontFx, nullptr, enabled ? dcEnabled : 0, format, ToTRect(places.text));
    }
    if (!besideGlyph)
        arrow();
    if (!places.glyph.isNull())
        m_glyph.Draw(canvas, places.glyph.topLeft(), m_state);
    if (besideGlyph)
        arrow();
}

bool TQORCustomSpeedButton::SystemOldLook = false;

TQORCustomSpeedButton::TQORCustomSpeedButton(QWidget* parent) : TQORBaseGraphicButton(parent)
{
    AllowMouseOver = true;
}

void TQORCustomSpeedButton::Paint(QImage& canvas)
{
    const int style = FaceStyle != 0 ? FaceStyle : (SystemOldLook ? fsOldLook : fsNewLook);
    DrawButtonFace(canvas, canvas.rect(), style, State(), Color(), MouseInside());
    const bool down = State() >= 3;
    int l = 1, r = 2;
    if (style == fsOldLook)
        l = down ? 2 : 3, r = down ? 1 : 3;
    else if (style == fsNewLook)
        l = down ? 2 : 1, r = 2;
    else if (style == fsFramed)
        l = down ? 2 : 1, r = down ? 1 : 2;
    QRect content(l, l, canvas.width() - l - r, canvas.height() - l - r);
    if (style == fsOldLook && IsPressedLook(State()))
        content.translate(1, 1);
    PaintContent(canvas, content);
}

TQOROfficeButton::TQOROfficeButton(QWidget* parent) : TQORBaseGraphicButton(parent)
{
    AllowMouseOver = true;
    AllowTransparency = false;
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    resize(23, 22);
}

void TQOROfficeButton::Paint(QImage& canvas)
{
    DrawButtonFace(canvas, canvas.rect(), fsFlat, State(), Color(), MouseInside());
    QRect content(3, 3, canvas.width() - 6, canvas.height() - 6);
    if (IsPressedLook(State()))
        content.translate(1, 1);
    PaintContent(canvas, content);
}

TQORExplorerButton::TQORExplorerButton(QWidget* parent) : TQORBaseGraphicButton(parent)
{
    AllowMouseOver = true;
    AllowTransparency = false;
    SetTransparent(true);
    Glyph().SetStyle(1);
    resize(54, 40);
}

void TQORExplorerButton::SetUnColorMain(bool value)
{
    Glyph().SetStyle(value ? 1 : 0);
    Invalidate();
}

void TQORExplorerButton::Paint(QImage& canvas)
{
    PaintSeeThrough(canvas);
    QRect content(3, 3, canvas.width() - 6, canvas.height() - 6);
    if (IsPressedLook(State()))
        content.translate(1, 1);
    PaintContent(canvas, content);
    DrawButtonFace(canvas, canvas.rect(), fsFlatNoFill, State(), Color(), MouseInside());
}

TQORCustomMMButton::TQORCustomMMButton(QWidget* parent) : TQORBaseGraphicButton(parent)
{
    m_faceLink.OnChange = [this](TQORBaseContainer*) { Invalidate(); };
    m_faceLink.OnFree = [this](TQORBaseContainer*) {
        m_faces = nullptr;
        Invalidate();
    };
}

TQORCustomMMButton::~TQORCustomMMButton()
{
    m_faceLink.OnChange = nullptr;
    m_faceLink.OnFree = nullptr;
}

void TQORCustomMMButton::SetButtonFaceImageList(TQORCustomImageList* value)
{
    if (m_faces == value)
        return;
    if (m_faces)
        m_faces->UnRegisterChanges(&m_faceLink);
    m_faces = value;
    if (m_faces)
        m_faces->RegisterChanges(&m_faceLink);
    Invalidate();
}

bool TQORCustomMMButton::validFace(int entry) const
{
    const TFaceEntry& face = FaceEntries[static_cast<std::size_t>(entry)];
    return m_faces && m_faces->IsValidIndex(face.ListIndex, face.ImageIndex);
}

int TQORCustomMMButton::FaceFor(int state) const
{
    if (state < 0 || state > 7)
        return -1;
    if (validFace(state))
        return state;
    if (state == 1 || state == 2 || state == 5)
        return validFace(0) ? 0 : -1;
    if (state == 3 || state == 4 || state == 6 || state == 7)
        return validFace(4) ? 4 : -1;
    return -1;
}

bool TQORCustomMMButton::HitTest(int x, int y) const
{
    const int entry = FaceFor(State());
    if (entry < 0 || x < 0 || y < 0 || x >= width() || y >= height())
        return false;
    const TFaceEntry& face = FaceEntries[static_cast<std::size_t>(entry)];
    const int faceWidth = m_faces->GetItemDimension(face.ListIndex, 0);
    const int faceHeight = m_faces->GetItemDimension(face.ListIndex, 1);
    if (faceWidth <= 0 || faceHeight <= 0)
        return false;
    // The face is stretched over the button.
    const QPoint at(x * faceWidth / width(), y * faceHeight / height());
    return m_faces->GetPixelColor(at, face.ListIndex, face.ImageIndex) != FaceTransparentColor;
}

void TQORCustomMMButton::Paint(QImage& canvas)
{
    if (Transparent())
        PaintSeeThrough(canvas);
    else
        canvas.fill(ToQColor(Color()));
    const int entry = FaceFor(State());
    if (entry < 0)
        return;
    const TFaceEntry& face = FaceEntries[static_cast<std::size_t>(entry)];
    {
        QPainter painter(&canvas);
        m_faces->DrawInRect(painter, { 0, 0, canvas.width(), canvas.height() }, face.ListIndex, face.ImageIndex,
            static_cast<std::uint16_t>(dbStretch | (Transparent() ? dbTransparentColor : 0)));
    }
    QRect content(0, 0, canvas.width(), canvas.height());
    if (IsPressedLook(State()))
        content.translate(CaptionDown, CaptionDown);
    PaintContent(canvas, content);
}

bool TQORCustomMMButton::ButtonFaceStored() const { return !StdImageListName(m_faces).empty(); }

std::string TQORCustomMMButton::WriteButtonFace() const { return StdImageListName(m_faces); }

void TQORCustomMMButton::ReadButtonFace(const std::string& name) { SetButtonFaceImageList(StdImageListNamed(name)); }

void TQORCustomMMButton::WriteFaceIndices(TStream& stream) const
{
    for (std::size_t i = 0; i < 7; ++i) {
        WriteInteger(stream, FaceEntries[i].ListIndex);
        WriteInteger(stream, FaceEntries[i].ImageIndex);
    }
}

void TQORCustomMMButton::ReadFaceIndices(TStream& stream)
{
    // All 56 bytes or none: a cut stream leaves the faces as they were.
    unsigned char bytes[56];
    stream.ReadBuffer(bytes, sizeof bytes);
    for (std::size_t i = 0; i < 7; ++i)
        FaceEntries[i] = { LittleEndian32(bytes + i * 8), LittleEndian32(bytes + i * 8 + 4) };
    Invalidate();
}

void TQORCustomMMButton::WriteFaceTransparentColor(TStream& stream) const
{
    WriteInteger(stream, static_cast<std::int32_t>(FaceTransparentColor));
}

void TQORCustomMMButton::ReadFaceTransparentColor(TStream& stream)
{
    unsigned char bytes[4];
    stream.ReadBuffer(bytes, sizeof bytes);
    FaceTransparentColor = LittleEndian32(bytes);
    Invalidate();
}
