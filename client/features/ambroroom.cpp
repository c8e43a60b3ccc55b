#include "client/features/ambroroom.h"

#include "platform/rtl/sysutils.h"
#include "platform/ui/richtext.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

// Control bytes show as nothing and never reach the transcript. The text
// between them is copied in runs: most lines hold none.
void AppendPrintable(std::string& out, std::string_view text)
{
    std::size_t from = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        if (i + 8 <= text.size()) {
            // Eight bytes at once; a word with no byte below 0x20 is skipped whole.
            std::uint64_t word;
            std::memcpy(&word, text.data() + i, 8);
            if (((word - 0x2020202020202020ULL) & ~word & 0x8080808080808080ULL) == 0) {
                i += 8;
                continue;
            }
        }
        if (static_cast<unsigned char>(text[i]) < 0x20) {
            out.append(text.substr(from, i - from));
            from = i + 1;
        }
        ++i;
    }
    out.append(text.substr(from));
}

std::string Printable(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    AppendPrintable(out, text);
    return out;
}

[[gnu::always_inline]] inline bool SameName(std::string_view a, std::string_view b) { return SameIrcName(a, b); }

// A three-byte reply's number; -1 when a byte is no digit.
int ReplyNumber(std::string_view command)
{
    int number = 0;
    for (const char c : command) {
        if (c < '0' || c > '9')
            return -1;
        number = number * 10 + (c - '0');
    }
    return number;
}

bool IsNickOrOp(std::string_view name, std::string_view nick)
{
    return SameName(name, nick) || (name.size() == nick.size() + 1 && name[0] == '@' && SameName(name.substr(1), nick));
}

// A nick is one word on the wire.
std::string NickWord(const std::string& nick)
{
    std::string word = IrcSafeText(Trim(nick));
    std::replace(word.begin(), word.end(), ' ', '_');
    if (!word.empty() && word[0] == ':')
        word[0] = '_';
    return word;
}

}  // namespace

std::string TAmbroRoom::TSaid::Rtf() const
{
    std::string rtf = richtext::Header();
    rtf += "\\deflang1033\\pard\\plain\\f2\\fs20\\cf1";
    switch (kind) {
    case Kind::Said:
    case Kind::Acted: rtf += "\\b " + richtext::Escape(name) + " \\plain\\f2\\fs20\\cf1 " + richtext::Escape(Words()) + " \\par }"; break;
    case Kind::Joined:
    case Kind::Left: rtf += "\\b    " + richtext::Escape(name) + " \\plain\\f2\\fs20\\cf1 " + Words() + "\\par }"; break;
    case Kind::Alert: rtf += "\\b *** " + richtext::Escape(name) + " \\plain\\f2\\fs20\\cf1 " + richtext::Escape(words) + "\\par }"; break;
    case Kind::Line: rtf += " " + richtext::Escape(words) + "\\par }"; break;
    }
    return rtf;
}

std::string TAmbroRoom::TSaid::Words() const
{
    // A said line's words are quoted when shown; joins and leaves carry none of their own.
    switch (kind) {
    case Kind::Said: return "says \"" + words + '"';
    case Kind::Joined: return "has joined this conference";
    case Kind::Left: return "has left this conference";
    default: return words;
    }
}

std::string TAmbroRoom::TSaid::Plain() const
{
    switch (kind) {
    case Kind::Line: return words;
    case Kind::Alert: return "*** " + name + " " + words;
    default: return name + " " + Words();
    }
}

