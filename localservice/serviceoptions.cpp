#include "localservice/serviceoptions.h"

#include "client/core/scrambler.h"
#include "localservice/fields.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/sysutils.h"

#include <algorithm>

namespace {

// NAME:PASSWORD[:E-MAIL]; the e-mail follows the second ':'.
std::optional<SeedUser> ParseUser(const std::string& text, std::string& error)
{
    const std::string value = codepage::FromUtf8(text);
    const std::size_t first = value.find(':');
    if (first == std::string::npos) {
        error = "--user wants NAME:PASSWORD[:E-MAIL], not " + text;
        return std::nullopt;
    }
    SeedUser user;
    user.name = value.substr(0, first);
    const std::size_t second = value.find(':', first + 1);
    const std::string password = value.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
    if (second != std::string::npos)
        user.email = value.substr(second + 1);
    if (!IsValidUserName(user.name)) {
        error = "--user: not a user name: " + text.substr(0, text.find(':'));
        return std::nullopt;
    }
    // The form the sign-on sends: lower-cased, trimmed, scrambled, each cut at 255.
    std::string cleaned = Trim(LowerCase(password));
    if (cleaned.empty()) {
        error = "--user: the password of " + user.name + " is empty";
        return std::nullopt;
    }
    cleaned.resize(std::min(cleaned.size(), kScrambleMaxLength));
    user.scrambledPassword = ScrambleText(cleaned);
    user.scrambledPassword.resize(std::min(user.scrambledPassword.size(), kMaxScrambledLength));
    return user;
}

}  // namespace

std::optional<ServiceOptions> ParseServiceOptions(const std::vector<std::string>& args, std::string& error)
{
    ServiceOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (i + 1 >= args.size()) {
            error = option.starts_with("--") ? option + " wants a value" : "unknown argument " + option;
            return std::nullopt;
        }
        const std::string& value = args[++i];
        if (option == "--port") {
            if (!TryStrToInt(value, options.port) || options.port < 0 || options.port > 65535) {
                error = "--port wants a number 0..65535, not " + value;
                return std::nullopt;
            }
        } else if (option == "--db") {
            options.database = value;
        } else if (option == "--files") {
            options.files = value;
        } else if (option == "--driver") {
            options.driver = value;
        } else if (option == "--user") {
            auto user = ParseUser(value, error);
            if (!user)
                return std::nullopt;
            options.users.push_back(std::move(*user));
        } else {
            error = "unknown option " + option;
            return std::nullopt;
        }
    }
    if (options.database.empty()) {
        error = "--db FILE is required";
        return std::nullopt;
    }
    return options;
}
