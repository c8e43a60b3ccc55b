#include "addressbook/groupnamedialog.h"

#include "platform/rtl/codepage.h"
#include "platform/rtl/eventloop.h"
#include "platform/ui/label.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tivra {

TForm3::TForm3()
    : TForm("Form3")
{
    SetCaption("New Contact Group");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientWidth(287);
    SetClientHeight(98);
    auto* label = new TLabel(codepage::ToUnicode("Enter New Group Name."), this);
    label->setObjectName("Label1");
    label->setGeometry(12, 10, 263, 16);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setGeometry(12, 30, 263, 21);
    Button1 = new QPushButton(codepage::ToUnicode("&Ok"), this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(118, 64, 75, 25);
    Button1->setDefault(true);
    Button2 = new QPushButton(codepage::ToUnicode("&Cancel"), this);
    Button2->setObjectName("Button2");
    Button2->setGeometry(200, 64, 75, 25);
    QObject::connect(Button1, &QPushButton::clicked, this, [this] { Application::Guarded([this] { SetModalResult(mrOk); }); });
    QObject::connect(Button2, &QPushButton::clicked, this, [this] {
        Application::Guarded([this] {
            Edit1->clear();
            SetModalResult(mrCancel);
        });
    });
    OnShow = [this] {
        Edit1->clear();
        Edit1->setFocus();
    };
    Loaded();
}

std::string TForm3::GroupName() const { return codepage::FromUnicode(Edit1->text()); }

}  // namespace tivra
