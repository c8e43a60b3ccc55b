#pragma once

#include "net/socketbase.h"
#include "platform/rtl/streams.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Misuse of a buffered socket's buffers.
class EBufferedSocketException : public Exception {
public:
    using Exception::Exception;
};

// A read buffer that filled with nothing taken out: raised once, and the connection stays.
class EReadBufferFull final : public EBufferedSocketException, public TKeepsConnection {
public:
    using EBufferedSocketException::EBufferedSocketException;
};

class TBufferedSocketBase;
using TBufferedSocketNotifyEvent = std::function<void(TBufferedSocketBase* Socket)>;

// A stream socket that reads and writes through fixed buffers: every read notification
// empties the network into the read buffer, every write notification drains the write
// buffer, and whole streams can be sent or received on top.
class TBufferedSocketBase : public TStreamSocket {
public:
    static constexpr const char* ClassName = "TBufferedSocketBase";
    explicit TBufferedSocketBase(TSockCtrl* component);
    ~TBufferedSocketBase() override;

    void DoRead() override;
    void DoWrite() override;
    void DoConnect() override;
    // All transfer goes through the buffers.
    int Send(const void* buffer, int count) override;
    int Receive(void* buffer, int count) override;
    void Close() override;

    virtual void DoReadBufferEmpty();
    virtual void DoReadBufferFull();
    virtual void DoWriteBufferEmpty();
    virtual void DoWriteBufferFull();
    virtual void DoWriteBufferChange();
    virtual void DoReadBufferChange();
    virtual void DoFileSent();
    virtual void DoFileReceived();
    virtual bool ReadString(std::string& text, const std::string& terminator, bool keepTerminator);
    virtual bool WriteString(const std::string& text, const std::string& terminator);
    virtual bool WritePChar(const char* text, const char* terminator);
    virtual void FlushWriteBuffer();
    virtual void FillReadBuffer();

    int ReadBufferSize() const { return static_cast<int>(m_readBuffer.size()); }
    void SetReadBufferSize(int size);
    int WriteBufferSize() const { return static_cast<int>(m_writeBuffer.size()); }
    void SetWriteBufferSize(int size);
    int RecordSize() const { return m_recordSize; }
    void SetRecordSize(int size);
    int ReadCount() const { return m_readCount; }
    int WriteCount() const { return m_writeCount; }

    // Sends the stream from its start; owns: freed when done.
    void SendStream(TStream* stream, bool owns);
    // Takes the next count bytes into the stream; owns: freed when done.
    void ReceiveStream(TStream* stream, std::int64_t count, bool owns);
    std::int64_t SendStreamPosition();
    std::int64_t ReceiveStreamPosition();
    bool Sending() const { return m_sending; }
    bool Receiving() const { return m_receiving; }

    TBufferedSocketNotifyEvent OnWriteBufferEmpty;
    TBufferedSocketNotifyEvent OnWriteBufferFull;
    TBufferedSocketNotifyEvent OnReadBufferEmpty;
    TBufferedSocketNotifyEvent OnReadBufferFull;
    TBufferedSocketNotifyEvent OnWriteBufferChange;
    TBufferedSocketNotifyEvent OnReadBufferChange;
    TBufferedSocketNotifyEvent OnFileSent;
    TBufferedSocketNotifyEvent OnFileReceived;

protected:
    virtual int Read(void* buffer, int count);
    virtual int ReadToStream(TStream& stream, int count);
    virtual bool ReadBlock(void* buffer, int count);
    virtual bool ReadRecord(void* buffer);
    virtual int Write(const void* buffer, int count);
    virtual int WriteFromStream(TStream& stream, int count);
    virtual bool WriteBlock(const void* buffer, int count);
    virtual bool WriteRecord(const void* buffer);

    const char* ReadData() const { return m_readBuffer.data() + m_readStart; }
    // The bytes one notification may move: a buffer's worth at least, so a flood leaves
    // the event loop time for timers, painting and other connections.
    static constexpr int kBytesPerNotification = 64 * 1024;
    // Takes up to a notification's worth off the network in one receive and hands it to
    // the read buffer from memory: the buffer's size still bounds what it holds.
    void EnableReadAhead() { m_readAhead = true; }
    // Set by ReceiveFile: a reception the peer ends early removes it.
    std::string m_receiveFileName;

private:
    void PullUpRead(int count);
    // Moves what is held to the buffer's start, so the network can fill the rest.
    void CompactRead();
    void PullUpWrite(int count);
    // Moves what is held to the buffer's start unless needed bytes fit behind it.
    void CompactWrite(int needed);
    char* WriteEnd() { return m_writeBuffer.data() + m_writeStart + m_writeCount; }
    void Appended();
    void Refill();
    void Feed();
    // The next bytes for the read buffer: what was read ahead first, then the network.
    int Take(char* into, int count, int budget);
    // Another read notification, for bytes read ahead that the buffer had no room for.
    void ContinueReadLater();
    void EndSending();
    void EndReceiving();
    void AbandonReceivedFile();
    // Another write notification, for a flush that stopped while the network still took data.
    void ContinueFlushLater();
    static std::vector<char> Resized(const std::vector<char>& buffer, int held, int size);

    std::vector<char> m_readBuffer;
    std::vector<char> m_writeBuffer;
    // Received but not yet in the read buffer: m_aheadCount bytes from m_aheadStart on.
    std::vector<char> m_ahead;
    int m_aheadStart { 0 };
    int m_aheadCount { 0 };
    bool m_readAhead { false };
    bool m_readPosted { false };
    // Held bytes are m_readCount from m_readStart on: taking a line moves the start,
    // not the bytes behind it.
    int m_readStart { 0 };
    int m_readCount { 0 };
    // Held bytes to send are m_writeCount from m_writeStart on, like the read side's.
    int m_writeStart { 0 };
    int m_writeCount { 0 };
    int m_recordSize { 16 };
    bool m_ownsSendStream { false };
    bool m_ownsReceiveStream { false };
    bool m_sending { false };
    bool m_receiving { false };
    TStream* m_receiveStream { nullptr };
    TStream* m_sendStream { nullptr };
    std::int64_t m_receiveTotal { 0 };
    std::int64_t m_received { 0 };
    bool m_fullRaised { false };
    bool m_stalled { false };
    bool m_flushPosted { false };
};

// The buffered socket the binary components and the file transfer use.
class TBufferedSocket : public TBufferedSocketBase {
public:
    static constexpr const char* ClassName = "TBufferedSocket";
    using TBufferedSocketBase::TBufferedSocketBase;

    using TBufferedSocketBase::Read;
    using TBufferedSocketBase::ReadBlock;
    using TBufferedSocketBase::ReadRecord;
    using TBufferedSocketBase::ReadToStream;
    using TBufferedSocketBase::Write;
    using TBufferedSocketBase::WriteBlock;
    using TBufferedSocketBase::WriteFromStream;
    using TBufferedSocketBase::WriteRecord;

    // Opens the file for reading and sends it whole.
    void SendFile(const std::string& fileName);
    // Creates (or empties) the file and receives count bytes into it.
    void ReceiveFile(const std::string& fileName, std::int64_t count);
};
