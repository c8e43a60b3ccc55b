#include "chess/chessform.h"
#include "platform/rtl/codepage.h"
#include "platform/ui/automation.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/form.h"
#include "platform/win/windowlist.h"

#include <QApplication>

#include <string>
#include <vector>

namespace {

// The application's own window carries the title, so other copies find it.
constexpr std::uintptr_t kApplicationWindowId = 1;

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const std::string title = Ansi("Chess for Korvo©");
    // One copy per desktop: a second start ends without a word.
    if (windowlist::TitleExists(title))
        return 0;
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.push_back(codepage::FromUtf8(argv[i]));
    if (arguments.empty() || arguments[0] != "/ext") {
        Application::MessageBox(Ansi("\rKorvo© plugin extension file. Unable to execute externally."),
            Application::Title(), MB_OK | MB_ICONERROR);
        return 0;
    }
    automation::StartForProgram("chess");
    Application::SetTitle(title);
    windowlist::Publish(kApplicationWindowId, title);
    ui::InstallExceptionHandler();
    int result = 0;
    {
        TForm1 form(arguments);
        Application::SetMainForm(&form);
        form.Show();
        result = Application::Run();
    }
    windowlist::Withdraw(kApplicationWindowId);
    return result;
}
