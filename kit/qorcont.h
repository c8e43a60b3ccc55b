#pragma once

#include "kit/qorchangelink.h"
#include "kit/qorimageitem.h"
#include "kit/qorlistitem.h"
#include "kit/qorobject.h"
#include "kit/qorprocs.h"
#include "platform/ui/graphics.h"

#include <QImage>
#include <QList>
#include <QPoint>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QPainter;
class TStream;

// List kinds, also the kinds list files announce (5: none of them).
enum : std::uint8_t { lkImageList = 0, lkBitmapList = 1, lkWaveList = 2, lkStringList = 3, lkRichTextList = 4, lkUnknown = 5 };

// Base of every kit container: its changes reach the controls linked to it.
class TQORBaseContainer : public TQORComponent {
public:
    ~TQORBaseContainer() override;

    // Sets link.Sender to this container and appends it to the links told of changes.
    void RegisterChanges(TQORChangeLink* link);
    void UnRegisterChanges(TQORChangeLink* link);
    // The linked controls hear of the change first.
    void Change() override;
    // Tells the linked controls that the contents changed (an item's own change).
    void NotifyLinks();

private:
    std::vector<TQORChangeLink*> m_links;
};

// A list owning its items in order, written to streams and list files.
class TQORCustomContainer : public TQORBaseContainer, public TQORItemOwner {
public:
    ~TQORCustomContainer() override;

    bool DefaultCompressed { false };
    // Where items come from: 0 the items themselves; 1 a list file named
    // SourceFileName in the SourcePrefix folder.
    qorprocs::TQORPathPrefix SourcePrefix { qorprocs::ppProgram };
    std::uint8_t SourceKind { 0 };
    std::string SourceFileName;

    std::uint8_t ListKind() const { return m_listKind; }
    int Count() const { return static_cast<int>(m_items.size()); }
    TQORListItem* Item(int index) const;

    // Appends item (taking it) or a new item of the list's class; returns its index.
    int AddItem(std::unique_ptr<TQORListItem> item = nullptr);
    void AddFrom(const TQORCustomContainer& other);
    void ClearItems();
    // From a list of the same class; EConvertError otherwise.
    virtual void Assign(const TQORCustomContainer& source);

    // A refused stream keeps the items read before the bad one.
    virtual void LoadFromStream(TStream& stream, bool withOffsets);
    virtual void SaveToStream(TStream& stream, bool withOffsets) const;

    virtual std::unique_ptr<TQORListItem> NewItem() = 0;
    virtual const char* ClassName() const = 0;

    void ItemChanged(TQORListItem* item) override;
    // Source kind 1 is a list file.
    bool BitmapsFromFile() const override { return SourceKind == 1; }
    void LoadBitmapFromFile(int ident, QImage& bitmap) const override;

protected:
    explicit TQORCustomContainer(std::uint8_t listKind) : m_listKind(listKind) {}

private:
    std::vector<std::unique_ptr<TQORListItem>> m_items;
    std::uint8_t m_listKind;
};

// Lists whose items are pictures, drawn by list index and image index.
class TQORCustomImageList : public TQORCustomContainer {
public:
    TQORSavePixelFormat DefaultPixelFormat { spfDefault };
    std::int32_t Reserved { 0 };

    void Assign(const TQORCustomContainer& source) override;

    // which 0 width, 1 height; 0 otherwise and out of range.
    virtual int GetItemDimension(int listIndex, int which) const = 0;
    virtual int ImageCount(int listIndex) const = 0;
    virtual bool IsValidIndex(int listIndex, int imageIndex) const = 0;
    virtual void GetBitmap(int listIndex, int imageIndex, QImage* dest) const = 0;
    virtual bool IsMasked(int listIndex) const = 0;
    // The colour table; empty out of range or for direct colour.
    virtual QList<QRgb> GetPalette(int listIndex) const = 0;
    // clWhite out of range.
    virtual TColor GetTransparentColor(int listIndex, int imageIndex) const = 0;
    virtual TColor GetPixelColor(QPoint point, int listIndex, int imageIndex) const = 0;
    // Nothing is drawn for an index out of range. flags: the bitmap routines' db* flags.
    virtual void Draw(QPainter& canvas, int x, int y, int listIndex, int imageIndex) const = 0;
    virtual void DrawInRect(QPainter& canvas, const qorprocs::TRect& rect, int listIndex, int imageIndex,
                            std::uint16_t flags) const = 0;
    // offset: low word x, high word y of the clip rectangle's shift.
    virtual void DrawInRectClipped(QPainter& canvas, const qorprocs::TRect& rect, int listIndex, int imageIndex,
                                   TColor color, std::uint32_t offset, std::uint16_t flags) const = 0;

protected:
    using TQORCustomContainer::TQORCustomContainer;
};

class TQORBitmapList final : public TQORCustomImageList {
public:
    TQORBitmapList() : TQORCustomImageList(lkBitmapList) {}
    std::unique_ptr<TQORListItem> NewItem() override;
    const char* ClassName() const override { return "TQORBitmapList"; }
    TQORBitmapListItem* Bitmaps(int index) const;

