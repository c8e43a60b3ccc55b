#include "kit/qorchangelink.h"

#include "kit/qorcont.h"

#include <gtest/gtest.h>

#include <memory>

TEST(QORChangeLink, RegisteredLinkHearsEveryChangeOfTheList)
{
    TQORBitmapList list;
    TQORChangeLink link;
    int changes = 0;
    TQORBaseContainer* sender = nullptr;
    link.OnChange = [&](TQORBaseContainer* from) {
        ++changes;
        sender = from;
    };
    list.RegisterChanges(&link);
    EXPECT_EQ(link.Sender, &list);
    list.AddItem();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(sender, &list);
    list.Bitmaps(0)->SetBitmap(QImage(4, 4, QImage::Format_RGB32));
    EXPECT_GE(changes, 2);
}

TEST(QORChangeLink, LinksHearBeforeTheListsOwnChangeEvent)
{
    TQORBitmapList list;
    TQORChangeLink link;
    std::string order;
    link.OnChange = [&](TQORBaseContainer*) { order += "link "; };
    list.OnChange = [&](TQORComponent*) { order += "list"; };
    list.RegisterChanges(&link);
    list.ClearItems();
    EXPECT_EQ(order, "link list");
}

TEST(QORChangeLink, DestroyedLinkLeavesTheList)
{
    TQORBitmapList list;
    int changes = 0;
    {
        TQORChangeLink link;
        link.OnChange = [&](TQORBaseContainer*) { ++changes; };
        list.RegisterChanges(&link);
    }
    list.AddItem();
    EXPECT_EQ(changes, 0);
}

TEST(QORChangeLink, DestroyedListTellsItsLinksAndForgetsThem)
{
    auto list = std::make_unique<TQORImageList>();
    TQORChangeLink link;
    int freed = 0;
    link.OnFree = [&](TQORBaseContainer*) { ++freed; };
    list->RegisterChanges(&link);
    list.reset();
    EXPECT_EQ(freed, 1);
    EXPECT_EQ(link.Sender, nullptr);
}

TEST(QORChangeLink, UnregisteredLinkHearsNothing)
{
    TQORBitmapList list;
    TQORChangeLink link;
    int changes = 0;
    link.OnChange = [&](TQORBaseContainer*) { ++changes; };
    list.RegisterChanges(&link);
    list.UnRegisterChanges(&link);
    list.AddItem();
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(link.Sender, nullptr);
}
