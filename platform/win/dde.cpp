#include "platform/win/dde.h"

#include <mutex>
#include <utility>

namespace dde {

namespace {

std::mutex g_mutex;
Responder g_responder;

}  // namespace

std::string Request(const std::string& service, const std::string& topic, const std::string& item)
{
    Responder responder;
    {
        const std::lock_guard<std::mutex> lock(g_mutex);
        responder = g_responder;
    }
    return responder ? responder(service, topic, item) : std::string();
}

void SetResponder(Responder responder)
{
    const std::lock_guard<std::mutex> lock(g_mutex);
    g_responder = std::move(responder);
}

}  // namespace dde
