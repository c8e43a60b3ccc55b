#include "kit-extra/qorspeedbutton.h"
#include "kit-extra/tests/rgb.h"

#include "kit-extra/qorbuttonface.h"
#include "kit/qorcont.h"
#include "platform/ui/form.h"

#include "kit/qorapplication.h"
#include "platform/rtl/eventloop.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/streams.h"
#include "platform/testing/scratch.h"
#include "screenshot.h"

#include <QCoreApplication>
#include <QCursor>
#include <QMenu>
#include <QTimer>
#include <QMouseEvent>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

void Mouse(QWidget& w, QEvent::Type type, QPoint at)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(at), QPointF(w.mapToGlobal(at)),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &event);
}

void ClickAt(QWidget& w, QPoint at)
{
    Mouse(w, QEvent::MouseButtonPress, at);
    Mouse(w, QEvent::MouseButtonRelease, at);
}

QImage Render(TQORBaseGraphicButton& button)
{
    QImage image(button.size(), QImage::Format_RGB32);
    button.Paint(image);
    return image;
}

QImage Arrow16()
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(qRgb(255, 0, 255));
    for (int y = 3; y < 13; ++y)
        for (int x = 3; x < 3 + (y - 2); ++x)
            image.setPixel(x, y, qRgb(0, 0, 160));
    return image;
}

struct KitRunning {
    KitRunning() { QORInitialize(); }
    ~KitRunning() { QORFinalize(); }
};

}  // namespace

TEST(SpeedButton, PressingTheSecondOfAGroupReleasesTheFirst)
{
    QWidget parent;
    TQORCustomSpeedButton a(&parent);
    TQORCustomSpeedButton b(&parent);
    a.SetGroupIndex(1);
    b.SetGroupIndex(1);
    int clicks = 0;
    b.OnClick = [&](TQORBaseGraphicButton*) { ++clicks; };
    ClickAt(a, { 5, 5 });
    EXPECT_TRUE(a.Pressed());
    ClickAt(b, { 5, 5 });
    EXPECT_TRUE(b.Pressed());
    EXPECT_FALSE(a.Pressed());
    EXPECT_EQ(a.State(), 0);
    EXPECT_EQ(clicks, 1);
    // without AllowAllUp the pressed one stays pressed
    ClickAt(b, { 5, 5 });
    EXPECT_TRUE(b.Pressed());
    EXPECT_EQ(b.State(), 3);
}

TEST(SpeedButton, AllowAllUpLetsThePressedOneBeReleased)
{
    QWidget parent;
    TQORCustomSpeedButton a(&parent);
    TQORCustomSpeedButton b(&parent);
    a.SetGroupIndex(1);
    b.SetGroupIndex(1);
    b.SetAllowAllUp(true);
    EXPECT_TRUE(a.AllowAllUp());  // the group shares it
    a.SetPressed(true);
    ClickAt(a, { 5, 5 });
    EXPECT_FALSE(a.Pressed());
}

TEST(SpeedButton, UngroupedButtonCannotBePressed)
{
    TQORCustomSpeedButton button;
    button.SetPressed(true);
    EXPECT_FALSE(button.Pressed());
}

TEST(SpeedButton, PressDragOutReleaseGivesNoClickAndLeavesItUp)
{
    TQORCustomSpeedButton button;
    int clicks = 0;
    button.OnClick = [&](TQORBaseGraphicButton*) { ++clicks; };
    Mouse(button, QEvent::MouseButtonPress, { 5, 5 });
    EXPECT_EQ(button.State(), 4);
    Mouse(button, QEvent::MouseMove, { 50, 50 });
    EXPECT_EQ(button.State(), 0);
    Mouse(button, QEvent::MouseButtonRelease, { 50, 50 });
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(button.State(), 0);
}

TEST(SpeedButton, HoverWithoutPressIsHotNotHeld)
{
    TQORCustomSpeedButton button;
    Mouse(button, QEvent::MouseMove, { 5, 5 });
    EXPECT_EQ(button.State(), 2);
    Mouse(button, QEvent::MouseMove, { 6, 6 });
    EXPECT_EQ(button.State(), 2);
}

TEST(SpeedButton, EnabledChangeGivesUpDisabledLatchedOrDisabledLatched)
{
    QWidget parent;
    TQORCustomSpeedButton button(&parent);
    button.setEnabled(false);
    EXPECT_EQ(button.State(), 1);
    button.setEnabled(true);
    EXPECT_EQ(button.State(), 0);
    button.SetGroupIndex(2);
    button.SetPressed(true);
    EXPECT_EQ(button.State(), 3);
    button.setEnabled(false);
    EXPECT_EQ(button.State(), 7);
}

TEST(SpeedButton, DownLookIsSunkenAndUpLookRaised)
{
    TQORCustomSpeedButton button;
    button.SetColor(clBtnFace);
    EXPECT_EQ(Render(button).pixel(10, 0), Rgb(cl3DLight));
    EXPECT_EQ(Render(button).pixel(10, 24), Rgb(cl3DDkShadow));
    button.SetState(4);
    EXPECT_EQ(Render(button).pixel(10, 0), Rgb(clBtnShadow));
    EXPECT_EQ(Render(button).pixel(10, 1), Rgb(cl3DDkShadow));
}

