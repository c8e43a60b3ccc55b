#include "client/features/form16.h"

#include "client/core/scrambler.h"
#include "client/core/settings.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/eventloop.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/label.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
constexpr int kMaxText = 255;
}

std::string OnlineMailSection()
{
    return "Online Mail." + TIniFile(kLarkspireIni).ReadString("MAIN", "userName", "Unknown");
}

TForm16::TForm16()
    : TForm("Form16")
{
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientWidth(325);
    SetClientHeight(147);
    Label3 = new TLabel(this);
    Label3->setObjectName("Label3");
    Label3->setGeometry(12, 8, 300, 20);
    const auto row = [this](const char* caption, const char* name, int top) {
        (new TLabel(codepage::ToUnicode(caption), this))->setGeometry(12, top + 3, 80, 18);
        auto* edit = new QLineEdit(this);
        edit->setObjectName(name);
        edit->setGeometry(96, top, 216, 21);
        edit->setMaxLength(kMaxText);
        return edit;
    };
    Edit1 = row("Login Name:", "Edit1", 40);
    Edit2 = row("Password:", "Edit2", 72);
    Edit2->setEchoMode(QLineEdit::Password);
    Button1 = new QPushButton(codepage::ToUnicode("&Apply"), this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(156, 112, 75, 25);
    Button1->setEnabled(false);
    Button2 = new QPushButton(codepage::ToUnicode("&Cancel"), this);
    Button2->setObjectName("Button2");
    Button2->setGeometry(238, 112, 75, 25);
    for (QLineEdit* edit : { Edit1, Edit2 })
        QObject::connect(edit, &QLineEdit::textChanged, this,
                         [this, edit] { Application::Guarded([this, edit] { EditChange(edit); }); });
    QObject::connect(Button1, &QPushButton::clicked, this, [this] { Application::Guarded([this] { Button1Click(); }); });
    QObject::connect(Button2, &QPushButton::clicked, this, [this] { Application::Guarded([this] { Button2Click(); }); });
    Loaded();
}

void TForm16::EditChange(QLineEdit* edit) { Button1->setEnabled(!Trim(codepage::FromUnicode(edit->text())).empty()); }

void TForm16::Button1Click()
{
    TIniFile ini(kLarkspireIni);
    const std::string section = OnlineMailSection();
    ini.WriteString(section, "userName", codepage::FromUnicode(Edit1->text()));
    // The web-mail service is told the password exactly as typed, so its case stays.
    ini.WriteString(section, "userPassword", ScrambleText(Trim(codepage::FromUnicode(Edit2->text()))));
    SetModalResult(mrOk);
    Close();
}

void TForm16::Button2Click()
{
    SetModalResult(mrCancel);
    Close();
}
