// How long a large vCard import takes, how the address book window's list
// rebuild compares with TIniFile reading the same files alone, and how long a
// contact with a long note takes to save.
#include "addressbook/contactstore.h"
#include "bench/bestof.h"
#include "addressbook/tivramain.h"
#include "addressbook/vcardimport.h"
#include "kit/qorapplication.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"

#include <QApplication>
#include <QTreeWidget>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv)
{
    char baseTemplate[] = "/tmp/korvo-bench-abook-XXXXXX";
    const char* base = ::mkdtemp(baseTemplate);
    if (!base)
        return 1;
    ::setenv("KORVO_APPDIR", base, 1);
    ::setenv("KORVO_WINDIR", base, 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    QORInitialize();
    const std::string folderName = AddressBookRoot();
    CreateAddressBookRoot(folderName);
    const char* folder = folderName.c_str();
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

    // The window's own rebuild of the root's contacts, against TIniFile alone reading
    // one key of each of the same files: both in turn until their ratio holds still,
    // the shortest of each printed.
    const auto files = ListDirectory(std::string(folder) + "/*.zkt", faAnyFile);
    std::size_t shown = 0;
    std::size_t bare = 0;
    const BestRates best = ShortestOfInterleaved(
        [&] {
            tivra::TForm1 form;
            const auto listStart = Clock::now();
            form.ShowGroup("\\");
            const auto listEnd = Clock::now();
            shown = static_cast<std::size_t>(form.ListView1->topLevelItemCount());
            return std::chrono::duration<double, std::milli>(listEnd - listStart).count();
        },
        [&] {
            bare = 0;
            const auto bareStart = Clock::now();
            for (const TSearchRec& file : files)
                bare += TIniFile(std::string(folder) + "/" + file.Name).ReadString("General", "LastName", "").size();
            return std::chrono::duration<double, std::milli>(Clock::now() - bareStart).count();
        });

    // A contact whose note runs to many lines, saved over its own file.
    constexpr int kNoteLines = 20000;
    TContact longContact;
    longContact.FirstName = "Ada";
    longContact.LastName = "Grant";
    for (int i = 0; i < kNoteLines; ++i)
        longContact.Notes.push_back("note line " + IntToStr(i));
    const std::string longPath = std::string(folder) + "/Grant_Ada.zkt";
    WriteContact(longPath, longContact);
    const auto saveStart = Clock::now();
    WriteContact(longPath, longContact);
    const auto saveEnd = Clock::now();

    const double importMs = std::chrono::duration<double, std::milli>(importEnd - importStart).count();
    std::printf("vcard import of %d cards: %.0f ms (%d files written)\n", kCards, importMs, result.Written);
    std::printf("list rebuild of %zu contacts: %.0f ms (TIniFile one key each: %.0f ms) ratio %.2f\n", shown,
        best.measured, best.reference, best.reference > 0 ? best.measured / best.reference : 0.0);
    std::printf("contact save with %d note lines: %.0f ms\n", kNoteLines,
        std::chrono::duration<double, std::milli>(saveEnd - saveStart).count());
    QORFinalize();
    std::filesystem::remove_all(base);
    return shown > 0 && bare > 0 ? 0 : 1;
}
