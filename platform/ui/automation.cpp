#include "platform/ui/automation.h"

#include "platform/rtl/codepage.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/filedialogs.h"
#include "platform/ui/form.h"
#include "platform/ui/gifimage.h"
#include "platform/ui/windowcheck.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTimeEdit>
#include <QDoubleSpinBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRadioButton>
#include <QSpinBox>
#include <QTextEdit>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <map>
#include <optional>
#include <vector>

namespace automation {
namespace {

using Fields = std::vector<std::string>;

std::map<std::string, std::function<Fields()>>& ProgramCommands()
{
    static std::map<std::string, std::function<Fields()>> commands;
    return commands;
}

std::string utf8(const QString& text)
{
    return text.toUtf8().toStdString();
}

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

Fields split(const std::string& line)
{
    Fields fields;
    std::string current;
    for (char c : line) {
        if (c == '\t') {
            fields.push_back(Unescape(current));
            current.clear();
        } else {
            current += c;
        }
    }
    fields.push_back(Unescape(current));
    return fields;
}

std::string join(const Fields& fields)
{
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i)
            out += '\t';
        out += Escape(fields[i]);
    }
    return out;
}

std::string ok(const Fields& fields = {})
{
    return fields.empty() ? "ok" : "ok " + join(fields);
}

std::string error(const std::string& why)
{
    return "error " + Escape(why);
}

std::string captionOf(const TForm* form)
{
    return codepage::ToUtf8(form->Caption());
}

// A window by caption, else by form name; visible forms first.
TForm* findForm(const std::string& wanted)
{
    const std::vector<TForm*> forms = Screen::Forms();
    for (int pass = 0; pass < 4; ++pass) {
        const bool wantVisible = pass % 2 == 0;
        const bool byCaption = pass < 2;
        for (TForm* form : forms) {
            if (form->isVisible() != wantVisible)
                continue;
            if (byCaption ? captionOf(form) == wanted : utf8(form->objectName()) == wanted)
                return form;
        }
    }
    return nullptr;
}

std::string textOf(QWidget* widget)
{
    if (auto* source = dynamic_cast<TextSource*>(widget))
        return codepage::ToUtf8(source->AutomationText());
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        return utf8(edit->text());
    if (auto* edit = qobject_cast<QTextEdit*>(widget))
        return utf8(edit->toPlainText());
    if (auto* edit = qobject_cast<QPlainTextEdit*>(widget))
        return utf8(edit->toPlainText());
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        return utf8(combo->currentText());
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(widget))
        return utf8(spin->text());
    if (auto* label = qobject_cast<QLabel*>(widget))
        return utf8(label->text());
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return utf8(WithoutAccelerators(button->text()));
    // Lists, trees and tables alike: the current row's first column.
    if (auto* view = qobject_cast<QAbstractItemView*>(widget)) {
        const QModelIndex current = view->currentIndex();
        return current.isValid() ? utf8(current.siblingAtColumn(0).data(Qt::DisplayRole).toString()) : std::string();
    }
    if (auto* form = dynamic_cast<TForm*>(widget))
        return captionOf(form);
    if (auto* picture = dynamic_cast<TGIFImage*>(widget))
        return codepage::ToUtf8(picture->Hint());
    return utf8(widget->windowTitle());
}

bool setText(QWidget* widget, const QString& text)
{
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        // As typing does: the edit's change events fire.
        edit->selectAll();
        if (text.isEmpty())
            edit->del();
        else
            edit->insert(text);
        return true;
    }
    if (auto* edit = qobject_cast<QTextEdit*>(widget)) {
        edit->setPlainText(text);
        return true;
    }
    if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) {
        edit->setPlainText(text);
        return true;
    }
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        const int index = combo->findText(text);
        if (index >= 0) {
            combo->setCurrentIndex(index);
            emit combo->activated(index);
            emit combo->textActivated(text);
            return true;
        }
        if (!combo->isEditable())
            return false;
        combo->setEditText(text);
        return true;
    }
    if (auto* spin = qobject_cast<QSpinBox*>(widget)) {
        bool number = false;
        const int value = text.toInt(&number);
        if (number)
            spin->setValue(value);
        return number;
    }
    if (auto* spin = qobject_cast<QDoubleSpinBox*>(widget)) {
        bool number = false;
        const double value = text.toDouble(&number);
        if (number)
            spin->setValue(value);
        return number;
    }
    if (auto* edit = qobject_cast<QDateTimeEdit*>(widget)) {
        const QDateTime when = QDateTime::fromString(text, Qt::ISODate);
        if (when.isValid())
            edit->setDateTime(when);
        else if (const QDate day = QDate::fromString(text, Qt::ISODate); day.isValid())
            edit->setDate(day);
        else
            return false;
        return true;
    }
    return false;
}

