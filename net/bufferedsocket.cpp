#include "net/bufferedsocket.h"

#include "platform/rtl/sysutils.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

const char* const kNoSendRecv = "Recv or Send cannot be called on a buffered socket.";
const char* const kBlockZero = "Cannot read block/record - size is zero.";
const char* const kWriteFull = "Write buffer full, user did not flush";
const char* const kBlockTooLarge = "Block size is larger than buffer size.";
const char* const kDataLost = "Cannot change buffer size - data will be lost.";
const char* const kPullUp = "Cannot pull up buffer - amount to pull up larger than total buffer.";
const char* const kReadFull = "Read buffer full, user did not flush";
const char* const kAlreadySending = "Already sending a stream.";
const char* const kAlreadyReceiving = "Already receiving a stream.";
const char* const kRecordSize = "Record size must be greater than zero.";

constexpr int kDefaultBufferSize = 1024;

}  // namespace

TBufferedSocketBase::TBufferedSocketBase(TSockCtrl* component)
    : TStreamSocket(component), m_readBuffer(kDefaultBufferSize, 0), m_writeBuffer(kDefaultBufferSize, 0)
{
}

TBufferedSocketBase::~TBufferedSocketBase()
{
    if (m_ownsSendStream)
        delete m_sendStream;
    if (m_ownsReceiveStream)
        delete m_receiveStream;
}

int TBufferedSocketBase::Send(const void*, int) { throw EBufferedSocketException(kNoSendRecv); }
int TBufferedSocketBase::Receive(void*, int) { throw EBufferedSocketException(kNoSendRecv); }

void TBufferedSocketBase::DoRead()
{
    auto keep = weak_from_this().lock();
    m_readPosted = false;
    try {
        FillReadBuffer();
    } catch (const EReadBufferFull&) {
        // The bytes that filled the buffer are the reader's: it reads them first, and
        // hears of the full buffer only when it left the buffer full.
        TStreamSocket::DoRead();
        if (m_readCount >= ReadBufferSize())
            throw;
        m_fullRaised = false;
        return;
    }
    TStreamSocket::DoRead();
}

void TBufferedSocketBase::DoWrite()
{
    auto keep = weak_from_this().lock();
    m_flushPosted = false;
    FlushWriteBuffer();
    TStreamSocket::DoWrite();
}

void TBufferedSocketBase::DoConnect()
{
    auto keep = weak_from_this().lock();
    // Lines written while the connect was under way go out first.
    if (Connected())
        FlushWriteBuffer();
    TStreamSocket::DoConnect();
}

void TBufferedSocketBase::DoReadBufferEmpty()
{
    if (OnReadBufferEmpty)
        OnReadBufferEmpty(this);
}

void TBufferedSocketBase::DoReadBufferFull()
{
    if (OnReadBufferFull)
        OnReadBufferFull(this);
    if (m_readCount < ReadBufferSize())
        return;
    // Later notifications take nothing in and still fire OnRead, so the reader can
    // catch up; the connection stays, and the reader hears of it once.
    m_stalled = true;
    if (!m_fullRaised) {
        m_fullRaised = true;
        throw EReadBufferFull(kReadFull);
    }
}

void TBufferedSocketBase::DoWriteBufferEmpty()
{
    if (m_sending && m_sendStream && m_sendStream->Position() >= m_sendStream->Size()) {
        EndSending();
        DoFileSent();
    }
    if (OnWriteBufferEmpty)
        OnWriteBufferEmpty(this);
}

void TBufferedSocketBase::DoWriteBufferFull()
{
    if (OnWriteBufferFull)
        OnWriteBufferFull(this);
}

void TBufferedSocketBase::DoWriteBufferChange()
{
    if (OnWriteBufferChange)
        OnWriteBufferChange(this);
}

void TBufferedSocketBase::DoReadBufferChange()
{
    if (OnReadBufferChange)
        OnReadBufferChange(this);
}