TEST(SpeedButton, EveryStatePaintsItsScreenshot)
{
    const struct {
        int state;
        const char* name;
    } states[] = { { 0, "up" }, { 1, "disabled" }, { 2, "hot" }, { 3, "latched" },
                   { 4, "held" }, { 6, "menu" }, { 7, "disabled-latched" } };
    TQORCustomSpeedButton button;
    button.resize(60, 25);
    button.SetColor(clBtnFace);
    button.Glyph().SetBitmap(Arrow16());
    button.SetCaption("Go");
    for (const auto& s : states) {
        button.SetState(s.state);
        const QImage image = Render(button);
        SaveKitScreenshot(image, QString("speedbutton-new-%1").arg(s.name));
    }
    button.SetState(1);
    const QImage disabled = Render(button);
    bool hasShadow = false;
    for (int y = 0; y < 25; ++y)
        for (int x = 3; x < 22; ++x)
            hasShadow = hasShadow || disabled.pixel(x, y) == Rgb(clBtnShadow);
    EXPECT_TRUE(hasShadow);
}

TEST(SpeedButton, AHundredKilobyteCaptionIsDrawn)
{
    TQORCustomSpeedButton button;
    button.SetCaption(std::string(100 * 1024, 'W'));
    const QImage image = Render(button);
    EXPECT_EQ(image.size(), QSize(25, 25));
}

TEST(SpeedButton, RepeatedClickClicksAtOnceThenEveryIntervalWhileHeldInside)
{
    ScratchDirs dirs;
    KitRunning kit;
    TQORApplication& app = *QORApplication();
    TQORCustomSpeedButton button;
    button.RepeatedClick = true;
    int clicks = 0;
    button.OnClick = [&](TQORBaseGraphicButton*) { ++clicks; };
    Mouse(button, QEvent::MouseButtonPress, { 5, 5 });
    EXPECT_EQ(clicks, 1);
    app.TimerPool().TimerTick();  // 50 ms
    EXPECT_EQ(clicks, 1);
    app.TimerPool().TimerTick();  // 100 ms
    EXPECT_EQ(clicks, 2);
    Mouse(button, QEvent::MouseMove, { 50, 50 });
    app.TimerPool().TimerTick();
    app.TimerPool().TimerTick();
    EXPECT_EQ(clicks, 2);  // outside: no repeat
    Mouse(button, QEvent::MouseMove, { 5, 5 });
    Mouse(button, QEvent::MouseButtonRelease, { 5, 5 });
    EXPECT_EQ(clicks, 2);  // none on release
    app.TimerPool().TimerTick();
    app.TimerPool().TimerTick();
    EXPECT_EQ(clicks, 2);
}

TEST(SpeedButton, AClickThatFreesTheButtonIsTheLastThingDoneToIt)
{
    ScratchDirs dirs;
    KitRunning kit;
    QWidget form;
    form.show();
    const auto freeIt = [](TQORBaseGraphicButton* button) { delete button; };
    // The repeat path clicks on the press, before its timer starts.
    QPointer<TQORCustomSpeedButton> repeating = new TQORCustomSpeedButton(&form);
    repeating->RepeatedClick = true;
    repeating->OnClick = freeIt;
    Mouse(*repeating, QEvent::MouseButtonPress, { 5, 5 });
    EXPECT_TRUE(repeating.isNull());
    QPointer<TQORCustomSpeedButton> accelerated = new TQORCustomSpeedButton(&form);
    accelerated->SetCaption("&Go");
    accelerated->OnClick = freeIt;
    accelerated->show();
    EXPECT_TRUE(accelerated->DialogChar('g'));
    EXPECT_TRUE(accelerated.isNull());
}

TEST(SpeedButton, RepeatIntervalOffTheTimerStepIsRefused)
{
    ScratchDirs dirs;
    KitRunning kit;
    TQORCustomSpeedButton button;
    button.RepeatedClick = true;
    button.RepeatingInterval = 120;
    std::string reported;
    Application::SetExceptionHandler([&](const std::exception& error) { reported = error.what(); });
    Mouse(button, QEvent::MouseButtonPress, { 5, 5 });
    Application::SetExceptionHandler([](const std::exception& error) {
        ADD_FAILURE() << "exception left a message handler: " << error.what();
    });
    EXPECT_EQ(reported, "Interval does'nt fit to given MinInterval!");
}

TEST(OfficeButton, EnterAndLeaveFireTheirEventsAndLeaveEndsHot)
{
    TQOROfficeButton button;
    int enters = 0;
    int exits = 0;
    button.OnMouseEnter = [&](TQORBaseControl*) { ++enters; };
    button.OnMouseExit = [&](TQORBaseControl*) { ++exits; };
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(&button, &enter);
    EXPECT_EQ(button.State(), 2);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&button, &leave);
    EXPECT_EQ(button.State(), 0);
    EXPECT_EQ(enters, 1);
    EXPECT_EQ(exits, 1);
}

TEST(OfficeButton, BorderOnlyWhenHotOrDown)
{
    TQOROfficeButton button;
    button.SetColor(clBtnFace);
    EXPECT_EQ(button.size(), QSize(23, 22));
    EXPECT_EQ(Render(button).pixel(10, 0), Rgb(clBtnFace));
    button.SetState(2);
    EXPECT_EQ(Render(button).pixel(10, 0), Rgb(clBtnHighlight));
    EXPECT_EQ(Render(button).pixel(10, 21), Rgb(clBtnShadow));
    button.SetState(4);
    EXPECT_EQ(Render(button).pixel(10, 0), Rgb(clBtnShadow));
    EXPECT_EQ(Render(button).pixel(10, 21), Rgb(clBtnHighlight));
}

