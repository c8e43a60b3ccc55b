#include "platform/win/ras.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <string_view>

namespace ras {

namespace {

std::mutex g_listerMutex;
InterfaceLister g_lister;

std::string Dotted(const sockaddr* address)
{
    if (!address || address->sa_family != AF_INET)
        return "";
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, text, sizeof text);
    return text;
}

std::vector<NetInterface> SystemInterfaces()
{
    std::vector<NetInterface> interfaces;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return interfaces;
    for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        const unsigned index = if_nametoindex(entry->ifa_name);
        auto it = std::find_if(interfaces.begin(), interfaces.end(),
                               [&](const NetInterface& known) { return known.name == entry->ifa_name; });
        if (it == interfaces.end()) {
            interfaces.push_back(NetInterface { entry->ifa_name, index, (entry->ifa_flags & IFF_UP) != 0, "", "" });
            it = interfaces.end() - 1;
        }
        if (it->address.empty() && entry->ifa_addr && entry->ifa_addr->sa_family == AF_INET) {
            it->address = Dotted(entry->ifa_addr);
            if (entry->ifa_flags & IFF_POINTOPOINT)
                it->peer = Dotted(entry->ifa_dstaddr);
        }
    }
    freeifaddrs(list);
    return interfaces;
}

// The dial-up links: ppp interfaces in interface order.
std::vector<NetInterface> DialUpLinks()
{
    std::vector<NetInterface> all;
    {
        std::lock_guard lock(g_listerMutex);
        all = g_lister ? g_lister() : SystemInterfaces();
    }
    std::vector<NetInterface> links;
    for (NetInterface& interface : all)
        if (interface.name.rfind("ppp", 0) == 0 && interface.index != 0)
            links.push_back(std::move(interface));
    std::sort(links.begin(), links.end(),
              [](const NetInterface& a, const NetInterface& b) { return a.index < b.index; });
    return links;
}

std::optional<NetInterface> LinkOf(HRASCONN connection)
{
    for (NetInterface& link : DialUpLinks())
        if (link.index == connection)
            return std::move(link);
    return std::nullopt;
}

template <std::size_t N>
void CopyText(char (&target)[N], std::string_view text)
{
    const std::size_t count = std::min(text.size(), N - 1);
    std::memcpy(target, text.data(), count);
    target[count] = '\0';
}

const std::map<DWORD, const char*>& ErrorTexts()
{
    static const std::map<DWORD, const char*> texts {
        { 600, "An operation is still pending." },
        { 601, "The port handle is not valid." },
        { 602, "The port is already open." },
        { 603, "The buffer given is too small." },
        { 604, "Wrong information was given." },
        { 606, "The port is not connected." },
        { 607, "The event is not valid." },
        { 608, "The device does not exist." },
        { 609, "The device type does not exist." },
        { 610, "The buffer is not valid." },
        { 611, "The route is not available." },
        { 612, "The route is not allocated." },
        { 613, "The compression asked for is not valid." },
        { 615, "The port was not found." },
        { 617, "The port is already disconnecting." },
        { 618, "The port is not open." },
        { 619, "No connection to the remote computer could be made, so the port was closed." },
        { 620, "No endpoints could be found." },
        { 621, "The phone book cannot be opened." },
        { 623, "The phone book entry was not found." },
        { 628, "The connection was closed." },
        { 629, "The remote computer closed the connection." },
        { 630, "The modem was disconnected by a hardware failure." },
        { 631, "The user disconnected the modem." },
        { 632, "The structure size is wrong." },
        { 633, "The modem is already in use or is not set up for dialling out." },
        { 635, "An unknown error occurred." },
        { 637, "The text could not be converted." },
        { 638, "The request timed out." },
        { 645, "An internal authentication error occurred." },
        { 646, "The account may not log on at this time of day." },
        { 647, "The account is disabled." },
        { 648, "The password of the account has expired." },
        { 649, "The account has no permission to dial in." },
        { 651, "The modem reported an error." },
        { 652, "The modem gave an answer that was not understood." },
        { 676, "The line is busy." },
        { 677, "A person answered instead of a modem." },
        { 678, "There was no answer." },
        { 679, "No carrier was detected." },
        { 680, "There was no dial tone." },
        { 691, "The remote computer did not accept the user name or password." },
        { 718, "The remote computer did not answer in time." },
        { 720, "No network protocols are set up for this connection." },
        { 721, "The remote computer did not answer." },
        { 730, "The network protocols have not been set up yet." },
        { 734, "The link control protocol was ended." },
        { 735, "The server refused the address asked for." },
        { 777, "The modem of the remote computer is out of order." },
        { 797, "The modem was not found or is busy." },
    };
    return texts;
}

}  // namespace

