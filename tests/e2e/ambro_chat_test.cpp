#include "larkspire_process.h"

#include "platform/testing/ircserver.h"
#include "platform/testing/loopback.h"
#include "platform/testing/scratch.h"
#include "platform/testing/serviceprocess.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

const char* const kEmail = "birders@example.org";

// One visitor of the site: its own machine, signed on, with the site in its browser.
struct Visitor {
    Visitor(const std::string& user, const std::string& alias, int host) : user(user)
    {
        QFile::copy(QString(KORVO_BIN_DIR) + "/sigonlogo.gif", QString::fromStdString(dirs.appDir() + "/sigonlogo.gif"));
        dirs.write("windows/my friends/" + user + "/user.dat", "[user]\r\npassword=\r\nSave=0\r\nalias=" + alias + "\r\n");
        dirs.write("windows/larkspire.ini", "[MAIN]\r\nuserLoginName=" + user + "\r\nuserEmail=" + kEmail + "\r\n");
        process = std::make_unique<LarkspireProcess>(dirs.windowsDir(), dirs.appDir(), dirs.root() + "/l.sock", LoopbackHost(host));
    }
    std::string text(const std::string& control) { return process->command("text\tTForm14\t" + control); }
    bool waitText(const std::string& control, const std::string& part)
    {
        return Application::ProcessMessagesUntil([&] { return text(control).find(part) != std::string::npos; }, 15000);
    }
    std::string caption()
    {
        const std::string windows = process->command("windows");
        const std::size_t at = windows.find("TForm14:");
        return at == std::string::npos ? std::string() : windows.substr(at + 8, windows.find('\t', at) - at - 8);
    }
    // The nick the window's caption names.
    std::string nick()
    {
        const std::string c = caption();
        return c.substr(0, c.find(" on "));
    }
    void say(const std::string& words)
    {
        process->command("set\tTForm14\tmemo3\t" + words);
        process->command("key\tTForm14\tmemo3\tReturn");
    }
    // Moves the person list's selection to that person.
    bool select(const std::string& person)
    {
        process->command("key\tTForm14\tListBox1\tHome");
        for (int i = 0; i < 10; ++i) {
            if (text("ListBox1") == "ok " + person)
                return true;
            process->command("key\tTForm14\tListBox1\tDown");
        }
        return false;
    }

    std::string user;
    ScratchDirs dirs;
    std::unique_ptr<LarkspireProcess> process;
};

}  // namespace

TEST(AmbroChat, TwoVisitorsChatWhisperChangeRoomsAndOneIsKicked)
{
    if (!IrcServer::Available())
        GTEST_SKIP() << "ngircd is not installed";
    IrcServer irc(kEmail);
    ASSERT_TRUE(irc.start()) << irc.error();
    ScratchDirs site;
    site.write("files/birds.org/ambro/ambro.inf", "[site]\r\nSitename=Birds\r\nServer=127.0.0.1\r\nPort=" + std::to_string(irc.port())
                                                     + "\r\n[Rooms]\r\n0=Lobby#lobby\r\n1=Hawks#hawks\r\n");
    ServiceProcess service({ "--db", site.root() + "/service.db", "--files", site.root() + "/files" });
    ASSERT_TRUE(service.started()) << service.error();

    // The operator is in the lobby first and sets its topic.
    IrcTestClient op;
    ASSERT_TRUE(op.connect(irc.port()));
    op.line(std::string("PASS ") + kEmail);
    op.line("NICK op");
    op.line("USER op X Y :op");
    ASSERT_NE(op.waitFor(" 376 "), "");
    op.line(std::string("OPER ") + IrcServer::kOperator + " " + IrcServer::kOperatorPassword);
    op.line("JOIN #lobby");
    ASSERT_NE(op.waitFor(" 366 "), "");
    op.line("TOPIC #lobby :Welcome, birders");
    ASSERT_NE(op.waitFor("TOPIC"), "");
    op.line("JOIN #hawks");
    ASSERT_NE(op.waitFor(" 366 "), "");

    setenv("KORVO_BROWSER_PAGE", ("\"http://127.0.0.1:" + std::to_string(service.port()) + "/birds.org/hawks.html\",\"Hawks\"").c_str(), 1);
    Visitor alice("alice", "birder", 2);
    Visitor bob("bob", "birder", 3);
    unsetenv("KORVO_BROWSER_PAGE");
    ASSERT_TRUE(alice.process->signOn());
    ASSERT_TRUE(bob.process->signOn());
    ASSERT_EQ(alice.process->command("click\tForm1\tQORExplorerButton14"), "ok");
    ASSERT_TRUE(alice.waitText("Panel2", "Persons (2)")) << alice.text("Memo2");
    ASSERT_EQ(bob.process->command("click\tForm1\tQORExplorerButton14"), "ok");
    ASSERT_TRUE(bob.waitText("Panel2", "Persons (3)")) << bob.text("Memo2");
    ASSERT_TRUE(alice.waitText("Panel2", "Persons (3)")) << alice.text("Memo2");

    // One alias, two people: the second got a number.
    const std::string aliceNick = alice.nick();
    const std::string bobNick = bob.nick();
    EXPECT_EQ(aliceNick, "birder");
    EXPECT_NE(bobNick, aliceNick);
    EXPECT_EQ(bobNick.rfind("birder", 0), 0u);
    EXPECT_EQ(bob.caption(), bobNick + " on Birds - Korvo Ambro\xC2\xAE");
    EXPECT_EQ(bob.text("StatusBar1"), "ok Now chatting in \"lobby\" room");
    EXPECT_TRUE(bob.waitText("Memo2", "Birds says \"Welcome, birders\""));

    alice.say("hello there, fellow birders");
    EXPECT_TRUE(bob.waitText("Memo2", aliceNick + " says \"hello there, fellow birders\""));
    EXPECT_NE(op.waitFor("hello there, fellow birders"), "");

    ASSERT_TRUE(bob.select(aliceNick));
    bob.process->command("set\tTForm14\tmemo3\tjust between us");
    bob.process->command("click\tTForm14\tWhisper");
    EXPECT_TRUE(alice.waitText("Memo2", "<PRIVATE MESSAGE from " + bobNick + "> says \"just between us\""));
    EXPECT_EQ(bob.text("Memo2").find("just between us"), std::string::npos);

    // Both go to the hawks room, where the operator waits, and bob is kicked there.
    ASSERT_EQ(alice.process->command("menu\tTForm14\tHawks"), "ok");
    ASSERT_EQ(bob.process->command("menu\tTForm14\tHawks"), "ok");
    EXPECT_TRUE(alice.waitText("StatusBar1", "Now chatting in \"hawks\" room"));
    EXPECT_TRUE(bob.waitText("StatusBar1", "Now chatting in \"hawks\" room"));
    EXPECT_TRUE(alice.waitText("Panel2", "Persons (3)"));
    op.line("KICK #hawks " + bobNick + " :no shouting");
    EXPECT_TRUE(bob.waitText("StatusBar1", "Disconnected"));
    EXPECT_TRUE(bob.waitText("Memo2", "Birds : no shouting"));
    EXPECT_TRUE(alice.waitText("Memo2", bobNick + " has left this conference"));
    EXPECT_EQ(alice.text("StatusBar1"), "ok Now chatting in \"hawks\" room");
}

