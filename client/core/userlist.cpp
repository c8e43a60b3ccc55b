#include "client/core/userlist.h"

#include "client/core/accountlimits.h"
#include "client/core/helpers.h"
#include "client/core/scrambler.h"
#include "platform/rtl/files.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace {

// The user's folder as it is on disk: a real folder right inside "my friends".
bool IsInsideFriends(const std::string& root)
{
    const std::string folder = ExcludeTrailingPathDelimiter(root);
    if (IsLink(folder))
        return false;
    std::error_code error;
    const auto real = std::filesystem::canonical(FileSystemName(folder), error);
    if (error)
        return false;
    const auto friends = std::filesystem::canonical(FileSystemName(FriendsDir()), error);
    return !error && real.parent_path() == friends;
}

// A refused character as the refusal names it, its code in decimal after it.
std::string RefusedCharacterName(char c)
{
    const auto code = static_cast<unsigned char>(c);
    const char* name = "a control character";
    switch (code) {
    case '\t': name = "a tab"; break;
    case '\n': name = "a line feed"; break;
    case '\r': name = "a carriage return"; break;
    case 0x7F: name = "a delete character"; break;
    case 0xA0: name = "a no-break space"; break;
    case 0xAD: name = "a soft hyphen"; break;
    case 0xB6: name = "a paragraph sign"; break;
    default: break;
    }
    return std::string(name) + " (character " + std::to_string(code) + ")";
}

}  // namespace

std::string FriendsDir() { return WindowsDir() + PathDelim + "my friends"; }

// "alice" finds the folder "Alice": one account whatever the letter case.
std::string UserRoot(const std::string& user) { return ResolveFileName(FriendsDir(), user) + PathDelim; }

std::string UserDatFile(const std::string& user) { return UserRoot(user) + "user.dat"; }

std::string UserFolderName(const std::string& user)
{
    if (!IsLocalUserFolder(user))
        return user;
    const std::string root = ExcludeTrailingPathDelimiter(UserRoot(user));
    return root.substr(root.rfind(PathDelim) + 1);
}

bool IsLocalUserFolder(const std::string& name)
{
    return IsSafeFileName(name) && name.find('.') == std::string::npos && !SameText(name, "messages");
}

std::vector<std::string> ListLocalUsers()
{
    std::vector<std::string> users;
    for (const TSearchRec& entry : ListDirectory(FriendsDir() + PathDelim + "*", faDirectory)) {
        if ((entry.Attr & faDirectory) && IsLocalUserFolder(entry.Name) &&
            IsInsideFriends(FriendsDir() + PathDelim + entry.Name))
            users.push_back(entry.Name);
    }
    // The folder order of the original file system: by name, whatever the letter case.
    std::stable_sort(users.begin(), users.end(),
                     [](const std::string& a, const std::string& b) { return AnsiCompareText(a, b) < 0; });
    if (users.size() > static_cast<std::size_t>(kMaxListedUsers))
        users.resize(kMaxListedUsers);
    return users;
}

bool UserFolderLeadsOutside(const std::string& user)
{
    const std::string root = UserRoot(user);
    return IsLocalUserFolder(user) && DirectoryExists(ExcludeTrailingPathDelimiter(root)) && !IsInsideFriends(root);
}

bool UserDatExists(const std::string& user)
{
    return IsLocalUserFolder(user) && !UserFolderLeadsOutside(user) && FileExists(UserDatFile(user));
}

std::string BadUserIdMessage()
{
    return "\rSpaces or  \\/:*?\"'<>|= characters are not permitted in your user name. Please retry.";
}

std::string OutsideFolderMessage(const std::string& userId)
{
    return "\rThe folder of the user " + userId + " is not inside \"my friends\". Please choose another name.";
}

