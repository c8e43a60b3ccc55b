#include "platform/ui/form.h"

#include "platform/win/windowlist.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

void saveScreenshot(QWidget& widget, const QString& name)
{
    const QString dir = QStringLiteral(KORVO_BUILD_DIR "/screenshots");
    QDir().mkpath(dir);
    widget.grab().save(dir + "/" + name + ".png");
}

void click(QWidget* widget, QPoint at, Qt::MouseButton button = Qt::LeftButton)
{
    QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), button, button, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, widget->mapToGlobal(at), button, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &release);
}

}  // namespace

TEST(Form, CloseAsksCloseQueryThenOnCloseAndHidesByDefault)
{
    auto* form = new TForm;
    std::vector<std::string> calls;
    form->OnCloseQuery = [&](bool&) { calls.push_back("query"); };
    form->OnClose = [&](TCloseAction& action) {
        calls.push_back("close");
        EXPECT_EQ(action, caHide);
    };
    form->Show();
    form->Close();
    EXPECT_EQ(calls, (std::vector<std::string> { "query", "close" }));
    EXPECT_FALSE(form->Visible());
    form->Free();
}

TEST(Form, RefusedCloseQueryKeepsTheFormOpenWithoutOnClose)
{
    auto* form = new TForm;
    bool closed = false;
    form->OnCloseQuery = [](bool& canClose) { canClose = false; };
    form->OnClose = [&](TCloseAction&) { closed = true; };
    form->Show();
    form->Close();
    EXPECT_TRUE(form->Visible());
    EXPECT_FALSE(closed);
    form->Free();
}

TEST(Form, CloseActionFreeDeletesTheFormLaterAndRunsOnDestroy)
{
    QPointer<TForm> form = new TForm;
    bool destroyed = false;
    form->OnClose = [](TCloseAction& action) { action = caFree; };
    form->OnDestroy = [&] { destroyed = true; };
    form->Show();
    form->Close();
    EXPECT_FALSE(form.isNull()) << "freeing must wait until the handler has returned";
    EXPECT_FALSE(form->Visible());
    Application::ProcessMessagesUntil([&] { return form.isNull(); }, 2000);
    EXPECT_TRUE(form.isNull());
    EXPECT_TRUE(destroyed);
}

TEST(Form, CloseActionNoneKeepsTheFormShown)
{
    auto* form = new TForm;
    form->OnClose = [](TCloseAction& action) { action = caNone; };
    form->Show();
    form->Close();
    EXPECT_TRUE(form->Visible());
    form->Free();
}

TEST(Form, TheCloseBoxTakesTheSameRoadAsClose)
{
    QPointer<TForm> form = new TForm;
    int closes = 0;
    form->OnClose = [&](TCloseAction& action) {
        ++closes;
        action = caFree;
    };
    form->Show();
    form->close();  // what the window manager's close box does
    EXPECT_EQ(closes, 1);
    Application::ProcessMessagesUntil([&] { return form.isNull(); }, 2000);
    EXPECT_TRUE(form.isNull());
}

TEST(Form, ShowModalReturnsTheModalResultAHandlerSets)
{
    auto* form = new TForm;
    bool shownDuringLoop = false;
    QTimer::singleShot(0, form, [&] {
        shownDuringLoop = form->Visible() && form->IsModal();
        form->SetModalResult(mrOk);
    });
    EXPECT_EQ(form->ShowModal(), mrOk);
    EXPECT_TRUE(shownDuringLoop);
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(form->IsModal());
    form->Free();
}

TEST(Form, ModalFormStaysUntilCloseQueryAgrees)
{
    auto* form = new TForm;
    int queries = 0;
    form->OnCloseQuery = [&](bool& canClose) {
        ++queries;
        canClose = queries >= 2;
        if (!canClose)
            QTimer::singleShot(0, form, [form] { form->SetModalResult(mrYes); });
    };
    QTimer::singleShot(0, form, [form] { form->Close(); });
    EXPECT_EQ(form->ShowModal(), mrYes);
    EXPECT_EQ(queries, 2);
    form->Free();
}

