#include "addressbook/tivramain.h"

#include "addressbook/contacteditor.h"
#include "addressbook/contactstore.h"
#include "addressbook/dropfilesource.h"
#include "addressbook/groupnamedialog.h"
#include "addressbook/vcardimport.h"
#include "addressbook/vcardreader.h"
#include "client/core/helpers.h"
#include "kit-extra/qornonvs.h"
#include "kit/qorforma.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/eventloop.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/label.h"
#include "platform/win/shell.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QSplitter>
#include <QStyle>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cstdlib>

namespace tivra {

namespace {

constexpr int kRowHeightLarge = 32;
constexpr int kRowHeightSmall = 16;
constexpr int kLargeIconCell = 80;
constexpr int kSmallIconSpacing = 2;
constexpr int kDragThreshold = 10;
constexpr std::size_t kMaxDroppedName = 255;


// Routes one widget's events to a handler that may swallow them.
class EventHook final : public QObject {
public:
    EventHook(QObject* watched, std::function<bool(QObject*, QEvent*)> handler)
        : QObject(watched)
        , m_handler(std::move(handler))
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override { return m_handler(watched, event); }

private:
    std::function<bool(QObject*, QEvent*)> m_handler;
};

// The first run of four separators, then of three, then of two, each cut to one.
std::string CollapseSeparators(std::string path)
{
    for (const char* run : { "////", "///", "//" }) {
        const auto at = path.find(run);
        if (at != std::string::npos)
            path.replace(at, std::char_traits<char>::length(run), "/");
    }
    return path;
}

QToolButton* MakeToolButton(QWidget* parent, const char* name, const char* caption, QStyle::StandardPixmap picture)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(codepage::ToUnicode(caption));
    button->setIcon(parent->style()->standardIcon(picture));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    return button;
}

// A contact row: rows sort by caption without regard to letter case.
class ContactRow final : public QTreeWidgetItem {
public:
    bool operator<(const QTreeWidgetItem& other) const override
    {
        const int column = treeWidget() ? treeWidget()->sortColumn() : colCaption;
        const int order = text(column).compare(other.text(column), Qt::CaseInsensitive);
        // Captions equal but for case keep one order from rebuild to rebuild.
        return order != 0 ? order < 0 : text(column) < other.text(column);
    }
};

}  // namespace

