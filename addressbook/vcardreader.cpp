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
        line = m_tooLong ? std::string() : std::move(m_line);
        if (m_havePending)
            start(m_pending);
        return true;
    }

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

// The line with its CHARSET= and ENCODING= parameters taken off and its value
// decoded to code-page text, so "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:" reads
// as "N:". "" for a value in an encoding the address book does not read (BASE64).
std::string NormaliseLine(const std::string& line, bool utf8ByDefault)
{
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos)
        return line;
    const std::string_view head = std::string_view(line).substr(0, colon);
    std::string_view value = std::string_view(line).substr(colon + 1);

    std::string kept;
    bool quotedPrintable = false;
    bool utf8 = utf8ByDefault;
    bool changed = false;
    std::size_t start = 0;
    bool first = true;
    while (start <= head.size()) {
        std::size_t end = head.find(';', start);
        if (end == std::string_view::npos)
            end = head.size();
        const std::string_view param = head.substr(start, end - start);
        start = end + 1;
        if (!first && StartsWithText(param, "CHARSET=")) {
            utf8 = SameText(param.substr(8), "UTF-8");
            changed = true;
            continue;
        }
        if (!first && (StartsWithText(param, "ENCODING=") || SameText(param, "QUOTED-PRINTABLE"))) {
            const std::string_view encoding = StartsWithText(param, "ENCODING=") ? param.substr(9) : param;
            if (SameText(encoding, "QUOTED-PRINTABLE"))
                quotedPrintable = true;
            else if (!SameText(encoding, "8BIT") && !SameText(encoding, "7BIT"))
                return {};
            changed = true;
            continue;
        }
        if (!first)
            kept += ';';
        kept.append(param);
        first = false;
    }
    std::string decoded = quotedPrintable ? DecodeQuotedPrintable(value) : std::string(value);
    if (utf8)
        decoded = codepage::FromUtf8(decoded);
    else if (!changed)
        return line;
    return kept + ":" + decoded;
}

// Cuts prefix off line when line begins with it in any letter case.
bool Cut(std::string& line, std::string_view prefix)
{
    if (!StartsWithText(line, prefix))
        return false;
    line.erase(0, prefix.size());
    return true;
}

// The text before the next ';' (all of it when there is none), cut through that ';'.
std::string TakeComponent(std::string& rest)
{
    const std::size_t semicolon = rest.find(';');
    std::string component = rest.substr(0, semicolon);
    rest = semicolon == std::string::npos ? std::string() : rest.substr(semicolon + 1);
    return Trim(component);
}

class CardBuilder {
public:
    void take(std::string line)
    {
        if (Cut(line, "N:")) {
            const std::size_t semicolon = line.find(';');
            m_card.LastName = semicolon == std::string::npos ? std::string() : Trim(line.substr(0, semicolon));
            line = semicolon == std::string::npos ? line : line.substr(semicolon + 1);
            m_card.FirstName = TakeComponent(line);
            // Only the third component: "N:Reagan;Nancy;;;" has no middle name.
            m_card.MiddleName = TakeComponent(line);
        }
        if (Cut(line, "EMAIL;PREF;INTERNET:")) {
            m_card.Email = Trim(line);
            addAddress(m_card.Email + kDefaultMark);
        }
        if (Cut(line, "TEL;HOME;VOICE:") || Cut(line, "TEL;HOME:"))
            m_card.HomePhone = Trim(line);
        if (Cut(line, "TEL;WORK;VOICE:") || Cut(line, "TEL;WORK:"))
            m_card.BusinessPhone = Trim(line);
        if (Cut(line, "EMAIL;INTERNET:")) {
            if (m_card.Addresses.empty())
                m_card.Email = Trim(line);
            addAddress(Trim(line));
        }
    }

    bool empty() const
    {
        return m_card.FirstName.empty() && m_card.MiddleName.empty() && m_card.LastName.empty() && m_card.Email.empty()
            && m_card.HomePhone.empty() && m_card.BusinessPhone.empty() && m_card.Addresses.empty();
    }

    VCardContact finish()
    {
        m_card.DisplayName = Trim(m_card.FirstName + " " + m_card.MiddleName) + " " + m_card.LastName;
        VCardContact card = std::move(m_card);
        m_card = {};
        return card;
    }

private:
    void addAddress(std::string address)
    {
        if (m_card.Addresses.size() < kMaxVCardAddresses)
            m_card.Addresses.push_back(std::move(address));
    }

    VCardContact m_card;
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
        if (card.empty()) {
            card.finish();
            ++seen.Empty;
            return true;
        }
        if (contacts.size() == kMaxVCardContacts) {
            seen.Truncated = true;
            return false;
        }
        contacts.push_back(card.finish());
        return true;
    };
    const bool delimited = HasCardBegin(bytes);
    bool inCard = !delimited;
    bool utf8 = false;
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
            utf8 = false;
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
            // 3.0 and 4.0 cards are UTF-8 throughout; 2.1 says so per line.
            utf8 = !SameText(Trim(trimmed.substr(8)), "2.1");
            continue;
        }
        card.take(NormaliseLine(line, utf8));
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
