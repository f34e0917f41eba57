#include "frmSoftwareUpdate.h"

#include "Vosk.h"
#include "app/Settings.h"
#include "velmor.h"

#include <QDir>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSettings>

namespace {

QUrl& urlUpdateServer()
{
    static QUrl s_url = QUrl(QStringLiteral(PLINTRA_UPDATE_URL));
    return s_url;
}

void vLogUpdate(const QString& line)
{
    Vosk::Logger::instance()->Log(line.toStdString());
}

} // namespace

frmSoftwareUpdate::frmSoftwareUpdate(QWidget* parent, Qt::WindowFlags flags) : QDialog(parent, flags)
{
    setWindowTitle(tr("Software Update"));
}

QUrl frmSoftwareUpdate::urlGetUpdateServer()
{
    return urlUpdateServer();
}

void frmSoftwareUpdate::vSetUpdateServer(const QUrl& url)
{
    urlUpdateServer() = url;
}

QString frmSoftwareUpdate::qstrGetInstallerFolder()
{
    return QDir::homePath() + QStringLiteral("/Desktop/");
}

bool frmSoftwareUpdate::bIsUpdateAvailable()
{
    return !pGetUserSettings()->value(QStringLiteral("update/version")).toString().isEmpty();
}

void frmSoftwareUpdate::vSendUpdateCheck()
{
    const QUrl server = urlGetUpdateServer();
    if (!server.isValid() || server.isEmpty()) {
        vLogUpdate(QStringLiteral("Checked for software updates: no update server configured"));
        return;
    }
    const QString product = qstrGetProduct();
    QString build = qstrGetProductBuildNumber(product);
    if (pGetUserSettings()->value(QStringLiteral("update/force"), false).toBool())
        build = QStringLiteral("0000");
    const QByteArray body = "&product=" + QUrl::toPercentEncoding(qstrGetUpdateProductName(product)) +
                            "&build=" + QUrl::toPercentEncoding(build) +
                            "&os=" + QUrl::toPercentEncoding(qstrGetTargetOS(product));

    if (!m_pNetwork) {
        m_pNetwork = new QNetworkAccessManager(this);
        connect(m_pNetwork, &QNetworkAccessManager::finished, this, &frmSoftwareUpdate::sltReceivedUpdateData);
    }
    QNetworkRequest request(server);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/x-www-form-urlencoded"));
    m_pNetwork->post(request, body);
}

void frmSoftwareUpdate::sltReceivedUpdateData(QNetworkReply* reply)
{
    reply->deleteLater();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() != QNetworkReply::NoError || status != 200) {
        vLogUpdate(QStringLiteral("Checked for software updates: ERROR (%1)").arg(status));
        emit updateCheckFinished(false);
        return;
    }
    vLogUpdate(QStringLiteral("Checked for software updates: OK"));

    const QStringList fields = QString::fromUtf8(reply->readAll()).split(QLatin1Char('^'));
    if (fields.size() != 4) {
        emit updateCheckFinished(true);
        return;
    }
    const QString& address = fields[0];
    const QString& installerName = fields[1];
    const QString& description = fields[2];
    const QString& version = fields[3];
    QSettings* settings = pGetUserSettings();
    const QString skipped = settings->value(QStringLiteral("update/lastversionskipped")).toString();
    vLogUpdate(QStringLiteral("Received update information: version %1 available at %2").arg(version, address));
    vLogUpdate(QStringLiteral("Last version skipped was %1").arg(skipped));
    if (skipped.isEmpty() || skipped < version) {
        settings->setValue(QStringLiteral("update/installerURL"), address);
        settings->setValue(QStringLiteral("update/installerfile"), qstrGetInstallerFolder() + installerName);
        settings->setValue(QStringLiteral("update/description"), description);
        settings->setValue(QStringLiteral("update/version"), version);
        settings->setValue(QStringLiteral("update/downloaded"), false);
        vLogUpdate(QStringLiteral("Update %1 stored in settings.").arg(version));
    }
    emit updateCheckFinished(true);
}
