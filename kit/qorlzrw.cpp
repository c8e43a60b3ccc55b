#include "kit/qorlzrw.h"

#include "platform/rtl/exceptions.h"

#include <algorithm>
#include <bit>
#include <array>
#include <cstring>

namespace {

constexpr int kHashSize = 4096;
constexpr int kMaxOffset = 4095;
constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 18;
constexpr int kMinRun = 16;
constexpr int kMaxRun = 4095;

std::uint32_t load32(const std::uint8_t* at)
{
    std::uint32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

std::uint64_t load64(const std::uint8_t* at)
{
    std::uint64_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

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

    const int n = count;
    dest[0] = kLZRWCompressedFlag;
    std::uint8_t* slot = dest + 1;
    std::uint8_t* out = dest + 3;
    const std::uint8_t* const limit = dest + n;
    int p = 0;
    // The control bits sit under a marker bit; it reaches bit 16 after 16 items.
    unsigned control = 1;

    while (p < n && out <= limit) {
        if (control & 0x10000) {
            slot[0] = static_cast<std::uint8_t>(control >> 8);
            slot[1] = static_cast<std::uint8_t>(control);
            slot = out;
            out += 2;
            control = 1;
        }
        const std::uint8_t value = source[p];
        // Four bytes at once where the input has them: the run test, the hash and the
        // first three bytes of a copy all come from one load.
        const bool wide = n - p >= 4;
        const std::uint32_t word = wide ? load32(source + p) : 0u;
        int run = 1;
        if (wide ? ((word >> 8) & 0xFF) == value : (p + 1 < n && source[p + 1] == value)) {
            const int runLimit = std::min(kMaxRun, n - p);
            while (run < runLimit && source[p + run] == value)
                ++run;
        }

        if (run >= kMinRun) {
            const int stored = run - kMinRun;
            out[0] = 0;
            out[1] = static_cast<std::uint8_t>(stored >> 8);
            out[2] = static_cast<std::uint8_t>(stored & 0xFF);
            out[3] = value;
            out += 4;
            p += run;
            control = (control << 1) | 1;
            continue;
        }
        // The hash of the last two positions looks past the input; those bytes
        // count as zero, so the output never depends on what lies beyond it.
        const std::uint32_t next = wide ? (word >> 8) & 0xFF : (p + 1 < n ? source[p + 1] : 0u);
        const std::uint32_t after = wide ? (word >> 16) & 0xFF : (p + 2 < n ? source[p + 2] : 0u);
        const std::uint32_t key = (((static_cast<std::uint32_t>(value) << 4) ^ next) << 4) ^ after;
        const std::uint32_t h = ((key * 40543u) >> 4) & 0xFFF;
        const int candidate = static_cast<std::int16_t>(table[h]);
        table[h] = static_cast<std::uint16_t>(p);
        bool copy = false;
        if (candidate >= 0 && p - candidate <= kMaxOffset) {
            if (wide)
                copy = ((load32(source + candidate) ^ word) & 0xFFFFFF) == 0;
            else
                copy = n - p >= kMinMatch && source[candidate] == value && source[candidate + 1] == next
                    && source[candidate + 2] == after;
        }
        if (copy) {
            int match = kMinMatch;
            if (n - p > kMaxMatch) {
                // Eight bytes a step; the first differing byte ends the copy.
                std::uint64_t diff = load64(source + candidate + 3) ^ load64(source + p + 3);
                if (diff != 0) {
                    match = 3 + std::countr_zero(diff) / 8;
                } else {
                    diff = load64(source + candidate + 11) ^ load64(source + p + 11);
                    match = std::min(kMaxMatch, diff != 0 ? 11 + std::countr_zero(diff) / 8 : 19);
                }
            } else {
                const int matchLimit = std::min(kMaxMatch, n - p);
                while (match < matchLimit && source[candidate + match] == source[p + match])
                    ++match;
            }
            const int item = (p - candidate) * 16 + match - kMinMatch;
            out[0] = static_cast<std::uint8_t>(item >> 8);
            out[1] = static_cast<std::uint8_t>(item & 0xFF);
            out += 2;
            p += match;
            control = (control << 1) | 1;
        } else {
            *out++ = value;
            p += 1;
            control <<= 1;
        }
    }
    while (!(control & 0x10000))
        control <<= 1;
    slot[0] = static_cast<std::uint8_t>(control >> 8);
    slot[1] = static_cast<std::uint8_t>(control);

    const int length = static_cast<int>(out - dest);
    if (length > n) {
        dest[0] = kLZRWStoredFlag;
        if (n > 0)
            std::memmove(dest + 1, source, static_cast<std::size_t>(n));
        return n + 1;
    }
    return length;
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
            // A control word may have used up the block.
            if (in >= size)
                refuse("item past its end");
            if (out >= kLZRWBlockSize)
                refuse("output too long");
            dest[out++] = source[in++];
        }
        control = (control << 1) & 0xFFFF;
        --bits;
    }
    return out;
}
