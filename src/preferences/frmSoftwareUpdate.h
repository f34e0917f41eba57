// The software-update dialog: asks the update server whether a newer build exists and
// keeps the answer in the settings for the next start.
#pragma once

#include <QDialog>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

class frmSoftwareUpdate : public QDialog {
    Q_OBJECT
public:
    explicit frmSoftwareUpdate(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    // Posts the check and returns at once; the answer is stored when it arrives. Without
    // an update server address nothing is sent.
    void vSendUpdateCheck();
    // An earlier check found an update that is still pending ("update/version" is set).
    static bool bIsUpdateAvailable();

    // The address of the update script; empty when this build knows no update server.
    static QUrl urlGetUpdateServer();
    static void vSetUpdateServer(const QUrl& url);

    static QString qstrGetInstallerFolder();

signals:
    // The reply to a check has been handled (stored or refused).
    void updateCheckFinished(bool succeeded);

private slots:
    void sltReceivedUpdateData(QNetworkReply* reply);

private:
    QNetworkAccessManager* m_pNetwork = nullptr;
};