void TBufferedSocketBase::DoFileSent()
{
    if (OnFileSent)
        OnFileSent(this);
}

void TBufferedSocketBase::DoFileReceived()
{
    if (OnFileReceived)
        OnFileReceived(this);
}

void TBufferedSocketBase::PullUpRead(int count)
{
    if (count > ReadBufferSize())
        throw EBufferedSocketException(kPullUp);
    if (count <= 0)
        return;
    m_readCount -= count;
    m_readStart = m_readCount == 0 ? 0 : m_readStart + count;
    if (m_stalled) {
        // A full buffer stopped taking bytes in, and so stopped the read notifications:
        // receiving (even nothing) arms them again.
        m_stalled = false;
        if (m_aheadCount > 0)
            ContinueReadLater();
        else if (m_handle != winsock::INVALID_SOCKET && Connected())
            WinsockAPI().recv(m_handle, m_readBuffer.data(), 0, 0);
    }
    if (m_readCount == 0)
        DoReadBufferEmpty();
}

void TBufferedSocketBase::CompactRead()
{
    if (m_readStart == 0)
        return;
    std::memmove(m_readBuffer.data(), m_readBuffer.data() + m_readStart, static_cast<std::size_t>(m_readCount));
    m_readStart = 0;
}

void TBufferedSocketBase::PullUpWrite(int count)
{
    if (count > WriteBufferSize())
        throw EBufferedSocketException(kPullUp);
    if (count <= 0)
        return;
    m_writeCount -= count;
    m_writeStart = m_writeCount == 0 ? 0 : m_writeStart + count;
    if (m_writeCount == 0)
        DoWriteBufferEmpty();
}

void TBufferedSocketBase::CompactWrite(int needed)
{
    if (m_writeStart == 0 || WriteBufferSize() - m_writeStart - m_writeCount >= needed)
        return;
    std::memmove(m_writeBuffer.data(), m_writeBuffer.data() + m_writeStart, static_cast<std::size_t>(m_writeCount));
    m_writeStart = 0;
}

void TBufferedSocketBase::Appended()
{
    if (m_writeCount == WriteBufferSize())
        DoWriteBufferFull();
}

int TBufferedSocketBase::Read(void* buffer, int count)
{
    const int n = std::clamp(count, 0, m_readCount);
    std::memcpy(buffer, ReadData(), static_cast<std::size_t>(n));
    PullUpRead(n);
    return n;
}

int TBufferedSocketBase::ReadToStream(TStream& stream, int count)
{
    const int n = std::clamp(count, 0, m_readCount);
    stream.WriteBuffer(ReadData(), n);
    PullUpRead(n);
    return n;
}

bool TBufferedSocketBase::ReadBlock(void* buffer, int count)
{
    if (count == 0)
        throw EBufferedSocketException(kBlockZero);
    if (count < 0 || m_readCount < count)
        return false;
    std::memcpy(buffer, ReadData(), static_cast<std::size_t>(count));
    PullUpRead(count);
    return true;
}

bool TBufferedSocketBase::ReadRecord(void* buffer) { return ReadBlock(buffer, m_recordSize); }

int TBufferedSocketBase::Write(const void* buffer, int count)
{
    if (count > WriteBufferSize())
        throw EBufferedSocketException(kWriteFull);
    const int n = std::clamp(count, 0, WriteBufferSize() - m_writeCount);
    if (n == 0)
        return 0;
    CompactWrite(n);
    std::memcpy(WriteEnd(), buffer, static_cast<std::size_t>(n));
    m_writeCount += n;
    Appended();
    return n;
}

int TBufferedSocketBase::WriteFromStream(TStream& stream, int count)
{
    if (count > WriteBufferSize())
        throw EBufferedSocketException(kWriteFull);
    const int n = std::clamp(count, 0, WriteBufferSize() - m_writeCount);
    if (n == 0)
        return 0;
    CompactWrite(n);
    const auto got = static_cast<int>(stream.Read(WriteEnd(), n));
    if (got <= 0)
        return 0;
    m_writeCount += got;
    Appended();
    return got;
}

