#include "kit/qorforma.h"

#include "kit/qorapplication.h"
#include "kit/qoroneinsterror.h"
#include "kit/qorscreen.h"
#include "platform/rtl/eventloop.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/stringlist.h"
#include "platform/testing/scratch.h"
#include "platform/ui/colortext.h"
#include "platform/ui/form.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QUrl>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

class QorFormA : public ::testing::Test {
protected:
    void SetUp() override
    {
        qorscreen::SetSize(1024, 768);
        ini.SetTarget(itIniFile);
    }
    void TearDown() override { qorscreen::SetSize(0, 0); }

    // A form whose component keeps its values in ini.
    std::unique_ptr<TQORForm> Attach(TForm& form)
    {
        auto component = std::make_unique<TQORForm>(&form);
        component->SetIniUse(ioUseLink);
        component->SetIniLink(&ini);
        return component;
    }

    std::string Stored(const std::string& key) { return TIniFile(ini.IniPath()).ReadString("Common", key, ""); }
    void Store(const std::string& key, const std::string& value) { TIniFile(ini.IniPath()).WriteString("Common", key, value); }

    ScratchDirs dirs;
    TQORIniCtrl ini;
};

}  // namespace

TEST_F(QorFormA, StartsWithItsDefaults)
{
    TForm form("Form14");
    TQORForm component(&form);
    EXPECT_FALSE(component.AcceptFiles());
    EXPECT_EQ(component.Effect(), deNone);
    EXPECT_EQ(component.IniLink(), nullptr);
    EXPECT_EQ(component.IniUse(), ioNone);
    EXPECT_EQ(component.IniSaveOptions(), unsigned(soPos | soSize | soState));
    EXPECT_EQ(component.Section(), "Common");
    EXPECT_EQ(component.IniKey(), "Form14");
    EXPECT_EQ(component.DesignPPI(), 96);
    EXPECT_EQ(component.Options(), unsigned(foAutoShow));
    EXPECT_EQ(TQORForm(nullptr).IniKey(), "Form");
}

TEST_F(QorFormA, NegativeLimitsDivideTheScreen)
{
    TForm form;
    TQORForm component(&form);
    component.Loaded();
    component.SetTrackMaxWidth(-2);
    EXPECT_EQ(component.EffectiveLimit(1), 512);
    component.SetTrackMinWidth(-3);
    EXPECT_EQ(component.EffectiveLimit(3), 341);
    component.SetTrackMaxHeight(-101);
    EXPECT_EQ(component.TrackMaxHeight(), 0);
    EXPECT_EQ(form.maximumWidth(), 512);
    EXPECT_EQ(form.minimumWidth(), 341);
}

TEST_F(QorFormA, MaximumBelowMinimumIsRefused)
{
    TForm form;
    TQORForm component(&form);
    component.SetTrackMinWidth(300);
    component.SetTrackMaxWidth(200);
    EXPECT_EQ(component.TrackMaxWidth(), 0);
    component.SetTrackMaxHeight(400);
    component.SetTrackMinHeight(500);
    EXPECT_EQ(component.TrackMinHeight(), 0);
    component.SetTrackMaxWidth(5000);
    EXPECT_EQ(component.EffectiveLimit(1), 1024) << "a maximum beyond the screen is the screen";
}

TEST_F(QorFormA, DisplayChangeRecomputesTheLimits)
{
    TForm form;
    TQORForm component(&form);
    component.Loaded();
    component.SetTrackMaxWidth(-2);
    int reported = 0;
    component.OnDisplayChange = [&](TQORForm*, WORD x, WORD, WORD) { reported = x; };
    TMessage message { WM_DISPLAYCHANGE, 32, (600 << 16) | 800, 0 };
    component.DeliverMessage(message);
    EXPECT_EQ(component.EffectiveLimit(1), 400);
    EXPECT_EQ(reported, 800);
}

