#include "addressbook/vcardreader.h"

#include "addressbook/contactstore.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/files.h"
#include "platform/rtl/sysutils.h"

namespace {

bool StartsWithText(std::string_view s, std::string_view prefix)
{
    return s.size() >= prefix.size() && SameText(s.substr(0, prefix.size()), prefix);
}

bool IsCardBoundary(std::string_view line)
{
    const std::string trimmed = Trim(line);
    return SameText(trimmed, "BEGIN:VCARD") || SameText(trimmed, "END:VCARD");
}

// Physical lines (CR LF, LF or CR) joined into logical ones: a line starting with
// a blank or tab continues the previous one, and so does the line after a
// quoted-printable value ending in a soft break "=", unless it opens or closes a
// card. Overlong lines come back empty.
class LineUnfolder {
public:
    explicit LineUnfolder(std::string_view bytes) : m_bytes(bytes) {}

    bool next(std::string& line)
    {
        std::string_view physical;
        if (!m_havePending && !readPhysical(physical))
            return false;
        if (!m_havePending)
            start(physical);
        m_havePending = false;
        while (readPhysical(physical)) {
            const bool folded = !physical.empty() && (physical[0] == ' ' || physical[0] == '\t');
            if (folded) {
                append(physical.substr(1));
            } else if (softBreak() && !IsCardBoundary(physical)) {
                m_line.pop_back();
                append(physical);
            } else {
                m_havePending = true;
                m_pending = physical;
                break;
            }
        }
        // A soft break with nothing to continue ends the value.
        if (softBreak())
            m_line.pop_back();
        m_returnedTooLong = m_tooLong;
        line = m_tooLong ? std::string() : std::move(m_line);
        if (m_havePending)
            start(m_pending);
        return true;
    }

    // True when the line just given was too long and came back empty.
    bool tooLong() const { return m_returnedTooLong; }

private:
    bool readPhysical(std::string_view& physical)
    {
        if (m_pos >= m_bytes.size())
            return false;
        const std::size_t end = m_bytes.find_first_of("\r\n", m_pos);
        if (end == std::string_view::npos) {
            physical = m_bytes.substr(m_pos);
            m_pos = m_bytes.size();
            return true;
        }
        physical = m_bytes.substr(m_pos, end - m_pos);
        m_pos = end + 1;
        if (m_bytes[end] == '\r' && m_pos < m_bytes.size() && m_bytes[m_pos] == '\n')
            ++m_pos;
        return true;
    }

    void start(std::string_view physical)
    {
        m_line.clear();
        m_tooLong = false;
        append(physical);
    }

    void append(std::string_view part)
    {
        if (m_tooLong || m_line.size() + part.size() > kMaxVCardLineBytes) {
            m_tooLong = true;
            m_line.clear();
            return;
        }
        m_line.append(part);
    }

    bool softBreak() const
    {
        if (m_tooLong || m_line.empty() || m_line.back() != '=')
            return false;
        const std::size_t colon = m_line.find(':');
        return colon != std::string::npos
            && UpperCase(std::string_view(m_line).substr(0, colon)).find("QUOTED-PRINTABLE") != std::string::npos;
    }

    std::string_view m_bytes;
    std::size_t m_pos { 0 };
    std::string m_line;
    bool m_tooLong { false };
    bool m_returnedTooLong { false };
    bool m_havePending { false };
    std::string_view m_pending;
};

std::string DecodeQuotedPrintable(std::string_view value)
{
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '=' && i + 2 < value.size() && HexDigitValue(value[i + 1]) >= 0
            && HexDigitValue(value[i + 2]) >= 0) {
            out += static_cast<char>(HexDigitValue(value[i + 1]) * 16 + HexDigitValue(value[i + 2]));
            i += 2;
        } else {
            out += value[i];
        }
    }
    return out;
}

