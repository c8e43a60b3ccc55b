#include "client/core/quicktips.h"

#include "client/core/features.h"
#include "client/core/helpers.h"
#include "client/core/session.h"
#include "platform/rtl/inifile.h"

#include <exception>

namespace {

// The note window's kind for a quick tip.
constexpr int kQuickTipKind = 1;

}  // namespace

void ShowQuickTip(const std::string& name)
{
    TSession& session = Session();
    if (name == session.lastQuickTip)
        return;
    session.lastQuickTip = name;

    TIniFile channels(AppPath() + "Channels.ini");
    const bool first = channels.ReadBool("Settings", "firsttimer", true);
    const bool skip = !name.empty() && channels.ReadBool("repeat", name, false);
    try {
        channels.WriteInteger("Settings", "firsttimer", 0);
    } catch (const std::exception& error) {
        ReportWriteFailure(error);
    }

    std::string tipName = name;
    std::string text;
    const std::string sender = "Korvo";
    if (!name.empty())
        text = TIniFile(AppPath() + "hints.txt").ReadString("tips", name, "");
    if (first) {
        tipName = kWelcomeTip;
        text = "Welcome!  This is your first Nivlet!  You can send Nivlets instantly to your Korvo buddies whether they "
               "are online or offline. Simply right-click on the Buddy's name, then select SEND NIVLET!";
    }
    if (text.empty() || skip)
        return;
    CallFeature(Features().Command.ShowNoteWindow, sender, tipName, text, kQuickTipKind);
}