TEST_F(QorFormA, TrackInfoEventDecidesTheLimits)
{
    TForm form;
    TQORForm component(&form);
    component.SetTrackMinWidth(100);
    component.OnTrackInfo = [](TQORForm*, int& minW, int& minH, int& maxW, int& maxH) {
        EXPECT_EQ(minW, 100);
        minW = 150;
        minH = 120;
        maxW = 600;
        maxH = 500;
    };
    component.OnMaximizeInfo = [](TQORForm*, int& x, int& y, int& w, int& h) {
        x = 5;
        y = 6;
        w = 700;
        h = 600;
    };
    MINMAXINFO info {};
    TMessage message { WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info), 0 };
    component.DeliverMessage(message);
    EXPECT_EQ(info.ptMinTrackSize.x, 150);
    EXPECT_EQ(info.ptMaxTrackSize.y, 500);
    EXPECT_EQ(info.ptMaxPosition.x, 5);
    EXPECT_EQ(info.ptMaxSize.x, 700);
    component.Loaded();
    EXPECT_EQ(form.minimumWidth(), 150);
    EXPECT_EQ(form.maximumHeight(), 500);
}

TEST_F(QorFormA, OffScreenPlacementComesBack)
{
    Store("Form1", "200,0,1,5000,20,5400,320");
    TForm form;
    auto component = Attach(form);
    component->Loaded();
    form.Show();
    EXPECT_EQ(form.Left(), 512);
    EXPECT_EQ(form.Left() + form.Width(), 1024);
    EXPECT_EQ(form.Top(), 20);
}

TEST_F(QorFormA, AMaximisedPlacementKeepsItsNormalRectangle)
{
    Store("Form1", "200,0,3,100,50,500,350");
    {
        TForm& form = *new TForm;
        auto component = Attach(form);
        component->SetIniSaveOptions(soPos | soSize | soState);
        component->SetOptions(foAutoShow);
        component->Loaded();
        form.Show();
        EXPECT_EQ(form.WindowState(), wsMaximized);
        form.SetWindowState(wsNormal);
        EXPECT_EQ(form.Left(), 100);
        EXPECT_EQ(form.Top(), 50);
        EXPECT_EQ(form.Width(), 400);
        EXPECT_EQ(form.Height(), 300);
        form.SetWindowState(wsMaximized);
        component->SaveValues();
        form.Free();
    }
    EXPECT_EQ(Stored("Form1"), "200,0,3,100,50,500,350");
}

TEST_F(QorFormA, NegativePlacementIsClampedToTheScreen)
{
    Store("Form1", "200,0,1,-50,-20,300,200");
    TForm form;
    auto component = Attach(form);
    component->Loaded();
    form.Show();
    EXPECT_EQ(form.Left(), 0);
    EXPECT_EQ(form.Top(), 0);
    EXPECT_EQ(form.Width(), 300);
}

TEST_F(QorFormA, MalformedPlacementsAreNotApplied)
{
    for (const char* bad : { "200,0,1,10,20,410", "100,0,1,10,20,410,320", "200,0,1,x,20,410,320",
             "200,0,1,400,20,10,320", "200,0,99,10,20,410,320", "" }) {
        TForm& form = *new TForm;
        form.SetBounds(7, 8, 150, 90);
        auto component = Attach(form);
        component->SetOptions(foAutoShow | foAutoCenter);
        int noData = 0;
        component->OnNoRestoreData = [&](TQORForm*) { ++noData; };
        component->Loaded();
        Store("Form1", bad);
        form.Show();
        EXPECT_EQ(form.Width(), 150) << bad;
        EXPECT_EQ(form.Left(), (1024 - 150) / 2) << "centred: " << bad;
        EXPECT_EQ(noData, 1) << bad;
        form.Free();
    }
}

TEST_F(QorFormA, PositionAloneKeepsTheWidth)
{
    Store("Form1", "200,0,1,100,50,900,700");
    TForm form;
    form.SetBounds(0, 0, 250, 120);
    auto component = Attach(form);
    component->SetIniSaveOptions(soPos);
    component->Loaded();
    form.Show();
    EXPECT_EQ(form.Left(), 100);
    EXPECT_EQ(form.Top(), 50);
    EXPECT_EQ(form.Width(), 250);
    EXPECT_EQ(form.Height(), 120);
}

TEST_F(QorFormA, SizeAloneKeepsThePosition)
{
    TForm form;
    form.SetBounds(30, 40, 250, 120);
    auto component = Attach(form);
    component->SetIniSaveOptions(soSize);
    component->Loaded();
    form.Show();
    const int left = form.Left();
    const int top = form.Top();
    form.Hide();
    Store("Form1", "200,0,1,100,50,400,250");
    form.Show();
    EXPECT_EQ(form.Left(), left);
    EXPECT_EQ(form.Top(), top);
    EXPECT_EQ(form.Width(), 300);
    EXPECT_EQ(form.Height(), 200);
}

