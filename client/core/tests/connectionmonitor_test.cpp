#include "client/core/connectionmonitor.h"

#include "client/core/session.h"
#include "platform/testing/loopback.h"
#include "platform/testing/scratch.h"

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
