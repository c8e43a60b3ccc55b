#pragma once

#include <string>
#include <string_view>

// The user's registered mail and address-book programs, and web mail opened
// from the program folder's netmail.inf.

// A registered shell command split the way the bar starts it.
struct TRegisteredCommand {
    std::string Program;
    std::string Parameters;
};

// A leading quote is dropped; the program ends before the next quote, else before
// the first blank, else it is the whole value. The trimmed rest are the parameters,
// with argument in place of "%1" when they hold one.
TRegisteredCommand SplitRegisteredCommand(std::string_view command, std::string_view argument);

// Starts the program registered under HKEY_LOCAL_MACHINE + key (the value's name
// empty for the key's default) with "open"; nothing when nothing is registered.
void LaunchRegisteredClient(const std::string& key, const std::string& valueName, const std::string& argument);

// The address to open for web mail: url with the user name for "%U%" and the
// unscrambled password for "%P%"; "" when a part is missing, the url lacks either
// mark, or the stored password is damaged.
std::string WebMailAddress(std::string_view url, std::string_view userName, std::string_view scrambledPassword);

// True when netmail.inf in the program folder has a section of that name.
bool IsWebMailClient(const std::string& clientName);
// [client] "URL" of netmail.inf.
std::string WebMailUrl(const std::string& clientName);
