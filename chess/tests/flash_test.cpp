#include "chess/flash.h"

#include "platform/ui/form.h"
#include "platform/win/messages.h"

#include <gtest/gtest.h>

#include <vector>

TEST(Flash, FlashesWhileEnabledAlternatingAndEndsNormal)
{
    TForm form("FlashForm");
    TFlash flash(&form);
    EXPECT_FALSE(flash.Enabled());
    EXPECT_EQ(flash.Interval(), 500);
    std::vector<bool> phases;
    flash.OnFlash = [&](TFlash*, bool phase) { phases.push_back(phase); };
    flash.SetInterval(5);
    flash.SetEnabled(true);
    EXPECT_TRUE(flash.Highlighted()) << "the first flash is at once";
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] { return phases.size() >= 3; }, 10000));
    EXPECT_EQ(phases[0], false);
    EXPECT_EQ(phases[1], true);
    EXPECT_EQ(phases[2], false);
    flash.SetEnabled(false);
    EXPECT_FALSE(flash.Highlighted());
    const std::size_t seen = phases.size();
    Application::ProcessMessages();
    EXPECT_EQ(phases.size(), seen) << "no flashing once disabled";
}
