#include "larkspire_process.h"

#include "platform/testing/scratch.h"
#include "platform/testing/scriptedhttp.h"
#include "platform/testing/serviceprocess.h"

#include <QFile>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace {

const std::string kRefused = "Unable to login to messaging service, your password may be incorrect.";

// alice signs on through a scripted server standing before korvo-service, so a
// test decides when each of the service's answers arrives.
struct ServiceDownloads : ::testing::Test {
    ScratchDirs dirs;
    ScratchDirs serviceDirs;
    std::unique_ptr<ServiceProcess> service;
    std::unique_ptr<ScriptedHttp> front;
    std::unique_ptr<LarkspireProcess> larkspire;

    void SetUp() override
    {
        service = std::make_unique<ServiceProcess>(std::vector<std::string> {
            "--db", serviceDirs.root() + "/service.db", "--user", "alice:pw:alice@example.org" });
        ASSERT_TRUE(service->started()) << service->error();
        QFile::copy(QString(KORVO_BIN_DIR) + "/sigonlogo.gif", QString::fromStdString(dirs.appDir() + "/sigonlogo.gif"));
        dirs.write("windows/larkspire.ini", "[MAIN]\r\nuserLoginName=alice\r\nVersion=1.0\r\n");
        dirs.write("windows/my friends/alice/user.dat", "[user]\r\npassword=112-243-\r\nSave=0\r\n");
        dirs.write("windows/my friends/alice/bob.cnt", "[Friend]\r\nUserID=bob\r\n");
    }
    void start(std::map<std::string, std::vector<ScriptedHttp::Script>> scripts)
    {
        for (const char* page : { "/lookup.asp", "/refresh.asp", "/getnotes.asp" })
            scripts.emplace(page, std::vector { ScriptedHttp::Forward(service->hostPort()) });
        front = std::make_unique<ScriptedHttp>(std::move(scripts));
        dirs.write("app/servers.ini", "[servers]\r\n0=" + front->hostPort() + "\r\n");
        larkspire = std::make_unique<LarkspireProcess>(dirs.windowsDir(), dirs.appDir(), dirs.root() + "/l.sock");
    }
    bool waitFor(const std::function<bool()>& state, int timeoutMs = 20000)
    {
        return Application::ProcessMessagesUntil(state, timeoutMs);
    }
    bool shown(const std::string& window)
    {
        return waitFor([&] {
            const std::string reply = larkspire->command("find\t" + window);
            return reply.rfind("ok ", 0) == 0 && reply.find("\t1\t") != std::string::npos;
        });
    }
    std::size_t requests(const std::string& path) { return front->requests(path).size(); }
    ScriptedHttp::State state(const std::string& path, std::size_t index) { return front->requests(path).at(index).state; }
    // Some file of the program folder whose name begins with prefix holds text.
    bool replyHolds(const std::string& prefix, const std::string& text)
    {
        for (const auto& entry : std::filesystem::directory_iterator(dirs.appDir()))
            if (entry.path().filename().string().rfind(prefix, 0) == 0
                && dirs.read("app/" + entry.path().filename().string()).find(text) != std::string::npos)
                return true;
        return false;
    }
};

}  // namespace

TEST_F(ServiceDownloads, ALogOnLeftBehindBySignOffNeverAnswersTheNextSession)
{
    ScriptedHttp::Script late = ScriptedHttp::Page("success\r\n");
    late.gateBefore = "late";
    ScriptedHttp::Script refused = ScriptedHttp::Forward(service->hostPort());
    refused.gateAfter = "refused";
    start({ { "/login.asp", { late, refused } } });
    ASSERT_TRUE(larkspire->signOn("pw"));
    ASSERT_TRUE(waitFor([&] { return requests("/login.asp") == 1; }));
    ASSERT_EQ(larkspire->command("click\tForm1\tSpeedButton2"), "ok");
    ASSERT_TRUE(shown("Sign On"));
    ASSERT_TRUE(larkspire->signOn("wrong"));

    // The service's "nil" has come for the new session; the reply stays open.
    ASSERT_TRUE(waitFor([&] { return requests("/login.asp") == 2 && state("/login.asp", 1) == ScriptedHttp::State::Sending; }));
    waitFor([&] { return replyHolds("logon", "nil"); }, 10000);
    // Now the first session's log-on gets its late "success", if anyone still waits for it.
    front->open("late");
    ASSERT_TRUE(waitFor([&] {
        const ScriptedHttp::State first = state("/login.asp", 0);
        return first == ScriptedHttp::State::Answered || first == ScriptedHttp::State::Abandoned;
    }));
    if (state("/login.asp", 0) == ScriptedHttp::State::Answered)
        waitFor([&] { return replyHolds("logon", "success"); }, 10000);
    front->open("refused");

    ASSERT_TRUE(waitFor([&] {
        return larkspire->command("boxes").find(kRefused) != std::string::npos
            || larkspire->command("text\tForm1\tStatusBar1") == "ok alice";
    }));
    EXPECT_NE(larkspire->command("boxes").find(kRefused), std::string::npos);
    EXPECT_EQ(larkspire->command("text\tForm1\tStatusBar1"), "ok no connection");
}

TEST_F(ServiceDownloads, ExitEndsWhileTheUpdateCheckReadsATricklingServer)
{
    // No low-speed limit of its own ends this download within the wait below.
    ::setenv("KORVO_DOWNLOAD_LOW_SPEED_MS", "600000", 1);
    start({ { "/login.asp", { ScriptedHttp::Forward(service->hostPort()) } },
            { "/images/ads.idx", { ScriptedHttp::Trickle("[Index]\r\n; ", 50) } } });
    ::unsetenv("KORVO_DOWNLOAD_LOW_SPEED_MS");
    ASSERT_TRUE(larkspire->signOn("pw"));
    ASSERT_TRUE(waitFor([&] {
        return requests("/images/ads.idx") == 1 && front->requests("/images/ads.idx")[0].bodyBytesSent > 0;
    }));
    ASSERT_EQ(larkspire->command("click\tForm1\tSpeedButton2"), "ok");
    ASSERT_TRUE(shown("Sign On"));
    ASSERT_EQ(larkspire->command("click\tSign On\tSpeedButton2"), "ok");
    // Far below the whole-transfer limit of a download: only its cancelling ends it.
    ASSERT_TRUE(larkspire->waitForEnd(20000));
    EXPECT_EQ(larkspire->exitCode(), 0);
    EXPECT_TRUE(waitFor([&] { return state("/images/ads.idx", 0) == ScriptedHttp::State::Abandoned; }));
}
