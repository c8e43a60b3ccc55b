// Hostile list files: the header, every item through its offset, and the list
// streams of each kind. Each is read or refused; a refused list keeps whole items only.
#include "kit/qorcont.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/streams.h"

#include <QTemporaryDir>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

std::unique_ptr<TQORListItem> itemOfKind(int kind)
{
    switch (kind) {
    case lkImageList:
        return std::make_unique<TQORImageListItem>();
    case lkBitmapList:
        return std::make_unique<TQORBitmapListItem>();
    case lkWaveList:
        return std::make_unique<TQORWaveListItem>();
    case lkStringList:
        return std::make_unique<TQORStringListItem>();
    default:
        return nullptr;
    }
}

void readLists(const std::string& bytes)
{
    TQORImageList images;
    TQORBitmapList bitmaps;
    TQORWaveList waves;
    TQORStringList strings;
    TQORCustomContainer* lists[] = { &images, &bitmaps, &waves, &strings };
    for (TQORCustomContainer* list : lists) {
        for (bool withOffsets : { false, true }) {
            TStringStream in(bytes.size() > 9 ? bytes.substr(9) : bytes);
            try {
                list->LoadFromStream(in, withOffsets);
            } catch (const Exception&) {
            }
            for (int i = 0; i < list->Count(); ++i)
                if (!list->Item(i))
                    std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string path = dir.path().toStdString() + "/fuzz.lst";
    {
        TFileStream file(path, fmCreate);
        file.WriteString(bytes);
    }
    try {
        int count = 0;
        std::vector<std::int32_t> offsets;
        const int kind = ReadListFileHeader(path, count, &offsets);
        if (auto item = itemOfKind(kind)) {
            for (int i = 0; i < static_cast<int>(offsets.size()); ++i) {
                try {
                    ReadListFileItem(path, kind, &offsets, *item, i);
                } catch (const Exception&) {
                }
            }
        }
    } catch (const Exception&) {
    }
    readLists(bytes);
    return 0;
}
