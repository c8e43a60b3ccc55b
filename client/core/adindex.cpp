#include "client/core/adindex.h"

#include "client/core/download.h"
#include "client/core/helpers.h"
#include "platform/rtl/files.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <utility>

namespace {
constexpr int kMaxEntries = 255;
}

std::string AdsFolder() { return AppPath() + "ads"; }

bool IsAdPictureName(std::string_view name)
{
    if (!IsSafeFileName(name) || name.size() <= 4)
        return false;
    return LowerCase(std::string(name.substr(name.size() - 4))) == ".gif";
}

bool AdPictureFits(const std::string& fileName)
{
    std::ifstream file(FileSystemName(fileName), std::ios::binary | std::ios::ate);
    if (!file)
        return false;
    const auto size = static_cast<long long>(file.tellg());
    if (size < 10 || size > kMaxAdPictureBytes)
        return false;
    unsigned char header[10] {};
    file.seekg(0);
    if (!file.read(reinterpret_cast<char*>(header), sizeof header))
        return false;
    if (std::string(reinterpret_cast<const char*>(header), 3) != "GIF")
        return false;
    // The logical screen: two little-endian 16-bit numbers after the signature.
    const int width = header[6] | (header[7] << 8);
    const int height = header[8] | (header[9] << 8);
    return width <= kMaxAdSide && height <= kMaxAdSide;
}

TAdLists& AdLists()
{
    static TAdLists lists;
    return lists;
}

TAdNames ReadAdNames(const std::string& indexFile)
{
    TAdNames names;
    // No download brings a larger index: such a file is not worth reading.
    std::error_code error;
    const auto size = std::filesystem::file_size(FileSystemName(ResolveFileName(indexFile)), error);
    if (error || size > static_cast<std::uintmax_t>(kMaxReplyBytes))
        return names;
    // One reading of the file for both sections, never one a key.
    std::vector<std::pair<std::string, std::string>> keys;
    for (const char* section : { "Index", "nivlets" })
        for (int key = 0; key < kMaxEntries; ++key)
            keys.emplace_back(section, IntToStr(key));
    const std::vector<std::optional<std::string>> values = TIniFile(indexFile).ReadValues(keys);
    for (int list = 0; list < 2; ++list) {
        std::vector<std::string>& into = list == 0 ? names.ads : names.nivlets;
        for (int key = 0; key < kMaxEntries; ++key) {
            const std::optional<std::string>& value = values[static_cast<std::size_t>(list * kMaxEntries + key)];
            if (!value || value->empty())
                break;
            const std::string name = Trim(*value);
            if (IsAdPictureName(name))
                into.push_back(name);
        }
    }
    return names;
}

void LoadAdIndex()
{
    TAdLists& lists = AdLists();
    lists = {};
    const TAdNames names = ReadAdNames(AdsFolder() + PathDelim + "ads.idx");
    for (const std::string& name : names.ads)
        lists.ads.push_back(AdsFolder() + PathDelim + name);
    for (const std::string& name : names.nivlets)
        lists.nivlets.push_back(AdsFolder() + PathDelim + name);
}

void FreeAdIndex() { AdLists() = {}; }
