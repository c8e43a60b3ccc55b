#include "client/features/setup.h"

#include "client/core/buddy.h"
#include "client/core/buddyfile.h"
#include "client/core/helpers.h"
#include "client/core/mainbar.h"
#include "client/core/scrambler.h"
#include "client/core/session.h"
#include "client/core/settings.h"
#include "client/core/userlist.h"
#include "client/features/form16.h"
#include "client/features/modifyaccount.h"
#include "kit/qorforma.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/eventloop.h"
#include "platform/rtl/files.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/stringlist.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/graphics.h"
#include "platform/ui/label.h"
#include "platform/win/process.h"
#include "platform/win/registry.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>

namespace {

constexpr const char* kDefaultAlias = "korvo_user";
constexpr std::size_t kMaxKeywordBytes = 64 * 1024;
constexpr int kMaxSources = 200;

std::string EditText(const QLineEdit* edit) { return codepage::FromUnicode(edit->text()); }
std::string Flag(const QCheckBox* box) { return box->isChecked() ? "1" : "0"; }

QCheckBox* Check(const char* name, const char* caption, QWidget* parent, int x, int y, int width = 380)
{
    auto* box = new QCheckBox(codepage::ToUnicode(caption), parent);
    box->setObjectName(name);
    box->setGeometry(x, y, width, 18);
    return box;
}

QLabel* MakeLabel(const char* caption, QWidget* parent, int x, int y, int width = 120)
{
    auto* label = new TLabel(codepage::ToUnicode(caption), parent);
    label->setGeometry(x, y + 3, width, 16);
    return label;
}

QLineEdit* Box(const char* name, QWidget* parent, int x, int y, int width, int maxLength = 0)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setGeometry(x, y, width, 21);
    if (maxLength > 0)
        edit->setMaxLength(maxLength);
    return edit;
}

QPushButton* Button(const char* name, const char* caption, QWidget* parent, int x, int y, int width = 75)
{
    auto* button = new QPushButton(codepage::ToUnicode(caption), parent);
    button->setObjectName(name);
    button->setGeometry(x, y, width, 25);
    return button;
}

QGroupBox* Group(const char* caption, QWidget* parent, int x, int y, int width, int height)
{
    auto* group = new QGroupBox(codepage::ToUnicode(caption), parent);
    group->setGeometry(x, y, width, height);
    return group;
}

std::vector<std::string> SubKeys(const char* key)
{
    TRegistry registry(HKEY_LOCAL_MACHINE);
    if (!registry.OpenKeyReadOnly(key))
        return {};
    return registry.GetKeyNames();
}

std::string KeywordsFile() { return AppPath() + "keywords.txt"; }

template <typename Signal, typename Sender>
void OnEvent(QObject* context, Sender* sender, Signal signal, std::function<void()> call)
{
    QObject::connect(sender, signal, context, [call = std::move(call)] { Application::Guarded(call); });
}

}  // namespace

std::string BadAccountUserIdText()
{
    return "\rUser ID cannot contain spaces or \\/:*?\"'<>| characters. Please retype ID.";
}

std::string BadAccountEmailText() { return "\rYour have entered an invalid E-mail address. Please retype email."; }

std::string PasswordMismatchText() { return "\rNew password type mismatch. Please retype your password."; }

