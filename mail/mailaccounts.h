#pragma once

#include "platform/ui/form.h"

#include <string>

class QPushButton;
class QTreeWidget;

// "Mail Accounts": the list of the user's accounts with add, edit, default,
// import and delete.
class TMailAccounts final : public TForm {
public:
    TMailAccounts();

    void FillList();
    void AddButtonClick();
    void EditButtonClick();
    void DefaultButtonClick();
    void ImportButtonClick();
    void DeleteButtonClick();
    void CloseButtonClick();

    QTreeWidget* AccountList { nullptr };
    QPushButton* AddButton { nullptr };
    QPushButton* EditButton { nullptr };
    QPushButton* DefaultButton { nullptr };
    QPushButton* ImportButton { nullptr };
    QPushButton* DeleteButton { nullptr };
    QPushButton* CloseButton { nullptr };

private:
    void updateButtons();
    // Runs the wizard on accountName ("" for a new account), then rebuilds the list.
    void runWizard(const std::string& accountName);
    std::string iniFile() const;
};
