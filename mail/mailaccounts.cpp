#include "mail/mailaccounts.h"

#include "mail/mailconfigure.h"
#include "mail/mailimport.h"
#include "mail/mailstore.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/directories.h"
#include "platform/rtl/files.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/stringlist.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/label.h"

#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

namespace {

constexpr const char* kDefaultMark = " (Default)";

QPushButton* MakeButton(QWidget* parent, const char* name, const char* text, int top)
{
    auto* button = new QPushButton(codepage::ToUnicode(text), parent);
    button->setObjectName(name);
    button->setGeometry(366, top, 80, 25);
    return button;
}

}  // namespace

TMailAccounts::TMailAccounts()
    : TForm("MailAccounts")
{
    SetCaption("Mail Accounts");
    SetBorderStyle(bsDialog);
    SetBorderIcons(0);
    SetPosition(poScreenCenter);
    SetClientWidth(454);
    SetClientHeight(309);

    auto* tabs = new QTabWidget(this);
    tabs->setGeometry(8, 8, 350, 293);
    auto* page = new QWidget;
    tabs->addTab(page, "Accounts");
    auto* header = new TLabel(codepage::ToUnicode("Below is a list of mail accounts your Korvo will check for new mail"), page);
    header->setWordWrap(true);
    header->setGeometry(44, 6, 290, 32);
    auto* headerIcon = new QLabel(page);
    headerIcon->setObjectName("HeaderIcon");
    headerIcon->setGeometry(6, 6, 32, 32);
    headerIcon->setPixmap(QPixmap(QString::fromStdString(
        FileSystemName(IncludeTrailingPathDelimiter(GetProgramDir()) + "assets/mailaccounts.bmp"))));
    AccountList = new QTreeWidget(page);
    AccountList->setObjectName("AccountList");
    AccountList->setGeometry(6, 44, 334, 212);
    AccountList->setColumnCount(3);
    AccountList->setHeaderLabels({ "Name", "Login", "Server" });
    AccountList->setColumnWidth(0, 110);
    AccountList->setColumnWidth(1, 131);
    AccountList->setColumnWidth(2, 105);
    AccountList->setRootIsDecorated(false);
    AccountList->setSelectionMode(QAbstractItemView::SingleSelection);
    AccountList->setSelectionBehavior(QAbstractItemView::SelectRows);
    AccountList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QObject::connect(AccountList, &QTreeWidget::itemSelectionChanged, this, [this] { updateButtons(); });

    AddButton = MakeButton(this, "AddButton", "&Add", 30);
    EditButton = MakeButton(this, "EditButton", "&Edit", 62);
    DefaultButton = MakeButton(this, "DefaultButton", "&Set as Default", 94);
    ImportButton = MakeButton(this, "ImportButton", "I&mport", 126);
    DeleteButton = MakeButton(this, "DeleteButton", "&Delete", 158);
    CloseButton = MakeButton(this, "CloseButton", "&Close", 276);
    EditButton->setEnabled(false);
    DefaultButton->setEnabled(false);
    DeleteButton->setEnabled(false);
    const auto guarded = [](auto handler) { return [handler] { Application::Guarded(handler); }; };
    QObject::connect(AddButton, &QPushButton::clicked, this, guarded([this] { AddButtonClick(); }));
    QObject::connect(EditButton, &QPushButton::clicked, this, guarded([this] { EditButtonClick(); }));
    QObject::connect(DefaultButton, &QPushButton::clicked, this, guarded([this] { DefaultButtonClick(); }));
    QObject::connect(ImportButton, &QPushButton::clicked, this, guarded([this] { ImportButtonClick(); }));
    QObject::connect(DeleteButton, &QPushButton::clicked, this, guarded([this] { DeleteButtonClick(); }));
    QObject::connect(CloseButton, &QPushButton::clicked, this, guarded([this] { CloseButtonClick(); }));
    OnShow = [this] { FillList(); };
}

std::string TMailAccounts::iniFile() const { return MailIniFileName(ReadMailUser()); }

void TMailAccounts::FillList()
{
    AccountList->clear();
    for (const MailAccountRow& row : ReadMailAccounts(iniFile())) {
        const std::string login = row.IsDefault ? row.Login + kDefaultMark : row.Login;
        AccountList->addTopLevelItem(new QTreeWidgetItem(
            { codepage::ToUnicode(row.Name), codepage::ToUnicode(login), codepage::ToUnicode(row.Server) }));
    }
    if (AccountList->topLevelItemCount() > 0)
        AccountList->setCurrentItem(AccountList->topLevelItem(0));
    updateButtons();
    AccountList->setFocus();
}

void TMailAccounts::updateButtons()
{
    const bool selected = !AccountList->selectedItems().isEmpty();
    DeleteButton->setEnabled(selected);
    DefaultButton->setEnabled(selected);
    EditButton->setEnabled(selected);
}

void TMailAccounts::runWizard(const std::string& accountName)
{
    auto* wizard = new TMailConfigure(accountName);
    wizard->ShowModal();
    wizard->Free();
    FillList();
}

void TMailAccounts::AddButtonClick() { runWizard(""); }

void TMailAccounts::EditButtonClick()
{
    auto* item = AccountList->currentItem();
    if (item)
        runWizard(codepage::FromUnicode(item->text(0)));
}

void TMailAccounts::ImportButtonClick()
{
    // Rebuilt even when the import stopped part way, so what was written shows.
    try {
        ImportMailAccounts(iniFile());
    } catch (...) {
        FillList();
        ImportButton->setEnabled(false);
        throw;
    }
    FillList();
    ImportButton->setEnabled(false);
}

void TMailAccounts::DeleteButtonClick()
{
    auto* item = AccountList->currentItem();
    if (!item)
        return;
    const std::string name = codepage::FromUnicode(item->text(0));
    if (MessageDlg("\rAre you sure you want to delete the '" + name + "' account?", mtConfirmation, mbYes | mbNo, 0) != mrYes)
        return;
    if (AccountList->topLevelItemCount() == 0)
        return;
    TIniFile(iniFile()).EraseFirstSection(name);
    delete item;
    AccountList->setFocus();
    updateButtons();
}

void TMailAccounts::DefaultButtonClick()
{
    auto* selected = AccountList->currentItem();
    if (!selected)
        return;
    TIniFile ini(iniFile());
    TStringList sections;
    ini.ReadSections(sections);
    const int rows = AccountList->topLevelItemCount();
    for (int i = 0; i < rows; ++i) {
        if (i < sections.Count())
            ini.WriteString(sections[i], "Default", "0");
        auto* row = AccountList->topLevelItem(i);
        std::string login = codepage::FromUnicode(row->text(1));
        const auto mark = login.find("(Default)");
        if (mark != std::string::npos)
            login.erase(mark, 9);
        row->setText(1, codepage::ToUnicode(Trim(login)));
    }
    ini.WriteString(codepage::FromUnicode(selected->text(0)), "Default", "1");
    selected->setText(1, selected->text(1) + kDefaultMark);
    AccountList->setFocus();
}

void TMailAccounts::CloseButtonClick() { Close(); }
