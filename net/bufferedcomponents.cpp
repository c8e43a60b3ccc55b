#include "net/bufferedcomponents.h"

void TBufferedSettings::ApplyTo(TSocketBase& socket) const
{
    auto& buffered = dynamic_cast<TBufferedSocketBase&>(socket);
    buffered.OnWriteBufferEmpty = OnWriteBufferEmpty;
    buffered.OnReadBufferEmpty = OnReadBufferEmpty;
    buffered.OnWriteBufferFull = OnWriteBufferFull;
    buffered.OnReadBufferFull = OnReadBufferFull;
    buffered.OnWriteBufferChange = OnWriteBufferChange;
    buffered.OnReadBufferChange = OnReadBufferChange;
    buffered.OnFileSent = OnFileSent;
    buffered.OnFileReceived = OnFileReceived;
    buffered.SetReadBufferSize(ReadBufferSize);
    buffered.SetWriteBufferSize(WriteBufferSize);
    buffered.SetRecordSize(RecordSize);
}

void TLineSettings::ApplyTo(TSocketBase& socket) const
{
    auto& line = dynamic_cast<TLineSocketBase&>(socket);
    line.OnLineReceived = OnLineReceived;
    line.LineOptions = LineOptions;
    line.LineType = LineType;
}

std::shared_ptr<TSocketBase> TBufferedClientBase::CreateSocket()
{
    auto socket = TCustomClientSocket::CreateSocket();
    TBufferedSettings::ApplyTo(*socket);
    return socket;
}

std::shared_ptr<TSocketBase> TBufferedServerBase::CreateSocket()
{
    auto socket = TCustomBasicServerSocket::CreateSocket();
    TBufferedSettings::ApplyTo(*socket);
    return socket;
}

std::shared_ptr<TSocketBase> TTextClientBase::CreateSocket()
{
    auto socket = TBufferedClientBase::CreateSocket();
    TLineSettings::ApplyTo(*socket);
    return socket;
}

std::shared_ptr<TSocketBase> TTextServerBase::CreateSocket()
{
    auto socket = TBufferedServerBase::CreateSocket();
    TLineSettings::ApplyTo(*socket);
    return socket;
}
