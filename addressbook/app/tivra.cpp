#include "addressbook/contacteditor.h"
#include "addressbook/tivramain.h"
#include "kit/qorapplication.h"
#include "platform/rtl/codepage.h"
#include "platform/ui/automation.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/form.h"

#include <QApplication>
#include <QDir>

#include <string>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    automation::StartForThisProgram("tivra");
    ui::InstallExceptionHandler();
    int result = 0;
    if (argc < 2) {
        Application::SetTitle("Korvo - Address Book");
        // Only the main window takes the program's running-copy mark, so an editor
        // started alone never keeps the address book from opening.
        QORInitialize();
        {
            tivra::TForm1 form;
            automation::AddCommand("rows", [&form] {
                std::vector<std::string> fields;
                for (const auto& row : form.Rows())
                    fields.push_back(row[0] + "|" + row[1] + "|" + row[2] + "|" + row[3]);
                return fields;
            });
            Application::SetMainForm(&form);
            form.Show();
            result = Application::Run();
        }
        QORFinalize();
        return result;
    }
    const std::string argument = argv[1];
    auto* editor = new tivra::TForm2(nullptr);
    if (argument == "/new") {
        editor->Mode = "New";
    } else {
        editor->Mode = "View";
        // Taken against the folder it was started in: a bare name would otherwise be
        // looked for where the profile routines look.
        editor->Path = codepage::FromUnicode(QDir::current().absoluteFilePath(QString::fromUtf8(argument.c_str())));
    }
    editor->ShowModal();
    editor->Free();
    return 0;
}