TEST(OfficeButton, EveryStatePaintsItsScreenshot)
{
    const struct {
        int state;
        const char* name;
    } states[] = { { 0, "up" }, { 1, "disabled" }, { 2, "hot" }, { 3, "latched" },
                   { 4, "held" }, { 6, "menu" }, { 7, "disabled-latched" } };
    TQOROfficeButton button;
    button.SetColor(clBtnFace);
    button.Glyph().SetBitmap(Arrow16());
    for (const auto& s : states) {
        button.SetState(s.state);
        const QImage image = Render(button);
        // the glyph's opaque corner moves by one pixel in the pressed looks
        const int at = (s.state == 3 || s.state == 4 || s.state == 6) ? 1 : 0;
        if (s.state != 1 && s.state != 7) {
            EXPECT_EQ(image.pixel(3 + 3 + at, 3 + 3 + at), qRgb(0, 0, 160)) << s.name;
        }
        SaveKitScreenshot(image, QString("officebutton-flat-%1").arg(s.name));
    }
}

namespace {

const struct {
    int state;
    const char* name;
} kStates[] = { { 0, "up" }, { 1, "disabled" }, { 2, "hot" }, { 3, "latched" }, { 4, "held" }, { 6, "menu" },
    { 7, "disabled-latched" } };

// A 25 x 25 face: a black square from 5 to 19 on white, the face's transparent colour.
QImage Face(QRgb inner)
{
    QImage image(25, 25, QImage::Format_RGB32);
    image.fill(qRgb(255, 255, 255));
    for (int y = 5; y < 20; ++y)
        for (int x = 5; x < 20; ++x)
            image.setPixel(x, y, inner);
    return image;
}

}  // namespace

TEST(SpeedButton, HotButtonLeftWithoutAMoveGoesUpOnTheHoverWatch)
{
    ScratchDirs dirs;
    KitRunning kit;
    TQORCustomSpeedButton button;
    Mouse(button, QEvent::MouseMove, { 5, 5 });
    ASSERT_EQ(button.State(), 2);
    QCursor::setPos(button.mapToGlobal(QPoint(5, 5)));
    QORApplication()->TimerPool().TimerTick();
    QORApplication()->TimerPool().TimerTick();
    EXPECT_EQ(button.State(), 2);
    QCursor::setPos(button.mapToGlobal(QPoint(500, 500)));
    QORApplication()->TimerPool().TimerTick();
    QORApplication()->TimerPool().TimerTick();
    EXPECT_EQ(button.State(), 0);
}

TEST(SpeedButton, DropDownMenuOpensUnderTheButtonAndLeavesItHotWithoutAClick)
{
    QWidget parent;
    parent.resize(200, 200);
    TQORCustomSpeedButton button(&parent);
    button.move(20, 30);
    parent.show();
    QMenu menu;
    menu.addAction("Item");
    button.DropDownMenu = &menu;
    button.SetDropDownIndent(4);
    int clicks = 0;
    button.OnClick = [&](TQORBaseGraphicButton*) { ++clicks; };
    QPoint shownAt;
    int stateWhileOpen = -1;
    QTimer::singleShot(0, &menu, [&] {
        shownAt = menu.pos();
        stateWhileOpen = button.State();
        menu.close();
    });
    Mouse(button, QEvent::MouseButtonPress, { 5, 5 });
    EXPECT_EQ(shownAt, button.mapToGlobal(QPoint(4, 25)));
    EXPECT_EQ(stateWhileOpen, 6);
    Mouse(button, QEvent::MouseButtonRelease, { 5, 5 });
    EXPECT_EQ(button.State(), 2);
    EXPECT_EQ(clicks, 0);

    button.SetDropDownRight(true);
    QTimer::singleShot(0, &menu, [&] {
        shownAt = menu.pos();
        menu.close();
    });
    Mouse(button, QEvent::MouseButtonPress, { 5, 5 });
    EXPECT_EQ(shownAt, button.mapToGlobal(QPoint(25, 4)));
}

TEST(SpeedButton, AcceleratorClicksAndGroupedAcceleratorToggles)
{
    QWidget parent;
    TQORCustomSpeedButton plain(&parent);
    TQORCustomSpeedButton grouped(&parent);
    parent.show();
    plain.SetCaption("&Go");
    grouped.SetCaption("Ne&xt");
    grouped.SetGroupIndex(1);
    grouped.SetAllowAllUp(true);
    int clicks = 0;
    plain.OnClick = [&](TQORBaseGraphicButton*) { ++clicks; };
    EXPECT_FALSE(plain.DialogChar('x'));
    EXPECT_TRUE(plain.DialogChar('g'));
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(grouped.DialogChar('X'));
    EXPECT_TRUE(grouped.Pressed());
    EXPECT_EQ(grouped.State(), 3);
    EXPECT_TRUE(grouped.DialogChar('x'));
    EXPECT_FALSE(grouped.Pressed());
    plain.setEnabled(false);
    EXPECT_FALSE(plain.DialogChar('g'));
    EXPECT_EQ(clicks, 1);
}

TEST(SpeedButton, ABackgroundFormKeepsItsButtonsFromLightingUpButNotFromDisabling)
{
    TForm form("Inactive");
    TQORCustomSpeedButton button(&form);
    Mouse(button, QEvent::MouseMove, { 5, 5 });
    EXPECT_EQ(button.State(), 0);
    button.setEnabled(false);
    EXPECT_EQ(button.State(), 1);
}