bool TBufferedSocketBase::WriteBlock(const void* buffer, int count)
{
    if (count > WriteBufferSize() - m_writeCount)
        throw EBufferedSocketException(kBlockTooLarge);
    if (count <= 0)
        return true;
    CompactWrite(count);
    std::memcpy(WriteEnd(), buffer, static_cast<std::size_t>(count));
    m_writeCount += count;
    Appended();
    return true;
}

bool TBufferedSocketBase::WriteRecord(const void* buffer) { return WriteBlock(buffer, m_recordSize); }

bool TBufferedSocketBase::ReadString(std::string& text, const std::string& terminator, bool keepTerminator)
{
    if (terminator.empty() || m_readCount < static_cast<int>(terminator.size()))
        return false;
    const char* begin = ReadData();
    const char* last = begin + m_readCount - terminator.size();
    const char first = terminator[0];
    const std::size_t rest = terminator.size() - 1;
    // memchr to each candidate first byte: the search runs at memory speed.
    const char* found = begin;
    for (;;) {
        found = static_cast<const char*>(std::memchr(found, first, static_cast<std::size_t>(last - found + 1)));
        if (!found)
            return false;
        if (rest == 0 || std::memcmp(found + 1, terminator.data() + 1, rest) == 0)
            break;
        if (++found > last)
            return false;
    }
    const auto length = static_cast<std::size_t>(found - begin);
    text.assign(begin, length + (keepTerminator ? terminator.size() : 0));
    PullUpRead(static_cast<int>(length + terminator.size()));
    return true;
}

bool TBufferedSocketBase::WriteString(const std::string& text, const std::string& terminator)
{
    const std::size_t needed = text.size() + terminator.size();
    if (needed > static_cast<std::size_t>(WriteBufferSize() - m_writeCount))
        return false;
    bool ok = WriteBlock(text.data(), static_cast<int>(text.size()));
    if (ok && !terminator.empty())
        ok = WriteBlock(terminator.data(), static_cast<int>(terminator.size()));
    return ok;
}

bool TBufferedSocketBase::WritePChar(const char* text, const char* terminator)
{
    return TBufferedSocketBase::WriteString(text ? text : "", terminator ? terminator : "");
}

void TBufferedSocketBase::FlushWriteBuffer()
{
    if (m_writeCount == 0)
        return;
    auto keep = weak_from_this().lock();
    try {
        int budget = std::max(WriteBufferSize(), kBytesPerNotification);
        int sent = 0;
        do {
            sent = TStreamSocket::Send(m_writeBuffer.data() + m_writeStart, m_writeCount);
            if (sent > 0) {
                budget -= sent;
                PullUpWrite(sent);
                DoWriteBufferChange();
                if (m_sending)
                    Refill();
            }
        } while (sent > 0 && m_writeCount > 0 && budget > 0 && m_component);
        if (sent > 0 && m_writeCount > 0 && m_component)
            ContinueFlushLater();
    } catch (const ESockError&) {
        if (m_lastError != winsock::WSAECONNRESET)
            throw;
        DoDisconnect();
    }
}

void TBufferedSocketBase::FillReadBuffer()
{
    auto keep = weak_from_this().lock();
    try {
        // What is left after the budget comes with the next read notification, which
        // the receive has armed already.
        int budget = std::max(ReadBufferSize(), kBytesPerNotification);
        int got = 0;
        do {
            got = 0;
            CompactRead();
            const int room = std::min(ReadBufferSize() - m_readCount, budget);
            if (room > 0)
                got = Take(m_readBuffer.data() + m_readCount, room, budget);
            if (got > 0) {
                budget -= got;
                m_readCount += got;
                DoReadBufferChange();
                Feed();
                if (m_readCount == ReadBufferSize())
                    DoReadBufferFull();
            }
        } while (got > 0 && budget > 0 && Connected() && m_component);
        // Bytes taken off the network no longer raise a notification of their own.
        if (m_aheadCount > 0 && !m_stalled && Connected() && m_component)
            ContinueReadLater();
    } catch (const ESockError&) {
        if (m_lastError != winsock::WSAECONNRESET)
            throw;
        DoDisconnect();
    }
}

