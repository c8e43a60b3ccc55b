#include "peer_host.h"

#include <QDir>
#include <QFileInfo>

#include <fcntl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>

namespace {

bool Eventually(const std::function<bool()>& condition, int timeoutMs = 15000)
{
    return Application::ProcessMessagesUntil(condition, timeoutMs);
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A window of the program is shown under that caption.
bool Shows(LarkspireProcess& process, const std::string& caption)
{
    return Eventually([&] { return process.command("find\t" + caption).rfind("ok Form", 0) == 0 && Has(process.command("find\t" + caption), "\t1\t"); });
}

// What a control shows, without the reply's "ok ".
std::string TextOf(LarkspireProcess& process, const std::string& window, const std::string& control)
{
    const std::string reply = process.command("text\t" + window + "\t" + control);
    return reply.rfind("ok ", 0) == 0 ? reply.substr(3) : std::string();
}

bool ShowsText(LarkspireProcess& process, const std::string& window, const std::string& control, const std::string& part)
{
    return Eventually([&] { return Has(TextOf(process, window, control), part); });
}

// Opens the first buddy's pop-up menu in the main bar's list and picks an item, as a user's mouse does.
bool BuddyMenu(LarkspireProcess& process, const std::string& item)
{
    std::string reply = process.command("rclick\tForm1\tfrCanvas1\t40,8");
    if (reply != "ok") {
        // The buddy list shows in place of the channels once the button is pressed.
        process.command("drag\tForm1\tActiveButton1\t5,5\t5,5");
        Eventually([&] { return (reply = process.command("rclick\tForm1\tfrCanvas1\t40,8")) == "ok"; }, 5000);
    }
    std::string menu;
    const bool picked = Eventually([&] { return (menu = process.command("menu\tForm1\t" + item)) == "ok"; }, 5000);
    if (!picked)
        std::fprintf(stderr, "rclick: %s; menu: %s\n", reply.c_str(), menu.c_str());
    return picked;
}

// Types a line into a chat window's input and presses Enter.
bool Say(LarkspireProcess& process, const std::string& window, const std::string& line)
{
    return process.command("set\t" + window + "\tmemo3\t" + line) == "ok"
        && process.command("key\t" + window + "\tmemo3\tReturn") == "ok";
}

std::string RandomBytes(std::size_t size)
{
    std::mt19937_64 random(13);
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i + 8 <= size; i += 8) {
        const std::uint64_t value = random();
        std::memcpy(&bytes[i], &value, 8);
    }
    return bytes;
}

std::string ReadAll(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().toStdString();
}

// How many shown windows have that caption.
int WindowsCaptioned(LarkspireProcess& process, const std::string& caption)
{
    const std::string windows = process.command("windows");
    int count = 0;
    for (std::size_t at = windows.find(":" + caption); at != std::string::npos; at = windows.find(":" + caption, at + 1))
        ++count;
    return count;
}

// Signs on again once the sign-off has brought the sign-on window back.
bool SignOnAgain(LarkspireProcess& process)
{
    return Eventually([&] { return Has(process.command("find\tSign On"), "\t1\t"); })
        && process.signOn();
}

}  // namespace

TEST(ChatTransfer, TwoBuddiesChatBothWays)
{
    Buddies users({ { "alice", 2 }, { "bob", 3 } });
    ASSERT_TRUE(users.signOn());
    LarkspireProcess& alice = *users[0].process;
    LarkspireProcess& bob = *users[1].process;

    ASSERT_TRUE(BuddyMenu(alice, "Chat"));
    ASSERT_TRUE(Shows(alice, "bob - Korvo"));
    ASSERT_TRUE(Say(alice, "bob - Korvo", "hi \"bob\" from Zoë"));
    EXPECT_TRUE(ShowsText(alice, "bob - Korvo", "Memo2", "alice: hi \"bob\" from Zoë"));

    // bob is asked first, then his window opens with alice's line.
    ASSERT_TRUE(Shows(bob, "Incoming Request..."));
    EXPECT_TRUE(Has(TextOf(bob, "Incoming Request...", "Label1"), "ALICE is requesting to chat with you."));
    ASSERT_EQ(bob.command("click\tIncoming Request...\tButton1"), "ok");
    ASSERT_TRUE(Shows(bob, "alice - Korvo"));
    EXPECT_TRUE(ShowsText(bob, "alice - Korvo", "Memo2", "alice: hi \"bob\" from Zoë"));

    ASSERT_TRUE(Say(bob, "alice - Korvo", "hello \"alice\", ça va?"));
    EXPECT_TRUE(ShowsText(alice, "bob - Korvo", "Memo2", "bob: hello \"alice\", ça va?"));

    // bob closes: alice is told.
    ASSERT_EQ(bob.command("close\talice - Korvo"), "ok");
    EXPECT_TRUE(ShowsText(alice, "bob - Korvo", "Memo2", "BOB'S chat window is closed."));
}

