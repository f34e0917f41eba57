#include "frmSoftwareUpdate.h"

#include "UpdateSignature.h"
#include "Vosk.h"
#include "WebServices.h"
#include "app/LogMessage.h"
#include "app/ProductStrings.h"
#include "app/ProgramState.h"
#include "app/Settings.h"
#include "mainwindow/frmMain.h"
#include "platform/InstallerLauncher.h"
#include "velmor.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>
#include <QMetaEnum>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProgressDialog>
#include <QSettings>
#include <QStandardPaths>

namespace {

// A check's answer is four short fields; anything larger is not one.
constexpr qint64 kiMaximumCheckReply = 1 << 20;
constexpr qint64 kiMaximumSignature = 64 * 1024;
// What the network layer may hold of a download before it is written to the file.
constexpr qint64 kiDownloadBuffer = 256 * 1024;

QString qstrUpdateSetting(const char* key)
{
    return pGetUserSettings()->value(QLatin1String(key), QString()).toString();
}

void vSetUpdateSetting(const char* key, const QVariant& value)
{
    pGetUserSettings()->setValue(QLatin1String(key), value);
}

QString qstrUpdateNetworkErrorKey(QNetworkReply::NetworkError error)
{
    const char* key = QMetaEnum::fromType<QNetworkReply::NetworkError>().valueToKey(error);
    return key ? QString::fromLatin1(key) : QString::number(int(error));
}

int iUpdateReplyStatus(QNetworkReply* reply)
{
    return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

QByteArray baUpdateFileDigest(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        return QByteArray();
    return hash.result();
}

// "name.tar.gz" -> "name-1.tar.gz"; a name without a base keeps its suffix whole.
QString qstrNumberedInstallerName(const QString& name, int number)
{
    const int dot = int(name.indexOf(QLatin1Char('.'), 1));
    if (dot < 0)
        return name + QLatin1Char('-') + QString::number(number);
    return name.left(dot) + QLatin1Char('-') + QString::number(number) + name.mid(dot);
}

} // namespace

frmSoftwareUpdate::frmSoftwareUpdate(QWidget* parent, Qt::WindowFlags flags)
    : QDialog(parent, flags)
{
    setupUi(this);
    connect(btnLater, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnSkip, &QPushButton::clicked, this, &frmSoftwareUpdate::sltSkip);
    connect(btnInstall, &QPushButton::clicked, this, &frmSoftwareUpdate::sltDownloadAndInstall);
    init();
}

frmSoftwareUpdate::~frmSoftwareUpdate()
{
    if (g_pSoftwareUpdate == this)
        g_pSoftwareUpdate = nullptr;
    for (QNetworkReply* reply : {m_pDownloadReply.data(), m_pCheckReply.data()}) {
        if (reply) {
            disconnect(reply, nullptr, this, nullptr);
            reply->abort();
        }
    }
    vDiscardInstallerFile();
    delete m_pProgress.data();
}

QUrl frmSoftwareUpdate::urlGetUpdateCheckAddress()
{
    return urlGetServiceAddress(qstrGetUpdateHost(), QStringLiteral("/register/update_software.php"));
}

QString frmSoftwareUpdate::qstrGetInstallerFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + QStringLiteral("/Updates/");
}

bool frmSoftwareUpdate::bIsSafeInstallerName(const QString& name)
{
    if (name.isEmpty() || name.size() > 255 || name == QLatin1String(".") || name.contains(QLatin1String("..")))
        return false;
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    }
    return true;
}

bool frmSoftwareUpdate::bIsUpdateAvailable()
{
    return !qstrUpdateSetting("update/version").isEmpty();
}

void frmSoftwareUpdate::vStartManualCheck()
{
    if (!g_pSoftwareUpdate)
        g_pSoftwareUpdate = new frmSoftwareUpdate(g_pMainWindow);
    g_pSoftwareUpdate->vCheckNow();
}

QNetworkAccessManager* frmSoftwareUpdate::pGetNetwork()
{
    if (!m_pNetwork)
        m_pNetwork = new QNetworkAccessManager(this);
    return m_pNetwork;
}