TSetup::TSetup()
    : TForm("Setup")
{
    SetCaption("Korvo Properties");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientWidth(456);
    SetClientHeight(411);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    PageControl1->setGeometry(8, 8, 440, 360);
    PageControl1->tabBar()->setObjectName("PageTabs");
    PageControl1->addTab(MakeSettingsPage(), codepage::ToUnicode("Settings"));
    PageControl1->addTab(MakeHeadlinesPage(), codepage::ToUnicode("Headlines"));
    PageControl1->addTab(MakeInformationPage(), codepage::ToUnicode("My Information"));
    PageControl1->addTab(MakePrivacyPage(), codepage::ToUnicode("Privacy"));
    PageControl1->addTab(MakeMailPage(), codepage::ToUnicode("Mail"));
    OKButton = Button("OKButton", "&OK", this, 212, 378);
    CancelButton = Button("CancelButton", "Ca&ncel", this, 292, 378);
    ApplyButton = Button("ApplyButton", "&Apply", this, 372, 378);
    ApplyButton->setEnabled(false);
    OnEvent(this, OKButton, &QPushButton::clicked, [this] { OKButtonClick(); });
    OnEvent(this, CancelButton, &QPushButton::clicked, [this] { CancelButtonClick(); });
    OnEvent(this, ApplyButton, &QPushButton::clicked, [this] { ApplyButtonClick(); });

    // Every edit on any page makes Apply worth pressing.
    for (QCheckBox* box : findChildren<QCheckBox*>())
        QObject::connect(box, &QCheckBox::clicked, this, [this] { Changed(); });
    for (QLineEdit* edit : findChildren<QLineEdit*>())
        QObject::connect(edit, &QLineEdit::textEdited, this, [this] { Changed(); });
    QObject::connect(Keywords, &QPlainTextEdit::textChanged, this, [this] { Changed(); });
    QObject::connect(AddressBook, &QComboBox::currentIndexChanged, this, [this] { Changed(); });

    OnShow = [this] { FormShow(); };
    OnClose = [this](TCloseAction&) { AbandonModify(); };
    m_styler = std::make_unique<TQORFormStyler>(this);
    m_styler->Loaded();
    Loaded();
}

// A request still on its way is abandoned with the window.
TSetup::~TSetup() { AbandonModify(); }

void TSetup::AbandonModify()
{
    m_modifyAwaited = 0;
    m_modifyRunning = false;
}

QWidget* TSetup::MakeSettingsPage()
{
    auto* page = new QWidget;
    auto* prefs = Group("&User Preferences", page, 8, 8, 416, 170);
    SoundEffects = Check("SoundEffects", "Sound &Effects", prefs, 12, 22);
    BuddyCheck = Check("BuddyCheck", "&Automatically check for buddies every", prefs, 12, 46, 230);
    BuddyMinutes = Box("BuddyMinutes", prefs, 244, 44, 28, 2);
    BuddyMinutes->setText("30");
    BuddyMinutesLabel = MakeLabel("minutes", prefs, 278, 44, 60);
    AolConnection = Check("AolConnection", "I use &AOL to connect to the Internet.", prefs, 12, 70);
    QuickTips = Check("QuickTips", "Show me &Quicktips", prefs, 12, 94);
    MakeLabel("I'm connected to the Internet using:", prefs, 12, 120, 190);
    ConnectionSpeed = new QComboBox(prefs);
    ConnectionSpeed->setObjectName("ConnectionSpeed");
    ConnectionSpeed->setGeometry(206, 120, 198, 22);
    for (const char* item : { "14400 bps modem", "28800 bps or faster modem", "ISDN", "Local Area Network", "Cable Modem" })
        ConnectionSpeed->addItem(codepage::ToUnicode(item));
    auto* ambro = Group(Ansi("AMBRO® Preferences").c_str(), page, 8, 186, 416, 70);
    MakeLabel("Use this alias whenever I'm using Korvo Ambro (tm)", ambro, 12, 20, 270);
    Alias = Box("Alias", ambro, 286, 22, 118, 20);

    OnEvent(this, SoundEffects, &QCheckBox::clicked, [this] { Session().sound = SoundEffects->isChecked(); });
    OnEvent(this, AolConnection, &QCheckBox::clicked, [this] { Session().aolConnection = AolConnection->isChecked(); });
    OnEvent(this, BuddyCheck, &QCheckBox::clicked, [this] { BuddyCheckClick(); });
    OnEvent(this, ConnectionSpeed, &QComboBox::currentIndexChanged, [this] { ConnectionSpeedChange(); });
    return page;
}

