#include "client/features/channelguide.h"

#include "client/core/helpers.h"
#include "client/core/mainbar.h"
#include "client/core/servicelogon.h"
#include "client/core/session.h"
#include "client/features/addchannel.h"
#include "client/features/favourites.h"
#include "client/features/newsthread.h"
#include "client/features/nivletcore.h"
#include "client/features/noteform.h"
#include "client/features/notetree.h"
#include "client/features/reminderform.h"
#include "client/features/reminders.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/eventloop.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/label.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>

#include <functional>

namespace {

TForm5* g_guide = nullptr;

constexpr int kImageRole = Qt::UserRole;
constexpr int kPathRole = Qt::UserRole + 1;
constexpr int kGuideWidth = 472;
// The left edge a user drags to widen the guide.
constexpr int kResizeEdge = 5;
constexpr WORD kVkF2 = VK_F1 + 1;
constexpr WORD kVkF4 = VK_F1 + 3;
// The header's buttons are drawn in the window-control picture font.
const TFontSpec kHeaderButtonFont("Marlett", 10);

void ShowExpandState(QPushButton* button, bool expanded)
{
    SetFontAndText(*button, kHeaderButtonFont, expanded ? "5" : "6");
    button->setToolTip(expanded ? "Collapse" : "Expand");
}


// Browsers are other programs' windows: nothing here can move them, so the
// squeeze reaches none. The geometry is BrowserPlace's.
void MoveBrowserWindows(const TBrowserPlace&) {}

}  // namespace

TForm5* ChannelGuide() { return g_guide; }

void CreateChannelGuide()
{
    delete g_guide;
    g_guide = new TForm5();
    // The lists outlive any one guide: they reach the session's guide, never a freed one.
    NewsTree().OnFilled = [] {
        if (g_guide)
            g_guide->FillNewsBranch();
    };
    NoteTree().OnChange = [] {
        if (g_guide)
            g_guide->NoteBranchesChanged();
    };
}

void LoadChannelGuide()
{
    if (!g_guide)
        CreateChannelGuide();
    g_guide->LoadCategories();
}

void FreeChannelGuide()
{
    if (!g_guide)
        return;
    // Closed first, so the browsers get the whole screen back.
    CloseChannelGuide();
    delete g_guide;
}

void ToggleChannelGuide()
{
    if (!g_guide)
        return;
    if (g_guide->isVisible())
        g_guide->Close();
    else
        g_guide->ShowGuide();
}

void CloseChannelGuide()
{
    if (g_guide && g_guide->isVisible())
        g_guide->Close();
}

void CloseUnlockedChannelGuide()
{
    if (g_guide && !g_guide->CheckBox1->isChecked())
        CloseChannelGuide();
}

TForm5::TForm5() : TForm("TForm5")
{
    SetBorderStyle(bsNone);
    SetCaption("Channel Guide");
    SetColor(RGB(255, 255, 255));
    SetBounds(Screen::Width() - kGuideWidth, 0, kGuideWidth, Screen::WorkAreaRect().bottom() + 1);
    setMouseTracking(true);

    Label1 = new TLabel("        Channel Guide", this);
    Label1->setObjectName("Label1");
    Label1->setGeometry(kResizeEdge, 2, 200, 18);
    SpeedButton1 = new QPushButton(this);
    SpeedButton1->setObjectName("SpeedButton1");
    SetFontAndText(*SpeedButton1, kHeaderButtonFont, "r");
    SpeedButton1->setToolTip("Close");
    SpeedButton2 = new QPushButton(this);
    SpeedButton2->setObjectName("SpeedButton2");
    ShowExpandState(SpeedButton2, false);
    CheckBox1 = new QCheckBox("Lock", this);
    CheckBox1->setObjectName("CheckBox1");
    CheckBox1->setToolTip("Lock");
    TreeView1 = new QTreeWidget(this);
    TreeView1->setObjectName("TreeView1");
    TreeView1->setHeaderHidden(true);
    TreeView1->setRootIsDecorated(false);
    TreeView1->setItemsExpandable(true);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView1->setContextMenuPolicy(Qt::CustomContextMenu);
    TreeView1->setMouseTracking(true);
    TreeView1->installEventFilter(this);
    TreeView1->viewport()->installEventFilter(this);
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    Add1 = PopupMenu1->addAction("&Add");
    Add1->setObjectName("Add1");
    PopupMenu1->addSeparator();
    Delete1 = PopupMenu1->addAction("&Delete");
    Delete1->setObjectName("Delete1");

    OnResize = [this] {
        SpeedButton1->setGeometry(width() - 22, 2, 18, 18);
        SpeedButton2->setGeometry(width() - 42, 2, 18, 18);
        CheckBox1->setGeometry(width() - 100, 2, 55, 18);
        TreeView1->setGeometry(kResizeEdge, 22, width() - kResizeEdge, height() - 22);
        if (isVisible())
            ArrangeBrowsers(1);
    };
    OnResize();
    OnActivate = [this] { ArrangeBrowsers(1); };
    OnClose = [this](TCloseAction& action) {
        FormClose();
        action = caHide;
    };

    QObject::connect(SpeedButton1, &QPushButton::clicked, this, [this] { Close(); });
    QObject::connect(SpeedButton2, &QPushButton::clicked, this, [this] { ExpandButtonClick(); });
    QObject::connect(TreeView1, &QTreeWidget::itemClicked, this,
                     [this](QTreeWidgetItem* item) { Application::Guarded([&] { NodeClick(item); }); });
    QObject::connect(TreeView1, &QTreeWidget::itemExpanded, this, [this] { ShowExpandState(SpeedButton2, true); });
    QObject::connect(TreeView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        Application::Guarded([this] { PopupMenuPopup(); });
        PopupMenu1->popup(TreeView1->viewport()->mapToGlobal(at));
    });
    QObject::connect(Add1, &QAction::triggered, this, [this] { Application::Guarded([this] { TreeKeyDown(kVkF4); }); });
    QObject::connect(Delete1, &QAction::triggered, this,
                     [this] { Application::Guarded([this] { TreeKeyDown(VK_DELETE); }); });
}

