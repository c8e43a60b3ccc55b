#include "client/core/connectionmonitor.h"

#include "client/core/session.h"
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
    TIniFile("larkspire.ini").WriteString("MAIN", "localAddress", session.localAddress);
    return true;
}
