#include "client/features/mailauthenticateform.h"

#include "platform/rtl/codepage.h"
#include "platform/ui/label.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
// What the scrambled form can hold.
constexpr int kMaxPassword = 255;
}

TMailAuthenticateForm::TMailAuthenticateForm()
    : TForm("MailAuthenticateForm")
{
    SetCaption("Logon");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientWidth(300);
    SetClientHeight(150);
    auto* text = new TLabel("Please enter your user name and password for the following server.", this);
    text->setWordWrap(true);
    text->setGeometry(8, 6, 284, 30);
    const auto row = [this](const char* label, const char* name, int top) {
        (new TLabel(codepage::ToUnicode(label), this))->setGeometry(8, top + 3, 70, 18);
        auto* edit = new QLineEdit(this);
        edit->setObjectName(name);
        edit->setGeometry(80, top, 212, 22);
        return edit;
    };
    Edit1 = row("Server:", "Edit1", 40);
    Edit1->setReadOnly(true);
    Edit2 = row("&Username:", "Edit2", 66);
    Edit3 = row("&Password:", "Edit3", 92);
    Edit3->setEchoMode(QLineEdit::Password);
    Edit3->setMaxLength(kMaxPassword);
    OkButton = new QPushButton(codepage::ToUnicode("&Ok"), this);
    OkButton->setObjectName("OkButton");
    OkButton->setGeometry(136, 120, 75, 25);
    CancelButton = new QPushButton(codepage::ToUnicode("&Cancel"), this);
    CancelButton->setObjectName("CancelButton");
    CancelButton->setGeometry(217, 120, 75, 25);
    QObject::connect(OkButton, &QPushButton::clicked, this, [this] {
        Result = true;
        SetModalResult(mrOk);
    });
    QObject::connect(CancelButton, &QPushButton::clicked, this, [this] {
        Result = false;
        SetModalResult(mrCancel);
    });
    OnShow = [this] { Edit3->setFocus(); };
}
