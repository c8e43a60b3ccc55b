#pragma once

#include "client/core/download.h"
#include "platform/rtl/thread.h"

#include <functional>
#include <optional>
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
// on the main thread. Once sent, a change may be made at the service whatever
// the window does, so the fetch is not cancelled: it lasts past sign-off too, and
// only Exit or the download's low-speed limit end it.
class TModifyAccount final : public TThread {
public:
    struct TRequest {
        std::string host;
        TAccountChange change;
    };
    // BuildRequest gives none when there is nothing to send any more.
    explicit TModifyAccount(std::function<std::optional<TRequest>()> buildRequest);

    // What was sent, and the reply's bytes, once Execute is done.
    std::optional<TRequest> Request;
    std::string Reply;

protected:
    void Execute() override;

private:
    std::function<std::optional<TRequest>()> m_buildRequest;
    DownloadLimits m_limits;
};
