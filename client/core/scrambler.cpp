#include "client/core/scrambler.h"

#include "platform/rtl/sysutils.h"

#include <cstdint>
#include <vector>

namespace {

std::uint16_t NextKey(std::uint16_t key, unsigned char cipher, int multiplier, int addend)
{
    const std::uint32_t sum = static_cast<std::uint32_t>(key) + cipher;
    return static_cast<std::uint16_t>(sum * static_cast<std::uint32_t>(multiplier) + static_cast<std::uint32_t>(addend));
}

unsigned char KeyByte(std::uint16_t key) { return static_cast<unsigned char>((key >> 8) & 0xFF); }

}  // namespace

std::string ScrambleText(std::string_view plain, int startKey, int multiplier, int addend)
{
    if (plain.size() > kScrambleMaxLength)
        throw EScrambleError("Text too long to scramble");
    std::string result;
    result.reserve(plain.size() * 4);
    auto key = static_cast<std::uint16_t>(startKey);
    for (const char ch : plain) {
        const auto cipher = static_cast<unsigned char>(static_cast<unsigned char>(ch) ^ KeyByte(key));
        result += std::to_string(cipher);
        result += '-';
        key = NextKey(key, cipher, multiplier, addend);
    }
    return result;
}

std::string UnscrambleText(std::string_view scrambled, int startKey, int multiplier, int addend)
{
    // The limit counts cipher bytes, not characters, so everything ScrambleText makes comes back.
    std::vector<unsigned char> cipher;
    std::size_t start = 0;
    for (std::size_t dash = scrambled.find('-'); dash != std::string_view::npos;
         dash = scrambled.find('-', start)) {
        if (cipher.size() == kScrambleMaxLength)
            throw EScrambleError("Text too long to unscramble");
        cipher.push_back(static_cast<unsigned char>(StrToInt(scrambled.substr(start, dash - start)) & 0xFF));
        start = dash + 1;
    }
    std::string plain;
    plain.reserve(cipher.size());
    auto key = static_cast<std::uint16_t>(startKey);
    for (const unsigned char c : cipher) {
        plain += static_cast<char>(c ^ KeyByte(key));
        key = NextKey(key, c, multiplier, addend);
    }
    return plain;
}
