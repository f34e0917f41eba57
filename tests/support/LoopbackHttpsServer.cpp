#include "LoopbackHttpsServer.h"

#include <QFile>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslSocket>

namespace testenv {

namespace {

QByteArray baReadTestFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray baReasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 302:
        return "Found";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

} // namespace

LoopbackHttpsServer::LoopbackHttpsServer(const QString& certificatePath, const QString& keyPath)
{
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(QSslCertificate(baReadTestFile(certificatePath), QSsl::Pem));
    tls.setPrivateKey(QSslKey(baReadTestFile(keyPath), QSsl::Rsa, QSsl::Pem));
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    m_server.setSslConfiguration(tls);
    QObject::connect(&m_server, &QTcpServer::pendingConnectionAvailable, this, [this] { vAccept(); });
}

LoopbackHttpsServer::~LoopbackHttpsServer()
{
    vClose();
}

bool LoopbackHttpsServer::bListen()
{
    return m_server.listen(QHostAddress::LocalHost, 0);
}

void LoopbackHttpsServer::vClose()
{
    m_server.close();
    for (QSslSocket* socket : m_buffers.keys())
        socket->abort();
    for (auto& held : m_held) {
        if (held.first)
            held.first->abort();
    }
    m_held.clear();
}

quint16 LoopbackHttpsServer::uiPort() const
{
    return m_server.serverPort();
}

QString LoopbackHttpsServer::qstrHost() const
{
    return QStringLiteral("127.0.0.1:%1").arg(uiPort());
}

QByteArray LoopbackHttpsServer::baUrl(const QByteArray& path) const
{
    return "https://" + qstrHost().toLatin1() + path;
}

void LoopbackHttpsServer::vRoute(const QByteArray& path, const HttpResponse& response)
{
    m_routes[path] = [response](const HttpRequest&) { return response; };
}

void LoopbackHttpsServer::vRoute(const QByteArray& path, std::function<HttpResponse(const HttpRequest&)> handler)
{
    m_routes[path] = std::move(handler);
}

void LoopbackHttpsServer::vRelease()
{
    const auto held = m_held;
    m_held.clear();
    for (const auto& entry : held) {
        if (!entry.first)
            continue;
        entry.first->write(entry.second);
        entry.first->disconnectFromHost();
    }
}

void LoopbackHttpsServer::vAccept()
{
    while (QTcpSocket* pending = m_server.nextPendingConnection()) {
        auto* socket = qobject_cast<QSslSocket*>(pending);
        if (!socket) {
            pending->deleteLater();
            continue;
        }
        m_buffers.insert(socket, QByteArray());
        QObject::connect(socket, &QSslSocket::readyRead, this, [this, socket] { vRead(socket); });
        QObject::connect(socket, &QSslSocket::disconnected, this, [this, socket] {
            m_buffers.remove(socket);
            socket->deleteLater();
        });
        if (socket->bytesAvailable() > 0)
            vRead(socket);
    }
}

void LoopbackHttpsServer::vRead(QSslSocket* socket)
{
    if (!m_buffers.contains(socket))
        return;
    QByteArray& buffer = m_buffers[socket];
    buffer += socket->readAll();
    const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
    if (headerEnd < 0)
        return;
    HttpRequest request;
    const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    request.baMethod = requestLine.value(0);
    request.baTarget = requestLine.value(1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0)
            request.mapHeaders.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
    }
    const qsizetype length = request.mapHeaders.value("content-length", "0").toLongLong();
    if (buffer.size() < headerEnd + 4 + length)
        return;
    request.baBody = buffer.mid(headerEnd + 4, length);
    m_buffers.remove(socket);
    m_requests << request;
    vAnswer(socket, request);
}

QByteArray LoopbackHttpsServer::baEncodeBody(const HttpResponse& response, const QByteArray& body)
{
    if (!response.bChunked || body.isEmpty())
        return body;
    return QByteArray::number(body.size(), 16) + "\r\n" + body + "\r\n";
}

void LoopbackHttpsServer::vAnswer(QSslSocket* socket, const HttpRequest& request)
{
    const QByteArray path = request.baTarget.split('?').value(0);
    HttpResponse response;
    if (m_routes.contains(path))
        response = m_routes[path](request);
    else
        response.iStatus = 404;

    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.iStatus) + ' ' + baReasonPhrase(response.iStatus)
        + "\r\nConnection: close\r\n";
    for (const auto& header : response.lstHeaders)
        head += header.first + ": " + header.second + "\r\n";
    if (response.bChunked)
        head += "Transfer-Encoding: chunked\r\n";
    else
        head += "Content-Length: " + QByteArray::number(response.baBody.size()) + "\r\n";
    head += "\r\n";

    const QByteArray ending = response.bChunked ? QByteArray("0\r\n\r\n") : QByteArray();
    if (response.iHoldAfter >= 0 && response.iHoldAfter < response.baBody.size()) {
        socket->write(head + baEncodeBody(response, response.baBody.left(response.iHoldAfter)));
        m_held << qMakePair(
            QPointer<QSslSocket>(socket), baEncodeBody(response, response.baBody.mid(response.iHoldAfter)) + ending);
        return;
    }
    socket->write(head + baEncodeBody(response, response.baBody) + ending);
    socket->disconnectFromHost();
}

} // namespace testenv
