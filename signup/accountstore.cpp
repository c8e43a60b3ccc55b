#include "signup/accountstore.h"

#include "client/core/userlist.h"
#include "platform/rtl/files.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/directories.h"
#include "platform/rtl/stringlist.h"
#include "platform/rtl/sysutils.h"
#include "platform/win/registry.h"

#include <algorithm>
#include <exception>

namespace {

// Far beyond any real buddy list; a larger file is not one.
constexpr std::int64_t kMaxBuddyListBytes = 1 << 20;

std::string messengerDir() { return GetWindowsDir() + "/aim95"; }

std::vector<std::string> screenNames()
{
    std::vector<std::string> names;
    for (const TSearchRec& entry : ListDirectory(messengerDir() + "/*", faDirectory)) {
        if ((entry.Attr & faDirectory) && IsSafeFileName(entry.Name))
            names.push_back(entry.Name);
    }
    return names;
}

void makeFolder(const std::string& folder)
{
    if (!DirectoryExists(folder) && !CreateDir(folder))
        throw EIniFileException("Unable to write to " + folder);
}

// The buddy a buddy.lst line names, "" when it names none or nothing safe.
std::string buddyOf(const std::string& line)
{
    const std::string text = Trim(line);
    if (text.rfind("buddy", 0) != 0 || text.size() <= 8)
        return "";
    std::string buddy = text.substr(7, text.size() - 8);
    buddy.erase(std::remove(buddy.begin(), buddy.end(), ' '), buddy.end());
    if (!IsSafeFileName(buddy) || buddy.find("..") != std::string::npos || HoldsForbiddenCharacter(buddy))
        return "";
    for (const char c : buddy) {
        if (static_cast<unsigned char>(c) < 0x20)
            return "";
    }
    return buddy;
}

bool importFolder(const std::string& listFile, const std::string& user, const std::string& userFolder, int& written)
{
    TStringList lines;
    try {
        if (!FileExists(listFile) || FileSizeOf(listFile) > kMaxBuddyListBytes)
            return false;
        lines.LoadFromFile(listFile);
    } catch (const std::exception&) {
        return false;
    }
    for (int i = 0; i < lines.Count(); ++i) {
        const std::string buddy = buddyOf(lines.Strings(i));
        // A buddy named like the user would write into the user's own card.
        if (buddy.empty() || AnsiSameText(buddy, user))
            continue;
        try {
            TIniFile card(SafeJoin(userFolder, buddy + ".cnt"));
            card.WriteString("FRIEND", "EMAIL", buddy + "@" + kMessengerMailDomain);
        } catch (const std::exception&) {
            return false;
        }
        ++written;
    }
    return true;
}

}  // namespace

void StoreAccount(const SignupFields& fields, const std::string& defaultHost, const std::string& scrambledPassword)
{
    const std::string user = Trim(fields.userName);
    makeFolder(FriendsDir());
    if (UserFolderLeadsOutside(user))
        throw EIniFileException("Unable to write to " + UserRoot(user));
    const std::string folder = ExcludeTrailingPathDelimiter(UserRoot(user));
    makeFolder(folder);

    TIniFile settings(GetWindowsDir() + "/larkspire.ini");
    settings.WriteString("MAIN", "userName", fields.firstName);
    settings.WriteString("MAIN", "userEmail", fields.email);
    settings.WriteString("MAIN", "userZipcode", fields.zip);
    settings.WriteString("MAIN", "userState", fields.state);
    settings.WriteString("MAIN", "userAddress", fields.address);
    settings.WriteString("MAIN", "userCity", fields.city);
    settings.WriteString("MAIN", "ils", defaultHost);
    settings.WriteString("MAIN", "userLastName", fields.lastName);
    settings.WriteString("MAIN", "userLoginName", user);
    settings.WriteString("MAIN", "userPublicKey", Trim(fields.publicKey));
    settings.WriteString("MAIN", "userRegistered", "1");

    TIniFile userDat(UserDatFile(user));
    userDat.WriteString("user", "password", scrambledPassword);
    TIniFile card(SafeJoin(folder, user + ".cnt"));
    card.WriteString("user", "EMAIL", fields.email);
}

int ImportMessengerBuddies(const std::string& user)
{
    const std::string owner = Trim(user);
    const std::string userFolder = ExcludeTrailingPathDelimiter(UserRoot(owner));
    int written = 0;
    for (const std::string& name : screenNames())
        importFolder(ResolveFileName(messengerDir() + "/" + name, "buddy.lst"), owner, userFolder, written);
    return written;
}

std::string MessengerScreenName()
{
    const std::vector<std::string> names = screenNames();
    return names.empty() ? std::string() : names.front();
}

std::string IcqNickname()
{
    TRegistry registry(HKEY_CURRENT_USER);
    if (!registry.OpenKeyReadOnly("\\Software\\Mirabilis\\ICQ\\DefaultPrefs"))
        return "";
    std::string folder;
    try {
        folder = registry.ReadString("UIN Dir");
    } catch (const ERegistryException&) {
        return "";
    }
    std::replace(folder.begin(), folder.end(), '\\', '/');
    if (Trim(folder).empty())
        return "";
    const std::vector<TSearchRec> files = ListDirectory(ExcludeTrailingPathDelimiter(folder) + "/*.uin", 0);
    if (files.empty())
        return "";
    const TIniFile uin(ExcludeTrailingPathDelimiter(folder) + "/" + files.front().Name);
    const std::string nick = uin.ReadString("ICQ User", "NickName", "");
    if (!nick.empty())
        return nick;
    return uin.ReadString("ICQ User", "FirstName", "") + uin.ReadString("ICQ User", "UIN", "");
}
