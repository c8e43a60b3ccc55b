#include "addressbook/vcardimport.h"

#include "addressbook/contactstore.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"

#include <chrono>
#include <random>

namespace {

std::string RandomCardName()
{
    static std::mt19937 generator(static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count()));
    std::uniform_int_distribution<int> number(0, 999999);
    return "vcard" + IntToStr(number(generator));
}

}  // namespace

VCardImportResult StoreVCardContacts(const std::vector<VCardContact>& contacts, const std::string& folder)
{
    VCardImportResult result;
    for (const VCardContact& card : contacts) {
        std::string path = ContactFileName(folder, card.FirstName, card.MiddleName, card.LastName);
        if (path.empty())
            path = IncludeTrailingPathDelimiter(folder) + RandomCardName() + ".zkt";
        try {
            TIniFile ini(path);
            ini.WriteString("General", "FirstName", card.FirstName);
            ini.WriteString("General", "MiddleName", card.MiddleName);
            ini.WriteString("General", "LastName", card.LastName);
            ini.WriteString("General", "Nickname", "");
            ini.WriteString("General", "DisplayName", card.DisplayName);
            ini.WriteString("General", "Email", card.Email);
            ini.WriteString("Home", "Phone", card.HomePhone);
            ini.WriteString("business", "Phone", card.BusinessPhone);
            WriteListSection(ini, "Mail Accounts", card.Addresses, false);
            ++result.Written;
        } catch (const Exception& error) {
            result.Failures.push_back(error.what());
        }
    }
    return result;
}