TEST_F(QorFormA, SavingWithoutColourRemovesAStaleColour)
{
    Store("Form1Color", "clRed");
    Store("Form1Font", "Arial,9,clRed,0,0,0,0");
    TForm& form = *new TForm;
    form.SetBounds(10, 20, 400, 300);
    auto component = Attach(form);
    component->Loaded();
    form.Show();
    form.Free();
    EXPECT_EQ(Stored("Form1"), "200,0,1,10,20,410,320");
    EXPECT_FALSE(TIniFile(ini.IniPath()).ValueExists("Common", "Form1Color"));
    EXPECT_FALSE(TIniFile(ini.IniPath()).ValueExists("Common", "Form1Font"));
}

TEST_F(QorFormA, NarrowFormIsWidenedOnShow)
{
    TForm form;
    form.SetBounds(0, 0, 100, 100);
    TQORForm component(&form);
    component.Loaded();
    component.SetTrackMinWidth(200);
    form.setMinimumSize(0, 0);
    form.SetBounds(0, 0, 100, 100);
    form.Show();
    EXPECT_EQ(form.Width(), 200);
}

TEST_F(QorFormA, ColourAndFontTravelWithThePlacement)
{
    {
        TForm& form = *new TForm;
        form.SetBounds(10, 20, 300, 200);
        form.SetColor(clTeal);
        form.SetFont(TFontSpec("Arial", 12, fsItalic, clBlue));
        auto component = Attach(form);
        component->SetIniSaveOptions(soPos | soSize | soColor | soFont);
        component->Loaded();
        form.Show();
        form.Free();
    }
    EXPECT_EQ(Stored("Form1Color"), "clTeal");
    EXPECT_EQ(Stored("Form1Font"), "Arial,12,clBlue,0,1,0,0");
    TForm& again = *new TForm;
    auto component = Attach(again);
    component->SetIniSaveOptions(soPos | soSize | soColor | soFont);
    component->Loaded();
    again.Show();
    EXPECT_EQ(again.Color(), clTeal);
    EXPECT_EQ(again.Font().Size(), 12);
    EXPECT_EQ(again.Font().Style, unsigned(fsItalic));
    EXPECT_EQ(again.Width(), 300);
    again.Free();
}

TEST_F(QorFormA, BadStoredColourOrFontLeavesTheForm)
{
    Store("Form1Color", "purplish");
    for (const char* font : { "Arial,12,notacolour,1,0,0,0", "Arial,-5,clRed,1,0,0,0", "Arial,99999,clRed,0,0,0,0", "Arial,1" }) {
        Store("Form1Font", font);
        TForm& form = *new TForm;
        const TFontSpec before = form.Font();
        auto component = Attach(form);
        component->SetIniSaveOptions(soColor | soFont);
        bool ownShow = false;
        form.OnShow = [&] { ownShow = true; };
        component->Loaded();
        form.Show();
        EXPECT_TRUE(ownShow) << font;
        EXPECT_EQ(form.Color(), clBtnFace) << font;
        EXPECT_EQ(form.Font(), before) << font;
        form.Free();
    }
}

TEST_F(QorFormA, RestoreOnceStillCallsTheFormsOwnShow)
{
    Store("Form1", "200,0,1,10,20,410,320");
    TForm form;
    auto component = Attach(form);
    component->SetOptions(foAutoShow | foRestoreOnce);
    int shows = 0;
    form.OnShow = [&] { ++shows; };
    component->Loaded();
    form.Show();
    form.Hide();
    Store("Form1", "200,0,1,50,60,450,360");
    form.Show();
    EXPECT_EQ(shows, 2);
    EXPECT_EQ(form.Left(), 10) << "restored only once";
}

TEST_F(QorFormA, ThreeDroppedFilesKeepTheirNames)
{
    TForm form;
    TQORForm component(&form);
    component.SetAcceptFiles(true);
    component.Loaded();
    EXPECT_TRUE(form.AcceptFiles());
    int count = 0;
    std::vector<std::string> names;
    component.OnFMDragDrop = [&](TQORForm*, int fcount, int, int, TStringList* list) {
        count = fcount;
        for (int i = 0; i < list->Count(); ++i)
            names.push_back((*list)[i]);
    };
    QMimeData data;
    const std::string longName = "/tmp/" + std::string(300, 'l');
    data.setUrls({ QUrl::fromLocalFile("/tmp/Mixed.Case"), QUrl::fromLocalFile("/tmp/b.txt"), QUrl::fromLocalFile(QString::fromStdString(longName)) });
    form.Show();
    QDragEnterEvent enter(QPoint(5, 6), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &enter);
    QDropEvent drop(QPointF(5, 6), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &drop);
    EXPECT_EQ(count, 3);
    ASSERT_EQ(names.size(), 2u) << "a name of 255 characters or more is skipped";
    EXPECT_EQ(names[0], "/tmp/Mixed.Case");
    EXPECT_EQ(names[1], "/tmp/b.txt");
}

