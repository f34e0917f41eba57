// What the software update and the error report share: their hosts (fixed at build time),
// the one TLS policy of every request, form encoding, and the messages they post.
#pragma once

#include <QByteArray>
#include <QList>
#include <QSslCertificate>
#include <QString>
#include <QUrl>

class QNetworkReply;
class QNetworkRequest;

// Host of the update server, "name" or "name:port"; empty when this build has none.
QString qstrGetUpdateHost();
// Host of the support web form; empty when this build has none.
QString qstrGetReportHost();
// The web form's organisation id and the fields for the product name and version.
QString qstrGetReportOrgId();
QString qstrGetReportProductField();
QString qstrGetReportVersionField();
// PEM public key that signs the installers; empty when this build has none.
QByteArray baGetUpdatePublicKey();

// https://host + path (which may carry a query); an empty or malformed host gives an
// empty address.
QUrl urlGetServiceAddress(const QString& host, const QString& pathAndQuery);
// Same scheme, host and port.
bool bIsSameOrigin(const QUrl& a, const QUrl& b);
// Certificates checked against the trusted authorities, TLS 1.2 or later, redirects
// followed only to the same scheme, host and port, and a transfer that ends when nothing
// moves for iGetTransferTimeoutMs().
QNetworkRequest reqMakeSecureRequest(const QUrl& url);
int iGetTransferTimeoutMs();
// The largest installer the update downloads.
qint64 iGetMaximumInstallerSize();

// Ends a transfer from this side (or refuses one that has ended); its failure then
// reports the reason given.
void vStopReply(QNetworkReply* reply, const QString& reason);
// A reply that ended because nothing moved for the transfer timeout.
bool bReplyTimedOut(const QNetworkReply* reply);
// Why a finished reply failed, in words for the user: the reason it was stopped for,
// that the server did not answer in time, or the toolkit's own text.
QString qstrDescribeReplyFailure(const QNetworkReply* reply);

// A form value percent-encoded from UTF-8, keeping only A-Z a-z 0-9 - . _ ~.
QByteArray baEncodeFormValue(const QString& value);
// Versions as dotted numbers: negative, zero or positive as a is older than, the same as
// or newer than b. Missing parts count as 0; text after a part's digits breaks ties.
int iCompareVersions(const QString& a, const QString& b);

// A message for the user, as the engine's messages reach the main window: 10000 shows an
// error, 10100 information, both with an empty title.
void vPostWebServiceMessage(int code, const QString& text);
