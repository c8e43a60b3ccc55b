#pragma once

#include <exception>
#include <functional>

// The calling thread's event loop, and where a failure that leaves one of its
// handlers goes. Threads and windows both run on it, so it sits below them.
namespace Application {

// Runs the calling thread's message loop once over what is waiting.
void ProcessMessages();

// Runs the loop until done() holds or timeoutMs passes; true when done() held.
bool ProcessMessagesUntil(const std::function<bool()>& done, int timeoutMs);

// Where an exception that leaves a message handler goes; the loop then goes on.
using ExceptionHandler = std::function<void(const std::exception&)>;
void SetExceptionHandler(ExceptionHandler handler);
void HandleException(const std::exception& error);
// Runs call, sending any exception it throws to the handler.
void Guarded(const std::function<void()>& call);

}  // namespace Application
