#include "net/linesocket.h"

std::string LineTerminator(TLineSocketType type)
{
    switch (type) {
    case lstCR: return "\r";
    case lstLF: return "\n";
    case lstCRLF: return "\r\n";
    }
    return "\r\n";
}

TLineSocketBase::TLineSocketBase(TSockCtrl* component)
    : TBufferedSocketBase(component)
{
    // Lines are short and come many to a packet: one receive a notification, not one a buffer.
    EnableReadAhead();
}

void TLineSocketBase::DoLineReceived(const std::string& line, bool complete)
{
    if (OnLineReceived)
        OnLineReceived(this, line, complete);
}

bool TLineSocketBase::ReadLine()
{
    // A socket whose component is gone delivers nothing more.
    if (!(LineOptions & lsoLineReceivedEvents) || !Component())
        return false;
    std::string line;
    if (!ReadString(line, LineTerminator(LineType), (LineOptions & lsoReturnLineChars) != 0))
        return false;
    DoLineReceived(line, true);
    return true;
}

bool TLineSocketBase::WriteLine(const std::string& text)
{
    return WriteString(text, (LineOptions & lsoAddLineChars) ? LineTerminator(LineType) : std::string());
}

bool TLineSocketBase::WriteString(const std::string& text, const std::string& terminator)
{
    auto keep = weak_from_this().lock();
    const bool written = TBufferedSocketBase::WriteString(text, terminator);
    if (written && (LineOptions & lsoAutoFlushAfterWrite))
        FlushWriteBuffer();
    return written;
}

bool TLineSocketBase::WritePChar(const char* text, const char* terminator)
{
    return WriteString(text ? text : "", terminator ? terminator : "");
}

void TLineSocketBase::DoReadBufferFull()
{
    while (ReadLine()) {
    }
    if (ReadCount() < ReadBufferSize())
        return;
    if (!(LineOptions & lsoLineReceivedEvents) || !Component()) {
        TBufferedSocketBase::DoReadBufferFull();
        return;
    }
    if (OnReadBufferFull)
        OnReadBufferFull(this);
    if (ReadCount() < ReadBufferSize())
        return;
    // A line longer than the buffer can never be delivered, and nothing behind it
    // either: only this connection ends.
    DoDisconnect();
    throw EBufferedSocketException("Read buffer full, user did not flush");
}

void TLineSocketBase::FillReadBuffer()
{
    auto keep = weak_from_this().lock();
    // One bounded fill (a full buffer hands its lines on as it goes), then the lines
    // left; what the network still holds comes with the next notification.
    TBufferedSocketBase::FillReadBuffer();
    while (ReadLine()) {
    }
}
