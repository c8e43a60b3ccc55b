#include "client/core/signon.h"

#include "client/core/adindex.h"
#include "client/core/featurewindows.h"

#include "client/core/helpers.h"
#include "client/core/session.h"
#include "client/core/settings.h"
#include "client/core/userlist.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/files.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/gifimage.h"
#include "platform/ui/label.h"
#include "platform/win/trayicon.h"
#include "platform/win/wintypes.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QToolButton>

#include <algorithm>
#include <functional>

namespace {

TSignon* g_signon = nullptr;

constexpr int kMaxPasswordLength = 15;

// A user-name box that says when its list is about to drop down.
class UserCombo final : public QComboBox {
public:
    using QComboBox::QComboBox;
    std::function<void()> onDropDown;

    void showPopup() override
    {
        if (onDropDown)
            Application::Guarded(onDropDown);
        QComboBox::showPopup();
    }
};

QToolButton* MakeButton(QWidget* parent, const char* name, const char* text, int x, int y)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(codepage::ToUnicode(text));
    button->setAutoRaise(false);
    button->setGeometry(x, y, 80, 25);
    return button;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const char* text, int x, int y, int width)
{
    auto* label = new TLabel(codepage::ToUnicode(text), parent);
    label->setObjectName(name);
    label->setGeometry(x, y, width, 16);
    return label;
}

void Beep() { QApplication::beep(); }

}  // namespace

TSignon* Signon() { return g_signon; }

TSignon::TSignon() : TForm("Signon")
{
    g_signon = this;
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetBorderIcons(biSystemMenu);
    SetClientWidth(360);
    SetClientHeight(262);

    AdSplash = new TGIFImage(this);
    AdSplash->setObjectName("AdSplash");
    AdSplash->setGeometry(10, 10, 340, 110);
    AdSplash->SetCenter(true);
    AdSplash->SetStretch(false);
    AdSplash->OnClick = [this] { AdSplashClick(); };
    AdSplash->installEventFilter(this);

    MakeLabel(this, "Label1", "User name:", 20, 136, 80);
    auto* combo = new UserCombo(this);
    combo->setObjectName("ComboBox1");
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setMaxVisibleItems(10);
    combo->setGeometry(110, 132, 230, 22);
    combo->onDropDown = [this] { ComboBox1DropDown(); };
    ComboBox1 = combo;
    QObject::connect(ComboBox1, &QComboBox::editTextChanged, [this] { Application::Guarded([this] { ComboBox1Change(); }); });
    ComboBox1->lineEdit()->installEventFilter(this);

    MakeLabel(this, "Label2", "Password:", 20, 166, 80);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setEchoMode(QLineEdit::Password);
    Edit1->setMaxLength(kMaxPasswordLength);
    Edit1->setGeometry(110, 162, 230, 22);
    QObject::connect(Edit1, &QLineEdit::textChanged, [this] { Application::Guarded([this] { Edit1Change(); }); });
    Edit1->installEventFilter(this);

    CheckBox1 = new QCheckBox(codepage::ToUnicode("Save password"), this);
    CheckBox1->setObjectName("CheckBox1");
    CheckBox1->setGeometry(110, 190, 230, 18);
    CheckBox1->setEnabled(false);

    SpeedButton1 = MakeButton(this, "SpeedButton1", "&Sign on", 20, 218);
    SpeedButton3 = MakeButton(this, "SpeedButton3", "S&etup", 140, 218);
    SpeedButton2 = MakeButton(this, "SpeedButton2", "&Exit", 260, 218);
    QObject::connect(SpeedButton1, &QToolButton::clicked, [this] { Application::Guarded([this] { SpeedButton1Click(); }); });
    QObject::connect(SpeedButton2, &QToolButton::clicked, [this] { Application::Guarded([this] { SpeedButton2Click(); }); });
    QObject::connect(SpeedButton3, &QToolButton::clicked, [this] { Application::Guarded([this] { SpeedButton3Click(); }); });

    Label3 = MakeLabel(this, "Label3", "", 10, 246, 340);

    OnShow = [this] { FormShow(); };
    OnClose = [this](TCloseAction& action) { FormClose(action); };
    Loaded();
}

TSignon::~TSignon()
{
    if (g_signon == this)
        g_signon = nullptr;
}

bool TSignon::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == AdSplash && event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const TMouseButton button = mouse->button() == Qt::RightButton ? mbRight
                                    : mouse->button() == Qt::MiddleButton ? mbMiddle
                                                                          : mbLeft;
        const QPoint at = mouse->position().toPoint();
        Application::Guarded([&] { AdSplashMouseDown(button, ShiftFromQt(mouse->modifiers()), at.x(), at.y()); });
        return false;
    }
    if (event->type() == QEvent::KeyPress && (watched == Edit1 || watched == ComboBox1->lineEdit())) {
        auto* keyEvent = static_cast<QKeyEvent*>(event);
        if (watched == Edit1 && (keyEvent->key() == Qt::Key_Return || keyEvent->key() == Qt::Key_Enter)) {
            char key = '\r';
            Application::Guarded([&] { Edit1KeyPress(key); });
            return key == 0;
        }
        if (watched == ComboBox1->lineEdit()) {
            WORD key = VirtualKeyFromQt(keyEvent->key());
            if (key == 0)
                return false;
            Application::Guarded([&] { ComboBox1KeyDown(key, ShiftFromQt(keyEvent->modifiers())); });
            return key == 0;
        }
    }
    return TForm::eventFilter(watched, event);
}

