// The clip-server wizard against a local clip server served by the staged XMLDir.exe and
// XMLGet.exe: listing, choosing a clip, the destination page, the transfer and its end,
// Cancel, and the settings it keeps.
#include "ClipServerFixtures.h"
#include "ProjectFixtures.h"
#include "TestEnvironment.h"

#include "app/OutputFolders.h"
#include "app/ProjectCloseDown.h"
#include "app/ProjectManagerInstance.h"
#include "app/Settings.h"
#include "clips/frmQXMLNetGetClipWizard.h"
#include "standin/testing.h"
#include "velmor.h"
#include "widgets/CWKIntValidator.h"

#include <QAbstractButton>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QRegularExpression>
#include <QSettings>

class TstClipServerWizard : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_pDir;
    std::unique_ptr<testenv::ClipServerRoot> m_pServer;
    QString qstrPath(const QString& name) const { return QDir(m_pDir->path()).filePath(name); }

    static void vClick(QWidget* widget)
    {
        QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center());
    }
    static void vClickButton(frmQXMLNetGetClipWizard& wizard, QWizard::WizardButton which)
    {
        QAbstractButton* button = wizard.button(which);
        QVERIFY(button && button->isVisible() && button->isEnabled());
        vClick(button);
    }
    static void vClickCell(frmQXMLNetGetClipWizard& wizard, int row, int column)
    {
        QTableWidgetItem* item = wizard.tblFiles->item(row, column);
        QVERIFY(item);
        wizard.tblFiles->scrollToItem(item);
        QTest::mouseClick(wizard.tblFiles->viewport(), Qt::LeftButton, Qt::NoModifier,
            wizard.tblFiles->visualItemRect(item).center());
    }
    // Lists the server's clips and waits for the listing to end.
    static void vConnect(frmQXMLNetGetClipWizard& wizard, const QString& server)
    {
        wizard.cboxServer->setCurrentText(server);
        vClick(wizard.btnConnect);
        QVERIFY(QTest::qWaitFor([&] { return !wizard.pGetListingProcess(); }, 15000));
    }
    static int iRowOf(frmQXMLNetGetClipWizard& wizard, const QString& name)
    {
        for (int row = 0; row < wizard.tblFiles->rowCount(); ++row) {
            if (wizard.tblFiles->item(row, 0) && wizard.tblFiles->item(row, 0)->text() == name)
                return row;
        }
        return -1;
    }
    // Connects, chooses the clip by a click and goes to the destination page.
    void vToDestinationPage(frmQXMLNetGetClipWizard& wizard, const QString& clip)
    {
        vConnect(wizard, QStringLiteral("studio"));
        const int row = iRowOf(wizard, clip);
        QVERIFY(row >= 0);
        vClickCell(wizard, row, 0);
        vClickButton(wizard, QWizard::NextButton);
        QCOMPARE(wizard.currentPage(), wizard.pgSpecifyDestination);
    }
    // Shows the wizard and starts the transfer of a clip of "studio" into "received".
    void vStartTransfer(frmQXMLNetGetClipWizard& wizard, const QString& clip)
    {
        wizard.show();
        QVERIFY(QTest::qWaitForWindowExposed(&wizard));
        vToDestinationPage(wizard, clip);
        wizard.edtDestFolder->setText(qstrPath("received"));
        vClickButton(wizard, QWizard::NextButton);
    }
    QStringList qslTransferLines(frmQXMLNetGetClipWizard& wizard)
    {
        return wizard.tedtTransferInfo->toPlainText().split(QLatin1Char('\n'));
    }

