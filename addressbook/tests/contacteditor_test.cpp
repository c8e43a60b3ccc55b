#include "addressbook/contacteditor.h"

#include "addressbook/contactstore.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"
#include "platform/testing/scratch.h"
#include "platform/ui/dialogs.h"
#include "platform/win/shell.h"

#include <QCheckBox>
#include <QDir>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

// An editor started alone, as "/new" or a file on the command line start it.
class ContactEditor : public ::testing::Test {
protected:
    void SetUp() override
    {
        dialogs::ClearHistory();
        shell::SetOpenHook([this](const std::string& url) { opened.push_back(url); });
    }
    void TearDown() override
    {
        if (editor)
            editor->Free();
        shell::SetOpenHook(nullptr);
    }

    void open(const std::string& mode, const std::string& path = "")
    {
        editor = new tivra::TForm2(nullptr);
        editor->Mode = mode;
        editor->Path = path;
        editor->Show();
    }

    std::vector<std::string> addresses() const
    {
        std::vector<std::string> result;
        for (int i = 0; i < editor->EmailList->count(); ++i)
            result.push_back(editor->EmailList->item(i)->text().toStdString());
        return result;
    }

    void addAddress(const char* text)
    {
        editor->NewEmail->setText(text);
        editor->AddEmail->click();
    }

    std::string root() const { return codepage::FromUtf8(dirs.appDir()) + "/Address Book"; }

    ScratchDirs dirs;
    tivra::TForm2* editor { nullptr };
    std::vector<std::string> opened;
};

}  // namespace

TEST_F(ContactEditor, NewContactIsSavedIntoTheRoot)
{
    open("New");
    EXPECT_EQ(editor->Birthday->date(), QDate(1998, 9, 25));
    EXPECT_EQ(editor->Gender->currentText().toStdString(), "Unspecified");
    EXPECT_TRUE(editor->OkButton->isVisible());
    editor->FirstName->setText("Ada");
    editor->LastName->setText(" Grant ");
    EXPECT_EQ(editor->windowTitle().toStdString(), "Ada Grant Properties");
    editor->OkClick();
    EXPECT_FALSE(editor->isVisible());
    const TContact saved = ReadContact(root() + "/Grant_Ada.zkt");
    EXPECT_EQ(saved.FirstName, "Ada");
    EXPECT_EQ(saved.LastName, "Grant");
    EXPECT_EQ(saved.DisplayName, "Ada Grant");
    EXPECT_EQ(saved.Gender, "Unspecified");
    EXPECT_EQ(TIniFile(root() + "/Grant_Ada.zkt").ReadString("personal", "Birthday", ""), "9/25/1998");
}

TEST_F(ContactEditor, BlankNamesCloseAndWriteNothing)
{
    open("Add", root() + "/");
    editor->FirstName->setText("   ");
    editor->OkClick();
    EXPECT_FALSE(editor->isVisible());
    EXPECT_TRUE(ListDirectory(root() + "/*", faAnyFile & ~faDirectory).empty());
}

TEST_F(ContactEditor, FirstAddressIsTheDefaultAndBadAddressesStayInTheField)
{
    open("New");
    EXPECT_FALSE(editor->AddEmail->isEnabled());
    addAddress("ada@example.org");
    addAddress("  second@example.org ");
    addAddress("nobody");
    addAddress("a@b");
    EXPECT_EQ(addresses(), (std::vector<std::string> { "ada@example.org (Default E-Mail)", "second@example.org" }));
    EXPECT_EQ(editor->NewEmail->text().toStdString(), "a@b");
}

TEST_F(ContactEditor, SetAsDefaultLeavesOneMarkAndThatOneIsSaved)
{
    open("New");
    editor->FirstName->setText("Ada");
    addAddress("ada@example.org");
    addAddress("work@example.org");
    editor->EmailList->item(1)->setSelected(true);
    editor->EmailList->setCurrentRow(1);
    EXPECT_TRUE(editor->DefaultEmail->isEnabled());
    editor->DefaultEmail->click();
    EXPECT_EQ(addresses(), (std::vector<std::string> { "ada@example.org", "work@example.org (Default E-Mail)" }));
    EXPECT_TRUE(editor->EmailList->item(1)->isSelected());
    editor->OkClick();
    const TContact saved = ReadContact(root() + "/Ada.zkt");
    EXPECT_EQ(saved.Email, "work@example.org");
    EXPECT_EQ(saved.MailAccounts, (std::vector<std::string> { "ada@example.org", "work@example.org (Default E-Mail)" }));
}

TEST_F(ContactEditor, EditAndRemoveTakeTheSelectedAddress)
{
    open("New");
    addAddress("ada@example.org");
    addAddress("old@example.org");
    editor->EmailList->setCurrentRow(0);
    editor->EditEmail->click();
    EXPECT_EQ(editor->NewEmail->text().toStdString(), "ada@example.org");
    EXPECT_FALSE(editor->EditEmail->isEnabled());
    editor->EmailList->clearSelection();
    editor->EmailList->setCurrentRow(0);
    editor->RemoveEmail->click();
    EXPECT_TRUE(addresses().empty());
}

