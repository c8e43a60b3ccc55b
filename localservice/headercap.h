#pragma once

#include <QTcpServer>

// The service's listening socket. Each connection's request headers are bounded
// while they arrive, before the HTTP parser buffers them: a header that runs past
// kMaxHeaderBytes without its blank line is answered 431 "error" and the connection
// closed; every other connection goes on as before.
class HeaderCappedServer final : public QTcpServer {
public:
    // The longest request a client sends, a notes page with an 8 KiB message all
    // percent-encoded, is under 30 KiB.
    static constexpr qsizetype kMaxHeaderBytes = 64 * 1024;

    using QTcpServer::QTcpServer;

protected:
    void incomingConnection(qintptr descriptor) override;
};
