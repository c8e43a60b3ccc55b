#pragma once

#include <string>

// Copies the POP3 accounts another mail program keeps in the registry into mail.inf.
// A value that is not text ends the import at that account (ERegistryException);
// the accounts written before it stay. Returns the number of accounts written.
int ImportMailAccounts(const std::string& iniFile);

// Where the other mail program keeps its accounts, below HKEY_CURRENT_USER.
inline constexpr const char* kImportAccountsKey = "\\Software\\Microsoft\\Internet Account Manager\\Accounts";
