#include "client/core/mainbar.h"

#include "client/core/helpers.h"
#include "client/core/mainbargeometry.h"
#include "client/core/session.h"
#include "platform/rtl/codepage.h"
#include "platform/ui/graphics.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

// The bar as a window: its place on the screen, its frame, its painting and its hints.

namespace {

using namespace mainbar;

constexpr int kArrowHeight = 12;

}  // namespace

void TForm1::RememberRestorePlace(int top, int height)
{
    Session().barTop = top;
    Session().barHeight = height;
}

void TForm1::PlaceBar(int left, int top, int height)
{
    SetBounds(left, top, kBarWidth, ClampHeight(height));
    // Setting the bounds lifts the window's size limits; they hold for every later drag too.
    setMinimumSize(kBarWidth, kMinHeight);
    setMaximumWidth(kBarWidth);
}

bool TForm1::Tucked() const { return IsTucked(Left(), Screen::Width()); }

void TForm1::Tuck() { PlaceBar(TuckedLeft(Screen::Width()), Top(), Height()); }

void TForm1::Untuck() { PlaceBar(Session().dockedLeft, Top(), Height()); }

int TForm1::HitTest(int x, int y)
{
    const HitCode code = BarHitTest(x, y, Width(), Height());
    if (code == HTCAPTION)
        Session().barTop = Top();
    return code;
}

void TForm1::FormResize()
{
    ClientArea->resize(width() - 2 * kFrame, height() - 2 * kFrame);
    const Layout l = LayoutFor(ClientArea->height());
    const int clientWidth = ClientArea->width();
    StatusBar1->setGeometry(0, l.statusTop, clientWidth, kStatusHeight);
    Panel3->setGeometry(0, l.commandPanelTop, clientWidth, kCommandPanelHeight);
    for (TSpeedButton* b : { SpeedButton9, SpeedButton8, SpeedButton7, SpeedButton10 })
        b->move(b->x(), l.toolButtonTop);
    filter->move(filter->x(), l.filterTop);
    const int panelHeight = std::max(3 * kArrowHeight, l.panelHeight);
    Panel2->resize(kPanelWidth, panelHeight);
    Panel1->resize(kPanelWidth, panelHeight);
    Panel5->setGeometry(0, 0, kPanelWidth, kArrowHeight);
    frCanvas1->setGeometry(0, kArrowHeight, kPanelWidth, panelHeight - 2 * kArrowHeight);
    Panel4->setGeometry(0, panelHeight - kArrowHeight, kPanelWidth, kArrowHeight);
    Panel8->setGeometry(0, 0, kPanelWidth, kArrowHeight);
    ChnPanel->setGeometry(0, kArrowHeight, kPanelWidth, 18);
    ChnName->setGeometry(0, 0, kPanelWidth, 18);
    Time->setGeometry(0, kArrowHeight + 18, kPanelWidth, 14);
    PaintBox1->setGeometry(0, kArrowHeight + 32, kPanelWidth, panelHeight - 2 * kArrowHeight - 32);
    Panel11->setGeometry(0, panelHeight - kArrowHeight, kPanelWidth, kArrowHeight);
    if (Top() != 0)
        RememberRestorePlace(Top(), Height());
}

void TForm1::PaintBackground() { PaintBackground(ScreenColorDepth()); }

void TForm1::PaintBackground(int colorDepth)
{
    const int w = Width();
    const int h = Screen::Height();
    if (colorDepth < 9 || w <= 0 || h <= 0) {
        m_background = QImage();
        update();
        return;
    }
    SetColor(clBtnFace);
    m_background = QImage(w, h, QImage::Format_RGB32);
    QPainter painter(&m_background);
    FillBands(painter, QRect(0, 0, w / 2, h), clBtnFace, clWhite, 64, true);
    // The right pass takes the odd column too, so no unpainted stripe is left at the edge.
    FillBands(painter, QRect(w / 2, 0, w - w / 2, h), clWhite, clBtnFace, 64, true);
    update();
}

void TForm1::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!m_background.isNull())
        painter.drawImage(0, 0, m_background);
    else
        painter.fillRect(rect(), ToQColor(clBtnFace));
    // The sizing frame: a raised edge inside the window's own border.
    const QRect r = rect().adjusted(0, 0, -1, -1);
    painter.setPen(ToQColor(clBtnHighlight));
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(ToQColor(cl3DDkShadow));
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
}

void TForm1::Panel7Click()
{
    PlaceBar(Left(), Session().barTop, Session().barHeight);
    Panel7->update();
    Panel6->update();
}

void TForm1::Panel6Click()
{
    const QRect area = Screen::WorkAreaRect();
    PlaceBar(Left(), 0, MaximizedHeight(area.top() + area.height()));
    Panel7->update();
    Panel6->update();
}

void TForm1::FormMouseDown(TMouseButton button, TShiftState, int, int)
{
    if (button == mbRight && Tucked()) {
        Untuck();
        m_showHints = false;
    }
}

void TForm1::mousePressEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    const int code = event->button() == Qt::LeftButton ? HitTest(p.x(), p.y()) : HTCLIENT;
    if (code == HTCAPTION || code == HTTOP || code == HTBOTTOM) {
        QWindow* window = windowHandle();
        const bool system = window && (code == HTCAPTION ? window->startSystemMove()
                                                          : window->startSystemResize(code == HTTOP ? Qt::TopEdge : Qt::BottomEdge));
        if (!system) {
            m_frameDrag = code;
            m_frameDragStart = event->globalPosition().toPoint();
            m_frameDragBounds = QRect(Left(), Top(), Width(), Height());
        }
        return;
    }
    TForm::mousePressEvent(event);
}

void TForm1::mouseMoveEvent(QMouseEvent* event)
{
    if (m_frameDrag == 0) {
        const QPoint p = event->position().toPoint();
        const int code = BarHitTest(p.x(), p.y(), Width(), Height());
        // Only the top and bottom edges size the bar, so only they show the sizing pointer.
        setCursor(code == HTTOP || code == HTBOTTOM ? Qt::SizeVerCursor : Qt::ArrowCursor);
        TForm::mouseMoveEvent(event);
        return;
    }
    const QPoint d = event->globalPosition().toPoint() - m_frameDragStart;
    const QRect b = m_frameDragBounds;
    if (m_frameDrag == HTCAPTION)
        PlaceBar(b.left() + d.x(), b.top() + d.y(), b.height());
    else if (m_frameDrag == HTTOP) {
        const int height = ClampHeight(b.height() - d.y());
        PlaceBar(b.left(), b.bottom() + 1 - height, height);
    } else
        PlaceBar(b.left(), b.top(), b.height() + d.y());
}

void TForm1::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_frameDrag != 0) {
        m_frameDrag = 0;
        return;
    }
    TForm::mouseReleaseEvent(event);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ToolTip && !m_showHints)
        return true;
    if (watched == StatusBar1 && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        Application::Guarded([&] { StatusBar1MouseUp(MouseButtonFromQt(mouse->button())); });
        return true;
    }
    return TForm::eventFilter(watched, event);
}

bool TForm1::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip && !m_showHints)
        return true;
    return TForm::event(event);
}

void TForm1::ShowPartner()
{
    const std::string& partner = Session().partner;
    if (partner.empty())
        return;
    // The label breaks its line where the banner's CR stands.
    Label3->setText(codepage::ToUnicode(Ansi("KORVO®") + "\n" + partner));
    Label3->adjustSize();
}

QImage TForm1::Snapshot()
{
    return grab().toImage();
}