TEST(ChatTransfer, AHostRelaysAConferenceOfThree)
{
    Buddies users({ { "alice", 2 }, { "bob", 3 }, { "carol", 4 } });
    ASSERT_TRUE(users.signOn());
    LarkspireProcess& alice = *users[0].process;
    LarkspireProcess& bob = *users[1].process;
    LarkspireProcess& carol = *users[2].process;
    const std::string host = "Conference* - Korvo";

    ASSERT_EQ(alice.command("click\tForm1\tExplorerButton17"), "ok");
    ASSERT_TRUE(Shows(alice, host));
    EXPECT_TRUE(ShowsText(alice, host, "Panel2", "Persons (1)"));
    for (auto* guest : { &bob, &carol }) {
        const std::string name = guest == &bob ? "bob" : "carol";
        ASSERT_EQ(alice.command("menu\t" + host + "\t" + name), "ok");
        ASSERT_TRUE(Shows(*guest, "Incoming Request..."));
        EXPECT_TRUE(Has(TextOf(*guest, "Incoming Request...", "Label1"), "ALICE is requesting you join a chat conference."));
        ASSERT_EQ(guest->command("click\tIncoming Request...\tButton1"), "ok");
        ASSERT_TRUE(Shows(*guest, "alice* - Korvo"));
    }
    EXPECT_TRUE(ShowsText(alice, host, "Panel2", "Persons (3)"));
    EXPECT_TRUE(ShowsText(bob, "alice* - Korvo", "Panel2", "Persons (3)"));
    EXPECT_TRUE(ShowsText(carol, "alice* - Korvo", "Panel2", "Persons (3)"));
    EXPECT_TRUE(ShowsText(bob, "alice* - Korvo", "Memo2", "carol has joined this conference"));

    ASSERT_TRUE(Say(bob, "alice* - Korvo", "hello \"everyone\""));
    EXPECT_TRUE(ShowsText(alice, host, "Memo2", "bob: hello \"everyone\""));
    EXPECT_TRUE(ShowsText(carol, "alice* - Korvo", "Memo2", "bob: hello \"everyone\""));

    // carol leaves: the host and bob see it.
    ASSERT_EQ(carol.command("close\talice* - Korvo"), "ok");
    EXPECT_TRUE(ShowsText(alice, host, "Memo2", "carol has left this conference"));
    EXPECT_TRUE(ShowsText(bob, "alice* - Korvo", "Memo2", "carol has left this conference"));
    EXPECT_TRUE(ShowsText(alice, host, "Panel2", "Persons (2)"));

    // The host closes: bob's window says so and stays open with nobody listed.
    ASSERT_EQ(alice.command("close\t" + host), "ok");
    EXPECT_TRUE(ShowsText(bob, "alice* - Korvo", "Memo2", "Conference hosted by alice has been closed."));
    EXPECT_TRUE(ShowsText(bob, "alice* - Korvo", "Panel2", "Persons (0)"));
}

