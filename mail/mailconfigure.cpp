#include "mail/mailconfigure.h"

#include "client/core/scrambler.h"
#include "mail/mailstore.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/directories.h"
#include "platform/rtl/files.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/label.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

namespace {

constexpr const char* kFinish = "&Finish";
constexpr const char* kNext = "&Next >>";
// The scrambled form keeps at most this much.
constexpr int kMaxPassword = 255;
constexpr int kDefaultPopPort = 110;
constexpr int kDefaultSmtpPort = 25;

// A server typed as "host:port" keeps its port; a bare host takes the usual one.
struct ServerAddress {
    std::string host;
    int port { 0 };  // 0: the text names no usable port
};

ServerAddress ParseServer(const std::string& text, int defaultPort)
{
    const auto colon = text.find(':');
    // More than one colon is an IPv6 address without a port.
    if (colon == std::string::npos || text.find(':', colon + 1) != std::string::npos)
        return { text, defaultPort };
    const std::string digits = text.substr(colon + 1);
    const bool decimal = !digits.empty() && digits.size() <= 5
        && digits.find_first_not_of("0123456789") == std::string::npos;
    const int port = decimal ? std::stoi(digits) : 0;
    return { Trim(text.substr(0, colon)), port >= 1 && port <= 65535 ? port : 0 };
}

bool UsableServer(const std::string& text)
{
    const ServerAddress server = ParseServer(text, 1);
    return !server.host.empty() && server.port != 0;
}

// The server as the wizard shows it: the port only when it is not the usual one.
std::string ShownServer(const std::string& host, int port, int defaultPort)
{
    const bool ownPort = port != defaultPort && port >= 1 && port <= 65535;
    return ownPort && !host.empty() ? host + ":" + std::to_string(port) : host;
}

std::string Text(const QLineEdit* edit) { return codepage::FromUnicode(edit->text()); }
void SetText(QLineEdit* edit, const std::string& text) { edit->setText(codepage::ToUnicode(text)); }

QWidget* MakePage(QWidget* parent, const char* heading, const std::string& explanation)
{
    auto* page = new QWidget(parent);
    page->setGeometry(170, 8, 312, 250);
    auto* title = new TLabel(codepage::ToUnicode(heading), page);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    title->setGeometry(0, 0, 312, 20);
    auto* text = new TLabel(codepage::ToUnicode(explanation), page);
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    text->setGeometry(0, 26, 312, 100);
    return page;
}

QLineEdit* MakeEdit(QWidget* page, const char* name, int top, const char* label = nullptr)
{
    if (label)
        (new TLabel(codepage::ToUnicode(label), page))->setGeometry(0, top - 20, 312, 18);
    auto* edit = new QLineEdit(page);
    edit->setObjectName(name);
    edit->setGeometry(0, top, 300, 22);
    return edit;
}

}  // namespace

