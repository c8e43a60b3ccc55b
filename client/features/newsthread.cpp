#include "client/features/newsthread.h"

#include "client/core/download.h"
#include "client/core/helpers.h"
#include "client/core/mainbar.h"
#include "client/core/session.h"
#include "client/core/settings.h"
#include "client/features/newsalert.h"
#include "client/features/newskeywords.h"
#include "platform/rtl/files.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"

namespace {

TNewsThread1* g_thread = nullptr;

void SetChannelCaption(const std::string& text)
{
    TThread::Synchronize([&] { SetChannelLabel(text); });
}

void Finished(TNewsThread1& thread)
{
    g_thread = nullptr;
    Session().newsThreadRunning = false;
    // A run cut short by sign-off leaves the news as it was and tells nothing.
    if (!Form1 || thread.Terminated())
        return;
    if (NewsRunFinished())
        NewsRunFinished()();
    if (thread.Alerts.Count() > 0)
        thread.ShowNewsAlerts();
}

}  // namespace

TNewsThread1::TNewsThread1()
    : TThread(true)
    , m_showAlerts(Session().hideNewsAlerts)
{
}

TNewsThread1::~TNewsThread1()
{
    Cancel();
    if (!Finished())
        WaitFor();
}

void TNewsThread1::Cancel()
{
    m_cancel = true;
    Terminate();
}

void TNewsThread1::LoadNewsKeywords() { ReadNewsKeywords(NewsFile("keywords.txt"), KeywordLines, Keywords); }

bool TNewsThread1::NewsMatchesKeyword(const std::string& headline) const
{
    return HeadlineMatches(headline, Keywords, Seen);
}

void TNewsThread1::ParseNewsPage(const std::string& source, const std::string& contentType)
{
    const TIniFile inf(NewsFile("News.inf"));
    const std::string prefix = inf.ReadString(source, "prefix", "");
    const std::string filter = inf.ReadString(source, "filter", "");
    const std::string page = SafeJoin(AppPath(), source + ".htm");
    if (page.empty() || !FileExists(page))
        return;
    NewsSection section { source, {} };
    ScanNewsPage(page, contentType, prefix, filter, [&](const NewsEntry& entry) {
        section.entries.push_back(entry);
        if (m_showAlerts && Keywords.Count() > 0 && NewsMatchesKeyword(entry.headline)) {
            Alerts.Add(entry.headline + kNewsSeparator + entry.link);
            Seen.Add(entry.headline);
        }
    });
    DeleteFile(page);
    for (NewsSection& known : m_sections) {
        if (SameText(known.name, source)) {
            known = std::move(section);
            return;
        }
    }
    m_sections.push_back(std::move(section));
}

void TNewsThread1::ShowNewsAlerts()
{
    std::vector<std::string> lines;
    for (int i = 0; i < Alerts.Count(); ++i)
        lines.push_back(Alerts[i]);
    ShowNewsAlertWindow(lines);
}

void TNewsThread1::Execute()
{
    try {
        run();
    } catch (...) {
        // A failed run ends quietly; LastUpdated stays old, so a later tick tries again.
    }
}

void TNewsThread1::run()
{
    LoadNewsKeywords();
    ReadSeenNews(NewsFile("oldnews.tmp"), Seen);
    const TIniFile inf(NewsFile("News.inf"));
    TStringList names;
    inf.ReadSections(names);
    DownloadLimits limits;
    limits.maxBytes = MaxPageBytes;
    // A page past the cap is read as far as the cap.
    limits.cutAtMax = true;
    limits.lowSpeedMs = StallMs;
    limits.totalMs = TotalMs;
    limits.cancel = &m_cancel;
    for (int i = 0; i < names.Count() && i < kMaxNewsSources && !Terminated(); ++i) {
        const std::string& source = names[i];
        if (!inf.ReadBool(source, "Get", true))
            continue;
        SetChannelCaption("INCOMING NEWS " + UpperCase(source));
        const std::string src = Trim(inf.ReadString(source, "src", ""));
        const std::string page = SafeJoin(AppPath(), source + ".htm");
        if (src.empty() || page.empty())
            continue;
        const DownloadResult result = DownloadToFile(src, page, limits);
        // A page that failed half-way is not parsed: its source keeps no section.
        if (!result.complete || Terminated()) {
            DeleteFile(page);
            continue;
        }
        ParseNewsPage(source, result.contentType);
    }
    if (Terminated())
        return;
    // Readers see the old headlines or the new ones, never a file half written.
    if (!WriteFileAtomically(NewsFile("News.ini"), NewsIniText(m_sections)))
        return;
    SetChannelCaption("NEWS READY");
    Synchronize([] { FillNewsTree(); });
    const std::string stamp = FormatNewsTime(Now());
    TIniFile channels(AppPath() + kChannelsIni);
    channels.WriteString("NEWS", "LastUpdated", stamp);
    channels.WriteString("NEWS", "NewsUnread", "1");
    Synchronize([&] { Session().lastNewsUpdate = stamp; });
    std::string seen;
    for (int i = 0; i < Seen.Count(); ++i)
        seen += Seen[i] + "\r\n";
    WriteFileAtomically(NewsFile("oldnews.tmp"), seen);
}

bool StartNewsThread()
{
    TSession& s = Session();
    if (s.newsThreadRunning)
        return false;
    s.newsThreadRunning = true;
    auto* thread = new TNewsThread1();
    thread->FreeOnTerminate = true;
    thread->OnTerminate = [](TThread* sender) { Finished(*static_cast<TNewsThread1*>(sender)); };
    g_thread = thread;
    thread->Start();
    return true;
}

bool NewsRunning() { return Session().newsThreadRunning; }

void StopNewsThread()
{
    if (!g_thread)
        return;
    TNewsThread1* thread = g_thread;
    thread->Cancel();
    thread->WaitFor();
}

bool NewsDue(const std::string& lastUpdated, const QDateTime& now)
{
    const QDate date = now.date();
    const QTime time = now.time();
    const TDateTime local = EncodeDate(date.year(), date.month(), date.day())
                            + EncodeTime(time.hour(), time.minute(), time.second(), time.msec());
    return NewsIsStale(lastUpdated, local) || (time.minute() == 0 && time.second() < 3);
}

void NewsTimerDuty(const QDateTime& now)
{
    const TSession& s = Session();
    if (NewsDue(s.lastNewsUpdate, now) && s.pushNewsManual && s.online && !s.newsThreadRunning)
        StartNewsThread();
}

NewsTreeState& NewsTree()
{
    static NewsTreeState state;
    return state;
}

void FillNewsTree()
{
    NewsTreeState& tree = NewsTree();
    tree.sources = NewsSources(false);
    tree.currentSource = tree.sources.empty() ? std::string() : tree.sources.front();
    tree.headlineIndex = 0;
    if (tree.OnFilled)
        tree.OnFilled();
}

std::function<void()>& NewsRunFinished()
{
    static std::function<void()> finished;
    return finished;
}
