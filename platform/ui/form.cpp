#include "platform/ui/form.h"

#include "platform/rtl/codepage.h"
#include "platform/win/shell.h"
#include "platform/win/windowlist.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace {

std::vector<TForm*>& liveForms()
{
    static std::vector<TForm*> forms;
    return forms;
}

TForm*& mainForm()
{
    static TForm* form = nullptr;
    return form;
}

bool& terminated()
{
    static bool flag = false;
    return flag;
}

// An empty caption leaves the title bar empty; the desktop would put the program's name there.
QString desktopTitle(const std::string& caption)
{
    return caption.empty() ? QStringLiteral(" ") : codepage::ToUnicode(caption);
}

std::string& applicationTitle()
{
    static std::string title;
    return title;
}

void installActivationHandler()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    windowlist::SetActivationHandler([](std::uintptr_t windowId) {
        if (TForm* form = TForm::FromHandle(static_cast<HWND>(windowId)))
            form->Activate();
    });
}

TMouseButton buttonFromQt(Qt::MouseButton button)
{
    switch (button) {
    case Qt::RightButton: return mbRight;
    case Qt::MiddleButton: return mbMiddle;
    default: return mbLeft;
    }
}

QScreen* screen()
{
    return QGuiApplication::primaryScreen();
}

}  // namespace

WORD VirtualKeyFromQt(int qtKey)
{
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return static_cast<WORD>(qtKey);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return static_cast<WORD>(VK_F1 + (qtKey - Qt::Key_F1));
    switch (qtKey) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Pause: return VK_PAUSE;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    default: return 0;
    }
}

TShiftState ShiftFromQt(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons)
{
    TShiftState shift = 0;
    if (modifiers & Qt::ShiftModifier)
        shift |= ssShift;
    if (modifiers & Qt::AltModifier)
        shift |= ssAlt;
    if (modifiers & Qt::ControlModifier)
        shift |= ssCtrl;
    if (buttons & Qt::LeftButton)
        shift |= ssLeft;
    if (buttons & Qt::RightButton)
        shift |= ssRight;
    if (buttons & Qt::MiddleButton)
        shift |= ssMiddle;
    return shift;
}

TForm::TForm(std::string name)
    : QWidget(nullptr, Qt::Window)
    , m_name(std::move(name))
{
    setObjectName(QString::fromLatin1(m_name.c_str()));
    setWindowTitle(desktopTitle(m_caption));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setAttribute(Qt::WA_QuitOnClose, false);
    setPalette(ClassicPalette());
    setAutoFillBackground(true);
    QWidget::setFont(ToQFont(m_font));
    setMouseTracking(true);
    m_handle = AllocateHWnd([this](TMessage& message) { WndProc(message); });
    liveForms().push_back(this);
    installActivationHandler();
    applyWindowFlags();
}

TForm::~TForm()
{
    if (m_modalLoop)
        m_modalLoop->exit();
    if (m_published)
        windowlist::Withdraw(m_handle);
    DeallocateHWnd(m_handle);
    auto& forms = liveForms();
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
    if (mainForm() == this)
        mainForm() = nullptr;
    if (m_keyPreview)
        qApp->removeEventFilter(this);
}

TForm* TForm::FromHandle(HWND handle)
{
    for (TForm* form : liveForms())
        if (form->m_handle == handle)
            return form;
    return nullptr;
}

void TForm::SetCaption(const std::string& caption)
{
    m_caption = caption;
    setWindowTitle(desktopTitle(caption));
    if (!caption.empty()) {
        windowlist::Publish(m_handle, caption);
        m_published = true;
    } else if (m_published) {
        windowlist::Withdraw(m_handle);
        m_published = false;
    }
}

void TForm::WndProc(TMessage& message)
{
    if (message.Msg == WM_CLOSE)
        Close();
}

void TForm::Loaded()
{
    if (OnCreate)
        OnCreate();
}

// A framed window asks its frame of the window system: the widget's copy may be stale.
int TForm::Left() const { return isWindow() && windowHandle() ? windowHandle()->framePosition().x() : frameGeometry().x(); }
int TForm::Top() const { return isWindow() && windowHandle() ? windowHandle()->framePosition().y() : frameGeometry().y(); }
int TForm::Width() const { return width(); }
int TForm::Height() const { return height(); }

