#include "kit-extra/qorctrl.h"

#include "kit-extra/drawedge.h"
#include "kit/qorcont.h"

#include <QMoveEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QResizeEvent>

namespace {
// The image tiled over the whole panel, with its list's palette.
constexpr std::uint16_t kBackgroundDrawFlags = 0x1020;

// Both control bases hold an image list the same way: registered for its changes while held.
bool Rebind(TQORCustomImageList*& held, TQORCustomImageList* value, TQORChangeLink* link)
{
    if (held == value)
        return false;
    if (held)
        held->UnRegisterChanges(link);
    held = value;
    if (held)
        held->RegisterChanges(link);
    return true;
}

// A negative index is refused; true when it changed.
bool SetIndex(int& held, int value)
{
    if (value < 0 || value == held)
        return false;
    held = value;
    return true;
}
} // namespace

TQORBaseControl::TQORBaseControl(QWidget* parent) : QWidget(parent)
{
    m_link.OnChange = [this](TQORBaseContainer*) { ImageListChanged(); };
    m_link.OnFree = [this](TQORBaseContainer*) {
        // The list is half destroyed: only forget it.
        m_imageList = nullptr;
        ImageListChanged();
    };
}

TQORBaseControl::~TQORBaseControl()
{
    m_link.OnChange = nullptr;
    m_link.OnFree = nullptr;
}

void TQORBaseControl::SetImageList(TQORCustomImageList* value)
{
    if (Rebind(m_imageList, value, &m_link))
        ImageListChanged();
}

void TQORBaseControl::SetImageIndex(int value)
{
    if (SetIndex(m_imageIndex, value) && m_imageList)
        ImageListChanged();
}

void TQORBaseControl::SetListIndex(int value)
{
    if (SetIndex(m_listIndex, value) && m_imageList)
        ImageListChanged();
}

void TQORBaseControl::SetBounds(int left, int top, int width, int height)
{
    const QRect before = geometry();
    setGeometry(left, top, width, height);
    int flags = 0;
    if (before.topLeft() != geometry().topLeft())
        flags |= kBoundsMoved;
    if (before.size() != geometry().size())
        flags |= kBoundsSized;
    if (flags != 0)
        BoundsChange(flags);
}

QRect TQORBaseControl::ClientRectToScreen(const QRect& rect) const
{
    return QRect(mapToGlobal(rect.topLeft()), mapToGlobal(rect.bottomRight()));
}

void TQORBaseControl::BoundsChange(int flags)
{
    if (OnBoundsChange)
        OnBoundsChange(this, flags);
}

void TQORBaseControl::DoMouseEnter()
{
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TQORBaseControl::DoMouseExit()
{
    if (OnMouseExit)
        OnMouseExit(this);
}

void TQORBaseControl::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    DoMouseEnter();
}

void TQORBaseControl::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    DoMouseExit();
}

TQORCustomControl::TQORCustomControl(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(100, 40);
    m_link.OnChange = [this](TQORBaseContainer*) { ImageListChanged(); };
    m_link.OnFree = [this](TQORBaseContainer*) {
        // The list is half destroyed: only forget it.
        m_imageList = nullptr;
        ImageListChanged();
    };
}

TQORCustomControl::~TQORCustomControl()
{
    m_link.OnChange = nullptr;
    m_link.OnFree = nullptr;
}

void TQORCustomControl::SetColor(TColor value)
{
    if (m_color == value)
        return;
    m_color = value;
    update();
}

void TQORCustomControl::SetTransparent(bool value)
{
    if (m_transparent == value)
        return;
    m_transparent = value;
    update();
}

void TQORCustomControl::SetImageList(TQORCustomImageList* value)
{
    if (Rebind(m_imageList, value, &m_link))
        ImageListChanged();
}

void TQORCustomControl::SetImageIndex(int value)
{
    if (SetIndex(m_imageIndex, value) && m_imageList)
        ImageListChanged();
}

void TQORCustomControl::SetListIndex(int value)
{
    if (SetIndex(m_listIndex, value) && m_imageList)
        ImageListChanged();
}

void TQORCustomControl::Changed(TQORObject*)
{
    update();
}

TQORCustomControl* TQORCustomControl::ParentControl() const
{
    return dynamic_cast<TQORCustomControl*>(parentWidget());
}

void TQORCustomControl::BackgroundChanged()
{
    if (!SeeThrough())
        return;
    update();
    NotifyChildrenOfBackground();
}

void TQORCustomControl::NotifyChildrenOfBackground()
{
    for (QObject* child : children())
        if (auto* control = dynamic_cast<TQORCustomControl*>(child))
            control->BackgroundChanged();
}

