#include "peerwindowtest.h"

#include "platform/rtl/codepage.h"
#include "platform/ui/label.h"
#include "platform/win/registry.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <cstdlib>
#include <random>

namespace {

std::string RandomBytes(std::size_t size)
{
    std::mt19937 random(7);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random());
    return bytes;
}

class FileTransfer : public PeerWindowTest {
protected:
    void SetUp() override
    {
        PeerWindowTest::SetUp();
        desktop = dirs.root() + "/Desktop";
        QDir().mkpath(QString::fromStdString(desktop));
        TRegistry registry(HKEY_CURRENT_USER);
        ASSERT_TRUE(registry.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", true));
        registry.WriteString("Desktop", desktop);
    }

    // bob offers a file, alice accepts; the port alice listens on, or 0.
    std::uint16_t Offered(ScriptedPeer& bob, const std::string& path, std::size_t size)
    {
        bob.sendLine(Frame("requesttosendfile", "bob", path, std::to_string(size)));
        TForm7* prompt = WaitForWindow<TForm7>();
        if (!prompt)
            return 0;
        prompt->Button1->click();
        const TPeerFrame line = SplitPeerFrame(bob.readLine());
        if (line.f1 != "startsendfile" || line.f3 != path)
            return 0;
        return static_cast<std::uint16_t>(std::stoi(line.f4));
    }
    ScriptedPeer ConnectFrom(int host, std::uint16_t port) { return ScriptedPeer::Connect(LoopbackHost(host), LoopbackHost(1), port); }
    bool Boxed(const std::string& part) const
    {
        for (const auto& record : dialogs::History())
            if (Contains(record.request.text, part))
                return true;
        return false;
    }
    std::string Desktop(const std::string& name) const { return dirs.read("Desktop/" + name); }
    std::size_t DesktopFiles() const
    {
        return static_cast<std::size_t>(QDir(QString::fromStdString(desktop)).entryList(QDir::Files | QDir::Hidden).size());
    }

    // What has landed on the desktop so far, partial files too.
    std::int64_t DesktopBytes() const
    {
        std::int64_t bytes = 0;
        for (const QFileInfo& file : QDir(QString::fromStdString(desktop)).entryInfoList(QDir::Files | QDir::Hidden))
            bytes += file.size();
        return bytes;
    }
    bool Landed(std::int64_t bytes) const
    {
        return Application::ProcessMessagesUntil([&] { return DesktopBytes() == bytes; }, 10000);
    }

    std::string desktop;
};

TEST_F(FileTransfer, AnAcceptedFileArrivesWholeUnderItsOwnName)
{
    ScriptedPeer bob = Online("bob", 2);
    const std::string bytes = RandomBytes(300000);
    const std::uint16_t port = Offered(bob, "C:\\Users\\bob\\photo, R&D.jpeg", bytes.size());
    ASSERT_NE(port, 0);
    TForm4* window = WaitForWindow<TForm4>();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(codepage::FromUnicode(window->Label1->text()), "Receiving photo, R&D.jpeg...\rfrom bob");
    // The sender's '&' is no accelerator.
    EXPECT_EQ(window->Label1->ShownText(), "Receiving photo, R&D.jpeg...\nfrom bob");
    ScriptedPeer data = ConnectFrom(2, port);
    ASSERT_TRUE(data.send(bytes));
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return Desktop("photo, R&D.jpeg").size() == bytes.size(); }, 20000));
    EXPECT_TRUE(Desktop("photo, R&D.jpeg") == bytes);
    EXPECT_EQ(bar->ChnName->text(), "FILE TRANSFER COMPLETED.");
    EXPECT_EQ(DesktopFiles(), 1u) << "no temporary file is left";
}

TEST_F(FileTransfer, AnExistingFileIsKeptAndTheNewOneNumbered)
{
    dirs.write("Desktop/photo.jpeg", "mine");
    ScriptedPeer bob = Online("bob", 2);
    const std::uint16_t port = Offered(bob, "/home/bob/photo.jpeg", 5);
    ASSERT_NE(port, 0);
    ScriptedPeer data = ConnectFrom(2, port);
    data.send("fresh");
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return Desktop("photo(1).jpeg") == "fresh"; }, 10000));
    EXPECT_EQ(Desktop("photo.jpeg"), "mine");
}

