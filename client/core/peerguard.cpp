#include "client/core/peerguard.h"

#include "client/core/download.h"
#include "client/core/servicequery.h"
#include "client/core/session.h"
#include "platform/rtl/files.h"
#include "platform/rtl/sysutils.h"
#include "platform/rtl/thread.h"
#include "platform/win/winsock.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace {

int EnvironmentMs(const char* name, int fallback)
{
    if (const char* text = std::getenv(name); text && std::atoi(text) > 0)
        return std::atoi(text);
    return fallback;
}

// A stored note names its sender on its second line ("from=..."); the head of the file is enough.
std::string StoredNoteSender(const std::string& path)
{
    std::ifstream file(FileSystemName(path), std::ios::binary);
    char head[256] = {};
    file.read(head, sizeof head);
    const std::string text(head, static_cast<std::size_t>(file.gcount()));
    const std::size_t at = text.find("\nfrom=");
    if (at == std::string::npos)
        return {};
    const std::size_t start = at + 6;
    return text.substr(start, text.find_first_of("\r\n", start) - start);
}

// The service's word on one caller, fetched off the main thread within the caller's wait.
class TWhereLookup final : public TThread {
public:
    TWhereLookup(std::string host, std::string name)
        : TThread(true)
        , Name(std::move(name))
        , m_host(std::move(host))
    {
        FreeOnTerminate = true;
        m_limits.totalMs = static_cast<std::uint32_t>(TPeerGuard::IntroductionMs());
    }

    const std::string Name;
    std::vector<BuddyLookupEntry> Found;

protected:
    void Execute() override { Found = ReadBuddyLookup(LookupBuddies(m_host, "buddy=" + EncodeServiceValue(Name), m_limits)); }

private:
    const std::string m_host;
    DownloadLimits m_limits;
};

}  // namespace

std::string DottedAddress(const std::string& address)
{
    const std::string text = Trim(address);
    winsock::in_addr parsed {};
    parsed.s_addr = winsock::inet_addr(text.c_str());
    if (text.empty() || parsed.s_addr == winsock::WS_INADDR_NONE)
        return {};
    return winsock::inet_ntoa(parsed);
}

int TPeerGuard::IntroductionMs() { return EnvironmentMs("KORVO_INTRODUCTION_MS", kIntroductionMs); }
int TPeerGuard::PromptMs() { return EnvironmentMs("KORVO_PROMPT_MS", kPromptMs); }

// --- who a caller is -----------------------------------------------------------------

void TPeerGuard::LookedUp(const std::string& name, const std::string& address)
{
    const std::string dotted = DottedAddress(address);
    if (dotted.empty())
        m_lookedUp.erase(LowerCase(name));
    else
        m_lookedUp[LowerCase(name)] = dotted;
}

void TPeerGuard::LookedUpOffline(const std::string& name) { m_lookedUp.erase(LowerCase(name)); }

bool TPeerGuard::IsAt(const Tbuddy& buddy, const std::string& address) const
{
    const std::string from = DottedAddress(address);
    if (from.empty())
        return false;
    const auto it = m_lookedUp.find(LowerCase(buddy.Name));
    if (it != m_lookedUp.end() && it->second == from)
        return true;
    return DottedAddress(buddy.DirectConnect) == from;
}

void TPeerGuard::AskService(const std::string& name, std::uint64_t serial, const std::string& address,
                            std::function<void(bool there)> done)
{
    const std::string host = Session().ilsServer;
    if (Trim(host).empty() || !m_asking.insert(serial).second) {
        done(false);
        return;
    }
    auto* thread = new TWhereLookup(host, name);
    const unsigned generation = m_generation;
    thread->OnTerminate = [this, generation, serial, from = DottedAddress(address), done = std::move(done)](TThread* sender) {
        if (generation != m_generation)
            return;
        m_asking.erase(serial);
        const auto* lookup = static_cast<TWhereLookup*>(sender);
        const auto entry = std::find_if(lookup->Found.begin(), lookup->Found.end(),
                                        [&](const BuddyLookupEntry& found) { return SameText(found.name, lookup->Name); });
        if (entry == lookup->Found.end()) {
            LookedUpOffline(lookup->Name);
            done(false);
            return;
        }
        LookedUp(lookup->Name, entry->address);
        done(!from.empty() && DottedAddress(entry->address) == from);
    };
    thread->Start();
}

// --- callers not yet introduced -----------------------------------------------------

