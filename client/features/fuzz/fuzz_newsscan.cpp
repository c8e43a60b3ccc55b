// News pages and keyword files come from anywhere: the line scan and the keyword
// reader take any bytes without a crash, keep their bounds, and never let the
// entry separator into a headline.
#include "client/features/newskeywords.h"
#include "client/features/newsparser.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string ScratchFile()
{
    static const std::string name = "/tmp/fuzz_newsscan." + std::to_string(::getpid()) + ".htm";
    return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t split = bytes.find('\n');
    const std::string filter = split == std::string::npos ? "news/" : bytes.substr(0, std::min<std::size_t>(split, 8));
    if (const auto entry = ScanNewsLine(bytes, "site/", filter)) {
        if (entry->headline.empty() || entry->headline.find('\xB6') != std::string::npos
            || entry->headline.size() > kMaxHeadlineBytes || entry->link.size() > kMaxLinkBytes)
            std::abort();
    }
    const std::string file = ScratchFile();
    std::FILE* out = std::fopen(file.c_str(), "wb");
    if (!out)
        return 0;
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
    int entries = 0;
    ScanNewsPage(file, "", "", filter, [&](const NewsEntry& entry) {
        if (entry.headline.find('\xB6') != std::string::npos)
            std::abort();
        ++entries;
    });
    if (entries > kMaxNewsEntries)
        std::abort();
    TStringList lines;
    TStringList keywords;
    ReadNewsKeywords(file, lines, keywords);
    if (keywords.Count() > kMaxNewsKeywords)
        std::abort();
    for (int i = 0; i < keywords.Count(); ++i) {
        if (keywords[i].empty() || keywords[i].size() > static_cast<std::size_t>(kMaxKeywordBytes))
            std::abort();
    }
    std::remove(file.c_str());
    return 0;
}
