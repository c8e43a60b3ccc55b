#include "client/features/awaymessageform.h"

#include "client/core/features.h"
#include "client/features/tests/notesession.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/inifile.h"

#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

class AwayMessage : public NoteSessionTest {
protected:
    void SetUp() override
    {
        NoteSessionTest::SetUp();
        window = new TAwayMessageFrm();
    }
    void TearDown() override
    {
        if (AwayMessageFrm)
            AwayMessageFrm->Free();
        NoteSessionTest::TearDown();
    }
    std::vector<std::string> captions() const
    {
        std::vector<std::string> result;
        for (QAction* item : window->Presets->actions())
            result.push_back(codepage::FromUnicode(item->text()));
        return result;
    }
    std::string setting(const std::string& key) { return TIniFile("larkspire.ini").ReadString("Main", key, "?"); }

    TAwayMessageFrm* window { nullptr };
};

TEST_F(AwayMessage, ApplyingAnEmptyMemoStoresAndSendsNoMessage)
{
    ScriptedPeer bob = bobOnline();
    Session().away = true;
    window->Memo1->setPlainText("   ");
    window->Button4->click();
    EXPECT_EQ(setting("AwayMessage"), "no message");
    EXPECT_EQ(setting("Away"), "1");
    EXPECT_EQ(bob.readLine(), BuildPeerFrame("away", "alice", "", "no message"));
    EXPECT_TRUE(window->Button5->isEnabled());
    EXPECT_FALSE(window->Button4->isEnabled());
    window->Memo1->setPlainText("edited");
    EXPECT_TRUE(window->Button4->isEnabled());
}

TEST_F(AwayMessage, ADoubleQuoteTravelsAsAnApostrophe)
{
    ScriptedPeer bob = bobOnline();
    Session().away = true;
    window->Memo1->setPlainText("at \"lunch\"");
    window->Button4->click();
    EXPECT_EQ(bob.readLine(), BuildPeerFrame("away", "alice", "", "at 'lunch'"));
}

TEST_F(AwayMessage, ComingBackTellsBuddiesAndReleasesTheButton)
{
    ScriptedPeer bob = bobOnline();
    bar->QORExplorerButton17->click();
    ASSERT_TRUE(Session().away);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(bob.readLine(), BuildPeerFrame("away", "alice", "", "(no message)"));
    window->Button5->click();
    EXPECT_FALSE(Session().away);
    EXPECT_FALSE(bar->QORExplorerButton17->isChecked());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(bob.readLine(), BuildPeerFrame("notaway", "alice", "", ""));
}

TEST_F(AwayMessage, PresetsAreSortedCutAtSixtyAndAppliedWhole)
{
    const std::string eighty(80, 'z');
    dirs.write("app/messages.inf", "Out to lunch\r\n\r\n" + eighty + "\r\nAt a meeting & more\r\n");
    window->LoadPresets();
    EXPECT_EQ(captions(), (std::vector<std::string> { "&Edit Messages...", "&Refresh", "", "At a meeting && more",
                                                      "Out to lunch", std::string(60, 'z') + "..." }));
    Session().away = true;
    window->Presets->actions().back()->trigger();
    EXPECT_EQ(Session().awayMessage, eighty);
    EXPECT_EQ(setting("AwayMessage"), eighty);
}

TEST_F(AwayMessage, RefreshRebuildsWithoutDuplicatingTheFixedItems)
{
    dirs.write("app/messages.inf", "one\r\n");
    window->LoadPresets();
    dirs.write("app/messages.inf", "two\r\nthree\r\n");
    window->Refresh->trigger();
    window->Refresh->trigger();
    EXPECT_EQ(captions(), (std::vector<std::string> { "&Edit Messages...", "&Refresh", "", "three", "two" }));
}

TEST_F(AwayMessage, AHostileMessagesFileGivesABoundedMenu)
{
    std::string lines;
    for (int i = 0; i < 5000; ++i)
        lines += std::string("\x01\x02\xFF", 3) + std::to_string(i) + std::string(200, 'q') + "\r\n";
    dirs.write("app/messages.inf", std::string(100000, 'x') + "\r\n" + lines);
    window->LoadPresets();
    EXPECT_LE(window->Presets->actions().size(), 3 + 100);
    window->Presets->actions().back()->trigger();
    EXPECT_EQ(window->Memo1->toPlainText().size(), 200);
}

TEST_F(AwayMessage, AnEmptyMessagesFileGivesNoPresets)
{
    dirs.write("app/messages.inf", "");
    window->LoadPresets();
    EXPECT_EQ(window->Presets->actions().size(), 3);
}

}  // namespace