TForm1::TForm1()
    : TForm("Form1")
{
    SetCaption("Korvo - Address Book");
    SetPosition(poScreenCenter);
    SetBounds(0, 0, 592, 410);

    auto* menuBar = new QMenuBar(this);
    QMenu* fileMenu = menuBar->addMenu(codepage::ToUnicode("&File"));
    QAction* exit = fileMenu->addAction(codepage::ToUnicode("E&xit"));
    exit->setObjectName("Exit1");
    QObject::connect(exit, &QAction::triggered, this, [this] { Close(); });
    QMenu* viewMenu = menuBar->addMenu(codepage::ToUnicode("&View"));
    GroupList1 = viewMenu->addAction(codepage::ToUnicode("Gr&oup List"));
    GroupList1->setObjectName("GroupList1");
    GroupList1->setCheckable(true);
    ShowFirstNamesFirst1 = viewMenu->addAction(codepage::ToUnicode("Show &First Names First"));
    ShowFirstNamesFirst1->setObjectName("ShowFirstNamesFirst1");
    ShowFirstNamesFirst1->setCheckable(true);
    viewMenu->addSeparator();
    const char* styleNames[] = { "Lar&ge Icon", "&Small Icon", "&List", "&Details" };
    const char* styleObjects[] = { "LargeIcon1", "SmallIcon1", "List1", "Details1" };
    for (int style = 0; style < 4; ++style) {
        QAction* item = viewMenu->addAction(codepage::ToUnicode(styleNames[style]));
        item->setObjectName(styleObjects[style]);
        QObject::connect(item, &QAction::triggered, this, [this, style] { Application::Guarded([this, style] { SetViewStyle(style); }); });
    }
    QObject::connect(viewMenu, &QMenu::aboutToShow, this, [this] { GroupList1->setChecked(SpeedButton1->isChecked()); });
    QObject::connect(GroupList1, &QAction::triggered, this,
        [this] { Application::Guarded([this] { SetGroupListVisible(!SpeedButton1->isChecked()); }); });
    QObject::connect(ShowFirstNamesFirst1, &QAction::triggered, this,
        [this] { Application::Guarded([this] { ShowFirstNamesFirstClick(); }); });

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->setMenuBar(menuBar);

    auto* toolbar = new QWidget(this);
    auto* tools = new QHBoxLayout(toolbar);
    tools->setContentsMargins(2, 2, 2, 2);
    NewGroupButton = MakeToolButton(toolbar, "NewGroupButton", "New &Group", QStyle::SP_FileDialogNewFolder);
    AddContactButton = MakeToolButton(toolbar, "AddContactButton", "&Add Contact", QStyle::SP_FileIcon);
    DeleteButton = MakeToolButton(toolbar, "DeleteButton", "&Delete", QStyle::SP_TrashIcon);
    SendMailButton = MakeToolButton(toolbar, "SendMailButton", "&Send Mail", QStyle::SP_ArrowForward);
    EditContactButton = MakeToolButton(toolbar, "EditContactButton", "&Edit Contact", QStyle::SP_FileDialogDetailedView);
    ViewsButton = MakeToolButton(toolbar, "ViewsButton", "&Views", QStyle::SP_FileDialogListView);
    for (QToolButton* button : { NewGroupButton, AddContactButton, DeleteButton, SendMailButton, EditContactButton, ViewsButton })
        tools->addWidget(button);
    tools->addStretch(1);
    DeleteButton->setEnabled(false);
    SendMailButton->setEnabled(false);
    outer->addWidget(toolbar);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName("Splitter1");
    TreeView1 = new QTreeWidget(splitter);
    TreeView1->setObjectName("TreeView1");
    TreeView1->setHeaderHidden(true);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView1->setSortingEnabled(true);
    TreeView1->sortByColumn(0, Qt::AscendingOrder);
    auto* top = new QTreeWidgetItem(TreeView1, { codepage::ToUnicode("Address Book") });
    top->setIcon(0, style()->standardIcon(QStyle::SP_DirHomeIcon));

    auto* right = new QWidget(splitter);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    auto* searchBar = new QWidget(right);
    auto* search = new QHBoxLayout(searchBar);
    search->setContentsMargins(4, 2, 4, 2);
    SpeedButton1 = new QToolButton(searchBar);
    SpeedButton1->setObjectName("SpeedButton1");
    SpeedButton1->setCheckable(true);
    SpeedButton1->setChecked(true);
    SpeedButton1->setIcon(style()->standardIcon(QStyle::SP_DirIcon));
    search->addWidget(SpeedButton1);
    auto* searchLabel = new TLabel(codepage::ToUnicode("Name Search:"), searchBar);
    searchLabel->setObjectName("Label1");
    search->addWidget(searchLabel);
    Edit1 = new QLineEdit(searchBar);
    Edit1->setObjectName("Edit1");
    search->addWidget(Edit1, 1);
    rightLayout->addWidget(searchBar);

    ListView1 = new QTreeWidget(right);
    ListView1->setObjectName("ListView1");
    ListView1->setColumnCount(colCount);
    ListView1->setHeaderLabels({ "Name", "E-Mail", "Home Phone", "Business Phone", "Path", "Display Name" });
    ListView1->setColumnWidth(colCaption, 130);
    ListView1->setColumnWidth(colEmail, 190);
    ListView1->setColumnWidth(colHomePhone, 100);
    ListView1->setColumnWidth(colBusinessPhone, 100);
    ListView1->setColumnHidden(colPath, true);
    ListView1->setColumnHidden(colDisplayName, true);
    ListView1->setRootIsDecorated(false);
    ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setDragEnabled(false);
    rightLayout->addWidget(ListView1, 1);
    // The icon and list styles show the same rows and selection in a view that lays them out in a flow.
    IconView1 = new QListView(right);
    IconView1->setObjectName("IconView1");
    IconView1->setModel(ListView1->model());
    IconView1->setSelectionModel(ListView1->selectionModel());
    IconView1->setModelColumn(colCaption);
    IconView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    IconView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    IconView1->setDragEnabled(false);
    IconView1->setResizeMode(QListView::Adjust);
    // Thousands of rows are laid out a part at a time, so the window keeps working.
    IconView1->setLayoutMode(QListView::Batched);
    rightLayout->addWidget(IconView1, 1);
    splitter->addWidget(TreeView1);
    splitter->addWidget(right);
    splitter->setSizes({ 197, 395 });
    splitter->setStretchFactor(1, 1);
    outer->addWidget(splitter, 1);

    auto* statusBar = new QWidget(this);
    statusBar->setObjectName("StatusBar1");
    auto* panels = new QHBoxLayout(statusBar);
    panels->setContentsMargins(2, 1, 2, 1);
    GroupPanel = new QLabel(statusBar);
    GroupPanel->setObjectName("StatusPanel1");
    GroupPanel->setFixedWidth(150);
    GroupPanel->setFrameShape(QFrame::Panel);
    GroupPanel->setFrameShadow(QFrame::Sunken);
    CountPanel = new QLabel(statusBar);
    CountPanel->setObjectName("StatusPanel2");
    CountPanel->setMinimumWidth(50);
    CountPanel->setFrameShape(QFrame::Panel);
    CountPanel->setFrameShadow(QFrame::Sunken);
    panels->addWidget(GroupPanel);
    panels->addWidget(CountPanel);
    panels->addStretch(1);
    outer->addWidget(statusBar);

    const auto guarded = [](auto handler) { return [handler] { Application::Guarded(handler); }; };
    QObject::connect(NewGroupButton, &QToolButton::clicked, this, guarded([this] { NewGroupClick(); }));
    QObject::connect(AddContactButton, &QToolButton::clicked, this, guarded([this] { AddContactClick(); }));
    QObject::connect(DeleteButton, &QToolButton::clicked, this, guarded([this] { DeleteClick(); }));
    QObject::connect(SendMailButton, &QToolButton::clicked, this, guarded([this] { SendMailClick(); }));
    QObject::connect(EditContactButton, &QToolButton::clicked, this, guarded([this] { EditContactClick(); }));
    QObject::connect(ViewsButton, &QToolButton::clicked, this, guarded([this] { ViewsClick(); }));
    QObject::connect(SpeedButton1, &QToolButton::clicked, this,
        guarded([this] { SetGroupListVisible(SpeedButton1->isChecked()); }));
    QObject::connect(Edit1, &QLineEdit::textChanged, this, guarded([this] { NameSearchChange(); }));
    // Keys move the current node as clicks do; both show the node's contacts.
    QObject::connect(TreeView1, &QTreeWidget::itemSelectionChanged, this, guarded([this] { TreeViewClick(); }));
    QObject::connect(ListView1, &QTreeWidget::itemSelectionChanged, this, guarded([this] { ListViewMouseUp(); }));
    QObject::connect(ListView1, &QTreeWidget::itemDoubleClicked, this, guarded([this] { EditContactClick(); }));
    QObject::connect(IconView1, &QListView::doubleClicked, this, guarded([this] { EditContactClick(); }));
    m_hooks.push_back(
        new EventHook(ListView1->viewport(), [this](QObject* watched, QEvent* event) { return listEvent(watched, event); }));
    const auto deleteKey = [this](QObject*, QEvent* event) {
        if (event->type() == QEvent::KeyRelease && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete)
            Application::Guarded([this] { DeleteClick(); });
        return false;
    };
    m_hooks.push_back(new EventHook(TreeView1, deleteKey));
    m_hooks.push_back(new EventHook(ListView1, deleteKey));
    m_hooks.push_back(
        new EventHook(IconView1->viewport(), [this](QObject* watched, QEvent* event) { return listEvent(watched, event); }));
    m_hooks.push_back(new EventHook(IconView1, deleteKey));

    m_rowPictures[0] = style()->standardIcon(QStyle::SP_FileIcon);
    m_rowPictures[1] = style()->standardIcon(QStyle::SP_DialogApplyButton);
    m_dragSource = std::make_unique<TDropFileSource>();
    m_dragSource->Dragtypes = dtCopy;
    GroupNameDialog = new TForm3;

    // When created.
    SetWidth(552);
    TreeView1->setCurrentItem(top);
    m_root = AddressBookRoot();
    CreateAddressBookRoot(m_root);
    OnDropFiles = [this](const std::vector<std::string>& files, int, int) { WMDropFiles(files); };
    OnShow = [this] { FormShow(); };

    m_formComponent = new TQORForm(this);
    m_formComponent->SetIniKey("Form1");
    m_formComponent->SetIniSaveOptions(0);
    m_formComponent->SetTrackMinWidth(320);
    m_formComponent->SetTrackMinHeight(200);
    m_formComponent->Loaded();
    // The form component holds the window's file acceptance.
    m_formComponent->SetAcceptFiles(true);
    m_oneInstance = new TQOROneInstance(this);
    m_oneInstance->Loaded();
    Loaded();
}

