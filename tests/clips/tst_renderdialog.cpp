// The render dialog as the user drives it: refusal without rendered clips, path cleaning and
// output naming, the frame-range rule, a rendered clip written and read back, the movie
// route, an export over the source files, and the revert clip of a reopened dialog.
#include "ProjectFixtures.h"
#include "TestEnvironment.h"

#include "app/CWKGUIThreadedProcess.h"
#include "app/ProjectManagerInstance.h"
#include "app/Settings.h"
#include "brandor.h"
#include "clips/RenderDialog.h"
#include "mainwindow/frmMain.h"
#include "standin/testing.h"
#include "velmor.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QSettings>

namespace {

constexpr int kiRdFrames = 10;

CW_ClipInfo stctRdFiles(const QString& folder, const QString& prefix, int first, int width, bool source)
{
    CW_ClipInfo files;
    files.qstrFolder = folder;
    files.qstrFileName = prefix;
    files.qstrThirdPart = QStringLiteral(".png");
    files.iFirstFileNumber = first;
    files.iLastFileNumber = first + kiRdFrames - 1;
    files.iThirdNumber = width;
    files.iImageFormat = 2;
    files.iImageType = 1;
    files.bSourceClip = source;
    return files;
}

void vRdWriteFrames(const QString& folder, const QString& prefix, int first, int seed)
{
    QDir().mkpath(folder);
    for (int k = 0; k < kiRdFrames; ++k) {
        QImage image(40, 30, QImage::Format_RGB32);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                image.setPixel(x, y, qRgb((x * 5 + k + seed) & 255, (y * 7) & 255, (x + y + seed) & 255));
        QVERIFY(image.save(QDir(folder).filePath(QStringLiteral("%1%2.png").arg(prefix).arg(first + k))));
    }
}

QByteArray baRdRead(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TstRenderDialog : public QObject {
    Q_OBJECT

private:
    frmMain* m_pWindow = nullptr;
    std::unique_ptr<QTemporaryDir> m_pDir;
    QString qstrPath(const QString& name) const { return QDir(m_pDir->path()).filePath(name); }

    // Clip 1 the source plate (frames numbered from the offset), clip 2 a render of it.
    CW_Instance pProject(int offset = 1001, int renderWidth = 4, bool withRender = true)
    {
        CW_Instance project = standin::testing::pCreateProject();
        vRdWriteFrames(qstrPath(QStringLiteral("source")), QStringLiteral("plate."), offset, 0);
        CW_BaseClipInfo base;
        base.uiWidth = 40;
        base.uiHeight = 30;
        base.uiCount = kiRdFrames;
        base.iFirstIndex = offset;
        base.iFrameOffset = offset;
        standin::testing::vRegisterClip(project, 1, base);
        standin::testing::vSetClipListing(project, 1, QStringLiteral("plate"),
            stctRdFiles(qstrPath(QStringLiteral("source")), QStringLiteral("plate."), offset, 4, true));
        if (withRender) {
            vRdWriteFrames(qstrPath(QStringLiteral("render")), QStringLiteral("result_"), offset, 70);
            standin::testing::vRegisterClip(project, 2, base);
            standin::testing::vSetClipListing(project, 2, QStringLiteral("result"),
                stctRdFiles(qstrPath(QStringLiteral("render")), QStringLiteral("result_"), offset, renderWidth, false),
                1);
        }
        QDir().mkpath(qstrPath(QStringLiteral("out")));
        ProjectManagerInstance::instance()->setInstance(project);
        return project;
    }

    // Opens the dialog on a clip and lets act drive it once it is active on screen.
    void vRun(RenderDialog& dialog, CW_Instance project, CW_CLIP_ID clip, bool shapes,
        const std::function<void(RenderDialog&)>& act, testenv::DialogDriver& driver)
    {
        driver.handler = [&dialog, act](QWidget* modal) {
            if (modal != &dialog)
                return false;
            if (!QTest::qWaitForWindowActive(&dialog))
                return false;
            act(dialog);
            return true;
        };
        dialog.exportRenderedClip(project, clip, shapes);
    }

    static void vClickOk(RenderDialog& dialog)
    {
        QPushButton* ok = dialog.buttonBox->button(QDialogButtonBox::Ok);
        if (!ok->isEnabled())
            dialog.reject();
        QVERIFY2(ok->isEnabled(),
            qPrintable(dialog.formatWarningLabel->text() + QStringLiteral(" format ")
                + dialog.imageSequenceFormatCombo->currentText()));
        QTest::mouseClick(ok, Qt::LeftButton);
    }

    static void vType(QLineEdit* edit, const QString& text)
    {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Tab);
    }

private slots:
    void initTestCase()
    {
        pGetUserSettings()->setValue(QStringLiteral("FirstRun"), false);
        // As the program's start does: the I/O library's own checks.
        vBRD_InitialiseCallbacks(false);
        m_pWindow = new frmMain();
        m_pWindow->sltConfigureGUI();
        m_pWindow->show();
    }
    void cleanupTestCase() { delete m_pWindow; }
    void init()
    {
        m_pDir = std::make_unique<QTemporaryDir>();
        g_exportClipInfo = CW_ExportClipInfo();
    }
    void cleanup()
    {
        vWaitForExecutingThreadedToFinish(true);
        ProjectManagerInstance::instance()->setInstance(nullptr);
        standin::testing::vReset();
        pGetUserSettings()->remove(QStringLiteral("LastSaveClipFolder"));
    }

    void refusesWithoutRenderedClips()
    {
        CW_Instance project = pProject(1001, 4, false);
        testenv::DialogDriver driver;
        RenderDialog dialog(m_pWindow);
        dialog.exportRenderedClip(project, 1, false);
        QCOMPARE(driver.seen.size(), 1);
        QCOMPARE(driver.seen[0].qstrTitle, QStringLiteral("Cannot export"));
        QCOMPARE(driver.seen[0].qstrText, QStringLiteral("No rendered clips available for export."));
        QVERIFY(!dialog.isVisible());
    }

    void cleansPaths_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("clean");
        QTest::newRow("as it is") << "/data/out"
                                  << "/data/out";
        QTest::newRow("leading blanks") << "   /data/out"
                                        << "/data/out";
        QTest::newRow("quotes and blanks after") << "  \"/data/my out/\"   "
                                                 << "/data/my out";
        QTest::newRow("backslashes, one at the end") << "\\data\\out\\"
                                                     << "/data/out";
        QTest::newRow("double and dot parts") << "/data//out/./shots/"
                                              << "/data/out/shots";
        QTest::newRow("root keeps its slash") << "/"
                                              << "/";
    }