TEST_F(QorFormA, CancelledMoveGoesBack)
{
    TForm form;
    form.SetBounds(10, 10, 100, 100);
    form.Show();
    TQORForm component(&form);
    component.Loaded();
    int moves = 0;
    component.OnMove = [&](TQORForm*) { ++moves; };
    component.OnMoving = [](TQORForm*, int x, int, bool& cancel) { cancel = x > 500; };
    form.SetBounds(50, 10, 100, 100);
    QCoreApplication::processEvents();
    EXPECT_EQ(form.Left(), 50);
    form.SetBounds(600, 10, 100, 100);
    QCoreApplication::processEvents();
    EXPECT_EQ(form.Left(), 50);
    EXPECT_GE(moves, 1);
}

TEST_F(QorFormA, SizeEventsReportTheClientSize)
{
    TForm form;
    TQORForm component(&form);
    component.Loaded();
    int w = 0;
    int h = 0;
    component.OnSize = [&](TQORForm*, WORD x, WORD y, WORD) {
        w = x;
        h = y;
    };
    form.SetBounds(0, 0, 321, 123);
    form.Show();
    QCoreApplication::processEvents();
    EXPECT_EQ(w, 321);
    EXPECT_EQ(h, 123);
}

TEST_F(QorFormA, MessagesWithoutAPlatformSourceStillReachTheirEvents)
{
    TForm form;
    TQORForm component(&form);
    component.Loaded();
    std::string section;
    int spooler = 0;
    component.OnIniChange = [&](TQORForm*, const std::string& s) { section = s; };
    component.OnSpoolerStatus = [&](TQORForm*, int v) { spooler = v; };
    component.OnAPMSuspendRequest = [](TQORForm*, bool& cancel) { cancel = true; };
    const char* name = "windows";
    TMessage ini { WM_WININICHANGE, 0, reinterpret_cast<LPARAM>(name), 0 };
    component.DeliverMessage(ini);
    TMessage spool { WM_SPOOLERSTATUS, 0, 7, 0 };
    component.DeliverMessage(spool);
    TMessage power { WM_POWER, PWR_SUSPENDREQUEST, 0, 0 };
    component.DeliverMessage(power);
    EXPECT_EQ(section, "windows");
    EXPECT_EQ(spooler, 7);
    EXPECT_EQ(power.Result, -1);
}

TEST_F(QorFormA, ExplodeEffectRunsOnShow)
{
    TForm form;
    form.SetBounds(100, 100, 200, 150);
    TQORForm component(&form);
    component.SetEffect(deExplodeExt);
    component.Loaded();
    const auto before = QApplication::topLevelWidgets().size();
    form.Show();
    EXPECT_TRUE(form.Visible());
    EXPECT_EQ(QApplication::topLevelWidgets().size(), before);
}

TEST_F(QorFormA, SavedOnDestroyAndRestoredThroughALink)
{
    {
        TForm& form = *new TForm;
        form.SetBounds(40, 50, 333, 222);
        TQORIniCtrl link(&form);
        link.SetTarget(itIniFile);
        TQORForm component(&form);
        component.SetIniUse(ioUseLink);
        component.Loaded();
        EXPECT_EQ(component.IniLink(), &link) << "the form's one control becomes the link";
        form.Show();
        form.Free();
    }
    TForm& form = *new TForm;
    TQORForm component(&form);
    component.SetIniUse(ioUseLink);
    component.Loaded();
    EXPECT_EQ(component.IniLink(), nullptr);
    TQORIniCtrl late(&form);
    late.SetTarget(itIniFile);
    EXPECT_EQ(component.IniLink(), &late) << "a control placed later is taken";
    form.Show();
    EXPECT_EQ(form.Left(), 40);
    EXPECT_EQ(form.Width(), 333);
    form.Free();
}

