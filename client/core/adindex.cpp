#include "client/core/adindex.h"

#include "client/core/helpers.h"
#include "platform/rtl/files.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"

#include <cstdint>
#include <fstream>

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

std::vector<std::string> ReadAdNames(const std::string& indexFile, const std::string& section)
{
    std::vector<std::string> names;
    const TIniFile index(indexFile);
    for (int key = 0; key < kMaxEntries; ++key) {
        const std::string value = index.ReadString(section, IntToStr(key), "");
        if (value.empty())
            break;
        const std::string name = Trim(value);
        if (IsAdPictureName(name))
            names.push_back(name);
    }
    return names;
}

void LoadAdIndex()
{
    TAdLists& lists = AdLists();
    lists = {};
    const std::string index = AdsFolder() + PathDelim + "ads.idx";
    for (const std::string& name : ReadAdNames(index, "Index"))
        lists.ads.push_back(AdsFolder() + PathDelim + name);
    for (const std::string& name : ReadAdNames(index, "nivlets"))
        lists.nivlets.push_back(AdsFolder() + PathDelim + name);
}

void FreeAdIndex() { AdLists() = {}; }