    void cleansPaths()
    {
        QFETCH(QString, typed);
        QFETCH(QString, clean);
        QLineEdit edit;
        edit.setText(typed);
        QCOMPARE(RenderDialog::qstrCleanPathFromLineEdit(&edit), clean);
    }

    void namesTheOutput_data()
    {
        QTest::addColumn<QString>("folderForm");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("clipWidth");
        QTest::addColumn<QString>("storedSuffix");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("firstFile");
        QTest::newRow("plain folder") << "%1"
                                      << "" << 1001 << 4 << "" << 4 << "result_1001.png";
        QTest::newRow("quoted with blanks and backslashes") << "  \"%1\\\"  "
                                                            << "_v2" << 1001 << 4 << "_v" << 4 << "result_1001_v.png";
        QTest::newRow("width 1 stays 1") << "%1/"
                                         << "" << 1001 << 1 << "" << 1 << "result_1001.png";
        QTest::newRow("width 4 grows to five digits") << "%1"
                                                      << "" << 9995 << 4 << "" << 5 << "result_09995.png";
    }

    // What the user types is cleaned and named into the record, and the frames are written
    // under those names by the worker.
    void namesTheOutput()
    {
        QFETCH(QString, folderForm);
        QFETCH(QString, suffix);
        QFETCH(int, offset);
        QFETCH(int, clipWidth);
        QFETCH(QString, storedSuffix);
        QFETCH(int, width);
        QFETCH(QString, firstFile);
        CW_Instance project = pProject(offset, clipWidth);
        const QString out = qstrPath(QStringLiteral("out"));
        const QString typedFolder = folderForm.contains(QLatin1Char('\\'))
            ? folderForm.arg(QString(out).replace(QLatin1Char('/'), QLatin1Char('\\')))
            : folderForm.arg(out);
        testenv::DialogDriver driver;
        RenderDialog dialog(m_pWindow);
        vRun(
            dialog, project, 2, false,
            [&](RenderDialog& d) {
                QCOMPARE(d.indexWidthTextbox->text(), QString::number(width));
                vType(d.sequenceDirectoryTextbox, typedFolder);
                d.sequenceSuffixTextbox->setText(suffix);
                vClickOk(d);
            },
            driver);
        QVERIFY2(driver.qslMessages().isEmpty(), qPrintable(driver.qslMessages().join(QLatin1Char('\n'))));
        QCOMPARE(g_exportClipInfo.getClipPath(), out + QLatin1Char('/'));
        QCOMPARE(g_exportClipInfo.getClipSuffix(), storedSuffix);
        QCOMPARE(dialog.sequenceSuffixTextbox->text(), storedSuffix);
        QCOMPARE(g_exportClipInfo.uiIndexWidth, unsigned(width));
        QCOMPARE(pGetUserSettings()->value(QStringLiteral("LastSaveClipFolder")).toString(), out + QLatin1Char('/'));
        vWaitForExecutingThreadedToFinish(true);
        QVERIFY2(QFile::exists(QDir(out).filePath(firstFile)), qPrintable(QDir(out).entryList().join(' ')));
        QCOMPARE(QDir(out).entryList(QDir::Files).size(), kiRdFrames);
    }

