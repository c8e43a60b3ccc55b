#include "platform/ui/gifimage.h"

#include "platform/rtl/codepage.h"
#include "platform/rtl/files.h"
#include "platform/win/messages.h"

#include <QFile>
#include <QMouseEvent>
#include <QPainter>

namespace {

// No picture of ours comes near this; a bigger file is not an advertisement.
constexpr qint64 kMaxFileBytes = 32 * 1024 * 1024;

}  // namespace

TGIFImage::TGIFImage(QWidget* parent)
    : QWidget(parent)
{
    m_timer.setSingleShot(true);
    QObject::connect(&m_timer, &QTimer::timeout, this, [this] { advance(); });
}

bool TGIFImage::LoadFromFile(const std::string& fileName)
{
    // Windows opens files whatever their letter case; ads.idx names pictures either way.
    QFile file(QString::fromStdString(FileSystemName(ResolveFileName(fileName))));
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileBytes) {
        Clear();
        return false;
    }
    const QByteArray bytes = file.read(kMaxFileBytes);
    return LoadFromBytes(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

bool TGIFImage::LoadFromBytes(const std::string& bytes)
{
    const bool ok = m_decoder.Decode(bytes);
    if (ok && m_autoSize)
        resize(m_decoder.Width(), m_decoder.Height());
    restart();
    return ok;
}

void TGIFImage::Clear()
{
    m_decoder.Decode(std::string());
    restart();
}

QImage TGIFImage::CurrentImage() const
{
    if (Empty())
        return QImage();
    return m_decoder.Frames()[static_cast<std::size_t>(m_frame)].image;
}

void TGIFImage::SetAnimate(bool animate)
{
    if (animate == m_animate)
        return;
    m_animate = animate;
    if (animate)
        scheduleNext();
    else
        m_timer.stop();
}

void TGIFImage::SetAutoSize(bool autoSize)
{
    m_autoSize = autoSize;
    if (autoSize && !Empty())
        resize(m_decoder.Width(), m_decoder.Height());
}

void TGIFImage::SetStretch(bool stretch)
{
    m_stretch = stretch;
    update();
}

void TGIFImage::SetCenter(bool center)
{
    m_center = center;
    update();
}

void TGIFImage::SetHint(const std::string& hint)
{
    m_hint = hint;
    setToolTip(codepage::ToUnicode(hint));
}

void TGIFImage::SetCursor(TCursor cursor)
{
    m_cursor = cursor;
    if (cursor == crDefault)
        unsetCursor();
    else
        setCursor(ToQCursor(cursor));
}

void TGIFImage::restart()
{
    m_timer.stop();
    m_frame = 0;
    const int loops = m_decoder.LoopCount();
    m_playsLeft = loops < 0 ? 1 : loops == 0 ? -1 : loops + 1;
    scheduleNext();
    update();
}

void TGIFImage::scheduleNext()
{
    if (!m_animate || FrameCount() < 2 || m_playsLeft == 0)
        return;
    m_timer.start(m_decoder.Frames()[static_cast<std::size_t>(m_frame)].delayMs);
}

void TGIFImage::advance()
{
    if (FrameCount() < 2)
        return;
    if (m_frame + 1 < FrameCount()) {
        ++m_frame;
    } else {
        if (m_playsLeft > 0)
            --m_playsLeft;
        if (m_playsLeft == 0)
            return;  // stays on the last frame, as browsers leave it
        m_frame = 0;
    }
    update();
    scheduleNext();
}

void TGIFImage::paintEvent(QPaintEvent*)
{
    if (Empty())
        return;
    QPainter painter(this);
    const QImage& image = m_decoder.Frames()[static_cast<std::size_t>(m_frame)].image;
    if (m_stretch) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(rect(), image);
    } else if (m_center) {
        painter.drawImage(QPoint((width() - image.width()) / 2, (height() - image.height()) / 2), image);
    } else {
        painter.drawImage(QPoint(0, 0), image);
    }
}

void TGIFImage::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    QWidget::mousePressEvent(event);
}

void TGIFImage::mouseReleaseEvent(QMouseEvent* event)
{
    const bool clicked = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (clicked && OnClick)
        Application::Guarded(OnClick);
}
