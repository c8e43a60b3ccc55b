#include "client/features/setup.h"

#include "client/core/scrambler.h"
#include "client/core/session.h"
#include "client/features/form16.h"
#include "platform/rtl/eventloop.h"
#include "platform/testing/scratch.h"
#include "platform/testing/scriptedhttp.h"
#include "platform/testing/serviceprocess.h"
#include "platform/ui/dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMouseEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

void Type(QLineEdit* edit, const QString& text)
{
    edit->selectAll();
    edit->insert(text);
}

// A user's click on a list's entry.
void ClickRow(QListWidget* list, int row)
{
    const QPoint at = list->visualItemRect(list->item(row)).center();
    QMouseEvent press(QEvent::MouseButtonPress, at, list->viewport()->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(list->viewport(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, list->viewport()->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(list->viewport(), &release);
}

std::vector<std::string> Items(const QListWidget* list)
{
    std::vector<std::string> items;
    for (int i = 0; i < list->count(); ++i)
        items.push_back(list->item(i)->text().toStdString());
    return items;
}

class Setup : public ::testing::Test {
protected:
    void SetUp() override
    {
        Session() = TSession();
        TSession& s = Session();
        s.userId = "alice";
        s.scrambledPassword = ScrambleText("pw");
        s.userEmail = "alice@example.org";
        s.connectionSpeed = 1;
        s.hintInterval = 5;
        s.mailClient = "Korvo Mail";
        s.addressBook = "Korvo Address Book";
        dirs.write("windows/my friends/alice/user.dat", "[user]\r\npassword=" + ScrambleText("pw") + "\r\n");
        dirs.write("windows/my friends/alice/bob.cnt", "[Friend]\r\nUserID=bob\r\n");
        dirs.write("windows/my friends/alice/carol.cnt", "[Friend]\r\nUserID=carol\r\nBlock=1\r\n");
        dirs.write("windows/my friends/alice/dave.cnt", "[Friend]\r\nUserID=dave\r\n");
        dirs.write("windows/registry.reg",
                   "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Clients\\Mail\\Korvo Mail]\r\n\r\n"
                   "[HKEY_LOCAL_MACHINE\\Software\\Clients\\Mail\\Other Mail]\r\n\r\n"
                   "[HKEY_LOCAL_MACHINE\\Software\\Clients\\Contacts\\Korvo Address Book]\r\n\r\n");
        dirs.write("app/netmail.inf", "[WebPost]\r\nURL=http://mail.example/?u=%U%&p=%P%\r\n");
        dirs.write("app/News.inf", "[World]\r\ncaption=World News\r\nget=1\r\n[Sports]\r\n");
        dirs.write("app/keywords.txt", "linux, chess\r\n");
        dialogs::ClearHistory();
        dialogs::SetResponder([](const dialogs::DialogRequest&) { return IDOK; });
    }
    void TearDown() override { dialogs::SetResponder({}); }

    std::unique_ptr<TSetup> open()
    {
        auto setup = std::make_unique<TSetup>();
        setup->Show();
        return setup;
    }
    std::vector<std::string> boxes() const
    {
        std::vector<std::string> texts;
        for (const dialogs::DialogRecord& record : dialogs::History())
            texts.push_back(record.request.text);
        return texts;
    }

    ScratchDirs dirs;
};

TEST_F(Setup, ShowsTheStoredSettings)
{
    const auto setup = open();
    EXPECT_EQ(setup->Caption(), "Korvo Properties");
    EXPECT_EQ(setup->ClientWidth(), 456);
    EXPECT_EQ(setup->ClientHeight(), 411);
    EXPECT_FALSE(setup->ApplyButton->isEnabled());
    EXPECT_EQ(setup->Alias->text(), "korvo_user");
    EXPECT_EQ(setup->Keywords->toPlainText(), "linux, chess");
    ASSERT_EQ(setup->SourceBoxes.size(), 2u);
    EXPECT_EQ(setup->SourceBoxes[0].first->text(), "World News");
    EXPECT_TRUE(setup->SourceBoxes[0].first->isChecked());
    EXPECT_EQ(setup->SourceBoxes[1].first->text(), "Sports");
    EXPECT_EQ(setup->SourceBoxes[1].first->geometry(), QRect(15, 45, 300, 18));
    EXPECT_EQ(setup->MailClient->count(), 3);
    EXPECT_EQ(setup->MailClient->itemText(2), "WebPost");
    EXPECT_EQ(setup->MailClient->currentText(), "Korvo Mail");
    EXPECT_EQ(setup->AddressBook->currentText(), "Korvo Address Book");
    EXPECT_EQ(setup->NewPassword->text(), "pw");
    EXPECT_EQ(setup->ConfirmPassword->text(), "pw");
    EXPECT_EQ(setup->UserId->text(), "alice");
    EXPECT_EQ(Items(setup->VisibleList), (std::vector<std::string> { "bob", "dave" }));
    EXPECT_EQ(Items(setup->InvisibleList), (std::vector<std::string> { "carol" }));
    EXPECT_TRUE(boxes().empty());
}

TEST_F(Setup, EveryCaptionFitsItsControl)
{
    const auto setup = open();
    int checked = 0;
    for (QLabel* label : setup->findChildren<QLabel*>()) {
        if (label->text().isEmpty() || label->wordWrap())
            continue;
        EXPECT_LE(label->sizeHint().width(), label->width()) << label->text().toStdString();
        ++checked;
    }
    for (QCheckBox* box : setup->findChildren<QCheckBox*>()) {
        EXPECT_LE(box->sizeHint().width(), box->width()) << box->text().toStdString();
        ++checked;
    }
    EXPECT_GT(checked, 20);
}

TEST_F(Setup, ApplyWritesEverySettingAsListed)
{
    const auto setup = open();
    setup->SoundEffects->click();
    setup->ConnectionSpeed->setCurrentIndex(4);
    setup->BuddyCheck->click();
    Type(setup->BuddyMinutes, "3");
    setup->QuickTips->click();
    setup->manual->click();
    setup->MailCheck->click();
    Type(setup->MailMinutes, "0");
    setup->UsePostwing->click();
    Type(setup->Alias, "ace");
    setup->Keywords->setPlainText("kde\ngnome");
    EXPECT_TRUE(setup->ApplyButton->isEnabled());
    setup->ApplyButton->click();
    EXPECT_FALSE(setup->ApplyButton->isEnabled());
    EXPECT_EQ(setup->BuddyMinutes->text(), "5");
    EXPECT_EQ(dirs.read("app/Channels.ini"),
              "[Settings]\r\nSound=1\r\nHint=1\r\nAOL=0\r\nHideNewsAlerts=1\r\nQuickTips=0\r\nConnectionSpeed=4\r\n"
              "HintInterval=5\r\n\r\n[Push News]\r\nmanual=0\r\n");
    EXPECT_EQ(dirs.read("windows/larkspire.ini"),
              "[Mail]\r\nMail Client=Korvo Mail\r\nAddress Book=Korvo Address Book\r\n1=1\r\n2=0\r\n3=0\r\n4=0\r\n5=1\r\n"
              "6=0\r\nCheckInterval=1\r\n");
    EXPECT_EQ(dirs.read("windows/my friends/alice/user.dat"),
              "[user]\r\npassword=" + ScrambleText("pw") + "\r\nalias=ace\r\n");
    EXPECT_EQ(dirs.read("app/keywords.txt"), "kde\r\ngnome\r\n");
    EXPECT_TRUE(Session().sound);
    EXPECT_EQ(Session().connectionSpeed, 4);
}

TEST_F(Setup, ANonNumericMailIntervalWritesNothingAndKeepsTheWindowOpen)
{
    const auto setup = open();
    Type(setup->MailMinutes, "ab");
    Type(setup->Alias, "ace");
    std::string error;
    Application::SetExceptionHandler([&error](const std::exception& e) { error = e.what(); });
    setup->OKButton->click();
    Application::SetExceptionHandler(
        [](const std::exception& e) { ADD_FAILURE() << "exception left a message handler: " << e.what(); });
    EXPECT_EQ(error, "'ab' is not a valid integer value");
    EXPECT_TRUE(setup->Visible());
    EXPECT_FALSE(dirs.exists("app/Channels.ini"));
    EXPECT_FALSE(dirs.exists("windows/larkspire.ini"));
    EXPECT_EQ(dirs.read("app/keywords.txt"), "linux, chess\r\n");
}

TEST_F(Setup, ANegativeMailIntervalIsSavedAsOne)
{
    const auto setup = open();
    Type(setup->MailMinutes, "-5");
    setup->ApplyButton->click();
    EXPECT_NE(dirs.read("windows/larkspire.ini").find("CheckInterval=1\r\n"), std::string::npos);
}

TEST_F(Setup, BuddyChecksNeedAFastConnection)
{
    Session().periodicLogOn = true;
    Session().connectionSpeed = 0;
    const auto setup = open();
    EXPECT_FALSE(setup->BuddyCheck->isEnabled());
    EXPECT_FALSE(setup->BuddyCheck->isChecked());
    EXPECT_FALSE(setup->BuddyMinutes->isEnabled());
    setup->ConnectionSpeed->setCurrentIndex(4);
    EXPECT_TRUE(setup->BuddyCheck->isEnabled());
    EXPECT_EQ(Session().connectionSpeed, 4);
}

TEST_F(Setup, ANewsSourceClickIsWrittenAtOnce)
{
    const auto setup = open();
    setup->SourceBoxes[1].first->click();
    EXPECT_EQ(dirs.read("app/News.inf"), "[World]\r\ncaption=World News\r\nget=1\r\n[Sports]\r\nget=1\r\n");
    EXPECT_TRUE(setup->ApplyButton->isEnabled());
}

TEST_F(Setup, ChoosingWebMailAsksForItsLogOnAndARegisteredProgramDoesNot)
{
    const auto setup = open();
    setup->MailClient->setCurrentIndex(1);
    // The log-on window is modal: answer it from the loop.
    QTimer::singleShot(0, [] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* form = dynamic_cast<TForm16*>(widget); form && form->isVisible()) {
                EXPECT_EQ(form->Caption(), "Enter Login information");
                EXPECT_EQ(form->Label3->text().toStdString(), "WebPost\u2122");
                Type(form->Edit1, "Ann");
                Type(form->Edit2, " PassWord ");
                form->Button1->click();
            }
    });
    setup->MailClient->setCurrentIndex(2);
    EXPECT_EQ(dirs.read("windows/larkspire.ini"),
              "[Online Mail.Unknown]\r\nuserName=Ann\r\nuserPassword=" + ScrambleText("PassWord") + "\r\n");
}

TEST_F(Setup, PrivacyMovesWriteBlockAtOnceAndResetShowsEachBuddyOnce)
{
    const auto setup = open();
    setup->PageControl1->setCurrentIndex(3);
    EXPECT_FALSE(setup->AddButton->isEnabled());
    ClickRow(setup->VisibleList, 0);
    ASSERT_TRUE(setup->AddButton->isEnabled());
    setup->AddButton->click();
    EXPECT_EQ(Items(setup->InvisibleList), (std::vector<std::string> { "bob", "carol" }));
    EXPECT_EQ(dirs.read("windows/my friends/alice/bob.cnt"), "[Friend]\r\nUserID=bob\r\nBlock=1\r\n");
    EXPECT_TRUE(setup->RemoveButton->isEnabled());
    EXPECT_EQ(Items(setup->VisibleList), (std::vector<std::string> { "dave" }));
    setup->AddButton->click();
    EXPECT_FALSE(setup->AddButton->isEnabled());
    setup->ResetButton->click();
    EXPECT_EQ(Items(setup->VisibleList), (std::vector<std::string> { "bob", "carol", "dave" }));
    EXPECT_TRUE(Items(setup->InvisibleList).empty());
    for (const char* name : { "bob", "carol", "dave" })
        EXPECT_NE(dirs.read(std::string("windows/my friends/alice/") + name + ".cnt").find("Block=0\r\n"),
                  std::string::npos)
            << name;
}

TEST_F(Setup, TheAccountFieldsOpenWithTheCurrentPasswordInAnyCase)
{
    const auto setup = open();
    EXPECT_FALSE(setup->Email->isEnabled());
    EXPECT_FALSE(setup->ModifyAccount->isEnabled());
    Type(setup->CurrentPassword, "PW");
    EXPECT_TRUE(setup->Email->isEnabled());
    EXPECT_TRUE(setup->ModifyAccount->isEnabled());
    EXPECT_FALSE(setup->UserId->isEnabled());
    Type(setup->CurrentPassword, "p");
    EXPECT_FALSE(setup->Email->isEnabled());
}

TEST_F(Setup, BadAccountFieldsAreRefusedInOrder)
{
    const auto setup = open();
    Type(setup->CurrentPassword, "pw");
    setup->UserId->setText("al ice");
    EXPECT_TRUE(setup->ValidateAccountFields());
    setup->UserId->setText("..");
    EXPECT_TRUE(setup->ValidateAccountFields());
    setup->UserId->setText(" alice ");
    Type(setup->Email, "alice.example.org");
    EXPECT_TRUE(setup->ValidateAccountFields());
    EXPECT_EQ(setup->UserId->text(), "alice");
    Type(setup->Email, "alice@example.org");
    Type(setup->ConfirmPassword, "other");
    EXPECT_TRUE(setup->ValidateAccountFields());
    EXPECT_EQ(setup->NewPassword->text(), "");
    EXPECT_EQ(boxes(), (std::vector<std::string> { BadAccountUserIdText(), BadAccountUserIdText(), BadAccountEmailText(),
                                                   PasswordMismatchText() }));
    EXPECT_EQ(BadAccountUserIdText(), "\rUser ID cannot contain spaces or \\/:*?\"'<>| characters. Please retype ID.");
}

class AccountUpdate : public Setup {
protected:
    void SetUp() override
    {
        Setup::SetUp();
        service = std::make_unique<ServiceProcess>(std::vector<std::string> {
            "--db", db.filePath("users.db").toStdString(), "--user", "alice:pw:alice@example.org", "--user", "bob:x" });
        ASSERT_TRUE(service->started()) << service->error();
        Session().regsServer = service->hostPort();
    }
    bool finished(TSetup& setup)
    {
        return Application::ProcessMessagesUntil([&setup] { return !setup.ModifyRunning(); }, 20000);
    }
    std::string logIn(const std::string& name, const std::string& password)
    {
        return HttpGet(service->port(), "/login.asp?Login=" + name + "&Password=" + ScrambleText(password)
                                            + "&IPAddress=127.0.0.1&publickey=k").body;
    }

    QTemporaryDir db;
    std::unique_ptr<ServiceProcess> service;
};

// A server that keeps an account update waiting, and a short time limit for it.
class SlowAccountServer : public Setup {
protected:
    void SetUp() override
    {
        Setup::SetUp();
        ::setenv("KORVO_DOWNLOAD_TOTAL_MS", "1000", 1);
    }
    void TearDown() override
    {
        ::unsetenv("KORVO_DOWNLOAD_TOTAL_MS");
        Setup::TearDown();
    }
    std::unique_ptr<TSetup> request(ScriptedHttp& server)
    {
        Session().regsServer = server.hostPort();
        auto setup = open();
        Type(setup->CurrentPassword, "pw");
        Type(setup->NewPassword, "other");
        Type(setup->ConfirmPassword, "other");
        setup->ModifyAccount->click();
        EXPECT_TRUE(Application::ProcessMessagesUntil([&] { return server.requests("/modify.asp").size() == 1; }, 10000));
        return setup;
    }
    static bool abandoned(const ScriptedHttp& server)
    {
        return Application::ProcessMessagesUntil(
            [&] { return server.requests("/modify.asp").at(0).state == ScriptedHttp::State::Abandoned; }, 10000);
    }
};

TEST_F(SlowAccountServer, ATricklingServerEndsInTheFailureMessage)
{
    // Faster than the low-speed limit: only the time limit can cut it.
    ScriptedHttp server({ { "/modify.asp", { ScriptedHttp::Trickle("s", 2) } } });
    const auto setup = request(server);
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return !setup->ModifyRunning(); }, 20000));
    EXPECT_TRUE(abandoned(server));
    EXPECT_EQ(boxes(), (std::vector<std::string> { "\rUnable to access your account information. Please try again later." }));
    EXPECT_TRUE(setup->OKButton->isEnabled());
    EXPECT_TRUE(setup->CancelButton->isEnabled());
    EXPECT_TRUE(setup->ModifyAccount->isEnabled());
    EXPECT_EQ(setup->ModifyAccount->text(), "&Modify Account");
}