TForm1::~TForm1()
{
    // The controls outlive this part of the window: nothing they do while going may reach it.
    qDeleteAll(m_hooks);
    for (QWidget* control : findChildren<QWidget*>())
        control->blockSignals(true);
    delete m_oneInstance;
    delete m_formComponent;
    if (GroupNameDialog)
        GroupNameDialog->Free();
}

QTreeWidgetItem* TForm1::topNode() const { return TreeView1->topLevelItem(0); }

bool TForm1::rowsHaveFocus() const { return ListView1->hasFocus() || IconView1->hasFocus(); }

QTreeWidgetItem* TForm1::selectedNode() const
{
    const QList<QTreeWidgetItem*> selected = TreeView1->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

std::vector<QTreeWidgetItem*> TForm1::selectedRows() const
{
    std::vector<QTreeWidgetItem*> rows;
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i) {
        if (ListView1->topLevelItem(i)->isSelected())
            rows.push_back(ListView1->topLevelItem(i));
    }
    return rows;
}

void TForm1::FormShow()
{
    const TViewSettings settings = ReadViewSettings();
    SpeedButton1->setChecked(settings.GroupVisible);
    ShowFirstNamesFirst1->setChecked(settings.ShowFirstnameFirst);
    m_firstNamesFirst = settings.ShowFirstnameFirst;
    applyViewStyle(settings.ViewStyle);
    m_viewStyle = settings.ViewStyle;
    TreeView1->setVisible(SpeedButton1->isChecked());
    LoadGroups();
    ShowGroup("");
    Edit1->setFocus();
}

