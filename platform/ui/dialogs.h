#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QMessageBox;
class QWidget;
class TForm;

// Message box flags and answers as the classic message box numbers them.
inline constexpr unsigned MB_OK = 0x00000000;
inline constexpr unsigned MB_OKCANCEL = 0x00000001;
inline constexpr unsigned MB_ABORTRETRYIGNORE = 0x00000002;
inline constexpr unsigned MB_YESNOCANCEL = 0x00000003;
inline constexpr unsigned MB_YESNO = 0x00000004;
inline constexpr unsigned MB_RETRYCANCEL = 0x00000005;
inline constexpr unsigned MB_TYPEMASK = 0x0000000F;
inline constexpr unsigned MB_ICONHAND = 0x00000010;
inline constexpr unsigned MB_ICONSTOP = MB_ICONHAND;
inline constexpr unsigned MB_ICONERROR = MB_ICONHAND;
inline constexpr unsigned MB_ICONQUESTION = 0x00000020;
inline constexpr unsigned MB_ICONEXCLAMATION = 0x00000030;
inline constexpr unsigned MB_ICONWARNING = MB_ICONEXCLAMATION;
inline constexpr unsigned MB_ICONASTERISK = 0x00000040;
inline constexpr unsigned MB_ICONINFORMATION = MB_ICONASTERISK;
inline constexpr unsigned MB_ICONMASK = 0x000000F0;
inline constexpr unsigned MB_DEFBUTTON1 = 0x00000000;
inline constexpr unsigned MB_DEFBUTTON2 = 0x00000100;
inline constexpr unsigned MB_DEFBUTTON3 = 0x00000200;
inline constexpr unsigned MB_DEFMASK = 0x00000F00;
inline constexpr unsigned MB_APPLMODAL = 0x00000000;
inline constexpr unsigned MB_SYSTEMMODAL = 0x00001000;
inline constexpr unsigned MB_TASKMODAL = 0x00002000;
inline constexpr unsigned MB_SETFOREGROUND = 0x00010000;
inline constexpr unsigned MB_TOPMOST = 0x00040000;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// Text and caption in the code page; returns the IDxxx of the button chosen.
int MessageBox(TForm* owner, const std::string& text, const std::string& caption, unsigned flags);

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn : unsigned {
    mbYes = 1u << 0,
    mbNo = 1u << 1,
    mbOK = 1u << 2,
    mbCancel = 1u << 3,
    mbAbort = 1u << 4,
    mbRetry = 1u << 5,
    mbIgnore = 1u << 6,
    mbAll = 1u << 7,
    mbNoToAll = 1u << 8,
    mbYesToAll = 1u << 9,
    mbHelp = 1u << 10,
};
using TMsgDlgButtons = unsigned;
inline constexpr TMsgDlgButtons mbYesNoCancel = mbYes | mbNo | mbCancel;
inline constexpr TMsgDlgButtons mbOKCancel = mbOK | mbCancel;
inline constexpr TMsgDlgButtons mbAbortRetryIgnore = mbAbort | mbRetry | mbIgnore;

// Returns the mrXxx of the button chosen (the same numbers as IDxxx).
int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext);
// An OK box captioned with the application title.
void ShowMessage(const std::string& text);
// A one-line text prompt; true (and value replaced) on OK.
bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value);
// The text entered, or defaultValue on Cancel.
std::string InputBox(const std::string& caption, const std::string& prompt, const std::string& defaultValue);

namespace Application {
// The application's own message box, owned by the main form.
int MessageBox(const std::string& text, const std::string& caption, unsigned flags);
}  // namespace Application

namespace dialogs {

enum class DialogKind { None, Information, Warning, Error, Question, Input };

// One box as the program asked for it; buttons are IDxxx in the order shown.
struct DialogRequest {
    std::string caption;
    std::string text;
    DialogKind kind { DialogKind::None };
    std::vector<int> buttons;
    int defaultButton { IDOK };
    int cancelButton { IDCANCEL };
    std::string input;  // the prefilled text of an input prompt
};

struct DialogRecord {
    DialogRequest request;
    int answer { 0 };
};

// Answers boxes instead of showing them (a test, the automation socket); an
// unknown answer counts as the box's cancel button. An empty function removes it.
using Responder = std::function<int(const DialogRequest&)>;
void SetResponder(Responder responder);

// The next box gets this answer, before the responder is asked; queued answers are used in order.
void QueueAnswer(int answer);
// The next input prompt is answered OK with this text.
void QueueInput(const std::string& text);

// The boxes asked for since the last ClearHistory, oldest first (the latest 200 are kept).
const std::vector<DialogRecord>& History();
void ClearHistory();

// No person can answer a window here (Qt's offscreen or minimal platform, or no application).
bool Headless();

// The box the user would see for a request; its buttons carry their IDxxx in the "korvoButtonId" property.
std::unique_ptr<QMessageBox> MakeBox(QWidget* owner, const DialogRequest& request, bool topmost);

// The text a box shows: CR LF, lone CR and LF all become line breaks, so a leading CR is a blank first line.
std::string DisplayText(const std::string& text);

}  // namespace dialogs

namespace ui {

// Exceptions that leave a handler are shown in a box captioned with the application title; the loop goes on.
void InstallExceptionHandler();

}  // namespace ui
