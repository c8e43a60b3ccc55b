#pragma once

#include "platform/rtl/dates.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TIniFile;
class TIniText;

// The address book's files: one folder per group under the root, one INI file
// (".zkt") per contact, and the view settings in larkspire.ini.

inline constexpr const char* kDefaultMark = " (Default E-Mail)";

// GetInstallDir + "/Address Book", without a doubled separator.
std::string AddressBookRoot();
// Creates the root, one level only; a failure is ignored.
void CreateAddressBookRoot(const std::string& root);

// True for a root entry that is shown as a group: no '.', not "messages" in any case.
bool IsGroupEntryName(std::string_view name);
// The groups of the root, in name order.
std::vector<std::string> ListGroups(const std::string& root);
// "" when the name can be a group, else why not. A group is one folder directly
// in the root, so separators, dots, blanks and "messages" are refused.
std::string GroupNameProblem(std::string_view name);
// The message for a file of the store that cannot be deleted.
std::string UnableToDeleteMessage(const std::string& path);
// Deletes a contact file; true when nothing is left at the path (also when it was gone already).
bool DeleteContactFile(const std::string& path);
// Creates root/name for a name GroupNameProblem accepts; false otherwise or on failure.
bool CreateGroupFolder(const std::string& root, const std::string& name);
// Deletes the files of root/group, then the folder; each failure is told to report.
// A name that is no group (holding a separator or '.') is left alone, so nothing
// outside the root's groups can be deleted.
void DeleteGroupFolder(const std::string& root, const std::string& group,
    const std::function<void(const std::string&)>& report);

// The contact's file name without folder and extension: last, first and middle
// joined by blanks, with , blank \ / : * ? " < > | (and control bytes) made "_";
// "" when all three are blank.
std::string ContactBaseName(const std::string& first, const std::string& middle, const std::string& last);

// The entry carrying the default mark last, without the mark and trimmed; "" when none.
std::string DefaultAddress(const std::vector<std::string>& accounts);
// Reads a stored date: the short format (m/d/yyyy, m/d/yy) or yyyy-mm-dd; else today.
TDateTime ReadContactDate(const std::string& value);

// A list section's entries in file order, each the text after its first '='.
std::vector<std::string> ReadListSection(const TIniFile& ini, const std::string& section);
// Erases the section and writes line i under the key "i"; with skipBlank, lines
// blank after trimming are left out and their numbers skipped.
void WriteListSection(TIniText& ini, const std::string& section, const std::vector<std::string>& lines,
    bool skipBlank);

// Every field of a contact file.
struct TContact {
    std::string FirstName, MiddleName, LastName, Nickname, DisplayName, Email;
    bool OnBuddyList { false };

    std::string HomeCity, HomeState, HomeZip, HomeCountry;
    std::string HomePhone, HomeFax, HomeCellular, HomeOffice, HomeIP;
    std::string HomeWebPage { "Http://" };
    std::string Gender { "Unspecified" };

    std::string Company, BusinessCity, BusinessState, BusinessZip, BusinessCountry, JobTitle, Department;
    std::string BusinessPhone, BusinessFax, BusinessCellular, Pager, Assistant;
    std::string BusinessWebPage { "http://" };

    std::string Spouse, Sport, Food, Hobby;
    TDateTime Birthday { 0 };
    TDateTime Anniversary { 0 };
    bool AnniversaryAlert { false };
    bool BirthdayAlert { false };

    std::vector<std::string> Notes, HomeAddress, BusinessAddress, Children, MailAccounts;
};

// Every key with its read default; a date that does not read gives today.
TContact ReadContact(const std::string& path);
// Writes the sections in their order, then the lists; Email and DisplayName
// follow from the addresses and names. Raises EIniFileException when the file
// cannot be written.
void WriteContact(const std::string& path, const TContact& contact);

// [tivra] of larkspire.ini.
struct TViewSettings {
    bool GroupVisible { true };
    bool ShowFirstnameFirst { false };
    int ViewStyle { 0 };  // 0 large icons, 1 small icons, 2 list, 3 details
};
// A stored style outside 0..3 reads as 0.
TViewSettings ReadViewSettings();
void WriteViewSettings(const TViewSettings& settings);
