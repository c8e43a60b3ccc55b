#include "larkspire_process.h"
#include "platform/testing/loopback.h"
#include "platform/testing/scratch.h"
#include "platform/testing/scriptedhttp.h"
#include "platform/testing/serviceprocess.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTime>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

namespace {

// One user's machine on its own loopback address, with the notes service in servers.ini.
struct NoteHost {
    NoteHost(const std::string& user, int host, const std::string& service, const std::string& notesServer = "")
        : user(user)
        , address(LoopbackHost(host))
    {
        QFile::copy(QString(KORVO_BIN_DIR) + "/sigonlogo.gif", QString::fromStdString(dirs.appDir() + "/sigonlogo.gif"));
        dirs.write("windows/my friends/" + user + "/user.dat", "[user]\r\npassword=\r\nSave=0\r\n");
        dirs.write("windows/larkspire.ini", "[MAIN]\r\nuserLoginName=" + user + "\r\nNotesServer="
                                                + (notesServer.empty() ? service : notesServer)
                                                + "\r\nAwayMessage=at lunch\r\n");
        dirs.write("app/servers.ini", "[servers]\r\n0=" + service + "\r\n");
    }
    void lists(const std::string& buddy, const std::string& extra = "")
    {
        dirs.write("windows/my friends/" + user + "/" + buddy + ".cnt", "[Friend]\r\nUserID=" + buddy + "\r\n" + extra);
    }
    bool seesOnline(const std::string& buddy, bool online)
    {
        const std::string wanted = online ? "online=1" : "online=0";
        return Application::ProcessMessagesUntil(
            [&] { return dirs.read("windows/my friends/" + user + "/" + buddy + ".cnt").find(wanted) != std::string::npos; },
            15000);
    }
    void start() { process = std::make_unique<LarkspireProcess>(dirs.windowsDir(), dirs.appDir(), dirs.root() + "/l.sock", address); }
    std::string command(const std::string& line) { return process->command(line); }
    bool waitFor(const std::string& line, const std::string& reply)
    {
        return Application::ProcessMessagesUntil([&] { return command(line) == reply; }, 15000);
    }
    // The stored notes' texts, in name order.
    std::vector<std::string> notes() const
    {
        std::vector<std::string> texts;
        const QString folder = QString::fromStdString(dirs.windowsDir() + "/my friends/" + user + "/messages");
        for (const QString& name : QDir(folder).entryList({ "*.txt" }, QDir::Files, QDir::Name))
            texts.push_back(dirs.read("windows/my friends/" + user + "/messages/" + name.toStdString()));
        return texts;
    }
    int noteCount() const
    {
        return static_cast<int>(QDir(QString::fromStdString(dirs.windowsDir() + "/my friends/" + user + "/messages"))
                                    .entryList({ "*.txt" }, QDir::Files)
                                    .size());
    }
    // How many shown windows have this caption.
    int windowsCaptioned(const std::string& caption)
    {
        const QString reply = QString::fromStdString(command("windows")).remove(0, 3);
        int count = 0;
        for (const QString& field : reply.split('\t'))
            count += field.section(':', 1) == QString::fromStdString(caption);
        return count;
    }
    // Shows the buddy panel instead of the channels.
    void showBuddies()
    {
        if (command("text\tForm1\tActiveButton1").find("BUDDIES") != std::string::npos)
            command("drag\tForm1\tActiveButton1\t5,5\t5,5");
    }
    // Pixels of the bar's buddy list in a name colour: lime online, yellow away.
    int barPixels(QRgb colour)
    {
        const std::string file = dirs.root() + "/bar.png";
        if (command("grab\tForm1\t" + file).rfind("ok", 0) != 0)
            return -1;
        const QImage image(QString::fromStdString(file));
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                count += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
        return count;
    }

    std::string user;
    std::string address;
    ScratchDirs dirs;
    std::unique_ptr<LarkspireProcess> process;
};

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

int Occurrences(const std::string& text, const std::string& part)
{
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// Stands between a client and the service: each request is passed on at once,
// and the service's answer is held back until released.
class HeldReplies {
public:
    explicit HeldReplies(int servicePort)
        : m_servicePort(servicePort)
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* client = m_server.nextPendingConnection()) {
                m_held.push_back(Held { client, {}, {} });
                QObject::connect(client, &QTcpSocket::readyRead, [this, client] { read(client); });
            }
        });
    }
    std::string hostPort() const { return "127.0.0.1:" + std::to_string(m_server.serverPort()); }
    int answered() const { return m_answered; }
    void release()
    {
        m_released = true;
        for (Held& held : m_held)
            send(held);
    }

