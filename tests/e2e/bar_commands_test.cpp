#include "peer_host.h"

#include "platform/testing/scriptedhttp.h"
#include "platform/testing/serviceprocess.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

const char* const kHelpPage = "https://korvo.example/help/";

// "me" signs on through a scripted server standing before korvo-service and
// works from the main bar; what the bar would open in a browser is listed in a file.
struct BarCommands : ::testing::Test {
    ScratchDirs serviceDirs;
    std::unique_ptr<ServiceProcess> service;
    std::unique_ptr<ScriptedHttp> front;
    Host me { "me", 2 };

    void SetUp() override
    {
        service = std::make_unique<ServiceProcess>(
            std::vector<std::string> { "--db", serviceDirs.root() + "/service.db", "--user", "me:pw:me@example.org" });
        ASSERT_TRUE(service->started()) << service->error();
        // Past the first run, so a button's own tip is the one that shows.
        me.dirs.write("app/Channels.ini", "[Push News]\r\nmanual=0\r\n[Settings]\r\nfirsttimer=0\r\n");
        me.dirs.write("app/hints.txt", "[tips]\r\nqtip1007=Chat with the visitors of the site you are on.\r\n");
    }
    // Signs on once the service answers; lookupScripts stand for the service's lookups.
    void signOn(std::vector<ScriptedHttp::Script> lookupScripts = {})
    {
        if (lookupScripts.empty())
            lookupScripts.push_back(ScriptedHttp::Forward(service->hostPort()));
        std::map<std::string, std::vector<ScriptedHttp::Script>> scripts { { "/lookup.asp", lookupScripts } };
        for (const char* page : { "/login.asp", "/refresh.asp", "/getnotes.asp" })
            scripts.emplace(page, std::vector { ScriptedHttp::Forward(service->hostPort()) });
        front = std::make_unique<ScriptedHttp>(std::move(scripts));
        me.dirs.write("app/servers.ini", "[servers]\r\n0=" + front->hostPort() + "\r\n");
        setenv("KORVO_NO_BROWSER", opened().c_str(), 1);
        me.start();
        unsetenv("KORVO_NO_BROWSER");
        ASSERT_TRUE(me.process->signOn());
        // Logged on: nothing of the sign-on's log-on is left to change the status line.
        ASSERT_TRUE(waitFor([&] { return command("text\tForm1\tStatusBar1") == "ok me"; })) << command("text\tForm1\tStatusBar1");
    }
    std::string command(const std::string& line) { return me.process->command(line); }
    bool waitFor(const std::function<bool()>& state, int timeoutMs = 15000)
    {
        return Application::ProcessMessagesUntil(state, timeoutMs);
    }
    // The window is there and shown (or there and hidden).
    bool shown(const std::string& window, bool visible = true)
    {
        return waitFor([&] { return command("find\t" + window).find(visible ? "\t1\t" : "\t0\t") != std::string::npos; });
    }
    std::string opened() const { return me.dirs.root() + "/opened.txt"; }
    int openedCount(const std::string& address) const
    {
        const std::string list = me.dirs.read("opened.txt");
        int count = 0;
        for (std::size_t at = list.find(address + "\r\n"); at != std::string::npos; at = list.find(address + "\r\n", at + 1))
            ++count;
        return count;
    }
};

}  // namespace

TEST_F(BarCommands, HelpButtonMenuAndF1OpenTheHelpPage)
{
    signOn();
    ASSERT_EQ(command("click\tForm1\tSpeedButton4"), "ok");
    EXPECT_TRUE(waitFor([&] { return openedCount(kHelpPage) == 1; })) << me.dirs.read("opened.txt");
    ASSERT_EQ(command("menu\tForm1\tHelp"), "ok");
    EXPECT_TRUE(waitFor([&] { return openedCount(kHelpPage) == 2; })) << me.dirs.read("opened.txt");
    ASSERT_EQ(command("key\tForm1\tfilter\tF1"), "ok");
    EXPECT_TRUE(waitFor([&] { return openedCount(kHelpPage) == 3; })) << me.dirs.read("opened.txt");
}

TEST_F(BarCommands, ConferenceClosesAnUnlockedGuideAndWarnsOfAnOpenConference)
{
    signOn();
    ASSERT_EQ(command("click\tForm1\tSpeedButton9"), "ok");
    ASSERT_TRUE(shown("TForm5"));
    ASSERT_EQ(command("check\tTForm5\tCheckBox1\t1"), "ok");

    // A locked guide stays beside the new conference.
    ASSERT_EQ(command("click\tForm1\tExplorerButton17"), "ok");
    ASSERT_TRUE(shown("Conference* - Korvo"));
    EXPECT_NE(command("find\tTForm5").find("\t1\t"), std::string::npos) << command("find\tTForm5");

    // Unlocked, the guide goes, and the one conference is not opened twice.
    ASSERT_EQ(command("check\tTForm5\tCheckBox1\t0"), "ok");
    ASSERT_EQ(command("clearboxes"), "ok");
    ASSERT_EQ(command("click\tForm1\tExplorerButton17"), "ok");
    EXPECT_TRUE(shown("TForm5", false)) << command("find\tTForm5");
    EXPECT_TRUE(waitFor([&] {
        return command("boxes").find("\\rAn existing conference is open. Please close that conference, then retry.")
            != std::string::npos;
    })) << command("boxes");
    EXPECT_TRUE(shown("Conference* - Korvo"));
}

TEST_F(BarCommands, AmbroShowsItsQuickTip)
{
    signOn();
    ASSERT_EQ(command("click\tForm1\tQORExplorerButton14"), "ok");
    EXPECT_TRUE(waitFor([&] { return command("text\tFrom: Korvo\tMemo1") == "ok Chat with the visitors of the site you are on."; }))
        << command("windows");
}

TEST_F(BarCommands, NewBuddyClosesTheGuideAndSaysOneMomentWhileTheBuddyIsLookedUp)
{
    // The lookup of the new buddy stays unanswered, so the status line keeps what the dialog left.
    signOn({ ScriptedHttp::Stall() });
    ASSERT_EQ(command("click\tForm1\tSpeedButton9"), "ok");
    ASSERT_TRUE(shown("TForm5"));
    ASSERT_EQ(command("menu\tForm1\tNew Buddy..."), "ok");
    ASSERT_TRUE(shown("Add New Properties"));
    EXPECT_TRUE(shown("TForm5", false)) << command("find\tTForm5");
    ASSERT_EQ(command("set\tAdd New Properties\tEdit1\tcarol"), "ok");
    ASSERT_EQ(command("click\tAdd New Properties\tButton1"), "ok");
    ASSERT_TRUE(waitFor([&] { return front->requests("/lookup.asp").size() == 1; }));
    EXPECT_EQ(front->requests("/lookup.asp")[0].target, "/lookup.asp?buddy=carol");
    EXPECT_EQ(command("text\tForm1\tStatusBar1"), "ok One Moment...");
}
