// ads.idx is downloaded: any bytes give lists of bare picture names of the ads
// folder, at most 255 each, and a version that is a number or none.
#include "client/core/adindex.h"
#include "client/core/helpers.h"
#include "client/features/kestrowthread.h"
#include "platform/rtl/inifile.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

struct Scratch {
    Scratch()
    {
        std::string pattern = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        pattern += "/korvo-fuzz-ads-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            std::abort();
        folder = pattern;
        std::filesystem::create_directories(folder / "ads");
        ::setenv("KORVO_APPDIR", pattern.c_str(), 1);
        ::setenv("KORVO_WINDIR", pattern.c_str(), 1);
    }
    ~Scratch() { std::filesystem::remove_all(folder); }
    std::filesystem::path folder;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Scratch scratch;
    {
        std::ofstream out(scratch.folder / "ads" / "ads.idx", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    LoadAdIndex();
    for (const auto* list : { &AdLists().ads, &AdLists().nivlets }) {
        if (list->size() > 255)
            std::abort();
        for (const std::string& path : *list)
            if (path.rfind(AdsFolder() + "/", 0) != 0 || !IsAdPictureName(path.substr(AdsFolder().size() + 1)))
                std::abort();
    }
    ParseVersion(TIniFile(AdsFolder() + "/ads.idx").ReadString("Live Update", "Version", ""));
    FreeAdIndex();
    return 0;
}