TForm5::~TForm5()
{
    if (g_guide == this)
        g_guide = nullptr;
}

int TForm5::ImageOf(const QTreeWidgetItem* item) { return item ? item->data(0, kImageRole).toInt() : -1; }

std::string TForm5::PathOf(const QTreeWidgetItem* item)
{
    return item ? codepage::FromUnicode(item->data(0, kPathRole).toString()) : std::string();
}

std::string TForm5::CaptionOf(const QTreeWidgetItem* item)
{
    return item ? codepage::FromUnicode(item->text(0)) : std::string();
}

QIcon TForm5::Picture(int image)
{
    // One picture a kind of node; 5 is a Nivlet sender's, which groups that buddy's notes.
    static constexpr std::array<QStyle::StandardPixmap, kPictureSlots> kPictures { QStyle::SP_DirClosedIcon,
        QStyle::SP_FileLinkIcon, QStyle::SP_DirLinkIcon, QStyle::SP_FileDialogContentsView, QStyle::SP_FileDialogInfoView,
        QStyle::SP_DriveNetIcon, QStyle::SP_FileDialogDetailedView, QStyle::SP_ArrowRight, QStyle::SP_BrowserReload,
        QStyle::SP_DialogApplyButton, QStyle::SP_ComputerIcon, QStyle::SP_MediaPlay };
    if (image < 0 || image >= kPictureSlots)
        return {};
    return QApplication::style()->standardIcon(kPictures[static_cast<std::size_t>(image)]);
}

QTreeWidgetItem* TForm5::Category(int key) const
{
    return key >= 0 && key < kMaxCategories ? m_categories[static_cast<std::size_t>(key)] : nullptr;
}

QTreeWidgetItem* TForm5::AddNode(QTreeWidgetItem* parent, const std::string& caption, int image, const std::string& path)
{
    auto* item = new QTreeWidgetItem();
    item->setText(0, codepage::ToUnicode(caption));
    item->setData(0, kImageRole, image);
    item->setData(0, kPathRole, codepage::ToUnicode(path));
    item->setIcon(0, Picture(image));
    if (parent)
        parent->addChild(item);
    else
        TreeView1->addTopLevelItem(item);
    return item;
}

void TForm5::LoadCategories()
{
    const TSession& s = Session();
    for (const TGuideCategory& category : ReadCategories(AppPath() + "Channels.ini")) {
        std::string path;
        if (category.image == giFavorites)
            path = s.favoritesFolder;
        else if (category.image == giPrograms)
            path = s.programsFolder;
        QTreeWidgetItem* node = AddNode(nullptr, category.caption, category.image, path);
        switch (category.image) {
        case giFavorites: m_favorites = node; break;
        case giNivlets: m_nivlets = node; break;
        case giPrograms: m_programs = node; break;
        case giNews: m_news = node; break;
        case giPraltos: m_praltos = node; break;
        default: break;
        }
        m_categories[static_cast<std::size_t>(category.key)] = node;
        ++m_categoryCount;
    }
    TreeView1->sortItems(0, Qt::AscendingOrder);
    TreeView1->setSortingEnabled(false);
    FillNewsBranch();
    FillNoteBranches();
}

void TForm5::FillNewsBranch()
{
    if (!m_news)
        return;
    for (QTreeWidgetItem* child : m_news->takeChildren())
        delete child;
    for (const std::string& source : NewsTree().sources)
        AddNode(m_news, source, giNews, "");
}

