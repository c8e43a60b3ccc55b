#include "client/core/signon.h"

#include "client/core/mainbar.h"
#include "client/core/scrambler.h"
#include "client/core/session.h"
#include "client/core/sessionchain.h"
#include "platform/rtl/codepage.h"
#include "platform/testing/loopback.h"
#include "platform/testing/scratch.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/gifimage.h"
#include "platform/win/process.h"
#include "platform/win/shell.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QToolButton>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

QString Q(const std::string& s) { return codepage::ToUnicode(s); }

struct SignonFixture : ::testing::Test {
    ScratchDirs dirs;
    std::vector<std::string> launched;
    std::vector<std::string> opened;

    void SetUp() override
    {
        // A session listens for buddies on 8096: at an address of this test's own.
        setenv("KORVO_LOCAL_ADDRESS", LoopbackHost(1).c_str(), 1);
        Session() = TSession {};
        dialogs::ClearHistory();
        process::SetObserver([this](const process::Launch& l) { launched.push_back(l.program); }, false);
        shell::SetOpenHook([this](const std::string& url) { opened.push_back(url); });
        QFile::copy(QString(KORVO_BIN_DIR) + "/sigonlogo.gif", QString::fromStdString(dirs.appDir() + "/sigonlogo.gif"));
    }
    void TearDown() override
    {
        if (Signon())
            Signon()->Free();
        // A bar a sign-on made would go on ticking into the next test's session.
        if (Form1)
            Form1->Free();
        process::SetObserver(nullptr);
        shell::SetOpenHook(nullptr);
        dialogs::SetResponder(nullptr);
        unsetenv("KORVO_LOCAL_ADDRESS");
    }

    void user(const std::string& name, const std::string& password, bool save) const
    {
        dirs.write("windows/my friends/" + name + "/user.dat",
                   "[user]\r\npassword=" + ScrambleText(password) + "\r\nSave=" + (save ? "1" : "0") + "\r\n");
    }

    TSignon& open()
    {
        ShowSignOn();
        EXPECT_NE(Signon(), nullptr);
        return *Signon();
    }

    void choose(TSignon& s, const std::string& name) { s.ComboBox1->setCurrentIndex(s.ComboBox1->findText(Q(name))); }

    std::vector<std::string> boxTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& record : dialogs::History())
            texts.push_back(record.request.text);
        return texts;
    }

    void pressKey(QWidget* widget, int key)
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &press);
    }
};

}  // namespace

TEST_F(SignonFixture, NewMachineOffersOnlyNewUser)
{
    TSignon& s = open();
    EXPECT_EQ(s.Caption(), "Sign On");
    EXPECT_TRUE(s.Visible());
    ASSERT_EQ(s.ComboBox1->count(), 1);
    EXPECT_EQ(s.ComboBox1->currentText(), "<New User>");
    EXPECT_FALSE(s.Edit1->isEnabled());
    EXPECT_FALSE(s.SpeedButton3->isEnabled());
    EXPECT_FALSE(s.CheckBox1->isEnabled());
    EXPECT_EQ(s.Label3->text(), "\tVersion: Unknown");
    EXPECT_EQ(s.Edit1->maxLength(), 15);
}

TEST_F(SignonFixture, LastUserComesBackWithSavedPassword)
{
    user("alice", "secret", true);
    user("bob", "pw", false);
    dirs.write("windows/larkspire.ini", "[MAIN]\r\nuserLoginName=alice\r\nVersion=2.5\r\n");
    TSignon& s = open();
    EXPECT_EQ(s.ComboBox1->count(), 3);
    EXPECT_EQ(s.ComboBox1->currentText(), "alice");
    EXPECT_EQ(s.Edit1->text(), "secret");
    EXPECT_TRUE(s.CheckBox1->isChecked());
    EXPECT_TRUE(s.CheckBox1->isEnabled());
    EXPECT_TRUE(s.SpeedButton3->isEnabled());
    EXPECT_EQ(s.Label3->text(), "\tVersion: 2.5");
    EXPECT_EQ(Session().scrambledPassword, ScrambleText("secret"));

    choose(s, "bob");
    EXPECT_EQ(s.Edit1->text(), "");
    EXPECT_FALSE(s.CheckBox1->isChecked());
    EXPECT_FALSE(s.CheckBox1->isEnabled());
}

