#pragma once

#include "client/features/guidefiles.h"
#include "platform/ui/form.h"

#include <array>
#include <string>

class QAction;
class QIcon;
class QCheckBox;
class QLabel;
class QMenu;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// The channel guide: a tall window at the right screen edge with one tree of
// categories, favourites, programs and headlines; a click opens the item.
class TForm5 final : public TForm {
public:
    TForm5();
    ~TForm5() override;

    // Item data: the kind (image), the path or link kept by value in the item.
    static int ImageOf(const QTreeWidgetItem* item);
    static std::string PathOf(const QTreeWidgetItem* item);
    static std::string CaptionOf(const QTreeWidgetItem* item);
    // The picture a node of that image index draws (none outside the slots).
    static QIcon Picture(int image);
    static constexpr int kPictureSlots = 12;

    void LoadCategories();
    void LoadFavoritesFolder(QTreeWidgetItem* node, const std::string& folder);
    void LoadProgramsFolder(QTreeWidgetItem* node, const std::string& folder);
    void LoadHeadlines(const std::string& source, QTreeWidgetItem* node);
    // A child of image and path under parent (or a root without one).
    QTreeWidgetItem* AddNode(QTreeWidgetItem* parent, const std::string& caption, int image, const std::string& path);
    void DeleteLinkNode(QTreeWidgetItem* node);
    // The News Headlines branch lists the news sources the news code holds.
    void FillNewsBranch();
    // The Nivlets and Praltos branches show the stored notes and the reminders.
    void FillNoteBranches();
    // After the current event: a run of changes (every note at sign-on) redraws once.
    void NoteBranchesChanged();
    void ArrangeBrowsers(int mode);

    void ShowGuide();
    void NodeClick(QTreeWidgetItem* node);
    void TreeKeyDown(WORD key);
    void PopupMenuPopup();
    void ExpandButtonClick();

    // The question Del asks about a node.
    static std::string DeleteQuestion(const QTreeWidgetItem* node);

    QTreeWidgetItem* Favorites() const { return m_favorites; }
    QTreeWidgetItem* Nivlets() const { return m_nivlets; }
    QTreeWidgetItem* Programs() const { return m_programs; }
    QTreeWidgetItem* NewsHeadlines() const { return m_news; }
    QTreeWidgetItem* Praltos() const { return m_praltos; }
    int CategoryCount() const { return m_categoryCount; }
    QTreeWidgetItem* Category(int key) const;

    QLabel* Label1 { nullptr };
    QPushButton* SpeedButton1 { nullptr };  // close
    QPushButton* SpeedButton2 { nullptr };  // expand / collapse
    QCheckBox* CheckBox1 { nullptr };       // "Lock"
    QTreeWidget* TreeView1 { nullptr };
    QMenu* PopupMenu1 { nullptr };
    QAction* Add1 { nullptr };
    QAction* Delete1 { nullptr };

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormClose();

    QTreeWidgetItem* m_favorites { nullptr };
    QTreeWidgetItem* m_nivlets { nullptr };
    QTreeWidgetItem* m_programs { nullptr };
    QTreeWidgetItem* m_news { nullptr };
    QTreeWidgetItem* m_praltos { nullptr };
    std::array<QTreeWidgetItem*, kMaxCategories> m_categories {};
    int m_categoryCount { 0 };
    bool m_notesPending { false };
    int m_resizeFrom { -1 };
    int m_resizeRight { 0 };
};

// The session's guide, nullptr before sign-on.
TForm5* ChannelGuide();
// Sign-on: made hidden with the main bar, its categories loaded later in the chain.
void CreateChannelGuide();
void LoadChannelGuide();
// Sign-off: closed and freed.
void FreeChannelGuide();
void ToggleChannelGuide();
// A shown guide closes.
void CloseChannelGuide();
// The guide closes unless "Lock" is ticked.
void CloseUnlockedChannelGuide();