TEST(SpeedButton, OldFramedAndFlatLooksPaintTheirFaces)
{
    TQORCustomSpeedButton button;
    button.SetColor(clBtnFace);
    button.Glyph().SetBitmap(Arrow16());
    button.FaceStyle = fsOldLook;
    button.SetColor(clYellow);
    EXPECT_EQ(Render(button).pixel(0, 0), Rgb(clBtnFace));      // rounded corner
    EXPECT_EQ(Render(button).pixel(24, 24), Rgb(clBtnFace));
    button.FaceStyle = fsFramed;
    EXPECT_EQ(Render(button).pixel(10, 0), qRgb(0, 0, 0));
    EXPECT_EQ(Render(button).pixel(0, 10), qRgb(0, 0, 0));
    button.SetState(4);
    EXPECT_EQ(Render(button).pixel(10, 1), qRgb(128, 128, 128));
    EXPECT_EQ(Render(button).pixel(1, 10), qRgb(128, 128, 128));
    button.FaceStyle = fsFlat;
    button.SetState(0);
    EXPECT_EQ(Render(button).pixel(10, 0), Rgb(clYellow));
    button.SetColor(clBtnFace);
    for (const auto& [style, look] : { std::pair { fsOldLook, "old" }, { fsFramed, "framed" }, { fsFlat, "flat" } }) {
        button.FaceStyle = style;
        for (const auto& s : kStates) {
            button.SetState(s.state);
            SaveKitScreenshot(Render(button), QString("speedbutton-%1-%2").arg(look, s.name));
        }
    }
}

TEST(ExplorerButton, LargeSeeThroughAndGreyAtRest)
{
    TQORBitmapList list;
    list.AddItem();
    QImage back(200, 100, QImage::Format_RGB32);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x)
            back.setPixel(x, y, qRgb(x, y, 90));
    list.Bitmaps(0)->SetBitmap(back);
    TQORBackPanel panel;
    panel.resize(200, 100);
    panel.SetImageList(&list);
    TQORExplorerButton button(&panel);
    button.move(30, 20);
    EXPECT_EQ(button.size(), QSize(54, 40));
    EXPECT_TRUE(button.UnColorMain());
    EXPECT_TRUE(button.Transparent());
    button.Glyph().SetBitmap(Arrow16());
    button.SetCaption("Back");
    for (const auto& s : kStates) {
        button.SetState(s.state);
        const QImage image = Render(button);
        EXPECT_EQ(image.pixel(2, 20), qRgb(32, 40, 90)) << s.name;  // the panel's picture at the button's place
        SaveKitScreenshot(image, QString("explorerbutton-seethrough-%1").arg(s.name));
    }
    button.SetState(0);
    EXPECT_EQ(Render(button).pixel(10, 0), qRgb(40, 20, 90));  // no border at rest
    button.SetState(2);
    EXPECT_EQ(Render(button).pixel(10, 0), Rgb(clBtnHighlight));
    button.SetUnColorMain(false);
    EXPECT_EQ(button.Glyph().Style(), 0);
}

TEST(MMButton, FaceOfEachStateWithFallbacks)
{
    TQORBitmapList faces;
    faces.AddItem();
    faces.Bitmaps(0)->SetBitmap(Face(qRgb(0, 0, 0)));
    TQORCustomMMButton button;
    EXPECT_EQ(button.FaceFor(0), -1);
    button.SetButtonFaceImageList(&faces);
    EXPECT_EQ(button.FaceFor(0), 0);
    EXPECT_EQ(button.FaceFor(2), 2);
    button.FaceEntries[4] = { 7, 0 };
    button.FaceEntries[2] = { 3, 0 };
    EXPECT_EQ(button.FaceFor(2), 0);
    EXPECT_EQ(button.FaceFor(3), 3);
    EXPECT_EQ(button.FaceFor(4), -1);
    button.FaceEntries[6] = { 9, 9 };
    EXPECT_EQ(button.FaceFor(6), -1);
}

TEST(MMButton, ReleaseOverATransparentPixelOfTheFaceCountsAsOutside)
{
    TQORBitmapList faces;
    faces.AddItem();
    faces.Bitmaps(0)->SetBitmap(Face(qRgb(0, 0, 0)));
    TQORCustomMMButton button;
    button.SetButtonFaceImageList(&faces);
    int clicks = 0;
    button.OnClick = [&](TQORBaseGraphicButton*) { ++clicks; };
    EXPECT_TRUE(button.HitTest(12, 12));
    EXPECT_FALSE(button.HitTest(1, 1));
    Mouse(button, QEvent::MouseButtonPress, { 1, 1 });
    EXPECT_EQ(button.State(), 0);  // a press on the transparent corner is not the button's
    Mouse(button, QEvent::MouseButtonPress, { 12, 12 });
    EXPECT_EQ(button.State(), 4);
    Mouse(button, QEvent::MouseButtonRelease, { 2, 2 });
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(button.State(), 0);
    ClickAt(button, { 12, 12 });
    EXPECT_EQ(clicks, 1);
}

TEST(MMButton, EveryStatePaintsItsFace)
{
    TQORBitmapList faces;
    faces.AddItem();
    faces.AddItem();
    faces.Bitmaps(0)->SetBitmap(Face(qRgb(0, 0, 160)));
    faces.Bitmaps(1)->SetBitmap(Face(qRgb(160, 0, 0)));
    TQORCustomMMButton button;
    button.SetColor(clBtnFace);
    button.SetButtonFaceImageList(&faces);
    button.FaceEntries[4] = { 1, 0 };
    for (const int down : { 3, 6, 7 })
        button.FaceEntries[static_cast<std::size_t>(down)] = { 9, 0 };
    for (const auto& s : kStates) {
        button.SetState(s.state);
        const QImage image = Render(button);
        const bool down = s.state == 3 || s.state == 4 || s.state == 6 || s.state == 7;
        EXPECT_EQ(image.pixel(12, 12), down ? qRgb(160, 0, 0) : qRgb(0, 0, 160)) << s.name;
        SaveKitScreenshot(image, QString("mmbutton-face-%1").arg(s.name));
    }
}