void TForm::SetBounds(int left, int top, int width, int height)
{
    // Until the window manager frames a window its frame is unknown, and the move
    // puts the window itself there with the frame round it: once framed, the
    // frame is put where it was asked for.
    if (isWindow() && windowHandle() && !testAttribute(Qt::WA_Mapped))
        m_frameWanted = QPoint(left, top);
    else
        m_frameWanted.reset();
    move(left, top);
    resizeClient(width, height);
}

void TForm::placeFrameOnceFramed()
{
    // The window's own margins: the widget's copy of them may still be the unframed one.
    const QMargins frame = m_frameWanted && windowHandle() ? windowHandle()->frameMargins() : QMargins();
    if (frame.isNull())
        return;
    const QPoint client = *m_frameWanted + QPoint(frame.left(), frame.top());
    m_frameWanted.reset();
    if (geometry().topLeft() != client)
        setGeometry(QRect(client, size()));
}

bool TForm::sizeable() const
{
    return m_borderStyle == bsSizeable || m_borderStyle == bsSizeToolWin || m_borderStyle == bsNone;
}

void TForm::resizeClient(int width, int height)
{
    width = std::max(0, width);
    height = std::max(0, height);
    if (sizeable()) {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        resize(width, height);
    } else {
        setFixedSize(width, height);
    }
}

void TForm::SetVisible(bool visible)
{
    if (visible == isVisible())
        return;
    if (visible) {
        placeOnFirstShow();
        show();
    } else {
        hide();
    }
}

void TForm::Show()
{
    SetVisible(true);
    BringToFront();
}

void TForm::placeOnFirstShow()
{
    if (m_placed)
        return;
    m_placed = true;
    if (m_position == poScreenCenter || m_position == poDesktopCenter) {
        const QRect area = m_position == poScreenCenter ? QRect(0, 0, Screen::Width(), Screen::Height()) : Screen::WorkAreaRect();
        move(area.left() + (area.width() - Width()) / 2, area.top() + (area.height() - Height()) / 2);
    }
}

void TForm::BringToFront()
{
    if (!isVisible())
        return;
    // The offscreen platform has no stacking order and says so on every raise.
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        raise();
    activateWindow();
}

void TForm::Activate()
{
    if (isMinimized())
        showNormal();
    if (!isVisible())
        SetVisible(true);
    BringToFront();
}

bool TForm::closeQuery()
{
    bool canClose = true;
    if (OnCloseQuery)
        OnCloseQuery(canClose);
    return canClose;
}

TCloseAction TForm::askCloseAction()
{
    TCloseAction action = caHide;
    if (OnClose)
        OnClose(action);
    return action;
}

void TForm::Close()
{
    if (m_inClose)
        return;
    if (IsModal()) {
        SetModalResult(mrCancel);
        return;
    }
    m_inClose = true;
    QPointer<TForm> alive(this);
    const bool canClose = closeQuery();
    const TCloseAction action = canClose && alive ? askCloseAction() : caNone;
    if (!alive)
        return;
    m_inClose = false;
    if (!canClose || action == caNone)
        return;
    if (Application::MainForm() == this) {
        Application::Terminate();
        return;
    }
    switch (action) {
    case caHide: Hide(); break;
    case caMinimize: showMinimized(); break;
    case caFree:
        Hide();
        Release();
        break;
    case caNone: break;
    }
}

void TForm::Free()
{
    if (!m_destroyed) {
        m_destroyed = true;
        if (OnDestroy)
            Application::Guarded(OnDestroy);
    }
    delete this;
}

void TForm::Release()
{
    if (m_releasing)
        return;
    m_releasing = true;
    QMetaObject::invokeMethod(this, [this] { Free(); }, Qt::QueuedConnection);
}

void TForm::SetModalResult(TModalResult result)
{
    m_modalResult = result;
    if (result != mrNone && m_modalLoop)
        m_modalLoop->exit();
}

TModalResult TForm::ShowModal()
{
    if (IsModal())
        return mrCancel;
    QPointer<TForm> alive(this);
    m_modalResult = mrNone;
    const Qt::WindowModality previous = windowModality();
    if (isVisible())
        hide();
    setWindowModality(Qt::ApplicationModal);
    Show();
    QEventLoop loop;
    m_modalLoop = &loop;
    TCloseAction action = caHide;
    for (;;) {
        if (m_modalResult == mrNone && !Application::Terminated())
            loop.exec(QEventLoop::DialogExec);
        if (!alive)
            return mrCancel;
        if (Application::Terminated()) {
            if (m_modalResult == mrNone)
                m_modalResult = mrCancel;
            break;
        }
        if (m_modalResult == mrNone)
            continue;
        action = caNone;
        if (closeQuery() && alive)
            action = askCloseAction();
        if (!alive)
            return mrCancel;
        if (action != caNone)
            break;
        m_modalResult = mrNone;
    }
    m_modalLoop = nullptr;
    const TModalResult result = m_modalResult;
    hide();
    setWindowModality(previous);
    if (action == caFree)
        Release();
    return result;
}

