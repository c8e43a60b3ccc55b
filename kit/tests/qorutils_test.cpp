#include "kit/qorutils.h"

#include "kit/qorscreen.h"
#include "kit/tests/recordingcanvas.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/stringlist.h"
#include "platform/ui/drawtext.h"
#include "platform/ui/form.h"

#include <QApplication>
#include <QDir>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using qorprocs::TRect;

namespace {

struct Expected {
    int offset;  // cumulative from where the plain text would start
    TColor color;
};

const QColor kFontColor(10, 20, 30);

std::vector<RecordingEngine::Text> Record(const TQOR3DCaption* caption, unsigned flags, unsigned format = DT_LEFT,
    const std::string& text = "Caption")
{
    RecordingCanvas canvas;
    QPainter painter(&canvas);
    painter.setPen(kFontColor);
    painter.setBrush(QColor(200, 100, 50));
    DrawCaptionText(painter, text, caption, nullptr, flags, format, TRect { 10, 10, 210, 40 });
    painter.end();
    return canvas.engine.texts;
}

void ExpectPasses(TQORThreeDStyle style, const std::vector<Expected>& expected, TColor font = clNone)
{
    const auto plain = Record(nullptr, dcEnabled);
    ASSERT_EQ(plain.size(), 1u);
    TQOR3DCaption caption;
    caption.SetStyle(style);
    caption.SetLightDepth(1);
    caption.SetShadowDepth(2);
    caption.SetLightColor(clWhite);
    caption.SetShadowColor(clBlue);
    const auto texts = Record(&caption, dcEnabled);
    ASSERT_EQ(texts.size(), expected.size()) << "style " << style;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(texts[i].origin, plain[0].origin + QPointF(expected[i].offset, expected[i].offset)) << "style " << style << " pass " << i;
        const QColor want = expected[i].color == clNone ? (font == clNone ? kFontColor : ToQColor(font)) : ToQColor(expected[i].color);
        EXPECT_EQ(texts[i].color, want) << "style " << style << " pass " << i;
    }
}

QImage Canvas(int w, int h, QColor fill)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

// A 4 x 4 red picture with a magenta (transparent) left column.
QImage Picture()
{
    QImage image = Canvas(4, 4, Qt::red);
    for (int y = 0; y < 4; ++y)
        image.setPixelColor(0, y, Qt::magenta);
    return image;
}

void Save(const QImage& image, const QString& name)
{
    const QString dir = QStringLiteral(KORVO_BUILD_DIR "/screenshots");
    QDir().mkpath(dir);
    ASSERT_TRUE(image.save(dir + "/" + name));
}

}  // namespace

TEST(QorUtils, CaptionWithoutStyleIsOnePlainText)
{
    const auto texts = Record(nullptr, 0);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].color, kFontColor);
    EXPECT_EQ(texts[0].text, "Caption");
}

TEST(QorUtils, EveryThreeDStyleDrawsItsPasses)
{
    ExpectPasses(tdNone, { { 0, clNone } });
    ExpectPasses(tdSunken, { { 1, clWhite }, { 0, clNone } });
    ExpectPasses(tdRaised, { { 0, clWhite }, { 1, clNone } });
    ExpectPasses(tdSunkenShadow, { { 0, clBlue }, { 3, clWhite }, { 2, clNone } });
    ExpectPasses(tdRaisedShadow, { { 3, clBlue }, { 0, clWhite }, { 1, clNone } });
    ExpectPasses(tdShadow, { { 2, clBlue }, { 0, clNone } });
}

TEST(QorUtils, PaletteColourStylesUseTheBrushColour)
{
    const TColor brush = RGB(200, 100, 50);
    ExpectPasses(tdPColorSunken, { { 0, clBlue }, { 3, clWhite }, { 2, brush } });
    ExpectPasses(tdPColorRaised, { { 3, clBlue }, { 0, clWhite }, { 1, brush } });
}

