#pragma once

#include "platform/win/wintypes.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Remote Access as the connection monitor reads it: the dial-up connections are the
// machine's point-to-point ppp interfaces, in interface order; one with an IPv4
// address is connected, one still without is projecting its network protocols.
namespace ras {

using HRASCONN = std::uintptr_t;

inline constexpr int RAS_MaxEntryName = 256;
inline constexpr int RAS_MaxDeviceType = 16;
inline constexpr int RAS_MaxDeviceName = 128;
inline constexpr int RAS_MaxIpAddress = 15;

struct RASCONN {
    DWORD dwSize { sizeof(RASCONN) };
    HRASCONN hrasconn { 0 };
    char szEntryName[RAS_MaxEntryName + 1] {};
    char szDeviceType[RAS_MaxDeviceType + 1] {};
    char szDeviceName[RAS_MaxDeviceName + 1] {};
};

struct RASCONNSTATUS {
    DWORD dwSize { sizeof(RASCONNSTATUS) };
    DWORD rasconnstate { 0 };
    DWORD dwError { 0 };
    char szDeviceType[RAS_MaxDeviceType + 1] {};
    char szDeviceName[RAS_MaxDeviceName + 1] {};
};

struct RASPPPIP {
    DWORD dwSize { sizeof(RASPPPIP) };
    DWORD dwError { 0 };
    char szIpAddress[RAS_MaxIpAddress + 1] {};
    char szServerIpAddress[RAS_MaxIpAddress + 1] {};
};

// Connection states this layer reports.
inline constexpr DWORD RASCS_AuthProject = 10;
inline constexpr DWORD RASCS_Connected = 0x2000;
inline constexpr DWORD RASCS_Disconnected = 0x2001;

inline constexpr DWORD RASP_PppIp = 0x8021;

inline constexpr DWORD ERROR_BUFFER_TOO_SMALL = 603;
inline constexpr DWORD ERROR_INVALID_SIZE = 632;
inline constexpr DWORD ERROR_PROJECTION_NOT_COMPLETE = 730;

// Fills `connections` (the first's dwSize must be sizeof(RASCONN)); *bytes is its
// size in bytes, *count becomes the number found. ERROR_BUFFER_TOO_SMALL sets
// *bytes to the size needed. Returns 0 or an error code.
DWORD RasEnumConnections(RASCONN* connections, DWORD* bytes, DWORD* count);

// The state of a connection; ERROR_INVALID_HANDLE once it is gone.
DWORD RasGetConnectStatus(HRASCONN connection, RASCONNSTATUS* status);

// The PPP IP projection (RASP_PppIp) of a connected connection: its address and the
// peer's. ERROR_PROJECTION_NOT_COMPLETE while it has no address.
DWORD RasGetProjectionInfo(HRASCONN connection, DWORD projection, void* buffer, DWORD* size);

// The text of a Remote Access error code (600-999) into buffer, at most size - 1
// characters and the NUL; ERROR_INVALID_PARAMETER for other codes,
// ERROR_INSUFFICIENT_BUFFER when the text does not fit.
DWORD RasGetErrorString(DWORD error, char* buffer, DWORD size);

// One network interface as getifaddrs describes it.
struct NetInterface {
    std::string name;
    unsigned index { 0 };
    bool up { false };
    std::string address;  // dotted IPv4, "" when it has none
    std::string peer;  // the other end's address, "" when unknown
};

// Where the interfaces come from: getifaddrs unless a test has put a double in
// place; an empty function restores getifaddrs.
using InterfaceLister = std::function<std::vector<NetInterface>()>;
void SetInterfaceLister(InterfaceLister lister);

}  // namespace ras
