#include "localservice/serviceserver.h"

#include "localservice/staticfiles.h"

#include <QFile>
#include <QHostAddress>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QUrl>

#include <cstdio>

namespace {

constexpr qint64 kWholeFileBytes = 4 * 1024 * 1024;
const QByteArray kText = QByteArrayLiteral("text/plain; charset=windows-1252");

void Reply(QHttpServerResponder& responder, int status, const std::string& body)
{
    responder.write(QByteArray(body.data(), static_cast<qsizetype>(body.size())), kText,
                    static_cast<QHttpServerResponder::StatusCode>(status));
}

}  // namespace

ServiceServer::ServiceServer(ServicePages& pages, std::string filesRoot)
    : m_pages(pages)
    , m_filesRoot(std::move(filesRoot))
{
}

bool ServiceServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket)
{
    QHttpServerResponder responder = makeResponder(request, socket);
    if (request.method() != QHttpServerRequest::Method::Get) {
        Reply(responder, 405, "error\r\n");
        return true;
    }
    const QUrl url = request.url();
    // The path comes decoded; the query keeps its escapes, which only the pages can
    // decode to the code page's bytes.
    const std::string path = url.path(QUrl::FullyDecoded).toStdString();
    const std::string query = url.query(QUrl::FullyEncoded).toStdString();
    try {
        // The address a request comes from, as a log-on records it (dotted, IPv4).
        bool isIPv4 = false;
        const quint32 ipv4 = request.remoteAddress().toIPv4Address(&isIPv4);
        const std::string from = isIPv4 ? QHostAddress(ipv4).toString().toStdString() : std::string();
        if (const auto reply = m_pages.handle(path, query, from)) {
            Reply(responder, reply->status, reply->body);
            return true;
        }
    } catch (const StoreError& error) {
        std::fprintf(stderr, "korvo-service: %s: %s\n", path.c_str(), error.what());
        Reply(responder, 500, "error\r\n");
        return true;
    }
    if (path == "/images" || path == "/images/") {
        if (const auto listing = ImageListing(m_filesRoot)) {
            Reply(responder, 200, *listing);
            return true;
        }
    }
    const auto file = StaticFilePath(m_filesRoot, path);
    auto content = file ? std::make_unique<QFile>(QString::fromStdString(*file)) : nullptr;
    if (!content || !content->open(QIODevice::ReadOnly)) {
        Reply(responder, 404, "not found\r\n");
        return true;
    }
    // A small file goes out in one write: streamed, it would cost a round of the
    // event loop for every few kilobytes.
    if (content->size() <= kWholeFileBytes) {
        responder.write(content->readAll(), QByteArrayLiteral("application/octet-stream"));
        return true;
    }
    responder.write(content.release(), QByteArrayLiteral("application/octet-stream"));
    return true;
}

void ServiceServer::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket)
{
    QHttpServerResponder responder = makeResponder(request, socket);
    Reply(responder, 404, "not found\r\n");
}
