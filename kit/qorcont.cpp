#include "kit/qorcont.h"

#include "kit/qorbitmap.h"
#include "kit/qorblob.h"
#include "kit/qorutils.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/streams.h"

#include <QPainter>

#include <cstring>

namespace {

TQORContainer* g_container = nullptr;

constexpr int kSignatureSize = 9;
const char* const kSignatures[] = { "QORIML30", "QORBML30", "QORWVL30", "QORSLL30", "QORRTL30" };
const char* const kExtensions[] = { "iml", "bmp", "wav", "txt", "rtf" };

[[noreturn]] void cannotAssign(const TQORCustomContainer& source, const TQORCustomContainer& dest)
{
    throw EConvertError(std::string("Cannot assign a ") + source.ClassName() + " to a " + dest.ClassName());
}

TColor colorOf(QRgb rgb) { return FromQColor(QColor(rgb)); }

// The class library's own transparent colour of a bitmap: its bottom-left pixel.
TColor bottomLeft(const QImage& image, int x)
{
    return colorOf(image.pixel(x, image.height() - 1)) | 0x02000000;
}

}  // namespace

TQORCustomContainer::~TQORCustomContainer() { MarkDestroying(); }

void TQORCustomContainer::ItemChanged(TQORListItem* item)
{
    NotifyLinks();
    if (OnChange)
        OnChange(item);
}

void TQORCustomContainer::LoadBitmapFromFile(int ident, QImage& bitmap) const
{
    LoadBitmapFromListFile(qorprocs::GetPrefixPath(SourcePrefix, true) + SourceFileName, ident, bitmap);
}

TQORListItem* TQORCustomContainer::Item(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return m_items[static_cast<std::size_t>(index)].get();
}

int TQORCustomContainer::AddItem(std::unique_ptr<TQORListItem> item)
{
    if (!item)
        item = NewItem();
    item->m_owner = this;
    item->Loaded();
    m_items.push_back(std::move(item));
    Change();
    return Count() - 1;
}

void TQORCustomContainer::AddFrom(const TQORCustomContainer& other)
{
    // Counted first: a list may add from itself.
    const int count = other.Count();
    for (int i = 0; i < count; ++i) {
        auto item = NewItem();
        item->m_owner = this;
        item->Loaded();
        item->Assign(*other.Item(i));
        m_items.push_back(std::move(item));
    }
    Change();
}

void TQORCustomContainer::ClearItems()
{
    m_items.clear();
    Change();
}

void TQORCustomContainer::Assign(const TQORCustomContainer& source)
{
    if (std::strcmp(source.ClassName(), ClassName()) != 0)
        cannotAssign(source, *this);
    if (&source == this)
        return;
    BeginUpdate();
    try {
        ClearItems();
        DefaultCompressed = source.DefaultCompressed;
        AddFrom(source);
    } catch (...) {
        EndUpdate(true);
        throw;
    }
    EndUpdate(true);
}

void TQORCustomContainer::LoadFromStream(TStream& stream, bool withOffsets)
{
    BeginUpdate();
    try {
        ClearItems();
        const std::int32_t count = ReadInteger(stream);
        // Every record takes at least its flags byte, every offset four bytes.
        const std::int64_t least = static_cast<std::int64_t>(count) * (withOffsets ? 5 : 1);
        if (count < 0 || least > stream.Size() - stream.Position())
            throw EReadError("Item count out of range");
        if (withOffsets && count > 0)
            stream.Seek(static_cast<std::int64_t>(count) * 4, soCurrent);
        for (int i = 0; i < count; ++i) {
            auto item = NewItem();
            item->m_owner = this;
            item->Loaded();
            item->LoadFromStream(stream);
            m_items.push_back(std::move(item));
        }
    } catch (...) {
        EndUpdate(true);
        throw;
    }
    EndUpdate(true);
}

