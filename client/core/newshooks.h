#pragma once

#include <QDateTime>

#include <functional>

// What the session asks of the news feature, which lives outside the core: the
// program sets these, and each is called only when set.
struct NewsHooks {
    std::function<void()> trimOldNews;                   // the main bar's showing
    std::function<void()> fillNewsTree;                  // sign-on
    std::function<void()> startTicker;                   // sign-on, once the bar's timer runs
    std::function<void()> freeTicker;                    // sign-off
    std::function<void()> stopNewsThread;                // sign-off: a running fetch ends, and is waited for
    std::function<void(const QDateTime& now)> timerDuty;  // each tick of the one-second timer
};

NewsHooks& News();