void frmSoftwareUpdate::vCheckNow()
{
    vLogMessage(QStringLiteral("Checking for software updates now."));
    m_bManualCheck = true;
    vSendUpdateCheck();
}

void frmSoftwareUpdate::vSendUpdateCheck()
{
    const QUrl address = urlGetUpdateCheckAddress();
    if (address.isEmpty()) {
        vLogMessage(QStringLiteral("Checked for software updates: no update server in this build"));
        if (m_bManualCheck) {
            m_bManualCheck = false;
            vPostWebServiceMessage(10100,
                tr("This build of %1 does not check for software updates.").arg(qstrGetProductName(qstrGetProduct())));
        }
        return;
    }
    if (m_pCheckReply)
        return;

    const QString product = qstrGetProduct();
    QString build = qstrGetProductBuildNumber(product);
    if (pGetUserSettings()->value(QStringLiteral("update/force"), false).toBool())
        build = QStringLiteral("0000");
    const QByteArray body = "&product=" + baEncodeFormValue(qstrGetUpdateProductName(product))
        + "&build=" + baEncodeFormValue(build) + "&os=" + baEncodeFormValue(qstrGetTargetOS(product));

    m_bCheckFailed = false;
    QNetworkRequest request = reqMakeSecureRequest(address);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/x-www-form-urlencoded"));
    QNetworkReply* reply = pGetNetwork()->post(request, body);
    m_pCheckReply = reply;
    // Refused as it arrives (progress signals come too seldom for that): an announced size
    // or the part held so far beyond the limit.
    auto vRefuseLarge = [reply] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (reply->bytesAvailable() > kiMaximumCheckReply
            || (length.isValid() && length.toLongLong() > kiMaximumCheckReply))
            vStopReply(reply, tr("the update server's answer is too large."));
    };
    connect(reply, &QNetworkReply::metaDataChanged, this, vRefuseLarge);
    connect(reply, &QNetworkReply::readyRead, this, vRefuseLarge);
    connect(reply, &QNetworkReply::finished, this, [this, reply] { sltReceivedUpdateData(reply); });
}

void frmSoftwareUpdate::vManualCheckFailed(const QString& reason)
{
    if (!m_bManualCheck)
        return;
    m_bManualCheck = false;
    vPostWebServiceMessage(10000, tr("The check for software updates failed: %1").arg(reason));
}

void frmSoftwareUpdate::sltReceivedUpdateData(QNetworkReply* reply)
{
    reply->deleteLater();
    if (reply == m_pCheckReply)
        m_pCheckReply = nullptr;

    const int status = iUpdateReplyStatus(reply);
    m_bCheckFailed = reply->error() != QNetworkReply::NoError || status != 200;
    if (m_bCheckFailed) {
        vLogMessage(QStringLiteral("Checked for software updates: ERROR (%1) %2")
                        .arg(status)
                        .arg(qstrUpdateNetworkErrorKey(reply->error())));
        vManualCheckFailed(status != 0 && status != 200 ? tr("the update server answered with status %1.").arg(status)
                                                        : qstrDescribeReplyFailure(reply));
        emit updateCheckFinished(false);
        return;
    }
    vLogMessage(QStringLiteral("Checked for software updates: OK"));

    const QStringList fields = QString::fromUtf8(reply->readAll()).split(QLatin1Char('^'));
    if (fields.size() == 4) {
        const QString& address = fields[0];
        const QString& installerName = fields[1];
        const QString& description = fields[2];
        const QString& version = fields[3];
        const QString skipped = qstrUpdateSetting("update/lastversionskipped");
        vLogMessage(QStringLiteral("Received update information: version %1 available at %2").arg(version, address));
        vLogMessage(QStringLiteral("Last version skipped was %1").arg(skipped));

        // The installer may only come from the server that offered it, under a plain name.
        const QUrl installer = reply->url().resolved(QUrl(address, QUrl::StrictMode));
        QString refusal;
        if (!installer.isValid() || !bIsSameOrigin(installer, urlGetUpdateCheckAddress()))
            refusal = tr("the installer is not on the update server.");
        else if (!bIsSafeInstallerName(installerName))
            refusal = tr("the installer's file name is not a plain file name.");
        else if (version.trimmed().isEmpty())
            refusal = tr("the update has no version.");
        if (!refusal.isEmpty()) {
            vLogMessage(QStringLiteral("Refused update information: ") + refusal);
            vManualCheckFailed(refusal);
            emit updateCheckFinished(false);
            return;
        }

        if (skipped.isEmpty() || iCompareVersions(skipped, version) < 0) {
            vSetUpdateSetting("update/installerURL", installer.toString(QUrl::FullyEncoded));
            vSetUpdateSetting("update/installerfile", qstrGetInstallerFolder() + installerName);
            vSetUpdateSetting("update/description", description);
            vSetUpdateSetting("update/version", version);
            vSetUpdateSetting("update/downloaded", false);
            vLogMessage(QStringLiteral("Update %1 stored in settings.").arg(version));
            // Not again while the dialog is up already (a pending update shown at start-up).
            if (m_bManualCheck && !isVisible()) {
                init();
                exec();
            }
        }
    }
    // After a dialog shown above has closed, so a Skip there ends in this message.
    if (m_bManualCheck && !bIsUpdateAvailable()) {
        m_bManualCheck = false;
        vPostWebServiceMessage(10100, tr("No updates available."));
    }
    emit updateCheckFinished(true);
}

