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

}  // namespace
