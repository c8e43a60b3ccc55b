#include "client/features/modifyaccount.h"

#include "client/core/servicequery.h"
#include "platform/rtl/sysutils.h"

namespace {

std::string Value(const std::string& text) { return EncodeServiceValue(Trim(text)); }

}  // namespace

std::string ModifyAccountUrl(const std::string& host, const TAccountChange& change)
{
    return "http://" + Trim(host) + "/modify.asp?userid=" + Value(change.userId) + "&password="
         + Value(change.scrambledPassword) + "&mod_userid=" + Value(change.newUserId) + "&mod_useremail="
         + Value(change.email) + "&mod_userphone=" + Value(change.phone) + "&mod_userpassword="
         + Value(change.newScrambledPassword) + "&mod_publickey=" + Value(change.publicKey);
}

bool ModifyAccountSucceeded(const std::string& reply)
{
    return Trim(reply.substr(0, reply.find_first_of("\r\n"))) == "success";
}

TModifyAccount::TModifyAccount(std::function<std::optional<TRequest>()> buildRequest)
    : TThread(true)
    , m_buildRequest(std::move(buildRequest))
{
    FreeOnTerminate = true;
    m_limits.outlivesSession = true;
}

void TModifyAccount::Execute()
{
    Synchronize([&] { Request = m_buildRequest(); });
    if (Request)
        Reply = FetchReply(ModifyAccountUrl(Request->host, Request->change), "Response.txt", m_limits);
}
