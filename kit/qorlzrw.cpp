#include "kit/qorlzrw.h"

#include "platform/rtl/exceptions.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr int kHashSize = 4096;
constexpr int kMaxOffset = 4095;
constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 18;
constexpr int kMinRun = 16;
constexpr int kMaxRun = 4095;
constexpr int kItemsPerControlWord = 16;

[[noreturn]] void refuse(const char* why)
{
    throw EReadError(std::string("Compressed block is damaged: ") + why);
}

}  // namespace

int LZRWCompress(const std::uint8_t* source, std::uint8_t* dest, int count)
{
    if (count < 0 || count > kLZRWBlockSize)
        throw EReadError("Compressed block is too large");
    // Table entries are 16-bit positions read back signed: 0xFFFF (empty) and
    // positions from 32768 on never serve as a copy's source.
    std::array<std::uint16_t, kHashSize> table;
    table.fill(0xFFFF);

    // The hash of the last two positions looks past the input; those bytes count as
    // zero, so the output never depends on what happens to lie there.
    auto byteAt = [source, count](int i) -> unsigned { return i < count ? source[i] : 0u; };

    const int n = count;
    dest[0] = kLZRWCompressedFlag;
    int controlSlot = 1;
    int out = 3;
    int p = 0;
    int items = 0;
    unsigned control = 0;

    while (p < n && out <= n) {
        if (items == kItemsPerControlWord) {
            dest[controlSlot] = static_cast<std::uint8_t>(control >> 8);
            dest[controlSlot + 1] = static_cast<std::uint8_t>(control);
            controlSlot = out;
            out += 2;
            items = 0;
            control = 0;
        }
        const std::uint8_t value = source[p];
        const int runLimit = std::min(kMaxRun, n - p);
        int run = 1;
        while (run < runLimit && source[p + run] == value)
            ++run;

        unsigned bit = 1;
        if (run >= kMinRun) {
            const int stored = run - kMinRun;
            dest[out++] = 0;
            dest[out++] = static_cast<std::uint8_t>(stored >> 8);
            dest[out++] = static_cast<std::uint8_t>(stored & 0xFF);
            dest[out++] = value;
            p += run;
        } else {
            const std::uint32_t key = ((((static_cast<std::uint32_t>(value) << 4) ^ byteAt(p + 1)) << 4) ^ byteAt(p + 2));
            const std::uint32_t h = ((key * 40543u) >> 4) & 0xFFF;
            const int candidate = static_cast<std::int16_t>(table[h]);
            table[h] = static_cast<std::uint16_t>(p);
            int match = 0;
            if (candidate >= 0 && p - candidate <= kMaxOffset) {
                const int matchLimit = std::min(kMaxMatch, n - p);
                while (match < matchLimit && source[candidate + match] == source[p + match])
                    ++match;
            }
            if (match >= kMinMatch) {
                const int word = (p - candidate) * 16 + match - kMinMatch;
                dest[out++] = static_cast<std::uint8_t>(word >> 8);
                dest[out++] = static_cast<std::uint8_t>(word & 0xFF);
                p += match;
            } else {
                dest[out++] = value;
                p += 1;
                bit = 0;
            }
        }
        control = (control << 1) | bit;
        ++items;
    }
    control <<= (kItemsPerControlWord - items);
    dest[controlSlot] = static_cast<std::uint8_t>(control >> 8);
    dest[controlSlot + 1] = static_cast<std::uint8_t>(control);

    if (out > n) {
        dest[0] = kLZRWStoredFlag;
        if (n > 0)
            std::memmove(dest + 1, source, static_cast<std::size_t>(n));
        return n + 1;
    }
    return out;
}

int LZRWDecompress(const std::uint8_t* source, std::uint8_t* dest, int size)
{
    if (size < 1 || size > kLZRWMaxBlock)
        refuse("length out of range");
    if (source[0] == kLZRWStoredFlag) {
        std::memcpy(dest, source + 1, static_cast<std::size_t>(size - 1));
        return size - 1;
    }
    if (size < 3)
        refuse("control word past its end");

    unsigned control = (static_cast<unsigned>(source[1]) << 8) | source[2];
    int bits = 16;
    int in = 3;
    int out = 0;
    while (in < size) {
        if (bits == 0) {
            if (in + 2 > size)
                refuse("control word past its end");
            control = (static_cast<unsigned>(source[in]) << 8) | source[in + 1];
            in += 2;
            bits = 16;
        }
        if (control & 0x8000) {
            if (in + 2 > size)
                refuse("item past its end");
            const int offset = (source[in] << 4) | (source[in + 1] >> 4);
            if (offset == 0) {
                if (in + 4 > size)
                    refuse("run past its end");
                const int length = ((source[in + 1] << 8) | source[in + 2]) + kMinRun;
                if (out + length > kLZRWBlockSize)
                    refuse("output too long");
                std::memset(dest + out, source[in + 3], static_cast<std::size_t>(length));
                out += length;
                in += 4;
            } else {
                const int length = (source[in + 1] & 15) + kMinMatch;
                if (offset > out)
                    refuse("copy before the start");
                if (out + length > kLZRWBlockSize)
                    refuse("output too long");
                // One byte at a time: a copy may overlap what it writes.
                for (int i = 0; i < length; ++i, ++out)
                    dest[out] = dest[out - offset];
                in += 2;
            }
        } else {
            if (out >= kLZRWBlockSize)
                refuse("output too long");
            dest[out++] = source[in++];
        }
        control = (control << 1) & 0xFFFF;
        --bits;
    }
    return out;
}
