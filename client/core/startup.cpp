#include "client/core/startup.h"

#include "client/core/signon.h"
#include "platform/rtl/codepage.h"
#include "platform/ui/dialogs.h"
#include "platform/win/windowlist.h"

std::string UpdaterTitle() { return Ansi("Kestrow®"); }
std::string MainBarTitle() { return Ansi("KORVO®"); }
std::string ApplicationTitle() { return Ansi("LARKSPIRE®"); }

StartDecision CheckOtherInstances()
{
    if (windowlist::TitleExists(UpdaterTitle()))
        return StartDecision::UpdateInProgress;
    if (windowlist::TitleExists(kSignOnTitle))
        return StartDecision::SignOnShown;
    if (windowlist::TitleExists(MainBarTitle()))
        return StartDecision::AlreadyRunning;
    return StartDecision::Start;
}

bool ActOnStartDecision(StartDecision decision)
{
    switch (decision) {
    case StartDecision::Start:
        return true;
    case StartDecision::UpdateInProgress:
        Application::MessageBox(Ansi("\rKORVO update is in progress, cannot start KORVO®."), Application::Title(),
                                MB_OK | MB_ICONWARNING);
        return false;
    case StartDecision::SignOnShown:
        windowlist::BringToFront(kSignOnTitle);
        return false;
    case StartDecision::AlreadyRunning:
        Application::MessageBox("\rKORVO is already running. Click the remote icon located on your taskbar.",
                                Application::Title(), MB_OK | MB_ICONINFORMATION);
        return false;
    }
    return false;
}