private:
    struct Held {
        QTcpSocket* client;
        QByteArray request;
        QByteArray answer;
    };
    void read(QTcpSocket* client)
    {
        for (Held& held : m_held) {
            if (held.client != client || !held.answer.isEmpty())
                continue;
            held.request += client->readAll();
            if (!held.request.contains("\r\n\r\n"))
                return;
            const QByteArray target = held.request.split(' ').value(1);
            const HttpAnswer answer = HttpGet(m_servicePort, target.toStdString());
            held.answer = "HTTP/1.1 " + QByteArray::number(answer.status) + " OK\r\nContent-Length: "
                + QByteArray::number(static_cast<qint64>(answer.body.size())) + "\r\nConnection: close\r\n\r\n"
                + QByteArray::fromStdString(answer.body);
            ++m_answered;
            if (m_released)
                send(held);
        }
    }
    static void send(Held& held)
    {
        if (held.answer.isEmpty() || held.client->state() != QAbstractSocket::ConnectedState)
            return;
        held.client->write(held.answer);
        held.client->disconnectFromHost();
    }

    int m_servicePort;
    QTcpServer m_server;
    std::vector<Held> m_held;
    int m_answered { 0 };
    bool m_released { false };
};

TEST(NivletFlow, NotesReachOnlineAndOfflineBuddiesAndAwayIsShown)
{
    ScratchDirs serviceDirs;
    ServiceProcess service({ "--db", serviceDirs.root() + "/service.db", "--user", "alice:pw", "--user", "bob:pw" });
    ASSERT_TRUE(service.started()) << service.error();
    // bob left alice a note while she was away: it waits at the service.
    ASSERT_EQ(HttpGet(service.port(), "/notein.asp?to=alice&From=bob&message=call%20me&Link=x%B6" "1%2F2%2F2026").body,
              "success\r\n");
    NoteHost alice("alice", 2, service.hostPort());
    NoteHost bob("bob", 3, service.hostPort());
    alice.lists("bob");
    bob.lists("alice");
    bob.start();
    ASSERT_TRUE(bob.process->signOn());
    alice.start();
    ASSERT_TRUE(alice.process->signOn());
    ASSERT_TRUE(alice.seesOnline("bob", true));
    ASSERT_TRUE(bob.seesOnline("alice", true));
    ASSERT_TRUE(alice.waitFor("text\tFrom: bob\tMemo1", "ok call me"));
    ASSERT_EQ(alice.notes().size(), 1u);

    // Online: her reply goes straight over the peer line into bob's messages folder and a note window.
    EXPECT_EQ(alice.command("click\tFrom: bob\tSpeedButton2"), "ok");
    ASSERT_TRUE(alice.waitFor("text\tTo: bob\tLabel1", "ok To: bob"));
    EXPECT_EQ(alice.command("set\tTo: bob\tMemo1\tit's \"live\""), "ok");
    EXPECT_EQ(alice.command("click\tTo: bob\tSpeedButton1"), "ok");
    ASSERT_TRUE(bob.waitFor("text\tFrom: alice\tMemo1", "ok it's \"live\""));
    ASSERT_EQ(bob.notes().size(), 1u);
    EXPECT_TRUE(Contains(bob.notes()[0], "message=it\xEEs \xBFlive\xBF")) << bob.notes()[0];

    // Offline: kept by the service until bob signs on again.
    EXPECT_EQ(bob.command("click\tForm1\tSpeedButton2"), "ok");
    ASSERT_TRUE(alice.seesOnline("bob", false));
    EXPECT_EQ(alice.command("click\tFrom: bob\tSpeedButton2"), "ok");
    ASSERT_TRUE(alice.waitFor("text\tTo: bob\tLabel1", "ok To: bob"));
    EXPECT_EQ(alice.command("set\tTo: bob\tMemo1\t#1 & more"), "ok");
    EXPECT_EQ(alice.command("click\tTo: bob\tSpeedButton1"), "ok");
    EXPECT_TRUE(Application::ProcessMessagesUntil(
        [&] { return Contains(alice.command("boxes"), "delivered the next time BOB is online."); }, 15000));
    ASSERT_TRUE(bob.process->signOn());
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return bob.notes().size() == 2; }, 15000));
    EXPECT_TRUE(Contains(bob.notes()[0] + bob.notes()[1], "message=#1 & more"));
    ASSERT_TRUE(bob.seesOnline("alice", true));

    // Away: alice's name turns from lime to yellow in bob's list, and back.
    bob.showBuddies();
    const QRgb lime = qRgb(0, 255, 0);
    const QRgb yellow = qRgb(255, 255, 0);
    const int onlineLime = bob.barPixels(lime);
    const int onlineYellow = bob.barPixels(yellow);
    ASSERT_GT(onlineLime, 0);
    EXPECT_EQ(alice.command("click\tForm1\tQORExplorerButton17"), "ok");
    ASSERT_TRUE(alice.waitFor("text\tAway Message\tMemo1", "ok at lunch"));
    EXPECT_TRUE(Application::ProcessMessagesUntil(
        [&] { return bob.barPixels(lime) < onlineLime && bob.barPixels(yellow) > onlineYellow; }, 15000));
    EXPECT_EQ(alice.command("click\tAway Message\tButton5"), "ok");
    EXPECT_TRUE(Application::ProcessMessagesUntil(
        [&] { return bob.barPixels(lime) == onlineLime && bob.barPixels(yellow) == onlineYellow; }, 15000));
}