QWidget* TSetup::MakeHeadlinesPage()
{
    auto* page = new QWidget;
    auto* group = Group("Receive News Headlines from the selected sources below", page, 8, 8, 416, 150);
    NewsSources = new QScrollArea(group);
    NewsSources->setObjectName("NewsSources");
    NewsSources->setGeometry(12, 20, 392, 118);
    NewsSources->setWidget(new QWidget);
    NewsSources->widget()->resize(370, 0);
    auto* note = new TLabel(codepage::ToUnicode("Korvo can scan the news, alerting you when headlines with specified keywords appear. "
                                 "Enter your keywords below separated by commas."),
                            page);
    note->setWordWrap(true);
    note->setGeometry(8, 164, 416, 32);
    Keywords = new QPlainTextEdit(page);
    Keywords->setObjectName("Keywords");
    Keywords->setGeometry(8, 200, 416, 70);
    ShowNewsAlerts = Check("ShowNewsAlerts", "Show news alerts", page, 8, 278);
    manual = Check("manual", "Automatically update headlines", page, 8, 302);
    return page;
}

QWidget* TSetup::MakeInformationPage()
{
    auto* page = new QWidget;
    auto* group = Group("To modify your existing account, first type your password below:", page, 8, 8, 416, 300);
    MakeLabel("User ID:", group, 12, 24);
    UserId = Box("UserId", group, 140, 24, 160);
    MakeLabel("E-mail:", group, 12, 52);
    Email = Box("Email", group, 140, 52, 260);
    MakeLabel("Current Password:", group, 12, 80);
    CurrentPassword = Box("CurrentPassword", group, 140, 80, 160, 15);
    CurrentPassword->setEchoMode(QLineEdit::Password);
    MakeLabel("New Password:", group, 12, 108);
    NewPassword = Box("NewPassword", group, 140, 108, 160, 15);
    NewPassword->setEchoMode(QLineEdit::Password);
    MakeLabel("Confirm Password:", group, 12, 136);
    ConfirmPassword = Box("ConfirmPassword", group, 140, 136, 160, 15);
    ConfirmPassword->setEchoMode(QLineEdit::Password);
    MakeLabel("Phone Number:", group, 12, 164);
    PhoneNumber = Box("PhoneNumber", group, 140, 164, 110, 14);
    PhoneNumber->setInputMask("(999) 000-0000; ");
    MakeLabel("Public Key:*", group, 12, 192);
    PublicKey = Box("PublicKey", group, 140, 192, 160, 16);
    ModifyAccount = Button("ModifyAccount", "&Modify Account", group, 140, 230, 120);
    for (QWidget* field : std::initializer_list<QWidget*> { UserId, Email, NewPassword, ConfirmPassword, PhoneNumber, PublicKey })
        EnableAndColour(field, false);
    ModifyAccount->setEnabled(false);
    OnEvent(this, CurrentPassword, &QLineEdit::textChanged, [this] { CurrentPasswordChange(); });
    OnEvent(this, ModifyAccount, &QPushButton::clicked, [this] { ModifyAccountClick(); });
    return page;
}

QWidget* TSetup::MakePrivacyPage()
{
    auto* page = new QWidget;
    auto* group = Group("Select the friends you wish to be visible to, while online.", page, 8, 8, 416, 300);
    MakeLabel("I'm visible to:", group, 12, 20);
    VisibleList = new QListWidget(group);
    VisibleList->setObjectName("VisibleList");
    VisibleList->setGeometry(12, 40, 150, 240);
    VisibleList->setSortingEnabled(true);
    MakeLabel("I'm invisible to:", group, 254, 20);
    InvisibleList = new QListWidget(group);
    InvisibleList->setObjectName("InvisibleList");
    InvisibleList->setGeometry(254, 40, 150, 240);
    InvisibleList->setSortingEnabled(true);
    AddButton = Button("AddButton", "&Add >>", group, 170, 80);
    RemoveButton = Button("RemoveButton", "<< &Remove", group, 170, 112);
    ResetButton = Button("ResetButton", "R&eset", group, 170, 144);
    AddButton->setEnabled(false);
    RemoveButton->setEnabled(false);
    OnEvent(this, VisibleList, &QListWidget::itemClicked, [this] { AddButton->setEnabled(VisibleList->currentItem()); });
    OnEvent(this, InvisibleList, &QListWidget::itemClicked,
            [this] { RemoveButton->setEnabled(InvisibleList->currentItem()); });
    OnEvent(this, AddButton, &QPushButton::clicked, [this] { AddButtonClick(); });
    OnEvent(this, RemoveButton, &QPushButton::clicked, [this] { RemoveButtonClick(); });
    OnEvent(this, ResetButton, &QPushButton::clicked, [this] { ResetButtonClick(); });
    return page;
}

