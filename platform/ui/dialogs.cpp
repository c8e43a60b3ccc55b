#include "platform/ui/dialogs.h"

#include "platform/rtl/codepage.h"
#include "platform/rtl/exceptions.h"
#include "platform/ui/form.h"
#include "platform/win/messages.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <memory>

namespace dialogs {
namespace {

constexpr std::size_t kHistoryLimit = 200;
constexpr const char* kButtonIdProperty = "korvoButtonId";

struct State {
    Responder responder;
    std::deque<int> answers;
    std::deque<std::string> inputs;
    std::vector<DialogRecord> history;
};

State& state()
{
    static State instance;
    return instance;
}

}  // namespace

bool Headless()
{
    if (!qApp)
        return true;
    const QString name = QGuiApplication::platformName();
    return name == QLatin1String("offscreen") || name == QLatin1String("minimal");
}

namespace {

bool offers(const DialogRequest& request, int answer)
{
    return std::find(request.buttons.begin(), request.buttons.end(), answer) != request.buttons.end();
}

QString buttonText(int id)
{
    switch (id) {
    case IDOK: return QStringLiteral("OK");
    case IDCANCEL: return QStringLiteral("Cancel");
    case IDABORT: return QStringLiteral("&Abort");
    case IDRETRY: return QStringLiteral("&Retry");
    case IDIGNORE: return QStringLiteral("&Ignore");
    case IDYES: return QStringLiteral("&Yes");
    case IDNO: return QStringLiteral("&No");
    case mrAll: return QStringLiteral("&All");
    case mrNoToAll: return QStringLiteral("N&o to All");
    case mrYesToAll: return QStringLiteral("Yes to &All");
    default: return QString::number(id);
    }
}

QMessageBox::ButtonRole buttonRole(int id)
{
    switch (id) {
    case IDOK:
    case IDYES:
    case mrYesToAll:
    case mrAll: return QMessageBox::AcceptRole;
    case IDNO:
    case mrNoToAll: return QMessageBox::NoRole;
    case IDCANCEL:
    case IDABORT: return QMessageBox::RejectRole;
    default: return QMessageBox::ActionRole;
    }
}

int showBox(QWidget* owner, const DialogRequest& request, bool topmost)
{
    std::unique_ptr<QMessageBox> box = MakeBox(owner, request, topmost);
    box->exec();
    QAbstractButton* clicked = box->clickedButton();
    return clicked ? clicked->property(kButtonIdProperty).toInt() : request.cancelButton;
}

// Who answers a box: a queued answer, then the responder, then (headless) the
// default button, else the user.
int answer(const DialogRequest& request, const std::function<int()>& show)
{
    State& s = state();
    int result = 0;
    const char* how = "";
    if (!s.answers.empty()) {
        result = s.answers.front();
        s.answers.pop_front();
        how = "queued";
    } else if (s.responder) {
        Responder responder = s.responder;
        result = responder(request);
        how = "responder";
    } else if (Headless()) {
        result = request.defaultButton;
        how = "default";
    } else {
        result = show();
    }
    if (!offers(request, result))
        result = offers(request, request.cancelButton) ? request.cancelButton : request.defaultButton;
    if (*how)
        std::fprintf(stderr, "[message box] %s: %s -> %d (%s)\n", codepage::ToUtf8(request.caption).c_str(),
            codepage::ToUtf8(DisplayText(request.text)).c_str(), result, how);
    if (s.history.size() >= kHistoryLimit)
        s.history.erase(s.history.begin());
    s.history.push_back({ request, result });
    return result;
}

DialogKind kindOfIcon(unsigned flags)
{
    switch (flags & MB_ICONMASK) {
    case MB_ICONHAND: return DialogKind::Error;
    case MB_ICONQUESTION: return DialogKind::Question;
    case MB_ICONEXCLAMATION: return DialogKind::Warning;
    case MB_ICONASTERISK: return DialogKind::Information;
    default: return DialogKind::None;
    }
}

std::vector<int> buttonsOfType(unsigned flags)
{
    switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL: return { IDOK, IDCANCEL };
    case MB_ABORTRETRYIGNORE: return { IDABORT, IDRETRY, IDIGNORE };
    case MB_YESNOCANCEL: return { IDYES, IDNO, IDCANCEL };
    case MB_YESNO: return { IDYES, IDNO };
    case MB_RETRYCANCEL: return { IDRETRY, IDCANCEL };
    default: return { IDOK };
    }
}

}  // namespace

void SetResponder(Responder responder) { state().responder = std::move(responder); }
void QueueAnswer(int answer) { state().answers.push_back(answer); }
void QueueInput(const std::string& text) { state().inputs.push_back(text); }
const std::vector<DialogRecord>& History() { return state().history; }
void ClearHistory() { state().history.clear(); }

std::string DisplayText(const std::string& text)
{
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            result += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

std::unique_ptr<QMessageBox> MakeBox(QWidget* owner, const DialogRequest& request, bool topmost)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (request.kind) {
    case DialogKind::Information: icon = QMessageBox::Information; break;
    case DialogKind::Warning: icon = QMessageBox::Warning; break;
    case DialogKind::Error: icon = QMessageBox::Critical; break;
    case DialogKind::Question: icon = QMessageBox::Question; break;
    default: break;
    }
    auto box = std::make_unique<QMessageBox>(icon, codepage::ToUnicode(request.caption),
        codepage::ToUnicode(DisplayText(request.text)), QMessageBox::NoButton, owner);
    box->setTextFormat(Qt::PlainText);
    if (topmost)
        box->setWindowFlag(Qt::WindowStaysOnTopHint);
    for (int id : request.buttons) {
        QPushButton* button = box->addButton(buttonText(id), buttonRole(id));
        button->setProperty(kButtonIdProperty, id);
        if (id == request.defaultButton)
            box->setDefaultButton(button);
        if (id == request.cancelButton)
            box->setEscapeButton(button);
    }
    return box;
}

}  // namespace dialogs