namespace {

bool IsAction(std::string_view text) { return text.size() >= 7 && text.substr(0, 7) == "\x01" "ACTION"; }

// Fills a said line's words in place: a line that reuses the buffers of one
// trimmed from the transcript costs no allocation.
void FillWords(TAmbroRoom::TSaid& said, std::string_view text)
{
    said.words.clear();
    if (IsAction(text)) {
        std::string_view action = text.size() > 8 ? text.substr(7, text.size() - 8) : std::string_view();
        if (!action.empty() && action[0] == ' ')
            action.remove_prefix(1);
        said.kind = TAmbroRoom::TSaid::Kind::Acted;
        AppendPrintable(said.words, action);
    } else {
        said.kind = TAmbroRoom::TSaid::Kind::Said;
        AppendPrintable(said.words, text);
    }
}

// Received text as the transcript holds it: in the code page, without control
// bytes. Printable ASCII, nearly every line, is checked and copied in one pass.
void AppendReceived(std::string& out, std::string_view raw)
{
    std::size_t i = 0;
    for (; i + 8 <= raw.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, raw.data() + i, 8);
        // A byte below 0x20 borrows into its top bit; one from 0x80 has it set.
        if (((word - 0x2020202020202020ULL) | word) & 0x8080808080808080ULL)
            break;
    }
    while (i < raw.size() && static_cast<unsigned char>(raw[i]) >= 0x20 && static_cast<unsigned char>(raw[i]) < 0x80)
        ++i;
    if (i == raw.size()) {
        out.append(raw);
        return;
    }
    std::string storage;
    AppendPrintable(out, IrcTextToAnsi(raw, storage));
}

// A said line's kind and words from received text.
void FillReceivedWords(TAmbroRoom::TSaid& said, std::string_view raw)
{
    if (IsAction(raw)) {
        // The action's ends are cut in the code page, as the user reads it.
        std::string storage;
        FillWords(said, IrcTextToAnsi(raw, storage));
        return;
    }
    said.kind = TAmbroRoom::TSaid::Kind::Said;
    said.words.clear();
    AppendReceived(said.words, raw);
}

void FillSaid(TAmbroRoom::TSaid& said, std::string_view name, std::string_view text)
{
    said.name.clear();
    AppendPrintable(said.name, name);
    FillWords(said, text);
}

}  // namespace

TAmbroRoom::TSaid SaidLine(std::string_view name, std::string_view text)
{
    TAmbroRoom::TSaid said;
    FillSaid(said, name, text);
    return said;
}

void TAmbroRoom::Send(const std::string& line)
{
    if (SendLine)
        SendLine(line);
}

void TAmbroRoom::Changed()
{
    if (OnChange)
        OnChange();
}

void TAmbroRoom::AppendNext()
{
    ++m_appended;
    Changed();
}

void TAmbroRoom::Append(TSaid::Kind kind, std::string_view name, std::string_view words)
{
    TSaid& said = m_transcript.Next();
    said.kind = kind;
    said.name.clear();
    AppendPrintable(said.name, name);
    // Joins and leaves have no words: an empty assign still cost a library call.
    if (words.empty())
        said.words.clear();
    else
        said.words.assign(words);
    AppendNext();
}

void TAmbroRoom::ShowReceived(std::string_view before, std::string_view sender, std::string_view after, std::string_view text)
{
    // Written straight into the line's buffers: neither name nor text is converted beside them.
    TSaid& said = m_transcript.Next();
    // Most lines are said in the room: no text around the sender.
    said.name.clear();
    if (!before.empty())
        said.name.append(before);
    AppendReceived(said.name, sender);
    if (!after.empty())
        said.name.append(after);
    FillReceivedWords(said, text);
    AppendNext();
}

void TAmbroRoom::ShowSaid(std::string_view name, std::string_view text)
{
    FillSaid(m_transcript.Next(), name, text);
    AppendNext();
}

bool TAmbroRoom::HasPerson(std::string_view name) const
{
    return std::any_of(m_persons.begin(), m_persons.end(), [&](const std::string& p) { return SameName(p, name); });
}

void TAmbroRoom::AddPerson(std::string_view name)
{
    if (name.empty() || HasPerson(name) || m_persons.size() >= kMaxPersons)
        return;
    Append(TSaid::Kind::Joined, name, {});
    if (IsNickOrOp(name, Nick))
        return;
    m_persons.emplace_back(name);
    ++m_personsRevision;
    Changed();
}

