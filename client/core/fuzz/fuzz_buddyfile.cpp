// Contact files lie in the user's folder for anyone to edit: loading one with any
// bytes lists the buddy with what its file says and marks it offline, and raises nothing.
#include "client/core/buddy.h"
#include "client/core/buddyfile.h"
#include "client/core/session.h"
#include "platform/rtl/inifile.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace {

// A Windows directory of our own for the whole run, removed at the end.
struct Scratch {
    Scratch()
    {
        // In memory where the system offers it: every INI write is synced to disk.
        std::string pattern = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        pattern += "/korvo-fuzz-buddy-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            std::abort();
        folder = pattern;
        ::setenv("KORVO_WINDIR", pattern.c_str(), 1);
        Session().userId = "fuzzer";
    }
    ~Scratch() { std::filesystem::remove_all(folder); }
    std::filesystem::path userFolder() const { return folder / "my friends" / "fuzzer"; }
    std::filesystem::path folder;
};

// The file's name: the input's first line when it is plain ASCII with no separator,
// so the harness itself never writes outside the user's folder.
std::string FileNameOf(std::string_view& bytes)
{
    const std::size_t end = bytes.find('\n');
    if (end == std::string_view::npos || end == 0 || end > 40)
        return "buddy";
    std::string name(bytes.substr(0, end));
    bytes.remove_prefix(end + 1);
    for (const char c : name) {
        if (c < 0x20 || c > 0x7E || c == '/')
            return "buddy";
    }
    return name == "." || name == ".." ? "buddy" : name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Scratch scratch;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string name = FileNameOf(bytes);
    std::filesystem::remove_all(scratch.userFolder());
    std::filesystem::create_directories(scratch.userFolder());
    {
        std::ofstream out(scratch.userFolder() / (name + ".cnt"), std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    TBuddyStore store;
    LoadBuddyFiles(store, true);
    LoadBuddyFiles(store, false);
    Tbuddy* buddy = store.Find(name);
    if (!IsValidBuddyName(name)) {
        if (store.Count() != 0)
            std::abort();
        return 0;
    }
    if (!buddy || store.Count() != 1)
        std::abort();
    const TIniFile file(BuddyFileName(name));
    if (file.ReadString("Friend", "online", "") != "0")
        std::abort();
    if (buddy->DirectConnect != GetBuddyDirectConnect(name) || buddy->Blocked != IsBuddyBlocked(name)
        || buddy->Online)
        std::abort();
    return 0;
}
