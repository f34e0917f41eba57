// Shared by the web-service suites: the loopback server with the test authority, messages
// the main window would show, quit requests, and answering modal windows.
#pragma once

#include "LoopbackHttpsServer.h"
#include "TestEnvironment.h"

#include "app/CWKCustomEvent.h"
#include "preferences/WebServicesTesting.h"

#include <QApplication>
#include <QFile>
#include <QNetworkProxy>
#include <QSslCertificate>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <functional>
#include <memory>

namespace webtest {

struct PostedMessage {
    int iCode;
    QString qstrTitle;
    QString qstrText;
};

// Takes the user messages (10000 error, 10100 information) that reach a window.
class MessageCatcher : public QObject {
public:
    QList<PostedMessage> lstMessages;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        const int code = int(e->type());
        if (code != 10000 && code != 10100)
            return false;
        auto* event = static_cast<CWKCustomEvent*>(e);
        std::unique_ptr<QStringList> message = event->pTakeOwned<QStringList>();
        lstMessages << PostedMessage {
            code, message ? message->value(0) : QString(), message ? message->value(1) : QString()};
        return true;
    }
};

// Counts and swallows requests to quit the application.
class QuitCatcher : public QObject {
public:
    int iQuitRequests = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (watched == qApp && (e->type() == QEvent::Quit || e->type() == QEvent::Close)) {
            ++iQuitRequests;
            return true;
        }
        return false;
    }
};

// Hands every modal window that comes up to a handler, from a timer.
class ModalHandler : public QObject {
public:
    explicit ModalHandler(std::function<void(QWidget*)> handler)
        : m_handler(std::move(handler))
    {
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] {
            if (QWidget* modal = QApplication::activeModalWidget())
                m_handler(modal);
        });
        m_timer.start();
    }

private:
    QTimer m_timer;
    std::function<void(QWidget*)> m_handler;
};

// Takes connections on 127.0.0.1 and never answers, not even the TLS greeting.
class SilentServer : public QObject {
public:
    SilentServer()
    {
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                ++iConnections;
                // Read and dropped, so the client's bytes never fill anything.
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] { socket->readAll(); });
            }
        });
    }
    bool bListen() { return m_server.listen(QHostAddress::LocalHost, 0); }
    QString qstrHost() const { return QStringLiteral("127.0.0.1:%1").arg(m_server.serverPort()); }
    int iConnections = 0;

private:
    QTcpServer m_server;
};

inline QByteArray baReadData(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Nothing leaves the machine: no proxy, and only the test authority is trusted.
inline void vUseLoopbackOnly(const QString& caPath)
{
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
    webservicetesting::vSetTrustedAuthorities(QSslCertificate::fromData(baReadData(caPath), QSsl::Pem));
}

} // namespace webtest
