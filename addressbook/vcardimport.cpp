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

constexpr int kCardNumbers = 1000000;

// "vcard" + a number 0..999999 that names no entry yet: a random one, or the
// next free one after it. "" when every number is taken.
std::string FreeCardName(const std::unordered_set<std::string>& present)
{
    static std::mt19937 generator(static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count()));
    std::uniform_int_distribution<int> number(0, kCardNumbers - 1);
    const int start = number(generator);
    for (int i = 0; i < kCardNumbers; ++i) {
        const std::string name = "vcard" + IntToStr((start + i) % kCardNumbers);
        if (!present.contains(LowerCase(name + ".zkt")))
            return name;
    }
    return {};
}

// base + "_" + the first number from 2 that names no entry yet.
std::string FreeVariant(const std::string& base, const std::unordered_set<std::string>& present)
{
    for (long long n = 2;; ++n) {
        const std::string name = base + "_" + IntToStr(n);
        if (!present.contains(LowerCase(name + ".zkt")))
            return name;
    }
}

// The keys an import writes, the same for a new file's text and an existing file's;
// the keys a card does not carry stay as they are.
void WriteCardKeys(TIniText& ini, const VCardContact& card)
{
    ini.WriteString("General", "FirstName", card.FirstName);
    ini.WriteString("General", "MiddleName", card.MiddleName);
    ini.WriteString("General", "LastName", card.LastName);
    ini.WriteString("General", "Nickname", "");
    ini.WriteString("General", "DisplayName", card.DisplayName);
    ini.WriteString("General", "Email", card.Email);
    ini.WriteString("Home", "Phone", card.HomePhone);
    ini.WriteString("business", "Phone", card.BusinessPhone);
    WriteListSection(ini, "Mail Accounts", card.Addresses, false);
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

VCardImportResult StoreVCardContacts(const std::vector<VCardContact>& contacts, const std::string& folder,
    const std::function<bool()>& betweenBatches)
{
    VCardImportResult result;
    // The folder's names, read once: a case-blind lookup per card would read the
    // whole folder again for each of thousands of cards.
    std::unordered_set<std::string> present;
    for (const TSearchRec& entry : ListDirectory(IncludeTrailingPathDelimiter(folder) + "*", faAnyFile))
        present.insert(LowerCase(entry.Name));
    std::unordered_set<std::string> taken;  // the names this import wrote
    std::size_t done = 0;
    for (const VCardContact& card : contacts) {
        if (done > 0 && done % kVCardImportBatch == 0 && betweenBatches && !betweenBatches())
            break;
        ++done;
        std::string base = ContactBaseName(card.FirstName, card.MiddleName, card.LastName);
        if (base.empty()) {
            base = FreeCardName(present);
            if (base.empty()) {
                result.Failures.push_back("Unable to write to " + IncludeTrailingPathDelimiter(folder) + "vcard.zkt");
                continue;
            }
        } else if (present.contains(LowerCase(base + ".zkt"))) {
            // The same name from the code page's stand-in for lost text says nothing of who it is.
            const bool lossy = (card.FirstName + card.MiddleName + card.LastName).find('?') != std::string::npos;
            if (lossy || taken.contains(LowerCase(base + ".zkt")))
                base = FreeVariant(base, present);
        }
        const std::string path = IncludeTrailingPathDelimiter(folder) + base + ".zkt";
        const std::string name = LowerCase(base + ".zkt");
        taken.insert(name);
        if (present.insert(name).second) {
            // A new file is built in memory and written in one go: a large import then
            // costs one file write per card instead of one per key.
            TIniText text;
            WriteCardKeys(text, card);
            if (CreateNewFile(path, text.Bytes()))
                ++result.Written;
            else
                result.Failures.push_back("Unable to write to " + path);
            continue;
        }
        try {
            TIniFile(path).Rewrite([&card](TIniText& ini) { WriteCardKeys(ini, card); });
            ++result.Written;
        } catch (const Exception& error) {
            result.Failures.push_back(error.what());
        }
    }
    return result;
}

std::string VCardImportNotice(const std::string& path, const VCardReadCounts& counts)
{
    std::string notice;
    if (counts.Truncated)
        notice += path + " holds more than " + IntToStr(static_cast<long long>(kMaxVCardContacts))
            + " contacts; only the first " + IntToStr(static_cast<long long>(kMaxVCardContacts)) + " were imported.";
    if (counts.Empty > 0) {
        if (!notice.empty())
            notice += "\n";
        notice += IntToStr(static_cast<long long>(counts.Empty)) + " empty card(s) in " + path + " were skipped.";
    }
    if (counts.Dropped > 0) {
        if (!notice.empty())
            notice += "\n";
        notice += IntToStr(static_cast<long long>(counts.Dropped)) + " field(s) of the cards in " + path
            + " have no place in the address book and were left out.";
    }
    return notice;
}