    void frameRangeRule_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<bool>("ok");
        QTest::newRow("whole clip") << "1001"
                                    << "1010" << true;
        QTest::newRow("one frame") << "1005"
                                   << "1005" << true;
        QTest::newRow("reversed") << "1006"
                                  << "1005" << false;
        QTest::newRow("before the first frame") << "1000"
                                                << "1005" << false;
        QTest::newRow("after the last frame") << "1001"
                                              << "1011" << false;
        QTest::newRow("empty start") << ""
                                     << "1005" << false;
        QTest::newRow("zero") << "0"
                              << "1005" << false;
    }

    // OK stands only for a range first <= start <= end <= last of the main clip.
    void frameRangeRule()
    {
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(bool, ok);
        CW_Instance project = pProject();
        testenv::DialogDriver driver;
        RenderDialog dialog(m_pWindow);
        bool enabled = !ok;
        vRun(
            dialog, project, 2, false,
            [&](RenderDialog& d) {
                vType(d.sequenceDirectoryTextbox, qstrPath(QStringLiteral("out")));
                const bool enabledBefore = d.buttonBox->button(QDialogButtonBox::Ok)->isEnabled();
                d.startFrameTextbox->setText(start);
                d.endFrameTextbox->setText(end);
                enabled = d.buttonBox->button(QDialogButtonBox::Ok)->isEnabled();
                d.reject();
                QVERIFY2(enabledBefore,
                    qPrintable(d.sequenceDirectoryTextbox->text() + QLatin1Char('|') + d.formatWarningLabel->text()
                        + QLatin1Char('|') + d.startFrameTextbox->text() + QLatin1Char('|') + d.endFrameTextbox->text()
                        + QLatin1Char('|') + d.indexStartTextbox->text() + QLatin1Char('|')
                        + d.indexWidthTextbox->text()));
            },
            driver);
        QCOMPARE(enabled, ok);
    }

    // Ten rendered frames written as PNG come back pixel for pixel.
    void writesTheRenderedClip()
    {
        CW_Instance project = pProject();
        testenv::DialogDriver driver;
        RenderDialog dialog(m_pWindow);
        vRun(
            dialog, project, 2, false,
            [&](RenderDialog& d) {
                vType(d.sequenceDirectoryTextbox, qstrPath(QStringLiteral("out")));
                vType(d.sequencePrefixTextbox, QStringLiteral("final."));
                vClickOk(d);
            },
            driver);
        vWaitForExecutingThreadedToFinish(true);
        QVERIFY2(driver.qslMessages().isEmpty(), qPrintable(driver.qslMessages().join(QLatin1Char('\n'))));
        for (int k = 0; k < kiRdFrames; ++k) {
            const QImage written(qstrPath(QStringLiteral("out/final.%1.png").arg(1001 + k)));
            const QImage rendered(qstrPath(QStringLiteral("render/result_%1.png").arg(1001 + k)));
            QVERIFY(!written.isNull());
            QCOMPARE(written.convertToFormat(QImage::Format_RGB32), rendered.convertToFormat(QImage::Format_RGB32));
        }
    }

    // A clip of index width 0 can go out as a movie: OK is enabled, and the engine's own
    // refusal reaches the user and leaves no file.
    void movieRouteTellsTheEngineRefusal()
    {
        CW_Instance project = pProject(1001, 0);
        testenv::DialogDriver driver;
        RenderDialog dialog(m_pWindow);
        const QString movie = qstrPath(QStringLiteral("out/shot.mov"));
        vRun(
            dialog, project, 2, false,
            [&](RenderDialog& d) {
                QCOMPARE(d.indexWidthTextbox->text(), QStringLiteral("0"));
                QTest::mouseClick(
                    d.quickTimeRadioButton, Qt::LeftButton, {}, QPoint(4, d.quickTimeRadioButton->height() / 2));
                QVERIFY(d.quickTimeRadioButton->isChecked());
                vType(d.quickTimeFileTextbox, movie);
                vClickOk(d);
            },
            driver);
        vWaitForExecutingThreadedToFinish(true);
        QTRY_VERIFY(!driver.qslMessages().isEmpty());
        QVERIFY2(driver.qslMessages().join(QLatin1Char('\n')).contains(QStringLiteral("Movies cannot be written")),
            qPrintable(driver.qslMessages().join(QLatin1Char('\n'))));
        QVERIFY(QDir(qstrPath(QStringLiteral("out"))).entryList(QDir::Files).isEmpty());
        QCOMPARE(g_exportClipInfo.getClipExtension(), QStringLiteral(".mov"));
        QCOMPARE(g_exportClipInfo.getClipPrefix(), QStringLiteral("/shot"));
    }

    // Writing over the source clip's own files is refused with a message; they stay as they were.
    void refusesToWriteOverTheSource()
    {
        CW_Instance project = pProject();
        const QString plate = qstrPath(QStringLiteral("source/plate.1003.png"));
        const QByteArray before = baRdRead(plate);
        testenv::DialogDriver driver;
        RenderDialog dialog(m_pWindow);
        vRun(
            dialog, project, 2, false,
            [&](RenderDialog& d) {
                vType(d.sequenceDirectoryTextbox, qstrPath(QStringLiteral("source")));
                vType(d.sequencePrefixTextbox, QStringLiteral("plate."));
                vClickOk(d);
            },
            driver);
        vWaitForExecutingThreadedToFinish(true);
        QTRY_VERIFY(!driver.qslMessages().isEmpty());
        QVERIFY2(driver.qslMessages().join(QLatin1Char('\n')).contains(QStringLiteral("write over")),
            qPrintable(driver.qslMessages().join(QLatin1Char('\n'))));
        QCOMPARE(baRdRead(plate), before);
        QCOMPARE(QDir(qstrPath(QStringLiteral("source"))).entryList(QDir::Files).size(), kiRdFrames);
    }

    // The dialog kept and reopened on a source clip: the revert combo is disabled and passes
    // clip 0, not the clip the first opening chose.
    void disabledRevertPassesNone()
    {
        CW_Instance project = pProject();
        RenderDialog dialog(m_pWindow);
        {
            testenv::DialogDriver first;
            vRun(
                dialog, project, 2, false,
                [&](RenderDialog& d) {
                    d.reject();
                    QVERIFY(d.revertToClipCombo->isEnabled());
                    QCOMPARE(d.revertToClipCombo->eGetCurrentClipID(), 1);
                },
                first);
        }
        // A driver answers a dialog once: the reopened one gets a driver of its own.
        testenv::DialogDriver driver;
        vRun(
            dialog, project, 1, false,
            [&](RenderDialog& d) {
                QVERIFY(!d.revertToClipCombo->isEnabled());
                QCOMPARE(d.clipCombo->eGetCurrentClipID(), 2);
                vType(d.sequenceDirectoryTextbox, qstrPath(QStringLiteral("out")));
                vClickOk(d);
            },
            driver);
        QCOMPARE(g_exportClipInfo.eClip, CW_CLIP_ID(2));
        QCOMPARE(g_exportClipInfo.eRevertClip, CW_CLIP_ID(0));
    }
};

PLINTRA_TEST_MAIN(TstRenderDialog)
#include "tst_renderdialog.moc"
