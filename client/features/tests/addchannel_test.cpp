#include "client/features/addchannel.h"
#include "client/features/favourites.h"

#include "client/core/session.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"
#include "platform/testing/scratch.h"
#include "platform/ui/dialogs.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

class AddWizard : public ::testing::Test {
protected:
    void SetUp() override
    {
        Session() = TSession();
        Session().userId = "me";
        Session().favoritesFolder = dirs.root() + "/Fav";
        dirs.write("Fav/Birds/.keep", "");
        dialogs::ClearHistory();
        dialogs::SetResponder([](const dialogs::DialogRequest&) { return IDOK; });
    }
    void TearDown() override { dialogs::SetResponder(nullptr); }
    std::string lastBox() const { return dialogs::History().empty() ? "" : dialogs::History().back().request.text; }

    ScratchDirs dirs;
};

}  // namespace

TEST_F(AddWizard, WithAnAddressItOffersAFavoriteAndWritesItWithItsKeyword)
{
    TNewChannelfrm wizard;
    wizard.Address = "http://birds.org/";
    wizard.Edit1->setText("Birds: the site?");
    wizard.Show();
    EXPECT_EQ(wizard.Title->text(), "Create New");
    EXPECT_FALSE(wizard.BackButton->isEnabled());
    EXPECT_TRUE(wizard.RadioButton1->isEnabled());
    EXPECT_TRUE(wizard.RadioButton1->isChecked());
    EXPECT_EQ(wizard.Edit1->text(), "Birds- the site-");
    wizard.NextClick();
    EXPECT_EQ(wizard.Title->text(), "New Favorite");
    EXPECT_EQ(wizard.NextButton->text(), "&Finish");
    EXPECT_TRUE(wizard.BackButton->isEnabled());
    wizard.Edit2->setText("birds");
    wizard.FinishClick();
    const std::string path = dirs.root() + "/Fav/Birds- the site-.URL";
    EXPECT_EQ(TIniFile(path).ReadString("InternetShortcut", "URL", ""), "http://birds.org/");
    EXPECT_EQ(TIniFile(dirs.appDir() + "/Channels.ini").ReadString("Channels", "birds", ""), path);
}

TEST_F(AddWizard, AKeywordThatWouldCorruptChannelsIsRefused)
{
    TNewChannelfrm wizard;
    wizard.Address = "http://birds.org/";
    wizard.Edit1->setText("Birds");
    wizard.Show();
    wizard.NextClick();
    wizard.Edit2->setText("a=b");
    wizard.FinishClick();
    EXPECT_EQ(lastBox(), kKeywordRefused);
    EXPECT_FALSE(FileExists(dirs.root() + "/Fav/Birds.URL"));
    EXPECT_TRUE(wizard.isVisible());
}

TEST_F(AddWizard, CreateInListsTheFavoritesFoldersAndTheChosenOneIsTheTarget)
{
    TNewChannelfrm wizard;
    wizard.Address = "http://hawks/";
    wizard.Edit1->setText("Hawks");
    wizard.Show();
    wizard.NextClick();
    wizard.CreateInClick();
    EXPECT_FALSE(wizard.CreateIn->isEnabled());
    EXPECT_EQ(wizard.ClientHeight(), 408);
    QTreeWidgetItem* root = wizard.TreeView1->topLevelItem(0);
    ASSERT_EQ(root->childCount(), 1);
    EXPECT_EQ(root->child(0)->text(0), "Birds");
    wizard.FolderClick(root->child(0));
    wizard.FinishClick();
    EXPECT_TRUE(FileExists(dirs.root() + "/Fav/Birds/Hawks.URL"));
}

TEST_F(AddWizard, WithoutAnAddressItAddsABuddyAndRefusesBadNames)
{
    TNewChannelfrm wizard;
    wizard.Show();
    EXPECT_TRUE(wizard.RadioButton2->isChecked());
    wizard.NextClick();
    EXPECT_EQ(wizard.Title->text(), "New Buddy");
    wizard.Edit3->setText("bad name");
    wizard.FinishClick();
    EXPECT_EQ(lastBox(), "\rSpaces or  \\/:*?\"'<>|= characters are not permitted in your user name. Please retry.");
    EXPECT_TRUE(wizard.isVisible());
    // Refused by the one check of every name, and told what was refused.
    wizard.Edit3->setText("bad\tname");
    wizard.FinishClick();
    EXPECT_EQ(lastBox(), "\rThe User Name holds a tab (character 9), which is not permitted. Please re-type.");
    EXPECT_TRUE(wizard.isVisible());
    wizard.Edit3->setText(QString(65, 'a'));
    wizard.FinishClick();
    EXPECT_EQ(lastBox(), "\rThe User Name may hold at most 64 characters. Please re-type.");
    EXPECT_TRUE(wizard.isVisible());
}

TEST_F(AddWizard, TheNewFolderPromptRefusesNamesThatAreNoFolder)
{
    TNewFolderFrm ask;
    ask.Show();
    EXPECT_FALSE(ask.Button1->isEnabled());
    for (const char* name : { "..", ".", "a/b", "R&D" }) {
        ask.Edit1->setText(name);
        EXPECT_TRUE(ask.Button1->isEnabled());
        ask.OKClick();
        EXPECT_EQ(lastBox(), TNewFolderFrm::kError) << name;
        EXPECT_EQ(ask.ModalResult(), mrNone) << name;
    }
    ask.Edit1->setText("  Hawks ");
    ask.OKClick();
    EXPECT_EQ(ask.Edit1->text(), "Hawks");
    EXPECT_EQ(ask.ModalResult(), mrOk);
}
