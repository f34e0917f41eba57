#include "ProjectFixtures.h"
#include "TestEnvironment.h"

#include "Vosk.h"
#include "app/ExternalPrograms.h"
#include "app/ProductStrings.h"
#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "app/Settings.h"
#include "clips/frmExportTrackingData.h"
#include "mainwindow/frmMain.h"
#include "preferences/frmPreferences.h"
#include "standin/testing.h"
#include "velmor.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <memory>

namespace {

namespace sit = standin::testing;

// A program that writes its arguments, one a line, into a file beside it.
QString qstrWriteRecorder(const QString& folder)
{
    const QString program = folder + QStringLiteral("/recorder");
    QFile file(program);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > \"%1/args.txt\"\n").arg(folder).toUtf8());
    file.close();
    QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner);
    return program;
}

QString qstrRecorded(const QString& folder)
{
    QFile file(folder + QStringLiteral("/args.txt"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Writes a setting; the programs and the log file are read from the preferences' fields,
// which an OK would have filled with the same value.
void vSetKey(const char* key, const QVariant& value)
{
    pGetUserSettings()->setValue(QLatin1String(key), value);
    static const QMap<QString, QString> fields = {{QStringLiteral("WebBrowser"), QStringLiteral("edtWebBrowserExecutable")},
        {QStringLiteral("PDFReader"), QStringLiteral("edtAcrobatExecutable")},
        {QStringLiteral("ErrorLogFile"), QStringLiteral("edtPreferencesLogFile")}};
    if (g_pPreferences && fields.contains(QLatin1String(key))) {
        if (auto* field = g_pPreferences->findChild<QLineEdit*>(fields.value(QLatin1String(key))))
            field->setText(value.toString());
    }
}

QAction* pAction(frmMain& window, const QString& name)
{
    auto* action = window.findChild<QAction*>(name);
    // The widget state may have switched it off; what is tested here is what it runs.
    if (action)
        action->setEnabled(true);
    return action;
}


QStringList qslLayerNames(CW_Instance project)
{
    QStringList names;
    for (const int id : pglGetLayerIDList(project))
        names << qstrGetLayerName(project, id);
    return names;
}

} // namespace

class TestHelpAndImport : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
        // No desktop opener can be found: nothing outside the test is ever started.
        QVERIFY(m_emptyBin.isValid());
        qputenv("PATH", QFile::encodeName(m_emptyBin.path()));
    }

    void init()
    {
        testenv::vResetSettings();
        m_pWindow = std::make_unique<frmMain>();
        m_pWindow->sltConfigureGUI();
    }

    void cleanup()
    {
        ProjectManagerInstance::instance()->setInstance(nullptr);
        m_pWindow.reset();
        sit::vReset();
    }

    void documentsOpenInTheConfiguredPdfReader_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("document");
        QTest::newRow("offline help") << "actOfflineHelp"
                                      << "Quick Start.pdf";
        QTest::newRow("release notes") << "actReleaseNotes"
                                       << "Plintra Release Notes.pdf";
    }

    void documentsOpenInTheConfiguredPdfReader()
    {
        QFETCH(QString, action);
        QFETCH(QString, document);
        QTemporaryDir install;
        QTemporaryDir programs;
        QDir(install.path()).mkpath(QStringLiteral("docs"));
        const QString path = install.path() + QStringLiteral("/docs/") + document;
        QFile pdf(path);
        QVERIFY(pdf.open(QIODevice::WriteOnly));
        pdf.close();
        vSetKey("InstallDir", install.path());
        vSetKey("PDFReader", qstrWriteRecorder(programs.path()));

        testenv::DialogDriver driver;
        pAction(*m_pWindow, action)->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(qstrRecorded(programs.path()), path + QLatin1Char('\n'), 10000);
        QVERIFY(driver.seen.isEmpty());
    }

    void missingPdfReaderOrDocumentIsReported_data()
    {
        QTest::addColumn<QString>("reader");
        QTest::addColumn<bool>("documentInstalled");
        QTest::addColumn<QString>("message");
        const QString failed = QStringLiteral("Failed to launch PDF Reader. Please make sure this external program is "
                                              "installed in the location specified in preferences.");
        QTest::newRow("reader missing") << "missing" << true << failed;
        QTest::newRow("no reader set, no desktop opener") << "unset" << true << failed;
        QTest::newRow("document missing") << "recorder" << false << "The document %1 is not installed.";
    }

    void missingPdfReaderOrDocumentIsReported()
    {
        QFETCH(QString, reader);
        QFETCH(bool, documentInstalled);
        QFETCH(QString, message);
        QTemporaryDir install;
        QTemporaryDir programs;
        QDir(install.path()).mkpath(QStringLiteral("docs"));
        const QString path = install.path() + QStringLiteral("/docs/Quick Start.pdf");
        if (documentInstalled) {
            QFile pdf(path);
            QVERIFY(pdf.open(QIODevice::WriteOnly));
        }
        vSetKey("InstallDir", install.path());
        if (reader == QLatin1String("missing"))
            vSetKey("PDFReader", programs.filePath(QStringLiteral("reader")));
        else if (reader == QLatin1String("recorder"))
            vSetKey("PDFReader", qstrWriteRecorder(programs.path()));

        testenv::DialogDriver driver;
        pAction(*m_pWindow, QStringLiteral("actOfflineHelp"))->trigger();
        QCOMPARE(
            driver.qslMessages(), QStringList {message.contains(QLatin1String("%1")) ? message.arg(path) : message});
        QCOMPARE(driver.seen.first().qstrTitle, QStringLiteral("Plintra"));
        QTest::qWait(200);
        QCOMPARE(qstrRecorded(programs.path()), QString());
    }

    void shippedDocumentsOpenFromTheInstalledLayout_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("relativePath");
        QTest::newRow("offline help") << "actOfflineHelp" << qstrGetQuickStartGuidePath(QStringLiteral("plintra"));
        QTest::newRow("release notes") << "actReleaseNotes" << qstrGetReleaseNotesPath(QStringLiteral("plintra"));
    }

    void shippedDocumentsOpenFromTheInstalledLayout()
    {
        QFETCH(QString, action);
        QFETCH(QString, relativePath);
        // The build's own installation, as `make run` starts it.
        const QString path = QDir::cleanPath(QStringLiteral(PLINTRA_STAGE_DIR "/") + relativePath);
        QFile file(path);
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
        const QByteArray pdf = file.readAll();
        QVERIFY2(pdf.startsWith("%PDF-1.") && pdf.trimmed().endsWith("%%EOF"), qPrintable(path));
        // Several pages of text with their fonts, not a stub.
        QVERIFY2(pdf.size() > 16384, qPrintable(QString::number(pdf.size())));
        const QRegularExpressionMatch count
            = QRegularExpression(QStringLiteral("/Type /Pages\\s[^>]*/Count (\\d+)")).match(QString::fromLatin1(pdf));
        QVERIFY(count.hasMatch());
        const int pages = count.captured(1).toInt();
        QVERIFY(pages > 0);
        QCOMPARE(QString::fromLatin1(pdf).count(QRegularExpression(QStringLiteral("/Type /Page\\s"))), pages);

        // No reader in the preferences: the desktop's opener gets the document.
        QTemporaryDir programs;
        const QString opener = qstrWriteRecorder(programs.path());
        QVERIFY(QFile::rename(opener, programs.filePath(QStringLiteral("xdg-open"))));
        qputenv("PATH", QFile::encodeName(programs.path()));
        vSetKey("InstallDir", QStringLiteral(PLINTRA_STAGE_DIR));
        vSetKey("PDFReader", QString());
        testenv::DialogDriver driver;
        pAction(*m_pWindow, action)->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(qstrRecorded(programs.path()), path + QLatin1Char('\n'), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(qApp->findChildren<QProcess*>().isEmpty(), 10000);
        qputenv("PATH", QFile::encodeName(m_emptyBin.path()));
        QVERIFY(driver.seen.isEmpty());
    }

    void webPagesOpenInTheConfiguredBrowser_data()
    {
        QTest::addColumn<QString>("action");
        QTest::newRow("online help") << "actHelp";
        QTest::newRow("product web site") << "actGotoProductWebsite";
        QTest::newRow("forums") << "actLaunchForums";
        QTest::newRow("tutorials") << "actLaunchTutorials";
    }

    void webPagesOpenInTheConfiguredBrowser()
    {
        QFETCH(QString, action);
        QTemporaryDir programs;
        vSetKey("WebBrowser", qstrWriteRecorder(programs.path()));
        testenv::DialogDriver driver;
        pAction(*m_pWindow, action)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!qstrRecorded(programs.path()).isEmpty(), 10000);
        const QStringList arguments = qstrRecorded(programs.path()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(arguments.size(), 1);
        const QUrl address(arguments.first(), QUrl::StrictMode);
        QVERIFY2(address.isValid() && address.scheme() == QLatin1String("https") && !address.host().isEmpty(),
            qPrintable(arguments.first()));
        QVERIFY(driver.seen.isEmpty());
    }

    void missingBrowserIsReported()
    {
        vSetKey("WebBrowser", QStringLiteral("/nonexistent/browser"));
        testenv::DialogDriver driver;
        pAction(*m_pWindow, QStringLiteral("actHelp"))->trigger();
        QCOMPARE(driver.qslMessages(),
            QStringList {QStringLiteral("Failed to launch Web Browser. Please make sure this external program is "
                                        "installed in the location specified in preferences.")});
    }

    void viewLogPassesAFileAddress_data()
    {
        QTest::addColumn<QVariant>("logFile");
        QTest::addColumn<QString>("argument");
        QTest::newRow("set") << QVariant(QStringLiteral("/var/tmp/my log.txt")) << "file:/var/tmp/my log.txt";
        // No file is no log file: the default is.
        QTest::newRow("empty") << QVariant(QString()) << "file:" + QDir::homePath() + "/.corvane_log.txt";
        QTest::newRow("unset") << QVariant() << "file:" + QDir::homePath() + "/.corvane_log.txt";
    }

    void viewLogPassesAFileAddress()
    {
        QFETCH(QVariant, logFile);
        QFETCH(QString, argument);
        QTemporaryDir programs;
        vSetKey("WebBrowser", qstrWriteRecorder(programs.path()));
        if (logFile.isValid())
            vSetKey("ErrorLogFile", logFile);
        testenv::DialogDriver driver;
        pAction(*m_pWindow, QStringLiteral("actViewLog"))->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(qstrRecorded(programs.path()), argument + QLatin1Char('\n'), 10000);
        QVERIFY(driver.seen.isEmpty());
    }

    void aboutBoxShowsVersionAndBuildDate()
    {
        testenv::DialogDriver driver;
        pAction(*m_pWindow, QStringLiteral("actAbout"))->trigger();
        QCOMPARE(driver.seen.size(), 1);
        QCOMPARE(driver.seen.first().qstrTitle, qstrGetApplicationTitle());
        const QString text = driver.seen.first().qstrText;
        QVERIFY2(text.startsWith(QStringLiteral("Version 2.0\nBuild Date ") + QLatin1String(__DATE__) + "\n\n"),
            qPrintable(text));
    }

    void welcomeScreenAndPreferencesRunOnce_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("dialogClass");
        QTest::newRow("welcome") << "actShowWelcomeScreen"
                                 << "frmSplash";
        QTest::newRow("preferences") << "actViewPreferences"
                                     << "frmPreferences";
    }

    void welcomeScreenAndPreferencesRunOnce()
    {
        QFETCH(QString, action);
        QFETCH(QString, dialogClass);
        testenv::DialogDriver driver;
        // The answerer's timer is already due when the dialog shows, as on a loaded machine:
        // a splash-type window's show() runs one pass of events itself, timers included.
        QTest::qSleep(100);
        pAction(*m_pWindow, action)->trigger();
        QCOMPARE(driver.seen.size(), 1);
        QCOMPARE(driver.seen.first().qstrClass, dialogClass);
    }

    void dialogLeftOpenEndsTheWaitAndSaysWhich()
    {
        testenv::DialogDriver driver;
        driver.iTimeoutMs = 500;
        driver.bFailTestOnTimeout = false;
        // Seen but never closed: without the driver's bound exec() would wait for ever.
        driver.handler = [](QWidget*) { return true; };
        QElapsedTimer clock;
        clock.start();
        pAction(*m_pWindow, QStringLiteral("actAbout"))->trigger();
        QVERIFY2(clock.elapsed() < 30000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(driver.seen.size(), 1);
        QVERIFY2(driver.qstrGaveUp.contains(QStringLiteral("QMessageBox \"") + qstrGetApplicationTitle()),
            qPrintable(driver.qstrGaveUp));
        QVERIFY(!QApplication::activeModalWidget());
    }

    void exportActionsOpenTheirDialogs_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("dialogClass");
        QTest::addColumn<int>("trackingOption");
        QTest::newRow("tracking") << "actSaveTrackingData"
                                  << "frmExportTrackingData" << 1;
        QTest::newRow("offset tracking") << "actSaveOffsetTrackingData"
                                         << "frmExportTrackingData" << 2;
        QTest::newRow("shapes") << "actSaveShapeData"
                                << "frmExportShapeData" << 0;
        QTest::newRow("layers") << "actSaveLayerData"
                                << "frmExportLayerData" << 0;
        QTest::newRow("lens") << "actSaveLensData"
                              << "frmExportLensData" << 0;
        QTest::newRow("project") << "actExportProjectData"
                                 << "frmExportSorrelData" << 0;
    }

    void exportActionsOpenTheirDialogs()
    {
        QFETCH(QString, action);
        QFETCH(QString, dialogClass);
        QFETCH(int, trackingOption);
        testenv::DialogDriver driver;
        int option = 0;
        QWidget* parent = nullptr;
        driver.handler = [&](QWidget* dialog) {
            parent = dialog->parentWidget();
            if (auto* tracking = qobject_cast<frmExportTrackingData*>(dialog))
                option = tracking->eGetOption();
            return false;
        };
        pAction(*m_pWindow, action)->trigger();
        QCOMPARE(driver.seen.size(), 1);
        QCOMPARE(driver.seen.first().qstrClass, dialogClass);
        QCOMPARE(parent, m_pWindow.get());
        QCOMPARE(option, trackingOption);
        // Until the export exists the dialog says so rather than pretending to write.
        if (dialogClass == QLatin1String("frmExportLensData") || dialogClass == QLatin1String("frmExportSorrelData"))
            QVERIFY(driver.seen.first().qstrText.contains(QStringLiteral("cannot be exported")));
        // Closed, the dialog is gone: repeated exports leave nothing behind.
        for (QDialog* child : m_pWindow->findChildren<QDialog*>())
            QVERIFY(dialogClass != QLatin1String(child->metaObject()->className()));
    }

    void renderedExports_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("project");
        QTest::addColumn<QString>("seen");
        QTest::newRow("clip, no project") << "actFileSaveClip" << 0 << "";
        QTest::newRow("shapes, no project") << "actExportRenderedShapes" << 0 << "";
        QTest::newRow("clip, only source clips") << "actFileSaveClip" << 1 << "Cannot export";
        QTest::newRow("shapes, only source clips") << "actExportRenderedShapes" << 1 << "Cannot export";
        QTest::newRow("clip, rendered clip") << "actFileSaveClip" << 2 << "Export Rendered Clip";
        QTest::newRow("shapes, rendered clip") << "actExportRenderedShapes" << 2 << "Export Rendered Shapes";
    }

    void renderedExports()
    {
        QFETCH(QString, action);
        QFETCH(int, project);
        QFETCH(QString, seen);
        if (project > 0) {
            CW_Instance handle = sit::pCreateProject();
            CW_ClipInfo source;
            sit::vSetClipListing(handle, 1, QStringLiteral("Shot"), source);
            if (project == 2) {
                CW_ClipInfo rendered;
                rendered.bSourceClip = false;
                sit::vSetClipListing(handle, 2, QStringLiteral("Shot_track"), rendered, 1);
            }
            ProjectManagerInstance::instance()->setInstance(handle);
        }
        testenv::DialogDriver driver;
        pAction(*m_pWindow, action)->trigger();
        QTest::qWait(100);
        if (seen.isEmpty()) {
            QVERIFY(driver.seen.isEmpty());
        } else {
            QCOMPARE(driver.seen.size(), 1);
            QCOMPARE(driver.seen.first().qstrTitle, seen);
        }
        if (project == 1)
            QCOMPARE(driver.seen.first().qstrText, QStringLiteral("No rendered clips available for export."));
    }

    void layerImportReadsALayerFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("two layers.layer"));
        CW_Instance source = sit::pCreateProject();
        const int foreground = sit::iAddLayer(source, QStringLiteral("Foreground"));
        auto* opacity
            = pGetLayerParameters(source, foreground)->pAddNumeric<float>(QStringLiteral("Opacity"), 0.75f, 0.0f, 1.0f);
        opacity->setValueAt(0.5f, 10.0f);
        opacity->setValueAt(0.25f, 20.0f);
        sit::iAddLayer(source, QStringLiteral("Left out"));
        const int sky = sit::iAddLayer(source, QStringLiteral("Sky = blue [1]"));
        pGetLayerParameters(source, sky)->pAddNumeric<int>(QStringLiteral("Feather"), 3, 0, 100);
        vSaveLayerInfo(
            source, CW_LAYER_DATA_SCRIPT, CW_LAYER_SCOPE_ALL, path.toUtf8().constData(), {uint(foreground), uint(sky)});
        QVERIFY(QFileInfo(path).size() > 0);

        CW_Instance target = sit::pCreateProject();
        const int existing = sit::iAddLayer(target, QStringLiteral("Foreground"));
        ProjectManagerInstance::instance()->setInstance(target);
        testenv::DialogDriver driver;
        driver.handler = testenv::fnAnswerFileDialog(path);
        pAction(*m_pWindow, QStringLiteral("actImportLayers"))->trigger();

        QCOMPARE(driver.seen.size(), 1);
        QCOMPARE(driver.seen.first().qstrClass, QStringLiteral("QFileDialog"));
        QCOMPARE(driver.seen.first().qstrTitle, QStringLiteral("Choose a file"));
        QCOMPARE(qslLayerNames(target), (QStringList {"Foreground", "Foreground", "Sky = blue [1]"}));
        const std::vector<int> ids = pglGetLayerIDList(target);
        QCOMPARE(ids.front(), existing);
        QVERIFY(ids[1] != existing && ids[2] != ids[1] && ids[2] != existing);

        auto* imported = dynamic_cast<Murn::NumericParameter<float>*>(
            pGetLayerParameters(target, ids[1])->pFind(QStringLiteral("Opacity")));
        QVERIFY(imported);
        QCOMPARE(imported->staticValue(), 0.75f);
        QCOMPARE(imported->vecGetKeys().size(), size_t(2));
        QCOMPARE(imported->valueAt(20.0f), 0.25f);
        QVERIFY(pGetLayerParameters(target, ids[2])->pFind(QStringLiteral("Feather")));
        QVERIFY(pGetLayerParameters(target, ids[0])->vecGetParameters().empty());

        // The layer dialog's filter is kept apart from the clip dialogs' one.
        QCOMPARE(pGetUserSettings()->value("OpenLayerFileFilter").toString(),
            QStringLiteral("Corvane layer files (*.layer)"));
        QVERIFY(!pGetUserSettings()->contains("OpenExistingFileFilter"));
    }

    void cancelledLayerImportDoesNothing()
    {
        CW_Instance target = sit::pCreateProject();
        sit::iAddLayer(target, QStringLiteral("Only"));
        ProjectManagerInstance::instance()->setInstance(target);
        testenv::DialogDriver driver;
        driver.handler = testenv::fnAnswerFileDialog(QString());
        pAction(*m_pWindow, QStringLiteral("actImportLayers"))->trigger();
        QCOMPARE(driver.seen.size(), 1);
        QCOMPARE(qslLayerNames(target), QStringList {"Only"});
        QVERIFY(!pGetUserSettings()->contains("OpenLayerFileFilter"));
        QVERIFY(!pGetUserSettings()->contains("OpenExistingFileFilter"));
    }

    void failedLayerImportSaysSo_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("message");
        QTest::newRow("not a layer file") << QByteArray("PLINTRA PROJECT FILE\nversion 2018\n") << "is damaged";
        QTest::newRow("damaged parameter")
            << QByteArray("CORVANE LAYER SCRIPT\nversion 1\n[layer 1]\nname=A\n[parameter 1]\nname=Opacity\n"
                          "type=float\nstatic=much\nlower=0\nupper=1\n")
            << "is damaged";
        QTest::newRow("parameter of no layer")
            << QByteArray("CORVANE LAYER SCRIPT\nversion 1\n[layer 1]\nname=A\n[parameter 2]\nname=X\n")
            << "is damaged";
        QTest::newRow("no layers") << QByteArray("CORVANE LAYER SCRIPT\nversion 1\n") << "No layers could be imported";
    }

    void failedLayerImportSaysSo()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bad.layer"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(contents);
        file.close();
        CW_Instance target = sit::pCreateProject();
        sit::iAddLayer(target, QStringLiteral("Only"));
        ProjectManagerInstance::instance()->setInstance(target);

        testenv::DialogDriver driver;
        driver.handler = testenv::fnAnswerFileDialog(path);
        pAction(*m_pWindow, QStringLiteral("actImportLayers"))->trigger();
        QCOMPARE(driver.qslMessages().size(), 1);
        QVERIFY2(driver.qslMessages().first().contains(message), qPrintable(driver.qslMessages().first()));
        QVERIFY(driver.qslMessages().first().contains(QStringLiteral("bad.layer")));
        // Nothing of a damaged file is taken in.
        QCOMPARE(qslLayerNames(target), QStringList {"Only"});
    }

private:
    QTemporaryDir m_emptyBin;
    std::unique_ptr<frmMain> m_pWindow;
};

PLINTRA_TEST_MAIN(TestHelpAndImport)
#include "tst_helpandimport.moc"
