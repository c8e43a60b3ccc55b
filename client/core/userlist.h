#pragma once

#include <string>
#include <string_view>
#include <vector>

// The local user accounts: one folder a user inside "my friends" of the
// Windows directory, with the account's user.dat. No windows here, so the
// sign-on rules can be checked on their own.

inline constexpr const char* kNewUser = "<New User>";
inline constexpr int kMaxListedUsers = 10;

// WindowsDir + "/my friends".
std::string FriendsDir();
// The user's root folder, with its trailing separator; an existing folder is found
// whatever its letter case, a new one gets the spelling given.
std::string UserRoot(const std::string& user);
std::string UserDatFile(const std::string& user);
// The name as its folder spells it ("alice" for the folder "Alice" gives "Alice");
// the name itself when it has no folder yet.
std::string UserFolderName(const std::string& user);

// A folder that names a local user: no "." and not "messages", in any letter case;
// never a path.
bool IsLocalUserFolder(const std::string& name);
// The first 10 user folders of "my friends", sorted by name whatever the letter case.
// A folder that is a link, or leads outside "my friends", is no user.
std::vector<std::string> ListLocalUsers();
// The user's folder exists but is a link or lies outside "my friends".
bool UserFolderLeadsOutside(const std::string& user);
bool UserDatExists(const std::string& user);

// The one check of a name for a user or a buddy: "" when it may be one, else the refusal
// to show, naming the character refused; the sign-on's twelve characters keep its message.
std::string UserNameRefusal(std::string_view name);
// Why a user ID cannot be a folder of its own: "" when it can.
std::string CheckUserId(const std::string& userId);
// The message shown for a refused user ID.
std::string BadUserIdMessage();
// The message shown for a user whose folder leads outside "my friends".
std::string OutsideFolderMessage(const std::string& userId);

// [user] of user.dat; both default when the file is missing.
struct StoredPassword {
    std::string scrambled;
    bool save { false };
};
StoredPassword ReadStoredPassword(const std::string& user);
// The password the sign-on window shows: "" unless saved; a damaged entry reads as "".
std::string ShownPassword(const StoredPassword& stored);

// The scrambled form the session keeps of a typed password: lower-cased, trimmed, at most 255 characters.
std::string SessionPassword(const std::string& typed);

// A good sign-on's files: the user's folders and user.dat; nothing for a folder leading outside.
void SaveUserFiles(const std::string& user, const std::string& scrambledPassword, bool savePassword);
// larkspire.ini [MAIN] userLoginName: the user the next start selects.
void RememberLastUser(const std::string& user);

// Empties path and the folders under it of their files; folders stay.
void DeleteFolderTree(const std::string& path);
// Removes the user's files and the folders the system made for it; nothing outside "my friends".
void DeleteUser(const std::string& user);
