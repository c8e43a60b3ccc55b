#pragma once

#include "platform/ui/form.h"

#include <QImage>

#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QTimer;

// The about box: the product line, the installed version, the machine's memory
// and the credits scrolling past with a tune.
class Tabout final : public TForm {
public:
    Tabout();
    ~Tabout() override;

    QLabel* ProductName { nullptr };  // "KORVO®"
    QLabel* Version { nullptr };
    QLabel* MemoryLabel { nullptr };
    QLabel* PhysMem { nullptr };
    QWidget* PaintBox1 { nullptr };
    QPushButton* OKButton { nullptr };
    QTimer* Timer1 { nullptr };

    void FormShow();
    void Timer1Timer();
    void OKButtonClick();

    // The credits picture and where the scroll stands.
    const QImage& Credits() const { return m_credits; }
    int ScrollOffset() const { return m_offset; }
    // Paints the visible part of the credits.
    void PaintCredits(QPainter& canvas) const;

    static constexpr int kCreditsWidth = 357;
    static constexpr int kViewHeight = 203;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QImage m_credits;
    int m_offset { 0 };
};

// The credits lines, "/b" marking the bold ones.
const std::vector<std::string>& CreditLines();
// The credits picture for those lines and the user's first name.
QImage DrawCredits(const std::vector<std::string>& lines, const std::string& userName);
// Kilobytes with thousands separators and " KB": 16384 -> "16,384 KB".
std::string FormatKilobytes(unsigned long long kilobytes);

// Shows the about box modally.
void ShowAbout();
