#pragma once

#include "client/core/accountlimits.h"

#include <cstddef>
#include <string_view>

// What the pages accept in their parameters. Anything else is refused before the
// store sees it, so no stored value can break a reply line. The account limits are
// shared with the sign-up, which refuses such values on its own pages.

inline constexpr std::size_t kMaxNoteMessageLength = 8 * 1024;
inline constexpr std::size_t kMaxNoteLinkLength = 1024;

// 1 to 64 bytes, none of them a control byte, 0xB6, '/' or '\'.
bool IsValidUserName(std::string_view name);
// Four decimal parts 0..255 joined by '.', no leading zeros, nothing else.
bool IsDottedIPv4(std::string_view address);
// 1 to 255 digits and '-', as the sign-on's scrambled password (cut at 255, so the
// last piece may lack its '-').
bool IsScrambledText(std::string_view text);
// At most kMaxPublicKeyLength bytes and no control byte; may be empty.
bool IsValidPublicKey(std::string_view key);

// A note's fields travel as one line split at 0xB6: the sender (at most 64 bytes,
// may be empty) and the message (at most 8 KiB) hold no line break, NUL or 0xB6;
// the link field (at most 1 KiB, its send time after a 0xB6) no line break or NUL.
bool IsValidNoteSender(std::string_view from);
bool IsValidNoteMessage(std::string_view message);
bool IsValidNoteLink(std::string_view link);

// A user name the sign-up takes: a valid user name without a blank or any of
// \ & / : * ? " ' < > | = or a dot, and not "messages" in any letter case.
bool IsValidNewUserName(std::string_view name);
// A sign-up field: at most 255 bytes, no control byte.
bool IsValidProfileField(std::string_view value);
