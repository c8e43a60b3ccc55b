#pragma once

#include "kit/qorforma.h"
#include "platform/ui/form.h"
#include "signup/qorsysinfo.h"
#include "signup/signuprules.h"

#include <memory>
#include <string>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace signup {

// The sign-up wizard: registers a new account with the service, or stores an
// existing one, and writes the files the client's sign-on needs.
// Its own namespace: the client's main bar is a TForm1 too, and tests link both.
class TForm1 final : public TForm {
public:
    TForm1();

    int Page() const { return m_page; }
    bool Registering() const { return m_registering; }

    QFrame* Page1 { nullptr };
    QFrame* Page2 { nullptr };
    QFrame* Page4 { nullptr };
    QFrame* Page5 { nullptr };
    QPushButton* CreateButton { nullptr };
    QPushButton* NextButton { nullptr };
    QPushButton* BackButton { nullptr };
    QPushButton* CancelButton { nullptr };
    QPushButton* OkButton { nullptr };
    QLineEdit* FirstNameEdit { nullptr };
    QLineEdit* LastNameEdit { nullptr };
    QLineEdit* EmailEdit { nullptr };
    QLineEdit* AddressEdit { nullptr };
    QLineEdit* CityEdit { nullptr };
    QComboBox* StateCombo { nullptr };
    QLineEdit* ZipEdit { nullptr };
    QLineEdit* UserNameEdit { nullptr };
    QLineEdit* PasswordEdit { nullptr };
    QLineEdit* Password2Edit { nullptr };
    QCheckBox* PublicKeyCheck { nullptr };
    QLineEdit* PublicKeyEdit { nullptr };
    QCheckBox* StartCheck { nullptr };
    QLabel* ResultTitle { nullptr };
    QLabel* ResultText { nullptr };
    TQORSysInfo QORSysInfo1;
    std::unique_ptr<TQORFormStyler> FormStyler1;

    void CreateButtonClick();
    void NextButtonClick();
    void BackButtonClick();

private:
    void buildPages();
    void FormShow();
    void FormCloseQuery(bool& canClose);
    void FormClose(TCloseAction& action);
    void showPage(int page);
    void enterUserNamePage();
    void enterResultPage();
    void registerAccount();
    void storeOnly();
    bool store();
    SignupFields fields() const;
    void focus(SignupField field);
    void trimNameAndPasswords();

    bool m_registering { false };
    bool m_stored { false };
    int m_page { 1 };
    std::string m_defaultHost;
    std::string m_regsHost;
    std::string m_scrambledPassword;
};

}  // namespace signup