void frmSoftwareUpdate::init()
{
    const QString description = qstrUpdateSetting("update/description");
    if (description.isEmpty()) {
        tedtUpdateInfo->hide();
    } else {
        tedtUpdateInfo->setHtml(description);
        tedtUpdateInfo->show();
    }
    vLogMessage(QStringLiteral("Preparing software update dialog."));
    lblInstaller->setText(qstrUpdateSetting("update/installerfile"));
    lblInstaller->hide();
    vLogMessage(QStringLiteral("Update available with major version ")
        + qstrUpdateSetting("update/version").section(QLatin1Char('.'), 0, 0));
    const QString product = qstrGetProductName(qstrGetProduct());
    lblIntro->setText(tr("A newer version of ") + product
        + tr(" is available free of charge from Corvane Works. Do you want to upgrade your copy?"));
    lblInstructions->setText(product
        + tr(" can automatically check for new and updated versions using its Software "
             "Update feature. Select Software Update in ")
        + product + tr(" Preferences to change the Software Update behaviour."));
    btnInstall->show();
    adjustSize();
}

void frmSoftwareUpdate::sltSkip()
{
    vSetUpdateSetting("update/lastversionskipped", qstrUpdateSetting("update/version"));
    vSetUpdateSetting("update/description", QString());
    vSetUpdateSetting("update/version", QString());
    vSetUpdateSetting("update/downloaded", false);
    reject();
}

void frmSoftwareUpdate::resetUpdateSettings()
{
    vSetUpdateSetting("update/lastversionskipped", QString());
    vSetUpdateSetting("update/description", QString());
    vSetUpdateSetting("update/version", QString());
    vSetUpdateSetting("update/downloaded", false);
}

