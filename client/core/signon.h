#pragma once

#include "platform/ui/form.h"

#include <functional>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QToolButton;
class TGIFImage;

// The sign-on window: pick a local user (or "<New User>"), type the password,
// sign on. Its Exit is the only way out of the program.
class TSignon final : public TForm {
public:
    TSignon();
    ~TSignon() override;

    QComboBox* ComboBox1 { nullptr };
    QLineEdit* Edit1 { nullptr };
    QCheckBox* CheckBox1 { nullptr };
    QToolButton* SpeedButton1 { nullptr };
    QToolButton* SpeedButton2 { nullptr };
    QToolButton* SpeedButton3 { nullptr };
    TGIFImage* AdSplash { nullptr };
    QLabel* Label3 { nullptr };

    void LoadSplashAd();
    void LoadUserList();
    void LoadUserPassword(const std::string& user);
    void SaveUser(const std::string& user);

    void SpeedButton1Click();
    void Edit1KeyPress(char& key);
    void SpeedButton2Click();
    void SpeedButton3Click();
    void ComboBox1Change();
    void ComboBox1DropDown();
    void ComboBox1KeyDown(WORD& key, TShiftState shift);
    void Edit1Change();
    void AdSplashClick();
    void AdSplashMouseDown(TMouseButton button, TShiftState shift, int x, int y);
    void FormShow();
    void FormClose(TCloseAction& action);

    // What a good sign-on opens (the session), called once the window is hidden.
    std::function<void()> OnSignOn;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::string ComboText() const;
    void SetComboText(const std::string& text);
    std::string PasswordText() const;
    void SetPasswordText(const std::string& text);
    void EnablePassword(bool enabled);
    bool IsListedUser(const std::string& name) const;
    void FocusCombo();

    // Programmatic changes of the user list do not count as the user's.
    bool m_filling { false };
    // Closed by a good sign-on rather than by the user.
    bool m_signedOn { false };
};

// The sign-on window while it exists.
TSignon* Signon();

inline constexpr const char* kSignOnTitle = "Sign On";
// Where the default splash picture leads.
inline constexpr const char* kHomePage = "https://korvo.example/";
