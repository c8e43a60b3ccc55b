#include "addressbook/contactstore.h"

#include "mail/installdir/installdir.h"
#include "platform/rtl/files.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/stringlist.h"
#include "platform/rtl/sysutils.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

std::string AddressBookRoot() { return ExcludeTrailingPathDelimiter(GetInstallDir()) + "/Address Book"; }

void CreateAddressBookRoot(const std::string& root) { CreateDir(root); }

bool IsGroupEntryName(std::string_view name)
{
    return !name.empty() && name.find('.') == std::string_view::npos && LowerCase(name) != "messages";
}

std::vector<std::string> ListGroups(const std::string& root)
{
    std::vector<std::string> groups;
    for (const TSearchRec& entry : ListDirectory(root + "/*", faAnyFile)) {
        if (IsGroupEntryName(entry.Name))
            groups.push_back(entry.Name);
    }
    return groups;
}

std::string GroupNameProblem(std::string_view name)
{
    if (Trim(name).empty())
        return "A group needs a name.";
    if (name.find_first_of("/\\.") != std::string_view::npos || name.find('\0') != std::string_view::npos)
        return "A group name cannot hold \"/\", \"\\\" or \".\".";
    if (LowerCase(name) == "messages")
        return "\"messages\" cannot be a group name.";
    return {};
}

std::string UnableToDeleteMessage(const std::string& path) { return "\rUnable to delete " + path; }

bool DeleteContactFile(const std::string& path)
{
    return DeleteFile(path) || (!FileExists(path) && !DirectoryExists(path));
}

bool CreateGroupFolder(const std::string& root, const std::string& name)
{
    return GroupNameProblem(name).empty() && CreateDir(root + "/" + name);
}

void DeleteGroupFolder(const std::string& root, const std::string& group,
    const std::function<void(const std::string&)>& report)
{
    if (!IsGroupEntryName(group) || group.find_first_of("/\\") != std::string::npos)
        return;
    const std::string dir = root + "/" + group;
    if (IsLink(ResolveFileName(dir))) {
        // A group that is a link goes as a link: what it points at lies outside the store.
        std::error_code error;
        if (!std::filesystem::remove(FileSystemName(ResolveFileName(dir)), error) && report)
            report("\rUnable to delete directory " + dir);
        return;
    }
    for (const TSearchRec& entry : ListDirectory(dir + "/*", faAnyFile & ~(faDirectory | faVolumeID))) {
        if (entry.Attr & (faDirectory | faVolumeID))
            continue;
        if (!DeleteFile(dir + "/" + entry.Name) && report)
            report(UnableToDeleteMessage(dir + "/" + entry.Name));
    }
    if (!RemoveDir(dir) && report)
        report("\rUnable to delete directory " + dir);
}

std::string ContactBaseName(const std::string& first, const std::string& middle, const std::string& last)
{
    std::string name = Trim(Trim(last) + " " + Trim(first) + " " + Trim(middle));
    for (char& c : name) {
        // Control bytes cannot be part of a file name either; they only come from imported cards.
        if (std::string_view(", \\/:*?\"<>|").find(c) != std::string_view::npos || static_cast<unsigned char>(c) < 0x20)
            c = '_';
    }
    return name;
}

std::string DefaultAddress(const std::vector<std::string>& accounts)
{
    const std::string_view mark = kDefaultMark;
    std::string address;
    for (const std::string& entry : accounts) {
        const std::size_t at = entry.find(mark);
        if (at != std::string::npos)
            address = Trim(entry.substr(0, at));
    }
    return address;
}

namespace {

bool ReadIsoDate(const std::string& value, TDateTime& date)
{
    int year = 0, month = 0, day = 0;
    if (value.size() != 10 || value[4] != '-' || value[7] != '-')
        return false;
    if (!TryStrToInt(value.substr(0, 4), year) || !TryStrToInt(value.substr(5, 2), month)
        || !TryStrToInt(value.substr(8, 2), day))
        return false;
    return TryEncodeDate(year, month, day, date);
}

}  // namespace

