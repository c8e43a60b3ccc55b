#pragma once

#include "platform/ui/form.h"

#include <QLabel>
#include <QTimer>

#include <string>

// The small window beside the bar that shows an away buddy's message while the
// pointer rests on that buddy in the list.
class TAwayMessageHint final : public TForm {
public:
    TAwayMessageHint();
    ~TAwayMessageHint() override;

    QLabel* buddy { nullptr };
    QLabel* awaymessage { nullptr };
    QTimer* Timer1 { nullptr };

    // The buddy whose message shows, "" when none.
    const std::string& BuddyName() const { return m_buddyName; }
    void SetBuddyName(const std::string& name) { m_buddyName = name; }
    void SetTitle(const std::string& title);
    void SetMessage(const std::string& message);
    std::string Title() const;
    std::string Message() const;
    // Forgets the buddy, stops the timer and hides.
    void Dismiss();
    // One tick: off the bar's buddy panel the hint goes, over it a hidden hint shows.
    void Timer1Timer();

    // Where the pointer is judged against; the bar's buddy panel.
    QWidget* Watched { nullptr };

private:
    std::string m_buddyName;
};

extern TAwayMessageHint* AwayMessageHint;
