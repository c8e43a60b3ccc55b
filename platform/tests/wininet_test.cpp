#include "platform/win/wininet.h"

#include "platform/rtl/eventloop.h"
#include "platform/testing/loopback.h"
#include "platform/testing/serviceprocess.h"

#include <QAbstractHttpServer>
#include <QDir>
#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QPointer>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using namespace wininet;

namespace {

// Everything a GET of url gives, read as the download helper reads it: 1024 bytes at a time.
struct Download {
    bool opened { false };
    bool completed { false };
    DWORD error { 0 };
    std::string body;
};

Download Fetch(const std::string& url, DWORD receiveTimeoutMs = kDefaultReceiveTimeoutMs, DWORD totalTimeoutMs = 0,
               const std::atomic<bool>* cancel = nullptr)
{
    Download result;
    HINTERNET session = InternetOpen("KORVO", INTERNET_OPEN_TYPE_PRECONFIG);
    EXPECT_NE(session, nullptr);
    InternetSetOption(session, INTERNET_OPTION_RECEIVE_TIMEOUT, &receiveTimeoutMs, sizeof receiveTimeoutMs);
    InternetSetOption(session, INTERNET_OPTION_KORVO_TOTAL_TIMEOUT, &totalTimeoutMs, sizeof totalTimeoutMs);
    if (cancel)
        InternetSetOption(session, INTERNET_OPTION_KORVO_CANCEL_FLAG, &cancel, sizeof cancel);
    HINTERNET file = InternetOpenUrl(session, url, "",
                                     INTERNET_FLAG_RELOAD | INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_NO_CACHE_WRITE);
    if (!file) {
        result.error = GetLastError();
        InternetCloseHandle(session);
        return result;
    }
    result.opened = true;
    char buffer[1024];
    DWORD read = 0;
    while (true) {
        if (!InternetReadFile(file, buffer, sizeof buffer, &read)) {
            result.error = GetLastError();
            break;
        }
        if (read == 0) {
            result.completed = true;
            break;
        }
        result.body.append(buffer, read);
    }
    InternetCloseHandle(file);
    InternetCloseHandle(session);
    return result;
}

class WinInetService : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir(dir.path()).mkpath(QStringLiteral("files"));
        for (int i = 0; i < 3000; ++i)
            content += static_cast<char>('a' + i % 26);
        QFile file(dir.filePath(QStringLiteral("files/news.txt")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content.data(), static_cast<qint64>(content.size()));
        file.close();
        service = std::make_unique<ServiceProcess>(std::vector<std::string> {
            "--db", dir.filePath(QStringLiteral("users.db")).toStdString(), "--files",
            dir.filePath(QStringLiteral("files")).toStdString() });
        ASSERT_TRUE(service->started()) << service->error();
    }

    QTemporaryDir dir;
    std::string content;
    std::unique_ptr<ServiceProcess> service;
};

TEST_F(WinInetService, AFileFromTheServiceArrivesWhole)
{
    const Download download = Fetch("http://" + service->hostPort() + "/news.txt");
    EXPECT_TRUE(download.completed);
    EXPECT_EQ(download.body, content);
}

TEST_F(WinInetService, AnErrorPageIsReadLikeAnyAnswer)
{
    const Download download = Fetch("http://" + service->hostPort() + "/missing.htm");
    EXPECT_TRUE(download.completed);
    EXPECT_EQ(download.body, "not found\r\n");
}

TEST(WinInet, NothingListeningFailsToOpen)
{
    const Download download = Fetch("http://" + LoopbackHost(9) + ":9/x.htm");
    EXPECT_FALSE(download.opened);
    EXPECT_EQ(download.error, ERROR_INTERNET_CANNOT_CONNECT);
}

TEST(WinInet, AnotherSchemeIsRefused)
{
    const Download download = Fetch("file:///etc/passwd");
    EXPECT_FALSE(download.opened);
    EXPECT_EQ(download.error, ERROR_INTERNET_UNRECOGNIZED_SCHEME);
}

