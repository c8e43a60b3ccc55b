#pragma once

#include "platform/win/messages.h"

#include <functional>
#include <memory>

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// A timer that fires from a worker thread of its own or from a window timer.
// Each period is Interval plus the time the event takes; the timer is idle
// while Interval is 0, it is disabled or it has no OnTimer.
class TTimerEx final {
public:
    using TNotifyEvent = std::function<void(TTimerEx* Sender)>;

    TTimerEx();
    // Stops firing; once it returns no event runs, not even one already handed
    // to the main loop.
    ~TTimerEx();
    TTimerEx(const TTimerEx&) = delete;
    TTimerEx& operator=(const TTimerEx&) = delete;

    bool Enabled() const;
    void SetEnabled(bool value);
    unsigned Interval() const;
    void SetInterval(unsigned value);
    bool Threaded() const { return m_threaded; }
    void SetThreaded(bool value);
    TThreadPriority ThreadPriority() const { return m_priority; }
    void SetThreadPriority(TThreadPriority value);
    // The event runs on the worker itself instead of the main thread.
    bool ThreadSafe() const;
    void SetThreadSafe(bool value);
    const TNotifyEvent& OnTimer() const { return m_onTimer; }
    void SetOnTimer(TNotifyEvent value);

private:
    struct Worker;
    static void RunWorker(const std::shared_ptr<Worker>& shared);

    void UpdateTimer();
    void Timer();
    void WndProc(TMessage& message);

    bool m_threaded { true };
    TThreadPriority m_priority { tpNormal };
    TNotifyEvent m_onTimer;
    std::shared_ptr<Worker> m_worker;
    HWND m_window { 0 };
};
