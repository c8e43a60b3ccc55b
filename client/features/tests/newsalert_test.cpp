#include "client/core/mainbar.h"
#include "client/core/scrambler.h"
#include "client/core/session.h"
#include "client/features/mailcheck.h"
#include "client/features/newsalert.h"
#include "platform/rtl/eventloop.h"
#include "platform/testing/dovecot.h"
#include "platform/testing/scratch.h"
#include "platform/win/sound.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using Rows = std::vector<std::pair<std::string, std::string>>;

class NewsAlert : public ::testing::Test {
protected:
    void SetUp() override
    {
        Session() = TSession();
        Session().userId = "ann";
        Session().sound = true;
        browserLog = dirs.root() + "/opened.txt";
        setenv("KORVO_NO_BROWSER", browserLog.c_str(), 1);
        sound::SetObserver([this](const std::string& file, unsigned) {
            if (!file.empty())
                sounds.push_back(file.substr(file.find_last_of('/') + 1));
        });
        savedClock = TForm9::Clock();
        TForm9::Clock() = [this] { return now; };
    }
    void TearDown() override
    {
        sound::SetObserver(nullptr);
        unsetenv("KORVO_NO_BROWSER");
        TForm9::Clock() = savedClock;
    }

    // A window as the news run makes it, kept under watch.
    QPointer<TForm9> newsWindow(const std::vector<std::string>& lines)
    {
        QPointer<TForm9> form = new TForm9(TForm9::NewsMode, lines);
        form->Show();
        return form;
    }
    void closeAndSettle(QPointer<TForm9>& form)
    {
        form->Close();
        Application::ProcessMessagesUntil([&] { return form.isNull(); }, 2000);
    }

    ScratchDirs dirs;
    std::string browserLog;
    std::vector<std::string> sounds;
    std::int64_t now { 1000 };
    std::function<std::int64_t()> savedClock;
};

}  // namespace

TEST_F(NewsAlert, NewsModeListsTheAlertsAndSavesThemOnClose)
{
    QPointer<TForm9> form = newsWindow({ "Gold rises\xB6http://site/1.htm", "Gold falls\xB6http://site/2.htm" });
    EXPECT_EQ(form->Caption(), "News Alert");
    EXPECT_EQ(form->Label1->text(), "News Alert!");
    EXPECT_EQ(form->ListBox1->Rows(), (Rows { { "Gold rises", "http://site/1.htm" }, { "Gold falls", "http://site/2.htm" } }));
    EXPECT_EQ(form->ListBox1->headerItem()->text(0), "Breaking Headlines");
    EXPECT_EQ(sounds, std::vector<std::string> { "sound3.wav" });
    closeAndSettle(form);
    EXPECT_TRUE(form.isNull());
    EXPECT_EQ(dirs.read("app/Alerts.txt"), "Gold rises\xB6http://site/1.htm\r\nGold falls\xB6http://site/2.htm\r\n");
}

TEST_F(NewsAlert, DetailsOpensOnlyWebLinks)
{
    QPointer<TForm9> form = newsWindow({ "Web\xB6http://site/1.htm", "Local\xB6" "file:///etc/passwd" });
    form->DetailsClick();
    EXPECT_FALSE(dirs.exists("opened.txt"));
    form->ListBox1->setCurrentItem(form->ListBox1->topLevelItem(1));
    form->DetailsClick();
    EXPECT_FALSE(dirs.exists("opened.txt"));
    form->ListBox1->setCurrentItem(form->ListBox1->topLevelItem(0));
    form->DetailsClick();
    EXPECT_EQ(dirs.read("opened.txt"), "http://site/1.htm\r\n");
    closeAndSettle(form);
}

TEST_F(NewsAlert, ClosesAfterTenMinutesUnlessTheListIsPressed)
{
    QPointer<TForm9> form = newsWindow({ "A\xB6http://a/" });
    now += 9 * 60 * 1000;
    // A press into the list starts the ten minutes again.
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form->ListBox1->viewport(), &press);
    now += 9 * 60 * 1000;
    form->Timer1Timer();
    Application::ProcessMessages();
    ASSERT_FALSE(form.isNull());
    EXPECT_TRUE(form->Timer1->isActive());
    now += 60 * 1000;
    form->Timer1Timer();
    Application::ProcessMessagesUntil([&] { return form.isNull(); }, 2000);
    EXPECT_TRUE(form.isNull());
}

TEST_F(NewsAlert, MailModeListsHeadersSortedBySender)
{
    dirs.write("windows/my friends/ann/mail/headers.inf", "zoe;Last\r\nAnn Lee;Lunch\r\nbob@x;(no subject)\r\n");
    QPointer<TForm9> form = new TForm9(TForm9::MailMode, {});
    EXPECT_EQ(form->Caption(), "Mail Alert");
    EXPECT_EQ(form->Label1->text(), "You Have Mail!");
    EXPECT_EQ(form->DetailsButton->text(), "Read Mail");
    EXPECT_EQ(form->ListBox1->Rows(),
              (Rows { { "Ann Lee", "Lunch" }, { "bob@x", "(no subject)" }, { "zoe", "Last" } }));
    EXPECT_EQ(form->ListBox1->columnWidth(0), 140);
    closeAndSettle(form);
    EXPECT_FALSE(dirs.exists("app/Alerts.txt"));
}

TEST_F(NewsAlert, MissingHeadersLeaveTheMailListEmpty)
{
    QPointer<TForm9> form = new TForm9(TForm9::MailMode, {});
    EXPECT_TRUE(form->ListBox1->Rows().empty());
    closeAndSettle(form);
}

TEST_F(NewsAlert, ARealMailCheckWithHeadersOpensTheMailAlert)
{
    if (!DovecotServer::Available())
        GTEST_SKIP() << "dovecot is not installed";
    DovecotServer server;
    server.addUser("ann", "secret");
    server.deliver("ann", "From: \"Ann Lee\" <a@x>\nSubject: Lunch\nTo: ann@x\n\nbody\n");
    server.deliver("ann", "From: Bob <b@x>\nSubject: Golf\nTo: ann@x\n\nbody\n");
    ASSERT_TRUE(server.start()) << server.error();
    dirs.write("windows/larkspire.ini", "[Mail]\r\n3=1\r\n4=0\r\n");
    dirs.write("windows/my friends/ann/mail/mail.inf", "[Work]\r\nlogin=ann\r\nPOP=127.0.0.1\r\nPOPPort="
                   + std::to_string(server.port()) + "\r\nPassword=" + ScrambleText("secret") + "\r\n");
    auto bar = std::make_unique<TForm1>();
    Session().online = true;
    StartMailCheck(false);
    ASSERT_TRUE(Application::ProcessMessagesUntil([] { return AlertWindow() != nullptr; }, 20000));
    TForm9* form = AlertWindow();
    EXPECT_EQ(form->Mode(), TForm9::MailMode);
    EXPECT_EQ(form->ListBox1->Rows(), (Rows { { "Ann Lee", "Lunch" }, { "Bob", "Golf" } }));
    EXPECT_EQ(bar->ChnName->text(), "YOU HAVE MAIL!");
    bar.reset();
    Session().online = false;
}
