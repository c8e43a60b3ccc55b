#pragma once

#include <string>
#include <vector>

// The signed-on user's mail accounts file, mail.inf: one section per account.

// [Main] UserLoginName of larkspire.ini, read once for the process; a name that
// would lead outside "my friends" reads as "".
const std::string& ReadMailUser();
// The same read afresh.
std::string MailUserFromSettings();
// The Windows directory's "my friends/<user>/mail/mail.inf".
std::string MailIniFileName(const std::string& user);

// One account as the accounts window lists it.
struct MailAccountRow {
    std::string Name;
    std::string Login;
    std::string Server;
    bool IsDefault { false };
};

// Every section in file order; none when the file is missing.
std::vector<MailAccountRow> ReadMailAccounts(const std::string& iniFile);