// "x,y" in a control's pixels.
std::optional<QPoint> pointOf(const std::string& text)
{
    const QStringList parts = fromUtf8(text).split(QLatin1Char(','));
    bool xOk = false;
    bool yOk = false;
    if (parts.size() != 2)
        return std::nullopt;
    const int x = parts[0].trimmed().toInt(&xOk);
    const int y = parts[1].trimmed().toInt(&yOk);
    if (!xOk || !yOk)
        return std::nullopt;
    return QPoint(x, y);
}

void sendMouse(QWidget* widget, QEvent::Type type, const QPoint& at, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent event(type, at, widget->mapToGlobal(at), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

// A left press, the moves a mouse reports on the way, and the release.
void dragWidget(QWidget* widget, const QPoint& from, const QPoint& to)
{
    QPointer<QWidget> alive(widget);
    sendMouse(widget, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    constexpr int kSteps = 8;
    for (int i = 1; i <= kSteps && alive; ++i) {
        const QPoint at = from + (to - from) * i / kSteps;
        sendMouse(widget, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
    }
    if (alive)
        sendMouse(widget, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

// As a user's mouse does: a press and a release in the middle, so buttons that act on
// the press act too.
void clickWidget(QWidget* widget)
{
    QPointer<QWidget> alive(widget);
    const QPoint at = widget->rect().center();
    QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    if (!alive)
        return;
    QMouseEvent release(QEvent::MouseButtonRelease, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
        Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &release);
}

// A named key (Return, Escape, Tab, Back, Delete, Space, Up, Down, Left, Right, Home, End,
// PageUp, PageDown, F1 to F12) or one character, as Qt delivers it.
std::pair<int, QString> keyOf(const QString& name)
{
    static const std::pair<const char*, std::pair<int, const char*>> kNames[] = { { "return", { Qt::Key_Return, "\r" } },
        { "enter", { Qt::Key_Return, "\r" } }, { "escape", { Qt::Key_Escape, "\x1b" } }, { "tab", { Qt::Key_Tab, "\t" } },
        { "back", { Qt::Key_Backspace, "\b" } }, { "delete", { Qt::Key_Delete, "" } }, { "space", { Qt::Key_Space, " " } },
        { "up", { Qt::Key_Up, "" } }, { "down", { Qt::Key_Down, "" } }, { "left", { Qt::Key_Left, "" } },
        { "right", { Qt::Key_Right, "" } }, { "home", { Qt::Key_Home, "" } }, { "end", { Qt::Key_End, "" } },
        { "pageup", { Qt::Key_PageUp, "" } }, { "pagedown", { Qt::Key_PageDown, "" } } };
    const QString lower = name.toLower();
    for (const auto& [word, key] : kNames)
        if (lower == QLatin1String(word))
            return { key.first, QString::fromLatin1(key.second) };
    if (lower.size() >= 2 && lower[0] == QLatin1Char('f')) {
        bool number = false;
        const int n = lower.mid(1).toInt(&number);
        if (number && n >= 1 && n <= 12)
            return { Qt::Key_F1 + n - 1, QString() };
    }
    if (name.size() == 1) {
        const QChar c = name[0];
        const int key = c.isLetter() ? c.toUpper().unicode() : c.unicode();
        return { key, name };
    }
    return { 0, QString() };
}

void pressKey(QWidget* widget, int qtKey, const QString& text)
{
    QPointer<QWidget> alive(widget);
    widget->setFocus(Qt::OtherFocusReason);
    QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier, text);
    QCoreApplication::sendEvent(widget, &press);
    if (!alive)
        return;
    QKeyEvent release(QEvent::KeyRelease, qtKey, Qt::NoModifier, text);
    QCoreApplication::sendEvent(widget, &release);
}

// A user cannot reach a window behind a modal one; neither can we.
bool blockedByModal(QWidget* window)
{
    QWidget* modal = QApplication::activeModalWidget();
    return modal && modal != window && !modal->isAncestorOf(window);
}

int answerId(const std::string& word)
{
    static const std::pair<const char*, int> kNames[] = { { "ok", IDOK }, { "cancel", IDCANCEL }, { "abort", IDABORT },
        { "retry", IDRETRY }, { "ignore", IDIGNORE }, { "yes", IDYES }, { "no", IDNO } };
    QString lower = fromUtf8(word).toLower();
    for (const auto& [name, id] : kNames)
        if (lower == QLatin1String(name))
            return id;
    bool number = false;
    const int id = lower.toInt(&number);
    return number && id > 0 && id <= mrYesToAll ? id : 0;
}

// One client: lines in, replies out. Actions that run a user's handler reply first
// and run from the loop, so a handler that opens a modal window does not hold the reply;
// commands that follow wait until the handler has started.
class Connection final : public QObject {
public:
    explicit Connection(QLocalSocket* socket)
        : QObject(socket)
        , m_socket(socket)
    {
        QObject::connect(socket, &QLocalSocket::readyRead, this, [this] { readLines(); });
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    }

private:
    void readLines()
    {
        m_buffer += m_socket->readAll().toStdString();
        drain();
    }

    void drain()
    {
        while (!m_busy) {
            const std::size_t end = m_buffer.find('\n');
            if (end == std::string::npos) {
                if (m_buffer.size() > kMaxLineBytes) {
                    reply(error("line too long"));
                    m_buffer.clear();
                    m_socket->disconnectFromServer();
                }
                return;
            }
            if (end > kMaxLineBytes) {
                reply(error("line too long"));
                m_buffer.clear();
                m_socket->disconnectFromServer();
                return;
            }
            std::string line = m_buffer.substr(0, end);
            m_buffer.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (line.empty())
                continue;
            reply(execute(split(line)));
        }
    }

    void reply(const std::string& text)
    {
        m_socket->write(text.data(), static_cast<qint64>(text.size()));
        m_socket->write("\n", 1);
        m_socket->flush();
    }

    void later(std::function<void()> action)
    {
        m_busy = true;
        QPointer<Connection> self(this);
        QTimer::singleShot(0, qApp, [self, action = std::move(action)] {
            if (self) {
                self->m_busy = false;
                // Runs after the action returns, or inside the modal loop the action opens.
                QTimer::singleShot(0, self, [self] { self->drain(); });
            }
            Application::Guarded(action);
        });
    }

    std::string execute(const Fields& f)
    {
        const std::string& command = f[0];
        auto need = [&](std::size_t count) { return f.size() >= count + 1; };

        if (command == "ping")
            return ok({ "pong" });
        if (command == "windows") {
            Fields list;
            for (TForm* form : Screen::Forms())
                if (form->isVisible())
                    list.push_back(utf8(form->objectName()) + ":" + captionOf(form));
            return ok(list);
        }
        if (command == "answer") {
            const int id = need(1) ? answerId(f[1]) : 0;
            if (id == 0)
                return error("answer needs a button id");
            dialogs::QueueAnswer(id);
            return ok();
        }
        if (command == "input") {
            if (!need(1))
                return error("input needs a text");
            dialogs::QueueInput(codepage::FromUtf8(f[1]));
            return ok();
        }
        if (command == "file") {
            if (!need(1) || f[1].empty())
                return error("file needs a path");
            dialogs::QueueFileName(codepage::FromUtf8(f[1]));
            return ok();
        }
        if (command == "color") {
            const QColor color(need(1) ? QString::fromStdString(f[1]) : QString());
            if (!need(1) || f[1].size() != 7 || f[1][0] != '#' || !color.isValid())
                return error("color needs #rrggbb");
            dialogs::QueueColor(FromQColor(color));
            return ok();
        }
        if (command == "boxes") {
            Fields texts;
            for (const auto& record : dialogs::History())
                texts.push_back(codepage::ToUtf8(record.request.text));
            return ok(texts);
        }
        if (command == "lastbox") {
            if (dialogs::History().empty())
                return error("no message box");
            const auto& record = dialogs::History().back();
            return ok({ std::to_string(record.answer), codepage::ToUtf8(record.request.caption),
                codepage::ToUtf8(record.request.text) });
        }
        if (command == "clearboxes") {
            dialogs::ClearHistory();
            return ok();
        }
        if (const auto own = ProgramCommands().find(command); own != ProgramCommands().end()) {
            Fields fields;
            for (const std::string& field : own->second())
                fields.push_back(codepage::ToUtf8(field));
            return ok(fields);
        }

        if (!need(1))
            return error(command.empty() ? "empty command" : "unknown command " + command);
        TForm* form = findForm(f[1]);
        const bool formCommand = command == "find" || command == "controls" || command == "close" || command == "grab"
            || command == "menu" || command == "set" || command == "check" || command == "click" || command == "text"
            || command == "checked" || command == "key" || command == "drag" || command == "drop"
            || command == "rclick" || command == "lint";
        if (!formCommand)
            return error("unknown command " + command);
        if (!form)
            return error("no window " + f[1]);
        QPointer<TForm> target(form);

        if (command == "find") {
            const QRect r = form->frameGeometry();
            return ok({ utf8(form->objectName()), form->isVisible() ? "1" : "0",
                std::to_string(r.x()) + "," + std::to_string(r.y()) + "," + std::to_string(form->width()) + ","
                    + std::to_string(form->height()) });
        }
        if (command == "controls") {
            Fields list;
            for (QWidget* child : form->findChildren<QWidget*>())
                if (!child->objectName().isEmpty() && !child->objectName().startsWith(QLatin1String("qt_")))
                    list.push_back(utf8(child->objectName()) + ":" + child->metaObject()->className());
            return ok(list);
        }
        if (command == "lint") {
            Fields list;
            for (const TControlFault& fault : CheckWindowControls(form))
                list.push_back(fault.control + "|" + fault.fault + "|" + fault.text);
            return ok(list);
        }
        const bool acts = command != "find" && command != "controls" && command != "grab" && command != "text"
            && command != "checked";
        if (acts && blockedByModal(form))
            return error("window blocked by a modal window " + f[1]);
        if (command == "close") {
            later([target] {
                if (target)
                    target->Close();
            });
            return ok();
        }
        if (command == "grab") {
            if (!need(2))
                return error("grab needs a file name");
            const QPixmap shot = form->grab();
            if (!shot.save(fromUtf8(f[2]), "PNG"))
                return error("cannot write " + f[2]);
            return ok({ std::to_string(shot.width()) + "x" + std::to_string(shot.height()) });
        }
        if (command == "drop") {
            if (!need(2))
                return error("drop needs a file");
            std::vector<std::string> files;
            for (std::size_t i = 2; i < f.size(); ++i) {
                if (f[i].empty() || f[i][0] != '/')
                    return error("not an absolute path " + f[i]);
                files.push_back(codepage::FromUtf8(f[i]));
            }
            if (!form->acceptDrops() || !form->OnDropFiles)
                return error("window takes no files " + f[1]);
            // The files arrive as a shell drop on the window's client area would deliver them.
            later([target, files] {
                if (target && target->OnDropFiles)
                    target->OnDropFiles(files, 0, 0);
            });
            return ok();
        }
        if (!need(2))
            return error(command + " needs a control");
        if (command == "menu") {
            const QString wanted = fromUtf8(f[2]);
            for (QAction* action : form->findChildren<QAction*>()) {
                if (WithoutAccelerators(action->text()) != wanted && action->objectName() != wanted)
                    continue;
                if (!action->isEnabled())
                    return error("menu item disabled " + f[2]);
                QPointer<QAction> item(action);
                later([item] {
                    if (item)
                        item->trigger();
                });
                return ok();
            }
            return error("no menu item " + f[2]);
        }

        QWidget* control = form->findChild<QWidget*>(fromUtf8(f[2]));
        if (!control) {
            if (command == "click") {
                if (auto* action = form->findChild<QAction*>(fromUtf8(f[2]))) {
                    QPointer<QAction> item(action);
                    later([item] {
                        if (item)
                            item->trigger();
                    });
                    return ok();
                }
            }
            return error("no control " + f[2]);
        }
        QPointer<QWidget> widget(control);

        if (command == "text")
            return ok({ textOf(control) });
        if (command == "checked") {
            auto* button = qobject_cast<QAbstractButton*>(control);
            if (!button || !button->isCheckable())
                return error("not a check box " + f[2]);
            return ok({ button->isChecked() ? "1" : "0" });
        }
        if (!control->isEnabled() || !control->isVisibleTo(form))
            return error("control disabled or hidden " + f[2]);
        if (command == "key") {
            if (!need(3))
                return error("key needs a key");
            const auto [qtKey, text] = keyOf(fromUtf8(f[3]));
            if (qtKey == 0)
                return error("unknown key " + f[3]);
            // Copied by name: clang before 16 cannot capture structured bindings.
            later([widget, qtKey = qtKey, text = text] {
                if (widget)
                    pressKey(widget, qtKey, text);
            });
            return ok();
        }
        if (command == "drag") {
            const auto from = need(3) ? pointOf(f[3]) : std::nullopt;
            const auto to = need(4) ? pointOf(f[4]) : std::nullopt;
            if (!from || !to)
                return error("drag needs two points x,y");
            later([widget, from = *from, to = *to] {
                if (widget)
                    dragWidget(widget, from, to);
            });
            return ok();
        }
        if (command == "rclick") {
            const auto at = need(3) ? pointOf(f[3]) : std::nullopt;
            if (!at)
                return error("rclick needs a point x,y");
            later([widget, at = *at] {
                if (!widget)
                    return;
                QPointer<QWidget> alive(widget);
                sendMouse(widget, QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
                if (alive)
                    sendMouse(widget, QEvent::MouseButtonPress, at, Qt::RightButton, Qt::RightButton);
                if (alive)
                    sendMouse(widget, QEvent::MouseButtonRelease, at, Qt::RightButton, Qt::NoButton);
            });
            return ok();
        }
        if (command == "click") {
            later([widget] {
                if (widget)
                    clickWidget(widget);
            });
            return ok();
        }
        if (command == "check") {
            auto* button = qobject_cast<QAbstractButton*>(control);
            if (!button || !button->isCheckable())
                return error("not a check box " + f[2]);
            const bool wanted = need(3) && f[3] != "0";
            if (button->isChecked() == wanted)
                return ok();
            if (!wanted && qobject_cast<QRadioButton*>(button))
                return error("a radio button is unchecked by choosing another");
            // A user's click: the control's click handler runs.
            later([widget] {
                if (widget)
                    static_cast<QAbstractButton*>(widget.data())->click();
            });
            return ok();
        }
        // set
        if (!need(3))
            return error("set needs a text");
        if (!setText(control, fromUtf8(f[3])))
            return error("cannot set the text of " + f[2]);
        return ok();
    }

    QLocalSocket* m_socket;
    std::string m_buffer;
    bool m_busy { false };
};

std::unique_ptr<QLocalServer>& server()
{
    static std::unique_ptr<QLocalServer> instance;
    return instance;
}

}  // namespace

std::string Escape(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        default: out += c;
        }
    }
    return out;
}

std::string Unescape(const std::string& field)
{
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\' || i + 1 == field.size()) {
            out += field[i];
            continue;
        }
        switch (field[++i]) {
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case 'n': out += '\n'; break;
        default: out += field[i];
        }
    }
    return out;
}

bool Start(const std::string& socketPath)
{
    Stop();
    auto listener = std::make_unique<QLocalServer>();
    const QString path = fromUtf8(socketPath);
    QLocalServer::removeServer(path);
    listener->setSocketOptions(QLocalServer::UserAccessOption);
    if (!listener->listen(path)) {
        std::fprintf(stderr, "[automation] cannot listen on %s: %s\n", socketPath.c_str(),
            listener->errorString().toLocal8Bit().constData());
        return false;
    }
    QLocalServer* raw = listener.get();
    QObject::connect(raw, &QLocalServer::newConnection, raw, [raw] {
        while (QLocalSocket* socket = raw->nextPendingConnection())
            new Connection(socket);
    });
    server() = std::move(listener);
    return true;
}

void Stop()
{
    if (server()) {
        server()->close();
        server().reset();
    }
}

void AddCommand(const std::string& name, std::function<std::vector<std::string>()> reply)
{
    ProgramCommands()[name] = std::move(reply);
}

bool StartForProgram(const std::string& program)
{
    const char* base = std::getenv("KORVO_AUTOMATION");
    if (!base || !*base)
        return false;
    const std::string first = std::string(base) + "." + program;
    // A live listener on the first path is another copy of this program: take the second.
    QLocalSocket probe;
    probe.connectToServer(fromUtf8(first));
    const bool taken = probe.waitForConnected(1000);
    probe.abort();
    return Start(taken ? first + ".2" : first);
}

bool StartForThisProgram(const std::string& program)
{
    const char* parent = std::getenv("KORVO_PARENT");
    return parent && *parent ? StartForProgram(program) : StartIfRequested();
}

bool StartIfRequested()
{
    const char* path = std::getenv("KORVO_AUTOMATION");
    if (!path || !*path)
        return false;
    return Start(path);
}

}  // namespace automation