void TForm1::LoadGroups()
{
    QTreeWidgetItem* top = topNode();
    const QSignalBlocker quiet(TreeView1);
    while (top->childCount() > 0)
        delete top->takeChild(0);
    for (const std::string& group : ListGroups(m_root)) {
        auto* node = new QTreeWidgetItem(top, { codepage::ToUnicode(group) });
        node->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
    }
    TreeView1->expandAll();
}

void TForm1::addGroupFiles(const std::string& group)
{
    const std::string folder = group == "\\" ? m_root : m_root + "/" + group;
    for (const TSearchRec& entry : ListDirectory(folder + "/*.zkt", faAnyFile & ~faDirectory)) {
        if (entry.Attr & faDirectory)
            continue;
        LoadContactFile(folder + "/" + entry.Name);
    }
    setCountPanel();
}

void TForm1::setCountPanel()
{
    const auto count = ListView1->topLevelItemCount() + static_cast<int>(m_batch.size());
    CountPanel->setText(QString::number(count) + " contact(s)");
}

void TForm1::ShowGroup(const std::string& group)
{
    // Rows of a rebuild go into the list together: one by one, thousands of them crawl.
    const bool outermost = !m_batching;
    m_batching = true;
    m_group = group;
    ListView1->setUpdatesEnabled(false);
    ListView1->setSortingEnabled(false);
    {
        const QSignalBlocker quiet(ListView1);
        ListView1->clear();
    }
    m_markedRow = nullptr;
    if (!group.empty()) {
        addGroupFiles(group);
    } else {
        ShowGroup("\\");
        ListView1->setUpdatesEnabled(false);
        ListView1->setSortingEnabled(false);
        QTreeWidgetItem* top = topNode();
        for (int i = 0; i < top->childCount(); ++i) {
            const std::string name = codepage::FromUnicode(top->child(i)->text(0));
            if (IsGroupEntryName(name) && name.find_first_of("/\\") == std::string::npos)
                addGroupFiles(name);
        }
    }
    if (outermost) {
        QList<QTreeWidgetItem*> rows;
        rows.reserve(static_cast<qsizetype>(m_batch.size()));
        for (QTreeWidgetItem* row : m_batch)
            rows.append(row);
        m_batch.clear();
        m_batching = false;
        ListView1->addTopLevelItems(rows);
    }
    ListView1->setUpdatesEnabled(true);
    ListView1->sortItems(colCaption, Qt::AscendingOrder);
    QTreeWidgetItem* node = selectedNode();
    GroupPanel->setText(node ? node->text(0) : QString());
    setCountPanel();
}

