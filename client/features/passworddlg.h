#pragma once

#include "platform/ui/form.h"

#include <functional>
#include <string>

class QLineEdit;
class QPushButton;

// "Password": asks for the sign-on password before a protected note is shown.
class TPasswordDlg final : public TForm {
public:
    TPasswordDlg();

    QLineEdit* Password { nullptr };
    QPushButton* OKBtn { nullptr };
    QPushButton* CancelBtn { nullptr };

    // Shows the dialog modally; true with the text entered on OK.
    static bool Ask(std::string& entered);
    // Tests and scripted runs answer instead of the dialog; an empty function shows it again.
    using Prompt = std::function<bool(std::string& entered)>;
    static void SetPrompt(Prompt prompt);
};
