#include "signup/signupform.h"

#include "client/core/scrambler.h"
#include "platform/rtl/codepage.h"
#include "platform/testing/loopback.h"
#include "platform/testing/scratch.h"
#include "platform/testing/serviceprocess.h"
#include "platform/ui/dialogs.h"
#include "platform/win/process.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string text(const QLabel* label) { return codepage::FromUnicode(label->text()); }
QString Q(const std::string& s) { return codepage::ToUnicode(s); }

class SignupWizard : public ::testing::Test {
protected:
    void SetUp() override
    {
        dialogs::ClearHistory();
        dialogs::SetResponder([](const dialogs::DialogRequest& box) { return box.defaultButton; });
        process::SetObserver([this](const process::Launch& l) { launched.push_back(l.program); }, false);
        dirs.write("windows/my friends/.keep", "");
        service = std::make_unique<ServiceProcess>(std::vector<std::string> { "--db", dirs.root() + "/users.db" });
        ASSERT_TRUE(service->started()) << service->error();
        servesAt(service->hostPort());
    }
    void TearDown() override
    {
        form.reset();
        process::SetObserver(nullptr);
        dialogs::SetResponder(nullptr);
    }

    void servesAt(const std::string& host) const { dirs.write("app/servers.ini", "[servers]\r\n0=" + host + "\r\n"); }

    // A new account typed through pages 2 and 4, ending on page 5.
    void registerAs(const std::string& user, const std::string& password)
    {
        form = std::make_unique<signup::TForm1>();
        form->Show();
        form->CreateButton->click();
        form->FirstNameEdit->setText("Ada");
        form->LastNameEdit->setText("Lovelace");
        form->EmailEdit->setText("ada@example.org");
        form->CityEdit->setText("San Jose");
        form->StateCombo->setCurrentText("United Kingdom");
        form->NextButton->click();
        ASSERT_EQ(form->Page(), 4);
        form->UserNameEdit->setText(Q(user));
        form->PasswordEdit->setText(Q(password));
        form->Password2Edit->setText(Q(password));
        form->NextButton->click();
    }

    std::string lastBox() const { return dialogs::History().empty() ? "" : dialogs::History().back().request.text; }

    ScratchDirs dirs;
    std::unique_ptr<ServiceProcess> service;
    std::unique_ptr<signup::TForm1> form;
    std::vector<std::string> launched;
};

TEST_F(SignupWizard, ANewAccountIsRegisteredStoredAndStartsTheClient)
{
    registerAs("ada", "Secret");
    ASSERT_EQ(form->Page(), 5);
    EXPECT_EQ(text(form->ResultTitle), "Registration Successful");
    // The wizard's caption is painted by the kit's form styler.
    ASSERT_NE(form->FormStyler1, nullptr);
    EXPECT_EQ(form->FormStyler1->CaptionText(), Ansi("Korvo© Signup "));
    EXPECT_EQ(form->FormStyler1->CaptionImage().width(), form->width());
    EXPECT_EQ(dirs.read("windows/my friends/ada/user.dat"), "[user]\r\npassword=" + ScrambleText("secret") + "\r\n");
    EXPECT_EQ(HttpGet(service->port(), "/login.asp?Login=ADA&Password=" + ScrambleText("secret")
                                           + "&IPAddress=127.0.0.1&publickey=").body,
              "success\r\n");
    EXPECT_TRUE(form->OkButton->isEnabled());
    form->StartCheck->setChecked(true);
    form->OkButton->click();
    ASSERT_EQ(launched.size(), 1u);
    EXPECT_EQ(launched[0].substr(launched[0].rfind('/') + 1), "larkspire");
}

TEST_F(SignupWizard, ATakenNameIsSentBackToPageFourWithNextEnabled)
{
    registerAs("ada", "pw");
    form.reset();
    dirs.write("windows/larkspire.ini", "");
    registerAs("ADA", "other");
    EXPECT_EQ(lastBox(), "\rThe user name 'ADA' already exists. Please choose another");
    EXPECT_EQ(form->Page(), 4);
    EXPECT_TRUE(form->NextButton->isEnabled());
    EXPECT_EQ(text(form->ResultTitle), "Registering...");
    EXPECT_EQ(dirs.read("windows/my friends/ada/user.dat"), "[user]\r\npassword=" + ScrambleText("pw") + "\r\n");
    EXPECT_EQ(dirs.read("windows/larkspire.ini"), "");
}

TEST_F(SignupWizard, AServiceThatIsGoneIsARegistrationErrorAndBackRetries)
{
    servesAt(LoopbackHost(9) + ":9");
    registerAs("ada", "pw");
    EXPECT_EQ(text(form->ResultTitle), "Registration Error");
    EXPECT_FALSE(dirs.exists("windows/my friends/ada"));
    EXPECT_FALSE(dirs.exists("windows/larkspire.ini"));
    form->OkButton->click();
    EXPECT_TRUE(launched.empty());
    ASSERT_TRUE(form->BackButton->isEnabled());
    form->BackButton->click();
    EXPECT_EQ(form->Page(), 4);
    EXPECT_TRUE(form->NextButton->isEnabled());
}

