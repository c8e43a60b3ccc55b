#include "peer_host.h"

#include "platform/testing/serviceprocess.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <random>
#include <set>

// File offers and receptions against a real larkspire: prompts that may not pile
// up or answer the wrong line, receptions that may not share or lose a file.
namespace {

bool Eventually(const std::function<bool()>& condition, int timeoutMs = 15000)
{
    return Application::ProcessMessagesUntil(condition, timeoutMs);
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

bool Visible(LarkspireProcess& process, const std::string& caption)
{
    const std::string reply = process.command("find\t" + caption);
    return reply.rfind("ok Form", 0) == 0 && Has(reply, "\t1\t");
}

bool Shows(LarkspireProcess& process, const std::string& caption)
{
    return Eventually([&] { return Visible(process, caption); });
}

std::string TextOf(LarkspireProcess& process, const std::string& window, const std::string& control)
{
    const std::string reply = process.command("text\t" + window + "\t" + control);
    return reply.rfind("ok ", 0) == 0 ? reply.substr(3) : std::string();
}

bool ShowsText(LarkspireProcess& process, const std::string& window, const std::string& control, const std::string& part)
{
    return Eventually([&] { return Has(TextOf(process, window, control), part); });
}

// The first buddy's pop-up menu in the main bar's list, and one of its items.
bool BuddyMenu(LarkspireProcess& process, const std::string& item)
{
    if (process.command("rclick\tForm1\tfrCanvas1\t40,8") != "ok") {
        process.command("drag\tForm1\tActiveButton1\t5,5\t5,5");
        Eventually([&] { return process.command("rclick\tForm1\tfrCanvas1\t40,8") == "ok"; }, 5000);
    }
    return Eventually([&] { return process.command("menu\tForm1\t" + item) == "ok"; }, 5000);
}

std::string RandomBytes(std::size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random());
    return bytes;
}

std::string ReadAll(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

const std::string kRejected = Frame("rejected", "bob", "file", "");

// bob's larkspire, offered files by a program playing alice on the peer line.
class FileOffers : public ::testing::Test {
protected:
    void StartBob(bool hardLinks = true)
    {
        // alice calls from her own address.
        bob.lists("alice", "DirectConnect=" + LoopbackHost(2) + "\r\n");
        if (hardLinks) {
            bob.start();
        } else {
            const QByteArray asan = qgetenv("ASAN_OPTIONS");
            qputenv("LD_PRELOAD", KORVO_NOLINKS_LIBRARY);
            // A preloaded library comes before the sanitizer's runtime in the sanitizer build.
            qputenv("ASAN_OPTIONS", asan + (asan.isEmpty() ? "" : ":") + "verify_asan_link_order=0");
            bob.start();
            qunsetenv("LD_PRELOAD");
            asan.isNull() ? qunsetenv("ASAN_OPTIONS") : qputenv("ASAN_OPTIONS", asan);
        }
        ASSERT_TRUE(bob.process->signOn());
        ASSERT_TRUE(ShowsText(*bob.process, "Form1", "ChnName", "NO SERVICE"));
        alice = Introduced();
    }
    std::unique_ptr<HostilePeer> Introduced()
    {
        auto peer = std::make_unique<HostilePeer>(LoopbackHost(2), bob.address);
        peer->line(Frame("inf", "alice", "alice@example.org", "bob"));
        EXPECT_EQ(peer->readLine(), "\xFC");
        return peer;
    }
    bool PromptGone()
    {
        return Eventually([&] { return !Visible(*bob.process, "Incoming Request..."); });
    }
    // alice offers, bob accepts; the port bob listens on, once his prompt is gone.
    std::uint16_t Accepted(const std::string& path, std::size_t size)
    {
        alice->line(Frame("requesttosendfile", "alice", path, std::to_string(size)));
        if (!Shows(*bob.process, "Incoming Request...") || bob.process->command("click\tIncoming Request...\tButton1") != "ok")
            return 0;
        const std::string prefix = "\xFB" "startsendfile,bob,\"" + path + "\",\"";
        for (std::string line = alice->readLine(); !line.empty(); line = alice->readLine())
            if (line.rfind(prefix, 0) == 0)
                return PromptGone() ? static_cast<std::uint16_t>(std::stoi(line.substr(prefix.size()))) : 0;
        return 0;
    }
    std::string Received(const std::string& name) { return ReadAll(bob.desktop() + "/" + name); }
    std::size_t DesktopFiles() const
    {
        return static_cast<std::size_t>(QDir(QString::fromStdString(bob.desktop())).entryList(QDir::Files | QDir::Hidden).size());
    }

    Host bob { "bob", 3 };
    std::unique_ptr<HostilePeer> alice;
};

TEST_F(FileOffers, OffersWhileAPromptAsksWaitTheirTurnWithoutAnotherPrompt)
{
    StartBob();
    alice->line(Frame("requesttosendfile", "alice", "C:\\first.txt", "1"));
    ASSERT_TRUE(Shows(*bob.process, "Incoming Request..."));
    for (int i = 0; i < 30; ++i)
        alice->line(Frame("requesttosendfile", "alice", "C:\\more" + std::to_string(i) + ".txt", "1"));
    // A note after them: once it is in, bob has read every offer.
    alice->line(Frame("note", "alice", "x", "all sent"));
    ASSERT_TRUE(Eventually([&] { return Has(bob.process->command("peerhooks"), "SaveNivlet|alice|x|all sent"); }));
    EXPECT_EQ(Count(bob.process->command("windows"), ":Incoming Request..."), 1u);
    EXPECT_TRUE(Has(TextOf(*bob.process, "Incoming Request...", "Label1"), "first.txt"));
    // Refused by bob, the next offer waiting is asked; only the eight that could wait are asked at all.
    for (int i = 0; i <= 8; ++i) {
        ASSERT_EQ(bob.process->command("click\tIncoming Request...\tButton2"), "ok") << i;
        ASSERT_EQ(alice->readLine(), kRejected) << i;
        if (i < 8) {
            ASSERT_TRUE(ShowsText(*bob.process, "Incoming Request...", "Label1", "more" + std::to_string(i) + ".txt")) << i;
        }
    }
    ASSERT_TRUE(PromptGone());
    // Answered, the next offer is asked again.
    alice->line(Frame("requesttosendfile", "alice", "C:\\next.txt", "1"));
    ASSERT_TRUE(Shows(*bob.process, "Incoming Request..."));
    EXPECT_TRUE(Has(TextOf(*bob.process, "Incoming Request...", "Label1"), "next.txt"));
}

TEST_F(FileOffers, APromptOutlivingItsLineAnswersNoLaterConnection)
{
    StartBob();
    alice->line(Frame("requesttosendfile", "alice", "C:\\a.txt", "1"));
    ASSERT_TRUE(Shows(*bob.process, "Incoming Request..."));
    alice.reset();
    ASSERT_TRUE(bob.seesOnline("alice", false));
    // A new line from the same address, refused once so it is surely taken in.
    HostilePeer again(LoopbackHost(2), bob.address);
    again.line(Frame("inf", "alice", "", "nobody"));
    ASSERT_EQ(again.readLine(), "\xFE");
    ASSERT_EQ(bob.process->command("click\tIncoming Request...\tButton2"), "ok");
    ASSERT_TRUE(PromptGone());
    again.line(Frame("inf", "alice", "alice@example.org", "bob"));
    EXPECT_EQ(again.readLine(), "\xFC") << "the old prompt's refusal went nowhere";
}

TEST_F(FileOffers, TwoReceptionsOfOneNameAtOnceBothArriveWhole)
{
    StartBob();
    const std::string first = RandomBytes(400000, 1);
    const std::string second = RandomBytes(400000, 2);
    const std::uint16_t port1 = Accepted("C:\\photo.jpg", first.size());
    ASSERT_NE(port1, 0);
    const std::uint16_t port2 = Accepted("D:\\photo.jpg", second.size());
    ASSERT_NE(port2, 0);
    HostilePeer data1(LoopbackHost(2), bob.address, port1);
    HostilePeer data2(LoopbackHost(2), bob.address, port2);
    ASSERT_TRUE(data1.connected() && data2.connected());
    ASSERT_TRUE(data1.send(first.substr(0, 200000)));
    ASSERT_TRUE(data2.send(second));
    ASSERT_TRUE(data1.send(first.substr(200000)));
    ASSERT_TRUE(Eventually([&] { return Received("photo.jpg").size() == first.size() && Received("photo(1).jpg").size() == first.size(); }));
    EXPECT_EQ((std::set<std::string> { Received("photo.jpg"), Received("photo(1).jpg") }), (std::set<std::string> { first, second }));
    EXPECT_FALSE(Has(bob.process->command("boxes"), "could not be stored"));
    EXPECT_TRUE(Eventually([&] { return DesktopFiles() == 3u; })) << "no temporary file is left";
}

TEST_F(FileOffers, AFinishedFileIsPlacedWhereTheDesktopHasNoHardLinks)
{
    bob.dirs.write("desktop/report.pdf", "bob's own");
    StartBob(false);
    const std::string bytes = RandomBytes(300000, 3);
    const std::uint16_t port = Accepted("C:\\report.pdf", bytes.size());
    ASSERT_NE(port, 0);
    HostilePeer data(LoopbackHost(2), bob.address, port);
    ASSERT_TRUE(data.send(bytes));
    ASSERT_TRUE(Eventually([&] { return Received("report(1).pdf").size() == bytes.size(); }));
    EXPECT_TRUE(Received("report(1).pdf") == bytes);
    EXPECT_EQ(Received("report.pdf"), "bob's own");
    EXPECT_TRUE(ShowsText(*bob.process, "Form1", "ChnName", "FILE TRANSFER COMPLETED."));
    EXPECT_FALSE(Has(bob.process->command("boxes"), "could not be stored"));
    EXPECT_EQ(DesktopFiles(), 3u);
}

TEST_F(FileOffers, CancelPressedAsTheWindowSetsUpEndsItCleanly)
{
    StartBob();
    for (int round = 0; round < 5; ++round) {
        alice->line(Frame("requesttosendfile", "alice", "C:\\early.bin", "100"));
        ASSERT_TRUE(Shows(*bob.process, "Incoming Request..."));
        // The second command is read as soon as Accept's handler runs, while the window looks its port up.
        ASSERT_EQ(bob.process->command("click\tIncoming Request...\tButton1"), "ok");
        ASSERT_EQ(bob.process->command("click\tReceiving...\tButton1"), "ok") << "round " << round;
        ASSERT_TRUE(ShowsText(*bob.process, "Form1", "ChnName", "CANCELLED"));
        ASSERT_TRUE(Eventually([&] { return !Visible(*bob.process, "Receiving...") && !Visible(*bob.process, "Incoming Request..."); }));
        // A port named before the cancel may come first; the refusal asked for after it comes in any case.
        alice->line(Frame("requesttosendfile", "alice", "C:\\bad.bin", "-1"));
        std::string line = alice->readLine();
        if (line.rfind("\xFB" "startsendfile,", 0) == 0)
            line = alice->readLine();
        ASSERT_EQ(line, kRejected) << "round " << round;
        ASSERT_TRUE(bob.process->running());
    }
    EXPECT_EQ(bob.process->command("ping"), "ok pong");
    EXPECT_EQ(DesktopFiles(), 1u) << "only the desktop's own file";
}

TEST(FileOfferNames, ANameHoldingAQuoteIsRefusedAtTheSenderBeforeAnythingGoes)
{
    AliceAndBobService service;
    ASSERT_TRUE(service.service.started()) << service.service.error();
    Host alice("alice", 2);
    alice.lists("bob");
    Host bob("bob", 3);
    bob.lists("alice");
    for (Host* host : { &alice, &bob }) {
        service.serves(*host);
        host->start();
        ASSERT_TRUE(host->process->signOn());
    }
    ASSERT_TRUE(alice.seesOnline("bob", true));
    ASSERT_TRUE(bob.seesOnline("alice", true));

    alice.dirs.write("outbox/say \"hi\".txt", "quoted");
    ASSERT_EQ(alice.process->command("file\t" + alice.dirs.root() + "/outbox/say \"hi\".txt"), "ok");
    ASSERT_TRUE(BuddyMenu(*alice.process, "Send File"));
    ASSERT_TRUE(Eventually([&] {
        return Has(alice.process->command("boxes"), "SAY \"HI\".TXT cannot be sent because its name or folder holds a double quote");
    }));
    // Lines go in order: once the next offer is asked, the first would have been too.
    alice.dirs.write("outbox/plain.txt", "plain");
    ASSERT_EQ(alice.process->command("file\t" + alice.dirs.root() + "/outbox/plain.txt"), "ok");
    ASSERT_TRUE(BuddyMenu(*alice.process, "Send File"));
    ASSERT_TRUE(Shows(*bob.process, "Incoming Request..."));
    EXPECT_TRUE(Has(TextOf(*bob.process, "Incoming Request...", "Label1"), "plain.txt"));
    EXPECT_EQ(Count(bob.process->command("peerhooks"), "RequestPrompt|1|"), 1u);
    EXPECT_FALSE(Has(alice.process->command("boxes"), "rejected by the recepient"));
}

TEST(FileOfferNames, TwoOffersInARowBothArriveByteForByte)
{
    AliceAndBobService service;
    ASSERT_TRUE(service.service.started()) << service.service.error();
    Host alice("alice", 2);
    alice.lists("bob");
    Host bob("bob", 3);
    bob.lists("alice");
    for (Host* host : { &alice, &bob }) {
        service.serves(*host);
        host->start();
        ASSERT_TRUE(host->process->signOn());
    }
    ASSERT_TRUE(alice.seesOnline("bob", true));
    ASSERT_TRUE(bob.seesOnline("alice", true));

    // The second offer goes while bob's prompt for the first still asks.
    const std::string one = RandomBytes(200000, 4);
    const std::string two = RandomBytes(150000, 5);
    alice.dirs.write("outbox/one.bin", one);
    alice.dirs.write("outbox/two.bin", two);
    ASSERT_EQ(alice.process->command("file\t" + alice.dirs.root() + "/outbox/one.bin"), "ok");
    ASSERT_TRUE(BuddyMenu(*alice.process, "Send File"));
    ASSERT_TRUE(ShowsText(*bob.process, "Incoming Request...", "Label1", "one.bin"));
    ASSERT_EQ(alice.process->command("file\t" + alice.dirs.root() + "/outbox/two.bin"), "ok");
    ASSERT_TRUE(BuddyMenu(*alice.process, "Send File"));
    ASSERT_EQ(bob.process->command("click\tIncoming Request...\tButton1"), "ok");
    ASSERT_TRUE(ShowsText(*bob.process, "Incoming Request...", "Label1", "two.bin"));
    ASSERT_EQ(bob.process->command("click\tIncoming Request...\tButton1"), "ok");
    EXPECT_TRUE(Eventually([&] {
        return ReadAll(bob.desktop() + "/one.bin") == one && ReadAll(bob.desktop() + "/two.bin") == two;
    }, 30000));
    EXPECT_FALSE(Has(alice.process->command("boxes"), "rejected by the recepient"));
}

}  // namespace
