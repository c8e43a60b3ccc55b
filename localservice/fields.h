#pragma once

#include <cstddef>
#include <string_view>

// What the pages accept in their parameters. Anything else is refused before the
// store sees it, so no stored value can break a reply line.

inline constexpr std::size_t kMaxUserNameLength = 64;
inline constexpr std::size_t kMaxPublicKeyLength = 1024;
// ScrambleText turns at most 255 bytes into at most four characters each.
inline constexpr std::size_t kMaxScrambledLength = 255 * 4;

// 1 to 64 bytes, none of them a control byte, 0xB6, '/' or '\'.
bool IsValidUserName(std::string_view name);
// Four decimal parts 0..255 joined by '.', no leading zeros, nothing else.
bool IsDottedIPv4(std::string_view address);
// One or more decimal pieces 0..255 each followed by '-'.
bool IsScrambledText(std::string_view text);
// At most kMaxPublicKeyLength bytes and no control byte; may be empty.
bool IsValidPublicKey(std::string_view key);
