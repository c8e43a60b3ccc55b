#include "nettest.h"

#include <gtest/gtest.h>

CapturedExceptions::~CapturedExceptions()
{
    Application::SetExceptionHandler([](const std::exception& error) {
        ADD_FAILURE() << "exception left a message handler: " << error.what();
    });
}

TickCounter::TickCounter(std::function<bool()> busy) : m_busy(std::move(busy))
{
    m_window = AllocateHWnd([this](TMessage& message) {
        if (message.Msg == WM_TIMER && m_busy())
            ++m_ticks;
    });
    SetTimer(m_window, 1, 1);
}

TickCounter::~TickCounter()
{
    KillTimer(m_window, 1);
    DeallocateHWnd(m_window);
}