TEST(ChatTransfer, AFileSentFromTheBuddyMenuArrivesWhole)
{
    Buddies users({ { "alice", 2 }, { "bob", 3 } });
    ASSERT_TRUE(users.signOn());
    LarkspireProcess& alice = *users[0].process;
    LarkspireProcess& bob = *users[1].process;
    // The log-on outcome goes to the label a finished transfer writes: let it land first on both sides.
    ASSERT_TRUE(ShowsText(alice, "Form1", "ChnName", "NO SERVICE")) << TextOf(alice, "Form1", "ChnName");
    ASSERT_TRUE(ShowsText(bob, "Form1", "ChnName", "NO SERVICE")) << TextOf(bob, "Form1", "ChnName");

    const std::string bytes = RandomBytes(3u << 20);
    users[0].dirs.write("outbox/report, final.pdf", bytes);
    ASSERT_EQ(alice.command("file\t" + users[0].dirs.root() + "/outbox/report, final.pdf"), "ok");
    ASSERT_TRUE(BuddyMenu(alice, "Send File"));

    ASSERT_TRUE(Shows(bob, "Incoming Request..."));
    const std::string prompt = TextOf(bob, "Incoming Request...", "Label1");
    EXPECT_TRUE(Has(prompt, "alice is requesting to send you a file.")) << prompt;
    EXPECT_TRUE(Has(prompt, "report, final.pdf  (3,145,728 bytes)")) << prompt;
    ASSERT_EQ(bob.command("click\tIncoming Request...\tButton1"), "ok");

    const std::string arrived = users[1].desktop() + "/report, final.pdf";
    ASSERT_TRUE(Eventually([&] { return QFileInfo(QString::fromStdString(arrived)).size() == static_cast<qint64>(bytes.size()); }, 60000));
    EXPECT_TRUE(ReadAll(arrived) == bytes);
    EXPECT_TRUE(ShowsText(bob, "Form1", "ChnName", "FILE TRANSFER COMPLETED."));
    EXPECT_TRUE(ShowsText(alice, "Form1", "ChnName", "FILE TRANSFER COMPLETED."));
    // Both transfer windows close once it is done.
    EXPECT_TRUE(Eventually([&] { return alice.command("find\tForm4").rfind("error", 0) == 0; }));
    EXPECT_TRUE(Eventually([&] { return bob.command("find\tForm4").rfind("error", 0) == 0; }));
}

TEST(ChatTransfer, AFileRefusedAtThePromptTellsTheSenderAndLeavesNothing)
{
    Buddies users({ { "alice", 2 }, { "bob", 3 } });
    ASSERT_TRUE(users.signOn());
    LarkspireProcess& alice = *users[0].process;
    LarkspireProcess& bob = *users[1].process;
    users[0].dirs.write("outbox/notes.txt", "not for bob");
    ASSERT_EQ(alice.command("file\t" + users[0].dirs.root() + "/outbox/notes.txt"), "ok");
    ASSERT_TRUE(BuddyMenu(alice, "Send File"));
    ASSERT_TRUE(Shows(bob, "Incoming Request..."));
    ASSERT_EQ(bob.command("click\tIncoming Request...\tButton2"), "ok");
    EXPECT_TRUE(Eventually([&] { return Has(alice.command("boxes"), "Your request to transfer a file was rejected by the recepient."); }));
    EXPECT_EQ(QDir(QString::fromStdString(users[1].desktop())).entryList(QDir::Files).size(), 0) << "nothing reached bob's desktop";
}

// bob's larkspire receives from a program playing alice on the peer line.
class FileReception : public ::testing::Test {
protected:
    void SetUp() override
    {
        bob.lists("alice", "DirectConnect=" + LoopbackHost(2) + "\r\n");
        bob.start();
        ASSERT_TRUE(bob.process->signOn());
        // The log-on outcome goes to the same label a finished transfer writes: let it land first.
        ASSERT_TRUE(ShowsText(*bob.process, "Form1", "ChnName", "NO SERVICE"));
        alice = std::make_unique<HostilePeer>(LoopbackHost(2), bob.address);
        ASSERT_TRUE(alice->connected());
        alice->line(Frame("inf", "alice", "alice@example.org", "bob"));
        ASSERT_EQ(alice->readLine(), "\xFC");
    }
    // alice offers a file; bob accepts; the port bob listens on.
    std::uint16_t Accepted(const std::string& path, std::size_t size)
    {
        alice->line(Frame("requesttosendfile", "alice", path, std::to_string(size)));
        if (!Shows(*bob.process, "Incoming Request...") || bob.process->command("click\tIncoming Request...\tButton1") != "ok")
            return 0;
        for (std::string line = alice->readLine(); !line.empty(); line = alice->readLine()) {
            const std::string prefix = "\xFB" "startsendfile,bob,\"" + path + "\",\"";
            if (line.rfind(prefix, 0) == 0)
                return static_cast<std::uint16_t>(std::stoi(line.substr(prefix.size())));
        }
        return 0;
    }
    std::string Received(const std::string& name) { return ReadAll(bob.desktop() + "/" + name); }
    bool Boxed(const std::string& part) { return Eventually([&] { return Has(bob.process->command("boxes"), part); }); }
    std::size_t DesktopFiles() const
    {
        return static_cast<std::size_t>(QDir(QString::fromStdString(bob.desktop())).entryList(QDir::Files | QDir::Hidden).size());
    }

