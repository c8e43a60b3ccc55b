#pragma once

#include "net/bufferedsocket.h"
#include "net/clientsocket.h"
#include "net/linesocket.h"
#include "net/serversocket.h"

// What a buffered component hands to every socket object it makes.
// Changing these affects only sockets made afterwards.
class TBufferedSettings {
public:
    int ReadBufferSize { 1024 };
    int WriteBufferSize { 1024 };
    int RecordSize { 16 };
    TBufferedSocketNotifyEvent OnWriteBufferEmpty;
    TBufferedSocketNotifyEvent OnReadBufferEmpty;
    TBufferedSocketNotifyEvent OnWriteBufferFull;
    TBufferedSocketNotifyEvent OnReadBufferFull;
    TBufferedSocketNotifyEvent OnWriteBufferChange;
    TBufferedSocketNotifyEvent OnReadBufferChange;
    TBufferedSocketNotifyEvent OnFileSent;
    TBufferedSocketNotifyEvent OnFileReceived;

protected:
    // The object must be a buffered socket (std::bad_cast otherwise).
    void ApplyTo(TSocketBase& socket) const;
};

// The line settings a text component hands to its line sockets.
class TLineSettings {
public:
    TLineReceivedEvent OnLineReceived;
    TLineSocketType LineType { lstCRLF };
    TLineSocketOptions LineOptions { kDefaultLineOptions };

protected:
    // The object must be a line socket (std::bad_cast otherwise).
    void ApplyTo(TSocketBase& socket) const;
};

class TBufferedClientBase : public TCustomClientSocket, public TBufferedSettings {
protected:
    std::shared_ptr<TSocketBase> CreateSocket() override;
};

class TBufferedServerBase : public TCustomBasicServerSocket, public TBufferedSettings {
protected:
    std::shared_ptr<TSocketBase> CreateSocket() override;
};

class TTextClientBase : public TBufferedClientBase, public TLineSettings {
protected:
    std::shared_ptr<TSocketBase> CreateSocket() override;
};

class TTextServerBase : public TBufferedServerBase, public TLineSettings {
protected:
    std::shared_ptr<TSocketBase> CreateSocket() override;
};

// An outgoing connection of buffered sockets (file transfer).
class TBinaryClient final : public TBufferedClientBase {
public:
    TBinaryClient() { SetSocketClass(SocketClassOf<TBufferedSocket>()); }
};

// An outgoing connection of line sockets.
class TTextClient final : public TTextClientBase {
public:
    TTextClient() { SetSocketClass(SocketClassOf<TLineSocket>()); }
};

// A server whose connections are buffered sockets.
class TBinaryServer final : public TBufferedServerBase {
public:
    TBinaryServer() { SetSocketClass(SocketClassOf<TBufferedSocket>()); }
};

// A server whose connections are line sockets.
class TTextServer final : public TTextServerBase {
public:
    TTextServer() { SetSocketClass(SocketClassOf<TLineSocket>()); }
};
