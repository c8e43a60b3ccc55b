#pragma once

#include "platform/rtl/exceptions.h"

#include <string>

// Failures of the POP3 client's socket base. It is a layer of its own beside the
// socket kit, so it keeps its own exception classes and error texts.
namespace psock {

class ESockError : public Exception {
public:
    using Exception::Exception;
};

// A wait ended by Cancel.
class EAbortError : public ESockError {
public:
    using ESockError::ESockError;
};

// "<code>:<text>" for a known Winsock code, "Unknown Error No. <code>" for another,
// "" for 0.
std::string SocketErrorText(int code);

}  // namespace psock
