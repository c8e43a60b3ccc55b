#include "client/features/passworddlg.h"

#include "platform/rtl/codepage.h"
#include "platform/ui/label.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

TPasswordDlg::Prompt& prompt()
{
    static TPasswordDlg::Prompt answer;
    return answer;
}

}  // namespace

TPasswordDlg::TPasswordDlg()
    : TForm("PasswordDlg")
{
    SetCaption("Password");
    SetBorderStyle(bsDialog);
    SetFormStyle(fsStayOnTop);
    SetPosition(poScreenCenter);
    SetClientWidth(233);
    SetClientHeight(105);
    (new TLabel("Enter Login Password:", this))->setGeometry(8, 8, 217, 16);
    Password = new QLineEdit(this);
    Password->setObjectName("Password");
    Password->setEchoMode(QLineEdit::Password);
    Password->setMaxLength(255);
    Password->setGeometry(8, 28, 217, 22);
    OKBtn = new QPushButton("OK", this);
    OKBtn->setObjectName("OKBtn");
    OKBtn->setDefault(true);
    OKBtn->setGeometry(62, 70, 75, 25);
    CancelBtn = new QPushButton("Cancel", this);
    CancelBtn->setObjectName("CancelBtn");
    CancelBtn->setGeometry(150, 70, 75, 25);
    QObject::connect(OKBtn, &QPushButton::clicked, this, [this] { SetModalResult(mrOk); });
    QObject::connect(CancelBtn, &QPushButton::clicked, this, [this] {
        Password->clear();
        SetModalResult(mrCancel);
    });
    OnShow = [this] { Password->setFocus(); };
    Loaded();
}

bool TPasswordDlg::Ask(std::string& entered)
{
    if (prompt())
        return prompt()(entered);
    TPasswordDlg dialog;
    const bool ok = dialog.ShowModal() == mrOk;
    entered = codepage::FromUnicode(dialog.Password->text());
    return ok;
}

void TPasswordDlg::SetPrompt(Prompt answer) { prompt() = std::move(answer); }