std::string TSignon::ComboText() const { return codepage::FromUnicode(ComboBox1->currentText()); }

void TSignon::SetComboText(const std::string& text) { ComboBox1->setEditText(codepage::ToUnicode(text)); }

std::string TSignon::PasswordText() const { return codepage::FromUnicode(Edit1->text()); }

void TSignon::SetPasswordText(const std::string& text)
{
    // The limit is for typing: a saved password that is longer is shown whole, or it
    // would sign on as a different one.
    Edit1->setMaxLength(std::max(kMaxPasswordLength, static_cast<int>(text.size())));
    Edit1->setText(codepage::ToUnicode(text));
}

void TSignon::EnablePassword(bool enabled)
{
    Edit1->setEnabled(enabled);
    QPalette palette = Edit1->palette();
    palette.setColor(QPalette::Base, ToQColor(enabled ? clWhite : clBtnFace));
    Edit1->setPalette(palette);
}

bool TSignon::IsListedUser(const std::string& name) const
{
    for (int i = 1; i < ComboBox1->count(); ++i)
        if (SameText(codepage::FromUnicode(ComboBox1->itemText(i)), name))
            return true;
    return false;
}

void TSignon::FocusCombo() { ComboBox1->setFocus(); }

void TSignon::LoadSplashAd()
{
    TIniFile ini(kLarkspireIni);
    const std::string install = ExcludeTrailingPathDelimiter(ini.ReadString("MAIN", "install", AppPath()));
    int n = ini.ReadInteger("MAIN", "lastSplash", 0) % 256;
    if (n < 0)
        n += 256;
    const TIniFile index(install + "/ads/ads.idx");
    std::string value = index.ReadString("splash", IntToStr(n), "");
    if (value.empty()) {
        value = index.ReadString("splash", "0", "");
        n = 0;
    }
    try {
        ini.WriteInteger("MAIN", "lastSplash", (n + 1) % 256);
    } catch (const EIniFileException& error) {
        // The same picture comes again next time; the window still opens.
        ReportWriteFailure(error);
    }

    AdSplash->Clear();
    if (!value.empty()) {
        const auto caret = value.find('^');
        const std::string picture = value.substr(0, caret);
        // The index is downloaded: only a bare picture name of the ads folder, and
        // only a picture of modest size, is shown.
        const std::string file = IsAdPictureName(picture) ? SafeJoin(install + "/ads", picture) : std::string();
        if (!file.empty() && AdPictureFits(file))
            AdSplash->LoadFromFile(file);
        AdSplash->SetHint(caret == std::string::npos ? "" : value.substr(caret + 1));
    }
    if (AdSplash->Empty()) {
        AdSplash->LoadFromFile(install + "/sigonlogo.gif");
        AdSplash->SetHint(kHomePage);
    }
    AdSplash->setToolTip(codepage::ToUnicode(AdSplash->Hint()));
    AdSplash->SetCursor(crHandPoint);
}

void TSignon::LoadUserList()
{
    m_filling = true;
    const TIniFile ini(kLarkspireIni);
    const std::string lastUser = ini.ReadString("MAIN", "userLoginName", kNewUser);
    Label3->setText(codepage::ToUnicode("\tVersion: " + ini.ReadString("MAIN", "Version", "Unknown")));

    ComboBox1->clear();
    ComboBox1->addItem(codepage::ToUnicode(kNewUser));
    for (const std::string& user : ListLocalUsers())
        ComboBox1->addItem(codepage::ToUnicode(user));

    int selected = 0;
    for (int i = 1; i < ComboBox1->count(); ++i)
        if (SameText(codepage::FromUnicode(ComboBox1->itemText(i)), lastUser))
            selected = i;
    ComboBox1->setCurrentIndex(selected);
    SetComboText(codepage::FromUnicode(ComboBox1->itemText(selected)));
    EnablePassword(selected != 0);
    SpeedButton3->setEnabled(selected != 0);
    m_filling = false;
    LoadUserPassword(ComboText());
}

void TSignon::LoadUserPassword(const std::string& user)
{
    const StoredPassword stored = ReadStoredPassword(user);
    Session().scrambledPassword = stored.scrambled;
    SetPasswordText("");
    if (stored.save)
        SetPasswordText(ShownPassword(stored));
    CheckBox1->setChecked(stored.save);
    CheckBox1->setEnabled(stored.save);
}

