#include "client/core/download.h"
#include "client/core/features.h"
#include "client/core/installation.h"
#include "client/core/mainbar.h"
#include "client/core/ownerform.h"
#include "client/core/peercallrecord.h"
#include "client/core/startup.h"
#include "client/features/about.h"
#include "client/features/addchannel.h"
#include "client/features/ambro.h"
#include "client/features/channelguide.h"
#include "client/features/kestrowthread.h"
#include "client/features/mailcheck.h"
#include "client/features/newbuddyform.h"
#include "client/features/newsbar.h"
#include "client/features/notefeatures.h"
#include "client/features/peerwindows.h"
#include "client/features/searchform.h"
#include "client/features/setup.h"
#include "kit/qorapplication.h"
#include "platform/rtl/thread.h"
#include "platform/ui/applicationforms.h"
#include "platform/ui/automation.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/form.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // A second copy must not take over the first one's automation socket.
    if (!ActOnStartDecision(CheckOtherInstances()))
        return 0;
    // What buddies' frames asked of windows not made here, for scripted runs only.
    static TPeerCallRecord peerCalls;
    if (automation::StartForThisProgram("larkspire")) {
        peerCalls.Install();
        automation::AddCommand("peerhooks", [] {
            return std::vector<std::string>(peerCalls.Calls().begin(), peerCalls.Calls().end());
        });
    }

    Application::SetTitle(ApplicationTitle());
    ui::InstallExceptionHandler();
    // The program keeps running with only its tray icon when no window is left.
    QApplication::setQuitOnLastWindowClosed(false);
    QORInitialize();
    LayDownInstallation();
    MailCheckStarter() = StartMailCheck;
    MailCheckCanceller() = CancelMailCheck;
    InstallPeerWindows();
    Features().Command.ShowSetup = ShowSetup;
    Features().Command.ShowBuddyDialog = ShowBuddyDialog;
    Features().Command.ShowAbout = ShowAbout;
    Features().SignOn.StartUpdateCheck = StartKestrowThread;
    InstallNoteFeatures();
    Features().Command.StartAmbro = StartAmbro;
    Features().Command.StartSearchBar = StartSearchBar;
    Features().Command.SearchWeb = SearchWeb;
    Features().Command.OpenChannel = OpenChannel;
    Features().Command.AddPageAsChannel = AddPageAsChannel;
    Features().Command.AddDroppedShortcut = AddDroppedShortcut;
    Features().Command.ToggleGuide = ToggleChannelGuide;
    Features().Command.CloseUnlockedGuide = CloseUnlockedChannelGuide;
    Features().Command.CloseGuide = CloseChannelGuide;
    Features().SignOn.CreateGuide = CreateChannelGuide;
    Features().SignOn.LoadGuide = LoadChannelGuide;
    Features().SignOff.FreeGuide = FreeChannelGuide;
    InstallNewsFeature();
    int result = 0;
    try {
        TForm10 owner;
        if (std::getenv("KORVO_STARTUP_MARKER"))
            std::fprintf(stderr, "[larkspire] sign-on shown\n");
        result = Application::Run();
    } catch (const std::exception& error) {
        // Whatever stops the start ends the program with its reason, never with an abort.
        Application::MessageBox(std::string("\r") + error.what(), Application::Title(), MB_OK | MB_ICONERROR);
        result = 1;
    }
    // Whatever a server does, no download holds the end of the program.
    EndDownloads();
    // The session's windows (bar, toast, away hint, sign-on) go with the application.
    Application::FreeForms();
    TThread::FreeAbandoned();
    QORFinalize();
    return result;
}