TEST_F(FileTransfer, OnlyTheBuddyMayConnectAndOnlyOnce)
{
    ScriptedPeer bob = Online("bob", 2);
    const std::string bytes = RandomBytes(1000);
    const std::uint16_t port = Offered(bob, "C:\\a.bin", bytes.size());
    ASSERT_NE(port, 0);
    ScriptedPeer stranger = ConnectFrom(4, port);
    EXPECT_TRUE(stranger.waitClosed()) << "another address is turned away";
    ScriptedPeer data = ConnectFrom(2, port);
    data.send(bytes.substr(0, 500));
    ASSERT_TRUE(Landed(500));
    ScriptedPeer second = ConnectFrom(2, port);
    if (second.valid()) {
        second.send(std::string(1000, 'X'));
        EXPECT_TRUE(second.waitClosed());
    }
    data.send(bytes.substr(500));
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return Desktop("a.bin").size() == bytes.size(); }, 10000));
    EXPECT_TRUE(Desktop("a.bin") == bytes);
}

TEST_F(FileTransfer, ATransferCutHalfWayLeavesNoFileAndSaysSo)
{
    ScriptedPeer bob = Online("bob", 2);
    const std::uint16_t port = Offered(bob, "C:\\half.bin", 100000);
    ASSERT_NE(port, 0);
    {
        ScriptedPeer data = ConnectFrom(2, port);
        data.send(std::string(50000, 'h'));
        ASSERT_TRUE(Landed(50000));
    }
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return Boxed("was not received completely"); }, 10000));
    ASSERT_TRUE(Application::ProcessMessagesUntil([] { return Windows<TForm4>().empty(); }, 5000));
    EXPECT_EQ(DesktopFiles(), 0u);
}

TEST_F(FileTransfer, CancelRemovesWhatArrived)
{
    ScriptedPeer bob = Online("bob", 2);
    const std::uint16_t port = Offered(bob, "C:\\big.bin", 100000);
    ASSERT_NE(port, 0);
    ScriptedPeer data = ConnectFrom(2, port);
    data.send(std::string(1000, 'c'));
    ASSERT_TRUE(Landed(1000));
    TForm4* window = WaitForWindow<TForm4>();
    ASSERT_NE(window, nullptr);
    window->Button1->click();
    ASSERT_TRUE(Application::ProcessMessagesUntil([] { return Windows<TForm4>().empty(); }, 5000));
    EXPECT_EQ(bar->ChnName->text(), "CANCELLED");
    EXPECT_EQ(DesktopFiles(), 0u);
    EXPECT_TRUE(data.waitClosed());
}

TEST_F(FileTransfer, CancelWhileItStillSetsUpTellsTheBuddyNothingAndLeavesNothing)
{
    ScriptedPeer bob = Online("bob", 2);
    for (int round = 0; round < 3; ++round) {
        bob.sendLine(Frame("requesttosendfile", "bob", "C:\\early.bin", "100"));
        TForm7* prompt = WaitForWindow<TForm7>();
        ASSERT_NE(prompt, nullptr);
        // Cancel comes the moment the window exists, while it still looks its port up.
        QTimer::singleShot(0, [] {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* window = dynamic_cast<TForm4*>(widget))
                    window->Button1->click();
        });
        prompt->Button1->click();
        ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return Windows<TForm4>().empty() && Windows<TForm7>().empty(); }, 5000));
        EXPECT_EQ(bar->ChnName->text(), "CANCELLED");
        // Lines go out in order: a refusal asked for after the cancel comes first unless a port was named.
        bob.sendLine(Frame("requesttosendfile", "bob", "C:\\bad.bin", "-1"));
        EXPECT_EQ(bob.readLine(), Frame("rejected", "alice", "file", "")) << "round " << round;
    }
    EXPECT_EQ(DesktopFiles(), 0u);
}

