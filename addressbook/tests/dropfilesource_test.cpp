#include "addressbook/dropfilesource.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const FORMATETC kHDrop { CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL };

std::string Bytes(const std::vector<std::uint8_t>& data) { return std::string(data.begin(), data.end()); }

}  // namespace

TEST(DropFileSource, FileListHoldsHeaderPathsAndTwoEndingZeros)
{
    const std::vector<std::uint8_t> data = BuildDropFiles({ "/ab/Grant_Ada.zkt", "/ab/Lee_Bo.zkt" });
    const std::string header("\x14\0\0\0" "\0\0\0\0" "\0\0\0\0" "\0\0\0\0" "\0\0\0\0", 20);
    EXPECT_EQ(Bytes(data), header + std::string("/ab/Grant_Ada.zkt\0/ab/Lee_Bo.zkt\0\0", 34));
}

TEST(DropFileSource, OffersTheFileListAlone)
{
    TDropFileSource source;
    ASSERT_EQ(source.Formats().size(), 1u);
    EXPECT_EQ(source.Formats()[0].cfFormat, CF_HDROP);
    EXPECT_EQ(source.Formats()[0].lindex, -1);
    EXPECT_EQ(source.QueryGetData(kHDrop), S_OK);
}

TEST(DropFileSource, GetDataWithoutFilesIsUnexpected)
{
    TDropFileSource source;
    STGMEDIUM medium;
    EXPECT_EQ(source.GetData(kHDrop, medium), E_UNEXPECTED);
    EXPECT_FALSE(medium.hasGlobal);
}

TEST(DropFileSource, GetDataGivesTheFileListInGlobalMemory)
{
    TDropFileSource source;
    source.Files = { "/x/a.zkt" };
    STGMEDIUM medium;
    FORMATETC icon = kHDrop;
    icon.dwAspect = DVASPECT_ICON;
    icon.tymed = TYMED_HGLOBAL | 4;
    ASSERT_EQ(source.GetData(icon, medium), S_OK);
    EXPECT_EQ(medium.tymed, TYMED_HGLOBAL);
    EXPECT_EQ(medium.pUnkForRelease, nullptr);
    EXPECT_EQ(Bytes(medium.hGlobal), Bytes(BuildDropFiles({ "/x/a.zkt" })));
    EXPECT_EQ(medium.hGlobal.size(), 20u + 9u + 1u);
}

TEST(DropFileSource, ItemIdListsAndOtherFormatsAreRefused)
{
    TDropFileSource source;
    source.Files = { "/x/a.zkt" };
    STGMEDIUM medium;
    EXPECT_EQ(source.GetData({ 0xC000, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL }, medium), DV_E_FORMATETC);
    EXPECT_EQ(source.GetData({ CF_HDROP, nullptr, 2, -1, TYMED_HGLOBAL }, medium), DV_E_FORMATETC);
    EXPECT_EQ(source.GetData({ CF_HDROP, nullptr, DVASPECT_CONTENT, -1, 4 }, medium), DV_E_FORMATETC);
}

TEST(DropFileSource, GetDataHereNeedsExactlyGlobalMemoryAndAHandle)
{
    TDropFileSource source;
    source.Files = { "/x/a.zkt" };
    STGMEDIUM medium;
    medium.tymed = TYMED_HGLOBAL;
    EXPECT_EQ(source.GetDataHere(kHDrop, medium), E_OUTOFMEMORY);
    FORMATETC wider = kHDrop;
    wider.tymed = TYMED_HGLOBAL | 4;
    medium.hasGlobal = true;
    EXPECT_EQ(source.GetDataHere(wider, medium), DV_E_FORMATETC);
    ASSERT_EQ(source.GetDataHere(kHDrop, medium), S_OK);
    EXPECT_EQ(Bytes(medium.hGlobal), Bytes(BuildDropFiles({ "/x/a.zkt" })));
}

TEST(DropFileSource, ADragWithNowhereToDropIsCancelled)
{
    TDropFileSource source;
    source.Files = { "/x/a.zkt" };
    EXPECT_EQ(source.Execute(), drCancel);
}
