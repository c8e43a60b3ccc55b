#include "client/features/newsticker.h"

#include "client/features/newsfiles.h"
#include "platform/rtl/dates.h"
#include "platform/ui/drawtext.h"

#include <QPainter>
#include <QScreen>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>

namespace {

constexpr int kBuildHeight = 16000;
constexpr int kStepMs = 25;
constexpr int kPauseMs = 3000;
constexpr int kPasses = 6;
constexpr TColor kHotColor = RGB(0, 255, 0);

void TurnOn(QTimer* timer, int interval)
{
    if (!timer)
        return;
    timer->setInterval(interval);
    if (!timer->isActive())
        timer->start();
}

void TurnOff(QTimer* timer)
{
    if (timer)
        timer->stop();
}

QFont FontOf(const TTickerObj& line) { return ToQFont(TFontSpec(line.FontName, line.FontSize, line.FontStyle)); }

}  // namespace

std::string TickerDateText(double when) { return FormatDateTime("\"Today is\" dddd\rmmmm d, yyyy", when); }

TScroller::~TScroller() { Clear(); }

void TScroller::Init(QWidget* paintBox, QObject* timerOwner)
{
    Offset = 0;
    PaintBox = paintBox;
    m_timerOwner = timerOwner;
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int height = screen ? screen->geometry().height() : 768;
    Bitmap = QImage(std::max(1, paintBox->width()), std::max(1, height), QImage::Format_RGB32);
    Bitmap.fill(Qt::black);
}

void TScroller::drawLine(const TTickerObj& line, TColor color)
{
    QPainter canvas(&Bitmap);
    // Redrawn over itself in another colour, the old glyphs' edges would show.
    canvas.fillRect(line.Bounds, Qt::black);
    canvas.setFont(FontOf(line));
    canvas.setPen(ToQColor(color));
    QRect rect = line.Bounds;
    DrawTextA(canvas, line.Text, rect, DT_WORDBREAK | DT_NOCLIP | DT_NOPREFIX);
}

