#include "client/core/session.h"
#include "client/core/settings.h"
#include "client/features/newsfiles.h"
#include "client/features/newsthread.h"
#include "platform/rtl/eventloop.h"
#include "platform/rtl/inifile.h"
#include "platform/testing/loopback.h"
#include "platform/testing/scratch.h"
#include "platform/testing/serviceprocess.h"

#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

std::string Anchors(const std::string& folder, int count, const std::string& word = "Story")
{
    std::string page = "<html><body>\r\n";
    for (int i = 0; i < count; ++i)
        page += "<a href=\"" + folder + std::to_string(i) + ".htm\" target=\"_top\"><b>" + word + " " + std::to_string(i)
                + "</b></a><br>\r\n";
    return page + "</body></html>\r\n";
}

// socat as a news source that accepts and then says only what `script` prints.
class SocatPage {
public:
    SocatPage(const std::string& folder, const std::string& script, int host)
    {
        const std::string path = folder + "/answer.sh";
        QFile file(QString::fromStdString(path));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(("#!/bin/sh\n" + script + "\nexec sleep 60\n").c_str());
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_host = LoopbackHost(host) + ":18096";
        m_socat.start("socat", { "-d", "-d",
                                 QString::fromStdString("TCP4-LISTEN:18096,bind=" + LoopbackHost(host) + ",reuseaddr,fork"),
                                 QString::fromStdString("EXEC:" + path) });
        EXPECT_TRUE(m_socat.waitForStarted(5000));
        m_socat.setReadChannel(QProcess::StandardError);
        while (m_said.find("listening on") == std::string::npos && m_socat.waitForReadyRead(5000))
            m_said += m_socat.readAllStandardError().toStdString();
    }
    ~SocatPage()
    {
        m_socat.kill();
        m_socat.waitForFinished(5000);
    }
    std::string url() const { return "http://" + m_host + "/page.htm"; }
    // True once a client has connected.
    bool accepted()
    {
        m_said += m_socat.readAllStandardError().toStdString();
        return m_said.find("accepting connection") != std::string::npos;
    }

private:
    QProcess m_socat;
    std::string m_host;
    std::string m_said;
};

class NewsFetch : public ::testing::Test {
protected:
    void SetUp() override
    {
        Session().hideNewsAlerts = true;
        Session().newsThreadRunning = false;
        Session().lastNewsUpdate.clear();
        service = std::make_unique<ServiceProcess>(std::vector<std::string> {
            "--db", dirs.root() + "/users.db", "--files", dirs.root() + "/files" });
        ASSERT_TRUE(service->started()) << service->error();
    }

    std::string url(const std::string& file) const { return "http://" + service->hostPort() + "/" + file; }
    void page(const std::string& name, const std::string& bytes) const { dirs.write("files/" + name, bytes); }
    void sources(const std::string& inf) const { dirs.write("app/News.inf", inf); }
    std::string source(const std::string& name, const std::string& src, const std::string& filter = "news/") const
    {
        return "[" + name + "]\r\nsrc=" + src + "\r\nprefix=http://site/\r\nfilter=" + filter + "\r\n";
    }

    // One run to its end, as the timer would start it but waited for here.
    std::unique_ptr<TNewsThread1> run(std::uint32_t stallMs = kNewsStallMs, std::uint32_t totalMs = kNewsTotalMs)
    {
        auto thread = std::make_unique<TNewsThread1>();
        thread->StallMs = stallMs;
        thread->TotalMs = totalMs;
        thread->Start();
        thread->WaitFor();
        return thread;
    }

    ScratchDirs dirs;
    std::unique_ptr<ServiceProcess> service;
};

}  // namespace

TEST_F(NewsFetch, EachSourceGetsItsSectionInFileOrderAndA404GetsNone)
{
    page("world.htm", Anchors("news/w", 2));
    page("sport.htm", Anchors("news/s", 40));
    sources(source("World", url("world.htm")) + source("Missing", url("gone.htm")) + "[Off]\r\nGet=0\r\nsrc="
            + url("world.htm") + "\r\n" + source("Sport", url("sport.htm")));
    run();
    std::string expected = "[World]\r\n0=Story 0\xB6http://site/news/w0.htm\r\n1=Story 1\xB6http://site/news/w1.htm\r\n[Sport]\r\n";
    for (int i = 0; i <= 30; ++i)
        expected += std::to_string(i) + "=Story " + std::to_string(i) + "\xB6http://site/news/s" + std::to_string(i) + ".htm\r\n";
    EXPECT_EQ(dirs.read("app/News.ini"), expected);
    EXPECT_FALSE(dirs.exists("app/World.htm"));
    EXPECT_FALSE(dirs.exists("app/Missing.htm"));
    const TIniFile channels(dirs.appDir() + "/Channels.ini");
    TDateTime stamp = 0;
    EXPECT_TRUE(ParseNewsTime(channels.ReadString("NEWS", "LastUpdated", ""), stamp));
    EXPECT_EQ(channels.ReadString("NEWS", "NewsUnread", ""), "1");
    EXPECT_FALSE(NewsIsStale(Session().lastNewsUpdate, Now()));
}

TEST_F(NewsFetch, Utf8PageIsStoredAsOneCodePageByte)
{
    page("de.htm", "<a href=\"news/1.htm\">K\xC3\xB6ln \xC2\xB6 Bonn</a>\r\n");
    sources(source("De", url("de.htm")));
    run();
    EXPECT_EQ(dirs.read("app/News.ini"), "[De]\r\n0=K\xF6ln   Bonn\xB6http://site/news/1.htm\r\n");
}

