#include "client/features/addchannel.h"

#include "client/core/buddy.h"
#include "client/core/mainbar.h"
#include "client/core/session.h"
#include "client/features/channelguide.h"
#include "client/features/favourites.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/eventloop.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/label.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

namespace {


const char* const kFileNameCharacters = "\\/:*?\"<>|";

bool HoldsAny(const std::string& text, const char* characters)
{
    return text.find_first_of(characters) != std::string::npos;
}

QPushButton* Button(QWidget* parent, const char* name, const char* caption, int x, int y, int w)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(x, y, w, 25);
    return button;
}

QLabel* Label(QWidget* parent, const char* name, const std::string& caption, int x, int y, int w, int h = 16)
{
    auto* label = new TLabel(codepage::ToUnicode(caption), parent);
    label->setObjectName(name);
    label->setGeometry(x, y, w, h);
    return label;
}

QLineEdit* Edit(QWidget* parent, const char* name, int x, int y, int w)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setGeometry(x, y, w, 21);
    return edit;
}

constexpr int kFolderRole = Qt::UserRole + 1;

}  // namespace

const char* const TNewFolderFrm::kError
    = "\rFolder cannot contain any of the following characters:\r                            && \\ : * / ? \" < >";

bool CreateUrlShortcut(QTreeWidgetItem* parent, const std::string& name, const std::string& folder,
                       const std::string& keyword, const std::string& address)
{
    const std::string path = ShortcutPath(folder, name);
    if (path.empty())
        return true;
    if (!AcceptableKeyword(keyword))
        return false;
    const bool existed = FileExists(path);
    // A missing folder fails quietly; the node comes only with its file.
    if (!WriteUrlShortcut(path, keyword, address))
        return true;
    if (parent && !existed && ChannelGuide())
        ChannelGuide()->AddNode(parent, ExtractFileName(path).substr(0, ExtractFileName(path).size() - 4), giLink, path);
    RegisterKeyword(keyword, path);
    return true;
}

void AddPageAsChannel(int mode)
{
    const BrowserPage page = ParseBrowserAnswer(GetBrowserWindowInfo());
    if (mode == 2) {
        TForm5* guide = ChannelGuide();
        if (page.url.empty() || !guide)
            return;
        QTreeWidgetItem* node = guide->TreeView1->currentItem();
        const int image = TForm5::ImageOf(node);
        std::string folder;
        if (image == giFolder || image == giFavorites) {
            if (node->childCount() == 0)
                guide->NodeClick(node);
            node->setExpanded(true);
            folder = image == giFavorites ? Session().favoritesFolder : TForm5::PathOf(node);
        } else if (image == giLink && node->parent()) {
            node = node->parent();
            folder = TForm5::ImageOf(node) == giFavorites ? Session().favoritesFolder : TForm5::PathOf(node);
        }
        // No folder known (a plain category, or some other node): nothing is written anywhere.
        if (Trim(folder).empty())
            return;
        CreateUrlShortcut(node, page.title, folder, "", page.url);
        return;
    }
    if (mode == 1)
        return;
    auto* wizard = new TNewChannelfrm();
    wizard->Address = Trim(page.url);
    wizard->Edit1->setText(codepage::ToUnicode(page.title));
    wizard->ShowModal();
    wizard->Release();
}

void AddDroppedShortcut(const std::string& path, const std::string& name)
{
    auto* wizard = new TNewChannelfrm();
    wizard->Address = Trim(TIniFile(path).ReadString("InternetShortcut", "URL", ""));
    wizard->Edit1->setText(codepage::ToUnicode(name));
    wizard->ShowModal();
    wizard->Release();
}

// --- Create New Folder -------------------------------------------------------

TNewFolderFrm::TNewFolderFrm() : TForm("TNewFolderFrm")
{
    SetBorderStyle(bsDialog);
    SetCaption("Create New Folder");
    SetPosition(poScreenCenter);
    SetClientWidth(332);
    SetClientHeight(125);
    Label1 = Label(this, "Label1", "Folder Name:", 8, 12, 80);
    Edit1 = Edit(this, "Edit1", 90, 10, 232);
    Label2 = Label(this, "Label2",
                   "Korvo will create the following folder for you. You can use this\r\n"
                   "folder to organize Favorites in your Korvo Guide.",
                   8, 40, 316, 40);
    Label2->setWordWrap(true);
    Button1 = Button(this, "Button1", "OK", 166, 92, 75);
    Button2 = Button(this, "Button2", "Cancel", 249, 92, 75);
    Button1->setEnabled(false);
    QObject::connect(Edit1, &QLineEdit::textChanged, this,
                     [this] { Button1->setEnabled(!Trim(codepage::FromUnicode(Edit1->text())).empty()); });
    QObject::connect(Button1, &QPushButton::clicked, this, [this] { Application::Guarded([this] { OKClick(); }); });
    QObject::connect(Button2, &QPushButton::clicked, this, [this] { CancelClick(); });
}

