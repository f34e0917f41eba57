#include "WebServices.h"

#include "WebServicesTesting.h"
#include "app/CWKCustomEvent.h"
#include "app/LogMessage.h"
#include "app/ProgramState.h"
#include "mainwindow/frmMain.h"
#include "platform/InstallerLauncher.h"

#include "UpdatePublicKey.h"

#include <QCoreApplication>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <QStringList>

namespace {

struct WebServiceValues {
    QString qstrUpdateHost = QStringLiteral(PLINTRA_UPDATE_HOST);
    QString qstrReportHost = QStringLiteral(PLINTRA_REPORT_HOST);
    QString qstrReportOrgId = QStringLiteral(PLINTRA_REPORT_ORGID);
    QString qstrReportProductField = QStringLiteral(PLINTRA_REPORT_PRODUCT_FIELD);
    QString qstrReportVersionField = QStringLiteral(PLINTRA_REPORT_VERSION_FIELD);
    QByteArray baUpdatePublicKey = QByteArray(pszBuiltInUpdatePublicKey()).trimmed();
    // Empty: the system's authorities.
    QList<QSslCertificate> lstTrustedAuthorities;
    int iTransferTimeoutMs = 30000;
    qint64 iMaximumInstallerSize = qint64(1) << 30;
};

const char* const kpszStopReason = "plintraStopReason";

WebServiceValues& stctWebServiceValues()
{
    static WebServiceValues s_values;
    return s_values;
}

// The digits that begin a version part, without leading zeros.
QString qstrWebServiceVersionNumber(const QString& part, int& digits)
{
    digits = 0;
    while (digits < part.size() && part[digits] >= QLatin1Char('0') && part[digits] <= QLatin1Char('9'))
        ++digits;
    int first = 0;
    while (first < digits && part[first] == QLatin1Char('0'))
        ++first;
    return part.mid(first, digits - first);
}

int iWebServiceSign(int value)
{
    return (value > 0) - (value < 0);
}

} // namespace

QString qstrGetUpdateHost()
{
    return stctWebServiceValues().qstrUpdateHost;
}

QString qstrGetReportHost()
{
    return stctWebServiceValues().qstrReportHost;
}

QString qstrGetReportOrgId()
{
    return stctWebServiceValues().qstrReportOrgId;
}

QString qstrGetReportProductField()
{
    return stctWebServiceValues().qstrReportProductField;
}

QString qstrGetReportVersionField()
{
    return stctWebServiceValues().qstrReportVersionField;
}

QByteArray baGetUpdatePublicKey()
{
    return stctWebServiceValues().baUpdatePublicKey;
}

QUrl urlGetServiceAddress(const QString& host, const QString& pathAndQuery)
{
    if (host.isEmpty())
        return QUrl();
    const QUrl origin(QStringLiteral("https://") + host, QUrl::StrictMode);
    if (!origin.isValid() || origin.host().isEmpty() || !origin.userInfo().isEmpty() || !origin.path().isEmpty()
        || origin.hasQuery() || origin.hasFragment())
        return QUrl();
    return origin.resolved(QUrl(pathAndQuery));
}

bool bIsSameOrigin(const QUrl& a, const QUrl& b)
{
    return a.isValid() && b.isValid() && a.scheme().compare(b.scheme(), Qt::CaseInsensitive) == 0
        && a.host().compare(b.host(), Qt::CaseInsensitive) == 0 && a.port(443) == b.port(443);
}

QNetworkRequest reqMakeSecureRequest(const QUrl& url)
{
    QNetworkRequest request(url);
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setPeerVerifyMode(QSslSocket::VerifyPeer);
    tls.setProtocol(QSsl::TlsV1_2OrLater);
    if (!stctWebServiceValues().lstTrustedAuthorities.isEmpty())
        tls.setCaCertificates(stctWebServiceValues().lstTrustedAuthorities);
    request.setSslConfiguration(tls);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::SameOriginRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setTransferTimeout(iGetTransferTimeoutMs());
    return request;
}

