#pragma once

#include "platform/ui/form.h"

#include <string>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Adds a buddy or edits one: the contact file of the name in Channels.ini
// [settings] Iselected, or a new one when that is empty.
class TNewBuddyForm final : public TForm {
public:
    TNewBuddyForm();

    QGroupBox* GroupBox1 { nullptr };
    QLineEdit* Edit1 { nullptr };  // the buddy's user name
    QCheckBox* CheckBox1 { nullptr };  // optional settings
    QGroupBox* GroupBox2 { nullptr };
    QLineEdit* Edit2 { nullptr };  // full name
    QLineEdit* Edit3 { nullptr };  // e-mail
    QLineEdit* Edit4 { nullptr };  // static address
    QCheckBox* CheckBox2 { nullptr };  // auto accept
    QCheckBox* CheckBox3 { nullptr };  // auto reject
    QPushButton* Button1 { nullptr };  // &Ok
    QPushButton* Button2 { nullptr };  // &Cancel

    void FormShow();
    void Edit1Change();
    void CheckBox1Click();
    void CheckBox2Click();
    void CheckBox3Click();
    void Button1Click();
    void Button2Click();

    // The name box as the dialog leaves it: "" after Cancel.
    std::string BuddyName() const;

private:
    void EnableOptions(bool enabled);
};

// Shows the dialog modally; the name it wrote, or "" when cancelled.
std::string ShowBuddyDialog();