TEST_F(SignupWizard, AServiceThatAcceptsAndNeverAnswersEndsInARegistrationError)
{
    // Listening but never accepting: the connection is made and no answer ever comes.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    servesAt("127.0.0.1:" + std::to_string(silent.serverPort()));
    // The low-speed limit ends the wait; a second of it is as good as the shipped fifteen.
    struct ShortLowSpeedLimit {
        ShortLowSpeedLimit() { ::setenv("KORVO_DOWNLOAD_LOW_SPEED_MS", "1000", 1); }
        ~ShortLowSpeedLimit() { ::unsetenv("KORVO_DOWNLOAD_LOW_SPEED_MS"); }
    } limit;
    registerAs("ada", "pw");
    EXPECT_EQ(text(form->ResultTitle), "Registration Error");
    EXPECT_FALSE(dirs.exists("windows/my friends/ada"));
    form->BackButton->click();
    EXPECT_EQ(form->Page(), 4);
}

TEST_F(SignupWizard, FieldsEachWithinTheirLimitButTooLongTogetherAreRefusedOnPageFour)
{
    form = std::make_unique<signup::TForm1>();
    form->Show();
    form->CreateButton->click();
    const std::string u250(250, '\xFC');
    for (QLineEdit* edit : { form->FirstNameEdit, form->LastNameEdit, form->AddressEdit, form->CityEdit, form->ZipEdit })
        edit->setText(Q(u250));
    form->EmailEdit->setText(Q(std::string(246, '\xFC') + "@b.c"));
    form->NextButton->click();
    ASSERT_EQ(form->Page(), 4) << lastBox();
    form->UserNameEdit->setText("ada");
    form->PasswordEdit->setText("pw");
    form->Password2Edit->setText("pw");
    form->NextButton->click();
    EXPECT_EQ(form->Page(), 4);
    EXPECT_EQ(lastBox(), "\rYour details are too long to be sent together. Please shorten some of them.");
    EXPECT_FALSE(dirs.exists("windows/my friends/ada"));
    form->BackButton->click();
    form->ZipEdit->setText("SW1Y");
    form->AddressEdit->setText("");
    form->NextButton->click();
    form->NextButton->click();
    ASSERT_EQ(form->Page(), 5);
    EXPECT_EQ(text(form->ResultTitle), "Registration Successful");
}

TEST_F(SignupWizard, AStoreThatFailsAfterSuccessIsNotShownAsSuccessAndStartsNothing)
{
    dirs.write("windows/my friends/ada", "a file where the folder goes");
    registerAs("ada", "pw");
    EXPECT_EQ(lastBox().rfind("\rUnable to write to ", 0), 0u) << lastBox();
    EXPECT_NE(text(form->ResultTitle), "Registration Successful");
    form->StartCheck->setChecked(true);
    form->OkButton->click();
    EXPECT_TRUE(launched.empty());
}

TEST_F(SignupWizard, AnExistingAccountIsStoredWithoutAsking)
{
    form = std::make_unique<signup::TForm1>();
    form->Show();
    form->NextButton->click();
    ASSERT_EQ(form->Page(), 4);
    form->UserNameEdit->setText("ada ");
    form->PasswordEdit->setText("pw");
    form->Password2Edit->setText("pw");
    form->NextButton->click();
    EXPECT_EQ(text(form->ResultTitle), "Registration Complete. ");
    EXPECT_FALSE(form->NextButton->isEnabled());
    EXPECT_EQ(form->UserNameEdit->text(), "ada");
    EXPECT_TRUE(dirs.exists("windows/my friends/ada/user.dat"));
}

TEST_F(SignupWizard, BackStepsFromTheUserNamePageOnTheExistingAccountRoadToo)
{
    form = std::make_unique<signup::TForm1>();
    form->Show();
    form->NextButton->click();
    ASSERT_EQ(form->Page(), 4);
    ASSERT_TRUE(form->BackButton->isEnabled());
    form->BackButton->click();
    EXPECT_EQ(form->Page(), 2);
    EXPECT_FALSE(form->BackButton->isEnabled());
}

TEST_F(SignupWizard, TheOwnerPrefillsTheNamesUnlessUnknown)
{
    form = std::make_unique<signup::TForm1>();
    form->Show();
    EXPECT_EQ(form->FirstNameEdit->text(), "");
    EXPECT_EQ(form->LastNameEdit->text(), "");
    form.reset();
    dirs.write("windows/registry.reg", "REGEDIT4\r\n\r\n"
                                       "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\r\n"
                                       "\"RegisteredOwner\"=\"Ada King Lovelace\"\r\n");
    form = std::make_unique<signup::TForm1>();
    form->Show();
    EXPECT_EQ(form->FirstNameEdit->text(), "Ada");
    EXPECT_EQ(form->LastNameEdit->text(), "King Lovelace");
}

TEST_F(SignupWizard, ClosingBeforeTheEndAsksAndNoKeepsTheWindow)
{
    form = std::make_unique<signup::TForm1>();
    form->Show();
    dialogs::QueueAnswer(IDNO);
    form->CancelButton->click();
    EXPECT_EQ(lastBox(), "\rThe signup process is incomplete. Are you sure you want to abort?");
    EXPECT_TRUE(form->isVisible());
}

TEST_F(SignupWizard, TheStateListHasItsEntries)
{
    form = std::make_unique<signup::TForm1>();
    EXPECT_EQ(form->StateCombo->count(), 290);
    EXPECT_EQ(form->StateCombo->itemText(0), "Alabama");
    EXPECT_EQ(form->StateCombo->itemText(289), "Other");
    EXPECT_EQ(form->PasswordEdit->maxLength(), 255);
}

}  // namespace
