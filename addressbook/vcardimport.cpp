#include "addressbook/vcardimport.h"

#include "addressbook/contactstore.h"
#include "platform/rtl/files.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <unordered_set>

namespace {

std::string RandomCardName()
{
    static std::mt19937 generator(static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count()));
    std::uniform_int_distribution<int> number(0, 999999);
    return "vcard" + IntToStr(number(generator));
}

// A value on one line, as TIniFile would store it.
std::string OneLine(std::string value)
{
    for (char& c : value) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return value;
}

// The bytes TIniFile writes for these keys in a new file, written in one go:
// a large import then costs one file write per card instead of one per key.
std::string NewContactBytes(const VCardContact& card)
{
    std::string bytes = "[General]\r\nFirstName=" + OneLine(card.FirstName) + "\r\nMiddleName=" + OneLine(card.MiddleName)
        + "\r\nLastName=" + OneLine(card.LastName) + "\r\nNickname=\r\nDisplayName=" + OneLine(card.DisplayName)
        + "\r\nEmail=" + OneLine(card.Email) + "\r\n\r\n[Home]\r\nPhone=" + OneLine(card.HomePhone)
        + "\r\n\r\n[business]\r\nPhone=" + OneLine(card.BusinessPhone) + "\r\n";
    if (!card.Addresses.empty()) {
        bytes += "\r\n[Mail Accounts]\r\n";
        for (std::size_t i = 0; i < card.Addresses.size(); ++i)
            bytes += IntToStr(static_cast<long long>(i)) + "=" + OneLine(card.Addresses[i]) + "\r\n";
    }
    return bytes;
}

// Creates a file that does not exist yet. A full scan of a large folder for
// each name (to match its case) and a sync per file would make big imports crawl.
bool CreateNewFile(const std::string& path, const std::string& bytes)
{
    const int fd = ::open(FileSystemName(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    const bool ok = ::close(fd) == 0 && done == bytes.size();
    if (!ok)
        ::unlink(FileSystemName(path).c_str());
    return ok;
}

}  // namespace

VCardImportResult StoreVCardContacts(const std::vector<VCardContact>& contacts, const std::string& folder)
{
    VCardImportResult result;
    // The folder's names, read once: a case-blind lookup per card would read the
    // whole folder again for each of thousands of cards.
    std::unordered_set<std::string> present;
    for (const TSearchRec& entry : ListDirectory(IncludeTrailingPathDelimiter(folder) + "*", faAnyFile))
        present.insert(LowerCase(entry.Name));
    for (const VCardContact& card : contacts) {
        std::string path = ContactFileName(folder, card.FirstName, card.MiddleName, card.LastName);
        if (path.empty())
            path = IncludeTrailingPathDelimiter(folder) + RandomCardName() + ".zkt";
        const std::string name = LowerCase(ExtractFileName(path));
        if (present.insert(name).second) {
            if (CreateNewFile(path, NewContactBytes(card)))
                ++result.Written;
            else
                result.Failures.push_back("Unable to write to " + path);
            continue;
        }
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
