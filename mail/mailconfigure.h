#pragma once

#include "platform/ui/form.h"

#include <array>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// The six-page wizard that writes one account into mail.inf.
class TMailConfigure final : public TForm {
public:
    // accountName "" adds an account; otherwise that section is edited.
    explicit TMailConfigure(std::string accountName);

    void LoadAccount();
    void ShowPage(int page);
    void NextButtonClick();
    void BackButtonClick();
    void CancelButtonClick();
    int Page() const { return m_page; }

    QLineEdit* AccountNameEdit { nullptr };
    QLineEdit* YourNameEdit { nullptr };
    QLineEdit* EmailEdit { nullptr };
    QLineEdit* PopEdit { nullptr };
    QLineEdit* SmtpEdit { nullptr };
    QLineEdit* LoginEdit { nullptr };
    QLineEdit* PasswordEdit { nullptr };
    QPushButton* BackButton { nullptr };
    QPushButton* NextButton { nullptr };
    QPushButton* CancelButton { nullptr };

private:
    // The page's failed check's message and field; "" when the page is complete.
    std::string checkPage(QLineEdit*& focus);
    // A name another account already has is written over only when the user says so.
    bool replacingConfirmed() const;
    void writeAccount();

    std::string m_accountName;
    int m_page { 0 };
    std::array<QWidget*, 6> m_pages {};
};