void TAmbroRoom::RemovePerson(std::string_view name)
{
    const auto it = std::find_if(m_persons.begin(), m_persons.end(), [&](const std::string& p) {
        return SameName(p, name) || (p.size() == name.size() + 1 && (p[0] == '@' || p[0] == '+') && SameName(std::string_view(p).substr(1), name));
    });
    if (it == m_persons.end())
        return;
    m_persons.erase(it);
    ++m_personsRevision;
    Append(TSaid::Kind::Left, name, {});
}

void TAmbroRoom::Register()
{
    if (m_baseNick.empty())
        m_baseNick = NickWord(Nick);
    Nick = NickWord(Nick);
    Send("PASS " + IrcSafeText(Email));
    Send("NICK " + Nick);
    Send("USER " + Nick + " X Y: " + Nick);
    RegisteredNick = Nick;
}

void TAmbroRoom::Kicked(const std::string& reason)
{
    m_transcript.clear();
    m_persons.clear();
    ++m_clears;
    ++m_personsRevision;
    InputEnabled = false;
    SiteMode = false;
    Status = "Disconnected";
    Append(TSaid::Kind::Line, "", Printable(Sitename + " : " + reason));
    if (OnDisconnect)
        OnDisconnect();
}

void TAmbroRoom::HandleLine(const std::string& line)
{
    if (!SiteMode)
        return;
    TIrcLineView parsed;
    if (!ParseIrcLine(line, parsed))
        return;
    const std::string_view command = parsed.command;
    // Numeric replies are three digits; the named commands, most lines, skip their tests.
    const bool numeric = command.size() == 3 && command[0] >= '0' && command[0] <= '9';
    if (numeric) {
        // Told by their number: a text compare per reply cost a length count and a library call.
        const int reply = ReplyNumber(command);
        if (reply == 376 || reply == 422) {
            Send("JOIN " + DefaultRoom);
        } else if (reply == 1) {
            m_collisions = 0;
        } else if (reply == 332) {
            // "332 nick #room :topic": a room without a topic names no topic.
            ShowNotice(parsed.Param(2));
        } else if (reply == 366) {
            Caption = Nick + " on " + Sitename + " - Korvo Ambro\xAE";
            Status = "Now chatting in \"" + (CurrentRoom.empty() ? std::string() : CurrentRoom.substr(1)) + "\" room";
            Changed();
        } else if (reply == 433) {
            if (++m_collisions >= kMaxCollisions) {
                SiteMode = false;
                Status = "Disconnected";
                Append(TSaid::Kind::Alert, Sitename, "has no free nick for " + m_baseNick + ". Connection aborted");
                if (OnDisconnect)
                    OnDisconnect();
                return;
            }
            Nick = m_baseNick + std::to_string(RandomSuffix ? RandomSuffix() : m_collisions);
            // The server kept PASS and USER from the first try and refuses them
            // again (462), some with seconds of penalty: the new nick is enough.
            Send("NICK " + Nick);
            RegisteredNick = Nick;
        } else if (reply == 431 || reply == 432) {
            // The server takes no nick of this alias: nothing would ever register the chat.
            // "431 * :why", "432 * nick :why"
            ShowSaid(Sitename, IrcTextToAnsi(parsed.Param(reply == 431 ? 1 : 2)));
            Refused();
            return;
        } else if (reply == 353) {
            const std::string trailing = IrcTextToAnsi(parsed.Trailing());
            std::size_t at = 0;
            while (at < trailing.size() && m_persons.size() < kMaxPersons) {
                const std::size_t end = std::min(trailing.find(' ', at), trailing.size());
                const std::string word = Trim(trailing.substr(at, end - at));
                if (!word.empty() && !HasPerson(word))
                    m_persons.push_back(word);
                at = end + 1;
            }
            ++m_personsRevision;
            Changed();
        }
    } else if (SameName(command, "ERROR")) {
        ShowNotice(parsed.Trailing());
    } else if (SameName(command, "KICK")) {
        if (SameName(parsed.Param(1), Nick)) {
            Kicked(IrcTextToAnsi(parsed.Param(2)));
            return;
        }
        RemovePerson(IrcTextToAnsi(parsed.Param(1), m_converted));
    } else if (SameName(command, "PRIVMSG")) {
        const std::string_view target = parsed.Param(0);
        // "PRIVMSG target :text"; a line with no text says nothing.
        const std::string_view text = parsed.Param(1);
        if (text.empty())
            return;
        if (SameName(target, Nick)) {
            ShowReceived("<PRIVATE MESSAGE from ", parsed.Sender(), ">", text);
            if (OnMessage)
                OnMessage();
        } else if (SameName(target, CurrentRoom)) {
            ShowReceived({}, parsed.Sender(), {}, text);
            if (OnMessage)
                OnMessage();
        }
    } else if (SameName(command, "JOIN")) {
        if (SameName(parsed.Param(0), CurrentRoom))
            AddPerson(IrcTextToAnsi(parsed.Sender(), m_converted));
    } else if (SameName(command, "PING")) {
        // Built in a buffer kept from the last answer: only the server's name is written.
        m_outgoing.resize(kPong.size());
        AppendIrcSafeText(m_outgoing, parsed.Trailing());
        if (m_outgoing.find(' ', kPong.size()) != std::string::npos)
            m_outgoing.insert(kPong.size(), 1, ':');
        Send(m_outgoing);
    } else if (SameName(command, "QUIT")) {
        RemovePerson(IrcTextToAnsi(parsed.Sender(), m_converted));
    } else if (SameName(command, "PART")) {
        if (SameName(parsed.Param(0), CurrentRoom))
            RemovePerson(IrcTextToAnsi(parsed.Sender(), m_converted));
    }
}