void TBufferedSocketBase::Close()
{
    auto keep = weak_from_this().lock();
    TStreamSocket::Close();
    EndSending();
    AbandonReceivedFile();
    EndReceiving();
    // Nothing of this connection may lead the next one.
    m_readStart = 0;
    m_readCount = 0;
    m_aheadStart = 0;
    m_aheadCount = 0;
    std::vector<char>().swap(m_ahead);
    m_readPosted = false;
    m_writeStart = 0;
    m_writeCount = 0;
    m_fullRaised = false;
    m_stalled = false;
    m_flushPosted = false;
}

std::vector<char> TBufferedSocketBase::Resized(const std::vector<char>& buffer, int held, int size)
{
    if (size <= 0 || size < held)
        throw EBufferedSocketException(kDataLost);
    std::vector<char> resized(static_cast<std::size_t>(size), 0);
    std::memcpy(resized.data(), buffer.data(), static_cast<std::size_t>(held));
    return resized;
}

void TBufferedSocketBase::SetReadBufferSize(int size)
{
    if (size == ReadBufferSize())
        return;
    CompactRead();
    m_readBuffer = Resized(m_readBuffer, m_readCount, size);
}

void TBufferedSocketBase::SetWriteBufferSize(int size)
{
    if (size == WriteBufferSize())
        return;
    CompactWrite(WriteBufferSize());
    m_writeBuffer = Resized(m_writeBuffer, m_writeCount, size);
}

void TBufferedSocketBase::SetRecordSize(int size)
{
    if (size <= 0)
        throw EBufferedSocketException(kRecordSize);
    if (size > ReadBufferSize() || size > WriteBufferSize())
        throw EBufferedSocketException(kDataLost);
    m_recordSize = size;
}

void TBufferedSocketBase::Refill()
{
    if (!m_sending || !m_sendStream)
        return;
    const std::int64_t left = m_sendStream->Size() - m_sendStream->Position();
    // Only the room behind the held bytes: topping up never moves what waits to go out.
    const int room = WriteBufferSize() - m_writeStart - m_writeCount;
    const int n = static_cast<int>(std::min<std::int64_t>(left, room));
    if (n > 0)
        WriteFromStream(*m_sendStream, n);
}

void TBufferedSocketBase::Feed()
{
    if (!m_receiving || !m_receiveStream)
        return;
    const int n = static_cast<int>(std::min<std::int64_t>(m_readCount, m_receiveTotal - m_received));
    if (n > 0)
        m_received += ReadToStream(*m_receiveStream, n);
    if (m_receiving && m_received >= m_receiveTotal) {
        EndReceiving();
        DoFileReceived();
    }
}

int TBufferedSocketBase::Take(char* into, int count, int budget)
{
    if (m_aheadCount == 0) {
        if (!m_readAhead || m_ahead.empty()) {
            const int got = TStreamSocket::Receive(into, count);
            // A receive that fills all the room offered means more is coming: only such a
            // connection gets the memory to read ahead.
            if (m_readAhead && got == count)
                m_ahead.resize(kBytesPerNotification);
            return got;
        }
        // No more than the notification may move, so a notification empties what it read.
        const int got = TStreamSocket::Receive(m_ahead.data(), std::min(static_cast<int>(m_ahead.size()), std::max(budget, count)));
        if (got <= 0)
            return got;
        m_aheadStart = 0;
        m_aheadCount = got;
    }
    const int n = std::min(count, m_aheadCount);
    std::memcpy(into, m_ahead.data() + m_aheadStart, static_cast<std::size_t>(n));
    m_aheadStart += n;
    m_aheadCount -= n;
    return n;
}

