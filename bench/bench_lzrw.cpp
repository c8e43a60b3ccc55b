// LZRW1-KH against lz4 at level 1 and zlib at level 1 on the same 64 MiB of
// source text, each in blocks of 32782 bytes as the kit's blobs cut them.
// --block and --unblock code one block from a file, so blocks can be checked
// against the algorithm from outside.
#include "kit/qorlzrw.h"
#include "platform/rtl/exceptions.h"

#include <lz4.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kInputSize = 64u << 20;

bool readFile(const char* path, Bytes& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

bool writeFile(const char* path, const std::uint8_t* data, std::size_t size)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return static_cast<bool>(out);
}

int blockCommand(bool compress, const char* inPath, const char* outPath)
{
    Bytes input;
    if (!readFile(inPath, input)) {
        std::fprintf(stderr, "cannot read %s\n", inPath);
        return 1;
    }
    Bytes output(kLZRWOutputSize);
    int length = 0;
    if (compress) {
        if (input.size() > static_cast<std::size_t>(kLZRWBlockSize)) {
            std::fprintf(stderr, "a block holds at most %d bytes\n", kLZRWBlockSize);
            return 1;
        }
        length = LZRWCompress(input.data(), output.data(), static_cast<int>(input.size()));
    } else {
        if (input.empty() || input.size() > static_cast<std::size_t>(kLZRWMaxBlock)) {
            std::fprintf(stderr, "refused: a block is 1 to %d bytes\n", kLZRWMaxBlock);
            return 1;
        }
        try {
            length = LZRWDecompress(input.data(), output.data(), static_cast<int>(input.size()));
        } catch (const Exception& error) {
            std::fprintf(stderr, "refused: %s\n", error.what());
            return 1;
        }
    }
    if (!writeFile(outPath, output.data(), static_cast<std::size_t>(length))) {
        std::fprintf(stderr, "cannot write %s\n", outPath);
        return 1;
    }
    return 0;
}

Bytes sourceText()
{
    Bytes text;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(KORVO_SOURCE_DIR)) {
        const std::string path = entry.path().string();
        if (!entry.is_regular_file() || path.find("/.git/") != std::string::npos || path.find("/build") != std::string::npos)
            continue;
        const std::string ext = entry.path().extension().string();
        if (ext != ".cpp" && ext != ".h" && ext != ".md" && ext != ".txt" && ext != ".cmake")
            continue;
        Bytes file;
        if (readFile(path.c_str(), file))
            text.insert(text.end(), file.begin(), file.end());
    }
    Bytes input;
    input.reserve(kInputSize);
    while (!text.empty() && input.size() < kInputSize)
        input.insert(input.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(std::min(text.size(), kInputSize - input.size())));
    return input;
}

struct Coder {
    const char* name;
    // Each returns the block's length (compress) or the bytes produced (decompress).
    int (*compress)(const std::uint8_t* in, int n, std::uint8_t* out, int capacity);
    int (*decompress)(const std::uint8_t* in, int n, std::uint8_t* out, int capacity);
};

int lzrwCompress(const std::uint8_t* in, int n, std::uint8_t* out, int) { return LZRWCompress(in, out, n); }
int lzrwDecompress(const std::uint8_t* in, int n, std::uint8_t* out, int) { return LZRWDecompress(in, out, n); }

int lz4Compress(const std::uint8_t* in, int n, std::uint8_t* out, int capacity)
{
    return LZ4_compress_fast(reinterpret_cast<const char*>(in), reinterpret_cast<char*>(out), n, capacity, 1);
}
int lz4Decompress(const std::uint8_t* in, int n, std::uint8_t* out, int capacity)
{
    return LZ4_decompress_safe(reinterpret_cast<const char*>(in), reinterpret_cast<char*>(out), n, capacity);
}

