#pragma once

#include "client/core/download.h"
#include "platform/rtl/thread.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>

// The account change sent to the service's "/modify.asp".
struct TAccountChange {
    std::string userId;             // who is signed on
    std::string scrambledPassword;  // their stored password
    std::string newUserId;
    std::string email;
    std::string phone;
    std::string newScrambledPassword;
    std::string publicKey;
};

// The request for a change on the account host: every value trimmed and escaped.
std::string ModifyAccountUrl(const std::string& host, const TAccountChange& change);

// True when the reply's first line, trimmed, is "success".
bool ModifyAccountSucceeded(const std::string& reply);

// Sends one account change: the request is built on the main thread by
// BuildRequest (so the window's fields are read there), the page is fetched on
// the thread into a reply file of its own ("Response.txt"); OnTerminate then runs
// on the main thread. Setting the cancel flag ends the fetch at once.
class TModifyAccount final : public TThread {
public:
    TModifyAccount(std::function<std::string()> buildRequest, std::shared_ptr<const std::atomic<bool>> cancel);

    // The reply's bytes, once Execute is done.
    std::string Reply;

protected:
    void Execute() override;

private:
    std::function<std::string()> m_buildRequest;
    const std::shared_ptr<const std::atomic<bool>> m_cancel;
    DownloadLimits m_limits;
};
