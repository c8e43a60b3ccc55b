#include "client/core/download.h"

#include "platform/testing/loopback.h"
#include "platform/rtl/eventloop.h"
#include "platform/testing/scratch.h"
#include "platform/testing/scriptedhttp.h"
#include "platform/testing/serviceprocess.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>
#include <string>

namespace {

class Download : public ::testing::Test {
protected:
    void SetUp() override
    {
        dirs.write("files/page.htm", "\r\n success \r\n");
        service = std::make_unique<ServiceProcess>(std::vector<std::string> {
            "--db", dirs.root() + "/users.db", "--files", dirs.root() + "/files" });
        ASSERT_TRUE(service->started()) << service->error();
    }

    ScratchDirs dirs;
    std::unique_ptr<ServiceProcess> service;
};

TEST_F(Download, ThePageLandsInTheReplyFileByteForByte)
{
    DownloadToFile("http://" + service->hostPort() + "/page.htm", dirs.appDir() + "/reply.htm");
    EXPECT_EQ(dirs.read("app/reply.htm"), "\r\n success \r\n");
}

TEST_F(Download, AnErrorPageIsSavedLikeAnyAnswerAndReplacesTheOldReply)
{
    dirs.write("app/reply.htm", "success\r\n");
    DownloadToFile("http://" + service->hostPort() + "/missing.htm", dirs.appDir() + "/reply.htm");
    EXPECT_EQ(dirs.read("app/reply.htm"), "not found\r\n");
}

TEST(DownloadNowhere, AServerThatCannotBeReachedLeavesAnEmptyFileNotTheOldReply)
{
    ScratchDirs dirs;
    dirs.write("app/reply.htm", "success\r\n");
    DownloadToFile("http://" + LoopbackHost(9) + ":9/login.asp", dirs.appDir() + "/reply.htm", "signup");
    EXPECT_TRUE(dirs.exists("app/reply.htm"));
    EXPECT_EQ(dirs.read("app/reply.htm"), "");
}

TEST_F(Download, APageIsCutAtTheSizeCapAndCountsAsComplete)
{
    dirs.write("files/huge.htm", std::string(3 * 1024 * 1024 + 17, 'a'));
    DownloadLimits limits;
    limits.maxBytes = 1024 * 1024 + 5;
    limits.cutAtMax = true;
    const DownloadResult result = DownloadToFile("http://" + service->hostPort() + "/huge.htm", dirs.appDir() + "/huge.htm", limits);
    EXPECT_TRUE(result.complete);
    EXPECT_EQ(dirs.read("app/huge.htm").size(), 1024u * 1024u + 5u);
}

TEST_F(Download, TheAnswersContentTypeIsReported)
{
    const DownloadResult result = DownloadToFile("http://" + service->hostPort() + "/login.asp", dirs.appDir() + "/r.htm",
                                                 DownloadLimits {});
    EXPECT_TRUE(result.complete);
    EXPECT_EQ(result.contentType, "text/plain; charset=windows-1252");
}

TEST_F(Download, ACancelledTransferFails)
{
    const std::atomic<bool> cancelled { true };
    DownloadLimits limits;
    limits.cancel = &cancelled;
    const DownloadResult result = DownloadToFile("http://" + service->hostPort() + "/page.htm", dirs.appDir() + "/r.htm", limits);
    EXPECT_FALSE(result.complete);
}

TEST(DownloadBounds, AnAnswerOverTheByteLimitIsRefusedWhileItComes)
{
    ScratchDirs dirs;
    ScriptedHttp server({ { "/over", { ScriptedHttp::Huge(kMaxReplyBytes + 1) } },
                          { "/exact", { ScriptedHttp::Huge(kMaxReplyBytes) } },
                          { "/huge", { ScriptedHttp::Huge(256 * 1024 * 1024) } } });
    EXPECT_FALSE(DownloadToFile("http://" + server.hostPort() + "/over", dirs.appDir() + "/r.htm", DownloadLimits {}).complete);
    EXPECT_EQ(dirs.read("app/r.htm"), "");
    EXPECT_TRUE(DownloadToFile("http://" + server.hostPort() + "/exact", dirs.appDir() + "/r.htm", DownloadLimits {}).complete);
    EXPECT_EQ(dirs.read("app/r.htm").size(), static_cast<std::size_t>(kMaxReplyBytes));
    EXPECT_EQ(FetchReply("http://" + server.hostPort() + "/huge", "huge.htm"), "");
    EXPECT_LT(server.requests("/huge").at(0).bodyBytesSent, 256u * 1024u * 1024u);
}

TEST(DownloadBounds, ATricklingServerEndsAtTheTotalLimit)
{
    ScratchDirs dirs;
    ScriptedHttp server({ { "/slow", { ScriptedHttp::Trickle("ab", 10) } } });
    DownloadLimits limits;
    limits.lowSpeedBytesPerSecond = 1;
    limits.totalMs = 500;
    EXPECT_FALSE(DownloadToFile("http://" + server.hostPort() + "/slow", dirs.appDir() + "/r.htm", limits).complete);
    EXPECT_EQ(dirs.read("app/r.htm").substr(0, 2), "ab");
}

TEST(DownloadBounds, ATrickleThatKeepsMovingTakesAsLongAsItNeeds)
{
    // About 250 bytes a second for over a minute, as a picture comes over a slow modem.
    ScratchDirs dirs;
    ScriptedHttp server({ { "/slow", { ScriptedHttp::Trickle("abcdefghij", 3, 21000) } } });
    EXPECT_TRUE(DownloadToFile("http://" + server.hostPort() + "/slow", dirs.appDir() + "/r.htm", DownloadLimits {}).complete);
    EXPECT_EQ(dirs.read("app/r.htm").size(), 21000u);
}

TEST(DownloadBounds, AServerBelowTheLowSpeedLimitFails)
{
    ScratchDirs dirs;
    ScriptedHttp server({ { "/slow", { ScriptedHttp::Trickle("a", 50) } } });
    DownloadLimits limits;
    limits.lowSpeedBytesPerSecond = 1000;
    limits.lowSpeedMs = 1000;
    limits.totalMs = 0;
    EXPECT_FALSE(DownloadToFile("http://" + server.hostPort() + "/slow", dirs.appDir() + "/r.htm", limits).complete);
}

TEST(DownloadBounds, SignOffEndsADownloadUnderWayAndOnesMadeForItsSession)
{
    ScratchDirs dirs;
    ScriptedHttp server({ { "/held", { ScriptedHttp::Stall() } }, { "/page", { ScriptedHttp::Page("x") } } });
    const DownloadLimits earlier;
    std::atomic<bool> ended { false };
    bool complete = true;
    std::thread worker([&] {
        complete = DownloadToFile("http://" + server.hostPort() + "/held", dirs.appDir() + "/r.htm", earlier).complete;
        ended = true;
    });
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return server.requests("/held").size() == 1; }, 10000));
    CancelDownloads();
    EXPECT_TRUE(Application::ProcessMessagesUntil([&] { return ended.load(); }, 10000));
    worker.join();
    EXPECT_FALSE(complete);
    EXPECT_FALSE(DownloadToFile("http://" + server.hostPort() + "/page", dirs.appDir() + "/r.htm", earlier).complete);
    EXPECT_TRUE(server.requests("/page").empty());
    EXPECT_EQ(FetchReply("http://" + server.hostPort() + "/page", "page.htm"), "x");
}

