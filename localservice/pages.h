#pragma once

#include "localservice/notestore.h"
#include "localservice/userstore.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class Query;

// One answer of a page: the HTTP status and the body, lines ending CR LF.
struct PageReply {
    int status { 200 };
    std::string body;
};

// The service's pages over the user store. A request with a parameter missing,
// given twice or malformed answers 400 "error" and changes nothing.
class ServicePages final {
public:
    // A lookup answers at most this many lines before its terminator.
    static constexpr std::size_t kMaxLookupLines = 256;

    ServicePages(UserStore& users, NoteStore& notes);

    // The reply of the page at `path` (case-blind) for a raw query from the dotted
    // address `from`; none when `path` names no page.
    std::optional<PageReply> handle(std::string_view path, std::string_view rawQuery, std::string_view from);

    // The clock pages stamp log-ons with, in seconds.
    std::function<std::int64_t()> now;

private:
    PageReply login(const Query& query);
    PageReply lookup(const Query& query);
    PageReply refresh(const Query& query, std::string_view from);
    PageReply noteIn(const Query& query);
    PageReply getNotes(const Query& query);
    PageReply registerUser(const Query& query);
    PageReply modify(const Query& query);

    UserStore& m_store;
    NoteStore& m_notes;
};
