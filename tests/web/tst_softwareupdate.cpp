#include "WebTestSupport.h"

#include "app/ProgramState.h"
#include "app/Settings.h"
#include "mainwindow/frmMain.h"
#include "preferences/WebServices.h"
#include "preferences/frmSoftwareUpdate.h"
#include "velmor.h"

#include <QDir>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>

#include <openssl/evp.h>
#include <openssl/pem.h>

namespace {

const QByteArray kCheckPath = "/register/update_software.php";

QByteArray baSignWithKey(const QByteArray& data, const QString& keyPath)
{
    const QByteArray pem = webtest::baReadData(keyPath);
    BIO* bio = BIO_new_mem_buf(pem.constData(), int(pem.size()));
    EVP_PKEY* key = PEM_read_bio_PrivateKey(bio, nullptr, nullptr, nullptr);
    BIO_free(bio);
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    QByteArray signature;
    size_t length = 0;
    if (key && EVP_DigestSignInit(context, nullptr, EVP_sha256(), nullptr, key) == 1
        && EVP_DigestSignUpdate(context, data.constData(), size_t(data.size())) == 1
        && EVP_DigestSignFinal(context, nullptr, &length) == 1) {
        signature.resize(qsizetype(length));
        if (EVP_DigestSignFinal(context, reinterpret_cast<unsigned char*>(signature.data()), &length) == 1)
            signature.resize(qsizetype(length));
        else
            signature.clear();
    }
    EVP_MD_CTX_free(context);
    EVP_PKEY_free(key);
    return signature;
}

QVariant varUpdateSetting(const char* key)
{
    return pGetUserSettings()->value(QLatin1String(key));
}

QStringList qstrlFilesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

QProgressDialog* pFindProgressWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* progress = qobject_cast<QProgressDialog*>(widget))
            return progress;
    }
    return nullptr;
}

// A payload big enough to arrive in several pieces.
QByteArray baInstallerPayload()
{
    QByteArray payload;
    for (int i = 0; i < 40000; ++i)
        payload += "installer-" + QByteArray::number(i) + '\n';
    return payload;
}

} // namespace

class TestSoftwareUpdate : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<frmMain> m_pWindow;
    std::unique_ptr<testenv::LoopbackHttpsServer> m_pServer;
    std::unique_ptr<frmSoftwareUpdate> m_pDialog;
    webtest::MessageCatcher m_messages;
    webtest::QuitCatcher m_quits;
    QStringList m_launched;
    bool m_bLaunchSucceeds = true;
    // "update/version" as the launcher saw it.
    QStringList m_pendingAtLaunch;
    int m_iBuildTimeout = 0;
    qint64 m_iBuildMaximumInstaller = 0;

    QString qstrData(const char* name) { return QFINDTESTDATA(QStringLiteral("data/") + QLatin1String(name)); }

    std::unique_ptr<testenv::LoopbackHttpsServer> pMakeServer(
        const char* certificate = "loopback-server.pem", const char* key = "loopback-server.key")
    {
        auto server = std::make_unique<testenv::LoopbackHttpsServer>(qstrData(certificate), qstrData(key));
        return server->bListen() ? std::move(server) : nullptr;
    }

    void vAnswerCheck(const QByteArray& body, int status = 200)
    {
        testenv::HttpResponse response;
        response.iStatus = status;
        response.baBody = body;
        m_pServer->vRoute(kCheckPath, response);
    }

    QByteArray baOffer(const QByteArray& version, const QByteArray& name = "setup.bin")
    {
        return m_pServer->baUrl("/dl/" + name) + '^' + name + "^<p>Better <b>tracking</b></p>^" + version;
    }

    // Serves the installer and its signature under /dl/.
    void vServeInstaller(const QByteArray& name, const QByteArray& payload, const QByteArray& signature,
        qint64 holdAfter = -1, bool chunked = false)
    {
        testenv::HttpResponse installer;
        installer.baBody = payload;
        installer.iHoldAfter = holdAfter;
        installer.bChunked = chunked;
        m_pServer->vRoute("/dl/" + name, installer);
        testenv::HttpResponse signatureResponse;
        signatureResponse.baBody = signature;
        m_pServer->vRoute("/dl/" + name + ".sig", signatureResponse);
    }

    bool bCheck(frmSoftwareUpdate& dialog, bool manual = false)
    {
        QSignalSpy finished(&dialog, &frmSoftwareUpdate::updateCheckFinished);
        if (manual)
            dialog.vCheckNow();
        else
            dialog.vSendUpdateCheck();
        return finished.wait(10000) || finished.count() > 0;
    }

    void vDeliverMessages() { QCoreApplication::sendPostedEvents(m_pWindow.get()); }

    QStringList qstrlMessages(int code)
    {
        vDeliverMessages();
        QStringList texts;
        for (const webtest::PostedMessage& message : m_messages.lstMessages) {
            if (message.iCode == code)
                texts << message.qstrText;
        }
        return texts;
    }

