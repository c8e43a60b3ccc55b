#pragma once

#include "platform/ui/gifdecoder.h"
#include "platform/ui/graphics.h"

#include <QTimer>
#include <QWidget>

#include <functional>
#include <string>

// A picture control that shows a GIF file and plays its animation.
class TGIFImage final : public QWidget {
public:
    explicit TGIFImage(QWidget* parent = nullptr);

    // File name in the code page. A missing or unreadable file leaves the control empty and answers false.
    bool LoadFromFile(const std::string& fileName);
    bool LoadFromBytes(const std::string& bytes);
    void Clear();

    bool Empty() const { return m_decoder.Empty(); }
    // The picture's own size; 0 when empty.
    int Width() const { return m_decoder.Width(); }
    int Height() const { return m_decoder.Height(); }
    int FrameCount() const { return static_cast<int>(m_decoder.Frames().size()); }
    int CurrentFrame() const { return m_frame; }
    // What the control shows now (a null image when empty).
    QImage CurrentImage() const;

    bool Animate() const { return m_animate; }
    void SetAnimate(bool animate);
    // The control takes the picture's size on load.
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool autoSize);
    bool Stretch() const { return m_stretch; }
    void SetStretch(bool stretch);
    bool Center() const { return m_center; }
    void SetCenter(bool center);

    const std::string& Hint() const { return m_hint; }
    void SetHint(const std::string& hint);
    TCursor Cursor() const { return m_cursor; }
    void SetCursor(TCursor cursor);

    std::function<void()> OnClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void restart();
    void scheduleNext();
    void advance();

    GifDecoder m_decoder;
    QTimer m_timer;
    int m_frame { 0 };
    int m_playsLeft { 0 };
    bool m_animate { true };
    bool m_autoSize { false };
    bool m_stretch { false };
    bool m_center { false };
    bool m_pressed { false };
    std::string m_hint;
    TCursor m_cursor { crDefault };
};