void TQORCustomContainer::SaveToStream(TStream& stream, bool withOffsets) const
{
    WriteInteger(stream, Count());
    if (!withOffsets) {
        for (const auto& item : m_items)
            item->SaveToStream(stream);
        return;
    }
    if (Count() == 0)
        return;
    const std::int64_t table = stream.Position();
    stream.Seek(static_cast<std::int64_t>(Count()) * 4, soCurrent);
    std::vector<std::int64_t> starts;
    for (const auto& item : m_items) {
        starts.push_back(stream.Position());
        item->SaveToStream(stream);
    }
    const std::int64_t end = stream.Position();
    stream.SetPosition(table);
    for (std::int64_t start : starts)
        WriteInteger(stream, static_cast<std::int32_t>(start));
    stream.SetPosition(end);
}

void TQORCustomImageList::Assign(const TQORCustomContainer& source)
{
    TQORCustomContainer::Assign(source);
    DefaultPixelFormat = static_cast<const TQORCustomImageList&>(source).DefaultPixelFormat;
}

std::unique_ptr<TQORListItem> TQORBitmapList::NewItem() { return std::make_unique<TQORBitmapListItem>(this); }

TQORBitmapListItem* TQORBitmapList::Bitmaps(int index) const { return static_cast<TQORBitmapListItem*>(Item(index)); }

const QImage* TQORBitmapList::bitmapAt(int listIndex) const
{
    TQORBitmapListItem* item = Bitmaps(listIndex);
    return item ? &item->Bitmap() : nullptr;
}

int TQORBitmapList::GetItemDimension(int listIndex, int which) const
{
    const QImage* bitmap = bitmapAt(listIndex);
    if (!bitmap)
        return 0;
    return which == 0 ? bitmap->width() : which == 1 ? bitmap->height() : 0;
}

int TQORBitmapList::ImageCount(int listIndex) const
{
    const QImage* bitmap = bitmapAt(listIndex);
    return bitmap && !bitmap->isNull() ? 1 : 0;
}

bool TQORBitmapList::IsValidIndex(int listIndex, int) const { return ImageCount(listIndex) == 1; }

void TQORBitmapList::GetBitmap(int listIndex, int, QImage* dest) const
{
    const QImage* bitmap = bitmapAt(listIndex);
    if (bitmap && dest)
        *dest = *bitmap;
}

QList<QRgb> TQORBitmapList::GetPalette(int listIndex) const
{
    const QImage* bitmap = bitmapAt(listIndex);
    return bitmap ? bitmap->colorTable() : QList<QRgb>();
}

TColor TQORBitmapList::GetTransparentColor(int listIndex, int) const
{
    const QImage* bitmap = bitmapAt(listIndex);
    if (!bitmap || bitmap->isNull())
        return clWhite;
    return bottomLeft(*bitmap, 0);
}

TColor TQORBitmapList::GetPixelColor(QPoint point, int listIndex, int) const
{
    const QImage* bitmap = bitmapAt(listIndex);
    if (!bitmap || !bitmap->valid(point))
        return clWhite;
    return colorOf(bitmap->pixel(point));
}

void TQORBitmapList::Draw(QPainter& canvas, int x, int y, int listIndex, int) const
{
    if (ImageCount(listIndex) != 1)
        return;
    const TBitmap bitmap { *bitmapAt(listIndex) };
    DrawBitmapTransparent(canvas, { x, y, x + bitmap.Width(), y + bitmap.Height() }, bitmap, clBlack, 0);
}

void TQORBitmapList::DrawInRect(QPainter& canvas, const qorprocs::TRect& rect, int listIndex, int imageIndex,
                                std::uint16_t flags) const
{
    if (ImageCount(listIndex) != 1)
        return;
    const TBitmap bitmap { *bitmapAt(listIndex) };
    DrawBitmapTransparent(canvas, rect, bitmap, GetTransparentColor(listIndex, imageIndex), flags);
}

void TQORBitmapList::DrawInRectClipped(QPainter& canvas, const qorprocs::TRect& rect, int listIndex, int,
                                       TColor color, std::uint32_t offset, std::uint16_t flags) const
{
    if (ImageCount(listIndex) != 1)
        return;
    const TBitmap bitmap { *bitmapAt(listIndex) };
    DrawBitmapEx(canvas, rect, bitmap, color, offset, flags);
}

std::unique_ptr<TQORListItem> TQORImageList::NewItem() { return std::make_unique<TQORImageListItem>(this); }

TQORImageListItem* TQORImageList::Images(int index) const { return static_cast<TQORImageListItem*>(Item(index)); }