TEST_F(SlowAccountServer, CancelClosesAtOnceAndAStalledRequestEndsAtItsLimit)
{
    ScriptedHttp server({ { "/modify.asp", { ScriptedHttp::Stall() } } });
    const auto setup = request(server);
    ASSERT_TRUE(setup->CancelButton->isEnabled());
    setup->CancelButton->click();
    EXPECT_FALSE(setup->isVisible());
    EXPECT_TRUE(abandoned(server));
    EXPECT_TRUE(boxes().empty());
}

TEST_F(SlowAccountServer, TheCloseBoxClosesAtOnceAndAFailedRequestStoresNothing)
{
    ScriptedHttp server({ { "/modify.asp", { ScriptedHttp::Stall() } } });
    const auto setup = request(server);
    setup->Close();
    EXPECT_FALSE(setup->isVisible());
    EXPECT_TRUE(abandoned(server));
    EXPECT_FALSE(dirs.exists("windows/larkspire.ini"));
}

TEST_F(AccountUpdate, ASuccessfulUpdateChangesTheServiceAndTheLocalFiles)
{
    const auto setup = open();
    Type(setup->CurrentPassword, "pw");
    Type(setup->Email, "a&b=c@example.org");
    Type(setup->NewPassword, "NewPass");
    Type(setup->ConfirmPassword, "NewPass");
    Type(setup->PublicKey, "key+1");
    setup->ModifyAccount->click();
    EXPECT_FALSE(setup->OKButton->isEnabled());
    EXPECT_TRUE(setup->CancelButton->isEnabled());
    ASSERT_TRUE(finished(*setup));
    EXPECT_EQ(boxes(), (std::vector<std::string> { "\rYour account information was successfully updated." }));
    EXPECT_TRUE(setup->OKButton->isEnabled());
    EXPECT_EQ(setup->ModifyAccount->text(), "&Modify Account");
    EXPECT_EQ(setup->CurrentPassword->text(), "");
    EXPECT_EQ(logIn("alice", "newpass"), "success\r\n");
    EXPECT_EQ(logIn("alice", "pw"), "nil\r\n");
    EXPECT_EQ(dirs.read("windows/my friends/alice/user.dat"), "[user]\r\npassword=" + ScrambleText("newpass") + "\r\n");
    const std::string ini = dirs.read("windows/larkspire.ini");
    EXPECT_NE(ini.find("userEmail=a&b=c@example.org\r\n"), std::string::npos);
    EXPECT_NE(ini.find("userPublicKey=key+1\r\n"), std::string::npos);
    EXPECT_EQ(Session().scrambledPassword, ScrambleText("newpass"));
}

