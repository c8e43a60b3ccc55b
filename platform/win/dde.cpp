#include "platform/win/dde.h"

#include <cstdlib>
#include <mutex>
#include <utility>

namespace dde {

namespace {

std::mutex g_mutex;
const char* const kBrowserPageTopic = "WWW_GetWindowInfo";
Responder g_responder;

}  // namespace

std::string Request(const std::string& service, const std::string& topic, const std::string& item)
{
    Responder responder;
    {
        const std::lock_guard<std::mutex> lock(g_mutex);
        responder = g_responder;
    }
    if (responder)
        return responder(service, topic, item);
    // A whole program under test gets its browser page from the environment.
    if (topic == kBrowserPageTopic) {
        if (const char* page = std::getenv("KORVO_BROWSER_PAGE"))
            return page;
    }
    return std::string();
}

void SetResponder(Responder responder)
{
    const std::lock_guard<std::mutex> lock(g_mutex);
    g_responder = std::move(responder);
}

}  // namespace dde
