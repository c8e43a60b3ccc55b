#include "client/features/modifyaccount.h"

#include "client/core/download.h"
#include "client/core/helpers.h"
#include "client/core/servicequery.h"
#include "platform/rtl/files.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/sysutils.h"

#include <algorithm>

namespace {

constexpr std::int64_t kFirstLineBound = 4096;

std::string Value(const std::string& text) { return EncodeServiceValue(Trim(text)); }

}  // namespace

std::string ModifyAccountUrl(const std::string& host, const TAccountChange& change)
{
    return "http://" + Trim(host) + "/modify.asp?userid=" + Value(change.userId) + "&password="
         + Value(change.scrambledPassword) + "&mod_userid=" + Value(change.newUserId) + "&mod_useremail="
         + Value(change.email) + "&mod_userphone=" + Value(change.phone) + "&mod_userpassword="
         + Value(change.newScrambledPassword) + "&mod_publickey=" + Value(change.publicKey);
}

std::string ModifyReplyFile() { return AppPath() + "Response.txt"; }

bool ModifyAccountSucceeded()
{
    const std::string file = ResolveFileName(ExcludeTrailingPathDelimiter(AppPath()), "response.txt");
    if (!FileExists(file))
        return false;
    TFileStream stream(file, fmOpenRead);
    std::string bytes(static_cast<std::size_t>(std::clamp<std::int64_t>(stream.Size(), 0, kFirstLineBound)), '\0');
    bytes.resize(static_cast<std::size_t>(
        std::max<std::int64_t>(stream.Read(bytes.data(), static_cast<std::int64_t>(bytes.size())), 0)));
    return Trim(bytes.substr(0, bytes.find_first_of("\r\n"))) == "success";
}

TModifyAccount::TModifyAccount(std::function<std::string()> buildRequest)
    : TThread(true)
    , m_buildRequest(std::move(buildRequest))
{
    FreeOnTerminate = true;
}

void TModifyAccount::Execute()
{
    std::string url;
    Synchronize([&] { url = m_buildRequest(); });
    DownloadToFile(url, ModifyReplyFile());
}