TEST(QorUtils, SunkenTextLosesItsDepthOnTheRight)
{
    TQOR3DCaption caption;
    const auto plain = Record(&caption, dcEnabled, DT_RIGHT | DT_SINGLELINE);
    caption.SetStyle(tdSunken);
    const auto sunken = Record(&caption, dcEnabled, DT_RIGHT | DT_SINGLELINE);
    ASSERT_EQ(sunken.size(), 2u);
    // The right edge moves in by the depth; the first pass then moves back right and down.
    EXPECT_EQ(sunken[0].origin, plain[0].origin + QPointF(0, 1));
    EXPECT_EQ(sunken[1].origin, plain[0].origin - QPointF(1, 0));
    EXPECT_EQ(sunken[0].color, ToQColor(clBtnHighlight));
}

TEST(QorUtils, DisabledStylesDecideTheLook)
{
    TQOR3DCaption caption;
    caption.SetStyle(tdRaised);
    caption.SetDisabledStyle(ds3d);
    auto texts = Record(&caption, 0);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[1].origin - texts[0].origin, QPointF(-1, -1)) << "sunken whatever Style says";
    EXPECT_EQ(texts[1].color, ToQColor(clGrayText));

    caption.SetDisabledStyle(dsNone);
    texts = Record(&caption, 0);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[1].origin - texts[0].origin, QPointF(1, 1)) << "raised as if enabled";
    EXPECT_EQ(texts[1].color, kFontColor);

    caption.SetDisabledStyle(dsAuto);
    texts = Record(&caption, dcDisabledSunken);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[1].origin - texts[0].origin, QPointF(-1, -1));
    EXPECT_EQ(texts[1].color, ToQColor(clGrayText));

    texts = Record(&caption, 0);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[1].origin - texts[0].origin, QPointF(1, 1)) << "dsAuto without the sunken flag keeps Style";
    EXPECT_EQ(texts[1].color, ToQColor(clGrayText));

    caption.SetDisabledStyle(dsStandard);
    caption.SetStyle(tdNone);
    texts = Record(&caption, dcDisabledSunken);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].color, ToQColor(clGrayText));
}

TEST(QorUtils, OffsetCaptionStartsAtItsPosition)
{
    TQOR3DCaption plain;
    const auto before = Record(&plain, dcEnabled);
    TQORFxCaption caption;
    caption.SetPosX(5);
    caption.SetPosY(7);
    const auto moved = Record(&caption, dcEnabled);
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_EQ(moved[0].origin - before[0].origin, QPointF(5, 7));
}

TEST(QorUtils, TurnedCaptionTurnsAroundItsCellCorner)
{
    TQORFxCaption caption;
    caption.SetAngle(90);
    caption.SetPosX(20);
    caption.SetPosY(100);
    RecordingCanvas canvas;
    QPainter painter(&canvas);
    const int ascent = QFontMetrics(painter.font()).ascent();
    DrawCaptionText(painter, "Up", &caption, nullptr, dcEnabled, DT_LEFT, TRect { 10, 10, 210, 210 });
    EXPECT_TRUE(painter.transform().isIdentity()) << "the turn is undone";
    painter.end();
    const auto& texts = canvas.engine.texts;
    ASSERT_EQ(texts.size(), 1u);
    // The cell's top-left corner sits at (30, 110); its baseline lies one ascent to the right.
    EXPECT_EQ(texts[0].origin, QPointF(30 + ascent, 110));
    EXPECT_EQ(texts[0].transform.map(QPointF(10, 0)) - texts[0].transform.map(QPointF(0, 0)), QPointF(0, -10));
}

TEST(QorUtils, CaptionClipAndTracingAreUndone)
{
    TQOR3DCaption caption;
    caption.SetTracing(3);
    QImage image = Canvas(100, 40, Qt::white);
    QPainter painter(&image);
    const TRect clip { 0, 0, 5, 5 };
    DrawCaptionText(painter, "Spaced", &caption, &clip, dcEnabled | dcClip, DT_LEFT, TRect { 0, 0, 100, 40 });
    EXPECT_FALSE(painter.hasClipping());
    EXPECT_EQ(painter.font().letterSpacing(), 0);
    painter.end();
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 100; ++x)
            if (x >= 5 || y >= 5) {
                ASSERT_EQ(image.pixelColor(x, y), QColor(Qt::white)) << x << "," << y;
            }
}

