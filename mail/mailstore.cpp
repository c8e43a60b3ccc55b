#include "mail/mailstore.h"

#include "client/core/helpers.h"
#include "platform/rtl/files.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/stringlist.h"
#include "platform/rtl/sysutils.h"

std::string MailUserFromSettings()
{
    const std::string name = TIniFile("larkspire.ini").ReadString("Main", "UserLoginName", "");
    return IsSafeFileName(name) ? name : std::string();
}

const std::string& ReadMailUser()
{
    static const std::string user = MailUserFromSettings();
    return user;
}

std::string MailIniFileName(const std::string& user)
{
    return IncludeTrailingPathDelimiter(WindowsDir()) + "my friends" + PathDelim + user + PathDelim + "mail" + PathDelim
        + "mail.inf";
}

std::vector<MailAccountRow> ReadMailAccounts(const std::string& iniFile)
{
    TIniFile ini(iniFile);
    TStringList sections;
    ini.ReadSections(sections);
    std::vector<MailAccountRow> rows;
    rows.reserve(static_cast<std::size_t>(sections.Count()));
    for (int i = 0; i < sections.Count(); ++i) {
        const std::string& name = sections[i];
        rows.push_back({ name, ini.ReadString(name, "login", ""), ini.ReadString(name, "POP", ""),
            ini.ReadInteger(name, "Default", 0) != 0 });
    }
    return rows;
}