// socat as a web server that accepts and then says only what `script` prints.
class StalledServer : public ::testing::Test {
protected:
    void start(const std::string& script)
    {
        const QString path = dir.filePath(QStringLiteral("answer.sh"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(("#!/bin/sh\n" + script + "\nexec sleep 10\n").c_str());
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        host = LoopbackHost(21) + ":18096";
        socat.start(QStringLiteral("socat"),
                    { QStringLiteral("-d"), QStringLiteral("-d"),
                      QString::fromStdString("TCP4-LISTEN:18096,bind=" + LoopbackHost(21) + ",reuseaddr"),
                      QStringLiteral("EXEC:") + path });
        ASSERT_TRUE(socat.waitForStarted(5000));
        socat.setReadChannel(QProcess::StandardError);
        std::string said;
        while (said.find("listening on") == std::string::npos) {
            ASSERT_TRUE(socat.waitForReadyRead(5000)) << said;
            said += socat.readAllStandardError().toStdString();
        }
    }

    void TearDown() override
    {
        socat.kill();
        socat.waitForFinished(5000);
    }

    QTemporaryDir dir;
    QProcess socat;
    std::string host;
};

TEST_F(StalledServer, AServerThatNeverAnswersEndsInATimeOut)
{
    start("");
    const Download download = Fetch("http://" + host + "/logon.htm", 1000);
    EXPECT_FALSE(download.opened);
    EXPECT_EQ(download.error, ERROR_INTERNET_TIMEOUT);
}

TEST_F(StalledServer, AnAnswerStalledMidwayEndsInATimeOutAfterWhatCame)
{
    start("printf 'HTTP/1.1 200 OK\\r\\nContent-Length: 1000\\r\\n\\r\\npartial'");
    const Download download = Fetch("http://" + host + "/logon.htm", 1000);
    EXPECT_TRUE(download.opened);
    EXPECT_FALSE(download.completed);
    EXPECT_EQ(download.body, "partial");
    EXPECT_EQ(download.error, ERROR_INTERNET_TIMEOUT);
}

TEST_F(StalledServer, ATricklingAnswerEndsAtTheTotalLimit)
{
    start("printf 'HTTP/1.0 200 OK\\r\\n\\r\\n'; while printf x; do sleep 1; done");
    const Download download = Fetch("http://" + host + "/news.htm", 5000, 2500);
    EXPECT_TRUE(download.opened);
    EXPECT_FALSE(download.completed);
    EXPECT_EQ(download.error, ERROR_INTERNET_TIMEOUT);
}

TEST_F(StalledServer, ACancelFlagEndsAStalledOpen)
{
    // The server notes that the request came; the flag is raised only then, while the open waits.
    const std::string asked = dir.filePath(QStringLiteral("asked")).toStdString();
    start("read request; : > '" + asked + "'");
    std::atomic<bool> cancel { false };
    std::thread canceller([&] {
        for (int i = 0; i < 1000 && !QFile::exists(QString::fromStdString(asked)); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        cancel = true;
    });
    // The receive limit alone would hold the open for half a minute.
    const Download download = Fetch("http://" + host + "/news.htm", 30000, 0, &cancel);
    canceller.join();
    EXPECT_TRUE(QFile::exists(QString::fromStdString(asked))) << "the request reached the server";
    EXPECT_FALSE(download.opened);
    EXPECT_EQ(download.error, ERROR_INTERNET_OPERATION_CANCELLED);
}

TEST_F(WinInetService, TheContentTypeHeaderCanBeAskedFor)
{
    HINTERNET session = InternetOpen("KORVO", INTERNET_OPEN_TYPE_PRECONFIG);
    HINTERNET file = InternetOpenUrl(session, "http://" + service->hostPort() + "/missing.htm");
    ASSERT_NE(file, nullptr);
    char small[4];
    DWORD length = sizeof small;
    EXPECT_FALSE(HttpQueryInfo(file, HTTP_QUERY_CONTENT_TYPE, small, &length));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    std::string type(length, '\0');
    ASSERT_TRUE(HttpQueryInfo(file, HTTP_QUERY_CONTENT_TYPE, type.data(), &length));
    type.resize(length);
    EXPECT_EQ(type, "text/plain; charset=windows-1252");
    InternetCloseHandle(file);
    InternetCloseHandle(session);
}

// A web server in the test's own thread that tells its connections apart and
// can hang up on them: after every answer, when a connection brings a second
// request, or whenever the test says.
class CountingServer final : public QAbstractHttpServer {
public:
    enum class HangUp { Never, AfterEachAnswer, OnASecondRequest };

    CountingServer()
    {
        port = listen(QHostAddress::LocalHost, 0);
        for (int i = 0; i < 200000; ++i)
            large += static_cast<char>('A' + i % 23);
    }

    std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port) + path; }

    // The page served at path: its name repeated, or `large` for /large.
    std::string page(const std::string& path) const
    {
        if (path == "/large")
            return large;
        std::string body;
        for (int i = 0; i < 50; ++i)
            body += path;
        return body;
    }

    void dropConnections()
    {
        for (const QPointer<QTcpSocket>& socket : sockets)
            if (socket)
                socket->abort();
    }

    HangUp hangUp { HangUp::Never };
    quint16 port { 0 };
    std::string large;
    std::vector<QPointer<QTcpSocket>> sockets;
    int connections { 0 };
    int requests { 0 };

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override
    {
        ++requests;
        // Counted on the socket itself: a freed socket's address may come back.
        const int earlier = socket->property("requests").toInt();
        socket->setProperty("requests", earlier + 1);
        if (earlier == 0) {
            ++connections;
            sockets.emplace_back(socket);
        } else if (hangUp == HangUp::OnASecondRequest) {
            // As a server does that timed the connection out just as the request came.
            socket->abort();
            return true;
        }
        const std::string body = page(request.url().path().toStdString());
        {
            QHttpServerResponder responder = makeResponder(request, socket);
            responder.write(QByteArray(body.data(), static_cast<qsizetype>(body.size())), "text/plain");
        }
        if (hangUp == HangUp::AfterEachAnswer)
            socket->disconnectFromHost();
        return true;
    }

    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override
    {
        makeResponder(request, socket).write(QHttpServerResponder::StatusCode::NotFound);
    }
};

// A thread that runs what it is given while this one serves the test server, and
// lives from one job to the next as the program's worker threads do.
class FetchThread {
public:
    FetchThread()
        : m_thread([this] { loop(); })
    {
    }