TEST(NivletFlow, HostileNoteFramesStayInTheMessagesFolder)
{
    NoteHost bob("bob", 5, "127.0.0.1:1");
    bob.lists("alice", "DirectConnect=" + LoopbackHost(4) + "\r\n");
    bob.start();
    ASSERT_TRUE(bob.process->signOn());

    // alice's side as socat: accepted as a buddy, then notes no client of ours would send.
    QProcess alice;
    alice.start("socat", { "-", QString::fromStdString("TCP:" + bob.address + ":8096,bind=" + LoopbackHost(4)) });
    ASSERT_TRUE(alice.waitForStarted());
    const auto line = [&](const std::string& text) { alice.write(QByteArray::fromStdString(text + "\r\n")); };
    line("\xFBinf,alice,\"alice@example.org\",\"bob\"");
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return alice.readAllStandardOutput().contains('\xFC'); }, 10000));
    line("\xFBnote,../../evil,\"x\xB6" "1/2/2026\",\"one\"");
    line("\xFBnote,alice,\"http://example.org/\",\"two\"");
    line("\xFBnote,a/b,\"x\",\"three\"");
    line(std::string("\xFBnote,alice,\"x\",\"n\0ul\"", 22));
    line("\xFBnote,alice,\"x\xB6\",\"" + std::string(3000, 'z') + "\"");
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return bob.notes().size() >= 2; }, 10000));
    alice.closeWriteChannel();
    alice.waitForFinished(5000);

    std::string all;
    for (const std::string& note : bob.notes())
        all += note;
    // Frames that claim another sender are not the accepted buddy's: dropped.
    EXPECT_FALSE(Contains(all, "one")) << all;
    EXPECT_FALSE(Contains(all, "three")) << all;
    EXPECT_TRUE(Contains(all, "Link=http://example.org/\r\n")) << all;
    EXPECT_TRUE(Contains(all, "message=nul\r\n")) << all;
    EXPECT_FALSE(bob.dirs.exists("windows/evil"));
    EXPECT_FALSE(bob.dirs.exists("windows/my friends/evil"));
    for (const QString& entry : QDir(QString::fromStdString(bob.dirs.windowsDir() + "/my friends/bob"))
                                    .entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot))
        EXPECT_TRUE(!entry.contains("evil") && entry != "a") << entry.toStdString();
    EXPECT_TRUE(bob.process->running());
}

