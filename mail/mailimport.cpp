#include "mail/mailimport.h"

#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"
#include "platform/win/registry.h"

namespace {

// The stored password was given for the server the account had: another server never gets it.
void DropPasswordForAnotherServer(TIniFile& ini, const std::string& section, const std::string& pop)
{
    if (!ini.SectionExists(section) || ini.ReadString(section, "Password", "").empty())
        return;
    if (!SameText(Trim(ini.ReadString(section, "POP", "")), Trim(pop)))
        ini.DeleteKey(section, "Password");
}

}  // namespace

int ImportMailAccounts(const std::string& iniFile)
{
    TRegistry registry(HKEY_CURRENT_USER);
    if (!registry.OpenKeyReadOnly(kImportAccountsKey))
        return 0;
    const auto keys = registry.GetKeyNames();
    registry.CloseKey();
    TIniFile ini(iniFile);
    int written = 0;
    for (const std::string& key : keys) {
        TRegistry account(HKEY_CURRENT_USER);
        if (!account.OpenKeyReadOnly(std::string(kImportAccountsKey) + "\\" + key))
            continue;
        const std::string pop = account.ReadString("POP3 Server");
        if (Trim(pop).empty())
            continue;
        std::string section = account.ReadString("Account Name");
        // An unnamed account keeps the name the other program filed it under.
        if (Trim(section).empty())
            section = key;
        const std::string login = account.ReadString("POP3 User Name");
        const std::string name = account.ReadString("SMTP Display Name");
        const std::string smtp = account.ReadString("SMTP Server");
        const std::string email = account.ReadString("SMTP Email Address");
        DropPasswordForAnotherServer(ini, section, pop);
        ini.WriteString(section, "POP", pop);
        ini.WriteString(section, "Login", login);
        ini.WriteString(section, "name", name);
        ini.WriteString(section, "SMTP", smtp);
        ini.WriteString(section, "email", email);
        ini.WriteString(section, "POPport", "110");
        ini.WriteString(section, "SMTPport", "25");
        ++written;
    }
    return written;
}