TEST_F(SignonFixture, VanishedLastUserFallsBackToNewUser)
{
    user("alice", "secret", true);
    dirs.write("windows/larkspire.ini", "[MAIN]\r\nuserLoginName=zed\r\n");
    TSignon& s = open();
    EXPECT_EQ(s.ComboBox1->currentText(), "<New User>");
    EXPECT_FALSE(s.Edit1->isEnabled());
    EXPECT_FALSE(s.SpeedButton3->isEnabled());
}

TEST_F(SignonFixture, DamagedStoredPasswordShowsEmptyField)
{
    dirs.write("windows/my friends/carol/user.dat", "[user]\r\npassword=7--9-\r\nSave=1\r\n");
    dirs.write("windows/larkspire.ini", "[MAIN]\r\nuserLoginName=carol\r\n");
    TSignon& s = open();
    EXPECT_EQ(s.ComboBox1->currentText(), "carol");
    EXPECT_EQ(s.Edit1->text(), "");
}

TEST_F(SignonFixture, TypedPasswordEnablesSavePassword)
{
    user("alice", "x", false);
    dirs.write("windows/larkspire.ini", "[MAIN]\r\nuserLoginName=alice\r\n");
    TSignon& s = open();
    EXPECT_FALSE(s.CheckBox1->isEnabled());
    s.Edit1->setText("abc");
    EXPECT_TRUE(s.CheckBox1->isEnabled());
    s.Edit1->setText("");
    EXPECT_FALSE(s.CheckBox1->isEnabled());
}

TEST_F(SignonFixture, GoodSignOnWritesTheUsersFilesAndClosesTheWindow)
{
    user("alice", "old", false);
    dirs.write("windows/larkspire.ini", "[MAIN]\r\nuserLoginName=alice\r\n");
    TSignon& s = open();
    s.Edit1->setText("  NewPass ");
    s.CheckBox1->setChecked(true);
    s.SpeedButton1->click();
    EXPECT_TRUE(boxTexts().empty());
    EXPECT_EQ(Session().userId, "alice");
    EXPECT_EQ(Session().scrambledPassword, ScrambleText("newpass"));
    EXPECT_EQ(dirs.read("windows/my friends/alice/user.dat"),
              "[user]\r\npassword=" + ScrambleText("newpass") + "\r\nSave=1\r\n");
    // The connection check adds the machine's address after these when it has one.
    EXPECT_EQ(dirs.read("windows/larkspire.ini").rfind("[MAIN]\r\nuserLoginName=alice\r\nlastSplash=1\r\n", 0), 0u);
    EXPECT_TRUE(dirs.exists("windows/my friends/alice/tasks"));
    EXPECT_TRUE(Application::ProcessMessagesUntil([] { return Signon() == nullptr; }, 5000));
}

TEST_F(SignonFixture, EnterInPasswordSignsOn)
{
    user("alice", "pw", true);
    dirs.write("windows/larkspire.ini", "[MAIN]\r\nuserLoginName=alice\r\n");
    TSignon& s = open();
    pressKey(s.Edit1, Qt::Key_Return);
    EXPECT_EQ(Session().userId, "alice");
    EXPECT_TRUE(Application::ProcessMessagesUntil([] { return Signon() == nullptr; }, 5000));
}

