#include "platform/ui/graphics.h"

#include <QFontInfo>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <gtest/gtest.h>

TEST(Graphics, SystemColoursComeFromTheClassicScheme)
{
    EXPECT_EQ(ColorToRGB(clBtnFace), RGB(192, 192, 192));
    EXPECT_EQ(ColorToRGB(clWindow), clWhite);
    EXPECT_EQ(ColorToRGB(clHighlight), clNavy);
    EXPECT_EQ(ColorToRGB(clInfoBk), RGB(255, 255, 225));
    EXPECT_EQ(ColorToRGB(clBtnShadow), clGray);
    EXPECT_EQ(ToQColor(clActiveCaption), QColor(0, 0, 128));
}

TEST(Graphics, NamedColoursAreBlueGreenRed)
{
    EXPECT_EQ(ToQColor(clRed), QColor(255, 0, 0));
    EXPECT_EQ(ToQColor(clNavy), QColor(0, 0, 128));
    EXPECT_EQ(ToQColor(clOlive), QColor(128, 128, 0));
    EXPECT_EQ(FromQColor(QColor(0, 128, 128)), clTeal);
    EXPECT_EQ(GetRValue(RGB(1, 2, 3)), 1);
    EXPECT_EQ(GetBValue(RGB(1, 2, 3)), 3);
}

TEST(Graphics, WindowsFontNamesMapToInstalledFamiliesAt96Dpi)
{
    EXPECT_EQ(MapFontFamily("MS Sans Serif"), "DejaVu Sans");
    EXPECT_EQ(MapFontFamily("arial"), "DejaVu Sans");
    EXPECT_EQ(MapFontFamily("Times New Roman"), "DejaVu Serif");
    EXPECT_EQ(MapFontFamily("Courier New"), "DejaVu Sans Mono");
    EXPECT_EQ(MapFontFamily("Wingdings"), "DejaVu Sans");
    const TFontSpec tahoma("Tahoma", 8, fsBold);
    EXPECT_EQ(tahoma.Height(), -11);
    EXPECT_EQ(tahoma.Size(), 8);
    const QFont font = ToQFont(tahoma);
    EXPECT_EQ(font.pixelSize(), 11);
    EXPECT_TRUE(font.bold());
    EXPECT_EQ(QFontInfo(font).family(), "DejaVu Sans");
    TFontSpec twelve;
    twelve.SetSize(12);
    EXPECT_EQ(twelve.PixelSize(), 16);
}

TEST(Graphics, TextWidthGrowsWithTheTextAndWithBold)
{
    const TFontSpec plain("MS Sans Serif", 8);
    const TFontSpec bold("MS Sans Serif", 8, fsBold);
    EXPECT_GT(TextWidth(plain, "Buddies online"), TextWidth(plain, "Buddies"));
    EXPECT_GT(TextWidth(bold, "Buddies online"), TextWidth(plain, "Buddies online"));
    EXPECT_EQ(TextWidth(plain, ""), 0);
    EXPECT_GT(TextHeight(plain), 10);
}

TEST(Graphics, BandsBlendFromTheFirstColourToTheLast)
{
    QImage image(100, 10, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    FillBands(painter, image.rect(), clBlack, RGB(255, 0, 0), 4);
    painter.end();
    EXPECT_EQ(image.pixelColor(0, 5), QColor(0, 0, 0));
    EXPECT_EQ(image.pixelColor(30, 5), QColor(85, 0, 0));
    EXPECT_EQ(image.pixelColor(60, 5), QColor(170, 0, 0));
    EXPECT_EQ(image.pixelColor(99, 5), QColor(255, 0, 0));
}

TEST(Graphics, AnEnabledBoxIsWhiteAndADisabledOneTakesTheButtonFace)
{
    QLineEdit box;
    EnableAndColour(&box, false);
    EXPECT_FALSE(box.isEnabled());
    EXPECT_EQ(box.palette().color(QPalette::Disabled, QPalette::Base), ToQColor(clBtnFace));
    EXPECT_EQ(box.palette().color(QPalette::Disabled, QPalette::Text), ToQColor(clBtnShadow));
    EnableAndColour(&box, true);
    EXPECT_TRUE(box.isEnabled());
    EXPECT_EQ(box.palette().color(QPalette::Active, QPalette::Base), QColor(255, 255, 255));
    EXPECT_EQ(box.palette().color(QPalette::Active, QPalette::Text), ToQColor(clWindowText));
}
