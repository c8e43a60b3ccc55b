#pragma once

#include "signup/signuprules.h"

#include <string>

// The files that make an account known on this machine, and what the outside
// messengers installed here can suggest for it.

inline constexpr const char* kMessengerMailDomain = "aol.com";

// Makes the user's folder in "my friends" (an existing one in any letter case is
// reused), then writes larkspire.ini [MAIN], user.dat and <user>.cnt. A folder or
// file that cannot be written raises EIniFileException ("Unable to write to ...").
void StoreAccount(const SignupFields& fields, const std::string& defaultHost, const std::string& scrambledPassword);

// One <buddy>.cnt for each buddy of each screen name's buddy.lst under "aim95";
// a list that cannot be read, or a file that cannot be written, ends that folder.
// Lines naming no safe file, or the user, are skipped. The count of files written.
int ImportMessengerBuddies(const std::string& user);

// The first screen-name folder under "aim95", "" when there is none.
std::string MessengerScreenName();
// From the first *.uin of the folder the registry names: NickName, else FirstName + UIN; "" when none.
std::string IcqNickname();
