#pragma once

#include <functional>
#include <string>

// Asking another program for data by service, topic and item, the way the bar
// asks the running web browser for its page. No program answers here, so a
// request gives nothing unless a test has put an answering double in place, or,
// for the browser's page (topic WWW_GetWindowInfo), KORVO_BROWSER_PAGE holds
// the answer ("url","title") a program under test should get.
namespace dde {

// The answer of the program serving service/topic for item; "" when nothing answers.
std::string Request(const std::string& service, const std::string& topic, const std::string& item);

// A stand-in server for tests: called for every request, its result is the answer.
using Responder = std::function<std::string(const std::string& service, const std::string& topic,
                                            const std::string& item)>;
void SetResponder(Responder responder);

}  // namespace dde