void TForm::applyWindowFlags()
{
    const bool wasVisible = isVisible();
    Qt::WindowFlags flags = Qt::Window;
    switch (m_borderStyle) {
    case bsNone: flags |= Qt::FramelessWindowHint; break;
    case bsToolWindow:
    case bsSizeToolWin: flags = Qt::Tool; break;
    case bsDialog: flags = Qt::Dialog; break;
    case bsSingle:
    case bsSizeable: break;
    }
    if (m_borderStyle != bsNone) {
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        if (m_borderIcons & biSystemMenu)
            flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if ((m_borderIcons & biMinimize) && m_borderStyle != bsDialog && m_borderStyle != bsToolWindow)
            flags |= Qt::WindowMinimizeButtonHint;
        if ((m_borderIcons & biMaximize) && m_borderStyle == bsSizeable)
            flags |= Qt::WindowMaximizeButtonHint;
        if (m_borderIcons & biHelp)
            flags |= Qt::WindowContextHelpButtonHint;
    }
    if (m_formStyle == fsStayOnTop)
        flags |= Qt::WindowStaysOnTopHint;
    setWindowFlags(flags);
    resizeClient(width(), height());
    if (wasVisible)
        show();
}

void TForm::SetFormStyle(TFormStyle style)
{
    if (style == m_formStyle)
        return;
    m_formStyle = style;
    applyWindowFlags();
}

void TForm::SetPosition(TPosition position)
{
    m_position = position;
    if (isVisible()) {
        m_placed = false;
        placeOnFirstShow();
    }
}

void TForm::SetBorderStyle(TFormBorderStyle style)
{
    if (style == m_borderStyle)
        return;
    m_borderStyle = style;
    applyWindowFlags();
}

void TForm::SetBorderIcons(TBorderIcons icons)
{
    if (icons == m_borderIcons)
        return;
    m_borderIcons = icons;
    applyWindowFlags();
}

TWindowState TForm::WindowState() const
{
    if (isMinimized())
        return wsMinimized;
    if (isMaximized())
        return wsMaximized;
    return wsNormal;
}

void TForm::SetWindowState(TWindowState state)
{
    Qt::WindowStates states = windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    if (state == wsMinimized)
        states |= Qt::WindowMinimized;
    else if (state == wsMaximized)
        states |= Qt::WindowMaximized;
    setWindowState(states);
}

void TForm::SetColor(TColor color)
{
    m_color = color;
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ToQColor(color));
    setPalette(pal);
    update();
}

void TForm::SetFont(const TFontSpec& font)
{
    m_font = font;
    QWidget::setFont(ToQFont(font));
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, ToQColor(font.Color));
    setPalette(pal);
}

void TForm::SetKeyPreview(bool preview)
{
    if (preview == m_keyPreview)
        return;
    m_keyPreview = preview;
    if (preview)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
}

bool TForm::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::WindowActivate:
        if (OnActivate)
            Application::Guarded(OnActivate);
        break;
    case QEvent::WindowDeactivate:
        if (OnDeactivate)
            Application::Guarded(OnDeactivate);
        break;
    // The frame comes with a move, or at the latest before the first paint of the mapped window.
    case QEvent::Move:
    case QEvent::Paint: placeFrameOnceFramed(); break;
    default: break;
    }
    return QWidget::event(event);
}

void TForm::closeEvent(QCloseEvent* event)
{
    // The close box takes the same road as Close(); we hide or free ourselves.
    event->ignore();
    Application::Guarded([this] { Close(); });
}

void TForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous() && OnShow)
        Application::Guarded(OnShow);
}

void TForm::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous() && OnHide)
        Application::Guarded(OnHide);
}

void TForm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (OnResize)
        Application::Guarded(OnResize);
}

void TForm::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    if (!OnPaint)
        return;
    QPainter painter(this);
    Application::Guarded([&] { OnPaint(painter); });
}