void frmSoftwareUpdate::sltDownloadAndInstall()
{
    if (m_pDownloadReply)
        return;
    const QString address = qstrUpdateSetting("update/installerURL");
    if (address.isEmpty())
        return;
    accept();
    vLogMessage(QStringLiteral("Downloading update from ") + address);

    const QUrl installer(address, QUrl::StrictMode);
    if (!installer.isValid() || !bIsSameOrigin(installer, urlGetUpdateCheckAddress())) {
        vLogMessage(QStringLiteral("Refused installer address: ") + address);
        vPostWebServiceMessage(
            10000, tr("The software update was not downloaded: %1 is not on the update server.").arg(address));
        return;
    }
    const QString folder = qstrGetInstallerFolder();
    const QString stored = qstrUpdateSetting("update/installerfile");
    const QString name = stored.startsWith(folder) ? stored.mid(folder.size()) : QString();
    if (!bIsSafeInstallerName(name)) {
        vLogMessage(QStringLiteral("Refused installer file: ") + stored);
        vPostWebServiceMessage(10000, tr("The software update was not downloaded: its file name is not valid."));
        return;
    }
    if (!bOpenInstallerFile(folder, name)) {
        vLogMessage(QStringLiteral("Unable to write to file: ") + folder + name);
        vPostWebServiceMessage(
            10000, tr("The software update could not be saved in %1.").arg(QDir::toNativeSeparators(folder)));
        return;
    }

    m_urlInstaller = installer;
    m_hashInstaller.reset();
    m_baInstallerDigest.clear();
    m_baSignature.clear();
    m_bFetchingSignature = false;
    m_bWriteFailed = false;
    m_bDownloadCancelled = false;
    m_iInstallerBytes = 0;
    QNetworkReply* reply = pGetNetwork()->get(reqMakeSecureRequest(installer));
    m_pDownloadReply = reply;
    // The installer goes to its file as it arrives; the network layer holds no more than
    // this much of it meanwhile.
    reply->setReadBufferSize(kiDownloadBuffer);
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] { bInstallerWithinLimit(reply, 0); });
    connect(reply, &QNetworkReply::readyRead, this, &frmSoftwareUpdate::vWriteDownloadedData);
    connect(reply, &QNetworkReply::finished, this, [this, reply] { sltUpdateDownloadFinished(reply); });

    m_pProgress = new QProgressDialog(tr("Downloading Software Update."), tr("Cancel"), 0, 100);
    m_pProgress->setWindowTitle(qstrGetProductName(qstrGetProduct()));
    m_pProgress->setAutoClose(false);
    m_pProgress->setAutoReset(false);
    m_pProgress->setMinimumDuration(0);
    connect(m_pProgress, &QProgressDialog::canceled, this, &frmSoftwareUpdate::sltAbortDownload);
    connect(reply, &QNetworkReply::downloadProgress, this, &frmSoftwareUpdate::sltUpdateDownloadProgress);
    m_pProgress->show();
}

bool frmSoftwareUpdate::bOpenInstallerFile(const QString& folder, const QString& name)
{
    if (!QDir().mkpath(folder))
        return false;
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    // A file already there stays; the download takes the next free name. NewOnly makes the
    // file exclusively ours, so only a file we made is ever removed.
    for (int number = 0; number < 1000; ++number) {
        const QString path = folder + (number == 0 ? name : qstrNumberedInstallerName(name, number));
        auto file = std::make_unique<QFile>(path);
        if (file->open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            m_pInstallerFile = std::move(file);
            return true;
        }
        if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
            return false;
    }
    return false;
}

void frmSoftwareUpdate::vWriteDownloadedData()
{
    QNetworkReply* reply = m_pDownloadReply;
    if (!reply)
        return;
    if (m_bFetchingSignature) {
        m_baSignature += reply->read(kiMaximumSignature + 1 - m_baSignature.size());
        if (m_baSignature.size() > kiMaximumSignature)
            vStopReply(reply, tr("its signature is too large."));
        return;
    }
    // An error page is not the installer.
    if (!m_pInstallerFile || m_bWriteFailed || iUpdateReplyStatus(reply) != 200) {
        reply->readAll();
        return;
    }
    const QByteArray chunk = reply->readAll();
    if (chunk.isEmpty() || !bInstallerWithinLimit(reply, chunk.size()))
        return;
    if (m_pInstallerFile->write(chunk) != chunk.size()) {
        m_bWriteFailed = true;
        reply->abort();
        return;
    }
    m_iInstallerBytes += chunk.size();
    m_hashInstaller.addData(chunk);
}

