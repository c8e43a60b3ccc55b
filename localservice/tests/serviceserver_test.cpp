#include "localservice/tests/service_fixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QTcpSocket>

namespace {

class StaticFiles : public ServiceTest {
protected:
    void SetUp() override
    {
        QDir(dir.path()).mkpath(QStringLiteral("files/news"));
        write("files/news/today.txt", "headline\r\n");
        write("secret.txt", "not for the web");
        start({ "--files", dir.filePath("files").toStdString() });
    }

    void write(const char* path, const char* text)
    {
        QFile file(dir.filePath(QString::fromLatin1(path)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
};

TEST_F(StaticFiles, OtherGetsServeTheFilesFolder)
{
    const HttpAnswer answer = get("/news/today.txt");
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.body, "headline\r\n");
}

TEST_F(StaticFiles, AMissingFileIsNotFound)
{
    EXPECT_EQ(get("/news/yesterday.txt").status, 404);
    EXPECT_EQ(get("/news").status, 404);
}

TEST_F(StaticFiles, DotDotRawOrEncodedIsNotFound)
{
    EXPECT_EQ(get("/../secret.txt").status, 404);
    EXPECT_EQ(get("/news/../../secret.txt").status, 404);
    EXPECT_EQ(get("/%2E%2E/secret.txt").status, 404);
    EXPECT_EQ(get("/news/%2e%2e%2f%2e%2e%2fsecret.txt").status, 404);
}

TEST_F(StaticFiles, ALinkOutOfTheFolderIsNotFound)
{
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("secret.txt")), dir.filePath(QStringLiteral("files/link.txt"))));
    EXPECT_EQ(get("/link.txt").status, 404);
}

TEST_F(StaticFiles, TheImagesListingNamesEachPictureOnItsOwnLine)
{
    QDir(dir.path()).mkpath(QStringLiteral("files/images/old"));
    write("files/images/b.GIF", "GIF89a");
    write("files/images/a.gif", "GIF89a");
    write("files/images/ads.idx", "[Main]\r\n");
    write("files/images/bad\"name.gif", "GIF89a");
    const HttpAnswer answer = get("/images");
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.body, "images\r\nNAME=\"a.gif\"\r\nNAME=\"ads.idx\"\r\nNAME=\"b.GIF\"\r\n");
    EXPECT_EQ(get("/images/a.gif").body, "GIF89a");
}

TEST_F(StaticFiles, WithoutAnImagesFolderThereIsNoListing)
{
    EXPECT_EQ(get("/images").status, 404);
}

TEST_F(ServiceTest, WithoutAFilesFolderEveryOtherGetIsNotFound)
{
    EXPECT_EQ(get("/index.htm").status, 404);
}

TEST_F(ServiceTest, AHeaderWithoutEndIsRefusedAndOtherConnectionsGoOn)
{
    QTcpSocket flood;
    flood.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(service->port()));
    ASSERT_TRUE(flood.waitForConnected(5000));
    flood.write("GET /index.htm HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Filler: " + QByteArray(80 * 1024, 'a'));
    ASSERT_TRUE(flood.waitForBytesWritten(5000));
    // While it hangs, another connection is served.
    EXPECT_EQ(get("/index.htm").status, 404);
    QByteArray answer;
    QElapsedTimer deadline;
    deadline.start();
    while (flood.state() == QAbstractSocket::ConnectedState && deadline.elapsed() < 10000)
        if (flood.waitForReadyRead(1000))
            answer += flood.readAll();
    answer += flood.readAll();
    EXPECT_TRUE(answer.startsWith("HTTP/1.1 431 ")) << answer.left(200).toStdString();
    EXPECT_TRUE(answer.endsWith("\r\n\r\nerror\r\n")) << answer.left(200).toStdString();
    EXPECT_NE(flood.state(), QAbstractSocket::ConnectedState);
    // A long request that ends is still answered.
    EXPECT_EQ(get("/index.htm?" + std::string(30 * 1024, 'q')).status, 404);
}

}  // namespace
