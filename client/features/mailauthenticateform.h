#pragma once

#include "platform/ui/form.h"

class QLineEdit;
class QPushButton;

// "Logon": asks for the user name and password of a mail server that refused them.
class TMailAuthenticateForm final : public TForm {
public:
    TMailAuthenticateForm();

    QLineEdit* Edit1 { nullptr };  // the server, read-only
    QLineEdit* Edit2 { nullptr };  // the user name
    QLineEdit* Edit3 { nullptr };  // the password
    QPushButton* OkButton { nullptr };
    QPushButton* CancelButton { nullptr };
    // Ok true, Cancel false.
    bool Result { false };
};
