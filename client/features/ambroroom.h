#pragma once

#include "client/features/ircline.h"
#include "client/features/linering.h"
#include "client/features/transcriptcap.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The site-chat side of a chat window: what an IRC server's lines do to the
// transcript, the person list, the caption and the status, and the lines the
// user's input sends. No widget lives here; the window shows what it holds.
class TAmbroRoom {
public:
    // Held lines and persons; a flooding server only ever replaces the oldest.
    static constexpr std::size_t kMaxTranscript = kMaxTranscriptLines;
    static constexpr std::size_t kMaxPersons = 5000;
    // Nick collisions in a row before the room gives up.
    static constexpr int kMaxCollisions = 10;

    // One transcript line; its RTF is made only when a window asks for it.
    struct TSaid {
        // Said: name says "words"; Acted: name words (a CTCP ACTION).
        enum class Kind { Said, Acted, Joined, Left, Alert, Line };
        Kind kind { Kind::Said };
        std::string name;   // the bold part
        std::string words;  // what was said, without the "says" around it

        std::string Words() const;
        std::string Rtf() const;
        std::string Plain() const;
    };

    std::string Sitename;
    std::string DefaultRoom;
    std::string CurrentRoom;
    std::string Nick;
    std::string RegisteredNick;
    std::string Email;
    // The site flag: lines are handled only while it is on.
    bool SiteMode { false };
    bool InputEnabled { true };
    std::string Caption { "Korvo Ambro\xAE" };
    std::string Status;

    // Sends one line to the server (without its ending); send errors are the caller's to ignore.
    std::function<void(const std::string& line)> SendLine;
    // A message for the user arrived (the window flashes when minimised, plays the sound).
    std::function<void()> OnMessage;
    // The connection is to end now (KICK of ours, collisions without end, an overlong line).
    std::function<void()> OnDisconnect;
    // Something shown changed.
    std::function<void()> OnChange;
    // The number after a colliding nick, 1..100.
    std::function<int()> RandomSuffix;

    // The connection is up: PASS, NICK, USER. A nick collision later sends only the new NICK.
    void Register();
    // One received line, ending stripped.
    void HandleLine(const std::string& line);
    // Enter in the input; false when nothing was sent.
    bool Say(const std::string& text);
    // "Whisper": false when no person is selected (the caller tells the user).
    bool Whisper(const std::string& person, const std::string& text);
    // A room item chosen: leave the current room, join the item's.
    void ChangeRoom(const std::string& room);
    // Opening failed or the line was too long: the site flag goes off with a transcript line.
    void ConnectFailed();
    void LineTooLong();

    void ShowSaid(std::string_view name, std::string_view text);
    void AddPerson(std::string_view name);
    void RemovePerson(std::string_view name);

    const TLineRing<TSaid>& Transcript() const { return m_transcript; }
    const std::vector<std::string>& Persons() const { return m_persons; }
    std::string PersonsCaption() const { return "Persons (" + std::to_string(m_persons.size()) + ")"; }
    int Collisions() const { return m_collisions; }
    // For a window showing the room: lines appended since the start, times the
    // transcript was cleared, and a count that moves whenever the persons change.
    std::size_t Appended() const { return m_appended; }
    std::size_t Clears() const { return m_clears; }
    std::size_t PersonsRevision() const { return m_personsRevision; }

private:
    static constexpr std::string_view kPong = "PONG ";

    void Send(const std::string& line);
    // Counts the line written into m_transcript.Next() and tells of it.
    void AppendNext();
    // A said line from the server: name is before, the sender, after; sender and text as received.
    void ShowReceived(std::string_view before, std::string_view sender, std::string_view after, std::string_view text);
    void Append(TSaid::Kind kind, std::string_view name, std::string_view words);
    // The server's words on the room (a topic, an error) as said by the site; nothing when there are none.
    void ShowNotice(std::string_view raw);
    void Changed();
    bool HasPerson(std::string_view name) const;
    void Kicked(const std::string& reason);
    // The server refused to register us: as a failed opening, and the connection ends.
    void Refused();

    TLineRing<TSaid> m_transcript { kMaxTranscript };
    // The last answer sent, its buffer kept for the next; it always begins with the PONG.
    std::string m_outgoing { kPong };
    // A received name turned into the code page, its buffer kept; a plain ASCII name is used where it stands.
    std::string m_converted;
    std::vector<std::string> m_persons;
    std::string m_baseNick;
    std::size_t m_appended { 0 };
    std::size_t m_clears { 0 };
    std::size_t m_personsRevision { 0 };
    int m_collisions { 0 };
};

// The RTF of one "name says" line; text bytes that RTF reads as markup are escaped.
TAmbroRoom::TSaid SaidLine(std::string_view name, std::string_view text);