bool frmSoftwareUpdate::bInstallerWithinLimit(QNetworkReply* reply, qint64 incoming)
{
    const qint64 maximum = iGetMaximumInstallerSize();
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    const qint64 announced = length.isValid() ? length.toLongLong() : -1;
    const QString size = QLocale::c().formattedDataSize(maximum);
    if (announced > maximum) {
        vStopReply(reply, tr("it is larger than the %1 allowed.").arg(size));
        return false;
    }
    // No more than an announced size arrives: the network layer stops there itself.
    if (m_iInstallerBytes + incoming > maximum) {
        vStopReply(reply, tr("it is larger than the %1 allowed.").arg(size));
        return false;
    }
    return true;
}

void frmSoftwareUpdate::sltUpdateDownloadProgress(qint64 received, qint64 total)
{
    if (total > 0 && m_pProgress)
        m_pProgress->setValue(int(received * 100 / total));
}

void frmSoftwareUpdate::sltAbortDownload()
{
    m_bDownloadCancelled = true;
    vCloseProgressWindow();
    vStopReply(m_pDownloadReply, tr("the download was cancelled."));
}

void frmSoftwareUpdate::sltUpdateDownloadFinished(QNetworkReply* reply)
{
    reply->deleteLater();
    if (reply != m_pDownloadReply)
        return;
    if (reply->error() == QNetworkReply::NoError)
        vWriteDownloadedData();
    m_pDownloadReply = nullptr;
    if (m_bFetchingSignature)
        vFinishSignatureStage(reply);
    else
        vFinishInstallerStage(reply);
}

void frmSoftwareUpdate::vFinishInstallerStage(QNetworkReply* reply)
{
    const QString path = m_pInstallerFile ? m_pInstallerFile->fileName() : QString();
    if (m_bDownloadCancelled) {
        vFailDownload(QStringLiteral("Download cancelled"), QString());
        return;
    }
    if (m_bWriteFailed) {
        vFailDownload(QStringLiteral("Unable to write to file: ") + path,
            tr("The software update could not be saved to %1.").arg(QDir::toNativeSeparators(path)));
        return;
    }
    const int status = iUpdateReplyStatus(reply);
    if (reply->error() != QNetworkReply::NoError || status != 200) {
        const QString reason = reply->error() != QNetworkReply::NoError
            ? qstrDescribeReplyFailure(reply)
            : tr("the update server answered with status %1.").arg(status);
        vFailDownload(QStringLiteral("Download failed: ") + qstrUpdateNetworkErrorKey(reply->error()),
            tr("The software update could not be downloaded: %1").arg(reason));
        return;
    }
    m_pInstallerFile->close();
    m_baInstallerDigest = m_hashInstaller.result();

    // The signature comes from the same place, beside the installer.
    QUrl signature = m_urlInstaller;
    signature.setPath(m_urlInstaller.path() + QStringLiteral(".sig"));
    m_bFetchingSignature = true;
    QNetworkReply* signatureReply = pGetNetwork()->get(reqMakeSecureRequest(signature));
    m_pDownloadReply = signatureReply;
    signatureReply->setReadBufferSize(kiDownloadBuffer);
    connect(signatureReply, &QNetworkReply::readyRead, this, &frmSoftwareUpdate::vWriteDownloadedData);
    connect(signatureReply, &QNetworkReply::finished, this,
        [this, signatureReply] { sltUpdateDownloadFinished(signatureReply); });
}

void frmSoftwareUpdate::vFinishSignatureStage(QNetworkReply* reply)
{
    if (m_bDownloadCancelled) {
        vFailDownload(QStringLiteral("Download cancelled"), QString());
        return;
    }
    const int status = iUpdateReplyStatus(reply);
    if (reply->error() != QNetworkReply::NoError || status != 200) {
        const QString reason = reply->error() != QNetworkReply::NoError
            ? qstrDescribeReplyFailure(reply)
            : tr("the update server answered with status %1.").arg(status);
        vFailDownload(QStringLiteral("Signature download failed: ") + qstrUpdateNetworkErrorKey(reply->error()),
            tr("The software update was deleted: its signature could not be downloaded (%1).").arg(reason));
        return;
    }
    QString why;
    if (!bVerifyDigestSignature(m_baInstallerDigest, m_baSignature, baGetUpdatePublicKey(), &why)) {
        vFailDownload(QStringLiteral("Update failed verification: ") + why,
            tr("The downloaded software update failed verification and has been deleted."));
        return;
    }

    const QString path = m_pInstallerFile->fileName();
    m_pInstallerFile.reset();
    m_qstrVerifiedInstaller = path;
    m_baVerifiedDigest = m_baInstallerDigest;
    vLogMessage(QStringLiteral("Saved to file: ") + path);
    vSetUpdateSetting("update/installerfile", path);
    vSetUpdateSetting("update/downloaded", true);
    vCloseProgressWindow();
    emit downloadFinished(true);
    sltInstallNow();
}

