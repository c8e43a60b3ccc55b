#include "kit-extra/qorfontcheck.h"

#include <gtest/gtest.h>

TEST(FontCheck, RasterFacesOfTheClassicDesktopCannotBeTurned)
{
    EXPECT_FALSE(IsTrueTypeFont(TFontSpec("MS Sans Serif", 8)));
    EXPECT_FALSE(IsTrueTypeFont(TFontSpec("ms serif", 10)));
    EXPECT_FALSE(IsTrueTypeFont(TFontSpec("Courier", 10)));
    EXPECT_FALSE(IsTrueTypeFont(TFontSpec("System", 10)));
}

TEST(FontCheck, OutlineFacesCanBeTurned)
{
    EXPECT_TRUE(IsTrueTypeFont(TFontSpec("Arial", 8)));
    EXPECT_TRUE(IsTrueTypeFont(TFontSpec("Courier New", 10)));
    EXPECT_TRUE(IsTrueTypeFont(TFontSpec("Times New Roman", 12)));
}
