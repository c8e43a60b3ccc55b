#include "kit/qorapplication.h"
#include "platform/rtl/codepage.h"
#include "platform/ui/automation.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/form.h"
#include "signup/signupform.h"
#include "signup/signuprules.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    automation::StartForThisProgram("velmarin");
    Application::SetTitle("Sign Up!");
    ui::InstallExceptionHandler();
    QORInitialize();
    int result = 0;
    if (TooManyLocalUsers()) {
        QApplication::beep();
        Application::MessageBox("\rYou are allowed a maximum of 5 Korvo user accounts.", Application::Title(),
                                MB_OK | MB_ICONINFORMATION);
    } else {
        signup::TForm1 form;
        Application::SetMainForm(&form);
        form.Show();
        result = Application::Run();
    }
    QORFinalize();
    return result;
}
