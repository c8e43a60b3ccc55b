#include "client/core/download.h"
#include "client/core/featurehooks.h"
#include "client/core/featurewindows.h"
#include "client/core/mainbar.h"
#include "client/core/ownerform.h"
#include "client/core/peerhooks.h"
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
    automation::StartForThisProgram("larkspire");
    // What buddies' frames asked of windows not made here, for scripted runs.
    automation::AddCommand("peerhooks", [] {
        return std::vector<std::string>(peerhooks::Calls().begin(), peerhooks::Calls().end());
    });

    Application::SetTitle(ApplicationTitle());
    ui::InstallExceptionHandler();
    // The program keeps running with only its tray icon when no window is left.
    QApplication::setQuitOnLastWindowClosed(false);
    QORInitialize();
    MailCheckStarter() = StartMailCheck;
    MailCheckCanceller() = CancelMailCheck;
    InstallPeerWindows();
    FeatureWindows().ShowSetup = ShowSetup;
    FeatureWindows().ShowBuddyDialog = ShowBuddyDialog;
    FeatureWindows().ShowAbout = ShowAbout;
    FeatureWindows().StartUpdateCheck = StartKestrowThread;
    InstallNoteFeatures();
    FeatureHooks().StartAmbro = StartAmbro;
    FeatureHooks().StartSearchBar = StartSearchBar;
    FeatureHooks().SearchWeb = SearchWeb;
    FeatureHooks().OpenChannel = OpenChannel;
    FeatureHooks().AddPageAsChannel = AddPageAsChannel;
    FeatureHooks().AddDroppedShortcut = AddDroppedShortcut;
    FeatureHooks().ToggleGuide = ToggleChannelGuide;
    FeatureHooks().CloseUnlockedGuide = CloseUnlockedChannelGuide;
    FeatureHooks().CloseGuide = CloseChannelGuide;
    FeatureHooks().CreateGuide = CreateChannelGuide;
    FeatureHooks().LoadGuide = LoadChannelGuide;
    FeatureHooks().FreeGuide = FreeChannelGuide;
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