TEST_F(SignonFixture, UnregisteredNameAnsweredNoStartsTheSignUp)
{
    TSignon& s = open();
    s.ComboBox1->setEditText("newbie");
    s.Edit1->setText("pw");
    dialogs::QueueAnswer(IDNO);
    s.SpeedButton1->click();
    ASSERT_EQ(boxTexts().size(), 1u);
    EXPECT_EQ(boxTexts()[0],
              "\rIf this account name is already registered click YES to signon, or click NO to create a new account name.");
    EXPECT_EQ(s.ComboBox1->currentText(), "<New User>");
    ASSERT_EQ(launched.size(), 1u);
    EXPECT_NE(launched[0].find("velmarin"), std::string::npos);
    EXPECT_FALSE(dirs.exists("windows/my friends/newbie"));
}

TEST_F(SignonFixture, UnregisteredNameAnsweredYesSignsOn)
{
    TSignon& s = open();
    s.ComboBox1->setEditText("newbie");
    s.Edit1->setText("pw");
    dialogs::QueueAnswer(IDYES);
    s.SpeedButton1->click();
    EXPECT_TRUE(dirs.exists("windows/my friends/newbie/user.dat"));
    EXPECT_TRUE(launched.empty());
}

TEST_F(SignonFixture, NewUserStartsTheSignUpProgram)
{
    TSignon& s = open();
    s.SpeedButton1->click();
    ASSERT_EQ(launched.size(), 1u);
    EXPECT_NE(launched[0].find("velmarin"), std::string::npos);
    EXPECT_NE(Signon(), nullptr);
}

TEST_F(SignonFixture, BlankInNameShowsTheCharactersMessage)
{
    TSignon& s = open();
    s.ComboBox1->setEditText("ann lee");
    s.Edit1->setText("pw");
    dialogs::QueueAnswer(IDYES);
    s.SpeedButton1->click();
    ASSERT_EQ(boxTexts().size(), 2u);
    EXPECT_EQ(boxTexts()[1],
              "\rSpaces or  \\/:*?\"'<>|= characters are not permitted in your user name. Please retry.");
    EXPECT_FALSE(dirs.exists("windows/my friends/ann lee"));
    EXPECT_TRUE(s.Visible());
}

TEST_F(SignonFixture, DottedNameIsRefusedWithTheSameMessage)
{
    TSignon& s = open();
    s.ComboBox1->setEditText("..");
    s.Edit1->setText("pw");
    dialogs::QueueAnswer(IDYES);
    s.SpeedButton1->click();
    ASSERT_EQ(boxTexts().size(), 2u);
    EXPECT_EQ(boxTexts()[1].substr(0, 10), "\rSpaces or");
    EXPECT_FALSE(dirs.exists("windows/user.dat"));
    EXPECT_FALSE(dirs.exists("windows/my friends/user.dat"));
}

TEST_F(SignonFixture, EmptyPasswordOnlyBeeps)
{
    user("alice", "pw", false);
    dirs.write("windows/larkspire.ini", "[MAIN]\r\nuserLoginName=alice\r\n");
    TSignon& s = open();
    s.SpeedButton1->click();
    EXPECT_TRUE(boxTexts().empty());
    EXPECT_NE(Signon(), nullptr);
    EXPECT_TRUE(s.Visible());
}

TEST_F(SignonFixture, DelAtEndOfNameDeletesTheUserAfterAsking)
{
    user("alice", "pw", true);
    dirs.write("windows/larkspire.ini", "[MAIN]\r\nuserLoginName=alice\r\n");
    TSignon& s = open();
    s.ComboBox1->lineEdit()->setCursorPosition(5);
    dialogs::QueueAnswer(IDYES);
    pressKey(s.ComboBox1->lineEdit(), Qt::Key_Delete);
    ASSERT_EQ(boxTexts().size(), 1u);
    EXPECT_EQ(boxTexts()[0], "\rDelete the user ALICE from your system. Are you sure (y/n)?");
    EXPECT_FALSE(dirs.exists("windows/my friends/alice"));
    EXPECT_EQ(s.ComboBox1->count(), 1);
    EXPECT_EQ(s.ComboBox1->currentText(), "<New User>");
}

