#pragma once

#include "kit/qorobject.h"
#include "platform/win/messages.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TQORTimerPool;

// One timed duty of a pool: fires on every Interval-th pool tick, MaxCount times
// (0 = without end).
class TQORTimerItem final {
public:
    using TItemEvent = std::function<void(TQORTimerPool* Sender)>;

    int MaxCount { 0 };
    int Counter { 0 };
    std::uint16_t Ident { 0 };
    // Pool ticks between firings; 0 never fires.
    int Interval { 1 };
    TItemEvent OnTimer;

    bool Active() const { return m_active; }
    void Start();
    void Stop();
    TQORTimerPool* Pool() const { return m_pool; }

private:
    friend class TQORTimerPool;
    explicit TQORTimerItem(TQORTimerPool* pool) : m_pool(pool) {}

    TQORTimerPool* m_pool;
    bool m_active { false };
};

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

    // A new, inactive item owned by the pool.
    TQORTimerItem* AddItem(std::uint16_t ident, int interval, int maxCount);
    int ItemCount() const { return static_cast<int>(m_items.size()); }

    bool Running() const { return m_running; }
    bool Paused { false };
    int TickCounter() const { return m_tickCounter; }

    // Sets or kills the window timer after an item started or stopped.
    // EOutOfResources "Not enough timers available" when no timer can be had.
    void UpdateTimer(bool enable);

    // What the window timer's WM_TIMER runs; guarded against re-entry.
    void TimerTick();

private:
    void WndProc(TMessage& message);
    void Tick();
    void Fire(TQORTimerItem& item);
    bool AnyActive() const;

    int m_minInterval { 1000 };
    HWND m_window { 0 };
    int m_tickCounter { 0 };
    bool m_running { false };
    bool m_inTick { false };
    std::vector<std::unique_ptr<TQORTimerItem>> m_items;
};
