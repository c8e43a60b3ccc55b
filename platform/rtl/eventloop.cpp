#include "platform/rtl/eventloop.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>

namespace {

Application::ExceptionHandler& exceptionHandler()
{
    static Application::ExceptionHandler handler;
    return handler;
}

}  // namespace

namespace Application {

void ProcessMessages()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool ProcessMessagesUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    // The wake-up timer bounds each wait, so done() is looked at even when nothing arrives.
    QTimer wake;
    wake.start(5);
    while (!done()) {
        if (clock.elapsed() >= timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void SetExceptionHandler(ExceptionHandler handler) { exceptionHandler() = std::move(handler); }

void HandleException(const std::exception& error)
{
    if (exceptionHandler())
        exceptionHandler()(error);
    else
        std::fprintf(stderr, "%s\n", error.what());
}

void Guarded(const std::function<void()>& call)
{
    try {
        call();
    } catch (const std::exception& error) {
        HandleException(error);
    }
}

}  // namespace Application