    int GetItemDimension(int listIndex, int which) const override;
    int ImageCount(int listIndex) const override;
    bool IsValidIndex(int listIndex, int imageIndex) const override;
    void GetBitmap(int listIndex, int imageIndex, QImage* dest) const override;
    bool IsMasked(int) const override { return false; }
    QList<QRgb> GetPalette(int listIndex) const override;
    TColor GetTransparentColor(int listIndex, int imageIndex) const override;
    TColor GetPixelColor(QPoint point, int listIndex, int imageIndex) const override;
    void Draw(QPainter& canvas, int x, int y, int listIndex, int imageIndex) const override;
    void DrawInRect(QPainter& canvas, const qorprocs::TRect& rect, int listIndex, int imageIndex,
                    std::uint16_t flags) const override;
    void DrawInRectClipped(QPainter& canvas, const qorprocs::TRect& rect, int listIndex, int imageIndex,
                           TColor color, std::uint32_t offset, std::uint16_t flags) const override;

private:
    const QImage* bitmapAt(int listIndex) const;
};

class TQORImageList final : public TQORCustomImageList {
public:
    TQORImageList() : TQORCustomImageList(lkImageList) {}
    std::unique_ptr<TQORListItem> NewItem() override;
    const char* ClassName() const override { return "TQORImageList"; }
    TQORImageListItem* Images(int index) const;
    void Assign(const TQORCustomContainer& source) override;

    int GetItemDimension(int listIndex, int which) const override;
    // -1 out of range.
    int ImageCount(int listIndex) const override;
    bool IsValidIndex(int listIndex, int imageIndex) const override;
    void GetBitmap(int listIndex, int imageIndex, QImage* dest) const override;
    bool IsMasked(int listIndex) const override;
    QList<QRgb> GetPalette(int listIndex) const override;
    TColor GetTransparentColor(int listIndex, int imageIndex) const override;
    TColor GetPixelColor(QPoint point, int listIndex, int imageIndex) const override;
    // The cell at (x, y) by its item's mask style.
    void Draw(QPainter& canvas, int x, int y, int listIndex, int imageIndex) const override;
    // Masked items through their mask strip, others transparent by the cell's bottom-left colour.
    void DrawInRect(QPainter& canvas, const qorprocs::TRect& rect, int listIndex, int imageIndex,
                    std::uint16_t flags) const override;
    void DrawInRectClipped(QPainter& canvas, const qorprocs::TRect& rect, int listIndex, int imageIndex,
                           TColor color, std::uint32_t offset, std::uint16_t flags) const override;
};

class TQORStringList final : public TQORCustomContainer {
public:
    TQORStringList() : TQORCustomContainer(lkStringList) {}
    std::unique_ptr<TQORListItem> NewItem() override;
    const char* ClassName() const override { return "TQORStringList"; }
    TQORStringListItem* Strings(int index) const;
};

class TQORWaveList final : public TQORCustomContainer {
public:
    TQORWaveList() : TQORCustomContainer(lkWaveList) {}
    std::unique_ptr<TQORListItem> NewItem() override;
    const char* ClassName() const override { return "TQORWaveList"; }
    TQORWaveListItem* Waves(int index) const;
};

// One list of each kind; a change of any of them is a change of the container.
class TQORContainer final : public TQORBaseContainer {
public:
    TQORContainer();
    ~TQORContainer() override;

    TQORBitmapList& BitmapList() { return *m_bitmapList; }
    TQORImageList& ImageList() { return *m_imageList; }
    TQORStringList& StringList() { return *m_stringList; }
    TQORWaveList& WaveList() { return *m_waveList; }

private:
    std::unique_ptr<TQORBitmapList> m_bitmapList;
    std::unique_ptr<TQORImageList> m_imageList;
    std::unique_ptr<TQORStringList> m_stringList;
    std::unique_ptr<TQORWaveList> m_waveList;
};

// The kit's one container, made by the kit's initialisation; nullptr outside it.
TQORContainer* QORContainer();
void QORCreateContainer();
void QORFreeContainer();

// "iml", "bmp", "wav", "txt", "rtf" (with a leading dot when asked); "" for other kinds.
std::string ListKindExtension(int kind, bool withDot);
// The kind a list file announces (lkUnknown for none), its count (-1 when
// unreadable) and, for a known kind, its item offsets. A count or an offset
// the file cannot hold is refused with EReadError.
int ReadListFileHeader(const std::string& fileName, int& count, std::vector<std::int32_t>* offsets);
// Reads item index of a list file of the given kind into item. Another kind:
// Exception "Cannot open file <name>"; an index out of range: EListError.
bool ReadListFileItem(const std::string& fileName, int kind, const std::vector<std::int32_t>* offsets,
                      TQORListItem& item, int index);
// Item ident of a bitmap list file into bitmap.
void LoadBitmapFromListFile(const std::string& fileName, int ident, QImage& bitmap);
