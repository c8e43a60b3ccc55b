#include "client/core/pluginmenu.h"

#include "client/core/helpers.h"
#include "client/core/mainbar.h"
#include "client/core/plugins.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"
#include "platform/rtl/eventloop.h"
#include "platform/win/wintypes.h"

#include <QAction>
#include <QMenu>

void LoadPluginMenu()
{
    if (!Form1 || !Form1->PluginsMenu)
        return;
    QAction* plugins = Form1->BuddyMenuItem("Pl&ugins");
    for (const std::string& folder : PluginFolders()) {
        const std::string inf = folder + "/plugin.inf";
        std::string caption;
        try {
            caption = TIniFile(inf).ReadString("Larkspire.Plugin", "caption", "");
        } catch (const Exception&) {
            continue;
        }
        if (caption.empty())
            continue;
        QAction* item = Form1->PluginsMenu->addAction(codepage::ToUnicode(caption));
        item->setProperty("korvoCaption", QByteArray::fromStdString(caption));
        item->setProperty("korvoTag", kPluginItemTag);
        item->setToolTip(codepage::ToUnicode(inf));
        QObject::connect(item, &QAction::triggered, Form1, [inf] { Application::Guarded([inf] { StartPluginAsHost(inf); }); });
        if (plugins)
            plugins->setEnabled(true);
    }
}

std::string PluginProgram(const std::string& pluginInf)
{
    const std::string startup = TIniFile(pluginInf).ReadString("Larkspire.Plugin", "Startup", "");
    // The program lies in the plug-in's own folder, never elsewhere.
    if (startup.empty() || startup == "." || startup == ".." || startup.find_first_of("/\\:\"") != std::string::npos)
        return {};
    return ExtractFilePath(pluginInf) + startup;
}

void StartPluginAsHost(const std::string& pluginInf)
{
    const std::string program = PluginProgram(pluginInf);
    // The folder and program go in quotes: a program folder may hold blanks.
    if (!program.empty())
        RunProgram("\"" + program + "\" /ext /s", SW_SHOWNORMAL);
}
