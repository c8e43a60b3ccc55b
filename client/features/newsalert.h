#pragma once

#include "platform/ui/automation.h"
#include "platform/ui/form.h"

#include <QTreeWidget>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QTimer;

// The alert list: report style, read only, whole-row select. Its automation text
// is every row, one a line, caption and sub-item split by a tab.
class TAlertList final : public QTreeWidget, public automation::TextSource {
public:
    explicit TAlertList(QWidget* parent);
    std::string AutomationText() const override;
    // Each row's caption and sub-item in the code page, in shown order.
    std::vector<std::pair<std::string, std::string>> Rows() const;
    std::function<void()> OnPress;

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

// The small topmost window that tells of news headlines matching a keyword
// (news mode) or of new mail (mail mode); it closes itself after ten minutes
// unless its list is pressed.
class TForm9 final : public TForm {
public:
    enum : std::uint8_t { NewsMode = 1, MailMode = 2 };
    // Rows beyond this are not listed.
    static constexpr int kMaxRows = 256;
    static constexpr int kTimeoutMs = 600000;

    TForm9(std::uint8_t mode, std::vector<std::string> alertLines);
    ~TForm9() override;

    std::uint8_t Mode() const { return m_mode; }
    TAlertList* ListBox1 { nullptr };
    QLabel* Label1 { nullptr };
    QLabel* Image1 { nullptr };
    QPushButton* CloseButton { nullptr };
    QPushButton* DetailsButton { nullptr };
    QTimer* Timer1 { nullptr };

    // Fills the rows and columns of the mode and brings the window up.
    void FormShow();
    void DetailsClick();
    void Timer1Timer();

    // Milliseconds of a steady clock; tests turn it by hand.
    static std::function<std::int64_t()>& Clock();

private:
    // The window's caption, its heading and the program folder's icon of this mode.
    void showHeading(const std::string& caption, const char* heading, const std::string& icon);
    void fillNews();
    void fillMail();
    void fitColumns();
    void restartTimeout();

    std::uint8_t m_mode { NewsMode };
    std::vector<std::string> m_alertLines;
    std::int64_t m_deadline { 0 };
};

// The window of the last news run, shown when the main bar exists.
void ShowNewsAlertWindow(const std::vector<std::string>& alertLines);
// The mail alert from headers.inf of the signed-on user, shown when the main bar exists.
void ShowMailAlert();
// The latest alert window still open, or nullptr.
TForm9* AlertWindow();
