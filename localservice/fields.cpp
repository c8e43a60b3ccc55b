#include "localservice/fields.h"

#include "platform/rtl/sysutils.h"

#include <algorithm>

namespace {

// Reads a decimal 0..255 at text[pos]; advances pos past it.
bool ReadByteNumber(std::string_view text, std::size_t& pos)
{
    const std::size_t start = pos;
    int value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && pos - start < 3) {
        value = value * 10 + (text[pos] - '0');
        ++pos;
    }
    const std::size_t digits = pos - start;
    if (digits == 0 || value > 255)
        return false;
    if (pos < text.size() && text[pos] >= '0' && text[pos] <= '9')
        return false;
    return digits == 1 || text[start] != '0';
}

}  // namespace

bool IsValidUserName(std::string_view name)
{
    if (name.empty() || name.size() > kMaxUserNameLength)
        return false;
    for (const char ch : name) {
        if (IsControlByte(ch) || ch == '\xB6' || ch == '/' || ch == '\\')
            return false;
    }
    return true;
}

bool IsDottedIPv4(std::string_view address)
{
    std::size_t pos = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (pos >= address.size() || address[pos] != '.')
                return false;
            ++pos;
        }
        if (!ReadByteNumber(address, pos))
            return false;
    }
    return pos == address.size();
}

bool IsScrambledText(std::string_view text)
{
    if (text.empty() || text.size() > kMaxScrambledLength)
        return false;
    return std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || c == '-'; });
}

bool IsValidPublicKey(std::string_view key)
{
    return key.size() <= kMaxPublicKeyLength && !HoldsControlByte(key);
}

namespace {

bool HoldsNone(std::string_view text, std::string_view bytes)
{
    return text.find_first_of(bytes) == std::string_view::npos;
}

constexpr std::string_view kLineBreaks { "\r\n\0", 3 };
constexpr std::string_view kLineBreaksAndSeparator { "\r\n\0\xB6", 4 };

}  // namespace

bool IsValidNoteSender(std::string_view from)
{
    return from.empty() || IsValidUserName(from);
}

bool IsValidNoteMessage(std::string_view message)
{
    return message.size() <= kMaxNoteMessageLength && HoldsNone(message, kLineBreaksAndSeparator);
}

bool IsValidNoteLink(std::string_view link)
{
    return link.size() <= kMaxNoteLinkLength && HoldsNone(link, kLineBreaks);
}

bool IsValidNewUserName(std::string_view name)
{
    // The name becomes a folder on the user's machine: no dot (so no ".."), and
    // not the folder the client keeps its messages in.
    return IsValidUserName(name) && !HoldsForbiddenUserNameChar(name) && HoldsNone(name, ".&")
        && !SameText(name, "messages");
}

bool IsValidProfileField(std::string_view value)
{
    return value.size() <= kMaxProfileFieldLength && IsValidPublicKey(value);
}
