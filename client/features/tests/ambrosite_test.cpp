#include "client/features/ambrosite.h"

#include "platform/testing/scratch.h"

#include <gtest/gtest.h>

TEST(Ambro, TheSiteUrlIsCutAfterItsDomain)
{
    EXPECT_EQ(AmbroSiteUrl("\"http://www.birds.org/hawks/index.html\",\"Hawks\""), "http://www.birds.org/");
    EXPECT_EQ(AmbroSiteUrl("\"http://a.com/x.net/y\",\"T\""), "http://a.com/");
    EXPECT_EQ(AmbroSiteUrl("\"http://a.net/x.com/y\",\"T\""), "http://a.net/x.com/");
    EXPECT_EQ(AmbroSiteUrl("\"http://127.0.0.1:8080/x\",\"T\""), "http");
    EXPECT_EQ(AmbroSiteUrl(""), "");
}

TEST(Ambro, SiteFileGivesServerPortAndRooms)
{
    ScratchDirs dirs;
    dirs.write("app/ambro.inf", "[site]\r\nSitename=Birds\r\nServer=127.0.0.1\r\nPort=6690\r\n"
                                "[Rooms]\r\n0=Lobby#lobby\r\n1=Hawks#hawks\r\n3=Owls#owls\r\n");
    const TAmbroSite site = ReadAmbroSite(dirs.root() + "/app/ambro.inf");
    EXPECT_EQ(site.Sitename, "Birds");
    EXPECT_EQ(site.Port, 6690);
    EXPECT_EQ(site.DefaultRoom, "#lobby");
    ASSERT_EQ(site.Rooms.size(), 2u);
    EXPECT_EQ(site.Rooms[1].caption, "Hawks");
    EXPECT_EQ(site.Rooms[1].room, "#hawks");
}

TEST(Ambro, DefaultsAndBadPortsAndRooms)
{
    ScratchDirs dirs;
    dirs.write("a.inf", "[site]\r\nServer=h\r\n");
    const TAmbroSite plain = ReadAmbroSite(dirs.root() + "/a.inf");
    EXPECT_EQ(plain.Port, 7000);
    EXPECT_EQ(plain.DefaultRoom, "#lobby");
    for (const char* port : { "0", "65536", "-1", "x", "99999999999" }) {
        dirs.write("b.inf", std::string("[site]\r\nPort=") + port + "\r\n");
        EXPECT_EQ(ReadAmbroSite(dirs.root() + "/b.inf").Port, 0) << port;
    }
    std::string rooms = "[Rooms]\r\n0=Bad#a b\r\n1=Worse#a,#b\r\n";
    for (int i = 2; i < 200; ++i)
        rooms += std::to_string(i) + "=R#r" + std::to_string(i) + "\r\n";
    dirs.write("c.inf", rooms);
    const TAmbroSite many = ReadAmbroSite(dirs.root() + "/c.inf");
    // The two bad entries count: only the first kMaxAmbroRooms entries are read.
    EXPECT_EQ(many.Rooms.size(), kMaxAmbroRooms - 2);
    EXPECT_EQ(many.Rooms[0].room, "#r2");
    EXPECT_EQ(many.DefaultRoom, "#lobby") << "the first room holds a blank";
}
