#pragma once

#include "platform/ui/form.h"

#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class QTabWidget;
class TQORFormStyler;

// "Korvo Properties": every preference of the signed-on user on five pages, and
// the update of the user's account at the service.
class TSetup final : public TForm {
public:
    TSetup();
    ~TSetup() override;

    QTabWidget* PageControl1 { nullptr };
    QPushButton* OKButton { nullptr };
    QPushButton* CancelButton { nullptr };
    QPushButton* ApplyButton { nullptr };

    // Settings
    QCheckBox* SoundEffects { nullptr };
    QCheckBox* BuddyCheck { nullptr };
    QLineEdit* BuddyMinutes { nullptr };
    QLabel* BuddyMinutesLabel { nullptr };
    QCheckBox* AolConnection { nullptr };
    QCheckBox* QuickTips { nullptr };
    QComboBox* ConnectionSpeed { nullptr };
    QLineEdit* Alias { nullptr };
    // Headlines
    QScrollArea* NewsSources { nullptr };
    QPlainTextEdit* Keywords { nullptr };
    QCheckBox* ShowNewsAlerts { nullptr };
    QCheckBox* manual { nullptr };
    // My Information
    QLineEdit* UserId { nullptr };
    QLineEdit* Email { nullptr };
    QLineEdit* CurrentPassword { nullptr };
    QLineEdit* NewPassword { nullptr };
    QLineEdit* ConfirmPassword { nullptr };
    QLineEdit* PhoneNumber { nullptr };
    QLineEdit* PublicKey { nullptr };
    QPushButton* ModifyAccount { nullptr };
    // Privacy
    QListWidget* VisibleList { nullptr };
    QListWidget* InvisibleList { nullptr };
    QPushButton* AddButton { nullptr };
    QPushButton* RemoveButton { nullptr };
    QPushButton* ResetButton { nullptr };
    // Mail
    QComboBox* MailClient { nullptr };
    QComboBox* AddressBook { nullptr };
    QCheckBox* MailCheck { nullptr };
    QLineEdit* MailMinutes { nullptr };
    QCheckBox* LeaveOnServer { nullptr };
    QCheckBox* PlayMailSound { nullptr };
    QCheckBox* ShowHeaders { nullptr };
    QCheckBox* UsePostwing { nullptr };
    QCheckBox* DownloadLink { nullptr };
    QPushButton* AccountsButton { nullptr };

    // The news sources' boxes, made at show, with their News.inf sections.
    std::vector<std::pair<QCheckBox*, std::string>> SourceBoxes;

    void FormShow();
    void LoadSettings();
    void SaveSettings();
    void LoadAccountInfo();
    void LoadPrivacyLists(bool reset);
    // True when a field is wrong (the user has been told which).
    bool ValidateAccountFields();

    void ConnectionSpeedChange();
    void BuddyCheckClick();
    void MailCheckClick();
    void MailClientChange();
    void CurrentPasswordChange();
    void ModifyAccountClick();
    // The awaited request's end; the change itself is already stored when it succeeded.
    void ModifyAccountDone(bool succeeded);
    void AddButtonClick();
    void RemoveButtonClick();
    void ResetButtonClick();
    void AccountsButtonClick();
    void OKButtonClick();
    void ApplyButtonClick();
    void CancelButtonClick();

    // An update is on its way; closing the window stops waiting for it.
    bool ModifyRunning() const { return m_modifyRunning; }

private:
    QWidget* MakeSettingsPage();
    QWidget* MakeHeadlinesPage();
    QWidget* MakeInformationPage();
    QWidget* MakePrivacyPage();
    QWidget* MakeMailPage();
    void Changed();
    void MakeSourceBoxes();
    void MoveBuddy(QListWidget* from, QListWidget* to, bool block, QPushButton* fromButton, QPushButton* toButton);
    void LockButtons(bool locked);
    // The request on its way, if any, is no longer awaited by the window.
    void AbandonModify();

    std::unique_ptr<TQORFormStyler> m_styler;
    std::vector<std::string> m_webMail;  // netmail.inf's services
    std::string m_lastMailClient;
    bool m_loading { false };
    bool m_modifyRunning { false };
    unsigned m_modifyAwaited { 0 };  // the request the window waits for; 0: none
};

// The three refusals of the account fields, in the order they are checked.
std::string BadAccountUserIdText();
std::string BadAccountEmailText();
std::string PasswordMismatchText();

// Shows the properties window modally.
void ShowSetup();
