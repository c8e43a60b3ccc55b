#include "client/core/connectionmonitor.h"

#include "client/core/session.h"
#include "platform/testing/loopback.h"
#include "platform/testing/scratch.h"
#include "platform/win/ras.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(ConnectionMonitor, ASimulatedHostIsOnlineAndItsAddressIsWritten)
{
    ScratchDirs dirs;
    setenv("KORVO_LOCAL_ADDRESS", LoopbackHost(7).c_str(), 1);
    Session() = TSession();
    EXPECT_TRUE(CheckConnection());
    EXPECT_TRUE(Session().online);
    EXPECT_EQ(Session().localAddress, LoopbackHost(7));
    EXPECT_NE(dirs.read("windows/larkspire.ini").find("localAddress=" + LoopbackHost(7)), std::string::npos);
    unsetenv("KORVO_LOCAL_ADDRESS");
}

TEST(ConnectionMonitor, OnlyTheLoopbackAddressCountsAsOffline)
{
    ScratchDirs dirs;
    setenv("KORVO_LOCAL_ADDRESS", "127.0.0.1", 1);
    Session() = TSession();
    Session().online = true;
    EXPECT_FALSE(CheckConnection());
    EXPECT_FALSE(Session().online);
    EXPECT_FALSE(dirs.exists("windows/larkspire.ini"));
    unsetenv("KORVO_LOCAL_ADDRESS");
}

TEST(ConnectionMonitor, RasStatesHaveTheirTextsAndErrorsTheirMessages)
{
    EXPECT_EQ(RasStateText(8192, 0), "Connected");
    EXPECT_EQ(RasStateText(0, 0), "Opening port");
    EXPECT_EQ(RasStateText(8193, 0), "Disconnected");
    EXPECT_EQ(RasStateText(22, 0), "");
    const std::string error = RasStateText(8192, 633);
    EXPECT_FALSE(error.empty());
    EXPECT_NE(error, "Connected");
    EXPECT_LE(error.size(), 100u);
}

namespace {

class DialUpConnection : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("KORVO_LOCAL_ADDRESS", LoopbackHost(7).c_str(), 1);
        Session() = TSession();
        ras::SetInterfaceLister([] {
            return std::vector<ras::NetInterface> { { "lo", 1, true, "127.0.0.1", "" },
                                                    { "ppp0", 5, true, "10.64.0.7", "10.64.0.1" },
                                                    { "ppp1", 6, true, "10.65.0.9", "10.65.0.1" } };
        });
    }
    void TearDown() override
    {
        ras::SetInterfaceLister({});
        unsetenv("KORVO_LOCAL_ADDRESS");
    }
    ScratchDirs dirs;
};

}  // namespace

TEST_F(DialUpConnection, TheFirstConnectedDialUpGivesTheAddress)
{
    EXPECT_TRUE(CheckConnection());
    EXPECT_EQ(Session().localAddress, "10.64.0.7");
    EXPECT_NE(dirs.read("windows/larkspire.ini").find("localAddress=10.64.0.7"), std::string::npos);
}

TEST_F(DialUpConnection, WithTheAolSettingTheHostNameGivesTheAddress)
{
    Session().aolConnection = true;
    EXPECT_TRUE(CheckConnection());
    EXPECT_EQ(Session().localAddress, LoopbackHost(7));
}
