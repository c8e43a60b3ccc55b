#pragma once

#include "platform/rtl/dates.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Nivlet notes without windows: the stored-note files, the two wire forms, the
// notes server's reply and the keyless shift that "Encrypt" applies.
namespace nivlet {

// Bytes that stand in for characters the peer line and the notes server cannot carry.
inline constexpr char kQuoteByte = '\xBF';
inline constexpr char kApostropheByte = '\xEE';
inline constexpr char kAmpersandByte = '\xEF';
inline constexpr char kSeparator = '\xB6';

// What one fetch of waiting notes may bring: more is dropped, longer fields are cut.
inline constexpr std::size_t kMaxNotesPerFetch = 256;
inline constexpr std::size_t kMaxSenderLength = 64;
inline constexpr std::size_t kMaxMessageLength = 8192;
inline constexpr std::size_t kMaxLinkLength = 2048;

// What one user's messages folder may hold; a note past either is not stored.
inline constexpr std::size_t kMaxStoredNotes = 1000;
inline constexpr std::int64_t kMaxStoredNoteBytes = 16 * 1024 * 1024;

// A note as it arrives: from a buddy's "note" frame or from the notes server.
struct TReceivedNote {
    std::string from;
    std::string message;
    std::string linkField;  // link (or "x"), 0xB6, the send time
};

// A stored note file's [nivlet] keys.
struct TStoredNote {
    std::string from;
    std::string date;
    std::string message;
    std::string link;
};

// The user's messages folder with its trailing separator; "" for a name that would lead outside.
std::string MessagesFolder(const std::string& user);

// A sender's name made fit for a file name: separators, dots and control bytes become '_'.
std::string SafeSenderName(std::string_view from);
// from + "_" + the date-time text without '/', ' ', ':', 'A', 'P', 'M' + random + ".txt".
std::string StoredNoteFileName(std::string_view from, TDateTime received, int random);
// Writes a note's file into folder; the full path written, or "" (and a line on
// standard error) when the folder already holds its fill of notes.
std::string WriteStoredNote(const std::string& folder, const TReceivedNote& note, TDateTime received, int random);
// Reads a stored note; a missing Link gives the file's name.
TStoredNote ReadStoredNote(const std::string& fileName);

// The memo's text as it travels: double quotes as 0xBF, apostrophes as 0xEE.
std::string ToWireText(std::string_view text);
// And back for showing.
std::string FromWireText(std::string_view text);

// link (or "x" when empty) + 0xB6 + the send time text.
std::string MakeLinkField(std::string_view link, TDateTime sent);
// The link field before 0xB6 (all of it when there is none).
std::string LinkPart(std::string_view linkField);
// The link field after 0xB6, "" when there is none.
std::string DatePart(std::string_view linkField);
// Whether the note carries a web link.
bool HasWebLink(std::string_view linkField);

// The two service requests; every value percent-encoded, '&' in the text first made 0xEF.
std::string NoteInUrl(const std::string& host, std::string_view to, std::string_view from, std::string_view text,
                      std::string_view linkField);
std::string GetNotesUrl(const std::string& host, std::string_view user, std::string_view scrambledPassword);

// Whether the notes server's answer to notein.asp took the note ("success").
bool NoteAccepted(std::string_view reply);

// The notes server's reply: every line but the last is one note; empty senders skipped.
std::vector<TReceivedNote> ReadNotesReply(std::string_view reply);
// Whether the service may have kept notes back for lack of room in this reply.
bool ReplyCameFull(std::string_view reply);
// Whether the folder takes a full reply under its caps; a fetch is only asked for then,
// so no note the service hands over is dropped.
bool RoomForFullReply(const std::string& folder);

// '#' + every byte one lower, or, for a text beginning with '#', the bytes one higher without it.
std::string ShiftNoteText(std::string_view text);

// A note's line in the guide: its first 40 characters ("...." when longer), shown
// with quotes and apostrophes, then two blanks and the date.
std::string NoteNodeText(std::string_view text, std::string_view date);

}  // namespace nivlet