namespace {

// Counts the paints a widget gets.
class PaintCounter final : public QObject {
public:
    explicit PaintCounter(QWidget& widget) { widget.installEventFilter(this); }
    int paints { 0 };

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

}  // namespace

TEST(SpeedButton, PlainFaceIsNotRepaintedBetweenUpAndHotButAnOfficeFaceIs)
{
    QWidget parent;
    TQORCustomSpeedButton speed(&parent);
    TQOROfficeButton office(&parent);
    office.move(30, 0);
    parent.show();
    QCoreApplication::processEvents();
    PaintCounter speedPaints(speed);
    PaintCounter officePaints(office);
    speed.SetState(2);
    office.SetState(2);
    EXPECT_EQ(speedPaints.paints, 0);
    EXPECT_EQ(officePaints.paints, 1);
    speed.SetState(4);
    EXPECT_EQ(speedPaints.paints, 1);
}

TEST(SpeedButton, TurningTheCaptionOfARasterFontTakesArial)
{
    TQORCustomSpeedButton button;
    ASSERT_EQ(button.Font().Name, "MS Sans Serif");
    button.FontFx().SetAngle(90);
    EXPECT_EQ(button.FontFx().Angle(), 90);
    EXPECT_EQ(button.Font().Name, "Arial");
    EXPECT_EQ(button.Font().Size(), 8);
    EXPECT_FALSE(button.ParentFont());
}

TEST(SpeedButton, ARasterFontGivenToATurnedCaptionStraightensIt)
{
    TQORCustomSpeedButton button;
    button.SetFont(TFontSpec("Tahoma", 10));
    button.FontFx().SetAngle(45);
    EXPECT_EQ(button.Font().Name, "Tahoma");
    EXPECT_EQ(button.FontFx().Angle(), 45);
    button.SetFont(TFontSpec("MS Sans Serif", 10));
    EXPECT_EQ(button.FontFx().Angle(), 0);
    EXPECT_EQ(button.Font().Name, "MS Sans Serif");
}

TEST(SpeedButton, TurnedCaptionIsPaintedUpright)
{
    TQORCustomSpeedButton button;
    button.resize(40, 90);
    button.SetColor(clBtnFace);
    button.SetCaption("WWWW");
    // The ink's extent inside the face: wide when level, tall when turned.
    const auto ink = [&] {
        const QImage image = Render(button);
        QRect box;
        for (int y = 3; y < image.height() - 3; ++y)
            for (int x = 3; x < image.width() - 3; ++x)
                if (image.pixel(x, y) == qRgb(0, 0, 0))
                    box |= QRect(x, y, 1, 1);
        return box;
    };
    const QRect level = ink();
    ASSERT_FALSE(level.isEmpty());
    EXPECT_GT(level.width(), level.height());
    button.FontFx().SetAngle(90);
    SaveKitScreenshot(Render(button), "speedbutton-turned-up");
    const QRect turned = ink();
    ASSERT_FALSE(turned.isEmpty());
    EXPECT_GT(turned.height(), turned.width());
}

TEST(SpeedButton, ParentFontFollowsTheFormUntilAFontOfItsOwnIsSet)
{
    TForm form("Fonts");
    form.SetFont(TFontSpec("Tahoma", 12));
    TQORCustomSpeedButton button(&form);
    EXPECT_TRUE(button.ParentFont());
    EXPECT_EQ(button.Font().Name, "Tahoma");
    form.SetFont(TFontSpec("Verdana", 9));
    EXPECT_EQ(button.Font().Name, "Verdana");
    button.SetFont(TFontSpec("Arial", 8));
    EXPECT_FALSE(button.ParentFont());
    form.SetFont(TFontSpec("Tahoma", 12));
    EXPECT_EQ(button.Font().Name, "Arial");
    button.SetParentFont(true);
    EXPECT_EQ(button.Font().Name, "Tahoma");
}

TEST(SpeedButton, DropDownArrowStandsBesideTheGlyphAndIsEmbossedWhenDisabled)
{
    TQORCustomSpeedButton button;
    button.resize(40, 25);
    button.SetColor(clBtnFace);
    button.Glyph().SetBitmap(Arrow16());
    button.ButtonLayout().SetArrow(true);
    button.ButtonLayout().SetArrowPosition(apRightGlyph);
    button.ButtonLayout().SetArrowColor(clRed);
    const auto columns = [](const QImage& image, QRgb colour, int from = 3) {
        int left = image.width();
        int right = -1;
        for (int y = 3; y < image.height() - 3; ++y)
            for (int x = from; x < image.width() - 3; ++x)
                if (image.pixel(x, y) == colour)
                    left = std::min(left, x), right = std::max(right, x);
        return std::pair { left, right };
    };
    const auto [glyphLeft, glyphRight] = columns(Render(button), qRgb(0, 0, 160));
    const auto [arrowLeft, arrowRight] = columns(Render(button), Rgb(clRed));
    ASSERT_LE(glyphLeft, glyphRight);
    ASSERT_LE(arrowLeft, arrowRight);
    EXPECT_GT(arrowLeft, glyphRight);
    EXPECT_EQ(arrowRight - arrowLeft + 1, 2 * 3 - 1);  // size 3 is five pixels wide
    button.setEnabled(false);
    const QImage disabled = Render(button);
    EXPECT_EQ(columns(disabled, Rgb(clRed)).second, -1);
    EXPECT_EQ(columns(disabled, Rgb(clGrayText), glyphRight + 1).first, arrowLeft);
    EXPECT_EQ(columns(disabled, Rgb(clHighlightText), glyphRight + 1).second, arrowRight + 1);
}

TEST(ExplorerButton, OffAnImagePanelShowsWhatLayUnderItWhenLastInvalidated)
{
    TQORSimplePanel panel;
    panel.resize(200, 100);
    panel.SetColor(clYellow);
    TQORSimplePanel below(&panel);
    below.setGeometry(20, 10, 40, 40);
    below.SetColor(clRed);
    TQORExplorerButton button(&panel);
    button.move(30, 20);
    EXPECT_EQ(Render(button).pixel(2, 20), Rgb(clRed));
    EXPECT_EQ(Render(button).pixel(40, 20), Rgb(clYellow));
    below.SetColor(clBlue);
    EXPECT_EQ(Render(button).pixel(2, 20), Rgb(clRed));  // the capture is kept until the button is invalidated
    button.Invalidate();
    EXPECT_EQ(Render(button).pixel(2, 20), Rgb(clBlue));
    button.move(100, 20);
    EXPECT_EQ(Render(button).pixel(2, 20), Rgb(clYellow));
}

TEST(MMButton, SeeThroughShowsItsParentAndOpaqueFillsWithItsColour)
{
    TQORBitmapList faces;
    faces.AddItem();
    faces.Bitmaps(0)->SetBitmap(Face(qRgb(0, 0, 160)));
    TQORSimplePanel panel;
    panel.resize(100, 100);
    panel.SetColor(clYellow);
    TQORCustomMMButton button(&panel);
    button.SetColor(clAqua);
    EXPECT_EQ(Render(button).pixel(1, 1), Rgb(clAqua));  // no face: the colour alone
    button.SetButtonFaceImageList(&faces);
    EXPECT_EQ(Render(button).pixel(1, 1), qRgb(255, 255, 255));  // an opaque face is drawn whole
    button.SetTransparent(true);
    EXPECT_EQ(Render(button).pixel(1, 1), Rgb(clYellow));
    EXPECT_EQ(Render(button).pixel(12, 12), qRgb(0, 0, 160));
    button.SetTransparent(false);
    EXPECT_EQ(Render(button).pixel(1, 1), qRgb(255, 255, 255));
}

TEST(MMButton, FaceEntriesAndTransparentColourRoundTripThroughAStream)
{
    TQORCustomMMButton button;
    for (int i = 0; i < 8; ++i)
        button.FaceEntries[static_cast<std::size_t>(i)] = { i + 1, 10 * i };
    button.FaceTransparentColor = 0x00FF00;
    TMemoryStream stream;
    button.WriteFaceIndices(stream);
    EXPECT_EQ(stream.Size(), 56);
    button.WriteFaceTransparentColor(stream);
    EXPECT_EQ(stream.Size(), 60);
    stream.SetPosition(0);
    TQORCustomMMButton copy;
    copy.ReadFaceIndices(stream);
    copy.ReadFaceTransparentColor(stream);
    for (std::size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(copy.FaceEntries[i].ListIndex, button.FaceEntries[i].ListIndex);
        EXPECT_EQ(copy.FaceEntries[i].ImageIndex, button.FaceEntries[i].ImageIndex);
    }
    EXPECT_EQ(copy.FaceEntries[7].ListIndex, 0);  // the eighth entry is not stored
    EXPECT_EQ(copy.FaceTransparentColor, 0x00FF00);
}

TEST(MMButton, ACutFaceStreamIsRefusedAndKeepsTheFaces)
{
    TQORCustomMMButton button;
    button.FaceEntries[0] = { 2, 3 };
    TMemoryStream stream;
    stream.WriteString(std::string(55, '\x01'));
    stream.SetPosition(0);
    EXPECT_THROW(button.ReadFaceIndices(stream), EReadError);
    EXPECT_EQ(button.FaceEntries[0].ListIndex, 2);
    EXPECT_EQ(button.FaceEntries[0].ImageIndex, 3);
    TMemoryStream colour;
    colour.WriteString("ab");
    colour.SetPosition(0);
    EXPECT_THROW(button.ReadFaceTransparentColor(colour), EReadError);
    EXPECT_EQ(button.FaceTransparentColor, 0xFFFFFF);
}

TEST(MMButton, StoredFacesOutOfRangeShowNoFace)
{
    TQORBitmapList faces;
    faces.AddItem();
    faces.Bitmaps(0)->SetBitmap(Face(qRgb(0, 0, 160)));
    TQORCustomMMButton button;
    button.SetColor(clAqua);
    button.SetButtonFaceImageList(&faces);
    button.FaceEntries[7] = { 5, 5 };  // not among the stored seven
    TMemoryStream stream;
    for (const std::int32_t value : { -1, 0, 0x7FFFFFFF, -0x7FFFFFFF - 1 })
        stream.WriteBuffer(&value, 4);
    stream.WriteString(std::string(40, '\xFF'));
    stream.SetPosition(0);
    button.ReadFaceIndices(stream);
    EXPECT_EQ(button.FaceEntries[0].ListIndex, -1);
    EXPECT_EQ(button.FaceEntries[1].ListIndex, 0x7FFFFFFF);
    for (const auto& s : kStates) {
        button.SetState(s.state);
        EXPECT_EQ(button.FaceFor(s.state), -1) << s.name;
        EXPECT_EQ(Render(button).pixel(12, 12), Rgb(clAqua)) << s.name;
        EXPECT_FALSE(button.HitTest(12, 12)) << s.name;
    }
}

TEST(MMButton, AStandardFaceListIsStoredByName)
{
    QORCreateContainer();
    TQORCustomMMButton button;
    EXPECT_FALSE(button.ButtonFaceStored());
    button.SetButtonFaceImageList(&QORContainer()->ImageList());
    EXPECT_TRUE(button.ButtonFaceStored());
    EXPECT_EQ(button.WriteButtonFace(), "QORIML30");
    TQORCustomMMButton copy;
    copy.ReadButtonFace("QORBML30");
    EXPECT_EQ(copy.ButtonFaceImageList(), &QORContainer()->BitmapList());
    copy.ReadButtonFace("../QORIML30");
    EXPECT_EQ(copy.ButtonFaceImageList(), nullptr);
    TQORBitmapList own;
    copy.SetButtonFaceImageList(&own);
    EXPECT_FALSE(copy.ButtonFaceStored());
    copy.SetButtonFaceImageList(nullptr);
    button.SetButtonFaceImageList(nullptr);
    QORFreeContainer();
}

TEST(SpeedButton, TextFreeScenesMatchTheirStoredPictures)
{
    TQORCustomSpeedButton speed;
    speed.SetColor(clBtnFace);
    speed.Glyph().SetBitmap(Arrow16());
    ExpectStoredPicture(Render(speed), "speedbutton-new-up");
    speed.SetState(4);
    ExpectStoredPicture(Render(speed), "speedbutton-new-held");
    speed.SetState(1);
    ExpectStoredPicture(Render(speed), "speedbutton-new-disabled");
    speed.FaceStyle = fsOldLook;
    speed.SetState(3);
    ExpectStoredPicture(Render(speed), "speedbutton-old-latched");

    TQOROfficeButton office;
    office.SetColor(clBtnFace);
    office.Glyph().SetBitmap(Arrow16());
    office.SetState(2);
    ExpectStoredPicture(Render(office), "officebutton-flat-hot");
}

TEST(ExplorerButton, TextFreeScenesMatchTheirStoredPictures)
{
    TQORBitmapList list;
    list.AddItem();
    QImage back(200, 100, QImage::Format_RGB32);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x)
            back.setPixel(x, y, qRgb(x, y, 90));
    list.Bitmaps(0)->SetBitmap(back);
    TQORBackPanel panel;
    panel.resize(200, 100);
    panel.SetImageList(&list);
    TQORExplorerButton button(&panel);
    button.move(30, 20);
    button.Glyph().SetBitmap(Arrow16());
    ExpectStoredPicture(Render(button), "explorerbutton-seethrough-up");
    button.SetState(2);
    ExpectStoredPicture(Render(button), "explorerbutton-seethrough-hot");
    button.SetState(4);
    ExpectStoredPicture(Render(button), "explorerbutton-seethrough-held");
}