TDateTime ReadContactDate(const std::string& value)
{
    const std::string text = Trim(value);
    TDateTime date = 0;
    if (ReadIsoDate(text, date))
        return date;
    try {
        return StrToDate(text);
    } catch (const Exception&) {
        // A date another program wrote must not stop the rest of the contact from loading.
        return Date();
    }
}

std::vector<std::string> ReadListSection(const TIniFile& ini, const std::string& section)
{
    TStringList values;
    ini.ReadSectionValues(section, values);
    std::vector<std::string> lines;
    for (int i = 0; i < values.Count(); ++i) {
        const std::string& entry = values[i];
        const std::size_t at = entry.find('=');
        lines.push_back(at == std::string::npos ? std::string() : entry.substr(at + 1));
    }
    return lines;
}

void WriteListSection(TIniText& ini, const std::string& section, const std::vector<std::string>& lines,
    bool skipBlank)
{
    std::vector<std::pair<std::string, std::string>> entries;
    entries.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!skipBlank || !Trim(lines[i]).empty())
            entries.emplace_back(IntToStr(static_cast<long long>(i)), lines[i]);
    }
    ini.WriteSection(section, entries);
}

TContact ReadContact(const std::string& path)
{
    const TIniFile ini(path);
    TContact c;
    auto text = [&ini](const char* section, const char* key, const std::string& def = {}) {
        return ini.ReadString(section, key, def);
    };
    c.FirstName = Trim(text("General", "FirstName"));
    c.MiddleName = Trim(text("General", "MiddleName"));
    c.LastName = Trim(text("General", "LastName"));
    c.Nickname = Trim(text("General", "Nickname"));
    c.Email = text("General", "Email");
    c.DisplayName = text("General", "DisplayName", c.Email);
    c.OnBuddyList = ini.ReadBool("General", "OnBuddyList", false);

    c.HomeCity = text("Home", "City");
    c.HomeState = text("Home", "State");
    c.HomeZip = text("Home", "Zip");
    c.HomeCountry = text("Home", "Country");
    c.HomePhone = text("Home", "Phone");
    c.HomeFax = text("Home", "Fax");
    c.HomeCellular = text("Home", "cellular");
    c.HomeOffice = text("Home", "office");
    c.HomeIP = text("Home", "IP");
    c.HomeWebPage = text("Home", "Web Page", "Http://");
    c.Gender = text("Home", "Gender", "Unspecified");

    c.Company = text("business", "Company");
    c.BusinessCity = text("business", "City");
    c.BusinessState = text("business", "State");
    c.BusinessZip = text("business", "Zip");
    c.BusinessCountry = text("business", "Country");
    c.JobTitle = text("business", "Job Title");
    c.Department = text("business", "Department");
    c.BusinessPhone = text("business", "Phone");
    c.BusinessFax = text("business", "Fax");
    c.BusinessCellular = text("business", "cellular");
    c.Pager = text("business", "Pager");
    c.Assistant = text("business", "Assistant");
    c.BusinessWebPage = text("business", "Web Page", "http://");

    c.Spouse = text("personal", "Spouse");
    c.Birthday = ReadContactDate(text("personal", "Birthday", DateToStr(Date())));
    c.Anniversary = ReadContactDate(text("personal", "Anniversary", DateToStr(Date())));
    c.Sport = text("personal", "Sport");
    c.Food = text("personal", "Food");
    c.Hobby = text("personal", "Hobby");
    c.AnniversaryAlert = ini.ReadBool("personal", "AnniversaryAlert", false);
    c.BirthdayAlert = ini.ReadBool("personal", "BirthdayAlert", false);

    c.Notes = ReadListSection(ini, "Notes");
    c.HomeAddress = ReadListSection(ini, "Home Address");
    c.BusinessAddress = ReadListSection(ini, "Business Address");
    c.Children = ReadListSection(ini, "Children");
    c.MailAccounts = ReadListSection(ini, "Mail Accounts");
    return c;
}