// One content line taken apart: "item1.TEL;TYPE=home,voice;PREF=1:555" is the
// property TEL with the types HOME and VOICE, preferred, value "555". The types
// come from 2.1's bare parameters and from TYPE= lists, one or repeated, quoted or
// not, in any letter case.
struct ContentLine {
    std::string Name;  // upper case, without its group
    std::vector<std::string> Types;  // upper case
    int Pref { 0 };  // 0 when not preferred; 1 most preferred
    bool Uri { false };
    bool Readable { true };  // false for a value in an encoding the address book does not read (BASE64)
    bool Version3 { false };  // a 3.0 or 4.0 card
    std::string Value;  // code-page text
};

bool HasType(const ContentLine& line, std::string_view type)
{
    for (const std::string& t : line.Types) {
        if (t == type)
            return true;
    }
    return false;
}

// The first ':' that is not inside a quoted parameter value.
std::size_t ValueColon(std::string_view line)
{
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ':' && !quoted)
            return i;
    }
    return std::string_view::npos;
}

// Parts of text split at separator where it is not inside quotes, the quotes taken off.
std::vector<std::string> SplitUnquoted(std::string_view text, char separator)
{
    std::vector<std::string> parts(1);
    bool quoted = false;
    for (const char c : text) {
        if (c == '"')
            quoted = !quoted;
        else if (c == separator && !quoted)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

constexpr int kLeastPreferred = 100;

// Takes one parameter; false when it names an encoding the address book cannot read.
bool TakeParameter(const std::string& param, ContentLine& line, bool& utf8, bool& quotedPrintable)
{
    const std::size_t eq = param.find('=');
    const std::string name = UpperCase(Trim(eq == std::string::npos ? std::string() : param.substr(0, eq)));
    const std::vector<std::string> values = SplitUnquoted(eq == std::string::npos ? param : param.substr(eq + 1), ',');
    const std::string value = UpperCase(Trim(values.front()));
    if (name == "CHARSET") {
        utf8 = value == "UTF-8";
        return true;
    }
    if (name == "ENCODING" || (name.empty() && (value == "QUOTED-PRINTABLE" || value == "BASE64"))) {
        if (value == "QUOTED-PRINTABLE")
            quotedPrintable = true;
        return value == "QUOTED-PRINTABLE" || value == "8BIT" || value == "7BIT";
    }
    if (name == "VALUE") {
        line.Uri = value == "URI";
        return true;
    }
    if (name == "PREF") {
        // 4.0 ranks from 1 (most preferred) to 100.
        int rank = 1;
        line.Pref = TryStrToInt(value, rank) && rank >= 1 && rank <= kLeastPreferred ? rank : 1;
        return true;
    }
    if (!name.empty() && name != "TYPE")
        return true;
    for (const std::string& type : values) {
        const std::string t = UpperCase(Trim(type));
        if (t == "PREF")
            line.Pref = 1;
        else if (!t.empty())
            line.Types.push_back(t);
    }
    return true;
}

// 3.0 and 4.0 escape ';', ',', '\' and line breaks in text values with '\';
// 2.1 only ';', so its other backslashes are text.
std::string Unescape(std::string_view text, bool version3)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && (version3 || text[i + 1] == ';')) {
            const char next = text[++i];
            out += next == 'n' || next == 'N' ? ' ' : next;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The components of a structured value (N), split at the ';' that are not escaped.
std::vector<std::string> Components(std::string_view value)
{
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            parts.back() += value.substr(i, 2);
            ++i;
        } else if (value[i] == ';') {
            parts.emplace_back();
        } else {
            parts.back() += value[i];
        }
    }
    return parts;
}

// The 3.0 and 4.0 cards are UTF-8 throughout and escape their values; 2.1 says
// its character set per line.
ContentLine ParseContentLine(const std::string& text, bool version3)
{
    ContentLine line;
    line.Version3 = version3;
    const std::size_t colon = ValueColon(text);
    if (colon == std::string::npos)
        return line;
    const std::vector<std::string> params = SplitUnquoted(std::string_view(text).substr(0, colon), ';');
    std::string name = Trim(params.front());
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(0, dot + 1);
    line.Name = UpperCase(name);
    bool utf8 = version3;
    bool quotedPrintable = false;
    for (std::size_t i = 1; i < params.size(); ++i) {
        if (!TakeParameter(params[i], line, utf8, quotedPrintable))
            line.Readable = false;
    }
    const std::string_view value = std::string_view(text).substr(colon + 1);
    std::string decoded = quotedPrintable ? DecodeQuotedPrintable(value) : std::string(value);
    line.Value = utf8 ? codepage::FromUtf8(decoded) : std::move(decoded);
    return line;
}

