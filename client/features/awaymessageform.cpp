#include "client/features/awaymessageform.h"

#include "client/core/helpers.h"
#include "client/core/mainbar.h"
#include "client/core/mainbarwidgets.h"
#include "client/core/peersend.h"
#include "client/core/servicelogon.h"
#include "client/core/session.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/eventloop.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/stringlist.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/label.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>

TAwayMessageFrm* AwayMessageFrm = nullptr;

namespace {

constexpr int kMaxMemoLength = 200;
constexpr std::size_t kMaxMessageLength = 255;
// messages.inf is the user's own list; a huge or binary one still makes a usable menu.
constexpr std::int64_t kMaxPresetFile = 64 * 1024;
constexpr int kMaxPresets = 100;
constexpr std::size_t kMaxPresetLine = 1024;

std::string ReadPresetFile(const std::string& path)
{
    try {
        TFileStream file(path, fmOpenRead);
        std::string bytes(static_cast<std::size_t>(std::clamp<std::int64_t>(file.Size(), 0, kMaxPresetFile)), '\0');
        bytes.resize(static_cast<std::size_t>(
            std::max<std::int64_t>(file.Read(bytes.data(), static_cast<std::int64_t>(bytes.size())), 0)));
        return bytes;
    } catch (const std::exception&) {
        return {};
    }
}

}  // namespace

std::string PresetCaption(const std::string& line)
{
    return line.size() >= 61 ? line.substr(0, 60) + "..." : line;
}

TAwayMessageFrm::TAwayMessageFrm()
    : TForm("AwayMessageFrm")
{
    AwayMessageFrm = this;
    SetCaption("Away Message");
    SetBorderStyle(bsSingle);
    SetPosition(poScreenCenter);
    SetClientWidth(300);
    SetClientHeight(170);
    auto* menuBar = new QMenuBar(this);
    menuBar->setGeometry(0, 0, 300, 22);
    Presets = menuBar->addMenu(codepage::ToUnicode("&Presets"));
    Presets->setObjectName("Presets");
    Presets->setToolTipsVisible(true);
    EditMessages = Presets->addAction(codepage::ToUnicode("&Edit Messages..."));
    Refresh = Presets->addAction(codepage::ToUnicode("&Refresh"));
    Presets->addSeparator();
    QObject::connect(EditMessages, &QAction::triggered, this,
                     [] { Application::Guarded([] { OpenDocument(AppPath() + "messages.inf"); }); });
    QObject::connect(Refresh, &QAction::triggered, this, [this] { Application::Guarded([this] { LoadPresets(); }); });
    auto* label = new TLabel("Enter the message others will see while you are away, then click the Apply button.", this);
    label->setWordWrap(true);
    label->setGeometry(8, 26, 284, 30);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setGeometry(8, 58, 284, 70);
    QObject::connect(Memo1, &QPlainTextEdit::textChanged, this, [this] {
        const QString text = Memo1->toPlainText();
        if (text.size() > kMaxMemoLength) {
            Memo1->setPlainText(text.left(kMaxMemoLength));
            return;
        }
        if (m_applying)
            return;
        // Edited after applying: not yet what buddies see.
        Memo1->setStyleSheet("QPlainTextEdit { background: white; }");
        Button4->setEnabled(true);
    });
    Button5 = new QPushButton(codepage::ToUnicode("I'm &Back"), this);
    Button5->setObjectName("Button5");
    Button5->setGeometry(136, 136, 75, 25);
    Button5->setEnabled(false);
    Button4 = new QPushButton(codepage::ToUnicode("&Apply"), this);
    Button4->setObjectName("Button4");
    Button4->setGeometry(217, 136, 75, 25);
    QObject::connect(Button4, &QPushButton::clicked, this, [this] { Application::Guarded([this] { Apply(); }); });
    QObject::connect(Button5, &QPushButton::clicked, this, [this] { Application::Guarded([this] { Back(); }); });
    OnClose = [this](TCloseAction& action) {
        Back();
        action = caHide;
    };
    Loaded();
}

TAwayMessageFrm::~TAwayMessageFrm()
{
    if (AwayMessageFrm == this)
        AwayMessageFrm = nullptr;
}

std::string TAwayMessageFrm::MemoText() const { return codepage::FromUnicode(Memo1->toPlainText()); }

void TAwayMessageFrm::Apply()
{
    std::string message = Trim(MemoText()).substr(0, kMaxMessageLength);
    if (message.empty())
        message = "no message";
    // The peer line quotes the message; a double quote in it would cut it short.
    std::replace(message.begin(), message.end(), '"', '\'');
    Button5->setEnabled(true);
    Button4->setEnabled(false);
    TSession& s = Session();
    s.awayMessage = message;
    TIniFile settings("larkspire.ini");
    settings.WriteBool("Main", "Away", s.away);
    settings.WriteString("Main", "AwayMessage", message);
    SendBuddyCommand("away", message);
    m_applying = true;
    Memo1->setStyleSheet(QString("QPlainTextEdit { background: %1; }").arg(ToQColor(clInfoBk).name()));
    m_applying = false;
}

void TAwayMessageFrm::Back()
{
    Session().away = false;
    if (Form1 && Form1->QORExplorerButton17)
        Form1->QORExplorerButton17->setChecked(false);
    SendBuddyCommand("notaway", "");
    Hide();
}

void TAwayMessageFrm::ShowAway()
{
    Show();
    Memo1->setFocus();
    m_applying = true;
    Memo1->setPlainText(codepage::ToUnicode(Session().awayMessage));
    m_applying = false;
    Button5->setEnabled(false);
    Apply();
}

void TAwayMessageFrm::LoadPresets()
{
    const std::string path = AppPath() + "messages.inf";
    if (!FileExists(path))
        return;
    TStringList lines;
    lines.SetText(ReadPresetFile(path));
    lines.Sort();
    const QList<QAction*> items = Presets->actions();
    for (int i = 3; i < items.size(); ++i) {
        Presets->removeAction(items[i]);
        items[i]->deleteLater();
    }
    int added = 0;
    for (int i = 0; i < lines.Count() && added < kMaxPresets; ++i) {
        const std::string line = lines[i].substr(0, kMaxPresetLine);
        if (Trim(line).empty())
            continue;
        QString caption = codepage::ToUnicode(PresetCaption(line));
        // A '&' in a message is text, not a shortcut.
        caption.replace('&', "&&");
        QAction* item = Presets->addAction(caption);
        item->setToolTip(codepage::ToUnicode(line));
        QObject::connect(item, &QAction::triggered, this,
                         [this, line] { Application::Guarded([this, line] { ChoosePreset(line); }); });
        ++added;
    }
}

void TAwayMessageFrm::ChoosePreset(const std::string& line)
{
    m_applying = true;
    Memo1->setPlainText(codepage::ToUnicode(Trim(line)));
    m_applying = false;
    Apply();
    Button5->setFocus();
}