TEST(QorUtils, EmptyCaptionOrRectangleDrawsNothing)
{
    TQOR3DCaption caption;
    EXPECT_TRUE(Record(&caption, dcEnabled, DT_LEFT, "").empty());
    RecordingCanvas canvas;
    QPainter painter(&canvas);
    DrawCaptionText(painter, "x", &caption, nullptr, dcEnabled, DT_LEFT, TRect { 10, 10, 10, 40 });
    painter.end();
    EXPECT_TRUE(canvas.engine.texts.empty());
}

TEST(QorUtils, LongCaptionIsDrawnWhole)
{
    const std::string text(300, 'w');
    TQOR3DCaption caption;
    const auto texts = Record(&caption, dcEnabled, DT_LEFT | DT_NOCLIP, text);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text.size(), 300);
}

TEST(QorUtils, StretchKeepingProportionsFitsTheSource)
{
    const auto targets = StretchTargets({ 0, 0, 200, 200 }, 100, 50, dbStretch | dbKeepHeight | dbKeepWidth);
    ASSERT_EQ(targets.size(), 1u);
    EXPECT_EQ(targets[0], (TRect { 0, 0, 200, 100 }));
}

TEST(QorUtils, StretchKeepingOneSideScalesTheOther)
{
    EXPECT_EQ(StretchTargets({ 10, 10, 310, 110 }, 100, 50, dbStretch | dbKeepHeight)[0], (TRect { 10, 10, 210, 110 }));
    EXPECT_EQ(StretchTargets({ 0, 0, 300, 300 }, 100, 50, dbStretch | dbKeepWidth)[0], (TRect { 0, 0, 300, 150 }));
    EXPECT_EQ(StretchTargets({ 0, 0, 300, 300 }, 100, 50, dbStretch)[0], (TRect { 0, 0, 300, 300 }));
}

TEST(QorUtils, CentredAndPlainCopiesKeepTheSourceSize)
{
    EXPECT_EQ(StretchTargets({ 0, 0, 100, 100 }, 30, 30, dbCenter)[0], (TRect { 35, 35, 65, 65 }));
    EXPECT_EQ(StretchTargets({ 5, 6, 100, 100 }, 30, 30, 0)[0], (TRect { 5, 6, 35, 36 }));
}

TEST(QorUtils, TilingCoversTheDestinationAndReachesPast)
{
    const auto targets = StretchTargets({ 0, 0, 100, 100 }, 30, 30, dbTile | dbCenter | dbStretch);
    ASSERT_EQ(targets.size(), 16u);
    EXPECT_EQ(targets.front(), (TRect { 0, 0, 30, 30 }));
    EXPECT_EQ(targets.back(), (TRect { 90, 90, 120, 120 }));
}

TEST(QorUtils, EmptySourceOrDestinationDrawsNothing)
{
    EXPECT_TRUE(StretchTargets({ 0, 0, 100, 100 }, 0, 30, dbTile).empty());
    EXPECT_TRUE(StretchTargets({ 0, 0, 0, 100 }, 30, 30, dbTile).empty());
    QImage target = Canvas(10, 10, Qt::blue);
    QPainter painter(&target);
    const QImage empty;
    StretchDrawBitmap(painter, { 0, 0, 10, 10 }, &empty, nullptr, clNone, dbTile | dbStretch, { 0, 0, 0, 0 });
    painter.end();
    EXPECT_EQ(target.pixelColor(5, 5), QColor(Qt::blue));
}

TEST(QorUtils, ClippedTilesStayInTheMovedDestination)
{
    TBitmap bitmap;
    bitmap.Image = Canvas(30, 30, Qt::red);
    RecordingCanvas canvas;
    QPainter painter(&canvas);
    DrawBitmapEx(painter, { 0, 0, 100, 100 }, bitmap, clNone, (5u << 16) | 3u, dbClip | dbTile);
    EXPECT_FALSE(painter.hasClipping());
    painter.end();
    ASSERT_EQ(canvas.engine.images.size(), 16u);
    for (const auto& image : canvas.engine.images)
        EXPECT_EQ(image.clip, QRect(3, 5, 100, 100));

    QImage pixels = Canvas(120, 120, Qt::white);
    QPainter real(&pixels);
    DrawBitmapEx(real, { 0, 0, 100, 100 }, bitmap, clNone, 0, dbClip | dbTile);
    real.end();
    EXPECT_EQ(pixels.pixelColor(99, 99), QColor(Qt::red));
    EXPECT_EQ(pixels.pixelColor(100, 100), QColor(Qt::white));
}

