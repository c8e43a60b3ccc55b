// How long a large vCard import takes, and how the reads the contact list makes
// of each contact file compare with TIniFile reading the same files alone.
#include "addressbook/contactstore.h"
#include "addressbook/vcardimport.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

int main()
{
    char folderTemplate[] = "/tmp/korvo-bench-abook-XXXXXX";
    const char* folder = ::mkdtemp(folderTemplate);
    if (!folder)
        return 1;
    constexpr int kCards = 10000;
    std::string text;
    for (int i = 0; i < kCards; ++i) {
        text += "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Last" + IntToStr(i) + ";First;M\r\nTEL;HOME;VOICE:555-" + IntToStr(i)
            + "\r\nEMAIL;PREF;INTERNET:p" + IntToStr(i) + "@example.org\r\nEMAIL;INTERNET:o" + IntToStr(i)
            + "@example.org\r\nEND:VCARD\r\n";
    }

    using Clock = std::chrono::steady_clock;
    const auto importStart = Clock::now();
    const VCardImportResult result = StoreVCardContacts(ReadVCards(text), folder);
    const auto importEnd = Clock::now();

    // The seven keys the list shows of each contact.
    const auto files = ListDirectory(std::string(folder) + "/*.zkt", faAnyFile);
    std::size_t shown = 0;
    const auto listStart = Clock::now();
    for (const TSearchRec& file : files) {
        const TIniFile ini(std::string(folder) + "/" + file.Name);
        const std::string email = ini.ReadString("General", "Email", "");
        shown += ini.ReadString("General", "FirstName", "").size() + ini.ReadString("General", "MiddleName", "").size()
            + ini.ReadString("General", "LastName", "").size() + ini.ReadString("Home", "Phone", "").size()
            + ini.ReadString("Business", "Phone", "").size() + ini.ReadString("General", "DisplayName", email).size();
    }
    const auto listEnd = Clock::now();

    // TIniFile alone: one key of each of the same files.
    std::size_t bare = 0;
    const auto bareStart = Clock::now();
    for (const TSearchRec& file : files)
        bare += TIniFile(std::string(folder) + "/" + file.Name).ReadString("General", "LastName", "").size();
    const auto bareEnd = Clock::now();

    const double importMs = std::chrono::duration<double, std::milli>(importEnd - importStart).count();
    const double listMs = std::chrono::duration<double, std::milli>(listEnd - listStart).count();
    const double bareMs = std::chrono::duration<double, std::milli>(bareEnd - bareStart).count();
    std::printf("vcard import of %d cards: %.0f ms (%d files written)\n", kCards, importMs, result.Written);
    std::printf("list reads of %zu contacts: %.0f ms (TIniFile one key each: %.0f ms) ratio %.2f\n", files.size(),
        listMs, bareMs, bareMs > 0 ? listMs / bareMs : 0.0);
    std::filesystem::remove_all(folder);
    return shown > 0 && bare > 0 ? 0 : 1;
}
