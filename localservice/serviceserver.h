#pragma once

#include "localservice/pages.h"

#include <QAbstractHttpServer>

#include <string>

// The HTTP side of the service: pages by their path, other GETs from the files folder.
class ServiceServer final : public QAbstractHttpServer {
public:
    ServiceServer(ServicePages& pages, std::string filesRoot);

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    ServicePages& m_pages;
    std::string m_filesRoot;
};