QWidget* TSetup::MakeMailPage()
{
    auto* page = new QWidget;
    auto* programs = Group("Programs", page, 8, 8, 416, 110);
    MakeLabel("Choose which programs you want Korvo to use for the following:", programs, 12, 18, 390);
    MakeLabel("Mail:", programs, 12, 46, 90);
    MailClient = new QComboBox(programs);
    MailClient->setObjectName("MailClient");
    MailClient->setGeometry(110, 46, 290, 22);
    MakeLabel("Address Book:", programs, 12, 76, 90);
    AddressBook = new QComboBox(programs);
    AddressBook->setObjectName("AddressBook");
    AddressBook->setGeometry(110, 76, 290, 22);
    auto* options = Group("Options", page, 8, 124, 416, 200);
    MailCheck = Check("MailCheck", "Automatically check for new  mail every", options, 12, 22, 230);
    MailMinutes = Box("MailMinutes", options, 244, 20, 34, 3);
    MailMinutes->setText("10");
    MakeLabel("minutes", options, 284, 20, 60);
    LeaveOnServer = Check("LeaveOnServer", "Leave messages on server after reading", options, 28, 46);
    PlayMailSound = Check("PlayMailSound", "Play sound when new mail arrive", options, 28, 70);
    ShowHeaders = Check("ShowHeaders", "Show me mail headers when new mail arrive", options, 28, 94);
    UsePostwing = Check("UsePostwing", Ansi("Use Korvo Postwing® as needed").c_str(), options, 12, 118);
    DownloadLink = Check("DownloadLink", "Include a 'Download Korvo' link", options, 12, 142);
    AccountsButton = Button("AccountsButton", "A&ccounts...", options, 310, 164, 94);
    OnEvent(this, MailCheck, &QCheckBox::clicked, [this] { MailCheckClick(); });
    OnEvent(this, MailClient, &QComboBox::currentIndexChanged, [this] { MailClientChange(); });
    OnEvent(this, AccountsButton, &QPushButton::clicked, [this] { AccountsButtonClick(); });
    return page;
}

void TSetup::Changed()
{
    if (!m_loading)
        ApplyButton->setEnabled(true);
}

void TSetup::FormShow()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_loading = true;
    LoadSettings();
    ConnectionSpeedChange();
    LoadAccountInfo();
    LoadPrivacyLists(false);
    m_loading = false;
    ApplyButton->setEnabled(false);
    // The bar stays above other windows while its properties are open; raising does not activate it.
    if (Form1)
        Form1->raise();
    QApplication::restoreOverrideCursor();
}