// A phone the store has a place for: home or work, as a voice line.
enum class PhonePlace { none, home, work };

PhonePlace PlaceOfPhone(const ContentLine& line)
{
    const bool home = HasType(line, "HOME");
    const bool work = HasType(line, "WORK");
    if (home == work)
        return PhonePlace::none;
    for (const std::string& type : line.Types) {
        if (type != "HOME" && type != "WORK" && type != "VOICE")
            return PhonePlace::none;
    }
    return home ? PhonePlace::home : PhonePlace::work;
}

// Fields that describe the card rather than the contact.
bool IsCardBookkeeping(const std::string& name)
{
    return name == "VERSION" || name == "PRODID" || name == "REV" || name == "UID";
}

class CardBuilder {
public:
    void take(const ContentLine& line)
    {
        if (line.Name.empty() || IsCardBookkeeping(line.Name))
            return;
        if (Trim(line.Value).empty())
            return;
        if (!line.Readable) {
            ++m_dropped;
            return;
        }
        if (line.Name == "N") {
            takeName(line);
        } else if (line.Name == "EMAIL") {
            addAddress(Trim(Unescape(line.Value, line.Version3)), line.Pref);
        } else if (line.Name == "TEL") {
            takePhone(line);
        } else if (line.Name == "FN") {
            // Repeats the name parts, from which the display name is made.
            m_formattedName = true;
        } else {
            ++m_dropped;
        }
    }

    // A field the reader could not even take apart (an overlong line).
    void lost() { ++m_dropped; }

    bool empty() const
    {
        return m_card.FirstName.empty() && m_card.MiddleName.empty() && m_card.LastName.empty() && m_addresses.empty()
            && m_home.Value.empty() && m_work.Value.empty();
    }

    // The card, and how many of its fields had no place in the store.
    VCardContact finish(std::size_t& dropped)
    {
        m_card.HomePhone = m_home.Value;
        m_card.BusinessPhone = m_work.Value;
        // The most preferred addresses carry the mark, the last of them is the default;
        // without any preferred one the first address is.
        int best = 0;
        for (const auto& [address, pref] : m_addresses) {
            if (pref > 0 && (best == 0 || pref < best))
                best = pref;
        }
        for (const auto& [address, pref] : m_addresses) {
            const bool chosen = best > 0 && pref == best;
            if (chosen)
                m_card.Email = address;
            m_card.Addresses.push_back(chosen ? address + kDefaultMark : address);
        }
        if (best == 0 && !m_addresses.empty())
            m_card.Email = m_addresses.front().first;
        m_card.DisplayName = Trim(m_card.FirstName + " " + m_card.MiddleName) + " " + m_card.LastName;
        const bool named = !(m_card.FirstName.empty() && m_card.MiddleName.empty() && m_card.LastName.empty());
        dropped = m_dropped + (m_formattedName && !named ? 1 : 0);
        VCardContact card = std::move(m_card);
        *this = {};
        return card;
    }

private:
    struct Phone {
        std::string Value;
        int Pref { 0 };
    };

    // last;first;middle;prefix;suffix: "N:Cher" has no last name, prefix and suffix have no place.
    void takeName(const ContentLine& line)
    {
        const std::vector<std::string> parts = Components(line.Value);
        const auto part = [&](std::size_t i) {
            return i < parts.size() ? Trim(Unescape(parts[i], line.Version3)) : std::string();
        };
        if (parts.size() == 1) {
            m_card.LastName.clear();
            m_card.FirstName = part(0);
            m_card.MiddleName.clear();
            return;
        }
        m_card.LastName = part(0);
        m_card.FirstName = part(1);
        m_card.MiddleName = part(2);
        if (!part(3).empty() || !part(4).empty() || parts.size() > 5)
            ++m_dropped;
    }

