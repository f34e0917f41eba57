// The data-export dialogs as the user drives them: the formats a product offers, the
// clipboard and its refusals, Save with its overwrite questions and extension, the invert
// box, and the settings each stores only when it should.
#include "ProjectFixtures.h"
#include "TestEnvironment.h"

#include "Vosk.h"
#include "app/ProjectManagerInstance.h"
#include "app/Settings.h"
#include "clips/frmExportLayerData.h"
#include "clips/frmExportShapeData.h"
#include "clips/frmExportTrackingData.h"
#include "mainwindow/frmMain.h"
#include "standin/testing.h"
#include "velmor.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QPushButton>
#include <QSettings>

namespace {

constexpr int kiEdFrames = 5;

QString qstrEdRead(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void vEdWrite(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TstExportData : public QObject {
    Q_OBJECT

private:
    frmMain* m_pWindow = nullptr;
    std::unique_ptr<QTemporaryDir> m_pDir;
    QString qstrPath(const QString& name) const { return QDir(m_pDir->path()).filePath(name); }

    // A project of 5 frames from 1001 with a layer "Card" tracked on every frame, current.
    CW_Instance pProject()
    {
        CW_Instance project = standin::testing::pCreateProject();
        CW_BaseClipInfo base;
        base.uiWidth = 320;
        base.uiHeight = 240;
        base.uiCount = kiEdFrames;
        base.iFirstIndex = 1001;
        base.iFrameOffset = 1001;
        standin::testing::vRegisterClip(project, 1, base);
        const int layer = standin::testing::iAddLayer(project, QStringLiteral("Card"));
        standin::LayerGeometry geometry;
        geometry.iShapeKind = CW_TOOL_ADD_XSPLINE_LAYER;
        for (int k = 0; k < kiEdFrames; ++k) {
            geometry.mapSurfaceKeys[unsigned(k)]
                = {QPointF(100 + k, 80), QPointF(200 + k, 80), QPointF(200 + k, 160), QPointF(100 + k, 160)};
            geometry.mapShapeKeys[unsigned(k)]
                = {{110.0 + k, 90, 0, 0, 0, 0, 0}, {190.0 + k, 90, 0, 0, 0, 0, 0}, {150.0 + k, 150, 0, 0, 0, 0, 0}};
        }
        standin::testing::vSetLayerGeometry(project, layer, geometry);
        standin::testing::vEditViewerState(project, [layer](standin::ViewerState& v) { v.iCurrentLayer = layer; });
        ProjectManagerInstance::instance()->setInstance(project);
        return project;
    }

    static void vClick(QAbstractButton* button)
    {
        QVERIFY(button->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton);
    }

    // Picks a combo entry as the user does, with the keyboard, so that activated() is sent.
    static void vPick(QComboBox* combo, const QString& text)
    {
        const int target = combo->findText(text);
        QVERIFY(target >= 0);
        combo->setFocus();
        while (combo->currentIndex() != target)
            QTest::keyClick(combo, combo->currentIndex() < target ? Qt::Key_Down : Qt::Key_Up);
    }

private slots:
    void initTestCase()
    {
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
        pGetUserSettings()->setValue(QStringLiteral("FirstRun"), false);
        m_pWindow = new frmMain();
        m_pWindow->sltConfigureGUI();
        m_pWindow->show();
    }
    void cleanupTestCase() { delete m_pWindow; }
    void init() { m_pDir = std::make_unique<QTemporaryDir>(); }
    void cleanup()
    {
        ProjectManagerInstance::instance()->setInstance(nullptr);
        standin::testing::vReset();
        vSetProduct(QStringLiteral("plintra"));
        for (const char* key : {"LastTrackingExportFormat", "LastSaveTrackingDataFolder", "LastShapeExportFormat",
                 "LastSaveShapeDataFolder", "LastLayerExportFormat", "LastLayerExportScope", "LastSaveLayerDataFolder"})
            pGetUserSettings()->remove(QLatin1String(key));
    }

    void trackingFormatsFollowTheProduct_data()
    {
        QTest::addColumn<QString>("product");
        QTest::addColumn<QStringList>("formats");
        QTest::newRow("plintra") << "plintra"
                                 << QStringList {"Corner Pin Keyframe Text", "Corner Pin Node Script",
                                        "Per-Corner Track Files", "Tracking XML"};
        QTest::newRow("plug-in edition") << "plintra4ae" << QStringList {"Corner Pin Keyframe Text", "Tracking XML"};
    }

    void trackingFormatsFollowTheProduct()
    {
        QFETCH(QString, product);
        QFETCH(QStringList, formats);
        vSetProduct(product);
        // A stored format the product does not offer leaves the first entry current.
        pGetUserSettings()->setValue(
            QStringLiteral("LastTrackingExportFormat"), QStringLiteral("Corner Pin Node Script"));
        frmExportTrackingData dialog(m_pWindow);
        QStringList listed;
        for (int i = 0; i < dialog.cboxFormat->count(); ++i)
            listed << dialog.cboxFormat->itemText(i);
        QCOMPARE(listed, formats);
        QCOMPARE(dialog.cboxFormat->currentText(),
            formats.contains(QStringLiteral("Corner Pin Node Script")) ? QStringLiteral("Corner Pin Node Script")
                                                                       : formats.first());
        QCOMPARE(dialog.eGetOption(), CW_NO_TRACKING_EXPORT);
    }

    // Copy puts the corner-pin text of the current layer on the clipboard, stores the format
    // and closes the dialog.
    void trackingCopyPutsTheCornerPinOnTheClipboard()
    {
        pProject();
        QGuiApplication::clipboard()->clear();
        testenv::DialogDriver driver;
        frmExportTrackingData dialog(m_pWindow);
        driver.handler = [&](QWidget* modal) {
            if (modal != &dialog || !QTest::qWaitForWindowActive(&dialog))
                return false;
            vClick(dialog.btnCopyToClipBoard);
            return true;
        };
        dialog.vExec(CW_TRACKING_DATA);
        QVERIFY(driver.seen.size() == 1);
        const QString text = QGuiApplication::clipboard()->text();
        QVERIFY2(text.startsWith(QStringLiteral("Corner Pin Keyframes")), qPrintable(text.left(80)));
        QVERIFY(text.contains(QStringLiteral("\t1003\t102.0000\t80.0000")));
        QCOMPARE(pGetUserSettings()->value(QStringLiteral("LastTrackingExportFormat")).toString(),
            QStringLiteral("Corner Pin Keyframe Text"));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void trackingCopyRefusals_data()
    {
        QTest::addColumn<QString>("lastFormat");
        QTest::addColumn<int>("option");
        QTest::addColumn<QString>("message");
        QTest::newRow("several files") << "Per-Corner Track Files" << int(CW_TRACKING_DATA)
                                       << "Unable to fetch export data.";
        QTest::newRow("no export mode") << "Corner Pin Keyframe Text" << int(CW_NO_TRACKING_EXPORT)
                                        << "Unable to copy data to the clipboard.";
    }

    // A refused copy says why and the dialog stays open; nothing reaches the clipboard.
    void trackingCopyRefusals()
    {
        QFETCH(QString, lastFormat);
        QFETCH(int, option);
        QFETCH(QString, message);
        pProject();
        pGetUserSettings()->setValue(QStringLiteral("LastTrackingExportFormat"), lastFormat);
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        testenv::DialogDriver driver;
        frmExportTrackingData dialog(m_pWindow);
        bool stayedOpen = false;
        driver.handler = [&](QWidget* modal) {
            if (modal != &dialog || !QTest::qWaitForWindowActive(&dialog))
                return false;
            // Queued: the box that Copy opens is answered by the driver meanwhile.
            QTimer::singleShot(0, &dialog, [&] {
                vClick(dialog.btnCopyToClipBoard);
                stayedOpen = dialog.isVisible();
                dialog.reject();
            });
            return true;
        };
        if (option == CW_NO_TRACKING_EXPORT)
            dialog.exec();
        else
            dialog.vExec(CW_TRACKING_OPTION(option));
        QVERIFY(stayedOpen);
        QCOMPARE(driver.qslMessages(), QStringList {message});
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
    }

    // Choosing a several-file format disables Copy; Save then asks once per existing file
    // with its full path, keeps the one refused, appends the extension and stores the folder.
    void trackingSaveAsksPerExistingFile()
    {
        pProject();
        const QString folder = qstrPath(QStringLiteral("tracks"));
        QDir().mkpath(folder);
        vEdWrite(folder + QStringLiteral("/card_ul.trk"), "old ul");
        vEdWrite(folder + QStringLiteral("/card_lr.trk"), "old lr");
        testenv::DialogDriver driver;
        driver.messageButton = QMessageBox::No;
        frmExportTrackingData dialog(m_pWindow);
        QStringList questions;
        bool copyDisabled = false;
        driver.handler = [&](QWidget* modal) -> bool {
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                questions << box->text();
                box->button(box->text().contains(QStringLiteral("card_ul")) ? QMessageBox::No : QMessageBox::Yes)
                    ->click();
                return true;
            }
            if (testenv::fnAnswerFileDialog(folder + QStringLiteral("/card"))(modal))
                return true;
            if (modal != &dialog || !QTest::qWaitForWindowActive(&dialog))
                return false;
            vPick(dialog.cboxFormat, QStringLiteral("Per-Corner Track Files"));
            copyDisabled = !dialog.btnCopyToClipBoard->isEnabled();
            // Queued: the file dialog and the questions Save opens are answered meanwhile.
            QTimer::singleShot(0, &dialog, [&] { vClick(dialog.buttonOk); });
            return true;
        };
        dialog.vExec(CW_TRACKING_DATA);
        QVERIFY(copyDisabled);
        QCOMPARE(questions,
            (QStringList {QStringLiteral("Overwrite existing file %1/card_lr.trk?").arg(folder),
                QStringLiteral("Overwrite existing file %1/card_ul.trk?").arg(folder)}));
        QCOMPARE(qstrEdRead(folder + QStringLiteral("/card_ul.trk")), QStringLiteral("old ul"));
        QVERIFY(qstrEdRead(folder + QStringLiteral("/card_lr.trk")).startsWith(QStringLiteral("# corner track")));
        QVERIFY(QFile::exists(folder + QStringLiteral("/card_ll.trk")));
        QCOMPARE(pGetUserSettings()->value(QStringLiteral("LastSaveTrackingDataFolder")).toString(), folder);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    // The Stabilize page sets the flag and the reference frame directly: the box shows it,
    // and the copy is the identity at the reference frame.
    void trackingInvertShowsTheFlag()
    {
        pProject();
        frmExportTrackingData dialog(m_pWindow);
        dialog.m_bInvertData = true;
        dialog.m_optReferenceFrame = 2u;
        testenv::DialogDriver driver;
        bool shown = false;
        driver.handler = [&](QWidget* modal) {
            if (modal != &dialog || !QTest::qWaitForWindowActive(&dialog))
                return false;
            shown = dialog.cboxInvert->isChecked();
            vClick(dialog.btnCopyToClipBoard);
            return true;
        };
        dialog.vExec(CW_STABILIZE_DATA);
        QVERIFY(shown);
        const QString text = QGuiApplication::clipboard()->text();
        QVERIFY2(text.contains(QStringLiteral("\t1003\t0.0000\t0.0000\n")), qPrintable(text));
        QVERIFY(!text.contains(QStringLiteral("\t1004\t0.0000\t0.0000\n")));
    }

    // The warning follows the format: the mask path cannot hold the X-spline layer, the SVG
    // can; a single-layer format forces the selected layer.
    void shapeWarningFollowsTheFormat()
    {
        pProject();
        testenv::DialogDriver driver;
        frmExportShapeData dialog(m_pWindow);
        QStringList warnings;
        bool forced = false;
        driver.handler = [&](QWidget* modal) {
            if (modal != &dialog || !QTest::qWaitForWindowActive(&dialog))
                return false;
            warnings << dialog.warningLabel->text();
            vPick(dialog.cboxFormat, QStringLiteral("SVG Paths per Frame"));
            warnings << dialog.warningLabel->text();
            QTest::mouseClick(dialog.allLayersRadioButton, Qt::LeftButton, {}, QPoint(4, 8));
            vPick(dialog.cboxFormat, QStringLiteral("Mask Path Keyframe Text"));
            warnings << dialog.warningLabel->text();
            forced = dialog.selectedLayerRadioButton->isChecked() && !dialog.allLayersRadioButton->isEnabled();
            dialog.reject();
            return true;
        };
        dialog.exec();
        QCOMPARE(warnings.size(), 3);
        QVERIFY(warnings[0].isEmpty());
        QVERIFY(warnings[1].isEmpty());
        QVERIFY2(warnings[2].contains(QStringLiteral("X-spline")), qPrintable(warnings[2]));
        QVERIFY(forced);
    }

    // Copy with a format that has no clipboard text says so and keeps the dialog open; a
    // format with one copies it and stores the format.
    void shapeCopy()
    {
        pProject();
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        testenv::DialogDriver driver;
        frmExportShapeData dialog(m_pWindow);
        bool stayedOpen = false;
        driver.handler = [&](QWidget* modal) {
            if (modal != &dialog || !QTest::qWaitForWindowActive(&dialog))
                return false;
            vPick(dialog.cboxFormat, QStringLiteral("SVG Paths per Frame"));
            QTimer::singleShot(0, &dialog, [&] {
                vClick(dialog.btnCopyToClipBoard);
                stayedOpen = dialog.isVisible();
                vPick(dialog.cboxFormat, QStringLiteral("Mask Path Keyframe Text"));
                vClick(dialog.btnCopyToClipBoard);
            });
            return true;
        };
        dialog.exec();
        QVERIFY(stayedOpen);
        QCOMPARE(driver.qslMessages(), QStringList {QStringLiteral("Unable to copy data to the clipboard.")});
        QVERIFY(QGuiApplication::clipboard()->text().startsWith(QStringLiteral("Mask Path Keyframes")));
        QCOMPARE(pGetUserSettings()->value(QStringLiteral("LastShapeExportFormat")).toString(),
            QStringLiteral("Mask Path Keyframe Text"));
    }

    // Save in the selected-layer mode with no layer selected says so before any file dialog.
    void shapeSaveWithoutSelection()
    {
        CW_Instance project = pProject();
        standin::testing::vEditViewerState(project, [](standin::ViewerState& v) { v.iCurrentLayer = 0; });
        testenv::DialogDriver driver;
        frmExportShapeData dialog(m_pWindow);
        driver.handler = [&](QWidget* modal) -> bool {
            if (qobject_cast<QFileDialog*>(modal))
                return testenv::fnAnswerFileDialog(QString())(modal);
            if (modal != &dialog || !QTest::qWaitForWindowActive(&dialog))
                return false;
            QTimer::singleShot(0, &dialog, [&] { vClick(dialog.buttonOk); });
            return true;
        };
        dialog.exec();
        QStringList classes;
        for (const auto& seen : driver.seen)
            classes << seen.qstrClass;
        QCOMPARE(classes, (QStringList {QStringLiteral("frmExportShapeData"), QStringLiteral("QMessageBox")}));
        QCOMPARE(driver.qslMessages(), QStringList {QStringLiteral("A selection must be selected.")});
        QVERIFY(pGetUserSettings()->value(QStringLiteral("LastSaveShapeDataFolder")).toString().isEmpty());
    }

    void layerSave_data()
    {
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("writable folder") << false;
        QTest::newRow("read-only folder") << true;
    }

    // Save writes the script that the layer import reads, and stores its settings; into a
    // read-only folder it warns and stores nothing.
    void layerSave()
    {
        QFETCH(bool, readOnly);
        pProject();
        const QString folder = qstrPath(QStringLiteral("layers"));
        QDir().mkpath(folder);
        if (readOnly)
            standin::testing::vSetReadOnlyFolder(folder);
        testenv::DialogDriver driver;
        frmExportLayerData dialog(m_pWindow);
        QString preview;
        driver.handler = [&](QWidget* modal) -> bool {
            if (testenv::fnAnswerFileDialog(folder + QStringLiteral("/card"))(modal))
                return true;
            if (modal != &dialog || !QTest::qWaitForWindowActive(&dialog))
                return false;
            preview = dialog.tedtData->toPlainText();
            QTimer::singleShot(0, &dialog, [&] {
                QTest::mouseClick(dialog.rbtnExportAll, Qt::LeftButton, {}, QPoint(4, 8));
                vClick(dialog.buttonOk);
            });
            return true;
        };
        dialog.vExec();
        standin::testing::vSetReadOnlyFolder(QString());
        QVERIFY2(preview.startsWith(QStringLiteral("CORVANE LAYER SCRIPT")), qPrintable(preview.left(40)));
        const QString file = folder + QStringLiteral("/card.layer");
        if (readOnly) {
            QVERIFY(!QFile::exists(file));
            QCOMPARE(driver.qslMessages().size(), 1);
            QVERIFY2(driver.qslMessages().first().contains(QStringLiteral("could not be written")),
                qPrintable(driver.qslMessages().first()));
            QVERIFY(!pGetUserSettings()->contains(QStringLiteral("LastSaveLayerDataFolder")));
            QVERIFY(!pGetUserSettings()->contains(QStringLiteral("LastLayerExportScope")));
        } else {
            QVERIFY(driver.qslMessages().isEmpty());
            CW_Instance reader = standin::testing::pCreateProject();
            QVERIFY(readLayerFile(reader, file.toUtf8().constData()));
            QCOMPARE(pglGetLayerIDList(reader).size(), std::size_t(1));
            QCOMPARE(pGetUserSettings()->value(QStringLiteral("LastSaveLayerDataFolder")).toString(),
                folder + QLatin1Char('/'));
            QCOMPARE(pGetUserSettings()->value(QStringLiteral("LastLayerExportScope")).toInt(), 2);
        }
    }
};

PLINTRA_TEST_MAIN(TstExportData)
#include "tst_exportdata.moc"