void TForm5::NoteBranchesChanged()
{
    if (m_notesPending)
        return;
    m_notesPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_notesPending = false;
            FillNoteBranches();
        },
        Qt::QueuedConnection);
}

void TForm5::FillNoteBranches()
{
    // The selection survives a redraw when its note or reminder is still listed.
    QTreeWidgetItem* current = TreeView1->currentItem();
    const int currentImage = ImageOf(current);
    const std::string currentPath = PathOf(current);
    QTreeWidgetItem* reselect = nullptr;
    auto fill = [&](QTreeWidgetItem* branch, const TNoteNode& list) {
        if (!branch)
            return;
        for (QTreeWidgetItem* child : branch->takeChildren())
            delete child;
        std::function<void(QTreeWidgetItem*, const TNoteNode&)> add;
        add = [&](QTreeWidgetItem* parent, const TNoteNode& node) {
            QTreeWidgetItem* item = AddNode(parent, node.text, node.image, node.data);
            const bool leaf = node.image == giNivlet || node.image == giPralto;
            if (leaf && node.image == currentImage && node.data == currentPath)
                reselect = item;
            for (const TNoteNode& child : node.children)
                add(item, child);
            if (node.expanded)
                item->setExpanded(true);
        };
        for (const TNoteNode& node : list.children)
            add(branch, node);
        if (list.expanded)
            branch->setExpanded(true);
    };
    fill(m_nivlets, NoteTree().Nivlets);
    fill(m_praltos, NoteTree().Praltos);
    if (reselect)
        TreeView1->setCurrentItem(reselect);
}

void TForm5::LoadFavoritesFolder(QTreeWidgetItem* node, const std::string& folder)
{
    for (const TGuideEntry& entry : FavoritesEntries(folder))
        AddNode(node, entry.caption, entry.image, entry.path);
}

void TForm5::LoadProgramsFolder(QTreeWidgetItem* node, const std::string& folder)
{
    for (const TGuideEntry& entry : ProgramsEntries(folder))
        AddNode(node, entry.caption, entry.image, entry.path);
}

void TForm5::LoadHeadlines(const std::string& source, QTreeWidgetItem* node)
{
    // The link stays with its headline: News.ini may be rewritten before the click.
    for (const THeadline& headline : ReadHeadlines(AppPath() + "News.ini", source))
        AddNode(node, headline.caption, giHeadline, headline.link);
}

void TForm5::DeleteLinkNode(QTreeWidgetItem* node)
{
    DeleteFile(PathOf(node));
    delete node;
}

void TForm5::ArrangeBrowsers(int mode)
{
    MoveBrowserWindows(BrowserPlace(mode, Screen::Width(), Screen::WorkAreaRect().bottom() + 1, Width()));
}

void TForm5::ShowGuide()
{
    SetBounds(Screen::Width() - Width(), 0, Width(), Screen::WorkAreaRect().bottom() + 1);
    Show();
    BringToFront();
}

void TForm5::NodeClick(QTreeWidgetItem* node)
{
    if (!node)
        return;
    const int image = ImageOf(node);
    const bool locked = CheckBox1->isChecked();
    if (image == giLink || image == giProgram) {
        // Closing frees the Favorites nodes: take what the click needs first.
        const std::string address
            = image == giLink ? TIniFile(PathOf(node)).ReadString("InternetShortcut", "URL", "") : PathOf(node);
        const std::string caption = UpperCase(CaptionOf(node));
        if (!locked)
            Close();
        if (Form1)
            Form1->ChnName->setText(codepage::ToUnicode(caption));
        // A favourite's address comes from its file; a program is a shortcut of this machine.
        if (Trim(address).empty())
            return;
        if (image == giLink)
            NavigateTo(Trim(address));
        else
            OpenDocument(Trim(address));
        return;
    }
    if (node->childCount() == 0) {
        switch (image) {
        case giPrograms: LoadProgramsFolder(node, PathOf(node)); break;
        case giNews: LoadHeadlines(CaptionOf(node), node); break;
        case giFavorites: LoadFavoritesFolder(node, Session().favoritesFolder); break;
        // A plain category has no folder: no walk (the file-system root is no favourites folder).
        case giFolder: LoadFavoritesFolder(node, PathOf(node)); break;
        default: break;
        }
        if (node->childCount() > 0) {
            node->setExpanded(true);
            return;
        }
    }
    if (image == giHeadline) {
        if (!locked)
            ArrangeBrowsers(0);
        const std::string link = PathOf(node);
        if (Form1)
            Form1->ChnName->setText(codepage::ToUnicode(UpperCase(CaptionOf(node))));
        if (!locked)
            Close();
        NavigateTo(link);
        return;
    }
    if (image == giNivlet) {
        const nivlet::TStoredNote note = nivlet::ReadStoredNote(PathOf(node));
        ShowNoteWindow(note.from, note.link, note.message, TForm8::nkNote);
        return;
    }
    if (image == giPralto) {
        EditReminder(PathOf(node));
        return;
    }
    if (node->childCount() > 0)
        node->setExpanded(!node->isExpanded());
}

