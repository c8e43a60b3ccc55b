#pragma once

#include "kit-extra/qorbtn.h"
#include "kit-extra/qorlayout.h"
#include "platform/ui/graphics.h"

#include <QImage>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

// A kit button in eight states (up, disabled, hot, latched, held, menu, disabled
// while latched), with groups of buttons of which one stays pressed.
class TQORBaseGraphicButton : public QWidget {
public:
    using TNotifyEvent = std::function<void(TQORBaseGraphicButton* Sender)>;

    explicit TQORBaseGraphicButton(QWidget* parent = nullptr);
    ~TQORBaseGraphicButton() override;

    TNotifyEvent OnClick;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseExit;

    int State() const { return m_state; }
    // Every change of state goes through here; an unchanged state repaints nothing.
    void SetState(int state);

    std::string Caption;
    TFontSpec Font { "MS Sans Serif", 8, 0, clBtnText };
    TColor Color() const { return m_color; }
    void SetColor(TColor value);
    bool AllowMouseOver { false };
    // Clicks repeat every RepeatingInterval ms (a multiple of 50) while held inside.
    bool RepeatedClick { false };
    int RepeatingInterval { 100 };

    TQORGlyph& Glyph() { return m_glyph; }
    TQORButtonLayout& ButtonLayout() { return m_layout; }

    int GroupIndex() const { return m_groupIndex; }
    void SetGroupIndex(int value);
    bool AllowAllUp() const { return m_allowAllUp; }
    void SetAllowAllUp(bool value);
    bool Pressed() const { return m_pressed; }
    // Only a grouped button can be pressed; a pressed one is released only with AllowAllUp.
    void SetPressed(bool value);

    // Draws the whole button into canvas, the button's size.
    virtual void Paint(QImage& canvas) = 0;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

    // Glyph, caption and arrow inside rect for the current state.
    void PaintContent(QImage& canvas, const QRect& rect);
    bool DownLook() const { return m_state == 3 || m_state == 4 || m_state == 6 || m_state == 7; }

private:
    void announceToGroup();
    void groupMemberPressed(TQORBaseGraphicButton* sender);
    void click();
    void press();
    void stopRepeat();

    TQORGlyph m_glyph;
    TQORButtonLayout m_layout;
    TColor m_color { clWindow };
    int m_state { 0 };
    int m_previousState { 0 };
    bool m_held { false };
    int m_groupIndex { 0 };
    bool m_allowAllUp { false };
    bool m_pressed { false };
    bool m_inside { false };
    std::uint16_t m_repeatTimer { 0 };
};

// The three-dimensional speed button of the desktop's newer look.
class TQORCustomSpeedButton final : public TQORBaseGraphicButton {
public:
    explicit TQORCustomSpeedButton(QWidget* parent = nullptr);

    void Paint(QImage& canvas) override;
};

// A flat button that shows a border only under the mouse or when down.
class TQOROfficeButton final : public TQORBaseGraphicButton {
public:
    explicit TQOROfficeButton(QWidget* parent = nullptr);

    void Paint(QImage& canvas) override;
};
