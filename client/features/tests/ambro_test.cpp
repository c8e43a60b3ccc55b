#include "client/features/ambro.h"

#include "client/core/session.h"
#include "client/features/chatwindow.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/eventloop.h"
#include "platform/testing/ircserver.h"
#include "platform/testing/loopback.h"
#include "platform/testing/scratch.h"
#include "platform/ui/dialogs.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTextDocument>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace {

// An IRC server nobody controls: it takes one connection, reads the
// registration, then sends what the test scripts and keeps the line open.
class RawServer {
public:
    explicit RawServer(std::function<std::string()> script) : m_script(std::move(script))
    {
        m_fd = ListenOnLoopback(1, m_port);
        m_thread = std::thread([this] {
            const int peer = ::accept(m_fd, nullptr, nullptr);
            if (peer < 0)
                return;
            std::string got;
            char buffer[512];
            while (got.find("USER ") == std::string::npos) {
                const ssize_t n = ::recv(peer, buffer, sizeof buffer, 0);
                if (n <= 0)
                    break;
                got.append(buffer, static_cast<std::size_t>(n));
            }
            m_registration = got;
            const std::string bytes = m_script();
            for (std::size_t at = 0; at < bytes.size();) {
                const ssize_t n = ::send(peer, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
                if (n <= 0)
                    break;
                at += static_cast<std::size_t>(n);
            }
            // Wait until the client hangs up.
            while (::recv(peer, buffer, sizeof buffer, 0) > 0) {
            }
            ::close(peer);
            m_done = true;
        });
    }
    ~RawServer()
    {
        ::shutdown(m_fd, SHUT_RDWR);
        ::close(m_fd);
        m_thread.join();
    }
    int port() const { return m_port; }
    bool hungUp() const { return m_done; }
    std::string registration() const { return m_registration; }

private:
    std::function<std::string()> m_script;
    int m_fd { -1 };
    int m_port { 0 };
    std::atomic<bool> m_done { false };
    std::string m_registration;
    std::thread m_thread;
};

void WriteSite(const ScratchDirs& dirs, const std::string& port)
{
    dirs.write("app/ambro.inf", "[site]\r\nSitename=Birds\r\nServer=127.0.0.1\r\nPort=" + port
                                    + "\r\n[Rooms]\r\n0=Lobby#lobby\r\n1=Hawks#hawks\r\n");
}

std::string Shown(const QWidget* widget)
{
    if (auto* label = qobject_cast<const QLabel*>(widget))
        return codepage::FromUnicode(label->text());
    return codepage::FromUnicode(static_cast<const QTextEdit*>(widget)->toPlainText());
}

// The site's window, opened as the AMBRO button's run opens it.
TForm14* OpenSite()
{
    OpenSiteWindow("Birds");
    return FindSiteWindow("Birds");
}

}  // namespace

TEST(Ambro, AFloodingServerIsBoundedAndAnOverlongLineEndsTheChat)
{
    ScratchDirs dirs;
    Session().userId = "ann";
    Session().userEmail = "ann@example.org";
    dirs.write("windows/my friends/ann/user.dat", "[user]\r\nalias=ann\r\n");
    RawServer server([] {
        std::string bytes = ":irc 001 ann :hi\r\n:irc 376 ann :end\r\n";
        for (int i = 0; i < 3000; ++i)
            bytes += ":bob!b@h PRIVMSG #lobby :flood " + std::to_string(i) + "\r\n";
        bytes += ":\r\n\r\n:nobang 353\r\n: PRIVMSG\r\n:x!y@2001:db8::1 PRIVMSG #lobby :from six\r\n:KICKer!k@h PRIVMSG #lobby :hi\r\n";
        bytes += std::string(6000, 'x');
        return bytes;
    });
    WriteSite(dirs, std::to_string(server.port()));
    TForm14* window = OpenSite();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return Shown(window->StatusPanel0) == "Disconnected"; }, 20000))
        << Shown(window->StatusPanel0);
    EXPECT_EQ(server.registration(), "PASS ann@example.org\r\nNICK ann\r\nUSER ann X Y: ann\r\n");
    EXPECT_EQ(window->Room().Transcript().size(), TAmbroRoom::kMaxTranscript);
    EXPECT_LE(window->Memo2->document()->blockCount(), static_cast<int>(TAmbroRoom::kMaxTranscript));
    const std::string shown = Shown(window->Memo2);
    EXPECT_NE(shown.find("x says \"from six\""), std::string::npos);
    EXPECT_NE(shown.find("KICKer says \"hi\""), std::string::npos);
    EXPECT_NE(shown.find("Birds sent a line too long. Connection closed"), std::string::npos);
    EXPECT_EQ(shown.find("flood 0\""), std::string::npos);
    EXPECT_TRUE(Application::ProcessMessagesUntil([&] { return server.hungUp(); }, 10000));
    window->Free();
}