std::string UserNameRefusal(std::string_view name)
{
    for (const char c : name) {
        if (kForbiddenUserNameChars.find(c) != std::string_view::npos)
            return BadUserIdMessage();
        // Control bytes would break the INI line and the peer frame.
        if (IsControlByte(c) || kRefusedUserNameBytes.find(c) != std::string_view::npos)
            return "\rThe User Name holds " + RefusedCharacterName(c) + ", which is not permitted. Please re-type.";
    }
    if (name.size() > kMaxUserNameLength)
        return "\rThe User Name may hold at most " + std::to_string(kMaxUserNameLength) + " characters. Please re-type.";
    return {};
}

std::string CheckUserId(const std::string& userId)
{
    if (std::string refusal = UserNameRefusal(userId); !refusal.empty())
        return refusal;
    // A "." would make a folder the list never shows ("a.b") or none of its own
    // (".."); "messages" is never listed either.
    if (!IsLocalUserFolder(userId))
        return BadUserIdMessage();
    if (UserFolderLeadsOutside(userId))
        return OutsideFolderMessage(userId);
    return {};
}

StoredPassword ReadStoredPassword(const std::string& user)
{
    StoredPassword stored;
    if (!IsLocalUserFolder(user) || UserFolderLeadsOutside(user))
        return stored;
    TIniFile ini(UserDatFile(user));
    stored.scrambled = ini.ReadString("user", "password", "");
    stored.save = ini.ReadBool("user", "Save", false);
    return stored;
}

std::string ShownPassword(const StoredPassword& stored)
{
    if (!stored.save)
        return {};
    try {
        return UnscrambleText(stored.scrambled);
    } catch (const Exception&) {
        return {};
    }
}

std::string SessionPassword(const std::string& typed)
{
    std::string cleaned = Trim(LowerCase(typed));
    if (cleaned.size() > kScrambleMaxLength)
        cleaned.resize(kScrambleMaxLength);
    std::string scrambled = ScrambleText(cleaned);
    if (scrambled.size() > kScrambleMaxLength)
        scrambled.resize(kScrambleMaxLength);
    return scrambled;
}

void SaveUserFiles(const std::string& user, const std::string& scrambledPassword, bool savePassword)
{
    if (!IsLocalUserFolder(user) || UserFolderLeadsOutside(user))
        return;
    const std::string root = UserRoot(user);
    CreateDir(FriendsDir());
    CreateDir(root);
    CreateDir(root + "messages");
    CreateDir(root + "tasks");
    CreateDir(root + "mail");
    TIniFile dat(UserDatFile(user));
    dat.WriteString("user", "password", scrambledPassword);
    dat.WriteBool("user", "Save", savePassword);
}

void RememberLastUser(const std::string& user) { TIniFile("larkspire.ini").WriteString("MAIN", "userLoginName", user); }

void DeleteFolderTree(const std::string& path)
{
    const std::string folder = ExcludeTrailingPathDelimiter(path);
    for (const TSearchRec& entry : ListDirectory(folder + PathDelim + "*", faAnyFile)) {
        if (!entry.Name.empty() && entry.Name[0] != '.' && (entry.Attr & faDirectory) &&
            !IsLink(folder + PathDelim + entry.Name))
            DeleteFolderTree(folder + PathDelim + entry.Name);
    }
    for (const TSearchRec& entry : ListDirectory(folder + PathDelim + "*", faAnyFile & ~faDirectory))
        DeleteFile(folder + PathDelim + entry.Name);
}

void DeleteUser(const std::string& user)
{
    const std::string root = UserRoot(user);
    // A delete never leaves "my friends".
    if (!IsLocalUserFolder(user) || !IsInsideFriends(root))
        return;
    DeleteFolderTree(root);
    for (const char* sub : { "messages", "tasks", "mail/deleted", "mail/sent", "mail/old", "mail/new", "mail/outbox",
                             "mail" })
        RemoveDir(root + sub);
    RemoveDir(ExcludeTrailingPathDelimiter(root));
}
