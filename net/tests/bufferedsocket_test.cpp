#include "net/bufferedsocket.h"

#include "net/bufferedcomponents.h"
#include "nettest.h"
#include "platform/rtl/sysutils.h"
#include "platform/testing/scratch.h"
#include "rawpeer.h"

#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

namespace {

std::string Pattern(std::size_t size)
{
    std::string bytes(size, '\0');
    std::mt19937 random(20261209);
    for (auto& b : bytes)
        b = static_cast<char>(random() & 0xFF);
    return bytes;
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

TBufferedSocket* Buffered(TSocketBase* s) { return dynamic_cast<TBufferedSocket*>(s); }

// A binary client connected to a raw peer.
struct Connected {
    Connected()
    {
        client.SetAddress("127.0.0.1");
        client.SetPort(std::to_string(listener.port()));
        client.OnRead = [this](TSockCtrl*, TSocketBase*) { ++reads; };
        client.Open();
        peer = listener.accept(5000);
        WaitFor([&] { return client.Connected(); });
    }
    TBufferedSocket* socket() { return Buffered(client.GetSocket()); }
    RawListener listener;
    TBinaryClient client;
    RawPeer peer;
    int reads { 0 };
};

}  // namespace

TEST(BufferedSocket, WritingMoreThanTheBufferRaisesAndAFullBufferIsReported)
{
    TBinaryClient client;
    int full = 0;
    client.OnWriteBufferFull = [&](TBufferedSocketBase*) { ++full; };
    TBufferedSocket* s = Buffered(client.GetSocket());
    const std::string bytes(1025, 'w');
    try {
        s->Write(bytes.data(), 1025);
        ADD_FAILURE() << "1025 bytes do not fit a 1024-byte buffer";
    } catch (const EBufferedSocketException& e) {
        EXPECT_STREQ(e.what(), "Write buffer full, user did not flush");
    }
    EXPECT_EQ(s->Write(bytes.data(), 1024), 1024);
    EXPECT_EQ(full, 1);
    EXPECT_EQ(s->Write(bytes.data(), 1), 0) << "no room, nothing taken";
}

TEST(BufferedSocket, BlocksMustFitTheFreeSpace)
{
    TBinaryClient client;
    TBufferedSocket* s = Buffered(client.GetSocket());
    const std::string bytes(1000, 'b');
    EXPECT_TRUE(s->WriteBlock(bytes.data(), 1000));
    try {
        s->WriteBlock(bytes.data(), 100);
        ADD_FAILURE() << "100 bytes do not fit the 24 left";
    } catch (const EBufferedSocketException& e) {
        EXPECT_STREQ(e.what(), "Block size is larger than buffer size.");
    }
    EXPECT_TRUE(s->WriteBlock(bytes.data(), 0));
    EXPECT_FALSE(s->WriteString(std::string(20, 's'), "\r\n\r\n\r\n"));
    EXPECT_EQ(s->WriteCount(), 1000);
}

TEST(BufferedSocket, SendAndReceiveGoOnlyThroughTheBuffers)
{
    TBinaryClient client;
    char byte = 0;
    EXPECT_THROW(client.GetSocket()->Send(&byte, 1), EBufferedSocketException);
    EXPECT_THROW(client.GetSocket()->Receive(&byte, 1), EBufferedSocketException);
}

TEST(BufferedSocket, BufferSizesCannotLoseData)
{
    TBinaryClient client;
    TBufferedSocket* s = Buffered(client.GetSocket());
    const std::string bytes(600, 'x');
    s->WriteBlock(bytes.data(), 600);
    EXPECT_THROW(s->SetWriteBufferSize(500), EBufferedSocketException);
    s->SetWriteBufferSize(4096);
    EXPECT_EQ(s->WriteCount(), 600) << "held bytes move into the new buffer";
    EXPECT_THROW(s->SetReadBufferSize(0), EBufferedSocketException);
    EXPECT_THROW(s->SetRecordSize(2000), EBufferedSocketException);
    TBinaryClient other;
    other.ReadBufferSize = 0;
    EXPECT_THROW(other.GetSocket(), EBufferedSocketException);
}

TEST(BufferedSocket, ABlockWaitsUntilItIsWhole)
{
    Connected c;
    bool gotBlock = true;
    int held = 0;
    c.client.OnRead = [&](TSockCtrl*, TSocketBase* s) {
        char block[16];
        gotBlock = Buffered(s)->ReadBlock(block, 16);
        held = Buffered(s)->ReadCount();
    };
    c.peer.sendAll("0123456789");
    ASSERT_TRUE(WaitFor([&] { return held == 10; }));
    EXPECT_FALSE(gotBlock);
    char block[16];
    EXPECT_THROW(c.socket()->ReadBlock(block, 0), EBufferedSocketException);
    EXPECT_EQ(c.socket()->Read(block, 16), 10);
    EXPECT_EQ(std::string(block, 10), "0123456789");
}

TEST(BufferedSocket, RecordsAreReadWhenARecordIsThere)
{
    Connected c;
    std::vector<std::string> records;
    c.client.OnRead = [&](TSockCtrl*, TSocketBase* s) {
        char record[16];
        while (Buffered(s)->ReadRecord(record))
            records.emplace_back(record, 16);
    };
    c.peer.sendAll("AAAAAAAAAAAAAAAABBBBBBBBBBBBBBBBCC");
    ASSERT_TRUE(WaitFor([&] { return records.size() == 2; }));
    EXPECT_EQ(records[1], std::string(16, 'B'));
    EXPECT_EQ(c.socket()->ReadCount(), 2);
}

TEST(BufferedSocket, AnEmptyFileIsReceivedAtOnce)
{
    ScratchDirs dirs;
    TBinaryClient client;
    int received = 0;
    client.OnFileReceived = [&](TBufferedSocketBase*) { ++received; };
    const std::string path = dirs.root() + "/empty.bin";
    Buffered(client.GetSocket())->ReceiveFile(path, 0);
    EXPECT_EQ(received, 1);
    EXPECT_TRUE(dirs.exists("empty.bin"));
    EXPECT_EQ(dirs.read("empty.bin"), "");
}

TEST(BufferedSocket, AnEmptyStreamIsSentAtOnce)
{
    TBinaryClient client;
    int sent = 0;
    client.OnFileSent = [&](TBufferedSocketBase*) { ++sent; };
    Buffered(client.GetSocket())->SendStream(new TMemoryStream, true);
    EXPECT_EQ(sent, 1);
    EXPECT_FALSE(Buffered(client.GetSocket())->Sending());
}

TEST(BufferedSocket, OneSendAtATimeAndNoPositionAfterIt)
{
    // Far more than the network takes before the peer reads: the first send is still
    // running when the second is asked for.
    const std::size_t size = 16u << 20;
    ScratchDirs dirs;
    dirs.write("a.bin", Pattern(size));
    Connected c;
    int sent = 0;
    c.client.OnFileSent = [&](TBufferedSocketBase*) { ++sent; };
    TBufferedSocket* s = Buffered(c.client.GetSocket());
    s->OnFileSent = c.client.OnFileSent;
    s->SendFile(dirs.root() + "/a.bin");
    ASSERT_TRUE(s->Sending());
    try {
        s->SendFile(dirs.root() + "/a.bin");
        ADD_FAILURE() << "a second send must be refused";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Already sending a stream.");
    }
    std::string got;
    std::thread reader([&] { got = c.peer.receiveExactly(size, 60000); });
    ASSERT_TRUE(WaitFor([&] { return sent == 1; }, 60000));
    reader.join();
    EXPECT_TRUE(got == Pattern(size)) << "the first file arrives once, whole";
    try {
        s->SendStreamPosition();
        ADD_FAILURE() << "no stream, no position";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Cannot get stream position - not sending any stream");
    }
    EXPECT_THROW(s->ReceiveStreamPosition(), Exception);
}

TEST(BufferedSocket, ASecondSendDuringARunningOneLeavesTheFirstRunning)
{
    Connected c;
    int sent = 0;
    TBufferedSocket* s = c.socket();
    s->OnFileSent = [&](TBufferedSocketBase*) { ++sent; };
    auto* big = new TStringStream(Pattern(8 << 20));
    s->SendStream(big, true);
    ASSERT_TRUE(s->Sending()) << "8 MiB cannot leave at once";
    EXPECT_THROW(s->SendStream(new TStringStream("x"), true), Exception);
    std::string got;
    std::thread reader([&] { got = c.peer.receiveExactly(8 << 20, 20000); });
    ASSERT_TRUE(WaitFor([&] { return sent == 1; }, 30000));
    reader.join();
    EXPECT_EQ(got, Pattern(8 << 20));
}

TEST(BufferedSocket, BytesAfterTheExpectedCountStayForTheNextReader)
{
    Connected c;
    TStringStream* into = new TStringStream;
    std::string taken;
    int received = 0;
    c.socket()->OnFileReceived = [&](TBufferedSocketBase*) { ++received; };
    c.socket()->ReceiveStream(into, 6, false);
    c.peer.sendAll("abcdefREST");
    ASSERT_TRUE(WaitFor([&] { return received == 1; }));
    EXPECT_EQ(into->DataString(), "abcdef");
    ASSERT_TRUE(WaitFor([&] { return c.socket()->ReadCount() == 4; }));
    char rest[4];
    c.socket()->Read(rest, 4);
    EXPECT_EQ(std::string(rest, 4), "REST");
    delete into;
}

TEST(BufferedSocket, ARecordSizeOfZeroOrLessIsRefused)
{
    Connected c;
    try {
        c.socket()->SetRecordSize(0);
        ADD_FAILURE() << "a record of no bytes is refused";
    } catch (const EBufferedSocketException& e) {
        EXPECT_EQ(e.Message(), "Record size must be greater than zero.");
    }
    EXPECT_THROW(c.socket()->SetRecordSize(-5), EBufferedSocketException);
    EXPECT_EQ(c.socket()->RecordSize(), 16);
    TBinaryClient other;
    other.SetAddress("127.0.0.1");
    other.SetPort(std::to_string(c.listener.port()));
    other.RecordSize = 0;
    EXPECT_THROW(other.Open(), EBufferedSocketException);
}

TEST(BufferedSocket, AReaderWhoseBufferFilledKeepsItsConnectionAndReadsOn)
{
    CapturedExceptions captured;
    Connected c;
    std::string got;
    c.client.OnRead = [&](TSockCtrl*, TSocketBase* s) {
        char record[16];
        while (Buffered(s)->ReadRecord(record))
            got.append(record, sizeof record);
    };
    const std::string first = Pattern(64 * 1024);
    c.peer.sendAll(first);
    ASSERT_TRUE(WaitFor([&] { return got.size() == first.size(); }));
    EXPECT_TRUE(got == first);
    EXPECT_TRUE(c.client.Connected()) << "a full buffer does not end the connection";
    c.peer.sendAll(std::string(32, 't'));
    ASSERT_TRUE(WaitFor([&] { return got.size() == first.size() + 32; }));
    EXPECT_EQ(got.substr(first.size()), std::string(32, 't'));
    EXPECT_TRUE(captured.messages.empty()) << "the full buffer is logged, not shown";
}

TEST(BufferedSocket, BytesThatExactlyFillTheBufferAreReadAtOnce)
{
    CapturedExceptions captured;
    Connected c;
    std::string got;
    c.client.OnRead = [&](TSockCtrl*, TSocketBase* s) {
        char block[256];
        for (int n; (n = Buffered(s)->Read(block, sizeof block)) > 0;)
            got.append(block, static_cast<std::size_t>(n));
    };
    // Exactly one buffer's worth, and then the peer waits for an answer.
    const std::string bytes = Pattern(1024);
    c.peer.sendAll(bytes);
    ASSERT_TRUE(WaitFor([&] { return got.size() == bytes.size(); })) << got.size() << " bytes read";
    EXPECT_TRUE(got == bytes);
    c.peer.sendAll(bytes);
    ASSERT_TRUE(WaitFor([&] { return got.size() == 2 * bytes.size(); })) << "and again";
    EXPECT_TRUE(captured.messages.empty()) << "a buffer the reader emptied is no failure";
}

TEST(BufferedSocket, ABufferNobodyEmptiesStillFiresOnReadAndTakesNothingIn)
{
    Connected c;
    c.peer.sendAll(Pattern(3000));
    ASSERT_TRUE(WaitFor([&] { return c.socket()->ReadCount() == 1024 && c.reads >= 1; }));
    EXPECT_TRUE(c.client.Connected());
    char some[100];
    const int before = c.reads;
    EXPECT_EQ(c.socket()->Read(some, sizeof some), 100);
    ASSERT_TRUE(WaitFor([&] { return c.socket()->ReadCount() == 1024 && c.reads > before; }))
        << "taking bytes out lets the next ones in";
    EXPECT_EQ(std::string(some, sizeof some), Pattern(3000).substr(0, 100));
}

TEST(BufferedSocket, AFloodLeavesTimersRunningAndArrivesWhole)
{
    const std::size_t blockSize = 1u << 20;
    const std::string block = Pattern(blockSize);
    const std::size_t total = 256 * blockSize;
    CapturedExceptions captured;
    Connected c;
    std::size_t received = 0;
    std::size_t wrong = 0;
    int mostWaiting = 0;
    c.client.OnRead = [&](TSockCtrl*, TSocketBase* s) {
        mostWaiting = std::max(mostWaiting, winsock::ReadNotifications(s->Handle()).waiting);
        char chunk[4096];
        int n = 0;
        while ((n = Buffered(s)->Read(chunk, sizeof chunk)) > 0) {
            for (int i = 0; i < n; ++i)
                wrong += chunk[i] != block[(received + static_cast<std::size_t>(i)) % blockSize];
            received += static_cast<std::size_t>(n);
        }
    };
    const winsock::SOCKET handle = c.client.GetSocket()->Handle();
    TickCounter ticks([&] { return received > 0 && received < total; });
    std::thread sender([&] {
        for (int r = 0; r < 256; ++r)
            c.peer.sendAll(block);
    });
    const bool all = WaitFor([&] { return received == total; }, 240000);
    sender.join();
    ASSERT_TRUE(all) << received << " of " << total << " bytes";
    EXPECT_EQ(wrong, 0u) << "the bytes arrive whole and in order";
    EXPECT_GE(ticks.ticks(), 5) << "the clock goes on ticking while the bytes pour in";
    EXPECT_LE(mostWaiting, 1);
    EXPECT_EQ(winsock::ReadNotifications(handle).most, 1) << "one read notification waits at a time";
    EXPECT_TRUE(c.client.Connected());
    EXPECT_TRUE(captured.messages.empty());
}

TEST(BufferedSocket, ALongSendLeavesTimersRunning)
{
    // The reader keeps up, so the network always takes more: the flush must still stop
    // now and then for the loop.
    const std::size_t size = 64u << 20;
    Connected c;
    bool sent = false;
    c.socket()->OnFileSent = [&](TBufferedSocketBase*) { sent = true; };
    std::size_t got = 0;
    std::thread reader([&] {
        while (got < size) {
            const std::string part = c.peer.receiveSome(10000, 1 << 20);
            if (part.empty())
                break;
            got += part.size();
        }
    });
    TickCounter ticks([&] { return !sent; });
    ticks.makeDue();
    c.socket()->SendStream(new TStringStream(std::string(size, 's')), true);
    const bool done = WaitFor([&] { return sent; }, 120000);
    reader.join();
    ASSERT_TRUE(done);
    EXPECT_EQ(got, size);
    EXPECT_GE(ticks.ticks(), 1) << "a tick due before the file went out came while it did";
}

TEST(FileTransfer, AReceptionThePeerEndsHalfWayLeavesNoFileThatLooksWhole)
{
    ScratchDirs dirs;
    const std::string path = dirs.root() + "/half.bin";
    Connected c;
    int received = 0;
    int disconnects = 0;
    c.client.OnDisconnect = [&](TSockCtrl*, TSocketBase*) { ++disconnects; };
    c.socket()->OnFileReceived = [&](TBufferedSocketBase*) { ++received; };
    c.socket()->ReceiveFile(path, 10000);
    ASSERT_TRUE(FileExists(path));
    c.peer.sendAll(Pattern(4000));
    c.peer.close();
    ASSERT_TRUE(WaitFor([&] { return disconnects == 1; }));
    EXPECT_EQ(received, 0);
    EXPECT_FALSE(FileExists(path)) << "the partial file is removed";
    EXPECT_FALSE(c.socket()->Receiving());
}

TEST(FileTransfer, TensOfMegabytesThroughSmallBuffersToASlowReader)
{
    ScratchDirs dirs;
    const std::size_t size = 24u << 20;
    const std::string bytes = Pattern(size);
    WriteFile(dirs.root() + "/big.bin", bytes);
    RawListener listener;
    TBinaryClient client;
    client.SetAddress("127.0.0.1");
    client.SetPort(std::to_string(listener.port()));
    client.WriteBufferSize = 700;
    client.ReadBufferSize = 512;
    bool sent = false;
    client.OnFileSent = [&](TBufferedSocketBase*) { sent = true; };
    client.OnConnect = [&](TSockCtrl*, TSocketBase* s) { Buffered(s)->SendFile(dirs.root() + "/big.bin"); };
    client.Open();
    RawPeer peer = listener.accept(5000);
    std::string got;
    std::atomic<bool> done { false };
    std::thread reader([&] {
        // Takes a little at a time and dawdles, so the sender must wait for room.
        while (got.size() < size) {
            std::string part = peer.receiveSome(10000, 4096);
            if (part.empty())
                break;
            got += part;
            if (got.size() % (1u << 18) < 4096)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        done = true;
    });
    ASSERT_TRUE(WaitFor([&] { return sent && done; }, 120000));
    reader.join();
    ASSERT_EQ(got.size(), size);
    EXPECT_TRUE(got == bytes) << "the file arrives byte for byte";
}

TEST(FileTransfer, ABinaryServerReceivesWhatABinaryClientSends)
{
    ScratchDirs dirs;
    const std::size_t size = 12u << 20;
    const std::string bytes = Pattern(size);
    WriteFile(dirs.root() + "/out.bin", bytes);
    TBinaryServer server;
    server.SetAddress("127.0.0.1");
    server.SetPort("0");
    server.ReadBufferSize = 333;
    bool received = false;
    std::int64_t progress = -1;
    server.OnAccept = [&](TSockCtrl*, TSocketBase* s) { Buffered(s)->ReceiveFile(dirs.root() + "/in.bin", size); };
    server.OnRead = [&](TSockCtrl*, TSocketBase* s) {
        if (Buffered(s)->Receiving())
            progress = Buffered(s)->ReceiveStreamPosition();
    };
    server.OnFileReceived = [&](TBufferedSocketBase*) { received = true; };
    server.Listen();
    TBinaryClient client;
    client.SetAddress("127.0.0.1");
    client.SetPort(server.Port());
    client.WriteBufferSize = 1000;
    client.OnConnect = [&](TSockCtrl*, TSocketBase* s) { Buffered(s)->SendFile(dirs.root() + "/out.bin"); };
    client.Open();
    ASSERT_TRUE(WaitFor([&] { return received; }, 120000));
    EXPECT_GT(progress, 0) << "the position shows the progress";
    EXPECT_TRUE(ReadFile(dirs.root() + "/in.bin") == bytes);
}

TEST(FileTransfer, AnOutsidePeerSendsAndReceivesWholeFiles)
{
    const QString socat = QStandardPaths::findExecutable("socat");
    if (socat.isEmpty())
        GTEST_SKIP() << "socat is not installed";
    ScratchDirs dirs;
    const std::size_t size = 16u << 20;
    const std::string bytes = Pattern(size);
    const std::string source = dirs.root() + "/source.bin";
    WriteFile(source, bytes);

    // socat sends a file to our server.
    TBinaryServer server;
    server.SetAddress("127.0.0.1");
    server.SetPort("0");
    bool received = false;
    server.OnAccept = [&](TSockCtrl*, TSocketBase* s) { Buffered(s)->ReceiveFile(dirs.root() + "/from-socat.bin", size); };
    server.OnFileReceived = [&](TBufferedSocketBase*) { received = true; };
    server.Listen();
    QProcess sender;
    sender.start(socat, { "-u", QString::fromStdString("FILE:" + source),
                          QString::fromStdString("TCP:127.0.0.1:" + server.Port()) });
    ASSERT_TRUE(WaitFor([&] { return received; }, 120000));
    sender.waitForFinished(10000);
    EXPECT_TRUE(ReadFile(dirs.root() + "/from-socat.bin") == bytes);

    // Our client sends a file to socat.
    const std::uint16_t port = UnusedPort();
    const std::string target = dirs.root() + "/to-socat.bin";
    QProcess receiver;
    receiver.start(socat, { "-u", QString("TCP-LISTEN:%1,bind=127.0.0.1,reuseaddr").arg(port),
                            QString::fromStdString("CREATE:" + target) });
    ASSERT_TRUE(receiver.waitForStarted(5000));
    TBinaryClient client;
    client.SetAddress("127.0.0.1");
    client.SetPort(std::to_string(port));
    bool sent = false;
    int attempts = 0;
    bool answered = false;
    client.OnFileSent = [&](TBufferedSocketBase*) { sent = true; };
    client.OnConnect = [&](TSockCtrl*, TSocketBase* s) {
        answered = true;
        if (s->Connected())
            Buffered(s)->SendFile(source);
    };
    // socat needs a moment before it listens.
    while (!client.Connected() && attempts++ < 100) {
        answered = false;
        client.Open();
        WaitFor([&] { return answered; });
        if (!client.Connected())
            Application::ProcessMessagesUntil([] { return false; }, 50);
    }
    ASSERT_TRUE(client.Connected());
    ASSERT_TRUE(WaitFor([&] { return sent; }, 120000));
    client.Close();
    ASSERT_TRUE(receiver.waitForFinished(30000));
    EXPECT_TRUE(ReadFile(target) == bytes);
}
