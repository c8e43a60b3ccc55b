#pragma once

#include "platform/ui/form.h"

#include <QLabel>
#include <QTimer>

#include <string>

// The one-line notice at the top of the screen that a buddy came online or went
// offline; it clears and hides itself ten seconds after it was last shown.
class TForm13 final : public TForm {
public:
    TForm13();
    ~TForm13() override;

    QLabel* Panel1 { nullptr };
    QTimer* Timer1 { nullptr };

    std::string Text() const;
    void SetText(const std::string& text);
    TColor BackgroundColor() const { return m_background; }
    void SetBackgroundColor(TColor color);

private:
    TColor m_background { clYellow };
};

extern TForm13* Form13;

enum TToastKind { tkOffline = 0, tkOnline = 1 };

// The toast's text after a buddy's change: names coming online within the
// toast's time are joined ("ann, bob are online", lower-cased).
std::string OnlineToastText(const std::string& currentText, const std::string& name, TToastKind kind);

// Fills and shows the toast (when one exists) without taking the focus.
void ShowOnlineToast(const std::string& name, TToastKind kind);
