#pragma once

#include "platform/win/messages.h"

#include <functional>

namespace psock {

// A timer that ticks on the thread that made it, through a hidden window of its own,
// so a worker thread can time its own waits.
class TThreadTimer final {
public:
    TThreadTimer();
    ~TThreadTimer();
    TThreadTimer(const TThreadTimer&) = delete;
    TThreadTimer& operator=(const TThreadTimer&) = delete;

    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled);
    unsigned Interval() const { return m_interval; }
    void SetInterval(unsigned interval);
    void SetOnTimer(std::function<void()> onTimer);

    // The hidden window's class, as the timer registers it.
    static constexpr const char* WindowClass = "TmrWindowClass";

private:
    void update();
    void wndProc(TMessage& message);

    HWND m_window { 0 };
    bool m_enabled { true };
    unsigned m_interval { 1000 };
    std::function<void()> m_onTimer;
};

}  // namespace psock