using dialogs::DialogKind;
using dialogs::DialogRequest;

int MessageBox(TForm* owner, const std::string& text, const std::string& caption, unsigned flags)
{
    DialogRequest request;
    request.caption = caption;
    request.text = text;
    request.kind = dialogs::kindOfIcon(flags);
    request.buttons = dialogs::buttonsOfType(flags);
    const std::size_t defaultIndex = (flags & MB_DEFMASK) >> 8;
    request.defaultButton = request.buttons[defaultIndex < request.buttons.size() ? defaultIndex : 0];
    // Like the platform's boxes, only a box with a Cancel button (or only OK) can be dismissed.
    if (std::find(request.buttons.begin(), request.buttons.end(), IDCANCEL) != request.buttons.end())
        request.cancelButton = IDCANCEL;
    else if (request.buttons.size() == 1)
        request.cancelButton = IDOK;
    else
        request.cancelButton = request.defaultButton;
    const bool topmost = (flags & (MB_TOPMOST | MB_SYSTEMMODAL)) != 0;
    return dialogs::answer(request, [&] { return dialogs::showBox(owner, request, topmost); });
}

int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext)
{
    static constexpr std::pair<TMsgDlgBtn, int> kOrder[] = { { mbYes, mrYes }, { mbNo, mrNo }, { mbOK, mrOk },
        { mbCancel, mrCancel }, { mbAbort, mrAbort }, { mbRetry, mrRetry }, { mbIgnore, mrIgnore }, { mbAll, mrAll },
        { mbNoToAll, mrNoToAll }, { mbYesToAll, mrYesToAll } };
    DialogRequest request;
    request.text = text;
    switch (type) {
    case mtWarning:
        request.caption = "Warning";
        request.kind = DialogKind::Warning;
        break;
    case mtError:
        request.caption = "Error";
        request.kind = DialogKind::Error;
        break;
    case mtInformation:
        request.caption = "Information";
        request.kind = DialogKind::Information;
        break;
    case mtConfirmation:
        request.caption = "Confirm";
        request.kind = DialogKind::Question;
        break;
    case mtCustom:
        request.caption = Application::Title();
        request.kind = DialogKind::None;
        break;
    }
    for (const auto& [bit, id] : kOrder)
        if (buttons & bit)
            request.buttons.push_back(id);
    if (request.buttons.empty())
        request.buttons.push_back(mrOk);
    auto has = [&](int id) { return std::find(request.buttons.begin(), request.buttons.end(), id) != request.buttons.end(); };
    request.defaultButton = has(mrOk) ? mrOk : has(mrYes) ? mrYes : has(mrRetry) ? mrRetry : request.buttons.front();
    request.cancelButton = has(mrCancel) ? mrCancel : has(mrNo) ? mrNo : has(mrOk) ? mrOk : request.defaultButton;
    return dialogs::answer(request, [&] { return dialogs::showBox(Application::MainForm(), request, false); });
}

void ShowMessage(const std::string& text)
{
    MessageBox(Application::MainForm(), text, Application::Title(), MB_OK);
}

bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value)
{
    DialogRequest request;
    request.caption = caption;
    request.text = prompt;
    request.kind = DialogKind::Input;
    request.buttons = { IDOK, IDCANCEL };
    request.defaultButton = IDOK;
    request.cancelButton = IDCANCEL;
    request.input = value;
    auto& inputs = dialogs::state().inputs;
    if (!inputs.empty()) {
        request.input = inputs.front();
        inputs.pop_front();
        dialogs::state().answers.push_front(IDOK);
    }
    std::string entered = request.input;
    const int result = dialogs::answer(request, [&] {
        bool ok = false;
        const QString text = QInputDialog::getText(Application::MainForm(), codepage::ToUnicode(caption),
            codepage::ToUnicode(dialogs::DisplayText(prompt)), QLineEdit::Normal, codepage::ToUnicode(value), &ok);
        entered = codepage::FromUnicode(text);
        return ok ? IDOK : IDCANCEL;
    });
    if (result != IDOK)
        return false;
    value = entered;
    return true;
}

std::string InputBox(const std::string& caption, const std::string& prompt, const std::string& defaultValue)
{
    std::string value = defaultValue;
    InputQuery(caption, prompt, value);
    return value;
}

namespace Application {

int MessageBox(const std::string& text, const std::string& caption, unsigned flags)
{
    return ::MessageBox(MainForm(), text, caption, flags);
}

}  // namespace Application

namespace ui {

void InstallExceptionHandler()
{
    Application::SetExceptionHandler([](const std::exception& error) {
        const auto* own = dynamic_cast<const Exception*>(&error);
        std::string message = own ? own->Message() : std::string(error.what());
        if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
            message += '.';
        ::MessageBox(Application::MainForm(), message, Application::Title(), MB_OK | MB_ICONSTOP);
    });
}

}  // namespace ui