void WriteContact(const std::string& path, const TContact& c)
{
    // One write for the whole contact: a note of thousands of lines would otherwise rewrite the file per line.
    TIniFile(path).Rewrite([&c](TIniText& ini) {
        const std::string first = Trim(c.FirstName), middle = Trim(c.MiddleName), last = Trim(c.LastName);
        ini.WriteString("General", "FirstName", first);
        ini.WriteString("General", "MiddleName", middle);
        ini.WriteString("General", "LastName", last);
        ini.WriteString("General", "Nickname", Trim(c.Nickname));
        ini.WriteString("General", "DisplayName", Trim(Trim(first + " " + middle) + " " + last));
        ini.WriteString("General", "OnBuddyList", c.OnBuddyList ? "1" : "0");
        ini.WriteString("General", "Email", DefaultAddress(c.MailAccounts));

        ini.WriteString("Home", "City", c.HomeCity);
        ini.WriteString("Home", "State", c.HomeState);
        ini.WriteString("Home", "Zip", c.HomeZip);
        ini.WriteString("Home", "Country", c.HomeCountry);
        ini.WriteString("Home", "Phone", c.HomePhone);
        ini.WriteString("Home", "Fax", c.HomeFax);
        ini.WriteString("Home", "cellular", c.HomeCellular);
        ini.WriteString("Home", "office", c.HomeOffice);
        ini.WriteString("Home", "IP", c.HomeIP);
        ini.WriteString("home", "Web Page", c.HomeWebPage);
        ini.WriteString("Home", "Gender", c.Gender);

        ini.WriteString("business", "Company", c.Company);
        ini.WriteString("business", "City", c.BusinessCity);
        ini.WriteString("business", "State", c.BusinessState);
        ini.WriteString("business", "Zip", c.BusinessZip);
        ini.WriteString("business", "Country", c.BusinessCountry);
        ini.WriteString("business", "Job Title", c.JobTitle);
        ini.WriteString("business", "Department", c.Department);
        ini.WriteString("business", "Phone", c.BusinessPhone);
        ini.WriteString("business", "Fax", c.BusinessFax);
        ini.WriteString("business", "cellular", c.BusinessCellular);
        ini.WriteString("business", "Pager", c.Pager);
        ini.WriteString("business", "Assistant", c.Assistant);
        ini.WriteString("business", "Web Page", c.BusinessWebPage);

        ini.WriteString("personal", "Spouse", c.Spouse);
        ini.WriteString("personal", "Birthday", DateToStr(c.Birthday));
        ini.WriteString("personal", "Anniversary", DateToStr(c.Anniversary));
        ini.WriteString("personal", "Sport", c.Sport);
        ini.WriteString("personal", "Food", c.Food);
        ini.WriteString("personal", "Hobby", c.Hobby);
        ini.WriteString("personal", "AnniversaryAlert", c.AnniversaryAlert ? "1" : "0");
        ini.WriteString("personal", "BirthdayAlert", c.BirthdayAlert ? "1" : "0");

        WriteListSection(ini, "Notes", c.Notes, false);
        WriteListSection(ini, "Home Address", c.HomeAddress, false);
        WriteListSection(ini, "Business Address", c.BusinessAddress, false);
        WriteListSection(ini, "Children", c.Children, true);
        WriteListSection(ini, "Mail Accounts", c.MailAccounts, false);
    });
}

TViewSettings ReadViewSettings()
{
    const TIniFile ini("larkspire.ini");
    TViewSettings settings;
    settings.GroupVisible = ini.ReadBool("tivra", "GroupVisible", true);
    settings.ShowFirstnameFirst = ini.ReadBool("tivra", "ShowFirstnameFirst", false);
    const int style = ini.ReadInteger("tivra", "ViewStyle", 0);
    settings.ViewStyle = style >= 0 && style <= 3 ? style : 0;
    return settings;
}

void WriteViewSettings(const TViewSettings& settings)
{
    TIniFile ini("larkspire.ini");
    ini.WriteBool("tivra", "GroupVisible", settings.GroupVisible);
    ini.WriteBool("tivra", "ShowFirstnameFirst", settings.ShowFirstnameFirst);
    ini.WriteInteger("tivra", "ViewStyle", settings.ViewStyle);
}
