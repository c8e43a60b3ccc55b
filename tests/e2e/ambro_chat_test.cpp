#include "larkspire_process.h"

#include "platform/testing/ircserver.h"
#include "platform/testing/loopback.h"
#include "platform/testing/scratch.h"
#include "platform/testing/serviceprocess.h"

#include <QFile>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

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

// An IRC server that says what a test tells it: one client, blocking lines.
class ScriptedIrcServer {
public:
    ScriptedIrcServer()
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        ::inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(m_listener, 1);
        socklen_t length = sizeof address;
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
    }
    ~ScriptedIrcServer()
    {
        if (m_client >= 0)
            ::close(m_client);
        ::close(m_listener);
    }
    int port() const { return m_port; }
    // The next line from the client holding part, waiting for the client first; "" after 15 s.
    std::string waitFor(const std::string& part)
    {
        if (m_client < 0) {
            if (!Readable(m_listener))
                return {};
            m_client = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        }
        for (;;) {
            for (auto end = m_input.find("\r\n"); end != std::string::npos; end = m_input.find("\r\n")) {
                const std::string line = m_input.substr(0, end);
                m_input.erase(0, end + 2);
                if (line.find(part) != std::string::npos)
                    return line;
            }
            char buffer[1024];
            const ssize_t n = Readable(m_client) ? ::recv(m_client, buffer, sizeof buffer, 0) : 0;
            if (n <= 0)
                return {};
            m_input.append(buffer, static_cast<std::size_t>(n));
        }
    }
    void line(const std::string& text) { ::send(m_client, (text + "\r\n").data(), text.size() + 2, MSG_NOSIGNAL); }

private:
    static bool Readable(int fd)
    {
        pollfd wanted { fd, POLLIN, 0 };
        return ::poll(&wanted, 1, 15000) == 1;
    }
    int m_listener { -1 };
    int m_client { -1 };
    int m_port { 0 };
    std::string m_input;
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

TEST(AmbroChat, AMessageWithoutTextShowsNothing)
{
    // No real server passes such a line on (it answers "No text to send"): a scripted one says it.
    ScriptedIrcServer irc;
    ScratchDirs site;
    site.write("files/birds.org/ambro/ambro.inf",
               "[site]\r\nSitename=Birds\r\nServer=127.0.0.1\r\nPort=" + std::to_string(irc.port()) + "\r\n[Rooms]\r\n0=Lobby#lobby\r\n");
    ServiceProcess service({ "--db", site.root() + "/service.db", "--files", site.root() + "/files" });
    ASSERT_TRUE(service.started()) << service.error();
    setenv("KORVO_BROWSER_PAGE", ("\"http://127.0.0.1:" + std::to_string(service.port()) + "/birds.org/owls.html\",\"Owls\"").c_str(), 1);
    Visitor alice("alice", "birder", 6);
    unsetenv("KORVO_BROWSER_PAGE");
    ASSERT_TRUE(alice.process->signOn());
    ASSERT_EQ(alice.process->command("click\tForm1\tQORExplorerButton14"), "ok");
    ASSERT_NE(irc.waitFor("USER birder"), "");
    irc.line(":irc.test 001 birder :Welcome");
    irc.line(":irc.test 376 birder :End of MOTD");
    ASSERT_NE(irc.waitFor("JOIN #lobby"), "");
    irc.line(":birder!b@h JOIN :#lobby");
    irc.line(":irc.test 353 birder = #lobby :birder p");
    irc.line(":irc.test 366 birder #lobby :End of NAMES list");
    irc.line(":p!q@r PRIVMSG #lobby");
    irc.line(":p!q@r PRIVMSG birder");
    irc.line(":p!q@r PRIVMSG #lobby :after the empty ones");
    ASSERT_TRUE(alice.waitText("Memo2", "p says \"after the empty ones\"")) << alice.text("Memo2");
    const std::string transcript = alice.text("Memo2");
    EXPECT_EQ(transcript.find("#lobby"), std::string::npos) << transcript;
    EXPECT_EQ(transcript.find("birder\""), std::string::npos) << transcript;
    EXPECT_EQ(transcript.find("PRIVATE MESSAGE"), std::string::npos) << transcript;
}

TEST(AmbroChat, ASiteFileOfEightyThousandRoomsKeepsTheBarAnsweringAndAKickKeepsTheSavedTranscript)
{
    ScriptedIrcServer irc;
    ScratchDirs site;
    std::string rooms = "[Rooms]\r\n0=Lobby#lobby\r\n1=Hawks#hawks\r\n";
    // Entries that name no room, each one the reader has to pass over.
    for (int i = 2; i < 80002; ++i)
        rooms += std::to_string(i) + "=x\r\n";
    site.write("files/birds.org/ambro/ambro.inf",
               "[site]\r\nSitename=Birds\r\nServer=127.0.0.1\r\nPort=" + std::to_string(irc.port()) + "\r\n" + rooms);
    ServiceProcess service({ "--db", site.root() + "/service.db", "--files", site.root() + "/files" });
    ASSERT_TRUE(service.started()) << service.error();
    setenv("KORVO_BROWSER_PAGE", ("\"http://127.0.0.1:" + std::to_string(service.port()) + "/birds.org/owls.html\",\"Owls\"").c_str(), 1);
    Visitor alice("alice", "birder", 7);
    unsetenv("KORVO_BROWSER_PAGE");
    ASSERT_TRUE(alice.process->signOn());
    ASSERT_EQ(alice.process->command("click\tForm1\tQORExplorerButton14"), "ok");
    ASSERT_NE(irc.waitFor("USER birder"), "");
    EXPECT_EQ(alice.process->command("find\tForm1").rfind("ok Form1\t1", 0), 0u) << "the bar answers";
    irc.line(":irc.test 001 birder :Welcome");
    irc.line(":irc.test 376 birder :End of MOTD");
    ASSERT_NE(irc.waitFor("JOIN #lobby"), "");
    irc.line(":birder!b@h JOIN :#lobby");
    irc.line(":irc.test 366 birder #lobby :End of NAMES list");
    irc.line(":p!q@r PRIVMSG #lobby :kept for later");
    ASSERT_TRUE(alice.waitText("Memo2", "p says \"kept for later\"")) << alice.text("Memo2");
    EXPECT_EQ(alice.process->command("menu\tTForm14\tHawks"), "ok");
    ASSERT_NE(irc.waitFor("JOIN #hawks"), "");

    const std::string path = alice.dirs.root() + "/birds.rtf";
    ASSERT_EQ(alice.process->command("file\t" + path), "ok");
    ASSERT_EQ(alice.process->command("menu\tTForm14\tSave1"), "ok");
    irc.line(":p!q@r PRIVMSG #hawks :said before the kick");
    ASSERT_TRUE(alice.waitText("Memo2", "said before the kick"));
    irc.line(":op!o@h KICK #hawks birder :no shouting");
    ASSERT_TRUE(alice.waitText("Memo2", "Birds : no shouting")) << alice.text("Memo2");
    EXPECT_EQ(alice.text("Memo2").find("said before the kick"), std::string::npos) << "the window is cleared";
    std::string saved;
    ASSERT_TRUE(Application::ProcessMessagesUntil(
        [&] { return (saved = alice.dirs.read("birds.rtf")).find("no shouting") != std::string::npos; }, 15000))
        << saved;
    EXPECT_NE(saved.find("said before the kick"), std::string::npos) << saved;
}
