#pragma once

#include "platform/ui/form.h"
#include "platform/ui/graphics.h"

#include <QAbstractButton>
#include <QFrame>
#include <QImage>

#include <functional>
#include <string>

// The small controls the main bar is built of: panels that report the mouse,
// flat speed buttons with code-page captions, and the buddy list's paint box.

class TPanel final : public QFrame {
public:
    explicit TPanel(QWidget* parent, const char* name, TColor color);

    // Lowered while held, as the arrow panels show it.
    void SetBevelLowered(bool lowered);
    bool BevelLowered() const { return m_lowered; }
    // A glyph drawn in the middle (the arrows), in the given colour.
    void SetGlyph(const QString& glyph, TColor color);

    std::function<void(TMouseButton button, TShiftState shift, int x, int y)> OnMouseDown;
    std::function<void(TMouseButton button, TShiftState shift, int x, int y)> OnMouseUp;
    std::function<void()> OnClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    TColor m_color;
    bool m_lowered { false };
    QString m_glyph;
    TColor m_glyphColor { clWhite };
};

// A flat button: the caption is code-page text, drawn left-aligned in its font.
class TSpeedButton final : public QAbstractButton {
public:
    TSpeedButton(QWidget* parent, const char* name);

    const std::string& Caption() const { return m_caption; }
    void SetCaption(const std::string& caption);
    void SetFont(const TFontSpec& font);
    const TFontSpec& Font() const { return m_font; }
    // The font's character set is the OEM one: its bytes are shown as that set shows them.
    void SetOemCharset(bool oem) { m_oem = oem; update(); }
    void SetGlyph(const QImage& glyph);
    const QImage& Glyph() const { return m_glyph; }
    std::string Hint() const;
    void SetHint(const std::string& hint);

    std::function<void()> OnClick;
    std::function<void(TMouseButton button, TShiftState shift, int x, int y)> OnMouseDown;
    std::function<void(TMouseButton button, TShiftState shift, int x, int y)> OnMouseUp;

    // The caption as the screen shows it.
    QString DisplayText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    std::string m_caption;
    TFontSpec m_font;
    bool m_oem { false };
    bool m_hot { false };
    QImage m_glyph;
};

// The buddy list's paint box: its owner paints it and gets its mouse.
class TBuddyPaintBox final : public QWidget {
public:
    explicit TBuddyPaintBox(QWidget* parent);

    std::function<void(QPainter& canvas)> OnPaint;
    std::function<void(TMouseButton button, TShiftState shift, int x, int y)> OnMouseDown;
    std::function<void(TShiftState shift, int x, int y)> OnMouseMove;
    std::function<void(TMouseButton button, TShiftState shift, int x, int y)> OnMouseUp;
    std::function<void()> OnDblClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

TMouseButton MouseButtonFromQt(Qt::MouseButton button);
