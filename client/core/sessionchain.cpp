#include "client/core/sessionchain.h"

#include "client/core/helpers.h"
#include "client/core/session.h"
#include "client/core/settings.h"
#include "client/core/signon.h"

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
    // TODO: TForm1, then TForm5, TForm13, TAwayMessageHint and TAwayMessageFrm owned by it
}

void LoadAwayPresets()
{
    // TODO: TAwayMessageFrm.LoadPresets
}

void StartLocalServers()
{
    // TODO: TForm1.StartLocalServers
}

void ClearSessionFlags()
{
    Session().away = false;
    Session().logOnRunning = false;
    // TODO: TForm1 search box and buddy list cleared, off-screen buddy image made
}

void LoadSessionSettings()
{
    ResetSession();
    LoadSettings();
}

void LoadMenusAndAds()
{
    // TODO: LoadPluginMenu
    // TODO: LoadAdIndex
}

void LoadBuddies()
{
    // TODO: LoadBuddyFiles (with reset), then TForm1.PaintBuddyList
}

void LoadGuideNotesRemindersNews()
{
    // TODO: TForm5.LoadCategories
    // TODO: LoadNivlets
    // TODO: LoadReminders
    // TODO: FillNewsTree
}

void StartOneSecondTimer()
{
    // TODO: TForm1 one-second timer enabled
}

void StartNewsTicker()
{
    // TODO: news ticker created and filled
}

void ConnectToService()
{
    // TODO: ConnectDirectBuddies
    // TODO: ConnectionTick
}

void ShowMainBar()
{
    // TODO: TForm1.Show
}

void RunDueRemindersAtSignOn()
{
    // TODO: RunDueReminders
}

void SignOffSession()
{
    StopOneSecondTimer();
    CloseAwayWindowAndTicker();
    FreeBuddies();
    WaitForSessionThreads();
    CloseSessionWindows();
    SaveSettings();
    FreeSessionLists();
    CloseMainBar();
}

void StopOneSecondTimer()
{
    // TODO: TForm1 one-second timer stopped
}

void CloseAwayWindowAndTicker()
{
    // TODO: TAwayMessageFrm closed and freed, news ticker freed
}

void FreeBuddies()
{
    // TODO: every Tbuddy of the buddy list freed
}

void WaitForSessionThreads()
{
    // TODO: news thread, registering log-on thread and mail-check thread waited for
}

void CloseSessionWindows()
{
    // TODO: TAwayMessageHint and TForm5 closed and freed, TForm13 closed
}

void FreeSessionLists()
{
    // TODO: pending requests, peer and plug-in sockets, chat windows, reminders, Nivlets and ad lists freed
}

void CloseMainBar()
{
    // TODO: TForm1.Close (its FormClose calls MainBarClosed)
}

void MainBarClosed()
{
    ShowSignOn();
    PlayAppSound(6, false);
}
