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

TModifyAccount::TModifyAccount(std::function<std::string()> buildRequest, std::shared_ptr<const std::atomic<bool>> cancel)
    : TThread(true)
    , m_buildRequest(std::move(buildRequest))
    , m_cancel(std::move(cancel))
{
    FreeOnTerminate = true;
    m_limits.cancel = m_cancel.get();
}

void TModifyAccount::Execute()
{
    std::string url;
    Synchronize([&] { url = m_buildRequest(); });
    Reply = FetchReply(url, "Response.txt", m_limits);
}
