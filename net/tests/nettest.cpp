#include "nettest.h"

#include <gtest/gtest.h>

CapturedExceptions::~CapturedExceptions()
{
    Application::SetExceptionHandler([](const std::exception& error) {
        ADD_FAILURE() << "exception left a message handler: " << error.what();
    });
}