TEST_F(SignonFixture, DelInsideNameDoesNothing)
{
    user("alice", "pw", true);
    dirs.write("windows/larkspire.ini", "[MAIN]\r\nuserLoginName=alice\r\n");
    TSignon& s = open();
    s.ComboBox1->lineEdit()->setCursorPosition(2);
    pressKey(s.ComboBox1->lineEdit(), Qt::Key_Delete);
    EXPECT_TRUE(boxTexts().empty());
    EXPECT_TRUE(dirs.exists("windows/my friends/alice/user.dat"));
}

TEST_F(SignonFixture, DeleteAnsweredNoKeepsTheUser)
{
    user("alice", "pw", true);
    dirs.write("windows/larkspire.ini", "[MAIN]\r\nuserLoginName=alice\r\n");
    TSignon& s = open();
    s.ComboBox1->lineEdit()->setCursorPosition(5);
    dialogs::QueueAnswer(IDNO);
    pressKey(s.ComboBox1->lineEdit(), Qt::Key_Delete);
    EXPECT_TRUE(dirs.exists("windows/my friends/alice/user.dat"));
    EXPECT_EQ(s.ComboBox1->count(), 2);
}

TEST_F(SignonFixture, DefaultLogoLeadsToTheHomePage)
{
    TSignon& s = open();
    EXPECT_FALSE(s.AdSplash->Empty());
    EXPECT_EQ(s.AdSplash->Hint(), kHomePage);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(s.AdSplash, &press);
    QCoreApplication::sendEvent(s.AdSplash, &release);
    EXPECT_EQ(opened, (std::vector<std::string> { kHomePage }));
}

TEST_F(SignonFixture, SplashPicturesRotateAndWrapAfter255)
{
    QDir().mkpath(QString::fromStdString(dirs.appDir() + "/ads"));
    QFile::copy(QString(KORVO_BIN_DIR) + "/sigonlogo.gif", QString::fromStdString(dirs.appDir() + "/ads/a.gif"));
    dirs.write("app/ads/ads.idx", "[splash]\r\n0=a.gif^http://zero.example/\r\n255=a.gif^http://last.example/\r\n");
    dirs.write("windows/larkspire.ini", "[MAIN]\r\nlastSplash=255\r\n");
    TSignon& s = open();
    EXPECT_EQ(s.AdSplash->Hint(), "http://last.example/");
    EXPECT_EQ(dirs.read("windows/larkspire.ini"), "[MAIN]\r\nlastSplash=0\r\n");
    QMouseEvent right(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::RightButton, Qt::RightButton, Qt::NoModifier);
    QCoreApplication::sendEvent(s.AdSplash, &right);
    EXPECT_EQ(s.AdSplash->Hint(), "http://zero.example/");
    EXPECT_EQ(dirs.read("windows/larkspire.ini"), "[MAIN]\r\nlastSplash=1\r\n");
}

TEST_F(SignonFixture, SplashNamesCannotLeaveTheAdsFolder)
{
    dirs.write("app/ads/ads.idx", "[splash]\r\n0=../sigonlogo.gif^file:///etc/passwd\r\n");
    TSignon& s = open();
    EXPECT_EQ(s.AdSplash->Hint(), kHomePage);
}

TEST_F(SignonFixture, SplashLinkThatIsNoWebAddressOpensNothing)
{
    QDir().mkpath(QString::fromStdString(dirs.appDir() + "/ads"));
    QFile::copy(QString(KORVO_BIN_DIR) + "/sigonlogo.gif", QString::fromStdString(dirs.appDir() + "/ads/a.gif"));
    dirs.write("app/ads/ads.idx", "[splash]\r\n0=a.gif^/usr/bin/xterm\r\n");
    TSignon& s = open();
    EXPECT_EQ(s.AdSplash->Hint(), "/usr/bin/xterm");
    s.AdSplashClick();
    EXPECT_TRUE(opened.empty());
}