void TQORImageList::Assign(const TQORCustomContainer& source)
{
    TQORCustomImageList::Assign(source);
    Reserved = 0;
}

int TQORImageList::GetItemDimension(int listIndex, int which) const
{
    const TQORImageListItem* item = Images(listIndex);
    if (!item)
        return 0;
    return which == 0 ? item->Width() : which == 1 ? item->Height() : 0;
}

int TQORImageList::ImageCount(int listIndex) const
{
    const TQORImageListItem* item = Images(listIndex);
    return item ? item->ImageCount() : -1;
}

bool TQORImageList::IsValidIndex(int listIndex, int imageIndex) const
{
    const TQORImageListItem* item = Images(listIndex);
    return item && imageIndex >= 0 && imageIndex < item->ImageCount();
}

void TQORImageList::GetBitmap(int listIndex, int imageIndex, QImage* dest) const
{
    if (!dest || !IsValidIndex(listIndex, imageIndex))
        return;
    const TQORImageListItem* item = Images(listIndex);
    *dest = item->Strip().copy(item->GetItemRect(imageIndex));
}

bool TQORImageList::IsMasked(int listIndex) const
{
    const TQORImageListItem* item = Images(listIndex);
    return item && item->Masked();
}

QList<QRgb> TQORImageList::GetPalette(int listIndex) const
{
    const TQORImageListItem* item = Images(listIndex);
    return item ? item->Strip().colorTable() : QList<QRgb>();
}

TColor TQORImageList::GetTransparentColor(int listIndex, int imageIndex) const
{
    if (!IsValidIndex(listIndex, imageIndex))
        return clWhite;
    const TQORImageListItem* item = Images(listIndex);
    return colorOf(item->Strip().pixel(item->CellOffset(imageIndex), item->Height() - 1));
}

TColor TQORImageList::GetPixelColor(QPoint point, int listIndex, int imageIndex) const
{
    if (!IsValidIndex(listIndex, imageIndex))
        return clWhite;
    const TQORImageListItem* item = Images(listIndex);
    if (point.x() < 0 || point.y() < 0 || point.x() >= item->Width() || point.y() >= item->Height())
        return clWhite;
    return colorOf(item->Strip().pixel(item->CellOffset(imageIndex) + point.x(), point.y()));
}

void TQORImageList::Draw(QPainter& canvas, int x, int y, int listIndex, int imageIndex) const
{
    if (IsValidIndex(listIndex, imageIndex))
        Images(listIndex)->DrawCell(canvas, x, y, imageIndex);
}

void TQORImageList::DrawInRect(QPainter& canvas, const qorprocs::TRect& rect, int listIndex, int imageIndex,
                               std::uint16_t flags) const
{
    if (!IsValidIndex(listIndex, imageIndex))
        return;
    const TQORImageListItem& item = *Images(listIndex);
    const QRect cell = item.GetItemRect(imageIndex);
    const qorprocs::TRect source { cell.left(), cell.top(), cell.left() + cell.width(), cell.top() + cell.height() };
    if (item.Masked()) {
        const TBitmap mask { item.MaskStrip() };
        StretchDrawBitmap(canvas, rect, &item.Strip(), &mask, clBlack, static_cast<std::uint16_t>(flags | dbMask), source);
    } else {
        const TColor color = GetTransparentColor(listIndex, imageIndex) + 0x2000000;
        StretchDrawBitmap(canvas, rect, &item.Strip(), nullptr, color, flags, source);
    }
}

void TQORImageList::DrawInRectClipped(QPainter& canvas, const qorprocs::TRect& rect, int listIndex, int imageIndex,
                                      TColor color, std::uint32_t offset, std::uint16_t flags) const
{
    if (!IsValidIndex(listIndex, imageIndex))
        return;
    const TQORImageListItem& item = *Images(listIndex);
    const QRect cell = item.GetItemRect(imageIndex);
    const qorprocs::TRect source { cell.left(), cell.top(), cell.left() + cell.width(), cell.top() + cell.height() };
    if (item.Masked()) {
        const TBitmap mask { item.MaskStrip() };
        DrawBitmapClipped(canvas, rect, &item.Strip(), &mask, clBlack, offset, static_cast<std::uint16_t>(flags | dbMask), source);
    } else {
        DrawBitmapClipped(canvas, rect, &item.Strip(), nullptr, color, offset, flags, source);
    }
}

