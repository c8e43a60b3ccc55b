#include "peer_host.h"

#include "platform/testing/serviceprocess.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sstream>
#include <string>

namespace {

bool Eventually(const std::function<bool()>& state, int timeoutMs = 20000)
{
    return Application::ProcessMessagesUntil(state, timeoutMs);
}

// The window shows, or (visible false) is hidden or gone.
bool Shown(AutomationClient& program, const std::string& window, bool visible = true)
{
    return Eventually([&] { return (program.command("find\t" + window).find("\t1\t") != std::string::npos) == visible; });
}

// One fault a line, as the `lint` reply lists them.
std::string FaultLines(const std::string& reply)
{
    std::string lines = reply;
    for (std::size_t at = lines.find('\t'); at != std::string::npos; at = lines.find('\t', at))
        lines.replace(at, 1, "\n  ");
    return lines;
}

// A user's walk through every window of larkspire, velmarin, tivra and mail: each is grabbed
// to screenshots/tour/<program>-<window>.png and its controls are checked as a user
// would read them: no accelerator "&" as text, no symbol font's letter where its
// picture belongs, no label cut short.
class WindowTour : public ::testing::Test {
protected:
    void SetUp() override { QDir().mkpath(QString::fromStdString(m_folder)); }

    // Waits for the window, grabs it and reports its faults.
    void visit(AutomationClient& program, const std::string& name, const std::string& window, const std::string& shot)
    {
        const std::string where = name + "-" + shot;
        if (!Shown(program, window)) {
            ADD_FAILURE() << where << ": " << window << " did not show; shown: " << program.command("windows");
            return;
        }
        const std::string file = m_folder + "/" + where + ".png";
        EXPECT_EQ(program.command("grab\t" + window + "\t" + file).rfind("ok ", 0), 0u) << file;
        const std::string faults = program.command("lint\t" + window);
        EXPECT_EQ(faults, "ok") << where << ":\n  " << FaultLines(faults);
    }
    // Closes a window as its close box does and waits until it is gone.
    void close(AutomationClient& program, const std::string& window)
    {
        EXPECT_EQ(program.command("close\t" + window), "ok") << window;
        EXPECT_TRUE(Shown(program, window, false)) << window << " stayed";
    }