TEST_F(SignonFixture, ScreenshotOfTheSignOnWindow)
{
    user("alice", "secret", true);
    dirs.write("windows/larkspire.ini", "[MAIN]\r\nuserLoginName=alice\r\nVersion=1.0\r\n");
    TSignon& s = open();
    Application::ProcessMessages();
    QDir().mkpath(QString(KORVO_BUILD_DIR) + "/screenshots");
    const QString file = QString(KORVO_BUILD_DIR) + "/screenshots/signon.png";
    EXPECT_TRUE(s.grab().save(file));
    EXPECT_EQ(s.ComboBox1->currentText(), "alice");
}

TEST_F(SignonFixture, UnwritableLarkspireIniStillOpensTheWindowAndSaysSoOnce)
{
    std::filesystem::create_directories(dirs.windowsDir() + "/larkspire.ini");
    TSignon& s = open();
    EXPECT_TRUE(s.Visible());
    EXPECT_FALSE(s.AdSplash->Empty());
    ASSERT_EQ(boxTexts().size(), 1u);
    EXPECT_EQ(boxTexts()[0], "\rUnable to write to " + dirs.windowsDir() + "/larkspire.ini");
    // The next picture (a right click) fails the same write: no second message.
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::RightButton, Qt::RightButton, Qt::NoModifier);
    QCoreApplication::sendEvent(s.AdSplash, &press);
    EXPECT_EQ(boxTexts().size(), 1u);
}

TEST_F(SignonFixture, UnwritableLarkspireIniStillSignsOn)
{
    std::filesystem::create_directories(dirs.windowsDir() + "/larkspire.ini");
    user("alice", "pw", false);
    TSignon& s = open();
    choose(s, "alice");
    s.Edit1->setText("pw");
    s.SpeedButton1->click();
    EXPECT_EQ(boxTexts().size(), 1u);
    EXPECT_EQ(Session().userId, "alice");
    EXPECT_NE(Form1, nullptr);
    EXPECT_TRUE(Application::ProcessMessagesUntil([] { return Signon() == nullptr; }, 5000));
    if (Form1)
        Form1->Free();
}

TEST_F(SignonFixture, SavedPasswordLongerThanTheFieldIsShownWhole)
{
    const std::string password = "abcdefghijklmnopqrstuvwxyz";
    user("alice", password, true);
    dirs.write("windows/larkspire.ini", "[MAIN]\r\nuserLoginName=alice\r\n");
    TSignon& s = open();
    EXPECT_EQ(codepage::FromUnicode(s.Edit1->text()), password);
    s.SpeedButton1->click();
    EXPECT_EQ(Session().scrambledPassword, ScrambleText(password));
    EXPECT_EQ(dirs.read("windows/my friends/alice/user.dat"),
              "[user]\r\npassword=" + ScrambleText(password) + "\r\nSave=1\r\n");
    if (Form1)
        Form1->Free();
}

TEST_F(SignonFixture, TypingStaysWithinTheFieldsLimit)
{
    user("alice", "pw", false);
    dirs.write("windows/larkspire.ini", "[MAIN]\r\nuserLoginName=alice\r\n");
    TSignon& s = open();
    s.Edit1->setFocus();
    for (int i = 0; i < 20; ++i) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
        QCoreApplication::sendEvent(s.Edit1, &press);
    }
    EXPECT_EQ(s.Edit1->text(), QString(15, 'a'));
}

TEST_F(SignonFixture, AUserTypedInAnotherLetterCaseIsTheSameAccount)
{
    user("Alice", "pw", false);
    TSignon& s = open();
    s.ComboBox1->setEditText("alice");
    s.Edit1->setText("pw");
    s.SpeedButton1->click();
    // No "already registered?" question: the folder "Alice" is this account.
    EXPECT_TRUE(boxTexts().empty());
    EXPECT_FALSE(dirs.exists("windows/my friends/alice"));
    EXPECT_TRUE(dirs.exists("windows/my friends/Alice/tasks"));
    // The session goes by the folder's spelling.
    EXPECT_EQ(Session().userId, "Alice");
    EXPECT_NE(dirs.read("windows/larkspire.ini").find("userLoginName=Alice\r\n"), std::string::npos);
    if (Form1)
        Form1->Free();
}

