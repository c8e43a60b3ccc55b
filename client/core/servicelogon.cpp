#include "client/core/servicelogon.h"

#include "client/core/download.h"
#include "client/core/features.h"
#include "client/core/helpers.h"
#include "client/core/mainbar.h"
#include "client/core/peerconnections.h"
#include "client/core/servicequery.h"
#include "client/core/session.h"
#include "platform/rtl/stringlist.h"
#include "platform/rtl/sysutils.h"
#include "platform/rtl/thread.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/form.h"
#include "platform/win/shell.h"

#include <QCoreApplication>
#include <QTime>

#include <algorithm>
#include <atomic>
#include <functional>
#include <initializer_list>

namespace {

constexpr std::size_t kMaxBuddyName = 255;
constexpr int kMaxUrlThreads = 4;

// Raised at every sign-off: a log-on thread of an earlier session finds it moved
// on and touches nothing of the session that followed.
std::atomic<unsigned> g_logOnSession { 0 };
std::atomic<int> g_urlThreads { 0 };

std::string Value(const std::string& value) { return EncodeServiceValue(Trim(value)); }

std::string LoginUrl()
{
    const TSession& s = Session();
    return "http://" + s.regsServer + "/login.asp?Login=" + Value(s.userId) + "&Password=" + Value(s.scrambledPassword) +
           "&IPAddress=" + Value(s.localAddress) + "&publickey=" + Value(s.userPublicKey);
}

// The log-on worker: logs on unless logged on already, then looks buddies up.
// Everything it does to the session runs on the main thread.
class TRegisterUserThread1 final : public TThread {
public:
    TRegisterUserThread1(const std::string& buddyName, unsigned session)
        : TThread(true)
        , BuddyName(buddyName.substr(0, kMaxBuddyName))
        , m_session(session)
    {
        FreeOnTerminate = true;
    }

    const std::string BuddyName;
    std::string Reply;
    // What the lookup found, applied by the completion on the main thread.
    std::vector<BuddyLookupEntry> Found;
    // Whom it asked for, once the service answered: the names it left out are offline.
    std::vector<std::string> Asked;

    bool Current() const { return m_session == g_logOnSession.load(); }

protected:
    void Execute() override
    {
        TSession& s = Session();
        try {
            bool loggedOn = false;
            std::string url;
            Synchronize([&] {
                if (!Current())
                    return;
                loggedOn = s.loggedOn;
                if (loggedOn)
                    return;
                s.logOnInProgress = true;
                if (Form1)
                    Form1->SetStatusText("Registering", clBlue);
                url = LoginUrl();
            });
            if (loggedOn) {
                Lookup();
                return;
            }
            if (url.empty())
                return;
            // Its own reply, so a log-on of an ended session can never answer this one.
            const std::string text = FetchReply(url, "logon.htm", m_limits);
            if (!Trim(text).empty()) {
                TStringList lines;
                lines.SetText(text);
                Reply = lines.Count() > 0 ? lines.Strings(0) : std::string();
            }
            bool lookup = false;
            Synchronize([&] {
                if (!Current())
                    return;
                s.logOnInProgress = false;
                if (!Form1)
                    return;
                if (Reply == "success") {
                    s.loggedOn = true;
                    SetChannelLabel(GreetingForHour(QTime::currentTime().hour()));
                    Form1->UpdateStatusBar();
                    lookup = true;
                } else {
                    s.loggedOn = false;
                    SetChannelLabel("NO SERVICE");
                }
            });
            if (!lookup)
                return;
            Lookup();
            Synchronize([&] {
                if (Current() && Form1)
                    Form1->UpdateStatusBar();
            });
        } catch (const std::exception&) {
            try {
                Synchronize([&] {
                    if (!Current())
                        return;
                    s.loggedOn = false;
                    s.logOnInProgress = false;
                });
            } catch (const std::exception&) {
                // Nothing more to undo.
            }
        }
    }

private:
    void Lookup()
    {
        std::string host;
        std::string query;
        std::vector<std::string> asked;
        Synchronize([&] {
            if (!Current() || !Form1)
                return;
            host = Session().ilsServer;
            query = LookupQuery(BuddyName);
            asked = LookupNames(BuddyName);
        });
        if (query.empty())
            return;
        const std::string reply = LookupBuddies(host, query, m_limits);
        Found = ReadBuddyLookup(reply);
        if (!Trim(reply).empty())
            Asked = std::move(asked);
    }