void TSetup::LoadSettings()
{
    try {
        const TSession& s = Session();
        TStringList sections;
        TIniFile(AppPath() + "netmail.inf").ReadSections(sections);
        m_webMail.clear();
        for (int i = 0; i < sections.Count(); ++i)
            m_webMail.push_back(sections[i]);

        const QSignalBlocker mailBlock(MailClient);
        const QSignalBlocker bookBlock(AddressBook);
        MailClient->clear();
        for (const std::string& name : SubKeys("\\software\\clients\\mail"))
            MailClient->addItem(codepage::ToUnicode(name));
        for (const std::string& name : m_webMail)
            MailClient->addItem(codepage::ToUnicode(name));
        AddressBook->clear();
        for (const std::string& name : SubKeys("\\software\\clients\\contacts"))
            AddressBook->addItem(codepage::ToUnicode(name));

        SoundEffects->setChecked(s.sound);
        BuddyCheck->setChecked(s.periodicLogOn);
        BuddyMinutes->setText(codepage::ToUnicode(IntToStr(s.hintInterval)));
        AolConnection->setChecked(s.aolConnection);
        QuickTips->setChecked(s.quickTips);
        {
            const QSignalBlocker block(ConnectionSpeed);
            ConnectionSpeed->setCurrentIndex(std::min<int>(s.connectionSpeed, ConnectionSpeed->count() - 1));
        }
        ShowNewsAlerts->setChecked(s.hideNewsAlerts);
        manual->setChecked(s.pushNewsManual);

        MakeSourceBoxes();

        MailClient->setCurrentIndex(MailClient->findText(codepage::ToUnicode(s.mailClient), Qt::MatchExactly));
        AddressBook->setCurrentIndex(AddressBook->findText(codepage::ToUnicode(s.addressBook), Qt::MatchExactly));
        const TIniFile ini(kLarkspireIni);
        MailCheck->setChecked(ini.ReadBool("Mail", "1", false));
        LeaveOnServer->setChecked(ini.ReadBool("Mail", "2", false));
        ShowHeaders->setChecked(ini.ReadBool("Mail", "3", false));
        PlayMailSound->setChecked(ini.ReadBool("Mail", "4", false));
        UsePostwing->setChecked(ini.ReadBool("Mail", "5", false));
        DownloadLink->setChecked(ini.ReadBool("Mail", "6", false));
        MailMinutes->setText(codepage::ToUnicode(ini.ReadString("Mail", "CheckInterval", "10").substr(0, 3)));
        MailCheckClick();
        MailClientChange();

        const std::string alias =
            IsLocalUserFolder(s.userId) ? TIniFile(UserDatFile(s.userId)).ReadString("user", "alias", "") : "";
        Alias->setText(codepage::ToUnicode(Trim(alias).empty() ? std::string(kDefaultAlias) : alias));

        Keywords->clear();
        std::string keywords;
        if (ReadWholeFile(KeywordsFile(), keywords)) {
            keywords.resize(std::min(keywords.size(), kMaxKeywordBytes));
            // The memo shows lines; the file ends them with CR LF.
            std::string lines;
            for (const char c : keywords)
                if (c != '\r')
                    lines += c;
            if (!lines.empty() && lines.back() == '\n')
                lines.pop_back();
            Keywords->setPlainText(codepage::ToUnicode(lines));
        }
    } catch (const std::exception&) {
        // What could not be read stays as it was shown.
    }
}

void TSetup::MakeSourceBoxes()
{
    for (auto& [box, section] : SourceBoxes)
        delete box;
    SourceBoxes.clear();
    const std::string newsInf = AppPath() + "News.inf";
    TStringList sections;
    TIniFile(newsInf).ReadSections(sections);
    QWidget* area = NewsSources->widget();
    int top = 15;
    for (int i = 0; i < sections.Count() && i < kMaxSources; ++i) {
        const std::string section = sections[i];
        const TIniFile inf(newsInf);
        auto* box = new QCheckBox(codepage::ToUnicode(inf.ReadString(section, "caption", section)), area);
        box->setObjectName(codepage::ToUnicode("Source" + IntToStr(i)));
        box->setGeometry(15, top, 300, 18);
        box->setChecked(inf.ReadBool(section, "get", false));
        box->setAutoFillBackground(true);
        box->show();
        QObject::connect(box, &QCheckBox::clicked, this, [this, box, section, newsInf] {
            Application::Guarded([&] {
                TIniFile(newsInf).WriteString(section, "get", Flag(box));
                Changed();
            });
        });
        SourceBoxes.emplace_back(box, section);
        top += 30;
    }
    area->resize(370, top);
}

void TSetup::ConnectionSpeedChange()
{
    Session().connectionSpeed = static_cast<std::uint8_t>(std::max(ConnectionSpeed->currentIndex(), 0));
    const bool fast = ConnectionSpeed->currentIndex() == 3 || ConnectionSpeed->currentIndex() == 4;
    BuddyCheck->setEnabled(fast);
    BuddyMinutesLabel->setEnabled(fast);
    if (!fast) {
        BuddyCheck->setChecked(false);
        Session().periodicLogOn = false;
    }
    EnableAndColour(BuddyMinutes, fast);
    Changed();
}