TMailConfigure::TMailConfigure(std::string accountName)
    : TForm("MailConfigure")
    , m_accountName(std::move(accountName))
{
    SetCaption("Korvo - Mail Account Wizard");
    SetBorderStyle(bsDialog);
    SetBorderIcons(0);
    SetPosition(poScreenCenter);
    SetClientWidth(490);
    SetClientHeight(305);
    auto* picture = new QLabel(this);
    picture->setObjectName("WizardPicture");
    picture->setFrameShape(QFrame::Panel);
    picture->setGeometry(8, 8, 154, 250);
    picture->setAlignment(Qt::AlignCenter);
    picture->setPixmap(QPixmap(QString::fromStdString(
        FileSystemName(IncludeTrailingPathDelimiter(GetProgramDir()) + "assets/mailwizard.bmp"))));
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setGeometry(8, 264, 474, 2);

    m_pages[0] = MakePage(this, "This Account Name",
        "Choose a friendly name for this e-mail account you are creating. This can be any name you want.");
    AccountNameEdit = MakeEdit(m_pages[0], "AccountNameEdit", 140);
    m_pages[1] = MakePage(this, "Your Name",
        "Type your name as you would like it to appear on all outgoing mail from this account..\n\nFor example: Ann Lee");
    YourNameEdit = MakeEdit(m_pages[1], "YourNameEdit", 140);
    m_pages[2] = MakePage(this, "Your E-Mail Address",
        "Your e-mail address is the address other people will use to send e-mail messages to you. This name is "
        "usually assigned to you by the company which provides you with access to the Internet.\n\nFor example: "
        "ann@example.org");
    EmailEdit = MakeEdit(m_pages[2], "EmailEdit", 140);
    m_pages[3] = MakePage(this, "E-Mail Server Name",
        "Type the name the incoming (POP) and outgoing (SMTP) mail servers your Internet Service Provider uses. If "
        "you're not sure, contact your ISP.");
    PopEdit = MakeEdit(m_pages[3], "PopEdit", 130, "&Incoming (POP) mail server below:");
    SmtpEdit = MakeEdit(m_pages[3], "SmtpEdit", 190, "&Outgoing (SMTP) mail server below:");
    m_pages[4] = MakePage(this, "Login and Password",
        "Enter the e-mail account name and password you use to log in to your ISP to send and receive e-mail. Your "
        "e-mail account name may also be referred to as User ID, Member ID, or User Name, and is usually the name "
        "before the '@' in your email address. ");
    LoginEdit = MakeEdit(m_pages[4], "LoginEdit", 150, "&Account Login Name:");
    PasswordEdit = MakeEdit(m_pages[4], "PasswordEdit", 205, "&Password");
    PasswordEdit->setEchoMode(QLineEdit::Password);
    PasswordEdit->setMaxLength(kMaxPassword);
    m_pages[5] = MakePage(this, "Congratulations!",
        "You have successfully entered all the information required to send and recieve email.\r\n\r\nTo save these "
        "settings click &Finish");
    // One page from the start, whatever happens before the first showing.
    for (QWidget* page : m_pages)
        page->hide();
    m_pages[0]->show();

    CancelButton = new QPushButton(codepage::ToUnicode("&Cancel"), this);
    CancelButton->setObjectName("CancelButton");
    CancelButton->setGeometry(230, 274, 80, 25);
    BackButton = new QPushButton(codepage::ToUnicode("<< &Back"), this);
    BackButton->setObjectName("BackButton");
    BackButton->setGeometry(316, 274, 80, 25);
    BackButton->setEnabled(false);
    NextButton = new QPushButton(codepage::ToUnicode(kNext), this);
    NextButton->setObjectName("NextButton");
    NextButton->setGeometry(402, 274, 80, 25);
    QObject::connect(CancelButton, &QPushButton::clicked, this, [this] { Application::Guarded([this] { CancelButtonClick(); }); });
    QObject::connect(BackButton, &QPushButton::clicked, this, [this] { Application::Guarded([this] { BackButtonClick(); }); });
    QObject::connect(NextButton, &QPushButton::clicked, this, [this] { Application::Guarded([this] { NextButtonClick(); }); });

    OnShow = [this] {
        if (!m_accountName.empty())
            LoadAccount();
        ShowPage(0);
    };
}

void TMailConfigure::LoadAccount()
{
    TIniFile ini(MailIniFileName(ReadMailUser()));
    SetText(AccountNameEdit, m_accountName);
    SetText(YourNameEdit, ini.ReadString(m_accountName, "name", ""));
    SetText(EmailEdit, ini.ReadString(m_accountName, "email", ""));
    SetText(PopEdit, ShownServer(ini.ReadString(m_accountName, "POP", ""),
                         ini.ReadInteger(m_accountName, "POPport", kDefaultPopPort), kDefaultPopPort));
    SetText(SmtpEdit, ShownServer(ini.ReadString(m_accountName, "SMTP", ""),
                          ini.ReadInteger(m_accountName, "SMTPport", kDefaultSmtpPort), kDefaultSmtpPort));
    SetText(LoginEdit, ini.ReadString(m_accountName, "Login", ""));
    try {
        SetText(PasswordEdit, UnscrambleText(ini.ReadString(m_accountName, "Password", "")));
    } catch (const Exception&) {
        // A damaged password reads as none and is typed again.
        PasswordEdit->clear();
    }
}

void TMailConfigure::ShowPage(int page)
{
    m_page = page;
    for (int i = 0; i < 6; ++i)
        m_pages[static_cast<std::size_t>(i)]->setVisible(i == page);
    BackButton->setEnabled(page > 0);
    QLineEdit* const focus[] = { AccountNameEdit, YourNameEdit, EmailEdit, PopEdit, LoginEdit, nullptr };
    if (focus[page])
        focus[page]->setFocus();
    NextButton->setText(codepage::ToUnicode(page == 5 ? kFinish : kNext));
}

