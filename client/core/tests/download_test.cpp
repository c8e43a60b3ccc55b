#include "client/core/download.h"

#include "platform/testing/loopback.h"
#include "platform/testing/scratch.h"
#include "platform/testing/serviceprocess.h"

#include <gtest/gtest.h>

#include <memory>
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

TEST(DownloadNowhere, AnUnreachableServerIsAnIncompleteTransfer)
{
    ScratchDirs dirs;
    EXPECT_FALSE(DownloadToFile("http://" + LoopbackHost(9) + ":9/x.htm", dirs.appDir() + "/x.htm", DownloadLimits {}).complete);
}

}  // namespace
