#include "kit/qortimerpool.h"

#include "kit/qorprocs.h"
#include "platform/rtl/exceptions.h"

#include <algorithm>
#include <climits>

namespace {

constexpr UINT_PTR kPoolTimerId = 1;

int NextCount(int value) { return value == INT_MAX ? 0 : value + 1; }

}  // namespace

void TQORTimerItem::Start()
{
    m_active = true;
    m_pool->UpdateTimer(true);
}

void TQORTimerItem::Stop()
{
    m_active = false;
    m_pool->UpdateTimer(true);
}

TQORTimerPool::TQORTimerPool() = default;

TQORTimerPool::TQORTimerPool(int minInterval) { SetMinInterval(minInterval); }

TQORTimerPool::~TQORTimerPool()
{
    MarkDestroying();
    if (m_window != 0)
        KillTimer(m_window, kPoolTimerId);
    m_running = false;
    while (!m_items.empty())
        m_items.pop_back();
    if (m_window != 0)
        DeallocateHWnd(m_window);
}

void TQORTimerPool::SetMinInterval(int value)
{
    if (!Loading())
        return;
    m_minInterval = std::clamp(value, kMinIntervalLow, kMinIntervalHigh);
}

TQORTimerItem* TQORTimerPool::AddItem(std::uint16_t ident, int interval, int maxCount)
{
    m_items.push_back(std::unique_ptr<TQORTimerItem>(new TQORTimerItem(this)));
    TQORTimerItem* item = m_items.back().get();
    item->Ident = ident;
    item->Interval = interval;
    item->MaxCount = maxCount;
    return item;
}

bool TQORTimerPool::AnyActive() const
{
    return std::any_of(m_items.begin(), m_items.end(), [](const auto& item) { return item->Active(); });
}

void TQORTimerPool::UpdateTimer(bool enable)
{
    if (Destroying())
        return;
    if (m_window == 0)
        m_window = AllocateHWnd([this](TMessage& message) { WndProc(message); });
    m_running = false;
    KillTimer(m_window, kPoolTimerId);
    if (enable && AnyActive()) {
        if (SetTimer(m_window, kPoolTimerId, static_cast<UINT>(m_minInterval)) == 0)
            throw EOutOfResources(qorprocs::ResText("Not enough timers available"));
        m_tickCounter = 1;
        m_running = true;
    }
}

void TQORTimerPool::WndProc(TMessage& message)
{
    if (message.Msg == WM_TIMER) {
        TimerTick();
        return;
    }
    message.Result = DefWindowProc(m_window, message.Msg, message.WParam, message.LParam);
}

void TQORTimerPool::TimerTick()
{
    if (m_inTick)
        return;
    m_inTick = true;
    try {
        Tick();
    } catch (const std::exception& error) {
        Application::HandleException(error);
    }
    m_inTick = false;
}

void TQORTimerPool::Tick()
{
    if (Paused)
        return;
    // An item's event may add items; only those present when the tick began take part.
    const std::size_t count = m_items.size();
    for (std::size_t i = 0; i < count && i < m_items.size(); ++i) {
        TQORTimerItem& item = *m_items[i];
        if (item.Active() && item.Interval > 0 && m_tickCounter % item.Interval == 0)
            Fire(item);
    }
    m_tickCounter = NextCount(m_tickCounter);
    // The last item that ran out stops the window timer, so an idle pool costs nothing.
    if (m_running && !AnyActive()) {
        KillTimer(m_window, kPoolTimerId);
        m_running = false;
    }
}

void TQORTimerPool::Fire(TQORTimerItem& item)
{
    item.Counter = NextCount(item.Counter);
    if (item.OnTimer)
        item.OnTimer(this);
    else if (OnTimer)
        OnTimer(this, item.Ident, item.Counter);
    if (item.Counter == item.MaxCount)
        item.m_active = false;
}