TEST_F(AccountUpdate, AChangeTheServiceMadeIsStoredEvenAfterCancel)
{
    ScriptedHttp::Script held = ScriptedHttp::Forward(service->hostPort());
    held.gateAfter = "answered";
    ScriptedHttp front({ { "/modify.asp", { held } } });
    Session().regsServer = front.hostPort();
    const auto setup = open();
    Type(setup->CurrentPassword, "pw");
    Type(setup->NewPassword, "other");
    Type(setup->ConfirmPassword, "other");
    setup->ModifyAccount->click();
    // The service has changed the password; its answer is still on the way.
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] {
        const auto requests = front.requests("/modify.asp");
        return requests.size() == 1 && requests[0].state == ScriptedHttp::State::Sending;
    }, 10000));
    setup->CancelButton->click();
    EXPECT_FALSE(setup->isVisible());
    front.open("answered");
    EXPECT_TRUE(Application::ProcessMessagesUntil([&] { return Session().scrambledPassword == ScrambleText("other"); }, 10000));
    EXPECT_EQ(logIn("alice", "other"), "success\r\n");
    EXPECT_EQ(dirs.read("windows/my friends/alice/user.dat"), "[user]\r\npassword=" + ScrambleText("other") + "\r\n");
}

TEST_F(AccountUpdate, AWrongStoredPasswordGivesTheFailureBoxAndStoresNothing)
{
    Session().scrambledPassword = ScrambleText("wrong");
    const auto setup = open();
    Type(setup->CurrentPassword, "pw");
    Type(setup->NewPassword, "other");
    Type(setup->ConfirmPassword, "other");
    setup->ModifyAccount->click();
    ASSERT_TRUE(finished(*setup));
    EXPECT_EQ(boxes(), (std::vector<std::string> { "\rUnable to access your account information. Please try again later." }));
    EXPECT_TRUE(setup->ModifyAccount->isEnabled());
    EXPECT_EQ(logIn("alice", "pw"), "success\r\n");
    EXPECT_EQ(dirs.read("windows/my friends/alice/user.dat"), "[user]\r\npassword=" + ScrambleText("pw") + "\r\n");
    EXPECT_FALSE(dirs.exists("windows/larkspire.ini"));
}

}  // namespace