TEST(NivletFlow, ANoteTheServiceRefusesOrNeverGetsStaysInItsWindow)
{
    ScratchDirs serviceDirs;
    ServiceProcess service({ "--db", serviceDirs.root() + "/service.db", "--user", "alice:pw", "--user", "bob:pw" });
    ASSERT_TRUE(service.started()) << service.error();
    // Notes waiting for alice: one from a name the service does not know, one from bob.
    ASSERT_EQ(HttpGet(service.port(), "/notein.asp?to=alice&From=GHOST&message=boo&Link=x").body, "success\r\n");
    ASSERT_EQ(HttpGet(service.port(), "/notein.asp?to=alice&From=bob&message=hi&Link=x").body, "success\r\n");
    NoteHost alice("alice", 8, service.hostPort());
    alice.start();
    ASSERT_TRUE(alice.process->signOn());
    ASSERT_TRUE(alice.waitFor("text\tFrom: GHOST\tMemo1", "ok boo"));
    ASSERT_TRUE(alice.waitFor("text\tFrom: bob\tMemo1", "ok hi"));

    // The service refuses a note for a user it does not know.
    EXPECT_EQ(alice.command("click\tFrom: GHOST\tSpeedButton2"), "ok");
    ASSERT_TRUE(alice.waitFor("text\tTo: GHOST\tLabel1", "ok To: GHOST"));
    EXPECT_EQ(alice.command("set\tTo: GHOST\tMemo1\tanyone there?"), "ok");
    EXPECT_EQ(alice.command("click\tTo: GHOST\tSpeedButton1"), "ok");
    EXPECT_TRUE(Application::ProcessMessagesUntil(
        [&] { return Contains(alice.command("boxes"), "Your Nivlet to GHOST could not be delivered."); }, 15000));
    EXPECT_EQ(alice.command("text\tTo: GHOST\tMemo1"), "ok anyone there?");
    EXPECT_FALSE(Contains(alice.command("boxes"), "delivered the next time"));

    // With the service gone, nothing answers: the note stays too.
    EXPECT_EQ(alice.command("click\tFrom: bob\tSpeedButton2"), "ok");
    ASSERT_TRUE(alice.waitFor("text\tTo: bob\tLabel1", "ok To: bob"));
    EXPECT_EQ(alice.command("set\tTo: bob\tMemo1\tcall me"), "ok");
    service.kill();
    EXPECT_EQ(alice.command("click\tTo: bob\tSpeedButton1"), "ok");
    EXPECT_TRUE(Application::ProcessMessagesUntil(
        [&] { return Contains(alice.command("boxes"), "Your Nivlet to BOB could not be delivered."); }, 40000));
    EXPECT_EQ(alice.command("text\tTo: bob\tMemo1"), "ok call me");
    EXPECT_FALSE(Contains(alice.command("boxes"), "delivered the next time"));
}

TEST(NivletFlow, ANoteOnItsWayAsTheSessionEndsStillGoesAndTheUserIsTold)
{
    ScratchDirs serviceDirs;
    ServiceProcess service({ "--db", serviceDirs.root() + "/service.db", "--user", "alice:pw", "--user", "bob:pw" });
    ASSERT_TRUE(service.started()) << service.error();
    ASSERT_EQ(HttpGet(service.port(), "/notein.asp?to=alice&From=bob&message=hi&Link=x").body, "success\r\n");
    ScriptedHttp::Script slow = ScriptedHttp::Forward(service.hostPort());
    slow.gateBefore = "slow";
    ScriptedHttp notes({ { "/getnotes.asp", { ScriptedHttp::Forward(service.hostPort()) } }, { "/notein.asp", { slow } } });
    NoteHost alice("alice", 14, service.hostPort(), notes.hostPort());
    alice.start();
    ASSERT_TRUE(alice.process->signOn());
    ASSERT_TRUE(alice.waitFor("text\tFrom: bob\tMemo1", "ok hi"));
    EXPECT_EQ(alice.command("click\tFrom: bob\tSpeedButton2"), "ok");
    ASSERT_TRUE(alice.waitFor("text\tTo: bob\tLabel1", "ok To: bob"));
    EXPECT_EQ(alice.command("set\tTo: bob\tMemo1\tsee you"), "ok");
    EXPECT_EQ(alice.command("click\tTo: bob\tSpeedButton1"), "ok");
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return notes.requests("/notein.asp").size() == 1; }, 15000));
    // Signed off while notein.asp has not answered yet.
    EXPECT_EQ(alice.command("click\tForm1\tSpeedButton2"), "ok");
    ASSERT_TRUE(Application::ProcessMessagesUntil(
        [&] { return alice.command("find\tSign On").rfind("ok Signon\t1\t", 0) == 0; }, 15000));
    notes.open("slow");
    EXPECT_TRUE(Application::ProcessMessagesUntil(
        [&] { return Contains(alice.command("boxes"), "delivered the next time BOB is online."); }, 15000));
    EXPECT_EQ(HttpGet(service.port(), "/getnotes.asp?UserID=bob&Password=112-243-").body.substr(0, 14),
              "alice\xB6see you\xB6");
}