TEST(Form, CaptionIsPublishedForLookupByTitleUntilTheFormIsFreed)
{
    const std::string title = "Form test window " + std::to_string(QCoreApplication::applicationPid());
    auto* form = new TForm;
    EXPECT_EQ(form->windowTitle(), " ") << "no caption is an empty title bar, not the program's name";
    form->SetCaption(title);
    EXPECT_EQ(form->windowTitle().toStdString(), title);
    EXPECT_TRUE(windowlist::TitleExists(title));
    form->SetCaption("");
    EXPECT_EQ(form->windowTitle(), " ");
    EXPECT_FALSE(windowlist::TitleExists(title));
    form->Free();
    EXPECT_FALSE(windowlist::TitleExists(title));
}

TEST(Form, BringingATitleToFrontRestoresAndShowsTheForm)
{
    const std::string title = "Form test raise " + std::to_string(QCoreApplication::applicationPid());
    auto* form = new TForm;
    form->SetCaption(title);
    EXPECT_FALSE(form->Visible());
    EXPECT_TRUE(windowlist::BringToFront(title));
    EXPECT_TRUE(Application::ProcessMessagesUntil([&] { return form->Visible(); }, 5000));
    EXPECT_NE(form->WindowState(), wsMinimized);
    form->Free();
}

TEST(Form, PostedUserMessagesReachWndProcAndWmCloseCloses)
{
    class Receiver final : public TForm {
    public:
        std::vector<UINT> seen;

    protected:
        void WndProc(TMessage& message) override
        {
            seen.push_back(message.Msg);
            TForm::WndProc(message);
        }
    };
    auto* form = new Receiver;
    bool closed = false;
    form->OnClose = [&](TCloseAction&) { closed = true; };
    form->Show();
    PostMessage(form->Handle(), WM_USER + 1111, 0, 0);
    PostMessage(form->Handle(), WM_CLOSE, 0, 0);
    Application::ProcessMessagesUntil([&] { return closed; }, 2000);
    EXPECT_EQ(form->seen, (std::vector<UINT> { WM_USER + 1111, WM_CLOSE }));
    EXPECT_TRUE(closed);
    EXPECT_FALSE(form->Visible());
    EXPECT_EQ(TForm::FromHandle(form->Handle()), form);
    form->Free();
}

TEST(Form, BoundsAreThePixelsGiven)
{
    auto* form = new TForm;
    form->SetBounds(10, 20, 300, 200);
    form->Show();
    EXPECT_EQ(form->Left(), 10);
    EXPECT_EQ(form->Top(), 20);
    EXPECT_EQ(form->Width(), 300);
    EXPECT_EQ(form->Height(), 200);
    EXPECT_EQ(form->ClientWidth(), 300);
    form->SetClientHeight(150);
    EXPECT_EQ(form->ClientHeight(), 150);
    form->Free();
}

TEST(Form, ScreenCenterPlacesTheFormInTheMiddleOfTheScreen)
{
    auto* form = new TForm;
    form->SetBounds(0, 0, 200, 100);
    form->SetPosition(poScreenCenter);
    form->Show();
    EXPECT_EQ(form->Left(), (Screen::Width() - 200) / 2);
    EXPECT_EQ(form->Top(), (Screen::Height() - 100) / 2);
    form->Free();
}

TEST(Form, StayOnTopAndDialogBorderReachTheWindowSystem)
{
    auto* form = new TForm;
    form->SetBounds(0, 0, 120, 80);
    form->SetFormStyle(fsStayOnTop);
    form->SetBorderStyle(bsDialog);
    EXPECT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(form->minimumSize(), form->maximumSize()) << "a dialog border cannot be resized";
    form->SetFormStyle(fsNormal);
    EXPECT_FALSE(form->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(form->ClientWidth(), 120);
    form->Free();
}

TEST(Form, KeyPreviewSeesAControlsKeysAndCanSwallowThem)
{
    auto* form = new TForm;
    auto* edit = new QLineEdit(form);
    edit->setObjectName("Edit1");
    form->SetKeyPreview(true);
    std::vector<WORD> keys;
    form->OnKeyDown = [&](WORD& key, TShiftState) {
        keys.push_back(key);
        if (key == VK_RETURN)
            key = 0;
    };
    form->OnKeyPress = [](char& key) {
        if (key == 'x')
            key = 0;
    };
    form->Show();
    edit->setFocus();
    auto type = [&](int qtKey, const QString& text) {
        QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier, text);
        QCoreApplication::sendEvent(edit, &press);
    };
    type(Qt::Key_A, "a");
    type(Qt::Key_X, "x");
    type(Qt::Key_Return, "\r");
    EXPECT_EQ(keys, (std::vector<WORD> { 'A', 'X', VK_RETURN }));
    EXPECT_EQ(edit->text(), "a") << "the swallowed x must not reach the edit";
    form->Free();
}

