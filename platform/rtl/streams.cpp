#include "platform/rtl/streams.h"

#include "platform/rtl/codepage.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

// --- TStream -------------------------------------------------------------

std::int64_t TStream::Size()
{
    const std::int64_t position = Seek(0, soCurrent);
    const std::int64_t size = Seek(0, soEnd);
    Seek(position, soBeginning);
    return size;
}

void TStream::ReadBuffer(void* buffer, std::int64_t count)
{
    if (count < 0 || (count > 0 && Read(buffer, count) != count))
        throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, std::int64_t count)
{
    if (count < 0 || (count > 0 && Write(buffer, count) != count))
        throw EWriteError("Stream write error");
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count)
{
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    if (count < 0)
        throw EReadError("Stream read error");
    std::vector<char> buffer(static_cast<std::size_t>(std::min<std::int64_t>(count, 65536)));
    std::int64_t left = count;
    while (left > 0) {
        const std::int64_t n = std::min<std::int64_t>(left, static_cast<std::int64_t>(buffer.size()));
        source.ReadBuffer(buffer.data(), n);
        WriteBuffer(buffer.data(), n);
        left -= n;
    }
    return count;
}

// --- TFileStream ---------------------------------------------------------

TFileStream::TFileStream(const std::string& fileName, unsigned mode) : m_fileName(fileName)
{
    const std::string path = codepage::ToUtf8(ResolveFileName(fileName));
    if (mode == fmCreate) {
        m_fd = fileName.empty() ? -1 : ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (m_fd < 0)
            throw EFCreateError("Cannot create file \"" + fileName + "\"");
        return;
    }
    const unsigned access = mode & 0x3;
    const int flags = access == fmOpenWrite ? O_WRONLY : access == fmOpenReadWrite ? O_RDWR : O_RDONLY;
    m_fd = fileName.empty() || access == 0x3 ? -1 : ::open(path.c_str(), flags | O_CLOEXEC);
    struct stat st {};
    if (m_fd >= 0 && (::fstat(m_fd, &st) != 0 || S_ISDIR(st.st_mode))) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (m_fd < 0)
        throw EFOpenError("Cannot open file \"" + fileName + "\"");
}

TFileStream::~TFileStream()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::int64_t TFileStream::Read(void* buffer, std::int64_t count)
{
    std::int64_t done = 0;
    auto* out = static_cast<char*>(buffer);
    while (done < count) {
        const ssize_t n = ::read(m_fd, out + done, static_cast<std::size_t>(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

std::int64_t TFileStream::Write(const void* buffer, std::int64_t count)
{
    std::int64_t done = 0;
    const auto* in = static_cast<const char*>(buffer);
    while (done < count) {
        const ssize_t n = ::write(m_fd, in + done, static_cast<std::size_t>(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    const int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
    return static_cast<std::int64_t>(::lseek(m_fd, static_cast<off_t>(offset), whence));
}

void TFileStream::SetSize(std::int64_t newSize)
{
    if (newSize < 0 || ::ftruncate(m_fd, static_cast<off_t>(newSize)) != 0)
        throw EWriteError("Stream write error");
    if (Position() > newSize)
        Seek(newSize, soBeginning);
}

// --- TMemoryStream -------------------------------------------------------

std::int64_t TMemoryStream::Read(void* buffer, std::int64_t count)
{
    const std::int64_t available = Size() - m_position;
    if (count <= 0 || available <= 0)
        return 0;
    const std::int64_t n = std::min(count, available);
    std::memcpy(buffer, m_data.data() + m_position, static_cast<std::size_t>(n));
    m_position += n;
    return n;
}

std::int64_t TMemoryStream::Write(const void* buffer, std::int64_t count)
{
    if (count <= 0 || count > std::numeric_limits<std::int64_t>::max() - m_position)
        return 0;
    const std::int64_t end = m_position + count;
    if (end > Size())
        m_data.resize(static_cast<std::size_t>(end), '\0');
    std::memcpy(m_data.data() + m_position, buffer, static_cast<std::size_t>(count));
    m_position = end;
    return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    const std::int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? m_position : Size();
    if ((offset < 0 && base + offset < 0) || (offset > 0 && base > std::numeric_limits<std::int64_t>::max() - offset))
        return -1;
    m_position = base + offset;
    return m_position;
}

void TMemoryStream::SetSize(std::int64_t newSize)
{
    if (newSize < 0)
        throw EWriteError("Stream write error");
    m_data.resize(static_cast<std::size_t>(newSize), '\0');
    m_position = std::min(m_position, newSize);
}

void TMemoryStream::Clear()
{
    m_data.clear();
    m_position = 0;
}

void TMemoryStream::LoadFromStream(TStream& stream)
{
    stream.SetPosition(0);
    const std::int64_t size = stream.Size();
    std::string data(static_cast<std::size_t>(std::max<std::int64_t>(size, 0)), '\0');
    stream.ReadBuffer(data.data(), size);
    m_data = std::move(data);
    m_position = 0;
}

void TMemoryStream::SaveToStream(TStream& stream) const
{
    stream.WriteBuffer(m_data.data(), static_cast<std::int64_t>(m_data.size()));
}

void TMemoryStream::LoadFromFile(const std::string& fileName)
{
    std::string data;
    if (fileName.empty() || !ReadWholeFile(fileName, data))
        throw EFOpenError("Cannot open file \"" + fileName + "\"");
    m_data = std::move(data);
    m_position = 0;
}

void TMemoryStream::SaveToFile(const std::string& fileName) const
{
    if (fileName.empty() || !WriteFileAtomically(fileName, m_data))
        throw EFCreateError("Cannot create file \"" + fileName + "\"");
}

// --- TStringStream -------------------------------------------------------

TStringStream::TStringStream(std::string_view data)
{
    m_data = std::string(data);
}

std::string TStringStream::ReadString(std::int64_t count)
{
    const std::int64_t available = std::max<std::int64_t>(Size() - m_position, 0);
    const std::int64_t n = std::clamp<std::int64_t>(count, 0, available);
    std::string out = m_data.substr(static_cast<std::size_t>(std::min(m_position, Size())), static_cast<std::size_t>(n));
    m_position += n;
    return out;
}