TEST(NivletFlow, NotesHandedOverAsTheSessionEndsAreKeptForThatUser)
{
    ScratchDirs serviceDirs;
    ServiceProcess service({ "--db", serviceDirs.root() + "/service.db", "--user", "alice:pw", "--user", "bob:pw" });
    ASSERT_TRUE(service.started()) << service.error();
    ASSERT_EQ(HttpGet(service.port(), "/notein.asp?to=bob&From=alice&message=kept&Link=x").body, "success\r\n");
    HeldReplies notes(service.port());
    NoteHost bob("bob", 9, service.hostPort(), notes.hostPort());
    bob.start();
    ASSERT_TRUE(bob.process->signOn());
    // The fetch of the sign-on has taken the note from the service; its answer is held.
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return notes.answered() == 1; }, 15000));
    EXPECT_EQ(bob.command("click\tForm1\tSpeedButton2"), "ok");
    ASSERT_TRUE(Application::ProcessMessagesUntil(
        [&] { return bob.command("find\tSign On").rfind("ok Signon\t1\t", 0) == 0; }, 15000));
    notes.release();
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return bob.noteCount() == 1; }, 15000));
    EXPECT_TRUE(Contains(bob.notes()[0], "from=alice\r\n")) << bob.notes()[0];
    EXPECT_TRUE(Contains(bob.notes()[0], "message=kept\r\n")) << bob.notes()[0];
    EXPECT_FALSE(bob.dirs.exists("app/notesin.dat"));
    EXPECT_EQ(HttpGet(service.port(), "/getnotes.asp?UserID=bob&Password=112-243-").body, ".\r\n");
    EXPECT_EQ(bob.windowsCaptioned("From: alice"), 0);
}

TEST(NivletFlow, OverAMegabyteOfWaitingNotesAllArriveAcrossFetches)
{
    ScratchDirs serviceDirs;
    ServiceProcess service({ "--db", serviceDirs.root() + "/service.db", "--user", "alice:pw", "--user", "bob:pw" });
    ASSERT_TRUE(service.started()) << service.error();
    // 130 notes of 8 KiB: more than one reply may carry, more than a download takes at once.
    constexpr int kNotes = 130;
    for (int i = 0; i < kNotes; ++i) {
        const std::string message = "n" + std::to_string(1000 + i) + std::string(8 * 1024 - 5, 'm');
        ASSERT_EQ(HttpGet(service.port(), "/notein.asp?to=bob&From=alice&message=" + message + "&Link=x").body,
                  "success\r\n");
    }
    NoteHost bob("bob", 13, service.hostPort());
    bob.start();
    ASSERT_TRUE(bob.process->signOn());
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return bob.noteCount() == kNotes; }, 30000)) << bob.noteCount();
    std::string all;
    for (const std::string& note : bob.notes())
        all += note;
    for (int i = 0; i < kNotes; ++i)
        EXPECT_EQ(Occurrences(all, "message=n" + std::to_string(1000 + i) + "m"), 1) << i;
    EXPECT_EQ(HttpGet(service.port(), "/getnotes.asp?UserID=bob&Password=112-243-").body, ".\r\n");
}

TEST(NivletFlow, AFloodOfNotesOpensTenWindowsAndStopsAtAThousandFiles)
{
    NoteHost bob("bob", 10, "127.0.0.1:1");
    bob.lists("alice", "DirectConnect=" + LoopbackHost(11) + "\r\n");
    // Notes kept from before; room for twenty more.
    for (int i = 0; i < 980; ++i)
        bob.dirs.write("windows/my friends/bob/messages/old" + std::to_string(i) + ".txt", "[nivlet]\r\nfrom=carol\r\n");
    bob.start();
    ASSERT_TRUE(bob.process->signOn());
    QProcess alice;
    alice.start("socat", { "-", QString::fromStdString("TCP:" + bob.address + ":8096,bind=" + LoopbackHost(11)) });
    ASSERT_TRUE(alice.waitForStarted());
    const auto line = [&](const std::string& text) { alice.write(QByteArray::fromStdString(text + "\r\n")); };
    line("\xFBinf,alice,\"alice@example.org\",\"bob\"");
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return alice.readAllStandardOutput().contains('\xFC'); }, 10000));
    for (int i = 0; i < 25; ++i)
        line("\xFBnote,alice,\"x\xB6" "12/9/2026 8:00:00 PM\",\"note " + std::to_string(i) + "\"");
    ASSERT_TRUE(Application::ProcessMessagesUntil(
        [&] { return Occurrences(bob.process->errors(), "messages folder full: note from alice dropped") == 5; }, 20000));
    EXPECT_EQ(bob.noteCount(), 1000);
    EXPECT_EQ(bob.windowsCaptioned("From: alice"), 10);
    EXPECT_TRUE(bob.dirs.exists("windows/my friends/bob/messages/old0.txt"));
    alice.closeWriteChannel();
    alice.waitForFinished(5000);
    EXPECT_TRUE(bob.process->running());
}