std::string TForm5::DeleteQuestion(const QTreeWidgetItem* node)
{
    const std::string suffix = node->parent() ? " from " + CaptionOf(node->parent()) : " group";
    return "\rDelete this link '" + CaptionOf(node) + suffix + "'" + ". Are you sure?";
}

void TForm5::TreeKeyDown(WORD key)
{
    QTreeWidgetItem* node = TreeView1->currentItem();
    if (key == VK_RETURN) {
        NodeClick(node);
    } else if (key == kVkF2) {
        if (Form1)
            Form1->ShowProperties();
    } else if (key == VK_DELETE && node) {
        const int image = ImageOf(node);
        if (image == giFolder || image == giLink) {
            PlayAppSound(6, true);
            if (MessageDlg(DeleteQuestion(node), mtConfirmation, mbYes | mbNo, 0) == mrYes && image == giLink)
                DeleteLinkNode(node);
        } else if (image == giNivlet) {
            PlayAppSound(6, false);
            const std::string file = PathOf(node);
            DeleteFile(file);
            // The note list redraws the branch without the node.
            NoteTree().RemoveNivlet(file);
        } else if (image == giPralto) {
            // Asked first: a key press alone never loses a reminder.
            Tasks().DeleteReminder(PathOf(node), true);
        }
    } else if (key == kVkF4) {
        PlayAppSound(6, true);
        AddPageAsChannel(2);
    }
}

void TForm5::PopupMenuPopup()
{
    Add1->setEnabled(false);
    Add1->setText("&Add");
    const BrowserPage page = ParseBrowserAnswer(GetBrowserWindowInfo());
    if (page.url.empty())
        return;
    const int image = ImageOf(TreeView1->currentItem());
    if (image == giFolder || image == giLink || image == giFavorites) {
        Add1->setEnabled(true);
        Add1->setText(codepage::ToUnicode("&Add - " + Trim(page.title) + " Here"));
    }
}

void TForm5::ExpandButtonClick()
{
    if (SpeedButton2->text() == FontText(kHeaderButtonFont, "6")) {
        TreeView1->expandAll();
        ShowExpandState(SpeedButton2, true);
    } else {
        TreeView1->collapseAll();
        ShowExpandState(SpeedButton2, false);
    }
}

void TForm5::FormClose()
{
    if (m_favorites) {
        // Reloaded on the next click.
        for (QTreeWidgetItem* child : m_favorites->takeChildren())
            delete child;
    }
    ArrangeBrowsers(0);
}

bool TForm5::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == TreeView1 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const WORD vk = VirtualKeyFromQt(key->key());
        if (vk == VK_RETURN || vk == kVkF2 || vk == VK_DELETE || vk == kVkF4) {
            Application::Guarded([&] { TreeKeyDown(vk); });
            return true;
        }
    }
    if (watched == TreeView1->viewport() && event->type() == QEvent::MouseMove && TreeView1->currentItem()) {
        // Pointing at an item selects it; notes and tasks are selected without taking the focus.
        const auto* move = static_cast<QMouseEvent*>(event);
        if (QTreeWidgetItem* item = TreeView1->itemAt(move->position().toPoint())) {
            const int image = ImageOf(item);
            if (image != giNivlet && image != giPralto)
                TreeView1->setFocus();
            TreeView1->setCurrentItem(item);
        } else {
            TreeView1->setFocus();
        }
    }
    return TForm::eventFilter(watched, event);
}

void TForm5::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && event->position().x() < kResizeEdge) {
        m_resizeFrom = static_cast<int>(event->globalPosition().x());
        m_resizeRight = x() + width();
        return;
    }
    TForm::mousePressEvent(event);
}

void TForm5::mouseMoveEvent(QMouseEvent* event)
{
    setCursor(event->position().x() < kResizeEdge || m_resizeFrom >= 0 ? Qt::SizeHorCursor : Qt::ArrowCursor);
    if (m_resizeFrom >= 0) {
        const int left = std::min(static_cast<int>(event->globalPosition().x()), m_resizeRight - 100);
        SetBounds(left, y(), m_resizeRight - left, height());
        return;
    }
    TForm::mouseMoveEvent(event);
}

void TForm5::mouseReleaseEvent(QMouseEvent* event)
{
    m_resizeFrom = -1;
    TForm::mouseReleaseEvent(event);
}
