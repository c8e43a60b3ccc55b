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
    if (ReadCount() >= ReadBufferSize())
        TBufferedSocketBase::DoReadBufferFull();
}

void TLineSocketBase::FillReadBuffer()
{
    auto keep = weak_from_this().lock();
    bool progress = true;
    // Repeats while the network holds more, but only while something moves:
    // a full buffer without a line end takes nothing in.
    while (progress) {
        const int before = ReadCount();
        const std::uint32_t waitingBefore = BytesAvailable();
        TBufferedSocketBase::FillReadBuffer();
        bool delivered = false;
        while (ReadLine())
            delivered = true;
        if (!(LineOptions & lsoLineReceivedEvents) || !Connected() || !Component())
            break;
        const std::uint32_t waiting = BytesAvailable();
        progress = waiting > 0 && (delivered || ReadCount() != before || waiting < waitingBefore);
    }
}
