#pragma once

#include "platform/win/messages.h"

#include <functional>
#include <string>
#include <vector>

// Exceptions that leave message handlers, caught for a test that expects them.
class CapturedExceptions {
public:
    CapturedExceptions()
    {
        Application::SetExceptionHandler([this](const std::exception& e) { messages.push_back(e.what()); });
    }
    ~CapturedExceptions();
    std::vector<std::string> messages;
};

// Runs the loop until done() or a generous safety limit.
inline bool WaitFor(const std::function<bool()>& done, int timeoutMs = 10000)
{
    return Application::ProcessMessagesUntil(done, timeoutMs);
}

// True once every message posted to this thread before the call has been handled:
// they are handled in the order they were posted.
bool HandledWhatWasPosted();

// Waits on another thread's progress without running the loop, never forever.
bool Await(const std::function<bool()>& done);

// The shortest timer the loop keeps, 1 ms, standing for the bar's clock: counts the
// ticks that come while busy() holds.
class TickCounter {
public:
    explicit TickCounter(std::function<bool()> busy);
    ~TickCounter();
    TickCounter(const TickCounter&) = delete;
    TickCounter& operator=(const TickCounter&) = delete;
    int ticks() const { return m_ticks; }
    // Starts the clock afresh and returns once its next tick is due, without running the
    // loop: the loop's next look at its timers brings that tick, however fast the machine.
    void makeDue();

private:
    static constexpr UINT kTickMs = 1;
    std::function<bool()> m_busy;
    HWND m_window { 0 };
    int m_ticks { 0 };
};