TEST_F(SignonFixture, AUserFolderLinkedOutsideIsNotOfferedNorSignedOnTo)
{
    dirs.write("outside/user.dat", "[user]\r\npassword=1-\r\nSave=1\r\n");
    std::filesystem::create_directories(dirs.windowsDir() + "/my friends");
    std::filesystem::create_symlink(dirs.root() + "/outside", dirs.windowsDir() + "/my friends/mallory");
    TSignon& s = open();
    EXPECT_EQ(s.ComboBox1->count(), 1);
    s.ComboBox1->setEditText("mallory");
    s.Edit1->setText("pw");
    dialogs::QueueAnswer(IDYES);
    s.SpeedButton1->click();
    ASSERT_EQ(boxTexts().size(), 2u);
    EXPECT_EQ(boxTexts()[1], "\rThe folder of the user mallory is not inside \"my friends\". Please choose another name.");
    EXPECT_EQ(dirs.read("outside/user.dat"), "[user]\r\npassword=1-\r\nSave=1\r\n");
    EXPECT_NE(Signon(), nullptr);
}

TEST_F(SignonFixture, SplashPastTheLastKeyShowsTheFirstPicture)
{
    QDir().mkpath(QString::fromStdString(dirs.appDir() + "/ads"));
    for (const char* name : { "a.gif", "b.gif", "c.gif" })
        QFile::copy(QString(KORVO_BIN_DIR) + "/sigonlogo.gif", QString::fromStdString(dirs.appDir() + "/ads/" + name));
    dirs.write("app/ads/ads.idx", "[splash]\r\n0=a.gif^http://zero.example/\r\n1=b.gif^http://one.example/\r\n"
                                  "2=c.gif^http://two.example/\r\n");
    dirs.write("windows/larkspire.ini", "[MAIN]\r\nlastSplash=3\r\n");
    TSignon& s = open();
    EXPECT_EQ(s.AdSplash->Hint(), "http://zero.example/");
    EXPECT_EQ(dirs.read("windows/larkspire.ini"), "[MAIN]\r\nlastSplash=1\r\n");
}

TEST_F(SignonFixture, SplashNamingAFileOutsideTheAdsFolderShowsTheLogo)
{
    QDir().mkpath(QString::fromStdString(dirs.appDir() + "/ads"));
    QFile::copy(QString(KORVO_BIN_DIR) + "/sigonlogo.gif", QString::fromStdString(dirs.appDir() + "/outside.gif"));
    dirs.write("app/ads/ads.idx", "[splash]\r\n0=../outside.gif^http://evil.example/\r\n");
    TSignon& s = open();
    EXPECT_FALSE(s.AdSplash->Empty());
    EXPECT_EQ(s.AdSplash->Hint(), kHomePage);
}

TEST_F(SignonFixture, AHugeSplashPictureShowsTheLogo)
{
    // A screen of 4096 x 4096 in the header.
    dirs.write("app/ads/huge.gif", std::string("GIF89a\x00\x10\x00\x10\x80\x00\x00", 13) + std::string(64, '\0'));
    dirs.write("app/ads/ads.idx", "[splash]\r\n0=huge.gif^http://ad.example/\r\n");
    TSignon& s = open();
    EXPECT_FALSE(s.AdSplash->Empty());
    EXPECT_EQ(s.AdSplash->Hint(), kHomePage);
}

TEST_F(SignonFixture, ACutSplashPictureShowsTheLogo)
{
    dirs.write("app/ads/cut.gif", "GIF89a\x10\x00");
    dirs.write("app/ads/ads.idx", "[splash]\r\n0=cut.gif^http://ad.example/\r\n");
    TSignon& s = open();
    EXPECT_FALSE(s.AdSplash->Empty());
    EXPECT_EQ(s.AdSplash->Hint(), kHomePage);
}