int TScroller::AddItem(std::unique_ptr<TTickerObj> line)
{
    QRect rect(line->Indent, NextTop, Bitmap.width() - line->Indent, 150);
    {
        QPainter canvas(&Bitmap);
        canvas.setFont(FontOf(*line));
        DrawTextA(canvas, line->Text, rect, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    }
    line->Bounds = rect;
    drawLine(*line, line->Color);
    const int next = rect.bottom() + 1 + line->SpaceAfter;
    if (line->StopHere)
        StopTops += " " + std::to_string(NextTop) + " ";
    if (!line->Link.empty())
        Items.push_back(std::move(line));
    return next;
}

void TScroller::Build(const std::string& newsIni)
{
    NextTop = 0;
    Building = true;
    Bitmap = QImage(std::max(1, Bitmap.width()), kBuildHeight, QImage::Format_RGB32);
    Bitmap.fill(Qt::black);
    Items.clear();
    const std::vector<NewsSection> sections = ReadNewsIni(newsIni);
    if (!sections.empty()) {
        const std::string today = TickerDateText(Now());
        for (int k = 0; k < kPasses; ++k) {
            for (const NewsSection& section : sections) {
                if (static_cast<std::size_t>(k) >= section.entries.size())
                    continue;
                const NewsEntry& entry = section.entries[k];
                NextTop = AddItem(std::make_unique<TTickerObj>(
                    TTickerObj { 2, "Small Fonts", section.name, clBtnFace, 0, true, false, 7, 0, {}, {} }));
                NextTop = AddItem(std::make_unique<TTickerObj>(
                    TTickerObj { 3, "Arial", entry.headline, RGB(255, 255, 255), 10, false, false, 8, 0, {}, entry.link }));
            }
            NextTop = AddItem(std::make_unique<TTickerObj>(
                TTickerObj { 3, "Arial", today, clInfoBk, 10, true, false, 8, 0, {}, {} }));
        }
    }
    // Lines past the picture's height stay blank; the picture is cut to its content.
    Bitmap = Bitmap.copy(0, 0, Bitmap.width(), std::min(NextTop + 100, kBuildHeight + 100));
    LastY = 0;
    Offset = -1;
    Direction = 1;
    StepTimer = new QTimer(m_timerOwner);
    StepTimer->setInterval(kStepMs);
    QObject::connect(StepTimer, &QTimer::timeout, [this] { Step(); });
    StepTimer->start();
    PauseTimer = new QTimer(m_timerOwner);
    PauseTimer->setInterval(kPauseMs);
    QObject::connect(PauseTimer, &QTimer::timeout, [this] { Resume(); });
    PauseTimer->start();
    m_stepTimer = StepTimer;
    m_pauseTimer = PauseTimer;
    Building = false;
}

void TScroller::Clear()
{
    delete m_stepTimer.data();
    StepTimer = nullptr;
    delete m_pauseTimer.data();
    PauseTimer = nullptr;
    Items.clear();
    HotItem = nullptr;
    StopTops.clear();
}

void TScroller::Step()
{
    if (Bitmap.height() < Offset && Direction == 1)
        Offset = 0;
    if (Direction == -1 && Offset < 0) {
        Offset = 0;
        Direction = 1;
        Pause();
        return;
    }
    Offset += Direction;
    if (StopTops.find(" " + std::to_string(Offset) + " ") != std::string::npos)
        Pause();
    Paint();
}

void TScroller::Pause()
{
    TurnOff(m_stepTimer.data());
    TurnOn(m_pauseTimer.data(), kPauseMs);
}

void TScroller::Resume()
{
    TurnOn(m_stepTimer.data(), kStepMs);
    TurnOff(m_pauseTimer.data());
    Highlight(nullptr);
}

bool TScroller::Paused() const
{
    return m_pauseTimer && m_pauseTimer->isActive() && !(m_stepTimer && m_stepTimer->isActive());
}

void TScroller::Paint()
{
    if (PaintBox)
        PaintBox->update();
}

void TScroller::PaintTo(QPainter& canvas) const
{
    if (!PaintBox)
        return;
    const int width = PaintBox->width();
    const int height = PaintBox->height();
    // Rows outside the picture show black; the rest is one copy.
    const QRect band = QRect(0, Offset, width, height).intersected(Bitmap.rect());
    if (band.height() < height || band.width() < width)
        canvas.fillRect(0, 0, width, height, Qt::black);
    if (!band.isEmpty())
        canvas.drawImage(QPoint(band.left(), band.top() - Offset), Bitmap, band);
}

void TScroller::Highlight(TTickerObj* line)
{
    if (line && line->Hot)
        return;
    if (HotItem && HotItem->Hot) {
        drawLine(*HotItem, HotItem->Color);
        HotItem->Hot = false;
        Paint();
    }
    if (line) {
        drawLine(*line, kHotColor);
        line->Hot = true;
        Paint();
    }
    HotItem = line;
}

void TScroller::MouseMove(int x, int y, bool click)
{
    if (Building)
        return;
    if (MouseDown && (std::abs(x - DownX) > 2 || std::abs(y - DownY) > 2)) {
        Pause();
        Offset = Offset + LastY - y;
        if (Offset < 0)
            Offset = 0;
        else if (OnDragSound)
            OnDragSound();
        Paint();
    }
    LastY = y;
    if (MoveGuard)
        return;
    MoveGuard = true;
    for (const std::unique_ptr<TTickerObj>& item : Items) {
        if (!item->Bounds.contains(x, y + Offset))
            continue;
        Highlight(item.get());
        if (PaintBox)
            PaintBox->setCursor(Qt::PointingHandCursor);
        if (click && std::abs(x - DownX) < 3 && std::abs(y - DownY) < 3 && OnOpenLink)
            OnOpenLink(item->Link);
        MoveGuard = false;
        return;
    }
    if (PaintBox)
        PaintBox->unsetCursor();
    Highlight(nullptr);
    MoveGuard = false;
}
