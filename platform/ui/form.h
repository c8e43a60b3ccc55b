#pragma once

#include "platform/ui/graphics.h"
#include "platform/win/messages.h"

#include <QPoint>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QEventLoop;
class QPainter;

enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TFormStyle { fsNormal, fsStayOnTop };
enum TPosition { poDesigned, poDefault, poScreenCenter, poDesktopCenter };
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };

enum TBorderIcon : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
using TBorderIcons = unsigned;

using TModalResult = int;
inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = 1;
inline constexpr TModalResult mrCancel = 2;
inline constexpr TModalResult mrAbort = 3;
inline constexpr TModalResult mrRetry = 4;
inline constexpr TModalResult mrIgnore = 5;
inline constexpr TModalResult mrYes = 6;
inline constexpr TModalResult mrNo = 7;
inline constexpr TModalResult mrAll = 8;
inline constexpr TModalResult mrNoToAll = 9;
inline constexpr TModalResult mrYesToAll = 10;

enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShift : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64 };
using TShiftState = unsigned;

// Virtual-key codes as the classic key messages carry them; letters and digits are their upper-case ASCII.
using WORD = std::uint16_t;
inline constexpr WORD VK_BACK = 0x08;
inline constexpr WORD VK_TAB = 0x09;
inline constexpr WORD VK_RETURN = 0x0D;
inline constexpr WORD VK_SHIFT = 0x10;
inline constexpr WORD VK_CONTROL = 0x11;
inline constexpr WORD VK_MENU = 0x12;
inline constexpr WORD VK_PAUSE = 0x13;
inline constexpr WORD VK_ESCAPE = 0x1B;
inline constexpr WORD VK_SPACE = 0x20;
inline constexpr WORD VK_PRIOR = 0x21;
inline constexpr WORD VK_NEXT = 0x22;
inline constexpr WORD VK_END = 0x23;
inline constexpr WORD VK_HOME = 0x24;
inline constexpr WORD VK_LEFT = 0x25;
inline constexpr WORD VK_UP = 0x26;
inline constexpr WORD VK_RIGHT = 0x27;
inline constexpr WORD VK_DOWN = 0x28;
inline constexpr WORD VK_INSERT = 0x2D;
inline constexpr WORD VK_DELETE = 0x2E;
inline constexpr WORD VK_F1 = 0x70;

// The virtual-key code of a Qt key (0 when it has none), and the shift state of Qt modifiers.
WORD VirtualKeyFromQt(int qtKey);
TShiftState ShiftFromQt(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons = Qt::NoButton);

// The base of every window: a top-level Qt widget with the form's properties,
// events and close and modal rules. Subclasses create their controls in their
// constructor (Qt widgets whose objectName is the component name) and free
// themselves with Free() or Release(), so OnDestroy still sees the whole form.
class TForm : public QWidget {
public:
    explicit TForm(std::string name = "Form1");
    ~TForm() override;
    TForm(const TForm&) = delete;
    TForm& operator=(const TForm&) = delete;

    std::string Name() const { return m_name; }

    // Text in the code page; a non-empty caption is published for lookup by title.
    const std::string& Caption() const { return m_caption; }
    void SetCaption(const std::string& caption);

    // A message target whose messages go to WndProc, for as long as the form lives.
    HWND Handle() const { return m_handle; }

    // Position of the frame; the size is the window's own pixels, whatever frame the
    // window system adds, so the forms' pixel geometry holds on every platform.
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void SetLeft(int left) { SetBounds(left, Top(), Width(), Height()); }
    void SetTop(int top) { SetBounds(Left(), top, Width(), Height()); }
    void SetWidth(int width) { SetBounds(Left(), Top(), width, Height()); }
    void SetHeight(int height) { SetBounds(Left(), Top(), Width(), height); }
    void SetBounds(int left, int top, int width, int height);
    int ClientWidth() const { return width(); }
    int ClientHeight() const { return height(); }
    void SetClientWidth(int width) { resizeClient(width, height()); }
    void SetClientHeight(int height) { resizeClient(width(), height); }

    bool Visible() const { return isVisible(); }
    void SetVisible(bool visible);
    void Show();
    void Hide() { SetVisible(false); }
    // OnCloseQuery, then OnClose; acts on the close action. A modal form ends its loop with mrCancel.
    void Close();
    // Deletes the form at once, OnDestroy first.
    void Free();
    // Frees the form from the event loop, once the current handler has returned.
    void Release();

    // Shows the form and runs the loop until ModalResult becomes non-zero and the form agrees to close.
    TModalResult ShowModal();
    TModalResult ModalResult() const { return m_modalResult; }
    void SetModalResult(TModalResult result);
    bool IsModal() const { return m_modalLoop != nullptr; }