TEST_F(ContactEditor, EditLoadsEveryListAndToleratesABadDate)
{
    dirs.write("app/Address Book/Grant_Ada.zkt",
        "[General]\r\nFirstName=Ada\r\nLastName=Grant\r\nNickname=ada\r\nOnBuddyList=1\r\n[Home]\r\nGender=Female\r\n"
        "[personal]\r\nBirthday=not a date\r\nAnniversary=2001-02-03\r\nHobby=chess\r\n"
        "[Children]\r\n0=Al\r\n2=Cy\r\n[Mail Accounts]\r\n0=ada@example.org (Default E-Mail)\r\n");
    open("Edit", root() + "/Grant_Ada.zkt");
    EXPECT_EQ(editor->BuddyName->text().toStdString(), "ada");
    EXPECT_TRUE(editor->OnBuddyList->isEnabled());
    EXPECT_TRUE(editor->OnBuddyList->isChecked());
    EXPECT_EQ(editor->Gender->currentText().toStdString(), "Female");
    EXPECT_EQ(editor->Hobby->text().toStdString(), "chess");
    EXPECT_EQ(editor->Anniversary->date(), QDate(2001, 2, 3));
    EXPECT_EQ(editor->Birthday->date(), QDate::currentDate());
    EXPECT_EQ(editor->Children->toPlainText().toStdString(), "Al\nCy");
    EXPECT_EQ(editor->ChildrenLabel->text().toStdString(), "Children (2)");
    EXPECT_EQ(editor->HomeWebPage->text().toStdString(), "Http://");
    EXPECT_EQ(editor->BusinessWebPage->text().toStdString(), "http://");
    QDir().mkpath(KORVO_BUILD_DIR "/screenshots");
    EXPECT_TRUE(editor->grab().save(KORVO_BUILD_DIR "/screenshots/tivra-properties.png"));
    EXPECT_EQ(addresses(), (std::vector<std::string> { "ada@example.org (Default E-Mail)" }));
    editor->OkClick();
    EXPECT_EQ(ReadContact(root() + "/Grant_Ada.zkt").Children, (std::vector<std::string> { "Al", "Cy" }));
    EXPECT_EQ(ReadContact(root() + "/Grant_Ada.zkt").Hobby, "chess");
}

TEST_F(ContactEditor, AddingOverAnotherContactsFileAsksFirst)
{
    dirs.write("app/Address Book/Grant_Ada.zkt", "[General]\r\nFirstName=Ada\r\nLastName=Grant\r\nNickname=keep\r\n");
    open("Add", root() + "/");
    editor->FirstName->setText("Ada");
    editor->LastName->setText("Grant");
    dialogs::QueueAnswer(IDNO);
    editor->OkClick();
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(ReadContact(root() + "/Grant_Ada.zkt").Nickname, "keep");
    dialogs::QueueAnswer(IDYES);
    editor->OkClick();
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(ReadContact(root() + "/Grant_Ada.zkt").Nickname, "");
}

TEST_F(ContactEditor, ViewedFileIsAddedToTheRootThenRemoved)
{
    dirs.write("elsewhere/card.zkt", "[General]\r\nFirstName=Ada\r\nLastName=Grant\r\n[Home]\r\nPhone=555\r\n");
    const std::string viewed = codepage::FromUtf8(dirs.root()) + "/elsewhere/card.zkt";
    open("View", viewed);
    EXPECT_FALSE(editor->OkButton->isVisible());
    EXPECT_TRUE(editor->AddToBookButton->isVisible());
    EXPECT_EQ(Application::Title(), "Ada Grant Properties");
    editor->AddToBookButton->click();
    EXPECT_FALSE(dirs.exists("elsewhere/card.zkt"));
    EXPECT_EQ(ReadContact(root() + "/Grant_Ada.zkt").HomePhone, "555");
}

TEST_F(ContactEditor, ViewedFileWithABlankNameIsKept)
{
    dirs.write("elsewhere/card.zkt", "[Home]\r\nPhone=555\r\n");
    open("View", codepage::FromUtf8(dirs.root()) + "/elsewhere/card.zkt");
    editor->AddToBookButton->click();
    EXPECT_TRUE(dirs.exists("elsewhere/card.zkt"));
    EXPECT_FALSE(editor->isVisible());
}

TEST_F(ContactEditor, MapNeedsAllFourFieldsAndEncodesThem)
{
    open("New");
    editor->HomeStreet->setPlainText("1 Main St & Co");
    editor->HomeCity->setText("Springfield");
    editor->HomeZip->setText("12345");
    editor->FindOnMapClick(false);
    ASSERT_EQ(dialogs::History().size(), 1u);
    EXPECT_EQ(dialogs::History().back().request.text, "\rPlease enter the ADDRESS, CITY, STATE and ZIP information.");
    EXPECT_TRUE(opened.empty());
    editor->HomeState->setText("ILX");
    EXPECT_EQ(editor->HomeState->text().toStdString(), "IL");
    editor->FindOnMapClick(false);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], std::string("http://") + tivra::kMapHost
            + "/py/maps.py?Pyt=Tmap&addr=1%20Main%20St%20%26%20Co&csz=Springfield%2C+IL+12345&Get+Map=Get+Map");
}