TEST_F(QorFormA, LinkThatGoesAwayIsForgotten)
{
    TForm form;
    TQORForm component(&form);
    component.SetIniUse(ioUseLink);
    {
        TQORIniCtrl link;
        component.SetIniLink(&link);
        EXPECT_EQ(component.Settings(), &link);
    }
    EXPECT_EQ(component.IniLink(), nullptr);
    component.Notification(&ini, opInsert);
    EXPECT_EQ(component.IniLink(), &ini);
    component.Notification(&ini, opRemove);
    EXPECT_EQ(component.IniLink(), nullptr);
}

TEST_F(QorFormA, SavedAndRestoredThroughTheGlobalControl)
{
    QORInitialize();
    QORApplication()->IniCtrl().SetTarget(itIniFile);
    {
        TForm& form = *new TForm("Form7");
        form.SetBounds(70, 80, 260, 180);
        TQORForm component(&form);
        component.SetIniUse(ioUseGlobal);
        component.Loaded();
        form.Show();
        form.Free();
    }
    EXPECT_EQ(TIniFile(QORApplication()->IniCtrl().IniPath()).ReadString("Common", "Form7", ""), "200,0,1,70,80,330,260");
    TForm& form = *new TForm("Form7");
    TQORForm component(&form);
    component.SetIniUse(ioUseGlobal);
    component.Loaded();
    form.Show();
    EXPECT_EQ(form.Top(), 80);
    EXPECT_EQ(form.Height(), 180);
    form.Free();
    QORFinalize();
}

TEST_F(QorFormA, NothingIsStoredWithoutASettingsControl)
{
    TForm& form = *new TForm;
    TQORForm component(&form);
    component.Loaded();
    form.Show();
    form.Free();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(ini.IniPath())));
}

namespace {

void SaveShot(const QImage& image, const QString& name)
{
    const QString dir = QStringLiteral(KORVO_BUILD_DIR "/screenshots");
    QDir().mkpath(dir);
    ASSERT_TRUE(image.save(dir + "/" + name));
}

void Activate(TQORFormStyler& styler, bool active)
{
    TMessage message { WM_NCACTIVATE, active ? WPARAM(1) : WPARAM(0), 0, 0 };
    styler.DeliverMessage(message);
}

// Pixels of the text colour inside the caption's text area.
int Ink(const QImage& image, QColor color)
{
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == color)
                ++ink;
    return ink;
}

}  // namespace

TEST_F(QorFormA, StylerStartsWithItsDefaults)
{
    TForm form;
    TQORFormStyler styler(&form);
    EXPECT_EQ(styler.Alignment(), taLeftJustify);
    EXPECT_EQ(styler.Colors(), 32);
    EXPECT_TRUE(styler.Enabled());
    EXPECT_EQ(styler.PaintMode(), pcControl);
    EXPECT_EQ(styler.Options(), unsigned(fsAdjustRect | fsUseDefaultFont));
    EXPECT_EQ(styler.Font3D().Style(), tdNone);
    styler.SetColors(1);
    styler.SetColors(237);
    EXPECT_EQ(styler.Colors(), 32);
}

TEST_F(QorFormA, ActiveCaptionGetsAGradientAndWhiteText)
{
    TForm form;
    form.SetCaption("Korvo Styler");
    form.SetBounds(0, 0, 300, 120);
    form.Show();
    TQORFormStyler styler(&form);
    styler.Loaded();
    Activate(styler, true);
    const QImage& image = styler.CaptionImage();
    ASSERT_EQ(image.width(), 300);
    SaveShot(image, "kit_styler_active.png");
    EXPECT_EQ(form.Caption(), "Korvo Styler") << "the title bar keeps the real caption";
    EXPECT_EQ(styler.CaptionText(), "Korvo Styler");
    const int y = image.height() / 2;
    EXPECT_EQ(image.pixelColor(5, y), QColor(0, 0, 0)) << "the gradient starts black";
    EXPECT_EQ(image.pixelColor(294, y), ToQColor(clActiveCaption)) << "and ends in the caption colour";
    EXPECT_GT(Ink(image, Qt::white), 20);
}