private slots:
    void initTestCase()
    {
        webtest::vUseLoopbackOnly(qstrData("test-ca.pem"));
        webservicetesting::vSetUpdatePublicKey(webtest::baReadData(qstrData("update-signing.pub")));
        webservicetesting::vSetInstallerLauncher([this](const QString& path) {
            m_launched << path;
            m_pendingAtLaunch << varUpdateSetting("update/version").toString();
            return m_bLaunchSucceeds;
        });
        m_pWindow = std::make_unique<frmMain>();
        m_pWindow->installEventFilter(&m_messages);
        qApp->installEventFilter(&m_quits);
        m_iBuildTimeout = iGetTransferTimeoutMs();
        m_iBuildMaximumInstaller = iGetMaximumInstallerSize();
    }

    void cleanupTestCase()
    {
        qApp->removeEventFilter(&m_quits);
        m_pWindow.reset();
        webservicetesting::vRestoreBuildValues();
    }

    void init()
    {
        testenv::vResetSettings();
        QDir(frmSoftwareUpdate::qstrGetInstallerFolder()).removeRecursively();
        m_pServer = pMakeServer();
        QVERIFY(m_pServer);
        webservicetesting::vSetUpdateHost(m_pServer->qstrHost());
        vDeliverMessages();
        m_messages.lstMessages.clear();
        m_quits.iQuitRequests = 0;
        m_launched.clear();
        m_pendingAtLaunch.clear();
        m_bLaunchSucceeds = true;
        m_pDialog = std::make_unique<frmSoftwareUpdate>();
    }

    void cleanup()
    {
        m_pDialog.reset();
        m_pServer.reset();
        webservicetesting::vSetTransferTimeout(m_iBuildTimeout);
        webservicetesting::vSetMaximumInstallerSize(m_iBuildMaximumInstaller);
        QTRY_VERIFY_WITH_TIMEOUT(!pFindProgressWindow(), 5000);
    }

    void checkSendsTheFieldsPercentEncoded_data()
    {
        QTest::addColumn<QString>("product");
        QTest::addColumn<bool>("force");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray os = "&os="
            + QUrl::toPercentEncoding(QSysInfo::kernelType() + QLatin1Char('-') + QSysInfo::currentCpuArchitecture());
        QTest::newRow("plain name") << "plintra" << false << "&product=Plintra&build=4127" + os;
        QTest::newRow("space in the name") << "plintra4ae" << false << "&product=Plintra%204AE&build=4127" + os;
        QTest::newRow("forced build") << "plintra" << true << "&product=Plintra&build=0000" + os;
    }

    void checkSendsTheFieldsPercentEncoded()
    {
        QFETCH(QString, product);
        QFETCH(bool, force);
        QFETCH(QByteArray, expected);
        vSetProduct(product);
        pGetUserSettings()->setValue(QStringLiteral("update/force"), force);
        vAnswerCheck("nothing new");
        const bool answered = bCheck(*m_pDialog);
        vSetProduct(QStringLiteral("plintra"));
        QVERIFY(answered);

        QCOMPARE(m_pServer->requests().size(), 1);
        const testenv::HttpRequest& request = m_pServer->requests().first();
        QCOMPARE(request.baMethod, QByteArray("POST"));
        QCOMPARE(request.baTarget, kCheckPath);
        QCOMPARE(request.mapHeaders.value("host"), m_pServer->qstrHost().toLatin1());
        QCOMPARE(request.mapHeaders.value("content-type"), QByteArray("application/x-www-form-urlencoded"));
        QCOMPARE(request.baBody, expected);
    }

    void replyDecidesTheStoredUpdate_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("skipped");
        QTest::addColumn<bool>("stored");
        QTest::newRow("four fields") << 200 << QByteArray("4fields") << QString() << true;
        QTest::newRow("three fields") << 200 << QByteArray("a^b^c") << QString() << false;
        QTest::newRow("five fields") << 200 << QByteArray("a^setup.bin^c^2.1^e") << QString() << false;
        QTest::newRow("status 500") << 500 << QByteArray("4fields") << QString() << false;
        QTest::newRow("10 after 9 was skipped") << 200 << QByteArray("4fields") << QStringLiteral("9") << true;
        QTest::newRow("skipped version again") << 200 << QByteArray("4fields") << QStringLiteral("10") << false;
        QTest::newRow("older than skipped") << 200 << QByteArray("4fields") << QStringLiteral("10.1") << false;
    }

    void replyDecidesTheStoredUpdate()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, reply);
        QFETCH(QString, skipped);
        QFETCH(bool, stored);
        if (reply == "4fields")
            reply = baOffer("10");
        if (!skipped.isEmpty())
            pGetUserSettings()->setValue(QStringLiteral("update/lastversionskipped"), skipped);
        vAnswerCheck(reply, status);
        QVERIFY(bCheck(*m_pDialog));

        QCOMPARE(frmSoftwareUpdate::bIsUpdateAvailable(), stored);
        if (stored) {
            QCOMPARE(varUpdateSetting("update/version").toString(), QStringLiteral("10"));
            QCOMPARE(varUpdateSetting("update/installerURL").toString(),
                QString::fromLatin1(m_pServer->baUrl("/dl/setup.bin")));
            QCOMPARE(varUpdateSetting("update/installerfile").toString(),
                frmSoftwareUpdate::qstrGetInstallerFolder() + QStringLiteral("setup.bin"));
            QCOMPARE(
                varUpdateSetting("update/description").toString(), QStringLiteral("<p>Better <b>tracking</b></p>"));
            QCOMPARE(varUpdateSetting("update/downloaded").toBool(), false);
        } else {
            for (const char* key : {"update/version", "update/installerURL", "update/installerfile",
                     "update/description", "update/downloaded"})
                QVERIFY2(!varUpdateSetting(key).isValid(), key);
        }
        QCOMPARE(varUpdateSetting("update/lastversionskipped").toString(), skipped);
        // An automatic check tells the user nothing.
        QVERIFY(qstrlMessages(10000).isEmpty());
        QVERIFY(qstrlMessages(10100).isEmpty());
    }

    void manualCheckShowsTheOfferAndSkipEndsInNoUpdates()
    {
        vAnswerCheck(baOffer("2.1"));
        QString shownDescription;
        bool skipped = false;
        webtest::ModalHandler handler([&](QWidget* modal) {
            auto* dialog = qobject_cast<frmSoftwareUpdate*>(modal);
            if (!dialog || skipped)
                return;
            shownDescription = dialog->tedtUpdateInfo->toPlainText();
            skipped = true;
            dialog->btnSkip->click();
        });
        QVERIFY(bCheck(*m_pDialog, true));

        QVERIFY(skipped);
        QCOMPARE(shownDescription, QStringLiteral("Better tracking"));
        QCOMPARE(varUpdateSetting("update/lastversionskipped").toString(), QStringLiteral("2.1"));
        QVERIFY(!frmSoftwareUpdate::bIsUpdateAvailable());
        QCOMPARE(qstrlMessages(10100), QStringList {QStringLiteral("No updates available.")});
        vDeliverMessages();
        QCOMPARE(m_messages.lstMessages.first().qstrTitle, QString());
    }

    void failedManualCheckSaysSoAndEndsTheManualCheck_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::newRow("status 500") << "500";
        QTest::newRow("connection refused") << "refused";
        QTest::newRow("untrusted certificate") << "untrusted";
        QTest::newRow("redirect to another server") << "redirect";
        QTest::newRow("installer on another server") << "foreign installer";
        QTest::newRow("installer over http") << "http installer";
        QTest::newRow("installer name with separators") << "../../x";
    }

    void failedManualCheckSaysSoAndEndsTheManualCheck()
    {
        QFETCH(QString, failure);
        std::unique_ptr<testenv::LoopbackHttpsServer> other = pMakeServer();
        QVERIFY(other);
        other->vRoute(kCheckPath, testenv::HttpResponse {200, {}, baOffer("3.0"), false, -1});
        if (failure == QLatin1String("500")) {
            vAnswerCheck("", 500);
        } else if (failure == QLatin1String("refused")) {
            m_pServer->vClose();
        } else if (failure == QLatin1String("untrusted")) {
            m_pServer = pMakeServer("untrusted-server.pem", "untrusted-server.key");
            QVERIFY(m_pServer);
            webservicetesting::vSetUpdateHost(m_pServer->qstrHost());
            vAnswerCheck(baOffer("3.0"));
        } else if (failure == QLatin1String("redirect")) {
            m_pServer->vRoute(
                kCheckPath, testenv::HttpResponse {302, {{"Location", other->baUrl(kCheckPath)}}, {}, false, -1});
        } else if (failure == QLatin1String("foreign installer")) {
            vAnswerCheck(other->baUrl("/dl/setup.bin") + "^setup.bin^text^3.0");
        } else if (failure == QLatin1String("http installer")) {
            vAnswerCheck("http://" + m_pServer->qstrHost().toLatin1() + "/dl/setup.bin^setup.bin^text^3.0");
        } else {
            vAnswerCheck(baOffer("3.0", failure.toLatin1()));
        }
        testenv::ModalAnswerer answerer;
        QVERIFY(bCheck(*m_pDialog, true));

        const QStringList errors = qstrlMessages(10000);
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors.first().startsWith(QStringLiteral("The check for software updates failed: ")),
            qPrintable(errors.first()));
        QVERIFY(qstrlMessages(10100).isEmpty());
        QVERIFY(!frmSoftwareUpdate::bIsUpdateAvailable());
        QVERIFY(answerer.boxes().isEmpty());
        QVERIFY(other->requests().isEmpty());

        // The manual check is over: a later automatic check with an offer stays silent.
        m_pServer = pMakeServer();
        webservicetesting::vSetUpdateHost(m_pServer->qstrHost());
        vAnswerCheck(baOffer("3.0"));
        QVERIFY(bCheck(*m_pDialog));
        QVERIFY(frmSoftwareUpdate::bIsUpdateAvailable());
        QVERIFY(answerer.boxes().isEmpty());
        QCOMPARE(qstrlMessages(10000).size(), 1);
    }

    void checkNowWorksWithoutAStartUpDialog()
    {
        QCOMPARE(g_pSoftwareUpdate, nullptr);
        vAnswerCheck("a^b^c");
        frmSoftwareUpdate::vStartManualCheck();
        QVERIFY(g_pSoftwareUpdate);
        QCOMPARE(g_pSoftwareUpdate->parentWidget(), m_pWindow.get());
        QTRY_COMPARE_WITH_TIMEOUT(qstrlMessages(10100), QStringList {QStringLiteral("No updates available.")}, 10000);
        QCOMPARE(m_pServer->requests().size(), 1);
        delete g_pSoftwareUpdate;
        QCOMPARE(g_pSoftwareUpdate, nullptr);
    }

    void withoutAnUpdateServerNothingIsSent()
    {
        webservicetesting::vSetUpdateHost(QString());
        m_pDialog->vSendUpdateCheck();
        m_pDialog->vCheckNow();
        QTest::qWait(100);
        QVERIFY(m_pServer->requests().isEmpty());
        QCOMPARE(qstrlMessages(10100),
            QStringList {QStringLiteral("This build of Plintra does not check for software updates.")});
    }

    void upgradeNowWithoutAnAddressStaysOpen()
    {
        m_pDialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pDialog.get()));
        m_pDialog->btnInstall->click();
        QVERIFY(m_pDialog->isVisible());
        QTest::qWait(100);
        QVERIFY(m_pServer->requests().isEmpty());
        QVERIFY(!pFindProgressWindow());
    }

    void verifiedDownloadIsLaunchedOnceThenSettingsReset_data()
    {
        QTest::addColumn<bool>("fileAlreadyThere");
        QTest::newRow("fresh folder") << false;
        QTest::newRow("a file of that name exists") << true;
    }

    void verifiedDownloadIsLaunchedOnceThenSettingsReset()
    {
        QFETCH(bool, fileAlreadyThere);
        const QString folder = frmSoftwareUpdate::qstrGetInstallerFolder();
        if (fileAlreadyThere) {
            QVERIFY(QDir().mkpath(folder));
            QFile old(folder + QStringLiteral("setup.bin"));
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("keep me");
        }
        const QByteArray payload = baInstallerPayload();
        vServeInstaller("setup.bin", payload, baSignWithKey(payload, qstrData("update-signing.key")));
        vAnswerCheck(baOffer("2.1"));
        QVERIFY(bCheck(*m_pDialog));

        testenv::ModalAnswerer answerer(QMessageBox::Yes);
        QSignalSpy finished(m_pDialog.get(), &frmSoftwareUpdate::downloadFinished);
        m_pDialog->btnInstall->click();
        QProgressDialog* progress = pFindProgressWindow();
        QVERIFY(progress);
        QCOMPARE(progress->labelText(), QStringLiteral("Downloading Software Update."));
        auto* bar = progress->findChild<QProgressBar*>();
        QVERIFY(bar);
        QSignalSpy values(bar, &QProgressBar::valueChanged);
        QTRY_COMPARE_WITH_TIMEOUT(m_launched.size(), 1, 10000);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.first().first().toBool(), true);
        QVERIFY(!values.isEmpty());
        QCOMPARE(values.last().first().toInt(), 100);

        const QString expectedName = fileAlreadyThere ? QStringLiteral("setup-1.bin") : QStringLiteral("setup.bin");
        QCOMPARE(m_launched.first(), folder + expectedName);
        QCOMPARE(webtest::baReadData(m_launched.first()), payload);
        if (fileAlreadyThere)
            QCOMPARE(webtest::baReadData(folder + QStringLiteral("setup.bin")), QByteArray("keep me"));
        QCOMPARE(answerer.boxes().size(), 1);
        QVERIFY(answerer.boxes().first().qstrText.startsWith(
            QStringLiteral("The installer has been downloaded to ") + QDir::toNativeSeparators(folder + expectedName)));
        // Settings were still pending while the launcher ran, and reset only after it.
        QCOMPARE(m_pendingAtLaunch, QStringList {QStringLiteral("2.1")});
        QVERIFY(!frmSoftwareUpdate::bIsUpdateAvailable());
        QCOMPARE(varUpdateSetting("update/downloaded").toBool(), false);
        QTRY_COMPARE_WITH_TIMEOUT(m_quits.iQuitRequests, 1, 5000);
        QVERIFY(qstrlMessages(10000).isEmpty());
        QTest::qWait(50);
        QCOMPARE(m_launched.size(), 1);
    }

    void unverifiedDownloadIsDeletedAndNeverLaunched_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("tampered installer") << "tampered";
        QTest::newRow("signed by another key") << "other key";
        QTest::newRow("empty signature") << "empty";
        QTest::newRow("no signature on the server") << "missing";
    }

    void unverifiedDownloadIsDeletedAndNeverLaunched()
    {
        QFETCH(QString, fault);
        const QByteArray payload = baInstallerPayload();
        QByteArray served = payload;
        QByteArray signature = baSignWithKey(payload, qstrData("update-signing.key"));
        if (fault == QLatin1String("tampered"))
            served[1000] = 'X';
        else if (fault == QLatin1String("other key"))
            signature = baSignWithKey(payload, qstrData("other-signing.key"));
        else if (fault == QLatin1String("empty"))
            signature.clear();
        vServeInstaller("setup.bin", served, signature);
        if (fault == QLatin1String("missing"))
            m_pServer->vRoute("/dl/setup.bin.sig", testenv::HttpResponse {404, {}, "no", false, -1});
        vAnswerCheck(baOffer("2.1"));
        QVERIFY(bCheck(*m_pDialog));

        testenv::ModalAnswerer answerer(QMessageBox::Yes);
        QSignalSpy finished(m_pDialog.get(), &frmSoftwareUpdate::downloadFinished);
        m_pDialog->btnInstall->click();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
        QCOMPARE(finished.first().first().toBool(), false);

        QVERIFY(qstrlFilesIn(frmSoftwareUpdate::qstrGetInstallerFolder()).isEmpty());
        QVERIFY(m_launched.isEmpty());
        QVERIFY(answerer.boxes().isEmpty());
        QCOMPARE(qstrlMessages(10000).size(), 1);
        QVERIFY(!pFindProgressWindow() || !pFindProgressWindow()->isVisible());
        // The update stays pending for another try.
        QVERIFY(frmSoftwareUpdate::bIsUpdateAvailable());
        QCOMPARE(varUpdateSetting("update/downloaded").toBool(), false);
        QCOMPARE(m_quits.iQuitRequests, 0);
    }

    void failedDownloadClosesTheProgressAndSaysWhy_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("404") << "404";
        QTest::newRow("connection refused") << "refused";
        QTest::newRow("redirect to another server") << "redirect";
    }

    void failedDownloadClosesTheProgressAndSaysWhy()
    {
        QFETCH(QString, fault);
        std::unique_ptr<testenv::LoopbackHttpsServer> other = pMakeServer();
        QVERIFY(other);
        const QByteArray payload = baInstallerPayload();
        other->vRoute("/dl/setup.bin", testenv::HttpResponse {200, {}, payload, false, -1});
        vAnswerCheck(baOffer("2.1"));
        QVERIFY(bCheck(*m_pDialog));
        if (fault == QLatin1String("refused"))
            m_pServer->vClose();
        else if (fault == QLatin1String("redirect"))
            m_pServer->vRoute("/dl/setup.bin",
                testenv::HttpResponse {302, {{"Location", other->baUrl("/dl/setup.bin")}}, {}, false, -1});

        QSignalSpy finished(m_pDialog.get(), &frmSoftwareUpdate::downloadFinished);
        m_pDialog->btnInstall->click();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
        QCOMPARE(finished.first().first().toBool(), false);

        const QStringList errors = qstrlMessages(10000);
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors.first().startsWith(QStringLiteral("The software update could not be downloaded: ")),
            qPrintable(errors.first()));
        QTRY_VERIFY_WITH_TIMEOUT(!pFindProgressWindow(), 5000);
        QVERIFY(qstrlFilesIn(frmSoftwareUpdate::qstrGetInstallerFolder()).isEmpty());
        QVERIFY(other->requests().isEmpty());
        QVERIFY(m_launched.isEmpty());
        QVERIFY(frmSoftwareUpdate::bIsUpdateAvailable());
    }

    void storedNameOutsideTheFolderWritesNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("fileThere");
        QTest::newRow("over a file two folders up") << "../../x" << true;
        // Nothing there, so only the name check stands between the download and the file.
        QTest::newRow("to a free name one folder up") << "../escaped.bin" << false;
    }

    void storedNameOutsideTheFolderWritesNothing()
    {
        QFETCH(QString, name);
        QFETCH(bool, fileThere);
        const QByteArray payload = baInstallerPayload();
        vServeInstaller("x", payload, baSignWithKey(payload, qstrData("update-signing.key")));
        const QString folder = frmSoftwareUpdate::qstrGetInstallerFolder();
        const QString outsidePath = QDir::cleanPath(folder + name);
        QVERIFY(QDir().mkpath(QFileInfo(outsidePath).path()));
        QFile::remove(outsidePath);
        auto removeOutside = qScopeGuard([&] { QFile::remove(outsidePath); });
        if (fileThere) {
            QFile outside(outsidePath);
            QVERIFY(outside.open(QIODevice::WriteOnly));
            outside.write("outside");
        }
        QSettings* settings = pGetUserSettings();
        settings->setValue(QStringLiteral("update/version"), QStringLiteral("2.1"));
        settings->setValue(QStringLiteral("update/installerURL"), QString::fromLatin1(m_pServer->baUrl("/dl/x")));
        settings->setValue(QStringLiteral("update/installerfile"), folder + name);

        testenv::ModalAnswerer answerer(QMessageBox::No);
        m_pDialog->btnInstall->click();
        QTRY_COMPARE_WITH_TIMEOUT(qstrlMessages(10000).size(), 1, 5000);
        QTest::qWait(200);
        QVERIFY(m_pServer->requests().isEmpty());
        QCOMPARE(webtest::baReadData(outsidePath), fileThere ? QByteArray("outside") : QByteArray());
        QCOMPARE(QFileInfo::exists(outsidePath), fileThere);
        QVERIFY(qstrlFilesIn(folder).isEmpty());
        QVERIFY(m_launched.isEmpty());
        QVERIFY(answerer.boxes().isEmpty());
    }

    void bodyStreamsToDiskAndCancelRemovesIt()
    {
        const QByteArray payload = baInstallerPayload();
        vServeInstaller("setup.bin", payload, baSignWithKey(payload, qstrData("update-signing.key")), 100000);
        vAnswerCheck(baOffer("2.1"));
        QVERIFY(bCheck(*m_pDialog));

        QSignalSpy finished(m_pDialog.get(), &frmSoftwareUpdate::downloadFinished);
        m_pDialog->btnInstall->click();
        const QString partial = frmSoftwareUpdate::qstrGetInstallerFolder() + QStringLiteral("setup.bin");
        QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(partial).size(), qint64(100000), 10000);
        QCOMPARE(finished.count(), 0);

        QProgressDialog* progress = pFindProgressWindow();
        QVERIFY(progress);
        auto* cancel = progress->findChild<QPushButton*>();
        QVERIFY(cancel);
        QCOMPARE(cancel->text(), QStringLiteral("Cancel"));
        cancel->click();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 5000);
        QCOMPARE(finished.first().first().toBool(), false);
        QVERIFY(!QFileInfo::exists(partial));
        QVERIFY(qstrlMessages(10000).isEmpty());
        QVERIFY(m_launched.isEmpty());
        QVERIFY(frmSoftwareUpdate::bIsUpdateAvailable());
    }

    void unknownSizeLeavesTheProgressAlone()
    {
        const QByteArray payload = baInstallerPayload();
        vServeInstaller("setup.bin", payload, baSignWithKey(payload, qstrData("update-signing.key")), 100000, true);
        vAnswerCheck(baOffer("2.1"));
        QVERIFY(bCheck(*m_pDialog));

        testenv::ModalAnswerer answerer(QMessageBox::No);
        m_pDialog->btnInstall->click();
        QProgressDialog* progress = pFindProgressWindow();
        QVERIFY(progress);
        auto* bar = progress->findChild<QProgressBar*>();
        QSignalSpy values(bar, &QProgressBar::valueChanged);
        const QString partial = frmSoftwareUpdate::qstrGetInstallerFolder() + QStringLiteral("setup.bin");
        QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(partial).size(), qint64(100000), 10000);
        QTest::qWait(100);
        QVERIFY(values.isEmpty());
        m_pServer->vRelease();
        QTRY_COMPARE_WITH_TIMEOUT(answerer.boxes().size(), 1, 10000);

        // Answered No: the verified installer stays, and nothing starts.
        QVERIFY(m_launched.isEmpty());
        QCOMPARE(varUpdateSetting("update/downloaded").toBool(), true);
        QCOMPARE(webtest::baReadData(varUpdateSetting("update/installerfile").toString()), payload);
    }

    void failedStartIsReportedAndKeepsTheUpdate()
    {
        m_bLaunchSucceeds = false;
        const QByteArray payload = baInstallerPayload();
        vServeInstaller("setup.bin", payload, baSignWithKey(payload, qstrData("update-signing.key")));
        vAnswerCheck(baOffer("2.1"));
        QVERIFY(bCheck(*m_pDialog));

        testenv::ModalAnswerer answerer(QMessageBox::Yes);
        m_pDialog->btnInstall->click();
        QTRY_COMPARE_WITH_TIMEOUT(m_launched.size(), 1, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(qstrlMessages(10000),
            QStringList {QStringLiteral("Install Failed: The process failed to start. Either the "
                                        "invoked program is missing, or you may have insufficient "
                                        "permissions to invoke the program.")},
            5000);
        QVERIFY(frmSoftwareUpdate::bIsUpdateAvailable());
        QCOMPARE(varUpdateSetting("update/downloaded").toBool(), true);
        QTest::qWait(50);
        QCOMPARE(m_quits.iQuitRequests, 0);
    }

    void installerChangedBeforeLaunchIsDeleted()
    {
        const QByteArray payload = baInstallerPayload();
        vServeInstaller("setup.bin", payload, baSignWithKey(payload, qstrData("update-signing.key")));
        vAnswerCheck(baOffer("2.1"));
        QVERIFY(bCheck(*m_pDialog));

        const QString path = frmSoftwareUpdate::qstrGetInstallerFolder() + QStringLiteral("setup.bin");
        bool answered = false;
        webtest::ModalHandler handler([&](QWidget* modal) {
            auto* question = qobject_cast<QMessageBox*>(modal);
            if (!question || answered)
                return;
            answered = true;
            QFile file(path);
            if (file.open(QIODevice::ReadWrite)) {
                file.seek(10);
                file.write("swapped");
            }
            question->button(QMessageBox::Yes)->click();
        });
        m_pDialog->btnInstall->click();
        QTRY_VERIFY_WITH_TIMEOUT(answered, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(qstrlMessages(10000).size(), 1, 5000);
        QVERIFY(m_launched.isEmpty());
        QVERIFY(!QFileInfo::exists(path));
        QVERIFY(frmSoftwareUpdate::bIsUpdateAvailable());
        QCOMPARE(varUpdateSetting("update/downloaded").toBool(), false);
        QCOMPARE(m_quits.iQuitRequests, 0);
    }

    // A server that takes the connection and never answers ends the check after the
    // transfer timeout; the user hears why, and Check Now asks again.
    void silentServerTimesOutAndCheckNowWorksAgain()
    {
        webservicetesting::vSetTransferTimeout(300);
        webtest::SilentServer silent;
        QVERIFY(silent.bListen());
        webservicetesting::vSetUpdateHost(silent.qstrHost());
        QSignalSpy finished(m_pDialog.get(), &frmSoftwareUpdate::updateCheckFinished);
        const QString timedOut
            = QStringLiteral("The check for software updates failed: the server did not answer in time.");

        m_pDialog->vCheckNow();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
        QCOMPARE(finished.first().first().toBool(), false);
        QCOMPARE(qstrlMessages(10000), QStringList {timedOut});

        m_pDialog->vCheckNow();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, 10000);
        QVERIFY(silent.iConnections >= 1);
        QCOMPARE(qstrlMessages(10000), QStringList({timedOut, timedOut}));
        QVERIFY(qstrlMessages(10100).isEmpty());
        QVERIFY(!frmSoftwareUpdate::bIsUpdateAvailable());
    }

    void stalledDownloadTimesOut()
    {
        const QByteArray payload = baInstallerPayload();
        vServeInstaller("setup.bin", payload, baSignWithKey(payload, qstrData("update-signing.key")), 100000);
        vAnswerCheck(baOffer("2.1"));
        QVERIFY(bCheck(*m_pDialog));
        webservicetesting::vSetTransferTimeout(300);

        QSignalSpy finished(m_pDialog.get(), &frmSoftwareUpdate::downloadFinished);
        m_pDialog->btnInstall->click();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
        QCOMPARE(finished.first().first().toBool(), false);
        QCOMPARE(qstrlMessages(10000),
            QStringList {QStringLiteral(
                "The software update could not be downloaded: the server did not answer in time.")});
        QTRY_VERIFY_WITH_TIMEOUT(!pFindProgressWindow(), 5000);
        QVERIFY(qstrlFilesIn(frmSoftwareUpdate::qstrGetInstallerFolder()).isEmpty());
        QVERIFY(m_launched.isEmpty());
        QVERIFY(frmSoftwareUpdate::bIsUpdateAvailable());
    }

    // The installer is taken up to the largest size allowed, whether its size is announced
    // or not; a larger one stops with a message and leaves no file.
    void installerSizeIsBounded_data()
    {
        QTest::addColumn<bool>("chunked");
        QTest::addColumn<int>("overTheMaximum");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<qint64>("holdAfter");
        QTest::newRow("announced, one byte over") << false << 1 << false << qint64(-1);
        QTest::newRow("announced, far over") << false << 300000 << false << qint64(-1);
        // Refused on the announcement, before the rest (which never comes) would be waited for.
        QTest::newRow("announced over, then nothing more") << false << 300000 << false << qint64(0);
        QTest::newRow("announced, exactly the maximum") << false << 0 << true << qint64(-1);
        QTest::newRow("not announced, one byte over") << true << 1 << false << qint64(-1);
        QTest::newRow("not announced, far over") << true << 300000 << false << qint64(-1);
        QTest::newRow("not announced, exactly the maximum") << true << 0 << true << qint64(-1);
    }

    void installerSizeIsBounded()
    {
        QFETCH(bool, chunked);
        QFETCH(int, overTheMaximum);
        QFETCH(bool, taken);
        QFETCH(qint64, holdAfter);
        const QByteArray payload = baInstallerPayload();
        webservicetesting::vSetMaximumInstallerSize(payload.size() - overTheMaximum);
        vServeInstaller(
            "setup.bin", payload, baSignWithKey(payload, qstrData("update-signing.key")), holdAfter, chunked);
        vAnswerCheck(baOffer("2.1"));
        QVERIFY(bCheck(*m_pDialog));

        testenv::ModalAnswerer answerer(QMessageBox::Yes);
        QSignalSpy finished(m_pDialog.get(), &frmSoftwareUpdate::downloadFinished);
        m_pDialog->btnInstall->click();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
        QCOMPARE(finished.first().first().toBool(), taken);
        if (taken) {
            QTRY_COMPARE_WITH_TIMEOUT(m_launched.size(), 1, 5000);
            QCOMPARE(webtest::baReadData(m_launched.first()), payload);
            return;
        }
        const QStringList errors = qstrlMessages(10000);
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors.first().startsWith(QStringLiteral("The software update could not be downloaded: it is larger "
                                                          "than the ")),
            qPrintable(errors.first()));
        QVERIFY(qstrlFilesIn(frmSoftwareUpdate::qstrGetInstallerFolder()).isEmpty());
        QVERIFY(m_launched.isEmpty());
        QVERIFY(answerer.boxes().isEmpty());
        QVERIFY(frmSoftwareUpdate::bIsUpdateAvailable());
    }

    // A check's answer is four short fields: a larger one is refused before it is read.
    void oversizedCheckAnswerIsRefused_data()
    {
        QTest::addColumn<bool>("chunked");
        QTest::addColumn<int>("descriptionSize");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<bool>("held");
        QTest::newRow("announced, 1.5 MiB") << false << (3 << 19) << true << false;
        QTest::newRow("not announced, 1.5 MiB") << true << (3 << 19) << true << false;
        // Refused as it grows, not only once it ends: this one never does.
        QTest::newRow("not announced, 3 MiB of which 2 MiB come") << true << (3 << 20) << true << true;
        QTest::newRow("announced 3 MiB of which nothing comes") << false << (3 << 20) << true << true;
        QTest::newRow("announced, just under 1 MiB") << false << (1 << 20) - 4096 << false << false;
    }

    void oversizedCheckAnswerIsRefused()
    {
        QFETCH(bool, chunked);
        QFETCH(int, descriptionSize);
        QFETCH(bool, refused);
        QFETCH(bool, held);
        const QByteArray description = "<p>" + QByteArray(descriptionSize, 'w') + "</p>";
        testenv::HttpResponse response;
        response.baBody = m_pServer->baUrl("/dl/setup.bin") + "^setup.bin^" + description + "^2.1";
        response.bChunked = chunked;
        if (held)
            response.iHoldAfter = chunked ? 2 << 20 : 0;
        m_pServer->vRoute(kCheckPath, response);
        testenv::ModalAnswerer answerer;
        // A manual check tells why it refused; an answer taken is stored without a window.
        QVERIFY(bCheck(*m_pDialog, refused));

        QCOMPARE(frmSoftwareUpdate::bIsUpdateAvailable(), !refused);
        QVERIFY(answerer.boxes().isEmpty());
        const QStringList errors = qstrlMessages(10000);
        if (refused) {
            QCOMPARE(errors,
                QStringList {QStringLiteral(
                    "The check for software updates failed: the update server's answer is too large.")});
        } else {
            QVERIFY(errors.isEmpty());
            QCOMPARE(varUpdateSetting("update/description").toString().size(), description.size());
        }
    }

    // Every request of the update asks for TLS 1.2 or later and has a transfer timeout; the
    // installer and its signature are held by the network layer only a bounded part at a time.
    void everyRequestIsBoundedAndAsksForTls12()
    {
        const QByteArray payload = baInstallerPayload();
        vServeInstaller("setup.bin", payload, baSignWithKey(payload, qstrData("update-signing.key")));
        vAnswerCheck(baOffer("2.1"));
        m_pDialog->vSendUpdateCheck();
        auto* network = m_pDialog->findChild<QNetworkAccessManager*>();
        QVERIFY(network);
        struct Seen {
            QString qstrPath;
            QSsl::SslProtocol eProtocol;
            int iTimeout;
            qint64 iBuffer;
        };
        QList<Seen> seen;
        auto vNote = [&seen](QNetworkReply* reply) {
            seen << Seen {reply->url().path(), reply->request().sslConfiguration().protocol(),
                reply->request().transferTimeout(), reply->readBufferSize()};
        };
        for (QNetworkReply* reply : network->findChildren<QNetworkReply*>())
            vNote(reply);
        QSignalSpy checked(m_pDialog.get(), &frmSoftwareUpdate::updateCheckFinished);
        QVERIFY(checked.wait(10000));
        connect(network, &QNetworkAccessManager::finished, this, vNote);

        testenv::ModalAnswerer answerer(QMessageBox::No);
        QSignalSpy finished(m_pDialog.get(), &frmSoftwareUpdate::downloadFinished);
        m_pDialog->btnInstall->click();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
        disconnect(network, &QNetworkAccessManager::finished, this, nullptr);

        QStringList paths;
        for (const Seen& request : seen) {
            paths << request.qstrPath;
            QCOMPARE(request.eProtocol, QSsl::TlsV1_2OrLater);
            QVERIFY(request.iTimeout > 0);
            QCOMPARE(request.iTimeout, iGetTransferTimeoutMs());
            if (request.qstrPath.startsWith(QLatin1String("/dl/")))
                QVERIFY2(request.iBuffer > 0 && request.iBuffer <= (1 << 20), qPrintable(request.qstrPath));
        }
        QCOMPARE(paths, QStringList({QString::fromLatin1(kCheckPath), QStringLiteral("/dl/setup.bin"),
                            QStringLiteral("/dl/setup.bin.sig")}));
    }

    void versionsCompareAsDottedNumbers_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("order");
        QTest::newRow("10 after 9") << "10"
                                    << "9" << 1;
        QTest::newRow("9 before 10") << "9"
                                     << "10" << -1;
        QTest::newRow("minor 10 after minor 9") << "2.10"
                                                << "2.9" << 1;
        QTest::newRow("missing part is 0") << "2.0"
                                           << "2" << 0;
        QTest::newRow("leading zeros") << "2.01"
                                       << "2.1" << 0;
        QTest::newRow("longer is newer") << "2.0.1"
                                         << "2.0" << 1;
        QTest::newRow("huge numbers") << "123456789012345678901"
                                      << "99999999999999999999" << 1;
    }

    void versionsCompareAsDottedNumbers()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, order);
        QCOMPARE(iCompareVersions(a, b), order);
        QCOMPARE(iCompareVersions(b, a), -order);
    }
};

PLINTRA_TEST_MAIN(TestSoftwareUpdate)
#include "tst_softwareupdate.moc"