void TNewFolderFrm::OKClick()
{
    const std::string name = Trim(codepage::FromUnicode(Edit1->text()));
    // "." and ".." name no new folder.
    if (HoldsAny(name, kFileNameCharacters) || name.find('&') != std::string::npos || name == "." || name == "..") {
        QApplication::beep();
        MessageDlg(kError, mtError, mbOK, 0);
        Edit1->setFocus();
        return;
    }
    Edit1->setText(codepage::ToUnicode(name));
    SetModalResult(mrOk);
    Close();
}

void TNewFolderFrm::CancelClick()
{
    Edit1->clear();
    SetModalResult(mrCancel);
    Close();
}

// --- the "Add" wizard ------------------------------------------------------------

TNewChannelfrm::TNewChannelfrm() : TForm("TNewChannelfrm")
{
    SetBorderStyle(bsDialog);
    SetCaption("Add");
    SetClientWidth(435);
    SetClientHeight(382);
    Title = Label(this, "Title", "Create New", 12, 8, 400, 20);

    Page1 = new QWidget(this);
    Page1->setObjectName("Page1");
    Page1->setGeometry(12, 32, 410, 120);
    Label(Page1, "Label1", "What do you want to create?", 0, 0, 300);
    RadioButton1 = new QRadioButton("New &Favorite", Page1);
    RadioButton1->setObjectName("RadioButton1");
    RadioButton1->setGeometry(16, 24, 200, 20);
    RadioButton2 = new QRadioButton("New &Buddy", Page1);
    RadioButton2->setObjectName("RadioButton2");
    RadioButton2->setGeometry(16, 48, 200, 20);
    RadioButton1->setEnabled(false);
    RadioButton1->setChecked(true);

    Page2Favorite = new QWidget(this);
    Page2Favorite->setObjectName("Page2Favorite");
    Page2Favorite->setGeometry(12, 32, 410, 340);
    Label(Page2Favorite, "Label2", "&Name:", 0, 2, 60);
    Edit1 = Edit(Page2Favorite, "Edit1", 64, 0, 330);
    Label(Page2Favorite, "Label3", "Keyword:", 0, 30, 60);
    Edit2 = Edit(Page2Favorite, "Edit2", 64, 28, 150);
    Label(Page2Favorite, "Label4", "Enter a keyword to use for this favorite (optional)", 64, 52, 330);
    CreateIn = Button(Page2Favorite, "CreateIn", "&Create in >>", 300, 80, 95);
    Label5 = Label(Page2Favorite, "Label5", "Create In:", 0, 112, 100);
    TreeView1 = new QTreeWidget(Page2Favorite);
    TreeView1->setObjectName("TreeView1");
    TreeView1->setHeaderHidden(true);
    TreeView1->setGeometry(0, 130, 300, 170);
    NewFolder = Button(Page2Favorite, "NewFolder", "Ne&w Folder", 310, 130, 90);
    Label5->hide();
    TreeView1->hide();
    NewFolder->hide();

    Page2Buddy = new QWidget(this);
    Page2Buddy->setObjectName("Page2Buddy");
    Page2Buddy->setGeometry(12, 32, 410, 120);
    Label(Page2Buddy, "Label6", "Enter the buddy's name below, then click finish", 0, 0, 400);
    Edit3 = Edit(Page2Buddy, "Edit3", 0, 24, 200);

    BackButton = Button(this, "BackButton", "< Back", 180, 0, 75);
    NextButton = Button(this, "NextButton", "&Next>", 260, 0, 75);
    CancelButton = Button(this, "CancelButton", "Cancel", 345, 0, 75);

    QObject::connect(NextButton, &QPushButton::clicked, this, [this] {
        Application::Guarded([this] { m_page == 2 ? FinishClick() : NextClick(); });
    });
    QObject::connect(BackButton, &QPushButton::clicked, this, [this] { BackClick(); });
    QObject::connect(CancelButton, &QPushButton::clicked, this, [this] { Close(); });
    QObject::connect(CreateIn, &QPushButton::clicked, this, [this] { CreateInClick(); });
    QObject::connect(NewFolder, &QPushButton::clicked, this, [this] { Application::Guarded([this] { NewFolderClick(); }); });
    QObject::connect(TreeView1, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { FolderClick(item); });

    SetClientHeight(230);
    SetPage(1);
    OnShow = [this] { FormShow(); };
}

