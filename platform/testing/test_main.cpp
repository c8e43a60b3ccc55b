#include "platform/rtl/thread.h"
#include "platform/ui/applicationforms.h"
#include "platform/win/messages.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

// Every test program runs with a real Qt application on the offscreen platform,
// so windows, timers and sockets behave as in the programs.
int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    Application::SetExceptionHandler([](const std::exception& error) {
        ADD_FAILURE() << "exception left a message handler: " << error.what();
    });
    const int result = RUN_ALL_TESTS();
    // Windows a test left open belong to the application, as in the programs.
    Application::FreeForms();
    TThread::FreeAbandoned();
    return result;
}