void TForm1::LoadContactFile(const std::string& path)
{
    // One reading of the file for the whole row: a list of thousands is rebuilt at every change.
    const auto v = TIniFile(path).ReadValues({ { "General", "FirstName" }, { "General", "MiddleName" },
        { "General", "LastName" }, { "General", "Email" }, { "Home", "Phone" }, { "Business", "Phone" },
        { "General", "DisplayName" } });
    const std::string email = v[3].value_or("");
    AddContactItem(nullptr, path, v[6].value_or(email), v[4].value_or(""), v[5].value_or(""), email,
        v[2].value_or(""), v[1].value_or(""), v[0].value_or(""));
}

QTreeWidgetItem* TForm1::AddContactItem(QTreeWidgetItem* row, const std::string& path, const std::string& displayName,
    const std::string& homePhone, const std::string& businessPhone, const std::string& email, const std::string& last,
    const std::string& middle, const std::string& first)
{
    if (!row) {
        row = new ContactRow;
        if (m_batching)
            m_batch.push_back(row);
        else
            ListView1->addTopLevelItem(row);
    }
    std::string caption;
    if (m_firstNamesFirst) {
        caption = Trim(Trim(first + " " + middle) + ", " + last);
    } else {
        caption = last;
        if (!Trim(last).empty())
            caption += ",";
        caption = Trim(caption + " " + first + " " + middle);
    }
    setRowPicture(row, 0);
    row->setText(colCaption, codepage::ToUnicode(caption));
    row->setText(colEmail, codepage::ToUnicode(email));
    row->setText(colHomePhone, codepage::ToUnicode(homePhone));
    row->setText(colBusinessPhone, codepage::ToUnicode(businessPhone));
    row->setText(colPath, codepage::ToUnicode(CollapseSeparators(path)));
    row->setText(colDisplayName, codepage::ToUnicode(displayName));
    // A row the editor added or changed takes its sorted place and counts at once.
    if (!m_batching) {
        ListView1->sortItems(colCaption, Qt::AscendingOrder);
        setCountPanel();
    }
    return row;
}