TEST_F(QorFormA, InactiveCaptionHasNoGradient)
{
    TForm form;
    form.SetCaption("Korvo Styler");
    form.SetBounds(0, 0, 300, 120);
    form.Show();
    TQORFormStyler styler(&form);
    styler.Loaded();
    Activate(styler, false);
    const QImage& image = styler.CaptionImage();
    SaveShot(image, "kit_styler_inactive.png");
    const int y = image.height() / 2;
    EXPECT_EQ(image.pixelColor(5, y), ToQColor(clInactiveCaption));
    EXPECT_EQ(image.pixelColor(150, y + 6), ToQColor(clInactiveCaption));
    EXPECT_GT(Ink(image, ToQColor(clInactiveCaptionText)), 20) << "the text is still drawn";

    styler.SetOptions(styler.Options() | fsInactiveGradient);
    EXPECT_EQ(styler.CaptionImage().pixelColor(5, y), QColor(0, 0, 0)) << "unless asked for";
}

TEST_F(QorFormA, AlignmentMovesTheCaptionText)
{
    TForm form;
    form.SetCaption("Hi");
    form.SetBounds(0, 0, 300, 120);
    TQORFormStyler styler(&form);
    styler.Loaded();
    Activate(styler, true);
    auto rightmostInk = [&] {
        const QImage& image = styler.CaptionImage();
        int right = -1;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) == QColor(Qt::white))
                    right = std::max(right, x);
        return right;
    };
    const int left = rightmostInk();
    styler.SetAlignment(taRightJustify);
    EXPECT_GT(rightmostInk(), left + 100);
}

TEST_F(QorFormA, OwnerDrawnCaptionCallsItsEvents)
{
    TForm form;
    form.SetBounds(0, 0, 300, 120);
    TQORFormStyler styler(&form);
    qorprocs::TRect bar;
    qorprocs::TRect text;
    styler.OnPaint = [&](TQORFormStyler*, QPainter& canvas, const qorprocs::TRect& dest) {
        bar = dest;
        canvas.fillRect(QRect(0, 0, 1000, 1000), Qt::green);
    };
    styler.OnCaptionPaint = [&](TQORFormStyler*, QPainter&, const qorprocs::TRect& dest) { text = dest; };
    styler.SetPaintMode(pcOwnerDraw);
    styler.Loaded();
    EXPECT_EQ(bar.Left, 4);
    EXPECT_GT(text.Width(), 0);
    EXPECT_EQ(text.Right, bar.Right) << "the bar is cut to the text's right edge";
    EXPECT_EQ(styler.CaptionImage().pixelColor(0, 0), ToQColor(clInactiveBorder)) << "painting stays inside the bar";
    EXPECT_EQ(styler.CaptionImage().pixelColor(10, 10), QColor(Qt::green));
}

TEST_F(QorFormA, StyleChangesRepaintUnlessTheDefaultFontIsUsed)
{
    TForm form;
    form.SetBounds(0, 0, 300, 120);
    TQORFormStyler styler(&form);
    int paints = 0;
    styler.OnCaptionPaint = [&](TQORFormStyler*, QPainter&, const qorprocs::TRect&) { ++paints; };
    styler.SetOptions(fsUseDefaultFont | fsDrawCaptionEvent);
    styler.Loaded();
    paints = 0;
    styler.Font3D().SetStyle(tdRaised);
    EXPECT_EQ(paints, 0);
    styler.SetOptions(fsDrawCaptionEvent);
    paints = 0;
    styler.Font3D().SetStyle(tdSunken);
    styler.SetFont(TFontSpec("Arial", 10));
    EXPECT_EQ(paints, 2);
    styler.SetColors(16);
    EXPECT_EQ(paints, 3);
    styler.SetPaintMode(pcNone);
    styler.SetAlignment(taCenter);
    styler.SetColors(20);
    EXPECT_EQ(paints, 3);
}

TEST_F(QorFormA, StylerAnswersABlankCaptionText)
{
    TForm form;
    form.SetCaption("Real");
    TQORFormStyler styler(&form);
    styler.Loaded();
    char buffer[16] = "xxxxxxxx";
    TMessage get { WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer), 0 };
    EXPECT_FALSE(styler.DeliverMessage(get));
    EXPECT_EQ(get.Result, 1);
    EXPECT_STREQ(buffer, " ");
    styler.SetOptions(styler.Options() | fsUseFormCaption);
    TMessage length { WM_GETTEXTLENGTH, 0, 0, 0 };
    EXPECT_TRUE(styler.DeliverMessage(length));
}