void TNewChannelfrm::FormShow()
{
    if (ChannelGuide() && ChannelGuide()->isVisible())
        ChannelGuide()->Close();
    SetBounds((Screen::Width() - Width()) / 2, (Form1 ? Form1->Top() : 0) + 80, Width(), Height());
    Folder = Session().favoritesFolder;
    std::string name = Trim(codepage::FromUnicode(Edit1->text()));
    for (char& c : name) {
        if (std::string_view(kFileNameCharacters).find(c) != std::string_view::npos)
            c = '-';
    }
    Edit1->setText(codepage::ToUnicode(name));
    if (Form1)
        Form1->raise();
    TreeView1->clear();
    auto* root = new QTreeWidgetItem(TreeView1);
    root->setText(0, "Favorites");
    root->setData(0, kFolderRole, codepage::ToUnicode(Session().favoritesFolder));
    if (!Address.empty()) {
        RadioButton1->setEnabled(true);
    } else {
        RadioButton2->setChecked(true);
    }
}

void TNewChannelfrm::SetPage(int page)
{
    m_page = page;
    Page1->setVisible(page == 1);
    const bool favorite = RadioButton1->isChecked();
    Page2Favorite->setVisible(page == 2 && favorite);
    Page2Buddy->setVisible(page == 2 && !favorite);
    Title->setText(page == 1 ? "Create New" : favorite ? "New Favorite" : "New Buddy");
    NextButton->setText(page == 2 ? "&Finish" : "&Next>");
    BackButton->setEnabled(page != 1);
    const int buttonsTop = ClientHeight() - 35;
    BackButton->move(BackButton->x(), buttonsTop);
    NextButton->move(NextButton->x(), buttonsTop);
    CancelButton->move(CancelButton->x(), buttonsTop);
    if (page == 2)
        (favorite ? Edit2 : Edit3)->setFocus();
}

void TNewChannelfrm::NextClick() { SetPage(2); }

void TNewChannelfrm::BackClick() { SetPage(1); }

void TNewChannelfrm::CreateInClick()
{
    CreateIn->setEnabled(false);
    SetClientHeight(408);
    SetPage(m_page);
    Label5->show();
    TreeView1->show();
    NewFolder->show();
    QTreeWidgetItem* root = TreeView1->topLevelItem(0);
    ListFolders(root);
    root->setExpanded(true);
    TreeView1->setCurrentItem(root);
}

void TNewChannelfrm::ListFolders(QTreeWidgetItem* node)
{
    if (!node || node->data(0, Qt::UserRole).toBool())
        return;
    node->setData(0, Qt::UserRole, true);
    const std::string folder = codepage::FromUnicode(node->data(0, kFolderRole).toString());
    if (Trim(folder).empty())
        return;
    for (const TSearchRec& rec : ListDirectory(IncludeTrailingBackslash(folder) + "*", faDirectory)) {
        if (!(rec.Attr & faDirectory))
            continue;
        auto* child = new QTreeWidgetItem(node);
        child->setText(0, codepage::ToUnicode(rec.Name));
        child->setData(0, kFolderRole, codepage::ToUnicode(IncludeTrailingBackslash(folder) + rec.Name));
    }
    node->sortChildren(0, Qt::AscendingOrder);
}

void TNewChannelfrm::FolderClick(QTreeWidgetItem* node)
{
    if (!node)
        return;
    Folder = codepage::FromUnicode(node->data(0, kFolderRole).toString());
    ListFolders(node);
    node->setExpanded(true);
}

void TNewChannelfrm::NewFolderClick()
{
    QTreeWidgetItem* selected = TreeView1->currentItem();
    if (!selected)
        return;
    TNewFolderFrm ask;
    ask.ShowModal();
    const std::string name = Trim(codepage::FromUnicode(ask.Edit1->text()));
    if (name.empty())
        return;
    Folder = IncludeTrailingBackslash(codepage::FromUnicode(selected->data(0, kFolderRole).toString())) + name;
    auto* child = new QTreeWidgetItem(selected);
    child->setText(0, codepage::ToUnicode(name));
    child->setData(0, kFolderRole, codepage::ToUnicode(Folder));
    child->setData(0, Qt::UserRole, true);
    selected->setExpanded(true);
    TreeView1->setCurrentItem(child);
    ForceDirectories(Folder);
}

void TNewChannelfrm::FinishClick()
{
    if (RadioButton1->isChecked()) {
        if (!CreateUrlShortcut(nullptr, codepage::FromUnicode(Edit1->text()), Folder, codepage::FromUnicode(Edit2->text()), Address)) {
            MessageDlg(kKeywordRefused, mtWarning, mbOK, 0);
            Edit2->setFocus();
            return;
        }
        Close();
        return;
    }
    const std::string name = Trim(codepage::FromUnicode(Edit3->text()));
    if (name.empty())
        return;
    if (const std::string refusal = BuddyNameRefusal(name); !refusal.empty()) {
        MessageDlg(refusal, mtError, mbOK, 0);
        return;
    }
    if (Form1) {
        Tbuddy buddy;
        buddy.Name = name;
        Form1->AddBuddy(buddy);
    }
    Close();
}
