#include "kit-extra/qorspeedbutton.h"

#include "kit/qorapplication.h"
#include "platform/rtl/eventloop.h"
#include "platform/rtl/exceptions.h"
#include "platform/testing/scratch.h"
#include "screenshot.h"

#include <QCoreApplication>
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

QRgb Rgb(TColor color) { return ToQColor(color).rgb(); }

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
    button.Caption = "Go";
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
    button.Caption = std::string(100 * 1024, 'W');
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

TEST(SpeedButton, EnterAndLeaveFireTheirEventsAndLeaveEndsHot)
{
    TQORCustomSpeedButton button;
    int enters = 0;
    int exits = 0;
    button.OnMouseEnter = [&](TQORBaseGraphicButton*) { ++enters; };
    button.OnMouseExit = [&](TQORBaseGraphicButton*) { ++exits; };
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