TEST_F(QorFormA, SecondComponentOnAFormIsRefused)
{
    TForm form;
    TQORForm first(&form);
    TQORFormStyler styler(&form);
    try {
        TQORForm second(&form);
        FAIL() << "a second form component was accepted";
    } catch (const QOREOneInstError& error) {
        EXPECT_NE(error.Message().find("TQORForm"), std::string::npos);
    }
    EXPECT_THROW(TQORFormStyler again(&form), QOREOneInstError);
    TForm other;
    TQORForm elsewhere(&other);
    EXPECT_EQ(elsewhere.OwnerForm(), &other);
}

TEST_F(QorFormA, SystemColourAndFontChangesReachTheirEvents)
{
    TForm form;
    TQORForm component(&form);
    component.Loaded();
    int colours = 0;
    int fonts = 0;
    component.OnSysColorChange = [&](TQORForm*) { ++colours; };
    component.OnFontChange = [&](TQORForm*) { ++fonts; };
    const QPalette palette = QApplication::palette();
    const QFont font = QApplication::font();
    QPalette changed = palette;
    changed.setColor(QPalette::Window, Qt::darkCyan);
    QApplication::setPalette(changed);
    QFont bigger = font;
    bigger.setPointSize(font.pointSize() + 3);
    QApplication::setFont(bigger);
    QApplication::setPalette(palette);
    QApplication::setFont(font);
    EXPECT_GE(colours, 1);
    EXPECT_GE(fonts, 1);
}

// Under a real window manager the frame comes after the window asks for its place:
// each reopening must still put the frame where it was when the form closed. The
// test runs itself again on its own X server with a small window manager.
TEST_F(QorFormA, UnderAWindowManagerAFormReopensWhereItClosed)
{
    if (std::getenv("KORVO_UNDER_WINDOW_MANAGER")) {
        for (int opening = 1; opening <= 3; ++opening) {
            TForm& form = *new TForm("Placed");
            if (opening == 1)
                form.SetBounds(100, 120, 300, 200);
            const auto component = Attach(form);
            component->Loaded();
            form.Show();
            // Framed (the window manager has put its frame round the window) and settled where it was.
            const bool placed = Application::ProcessMessagesUntil([&] {
                return form.Top() != form.geometry().y() && form.Left() == 100 && form.Top() == 120;
            }, 5000);
            EXPECT_TRUE(placed) << "opening " << opening << " framed at " << form.Left() << "," << form.Top();
            form.Free();
        }
        return;
    }
    const QString xvfb = QStandardPaths::findExecutable("Xvfb");
    const QString manager = QStandardPaths::findExecutable("openbox");
    if (xvfb.isEmpty() || manager.isEmpty())
        GTEST_SKIP() << "Xvfb and openbox are not installed: placement under a window manager is not tested";
    QProcess server;
    server.start(xvfb, { "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp" });
    ASSERT_TRUE(server.waitForStarted(10000));
    QByteArray number;
    ASSERT_TRUE(Application::ProcessMessagesUntil([&] {
        server.waitForReadyRead(100);
        number += server.readAllStandardOutput();
        return number.contains('\n');
    }, 20000)) << "Xvfb gave no display";
    const QString display = ":" + QString::fromLatin1(number.trimmed());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display);
    // The window manager runs its start-up command once it manages the screen.
    const QString ready = QString::fromStdString(dirs.root() + "/manager-ready");
    QProcess wm;
    wm.setProcessEnvironment(env);
    wm.start(manager, { "--sm-disable", "--startup", "touch " + ready });
    ASSERT_TRUE(wm.waitForStarted(10000));
    const bool managing = Application::ProcessMessagesUntil([&] { return QFile::exists(ready); }, 20000);
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("KORVO_UNDER_WINDOW_MANAGER", "1");
    QProcess self;
    self.setProcessEnvironment(env);
    self.setProcessChannelMode(QProcess::MergedChannels);
    if (managing)
        self.start(QCoreApplication::applicationFilePath(), { "--gtest_filter=QorFormA.UnderAWindowManagerAFormReopensWhereItClosed" });
    const bool ended = managing && self.waitForFinished(120000);
    const QByteArray output = self.readAll();
    self.kill();
    // Asked to end, the X server removes its socket under /tmp; killed, it leaves it.
    for (QProcess* process : { &wm, &server }) {
        process->terminate();
        if (!process->waitForFinished(10000))
            process->kill();
        process->waitForFinished();
    }
    ASSERT_TRUE(managing) << "openbox did not start";
    ASSERT_TRUE(ended) << output.toStdString();
    EXPECT_EQ(self.exitCode(), 0) << output.toStdString();
}