bool TPeerGuard::Arrived(std::uint64_t serial, const std::string& address)
{
    const auto waiting = std::count_if(m_unintroduced.begin(), m_unintroduced.end(),
                                       [&](const auto& entry) { return entry.second == address; });
    if (waiting >= kUnintroducedPerAddress)
        return false;
    m_unintroduced[serial] = address;
    return true;
}

void TPeerGuard::Gone(std::uint64_t serial)
{
    m_unintroduced.erase(serial);
    m_asking.erase(serial);
}

// --- request prompts ----------------------------------------------------------------

TPeerGuard::TPrompt* TPeerGuard::ShownPrompt(const std::string& requester, peerhooks::RequestKind kind)
{
    for (const auto& prompt : m_prompts)
        if (prompt->request.kind == kind && SameText(prompt->request.requester, requester))
            return prompt.get();
    return nullptr;
}

void TPeerGuard::CloseShown(const std::string& requester, peerhooks::RequestKind kind)
{
    const TPrompt* shown = ShownPrompt(requester, kind);
    if (!shown || !shown->close)
        return;
    // Closing reports back through Closed, which frees the prompt: call a copy.
    const std::function<void()> close = shown->close;
    close();
}

int TPeerGuard::PromptsFrom(const std::string& address) const
{
    return static_cast<int>(std::count_if(m_prompts.begin(), m_prompts.end(), [&](const auto& prompt) {
        return prompt->address == address;
    }));
}

TPeerGuard::TAdmission TPeerGuard::Admit(peerhooks::TRequest& request, const std::string& address)
{
    if (TPrompt* shown = ShownPrompt(request.requester, request.kind)) {
        if (request.kind != peerhooks::rkFile || shown->queued.size() >= kQueuedFileOffers)
            return TAdmission::Unchanged;
        request.ticket = ++m_lastTicket;
        shown->queued.push_back(request);
        return TAdmission::Queued;
    }
    if (PromptsFrom(address) >= kPromptsPerAddress)
        return TAdmission::Refused;
    request.ticket = ++m_lastTicket;
    auto prompt = std::make_unique<TPrompt>();
    prompt->request = request;
    prompt->address = address;
    m_prompts.push_back(std::move(prompt));
    return TAdmission::Show;
}

void TPeerGuard::Shown(std::uint64_t ticket, std::function<void()> close)
{
    for (const auto& prompt : m_prompts)
        if (prompt->request.ticket == ticket)
            prompt->close = std::move(close);
}

std::optional<peerhooks::TRequest> TPeerGuard::Closed(std::uint64_t ticket)
{
    const auto it = std::find_if(m_prompts.begin(), m_prompts.end(),
                                 [&](const auto& prompt) { return prompt->request.ticket == ticket; });
    if (it == m_prompts.end())
        return std::nullopt;
    TPrompt& prompt = **it;
    if (prompt.queued.empty()) {
        m_prompts.erase(it);
        return std::nullopt;
    }
    // The next offer takes the closed one's place, and its queue.
    prompt.request = prompt.queued.front();
    prompt.queued.pop_front();
    prompt.close = nullptr;
    return prompt.request;
}

// --- notes --------------------------------------------------------------------------

bool TPeerGuard::NoteFits(const std::string& folder, const std::string& from, std::int64_t bytes) const
{
    std::size_t notes = 0;
    std::int64_t used = bytes;
    for (const TSearchRec& entry : ListDirectory(folder + "*.txt", 0))
        if (SameText(StoredNoteSender(folder + entry.Name), from)) {
            ++notes;
            used += entry.Size;
        }
    return notes < kNotesPerSender && used <= kNoteBytesPerSender;
}

bool TPeerGuard::FirstNoteRefused(const std::string& from) { return m_toldNoteRefused.insert(LowerCase(from)).second; }

// --- the session ---------------------------------------------------------------------

void TPeerGuard::Clear()
{
    ++m_generation;
    // Closing a prompt reports back here: take the list first, so nothing queued comes up.
    std::vector<std::unique_ptr<TPrompt>> prompts = std::move(m_prompts);
    m_prompts.clear();
    for (const auto& prompt : prompts)
        if (prompt->close)
            prompt->close();
    m_lookedUp.clear();
    m_unintroduced.clear();
    m_asking.clear();
    m_toldNoteRefused.clear();
}

TPeerGuard& PeerGuard()
{
    static TPeerGuard guard;
    return guard;
}
