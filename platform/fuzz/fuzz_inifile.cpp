// INI files are read as they lie on disk, whoever wrote them: every reader must
// cope with any bytes, and a write into one section leaves every other section
// reading as before.
#include "platform/rtl/inifile.h"
#include "platform/rtl/stringlist.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

// A folder of our own for the whole run, removed at the end.
struct Scratch {
    Scratch()
    {
        // In memory where the system offers it: every INI write is synced to disk.
        std::string pattern = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        pattern += "/korvo-fuzz-ini-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            std::abort();
        folder = pattern;
    }
    ~Scratch() { std::filesystem::remove_all(folder); }
    std::string file() const { return (folder / "fuzz.ini").string(); }
    std::filesystem::path folder;
};

std::vector<std::string> Items(const TStringList& list)
{
    std::vector<std::string> items;
    for (int i = 0; i < list.Count(); ++i)
        items.push_back(list[i]);
    return items;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const Scratch scratch;
    const std::string file = scratch.file();
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    TIniFile ini(file);
    TStringList sections;
    ini.ReadSections(sections);
    std::vector<std::vector<std::string>> before;
    for (const std::string& section : Items(sections)) {
        TStringList keys;
        ini.ReadSection(section, keys);
        for (const std::string& key : Items(keys)) {
            ini.ReadString(section, key, "");
            ini.ReadInteger(section, key, 0);
            ini.ReadFloat(section, key, 0);
            ini.ReadBool(section, key, false);
            if (!ini.ValueExists(section, key))
                std::abort();
        }
        TStringList values;
        ini.ReadSectionValues(section, values);
        before.push_back(Items(values));
    }

    // A section the file does not hold yet, so the write touches nothing read above.
    std::string added = "Fuzz";
    while (ini.SectionExists(added))
        added += "z";
    ini.WriteString(added, "Key", "Value");
    if (ini.ReadString(added, "Key", "") != "Value")
        std::abort();
    std::size_t index = 0;
    for (const std::string& section : Items(sections)) {
        TStringList values;
        ini.ReadSectionValues(section, values);
        if (Items(values) != before[index++])
            std::abort();
    }
    return 0;
}