TEST(QorUtils, ColourTransparencyShowsTheTargetThrough)
{
    const QImage source = Picture();
    QImage target = Canvas(8, 8, Qt::blue);
    QPainter painter(&target);
    StretchDrawBitmap(painter, { 0, 0, 8, 8 }, &source, nullptr, clFuchsia, dbStretch | dbTransparentColor, { 0, 0, 4, 4 });
    painter.end();
    for (int y = 0; y < 8; ++y) {
        EXPECT_EQ(target.pixelColor(0, y), QColor(Qt::blue));
        EXPECT_EQ(target.pixelColor(1, y), QColor(Qt::blue));
        EXPECT_EQ(target.pixelColor(2, y), QColor(Qt::red));
        EXPECT_EQ(target.pixelColor(7, y), QColor(Qt::red));
    }
}

TEST(QorUtils, GivenMaskDecidesTransparency)
{
    const QImage source = Canvas(4, 4, Qt::black);
    TBitmap mask;
    mask.Image = Canvas(4, 4, Qt::black);
    mask.Image.setPixelColor(3, 3, Qt::white);
    QImage image = source;
    image.setPixelColor(1, 1, Qt::green);
    QImage target = Canvas(4, 4, Qt::yellow);
    QPainter painter(&target);
    StretchDrawBitmap(painter, { 0, 0, 4, 4 }, &image, &mask, clNone, dbMask, { 0, 0, 4, 4 });
    painter.end();
    EXPECT_EQ(target.pixelColor(3, 3), QColor(Qt::yellow));
    EXPECT_EQ(target.pixelColor(1, 1), QColor(Qt::green));
    EXPECT_EQ(target.pixelColor(0, 0), QColor(Qt::black));
}

TEST(QorUtils, BrushCopyPaintsTheTransparentColourWithTheBrush)
{
    TBitmap bitmap;
    bitmap.Image = Picture();
    bitmap.TransparentColor = clFuchsia;
    QImage target = Canvas(4, 4, Qt::blue);
    QPainter painter(&target);
    DrawBitmapTransparent(painter, { 0, 0, 4, 4 }, bitmap, clLime, dbBrushCopy);
    painter.end();
    EXPECT_EQ(target.pixelColor(0, 2), QColor(Qt::green));
    EXPECT_EQ(target.pixelColor(3, 2), QColor(Qt::red));

    // Without a colour of its own the bitmap's bottom-left pixel is transparent.
    bitmap.TransparentColor = clDefault;
    QImage second = Canvas(4, 4, Qt::blue);
    QPainter again(&second);
    DrawBitmapTransparent(again, { 0, 0, 4, 4 }, bitmap, clYellow, dbBrushCopy);
    again.end();
    EXPECT_EQ(second.pixelColor(0, 0), QColor(Qt::yellow));
}

TEST(QorUtils, BitmapMarkedByItsPenIsNotDrawn)
{
    TBitmap bitmap;
    bitmap.Image = Canvas(4, 4, Qt::red);
    bitmap.PenPos = QPoint(-1, 0);
    QImage target = Canvas(4, 4, Qt::blue);
    QPainter painter(&target);
    DrawBitmapTransparent(painter, { 0, 0, 4, 4 }, bitmap, clNone, 0);
    DrawBitmapEx(painter, { 0, 0, 4, 4 }, bitmap, clNone, 0, dbClip);
    painter.end();
    EXPECT_EQ(target.pixelColor(2, 2), QColor(Qt::blue));
}