    Host bob { "bob", 3 };
    std::unique_ptr<HostilePeer> alice;
};

TEST_F(FileReception, A7MiBFileArrivesByteForByte)
{
    const std::string bytes = RandomBytes(7u << 20);
    const std::uint16_t port = Accepted("C:\\Users\\alice\\holiday.mov", bytes.size());
    ASSERT_NE(port, 0);
    HostilePeer data(LoopbackHost(2), bob.address, port);
    ASSERT_TRUE(data.connected());
    ASSERT_TRUE(data.send(bytes));
    ASSERT_TRUE(Eventually([&] { return Received("holiday.mov").size() == bytes.size(); }, 60000));
    EXPECT_TRUE(Received("holiday.mov") == bytes);
    EXPECT_TRUE(ShowsText(*bob.process, "Form1", "ChnName", "FILE TRANSFER COMPLETED.")) << TextOf(*bob.process, "Form1", "ChnName");
}

TEST_F(FileReception, ARefusedRequestTellsTheSenderAndWritesNothing)
{
    alice->line(Frame("requesttosendfile", "alice", "/home/alice/notes.txt", "100"));
    ASSERT_TRUE(Shows(*bob.process, "Incoming Request..."));
    ASSERT_EQ(bob.process->command("click\tIncoming Request...\tButton2"), "ok");
    EXPECT_EQ(alice->readLine(), Frame("rejected", "bob", "file", ""));
    EXPECT_EQ(DesktopFiles(), 1u) << "only the desktop's own file";
}

TEST_F(FileReception, ATransferCutHalfWayLeavesNoFileAndIsReported)
{
    const std::uint16_t port = Accepted("C:\\half.bin", 1000000);
    ASSERT_NE(port, 0);
    {
        HostilePeer data(LoopbackHost(2), bob.address, port);
        ASSERT_TRUE(data.send(std::string(400000, 'h')));
    }
    EXPECT_TRUE(Boxed("was not received completely"));
    EXPECT_EQ(Received("half.bin"), "");
    EXPECT_EQ(DesktopFiles(), 1u);
}

TEST_F(FileReception, ASecondConnectionIsRefusedAndTheFileKeptIntact)
{
    const std::string bytes = RandomBytes(100000);
    const std::uint16_t port = Accepted("C:\\one.bin", bytes.size());
    ASSERT_NE(port, 0);
    HostilePeer data(LoopbackHost(2), bob.address, port);
    ASSERT_TRUE(data.send(bytes.substr(0, 1000)));
    HostilePeer intruder(LoopbackHost(2), bob.address, port);
    if (intruder.connected()) {
        intruder.send(std::string(5000, 'X'));
        EXPECT_TRUE(intruder.closedUnanswered());
    }
    ASSERT_TRUE(data.send(bytes.substr(1000)));
    ASSERT_TRUE(Eventually([&] { return Received("one.bin").size() == bytes.size(); }));
    EXPECT_TRUE(Received("one.bin") == bytes);
}

TEST_F(FileReception, AHostileStartSendFileForAFileNeverOfferedConnectsNowhere)
{
    bob.dirs.write("secret.txt", "bob's own");
    // A listener where alice would receive: nothing may arrive.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    ::inet_pton(AF_INET, LoopbackHost(2).c_str(), &address.sin_addr);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 4), 0);
    socklen_t length = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    alice->line(Frame("startsendfile", "alice", bob.dirs.root() + "/secret.txt", std::to_string(ntohs(address.sin_port))));
    // Lines are handled in order: once the next request shows, the hostile one has been dealt with.
    alice->line(Frame("requesttosendfile", "alice", "C:\\after.txt", "1"));
    ASSERT_TRUE(Shows(*bob.process, "Incoming Request..."));
    EXPECT_NE(bob.process->command("find\tSending...").rfind("ok Form4", 0), 0u) << "no send window opened";
    ::fcntl(listener, F_SETFL, O_NONBLOCK);
    const int accepted = ::accept(listener, nullptr, nullptr);
    EXPECT_LT(accepted, 0) << "nothing connected";
    if (accepted >= 0)
        ::close(accepted);
    ::close(listener);
}