    ~FetchThread()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }

    void run(std::function<void()> job)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_job = std::move(job);
            m_done = false;
        }
        m_wake.notify_all();
        ASSERT_TRUE(Application::ProcessMessagesUntil(
            [this] {
                const std::lock_guard lock(m_mutex);
                return m_done;
            },
            60000));
    }

    Download fetch(const std::string& url)
    {
        Download result;
        run([&] { result = Fetch(url); });
        return result;
    }

private:
    void loop()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_stop || m_job; });
            if (m_stop)
                return;
            auto job = std::move(*m_job);
            m_job.reset();
            lock.unlock();
            job();
            lock.lock();
            m_done = true;
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<std::function<void()>> m_job;
    bool m_done { false };
    bool m_stop { false };
    std::thread m_thread;
};

TEST(KeptConnection, FetchesOfOneThreadGoOverOneConnection)
{
    CountingServer server;
    ASSERT_NE(server.port, 0);
    FetchThread thread;
    for (const std::string path : { "/a.htm", "/b.htm", "/c.htm" }) {
        const Download download = thread.fetch(server.url(path));
        EXPECT_TRUE(download.completed);
        EXPECT_EQ(download.body, server.page(path));
    }
    EXPECT_EQ(server.requests, 3);
    EXPECT_EQ(server.connections, 1);
}

TEST(KeptConnection, AServerThatHangsUpAfterEachAnswerIsConnectedToAgain)
{
    CountingServer server;
    server.hangUp = CountingServer::HangUp::AfterEachAnswer;
    FetchThread thread;
    for (const std::string path : { "/a.htm", "/b.htm", "/c.htm" }) {
        const Download download = thread.fetch(server.url(path));
        EXPECT_TRUE(download.completed) << download.error;
        EXPECT_EQ(download.body, server.page(path));
    }
    EXPECT_EQ(server.connections, 3);
}

TEST(KeptConnection, AKeptConnectionTheServerDroppedIsReplaced)
{
    CountingServer server;
    FetchThread thread;
    EXPECT_TRUE(thread.fetch(server.url("/a.htm")).completed);
    server.dropConnections();
    const Download download = thread.fetch(server.url("/b.htm"));
    EXPECT_TRUE(download.completed) << download.error;
    EXPECT_EQ(download.body, server.page("/b.htm"));
    EXPECT_EQ(server.connections, 2);
}

TEST(KeptConnection, ARequestOnAConnectionThatDiesUnderItIsSentAgain)
{
    CountingServer server;
    server.hangUp = CountingServer::HangUp::OnASecondRequest;
    FetchThread thread;
    EXPECT_TRUE(thread.fetch(server.url("/a.htm")).completed);
    const Download download = thread.fetch(server.url("/b.htm"));
    EXPECT_TRUE(download.completed) << download.error;
    EXPECT_EQ(download.body, server.page("/b.htm"));
    EXPECT_EQ(server.connections, 2);
    EXPECT_EQ(server.requests, 3);
}