TEST(QorUtils, MaskedCopyBlackensTransparentPixels)
{
    QImage mask;
    QImage image;
    MakeMaskedCopy(Picture(), { 0, 0, 3, 2 }, &mask, clFuchsia, &image);
    ASSERT_EQ(image.size(), QSize(3, 2));
    EXPECT_EQ(image.pixelColor(0, 1), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(1, 1), QColor(Qt::red));
    EXPECT_EQ(mask.pixelColor(0, 1), QColor(Qt::white));
    EXPECT_EQ(mask.pixelColor(1, 1), QColor(Qt::black));
    MakeMaskedCopy(Picture(), { 0, 0, 3, 2 }, nullptr, clFuchsia, &image);
    EXPECT_EQ(image.size(), QSize(3, 2));
}

TEST(QorUtils, FillBitmapTakesTheRectangleSize)
{
    QImage bitmap;
    FillBitmap(&bitmap, { 5, 5, 25, 15 }, clRed);
    ASSERT_EQ(bitmap.size(), QSize(20, 10));
    EXPECT_EQ(bitmap.pixelColor(19, 9), QColor(Qt::red));
    FillBitmap(&bitmap, { 5, 5, 5, 15 }, clBlue);
    EXPECT_EQ(bitmap.size(), QSize(20, 10));
}

TEST(QorUtils, GradientsRunFromBlackToRed)
{
    QImage across = Canvas(256, 16, Qt::white);
    QPainter painter(&across);
    FillGradient(painter, { 0, 0, 256, 16 }, clBlack, clRed, 32, 0);
    painter.end();
    Save(across, "kit_gradient_0.png");
    EXPECT_EQ(across.pixelColor(3, 8), QColor(0, 0, 0));
    EXPECT_EQ(across.pixelColor(252, 8), QColor(255, 0, 0));
    EXPECT_LT(across.pixelColor(100, 8).red(), across.pixelColor(140, 8).red());

    QImage down = Canvas(16, 256, Qt::white);
    QPainter painter2(&down);
    FillGradient(painter2, { 0, 0, 16, 256 }, clBlack, clRed, 32, 1);
    painter2.end();
    Save(down, "kit_gradient_1.png");
    EXPECT_EQ(down.pixelColor(8, 3), QColor(0, 0, 0));
    EXPECT_EQ(down.pixelColor(8, 252), QColor(255, 0, 0));
    EXPECT_EQ(down.pixelColor(0, 3), down.pixelColor(15, 3)) << "bands run across";
}

TEST(QorUtils, ShapedGradientsPutTheFirstColourInTheSmallestShape)
{
    for (int style = 2; style <= 7; ++style) {
        QImage image = Canvas(70, 70, Qt::white);
        QPainter painter(&image);
        FillGradient(painter, { 0, 0, 70, 70 }, clBlack, clRed, 7, style);
        painter.end();
        const QPoint inner = style == 2 || style == 3 ? QPoint(35, 35)
            : style == 4                            ? QPoint(2, 2)
            : style == 5                            ? QPoint(67, 2)
            : style == 6                            ? QPoint(2, 67)
                                                    : QPoint(67, 67);
        EXPECT_EQ(image.pixelColor(inner), QColor(0, 0, 0)) << "style " << style;
    }
}

TEST(QorUtils, TurnedCaptionScreenshot)
{
    QImage image = Canvas(200, 200, Qt::white);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    TQORFxCaption caption;
    caption.SetAngle(90);
    caption.SetPosX(100);
    caption.SetPosY(150);
    DrawCaptionText(painter, "Korvo", &caption, nullptr, dcEnabled, DT_LEFT, TRect { 0, 0, 200, 200 });
    painter.end();
    Save(image, "kit_caption_angle90.png");
    int ink = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x)
            if (image.pixelColor(x, y) != QColor(Qt::white)) {
                ++ink;
                ASSERT_GE(x, 100) << x << "," << y;
                ASSERT_LT(y, 150) << x << "," << y;
            }
    EXPECT_GT(ink, 20);
}

TEST(QorUtils, FontTextHasSevenParts)
{
    TFontSpec font("MS Sans Serif", 8, fsBold, clWindowText);
    EXPECT_EQ(FontToString(font), "MS Sans Serif,8,clWindowText,1,0,0,0");
    TFontSpec back;
    StringToFont("Arial,12,clRed,0,1,1,1", back);
    EXPECT_EQ(back.Name, "Arial");
    EXPECT_EQ(back.Size(), 12);
    EXPECT_EQ(back.Color, clRed);
    EXPECT_EQ(back.Style, unsigned(fsItalic | fsUnderline | fsStrikeOut));
    StringToFont(FontToString(font), back);
    EXPECT_EQ(FontToString(back), FontToString(font));
}

