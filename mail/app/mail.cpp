#include "mail/mailaccounts.h"
#include "mail/mailstore.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/automation.h"
#include "platform/ui/dialogs.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2 || LowerCase(argv[1]) != "/config")
        return 0;
    automation::StartForThisProgram("mail");
    ui::InstallExceptionHandler();
    ReadMailUser();
    Application::SetTitle("Mail Accounts");
    auto* accounts = new TMailAccounts;
    accounts->ShowModal();
    accounts->Free();
    return 0;
}
