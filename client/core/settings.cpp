#include "client/core/settings.h"

#include "client/core/helpers.h"
#include "client/core/mainbargeometry.h"
#include "client/core/newstime.h"
#include "client/core/session.h"
#include "platform/rtl/dates.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"
#include "platform/win/registry.h"

#include <algorithm>

namespace {

constexpr std::size_t kMaxSettingText = 255;
constexpr const char* kShellFolders = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Numbers the session keeps in a byte or a 16-bit word; a value outside the
// range from a hand-edited file is clamped rather than wrapped.
std::uint8_t ByteValue(int value) { return static_cast<std::uint8_t>(std::clamp(value, 0, 255)); }
std::uint16_t WordValue(int value) { return static_cast<std::uint16_t>(std::clamp(value, 0, 65535)); }

std::string Cut(std::string text)
{
    if (text.size() > kMaxSettingText)
        text.resize(kMaxSettingText);
    return text;
}

std::string OrDefault(const std::string& text, const char* fallback)
{
    return Trim(text).empty() ? std::string(fallback) : text;
}

}  // namespace

void LoadSettings()
{
    TSession& s = Session();

    s.defaultHost = TIniFile(AppPath() + kServersIni).ReadString("servers", "0", "");

    TIniFile channels(AppPath() + kChannelsIni);
    const int animSpeed = channels.ReadInteger("Settings", "AnimSpeed", 0);
    s.animSpeed = animSpeed >= 11 ? 9 : ByteValue(animSpeed);
    s.sound = channels.ReadBool("Settings", "Sound", false);
    s.periodicLogOn = channels.ReadBool("Settings", "Hint", false);
    s.pushNewsManual = channels.ReadBool("Push News", "manual", true);
    s.hintInterval = ByteValue(channels.ReadInteger("Settings", "HintInterval", 5));
    s.updateTime = channels.ReadBool("Settings", "UpdateTime", true);
    s.background = channels.ReadBool("Settings", "Background", true);
    s.hideNewsAlerts = channels.ReadBool("Settings", "HideNewsAlerts", true);
    s.quickTips = channels.ReadBool("Settings", "QuickTips", true);
    s.lastNewsUpdate = channels.ReadString("NEWS", "LastUpdated", FormatNewsTime(Now()));
    s.connectionSpeed = ByteValue(channels.ReadInteger("Settings", "ConnectionSpeed", 1));
    s.favoritesFolder = ReadRegString(HKEY_CURRENT_USER, kShellFolders, "Favorites");
    s.programsFolder = ReadRegString(HKEY_CURRENT_USER, kShellFolders, "Programs");
    s.aolConnection = channels.ReadBool("Settings", "AOL", false);

    TIniFile ini(kLarkspireIni);
    s.version = Cut(ini.ReadString("MAIN", "Version", "Unknown"));
    s.userName = ini.ReadString("MAIN", "userName", "Unknown");
    s.userEmail = ini.ReadString("MAIN", "userEmail", "");
    s.awayMessage = Cut(ini.ReadString("MAIN", "AwayMessage", "(no message)"));
    s.userPublicKey = ini.ReadString("MAIN", "userPublicKey", "");
    s.useExistingMail = ini.ReadBool("MAIN", "UseExistingMail", false);
    s.regsServer = ini.ReadString("MAIN", "RegsServer", s.defaultHost);
    s.ilsServer = ini.ReadString("MAIN", "ILS", s.defaultHost);
    s.notesServer = ini.ReadString("MAIN", "NotesServer", s.defaultHost);
    s.mailCheckInterval = WordValue(ini.ReadInteger("Mail", "CheckInterval", 10));
    s.mailClient = OrDefault(Cut(ini.ReadString("Mail", "Mail Client", "")), "Korvo Mail");
    s.autoMailCheck = ini.ReadBool("Mail", "1", false);
    s.addressBook = OrDefault(Cut(ini.ReadString("Mail", "Address Book", "")), "Korvo Address Book");
    s.userPhoneNumber = ini.ReadString("MAIN", "UserPhoneNumber", "");
    s.keepAliveInterval = std::max<std::uint16_t>(WordValue(ini.ReadInteger("MAIN", "KeepAliveInterval", 60)), 10);
    s.partner = ini.ReadString("MAIN", "Partner", "");
}

void SaveSettings()
{
    const TSession& s = Session();
    TIniFile channels(AppPath() + kChannelsIni);
    channels.WriteBool("Settings", "Hint", s.periodicLogOn);
    channels.WriteBool("Settings", "UpdateTime", s.updateTime);
    channels.WriteBool("Settings", "notiftyState", s.notifyState);
}

void DockMainBar(int screenWidth, int screenHeight, int barWidth, int barHeight)
{
    TSession& s = Session();
    s.dockedLeft = mainbar::DockedLeft(screenWidth, barWidth);
    s.barTop = mainbar::DockedTop(screenHeight, barHeight);
    s.barHeight = barHeight;
}

void ResetSession()
{
    TSession& s = Session();
    s.online = false;
    s.loggedOn = false;
    s.logOnRunning = false;
    s.logOnInProgress = false;
    s.localAddress = "127.0.0.1";
    s.lastQuickTip = "nil";
    s.currentBuddy = -1;
    s.lastBuddyIndex = -1;
    s.mailCheckRunning = false;
    s.nivletReadRunning = false;
    s.newsThreadRunning = false;
    s.adRotation = 0;
    s.buddyScroll = 0;
    s.buddyHighlight = 0xFFFF00;
    s.mailSeconds = 0;
    s.pingSeconds = 0;
    s.refreshSeconds = 0;
    s.relogOnSeconds = 0;
}
