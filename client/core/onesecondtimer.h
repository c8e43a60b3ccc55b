#pragma once

#include <QDateTime>

#include <string>

// The main bar's one-second timer: every periodic duty of a session, run in a
// fixed order on each tick. Intervals are counted in ticks.

// One tick at the local time `now` (its UTC offset is the zone's at that moment).
void Timer2Timer(const QDateTime& now);

// The Internet-time beat (0..999) of a local time of day h:m:s whose zone is
// `utcOffsetSeconds` ahead of UTC.
int InternetBeats(int hour, int minute, int second, int utcOffsetSeconds);
// The clock label's text: "3:07pm @625".
std::string ClockText(const QDateTime& now);

// The dial-up connections as the last watch saw them; taken afresh when the bar is made.
void TakeDialUpSnapshot();
