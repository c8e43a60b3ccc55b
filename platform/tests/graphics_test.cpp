#include "platform/ui/graphics.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

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

TEST(Graphics, WindowsFontNamesMapToMetricTwinsAt96Dpi)
{
    EXPECT_EQ(MapFontFamily("MS Sans Serif"), "Liberation Sans");
    EXPECT_EQ(MapFontFamily("arial"), "Liberation Sans");
    EXPECT_EQ(MapFontFamily("Tahoma"), "Liberation Sans");
    EXPECT_EQ(MapFontFamily("Verdana"), "DejaVu Sans");
    EXPECT_EQ(MapFontFamily("Times New Roman"), "Liberation Serif");
    EXPECT_EQ(MapFontFamily("Courier New"), "Liberation Mono");
    EXPECT_EQ(MapFontFamily("Wingdings"), "DejaVu Sans");
    EXPECT_EQ(MapFontFamily("Marlett"), "DejaVu Sans");
    const TFontSpec tahoma("Tahoma", 8, fsBold);
    EXPECT_EQ(tahoma.Height(), -11);
    EXPECT_EQ(tahoma.Size(), 8);
    const QFont font = ToQFont(tahoma);
    EXPECT_EQ(font.pixelSize(), 11);
    EXPECT_TRUE(font.bold());
    EXPECT_EQ(QFontInfo(font).family(), "Liberation Sans");
    EXPECT_EQ(QFontInfo(ToQFont(TFontSpec("Times New Roman", 10))).family(), "Liberation Serif");
    EXPECT_EQ(QFontInfo(ToQFont(TFontSpec("Courier New", 10))).family(), "Liberation Mono");
    EXPECT_EQ(QFontInfo(ToQFont(TFontSpec("Marlett", 10))).family(), "DejaVu Sans");
    TFontSpec twelve;
    twelve.SetSize(12);
    EXPECT_EQ(twelve.PixelSize(), 16);
}

TEST(Graphics, ACellHeightGivesTheEmOfTheMappedFace)
{
    // 8 points: an 11-pixel em, whose cell in the Arial-metric face is 12 pixels and in the Verdana-like one 13.
    TFontSpec sans("MS Sans Serif", 8);
    sans.SetHeight(12);
    EXPECT_EQ(sans.PixelSize(), 11);
    TFontSpec verdana("Verdana", 8);
    verdana.SetHeight(13);
    EXPECT_EQ(verdana.PixelSize(), 11);
    TFontSpec times("Times New Roman", 12);
    times.SetHeight(18);
    EXPECT_EQ(times.PixelSize(), 16);
    // Any cell made from the installed face's own ascent and descent gives its em back.
    for (const char* name : { "MS Sans Serif", "Times New Roman", "Courier New", "Verdana" }) {
        QFont probe = ToQFont(TFontSpec(name, 8));
        probe.setPixelSize(1000);
        const QFontMetricsF metrics(probe);
        const double cell = (metrics.ascent() + metrics.descent()) / 1000.0;
        for (int em = 8; em <= 32; ++em) {
            TFontSpec font(name, 8);
            font.SetHeight(static_cast<int>(std::lround(em * cell)));
            EXPECT_EQ(font.PixelSize(), em) << name;
        }
    }
}

TEST(Graphics, SymbolFontLettersBecomeThePicturesTheyDraw)
{
    const TFontSpec marlett("Marlett", 10);
    EXPECT_EQ(FontText(marlett, "r"), QString(QChar(0x2715)));
    EXPECT_EQ(FontText(marlett, "0125"), QString::fromUtf16(u"\u2581\u25A1\u2750\u25B2"));
    EXPECT_EQ(FontText(marlett, "6tu"), QString::fromUtf16(u"\u25BC\u25B2\u25BC"));
    EXPECT_EQ(FontText(TFontSpec("wingdings", 10), "uJl"), QString::fromUtf16(u"\u25C6\u263A\u25CF"));
    EXPECT_EQ(FontText(TFontSpec("Symbol", 10), "abpWZ"), QString::fromUtf16(u"\u03B1\u03B2\u03C0\u03A9\u0396"));
    // Letters the table leaves out, and every other font, keep the code page's characters.
    EXPECT_EQ(FontText(marlett, "Z"), "Z");
    EXPECT_EQ(FontText(TFontSpec("Arial", 10), "r\xAE"), QString::fromUtf16(u"r\u00AE"));
    EXPECT_GT(TextWidth(marlett, "r"), 0);
    EXPECT_EQ(TextWidth(marlett, "r"), QFontMetrics(ToQFont(marlett)).horizontalAdvance(QChar(0x2715)));
}

TEST(Graphics, TheFallbackFaceDrawsEverySymbolPicture)
{
    const QFontMetrics metrics(ToQFont(TFontSpec("Marlett", 10)));
    for (const char* name : { "Marlett", "Wingdings", "Symbol" }) {
        std::string letters;
        for (int c = 0x21; c < 0x7F; ++c)
            letters += static_cast<char>(c);
        const QString shown = FontText(TFontSpec(name, 10), letters);
        for (const QChar c : shown)
            EXPECT_TRUE(metrics.inFont(c)) << name << " U+" << std::hex << static_cast<unsigned>(c.unicode());
    }
}

TEST(Graphics, LabelsAndButtonsTakeTheFontAndItsText)
{
    QLabel label;
    SetFontAndText(label, TFontSpec("Marlett", 8), "u");
    EXPECT_EQ(label.text(), QString(QChar(0x25BC)));
    EXPECT_EQ(QFontInfo(label.font()).family(), "DejaVu Sans");
    QPushButton button;
    SetFontAndText(button, TFontSpec("Arial", 8, fsBold), "&Go");
    EXPECT_EQ(button.text(), "&Go");
    EXPECT_TRUE(button.font().bold());
    EXPECT_EQ(QFontInfo(button.font()).family(), "Liberation Sans");
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
