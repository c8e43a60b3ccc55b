#include "mail/installdir/installdir.h"

#include "client/core/helpers.h"
#include "platform/rtl/inifile.h"

std::string GetInstallDir()
{
    TIniFile ini("larkspire.ini");
    return ini.ReadString("Main", "install", AppPath());
}
