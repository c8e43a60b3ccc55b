#include "nettest.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

CapturedExceptions::~CapturedExceptions()
{
    Application::SetExceptionHandler([](const std::exception& error) {
        ADD_FAILURE() << "exception left a message handler: " << error.what();
    });
}

bool HandledWhatWasPosted()
{
    bool handled = false;
    const HWND marker = AllocateHWnd([&](TMessage&) { handled = true; });
    PostMessage(marker, WM_USER, 0, 0);
    const bool seen = WaitFor([&] { return handled; });
    DeallocateHWnd(marker);
    return seen;
}

bool Await(const std::function<bool()>& done)
{
    for (int i = 0; i < 1000; ++i) {
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TickCounter::TickCounter(std::function<bool()> busy) : m_busy(std::move(busy))
{
    m_window = AllocateHWnd([this](TMessage& message) {
        if (message.Msg == WM_TIMER && m_busy())
            ++m_ticks;
    });
    SetTimer(m_window, 1, kTickMs);
}

void TickCounter::makeDue()
{
    SetTimer(m_window, 1, kTickMs);
    std::this_thread::sleep_until(std::chrono::steady_clock::now() + std::chrono::milliseconds(kTickMs));
}

TickCounter::~TickCounter()
{
    KillTimer(m_window, 1);
    DeallocateHWnd(m_window);
}
