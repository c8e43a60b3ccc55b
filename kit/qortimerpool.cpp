#include "kit/qortimerpool.h"

#include "kit/qorprocs.h"
#include "platform/rtl/exceptions.h"

#include <algorithm>
#include <climits>

namespace {

constexpr UINT_PTR kPoolTimerId = 1;

int NextCount(int value) { return value == INT_MAX ? 0 : value + 1; }

}  // namespace

TQORTimerItem::TQORTimerItem(TQORTimerPool* pool) : m_pool(pool)
{
    if (!pool)
        throw EInvalidOperation(qorprocs::ResText("TQORTimerItem: Invalid Owner or List"));
    // The default interval in the pool's own ticks, so an unchanged interval stays true.
    TickCount = std::max(Interval / pool->MinInterval(), 1);
}

TQORTimerItem::~TQORTimerItem() { OnTimer = nullptr; }

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

void SetTimerItemEnabled(TQORTimerItem& item, bool value)
{
    if (value == item.m_active || (value && item.MaxCount == 0))
        return;
    item.Counter = 0;
    if (value)
        item.Start();
    else
        item.Stop();
}

void SetTimerItemInterval(TQORTimerItem& item, int ms)
{
    const int minimum = item.Pool()->MinInterval();
    if (ms == 0)
        ms = minimum;
    if (ms == item.Interval || ms < 0 || ms % minimum != 0)
        return;
    item.Interval = ms;
    item.TickCount = ms / minimum;
    item.Counter = 0;
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
    m_items.push_back(std::make_unique<TQORTimerItem>(this));
    TQORTimerItem* item = m_items.back().get();
    item->Ident = ident;
    item->TickCount = interval;
    item->Interval = interval * m_minInterval;
    item->MaxCount = maxCount;
    return item;
}

int TQORTimerPool::IndexOfTimer(std::uint16_t id) const
{
    for (std::size_t i = 0; i < m_items.size(); ++i)
        if (!m_items[i]->m_removed && m_items[i]->Ident == id)
            return static_cast<int>(i);
    return -1;
}

TQORTimerItem* TQORTimerPool::FindTimer(std::uint16_t id) const
{
    const int index = IndexOfTimer(id);
    return index < 0 ? nullptr : m_items[static_cast<std::size_t>(index)].get();
}

int TQORTimerPool::AddTimer(std::uint16_t id, int interval, TQORTimerItem::TItemEvent callback, void* data)
{
    const int present = IndexOfTimer(id);
    if (present >= 0)
        throw Exception(qorprocs::ResText("List index out of bounds (" + std::to_string(present) + ")"));
    if (interval < m_minInterval || interval % m_minInterval != 0)
        throw Exception(qorprocs::ResText("Interval does'nt fit to given MinInterval!"));
    m_items.push_back(std::make_unique<TQORTimerItem>(this));
    TQORTimerItem* item = m_items.back().get();
    item->Ident = id;
    SetTimerItemInterval(*item, interval);
    item->OnTimer = std::move(callback);
    item->Data = data;
    item->m_active = true;
    UpdateTimer(true);
    return static_cast<int>(m_items.size()) - 1;
}

void TQORTimerPool::RemoveTimer(std::uint16_t id)
{
    TQORTimerItem* item = FindTimer(id);
    if (!item)
        return;
    item->m_active = false;
    item->OnTimer = nullptr;
    item->Data = nullptr;
    // An item removed by its own event is freed once the tick is over.
    item->m_removed = true;
    if (!m_inTick)
        PurgeRemoved();
    if (!AnyActive() && m_window != 0) {
        KillTimer(m_window, kPoolTimerId);
        m_running = false;
    }
}

void TQORTimerPool::PurgeRemoved()
{
    std::erase_if(m_items, [](const auto& item) { return item->m_removed; });
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
    PurgeRemoved();
}

void TQORTimerPool::Tick()
{
    if (Paused)
        return;
    // An item's event may add items; only those present when the tick began take part.
    const std::size_t count = m_items.size();
    for (std::size_t i = 0; i < count && i < m_items.size(); ++i) {
        TQORTimerItem& item = *m_items[i];
        // A multiple of 0 would divide by zero: such an item fires on every tick.
        const int every = std::max(item.TickCount, 1);
        if (item.Active() && m_tickCounter % every == 0)
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
    // A copy: the event may remove its own item and with it the callback.
    if (item.OnTimer) {
        const TQORTimerItem::TItemEvent event = item.OnTimer;
        event(this);
    } else if (OnTimer) {
        OnTimer(this, item.Ident, item.Counter);
    }
    if (!item.m_removed && item.Counter == item.MaxCount)
        item.m_active = false;
}
