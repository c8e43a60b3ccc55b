#pragma once

#include "client/core/features.h"

#include <cstddef>
#include <deque>
#include <string>

// The latest calls the peer dispatcher made, oldest first, for scripted runs and
// tests: a program nobody scripts installs none and keeps no record.
class TPeerCallRecord final {
public:
    static constexpr std::size_t kMaxCalls = 200;

    void Install()
    {
        Features().PeerFrame.Dispatched = [this](const std::string& call) {
            m_calls.push_back(call);
            while (m_calls.size() > kMaxCalls)
                m_calls.pop_front();
        };
    }
    static void Uninstall() { Features().PeerFrame.Dispatched = nullptr; }

    const std::deque<std::string>& Calls() const { return m_calls; }
    void Clear() { m_calls.clear(); }

private:
    std::deque<std::string> m_calls;
};
