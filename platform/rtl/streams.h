#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

// Bytes read and written in order, with a position: files and memory alike.
class TStream {
public:
    virtual ~TStream() = default;

    // Up to count bytes; the number moved (0 at the end).
    virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
    virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
    // The new position, or -1 (position unchanged) when it would fall before the start.
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
    virtual std::int64_t Size();
    virtual void SetSize(std::int64_t newSize) = 0;

    std::int64_t Position() { return Seek(0, soCurrent); }
    void SetPosition(std::int64_t position) { Seek(position, soBeginning); }

    // All or nothing: EReadError "Stream read error" / EWriteError "Stream write error".
    void ReadBuffer(void* buffer, std::int64_t count);
    void WriteBuffer(const void* buffer, std::int64_t count);
    void WriteString(std::string_view bytes) { WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size())); }
    // count bytes from source's position; count 0 copies the whole of source from its start.
    std::int64_t CopyFrom(TStream& source, std::int64_t count);
};

inline constexpr unsigned fmOpenRead = 0x0000;
inline constexpr unsigned fmOpenWrite = 0x0001;
inline constexpr unsigned fmOpenReadWrite = 0x0002;
inline constexpr unsigned fmShareCompat = 0x0000;
inline constexpr unsigned fmShareExclusive = 0x0010;
inline constexpr unsigned fmShareDenyWrite = 0x0020;
inline constexpr unsigned fmShareDenyRead = 0x0030;
inline constexpr unsigned fmShareDenyNone = 0x0040;
inline constexpr unsigned fmCreate = 0xFFFF;

// A file opened by name (the last component found whatever its case). fmCreate makes
// or empties it; share flags are accepted and have no effect here.
// EFCreateError "Cannot create file "<name>"" or EFOpenError "Cannot open file "<name>"".
class TFileStream final : public TStream {
public:
    TFileStream(const std::string& fileName, unsigned mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Write(const void* buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    void SetSize(std::int64_t newSize) override;

    const std::string& FileName() const { return m_fileName; }

private:
    std::string m_fileName;
    int m_fd { -1 };
};

// Bytes held in memory; writing past the end makes room.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;

    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Write(const void* buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override { return static_cast<std::int64_t>(m_data.size()); }
    // New bytes are zero; the position is kept within the new size.
    void SetSize(std::int64_t newSize) override;

    char* Memory() { return m_data.data(); }
    const char* Memory() const { return m_data.data(); }
    void Clear();
    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream) const;
    // EFOpenError when the file cannot be read.
    void LoadFromFile(const std::string& fileName);
    // Replaces the file whole or not at all; EFCreateError otherwise.
    void SaveToFile(const std::string& fileName) const;

protected:
    std::string m_data;
    std::int64_t m_position { 0 };
};

// A memory stream over a string.
class TStringStream final : public TMemoryStream {
public:
    explicit TStringStream(std::string_view data = {});
    const std::string& DataString() const { return m_data; }
    // Up to count bytes from the position, as text.
    std::string ReadString(std::int64_t count);
};
