#include "client/features/nivletcore.h"

#include "client/core/helpers.h"
#include "client/core/notesreply.h"
#include "client/core/servicequery.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/files.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"

#include <algorithm>
#include <cstdio>

namespace nivlet {

namespace {

// NUL and line breaks would end or split a value in the stored note's file.
std::string FileValue(std::string_view text)
{
    std::string out(text);
    std::erase_if(out, [](char ch) { return ch == '\0' || ch == '\r' || ch == '\n'; });
    return out;
}

std::string Cut(std::string_view text, std::size_t limit) { return FileValue(text.substr(0, limit)); }

// Nothing stored is ever removed to make room: past the cap new notes are refused.
bool RoomForNote(const std::string& folder, std::int64_t bytes, std::size_t notes = 1)
{
    const std::vector<TSearchRec> stored = ListDirectory(folder + "*.txt", 0);
    std::int64_t used = bytes;
    for (const TSearchRec& entry : stored)
        used += entry.Size;
    return stored.size() + notes <= kMaxStoredNotes && used <= kMaxStoredNoteBytes;
}

}  // namespace

std::string MessagesFolder(const std::string& user)
{
    if (!IsSafeFileName(user))
        return {};
    return IncludeTrailingPathDelimiter(WindowsDir()) + "my friends" + PathDelim + user + PathDelim + "messages"
        + PathDelim;
}

std::string SafeSenderName(std::string_view from)
{
    std::string name(from.substr(0, kMaxSenderLength));
    for (char& ch : name) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte < 0x20 || byte == 0x7F || ch == '/' || ch == '\\' || ch == '.')
            ch = '_';
    }
    return name.empty() ? "_" : name;
}

std::string StoredNoteFileName(std::string_view from, TDateTime received, int random)
{
    std::string stamp;
    for (const char ch : DateTimeToStr(received))
        if (ch != '/' && ch != ' ' && ch != ':' && ch != 'A' && ch != 'P' && ch != 'M')
            stamp += ch;
    return SafeSenderName(from) + "_" + stamp + IntToStr(random) + ".txt";
}

std::string WriteStoredNote(const std::string& folder, const TReceivedNote& note, TDateTime received, int random)
{
    // One write for the whole file: a fetch may bring hundreds of notes.
    const std::string text = "[nivlet]\r\nfrom=" + FileValue(note.from) + "\r\nDate=" + DateTimeToStr(received)
        + "\r\nmessage=" + FileValue(note.message) + "\r\nLink=" + FileValue(note.linkField) + "\r\n";
    if (!RoomForNote(folder, static_cast<std::int64_t>(text.size()))) {
        std::fprintf(stderr, "[larkspire] messages folder full: note from %s dropped\n",
                     codepage::ToUtf8(SafeSenderName(note.from)).c_str());
        return {};
    }
    ForceDirectories(folder);
    const std::string base = ExcludeTrailingPathDelimiter(folder);
    const std::string name = StoredNoteFileName(note.from, received, random);
    // Notes from one sender within one second may draw the same number; none may replace another.
    std::string path = SafeJoin(base, name);
    for (int extra = 1; FileExists(path); ++extra)
        path = SafeJoin(base, ChangeFileExt(name, "") + "_" + IntToStr(extra) + ".txt");
    if (!WriteFileAtomically(path, text))
        throw EFCreateError("Cannot create file \"" + path + "\".");
    return path;
}

TStoredNote ReadStoredNote(const std::string& fileName)
{
    const TIniFile file(fileName);
    return TStoredNote { file.ReadString("nivlet", "from", ""), file.ReadString("nivlet", "Date", ""),
                         file.ReadString("nivlet", "message", ""), file.ReadString("nivlet", "Link", fileName) };
}

std::string ToWireText(std::string_view text)
{
    std::string out(text);
    for (char& ch : out) {
        if (ch == '"')
            ch = kQuoteByte;
        else if (ch == '\'')
            ch = kApostropheByte;
    }
    return out;
}

std::string FromWireText(std::string_view text)
{
    std::string out(text);
    for (char& ch : out) {
        if (ch == kQuoteByte)
            ch = '"';
        else if (ch == kApostropheByte)
            ch = '\'';
    }
    return out;
}

std::string MakeLinkField(std::string_view link, TDateTime sent)
{
    return (link.empty() ? std::string("x") : std::string(link)) + kSeparator + DateTimeToStr(sent);
}

