#include "WebTestSupport.h"

#include "app/Settings.h"
#include "mainwindow/frmMain.h"
#include "preferences/WebServices.h"
#include "preferences/frmReportError.h"

#include <QDir>
#include <QNetworkReply>
#include <QPushButton>
#include <QSettings>
#include <QSslConfiguration>

#include <sys/stat.h>

namespace {

const QByteArray kReportPath = "/servlet/servlet.WebToCase";

// Three runs of the program, the last with text beyond ASCII.
const QByteArray kLog = "Plintra: (Plintra) Commenced logging\n"
                        "Plintra: first run\n"
                        "Plintra: (Plintra) Commenced logging\n"
                        "Plintra: second run\n"
                        "Plintra: (Plintra) Commenced logging\n"
                        "Plintra: Gr\xc3\xbc\xc3\x9f"
                        "e \xe2\x80\x94 caf\xc3\xa9\n";

QString qstrLogPath()
{
    return QDir::homePath() + QStringLiteral("/report-test.log");
}

void vWriteLog(const QByteArray& content)
{
    QFile log(qstrLogPath());
    QVERIFY(log.open(QIODevice::WriteOnly | QIODevice::Truncate));
    log.write(content);
}

QVariant varContact(const char* key)
{
    return pGetUserSettings()->value(QLatin1String(key));
}

} // namespace

class TestReportError : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<frmMain> m_pWindow;
    std::unique_ptr<testenv::LoopbackHttpsServer> m_pServer;
    webtest::MessageCatcher m_messages;
    int m_iBuildTimeout = 0;

    QString qstrData(const char* name) { return QFINDTESTDATA(QStringLiteral("data/") + QLatin1String(name)); }

    QList<webtest::PostedMessage> lstMessages()
    {
        QCoreApplication::sendPostedEvents(m_pWindow.get());
        return m_messages.lstMessages;
    }

    // Runs the dialog; the filler edits it while it is up, then it is submitted or cancelled.
    int iRunDialog(const std::function<void(frmReportError&)>& filler, bool submit)
    {
        frmReportError dialog(m_pWindow.get());
        bool handled = false;
        webtest::ModalHandler handler([&](QWidget* modal) {
            if (modal != &dialog || handled)
                return;
            handled = true;
            filler(dialog);
            (submit ? dialog.btnSubmit : dialog.btnCancel)->click();
        });
        return dialog.exec();
    }