TEST(NivletFlow, OneSenderAtItsShareLeavesRoomForAnother)
{
    NoteHost bob("bob", 13, "127.0.0.1:1");
    bob.lists("alice", "DirectConnect=" + LoopbackHost(14) + "\r\n");
    bob.lists("carol", "DirectConnect=" + LoopbackHost(15) + "\r\n");
    // alice's share is full already.
    for (int i = 0; i < 50; ++i)
        bob.dirs.write("windows/my friends/bob/messages/alice_" + std::to_string(i) + ".txt", "[nivlet]\r\nfrom=alice\r\n");
    bob.start();
    ASSERT_TRUE(bob.process->signOn());
    const auto call = [&](QProcess& peer, const std::string& name, int host) {
        peer.start("socat", { "-", QString::fromStdString("TCP:" + bob.address + ":8096,bind=" + LoopbackHost(host)) });
        EXPECT_TRUE(peer.waitForStarted());
        peer.write(QByteArray::fromStdString("\xFBinf," + name + ",\"" + name + "@example.org\",\"bob\"\r\n"));
        EXPECT_TRUE(Application::ProcessMessagesUntil([&] { return peer.readAllStandardOutput().contains('\xFC'); }, 10000));
    };
    QProcess alice;
    call(alice, "alice", 14);
    for (int i = 0; i < 2; ++i)
        alice.write(QByteArray::fromStdString("\xFBnote,alice,\"x\xB6" "12/9/2026 8:00:00 PM\",\"over " + std::to_string(i) + "\"\r\n"));
    ASSERT_TRUE(Application::ProcessMessagesUntil(
        [&] { return Occurrences(bob.process->errors(), "note from alice not kept") == 2; }, 15000));
    QProcess carol;
    call(carol, "carol", 15);
    carol.write(QByteArray::fromStdString("\xFBnote,carol,\"x\xB6" "12/9/2026 8:00:00 PM\",\"hello\"\r\n"));
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return bob.noteCount() == 51; }, 15000));
    std::string all;
    for (const std::string& note : bob.notes())
        all += note;
    EXPECT_TRUE(Contains(all, "from=carol\r\n")) << all;
    EXPECT_FALSE(Contains(all, "message=over")) << all;
    // bob is told once.
    EXPECT_EQ(Occurrences(bob.command("boxes"), "Notes from alice fill the room kept for one sender."), 1);
    for (QProcess* peer : { &alice, &carol }) {
        peer->closeWriteChannel();
        peer->waitForFinished(5000);
    }
}

TEST(NivletFlow, NoRepeatingReminderShowsBeforeItsDate)
{
    NoteHost bob("bob", 12, "127.0.0.1:1");
    // No welcome tip: it would come from "Korvo" too.
    bob.dirs.write("app/Channels.ini", "[Settings]\r\nfirsttimer=0\r\n");
    const QDate today = QDate::currentDate();
    const int hour = QTime::currentTime().hour();
    const std::string thisHour = std::to_string(hour % 12 == 0 ? 12 : hour % 12) + (hour < 12 ? ":00 AM" : ":00 PM");
    const auto task = [&](const std::string& id, const QDate& date, const std::string& time, int repeat,
                          const std::string& text) {
        bob.dirs.write("windows/my friends/bob/tasks/" + id + ".tsk",
                       "[Task]\r\nTaskID=" + id + "\r\nDate=" + date.toString("M/d/yyyy").toStdString() + "\r\nTime="
                           + time + "\r\nLastDisplayed=1/1/1900 12:00:00 PM\r\nRepeat=" + std::to_string(repeat)
                           + "\r\nText=" + text + "\r\nCompleted=0\r\n");
    };
    // Three weeks ahead: the same weekday as today, and this very hour.
    task("daily", today.addDays(21), thisHour, 4, "not yet daily");
    task("weekly", today.addDays(21), thisHour, 1, "not yet weekly");
    task("yearly", today.addYears(1), thisHour, 3, "not yet yearly");
    // Missed yesterday: shown at sign-on, in the same check as the others.
    task("once", today.addDays(-1), "9:00 AM", 0, "due");
    bob.start();
    ASSERT_TRUE(bob.process->signOn());
    ASSERT_TRUE(bob.waitFor("text\tFrom: Korvo\tMemo1", "ok due"));
    EXPECT_EQ(bob.windowsCaptioned("From: Korvo"), 1);
}

}  // namespace
