#pragma once

#include "platform/rtl/thread.h"

#include <functional>
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

// The program folder's reply file of an account update.
std::string ModifyReplyFile();
// True when the reply file's first line, trimmed, is "success"; the file's name
// is found whatever its letter case.
bool ModifyAccountSucceeded();

// Sends one account change: the request is built on the main thread by
// BuildRequest (so the window's fields are read there), the page is fetched on
// the thread; OnTerminate then runs on the main thread.
class TModifyAccount final : public TThread {
public:
    explicit TModifyAccount(std::function<std::string()> buildRequest);

protected:
    void Execute() override;

private:
    std::function<std::string()> m_buildRequest;
};
