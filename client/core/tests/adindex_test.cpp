#include "client/core/adindex.h"

#include "client/core/download.h"
#include "platform/testing/scratch.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(AdIndex, BothListsComeFromOneReadingUpToTheirFirstEmptyKey)
{
    ScratchDirs dirs;
    dirs.write("app/ads/ads.idx", "[Index]\r\n0=a.gif\r\n1=b.txt\r\n2=c.GIF\r\n3=\r\n4=d.gif\r\n"
                                  "[nivlets]\r\n0=n.gif\r\n");
    LoadAdIndex();
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
