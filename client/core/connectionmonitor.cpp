#include "client/core/connectionmonitor.h"

#include "client/core/helpers.h"
#include "client/core/mainbar.h"
#include "client/core/peerconnections.h"
#include "client/core/peerlists.h"
#include "client/core/servicelogon.h"
#include "client/core/session.h"
#include "client/core/settings.h"
#include "client/core/quicktips.h"
#include "platform/rtl/inifile.h"
#include "platform/win/ras.h"
#include "platform/win/winsock.h"

#include <QLineEdit>

#include <array>
#include <cstring>
#include <utility>
#include <vector>

namespace {

constexpr int kMaxDialUpEntries = 100;
constexpr std::size_t kMaxErrorText = 100;

// The address of the first dial-up connection when it is connected, else "".
std::string DialUpAddress()
{
    std::vector<ras::RASCONN> connections(kMaxDialUpEntries);
    DWORD bytes = static_cast<DWORD>(connections.size() * sizeof(ras::RASCONN));
    DWORD count = 0;
    if (ras::RasEnumConnections(connections.data(), &bytes, &count) != 0 || count == 0)
        return {};
    ras::RASCONNSTATUS status;
    if (ras::RasGetConnectStatus(connections[0].hrasconn, &status) != 0)
        return {};
    if (RasStateText(static_cast<long>(status.rasconnstate), static_cast<long>(status.dwError)) != "Connected")
        return {};
    ras::RASPPPIP projection;
    DWORD size = sizeof projection;
    if (ras::RasGetProjectionInfo(connections[0].hrasconn, ras::RASP_PppIp, &projection, &size) != 0)
        return {};
    return std::string(projection.szIpAddress, strnlen(projection.szIpAddress, ras::RAS_MaxIpAddress));
}

void WriteLocalAddress(const std::string& address)
{
    try {
        TIniFile(kLarkspireIni).WriteString("MAIN", "localAddress", address);
    } catch (const EIniFileException& error) {
        // The session goes on all the same; the user hears of the file once.
        ReportWriteFailure(error);
    }
}

}  // namespace

std::string GetLocalAddress()
{
    const std::vector<winsock::u_long> addresses = winsock::LocalAddresses();
    if (addresses.empty())
        return "0.0.0.0";
    winsock::in_addr address {};
    address.s_addr = addresses.front();
    const char* text = winsock::inet_ntoa(address);
    return text ? text : "0.0.0.0";
}

bool CheckConnection()
{
    TSession& session = Session();
    session.localAddress = session.aolConnection ? std::string() : DialUpAddress();
    if (session.localAddress.empty())
        session.localAddress = GetLocalAddress();
    if (session.localAddress == "0.0.0.0" || session.localAddress == "127.0.0.1") {
        session.online = false;
        return false;
    }
    session.online = true;
    WriteLocalAddress(session.localAddress);
    return true;
}

std::string RasStateText(long state, long error)
{
    if (error != 0) {
        std::array<char, kMaxErrorText + 1> text {};
        if (ras::RasGetErrorString(static_cast<DWORD>(error), text.data(), static_cast<DWORD>(text.size())) != 0)
            return {};
        return text.data();
    }
    static const std::pair<long, const char*> kStates[] = {
        { 0, "Opening port" }, { 1, "Port opened" }, { 2, "Connecting device" }, { 3, "Device connected" },
        { 4, "All devices connected" }, { 5, "Start authenticating" }, { 6, "Authentication: notify" },
        { 7, "Authentication: retry" }, { 8, "Authentication: callback" },
        { 9, "Authentication: change password" }, { 10, "Authentication: projecting" },
        { 11, "Authentication: link speed" }, { 12, "Authentication: acknowledge" },
        { 13, "Authentication: reauthenticate" }, { 14, "Authenticated" }, { 15, "Preparing for callback" },
        { 16, "Waiting for modem reset" }, { 17, "Waiting for callback" }, { 18, "Projected" },
        { 19, "Start authentication" }, { 20, "Callback complete" }, { 21, "Logging on network" },
        { 4096, "Interactive" }, { 4097, "Retry Authentication" }, { 4098, "Callback set by caller" },
        { 4099, "Password expired" }, { 8192, "Connected" }, { 8193, "Disconnected" },
    };
    for (const auto& [number, text] : kStates)
        if (number == state)
            return text;
    return {};
}

void ConnectionTick()
{
    CheckConnection();
    const TSession& s = Session();
    if (s.loggedOn || !s.online || s.logOnInProgress)
        return;
    PlayAppSound(5, false);
    LoginToService("");
    ShowQuickTip("");
}

void GoOffline()
{
    TSession& s = Session();
    s.firstLogOn = true;
    s.online = false;
    s.loggedOn = false;
    s.logOnInProgress = false;
    s.localAddress = "127.0.0.1";
    WriteLocalAddress(s.localAddress);
    if (!Form1)
        return;
    std::vector<std::string> names;
    ForEachBuddy([&](const Tbuddy& buddy) {
        if (buddy.Online || buddy.Connecting)
            names.push_back(buddy.Name);
    });
    for (const std::string& name : names) {
        // A call still ringing would otherwise bring the buddy back online.
        if (TPeerNetwork* network = PeerNetwork())
            network->Hangup(name);
        MarkBuddyOffline(name, FindBuddySocket(name));
    }
    if (!Form1)
        return;
    Form1->ClearFilter();
    s.away = false;
    ForgetOnlineSockets();
    for (const std::string& key : PeerLists().ChatKeys())
        PeerLists().RemoveChat(key);
    Form1->UpdateStatusBar();
}
