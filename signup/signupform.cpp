#include "signup/signupform.h"

#include "client/core/download.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/directories.h"
#include "platform/rtl/eventloop.h"
#include "platform/rtl/files.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/label.h"
#include "platform/win/process.h"
#include "signup/accountstore.h"
#include "signup/statelist.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <exception>

namespace {

constexpr int kPageLeft = 16;
constexpr int kPageTop = 16;
constexpr int kPageWidth = 449;
constexpr int kPageHeight = 240;

const char* const kRegistering = "Registering...";
const char* const kSuccessful = "Registration Successful";
const char* const kCompleted = "Your registration process was completed successfully.";

// The reply is one word; anything longer is no answer we know.
constexpr std::int64_t kMaxReplyBytes = 4096;

void Beep() { QApplication::beep(); }

std::string AppPath() { return IncludeTrailingPathDelimiter(GetProgramDir()); }

std::string readReply(const std::string& fileName)
{
    TFileStream file(fileName, fmOpenRead);
    std::string text(static_cast<std::size_t>(std::min(file.Size(), kMaxReplyBytes)), '\0');
    text.resize(static_cast<std::size_t>(file.Read(text.data(), static_cast<std::int64_t>(text.size()))));
    return text;
}


QFrame* makePage(QWidget* parent, const char* name)
{
    auto* page = new QFrame(parent);
    page->setObjectName(name);
    page->setGeometry(kPageLeft, kPageTop, kPageWidth, kPageHeight);
    page->setAutoFillBackground(true);
    page->hide();
    return page;
}

QLabel* makeLabel(QWidget* parent, const std::string& text, int left, int top, int width = 200)
{
    auto* label = new TLabel(codepage::ToUnicode(text), parent);
    label->setGeometry(left, top, width, 16);
    return label;
}

QLineEdit* makeEdit(QWidget* parent, const char* name, int left, int top, int width = 180)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setGeometry(left, top, width, 21);
    return edit;
}

QPushButton* makeButton(QWidget* parent, const char* name, const char* caption, int left, int top)
{
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(name);
    button->setGeometry(left, top, 90, 25);
    return button;
}

template <typename Signal, typename Sender>
void onEvent(Sender* sender, Signal signal, std::function<void()> handler)
{
    QObject::connect(sender, signal, [handler] { Application::Guarded(handler); });
}

}  // namespace