private slots:
    void initTestCase()
    {
        webtest::vUseLoopbackOnly(qstrData("test-ca.pem"));
        webservicetesting::vSetReportFormIds(
            QStringLiteral("00D000000000TST"), QStringLiteral("00N000000000PRD"), QStringLiteral("00N000000000VER"));
        m_pWindow = std::make_unique<frmMain>();
        m_pWindow->installEventFilter(&m_messages);
        m_iBuildTimeout = iGetTransferTimeoutMs();
    }

    void cleanupTestCase()
    {
        m_pWindow.reset();
        webservicetesting::vRestoreBuildValues();
    }

    void init()
    {
        testenv::vResetSettings();
        pGetUserSettings()->setValue(QStringLiteral("ErrorLogFile"), qstrLogPath());
        vWriteLog(kLog);
        m_pServer = std::make_unique<testenv::LoopbackHttpsServer>(
            qstrData("loopback-server.pem"), qstrData("loopback-server.key"));
        QVERIFY(m_pServer->bListen());
        m_pServer->vRoute(kReportPath, testenv::HttpResponse {});
        webservicetesting::vSetReportHost(m_pServer->qstrHost());
        lstMessages();
        m_messages.lstMessages.clear();
    }

    void cleanup()
    {
        m_pServer.reset();
        webservicetesting::vSetTransferTimeout(m_iBuildTimeout);
    }

    void logChoiceSetsWhereTheLogStarts_data()
    {
        QTest::addColumn<QByteArray>("log");
        QTest::addColumn<bool>("wholeLog");
        QTest::addColumn<QString>("expected");
        const QString lastRun = QString::fromUtf8(kLog.mid(kLog.lastIndexOf("Plintra: (Plintra)")));
        QTest::newRow("this session: from the last marker") << kLog << false << lastRun;
        QTest::newRow("whole log: from the top") << kLog << true << QString::fromUtf8(kLog);
        QTest::newRow("no marker: everything")
            << QByteArray("Plintra: one\nPlintra: two\n") << false << QStringLiteral("Plintra: one\nPlintra: two\n");
        QTest::newRow("marker of another product") << QByteArray("x (Other) Commenced logging\ny\n") << false
                                                   << QStringLiteral("x (Other) Commenced logging\ny\n");
    }

    void logChoiceSetsWhereTheLogStarts()
    {
        QFETCH(QByteArray, log);
        QFETCH(bool, wholeLog);
        QFETCH(QString, expected);
        vWriteLog(log);
        frmReportError dialog;
        QVERIFY(dialog.rbtnLastLog->isChecked());
        // Switching reloads from the file each time.
        QTest::mouseClick(wholeLog ? dialog.rbtnLastLog : dialog.rbtnFullLog, Qt::LeftButton);
        QTest::mouseClick(wholeLog ? dialog.rbtnFullLog : dialog.rbtnLastLog, Qt::LeftButton);
        QCOMPARE(dialog.edtErrorLog->toPlainText(), expected);
    }

    void unreadableLogIsNamed_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing") << "missing";
        // Reading a pipe would wait for a writer, and then for an end, for ever.
        QTest::newRow("a pipe") << "pipe";
    }

    void unreadableLogIsNamed()
    {
        QFETCH(QString, kind);
        const QString path = QDir::homePath() + QStringLiteral("/unreadable.log");
        QFile::remove(path);
        auto remove = qScopeGuard([&] { QFile::remove(path); });
        if (kind == QLatin1String("pipe"))
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        pGetUserSettings()->setValue(QStringLiteral("ErrorLogFile"), path);
        frmReportError dialog;
        dialog.readLog();
        QCOMPARE(dialog.edtErrorLog->toPlainText(), QStringLiteral("The error log could not be opened. Path: ") + path);
    }

    // However long the log has grown, a report shows and sends its last part only, from a
    // whole line: the lines of this session when they fit, else the latest lines.
    void longLogSendsItsEndOnly_data()
    {
        QTest::addColumn<bool>("wholeLog");
        QTest::addColumn<bool>("lateMarker");
        QTest::newRow("whole log") << true << false;
        QTest::newRow("this session, which began 3 MiB back") << false << false;
        QTest::newRow("this session, which began near the end") << false << true;
    }

    void longLogSendsItsEndOnly()
    {
        QFETCH(bool, wholeLog);
        QFETCH(bool, lateMarker);
        QByteArray log = "Plintra: (Plintra) Commenced logging\nPlintra: FIRST LINE\n";
        for (int i = 0; log.size() < (3 << 20); ++i)
            log += "Plintra: line " + QByteArray::number(i).rightJustified(7, '0') + " of a long run\n";
        const QByteArray lastStart = "Plintra: (Plintra) Commenced logging\nPlintra: after the last start\n";
        if (lateMarker)
            log += lastStart;
        log += "Plintra: LAST LINE\n";
        vWriteLog(log);

        QString shown;
        QCOMPARE(iRunDialog(
                     [&](frmReportError& dialog) {
                         if (wholeLog)
                             dialog.rbtnFullLog->click();
                         shown = dialog.edtErrorLog->toPlainText();
                     },
                     true),
            int(QDialog::Accepted));

        QVERIFY(shown.endsWith(QStringLiteral("Plintra: LAST LINE\n")));
        QVERIFY(!shown.contains(QStringLiteral("FIRST LINE")));
        if (lateMarker) {
            QCOMPARE(shown, QString::fromUtf8(lastStart + "Plintra: LAST LINE\n"));
        } else {
            const QString note = QStringLiteral("[Earlier lines of the log are left out.]\n");
            QVERIFY(shown.startsWith(note + QStringLiteral("Plintra: line ")));
            QVERIFY(shown.size() <= note.size() + frmReportError::kiMaximumReportedLog);
            QVERIFY(shown.size() > frmReportError::kiMaximumReportedLog - 100);
        }

        QTRY_COMPARE_WITH_TIMEOUT(m_pServer->requests().size(), 1, 10000);
        const QByteArray body = m_pServer->requests().first().baBody;
        QVERIFY2(body.size() < (2 << 20), qPrintable(QString::number(body.size())));
        QVERIFY(body.contains("Plintra%3A%20LAST%20LINE%0A"));
        QVERIFY(!body.contains("FIRST%20LINE"));
        // Its answer is this test's, not the next one's.
        QTRY_COMPARE_WITH_TIMEOUT(lstMessages().size(), 1, 10000);
        QCOMPARE(lstMessages().first().iCode, 10100);
    }

    // A server that takes the report and never answers: the user is told, in time.
    void silentServerTimesOutTheReport()
    {
        webservicetesting::vSetTransferTimeout(300);
        webtest::SilentServer silent;
        QVERIFY(silent.bListen());
        webservicetesting::vSetReportHost(silent.qstrHost());
        QCOMPARE(iRunDialog([](frmReportError& dialog) { dialog.edtSubject->setText(QStringLiteral("s")); }, true),
            int(QDialog::Accepted));
        QTRY_COMPARE_WITH_TIMEOUT(lstMessages().size(), 1, 10000);
        QCOMPARE(lstMessages().first().iCode, 10000);
        QCOMPARE(lstMessages().first().qstrText,
            QStringLiteral("The error report could not be sent: the server did not answer in time."));
        QVERIFY(silent.iConnections >= 1);
    }

    void reportRequestAsksForTls12AndATimeout()
    {
        QCOMPARE(iRunDialog([](frmReportError& dialog) { dialog.edtSubject->setText(QStringLiteral("s")); }, true),
            int(QDialog::Accepted));
        QNetworkReply* sent = nullptr;
        for (QNetworkReply* reply : m_pWindow->findChildren<QNetworkReply*>()) {
            if (reply->url().path() == QLatin1String(kReportPath))
                sent = reply;
        }
        QVERIFY(sent);
        QCOMPARE(sent->request().sslConfiguration().protocol(), QSsl::TlsV1_2OrLater);
        QCOMPARE(sent->request().sslConfiguration().peerVerifyMode(), QSslSocket::VerifyPeer);
        QVERIFY(sent->request().transferTimeout() > 0);
        QTRY_COMPARE_WITH_TIMEOUT(lstMessages().size(), 1, 10000);
        QCOMPARE(lstMessages().first().iCode, 10100);
    }

    void submitPostsWhatTheDialogShowed_data()
    {
        QTest::addColumn<bool>("wholeLog");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("phone");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray lastRun = "Plintra%3A%20%28Plintra%29%20Commenced%20logging%0A"
                                   "Plintra%3A%20Gr%C3%BC%C3%9Fe%20%E2%80%94%20caf%C3%A9%0A";
        const QByteArray head = "orgid=00D000000000TST";
        const QByteArray middle = "&email=jo%40example.org";
        const QByteArray tail = "&company=Acme%20%26%20Sons&subject=Crash%20on%20render%3F"
                                "&description=It%20stopped%20%26%20a%3Db%0Athen%20quit%0A%0A";
        const QByteArray ending = "&type=Problem&00N000000000PRD=Plintra&00N000000000VER=.0";
        QTest::newRow("this session, all fields")
            << false << QStringLiteral("J\u00fcrgen M\u00fcller") << QStringLiteral("+44 1234")
            << head + "&name=J%C3%BCrgen%20M%C3%BCller" + middle + "&phone=%2B44%201234" + tail + lastRun + ending;
        QTest::newRow("whole log, empty name and phone") << true << QString() << QString()
                                                         << head + "&name=" + middle + "&phone=" + tail
                + "Plintra%3A%20%28Plintra%29%20Commenced%20logging%0APlintra%3A%20first%20run%0A"
                  "Plintra%3A%20%28Plintra%29%20Commenced%20logging%0APlintra%3A%20second%20run%0A"
                + lastRun + ending;
    }

    void submitPostsWhatTheDialogShowed()
    {
        QFETCH(bool, wholeLog);
        QFETCH(QString, name);
        QFETCH(QString, phone);
        QFETCH(QByteArray, expected);
        pGetUserSettings()->setValue(QStringLiteral("ContactEmail"), QStringLiteral("jo@example.org"));
        QString shownLog;
        const int result = iRunDialog(
            [&](frmReportError& dialog) {
                QCOMPARE(dialog.edtEmail->text(), QStringLiteral("jo@example.org"));
                if (wholeLog)
                    dialog.rbtnFullLog->click();
                dialog.edtName->setText(name);
                dialog.edtPhone->setText(phone);
                dialog.edtCompany->setText(QStringLiteral("Acme & Sons"));
                dialog.edtSubject->setText(QStringLiteral("Crash on render?"));
                dialog.edtComments->setPlainText(QStringLiteral("It stopped & a=b\nthen quit"));
                shownLog = dialog.edtErrorLog->toPlainText();
            },
            true);
        QCOMPARE(result, int(QDialog::Accepted));

        QTRY_COMPARE_WITH_TIMEOUT(m_pServer->requests().size(), 1, 10000);
        const testenv::HttpRequest& request = m_pServer->requests().first();
        QCOMPARE(request.baMethod, QByteArray("POST"));
        QCOMPARE(request.baTarget, kReportPath + "?encoding=UTF-8");
        QCOMPARE(request.mapHeaders.value("content-type"), QByteArray("application/x-www-form-urlencoded"));
        QCOMPARE(request.baBody, expected);
        QVERIFY(request.baBody.contains(QUrl::toPercentEncoding(shownLog)));

        QTRY_COMPARE_WITH_TIMEOUT(lstMessages().size(), 1, 10000);
        QCOMPARE(lstMessages().first().iCode, 10100);
        QCOMPARE(lstMessages().first().qstrText, QStringLiteral("Your error report has been sent."));
        QCOMPARE(varContact("ContactName").toString(), name);
        QCOMPARE(varContact("ContactCompany").toString(), QStringLiteral("Acme & Sons"));
        QCOMPARE(varContact("ContactEmail").toString(), QStringLiteral("jo@example.org"));
        QCOMPARE(varContact("ContactPhone").toString(), phone);
    }

    void failedSendingIsShown_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("server error") << "500";
        QTest::newRow("untrusted certificate") << "untrusted";
        QTest::newRow("connection refused") << "refused";
    }

    void failedSendingIsShown()
    {
        QFETCH(QString, fault);
        if (fault == QLatin1String("500")) {
            m_pServer->vRoute(kReportPath, testenv::HttpResponse {500, {}, "down", false, -1});
        } else if (fault == QLatin1String("untrusted")) {
            m_pServer = std::make_unique<testenv::LoopbackHttpsServer>(
                qstrData("untrusted-server.pem"), qstrData("untrusted-server.key"));
            QVERIFY(m_pServer->bListen());
            m_pServer->vRoute(kReportPath, testenv::HttpResponse {});
            webservicetesting::vSetReportHost(m_pServer->qstrHost());
        } else {
            m_pServer->vClose();
        }
        QCOMPARE(iRunDialog([](frmReportError& dialog) { dialog.edtSubject->setText(QStringLiteral("s")); }, true),
            int(QDialog::Accepted));
        QTRY_COMPARE_WITH_TIMEOUT(lstMessages().size(), 1, 10000);
        QCOMPARE(lstMessages().first().iCode, 10000);
        QVERIFY2(lstMessages().first().qstrText.startsWith(QStringLiteral("The error report could not be sent: ")),
            qPrintable(lstMessages().first().qstrText));
        if (fault != QLatin1String("500"))
            QVERIFY(m_pServer->requests().isEmpty());
    }

    void cancelSendsAndStoresNothing()
    {
        pGetUserSettings()->setValue(QStringLiteral("ContactName"), QStringLiteral("Jo"));
        const int result = iRunDialog(
            [](frmReportError& dialog) {
                dialog.edtName->setText(QStringLiteral("Someone Else"));
                dialog.edtPhone->setText(QStringLiteral("555"));
            },
            false);
        QCOMPARE(result, int(QDialog::Rejected));
        QTest::qWait(200);
        QVERIFY(m_pServer->requests().isEmpty());
        QCOMPARE(varContact("ContactName").toString(), QStringLiteral("Jo"));
        QVERIFY(!varContact("ContactPhone").isValid());
        QVERIFY(lstMessages().isEmpty());
    }

    void typedFieldsAreCutToTheirLimits()
    {
        frmReportError dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::keyClicks(dialog.edtName, QString(100, QLatin1Char('n')));
        QTest::keyClicks(dialog.edtPhone, QString(50, QLatin1Char('5')));
        dialog.edtSubject->setText(QString(300, QLatin1Char('s')));
        QCOMPARE(dialog.edtName->text().size(), 80);
        QCOMPARE(dialog.edtPhone->text().size(), 40);
        QCOMPARE(dialog.edtSubject->text().size(), 255);
    }

    void reportErrorCommandRunsTheDialog()
    {
        testenv::ModalAnswerer answerer;
        QTimer::singleShot(0, m_pWindow.get(), &frmMain::actReportError_activated);
        QTRY_COMPARE_WITH_TIMEOUT(answerer.boxes().size(), 1, 5000);
        QCOMPARE(answerer.boxes().first().qstrClass, QStringLiteral("frmReportError"));
        QCOMPARE(answerer.boxes().first().qstrTitle, QStringLiteral("Report Errors"));
        QTest::qWait(100);
        QVERIFY(m_pServer->requests().isEmpty());
    }
};

PLINTRA_TEST_MAIN(TestReportError)
#include "tst_reporterror.moc"
