#pragma once

#include "platform/ui/form.h"

#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

// Asks for the log-on name and password of a web-mail service chosen as the
// mail program, and keeps them in larkspire.ini for opening that service.
class TForm16 final : public TForm {
public:
    TForm16();

    QLabel* Label3 { nullptr };  // the service's name
    QLineEdit* Edit1 { nullptr };  // login name
    QLineEdit* Edit2 { nullptr };  // password
    QPushButton* Button1 { nullptr };  // &Apply
    QPushButton* Button2 { nullptr };  // &Cancel

    void EditChange(QLineEdit* edit);
    void Button1Click();
    void Button2Click();
};

// The larkspire.ini section of the web-mail log-on: "Online Mail." + [MAIN] userName.
std::string OnlineMailSection();