TEST(ChatTransfer, AWindowLeftFromAnEarlierSessionIsTheOneTheNextSessionChatsIn)
{
    Buddies users({ { "alice", 2 }, { "bob", 3 } });
    ASSERT_TRUE(users.signOn());
    LarkspireProcess& alice = *users[0].process;
    LarkspireProcess& bob = *users[1].process;
    ASSERT_TRUE(BuddyMenu(alice, "Chat"));
    ASSERT_TRUE(Shows(alice, "bob - Korvo"));
    ASSERT_TRUE(Say(alice, "bob - Korvo", "first words"));
    ASSERT_TRUE(Shows(bob, "Incoming Request..."));
    ASSERT_EQ(bob.command("click\tIncoming Request...\tButton1"), "ok");
    ASSERT_TRUE(ShowsText(bob, "alice - Korvo", "Memo2", "alice: first words"));

    // bob signs off: his window stays, but what he types there stays in its input.
    ASSERT_EQ(bob.command("click\tForm1\tSpeedButton2"), "ok");
    ASSERT_TRUE(users[0].seesOnline("bob", false));
    ASSERT_TRUE(Say(bob, "alice - Korvo", "into the void"));
    EXPECT_EQ(TextOf(bob, "alice - Korvo", "memo3"), "into the void");
    EXPECT_FALSE(Has(TextOf(bob, "alice - Korvo", "Memo2"), "into the void"));

    // Signed on again, alice's next line, the one that opens the prompt, comes to that same window.
    ASSERT_TRUE(SignOnAgain(bob));
    ASSERT_TRUE(users[0].seesOnline("bob", true));
    ASSERT_TRUE(users[1].seesOnline("alice", true));
    ASSERT_TRUE(Say(alice, "bob - Korvo", "are you back?"));
    ASSERT_TRUE(Shows(bob, "Incoming Request..."));
    ASSERT_EQ(bob.command("click\tIncoming Request...\tButton1"), "ok");
    ASSERT_TRUE(ShowsText(bob, "alice - Korvo", "Memo2", "alice: are you back?")) << TextOf(bob, "alice - Korvo", "Memo2");
    EXPECT_EQ(WindowsCaptioned(bob, "alice - Korvo"), 1) << bob.command("windows");
    EXPECT_TRUE(Has(TextOf(bob, "alice - Korvo", "Memo2"), "alice: first words"));
    ASSERT_TRUE(Say(alice, "bob - Korvo", "good"));
    EXPECT_TRUE(ShowsText(bob, "alice - Korvo", "Memo2", "alice: good"));
    ASSERT_TRUE(Say(bob, "alice - Korvo", "yes, back"));
    ASSERT_TRUE(ShowsText(alice, "bob - Korvo", "Memo2", "bob: yes, back"));

    // Once more, and now bob speaks first, from the window he kept.
    ASSERT_EQ(bob.command("click\tForm1\tSpeedButton2"), "ok");
    ASSERT_TRUE(users[0].seesOnline("bob", false));
    ASSERT_TRUE(SignOnAgain(bob));
    ASSERT_TRUE(users[0].seesOnline("bob", true));
    ASSERT_TRUE(users[1].seesOnline("alice", true));
    ASSERT_TRUE(Say(bob, "alice - Korvo", "me again"));
    EXPECT_TRUE(ShowsText(alice, "bob - Korvo", "Memo2", "bob: me again"));
    EXPECT_EQ(TextOf(bob, "alice - Korvo", "memo3"), "");
    EXPECT_EQ(WindowsCaptioned(bob, "alice - Korvo"), 1) << bob.command("windows");
}

