#pragma once

#include "kit/qorobject.h"
#include "kit/qorwave.h"
#include "platform/rtl/stringlist.h"

#include <QImage>

#include <cstdint>
#include <memory>
#include <string>

class TStream;
class TQORListItem;

// How many colours an item's bitmaps are stored at.
enum TQORSavePixelFormat : std::uint8_t { spfDefault, spfMono, spf4bit, spf8bit };

// The colour count of a pixel format as the bitmap blobs take it (-1: the bitmap's own).
int SavePixelFormatColors(TQORSavePixelFormat format);

// Flags byte of an item record.
inline constexpr std::uint8_t kItemCompressed = 0x01;
inline constexpr std::uint8_t kItemHasDescription = 0x02;
inline constexpr std::uint8_t kItemHasIdent = 0x04;
inline constexpr std::uint8_t kItemHasContents = 0x08;
inline constexpr std::uint8_t kItemMono = 0x10;
inline constexpr std::uint8_t kItemFourBit = 0x20;
inline constexpr std::uint8_t kItemEightBit = 0x40;

std::uint8_t PixelFormatFlags(TQORSavePixelFormat format);
TQORSavePixelFormat PixelFormatFromFlags(std::uint8_t flags);

// What an item asks of the list that holds it.
class TQORItemOwner {
public:
    // The list's linked controls hear of it, then its callback with the item as Sender.
    virtual void ItemChanged(TQORListItem* item) = 0;
    // Whether empty bitmap items are fetched from the list's list file.
    virtual bool BitmapsFromFile() const = 0;
    // Item ident of that list file into bitmap.
    virtual void LoadBitmapFromFile(int ident, QImage& bitmap) const = 0;

protected:
    ~TQORItemOwner() = default;
};

// One named resource of a list. Every item is written as the same record: a
// flags byte, the optional description and identifier, then its contents.
class TQORListItem : public TQORComponent {
public:
    explicit TQORListItem(TQORItemOwner* owner = nullptr) : m_owner(owner) {}

    std::string Description;
    std::uint16_t Ident { 0 };
    bool Compressed { false };

    TQORItemOwner* Owner() const { return m_owner; }

    // The item's own callback, then the owning list's with the item as Sender.
    void Change() override;

    virtual const char* ClassName() const = 0;
    virtual void Clear() = 0;
    virtual bool IsEmpty() const = 0;
    // The whole record. Reading refuses what the stream does not hold with EReadError.
    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream) const;
    virtual std::uint8_t StoredFlags() const;

    // From an item of the same class; other sources are refused with EConvertError.
    virtual void Assign(const TQORListItem& source);

protected:
    virtual void ReadContents(TStream& stream, std::uint8_t flags) = 0;
    virtual void WriteContents(TStream& stream) const = 0;
    void AssignBase(const TQORListItem& source);

private:
    friend class TQORCustomContainer;
    TQORItemOwner* m_owner;
};

class TQORBitmapListItem final : public TQORListItem {
public:
    using TQORListItem::TQORListItem;
    const char* ClassName() const override { return "TQORBitmapListItem"; }

    // Fetched from the list's source when empty (a list file; the items themselves otherwise).
    const QImage& Bitmap();
    const QImage& StoredBitmap() const { return m_bitmap; }
    void SetBitmap(const QImage& bitmap);
    TQORSavePixelFormat PixelFormat { spfDefault };

    void Clear() override;
    bool IsEmpty() const override { return m_bitmap.isNull(); }
    std::uint8_t StoredFlags() const override;
    void Assign(const TQORListItem& source) override;

protected:
    void ReadContents(TStream& stream, std::uint8_t flags) override;
    void WriteContents(TStream& stream) const override;

private:
    QImage m_bitmap;
};

class TQORStringListItem final : public TQORListItem {
public:
    using TQORListItem::TQORListItem;
    const char* ClassName() const override { return "TQORStringListItem"; }

    TStringList& Items() { return m_items; }
    const TStringList& Items() const { return m_items; }
    void SetItems(const TStringList& items);

    void Clear() override;
    bool IsEmpty() const override { return m_items.Count() == 0; }
    void Assign(const TQORListItem& source) override;

protected:
    void ReadContents(TStream& stream, std::uint8_t flags) override;
    void WriteContents(TStream& stream) const override;

private:
    TStringList m_items;
};

class TQORWaveListItem final : public TQORListItem {
public:
    using TQORListItem::TQORListItem;
    const char* ClassName() const override { return "TQORWaveListItem"; }

    TQORWave& Wave() { return m_wave; }
    const TQORWave& Wave() const { return m_wave; }
    void SetWave(const TQORWave& wave) { m_wave.Assign(&wave); }

    void Clear() override { m_wave.Clear(); }
    bool IsEmpty() const override { return m_wave.Empty(); }
    void Assign(const TQORListItem& source) override;

protected:
    void ReadContents(TStream& stream, std::uint8_t flags) override;
    void WriteContents(TStream& stream) const override;

private:
    TQORWave m_wave;
};