std::unique_ptr<TQORListItem> TQORStringList::NewItem() { return std::make_unique<TQORStringListItem>(this); }

TQORStringListItem* TQORStringList::Strings(int index) const { return static_cast<TQORStringListItem*>(Item(index)); }

std::unique_ptr<TQORListItem> TQORWaveList::NewItem() { return std::make_unique<TQORWaveListItem>(this); }

TQORWaveListItem* TQORWaveList::Waves(int index) const { return static_cast<TQORWaveListItem*>(Item(index)); }

TQORContainer::TQORContainer()
    : m_bitmapList(std::make_unique<TQORBitmapList>())
    , m_imageList(std::make_unique<TQORImageList>())
    , m_stringList(std::make_unique<TQORStringList>())
    , m_waveList(std::make_unique<TQORWaveList>())
{
    const auto childChanged = [this](TQORComponent*) { ChildChanged(); };
    m_bitmapList->OnChange = childChanged;
    m_imageList->OnChange = childChanged;
    m_stringList->OnChange = childChanged;
    m_waveList->OnChange = childChanged;
}

TQORContainer::~TQORContainer()
{
    // No list may report its items going away to a container half gone.
    m_bitmapList->OnChange = nullptr;
    m_imageList->OnChange = nullptr;
    m_waveList->OnChange = nullptr;
    m_stringList->OnChange = nullptr;
}

TQORContainer* QORContainer() { return g_container; }

void QORCreateContainer()
{
    if (!g_container)
        g_container = new TQORContainer;
}

void QORFreeContainer()
{
    delete g_container;
    g_container = nullptr;
}

std::string ListKindExtension(int kind, bool withDot)
{
    if (kind < 0 || kind > lkRichTextList)
        return {};
    return (withDot ? "." : "") + std::string(kExtensions[kind]);
}

int ReadListFileHeader(const std::string& fileName, int& count, std::vector<std::int32_t>* offsets)
{
    count = -1;
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    char signature[kSignatureSize] = {};
    if (file.Read(signature, kSignatureSize) != kSignatureSize)
        return lkUnknown;
    int kind = lkUnknown;
    for (int i = 0; i <= lkRichTextList; ++i) {
        if (signature[0] == 8 && std::memcmp(signature + 1, kSignatures[i], 8) == 0) {
            kind = i;
            break;
        }
    }
    const std::int32_t stored = ReadInteger(file);
    const std::int64_t size = file.Size();
    if (stored < 0 || static_cast<std::int64_t>(stored) * 4 > size - file.Position())
        throw EReadError("Item count out of range");
    count = stored;
    if (kind != lkUnknown && offsets) {
        offsets->clear();
        for (int i = 0; i < count; ++i) {
            const std::int32_t offset = ReadInteger(file);
            if (offset < kSignatureSize + 4 || offset >= size)
                throw EReadError("Item offset out of range");
            offsets->push_back(offset);
        }
    }
    return kind;
}

bool ReadListFileItem(const std::string& fileName, int kind, const std::vector<std::int32_t>* offsets,
                      TQORListItem& item, int index)
{
    std::vector<std::int32_t> own;
    if (!offsets) {
        int count = 0;
        if (ReadListFileHeader(fileName, count, &own) != kind)
            throw Exception(qorprocs::ResText("Cannot open file " + fileName));
        offsets = &own;
    }
    if (index < 0 || index >= static_cast<int>(offsets->size()))
        throw EListError(qorprocs::ResText("List index out of bounds (" + std::to_string(index) + ")"));
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    const std::int32_t offset = (*offsets)[static_cast<std::size_t>(index)];
    if (offset < 0 || offset >= file.Size())
        throw EReadError("Item offset out of range");
    file.SetPosition(offset);
    item.LoadFromStream(file);
    return true;
}

void LoadBitmapFromListFile(const std::string& fileName, int ident, QImage& bitmap)
{
    TQORBitmapListItem item;
    ReadListFileItem(fileName, lkBitmapList, nullptr, item, ident);
    bitmap = item.StoredBitmap();
}
