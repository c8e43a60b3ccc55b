#pragma once

#include <cstddef>

// What one getnotes.asp answer carries: whole notes only, oldest first, at most
// kNotesPerReply of them in at most kNotesReplyBytes (its closing line included).
// The service keeps the rest for the next fetch, and the client asks again while
// an answer comes full.
inline constexpr std::size_t kNotesPerReply = 64;
inline constexpr std::size_t kNotesReplyBytes = 512 * 1024;
// No note line the service keeps is longer (sender, message and link field with
// their separators), so an answer this close to kNotesReplyBytes may have left
// the next note waiting.
inline constexpr std::size_t kLongestNoteLine = 16 * 1024;