void frmSoftwareUpdate::vFailDownload(const QString& logLine, const QString& userText)
{
    vLogMessage(logLine);
    vDiscardInstallerFile();
    vCloseProgressWindow();
    if (!userText.isEmpty())
        vPostWebServiceMessage(10000, userText);
    emit downloadFinished(false);
}

void frmSoftwareUpdate::vDiscardInstallerFile()
{
    if (!m_pInstallerFile)
        return;
    m_pInstallerFile->close();
    m_pInstallerFile->remove();
    m_pInstallerFile.reset();
}

void frmSoftwareUpdate::vCloseProgressWindow()
{
    if (!m_pProgress)
        return;
    disconnect(m_pProgress, nullptr, this, nullptr);
    m_pProgress->hide();
    m_pProgress->deleteLater();
    m_pProgress = nullptr;
}

void frmSoftwareUpdate::sltInstallNow()
{
    const QString path = qstrUpdateSetting("update/installerfile");
    if (m_qstrVerifiedInstaller.isEmpty() || path != m_qstrVerifiedInstaller) {
        vLogMessage(QStringLiteral("No verified installer to start at ") + path);
        return;
    }
    const QString nativePath = QDir::toNativeSeparators(path);
    QMessageBox question;
    question.setWindowTitle(qstrGetProductDisplayName());
    question.setIcon(QMessageBox::Question);
    question.setText(tr("The installer has been downloaded to ") + nativePath + tr(" and is ready to be installed."));
    question.setInformativeText(tr("Would you like to quit the application and run the installer now?"));
    question.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    question.setDefaultButton(QMessageBox::Yes);
    if (question.exec() != QMessageBox::Yes)
        return;

    // The file may have changed while the question was up.
    if (baUpdateFileDigest(path) != m_baVerifiedDigest) {
        vLogMessage(QStringLiteral("Installer changed after verification: ") + path);
        QFile::remove(path);
        m_qstrVerifiedInstaller.clear();
        vSetUpdateSetting("update/downloaded", false);
        vPostWebServiceMessage(10000, tr("The installer changed after it was verified and has been deleted."));
        return;
    }
    if (!bLaunchInstaller(path)) {
        sltInstallError(QProcess::FailedToStart);
        return;
    }
    vLogMessage(QStringLiteral("Started installer ") + path);
    resetUpdateSettings();
    QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::Quit));
}

void frmSoftwareUpdate::sltInstallError(QProcess::ProcessError error)
{
    QString text;
    switch (error) {
    case QProcess::FailedToStart:
        text = tr("The process failed to start. Either the invoked program is missing, or you may have insufficient "
                  "permissions to invoke the program.");
        break;
    case QProcess::Crashed:
        text = tr("The process crashed some time after starting successfully");
        break;
    case QProcess::Timedout:
        text = tr("The last waitFor...() function timed out. The state of QProcess is unchanged, and you can try "
                  "calling waitFor...() again.");
        break;
    case QProcess::ReadError:
        text = tr("An error occurred when attempting to read from the process. For example, the process may not be "
                  "running.");
        break;
    case QProcess::WriteError:
        text = tr("An error occurred when attempting to write to the process. For example, the process may not be "
                  "running, or it may have closed its input channel.");
        break;
    default:
        text = tr("Unknown error");
        break;
    }
    vPostWebServiceMessage(10000, tr("Install Failed: ") + text);
}