std::string LinkPart(std::string_view linkField) { return std::string(linkField.substr(0, linkField.find(kSeparator))); }

std::string DatePart(std::string_view linkField)
{
    const std::size_t at = linkField.find(kSeparator);
    return at == std::string_view::npos ? std::string() : std::string(linkField.substr(at + 1));
}

bool HasWebLink(std::string_view linkField) { return linkField.find("://") != std::string_view::npos; }

std::string NoteInUrl(const std::string& host, std::string_view to, std::string_view from, std::string_view text,
                      std::string_view linkField)
{
    std::string message = Trim(text);
    std::replace(message.begin(), message.end(), '&', kAmpersandByte);
    return "http://" + host + "/notein.asp?to=" + EncodeServiceValue(Trim(to)) + "&From="
        + EncodeServiceValue(Trim(from)) + "&message=" + EncodeServiceValue(message)
        + "&Link=" + EncodeServiceValue(Trim(linkField));
}

std::string GetNotesUrl(const std::string& host, std::string_view user, std::string_view scrambledPassword)
{
    return "http://" + host + "/getnotes.asp?UserID=" + EncodeServiceValue(Trim(user))
        + "&Password=" + EncodeServiceValue(Trim(scrambledPassword));
}

bool NoteAccepted(std::string_view reply)
{
    return Trim(reply.substr(0, reply.find_first_of("\r\n"))) == "success";
}

std::vector<TReceivedNote> ReadNotesReply(std::string_view reply)
{
    // Only line starts are kept, so a huge reply costs no copies of its lines.
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < reply.size() && lines.size() <= kMaxNotesPerFetch) {
        std::size_t end = reply.find('\n', start);
        if (end == std::string_view::npos)
            end = reply.size();
        std::string_view line = reply.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    std::vector<TReceivedNote> notes;
    if (lines.size() < 2)
        return notes;
    // The last line closes the list; a cut-off list simply ends with what it held.
    const std::size_t count = std::min(lines.size() - 1, kMaxNotesPerFetch);
    for (std::size_t i = 0; i < count; ++i) {
        const std::string_view line = lines[i];
        const std::size_t first = line.find(kSeparator);
        const std::string_view from = line.substr(0, first);
        const std::string_view rest = first == std::string_view::npos ? std::string_view() : line.substr(first + 1);
        const std::size_t second = rest.find(kSeparator);
        const std::string_view message = rest.substr(0, second);
        const std::string_view link = second == std::string_view::npos ? std::string_view() : rest.substr(second + 1);
        TReceivedNote note { Cut(from, kMaxSenderLength), Cut(message, kMaxMessageLength), Cut(link, kMaxLinkLength) };
        if (!Trim(note.message).empty())
            std::replace(note.message.begin(), note.message.end(), kAmpersandByte, '&');
        if (!note.from.empty())
            notes.push_back(std::move(note));
    }
    return notes;
}

bool ReplyCameFull(std::string_view reply)
{
    const auto lines = static_cast<std::size_t>(std::count(reply.begin(), reply.end(), '\n'));
    return lines > kNotesPerReply || reply.size() > kNotesReplyBytes - kLongestNoteLine;
}

bool RoomForFullReply(const std::string& folder)
{
    // A stored note's file holds its keys and date besides the reply line's bytes.
    constexpr std::int64_t kStoredNoteOverhead = 128;
    return RoomForNote(folder, static_cast<std::int64_t>(kNotesReplyBytes + kNotesPerReply * kStoredNoteOverhead),
                       kNotesPerReply);
}

std::string ShiftNoteText(std::string_view text)
{
    std::string out;
    if (!text.empty() && text.front() == '#') {
        for (const char ch : text.substr(1))
            out += static_cast<char>(static_cast<unsigned char>(ch) + 1);
        return out;
    }
    out += '#';
    for (const char ch : text)
        out += static_cast<char>(static_cast<unsigned char>(ch) - 1);
    return out;
}

std::string NoteNodeText(std::string_view text, std::string_view date)
{
    std::string shown(text.substr(0, 40));
    if (text.size() > 40)
        shown += "....";
    if (text.size() > 1)
        shown = FromWireText(shown);
    return shown + "  " + std::string(date);
}

}  // namespace nivlet
