// The software-update dialog: asks the update server whether a newer build exists, keeps
// the answer in the settings for the next start, and downloads, verifies and starts the
// installer.
#pragma once

#include "ui_frmSoftwareUpdate.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDialog>
#include <QPointer>
#include <QProcess>
#include <QUrl>
#include <memory>

class QFile;
class QNetworkAccessManager;
class QNetworkReply;
class QProgressDialog;

class frmSoftwareUpdate : public QDialog, public Ui::frmSoftwareUpdate {
    Q_OBJECT
public:
    explicit frmSoftwareUpdate(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~frmSoftwareUpdate() override;

    // Posts the check and returns at once; the answer is stored when it arrives. Without
    // an update server nothing is sent. A check already under way answers for this one.
    void vSendUpdateCheck();
    // A check whose answer is shown at once: the dialog, "No updates available." or why
    // the check failed.
    void vCheckNow();
    // An earlier check found an update that is still pending ("update/version" is set).
    static bool bIsUpdateAvailable();
    // Check Now for callers outside the dialog: makes the one dialog (on the main window)
    // when start-up made none.
    static void vStartManualCheck();

    // The update script on the update server; empty when this build has no server.
    static QUrl urlGetUpdateCheckAddress();
    // The program's own download folder, ending in a separator.
    static QString qstrGetInstallerFolder();
    // A plain file name: no separators, no "..", no control characters.
    static bool bIsSafeInstallerName(const QString& name);

signals:
    // The reply to a check has been handled (stored, ignored or refused).
    void updateCheckFinished(bool succeeded);
    // A download has ended: verified (and then offered), or not (and its file deleted).
    void downloadFinished(bool verified);

public slots:
    void init();
    void sltInstallNow();
    void sltDownloadAndInstall();
    void sltSkip();
    void sltUpdateDownloadProgress(qint64 received, qint64 total);
    void sltAbortDownload();
    void sltReceivedUpdateData(QNetworkReply* reply);
    void sltUpdateDownloadFinished(QNetworkReply* reply);
    void sltInstallError(QProcess::ProcessError error);
    void resetUpdateSettings();

private:
    QNetworkAccessManager* pGetNetwork();
    void vManualCheckFailed(const QString& reason);
    bool bOpenInstallerFile(const QString& folder, const QString& name);
    void vWriteDownloadedData();
    // Stops the download when its announced size, or what has arrived with the part just
    // come, is beyond the largest installer taken; false then.
    bool bInstallerWithinLimit(QNetworkReply* reply, qint64 incoming);
    void vFinishInstallerStage(QNetworkReply* reply);
    void vFinishSignatureStage(QNetworkReply* reply);
    void vFailDownload(const QString& logLine, const QString& userText);
    void vCloseProgressWindow();
    void vDiscardInstallerFile();

    // Set when the latest check did not get a good answer.
    bool m_bCheckFailed = false;
    QPointer<QProgressDialog> m_pProgress;
    QPointer<QNetworkReply> m_pDownloadReply;
    bool m_bManualCheck = false;
    QNetworkAccessManager* m_pNetwork = nullptr;
    QPointer<QNetworkReply> m_pCheckReply;

    // The download under way: the installer streams into its file and its digest, then
    // the signature is fetched.
    std::unique_ptr<QFile> m_pInstallerFile;
    qint64 m_iInstallerBytes = 0;
    QCryptographicHash m_hashInstaller {QCryptographicHash::Sha256};
    QByteArray m_baInstallerDigest;
    QByteArray m_baSignature;
    QUrl m_urlInstaller;
    bool m_bFetchingSignature = false;
    bool m_bWriteFailed = false;
    bool m_bDownloadCancelled = false;

    // The installer that passed verification in this run, and its digest.
    QString m_qstrVerifiedInstaller;
    QByteArray m_baVerifiedDigest;
};