TEST_F(FileReception, ASavedTranscriptPastOneMebibyteHoldsEveryLine)
{
    const auto said = [](int i) {
        char number[16];
        std::snprintf(number, sizeof number, "line %04d ", i);
        return std::string(number) + std::string(700, 'w');
    };
    const auto frame = [&](int i) {
        return Frame("chat", "alice", "bob", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\pard\\plain\\f0\\fs20\\b\\cf0 alice: "
                                                 + said(i) + "\\par }");
    };
    alice->line(frame(1));
    ASSERT_TRUE(Shows(*bob.process, "Incoming Request..."));
    ASSERT_EQ(bob.process->command("click\tIncoming Request...\tButton1"), "ok");
    ASSERT_TRUE(ShowsText(*bob.process, "alice - Korvo", "Memo2", "line 0001"));
    const std::string path = bob.dirs.root() + "/talk.rtf";
    ASSERT_EQ(bob.process->command("file\t" + path), "ok");
    ASSERT_EQ(bob.process->command("menu\talice - Korvo\tSave1"), "ok");
    ASSERT_TRUE(Eventually([&] { return Has(ReadAll(path), "line 0001"); }));

    constexpr int kLines = 1500;
    for (int i = 2; i <= kLines; ++i)
        alice->line(frame(i));
    ASSERT_TRUE(Eventually([&] { return Has(ReadAll(path), said(kLines)); }, 60000)) << ReadAll(path).size() << " bytes saved";
    const std::string saved = ReadAll(path);
    EXPECT_GT(saved.size(), 1u << 20);
    for (int i = 1; i <= kLines; ++i)
        ASSERT_TRUE(Has(saved, said(i))) << "line " << i << " missing";
    EXPECT_EQ(saved.back(), '}') << "the file stays one document";
    // The window keeps only the newest of it.
    EXPECT_FALSE(Has(TextOf(*bob.process, "alice - Korvo", "Memo2"), said(1)));

    // A flood of short lines: the window keeps a capped count of them, the newest.
    const auto shortLine = [](int i) {
        char number[16];
        std::snprintf(number, sizeof number, "short %05d.", i);
        return std::string(number);
    };
    constexpr int kShortLines = 2500;
    std::string flood;
    for (int i = 1; i <= kShortLines; ++i)
        flood += Frame("chat", "alice", "bob", "{\\rtf1\\ansi\\pard\\plain\\f0\\fs20\\b\\cf0 alice: " + shortLine(i) + "\\par }") + "\r\n";
    ASSERT_TRUE(alice->send(flood));
    ASSERT_TRUE(ShowsText(*bob.process, "alice - Korvo", "Memo2", shortLine(kShortLines)));
    const std::string shown = TextOf(*bob.process, "alice - Korvo", "Memo2");
    EXPECT_FALSE(Has(shown, said(kLines)));
    EXPECT_FALSE(Has(shown, shortLine(1)));
    EXPECT_TRUE(Has(shown, shortLine(kShortLines - 1700)));
    EXPECT_TRUE(Has(ReadAll(path), shortLine(1))) << "the saved file keeps every line";
}

TEST_F(FileReception, AChatOpenedFromTheBuddyListWhileItsPromptWaitsShowsEveryLineInOrder)
{
    const auto said = [](const std::string& words) {
        return Frame("chat", "alice", "bob", "{\\rtf1\\ansi\\pard\\plain\\f0\\fs20\\b\\cf0 alice: " + words + "\\par }");
    };
    alice->line(said("one"));
    ASSERT_TRUE(Shows(*bob.process, "Incoming Request..."));
    alice->line(said("two"));
    ASSERT_TRUE(BuddyMenu(*bob.process, "Chat"));
    ASSERT_TRUE(Shows(*bob.process, "alice - Korvo"));
    alice->line(said("three"));
    ASSERT_TRUE(ShowsText(*bob.process, "alice - Korvo", "Memo2", "alice: three"));
    const std::string shown = TextOf(*bob.process, "alice - Korvo", "Memo2");
    const std::size_t one = shown.find("alice: one");
    const std::size_t two = shown.find("alice: two");
    ASSERT_NE(one, std::string::npos) << shown;
    ASSERT_NE(two, std::string::npos) << shown;
    EXPECT_LT(one, two);
    EXPECT_LT(two, shown.find("alice: three"));
    // The open window answered the prompt: nothing refuses alice later.
    EXPECT_TRUE(Eventually([&] { return !Has(bob.process->command("find\tIncoming Request..."), "\t1\t"); }));
    EXPECT_EQ(WindowsCaptioned(*bob.process, "alice - Korvo"), 1);
}