int zlibCompress(const std::uint8_t* in, int n, std::uint8_t* out, int capacity)
{
    uLongf length = static_cast<uLongf>(capacity);
    return compress2(out, &length, in, static_cast<uLong>(n), 1) == Z_OK ? static_cast<int>(length) : -1;
}
int zlibDecompress(const std::uint8_t* in, int n, std::uint8_t* out, int capacity)
{
    uLongf length = static_cast<uLongf>(capacity);
    return uncompress(out, &length, in, static_cast<uLong>(n)) == Z_OK ? static_cast<int>(length) : -1;
}

double seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// One coder's blocks and best times. The coders' passes take turns, so a burst
// of other work on the machine falls on all of them alike.
struct Measure {
    Bytes packed;
    std::vector<int> lengths;
    std::size_t total { 0 };
    double compressSeconds { 1e9 };
    double decompressSeconds { 1e9 };
};

bool pass(const Coder& coder, const Bytes& input, Measure& measure)
{
    const int capacity = std::max(kLZRWOutputSize, static_cast<int>(compressBound(kLZRWBlockSize)) + 64);
    const std::size_t blockCount = (input.size() + kLZRWBlockSize - 1) / kLZRWBlockSize;
    measure.packed.resize(blockCount * static_cast<std::size_t>(capacity));
    measure.lengths.resize(blockCount);
    measure.total = 0;
    auto start = Clock::now();
    for (std::size_t i = 0; i < blockCount; ++i) {
        const std::size_t at = i * kLZRWBlockSize;
        const int n = static_cast<int>(std::min<std::size_t>(kLZRWBlockSize, input.size() - at));
        measure.lengths[i] = coder.compress(input.data() + at, n, measure.packed.data() + i * static_cast<std::size_t>(capacity), capacity);
        if (measure.lengths[i] <= 0)
            return false;
        measure.total += static_cast<std::size_t>(measure.lengths[i]);
    }
    measure.compressSeconds = std::min(measure.compressSeconds, seconds(start));
    Bytes plain(input.size());
    std::size_t produced = 0;
    start = Clock::now();
    for (std::size_t i = 0; i < blockCount; ++i) {
        const int n = coder.decompress(measure.packed.data() + i * static_cast<std::size_t>(capacity), measure.lengths[i],
                                       plain.data() + i * kLZRWBlockSize, kLZRWBlockSize);
        if (n <= 0)
            return false;
        produced += static_cast<std::size_t>(n);
    }
    measure.decompressSeconds = std::min(measure.decompressSeconds, seconds(start));
    return produced == input.size() && plain == input;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && (std::strcmp(argv[1], "--block") == 0 || std::strcmp(argv[1], "--unblock") == 0))
        return blockCommand(std::strcmp(argv[1], "--block") == 0, argv[2], argv[3]);
    if (argc != 1) {
        std::fprintf(stderr, "usage: bench_lzrw [--block <in> <out> | --unblock <in> <out>]\n");
        return 2;
    }
    const Bytes input = sourceText();
    if (input.size() != kInputSize) {
        std::fprintf(stderr, "no source text found under %s\n", KORVO_SOURCE_DIR);
        return 1;
    }
    const Coder coders[] = {
        { "lzrw1kh", lzrwCompress, lzrwDecompress },
        { "lz4-1", lz4Compress, lz4Decompress },
        { "zlib-1", zlibCompress, zlibDecompress },
    };
    constexpr int kPasses = 5;
    Measure measures[3];
    for (int round = 0; round < kPasses; ++round) {
        for (int i = 0; i < 3; ++i) {
            if (!pass(coders[i], input, measures[i])) {
                std::fprintf(stderr, "%s: blocks did not round-trip\n", coders[i].name);
                return 1;
            }
        }
    }
    const double mb = static_cast<double>(input.size()) / 1e6;
    for (int i = 0; i < 3; ++i)
        std::printf("%s compress %.1f MB/s decompress %.1f MB/s size %zu\n", coders[i].name, mb / measures[i].compressSeconds,
                    mb / measures[i].decompressSeconds, measures[i].total);
    return 0;
}
