#include "client/features/ambroroom.h"

#include "platform/rtl/sysutils.h"

#include <algorithm>

namespace {

const char* const kNoticeHeader = "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fswiss MS Sans Serif;}"
                                  "{\\f1\\froman\\fcharset2 Symbol;}{\\f2\\fswiss Arial;}"
                                  "{\\f3\\fswiss Arial;}}{\\colortbl\\red0\\green0\\blue0;}";

std::string RtfEscape(const std::string& text)
{
    static const char* const kHex = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += c;
        } else if (byte >= 0x80) {
            out += "\\'";
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        } else if (byte >= 0x20) {
            out += c;
        }
    }
    return out;
}

std::string Printable(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x20)
            out += c;
    }
    return out;
}

bool SameName(const std::string& a, const std::string& b)
{
    return !a.empty() && LowerCase(a) == LowerCase(b);
}

TAmbroRoom::TSaid Notice(const std::string& name, const std::string& boldPrefix, const std::string& text)
{
    return { std::string(kNoticeHeader) + "\\deflang1033\\pard\\plain\\f2\\fs20\\cf1\\b " + boldPrefix + RtfEscape(name) + " "
                 + "\\plain\\f2\\fs20\\cf1 " + text + "\\par }",
             Trim(boldPrefix) + Printable(name) + " " + text };
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

TAmbroRoom::TSaid SaidLine(const std::string& name, const std::string& text)
{
    std::string words;
    if (text.rfind("\x01" "ACTION", 0) == 0) {
        words = text.size() > 8 ? text.substr(7, text.size() - 8) : std::string();
        if (!words.empty() && words[0] == ' ')
            words.erase(0, 1);
    } else {
        words = "says \"" + text + "\"";
    }
    return { std::string(kNoticeHeader) + "\\deflang1033\\pard\\plain\\f2\\fs20\\cf1\\b " + RtfEscape(name) + " "
                 + "\\plain\\f2\\fs20\\cf1 " + RtfEscape(words) + " \\par }",
             Printable(name) + " " + Printable(words) };
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

void TAmbroRoom::Append(TSaid said)
{
    m_transcript.push_back(std::move(said));
    ++m_appended;
    while (m_transcript.size() > kMaxTranscript)
        m_transcript.pop_front();
    Changed();
}

void TAmbroRoom::ShowSaid(const std::string& name, const std::string& text)
{
    Append(SaidLine(name, text));
}

bool TAmbroRoom::HasPerson(const std::string& name) const
{
    return std::any_of(m_persons.begin(), m_persons.end(), [&](const std::string& p) { return SameName(p, name); });
}

void TAmbroRoom::AddPerson(const std::string& name)
{
    if (name.empty() || HasPerson(name) || m_persons.size() >= kMaxPersons)
        return;
    Append(Notice(name, "   ", "has joined this conference"));
    if (SameName(name, Nick) || SameName(name, "@" + Nick))
        return;
    m_persons.push_back(name);
    ++m_personsRevision;
    Changed();
}

void TAmbroRoom::RemovePerson(const std::string& name)
{
    const auto it = std::find_if(m_persons.begin(), m_persons.end(), [&](const std::string& p) {
        return SameName(p, name) || SameName(p, "@" + name) || SameName(p, "+" + name);
    });
    if (it == m_persons.end())
        return;
    m_persons.erase(it);
    ++m_personsRevision;
    Append(Notice(name, "   ", "has left this conference"));
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
    Append({ std::string(kNoticeHeader) + "\\deflang1033\\pard\\plain\\f2\\fs20\\cf1 " + RtfEscape(Sitename + " : " + reason)
                 + "\\par }",
             Printable(Sitename + " : " + reason) });
    if (OnDisconnect)
        OnDisconnect();
}

void TAmbroRoom::HandleLine(const std::string& line)
{
    if (!SiteMode)
        return;
    const auto parsed = ParseIrcLine(line);
    if (!parsed)
        return;
    const std::string command = UpperCase(parsed->command);
    const std::string trailing = IrcTextToAnsi(parsed->Trailing());
    const std::string sender = IrcTextToAnsi(parsed->Sender());
    std::string notice;
    if (command == "376" || command == "422") {
        Send("JOIN " + DefaultRoom);
    } else if (command == "001") {
        m_collisions = 0;
    } else if (command == "332") {
        notice = trailing;
    } else if (command == "366") {
        Caption = Nick + " on " + Sitename + " - Korvo Ambro\xAE";
        Status = "Now chatting in \"" + (CurrentRoom.empty() ? std::string() : CurrentRoom.substr(1)) + "\" room";
        Changed();
    } else if (command == "433") {
        if (++m_collisions >= kMaxCollisions) {
            SiteMode = false;
            Status = "Disconnected";
            Append(Notice(Sitename, "*** ", "has no free nick for " + m_baseNick + ". Connection aborted"));
            if (OnDisconnect)
                OnDisconnect();
            return;
        }
        Nick = m_baseNick + std::to_string(RandomSuffix ? RandomSuffix() : m_collisions);
        Register();
    } else if (command == "353") {
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
    } else if (command == "ERROR") {
        notice = trailing;
    } else if (command == "KICK") {
        if (SameName(parsed->Param(1), Nick)) {
            Kicked(trailing);
            return;
        }
        RemovePerson(parsed->Param(1));
    } else if (command == "PRIVMSG") {
        const std::string target = parsed->Param(0);
        if (SameName(target, Nick)) {
            ShowSaid("<PRIVATE MESSAGE from " + sender + ">", trailing);
            if (OnMessage)
                OnMessage();
        } else if (SameName(target, CurrentRoom)) {
            ShowSaid(sender, trailing);
            if (OnMessage)
                OnMessage();
        }
    } else if (command == "JOIN") {
        if (SameName(parsed->Param(0), CurrentRoom))
            AddPerson(sender);
    } else if (command == "PING") {
        const std::string payload = IrcSafeText(parsed->Trailing());
        Send(payload.find(' ') == std::string::npos ? "PONG " + payload : "PONG :" + payload);
    } else if (command == "QUIT") {
        RemovePerson(sender);
    } else if (command == "PART") {
        if (SameName(parsed->Param(0), CurrentRoom))
            RemovePerson(sender);
    }
    if (!notice.empty())
        ShowSaid(Sitename, notice);
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
    Append({ std::string(kNoticeHeader) + "\\deflang1033\\pard\\plain\\f2\\fs20\\cf1 *** Unable to successfully connect to "
                 + RtfEscape(Sitename) + " Connection aborted\\par }",
             "*** Unable to successfully connect to " + Printable(Sitename) + " Connection aborted" });
}

void TAmbroRoom::LineTooLong()
{
    SiteMode = false;
    Status = "Disconnected";
    Append(Notice(Sitename, "*** ", "sent a line too long. Connection closed"));
    if (OnDisconnect)
        OnDisconnect();
}