TEST(QorUtils, FontTextWithWrongPartsChangesNothing)
{
    TFontSpec font("Arial", 12);
    StringToFont("Arial,14,clRed,0,0,0", font);
    StringToFont("", font);
    EXPECT_EQ(font.Size(), 12);
    EXPECT_EQ(font.Color, clWindowText);
}

TEST(QorUtils, FontSizeThatIsNotANumberBecomesTen)
{
    TFontSpec font("Arial", 12);
    StringToFont("Arial,x,$000000FF,0,0,0,0", font);
    EXPECT_EQ(font.Size(), 10);
    EXPECT_EQ(font.Color, clRed);
}

TEST(QorUtils, UnreadableFontColourRaisesAfterNameAndSize)
{
    TFontSpec font("Arial", 12);
    EXPECT_THROW(StringToFont("Courier,9,notacolour,0,0,0,0", font), EConvertError);
    EXPECT_EQ(font.Name, "Courier");
    EXPECT_EQ(font.Size(), 9);
    EXPECT_THROW(StringToFont("Courier,9,clRed,1,x,0,0", font), EConvertError);
}

TEST(QorUtils, SplitKeepsInnerEmptyPiecesButNoTrailingOne)
{
    TStringList list;
    SplitString("a,,b", ',', &list);
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list[0], "a");
    EXPECT_EQ(list[1], "");
    EXPECT_EQ(list[2], "b");
    SplitString("a,", ',', &list);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list[0], "a");
    SplitString("", ',', &list);
    EXPECT_EQ(list.Count(), 1) << "an empty text leaves the list alone";
    SplitString("x", ',', nullptr);
}

TEST(QorUtils, SplitHandlesLongTextsWhole)
{
    const std::string piece(200, 'p');
    TStringList list;
    SplitString(piece + "," + piece + ",end", ',', &list);
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list[1], piece);
    EXPECT_EQ(list[2], "end");
}

TEST(QorUtils, CentreUsesTheScreenSize)
{
    qorscreen::SetSize(1024, 768);
    TForm form;
    form.SetBounds(0, 0, 200, 100);
    CenterOnScreen(&form);
    EXPECT_EQ(form.Left(), 412);
    EXPECT_EQ(form.Top(), 334);
    CenterOnScreen(nullptr);
    qorscreen::SetSize(0, 0);
}

TEST(QorUtils, TooFewExplodeStepsBecomeForty)
{
    const TRect window { 100, 100, 300, 250 };
    const auto steps = ExplodeSteps(window, 0, 0, 2);
    ASSERT_EQ(steps.size(), 40u);
    EXPECT_EQ(steps.back(), window);
    EXPECT_EQ(steps.front(), (TRect { 2, 2, 7, 5 }));
}

TEST(QorUtils, ExtendedExplodeTravelsThenGrows)
{
    const TRect window { 100, 100, 300, 250 };
    const auto steps = ExplodeStepsExt(window, 0, 0, true, 10, 20, 10);
    ASSERT_EQ(steps.size(), 20u);
    EXPECT_EQ(steps[9], (TRect { 50, 250, 70, 260 })) << "meets at half way, at the window's bottom";
    EXPECT_EQ(steps.back(), window);
    EXPECT_EQ(ExplodeStepsExt(window, 0, 0, false, 10, 20, 10).size(), 10u);
}

TEST(QorUtils, ExplodeLeavesNoOverlayBehind)
{
    TForm form;
    form.SetBounds(50, 60, 120, 80);
    const auto before = QApplication::topLevelWidgets().size();
    ExplodeWindow(&form, 0, 0, 1, 4);
    ExplodeWindowExt(&form, 0, 0, true, 1, 10, 20, 4);
    ExplodeWindow(nullptr, 0, 0, 1, 4);
    EXPECT_EQ(QApplication::topLevelWidgets().size(), before);
}
