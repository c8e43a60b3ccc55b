#include "client/core/adindex.h"
#include "client/core/download.h"
#include "client/core/features.h"
#include "client/core/servicelogon.h"
#include "client/core/sessionchain.h"

#include "client/core/buddyhint.h"
#include "client/core/buddytoast.h"
#include "client/core/connectionmonitor.h"
#include "client/core/helpers.h"
#include "client/core/mainbar.h"
#include "client/core/peerconnections.h"
#include "client/core/peerguard.h"
#include "client/core/peerlists.h"
#include "client/core/pluginmenu.h"
#include "client/core/session.h"
#include "client/core/settings.h"
#include "client/core/signon.h"
#include "platform/rtl/eventloop.h"
#include "platform/rtl/inifile.h"

#include <QLineEdit>
#include <QTimer>

#include <exception>

void ShowSignOn()
{
    if (Signon()) {
        Signon()->Activate();
        return;
    }
    auto* signon = new TSignon;
    signon->OnSignOn = OpenSession;
    signon->LoadSplashAd();
    signon->LoadUserList();
    signon->SetCaption(kSignOnTitle);
    signon->Show();
}

void OpenSession()
{
    CreateSessionWindows();
    LoadAwayPresets();
    StartLocalServers();
    ClearSessionFlags();
    LoadSessionSettings();
    LoadMenusAndAds();
    LoadBuddies();
    LoadGuideNotesRemindersNews();
    StartOneSecondTimer();
    StartNewsTicker();
    ConnectToService();
    ShowMainBar();
    RunDueRemindersAtSignOn();
}

void CreateSessionWindows()
{
    // The bar makes its toast and away hint itself and frees itself when closed.
    auto* bar = new TForm1();
    bar->OnSignOff = SignOffSession;
    bar->OnClosed = MainBarClosed;
    if (Features().SignOn.CreateGuide)
        Features().SignOn.CreateGuide();
}

void LoadAwayPresets()
{
    CallFeature(Features().SignOn.LoadAwayPresets);
}

void StartLocalServers() { StartPeerNetwork(); }

void ClearSessionFlags()
{
    Session().away = false;
    Session().logOnRunning = false;
    if (Form1) {
        Form1->ClearFilter();
        Form1->ClearBuddies();
    }
}

void LoadSessionSettings()
{
    ResetSession();
    if (Form1) {
        const TSession& s = Session();
        DockMainBar(Screen::Width(), Screen::Height(), Form1->Width(), Form1->Height());
        Form1->PlaceBar(s.dockedLeft, s.barTop, s.barHeight);
        Form1->frCanvas1->setCursor(Qt::PointingHandCursor);
    }
    LoadSettings();
    if (Form1)
        Form1->ShowPartner();
}

void LoadMenusAndAds()
{
    LoadPluginMenu();
    LoadAdIndex();
}

void LoadBuddies()
{
    LoadBuddyFiles(true);
    if (Form1)
        Form1->PaintBuddyList();
}

void LoadGuideNotesRemindersNews()
{
    if (Features().SignOn.LoadGuide)
        Features().SignOn.LoadGuide();
    CallFeature(Features().SignOn.LoadNivlets);
    CallFeature(Features().SignOn.LoadReminders);
    if (Features().SignOn.FillNewsTree)
        Features().SignOn.FillNewsTree();
}

void StartOneSecondTimer()
{
    if (Form1)
        Form1->SetTimerRunning(true);
}

void StartNewsTicker()
{
    if (Features().SignOn.StartTicker)
        Features().SignOn.StartTicker();
}

void ConnectToService()
{
    ConnectDirectBuddies();
    ConnectionTick();
}

void ShowMainBar()
{
    if (Form1)
        Form1->Show();
}

void RunDueRemindersAtSignOn() { CallFeature(Features().Tick.RunDueReminders); }

void SignOffSession()
{
    // A step that fails (a settings file that cannot be written) must not leave the
    // session half closed: every step runs, and the first failure is told at the end.
    std::exception_ptr failure;
    for (void (*step)() : { StopOneSecondTimer, CloseAwayWindowAndTicker, FreeBuddies, WaitForSessionThreads,
                            CloseSessionWindows, SaveSettings, FreeSessionLists, CloseMainBar }) {
        try {
            step();
        } catch (const std::exception&) {
            if (!failure)
                failure = std::current_exception();
        }
    }
    if (!failure)
        return;
    try {
        std::rethrow_exception(failure);
    } catch (const EIniFileException& error) {
        ReportWriteFailure(error);
    } catch (const std::exception& error) {
        Application::HandleException(error);
    }
}

void StopOneSecondTimer()
{
    if (Form1)
        Form1->SetTimerRunning(false);
}

void CloseAwayWindowAndTicker()
{
    // The away window goes with the session's notes, note threads and reminders.
    CallFeature(Features().SignOff.CloseNotes);
    if (Features().SignOff.FreeTicker)
        Features().SignOff.FreeTicker();
}

void FreeBuddies()
{
    if (Form1)
        Form1->ClearBuddies();
}

void WaitForSessionThreads()
{
    // No page of this session is worth waiting for: every download under way ends now.
    CancelDownloads();
    // A log-on thread is never waited for: it may be stalled on the network, and
    // whatever it would still do to this session is dropped.
    AbandonLogOn();
    // A news fetch is cut short rather than waited out: its download may be stalled.
    if (Features().SignOff.StopNewsThread)
        Features().SignOff.StopNewsThread();
    // Nor is a mail check: it is cancelled, ends on its own and reports nothing.
    if (MailCheckCanceller())
        MailCheckCanceller()();
}

void CloseSessionWindows()
{
    if (AwayMessageHint)
        AwayMessageHint->Free();
    if (Features().SignOff.FreeGuide)
        Features().SignOff.FreeGuide();
    if (Form13)
        Form13->Hide();
}

void FreeSessionLists()
{
    // Prompts first: they close while the lists they clear up still stand.
    PeerGuard().Clear();
    PeerLists().Clear();
    StopPeerNetwork();
    FreeAdIndex();
}

void CloseMainBar()
{
    if (Form1)
        Form1->CloseForSignOff();
}

void MainBarClosed()
{
    ShowSignOn();
    PlayAppSound(6, false);
}
