// A small HTTPS server on 127.0.0.1 for the web-service suites: records each request and
// answers from a route table. One request per connection.
#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QSslServer>
#include <QString>
#include <functional>

class QSslSocket;

namespace testenv {

struct HttpRequest {
    QByteArray baMethod;
    // As sent: the path and query.
    QByteArray baTarget;
    // Field names in lower case.
    QMap<QByteArray, QByteArray> mapHeaders;
    QByteArray baBody;
};

struct HttpResponse {
    int iStatus = 200;
    QList<QPair<QByteArray, QByteArray>> lstHeaders;
    QByteArray baBody;
    // Chunked, so the client learns no total size.
    bool bChunked = false;
    // Sends only this many bytes of the body, then the rest when the server is released.
    qint64 iHoldAfter = -1;
};

class LoopbackHttpsServer : public QObject {
public:
    // Serves with this certificate and key (PEM files).
    LoopbackHttpsServer(const QString& certificatePath, const QString& keyPath);
    ~LoopbackHttpsServer() override;

    bool bListen();
    void vClose();
    quint16 uiPort() const;
    // "127.0.0.1:<port>"
    QString qstrHost() const;
    QByteArray baUrl(const QByteArray& path) const;

    // An answer for a path (the target without its query); unknown paths get 404.
    void vRoute(const QByteArray& path, const HttpResponse& response);
    void vRoute(const QByteArray& path, std::function<HttpResponse(const HttpRequest&)> handler);
    // Sends what held responses kept back.
    void vRelease();

    const QList<HttpRequest>& requests() const { return m_requests; }
    int iHeldResponses() const { return int(m_held.size()); }

private:
    void vAccept();
    void vRead(QSslSocket* socket);
    void vAnswer(QSslSocket* socket, const HttpRequest& request);
    static QByteArray baEncodeBody(const HttpResponse& response, const QByteArray& body);

    QSslServer m_server;
    QMap<QByteArray, std::function<HttpResponse(const HttpRequest&)>> m_routes;
    QList<HttpRequest> m_requests;
    QMap<QSslSocket*, QByteArray> m_buffers;
    QList<QPair<QPointer<QSslSocket>, QByteArray>> m_held;
};

} // namespace testenv