private slots:
    void init()
    {
        testenv::vResetSettings();
        qslGetReceivedClipFolders().clear();
        m_pDir = std::make_unique<QTemporaryDir>();
        m_pServer = std::make_unique<testenv::ClipServerRoot>(qstrPath("root"));
        m_pServer->qstrAddClip("studio", "Tom & Jerry", "tj_", 10, QSize(720, 576), 1001);
        m_pServer->qstrAddClip("studio", "shot_0010", "s", 3, QSize(32, 24));
        m_pServer->qstrAddClip("studio", "plate", "p", 2, QSize(32, 24));
    }
    void cleanup()
    {
        m_pServer.reset();
        qunsetenv("PLINTRA_XMLGET_FRAME_DELAY_MS");
        qunsetenv("PLINTRA_XMLGET_IGNORE_TERM");
        standin::testing::vReset();
        ProjectManagerInstance::instance()->setInstance(nullptr);
    }

    void connectListsTheClipsInSevenColumns()
    {
        frmQXMLNetGetClipWizard wizard(nullptr, nullptr, false, {});
        wizard.show();
        QVERIFY(QTest::qWaitForWindowExposed(&wizard));
        QCOMPARE(wizard.cboxDestFormat->count(), 1);
        QCOMPARE(wizard.cboxDestFormat->currentText(), QStringLiteral("dpx"));
        vConnect(wizard, QStringLiteral("studio"));
        QCOMPARE(wizard.tblFiles->rowCount(), 3);
        QCOMPARE(wizard.tblFiles->columnCount(), 7);
        QStringList headers;
        for (int column = 0; column < 7; ++column)
            headers << wizard.tblFiles->horizontalHeaderItem(column)->text();
        QCOMPARE(
            headers, (QStringList {"Name", "Duration", "Resolution", "StartTC", "Frame Rate", "Video/Audio", "Scan"}));
        QVERIFY(wizard.tblFiles->verticalHeader()->isHidden());
        const int row = iRowOf(wizard, QStringLiteral("Tom & Jerry"));
        QVERIFY(row >= 0);
        QStringList cells;
        for (int column = 1; column < 7; ++column)
            cells << wizard.tblFiles->item(row, column)->text();
        QCOMPARE(cells, (QStringList {"00:00:00:10", "720x576", "00:00:00:00", "25", "V", "Progressive"}));
        QCOMPARE(wizard.cboxDestFormat->count(), 2);
        QCOMPARE(wizard.cboxDestFormat->currentText(), QStringLiteral("tif"));
        QCOMPARE(wizard.cboxServer->findText(QStringLiteral("studio")), 0);
        QVERIFY(!wizard.button(QWizard::NextButton)->isEnabled());
    }

    void typeAheadCompletes_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("completed");
        QTest::addColumn<bool>("next");
        QTest::newRow("name in another case") << "tOM"
                                              << "Tom & Jerry" << true;
        QTest::newRow("a cell of another column") << "7"
                                                  << "Tom & Jerry" << true;
        QTest::newRow("no cell") << "zz"
                                 << "zz" << false;
    }

    void typeAheadCompletes()
    {
        QFETCH(QString, typed);
        QFETCH(QString, completed);
        QFETCH(bool, next);
        frmQXMLNetGetClipWizard wizard(nullptr, nullptr, false, {});
        testenv::DialogDriver driver;
        wizard.show();
        QVERIFY(QTest::qWaitForWindowExposed(&wizard));
        vConnect(wizard, QStringLiteral("studio"));
        wizard.edtFileName->setFocus();
        QTest::keyClicks(wizard.edtFileName, typed);
        QCOMPARE(wizard.edtFileName->text(), completed);
        QCOMPARE(wizard.edtFileName->cursorPosition(), int(typed.size()));
        QCOMPARE(wizard.button(QWizard::NextButton)->isEnabled(), next);
        if (next) {
            vClickButton(wizard, QWizard::NextButton);
            QCOMPARE(wizard.edtSrcFileName->text(), completed);
        }
    }

    // A clicked row is the one Next takes, also when an earlier row has a cell starting with
    // its name (the scan "Progressive" of "plate" starts with "Prog").
    void nextTakesTheClickedRow()
    {
        m_pServer->qstrAddClip("studio", "Prog", "x", 2, QSize(16, 16));
        frmQXMLNetGetClipWizard wizard(nullptr, nullptr, false, {});
        testenv::DialogDriver driver;
        wizard.show();
        QVERIFY(QTest::qWaitForWindowExposed(&wizard));
        vConnect(wizard, QStringLiteral("studio"));
        const int plate = iRowOf(wizard, QStringLiteral("plate"));
        const int prog = iRowOf(wizard, QStringLiteral("Prog"));
        QVERIFY(plate >= 0 && prog > plate);
        vClickCell(wizard, prog, 2);
        QCOMPARE(wizard.edtFileName->text(), QStringLiteral("Prog"));
        vClickButton(wizard, QWizard::NextButton);
        QCOMPARE(wizard.edtSrcFileName->text(), QStringLiteral("Prog"));
        QCOMPARE(wizard.edtSrcResolution->text(), QStringLiteral("16x16"));
    }

    void destinationPageFromTheRow_data()
    {
        QTest::addColumn<QString>("clip");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("xSize");
        QTest::newRow("name without digits, ampersand") << "Tom & Jerry"
                                                        << "Tom _ Jerry"
                                                        << "720";
        QTest::newRow("trailing digits go") << "shot_0010"
                                            << "shot_"
                                            << "32";
    }

    void destinationPageFromTheRow()
    {
        QFETCH(QString, clip);
        QFETCH(QString, fileName);
        QFETCH(QString, xSize);
        frmQXMLNetGetClipWizard wizard(nullptr, nullptr, false, {});
        testenv::DialogDriver driver;
        wizard.show();
        QVERIFY(QTest::qWaitForWindowExposed(&wizard));
        vToDestinationPage(wizard, clip);
        QCOMPARE(wizard.edtSrcFileName->text(), clip);
        QCOMPARE(wizard.edtDestFileName->text(), fileName);
        QCOMPARE(wizard.iedtDestXSize->text(), xSize);
        QCOMPARE(wizard.edtSrcFrameRate->text(), QStringLiteral("25"));
        for (CWKLineEditInt* frames : {wizard.iedtStartFF, wizard.iedtLengthFF}) {
            QCOMPARE(frames->pGetValidator()->bottom(), 0);
            QCOMPARE(frames->pGetValidator()->top(), 24);
        }
        for (QLineEdit* field : {wizard.edtSrcFileName, wizard.edtSrcScan})
            QVERIFY(!field->isEnabled() && field->isReadOnly());
        // With no folder remembered the destination hint comes up once the page shows.
        QCOMPARE(driver.qslMessages().size(), 1);
        QVERIFY(driver.qslMessages().first().contains(QStringLiteral("Destination Netork Path")));
    }

    // Next makes <folder>/dd-MM-yyyy-hh-mm-ss, the frames arrive there with their pixels, the
    // progress counts them, and Finish hands back one of them.
    void transferReceivesTheClip()
    {
        qputenv("PLINTRA_XMLGET_FRAME_DELAY_MS", "60");
        frmQXMLNetGetClipWizard wizard(nullptr, nullptr, false, {});
        testenv::DialogDriver driver;
        vStartTransfer(wizard, QStringLiteral("Tom & Jerry"));
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(wizard.currentPage(), wizard.pgTransfer);
        QVERIFY(!wizard.button(QWizard::FinishButton)->isEnabled());

        const QStringList made = QDir(qstrPath("received")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(made.size(), 1);
        QVERIFY2(QRegularExpression("^\\d\\d-\\d\\d-\\d{4}-\\d\\d-\\d\\d-\\d\\d$").match(made.first()).hasMatch(),
            qPrintable(made.first()));
        const QString destination = QDir(qstrPath("received")).absoluteFilePath(made.first());
        QCOMPARE(qslGetReceivedClipFolders(), QStringList {destination});

        const QString third = QDir(destination).filePath("Tom _ Jerry1003.tif");
        QVERIFY(QTest::qWaitFor(
            [&] {
                return wizard.tedtTransferInfo->toPlainText().contains(
                    QStringLiteral("Transferring %1 (3 of 10)").arg(third));
            },
            15000));
        QVERIFY(QTest::qWaitFor([&] { return wizard.button(QWizard::FinishButton)->isEnabled(); }, 15000));
        const QStringList lines = qslTransferLines(wizard);
        QCOMPARE(lines.first(),
            QStringLiteral(PLINTRA_STAGE_DIR "/bin/XMLGet.exe Tom & Jerry -fd %1 -fn Tom _ Jerry -fo tif -dx 720 "
                                             "-so studio ")
                .arg(destination));
        QCOMPARE(lines.mid(lines.size() - 3), (QStringList {"Transfer of 10 files completed.", " ", "DONE!"}));
        for (int k = 0; k < 10; ++k) {
            const QString file = QDir(destination).filePath(QStringLiteral("Tom _ Jerry%1.tif").arg(1001 + k));
            QVERIFY2(testenv::bImageIsColour(file, testenv::qcolFrame(k)), qPrintable(file));
        }
        QCOMPARE(wizard.qstrGetNameOfOneFileTransferred(), QDir(destination).filePath("Tom _ Jerry1010.tif"));
        vClickButton(wizard, QWizard::FinishButton);
        QCOMPARE(wizard.result(), int(QDialog::Accepted));

        // The four settings were stored on leaving page 2 and come back in the next wizard.
        QSettings* settings = pGetUserSettings();
        QCOMPARE(settings->value("QXMLNetClipServers").toString(), QStringLiteral("studio;"));
        QCOMPARE(settings->value("QXMLNetLastClipServer").toString(), QStringLiteral("studio"));
        QCOMPARE(settings->value("LastQXMLNetSaveClipFolder").toString(), qstrPath("received"));
        QCOMPARE(settings->value("LastQXMLNetSaveClipFormat").toInt(), 0);
        frmQXMLNetGetClipWizard next(nullptr, nullptr, false, {});
        QCOMPARE(next.cboxServer->count(), 1);
        QCOMPARE(next.cboxServer->currentText(), QStringLiteral("studio"));
        QCOMPARE(next.edtDestFolder->text(), qstrPath("received"));
        // reset() listed the last server at once.
        QVERIFY(QTest::qWaitFor([&] { return !next.pGetListingProcess(); }, 15000));
        QCOMPARE(next.tblFiles->rowCount(), 3);
    }

    void serverListRoundTrip()
    {
        pGetUserSettings()->setValue("QXMLNetClipServers", "alpha;;beta;");
        frmQXMLNetGetClipWizard wizard(nullptr, nullptr, false, {});
        testenv::DialogDriver driver;
        wizard.show();
        QVERIFY(QTest::qWaitForWindowExposed(&wizard));
        QCOMPARE(wizard.cboxServer->count(), 2);
        vToDestinationPage(wizard, QStringLiteral("plate"));
        wizard.edtDestFolder->setText(qstrPath("received"));
        vClickButton(wizard, QWizard::NextButton);
        QCOMPARE(pGetUserSettings()->value("QXMLNetClipServers").toString(), QStringLiteral("alpha;beta;studio;"));
        frmQXMLNetGetClipWizard next(nullptr, nullptr, false, {});
        QStringList items;
        for (int i = 0; i < next.cboxServer->count(); ++i)
            items << next.cboxServer->itemText(i);
        QCOMPARE(items, (QStringList {"alpha", "beta", "studio"}));
    }

    // Start fields: empty ones get "00" when any is filled; none filled passes no -ts. A
    // start the clip does not have makes the program fail: a failure line and no Finish.
    void startCodeAndAFailingTransfer()
    {
        frmQXMLNetGetClipWizard wizard(nullptr, nullptr, false, {});
        testenv::DialogDriver driver;
        wizard.show();
        QVERIFY(QTest::qWaitForWindowExposed(&wizard));
        vToDestinationPage(wizard, QStringLiteral("plate"));
        wizard.edtDestFolder->setText(qstrPath("received"));
        wizard.iedtStartHH->setText("1");
        vClickButton(wizard, QWizard::NextButton);
        QCOMPARE(wizard.iedtStartMM->text(), QStringLiteral("00"));
        QCOMPARE(wizard.iedtStartFF->text(), QStringLiteral("00"));
        QVERIFY(wizard.iedtLengthHH->text().isEmpty());
        QVERIFY(QTest::qWaitFor([&] { return !wizard.pGetTransferProcess(); }, 15000));
        const QStringList lines = qslTransferLines(wizard);
        QVERIFY2(lines.first().contains(" -ts 1:00:00:00 -fo tif "), qPrintable(lines.first()));
        QVERIFY(!lines.first().contains(" -tl "));
        QVERIFY2(lines.value(2).startsWith("ERROR: The clip has no frame at 1:00:00:00"), qPrintable(lines.value(2)));
        QCOMPARE(lines.last(), QStringLiteral("Transfer failed: the program ended with exit code 1."));
        QVERIFY(!lines.contains(QStringLiteral("DONE!")));
        QVERIFY(!wizard.button(QWizard::FinishButton)->isEnabled());
    }

    void killedTransferFails()
    {
        qputenv("PLINTRA_XMLGET_FRAME_DELAY_MS", "300");
        frmQXMLNetGetClipWizard wizard(nullptr, nullptr, false, {});
        testenv::DialogDriver driver;
        vStartTransfer(wizard, QStringLiteral("Tom & Jerry"));
        if (QTest::currentTestFailed())
            return;
        QProcess* transfer = wizard.pGetTransferProcess();
        QVERIFY(transfer);
        QVERIFY(transfer->waitForStarted(10000));
        transfer->kill();
        QVERIFY(QTest::qWaitFor([&] { return !wizard.pGetTransferProcess(); }, 10000));
        QCOMPARE(qslTransferLines(wizard).last(),
            QStringLiteral("Transfer failed: the program was stopped before it finished."));
        QVERIFY(!wizard.button(QWizard::FinishButton)->isEnabled());
    }

    void cancelTerminatesATransfer()
    {
        qputenv("PLINTRA_XMLGET_FRAME_DELAY_MS", "300");
        frmQXMLNetGetClipWizard wizard(nullptr, nullptr, false, {});
        testenv::DialogDriver driver;
        vStartTransfer(wizard, QStringLiteral("Tom & Jerry"));
        if (QTest::currentTestFailed())
            return;
        QPointer<QProcess> transfer = wizard.pGetTransferProcess();
        QVERIFY(transfer && transfer->waitForStarted(10000));
        QElapsedTimer clock;
        clock.start();
        vClickButton(wizard, QWizard::CancelButton);
        QCOMPARE(wizard.result(), int(QDialog::Rejected));
        QVERIFY(QTest::qWaitFor([&] { return !transfer || transfer->state() == QProcess::NotRunning; }, 10000));
        // The terminate request ended it, long before the kill would have.
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
        const QStringList made = QDir(qstrPath("received")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(made.size(), 1);
        QVERIFY(QDir(qstrPath("received/" + made.first())).entryList(QDir::Files).size() < 10);
    }

    // A program that ignores the terminate request is killed 5000 ms after it.
    void cancelKillsAfterFiveSeconds()
    {
        // Ten frames at a second each: the transfer outlasts the kill.
        qputenv("PLINTRA_XMLGET_FRAME_DELAY_MS", "1000");
        qputenv("PLINTRA_XMLGET_IGNORE_TERM", "1");
        frmQXMLNetGetClipWizard wizard(nullptr, nullptr, false, {});
        testenv::DialogDriver driver;
        vStartTransfer(wizard, QStringLiteral("Tom & Jerry"));
        if (QTest::currentTestFailed())
            return;
        QPointer<QProcess> transfer = wizard.pGetTransferProcess();
        QVERIFY(transfer && transfer->waitForStarted(10000));
        // The program sets its signal handling first thing; its first frame shows it runs.
        QVERIFY(QTest::qWaitFor([&] { return wizard.tedtTransferInfo->toPlainText().contains("(1 of 10)"); }, 10000));
        QElapsedTimer clock;
        clock.start();
        vClickButton(wizard, QWizard::CancelButton);
        QTest::qWait(2000);
        QVERIFY(transfer && transfer->state() != QProcess::NotRunning);
        QVERIFY(QTest::qWaitFor([&] { return !transfer || transfer->state() == QProcess::NotRunning; }, 10000));
        QVERIFY2(clock.elapsed() >= kiKillDelayAtLeastMs, qPrintable(QString::number(clock.elapsed())));
        // Killed, well before its ten frames were through.
        QVERIFY2(clock.elapsed() < 8000, qPrintable(QString::number(clock.elapsed())));
        const QStringList made = QDir(qstrPath("received")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(made.size(), 1);
        QVERIFY(QDir(qstrPath("received/" + made.first())).entryList(QDir::Files).size() < 10);
    }

    // A new use of the wizard ends the programs of the last one, and nothing they would still
    // print reaches it.
    void resetStopsTheOldPrograms()
    {
        qputenv("PLINTRA_XMLGET_FRAME_DELAY_MS", "200");
        frmQXMLNetGetClipWizard wizard(nullptr, nullptr, false, {});
        testenv::DialogDriver driver;
        vStartTransfer(wizard, QStringLiteral("Tom & Jerry"));
        if (QTest::currentTestFailed())
            return;
        QPointer<QProcess> transfer = wizard.pGetTransferProcess();
        QVERIFY(QTest::qWaitFor([&] { return wizard.tedtTransferInfo->toPlainText().contains("(1 of 10)"); }, 10000));
        wizard.reset();
        QCOMPARE(wizard.currentPage(), wizard.pgSpecifyClip);
        QVERIFY(!wizard.pGetTransferProcess());
        QVERIFY(QTest::qWaitFor([&] { return !transfer; }, 5000));
        const QString shown = wizard.tedtTransferInfo->toPlainText();
        QTest::qWait(500);
        QCOMPARE(wizard.tedtTransferInfo->toPlainText(), shown);
        QVERIFY(wizard.qstrGetNameOfOneFileTransferred().isEmpty());
        // The reset listed the last server again.
        QVERIFY(QTest::qWaitFor([&] { return !wizard.pGetListingProcess(); }, 15000));
        QCOMPARE(wizard.tblFiles->rowCount(), 3);
    }

    // Back from the transfer page and Next again: the first transfer is ended before the
    // second starts.
    void aNewTransferEndsThePreviousOne()
    {
        qputenv("PLINTRA_XMLGET_FRAME_DELAY_MS", "200");
        frmQXMLNetGetClipWizard wizard(nullptr, nullptr, false, {});
        testenv::DialogDriver driver;
        vStartTransfer(wizard, QStringLiteral("Tom & Jerry"));
        if (QTest::currentTestFailed())
            return;
        QPointer<QProcess> first = wizard.pGetTransferProcess();
        QVERIFY(first && first->waitForStarted(10000));
        vClickButton(wizard, QWizard::BackButton);
        // A second folder needs a second of its own.
        QTest::qWait(1100);
        qunsetenv("PLINTRA_XMLGET_FRAME_DELAY_MS");
        vClickButton(wizard, QWizard::NextButton);
        QVERIFY(wizard.pGetTransferProcess() && wizard.pGetTransferProcess() != first);
        QVERIFY(QTest::qWaitFor([&] { return !first || first->state() == QProcess::NotRunning; }, 3000));
        QVERIFY(QTest::qWaitFor([&] { return wizard.button(QWizard::FinishButton)->isEnabled(); }, 15000));
        QCOMPARE(qslTransferLines(wizard).last(), QStringLiteral("DONE!"));
        QCOMPARE(qslGetReceivedClipFolders().size(), 2);
        QVERIFY(QDir(qslGetReceivedClipFolders().first()).entryList(QDir::Files).size() < 10);
        QCOMPARE(QDir(qslGetReceivedClipFolders().last()).entryList(QDir::Files).size(), 10);
    }

    void missingPrograms()
    {
        pGetUserSettings()->setValue(QStringLiteral("InstallDir"), qstrPath("install/"));
        frmQXMLNetGetClipWizard wizard(nullptr, nullptr, false, {});
        testenv::DialogDriver driver;
        wizard.show();
        QVERIFY(QTest::qWaitForWindowExposed(&wizard));
        wizard.cboxServer->setCurrentText(QStringLiteral("studio"));
        vClick(wizard.btnConnect);
        QTRY_COMPARE(driver.qslMessages().size(), 1);
        QCOMPARE(driver.qslMessages().first(),
            QStringLiteral("Could not execute %1. File not found.").arg(qstrPath("install/bin/XMLDir.exe")));
        QCOMPARE(wizard.tblFiles->rowCount(), 0);
    }

    void unknownServerSaysWhy()
    {
        frmQXMLNetGetClipWizard wizard(nullptr, nullptr, false, {});
        wizard.show();
        QVERIFY(QTest::qWaitForWindowExposed(&wizard));
        vConnect(wizard, QStringLiteral("nowhere"));
        QCOMPARE(wizard.tblFiles->rowCount(), 0);
        const QString shown = wizard.tedtXMLOutput->toPlainText();
        QVERIFY2(
            shown.startsWith(QStringLiteral(PLINTRA_STAGE_DIR "/bin/XMLDir.exe * -so nowhere")), qPrintable(shown));
        QVERIFY2(shown.contains(QStringLiteral("There is no clip server named \"nowhere\".")), qPrintable(shown));
        QVERIFY(wizard.tedtXMLOutput->height() > 20);
        QCOMPARE(wizard.cboxServer->findText(QStringLiteral("nowhere")), -1);
    }

    void listingTimesOut()
    {
        frmQXMLNetGetClipWizard wizard(nullptr, nullptr, false, {});
        wizard.show();
        QVERIFY(QTest::qWaitForWindowExposed(&wizard));
        wizard.vSetListingTimeout(1);
        vConnect(wizard, QStringLiteral("studio"));
        QCOMPARE(wizard.tblFiles->rowCount(), 0);
        QVERIFY(wizard.tedtXMLOutput->toPlainText().contains(QStringLiteral("did not end within")));
    }

    void uncreatableDestinationStaysOnPageTwo()
    {
        QFile blocker(qstrPath("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        frmQXMLNetGetClipWizard wizard(nullptr, nullptr, false, {});
        testenv::DialogDriver driver;
        wizard.show();
        QVERIFY(QTest::qWaitForWindowExposed(&wizard));
        vToDestinationPage(wizard, QStringLiteral("plate"));
        driver.seen.clear();
        // A folder under a plain file cannot be made.
        wizard.edtDestFolder->setText(qstrPath("blocker/sub"));
        vClickButton(wizard, QWizard::NextButton);
        QCOMPARE(wizard.currentPage(), wizard.pgSpecifyDestination);
        QCOMPARE(driver.qslMessages(),
            QStringList {QStringLiteral("Unable to create temporary folder %1/").arg(qstrPath("blocker/sub"))});
        QCOMPARE(pGetUserSettings()->value("LastQXMLNetSaveClipFolder").toString(), qstrPath("blocker/sub"));
        QVERIFY(qslGetReceivedClipFolders().isEmpty());
    }

    // The project's close offers the folder the wizard filled for deletion.
    void closingTheProjectOffersTheTransferFolder()
    {
        frmQXMLNetGetClipWizard wizard(nullptr, nullptr, false, {});
        testenv::DialogDriver driver;
        vStartTransfer(wizard, QStringLiteral("plate"));
        if (QTest::currentTestFailed())
            return;
        QVERIFY(QTest::qWaitFor([&] { return wizard.button(QWizard::FinishButton)->isEnabled(); }, 15000));
        const QString folder = qslGetReceivedClipFolders().value(0);
        QVERIFY(QFileInfo(folder).isDir());

        const QString first = testenv::qstrWriteSequence(qstrPath("media"), "shot_", 2);
        ProjectManagerInstance::instance()->setInstance(standin::testing::pCreateProjectFromClip(first, "shot"));
        driver.seen.clear();
        driver.messageButton = QMessageBox::Yes;
        QVERIFY(vCheckAutoRecoverClipFolder(true, QString()));
        QVERIFY2(driver.qslMessages().join('|').contains(folder), qPrintable(driver.qslMessages().join('|')));
        QVERIFY(!QFileInfo::exists(folder));
        QVERIFY(qslGetReceivedClipFolders().isEmpty());
    }

    // The folder chooser fills the folder; the file-name chooser starts in that folder, keeps
    // only the name, and leaves the program's current folder as it was.
    void choosersFillTheDestinationFields()
    {
        QDir().mkpath(qstrPath("chosen"));
        frmQXMLNetGetClipWizard wizard(nullptr, nullptr, false, {});
        QStringList startFolders;
        testenv::DialogDriver driver;
        driver.handler = [&](QWidget* widget) {
            auto* files = qobject_cast<QFileDialog*>(widget);
            if (!files)
                return false;
            startFolders << files->directory().absolutePath();
            // The dialog's view fills itself on a thread; the line edit does not wait for it.
            files->setDirectory(qstrPath("chosen"));
            files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                ->setText(files->fileMode() == QFileDialog::Directory ? QString() : QStringLiteral("take_"));
            static_cast<QDialog*>(files)->accept();
            return true;
        };
        wizard.btnChooseDestFolder->click();
        QCOMPARE(wizard.edtDestFolder->text(), qstrPath("chosen"));
        const QString current = QDir::currentPath();
        wizard.btnChooseDestFileName->click();
        QCOMPARE(wizard.edtDestFileName->text(), QStringLiteral("take_"));
        QCOMPARE(startFolders.value(1), qstrPath("chosen"));
        QCOMPARE(QDir::currentPath(), current);
        QVERIFY(!wizard.btnChooseDestFolder->icon().isNull());
    }

private:
    // The kill comes 5000 ms after the terminate request; the clock starts just before it.
    static constexpr qint64 kiKillDelayAtLeastMs = frmQXMLNetGetClipWizard::kiKillDelayMs - 100;
};

PLINTRA_TEST_MAIN(TstClipServerWizard)
#include "tst_clipserverwizard.moc"
