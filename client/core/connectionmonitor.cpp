#include "client/core/connectionmonitor.h"

#include "client/core/helpers.h"
#include "client/core/session.h"
#include "client/core/settings.h"
#include "platform/rtl/inifile.h"
#include "platform/win/winsock.h"

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
    // TODO: the first dial-up connection's address, unless the AOL setting is on
    session.localAddress = GetLocalAddress();
    if (session.localAddress == "0.0.0.0" || session.localAddress == "127.0.0.1") {
        session.online = false;
        return false;
    }
    session.online = true;
    try {
        TIniFile(kLarkspireIni).WriteString("MAIN", "localAddress", session.localAddress);
    } catch (const EIniFileException& error) {
        // Online all the same; the user hears of the file once.
        ReportWriteFailure(error);
    }
    return true;
}