    const unsigned m_session;
    // Made with the thread, so sign-off ends its downloads.
    const DownloadLimits m_limits;
};

void LogOnFinished(TThread* sender)
{
    auto* thread = static_cast<TRegisterUserThread1*>(sender);
    // Without the application the program is ending: its windows are gone.
    if (thread->Terminated() || !thread->Current() || !QCoreApplication::instance())
        return;
    TSession& s = Session();
    // Each step on its own: one that fails must not leave the log-on marked running.
    for (const std::function<void()>& step : std::initializer_list<std::function<void()>> {
             [] {
                 if (Session().firstLogOn) {
                     Session().firstLogOn = false;
                     if (Features().SignOn.StartUpdateCheck)
                         Features().SignOn.StartUpdateCheck();
                 }
             },
             ConnectDirectBuddies, [thread] { ApplyBuddyLookup(thread->Asked, thread->Found); } }) {
        try {
            step();
        } catch (const std::exception&) {
            // A failed step costs only itself.
        }
    }
    CallFeature(Features().SignOn.StartNivletRead);
    s.logOnRunning = false;
    if (Form1)
        Form1->UpdateStatusBar();
    if (thread->Reply == "nil")
        Application::MessageBox("\rUnable to login to messaging service, your password may be incorrect.",
                                Application::Title(), MB_OK | MB_ICONERROR);
}

class TRefreshILS final : public TThread {
public:
    explicit TRefreshILS(std::string url)
        : TThread(true)
        , m_url(std::move(url))
    {
        FreeOnTerminate = true;
    }

protected:
    // The reply is not read.
    void Execute() override { FetchReply(m_url, "refresh.htm", m_limits); }

private:
    const std::string m_url;
    const DownloadLimits m_limits;
};

class TNavigate final : public TThread {
public:
    explicit TNavigate(std::string url)
        : TThread(true)
        , m_url(std::move(url))
    {
        FreeOnTerminate = true;
    }

protected:
    void Execute() override
    {
        ShellOpen(m_url);
        --g_urlThreads;
    }

private:
    const std::string m_url;
};

}  // namespace

std::string GreetingForHour(int hour)
{
    if (hour < 12)
        return "GOOD MORNING";
    if (hour < 17)
        return "GOOD AFTERNOON";
    if (hour < 19)
        return "GOOD EVENING";
    return "GOOD NIGHT";
}

void LoginToService(const std::string& buddyName)
{
    TSession& s = Session();
    if (!s.online)
        return;
    if (Trim(s.userId).empty() || Trim(s.scrambledPassword).empty()) {
        Application::MessageBox("\rUnable to login your username or password missing", Application::Title(),
                                MB_OK | MB_ICONERROR);
        return;
    }
    if (s.logOnRunning)
        return;
    s.logOnRunning = true;
    auto* thread = new TRegisterUserThread1(buddyName, g_logOnSession.load());
    thread->OnTerminate = LogOnFinished;
    thread->Start();
}

std::vector<std::string> LookupNames(const std::string& buddyName)
{
    if (!HasBuddies())
        return {};
    if (!buddyName.empty())
        return { buddyName };
    std::vector<std::string> names;
    ForEachBuddy([&](const Tbuddy& buddy) {
        if (!(buddy.Online || buddy.Connecting || buddy.Blocked || !Trim(buddy.DirectConnect).empty()))
            names.push_back(buddy.Name);
    });
    return names;
}

std::string LookupQuery(const std::string& buddyName)
{
    std::string query;
    for (const std::string& name : LookupNames(buddyName))
        query += (query.empty() ? "buddy=" : "&buddy=") + Value(name);
    return query;
}

void ApplyBuddyLookup(const std::vector<BuddyLookupEntry>& entries)
{
    for (const BuddyLookupEntry& entry : entries)
        BuddyLookedUp(entry.name, entry.address);
}

void ApplyBuddyLookup(const std::vector<std::string>& asked, const std::vector<BuddyLookupEntry>& entries)
{
    for (const std::string& name : asked)
        if (std::none_of(entries.begin(), entries.end(), [&](const BuddyLookupEntry& entry) { return SameText(entry.name, name); }))
            BuddyNotFound(name);
    ApplyBuddyLookup(entries);
}

void AbandonLogOn()
{
    ++g_logOnSession;
    Session().logOnRunning = false;
    Session().logOnInProgress = false;
}

void StartRefreshILS()
{
    const TSession& s = Session();
    auto* thread = new TRefreshILS("http://" + s.ilsServer + "/refresh.asp?Login=" + Value(s.userId) +
                                   "&IPAddress=" + Value(s.localAddress) + "&publickey=" + Value(s.userPublicKey));
    thread->Start();
}

void NavigateTo(const std::string& url)
{
    // Links come from pages, peers and files: only a web address reaches the desktop's opener.
    if (!IsWebLink(url))
        return;
    // Counted before the thread starts, so a burst of calls cannot outrun the limit.
    if (g_urlThreads.load() >= kMaxUrlThreads)
        return;
    ++g_urlThreads;
    auto* thread = new TNavigate(url);
    thread->Start();
}

int RunningUrlThreads() { return g_urlThreads.load(); }