TEST(Form, MouseEventsGiveClientCoordinatesAndAClick)
{
    auto* form = new TForm;
    form->SetBounds(0, 0, 100, 100);
    int downX = -1, downY = -1, clicks = 0;
    TMouseButton downButton = mbMiddle;
    form->OnMouseDown = [&](TMouseButton button, TShiftState, int x, int y) {
        downButton = button;
        downX = x;
        downY = y;
    };
    form->OnClick = [&] { ++clicks; };
    form->Show();
    click(form, QPoint(30, 40));
    EXPECT_EQ(downButton, mbLeft);
    EXPECT_EQ(downX, 30);
    EXPECT_EQ(downY, 40);
    EXPECT_EQ(clicks, 1);
    click(form, QPoint(5, 5), Qt::RightButton);
    EXPECT_EQ(downButton, mbRight);
    EXPECT_EQ(clicks, 1) << "a right click is no click";
    form->Free();
}

TEST(Form, OnPaintDrawsOverTheFormColour)
{
    auto* form = new TForm;
    form->SetBounds(0, 0, 80, 60);
    form->SetColor(clNavy);
    form->OnPaint = [](QPainter& canvas) { canvas.fillRect(QRect(0, 0, 20, 20), ToQColor(clYellow)); };
    form->Show();
    saveScreenshot(*form, "form_onpaint");
    const QImage image = form->grab().toImage();
    EXPECT_EQ(image.pixelColor(5, 5), QColor(255, 255, 0));
    EXPECT_EQ(image.pixelColor(50, 40), QColor(0, 0, 128));
    form->Free();
}

TEST(Form, ScreenListsLiveFormsAndTheWorkArea)
{
    auto* form = new TForm("Form7");
    const auto forms = Screen::Forms();
    EXPECT_NE(std::find(forms.begin(), forms.end(), form), forms.end());
    EXPECT_EQ(form->objectName(), "Form7");
    form->Free();
    const auto after = Screen::Forms();
    EXPECT_EQ(std::find(after.begin(), after.end(), form), after.end());
    EXPECT_GT(Screen::WorkAreaWidth(), 0);
    EXPECT_LE(Screen::WorkAreaHeight(), Screen::Height());
}

TEST(Form, DroppedFilesReachOnDropFilesWithTheDropPoint)
{
    auto* form = new TForm;
    form->SetBounds(0, 0, 100, 100);
    form->SetAcceptFiles(true);
    std::vector<std::string> dropped;
    QPoint where;
    form->OnDropFiles = [&](const std::vector<std::string>& files, int x, int y) {
        dropped = files;
        where = QPoint(x, y);
    };
    form->Show();
    QMimeData mime;
    mime.setUrls({ QUrl::fromLocalFile("/tmp/notes.txt"), QUrl::fromLocalFile("/tmp/photo.gif") });
    QDragEnterEvent enter(QPoint(12, 34), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form, &enter);
    EXPECT_TRUE(enter.isAccepted()) << "a drag of files is welcome";
    QDropEvent drop(QPointF(12, 34), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form, &drop);
    EXPECT_EQ(dropped, (std::vector<std::string> { "/tmp/notes.txt", "/tmp/photo.gif" }));
    EXPECT_EQ(where, QPoint(12, 34));
    EXPECT_TRUE(form->AcceptFiles());
    form->Free();
}

TEST(Form, ShowingAnotherFormDeactivatesTheFirst)
{
    auto* first = new TForm("First");
    auto* second = new TForm("Second");
    int activated = 0, deactivated = 0;
    first->OnActivate = [&] { ++activated; };
    first->OnDeactivate = [&] { ++deactivated; };
    first->Show();
    EXPECT_TRUE(Application::ProcessMessagesUntil([&] { return activated == 1; }, 2000));
    second->Show();
    EXPECT_TRUE(Application::ProcessMessagesUntil([&] { return deactivated == 1; }, 2000));
    first->Activate();
    EXPECT_TRUE(Application::ProcessMessagesUntil([&] { return activated == 2; }, 2000));
    second->Free();
    first->Free();
}