void TForm1::setRowPicture(QTreeWidgetItem* row, int picture)
{
    row->setData(colCaption, kPictureRole, picture);
    row->setIcon(colCaption, m_rowPictures[picture == 0 ? 0 : 1]);
}

void TForm1::SaveViewSettings()
{
    m_viewStyle = ListView1->property("viewStyle").toInt();
    TViewSettings settings;
    settings.GroupVisible = TreeView1->isVisibleTo(this);
    settings.ShowFirstnameFirst = ShowFirstNamesFirst1->isChecked();
    settings.ViewStyle = m_viewStyle;
    WriteViewSettings(settings);
}

void TForm1::applyViewStyle(int style)
{
    // Details show the header and the columns; the other styles show the captions alone:
    // large icons above their captions in rows, small icons in rows, a list in columns.
    ListView1->setProperty("viewStyle", style);
    const bool details = style == 3;
    ListView1->setHeaderHidden(!details);
    for (int column : { colEmail, colHomePhone, colBusinessPhone })
        ListView1->setColumnHidden(column, !details);
    ListView1->setVisible(details);
    IconView1->setVisible(!details);
    const int side = style == 0 ? kRowHeightLarge : kRowHeightSmall;
    ListView1->setIconSize(QSize(side, side));
    IconView1->setViewMode(style == 0 ? QListView::IconMode : QListView::ListMode);
    IconView1->setFlow(style == 2 ? QListView::TopToBottom : QListView::LeftToRight);
    IconView1->setWrapping(true);
    IconView1->setMovement(QListView::Static);
    IconView1->setIconSize(QSize(side, side));
    IconView1->setGridSize(style == 0 ? QSize(kLargeIconCell, kLargeIconCell) : QSize());
    IconView1->setSpacing(style == 0 ? 0 : kSmallIconSpacing);
    IconView1->setWordWrap(style == 0);
}

void TForm1::SetViewStyle(int style)
{
    applyViewStyle(style);
    SaveViewSettings();
}

void TForm1::ViewsClick()
{
    int style = m_viewStyle + 1;
    if (style > 3)
        style = 0;
    SetViewStyle(style);
}

void TForm1::SetGroupListVisible(bool visible)
{
    SpeedButton1->setChecked(visible);
    TreeView1->setVisible(visible);
    SaveViewSettings();
}

void TForm1::ShowFirstNamesFirstClick()
{
    m_firstNamesFirst = ShowFirstNamesFirst1->isChecked();
    TreeViewClick();
    SaveViewSettings();
}

void TForm1::TreeViewClick()
{
    QTreeWidgetItem* node = selectedNode();
    SendMailButton->setEnabled(node != nullptr);
    DeleteButton->setEnabled(node != nullptr && node != topNode());
    if (!node || node == topNode())
        ShowGroup("");
    else
        ShowGroup(codepage::FromUnicode(node->text(0)));
}

void TForm1::ListViewMouseUp()
{
    if (!selectedRows().empty()) {
        DeleteButton->setEnabled(true);
        SendMailButton->setEnabled(true);
    }
}

void TForm1::NewGroupClick()
{
    GroupNameDialog->ShowModal();
    const std::string name = GroupNameDialog->GroupName();
    if (name.empty())
        return;
    // A group is one folder directly in the root: a name that cannot be one is refused.
    const std::string problem = GroupNameProblem(name);
    if (!problem.empty()) {
        MessageBox(this, "\r" + problem, Application::Title(), MB_OK | MB_ICONWARNING);
        return;
    }
    CreateGroupFolder(m_root, name);
    auto* node = new QTreeWidgetItem(topNode(), { codepage::ToUnicode(name) });
    node->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
    {
        const QSignalBlocker quiet(TreeView1);
        TreeView1->setCurrentItem(node);
    }
    TreeView1->expandAll();
    ShowGroup(name);
    if (TreeView1->isVisible())
        TreeView1->setFocus();
    DeleteButton->setEnabled(true);
}

