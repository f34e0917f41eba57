// For the test suites only: points the web services at a loopback server and a test key.
// A release never calls these; nothing the user can set reaches them.
#pragma once

#include <QByteArray>
#include <QList>
#include <QSslCertificate>
#include <QString>
#include <functional>

namespace webservicetesting {

void vSetUpdateHost(const QString& host);
void vSetReportHost(const QString& host);
void vSetReportFormIds(const QString& orgId, const QString& productField, const QString& versionField);
void vSetUpdatePublicKey(const QByteArray& pem);
// Only these authorities are trusted from now on.
void vSetTrustedAuthorities(const QList<QSslCertificate>& authorities);
// A transfer ends when nothing moved for this long.
void vSetTransferTimeout(int milliseconds);
void vSetMaximumInstallerSize(qint64 bytes);
// Replaces the installer launcher; an empty function brings the real one back.
void vSetInstallerLauncher(std::function<bool(const QString&)> launcher);
// Back to what the build says.
void vRestoreBuildValues();

} // namespace webservicetesting
