#pragma once

#include "platform/rtl/stringlist.h"

#include <string>

namespace psock {

// What the POP3 client learns of one message without fetching it.
struct TSummary {
    std::string Subject;
    std::string From;
    int Bytes { 0 };
    std::string MessageId;
    // The header lines as sent, without their line ends.
    TStringList Header;
};

// The message the client owns for retrieval; the header check leaves it empty.
struct TMailMessage {
    TStringList Head;
    TStringList Body;
    TStringList Attachments;
};

enum class TUUMethod { uuMime, uuCode };

// The attachment encoder the client owns; only its method is kept here.
struct TNMUUProcessor {
    TUUMethod Method { TUUMethod::uuMime };
};

}  // namespace psock
