#pragma once

#include <QTimer>

#include <functional>

class TForm;

// Flashes its form's window and the application's taskbar entry while
// something waits for the user.
class TFlash {
public:
    explicit TFlash(TForm* owner);

    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled);
    int Interval() const { return m_interval; }
    void SetInterval(int milliseconds);
    // Whether the windows show highlighted now.
    bool Highlighted() const { return m_highlighted; }

    std::function<void(TFlash* Sender, bool phase)> OnFlash;

private:
    void tick();
    void show(bool highlighted);

    TForm* m_owner;
    QTimer m_timer;
    bool m_enabled { false };
    int m_interval { 500 };
    bool m_phase { false };
    bool m_highlighted { false };
};
