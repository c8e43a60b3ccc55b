#include "platform/win/wininet.h"

#include "platform/testing/loopback.h"
#include "platform/testing/serviceprocess.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

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
    start("printf 'HTTP/1.0 200 OK\\r\\n\\r\\n'; while true; do printf x; sleep 1; done");
    const Download download = Fetch("http://" + host + "/news.htm", 5000, 2500);
    EXPECT_TRUE(download.opened);
    EXPECT_FALSE(download.completed);
    EXPECT_EQ(download.error, ERROR_INTERNET_TIMEOUT);
}

TEST_F(StalledServer, ACancelFlagEndsAStalledOpen)
{
    start("");
    std::atomic<bool> cancel { false };
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        cancel = true;
    });
    // The receive limit alone would hold the open for half a minute.
    const Download download = Fetch("http://" + host + "/news.htm", 30000, 0, &cancel);
    canceller.join();
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