TEST_F(FileTransfer, ALineDroppedRightAfterAcceptSaysTheTransferCouldNotStart)
{
    ScriptedPeer bob = Online("bob", 2);
    bob.sendLine(Frame("requesttosendfile", "bob", "C:\\gone.bin", "100"));
    TForm7* prompt = WaitForWindow<TForm7>();
    ASSERT_NE(prompt, nullptr);
    // The reset is in before the click, its notice not yet handled.
    bob.reset();
    prompt->Button1->click();
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return Boxed("Larkspire was unable to send this file to bob."); }, 5000));
    for (const auto& record : dialogs::History())
        EXPECT_FALSE(Contains(record.request.text, "Error")) << record.request.text;
    EXPECT_TRUE(Application::ProcessMessagesUntil([&] { return Windows<TForm4>().empty(); }, 5000));
    EXPECT_EQ(DesktopFiles(), 0u);
}

TEST_F(FileTransfer, AnOfferedFileIsSentToTheBuddysPort)
{
    ScriptedPeer bob = Online("bob", 2);
    const std::string bytes = RandomBytes(200000);
    dirs.write("out/report.pdf", bytes);
    SendFileTo("bob", dirs.root() + "/out/report.pdf");
    const TPeerFrame offer = SplitPeerFrame(bob.readLine());
    ASSERT_EQ(offer.f1, "requesttosendfile");
    EXPECT_EQ(offer.f4, std::to_string(bytes.size()));
    ScriptedListener listener(LoopbackHost(2), 0);
    ASSERT_TRUE(listener.valid());
    const std::uint16_t port = listener.port();
    bob.sendLine(Frame("startsendfile", "bob", offer.f3, std::to_string(port)));
    ScriptedPeer incoming = listener.accept();
    ASSERT_TRUE(incoming.valid());
    std::string got;
    Application::ProcessMessagesUntil([&] {
        got = incoming.drain(10);
        return got.size() >= bytes.size();
    }, 20000);
    EXPECT_TRUE(got == bytes);
    // The offer is used up: asking again opens nothing.
    const std::size_t windows = Windows<TForm4>().size();
    bob.sendLine(Frame("startsendfile", "bob", offer.f3, std::to_string(port)));
    ASSERT_TRUE(WrittenBeforeAccepted(bob, "bob"));
    EXPECT_EQ(Windows<TForm4>().size(), windows);
    EXPECT_FALSE(listener.accept(0).valid());
}

TEST_F(FileTransfer, AFileNeverOfferedIsNeverSent)
{
    ScriptedPeer bob = Online("bob", 2);
    dirs.write("secret.txt", "private");
    ScriptedListener listener(LoopbackHost(2), 0);
    bob.sendLine(Frame("startsendfile", "bob", dirs.root() + "/secret.txt", std::to_string(listener.port())));
    ASSERT_TRUE(WrittenBeforeAccepted(bob, "bob"));
    EXPECT_TRUE(Windows<TForm4>().empty());
    EXPECT_FALSE(listener.accept(0).valid());
}

TEST_F(FileTransfer, ASenderThatCannotConnectGivesUpWithAMessage)
{
    ScriptedPeer bob = Online("bob", 2);
    dirs.write("out/late.txt", "late");
    SendFileTo("bob", dirs.root() + "/out/late.txt");
    const TPeerFrame offer = SplitPeerFrame(bob.readLine());
    ASSERT_EQ(offer.f1, "requesttosendfile");
    // bob's port takes no more connections: the connect neither completes nor fails.
    ScriptedListener full(LoopbackHost(2), 0, 0);
    ASSERT_TRUE(full.valid());
    ScriptedPeer waiting = ScriptedPeer::Connect(LoopbackHost(3), LoopbackHost(2), full.port());
    ASSERT_TRUE(waiting.valid());
    // A second instead of the shipped ten: the window reads the limit as it is made.
    struct ShortSendTimeOut {
        ShortSendTimeOut() { ::setenv("KORVO_SEND_TIMEOUT", "1", 1); }
        ~ShortSendTimeOut() { ::unsetenv("KORVO_SEND_TIMEOUT"); }
    } shortTimeOut;
    bob.sendLine(Frame("startsendfile", "bob", offer.f3, std::to_string(full.port())));
    ASSERT_NE(WaitForWindow<TForm4>(), nullptr);
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return Boxed("Larkspire was unable to send this file to bob."); }, 30000));
    EXPECT_TRUE(Application::ProcessMessagesUntil([&] { return Windows<TForm4>().empty(); }, 5000)) << "the window closed";
}

}  // namespace
