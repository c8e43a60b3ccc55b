#include "client/core/onesecondtimer.h"

#include "client/core/connectionmonitor.h"
#include "client/core/features.h"
#include "client/core/mainbar.h"
#include "client/core/peersend.h"
#include "client/core/servicelogon.h"
#include "client/core/session.h"
#include "platform/rtl/dates.h"
#include "platform/ui/form.h"
#include "platform/win/ras.h"

#include <QLabel>

#include <algorithm>
#include <vector>

namespace {

constexpr int kSnapshotRecords = 16;
constexpr DWORD kErrorInvalidHandle = 6;
constexpr DWORD kErrorInvalidPort = 601;

struct DialUpRecord {
    ras::HRASCONN handle { 0 };
    long state { -1 };
};

std::vector<DialUpRecord>& Snapshot()
{
    static std::vector<DialUpRecord> snapshot;
    return snapshot;
}

std::vector<DialUpRecord> EnumDialUpConnections()
{
    std::vector<ras::RASCONN> buffer(kSnapshotRecords);
    DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(ras::RASCONN));
    DWORD count = 0;
    DWORD result = ras::RasEnumConnections(buffer.data(), &bytes, &count);
    if (result == ras::ERROR_BUFFER_TOO_SMALL) {
        buffer.resize(std::max<std::size_t>(bytes / sizeof(ras::RASCONN), 1));
        bytes = static_cast<DWORD>(buffer.size() * sizeof(ras::RASCONN));
        result = ras::RasEnumConnections(buffer.data(), &bytes, &count);
    }
    std::vector<DialUpRecord> records;
    if (result != 0)
        return records;
    count = std::min<DWORD>(count, static_cast<DWORD>(buffer.size()));
    for (DWORD i = 0; i < count; ++i) {
        ras::RASCONNSTATUS status;
        if (ras::RasGetConnectStatus(buffer[i].hrasconn, &status) != 0)
            break;
        records.push_back({ buffer[i].hrasconn, static_cast<long>(status.rasconnstate) });
    }
    return records;
}

void UpdateClock(const QDateTime& now)
{
    if (Form1)
        Form1->ShowTime(ClockText(now));
}

// Connections that came up call ConnectionTick, ones that went down GoOffline.
void CheckDialUp()
{
    constexpr long connected = ras::RASCS_Connected;
    std::vector<DialUpRecord>& old = Snapshot();
    for (DialUpRecord& record : old) {
        ras::RASCONNSTATUS status;
        const DWORD result = ras::RasGetConnectStatus(record.handle, &status);
        if (result == kErrorInvalidHandle || result == kErrorInvalidPort) {
            const bool wentOffline = record.state == connected;
            record = { static_cast<ras::HRASCONN>(-1), -1 };
            if (wentOffline)
                GoOffline();
        } else if (result == 0) {
            const long state = static_cast<long>(status.rasconnstate);
            if (record.state == connected && state != connected)
                GoOffline();
            else if (record.state != connected && state == connected)
                ConnectionTick();
        }
    }
    std::vector<DialUpRecord> fresh = EnumDialUpConnections();
    for (const DialUpRecord& record : fresh) {
        const bool known = std::any_of(old.begin(), old.end(), [&](const DialUpRecord& o) { return o.handle == record.handle; });
        if (record.state == connected && !known)
            ConnectionTick();
    }
    Snapshot() = std::move(fresh);
}

void CountDownKeepAlives()
{
    if (!Form1)
        return;
    // Marking a buddy offline repaints the list; walk by name so the walk survives it.
    std::vector<std::string> expired;
    ForEachBuddy([&](Tbuddy& buddy) {
        if ((buddy.Online || buddy.Connecting) && buddy.KeepAlive-- == 1)
            expired.push_back(buddy.Name);
    });
    for (const std::string& name : expired) {
        const Tbuddy* buddy = Form1 ? Form1->FindBuddy(name) : nullptr;
        if (buddy)
            MarkBuddyOffline(name, buddy->Socket);
    }
}

void CountMail(TSession& s)
{
    if (!s.autoMailCheck)
        return;
    if (++s.mailSeconds <= static_cast<std::uint32_t>(s.mailCheckInterval) * 60)
        return;
    s.mailSeconds = 0;
    if (MailCheckStarter())
        MailCheckStarter()(false);
}

void Ping(TSession& s)
{
    if (++s.pingSeconds <= 60)
        return;
    s.pingSeconds = 0;
    SendBuddyCommand("ping", "");
    CallFeature(Features().Tick.RunDueReminders);
}

void Refresh(TSession& s)
{
    if (++s.refreshSeconds <= static_cast<std::uint32_t>(s.keepAliveInterval) * 60)
        return;
    s.refreshSeconds = 0;
    if (s.online && s.loggedOn)
        StartRefreshILS();
}

void RelogOn(TSession& s)
{
    if (++s.relogOnSeconds <= static_cast<unsigned>(s.hintInterval) * 60)
        return;
    s.relogOnSeconds = 0;
    if (s.periodicLogOn)
        LoginToService("");
}

void Redock()
{
    if (Form1 && !Form1->Tucked() && Form1->Left() > Session().dockedLeft)
        Form1->Tuck();
}

}  // namespace

int InternetBeats(int hour, int minute, int second, int utcOffsetSeconds)
{
    // Beats count from midnight in UTC+1; bias is minutes west of UTC.
    const long long bias = -utcOffsetSeconds / 60;
    const long long ms = (hour * 3600LL + (minute + bias + 60) * 60 + second) * 1000;
    long long beats = ms * 1000 / 86400000;
    if (ms * 1000 % 86400000 != 0 && ms < 0)
        --beats;
    if (beats >= 1000)
        beats -= 1000;
    if (beats < 0)
        beats += 1000;
    return static_cast<int>(beats);
}

std::string ClockText(const QDateTime& now)
{
    const QDate date = now.date();
    const QTime time = now.time();
    const TDateTime local = EncodeDate(date.year(), date.month(), date.day()) +
                            EncodeTime(time.hour(), time.minute(), time.second(), 0);
    return FormatDateTime("h:mmam/pm", local) + " @" +
           std::to_string(InternetBeats(time.hour(), time.minute(), time.second(), now.offsetFromUtc()));
}

void TakeDialUpSnapshot() { Snapshot() = EnumDialUpConnections(); }

void Timer2Timer(const QDateTime& now)
{
    TSession& s = Session();
    UpdateClock(now);
    if (s.connectionSpeed < 3)
        CheckDialUp();
    CountDownKeepAlives();
    CountMail(s);
    Ping(s);
    Refresh(s);
    RelogOn(s);
    Redock();
    if (Features().Tick.NewsDuty)
        Features().Tick.NewsDuty(now);
}