void TForm1::openEditor(const std::string& mode, const std::string& path, QTreeWidgetItem* row)
{
    auto* editor = new TForm2([this](auto... fields) { return AddContactItem(fields...); });
    editor->Mode = mode;
    editor->Path = path;
    editor->Row = row;
    editor->ShowModal();
    editor->Free();
}

void TForm1::AddContactClick()
{
    QTreeWidgetItem* node = selectedNode();
    if (!node) {
        TreeView1->setCurrentItem(topNode());
        node = topNode();
    }
    const std::string folder = node == topNode() ? m_root + "/" : m_root + "/" + codepage::FromUnicode(node->text(0)) + "/";
    openEditor("Add", folder, nullptr);
}

void TForm1::EditContactClick()
{
    const std::vector<QTreeWidgetItem*> rows = selectedRows();
    if (rows.empty())
        return;
    openEditor("Edit", codepage::FromUnicode(rows.front()->text(colPath)), rows.front());
}

void TForm1::DeleteClick()
{
    QTreeWidgetItem* node = selectedNode();
    if (TreeView1->hasFocus() && node && node != topNode()) {
        const std::string group = codepage::FromUnicode(node->text(0));
        QApplication::beep();
        if (MessageDlg("\rDelete the '" + UpperCase(group + " Group") + "' permanently from your Address Book?",
                mtConfirmation, mbYes | mbNo, 0)
            != mrYes)
            return;
        DeleteGroupFolder(m_root, group,
            [this](const std::string& text) { MessageBox(this, text, Application::Title(), MB_OK | MB_ICONERROR); });
        {
            const QSignalBlocker quiet(TreeView1);
            delete node;
        }
        TreeViewClick();
        return;
    }
    const std::vector<QTreeWidgetItem*> rows = selectedRows();
    if (!rowsHaveFocus() || rows.empty())
        return;
    const QString path = rows.front()->text(colPath);
    if (MessageDlg("\rDelete '" + codepage::FromUnicode(rows.front()->text(colCaption)) + "' permanently from your Address Book?",
            mtConfirmation, mbYes | mbNo, 0)
        != mrYes)
        return;
    // The row stays while its file does, so the list never hides a contact that is still there.
    if (!DeleteContactFile(codepage::FromUnicode(path))) {
        MessageBox(this, UnableToDeleteMessage(codepage::FromUnicode(path)), Application::Title(), MB_OK | MB_ICONERROR);
        return;
    }
    // The question let the list change: the row is found again by its file.
    const auto found = ListView1->findItems(path, Qt::MatchExactly, colPath);
    if (found.isEmpty())
        return;
    QTreeWidgetItem* row = found.first();
    if (row == m_markedRow)
        m_markedRow = nullptr;
    delete row;
    setCountPanel();
}

void TForm1::SendMailClick()
{
    const std::vector<QTreeWidgetItem*> rows = selectedRows();
    if (rows.empty())
        return;
    if (rows.size() == 1) {
        ShellOpen(MailtoUrl(codepage::FromUnicode(rows.front()->text(colEmail))));
        return;
    }
    std::vector<std::string> addresses;
    for (QTreeWidgetItem* row : rows)
        addresses.push_back(codepage::FromUnicode(row->text(colEmail)));
    ShellOpen(MailtoUrl(addresses));
}