    TFormStyle FormStyle() const { return m_formStyle; }
    void SetFormStyle(TFormStyle style);
    TPosition Position() const { return m_position; }
    void SetPosition(TPosition position);
    TFormBorderStyle BorderStyle() const { return m_borderStyle; }
    void SetBorderStyle(TFormBorderStyle style);
    TBorderIcons BorderIcons() const { return m_borderIcons; }
    void SetBorderIcons(TBorderIcons icons);
    TWindowState WindowState() const;
    void SetWindowState(TWindowState state);

    TColor Color() const { return m_color; }
    void SetColor(TColor color);
    const TFontSpec& Font() const { return m_font; }
    void SetFont(const TFontSpec& font);
    bool Enabled() const { return isEnabled(); }
    void SetEnabled(bool enabled) { setEnabled(enabled); }
    // Key events reach the form before its focused control.
    bool KeyPreview() const { return m_keyPreview; }
    void SetKeyPreview(bool preview);
    // Files dragged from the desktop are offered to OnDropFiles.
    bool AcceptFiles() const { return acceptDrops(); }
    void SetAcceptFiles(bool accept) { setAcceptDrops(accept); }
    void BringToFront();
    // Raises, restores and activates; what a lookup by title does.
    void Activate();

    std::function<void()> OnCreate;
    std::function<void()> OnShow;
    std::function<void()> OnHide;
    std::function<void(TCloseAction& action)> OnClose;
    std::function<void(bool& canClose)> OnCloseQuery;
    std::function<void()> OnDestroy;
    std::function<void()> OnActivate;
    std::function<void()> OnDeactivate;
    std::function<void()> OnResize;
    std::function<void(QPainter& canvas)> OnPaint;
    std::function<void(WORD& key, TShiftState shift)> OnKeyDown;
    std::function<void(WORD& key, TShiftState shift)> OnKeyUp;
    std::function<void(char& key)> OnKeyPress;
    std::function<void()> OnClick;
    std::function<void()> OnDblClick;
    std::function<void(TMouseButton button, TShiftState shift, int x, int y)> OnMouseDown;
    std::function<void(TShiftState shift, int x, int y)> OnMouseMove;
    // Full paths in the code page, and the drop point in client coordinates.
    std::function<void(const std::vector<std::string>& files, int x, int y)> OnDropFiles;
    std::function<void(TMouseButton button, TShiftState shift, int x, int y)> OnMouseUp;

    // The form whose message target is handle, or nullptr.
    static TForm* FromHandle(HWND handle);

protected:
    // Messages posted or sent to Handle(). The base closes on WM_CLOSE and ignores the rest.
    virtual void WndProc(TMessage& message);
    // Runs OnCreate; call at the end of a subclass constructor, when the controls exist.
    void Loaded();

    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool closeQuery();
    TCloseAction askCloseAction();
    void applyWindowFlags();
    void placeOnFirstShow();
    void resizeClient(int width, int height);
    // A position asked for before the window was framed is the frame's.
    void placeFrameOnceFramed();
    bool sizeable() const;
    bool handleKeyDown(QKeyEvent* event);
    bool previewedByFilter() const;

    std::string m_name;
    std::string m_caption;
    HWND m_handle { 0 };
    TModalResult m_modalResult { mrNone };
    QEventLoop* m_modalLoop { nullptr };
    TFormStyle m_formStyle { fsNormal };
    TPosition m_position { poDesigned };
    TFormBorderStyle m_borderStyle { bsSizeable };
    TBorderIcons m_borderIcons { biSystemMenu | biMinimize | biMaximize };
    TColor m_color { clBtnFace };
    TFontSpec m_font;
    bool m_keyPreview { false };
    bool m_placed { false };
    bool m_inClose { false };
    bool m_destroyed { false };
    bool m_releasing { false };
    bool m_pressed { false };
    bool m_published { false };
    std::optional<QPoint> m_frameWanted;
};

namespace Application {

// Ends the main loop and every modal loop; Run returns.
void Terminate();
bool Terminated();
// Runs the main loop until Terminate.
int Run();

// The title message boxes carry by default; code page.
std::string Title();
void SetTitle(const std::string& title);

// Closing the main form ends the program.
TForm* MainForm();
void SetMainForm(TForm* form);

}  // namespace Application

namespace Screen {

int Width();
int Height();
// The screen without the panels the desktop reserves.
QRect WorkAreaRect();
inline int WorkAreaLeft() { return WorkAreaRect().left(); }
inline int WorkAreaTop() { return WorkAreaRect().top(); }
inline int WorkAreaWidth() { return WorkAreaRect().width(); }
inline int WorkAreaHeight() { return WorkAreaRect().height(); }

// Every form that exists, oldest first.
std::vector<TForm*> Forms();
inline int FormCount() { return static_cast<int>(Forms().size()); }

}  // namespace Screen
