#pragma once

#include "platform/ui/graphics.h"

#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QRect>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QObject;
class QPainter;
class QWidget;

// One line of text in the ticker.
struct TTickerObj {
    std::int16_t Indent { 3 };
    std::string FontName;
    std::string Text;  // may hold a carriage return: two lines
    TColor Color { clWhite };
    std::uint8_t SpaceAfter { 0 };
    bool StopHere { false };
    bool Hot { false };
    std::int16_t FontSize { 8 };
    TFontStyles FontStyle { 0 };
    QRect Bounds;
    std::string Link;  // empty: the line cannot be clicked
};

// The main bar's news ticker: every headline of News.ini drawn once into a tall
// off-screen picture, of which one band is shown, rolling up a pixel at a time
// and pausing at each source title and date line.
class TScroller final {
public:
    TScroller() = default;
    ~TScroller();
    TScroller(const TScroller&) = delete;
    TScroller& operator=(const TScroller&) = delete;

    int NextTop { 0 };
    int Offset { 0 };
    int LastY { 0 };
    QImage Bitmap;
    QWidget* PaintBox { nullptr };
    std::vector<std::unique_ptr<TTickerObj>> Items;
    std::string StopTops;
    TTickerObj* HotItem { nullptr };
    bool MoveGuard { false };
    int DownX { 0 };
    int DownY { 0 };
    std::uint8_t MouseDown { 0 };
    bool Building { false };
    QTimer* StepTimer { nullptr };
    QTimer* PauseTimer { nullptr };
    std::int8_t Direction { 1 };

    // The paint box to show in; the timers belong to timerOwner (the main bar).
    void Init(QWidget* paintBox, QObject* timerOwner);
    // Draws the headlines of the News.ini file named.
    void Build(const std::string& newsIni);
    int AddItem(std::unique_ptr<TTickerObj> line);
    void Clear();
    void Step();
    void Pause();
    void Resume();
    // Asks for the paint box to show the band at Offset.
    void Paint();
    // The band at Offset, as the paint box's paint handler draws it.
    void PaintTo(QPainter& canvas) const;
    void Highlight(TTickerObj* line);
    void MouseMove(int x, int y, bool click);

    // What a click on a headline opens (the browser); tests record it.
    std::function<void(const std::string& link)> OnOpenLink;
    // The drag sound; tests count it.
    std::function<void()> OnDragSound;

    bool Paused() const;

private:
    void drawLine(const TTickerObj& line, TColor color);

    QObject* m_timerOwner { nullptr };
    // The timers die with their owner should it close first.
    QPointer<QTimer> m_stepTimer;
    QPointer<QTimer> m_pauseTimer;
};

// The date line's text for a day: "Today is <weekday>", CR, "<month> <d>, <yyyy>".
std::string TickerDateText(double when);