TEST(Ambro, APortOutsideTheRangeIsAFailedOpen)
{
    ScratchDirs dirs;
    Session().userId = "ann";
    WriteSite(dirs, "70000");
    TForm14* window = OpenSite();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Caption(), "Korvo Ambro\xAE - closed");
    EXPECT_NE(Shown(window->Memo2).find("*** Unable to successfully connect to Birds Connection aborted"), std::string::npos);
    EXPECT_FALSE(window->Room().SiteMode);
    window->Free();
}

TEST(Ambro, WhisperWithNobodySelectedAsksForAPerson)
{
    ScratchDirs dirs;
    Session().userId = "ann";
    WriteSite(dirs, "0");
    TForm14* window = OpenSite();
    ASSERT_NE(window, nullptr);
    dialogs::ClearHistory();
    dialogs::SetResponder([](const dialogs::DialogRequest&) { return IDOK; });
    window->WhisperClick();
    ASSERT_EQ(dialogs::History().size(), 1u);
    EXPECT_EQ(dialogs::History()[0].request.text, "\rYou must first select the person to whom you want to whisper.");
    dialogs::SetResponder(nullptr);
    window->Free();
}

TEST(Ambro, TheSiteWindowChatsInARealServersRoomsUntilItIsKicked)
{
    if (!IrcServer::Available())
        GTEST_SKIP() << "ngircd is not installed";
    IrcServer irc("ann@example.org");
    ASSERT_TRUE(irc.start()) << irc.error();
    ScratchDirs dirs;
    Session().userId = "ann";
    Session().userEmail = "ann@example.org";
    dirs.write("windows/my friends/ann/user.dat", "[user]\r\nalias=ann\r\n");
    WriteSite(dirs, std::to_string(irc.port()));

    // The room's operator is there first and sets its topic.
    IrcTestClient op;
    ASSERT_TRUE(op.connect(irc.port()));
    op.line("PASS ann@example.org");
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

    TForm14* window = OpenSite();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->SiteWindow());
    EXPECT_FALSE(window->Panel5->isVisible()) << "no format bar for a site";
    EXPECT_TRUE(window->Whisper->isVisible());
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return Shown(window->Panel2) == "Persons (2)"; }, 15000))
        << Shown(window->Memo2);
    ASSERT_NE(op.waitFor("JOIN"), "");
    EXPECT_EQ(window->Caption(), "ann on Birds - Korvo Ambro\xAE");
    EXPECT_EQ(Shown(window->StatusPanel0), "Now chatting in \"lobby\" room");
    EXPECT_TRUE(Application::ProcessMessagesUntil([&] { return Shown(window->Memo2).find("Birds says \"Welcome, birders\"") != std::string::npos; }, 10000));

    window->memo3->setPlainText("good morning, all of you");
    window->SendInput();
    EXPECT_NE(op.waitFor("PRIVMSG #lobby :good morning, all of you"), "");
    EXPECT_TRUE(Application::ProcessMessagesUntil([&] { return Shown(window->Memo2).find("ann says \"good morning, all of you\"") != std::string::npos; }, 10000));
    EXPECT_TRUE(window->memo3->toPlainText().isEmpty());

    op.line("PRIVMSG #lobby :\x01" "ACTION waves at ann\x01");
    op.line("PRIVMSG ann :only for you");
    EXPECT_TRUE(Application::ProcessMessagesUntil([&] { return Shown(window->Memo2).find("<PRIVATE MESSAGE from op> says \"only for you\"") != std::string::npos; }, 10000))
        << Shown(window->Memo2);
    EXPECT_NE(Shown(window->Memo2).find("op waves at ann"), std::string::npos);

    const QList<QListWidgetItem*> found = window->ListBox1->findItems("@op", Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    window->ListBox1->setCurrentItem(found[0]);
    window->memo3->setPlainText("thanks, op");
    window->WhisperClick();
    EXPECT_NE(op.waitFor("PRIVMSG op :thanks, op"), "");
    EXPECT_EQ(Shown(window->Memo2).find("thanks, op"), std::string::npos) << "a whisper is not shown";

    // The rooms menu leaves the lobby for the hawks, where the operator kicks us.
    QAction* hawks = nullptr;
    for (QAction* item : window->IRCRooms->actions())
        if (item->text() == "&Hawks")
            hawks = item;
    ASSERT_NE(hawks, nullptr);
    hawks->trigger();
    EXPECT_NE(op.waitFor("PART #lobby"), "");
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return Shown(window->StatusPanel0) == "Now chatting in \"hawks\" room"; }, 10000));
    EXPECT_NE(op.waitFor("#hawks"), "");
    EXPECT_EQ(Shown(window->Panel2), "Persons (2)");
    EXPECT_EQ(Shown(window->Memo2).find("Welcome, birders"), std::string::npos) << "a new room starts a new transcript";
    op.line("KICK #hawks ann :no shouting");
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return Shown(window->StatusPanel0) == "Disconnected"; }, 10000));
    EXPECT_NE(Shown(window->Memo2).find("Birds : no shouting"), std::string::npos);
    EXPECT_EQ(Shown(window->Memo2).find("good morning"), std::string::npos);
    EXPECT_EQ(Shown(window->Panel2), "Persons (0)");
    EXPECT_FALSE(window->memo3->isEnabled());
    window->Free();
}