TEST(DownloadBounds, RepliesLeaveNoFileBehind)
{
    ScratchDirs dirs;
    ScriptedHttp server({ { "/login.asp", { ScriptedHttp::Page("success\r\n") } } });
    EXPECT_EQ(FetchReply("http://" + server.hostPort() + "/login.asp?Login=a", "logon.htm"), "success\r\n");
    EXPECT_TRUE(std::filesystem::is_empty(dirs.appDir()));
}

TEST(DownloadBounds, TheEnvironmentCanShortenTheLimits)
{
    EXPECT_EQ(DownloadLimits {}.totalMs, 0u);
    ::setenv("KORVO_DOWNLOAD_TOTAL_MS", "1234", 1);
    ::setenv("KORVO_DOWNLOAD_LOW_SPEED_MS", "x", 1);
    const DownloadLimits limits;
    ::unsetenv("KORVO_DOWNLOAD_TOTAL_MS");
    ::unsetenv("KORVO_DOWNLOAD_LOW_SPEED_MS");
    EXPECT_EQ(limits.totalMs, 1234u);
    EXPECT_EQ(limits.lowSpeedMs, kLowSpeedMs);
    EXPECT_EQ(limits.maxBytes, kMaxReplyBytes);
}

TEST(DownloadNowhere, AnUnreachableServerIsAnIncompleteTransfer)
{
    ScratchDirs dirs;
    EXPECT_FALSE(DownloadToFile("http://" + LoopbackHost(9) + ":9/x.htm", dirs.appDir() + "/x.htm", DownloadLimits {}).complete);
}

}  // namespace
