#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

// What the service keeps of an account. Its pages refuse anything beyond these, so
// the sign-up refuses such a value on its own page before it asks.

// A user name, in bytes.
inline constexpr std::size_t kMaxUserNameLength = 64;
// The scrambled password, as the sign-on keeps it.
inline constexpr std::size_t kMaxScrambledLength = 255;
// A public key at log-on and refresh.
inline constexpr std::size_t kMaxPublicKeyLength = 1024;
// Every value a sign-up or an account change sends, the public key among them.
inline constexpr std::size_t kMaxProfileFieldLength = 255;

// A byte below the blank, or DEL: no stored value or reply line may hold one.
inline bool IsControlByte(char ch)
{
    const auto c = static_cast<unsigned char>(ch);
    return c < 0x20 || c == 0x7F;
}

inline bool HoldsControlByte(std::string_view text) { return std::any_of(text.begin(), text.end(), IsControlByte); }

// A user name becomes a folder, a file name and an INI section on the user's machine,
// so a blank and \ / : * ? " ' < > | = are refused in it wherever it is typed or taken.
inline constexpr std::string_view kForbiddenUserNameChars = " \\/:*?\"'<>|=";

inline bool HoldsForbiddenUserNameChar(std::string_view name)
{
    return name.find_first_of(kForbiddenUserNameChars) != std::string_view::npos;
}

// Bytes a user name may not hold either, though no control bytes: the no-break space and the
// soft hyphen show as a blank or as nothing, so the name would pass for another; 0xB6 ends
// the name in a lookup's reply.
inline constexpr std::string_view kRefusedUserNameBytes = "\xA0\xAD\xB6";
