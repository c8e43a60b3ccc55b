#pragma once

#include <cstddef>
#include <cstdint>

// The LZRW1-KH block coder the kit's compressed blobs are made of. A block
// encodes at most kLZRWBlockSize input bytes; byte 0 says whether it is
// compressed (64) or stored (128).

inline constexpr int kLZRWBlockSize = 32782;
// The compressor may run 6 bytes past its input's length before it falls back
// to a stored block, so its output area must be this large.
inline constexpr int kLZRWOutputSize = kLZRWBlockSize + 6;
// A stored block of a full piece is one byte longer than the piece.
inline constexpr int kLZRWMaxBlock = kLZRWBlockSize + 1;

inline constexpr std::uint8_t kLZRWCompressedFlag = 64;
inline constexpr std::uint8_t kLZRWStoredFlag = 128;

// Compresses count bytes (0..kLZRWBlockSize) of source into dest, which holds
// at least count + 6 bytes; returns the block's length. EReadError for a count
// outside the block size.
int LZRWCompress(const std::uint8_t* source, std::uint8_t* dest, int count);

// Decodes one block of size bytes into dest (kLZRWBlockSize bytes); returns
// the number of bytes produced. A block that is truncated, reaches before the
// start of its output or would produce more than kLZRWBlockSize bytes raises
// EReadError, and nothing is written past dest's end.
int LZRWDecompress(const std::uint8_t* source, std::uint8_t* dest, int size);
