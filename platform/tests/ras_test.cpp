#include "platform/win/ras.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

using namespace ras;

namespace {

class Ras : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetInterfaceLister([this] { return interfaces; });
    }
    void TearDown() override { SetInterfaceLister({}); }

    std::vector<NetInterface> interfaces {
        { "lo", 1, true, "127.0.0.1", "" },
        { "eth0", 2, true, "192.168.1.20", "" },
        { "ppp1", 7, true, "10.64.0.7", "10.64.0.1" },
        { "ppp0", 6, true, "", "" },
    };
};

TEST_F(Ras, DialUpConnectionsAreThePppInterfacesInInterfaceOrder)
{
    RASCONN connections[100];
    DWORD bytes = sizeof connections;
    DWORD count = 0;
    ASSERT_EQ(RasEnumConnections(connections, &bytes, &count), 0u);
    ASSERT_EQ(count, 2u);
    EXPECT_STREQ(connections[0].szEntryName, "ppp0");
    EXPECT_STREQ(connections[1].szEntryName, "ppp1");
    EXPECT_EQ(bytes, 2 * sizeof(RASCONN));
}

TEST_F(Ras, AConnectionWithAnAddressIsConnectedAndProjectsIt)
{
    RASCONN connections[100];
    DWORD bytes = sizeof connections;
    DWORD count = 0;
    ASSERT_EQ(RasEnumConnections(connections, &bytes, &count), 0u);
    RASCONNSTATUS status;
    ASSERT_EQ(RasGetConnectStatus(connections[1].hrasconn, &status), 0u);
    EXPECT_EQ(status.rasconnstate, RASCS_Connected);
    RASPPPIP ip;
    DWORD size = sizeof ip;
    ASSERT_EQ(RasGetProjectionInfo(connections[1].hrasconn, RASP_PppIp, &ip, &size), 0u);
    EXPECT_STREQ(ip.szIpAddress, "10.64.0.7");
    EXPECT_STREQ(ip.szServerIpAddress, "10.64.0.1");
}

TEST_F(Ras, AConnectionWithoutAnAddressIsStillProjecting)
{
    RASCONN connections[100];
    DWORD bytes = sizeof connections;
    DWORD count = 0;
    ASSERT_EQ(RasEnumConnections(connections, &bytes, &count), 0u);
    RASCONNSTATUS status;
    ASSERT_EQ(RasGetConnectStatus(connections[0].hrasconn, &status), 0u);
    EXPECT_EQ(status.rasconnstate, RASCS_AuthProject);
    RASPPPIP ip;
    DWORD size = sizeof ip;
    EXPECT_EQ(RasGetProjectionInfo(connections[0].hrasconn, RASP_PppIp, &ip, &size), ERROR_PROJECTION_NOT_COMPLETE);
}

TEST_F(Ras, AConnectionThatWentAwayHasNoStatus)
{
    RASCONN connections[100];
    DWORD bytes = sizeof connections;
    DWORD count = 0;
    ASSERT_EQ(RasEnumConnections(connections, &bytes, &count), 0u);
    interfaces.pop_back();
    RASCONNSTATUS status;
    EXPECT_EQ(RasGetConnectStatus(connections[0].hrasconn, &status), ERROR_INVALID_HANDLE);
}

TEST_F(Ras, TooSmallABufferSaysTheRoomNeeded)
{
    RASCONN connection;
    DWORD bytes = sizeof connection;
    DWORD count = 0;
    EXPECT_EQ(RasEnumConnections(&connection, &bytes, &count), ERROR_BUFFER_TOO_SMALL);
    EXPECT_EQ(bytes, 2 * sizeof(RASCONN));
    EXPECT_EQ(count, 2u);
}

TEST_F(Ras, ARecordOfAnotherSizeIsRefused)
{
    RASCONN connection;
    connection.dwSize = 412;
    DWORD bytes = sizeof connection;
    DWORD count = 0;
    EXPECT_EQ(RasEnumConnections(&connection, &bytes, &count), ERROR_INVALID_SIZE);
}

TEST(RasSystem, EnumerationFindsExactlyTheMachinesPppInterfaces)
{
    std::size_t ppp = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/sys/class/net", error))
        if (entry.path().filename().string().rfind("ppp", 0) == 0)
            ++ppp;
    RASCONN connections[100];
    DWORD bytes = sizeof connections;
    DWORD count = 0;
    ASSERT_EQ(RasEnumConnections(connections, &bytes, &count), 0u);
    EXPECT_EQ(count, ppp);
}

TEST(RasErrors, EveryRemoteAccessCodeHasATextOfAtMost100Characters)
{
    for (DWORD code = 600; code <= 999; ++code) {
        char text[256];
        ASSERT_EQ(RasGetErrorString(code, text, sizeof text), 0u) << code;
        EXPECT_GT(std::strlen(text), 0u) << code;
        EXPECT_LE(std::strlen(text), 100u) << code;
    }
    char text[256];
    ASSERT_EQ(RasGetErrorString(633, text, sizeof text), 0u);
    EXPECT_STREQ(text, "The modem is already in use or is not set up for dialling out.");
}

TEST(RasErrors, OtherCodesAndSmallBuffersAreRefused)
{
    char text[8];
    EXPECT_EQ(RasGetErrorString(12002, text, sizeof text), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RasGetErrorString(633, text, sizeof text), ERROR_INSUFFICIENT_BUFFER);
}

}  // namespace