TEST_F(NewsFetch, AKeywordAlertsOnceWhileTheSeenListKeepsIt)
{
    page("world.htm", "<a href=\"news/1.htm\">Gold rises</a>\r\n<a href=\"news/2.htm\">Rain</a>\r\n");
    sources(source("World", url("world.htm")));
    dirs.write("app/keywords.txt", "gold, silver ,,\r\n");
    auto first = run();
    ASSERT_EQ(first->Alerts.Count(), 1);
    EXPECT_EQ(first->Alerts[0], "Gold rises\xB6http://site/news/1.htm");
    EXPECT_EQ(dirs.read("app/oldnews.tmp"), "Gold rises\r\n");
    EXPECT_EQ(run()->Alerts.Count(), 0);
    // The seen list grows past its limit and is forgotten at the next start.
    dirs.write("app/oldnews.tmp", dirs.read("app/oldnews.tmp") + std::string(8000, 'x') + "\r\n");
    TrimOldNews();
    EXPECT_EQ(run()->Alerts.Count(), 1);
}

TEST_F(NewsFetch, AlertsOffCollectsNone)
{
    Session().hideNewsAlerts = false;
    page("world.htm", "<a href=\"news/1.htm\">Gold rises</a>\r\n");
    sources(source("World", url("world.htm")));
    dirs.write("app/keywords.txt", "gold\r\n");
    EXPECT_EQ(run()->Alerts.Count(), 0);
    EXPECT_EQ(dirs.read("app/News.ini"), "[World]\r\n0=Gold rises\xB6http://site/news/1.htm\r\n");
}

TEST_F(NewsFetch, StalledAndTricklingSourcesGetNoSectionAndTheRunCompletes)
{
    SocatPage silent(dirs.root(), "", 31);
    page("world.htm", Anchors("news/w", 1));
    sources(source("Silent", silent.url()) + source("World", url("world.htm")));
    run(1000, 3000);
    EXPECT_EQ(dirs.read("app/News.ini"), "[World]\r\n0=Story 0\xB6http://site/news/w0.htm\r\n");

    SocatPage trickle(dirs.root(), "printf 'HTTP/1.0 200 OK\\r\\n\\r\\n<a href=\"news/t.htm\">Slow</a>\\n'; "
                                   "while true; do printf x; sleep 1; done", 32);
    sources(source("Trickle", trickle.url()) + source("World", url("world.htm")));
    run(2500, 2000);
    EXPECT_EQ(dirs.read("app/News.ini"), "[World]\r\n0=Story 0\xB6http://site/news/w0.htm\r\n");
}

TEST_F(NewsFetch, CancellingAStalledRunEndsItAndKeepsTheOldNews)
{
    SocatPage silent(dirs.root(), "", 33);
    dirs.write("app/News.ini", "[Old]\r\n0=Kept\xB6http://old/\r\n");
    sources(source("Silent", silent.url()));
    TNewsThread1 thread;
    thread.Start();
    // Well inside the 30 seconds a stall takes to end by itself.
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return silent.accepted(); }, 10000));
    thread.Cancel();
    EXPECT_TRUE(Application::ProcessMessagesUntil([&] { return thread.Finished(); }, 10000));
    EXPECT_EQ(dirs.read("app/News.ini"), "[Old]\r\n0=Kept\xB6http://old/\r\n");
}

TEST_F(NewsFetch, OnlyOneRunStartsAtATime)
{
    sources("");
    Session().newsThreadRunning = false;
    EXPECT_TRUE(StartNewsThread());
    EXPECT_FALSE(StartNewsThread());
    Application::ProcessMessagesUntil([] { return !NewsRunning(); }, 10000);
    EXPECT_FALSE(NewsRunning());
}

TEST(NewsTimer, DueWhenStaleOrInTheFirstThreeSecondsOfAnHour)
{
    const QDateTime fresh(QDate(2026, 3, 10), QTime(14, 30, 0));
    const std::string justNow = FormatNewsTime(EncodeDate(2026, 3, 10) + EncodeTime(14, 0, 0, 0));
    EXPECT_FALSE(NewsDue(justNow, fresh));
    EXPECT_TRUE(NewsDue(justNow, QDateTime(QDate(2026, 3, 10), QTime(15, 0, 1))));
    EXPECT_FALSE(NewsDue(justNow, QDateTime(QDate(2026, 3, 10), QTime(15, 0, 3))));
    EXPECT_TRUE(NewsDue("", fresh));
}

TEST(NewsTimer, AUserWithoutAStoredRunIsNotDueAtFirstLogOn)
{
    ScratchDirs dirs;
    LoadSettings();
    TDateTime when = 0;
    EXPECT_TRUE(ParseNewsTime(Session().lastNewsUpdate, when)) << Session().lastNewsUpdate;
    EXPECT_FALSE(NewsIsStale(Session().lastNewsUpdate, Now()));
}

TEST(NewsTimer, AutomaticFetchingOffOrOfflineStartsNothing)
{
    ScratchDirs dirs;
    TSession& s = Session();
    s.newsThreadRunning = false;
    s.lastNewsUpdate.clear();
    s.online = true;
    s.pushNewsManual = false;
    NewsTimerDuty(QDateTime::currentDateTime());
    EXPECT_FALSE(NewsRunning());
    s.pushNewsManual = true;
    s.online = false;
    NewsTimerDuty(QDateTime::currentDateTime());
    EXPECT_FALSE(NewsRunning());
    s.online = true;
    NewsTimerDuty(QDateTime::currentDateTime());
    EXPECT_TRUE(NewsRunning());
    Application::ProcessMessagesUntil([] { return !NewsRunning(); }, 10000);
    s.online = false;
}
