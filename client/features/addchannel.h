#pragma once

#include "platform/ui/form.h"

#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

// Writes a favourite and registers its keyword; with a guide node given, the
// new shortcut appears under it once written (not when its file was there already).
// False, with nothing written, for a keyword [Channels] cannot hold.
bool CreateUrlShortcut(QTreeWidgetItem* parent, const std::string& name, const std::string& folder,
                       const std::string& keyword, const std::string& address);
// The browser's page as a favourite: mode 2 into the guide's selected folder,
// mode 1 nothing, any other the "Add" wizard.
void AddPageAsChannel(int mode);
// A shortcut file dropped on the main bar: the wizard with its path and name.
void AddDroppedShortcut(const std::string& path, const std::string& name);

// "Create New Folder": asks the name of a new Favorites folder.
class TNewFolderFrm final : public TForm {
public:
    TNewFolderFrm();
    void OKClick();
    void CancelClick();
    // The error for a name that cannot be a folder.
    static const char* const kError;

    QLabel* Label1 { nullptr };
    QLineEdit* Edit1 { nullptr };
    QLabel* Label2 { nullptr };
    QPushButton* Button1 { nullptr };  // "OK"
    QPushButton* Button2 { nullptr };  // "Cancel"
};

// The "Add" wizard: a new favourite (name, keyword, folder) or a new buddy.
class TNewChannelfrm final : public TForm {
public:
    TNewChannelfrm();

    void FormShow();
    void SetPage(int page);
    void NextClick();
    void BackClick();
    void CreateInClick();
    void FolderClick(QTreeWidgetItem* node);
    void NewFolderClick();
    void FinishClick();

    std::string Address;
    std::string Folder;
    int Page() const { return m_page; }

    QLabel* Title { nullptr };
    QWidget* Page1 { nullptr };
    QRadioButton* RadioButton1 { nullptr };  // "New &Favorite"
    QRadioButton* RadioButton2 { nullptr };  // "New &Buddy"
    QWidget* Page2Favorite { nullptr };
    QLineEdit* Edit1 { nullptr };  // name
    QLineEdit* Edit2 { nullptr };  // keyword
    QPushButton* CreateIn { nullptr };
    QLabel* Label5 { nullptr };  // "Create In:"
    QTreeWidget* TreeView1 { nullptr };
    QPushButton* NewFolder { nullptr };
    QWidget* Page2Buddy { nullptr };
    QLineEdit* Edit3 { nullptr };  // buddy name
    QPushButton* BackButton { nullptr };
    QPushButton* NextButton { nullptr };
    QPushButton* CancelButton { nullptr };

private:
    void ListFolders(QTreeWidgetItem* node);

    int m_page { 1 };
};
