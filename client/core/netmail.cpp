#include "client/core/netmail.h"

#include "client/core/helpers.h"
#include "client/core/scrambler.h"
#include "platform/rtl/inifile.h"
#include "platform/win/process.h"
#include "platform/rtl/sysutils.h"

TRegisteredCommand SplitRegisteredCommand(std::string_view command, std::string_view argument)
{
    std::string value(command);
    if (!value.empty() && value.front() == '"')
        value.erase(0, 1);
    TRegisteredCommand result;
    std::size_t end = value.find('"');
    if (end == std::string::npos)
        end = value.find(' ');
    if (end == std::string::npos) {
        result.Program = value;
        return result;
    }
    result.Program = Trim(value.substr(0, end));
    result.Parameters = Trim(value.substr(end + 1));
    if (const int at = Pos("%1", result.Parameters); at > 0)
        result.Parameters.replace(static_cast<std::size_t>(at - 1), 2, argument);
    return result;
}

std::string WebMailAddress(std::string_view url, std::string_view userName, std::string_view scrambledPassword)
{
    const std::string address = Trim(url);
    const std::string user = Trim(userName);
    const std::string password = Trim(scrambledPassword);
    if (address.empty() || user.empty() || password.empty() || Pos("%U%", address) == 0)
        return {};
    std::string result = StringReplace(address, "%U%", user, rfReplaceAll);
    if (Pos("%P%", result) == 0)
        return {};
    std::string plain;
    try {
        plain = UnscrambleText(password);
    } catch (const Exception&) {
        // A damaged stored password must not log in with garbage.
        return {};
    }
    return StringReplace(result, "%P%", plain, rfReplaceAll);
}

void LaunchRegisteredClient(const std::string& key, const std::string& valueName, const std::string& argument)
{
    const std::string command = ReadRegString(HKEY_LOCAL_MACHINE, key, valueName);
    if (command.empty())
        return;
    const TRegisteredCommand split = SplitRegisteredCommand(command, argument);
    ShellExecute(0, "open", split.Program, split.Parameters, "", SW_SHOWNORMAL);
}

bool IsWebMailClient(const std::string& clientName)
{
    return TIniFile(AppPath() + "netmail.inf").SectionExists(clientName);
}

std::string WebMailUrl(const std::string& clientName)
{
    return TIniFile(AppPath() + "netmail.inf").ReadString(clientName, "URL", "");
}