bool TForm::handleKeyDown(QKeyEvent* event)
{
    bool swallowed = false;
    Application::Guarded([&] {
        WORD key = VirtualKeyFromQt(event->key());
        if (key != 0 && OnKeyDown) {
            OnKeyDown(key, ShiftFromQt(event->modifiers()));
            if (key == 0) {
                swallowed = true;
                return;
            }
        }
        if (!OnKeyPress)
            return;
        const std::string text = codepage::FromUnicode(event->text());
        if (text.size() != 1)
            return;
        char ch = text[0];
        OnKeyPress(ch);
        swallowed = ch == 0;
    });
    return swallowed;
}

bool TForm::previewedByFilter() const
{
    // With key preview the filter saw the key at the focused control before it came up to us.
    QWidget* focus = QApplication::focusWidget();
    return m_keyPreview && focus && focus != this && focus->window() == this;
}

void TForm::keyPressEvent(QKeyEvent* event)
{
    if (previewedByFilter()) {
        event->ignore();
        return;
    }
    if (handleKeyDown(event))
        event->accept();
    else
        event->ignore();
}

void TForm::keyReleaseEvent(QKeyEvent* event)
{
    if (previewedByFilter()) {
        event->ignore();
        return;
    }
    WORD key = VirtualKeyFromQt(event->key());
    if (key != 0 && OnKeyUp)
        Application::Guarded([&] { OnKeyUp(key, ShiftFromQt(event->modifiers())); });
    event->ignore();
}

bool TForm::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_keyPreview || (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease))
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget == this || widget->window() != this)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (event->type() == QEvent::KeyRelease) {
        WORD code = VirtualKeyFromQt(key->key());
        if (code == 0 || !OnKeyUp)
            return false;
        Application::Guarded([&] { OnKeyUp(code, ShiftFromQt(key->modifiers())); });
        return code == 0;
    }
    return handleKeyDown(key);
}

void TForm::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    if (OnMouseDown) {
        const QPoint p = event->position().toPoint();
        Application::Guarded([&] {
            OnMouseDown(buttonFromQt(event->button()), ShiftFromQt(event->modifiers(), event->buttons()), p.x(), p.y());
        });
    }
}

void TForm::mouseMoveEvent(QMouseEvent* event)
{
    if (OnMouseMove) {
        const QPoint p = event->position().toPoint();
        Application::Guarded([&] { OnMouseMove(ShiftFromQt(event->modifiers(), event->buttons()), p.x(), p.y()); });
    }
}

void TForm::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    QPointer<TForm> alive(this);
    if (OnMouseUp) {
        Application::Guarded([&] {
            OnMouseUp(buttonFromQt(event->button()), ShiftFromQt(event->modifiers(), event->buttons()), p.x(), p.y());
        });
    }
    if (!alive)
        return;
    const bool clicked = m_pressed && event->button() == Qt::LeftButton && rect().contains(p);
    m_pressed = false;
    if (clicked && OnClick)
        Application::Guarded(OnClick);
}

void TForm::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && OnDblClick)
        Application::Guarded(OnDblClick);
    else
        mousePressEvent(event);
}

void TForm::dragEnterEvent(QDragEnterEvent* event)
{
    if (!shell::DroppedFiles(event->mimeData()).empty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void TForm::dropEvent(QDropEvent* event)
{
    const std::vector<std::string> files = shell::DroppedFiles(event->mimeData());
    if (files.empty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    if (OnDropFiles) {
        const QPoint p = event->position().toPoint();
        Application::Guarded([&] { OnDropFiles(files, p.x(), p.y()); });
    }
}

namespace Application {

void Terminate()
{
    terminated() = true;
    QCoreApplication::exit(0);
}

bool Terminated() { return terminated(); }

int Run()
{
    if (terminated())
        return 0;
    return QApplication::exec();
}

std::string Title()
{
    if (applicationTitle().empty())
        return codepage::FromUtf8(QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toStdString());
    return applicationTitle();
}

void SetTitle(const std::string& title) { applicationTitle() = title; }

TForm* MainForm() { return mainForm(); }
void SetMainForm(TForm* form) { mainForm() = form; }

}  // namespace Application

namespace Screen {

int Width()
{
    QScreen* s = screen();
    return s ? s->geometry().width() : 0;
}

int Height()
{
    QScreen* s = screen();
    return s ? s->geometry().height() : 0;
}

QRect WorkAreaRect()
{
    QScreen* s = screen();
    return s ? s->availableGeometry() : QRect();
}

std::vector<TForm*> Forms() { return liveForms(); }

}  // namespace Screen
