#pragma once

#include "platform/rtl/exceptions.h"

#include <string>
#include <string_view>

// The reversible scrambler that keeps passwords and notes out of plain sight in
// settings files and on the wire: each byte becomes its decimal cipher value and "-".
// Every program uses the same key triple, so the defaults are the only key in use.

inline constexpr int kScrambleStartKey = 37;
inline constexpr int kScrambleMultiplier = 20619;
inline constexpr int kScrambleAddend = 41857;

// The longest plain text either routine handles.
inline constexpr std::size_t kScrambleMaxLength = 255;

// Raised for a text longer than kScrambleMaxLength; no result is produced.
class EScrambleError : public Exception {
public:
    using Exception::Exception;
};

// Raises EScrambleError when plain is longer than 255 bytes.
std::string ScrambleText(std::string_view plain, int startKey = kScrambleStartKey,
                         int multiplier = kScrambleMultiplier, int addend = kScrambleAddend);

// Digits after the last "-" are ignored. An empty or non-decimal piece raises
// EConvertError; more than 255 pieces raise EScrambleError.
std::string UnscrambleText(std::string_view scrambled, int startKey = kScrambleStartKey,
                           int multiplier = kScrambleMultiplier, int addend = kScrambleAddend);
