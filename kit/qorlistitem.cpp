#include "kit/qorlistitem.h"

#include "kit/qorblob.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/streams.h"

int SavePixelFormatColors(TQORSavePixelFormat format)
{
    switch (format) {
    case spfMono:
        return 2;
    case spf4bit:
        return 16;
    case spf8bit:
        return 256;
    default:
        return -1;
    }
}

std::uint8_t PixelFormatFlags(TQORSavePixelFormat format)
{
    switch (format) {
    case spfMono:
        return kItemMono;
    case spf4bit:
        return kItemFourBit;
    case spf8bit:
        return kItemEightBit;
    default:
        return 0;
    }
}

TQORSavePixelFormat PixelFormatFromFlags(std::uint8_t flags)
{
    if (flags & kItemMono)
        return spfMono;
    if (flags & kItemFourBit)
        return spf4bit;
    if (flags & kItemEightBit)
        return spf8bit;
    return spfDefault;
}

namespace {

[[noreturn]] void cannotAssign(const TQORListItem& source, const TQORListItem& dest)
{
    throw EConvertError(std::string("Cannot assign a ") + source.ClassName() + " to a " + dest.ClassName());
}

}  // namespace

void TQORListItem::Change()
{
    TQORComponent::Change();
    if (m_owner)
        m_owner->ItemChanged(this);
}

std::uint8_t TQORListItem::StoredFlags() const
{
    std::uint8_t flags = 0;
    if (Compressed)
        flags |= kItemCompressed;
    if (!Description.empty())
        flags |= kItemHasDescription;
    if (Ident != 0)
        flags |= kItemHasIdent;
    if (!IsEmpty())
        flags |= kItemHasContents;
    return flags;
}

void TQORListItem::SaveToStream(TStream& stream) const
{
    const std::uint8_t flags = StoredFlags();
    WriteByte(stream, flags);
    if (flags & kItemHasDescription)
        WriteShortString(stream, Description);
    if (flags & kItemHasIdent)
        WriteInteger(stream, Ident);
    WriteContents(stream);
}

void TQORListItem::LoadFromStream(TStream& stream)
{
    const std::uint8_t flags = ReadByte(stream);
    std::string description;
    std::uint16_t ident = 0;
    if (flags & kItemHasDescription)
        ReadShortString(stream, description);
    if (flags & kItemHasIdent)
        ident = static_cast<std::uint16_t>(ReadInteger(stream));
    // A refused record leaves the item as it was.
    const bool oldCompressed = Compressed;
    Compressed = (flags & kItemCompressed) != 0;
    try {
        ReadContents(stream, flags);
    } catch (...) {
        Compressed = oldCompressed;
        throw;
    }
    Description = description;
    Ident = ident;
}

void TQORListItem::AssignBase(const TQORListItem& source)
{
    Compressed = source.Compressed;
    Description = source.Description;
    Ident = source.Ident;
}

void TQORListItem::Assign(const TQORListItem& source) { cannotAssign(source, *this); }

const QImage& TQORBitmapListItem::Bitmap()
{
    TQORItemOwner* list = Owner();
    if (!Loading() && m_bitmap.isNull() && list && list->BitmapsFromFile()) {
        BeginUpdate();
        try {
            list->LoadBitmapFromFile(Ident, m_bitmap);
        } catch (...) {
            EndUpdate(false);
            throw;
        }
        EndUpdate(false);
    }
    return m_bitmap;
}

void TQORBitmapListItem::SetBitmap(const QImage& bitmap)
{
    m_bitmap = bitmap;
    Change();
}

void TQORBitmapListItem::Clear() { m_bitmap = QImage(); }

std::uint8_t TQORBitmapListItem::StoredFlags() const
{
    return TQORListItem::StoredFlags() | PixelFormatFlags(PixelFormat);
}

void TQORBitmapListItem::Assign(const TQORListItem& source)
{
    const auto* bitmapItem = dynamic_cast<const TQORBitmapListItem*>(&source);
    if (!bitmapItem)
        cannotAssign(source, *this);
    AssignBase(source);
    m_bitmap = bitmapItem->m_bitmap;
    PixelFormat = bitmapItem->PixelFormat;
}

void TQORBitmapListItem::ReadContents(TStream& stream, std::uint8_t flags)
{
    QImage bitmap;
    if (flags & kItemHasContents)
        ReadBitmap(stream, bitmap, (flags & kItemCompressed) != 0);
    PixelFormat = PixelFormatFromFlags(flags);
    m_bitmap = bitmap;
}

void TQORBitmapListItem::WriteContents(TStream& stream) const
{
    if (!IsEmpty())
        WriteBitmap(stream, m_bitmap, Compressed, SavePixelFormatColors(PixelFormat));
}

void TQORStringListItem::SetItems(const TStringList& items)
{
    m_items.Assign(items);
    Change();
}

void TQORStringListItem::Clear() { m_items.Clear(); }

void TQORStringListItem::Assign(const TQORListItem& source)
{
    const auto* strings = dynamic_cast<const TQORStringListItem*>(&source);
    if (!strings)
        cannotAssign(source, *this);
    AssignBase(source);
    m_items.Assign(strings->m_items);
}

void TQORStringListItem::ReadContents(TStream& stream, std::uint8_t flags)
{
    TStringList items;
    if (flags & kItemHasContents)
        ReadStringList(stream, items, (flags & kItemCompressed) != 0);
    m_items.Assign(items);
}

void TQORStringListItem::WriteContents(TStream& stream) const
{
    if (!IsEmpty())
        WriteStringList(stream, m_items, Compressed);
}

void TQORWaveListItem::Assign(const TQORListItem& source)
{
    const auto* wave = dynamic_cast<const TQORWaveListItem*>(&source);
    if (!wave)
        cannotAssign(source, *this);
    AssignBase(source);
    m_wave.Assign(&wave->m_wave);
}

void TQORWaveListItem::ReadContents(TStream& stream, std::uint8_t flags)
{
    if (flags & kItemHasContents)
        ReadWave(stream, m_wave, (flags & kItemCompressed) != 0);
    else
        m_wave.Clear();
}

void TQORWaveListItem::WriteContents(TStream& stream) const
{
    if (!IsEmpty())
        WriteWave(stream, m_wave, Compressed);
}