void TQORCustomControl::PaintBackground(QImage& canvas) const
{
    if (!SeeThrough()) {
        canvas.fill(ToQColor(m_color));
        return;
    }
    const TQORCustomControl* parent = ParentControl();
    const QImage* back = parent ? parent->BackBitmap() : nullptr;
    if (!back)
        return;
    const QPoint from = parent->BackOffset(pos());
    QPainter painter(&canvas);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPoint(0, 0), *back, QRect(from, canvas.size()));
}

void TQORCustomControl::Paint(QImage& canvas)
{
    PaintBackground(canvas);
}

void TQORCustomControl::paintEvent(QPaintEvent*)
{
    QImage canvas(size(), QImage::Format_RGB32);
    canvas.fill(ToQColor(m_color));
    Paint(canvas);
    QPainter painter(this);
    painter.drawImage(0, 0, canvas);
}

void TQORCustomControl::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    BackgroundChanged();
}

void TQORCustomPanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (OnResize)
        OnResize(this);
}

TQORCustomBevelPanel::TQORCustomBevelPanel(QWidget* parent) : TQORCustomPanel(parent)
{
    m_bevel.OnChange = [this](TQORObject* sender) { Changed(sender); };
}

TQORCustomBevelPanel::~TQORCustomBevelPanel()
{
    // No bevel change may reach a panel half way through its destruction.
    m_bevel.OnChange = nullptr;
}

void TQORCustomBevelPanel::Changed(TQORObject* sender)
{
    if (sender == &m_bevel) {
        const int w = m_bevel.TotalWidth();
        setContentsMargins(w, w, w, w);
    }
    update();
}

QRect TQORCustomBevelPanel::AlignRect() const
{
    const int w = m_bevel.TotalWidth();
    return rect().adjusted(w, w, -w, -w);
}

void TQORCustomBevelPanel::Paint(QImage& canvas)
{
    PaintBackground(canvas);
    if (m_bevel.TotalWidth() == 0)
        return;
    qorprocs::TRect inner;
    m_bevel.Paint(canvas, { 0, 0, canvas.width(), canvas.height() }, inner, false);
}

bool TQORSimplePanel::HasBackground() const
{
    const TQORCustomControl* parent = ParentControl();
    return parent && parent->HasBackground();
}

const QImage* TQORSimplePanel::BackBitmap() const
{
    const TQORCustomControl* parent = ParentControl();
    return parent ? parent->BackBitmap() : nullptr;
}

QPoint TQORSimplePanel::BackOffset(QPoint point) const
{
    if (!HasBackground())
        return point;
    return ParentControl()->BackOffset(pos()) + point;
}

bool TQORBackPanel::ShowsImage() const
{
    return ImageList() && ImageList()->IsValidIndex(ListIndex(), ImageIndex());
}

void TQORBackPanel::rebuildBackground()
{
    if (!ShowsImage() || width() <= 0 || height() <= 0) {
        m_background = QImage();
        return;
    }
    m_background = QImage(size(), QImage::Format_RGB32);
    m_background.fill(ToQColor(Color()));
    {
        QPainter painter(&m_background);
        ImageList()->DrawInRect(painter, { 0, 0, width(), height() }, ListIndex(), ImageIndex(),
                                kBackgroundDrawFlags);
    }
    qorprocs::TRect inner;
    Bevel().Paint(m_background, { 0, 0, width(), height() }, inner, true);
}

void TQORBackPanel::Changed(TQORObject* sender)
{
    rebuildBackground();
    TQORSimplePanel::Changed(sender);
    NotifyChildrenOfBackground();
}

void TQORBackPanel::ImageListChanged()
{
    Changed(nullptr);
}

void TQORBackPanel::resizeEvent(QResizeEvent* event)
{
    rebuildBackground();
    NotifyChildrenOfBackground();
    TQORSimplePanel::resizeEvent(event);
}

void TQORBackPanel::Paint(QImage& canvas)
{
    if (!ShowsImage()) {
        PaintBackground(canvas);
        if (Bevel().TotalWidth() > 0) {
            qorprocs::TRect inner;
            Bevel().Paint(canvas, { 0, 0, canvas.width(), canvas.height() }, inner, true);
        }
        return;
    }
    if (m_background.size() != canvas.size())
        rebuildBackground();
    canvas = m_background.copy();
}

std::string StdImageListName(const TQORCustomImageList* list)
{
    TQORContainer* container = QORContainer();
    if (!list || !container)
        return {};
    if (list == &container->BitmapList())
        return "QORBML30";
    if (list == &container->ImageList())
        return "QORIML30";
    return {};
}

TQORCustomImageList* StdImageListNamed(const std::string& name)
{
    TQORContainer* container = QORContainer();
    if (!container)
        return nullptr;
    if (name == "QORBML30")
        return &container->BitmapList();
    if (name == "QORIML30")
        return &container->ImageList();
    return nullptr;
}