TEST(MMButton, TextFreeScenesMatchTheirStoredPictures)
{
    TQORBitmapList faces;
    faces.AddItem();
    faces.AddItem();
    faces.Bitmaps(0)->SetBitmap(Face(qRgb(0, 0, 160)));
    faces.Bitmaps(1)->SetBitmap(Face(qRgb(160, 0, 0)));
    TQORSimplePanel panel;
    panel.resize(60, 60);
    panel.SetColor(clYellow);
    TQORCustomMMButton button(&panel);
    button.move(10, 10);
    button.SetTransparent(true);
    button.SetButtonFaceImageList(&faces);
    button.FaceEntries[4] = { 1, 0 };
    button.Glyph().SetBitmap(Arrow16());
    ExpectStoredPicture(Render(button), "mmbutton-seethrough-up");
    button.SetState(4);
    ExpectStoredPicture(Render(button), "mmbutton-seethrough-held");
}

TEST(ExplorerButton, AfterAClickTheCursorDecidesBetweenHotAndLatched)
{
    QWidget parent;
    parent.resize(200, 100);
    TQORExplorerButton button(&parent);
    button.move(10, 10);
    button.SetGroupIndex(1);
    button.SetAllowAllUp(true);
    int clicks = 0;
    button.OnClick = [&](TQORBaseGraphicButton*) { ++clicks; };
    QCursor::setPos(button.mapToGlobal(QPoint(5, 5)));
    ClickAt(button, { 5, 5 });
    EXPECT_TRUE(button.Pressed());
    EXPECT_EQ(button.State(), 2);  // still under the cursor: hot
    ClickAt(button, { 5, 5 });
    EXPECT_FALSE(button.Pressed());
    QCursor::setPos(button.mapToGlobal(QPoint(500, 500)));
    ClickAt(button, { 5, 5 });
    EXPECT_TRUE(button.Pressed());
    EXPECT_EQ(button.State(), 3);  // the cursor went away meanwhile: latched
    EXPECT_EQ(clicks, 3);

    // A plain button shows what the release decided, wherever the cursor is.
    TQORCustomSpeedButton plain(&parent);
    plain.SetGroupIndex(2);
    QCursor::setPos(plain.mapToGlobal(QPoint(5, 5)));
    ClickAt(plain, { 5, 5 });
    EXPECT_EQ(plain.State(), 3);
}