void TBufferedSocketBase::ContinueReadLater()
{
    if (m_readPosted || !OwnerWindow() || m_handle == winsock::INVALID_SOCKET)
        return;
    m_readPosted = PostMessage(OwnerWindow(), WM_SOCKET_SELECT, m_handle, winsock::WSAMAKESELECTREPLY(winsock::FD_READ, 0));
}

void TBufferedSocketBase::EndSending()
{
    if (m_ownsSendStream)
        delete m_sendStream;
    m_sendStream = nullptr;
    m_ownsSendStream = false;
    m_sending = false;
}

void TBufferedSocketBase::EndReceiving()
{
    if (m_ownsReceiveStream)
        delete m_receiveStream;
    m_receiveStream = nullptr;
    m_ownsReceiveStream = false;
    m_receiving = false;
    m_receiveFileName.clear();
}

void TBufferedSocketBase::AbandonReceivedFile()
{
    if (!m_receiving || m_receiveFileName.empty())
        return;
    const std::string fileName = m_receiveFileName;
    const std::int64_t received = m_received;
    const std::int64_t total = m_receiveTotal;
    EndReceiving();
    // Half a file under its final name would pass for the whole one.
    const bool removed = DeleteFile(fileName);
    std::fprintf(stderr, "[net] %s: reception ended after %lld of %lld bytes; %s\n", fileName.c_str(),
                 static_cast<long long>(received), static_cast<long long>(total),
                 removed ? "the partial file was removed" : "the partial file could not be removed");
}

void TBufferedSocketBase::ContinueFlushLater()
{
    if (m_flushPosted || !OwnerWindow() || m_handle == winsock::INVALID_SOCKET)
        return;
    m_flushPosted = PostMessage(OwnerWindow(), WM_SOCKET_SELECT, m_handle, winsock::WSAMAKESELECTREPLY(winsock::FD_WRITE, 0));
}

void TBufferedSocketBase::SendStream(TStream* stream, bool owns)
{
    if (m_sending) {
        if (owns)
            delete stream;
        throw Exception(kAlreadySending);
    }
    auto keep = weak_from_this().lock();
    m_sendStream = stream;
    m_ownsSendStream = owns;
    m_sending = true;
    stream->Seek(0, soBeginning);
    Refill();
    FlushWriteBuffer();
    // A stream with nothing in it never empties the write buffer: it is sent at once.
    if (m_sending && m_writeCount == 0 && m_sendStream->Position() >= m_sendStream->Size()) {
        EndSending();
        DoFileSent();
    }
}

void TBufferedSocketBase::ReceiveStream(TStream* stream, std::int64_t count, bool owns)
{
    if (m_receiving) {
        if (owns)
            delete stream;
        throw Exception(kAlreadyReceiving);
    }
    m_receiveStream = stream;
    m_ownsReceiveStream = owns;
    m_receiving = true;
    m_receiveTotal = count < 0 ? 0 : count;
    m_received = 0;
    Feed();
}

std::int64_t TBufferedSocketBase::SendStreamPosition()
{
    if (!m_sending || !m_sendStream)
        throw Exception("Cannot get stream position - not sending any stream");
    return m_sendStream->Position();
}

std::int64_t TBufferedSocketBase::ReceiveStreamPosition()
{
    if (!m_receiving || !m_receiveStream)
        throw Exception("Cannot get stream position - not receiving any stream");
    return m_receiveStream->Position();
}

void TBufferedSocket::SendFile(const std::string& fileName)
{
    if (Sending())
        throw Exception(kAlreadySending);
    SendStream(new TFileStream(fileName, fmOpenRead | fmShareDenyWrite), true);
}

void TBufferedSocket::ReceiveFile(const std::string& fileName, std::int64_t count)
{
    if (Receiving())
        throw Exception(kAlreadyReceiving);
    ReceiveStream(new TFileStream(fileName, fmCreate), count, true);
    if (Receiving())
        m_receiveFileName = fileName;
}
