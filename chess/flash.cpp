#include "chess/flash.h"

#include "platform/ui/form.h"

#include <QApplication>

TFlash::TFlash(TForm* owner)
    : m_owner(owner)
{
    m_timer.setInterval(m_interval);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
}

void TFlash::SetInterval(int milliseconds)
{
    m_interval = milliseconds;
    m_timer.setInterval(milliseconds);
}

void TFlash::SetEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    if (enabled) {
        m_phase = false;
        show(true);
        m_timer.start();
    } else {
        m_timer.stop();
        show(false);
    }
}

void TFlash::tick()
{
    if (OnFlash)
        OnFlash(this, m_phase);
    show(m_phase);
    m_phase = !m_phase;
}

void TFlash::show(bool highlighted)
{
    m_highlighted = highlighted;
    // The window system's attention request stands for the highlighted caption and taskbar button.
    if (highlighted && m_owner)
        QApplication::alert(m_owner, m_interval);
}