TEST(SpeedButton, DoubleClickReachesOnDblClickOnlyWhilePressed)
{
    QWidget parent;
    TQORCustomSpeedButton grouped(&parent);
    grouped.SetGroupIndex(1);
    grouped.SetAllowAllUp(true);
    TQORCustomSpeedButton plain(&parent);
    int doubles = 0;
    grouped.OnDblClick = [&](TQORBaseGraphicButton*) { ++doubles; };
    plain.OnDblClick = [&](TQORBaseGraphicButton*) { ++doubles; };
    // What a double click sends: press, release, double-click press, release.
    const auto doubleClick = [](QWidget& w) {
        ClickAt(w, { 5, 5 });
        Mouse(w, QEvent::MouseButtonDblClick, { 5, 5 });
        Mouse(w, QEvent::MouseButtonRelease, { 5, 5 });
    };
    doubleClick(plain);
    EXPECT_EQ(doubles, 0);
    doubleClick(grouped);  // the first click pressed it
    EXPECT_EQ(doubles, 1);
    EXPECT_FALSE(grouped.Pressed());  // the second released it
}

TEST(SpeedButton, MouseEventsReachTheirHandlersEvenOffTheShape)
{
    TQORCustomMMButton button;
    std::vector<std::string> seen;
    button.OnMouseDown = [&](TQORBaseGraphicButton*, TMouseButton b, TShiftState, int x, int y) {
        seen.push_back("down " + std::to_string(b) + " " + std::to_string(x) + "," + std::to_string(y));
    };
    button.OnMouseMove = [&](TQORBaseGraphicButton*, TShiftState, int x, int y) {
        seen.push_back("move " + std::to_string(x) + "," + std::to_string(y));
    };
    button.OnMouseUp = [&](TQORBaseGraphicButton*, TMouseButton, TShiftState, int x, int y) {
        seen.push_back("up " + std::to_string(x) + "," + std::to_string(y));
    };
    Mouse(button, QEvent::MouseButtonPress, { 3, 4 });
    Mouse(button, QEvent::MouseMove, { 6, 7 });
    Mouse(button, QEvent::MouseButtonRelease, { 8, 9 });
    EXPECT_EQ(seen, (std::vector<std::string> { "down 0 3,4", "move 6,7", "up 8,9" }));
    EXPECT_EQ(button.State(), 0);  // no face: nothing of the button was hit
}

