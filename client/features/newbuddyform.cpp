#include "client/features/newbuddyform.h"

#include "client/core/accountlimits.h"
#include "client/core/buddy.h"
#include "client/core/buddyfile.h"
#include "client/core/helpers.h"
#include "client/core/mainbar.h"
#include "client/core/settings.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/eventloop.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/graphics.h"
#include "platform/ui/label.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// A buddy's name is a user name, and no user name is longer.
constexpr int kMaxNameBytes = static_cast<int>(kMaxUserNameLength);
constexpr int kMaxFullName = 20;

TLabel* MakeLabel(const char* text, QWidget* parent, int x, int y, int width)
{
    auto* label = new TLabel(codepage::ToUnicode(text), parent);
    label->setGeometry(x, y, width, 16);
    return label;
}

QLineEdit* Box(const char* name, QWidget* parent, int x, int y, int width)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setGeometry(x, y, width, 21);
    return edit;
}

}  // namespace

TNewBuddyForm::TNewBuddyForm()
    : TForm("NewBuddyForm")
{
    SetCaption("Add New Properties");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientWidth(298);
    SetClientHeight(369);

    GroupBox1 = new QGroupBox(codepage::ToUnicode("Please Enter Your Buddy's Information Below"), this);
    GroupBox1->setObjectName("GroupBox1");
    GroupBox1->setGeometry(8, 8, 282, 70);
    Edit1 = Box("Edit1", GroupBox1, 12, 40, 256);
    MakeLabel("&Buddy's User Name:", GroupBox1, 12, 22, 200)->SetFocusControl(Edit1);
    Edit1->setMaxLength(kMaxNameBytes);

    CheckBox1 = new QCheckBox(codepage::ToUnicode("Optional settings for this buddy"), this);
    CheckBox1->setObjectName("CheckBox1");
    CheckBox1->setGeometry(12, 86, 250, 18);

    GroupBox2 = new QGroupBox(this);
    GroupBox2->setObjectName("GroupBox2");
    GroupBox2->setGeometry(8, 108, 282, 218);
    Edit2 = Box("Edit2", GroupBox2, 12, 32, 256);
    MakeLabel("Buddy's &Full Name", GroupBox2, 12, 14, 200)->SetFocusControl(Edit2);
    Edit2->setMaxLength(kMaxFullName);
    Edit3 = Box("Edit3", GroupBox2, 12, 78, 256);
    MakeLabel("Buddy's &Email Address:", GroupBox2, 12, 60, 200)->SetFocusControl(Edit3);
    MakeLabel("Buddy's Static IP address", GroupBox2, 12, 106, 200);
    Edit4 = Box("Edit4", GroupBox2, 12, 124, 256);
    CheckBox2 = new QCheckBox(codepage::ToUnicode("Auto accept all requests"), GroupBox2);
    CheckBox2->setObjectName("CheckBox2");
    CheckBox2->setGeometry(12, 156, 250, 18);
    CheckBox3 = new QCheckBox(codepage::ToUnicode("Auto reject all requests"), GroupBox2);
    CheckBox3->setObjectName("CheckBox3");
    CheckBox3->setGeometry(12, 182, 250, 18);

    Button1 = new QPushButton(codepage::ToUnicode("&Ok"), this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(130, 336, 75, 25);
    Button2 = new QPushButton(codepage::ToUnicode("&Cancel"), this);
    Button2->setObjectName("Button2");
    Button2->setGeometry(213, 336, 75, 25);

    EnableOptions(false);
    QObject::connect(Edit1, &QLineEdit::textEdited, this, [this] { Application::Guarded([this] { Edit1Change(); }); });
    QObject::connect(CheckBox1, &QCheckBox::clicked, this, [this] { Application::Guarded([this] { CheckBox1Click(); }); });
    QObject::connect(CheckBox2, &QCheckBox::clicked, this, [this] { Application::Guarded([this] { CheckBox2Click(); }); });
    QObject::connect(CheckBox3, &QCheckBox::clicked, this, [this] { Application::Guarded([this] { CheckBox3Click(); }); });
    QObject::connect(Button1, &QPushButton::clicked, this, [this] { Application::Guarded([this] { Button1Click(); }); });
    QObject::connect(Button2, &QPushButton::clicked, this, [this] { Application::Guarded([this] { Button2Click(); }); });
    OnShow = [this] { FormShow(); };
    Loaded();
}

void TNewBuddyForm::EnableOptions(bool enabled)
{
    for (QWidget* child : GroupBox2->findChildren<QWidget*>())
        EnableAndColour(child, enabled);
    GroupBox2->setEnabled(enabled);
}

void TNewBuddyForm::FormShow()
{
    const std::string selected =
        Trim(TIniFile(AppPath() + kChannelsIni).ReadString("settings", "Iselected", "")).substr(0, kMaxNameBytes);
    if (!selected.empty()) {
        SetCaption("Edit Properties");
        const std::string file = BuddyFileName(selected);
        const TIniFile contact(file);
        Edit1->setText(codepage::ToUnicode(selected));
        if (!file.empty()) {
            Edit2->setText(codepage::ToUnicode(contact.ReadString("Friend", "UserRef", "")));
            Edit4->setText(codepage::ToUnicode(contact.ReadString("Friend", "DirectConnect", "")));
            Edit3->setText(codepage::ToUnicode(contact.ReadString("Friend", "email", "")));
            CheckBox2->setChecked(contact.ReadBool("friend", "AUTOANS", false));
            CheckBox3->setChecked(contact.ReadBool("friend", "AUTOREJECT", false));
        }
    }
    Edit1->setFocus();
    // The bar stays above other windows; raising does not activate it.
    if (Form1)
        Form1->raise();
}

void TNewBuddyForm::Edit1Change() { Edit2->setText(Edit1->text().left(kMaxFullName)); }

void TNewBuddyForm::CheckBox1Click()
{
    EnableOptions(CheckBox1->isChecked());
    (CheckBox1->isChecked() ? Edit2 : Edit1)->setFocus();
}

void TNewBuddyForm::CheckBox2Click()
{
    if (CheckBox2->isChecked())
        CheckBox3->setChecked(false);
}

void TNewBuddyForm::CheckBox3Click()
{
    if (CheckBox3->isChecked())
        CheckBox2->setChecked(false);
}

void TNewBuddyForm::Button1Click()
{
    const std::string name = Trim(codepage::FromUnicode(Edit1->text()));
    Edit1->setText(codepage::ToUnicode(name));
    if (const std::string refusal = name.empty() ? std::string() : BuddyNameRefusal(name); !refusal.empty()) {
        MessageDlg(refusal, mtError, mbOK, 0);
        Edit1->setFocus();
        return;
    }
    if (!name.empty()) {
        const auto flag = [](QCheckBox* box) { return std::string(box->isChecked() ? "1" : "0"); };
        WriteBuddyValue(name, "Email", codepage::FromUnicode(Edit3->text()));
        WriteBuddyValue(name, "UserID", name);
        WriteBuddyValue(name, "UserRef", Trim(codepage::FromUnicode(Edit2->text())));
        WriteBuddyValue(name, "DirectConnect", Trim(codepage::FromUnicode(Edit4->text())));
        WriteBuddyValue(name, "AUTOANS", flag(CheckBox2));
        WriteBuddyValue(name, "AUTOREJECT", flag(CheckBox3));
        WriteBuddyValue(name, "float", "1");
    }
    SetModalResult(mrOk);
    Close();
}

void TNewBuddyForm::Button2Click()
{
    Edit1->clear();
    SetModalResult(mrCancel);
    Close();
}

std::string TNewBuddyForm::BuddyName() const { return Trim(codepage::FromUnicode(Edit1->text())); }

std::string ShowBuddyDialog()
{
    TNewBuddyForm form;
    form.ShowModal();
    return form.BuddyName();
}
