#pragma once

#include "kit-extra/qorbevel.h"
#include "kit/qorchangelink.h"
#include "platform/ui/graphics.h"

#include <QImage>
#include <QPoint>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

class TQORCustomImageList;

// Form files keep a reference to one of the kit container's own image lists as
// the list's name under this property instead of a link to a component.
inline constexpr const char* kInternalProperty = "Internal";
// "QORBML30" for the container's bitmap list, "QORIML30" for its image list, "" for any other.
std::string StdImageListName(const TQORCustomImageList* list);
// The container's list of that name; nullptr for any other text.
TQORCustomImageList* StdImageListNamed(const std::string& name);

// Bounds-change flags.
inline constexpr int kBoundsSized = 1;
inline constexpr int kBoundsMoved = 2;

// Base of the kit's windowless controls (the graphic buttons): an image from a
// kit image list, enter and exit events, and a bounds event.
class TQORBaseControl : public QWidget {
public:
    using TNotifyEvent = std::function<void(TQORBaseControl* Sender)>;

    explicit TQORBaseControl(QWidget* parent = nullptr);
    ~TQORBaseControl() override;

    TQORCustomImageList* ImageList() const { return m_imageList; }
    // Follows the list's changes; set back to nullptr when the list is destroyed.
    void SetImageList(TQORCustomImageList* value);
    int ImageIndex() const { return m_imageIndex; }
    // Negative and unchanged values are ignored.
    void SetImageIndex(int value);
    int ListIndex() const { return m_listIndex; }
    void SetListIndex(int value);
    bool IsStdImageList() const { return !StdImageListName(m_imageList).empty(); }
    // ImageList is stored as a link only for a list that is not the container's.
    bool ImageListStored() const { return m_imageList && !IsStdImageList(); }
    // Written only when IsStdImageList().
    std::string WriteInternal() const { return StdImageListName(m_imageList); }
    void ReadInternal(const std::string& name) { SetImageList(StdImageListNamed(name)); }

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseExit;
    // Flags: kBoundsSized, kBoundsMoved.
    std::function<void(TQORBaseControl* Sender, int flags)> OnBoundsChange;

    // Moves and sizes; a real change reaches BoundsChange.
    void SetBounds(int left, int top, int width, int height);
    QRect ClientRectToScreen(const QRect& rect) const;

    virtual void BoundsChange(int flags);
    virtual void Changed() { update(); }
    virtual void ImageListChanged() { Changed(); }
    virtual void DoMouseEnter();
    virtual void DoMouseExit();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    TQORCustomImageList* m_imageList { nullptr };
    int m_imageIndex { 0 };
    int m_listIndex { 0 };
    TQORChangeLink m_link;
};

// Base of the kit's windowed controls. A see-through control shows its parent kit
// panel's background bitmap behind itself instead of filling with its colour.
class TQORCustomControl : public QWidget {
public:
    explicit TQORCustomControl(QWidget* parent = nullptr);
    ~TQORCustomControl() override;

    TColor Color() const { return m_color; }
    void SetColor(TColor value);
    bool Transparent() const { return m_transparent; }
    virtual void SetTransparent(bool value);

    TQORCustomImageList* ImageList() const { return m_imageList; }
    // Follows the list's changes; set back to nullptr when the list is destroyed.
    void SetImageList(TQORCustomImageList* value);
    int ImageIndex() const { return m_imageIndex; }
    // Negative and unchanged values are ignored.
    void SetImageIndex(int value);
    int ListIndex() const { return m_listIndex; }
    void SetListIndex(int value);
    bool IsStdImageList() const { return !StdImageListName(m_imageList).empty(); }
    // ImageList is stored as a link only for a list that is not the container's.
    bool ImageListStored() const { return m_imageList && !IsStdImageList(); }
    // Written only when IsStdImageList().
    std::string WriteInternal() const { return StdImageListName(m_imageList); }
    void ReadInternal(const std::string& name) { SetImageList(StdImageListNamed(name)); }

    virtual void Changed(TQORObject* sender);
    // Nothing is drawn at the edge.
    virtual bool IsEmptyFrame() const { return true; }
    virtual void ImageListChanged() { Changed(nullptr); }
    // The bitmap this control offers its see-through children, if any.
    virtual const QImage* BackBitmap() const { return nullptr; }
    virtual bool HasBackground() const { return false; }
    // Where a point of this control lies in its BackBitmap.
    virtual QPoint BackOffset(QPoint point) const { return point; }

    bool SeeThrough() const { return m_transparent && HasBackground(); }
    // The parent's background changed: a see-through control repaints and tells its children.
    void BackgroundChanged();

    // Draws the control's own face (not its children) into canvas, the control's size.
    virtual void Paint(QImage& canvas);

protected:
    void paintEvent(QPaintEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void PaintBackground(QImage& canvas) const;
    void NotifyChildrenOfBackground();
    TQORCustomControl* ParentControl() const;

private:
    TColor m_color { clBtnFace };
    bool m_transparent { false };
    TQORCustomImageList* m_imageList { nullptr };
    int m_imageIndex { 0 };
    int m_listIndex { 0 };
    TQORChangeLink m_link;
};

// A container with a resize event.
class TQORCustomPanel : public TQORCustomControl {
public:
    explicit TQORCustomPanel(QWidget* parent = nullptr) : TQORCustomControl(parent) {}

    std::function<void(TQORCustomPanel* Sender)> OnResize;

protected:
    void resizeEvent(QResizeEvent* event) override;
};

// A panel framed by a bevel; children are placed inside the frame.
class TQORCustomBevelPanel : public TQORCustomPanel {
public:
    explicit TQORCustomBevelPanel(QWidget* parent = nullptr);
    ~TQORCustomBevelPanel() override;

    TQORBevel& Bevel() { return m_bevel; }
    void SetBevel(const TQORBevel& value) { m_bevel.Assign(value); }

    bool IsEmptyFrame() const override { return m_bevel.TotalWidth() == 0; }
    void Changed(TQORObject* sender) override;
    void Paint(QImage& canvas) override;
    // The client rectangle shrunk by the bevel, where children are aligned.
    QRect AlignRect() const;

private:
    TQORBevel m_bevel;
};

class TQORSimplePanel : public TQORCustomBevelPanel {
public:
    explicit TQORSimplePanel(QWidget* parent = nullptr) : TQORCustomBevelPanel(parent) {}

    // Kept for the stored forms; it changes nothing at run time.
    bool Locked { false };

    bool HasBackground() const override;
    const QImage* BackBitmap() const override;
    QPoint BackOffset(QPoint point) const override;
};

// A panel showing an image of a kit image list as its background, framed by its
// bevel; see-through children show the same bitmap at their place.
class TQORBackPanel final : public TQORSimplePanel {
public:
    explicit TQORBackPanel(QWidget* parent = nullptr) : TQORSimplePanel(parent) {}

    // Kept for the stored forms: Qt hands each paint only its damaged area anyway.
    bool QuickDraw { true };

    bool ShowsImage() const;
    bool IsEmptyFrame() const override { return !ShowsImage() && TQORSimplePanel::IsEmptyFrame(); }
    bool HasBackground() const override { return ShowsImage(); }
    const QImage* BackBitmap() const override { return ShowsImage() ? &m_background : nullptr; }
    QPoint BackOffset(QPoint point) const override { return point; }
    void Changed(TQORObject* sender) override;
    void ImageListChanged() override;
    void Paint(QImage& canvas) override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void rebuildBackground();

    QImage m_background;
};
