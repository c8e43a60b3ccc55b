#pragma once

#include "client/core/buddy.h"
#include "client/core/features.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

// Who a caller is and how much any one caller may hold. Who a buddy is comes
// from the service, which records each user's address at a log-on that checked
// the password, or from the fixed address the user typed; never from what the
// caller says. The connection list and the dispatcher ask; the guard keeps the
// counts and calls neither.
class TPeerGuard {
public:
    // A caller has this long to introduce itself, also while the service is asked who it is.
    static constexpr int kIntroductionMs = 10000;
    // Callers not yet introduced, one address.
    static constexpr int kUnintroducedPerAddress = 4;
    // Request prompts open at once for callers of one address.
    static constexpr int kPromptsPerAddress = 3;
    // File offers of one buddy waiting behind the one shown.
    static constexpr std::size_t kQueuedFileOffers = 8;
    // A prompt nobody answers closes as if refused.
    static constexpr int kPromptMs = 120000;
    // Notes kept from one sender that came over a peer connection.
    static constexpr std::size_t kNotesPerSender = 50;
    static constexpr std::int64_t kNoteBytesPerSender = 256 * 1024;

    // Tests shorten the waits with KORVO_INTRODUCTION_MS and KORVO_PROMPT_MS.
    static int IntroductionMs();
    static int PromptMs();

    TPeerGuard() = default;
    TPeerGuard(const TPeerGuard&) = delete;
    TPeerGuard& operator=(const TPeerGuard&) = delete;

    // --- who a caller is
    // The lookup found the buddy online at that address; or left it out (offline).
    void LookedUp(const std::string& name, const std::string& address);
    void LookedUpOffline(const std::string& name);
    // Whether the buddy is known to be at the address: the last lookup put it there, or its fixed address is it.
    bool IsAt(const Tbuddy& buddy, const std::string& address) const;
    // Asks the service where the buddy is, for the caller of that serial at that address; done(true)
    // on the main thread when the service has it online there, done(false) otherwise.
    void AskService(const std::string& name, std::uint64_t serial, const std::string& address,
                    std::function<void(bool there)> done);
    // The caller of that serial waits for the service's word: nothing it says counts until then.
    bool Asking(std::uint64_t serial) const { return m_asking.count(serial) != 0; }

    // --- callers not yet introduced
    // A caller from that address; false when that address keeps its fill waiting already.
    bool Arrived(std::uint64_t serial, const std::string& address);
    // The caller said who it is and was let in or put before the user; or it went.
    void Introduced(std::uint64_t serial) { m_unintroduced.erase(serial); }
    void Gone(std::uint64_t serial);

    // --- request prompts
    enum class TAdmission {
        Show,       // shown now
        Queued,     // a file offer behind the one shown, shown when that one closes
        Unchanged,  // the same request waits already: nothing happens
        Refused,    // the caller's address holds its fill of prompts
    };
    // A request from the caller at that address; on Show and Queued the request gets its ticket.
    TAdmission Admit(peerhooks::TRequest& request, const std::string& address);
    // The shown prompt of that ticket; close ends it at sign-off.
    void Shown(std::uint64_t ticket, std::function<void()> close);
    // The prompt shown for that requester and kind closes unanswered: its window opened another way.
    void CloseShown(const std::string& requester, peerhooks::RequestKind kind);
    // The prompt of that ticket closed; the request to show next in its place, if any.
    std::optional<peerhooks::TRequest> Closed(std::uint64_t ticket);

    // --- notes
    // Whether a note of that many bytes from that sender fits beside the sender's notes kept in folder.
    bool NoteFits(const std::string& folder, const std::string& from, std::int64_t bytes) const;
    // True the first time this session a sender's note did not fit: the user is told once.
    bool FirstNoteRefused(const std::string& from);

    // Sign-off: every prompt closes, every count and address is forgotten.
    void Clear();

private:
    struct TPrompt {
        peerhooks::TRequest request;
        std::string address;
        std::function<void()> close;
        std::deque<peerhooks::TRequest> queued;  // file offers only
    };

    TPrompt* ShownPrompt(const std::string& requester, peerhooks::RequestKind kind);
    int PromptsFrom(const std::string& address) const;

    std::map<std::string, std::string> m_lookedUp;        // lower-cased name -> dotted address
    std::map<std::uint64_t, std::string> m_unintroduced;  // serial -> address
    std::set<std::uint64_t> m_asking;
    std::vector<std::unique_ptr<TPrompt>> m_prompts;
    std::set<std::string> m_toldNoteRefused;  // lower-cased senders
    std::uint64_t m_lastTicket { 0 };
    unsigned m_generation { 0 };  // raised at sign-off: answers for an ended session are dropped
};

// The one guard of the running session.
TPeerGuard& PeerGuard();

// An address in one spelling, so two can be compared; "" for a host name or no address.
std::string DottedAddress(const std::string& address);
