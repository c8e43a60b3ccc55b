#include "client/features/newsbar.h"

#include "client/core/features.h"
#include "client/core/helpers.h"
#include "client/core/mainbar.h"
#include "client/core/mainbarwidgets.h"
#include "client/core/servicelogon.h"
#include "client/features/newsfiles.h"
#include "client/features/newsthread.h"
#include "client/features/newsticker.h"
#include "platform/rtl/eventloop.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>

namespace {

constexpr int kArrowRepeatMs = 10;

// Passes the paint box's paint and mouse to the ticker, and runs the held arrows.
class TickerWiring final : public QObject {
public:
    explicit TickerWiring(TForm1& bar)
        : QObject(&bar)
        , m_arrowTimer(new QTimer(this))
    {
        m_arrowTimer->setInterval(kArrowRepeatMs);
        connect(m_arrowTimer, &QTimer::timeout, this, [this] { Application::Guarded([this] { holdStep(); }); });
    }

    void hold(int direction)
    {
        m_direction = direction;
        holdStep();
        m_arrowTimer->start();
    }
    void release() { m_arrowTimer->stop(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        TScroller* ticker = NewsScroller();
        if (!ticker || watched != ticker->PaintBox)
            return false;
        switch (event->type()) {
        case QEvent::Paint: {
            QPainter canvas(ticker->PaintBox);
            ticker->PaintTo(canvas);
            return true;
        }
        case QEvent::MouseButtonPress: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            ticker->DownX = mouse->position().toPoint().x();
            ticker->DownY = mouse->position().toPoint().y();
            ticker->MouseDown = 1;
            return true;
        }
        case QEvent::MouseMove: {
            const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
            Application::Guarded([&] { ticker->MouseMove(at.x(), at.y(), false); });
            return true;
        }
        case QEvent::MouseButtonRelease: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const QPoint at = mouse->position().toPoint();
            ticker->MouseDown = 0;
            if (mouse->button() == Qt::RightButton) {
                ticker->Highlight(nullptr);
                Application::Guarded([] { AskForUpdate(); });
            } else {
                Application::Guarded([&] { ticker->MouseMove(at.x(), at.y(), true); });
            }
            return true;
        }
        default:
            return false;
        }
    }

private:
    static void AskForUpdate()
    {
        if (NewsRunning())
            return;
        if (MessageDlg("\rYou have requested to update your current News Headlines. Proceed Now?", mtConfirmation,
                       mbYes | mbNo, 0) == mrYes)
            StartNewsThread();  // a fetch the timer began meanwhile keeps this one from starting
    }

    void holdStep()
    {
        TScroller* ticker = NewsScroller();
        if (!ticker) {
            release();
            return;
        }
        ticker->Direction = static_cast<std::int8_t>(m_direction);
        ticker->Step();
    }

    QTimer* m_arrowTimer { nullptr };
    int m_direction { 1 };
};

std::unique_ptr<TScroller>& Ticker()
{
    static std::unique_ptr<TScroller> ticker;
    return ticker;
}

QPointer<TickerWiring>& Wiring()
{
    static QPointer<TickerWiring> wiring;
    return wiring;
}

}  // namespace

void InstallNewsFeature()
{
    TFeatures& features = Features();
    features.SignOn.TrimOldNews = TrimOldNews;
    features.SignOn.FillNewsTree = FillNewsTree;
    features.SignOn.StartTicker = CreateNewsTicker;
    features.Tick.NewsDuty = NewsTimerDuty;
    features.SignOff.FreeTicker = FreeNewsTicker;
    features.SignOff.StopNewsThread = StopNewsThread;
    NewsRunFinished() = ResetNewsScroller;
}

TScroller* NewsScroller() { return Ticker().get(); }

void CreateNewsTicker()
{
    if (!Form1)
        return;
    Ticker() = std::make_unique<TScroller>();
    TScroller& ticker = *Ticker();
    ticker.OnOpenLink = [](const std::string& link) { NavigateTo(Trim(link)); };
    ticker.OnDragSound = [] { PlayAppSound(2, false); };
    ticker.Init(Form1->PaintBox1, Form1);
    auto* wiring = new TickerWiring(*Form1);
    Wiring() = wiring;
    Form1->PaintBox1->setMouseTracking(true);
    Form1->PaintBox1->installEventFilter(wiring);
    for (TPanel* arrow : { Form1->Panel8, Form1->Panel11 }) {
        const int direction = arrow == Form1->Panel8 ? -1 : 1;
        arrow->OnMouseDown = [direction](TMouseButton, TShiftState, int, int) {
            if (Wiring())
                Wiring()->hold(direction);
        };
        arrow->OnMouseUp = [](TMouseButton, TShiftState, int, int) {
            if (Wiring())
                Wiring()->release();
        };
    }
    ResetNewsScroller();
}

void ResetNewsScroller()
{
    TScroller* ticker = NewsScroller();
    if (!ticker)
        return;
    ticker->Clear();
    ticker->Build(NewsFile("News.ini"));
}

void FreeNewsTicker()
{
    if (Wiring()) {
        Wiring()->release();
        delete Wiring().data();
    }
    Ticker().reset();
}
