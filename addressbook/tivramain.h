#pragma once

#include "platform/ui/form.h"

#include <QIcon>
#include <QPoint>

#include <array>
#include <deque>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class TDropFileSource;
class TQORForm;
class TQOROneInstance;

namespace tivra {

class TForm3;

// The columns of a contact row: the caption, then the five sub-items.
enum TContactColumn { colCaption, colEmail, colHomePhone, colBusinessPhone, colPath, colDisplayName, colCount };
// A row's picture, kept in its caption cell.
inline constexpr int kPictureRole = 0x0100;

// "Korvo - Address Book": the groups, the chosen group's contacts, mailing and
// importing them, and dragging them out as files.
class TForm1 final : public TForm {
public:
    TForm1();
    ~TForm1() override;

    void LoadGroups();
    // "" lists every contact; "\" the root's own.
    void ShowGroup(const std::string& group);
    void LoadContactFile(const std::string& path);
    QTreeWidgetItem* AddContactItem(QTreeWidgetItem* row, const std::string& path, const std::string& displayName,
        const std::string& homePhone, const std::string& businessPhone, const std::string& email,
        const std::string& last, const std::string& middle, const std::string& first);
    void SaveViewSettings();
    // Stores the cards of one file in the listed group, letting the window work
    // between batches; the list is rebuilt by the caller.
    void ImportVCard(const std::string& path);
    void WMDropFiles(const std::vector<std::string>& files);
    void DragSelectedContacts();

    void TreeViewClick();
    void ListViewMouseUp();
    void NewGroupClick();
    void AddContactClick();
    void EditContactClick();
    void DeleteClick();
    void SendMailClick();
    void ViewsClick();
    void SetViewStyle(int style);
    void SetGroupListVisible(bool visible);
    void ShowFirstNamesFirstClick();
    void NameSearchChange();

    // The file drop target is never attached to a control; a drag only switches it off and on.
    bool DropTargetEnabled() const { return m_dropTargetEnabled; }
    const std::string& Root() const { return m_root; }
    const std::string& ListedGroup() const { return m_group; }
    int ViewStyle() const { return m_viewStyle; }
    // The rows as a user sees them: caption, picture, e-mail, path; in list order.
    std::vector<std::vector<std::string>> Rows() const;

    QTreeWidget* TreeView1 { nullptr };
    // The rows with their columns in details view.
    QTreeWidget* ListView1 { nullptr };
    // The same rows, laid out as large icons, small icons or a list.
    QListView* IconView1 { nullptr };
    QLineEdit* Edit1 { nullptr };
    QToolButton* SpeedButton1 { nullptr };
    QToolButton* NewGroupButton { nullptr };
    QToolButton* AddContactButton { nullptr };
    QToolButton* DeleteButton { nullptr };
    QToolButton* SendMailButton { nullptr };
    QToolButton* EditContactButton { nullptr };
    QToolButton* ViewsButton { nullptr };
    QLabel* GroupPanel { nullptr };
    QLabel* CountPanel { nullptr };
    QAction* GroupList1 { nullptr };
    QAction* ShowFirstNamesFirst1 { nullptr };
    TForm3* GroupNameDialog { nullptr };

private:
    void FormShow();
    void addGroupFiles(const std::string& group);
    void setCountPanel();
    void applyViewStyle(int style);
    void setRowPicture(QTreeWidgetItem* row, int picture);
    QTreeWidgetItem* topNode() const;
    bool rowsHaveFocus() const;
    QTreeWidgetItem* selectedNode() const;
    std::vector<QTreeWidgetItem*> selectedRows() const;
    void openEditor(const std::string& mode, const std::string& path, QTreeWidgetItem* row);
    bool listEvent(QObject* watched, QEvent* event);

    std::string m_root;
    std::string m_group;
    bool m_firstNamesFirst { false };
    int m_viewStyle { 0 };
    QTreeWidgetItem* m_markedRow { nullptr };
    bool m_batching { false };
    std::vector<QTreeWidgetItem*> m_batch;
    std::array<QIcon, 2> m_rowPictures;
    std::vector<QObject*> m_hooks;
    QPoint m_downPoint;
    bool m_dropTargetEnabled { true };
    bool m_importing { false };
    std::deque<std::string> m_pendingImports;
    std::unique_ptr<TDropFileSource> m_dragSource;
    TQORForm* m_formComponent { nullptr };
    TQOROneInstance* m_oneInstance { nullptr };
};

}  // namespace tivra
