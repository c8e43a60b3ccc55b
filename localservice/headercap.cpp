#include "localservice/headercap.h"

#include <QTcpSocket>

#include <memory>

namespace {

const QByteArray kTooLarge = QByteArrayLiteral(
    "HTTP/1.1 431 Request Header Fields Too Large\r\n"
    "Content-Type: text/plain; charset=windows-1252\r\nContent-Length: 7\r\nConnection: close\r\n\r\nerror\r\n");

// Where a connection's stream stands: bytes since the last header ended, and the
// length of the line under way (a line of nothing but CR ends a header).
class HeaderScan {
public:
    // False once a header runs past the bound.
    bool take(const QByteArray& bytes)
    {
        for (const char ch : bytes) {
            if (ch == '\n') {
                m_headerBytes = m_lineBytes == 0 ? 0 : m_headerBytes + 1;
                m_lineBytes = 0;
                continue;
            }
            ++m_headerBytes;
            if (ch != '\r')
                ++m_lineBytes;
            if (m_headerBytes > HeaderCappedServer::kMaxHeaderBytes)
                return false;
        }
        return true;
    }

    bool refused { false };

private:
    qsizetype m_headerBytes { 0 };
    qsizetype m_lineBytes { 0 };
};

}  // namespace

void HeaderCappedServer::incomingConnection(qintptr descriptor)
{
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    // Connected before the HTTP server's own handler, so this one sees each arrival
    // first; the server reads all that is there every time.
    auto scan = std::make_shared<HeaderScan>();
    connect(socket, &QTcpSocket::readyRead, socket, [socket, scan] {
        if (!scan->refused && scan->take(socket->peek(socket->bytesAvailable())))
            return;
        socket->readAll();
        if (scan->refused)
            return;
        scan->refused = true;
        socket->write(kTooLarge);
        socket->disconnectFromHost();
    });
    addPendingConnection(socket);
}