std::string TMailConfigure::checkPage(QLineEdit*& focus)
{
    std::string message;
    const auto fail = [&](QLineEdit* field, const char* text) {
        message = text;
        focus = field;
    };
    switch (m_page) {
    case 0:
        if (Text(AccountNameEdit).empty())
            fail(AccountNameEdit, "Please enter a valid account name, in order to proceed");
        break;
    case 1:
        if (Text(YourNameEdit).empty())
            fail(YourNameEdit, "Please enter your name, in order to proceed");
        break;
    case 2: {
        const std::string email = Text(EmailEdit);
        if (email.empty() || email.find(' ') != std::string::npos || email.find('@') == std::string::npos
            || email.find('.') == std::string::npos)
            fail(EmailEdit, "Please enter a valid email address, in order to proceed");
        break;
    }
    case 3: {
        const std::string email = Text(EmailEdit);
        const auto at = email.find('@');
        if (at != std::string::npos && Text(LoginEdit).empty())
            SetText(LoginEdit, email.substr(0, at));
        if (!UsableServer(Text(SmtpEdit)))
            fail(SmtpEdit, "Please enter a valid SMTP server, in order to proceed");
        if (!UsableServer(Text(PopEdit)))
            fail(PopEdit, "Please enter a valid POP server, in order to proceed");
        break;
    }
    case 4:
        if (Text(PasswordEdit).empty())
            fail(PasswordEdit, "Please enter a valid Password, in order to complete this setup");
        if (Text(LoginEdit).empty())
            fail(LoginEdit, "Please enter a valid Login Name, in order to complete this setup");
        break;
    default:
        break;
    }
    return message;
}

bool TMailConfigure::replacingConfirmed() const
{
    const std::string name = Text(AccountNameEdit);
    if (AnsiSameText(name, m_accountName) || !TIniFile(MailIniFileName(ReadMailUser())).SectionExists(name))
        return true;
    return MessageDlg("\rAn account named '" + name + "' already exists. Do you want to replace it?", mtConfirmation,
               mbYes | mbNo, 0)
        == mrYes;
}

void TMailConfigure::writeAccount()
{
    TIniFile ini(MailIniFileName(ReadMailUser()));
    const std::string section = Text(AccountNameEdit);
    const ServerAddress pop = ParseServer(Text(PopEdit), kDefaultPopPort);
    const ServerAddress smtp = ParseServer(Text(SmtpEdit), kDefaultSmtpPort);
    ini.WriteString(section, "name", Text(YourNameEdit));
    ini.WriteString(section, "email", Text(EmailEdit));
    ini.WriteString(section, "POP", pop.host);
    ini.WriteInteger(section, "POPport", pop.port);
    ini.WriteString(section, "SMTP", smtp.host);
    ini.WriteInteger(section, "SMTPport", smtp.port);
    ini.WriteString(section, "Login", Text(LoginEdit));
    ini.WriteString(section, "Password", ScrambleText(Trim(Text(PasswordEdit))));
}

void TMailConfigure::NextButtonClick()
{
    if (NextButton->text() == codepage::ToUnicode(kFinish)) {
        writeAccount();
        SetModalResult(mrOk);
        Close();
        return;
    }
    for (QLineEdit* edit : { AccountNameEdit, YourNameEdit, EmailEdit, PopEdit, SmtpEdit, LoginEdit, PasswordEdit })
        SetText(edit, Trim(Text(edit)));
    QLineEdit* focus = nullptr;
    const std::string message = checkPage(focus);
    if (!message.empty()) {
        focus->setFocus();
        QApplication::beep();
        MessageDlg("\r" + message, mtError, mbOK, 0);
        return;
    }
    if (m_page == 0 && !replacingConfirmed()) {
        AccountNameEdit->setFocus();
        return;
    }
    if (m_page < 5)
        ShowPage(m_page + 1);
}

void TMailConfigure::BackButtonClick()
{
    if (m_page > 0)
        ShowPage(m_page - 1);
}

void TMailConfigure::CancelButtonClick()
{
    const std::string what = m_accountName.empty() ? "created" : "updated";
    if (MessageDlg("This mail account has not been " + what + " yet.\rAre you sure you want to exit now?", mtConfirmation,
            mbYes | mbNo, 0)
        == mrYes) {
        SetModalResult(mrCancel);
        Close();
    }
}
