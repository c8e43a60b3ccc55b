#pragma once

#include <cstddef>

class QTextDocument;

// What every chat window keeps of its transcript: the newest lines, within a
// count and a size, the oldest trimmed from the top. The saved file keeps all.
inline constexpr std::size_t kMaxTranscriptLines = 2000;
inline constexpr int kMaxTranscriptCharacters = 512 * 1024;

// After an append: once the transcript holds more than kMaxTranscriptLines lines
// of blocksPerLine blocks each, or more than kMaxTranscriptCharacters, drops its
// oldest blocks, a tenth more than it must. A cut at the top lays the whole
// transcript out again: so it comes once in many lines, not with every line.
void TrimTranscript(QTextDocument& transcript, int blocksPerLine);