TEST(SpeedButton, AnOwnGlyphDropsTheImageList)
{
    TQORBitmapList list;
    list.AddItem();
    QImage red(16, 16, QImage::Format_RGB32);
    red.fill(qRgb(200, 0, 0));
    red.setPixel(0, 15, qRgb(255, 0, 255));
    list.Bitmaps(0)->SetBitmap(red);
    TQORCustomSpeedButton button;
    button.SetImageList(&list);
    EXPECT_FALSE(button.IsGlyphStored());
    EXPECT_EQ(Render(button).pixel(12, 12), qRgb(200, 0, 0));
    button.SetGlyph(Arrow16());
    EXPECT_EQ(button.ImageList(), nullptr);
    EXPECT_TRUE(button.IsGlyphStored());
    EXPECT_EQ(Render(button).pixel(7, 7), qRgb(0, 0, 160));  // the arrow's first pixel, glyph centred
}

namespace {

// The rows and columns holding pixels of colour inside the face.
QRect InkOf(const QImage& image, QRgb colour)
{
    QRect box;
    for (int y = 3; y < image.height() - 3; ++y)
        for (int x = 3; x < image.width() - 3; ++x)
            if (image.pixel(x, y) == colour)
                box |= QRect(x, y, 1, 1);
    return box;
}

// Text is smoothed: its darker pixels.
QRect DarkInkOf(const QImage& image)
{
    QRect box;
    for (int y = 3; y < image.height() - 3; ++y)
        for (int x = 3; x < image.width() - 3; ++x)
            if (qGray(image.pixel(x, y)) < 100)
                box |= QRect(x, y, 1, 1);
    return box;
}

}  // namespace

TEST(SpeedButton, MultiLineCaptionWrapsToTheFaceWidth)
{
    TQORCustomSpeedButton button;
    button.resize(40, 80);
    button.SetColor(clBtnFace);
    button.SetCaption("ab cd ef gh");
    const QRect single = DarkInkOf(Render(button));
    button.SetMultiLine(true);
    const QRect wrapped = DarkInkOf(Render(button));
    SaveKitScreenshot(Render(button), "speedbutton-multiline-up");
    ASSERT_FALSE(single.isEmpty());
    ASSERT_FALSE(wrapped.isEmpty());
    EXPECT_GT(wrapped.height(), 2 * single.height());
}

TEST(SpeedButton, EnterColourShowsOnlyUnderTheMouse)
{
    TQORCustomSpeedButton button;
    button.resize(40, 25);
    button.SetColor(clBtnFace);
    button.SetCaption("WW");
    button.SetEnterColor(clRed);
    button.SetEnterColorChange(true);
    EXPECT_TRUE(InkOf(Render(button), Rgb(clRed)).isEmpty());
    button.SetState(2);
    EXPECT_FALSE(InkOf(Render(button), Rgb(clRed)).isEmpty());
    button.SetEnterColorChange(false);
    EXPECT_TRUE(InkOf(Render(button), Rgb(clRed)).isEmpty());
}