int iGetTransferTimeoutMs()
{
    return stctWebServiceValues().iTransferTimeoutMs;
}

qint64 iGetMaximumInstallerSize()
{
    return stctWebServiceValues().iMaximumInstallerSize;
}

void vStopReply(QNetworkReply* reply, const QString& reason)
{
    if (!reply)
        return;
    if (!reply->property(kpszStopReason).isValid())
        reply->setProperty(kpszStopReason, reason);
    if (!reply->isFinished())
        reply->abort();
}

bool bReplyTimedOut(const QNetworkReply* reply)
{
    // The toolkit ends a timed-out transfer as if it had been cancelled.
    return !reply->property(kpszStopReason).isValid()
        && (reply->error() == QNetworkReply::OperationCanceledError || reply->error() == QNetworkReply::TimeoutError);
}

QString qstrDescribeReplyFailure(const QNetworkReply* reply)
{
    const QVariant reason = reply->property(kpszStopReason);
    if (reason.isValid())
        return reason.toString();
    if (bReplyTimedOut(reply))
        return QCoreApplication::translate("WebServices", "the server did not answer in time.");
    return reply->errorString();
}

QByteArray baEncodeFormValue(const QString& value)
{
    // The toolkit's unreserved set is exactly RFC 3986's.
    return QUrl::toPercentEncoding(value);
}

int iCompareVersions(const QString& a, const QString& b)
{
    const QStringList partsA = a.split(QLatin1Char('.'));
    const QStringList partsB = b.split(QLatin1Char('.'));
    const qsizetype count = std::max(partsA.size(), partsB.size());
    for (qsizetype i = 0; i < count; ++i) {
        const QString partA = i < partsA.size() ? partsA[i] : QString();
        const QString partB = i < partsB.size() ? partsB[i] : QString();
        int digitsA = 0;
        int digitsB = 0;
        const QString numberA = qstrWebServiceVersionNumber(partA, digitsA);
        const QString numberB = qstrWebServiceVersionNumber(partB, digitsB);
        if (numberA.size() != numberB.size())
            return numberA.size() < numberB.size() ? -1 : 1;
        if (const int order = numberA.compare(numberB))
            return iWebServiceSign(order);
        if (const int order = partA.mid(digitsA).compare(partB.mid(digitsB)))
            return iWebServiceSign(order);
    }
    return 0;
}

void vPostWebServiceMessage(int code, const QString& text)
{
    // Without a main window (early start-up, shut-down) the log keeps it.
    if (!bPostToMainWindow(CWKCustomEvent::pWithOwned(code, std::make_unique<QStringList>(QStringList{QString(), text}))))
        vLogMessage(text);
}

namespace webservicetesting {

void vSetUpdateHost(const QString& host)
{
    stctWebServiceValues().qstrUpdateHost = host;
}

void vSetReportHost(const QString& host)
{
    stctWebServiceValues().qstrReportHost = host;
}

void vSetReportFormIds(const QString& orgId, const QString& productField, const QString& versionField)
{
    WebServiceValues& values = stctWebServiceValues();
    values.qstrReportOrgId = orgId;
    values.qstrReportProductField = productField;
    values.qstrReportVersionField = versionField;
}

void vSetUpdatePublicKey(const QByteArray& pem)
{
    stctWebServiceValues().baUpdatePublicKey = pem;
}

void vSetTrustedAuthorities(const QList<QSslCertificate>& authorities)
{
    stctWebServiceValues().lstTrustedAuthorities = authorities;
}

void vSetTransferTimeout(int milliseconds)
{
    stctWebServiceValues().iTransferTimeoutMs = milliseconds;
}

void vSetMaximumInstallerSize(qint64 bytes)
{
    stctWebServiceValues().iMaximumInstallerSize = bytes;
}

void vSetInstallerLauncher(std::function<bool(const QString&)> launcher)
{
    vReplaceInstallerLauncher(std::move(launcher));
}

void vRestoreBuildValues()
{
    stctWebServiceValues() = WebServiceValues();
    vReplaceInstallerLauncher({});
}

} // namespace webservicetesting