TEST(ChatTransfer, AGuestCannotForgeWhoIsInAHostedConference)
{
    Host alice("alice", 2);
    alice.lists("bob", "DirectConnect=" + LoopbackHost(3) + "\r\n");
    alice.lists("eve", "DirectConnect=" + LoopbackHost(4) + "\r\n");
    // A buddy whose own conference would be keyed like the host's.
    alice.lists("Conference", "DirectConnect=" + LoopbackHost(5) + "\r\n");
    alice.start();
    ASSERT_TRUE(alice.process->signOn());
    LarkspireProcess& host = *alice.process;
    HostilePeer bob(LoopbackHost(3), alice.address);
    HostilePeer eve(LoopbackHost(4), alice.address);
    HostilePeer namesake(LoopbackHost(5), alice.address);
    for (auto [peer, name] : { std::pair { &bob, "bob" }, std::pair { &eve, "eve" }, std::pair { &namesake, "Conference" } }) {
        ASSERT_TRUE(peer->connected());
        peer->line(Frame("inf", name, std::string(name) + "@example.org", "alice"));
        ASSERT_EQ(peer->readLine(), "\xFC");
    }
    ASSERT_TRUE(alice.seesOnline("eve", true));
    const std::string window = "Conference* - Korvo";
    ASSERT_EQ(host.command("click\tForm1\tExplorerButton17"), "ok");
    ASSERT_TRUE(Shows(host, window));

    // alice invites bob alone; bob joins.
    ASSERT_TRUE(Eventually([&] { return host.command("menu\t" + window + "\tbob") == "ok"; }));
    for (std::string line = bob.readLine(); !Has(line, "conferenceopen"); line = bob.readLine())
        ASSERT_FALSE(line.empty()) << "no invitation";
    bob.line(Frame("conference", "bob", "alice*", "\xFA" "bob"));
    ASSERT_TRUE(ShowsText(host, window, "Panel2", "Persons (2)"));

    // eve, never invited, joins herself and others; bob names others and the host.
    eve.line(Frame("conference", "eve", "alice*", "\xFA" "eve"));
    eve.line(Frame("conference", "eve", "alice*", "\xFA" "mallory"));
    eve.line(Frame("conference", "eve", "alice*", "\xFC" "ghost"));
    eve.line(Frame("conference", "eve", "alice*", "\xFD" "bob"));
    bob.line(Frame("conference", "bob", "alice*", "\xFA" "zed"));
    bob.line(Frame("conference", "bob", "alice*", "\xFA" "carol (Host)"));
    bob.line(Frame("conference", "bob", "alice*", "\xFD" "alice (Host)"));
    // eve, no member, speaks; bob speaks under carol's name.
    const auto said = [](const std::string& speaker, const std::string& text) {
        return "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\pard\\plain\\f0\\fs20\\b\\cf0 " + speaker + ": " + text
            + "\\par }";
    };
    eve.line(Frame("conference", "eve", "alice*", said("eve", "psst")));
    bob.line(Frame("conference", "bob", "alice*", said("carol", "hello all")));
    // The buddy called "Conference" speaks as the host of a conference keyed "Conference*".
    namesake.line(Frame("conferencehost", "Conference", "alice", "\xFA" "mallory"));
    namesake.line(Frame("conferenceclose", "Conference", "c@example.org", "Conference*"));
    // Lines are handled in order: once these requests show, the forged lines have been dealt with.
    eve.line(Frame("requesttosendfile", "eve", "C:\\after.txt", "1"));
    bob.line(Frame("requesttosendfile", "bob", "C:\\after.txt", "1"));
    namesake.line(Frame("requesttosendfile", "Conference", "C:\\after.txt", "1"));
    ASSERT_TRUE(alice.peerHookSeen("RequestPrompt|1|eve"));
    ASSERT_TRUE(alice.peerHookSeen("RequestPrompt|1|bob"));
    ASSERT_TRUE(alice.peerHookSeen("RequestPrompt|1|Conference"));

    EXPECT_EQ(TextOf(host, window, "Panel2"), "Persons (2)");
    const std::string transcript = TextOf(host, window, "Memo2");
    for (const char* forged : { "eve has joined", "mallory", "ghost", "zed", "carol", "bob has left", "has been closed",
                                "window is closed", "psst" })
        EXPECT_FALSE(Has(transcript, forged)) << forged << " in " << transcript;
    EXPECT_TRUE(Has(transcript, "bob: hello all")) << transcript;
    EXPECT_TRUE(Shows(host, window)) << "the host's window lives on";
    // What bob was sent before the host's own next line: never the words of one who is no member.
    ASSERT_TRUE(Say(host, window, "over to you"));
    std::string sent;
    for (std::string line = bob.readLine(); !Has(line, "over to you"); line = bob.readLine()) {
        ASSERT_FALSE(line.empty()) << "the host's line never came: " << sent;
        sent += line + "\n";
    }
    EXPECT_FALSE(Has(sent, "psst")) << sent;
}