TEST(AmbroChat, APageOfNoSiteTellsTheUser)
{
    setenv("KORVO_BROWSER_PAGE", "\"http://127.0.0.1:1/nothing.org/x\",\"x\"", 1);
    Visitor alice("alice", "birder", 4);
    unsetenv("KORVO_BROWSER_PAGE");
    ASSERT_TRUE(alice.process->signOn());
    ASSERT_EQ(alice.process->command("click\tForm1\tQORExplorerButton14"), "ok");
    EXPECT_TRUE(Application::ProcessMessagesUntil(
        [&] { return alice.process->command("boxes").find("does not appear to support this feature") != std::string::npos; }, 20000))
        << alice.process->command("boxes");
}

TEST(AmbroChat, AnAliasTheServerRefusesAsANickEndsTheChatWithTheServersWords)
{
    if (!IrcServer::Available())
        GTEST_SKIP() << "ngircd is not installed";
    IrcServer irc(kEmail);
    ASSERT_TRUE(irc.start()) << irc.error();
    ScratchDirs site;
    site.write("files/birds.org/ambro/ambro.inf",
               "[site]\r\nSitename=Birds\r\nServer=127.0.0.1\r\nPort=" + std::to_string(irc.port()) + "\r\n[Rooms]\r\n0=Lobby#lobby\r\n");
    ServiceProcess service({ "--db", site.root() + "/service.db", "--files", site.root() + "/files" });
    ASSERT_TRUE(service.started()) << service.error();
    setenv("KORVO_BROWSER_PAGE", ("\"http://127.0.0.1:" + std::to_string(service.port()) + "/birds.org/owls.html\",\"Owls\"").c_str(), 1);
    Visitor alice("alice", "bird:er", 5);
    unsetenv("KORVO_BROWSER_PAGE");
    ASSERT_TRUE(alice.process->signOn());
    ASSERT_EQ(alice.process->command("click\tForm1\tQORExplorerButton14"), "ok");
    EXPECT_TRUE(alice.waitText("Memo2", "*** Unable to successfully connect to Birds Connection aborted")) << alice.text("Memo2");
    EXPECT_TRUE(alice.waitText("Memo2", "Birds says \"Erroneous nickname\"")) << alice.text("Memo2");
    EXPECT_TRUE(alice.waitText("StatusBar1", "Disconnected")) << alice.text("StatusBar1");
    EXPECT_EQ(alice.caption(), "Korvo Ambro\xC2\xAE - closed");
}
