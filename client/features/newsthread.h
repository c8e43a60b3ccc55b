#pragma once

#include "client/features/newsfiles.h"
#include "platform/rtl/stringlist.h"
#include "platform/rtl/thread.h"

#include <QDateTime>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

// A page is cut off at this size; what came is parsed.
inline constexpr std::int64_t kMaxNewsPageBytes = 16 * 1024 * 1024;
// A source that sends nothing for this long, or takes longer in all, is skipped.
inline constexpr std::uint32_t kNewsStallMs = 30000;
inline constexpr std::uint32_t kNewsTotalMs = 120000;

// The news fetch: one page per source of News.inf, cut into headlines for News.ini,
// with the headlines that hold one of the user's keywords collected as alerts.
class TNewsThread1 final : public TThread {
public:
    TNewsThread1();
    ~TNewsThread1() override;

    // The four lists of a run; kept until the completion handler is done with them.
    TStringList KeywordLines;
    TStringList Keywords;
    TStringList Seen;
    TStringList Alerts;

    void LoadNewsKeywords();
    // Cuts the downloaded page of a source into its section.
    void ParseNewsPage(const std::string& source, const std::string& contentType);
    bool NewsMatchesKeyword(const std::string& headline) const;
    // Opens the alert window with this run's alerts.
    void ShowNewsAlerts();

    // Ends a download under way at once (sign-off).
    void Cancel();
    // Each page's bounds; tests shorten the waits.
    std::int64_t MaxPageBytes { kMaxNewsPageBytes };
    std::uint32_t StallMs { kNewsStallMs };
    std::uint32_t TotalMs { kNewsTotalMs };

    // The sections parsed so far, in source order.
    const std::vector<NewsSection>& Sections() const { return m_sections; }

protected:
    void Execute() override;

private:
    void run();

    bool m_showAlerts { true };
    std::atomic<bool> m_cancel { false };
    std::vector<NewsSection> m_sections;
};


// Starts a fetch unless one runs; the test and the set are one step, so two
// callers can never start two runs. False when one was running.
bool StartNewsThread();
bool NewsRunning();
// Sign-off: ends a running fetch (its download included) and waits for it.
void StopNewsThread();
// The one-second timer's duty: a fetch is due when the news is stale or in the
// first three seconds of an hour; it starts when automatic fetching is on, the
// client is online and none runs.
void NewsTimerDuty(const QDateTime& now);
bool NewsDue(const std::string& lastUpdated, const QDateTime& now);

// The headline sources the guide and the bar's news browsing walk: the sources
// whose Get is on (default off), in file order, and where the bar stands.
struct NewsTreeState {
    std::vector<std::string> sources;
    std::string currentSource;
    int headlineIndex { 0 };
    // Called after each fill, so a shown guide lists the sources anew.
    std::function<void()> OnFilled;
};
NewsTreeState& NewsTree();
void FillNewsTree();

// What happens when a run ends, on the main thread: the ticker is rebuilt
// (the ticker unit sets this) before the alerts show.
std::function<void()>& NewsRunFinished();
