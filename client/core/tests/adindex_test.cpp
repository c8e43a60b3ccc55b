#include "client/core/adindex.h"

#include "client/core/download.h"
#include "platform/testing/scratch.h"

#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <unistd.h>

#include <string>

namespace {

TEST(AdIndex, BothListsComeFromOneReadingUpToTheirFirstEmptyKey)
{
    ScratchDirs dirs;
    dirs.write("app/ads/ads.idx", "[Index]\r\n0=a.gif\r\n1=b.txt\r\n2=c.GIF\r\n3=\r\n4=d.gif\r\n"
                                  "[nivlets]\r\n0=n.gif\r\n");
    // Each reading opens and closes the file: two events (one alone could stand for several).
    const int watch = inotify_init1(IN_NONBLOCK);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, (dirs.appDir() + "/ads/ads.idx").c_str(), IN_OPEN | IN_CLOSE_NOWRITE), 0);
    LoadAdIndex();
    int events = 0;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t got; (got = read(watch, buffer, sizeof buffer)) > 0;)
        events += static_cast<int>(got / static_cast<ssize_t>(sizeof(inotify_event)));
    close(watch);
    EXPECT_EQ(events, 2) << "the index was not read once";
    EXPECT_EQ(AdLists().ads, (std::vector<std::string> { AdsFolder() + "/a.gif", AdsFolder() + "/c.GIF" }));
    EXPECT_EQ(AdLists().nivlets, (std::vector<std::string> { AdsFolder() + "/n.gif" }));
    FreeAdIndex();
}

TEST(AdIndex, AnIndexLargerThanAnyDownloadIsNotRead)
{
    ScratchDirs dirs;
    dirs.write("app/ads/ads.idx", "[Index]\r\n0=a.gif\r\n;" + std::string(static_cast<std::size_t>(kMaxReplyBytes), 'x'));
    LoadAdIndex();
    EXPECT_TRUE(AdLists().ads.empty());
}

}  // namespace