    void takePhone(const ContentLine& line)
    {
        std::string value = Trim(Unescape(line.Value, line.Version3));
        if (line.Uri || (value.size() > 4 && SameText(value.substr(0, 4), "tel:")))
            value = Trim(value.substr(value.find(':') + 1));
        const PhonePlace place = PlaceOfPhone(line);
        if (place == PhonePlace::none) {
            ++m_dropped;
            return;
        }
        Phone& slot = place == PhonePlace::home ? m_home : m_work;
        // One number fits each place: a later one wins unless the earlier is preferred over it.
        const bool earlierPreferred = slot.Pref > 0 && (line.Pref == 0 || line.Pref > slot.Pref);
        if (!slot.Value.empty() && slot.Value != value)
            ++m_dropped;
        if (!earlierPreferred)
            slot = { value, line.Pref };
    }

    void addAddress(std::string address, int pref)
    {
        if (m_addresses.size() < kMaxVCardAddresses)
            m_addresses.emplace_back(std::move(address), pref);
        else
            ++m_dropped;
    }

    VCardContact m_card;
    std::vector<std::pair<std::string, int>> m_addresses;
    Phone m_home, m_work;
    bool m_formattedName { false };
    std::size_t m_dropped { 0 };
};

bool HasCardBegin(std::string_view bytes)
{
    LineUnfolder lines(bytes);
    std::string line;
    while (lines.next(line)) {
        if (SameText(Trim(line), "BEGIN:VCARD"))
            return true;
    }
    return false;
}

}  // namespace

std::vector<VCardContact> ReadVCards(std::string_view bytes, VCardReadCounts* counts)
{
    std::vector<VCardContact> contacts;
    VCardReadCounts ignored;
    VCardReadCounts& seen = counts ? *counts : ignored;
    seen = {};
    CardBuilder card;
    // False once a card beyond the limit held something: reading stops there.
    const auto finish = [&] {
        std::size_t dropped = 0;
        if (card.empty()) {
            card.finish(dropped);
            seen.Dropped += dropped;
            ++seen.Empty;
            return true;
        }
        if (contacts.size() == kMaxVCardContacts) {
            seen.Truncated = true;
            return false;
        }
        contacts.push_back(card.finish(dropped));
        seen.Dropped += dropped;
        return true;
    };
    const bool delimited = HasCardBegin(bytes);
    bool inCard = !delimited;
    bool version3 = false;
    LineUnfolder lines(bytes);
    std::string line;
    bool sawLine = false;
    while (lines.next(line)) {
        sawLine = true;
        const std::string trimmed = Trim(line);
        if (delimited && SameText(trimmed, "BEGIN:VCARD")) {
            if (inCard && !finish())
                return contacts;
            inCard = true;
            version3 = false;
            continue;
        }
        if (delimited && SameText(trimmed, "END:VCARD")) {
            if (inCard && !finish())
                return contacts;
            inCard = false;
            continue;
        }
        if (!inCard)
            continue;
        if (StartsWithText(trimmed, "VERSION:")) {
            version3 = !SameText(Trim(trimmed.substr(8)), "2.1");
            continue;
        }
        if (lines.tooLong())
            card.lost();
        else
            card.take(ParseContentLine(line, version3));
    }
    // An unfinished card still counts; an empty file holds none.
    if (inCard && (delimited || sawLine))
        finish();
    return contacts;
}

namespace {

std::string UnreadableMessage(const std::string& path) { return "Unable to read " + path; }
std::string TooLargeMessage(const std::string& path) { return path + " is larger than 16 MB and was not imported."; }

}  // namespace

bool ReadVCardFile(const std::string& path, std::vector<VCardContact>& contacts, std::string& error,
    VCardReadCounts* counts)
{
    std::string bytes;
    switch (ReadBoundedFile(path, bytes, kMaxVCardFileBytes)) {
    case ReadFileResult::unreadable:
        error = UnreadableMessage(path);
        return false;
    case ReadFileResult::tooLarge:
        error = TooLargeMessage(path);
        return false;
    case ReadFileResult::read:
        break;
    }
    contacts = ReadVCards(bytes, counts);
    return true;
}