DWORD RasEnumConnections(RASCONN* connections, DWORD* bytes, DWORD* count)
{
    if (!connections || !bytes || !count)
        return ERROR_INVALID_PARAMETER;
    if (connections[0].dwSize != sizeof(RASCONN))
        return ERROR_INVALID_SIZE;
    const std::vector<NetInterface> links = DialUpLinks();
    const auto needed = static_cast<DWORD>(links.size() * sizeof(RASCONN));
    if (*bytes < needed) {
        *bytes = needed;
        *count = static_cast<DWORD>(links.size());
        return ERROR_BUFFER_TOO_SMALL;
    }
    for (std::size_t i = 0; i < links.size(); ++i) {
        RASCONN& entry = connections[i];
        entry = RASCONN {};
        entry.hrasconn = links[i].index;
        CopyText(entry.szEntryName, links[i].name);
        CopyText(entry.szDeviceType, "modem");
        CopyText(entry.szDeviceName, links[i].name);
    }
    *bytes = needed;
    *count = static_cast<DWORD>(links.size());
    return 0;
}

DWORD RasGetConnectStatus(HRASCONN connection, RASCONNSTATUS* status)
{
    if (!status)
        return ERROR_INVALID_PARAMETER;
    if (status->dwSize != sizeof(RASCONNSTATUS))
        return ERROR_INVALID_SIZE;
    const auto link = LinkOf(connection);
    if (!link)
        return ERROR_INVALID_HANDLE;
    *status = RASCONNSTATUS {};
    status->rasconnstate = !link->up ? RASCS_Disconnected : link->address.empty() ? RASCS_AuthProject : RASCS_Connected;
    CopyText(status->szDeviceType, "modem");
    CopyText(status->szDeviceName, link->name);
    return 0;
}

DWORD RasGetProjectionInfo(HRASCONN connection, DWORD projection, void* buffer, DWORD* size)
{
    if (projection != RASP_PppIp || !buffer || !size)
        return ERROR_INVALID_PARAMETER;
    if (*size < sizeof(RASPPPIP)) {
        *size = sizeof(RASPPPIP);
        return ERROR_BUFFER_TOO_SMALL;
    }
    auto* ip = static_cast<RASPPPIP*>(buffer);
    if (ip->dwSize != sizeof(RASPPPIP))
        return ERROR_INVALID_SIZE;
    const auto link = LinkOf(connection);
    if (!link)
        return ERROR_INVALID_HANDLE;
    if (!link->up || link->address.empty())
        return ERROR_PROJECTION_NOT_COMPLETE;
    *ip = RASPPPIP {};
    CopyText(ip->szIpAddress, link->address);
    CopyText(ip->szServerIpAddress, link->peer);
    return 0;
}

DWORD RasGetErrorString(DWORD error, char* buffer, DWORD size)
{
    if (!buffer || error < 600 || error > 999)
        return ERROR_INVALID_PARAMETER;
    const auto& texts = ErrorTexts();
    const auto found = texts.find(error);
    const std::string text = found != texts.end() ? found->second
                                                  : "Remote Access error " + std::to_string(error) + ".";
    if (text.size() + 1 > size)
        return ERROR_INSUFFICIENT_BUFFER;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return 0;
}

void SetInterfaceLister(InterfaceLister lister)
{
    std::lock_guard lock(g_listerMutex);
    g_lister = std::move(lister);
}

}  // namespace ras
