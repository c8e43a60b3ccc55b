#pragma once

#include "platform/ui/form.h"

#include <functional>
#include <string>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTreeWidgetItem;

namespace tivra {

// The main window's AddContactItem(row or nullptr, path, display name, home phone,
// business phone, e-mail, last, middle, first): the saved contact's row.
using TAddContactItem = std::function<QTreeWidgetItem*(QTreeWidgetItem*, const std::string&, const std::string&,
    const std::string&, const std::string&, const std::string&, const std::string&, const std::string&,
    const std::string&)>;

// The public street-map service "Find on Map" opens.
inline constexpr const char* kMapHost = "maps.korvo.com";

// "Properties": one contact file in mode "Add", "Edit", "New" or "View".
class TForm2 final : public TForm {
public:
    // addContactItem is empty when the editor runs alone.
    explicit TForm2(TAddContactItem addContactItem);
    ~TForm2() override;

    std::string Mode;
    // "Add": the target folder with a trailing separator; "Edit", "View": the file; "New": empty.
    std::string Path;
    QTreeWidgetItem* Row { nullptr };

    void LoadContact();
    // False when nothing was written: a blank name, or an existing file the user keeps.
    bool SaveContact();
    void OpenMap(const std::string& street, const std::string& city, const std::string& zip, const std::string& state);
    // The address the map opens for these values, each percent-encoded.
    static std::string MapUrl(const std::string& street, const std::string& city, const std::string& zip,
        const std::string& state);

    void OkClick();
    void AddToAddressBookClick();
    void AddEmailClick();
    void EditEmailClick();
    void RemoveEmailClick();
    void SetDefaultEmailClick();
    void FindOnMapClick(bool business);

    QLineEdit* FirstName { nullptr };
    QLineEdit* MiddleName { nullptr };
    QLineEdit* LastName { nullptr };
    QLineEdit* BuddyName { nullptr };
    QListWidget* EmailList { nullptr };
    QLineEdit* NewEmail { nullptr };
    QPushButton* AddEmail { nullptr };
    QPushButton* EditEmail { nullptr };
    QPushButton* RemoveEmail { nullptr };
    QPushButton* DefaultEmail { nullptr };
    QCheckBox* OnBuddyList { nullptr };

    QLineEdit* HomePhone { nullptr };
    QLineEdit* HomeFax { nullptr };
    QLineEdit* HomeCellular { nullptr };
    QLineEdit* HomeOffice { nullptr };
    QPlainTextEdit* HomeStreet { nullptr };
    QLineEdit* HomeCity { nullptr };
    QLineEdit* HomeState { nullptr };
    QLineEdit* HomeZip { nullptr };
    QLineEdit* HomeCountry { nullptr };
    QLineEdit* HomeIP { nullptr };
    QLineEdit* HomeWebPage { nullptr };

    QLineEdit* Company { nullptr };
    QLineEdit* JobTitle { nullptr };
    QLineEdit* Department { nullptr };
    QPlainTextEdit* BusinessStreet { nullptr };
    QLineEdit* BusinessCity { nullptr };
    QLineEdit* BusinessState { nullptr };
    QLineEdit* BusinessZip { nullptr };
    QLineEdit* BusinessCountry { nullptr };
    QLineEdit* BusinessPhone { nullptr };
    QLineEdit* BusinessFax { nullptr };
    QLineEdit* BusinessCellular { nullptr };
    QLineEdit* Pager { nullptr };
    QLineEdit* Assistant { nullptr };
    QLineEdit* BusinessWebPage { nullptr };

    QLineEdit* Spouse { nullptr };
    QLabel* ChildrenLabel { nullptr };
    QPlainTextEdit* Children { nullptr };
    QDateEdit* Birthday { nullptr };
    QDateEdit* Anniversary { nullptr };
    QLineEdit* Sport { nullptr };
    QLineEdit* Food { nullptr };
    QLineEdit* Hobby { nullptr };
    QComboBox* Gender { nullptr };
    QCheckBox* BirthdayAlert { nullptr };
    QCheckBox* AnniversaryAlert { nullptr };

    QPlainTextEdit* Notes { nullptr };

    QPushButton* OkButton { nullptr };
    QPushButton* CancelButton { nullptr };
    QPushButton* AddToBookButton { nullptr };

private:
    void FormShow();
    void updateCaption();
    void updateChildrenLabel();
    void updateEmailButtons(bool selected);

    TAddContactItem m_addContactItem;
    std::string m_root;
    // The file loaded for "Edit" or "View": the one file a save may overwrite unasked.
    std::string m_opened;
};

}  // namespace tivra
