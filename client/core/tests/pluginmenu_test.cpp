#include "client/core/pluginmenu.h"

#include "client/core/mainbar.h"
#include "client/core/plugins.h"
#include "client/core/session.h"
#include "platform/rtl/codepage.h"
#include "platform/testing/scratch.h"
#include "platform/win/process.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

class PluginMenu : public ::testing::Test {
protected:
    void SetUp() override
    {
        Session() = TSession();
        Session().userId = "me";
        dirs.write("windows/my friends/me/user.dat", "[user]\r\n");
        bar = std::make_unique<TForm1>();
    }
    void TearDown() override
    {
        process::SetObserver(nullptr);
        bar.reset();
    }
    void Plugin(const std::string& folder, const std::string& inf) const { dirs.write("app/plugins/" + folder + "/plugin.inf", inf); }
    std::vector<std::string> Captions() const
    {
        std::vector<std::string> captions;
        for (QAction* item : bar->PluginsMenu->actions())
            captions.push_back(codepage::FromUnicode(item->text()));
        return captions;
    }
    bool PluginsEnabled() const { return bar->BuddyMenuItem("Pl&ugins")->isEnabled(); }

    ScratchDirs dirs;
    std::unique_ptr<TForm1> bar;
};

}  // namespace

TEST_F(PluginMenu, EachPluginWithACaptionGetsAnItemInCaseBlindFolderOrder)
{
    Plugin("zeta", "[Larkspire.Plugin]\r\ncaption=Zeta\r\n");
    Plugin("Chess", "[Larkspire.Plugin]\r\ncaption=Chess\r\nStartup=chess.exe\r\n");
    Plugin("backgammon", "[Larkspire.Plugin]\r\ncaption=Backgammon\r\n");
    Plugin("nocaption", "[Larkspire.Plugin]\r\nStartup=x.exe\r\n");
    Plugin("empty", "");
    dirs.write("app/plugins/noinf/readme.txt", "x");
    dirs.write("app/plugins/loose.inf", "[Larkspire.Plugin]\r\ncaption=Loose\r\n");
    LoadPluginMenu();
    EXPECT_EQ(Captions(), (std::vector<std::string> { "Backgammon", "Chess", "Zeta" }));
    EXPECT_TRUE(PluginsEnabled());
    EXPECT_EQ(codepage::FromUnicode(bar->PluginsMenu->actions()[1]->toolTip()), dirs.appDir() + "/plugins/Chess/plugin.inf");
}

TEST_F(PluginMenu, NoPluginsFolderLeavesTheMenuDisabled)
{
    LoadPluginMenu();
    EXPECT_TRUE(Captions().empty());
    EXPECT_FALSE(PluginsEnabled());
}

TEST_F(PluginMenu, AFolderLinkedFromOutsideGetsNoItem)
{
    dirs.write("elsewhere/plugin.inf", "[Larkspire.Plugin]\r\ncaption=Outside\r\nStartup=x.exe\r\n");
    dirs.write("app/plugins/.keep", "");
    std::filesystem::create_directory_symlink(dirs.root() + "/elsewhere", dirs.appDir() + "/plugins/linked");
    LoadPluginMenu();
    EXPECT_TRUE(Captions().empty());
    EXPECT_EQ(InstalledPluginFolder("linked"), "");
}

TEST_F(PluginMenu, AnItemStartsItsProgramAsTheHost)
{
    Plugin("chess", "[Larkspire.Plugin]\r\ncaption=Chess\r\nStartup=chess.exe\r\n");
    dirs.write("app/plugins/chess/chess", "#!/bin/sh\n");
    std::filesystem::permissions(dirs.appDir() + "/plugins/chess/chess", std::filesystem::perms::owner_all);
    std::vector<process::Launch> launches;
    process::SetObserver([&](const process::Launch& launch) { launches.push_back(launch); });
    LoadPluginMenu();
    ASSERT_EQ(bar->PluginsMenu->actions().size(), 1);
    bar->PluginsMenu->actions()[0]->trigger();
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].program, dirs.appDir() + "/plugins/chess/chess");
    EXPECT_EQ(launches[0].arguments, (std::vector<std::string> { "/ext", "/s" }));
}

TEST_F(PluginMenu, AStartupNamingAnotherFolderStartsNothing)
{
    Plugin("evil", "[Larkspire.Plugin]\r\ncaption=Evil\r\nStartup=../../bin/sh\r\n");
    std::vector<process::Launch> launches;
    process::SetObserver([&](const process::Launch& launch) { launches.push_back(launch); });
    LoadPluginMenu();
    ASSERT_EQ(bar->PluginsMenu->actions().size(), 1);
    bar->PluginsMenu->actions()[0]->trigger();
    EXPECT_TRUE(launches.empty());
}

TEST(Plugins, APeersNameMeansOnlyOneInstalledFolder)
{
    ScratchDirs dirs;
    dirs.write("app/Plugins/Chess/plugin.inf", "");
    EXPECT_EQ(InstalledPluginFolder("chess\\"), dirs.appDir() + "/Plugins/Chess");
    EXPECT_EQ(InstalledPluginFolder("CHESS"), dirs.appDir() + "/Plugins/Chess");
    for (const std::string name : { "..\\..\\x", "..", ".", "", "chess\\\\", "chess/..", "Plugins", "nothere", "c:" })
        EXPECT_EQ(InstalledPluginFolder(name), "") << name;
}
