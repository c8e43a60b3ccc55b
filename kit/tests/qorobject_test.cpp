#include "kit/qorobject.h"

#include <gtest/gtest.h>

TEST(QorObject, UpdateBracketHoldsChangesAndReportsOnceWhenAsked)
{
    TQORObject object;
    int changes = 0;
    object.OnChange = [&](TQORObject* sender) {
        EXPECT_EQ(sender, &object);
        ++changes;
    };
    object.BeginUpdate();
    object.Change();
    object.Change();
    EXPECT_EQ(changes, 0);
    object.EndUpdate(true);
    EXPECT_EQ(changes, 1);
    object.BeginUpdate();
    object.Change();
    object.EndUpdate(false);
    EXPECT_EQ(changes, 1);
    object.Change();
    EXPECT_EQ(changes, 2);
}