void TSignon::SaveUser(const std::string& user)
{
    Session().scrambledPassword = SessionPassword(PasswordText());
    SaveUserFiles(user, Session().scrambledPassword, CheckBox1->isChecked());
    try {
        RememberLastUser(user);
    } catch (const EIniFileException& error) {
        // Only the next start's choice of user is lost; the session opens all the same.
        ReportWriteFailure(error);
    }
}

void TSignon::ComboBox1Change()
{
    if (m_filling)
        return;
    if (ComboText() != kNewUser) {
        EnablePassword(true);
        LoadUserPassword(ComboText());
        SpeedButton3->setEnabled(true);
    } else {
        SetPasswordText("");
        EnablePassword(false);
        CheckBox1->setChecked(false);
        CheckBox1->setEnabled(false);
        SpeedButton3->setEnabled(false);
    }
}

void TSignon::ComboBox1DropDown()
{
    LoadUserList();
    if (ComboText() != kNewUser) {
        EnablePassword(true);
        LoadUserPassword(ComboText());
    } else {
        SetPasswordText("");
        EnablePassword(false);
        CheckBox1->setChecked(false);
        CheckBox1->setEnabled(false);
    }
}

void TSignon::ComboBox1KeyDown(WORD& key, TShiftState shift)
{
    const std::string name = ComboText();
    if (key != VK_DELETE || name == kNewUser || !IsListedUser(name))
        return;
    if (ComboBox1->lineEdit()->cursorPosition() != ComboBox1->lineEdit()->text().size())
        return;
    key = 0;
    Beep();
    const int answer = MessageDlg("\rDelete the user " + UpperCase(name) + " from your system. Are you sure (y/n)?",
                                  mtWarning, mbYes | mbNo, 0);
    if (answer != mrYes)
        return;
    for (int i = ComboBox1->count() - 1; i >= 1; --i)
        if (SameText(codepage::FromUnicode(ComboBox1->itemText(i)), name))
            ComboBox1->removeItem(i);
    SetPasswordText("");
    CheckBox1->setChecked(false);
    DeleteUser(name);
    // What stays selected is "<New User>", so the deleted name cannot be signed on to by accident.
    ComboBox1->setCurrentIndex(0);
    SetComboText(kNewUser);
}

void TSignon::Edit1Change()
{
    if (!PasswordText().empty()) {
        CheckBox1->setEnabled(true);
        EnablePassword(true);
    } else {
        CheckBox1->setEnabled(false);
    }
}

void TSignon::Edit1KeyPress(char& key)
{
    if (key != '\r')
        return;
    key = 0;
    SpeedButton1Click();
}

void TSignon::SpeedButton1Click()
{
    const std::string name = Trim(ComboText());
    if (ComboText() != kNewUser && !UserDatExists(name)) {
        const int answer = MessageDlg(
            "\rIf this account name is already registered click YES to signon, or click NO to create a new account name.",
            mtConfirmation, mbYes | mbNo, 0);
        if (answer == mrNo) {
            ComboBox1->setCurrentIndex(0);
            SetComboText(kNewUser);
        }
    }
    if (ComboText() == kNewUser) {
        RunProgram("velmarin.exe", SW_SHOWNORMAL);
        return;
    }
    Session().userId = Trim(ComboText());
    if (Session().userId.empty()) {
        Beep();
        activateWindow();
        return;
    }
    if (Trim(PasswordText()).empty()) {
        Beep();
        Edit1->setFocus();
        return;
    }
    const std::string refusal = CheckUserId(Session().userId);
    if (!refusal.empty()) {
        MessageDlg(refusal, mtError, mbOK, 0);
        FocusCombo();
        return;
    }
    // Buddy files, notes and settings are found by the session's name: it takes the folder's spelling.
    Session().userId = UserFolderName(Session().userId);
    SaveUser(Session().userId);
    Hide();
    if (OnSignOn)
        OnSignOn();
    m_signedOn = true;
    Close();
}

void TSignon::SpeedButton2Click() { Application::Terminate(); }

void TSignon::SpeedButton3Click()
{
    if (ComboText() == kNewUser)
        return;
    LoadSettings();
    Session().userId = Trim(ComboText());
    if (FeatureWindows().ShowSetup)
        FeatureWindows().ShowSetup();
}

void TSignon::AdSplashClick()
{
    // The link comes from a downloaded index: only a web address leaves the program.
    OpenWebLink(AdSplash->Hint());
}

void TSignon::AdSplashMouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (button == mbRight)
        LoadSplashAd();
}

void TSignon::FormShow()
{
    if (Edit1->isEnabled())
        Edit1->setFocus();
}

void TSignon::FormClose(TCloseAction& action)
{
    action = caFree;
    if (g_signon == this)
        g_signon = nullptr;
    // Without a notification area nothing could bring the program back: the close box is Exit.
    if (!m_signedOn && !TrayAvailable())
        Application::Terminate();
}
