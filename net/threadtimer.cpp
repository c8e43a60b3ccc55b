#include "net/threadtimer.h"

#include "platform/rtl/exceptions.h"

namespace psock {

namespace {
constexpr UINT_PTR kTimerId = 1;
}

TThreadTimer::TThreadTimer()
    : m_window(AllocateHWnd([this](TMessage& message) { wndProc(message); }))
{
}

TThreadTimer::~TThreadTimer()
{
    KillTimer(m_window, kTimerId);
    DeallocateHWnd(m_window);
}

void TThreadTimer::SetEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    update();
}

void TThreadTimer::SetInterval(unsigned interval)
{
    if (interval == m_interval)
        return;
    m_interval = interval;
    update();
}

void TThreadTimer::SetOnTimer(std::function<void()> onTimer)
{
    m_onTimer = std::move(onTimer);
    update();
}

void TThreadTimer::update()
{
    KillTimer(m_window, kTimerId);
    if (m_enabled && m_interval > 0 && m_onTimer) {
        if (SetTimer(m_window, kTimerId, m_interval) == 0)
            throw Exception("No Timer");
    }
}

void TThreadTimer::wndProc(TMessage& message)
{
    if (message.Msg == WM_TIMER) {
        if (m_onTimer)
            m_onTimer();
        return;
    }
    message.Result = DefWindowProc(m_window, message.Msg, message.WParam, message.LParam);
}

}  // namespace psock
