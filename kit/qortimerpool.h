#pragma once

#include "kit/qorobject.h"
#include "platform/win/messages.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TQORTimerPool;

// One timed duty of a pool: fires on every TickCount-th pool tick until its
// counter reaches MaxCount (-1 or 0: without end).
class TQORTimerItem final {
public:
    using TItemEvent = std::function<void(TQORTimerPool* Sender)>;

    // EInvalidOperation "TQORTimerItem: Invalid Owner or List" without a pool.
    explicit TQORTimerItem(TQORTimerPool* pool);
    ~TQORTimerItem();
    TQORTimerItem(const TQORTimerItem&) = delete;
    TQORTimerItem& operator=(const TQORTimerItem&) = delete;

    int MaxCount { -1 };
    int Counter { 0 };
    std::uint16_t Ident { 0 };
    // Milliseconds, a multiple of the pool's minimum interval.
    int Interval { 1000 };
    // Pool ticks between firings (Interval over the pool's minimum); 0 counts as 1.
    int TickCount { 1 };
    TItemEvent OnTimer;
    void* Data { nullptr };

    bool Active() const { return m_active; }
    bool Enabled() const { return m_active; }
    void Start();
    void Stop();
    TQORTimerPool* Pool() const { return m_pool; }

private:
    friend class TQORTimerPool;
    friend void SetTimerItemEnabled(TQORTimerItem& item, bool value);

    TQORTimerPool* m_pool;
    bool m_active { false };
    bool m_removed { false };
};

// Switching on needs a MaxCount other than 0; a change resets the counter.
void SetTimerItemEnabled(TQORTimerItem& item, bool value);
// Ignored when unchanged or not a multiple of the pool's minimum interval; 0 is the minimum.
void SetTimerItemInterval(TQORTimerItem& item, int ms);

// Many timed items on one window timer.
class TQORTimerPool final : public TQORComponent {
public:
    using TQORTimerPoolEvent = std::function<void(TQORTimerPool* Sender, std::uint16_t Ident, int Counter)>;

    static constexpr int kMinIntervalLow = 50;
    static constexpr int kMinIntervalHigh = 10000;

    TQORTimerPool();
    explicit TQORTimerPool(int minInterval);
    ~TQORTimerPool() override;

    TQORTimerPoolEvent OnTimer;

    int MinInterval() const { return m_minInterval; }
    // Taken only while loading; kept within 50..10000 ms.
    void SetMinInterval(int value);

    // A new, inactive item owned by the pool, firing every interval-th tick.
    TQORTimerItem* AddItem(std::uint16_t ident, int interval, int maxCount);
    int ItemCount() const { return static_cast<int>(m_items.size()); }

    // The list position of the item with that identifier, -1 when none.
    int IndexOfTimer(std::uint16_t id) const;
    TQORTimerItem* FindTimer(std::uint16_t id) const;
    // An enabled, endless item of interval ms. A present identifier: Exception
    // "List index out of bounds (<n>)"; an interval that is no multiple of
    // MinInterval: Exception "Interval does'nt fit to given MinInterval!".
    // Returns the list position.
    int AddTimer(std::uint16_t id, int interval, TQORTimerItem::TItemEvent callback, void* data);
    // Stops and frees the item; the window timer stops with the last one.
    void RemoveTimer(std::uint16_t id);

    bool Running() const { return m_running; }
    bool Paused { false };
    int TickCounter() const { return m_tickCounter; }

    // Sets or kills the window timer after an item started or stopped.
    // EOutOfResources "Not enough timers available" when no timer can be had.
    void UpdateTimer(bool enable);

    // What the window timer's WM_TIMER runs; guarded against re-entry.
    void TimerTick();

private:
    friend class TQORTimerItem;
    void WndProc(TMessage& message);
    void Tick();
    void Fire(TQORTimerItem& item);
    bool AnyActive() const;
    void Detach(TQORTimerItem* item);
    void PurgeRemoved();

    int m_minInterval { 1000 };
    HWND m_window { 0 };
    int m_tickCounter { 0 };
    bool m_running { false };
    bool m_inTick { false };
    std::vector<std::unique_ptr<TQORTimerItem>> m_items;
};