void TAmbroRoom::ShowNotice(std::string_view raw)
{
    std::string storage;
    const std::string_view text = IrcTextToAnsi(raw, storage);
    if (!text.empty())
        ShowSaid(Sitename, text);
}

bool TAmbroRoom::Say(const std::string& text)
{
    const std::string safe = IrcSafeText(text);
    if (!SiteMode || Trim(safe).empty())
        return false;
    Send("PRIVMSG " + CurrentRoom + " :" + AnsiToIrcText(safe));
    ShowSaid(Nick, safe);
    return true;
}

bool TAmbroRoom::Whisper(const std::string& person, const std::string& text)
{
    std::string target = NickWord(person);
    if (!target.empty() && target[0] == '@')
        target.erase(0, 1);
    if (target.empty())
        return false;
    const std::string safe = IrcSafeText(text);
    if (SiteMode && !Trim(safe).empty())
        Send("PRIVMSG " + target + " :" + AnsiToIrcText(safe));
    return true;
}

void TAmbroRoom::ChangeRoom(const std::string& room)
{
    const std::string next = NickWord(room);
    if (next.empty())
        return;
    m_persons.clear();
    m_transcript.clear();
    ++m_clears;
    ++m_personsRevision;
    Send("PART " + CurrentRoom);
    CurrentRoom = next;
    Send("JOIN " + CurrentRoom);
    Changed();
}

void TAmbroRoom::ConnectFailed()
{
    SiteMode = false;
    Caption = "Korvo Ambro\xAE - closed";
    Append(TSaid::Kind::Line, "", "*** Unable to successfully connect to " + Printable(Sitename) + " Connection aborted");
}

void TAmbroRoom::Refused()
{
    ConnectFailed();
    Status = "Disconnected";
    if (OnDisconnect)
        OnDisconnect();
}

void TAmbroRoom::LineTooLong()
{
    SiteMode = false;
    Status = "Disconnected";
    Append(TSaid::Kind::Alert, Sitename, "sent a line too long. Connection closed");
    if (OnDisconnect)
        OnDisconnect();
}