namespace signup {

TForm1::TForm1() : TForm("Form1")
{
    SetCaption(Ansi("Korvo© Signup "));
    SetPosition(poScreenCenter);
    SetBorderStyle(bsDialog);
    SetClientWidth(kPageLeft * 2 + kPageWidth);
    SetClientHeight(kPageTop + kPageHeight + 50);
    buildPages();
    OnShow = [this] { FormShow(); };
    OnCloseQuery = [this](bool& canClose) { FormCloseQuery(canClose); };
    OnClose = [this](TCloseAction& action) { FormClose(action); };
    FormStyler1 = std::make_unique<TQORFormStyler>(this);
    FormStyler1->Loaded();
    Loaded();
}

void TForm1::buildPages()
{
    Page1 = makePage(this, "Page1");
    makeLabel(Page1, "Welcome!", 16, 16);
    QLabel* intro = makeLabel(Page1, "Press \"Create New Account\" to register a new user, or \"Next\" to set up an existing account.",
                              16, 48, 417);
    intro->setWordWrap(true);
    // As tall as its lines at this width, so none is cut off.
    intro->setFixedHeight(intro->heightForWidth(intro->width()));
    CreateButton = makeButton(Page1, "CreateButton", "&Create New Account", 16, 100);
    CreateButton->setFixedWidth(160);

    Page2 = makePage(this, "Page2");
    makeLabel(Page2, "Step 1: Signup", 16, 8);
    const auto row = [this](const char* caption, const char* name, int top) {
        makeLabel(Page2, caption, 16, top + 3, 120);
        return makeEdit(Page2, name, 140, top, 280);
    };
    FirstNameEdit = row("First Name *", "FirstNameEdit", 32);
    LastNameEdit = row("Last Name *", "LastNameEdit", 58);
    EmailEdit = row("E-mail *", "EmailEdit", 84);
    AddressEdit = row("Address", "AddressEdit", 110);
    CityEdit = row("City", "CityEdit", 136);
    makeLabel(Page2, "State", 16, 165, 120);
    StateCombo = new QComboBox(Page2);
    StateCombo->setObjectName("StateCombo");
    StateCombo->setGeometry(140, 162, 280, 21);
    for (const std::string& state : StateList())
        StateCombo->addItem(codepage::ToUnicode(state));
    StateCombo->setCurrentIndex(-1);
    ZipEdit = row("Zip", "ZipEdit", 188);

    Page4 = makePage(this, "Page4");
    makeLabel(Page4, "Step 2: User Name", 16, 8);
    makeLabel(Page4, "User Name", 16, 35, 120);
    UserNameEdit = makeEdit(Page4, "UserNameEdit", 140, 32);
    makeLabel(Page4, "Password", 16, 61, 120);
    PasswordEdit = makeEdit(Page4, "PasswordEdit", 140, 58);
    makeLabel(Page4, "Password again", 16, 87, 120);
    Password2Edit = makeEdit(Page4, "Password2Edit", 140, 84);
    for (QLineEdit* edit : { PasswordEdit, Password2Edit }) {
        edit->setEchoMode(QLineEdit::Password);
        edit->setMaxLength(kMaxPasswordLength);
    }
    PublicKeyCheck = new QCheckBox(QStringLiteral("Public key"), Page4);
    PublicKeyCheck->setObjectName("PublicKeyCheck");
    PublicKeyCheck->setGeometry(16, 112, 120, 20);
    PublicKeyEdit = makeEdit(Page4, "PublicKeyEdit", 140, 110, 280);

    Page5 = makePage(this, "Page5");
    ResultTitle = makeLabel(Page5, kRegistering, 16, 16, 417);
    ResultTitle->setObjectName("ResultTitle");
    ResultText = makeLabel(Page5, "Please wait one moment while we register you.", 16, 48, 417);
    ResultText->setObjectName("ResultText");
    ResultText->setWordWrap(true);
    ResultText->setFixedHeight(48);
    StartCheck = new QCheckBox(QStringLiteral("Start Korvo Now"), Page5);
    StartCheck->setObjectName("StartCheck");
    StartCheck->setGeometry(16, 120, 200, 20);

    const int buttonsTop = kPageTop + kPageHeight + 14;
    BackButton = makeButton(this, "BackButton", "< &Back", 75, buttonsTop);
    NextButton = makeButton(this, "NextButton", "&Next >", 170, buttonsTop);
    CancelButton = makeButton(this, "CancelButton", "&Cancel", 280, buttonsTop);
    OkButton = makeButton(this, "OkButton", "&Ok", 375, buttonsTop);
    BackButton->setEnabled(false);

    onEvent(CreateButton, &QPushButton::clicked, [this] { CreateButtonClick(); });
    onEvent(NextButton, &QPushButton::clicked, [this] { NextButtonClick(); });
    onEvent(BackButton, &QPushButton::clicked, [this] { BackButtonClick(); });
    onEvent(CancelButton, &QPushButton::clicked, [this] { Close(); });
    onEvent(OkButton, &QPushButton::clicked, [this] { Close(); });
    for (QLineEdit* edit : { FirstNameEdit, EmailEdit, ZipEdit })
        onEvent(edit, &QLineEdit::textChanged, [this] { OkButton->setEnabled(true); });
    onEvent(StateCombo, &QComboBox::currentIndexChanged, [this] { OkButton->setEnabled(true); });
}

void TForm1::FormShow()
{
    m_registering = false;
    m_defaultHost = TIniFile(AppPath() + "servers.ini").ReadString("servers", "0", "");
    const TIniFile settings(GetWindowsDir() + "/larkspire.ini");
    FirstNameEdit->setText(codepage::ToUnicode(settings.ReadString("MAIN", "userName", "")));
    LastNameEdit->setText(codepage::ToUnicode(settings.ReadString("MAIN", "userLastname", "")));
    EmailEdit->setText(codepage::ToUnicode(settings.ReadString("MAIN", "userEmail", "")));
    AddressEdit->setText(codepage::ToUnicode(settings.ReadString("MAIN", "userAddress", "")));
    UserNameEdit->setText(codepage::ToUnicode(settings.ReadString("MAIN", "userLoginName", "")));
    CityEdit->setText(codepage::ToUnicode(settings.ReadString("MAIN", "userCity", "")));
    ZipEdit->setText(codepage::ToUnicode(settings.ReadString("MAIN", "userZipCode", "")));
    StateCombo->setCurrentIndex(StateCombo->findText(codepage::ToUnicode(settings.ReadString("MAIN", "userState", "")),
                                                     Qt::MatchFixedString | Qt::MatchCaseSensitive));
    if (FirstNameEdit->text().isEmpty()) {
        const std::string owner = QORSysInfo1.RegisteredOwner();
        // An owner nobody could read is no name to offer.
        if (owner != "(Unknown)") {
            const OwnerName name = SplitOwner(owner);
            FirstNameEdit->setText(codepage::ToUnicode(name.first));
            LastNameEdit->setText(codepage::ToUnicode(name.last));
        }
    }
    m_regsHost = settings.ReadString("MAIN", "regsServer", m_defaultHost);
    showPage(1);
}

void TForm1::showPage(int page)
{
    for (QFrame* frame : { Page1, Page2, Page4, Page5 })
        frame->hide();
    m_page = page;
    QFrame* shown = page == 1 ? Page1 : page == 2 ? Page2 : page == 4 ? Page4 : Page5;
    shown->setGeometry(kPageLeft, kPageTop, kPageWidth, kPageHeight);
    shown->show();
}

SignupFields TForm1::fields() const
{
    SignupFields f;
    f.firstName = codepage::FromUnicode(FirstNameEdit->text());
    f.lastName = codepage::FromUnicode(LastNameEdit->text());
    f.email = codepage::FromUnicode(EmailEdit->text());
    f.address = codepage::FromUnicode(AddressEdit->text());
    f.city = codepage::FromUnicode(CityEdit->text());
    f.state = codepage::FromUnicode(StateCombo->currentText());
    f.zip = codepage::FromUnicode(ZipEdit->text());
    f.userName = codepage::FromUnicode(UserNameEdit->text());
    f.password = codepage::FromUnicode(PasswordEdit->text());
    f.password2 = codepage::FromUnicode(Password2Edit->text());
    f.usePublicKey = PublicKeyCheck->isChecked();
    f.publicKey = codepage::FromUnicode(PublicKeyEdit->text());
    return f;
}

void TForm1::focus(SignupField field)
{
    QWidget* target = nullptr;
    switch (field) {
    case SignupField::FirstName: target = FirstNameEdit; break;
    case SignupField::LastName: target = LastNameEdit; break;
    case SignupField::Email: target = EmailEdit; break;
    case SignupField::Address: target = AddressEdit; break;
    case SignupField::City: target = CityEdit; break;
    case SignupField::Zip: target = ZipEdit; break;
    case SignupField::UserName: target = UserNameEdit; break;
    case SignupField::Password: target = PasswordEdit; break;
    case SignupField::PublicKey: target = PublicKeyEdit; break;
    case SignupField::None: break;
    }
    if (target)
        target->setFocus();
}

void TForm1::trimNameAndPasswords()
{
    for (QLineEdit* edit : { PasswordEdit, Password2Edit, UserNameEdit })
        edit->setText(codepage::ToUnicode(Trim(codepage::FromUnicode(edit->text()))));
}

void TForm1::CreateButtonClick()
{
    m_registering = true;
    showPage(2);
}

void TForm1::NextButtonClick()
{
    if (m_page == 1) {
        BackButton->setEnabled(true);
        enterUserNamePage();
        return;
    }
    PageCheck check = m_page == 2 ? CheckPersonalPage(fields()) : CheckUserNamePage(fields());
    // Page 4 sends the request: it goes out whole or is refused here, never cut on the way.
    if (check.passed() && m_page == 4 && m_registering)
        check = CheckRegistrationRequest(
            RegistrationUrl(m_regsHost, fields(), StoredPasswordOf(codepage::FromUnicode(PasswordEdit->text()))));
    if (!check.passed()) {
        if (check.beep)
            Beep();
        if (check.clearPasswords) {
            PasswordEdit->clear();
            Password2Edit->clear();
        }
        Application::MessageBox(check.message, Application::Title(), MB_OK | MB_ICONERROR);
        focus(check.focus);
        return;
    }
    if (m_page == 4)
        m_scrambledPassword = StoredPasswordOf(codepage::FromUnicode(PasswordEdit->text()));
    trimNameAndPasswords();
    BackButton->setEnabled(true);
    if (m_page == 2)
        enterUserNamePage();
    else
        enterResultPage();
}

void TForm1::BackButtonClick()
{
    if (m_page == 5)
        showPage(4);
    else if (m_page == 4)
        showPage(2);
    if (m_page == 2)
        BackButton->setEnabled(false);
    NextButton->setEnabled(true);
    CancelButton->setText(QStringLiteral("&Cancel"));
}

void TForm1::enterUserNamePage()
{
    showPage(4);
    if (Trim(codepage::FromUnicode(UserNameEdit->text())).empty()) {
        const std::string screenName = MessengerScreenName();
        if (!screenName.empty()
            && Application::MessageBox("\rAOL Instant Messenger detected. Use this screen name [" + screenName + "]?",
                                       Application::Title(), MB_YESNO | MB_ICONQUESTION) == IDYES)
            UserNameEdit->setText(codepage::ToUnicode(screenName));
    }
    if (Trim(codepage::FromUnicode(UserNameEdit->text())).empty()) {
        const std::string nick = IcqNickname();
        if (!nick.empty()
            && Application::MessageBox("\rICQ was detected on this system. Use your " + UpperCase(nick) + " nickname?",
                                       Application::Title(), MB_YESNO | MB_ICONQUESTION) == IDYES)
            UserNameEdit->setText(codepage::ToUnicode(nick));
    }
    if (Trim(codepage::FromUnicode(UserNameEdit->text())).empty())
        UserNameEdit->setText(codepage::ToUnicode(Trim(codepage::FromUnicode(FirstNameEdit->text()))));
    UserNameEdit->setFocus();
}

void TForm1::enterResultPage()
{
    showPage(5);
    ResultTitle->setText(QString::fromLatin1(kRegistering));
    ResultText->setText(QStringLiteral("Please wait one moment while we register you."));
    // The page is drawn before the request holds the window.
    repaint();
    QApplication::processEvents();
    if (m_registering)
        registerAccount();
    else
        storeOnly();
}

bool TForm1::store()
{
    try {
        StoreAccount(fields(), m_defaultHost, m_scrambledPassword);
        m_stored = true;
    } catch (const std::exception& error) {
        m_stored = false;
        Application::MessageBox(std::string("\r") + error.what(), Application::Title(), MB_OK | MB_ICONERROR);
    }
    return m_stored;
}

void TForm1::registerAccount()
{
    NextButton->setEnabled(false);
    BackButton->setEnabled(false);
    OkButton->setEnabled(false);
    for (QLineEdit* edit : { AddressEdit, CityEdit, ZipEdit, EmailEdit })
        edit->setText(codepage::ToUnicode(OrNil(codepage::FromUnicode(edit->text()))));
    const std::string reply = AppPath() + "response.htm";
    std::string answer;
    try {
        DownloadToFile(RegistrationUrl(m_regsHost, fields(), m_scrambledPassword), reply, "signup");
        if (FileExists(reply))
            answer = readReply(reply);
    } catch (const std::exception&) {
        answer.clear();
    }
    switch (ReadRegistrationAnswer(answer)) {
    case RegistrationAnswer::Success:
        ResultTitle->setText(QString::fromLatin1(kSuccessful));
        ResultText->setText(QString::fromLatin1(kCompleted));
        if (store()) {
            ImportMessengerBuddies(codepage::FromUnicode(UserNameEdit->text()));
        } else {
            // Registered at the service but not here: running the sign-up again
            // for the existing account stores it.
            ResultTitle->setText(QStringLiteral("Account Not Stored"));
            ResultText->setText(QStringLiteral(
                "Your account was registered, but it could not be stored on this computer. "
                "Run the signup again for an existing account to store it."));
            BackButton->setEnabled(true);
            CancelButton->setEnabled(true);
        }
        OkButton->setEnabled(true);
        break;
    case RegistrationAnswer::Duplicate:
        ResultTitle->setText(QStringLiteral("Username is taken."));
        ResultText->setText(QStringLiteral("Your where not registered, choose another name."));
        CancelButton->setEnabled(true);
        BackButton->setEnabled(true);
        OkButton->setEnabled(true);
        Application::MessageBox("\rThe user name '" + codepage::FromUnicode(UserNameEdit->text()) + "' already exists. Please choose another",
                                Application::Title(), MB_OK | MB_ICONERROR);
        ResultTitle->setText(QString::fromLatin1(kRegistering));
        showPage(4);
        NextButton->setEnabled(true);
        UserNameEdit->setFocus();
        break;
    case RegistrationAnswer::Error:
        ResultTitle->setText(QStringLiteral("Registration Error"));
        ResultText->setText(QStringLiteral("We had problems registering you at this time. Please try again later."));
        CancelButton->setEnabled(true);
        BackButton->setEnabled(true);
        OkButton->setEnabled(true);
        break;
    }
}

void TForm1::storeOnly()
{
    if (store()) {
        ResultTitle->setText(QStringLiteral("Registration Complete. "));
        ResultText->setText(QString::fromLatin1(kCompleted));
    } else {
        ResultTitle->setText(QStringLiteral("Account Not Stored"));
        ResultText->setText(QStringLiteral("Your account could not be stored on this computer."));
    }
    NextButton->setEnabled(false);
}

void TForm1::FormCloseQuery(bool& canClose)
{
    if (m_page == 5)
        return;
    Beep();
    canClose = Application::MessageBox("\rThe signup process is incomplete. Are you sure you want to abort?",
                                       Application::Title(), MB_YESNO | MB_ICONERROR) == IDYES;
}

void TForm1::FormClose(TCloseAction& action)
{
    if (m_page == 5 && m_stored && StartCheck->isChecked() && codepage::FromUnicode(ResultTitle->text()) == kSuccessful)
        WinExec("larkspire.exe", SW_SHOWNORMAL);
}

}  // namespace signup