    void tourLarkspire();
    void tourVelmarin();
    void tourTivra();
    void tourMail();

private:
    std::string m_folder { KORVO_BUILD_DIR "/screenshots/tour" };
};

// Opens the first buddy's pop-up menu in the buddy list and picks an item, as a user's mouse does.
bool BuddyMenu(AutomationClient& client, const std::string& item)
{
    return Eventually([&] { return client.command("rclick\tForm1\tfrCanvas1\t40,8") == "ok"; })
        && Eventually([&] { return client.command("menu\tForm1\t" + item) == "ok"; }, 5000);
}

// The pictures the windows name, as the program folder holds them.
const char* const kPictures[] = { "sigonlogo.gif", "iconB.bmp", "iconF.bmp", "iconG.bmp", "iconH.bmp", "assets/tool_email.bmp",
    "assets/tool_email2.bmp", "assets/speedbutton7.bmp", "assets/speedbutton8.bmp", "assets/speedbutton9.bmp",
    "assets/speedbutton10.bmp", "assets/link_default.bmp", "assets/news.ico", "assets/mail.ico", "assets/mailwizard.bmp",
    "assets/mailaccounts.bmp", "plugins/chess/icon.bmp" };

void WindowTour::tourLarkspire()
{
    for (const char* picture : kPictures)
        EXPECT_FALSE(QImage(QString(KORVO_BIN_DIR) + "/" + picture).isNull()) << picture << " is missing or does not load";

    ScratchDirs serviceDirs;
    ServiceProcess service({ "--db", serviceDirs.root() + "/service.db", "--user", "alice:pw", "--user", "bob:pw" });
    ASSERT_TRUE(service.started()) << service.error();
    // bob left a note while alice was away: it opens at her sign-on.
    ASSERT_EQ(HttpGet(service.port(), "/notein.asp?to=alice&From=bob&message=call%20me&Link=x%B6" "1%2F2%2F2026").body,
              "success\r\n");
    Host alice("alice", 2);
    alice.dirs.write("windows/larkspire.ini", "[MAIN]\r\nuserLoginName=alice\r\nuserEmail=alice@example.org\r\nlocalAddress="
                                                  + alice.address + "\r\nNotesServer=" + service.hostPort() + "\r\n");
    alice.dirs.write("app/servers.ini", "[servers]\r\n0=" + service.hostPort() + "\r\n");
    // Every branch the guide knows, past the first run, and no news run to change the bar.
    alice.dirs.write("app/Channels.ini", "[Push News]\r\nmanual=0\r\n[Settings]\r\nfirsttimer=0\r\n[Categories]\r\n0=General\r\n"
                                         "1=Favorites\r\n2=Nivlets\r\n3=Praltos\r\n4=News Headlines\r\n5=Programs\r\n");
    alice.lists("bob", "DirectConnect=" + LoopbackHost(3) + "\r\n");
    // The request prompt's pictures, as an installation ships them.
    for (const char* icon : { "iconB.bmp", "iconF.bmp", "iconG.bmp", "iconH.bmp" })
        QFile::copy(QString(KORVO_BIN_DIR) + "/" + icon, QString::fromStdString(alice.dirs.appDir() + "/" + icon));
    alice.installChess();
    alice.start();
    AutomationClient& client = alice.process->automation();
    visit(client, "larkspire", "Sign On", "signon");
    ASSERT_TRUE(alice.process->signOn());

    // bob's program as a plain socket: online, he can be chatted with and asks to send a file.
    HostilePeer bob(LoopbackHost(3), alice.address);
    ASSERT_TRUE(bob.connected());
    bob.line(Frame("inf", "bob", "bob@example.org", "alice"));
    ASSERT_TRUE(alice.seesOnline("bob", true));

    visit(client, "larkspire", "From: bob", "note-received");
    visit(client, "larkspire", "Form1", "bar");
    // The buddy list shows in place of the channels while the button is held down.
    EXPECT_EQ(client.command("drag\tForm1\tActiveButton1\t5,5\t5,5"), "ok");
    EXPECT_TRUE(Eventually([&] { return client.command("rclick\tForm1\tfrCanvas1\t40,8") == "ok"; }));
    visit(client, "larkspire", "Form1", "buddylist");

    ASSERT_TRUE(BuddyMenu(client, "Chat"));
    visit(client, "larkspire", "bob - Korvo", "chat");
    ASSERT_TRUE(BuddyMenu(client, "Send Nivlet"));
    visit(client, "larkspire", "To: bob", "note");
    ASSERT_TRUE(BuddyMenu(client, "Properties"));
    visit(client, "larkspire", "Edit Properties", "buddy");
    close(client, "Edit Properties");

    bob.line(Frame("requesttosendfile", "bob", "C:\\notes.txt", "100"));
    visit(client, "larkspire", "Incoming Request...", "request");
    EXPECT_EQ(client.command("click\tIncoming Request...\tButton2"), "ok");
    EXPECT_TRUE(Shown(client, "Incoming Request...", false));

    EXPECT_EQ(client.command("click\tForm1\tSpeedButton9"), "ok");
    visit(client, "larkspire", "TForm5", "guide");
    // Every branch open, as the expand button shows them.
    EXPECT_EQ(client.command("click\tTForm5\tSpeedButton2"), "ok");
    visit(client, "larkspire", "TForm5", "guide-expanded");
    EXPECT_EQ(client.command("click\tTForm5\tSpeedButton1"), "ok");
    EXPECT_TRUE(Shown(client, "TForm5", false));

    // Setup's pages, one after another as the arrow keys step through its tabs.
    EXPECT_EQ(client.command("click\tForm1\tSpeedButton1"), "ok");
    visit(client, "larkspire", "Korvo Properties", "setup");
    for (const char* page : { "headlines", "information", "privacy", "mail" }) {
        EXPECT_EQ(client.command("key\tKorvo Properties\tPageTabs\tRight"), "ok") << page;
        visit(client, "larkspire", "Korvo Properties", std::string("setup-") + page);
    }
    close(client, "Korvo Properties");

    const struct {
        const char* command;
        const char* window;
        const char* shot;
    } windows[] = {
        { "click\tForm1\tSpeedButton8", "Form15", "pralto" },
        { "click\tForm1\tSpeedButton6", "Korvo Search", "search" },
        { "menu\tForm1\tNew Buddy...", "Add New Properties", "addbuddy" },
        { "menu\tForm1\tAbout...", "About", "about" },
        { "click\tForm1\tExplorerButton17", "Conference* - Korvo", "conference" },
        { "click\tForm1\tQORExplorerButton17", "Away Message", "away" },
    };
    for (const auto& window : windows) {
        EXPECT_EQ(client.command(window.command), "ok") << window.command;
        visit(client, "larkspire", window.window, window.shot);
        close(client, window.window);
    }

    ASSERT_TRUE(BuddyMenu(client, "Chess"));
    AutomationClient chess(alice.socket() + ".chess");
    ASSERT_TRUE(chess.connect());
    visit(chess, "chess", "Form1", "board");
    EXPECT_EQ(chess.command("menu\tForm1\tExit"), "ok");
}

void WindowTour::tourVelmarin()
{
    ScratchDirs dirs;
    const std::string socket = dirs.root() + "/v.sock";
    QProcess velmarin;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("KORVO_WINDIR", QString::fromStdString(dirs.windowsDir()));
    env.insert("KORVO_APPDIR", QString::fromStdString(dirs.appDir()));
    env.insert("KORVO_AUTOMATION", QString::fromStdString(socket));
    env.insert("KORVO_NO_BROWSER", "1");
    env.remove("KORVO_PARENT");
    velmarin.setProcessEnvironment(env);
    velmarin.start(QString(KORVO_BIN_DIR) + "/velmarin", {});
    ASSERT_TRUE(velmarin.waitForStarted(10000));
    AutomationClient wizard(socket);
    ASSERT_TRUE(wizard.connect());

    visit(wizard, "velmarin", "Form1", "welcome");
    EXPECT_EQ(wizard.command("click\tForm1\tCreateButton"), "ok");
    EXPECT_TRUE(Eventually([&] { return wizard.command("set\tForm1\tFirstNameEdit\tAda") == "ok"; }));
    visit(wizard, "velmarin", "Form1", "details");
    for (const char* field : { "LastNameEdit\tLovelace", "EmailEdit\tada@example.org", "CityEdit\tSan Jose" })
        EXPECT_EQ(wizard.command(std::string("set\tForm1\t") + field), "ok") << field;
    EXPECT_EQ(wizard.command("click\tForm1\tNextButton"), "ok");
    EXPECT_TRUE(Eventually([&] { return wizard.command("set\tForm1\tUserNameEdit\tada") == "ok"; }));
    visit(wizard, "velmarin", "Form1", "account");

    velmarin.kill();
    velmarin.waitForFinished(5000);
}

void WindowTour::tourTivra()
{
    ScratchDirs dirs;
    dirs.write("app/Address Book/Grant_Ada.zkt", "[General]\r\nFirstName=Ada\r\nLastName=Grant\r\nEmail=ada@example.org\r\n");
    dirs.write("app/Address Book/Friends/Lee_Bo.zkt", "[General]\r\nFirstName=Bo\r\nLastName=Lee\r\n");
    LarkspireProcess tivra(dirs.windowsDir(), dirs.appDir(), dirs.root() + "/t.sock", "", "tivra");
    AutomationClient& book = tivra.automation();
    ASSERT_TRUE(book.connect());
    const std::string window = "Korvo - Address Book";
    visit(book, "tivra", window, "book");
    const struct {
        const char* item;
        const char* shot;
    } views[] = { { "LargeIcon1", "large-icons" }, { "SmallIcon1", "small-icons" }, { "List1", "list" }, { "Details1", "details" } };
    for (const auto& view : views) {
        EXPECT_EQ(book.command("menu\t" + window + "\t" + view.item), "ok") << view.item;
        visit(book, "tivra", window, view.shot);
    }
    EXPECT_EQ(book.command("click\t" + window + "\tAddContactButton"), "ok");
    visit(book, "tivra", "Properties", "properties");
    for (const char* page : { "home", "business", "personal", "other" }) {
        EXPECT_EQ(book.command("key\tProperties\tqt_tabwidget_tabbar\tRight"), "ok") << page;
        visit(book, "tivra", "Properties", std::string("properties-") + page);
    }
    close(book, "Properties");
    EXPECT_EQ(book.command("click\t" + window + "\tNewGroupButton"), "ok");
    visit(book, "tivra", "New Contact Group", "group");
    close(book, "New Contact Group");
}

void WindowTour::tourMail()
{
    ScratchDirs dirs;
    dirs.write("windows/larkspire.ini", "[Main]\r\nUserLoginName=ann\r\n");
    dirs.write("windows/my friends/ann/mail/.keep", "");
    const std::string socket = dirs.root() + "/m.sock";
    QProcess mail;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("KORVO_WINDIR", QString::fromStdString(dirs.windowsDir()));
    env.insert("KORVO_APPDIR", QString::fromStdString(dirs.appDir()));
    env.insert("KORVO_AUTOMATION", QString::fromStdString(socket));
    env.remove("KORVO_PARENT");
    mail.setProcessEnvironment(env);
    mail.start(QString(KORVO_BIN_DIR) + "/mail", { "/config" });
    ASSERT_TRUE(mail.waitForStarted(10000));
    AutomationClient accounts(socket);
    ASSERT_TRUE(accounts.connect());
    visit(accounts, "mail", "Mail Accounts", "accounts");

    // The wizard's pages, each filled in as a user would before going on.
    const std::string wizard = "Korvo - Mail Account Wizard";
    EXPECT_EQ(accounts.command("click\tMail Accounts\tAddButton"), "ok");
    const struct {
        const char* fields;
        const char* shot;
    } pages[] = { { "AccountNameEdit\tHome", "wizard-name" }, { "YourNameEdit\tAnn Lee", "wizard-your-name" },
        { "EmailEdit\tann@example.org", "wizard-email" }, { "PopEdit\tpop.example.org\nSmtpEdit\tsmtp.example.org", "wizard-servers" },
        { "LoginEdit\tann\nPasswordEdit\tpw", "wizard-login" } };
    for (const auto& page : pages) {
        visit(accounts, "mail", wizard, page.shot);
        std::stringstream fields(page.fields);
        for (std::string field; std::getline(fields, field);)
            EXPECT_EQ(accounts.command("set\t" + wizard + "\t" + field), "ok") << field;
        EXPECT_EQ(accounts.command("click\t" + wizard + "\tNextButton"), "ok") << page.shot;
    }
    visit(accounts, "mail", wizard, "wizard-done");
    EXPECT_EQ(accounts.command("click\t" + wizard + "\tNextButton"), "ok");
    EXPECT_TRUE(Shown(accounts, wizard, false)) << wizard << " stayed";
    visit(accounts, "mail", "Mail Accounts", "accounts-one");

    EXPECT_EQ(accounts.command("click\tMail Accounts\tCloseButton"), "ok");
    EXPECT_TRUE(mail.waitForFinished(20000));
    mail.kill();
    mail.waitForFinished(5000);
}

}  // namespace

TEST_F(WindowTour, EveryWindowShowsItsTextAsWrittenAndWhole)
{
    tourLarkspire();
    tourVelmarin();
    tourTivra();
    tourMail();
}
