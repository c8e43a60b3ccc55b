#include "localservice/pages.h"

#include "client/core/notesreply.h"
#include "localservice/fields.h"
#include "localservice/query.h"
#include "platform/rtl/sysutils.h"

#include <QDateTime>

#include <map>
#include <optional>

namespace {

const PageReply kBadRequest { 400, "error\r\n" };

PageReply Word(const char* word) { return PageReply { 200, std::string(word) + "\r\n" }; }

// Each named field once and a valid profile field, or nothing: the whole request is refused.
template <std::size_t N>
std::optional<std::map<std::string, std::string>> ProfileFields(const Query& query, const char* const (&names)[N])
{
    std::map<std::string, std::string> values;
    for (const char* name : names) {
        const auto value = query.single(name);
        if (!value || !IsValidProfileField(*value))
            return std::nullopt;
        values[name] = *value;
    }
    return values;
}

}  // namespace

ServicePages::ServicePages(UserStore& users, NoteStore& notes)
    : now([] { return QDateTime::currentSecsSinceEpoch(); })
    , m_store(users)
    , m_notes(notes)
{
}

std::optional<PageReply> ServicePages::handle(std::string_view path, std::string_view rawQuery, std::string_view from)
{
    if (SameText(path, "/refresh.asp")) {
        const auto query = Query::Parse(rawQuery);
        return query ? refresh(*query, from) : kBadRequest;
    }
    PageReply (ServicePages::*page)(const Query&) = nullptr;
    if (SameText(path, "/login.asp"))
        page = &ServicePages::login;
    else if (SameText(path, "/lookup.asp"))
        page = &ServicePages::lookup;
    else if (SameText(path, "/notein.asp"))
        page = &ServicePages::noteIn;
    else if (SameText(path, "/getnotes.asp"))
        page = &ServicePages::getNotes;
    else if (SameText(path, "/register.asp"))
        page = &ServicePages::registerUser;
    else if (SameText(path, "/modify.asp"))
        page = &ServicePages::modify;
    else
        return std::nullopt;
    const auto query = Query::Parse(rawQuery);
    if (!query)
        return kBadRequest;
    return (this->*page)(*query);
}

PageReply ServicePages::login(const Query& query)
{
    const auto name = query.single("login");
    const auto password = query.single("password");
    const auto address = query.single("ipaddress");
    const auto key = query.single("publickey");
    if (!name || !password || !address || !key || !IsValidUserName(*name) || !IsScrambledText(*password)
        || !IsDottedIPv4(*address) || !IsValidPublicKey(*key))
        return kBadRequest;
    return Word(m_store.logIn(*name, *password, *address, *key, now()) ? "success" : "nil");
}

PageReply ServicePages::lookup(const Query& query)
{
    const std::vector<std::string> names = query.all("buddy");
    if (names.empty())
        return kBadRequest;
    for (const std::string& name : names)
        if (!IsValidUserName(name))
            return kBadRequest;
    std::string body;
    std::size_t lines = 0;
    for (const std::string& name : names) {
        if (lines == kMaxLookupLines)
            break;
        if (const auto address = m_store.addressOf(name)) {
            body += name;
            body += '\xB6';
            body += *address;
            body += "\r\n";
            ++lines;
        }
    }
    body += ".\r\n";
    return PageReply { 200, std::move(body) };
}

PageReply ServicePages::refresh(const Query& query, std::string_view from)
{
    const auto name = query.single("login");
    const auto address = query.single("ipaddress");
    const auto key = query.single("publickey");
    if (!name || !address || !key || !IsValidUserName(*name) || !IsDottedIPv4(*address) || !IsValidPublicKey(*key))
        return kBadRequest;
    return Word(m_store.refresh(*name, *address, std::string(from), now()) ? "ok" : "nil");
}

PageReply ServicePages::noteIn(const Query& query)
{
    const auto to = query.single("to");
    const auto from = query.single("from");
    const auto message = query.single("message");
    const auto link = query.single("link");
    if (!to || !from || !message || !link || (!to->empty() && !IsValidUserName(*to)) || !IsValidNoteSender(*from)
        || !IsValidNoteMessage(*message) || !IsValidNoteLink(*link))
        return kBadRequest;
    if (to->empty())
        return Word("nil");
    return Word(m_notes.add(*to, NoteStore::Note { *from, *message, *link }) ? "success" : "nil");
}

PageReply ServicePages::getNotes(const Query& query)
{
    const auto user = query.single("userid");
    const auto password = query.single("password");
    if (!user || !password || !IsValidUserName(*user) || !IsScrambledText(*password))
        return kBadRequest;
    static constexpr std::string_view kEnd = ".\r\n";
    std::string body;
    if (m_store.passwordMatches(*user, *password)) {
        for (const NoteStore::Note& note : m_notes.take(*user, kNotesPerReply, kNotesReplyBytes - kEnd.size()))
            body += NoteStore::ReplyLine(note);
    }
    body += kEnd;
    return PageReply { 200, std::move(body) };
}

PageReply ServicePages::registerUser(const Query& query)
{
    // Every field the sign-up sends; the card fields carry nothing and are not kept.
    static const char* const kNames[] = { "firstname", "lastname", "address", "city", "state", "zip",
                                          "username", "password", "publickey", "lastipaddress", "phonenumber",
                                          "emailaddress", "creditcard", "creditcardname", "creditcardexpiration",
                                          "creditcardnumber", "lnr" };
    auto fields = ProfileFields(query, kNames);
    if (!fields)
        return kBadRequest;
    auto& values = *fields;
    const std::string& user = values["username"];
    const std::string& password = values["password"];
    if (!IsValidNewUserName(user) || !IsScrambledText(password) || !IsDottedIPv4(values["lastipaddress"]))
        return kBadRequest;
    const UserStore::Profile profile { values["firstname"], values["lastname"], values["address"], values["city"],
                                       values["state"], values["zip"], values["phonenumber"] };
    return Word(m_store.registerUser(user, password, values["emailaddress"], values["publickey"], profile)
                    ? "success"
                    : "duplicate");
}

PageReply ServicePages::modify(const Query& query)
{
    static const char* const kNames[] = { "userid", "password", "mod_userid", "mod_useremail",
                                          "mod_userphone", "mod_userpassword", "mod_publickey" };
    auto fields = ProfileFields(query, kNames);
    if (!fields)
        return kBadRequest;
    auto& values = *fields;
    if (!IsValidUserName(values["userid"]) || !IsScrambledText(values["password"])
        || !IsValidNewUserName(values["mod_userid"]) || !IsScrambledText(values["mod_userpassword"]))
        return kBadRequest;
    const UserStore::AccountChange change { values["mod_userid"], values["mod_useremail"], values["mod_userphone"],
                                            values["mod_userpassword"], values["mod_publickey"] };
    return Word(m_store.modify(values["userid"], values["password"], change) ? "success" : "nil");
}