TEST(KeptConnection, AProgramStartedMeanwhileDoesNotHoldTheConnectionOpen)
{
    CountingServer server;
    QProcess child;
    {
        FetchThread thread;
        EXPECT_TRUE(thread.fetch(server.url("/a.htm")).completed);
        child.start(QStringLiteral("sleep"), { QStringLiteral("30") });
        ASSERT_TRUE(child.waitForStarted(5000));
    }
    // The thread has ended and its connections with it, whatever the child inherited.
    EXPECT_TRUE(Application::ProcessMessagesUntil(
        [&] { return !server.sockets.at(0) || server.sockets.at(0)->state() != QAbstractSocket::ConnectedState; },
        10000));
    child.kill();
    child.waitForFinished(5000);
}

TEST(KeptConnection, AnAnswerClosedUnreadLeavesNothingForTheNextFetch)
{
    CountingServer server;
    FetchThread thread;
    Download next;
    thread.run([&] {
        HINTERNET session = InternetOpen("KORVO", INTERNET_OPEN_TYPE_PRECONFIG);
        HINTERNET file = InternetOpenUrl(session, server.url("/large"));
        char buffer[1024];
        DWORD read = 0;
        EXPECT_TRUE(InternetReadFile(file, buffer, sizeof buffer, &read));
        InternetCloseHandle(file);
        InternetCloseHandle(session);
        next = Fetch(server.url("/a.htm"));
    });
    EXPECT_TRUE(next.completed);
    EXPECT_EQ(next.body, server.page("/a.htm"));
}

TEST(KeptConnection, TwoAnswersOpenAtOnceInOneThreadStayApart)
{
    CountingServer server;
    FetchThread thread;
    std::string first;
    std::string second;
    thread.run([&] {
        HINTERNET session = InternetOpen("KORVO", INTERNET_OPEN_TYPE_PRECONFIG);
        HINTERNET a = InternetOpenUrl(session, server.url("/large"));
        HINTERNET b = InternetOpenUrl(session, server.url("/b.htm"));
        char buffer[1024];
        DWORD read = 0;
        while (InternetReadFile(b, buffer, sizeof buffer, &read) && read > 0)
            second.append(buffer, read);
        while (InternetReadFile(a, buffer, sizeof buffer, &read) && read > 0)
            first.append(buffer, read);
        InternetCloseHandle(a);
        InternetCloseHandle(b);
        InternetCloseHandle(session);
    });
    EXPECT_EQ(first, server.large);
    EXPECT_EQ(second, server.page("/b.htm"));
}

TEST(KeptConnection, SeveralThreadsFetchAtOnceEachOverItsOwnConnection)
{
    constexpr int kThreads = 6;
    constexpr int kFetches = 15;
    CountingServer server;
    std::atomic<int> whole { 0 };
    std::atomic<int> running { kThreads };
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kFetches; ++i) {
                const std::string path = "/" + std::to_string(t) + "-" + std::to_string(i) + ".htm";
                const Download download = Fetch(server.url(path));
                if (download.completed && download.body == server.page(path))
                    ++whole;
            }
            --running;
        });
    }
    const bool finished = Application::ProcessMessagesUntil([&] { return running == 0; }, 120000);
    for (std::thread& thread : threads)
        thread.join();
    ASSERT_TRUE(finished);
    EXPECT_EQ(whole, kThreads * kFetches);
    EXPECT_LE(server.connections, kThreads);
}

TEST(WinInet, CanonicalisingEncodesSpacesOnly)
{
    char buffer[4097];
    DWORD length = sizeof buffer;
    ASSERT_TRUE(InternetCanonicalizeUrl("http://h/a b.asp?x=%41 y&z=\xB6", buffer, &length, ICU_ENCODE_SPACES_ONLY));
    EXPECT_EQ(std::string(buffer, length), "http://h/a%20b.asp?x=%41%20y&z=\xB6");
}

TEST(WinInet, CanonicalisingIntoTooSmallABufferSaysTheRoomNeeded)
{
    char buffer[8];
    DWORD length = sizeof buffer;
    EXPECT_FALSE(InternetCanonicalizeUrl("http://h/a b", buffer, &length, ICU_ENCODE_SPACES_ONLY));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(length, 15u);
}

}  // namespace