void TSetup::BuddyCheckClick()
{
    EnableAndColour(BuddyMinutes, BuddyCheck->isChecked());
    Session().periodicLogOn = BuddyCheck->isChecked();
}

void TSetup::MailCheckClick()
{
    const bool on = MailCheck->isChecked();
    EnableAndColour(MailMinutes, on);
    for (QCheckBox* box : { LeaveOnServer, PlayMailSound, ShowHeaders })
        box->setEnabled(on);
}

void TSetup::MailClientChange()
{
    Changed();
    const std::string text = codepage::FromUnicode(MailClient->currentText());
    if (!m_lastMailClient.empty() && std::find(m_webMail.begin(), m_webMail.end(), text) != m_webMail.end()) {
        TForm16 login;
        login.SetCaption("Enter Login information");
        login.Label3->setText(codepage::ToUnicode(text + "\x99"));
        login.ShowModal();
    }
    m_lastMailClient = text;
}

void TSetup::SaveSettings()
{
    // Checked before anything is written, so a bad number leaves every file as it was.
    int mailMinutes = 0;
    const std::string mailText = Trim(EditText(MailMinutes));
    if (!TryStrToInt(mailText, mailMinutes))
        throw EConvertError("'" + mailText + "' is not a valid integer value");
    mailMinutes = std::clamp(mailMinutes, 1, 65535);

    TIniFile channels(AppPath() + kChannelsIni);
    channels.WriteString("Settings", "Sound", Flag(SoundEffects));
    channels.WriteString("Settings", "Hint", Flag(BuddyCheck));
    channels.WriteString("Settings", "AOL", Flag(AolConnection));
    channels.WriteString("Settings", "HideNewsAlerts", Flag(ShowNewsAlerts));
    channels.WriteString("Settings", "QuickTips", Flag(QuickTips));
    channels.WriteInteger("Settings", "ConnectionSpeed", std::max(ConnectionSpeed->currentIndex(), 0));
    int minutes = 0;
    if (!TryStrToInt(Trim(EditText(BuddyMinutes)), minutes) || minutes < 5) {
        minutes = 5;
        BuddyMinutes->setText("5");
    }
    channels.WriteInteger("Settings", "HintInterval", minutes);
    channels.WriteString("Push News", "manual", Flag(manual));

    TSession& s = Session();
    TIniFile ini(kLarkspireIni);
    s.mailClient = codepage::FromUnicode(MailClient->currentText());
    s.addressBook = codepage::FromUnicode(AddressBook->currentText());
    ini.WriteString("Mail", "Mail Client", s.mailClient);
    ini.WriteString("Mail", "Address Book", s.addressBook);
    const QCheckBox* const numbered[] = { MailCheck, LeaveOnServer, ShowHeaders, PlayMailSound, UsePostwing, DownloadLink };
    for (int i = 0; i < 6; ++i)
        ini.WriteString("Mail", IntToStr(i + 1), Flag(numbered[i]));
    ini.WriteInteger("Mail", "CheckInterval", mailMinutes);

    if (Trim(EditText(Alias)).empty())
        Alias->setText(kDefaultAlias);
    if (CheckUserId(s.userId).empty()) {
        ForceDirectories(ExcludeTrailingPathDelimiter(UserRoot(s.userId)));
        TIniFile(UserDatFile(s.userId)).WriteString("user", "alias", EditText(Alias));
    }

    std::string keywords;
    const std::string memo = codepage::FromUnicode(Keywords->toPlainText());
    if (!memo.empty()) {
        std::size_t start = 0;
        for (;;) {
            const std::size_t end = memo.find('\n', start);
            keywords += memo.substr(start, end - start) + "\r\n";
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
    }
    if (!WriteFileAtomically(KeywordsFile(), keywords))
        throw EIniFileException("Unable to write to " + KeywordsFile());
}

void TSetup::LoadAccountInfo()
{
    const TSession& s = Session();
    std::string password;
    if (IsLocalUserFolder(s.userId) && !UserFolderLeadsOutside(s.userId)) {
        try {
            password = UnscrambleText(TIniFile(UserDatFile(s.userId)).ReadString("user", "password", ""));
        } catch (const std::exception&) {
            // A damaged entry shows as no password.
        }
    }
    NewPassword->setText(codepage::ToUnicode(password));
    ConfirmPassword->setText(codepage::ToUnicode(password));
    UserId->setText(codepage::ToUnicode(s.userId));
    Email->setText(codepage::ToUnicode(s.userEmail));
    PhoneNumber->setText(codepage::ToUnicode(s.userPhoneNumber));
    PublicKey->setText(codepage::ToUnicode(s.userPublicKey));
}

void TSetup::CurrentPasswordChange()
{
    const bool match = LowerCase(EditText(CurrentPassword)) == LowerCase(EditText(NewPassword));
    for (QWidget* field : std::initializer_list<QWidget*> { Email, PhoneNumber, NewPassword, ConfirmPassword, PublicKey })
        EnableAndColour(field, match);
    ModifyAccount->setEnabled(match);
}

bool TSetup::ValidateAccountFields()
{
    const auto refuse = [this](const std::string& text, QWidget* field) {
        QApplication::beep();
        MessageDlg(text, mtError, mbOK, 0);
        if (ModifyAccount->isEnabled())
            field->setFocus();
        return true;
    };
    const std::string id = Trim(EditText(UserId));
    UserId->setText(codepage::ToUnicode(id));
    if (id.empty() || !CheckUserId(id).empty())
        return refuse(BadAccountUserIdText(), UserId);
    const std::string email = Trim(EditText(Email));
    if (email.empty() || email.find('@') == std::string::npos || email.find('.') == std::string::npos)
        return refuse(BadAccountEmailText(), Email);
    if (ConfirmPassword->text() != NewPassword->text() || Trim(EditText(ConfirmPassword)).empty()) {
        NewPassword->clear();
        ConfirmPassword->clear();
        return refuse(PasswordMismatchText(), NewPassword);
    }
    ModifyAccount->setEnabled(Email->isEnabled());
    return false;
}

namespace {

// The local half of a change the service made: the session and the files that
// sign-on reads take the values sent.
void StoreAccountInfo(const TAccountChange& change)
{
    TSession& s = Session();
    // Signed off meanwhile, the session is another's: only the files change.
    if (SameText(s.userId, change.userId)) {
        s.userEmail = change.email;
        s.userPublicKey = change.publicKey;
        s.userPhoneNumber = change.phone;
        s.scrambledPassword = change.newScrambledPassword;
    }
    TIniFile ini(kLarkspireIni);
    ini.WriteString("MAIN", "userEmail", change.email);
    ini.WriteString("MAIN", "userPublicKey", change.publicKey);
    ini.WriteString("MAIN", "userPhoneNumber", change.phone);
    // The ID becomes a folder of "my friends", never a path leading elsewhere.
    const std::string id = Trim(change.newUserId);
    if (!CheckUserId(id).empty())
        return;
    ForceDirectories(ExcludeTrailingPathDelimiter(UserRoot(id)));
    TIniFile(UserDatFile(id)).WriteString("user", "password", change.newScrambledPassword);
}

}  // namespace

void TSetup::LockButtons(bool locked)
{
    // Cancel stays: it closes the window, and a request already sent still completes.
    for (QPushButton* button : { ApplyButton, OKButton })
        button->setEnabled(!locked);
}

void TSetup::ModifyAccountClick()
{
    if (ValidateAccountFields())
        return;
    LockButtons(true);
    ModifyAccount->setEnabled(false);
    ModifyAccount->setText(codepage::ToUnicode("&One moment..."));
    m_modifyRunning = true;
    static unsigned requests = 0;
    const unsigned awaited = m_modifyAwaited = ++requests;
    QPointer<TSetup> alive(this);
    auto* thread = new TModifyAccount([alive, awaited]() -> std::optional<TModifyAccount::TRequest> {
        if (!alive || alive->m_modifyAwaited != awaited)
            return std::nullopt;
        TAccountChange change;
        const TSession& s = Session();
        change.userId = s.userId;
        change.scrambledPassword = s.scrambledPassword;
        change.newUserId = EditText(alive->UserId);
        change.email = EditText(alive->Email);
        change.phone = EditText(alive->PhoneNumber);
        change.newScrambledPassword = SessionPassword(EditText(alive->NewPassword));
        change.publicKey = EditText(alive->PublicKey);
        return TModifyAccount::TRequest { s.regsServer, change };
    });
    thread->OnTerminate = [alive, awaited](TThread* sender) {
        const auto* modify = static_cast<TModifyAccount*>(sender);
        const bool succeeded = modify->Request && ModifyAccountSucceeded(modify->Reply);
        // The service holds the change now: the stored password follows it, even
        // when the window was cancelled meanwhile.
        if (succeeded)
            StoreAccountInfo(modify->Request->change);
        if (alive && alive->m_modifyAwaited == awaited)
            alive->ModifyAccountDone(succeeded);
    };
    thread->Start();
    if (Form1)
        Form1->UpdateStatusBar();
}

void TSetup::ModifyAccountDone(bool succeeded)
{
    m_modifyRunning = false;
    m_modifyAwaited = 0;
    ModifyAccount->setText(codepage::ToUnicode("&Done"));
    if (!succeeded) {
        Application::MessageBox("\rUnable to access your account information. Please try again later.",
                                Application::Title(), MB_OK | MB_ICONINFORMATION);
        ModifyAccount->setEnabled(true);
    } else {
        Application::MessageBox("\rYour account information was successfully updated.", Application::Title(),
                                MB_OK | MB_ICONINFORMATION);
        CurrentPassword->clear();
        CurrentPassword->setFocus();
    }
    LockButtons(false);
    ModifyAccount->setText(codepage::ToUnicode("&Modify Account"));
}

void TSetup::LoadPrivacyLists(bool reset)
{
    VisibleList->clear();
    InvisibleList->clear();
    for (const std::string& name : BuddyFileNames()) {
        if (reset)
            WriteBuddyValue(name, "Block", "0");
        (IsBuddyBlocked(name) ? InvisibleList : VisibleList)->addItem(codepage::ToUnicode(name));
    }
}

void TSetup::MoveBuddy(QListWidget* from, QListWidget* to, bool block, QPushButton* fromButton, QPushButton* toButton)
{
    const int row = from->currentRow();
    if (row < 0)
        return;
    toButton->setEnabled(true);
    const QString name = from->item(row)->text();
    delete from->takeItem(row);
    to->addItem(name);
    const auto found = to->findItems(name, Qt::MatchExactly);
    if (!found.isEmpty())
        to->setCurrentItem(found.front());
    WriteBuddyValue(codepage::FromUnicode(name), "Block", block ? "1" : "0");
    if (from->count() > 0)
        from->setCurrentRow(std::max(row - 1, 0));
    if (from->count() == 0)
        fromButton->setEnabled(false);
}

void TSetup::AddButtonClick() { MoveBuddy(VisibleList, InvisibleList, true, AddButton, RemoveButton); }

void TSetup::RemoveButtonClick() { MoveBuddy(InvisibleList, VisibleList, false, RemoveButton, AddButton); }

void TSetup::ResetButtonClick() { LoadPrivacyLists(true); }

void TSetup::AccountsButtonClick() { RunProgram("mail.exe /config", SW_SHOWNORMAL); }

void TSetup::OKButtonClick()
{
    SaveSettings();
    SetModalResult(mrOk);
    Close();
}

void TSetup::ApplyButtonClick()
{
    SaveSettings();
    ApplyButton->setEnabled(false);
}

void TSetup::CancelButtonClick()
{
    AbandonModify();
    SetModalResult(mrCancel);
    Close();
}

void ShowSetup()
{
    TSetup setup;
    setup.ShowModal();
}