void TForm1::NameSearchChange()
{
    const std::string text = codepage::FromUnicode(Edit1->text());
    if (text.empty()) {
        if (m_markedRow)
            setRowPicture(m_markedRow, 0);
        m_markedRow = nullptr;
        return;
    }
    const std::string wanted = LowerCase(text);
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = ListView1->topLevelItem(i);
        if (LowerCase(codepage::FromUnicode(row->text(colCaption))).rfind(wanted, 0) != 0)
            continue;
        if (m_markedRow)
            setRowPicture(m_markedRow, 0);
        setRowPicture(row, 1);
        m_markedRow = row;
        return;
    }
}

void TForm1::WMDropFiles(const std::vector<std::string>& files)
{
    for (const std::string& name : files) {
        if (name.size() <= kMaxDroppedName && name.find(".vcf") != std::string::npos)
            m_pendingImports.push_back(name);
    }
    // An import lets the window work between its batches: files dropped meanwhile wait their turn.
    if (m_importing || m_pendingImports.empty())
        return;
    const QPointer<TForm1> alive(this);
    m_importing = true;
    while (!m_pendingImports.empty()) {
        const std::string path = m_pendingImports.front();
        m_pendingImports.pop_front();
        ImportVCard(path);
        if (!alive)
            return;
    }
    m_importing = false;
    // One rebuild for the whole drop, however many cards it held.
    ShowGroup(m_group == "\\" ? std::string() : m_group);
}

void TForm1::ImportVCard(const std::string& path)
{
    std::vector<VCardContact> cards;
    VCardReadCounts counts;
    std::string error;
    if (!ReadVCardFile(path, cards, error, &counts)) {
        MessageBox(this, "\r" + error, Application::Title(), MB_OK | MB_ICONWARNING);
        return;
    }
    const std::string folder = m_group.empty() || m_group == "\\" ? m_root : m_root + "/" + m_group;
    const QPointer<TForm1> alive(this);
    const VCardImportResult result = StoreVCardContacts(cards, folder, [&alive] {
        Application::ProcessMessages();
        return !alive.isNull();
    });
    if (!alive)
        return;
    if (!result.Failures.empty())
        MessageBox(this, "\r" + result.Failures.front(), Application::Title(), MB_OK | MB_ICONWARNING);
    const std::string notice = VCardImportNotice(path, counts);
    if (alive && !notice.empty())
        MessageBox(this, "\r" + notice, Application::Title(), MB_OK | MB_ICONINFORMATION);
}

bool TForm1::listEvent(QObject*, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        m_downPoint = static_cast<QMouseEvent*>(event)->position().toPoint();
        return false;
    }
    if (event->type() != QEvent::MouseMove)
        return false;
    auto* move = static_cast<QMouseEvent*>(event);
    const Qt::MouseButtons buttons = move->buttons();
    if ((buttons != Qt::LeftButton && buttons != Qt::RightButton) || move->modifiers() != Qt::NoModifier)
        return false;
    if (selectedRows().empty())
        return false;
    const QPoint at = move->position().toPoint();
    if (std::abs(at.x() - m_downPoint.x()) <= kDragThreshold && std::abs(at.y() - m_downPoint.y()) <= kDragThreshold)
        return false;
    Application::Guarded([this] { DragSelectedContacts(); });
    return true;
}

void TForm1::DragSelectedContacts()
{
    m_dragSource->Files.clear();
    for (QTreeWidgetItem* row : selectedRows())
        m_dragSource->Files.push_back(codepage::FromUnicode(row->text(colPath)));
    m_dropTargetEnabled = false;
    m_dragSource->Execute();
    m_dropTargetEnabled = true;
    m_dragSource->Files.clear();
}

std::vector<std::vector<std::string>> TForm1::Rows() const
{
    std::vector<std::vector<std::string>> rows;
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = ListView1->topLevelItem(i);
        rows.push_back({ codepage::FromUnicode(row->text(colCaption)), std::to_string(row->data(colCaption, kPictureRole).toInt()),
            codepage::FromUnicode(row->text(colEmail)), codepage::FromUnicode(row->text(colPath)) });
    }
    return rows;
}

}  // namespace tivra
