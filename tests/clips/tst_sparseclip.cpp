// The sparse-clip dialog: rows of image and frame, the records it hands the engine, the new
// derived clip it registers and what the viewer then shows, preview and Delete; and the
// stand-in's sparse clips.
#include "ClipServerFixtures.h"
#include "ProjectFixtures.h"
#include "TestEnvironment.h"

#include "app/OutputFolders.h"
#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "app/Settings.h"
#include "app/ShellAccessors.h"
#include "brandor.h"
#include "clips/frmQXMLNetGetClipWizard.h"
#include "clips/frmSparseClip.h"
#include "mainwindow/frmMain.h"
#include "standin/testing.h"
#include "tamsin.h"
#include "velmor.h"
#include "viewer/ViewOptionsManager.h"
#include "viewer/frmMainGLWidget.h"

#include <QFileDialog>
#include <QSettings>
#include <QXmlErrorHandler>
#include <cstring>

namespace {

class SpQuietHandler : public QXmlErrorHandler {
public:
    bool warning(const QXmlParseException&) override { return true; }
    bool error(const QXmlParseException&) override { return false; }
    bool fatalError(const QXmlParseException&) override { return false; }
    QString errorString() const override { return {}; }
};

struct SpRecord {
    QString qstrPath;
    int iFrame = 0;
    bool operator==(const SpRecord& other) const { return qstrPath == other.qstrPath && iFrame == other.iFrame; }
};

QList<SpRecord> lstRecords(Tam_List* list)
{
    QList<SpRecord> records;
    for (Tam_ListElement* element = tam_list_head(list); element; element = tam_list_next(element)) {
        const auto* frame = static_cast<const CW_DiscreteFrame*>(tam_list_data(element));
        records.append({QString::fromUtf8(frame->acPath), frame->iFrame});
    }
    return records;
}

QList<SpRecord> lstRecords(const CW_ClipInfo& clip)
{
    QList<SpRecord> records;
    for (const CW_DiscreteFrame& frame : clip.vecDiscreteFrames)
        records.append({QString::fromUtf8(frame.acPath), frame.iFrame});
    return records;
}

Tam_List* pglList(const QList<SpRecord>& records)
{
    CW_ClipInfo clip;
    for (const SpRecord& record : records) {
        CW_DiscreteFrame frame;
        const QByteArray path = record.qstrPath.toUtf8();
        std::memcpy(frame.acPath, path.constData(), size_t(path.size()));
        frame.iFrame = record.iFrame;
        clip.vecDiscreteFrames.push_back(frame);
    }
    return frmSparseClip::pglNewFrameList(clip);
}

} // namespace

Q_DECLARE_METATYPE(QList<SpRecord>)

class TstSparseClip : public QObject {
    Q_OBJECT

private:
    frmMain* m_pWindow = nullptr;
    std::unique_ptr<QTemporaryDir> m_pDir;
    CW_Instance m_project = nullptr;
    QString qstrPath(const QString& name) const { return QDir(m_pDir->path()).filePath(name); }

    // A project whose clip 1, "plate", is numbered 100 to 200 (32 x 24) with a frame offset.
    CW_Instance pMakeProject(int first = 100, int last = 200, int frameOffset = 0, int fieldMode = 0)
    {
        CW_Instance project = standin::testing::pCreateProject();
        CW_BaseClipInfo base;
        base.uiWidth = 32;
        base.uiHeight = 24;
        base.iFieldMode = fieldMode;
        base.iFrameOffset = frameOffset;
        const int files = last - first + 1;
        base.uiCount = unsigned(fieldMode == 1 || fieldMode == 2 ? files * 2 : files);
        standin::testing::vRegisterClip(project, 1, base);
        CW_ClipInfo clip;
        clip.qstrFolder = qstrPath("plate");
        clip.qstrFileName = QStringLiteral("plate_");
        clip.qstrThirdPart = QStringLiteral(".png");
        clip.iFirstFileNumber = first;
        clip.iLastFileNumber = last;
        clip.iThirdNumber = 4;
        standin::testing::vSetClipListing(project, 1, QStringLiteral("plate"), clip);
        ProjectManagerInstance::instance()->setInstance(project);
        return project;
    }
    QString qstrImage(const QString& name, QColor colour)
    {
        const QString path = qstrPath(name);
        QDir().mkpath(QFileInfo(path).path());
        testenv::bWriteColouredImage(path, QSize(32, 24), colour);
        return path;
    }
    QStringList qslFrames(frmSparseClip& dialog)
    {
        QStringList frames;
        for (int row = 0; row < dialog.tblFrames->rowCount(); ++row)
            frames << dialog.tblFrames->item(row, 1)->text();
        return frames;
    }
    QStringList qslFiles(frmSparseClip& dialog)
    {
        QStringList files;
        for (int row = 0; row < dialog.tblFrames->rowCount(); ++row)
            files << dialog.tblFrames->item(row, 0)->text();
        return files;
    }
    // The viewer's centre after it drew the clip at the frame.
    QColor colViewed(CW_CLIP_ID clip, unsigned int frame)
    {
        pGetViewOptionsManager()->setClipToDisplay(clip, true);
        vSetClipIDToDisplay(m_project, clip);
        bMakeFrameCurrent(m_project, frame);
        m_pWindow->vFitViewerToClip(m_project);
        frmMainGLWidget* viewer = m_pWindow->pGetGLWidget();
        viewer->updateGL();
        QCoreApplication::processEvents();
        return viewer->grabFramebuffer().pixelColor(viewer->width() / 2, viewer->height() / 2);
    }
    static bool bNear(QColor a, QColor b)
    {
        return std::abs(a.red() - b.red()) < 8 && std::abs(a.green() - b.green()) < 8
            && std::abs(a.blue() - b.blue()) < 8;
    }

private slots:
    void initTestCase()
    {
        qRegisterMetaType<QList<SpRecord>>();
        m_pWindow = new frmMain();
        m_pWindow->sltConfigureGUI();
        m_pWindow->resize(1000, 700);
        m_pWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pWindow));
    }
    void cleanupTestCase() { delete m_pWindow; }
    void init()
    {
        m_pDir = std::make_unique<QTemporaryDir>();
        m_project = pMakeProject();
        m_pWindow->sltUpdateGUI(2);
        m_pWindow->sldrFrameNumber->setFrameRange(0, 100);
    }
    void cleanup()
    {
        m_pWindow->sltDeletePreviewImages();
        ProjectManagerInstance::instance()->setInstance(nullptr);
        standin::testing::vReset();
        m_project = nullptr;
        QCoreApplication::processEvents();
    }

    // Numbers come from the file's name without its extension, within the clip's numbers;
    // others count the files this call added.
    void frameNumbersOfAddedFiles_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("frames");
        const QStringList withinClip {"/x/shot_0105.tif", "/x/shot_0150.tif"};
        QTest::newRow("within the clip") << 100 << 200 << 0 << withinClip << withinClip << QStringList {"5", "50"};
        QTest::newRow("sorted by number")
            << 100 << 200 << 0 << QStringList {"/x/shot_0150.tif", "/x/shot_0109.tif"}
            << QStringList {"/x/shot_0109.tif", "/x/shot_0150.tif"} << QStringList {"9", "50"};
        QTest::newRow("with a frame offset")
            << 100 << 200 << 1000 << withinClip << withinClip << QStringList {"1005", "1050"};
        const QStringList outside {"/x/shot_0500.tif", "/x/shot_0099.tif"};
        QTest::newRow("outside the clip") << 100 << 200 << 0 << outside << outside << QStringList {"0", "1"};
        const QStringList extension {"/x/plate.jp2", "/x/other.tif"};
        QTest::newRow("digits of the extension") << 1 << 50 << 0 << extension << extension << QStringList {"0", "1"};
        const QStringList folder {"/x/take7/plate.tif", "/x/take9/b.tif"};
        QTest::newRow("digits of the folder") << 1 << 50 << 0 << folder << folder << QStringList {"0", "1"};
        const QStringList lastRun {"/x/shot12_v3.tif", "/x/shot12_v20.tif"};
        QTest::newRow("last run of digits") << 1 << 50 << 0 << lastRun << lastRun << QStringList {"2", "19"};
        QTest::newRow("one file in an empty table") << 100 << 200 << 0 << QStringList {"/x/shot_0105.tif"}
                                                    << QStringList {"/x/shot_0105.tif"} << QStringList {"All"};
    }

    void frameNumbersOfAddedFiles()
    {
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(int, offset);
        QFETCH(QStringList, files);
        QFETCH(QStringList, rows);
        QFETCH(QStringList, frames);
        ProjectManagerInstance::instance()->setInstance(nullptr);
        standin::testing::vReset();
        m_project = pMakeProject(first, last, offset);
        frmSparseClip dialog(m_pWindow);
        dialog.vAddFramesToTable(m_project, nullptr, QString(), 1);
        dialog.vAddFramesToTable(m_project, files);
        QCOMPARE(qslFiles(dialog), rows);
        QCOMPARE(qslFrames(dialog), frames);
    }

    // A file whose name a row has already replaces that row's path, in every such row, and
    // adds no row; the table stays sorted by frame.
    void sameNameRelinksRows()
    {
        frmSparseClip dialog(m_pWindow);
        Tam_List* list = pglList({{"/a/shot_0105.tif", 5}, {"/b/shot_0105.tif", 9}, {"/a/shot_0120.tif", 2}});
        dialog.vAddFramesToTable(m_project, list, QString(), 1);
        frmSparseClip::vFreeFrameList(list);
        QCOMPARE(qslFrames(dialog), (QStringList {"2", "5", "9"}));
        dialog.vAddFramesToTable(m_project, QStringList {"/new/shot_0105.tif", "/new/shot_0190.tif"});
        QCOMPARE(qslFiles(dialog),
            (QStringList {"/a/shot_0120.tif", "/new/shot_0105.tif", "/new/shot_0105.tif", "/new/shot_0190.tif"}));
        QCOMPARE(qslFrames(dialog), (QStringList {"2", "5", "9", "90"}));
    }

    void recordsFromTheTable_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("fieldMode");
        QTest::addColumn<QStringList>("frames");
        QTest::addColumn<QList<int>>("indices");
        QTest::addColumn<bool>("allFrames");
        QTest::newRow("with an offset") << 1000 << 0 << QStringList {"1005", "1100"} << QList<int> {5, 100} << false;
        QTest::newRow("below the offset or unreadable")
            << 1000 << 0 << QStringList {"999", "x7"} << QList<int> {0, 0} << false;
        QTest::newRow("beyond the clip") << 0 << 0 << QStringList {"5000"} << QList<int> {100} << false;
        QTest::newRow("one row reading All") << 0 << 0 << QStringList {"All"} << QList<int> {0} << true;
        QTest::newRow("All with two rows") << 0 << 0 << QStringList {"All", "7"} << QList<int> {0, 7} << false;
        QTest::newRow("fields count twice") << 0 << 1 << QStringList {"3", "60"} << QList<int> {6, 120} << false;
    }

    void recordsFromTheTable()
    {
        QFETCH(int, offset);
        QFETCH(int, fieldMode);
        QFETCH(QStringList, frames);
        QFETCH(QList<int>, indices);
        QFETCH(bool, allFrames);
        ProjectManagerInstance::instance()->setInstance(nullptr);
        standin::testing::vReset();
        m_project = pMakeProject(100, 200, offset, fieldMode);
        frmSparseClip dialog(m_pWindow);
        dialog.vAddFramesToTable(m_project, nullptr, QString(), 1);
        dialog.tblFrames->setRowCount(int(frames.size()));
        for (int row = 0; row < frames.size(); ++row) {
            dialog.tblFrames->setItem(row, 0, new QTableWidgetItem(QStringLiteral("/f/%1.tif").arg(row)));
            dialog.tblFrames->setItem(row, 1, new QTableWidgetItem(frames[row]));
        }
        Tam_List* list = tam_list_new(nullptr);
        bool all = !allFrames;
        dialog.vAddFramesToList(m_project, &list, &all);
        QList<int> read;
        for (const SpRecord& record : lstRecords(list))
            read << record.iFrame;
        QCOMPARE(read, indices);
        QCOMPARE(lstRecords(list).value(0).qstrPath, QStringLiteral("/f/0.tif"));
        QCOMPARE(all, allFrames);
        frmSparseClip::vFreeFrameList(list);
        QVERIFY(!list);
    }

    // A path the record cannot hold is refused, never cut: adding says so, and OK with such
    // a row registers nothing.
    void overlongPathsAreRefused()
    {
        testenv::DialogDriver driver;
        frmSparseClip dialog(m_pWindow);
        dialog.vAddFramesToTable(m_project, nullptr, QStringLiteral("Clean Plate"), 1);
        const QString longest = QLatin1Char('/') + QString(998, QLatin1Char('a'));
        const QString tooLong = QLatin1Char('/') + QString(997, QLatin1Char('a')) + QStringLiteral("\u00e9");
        dialog.vAddFramesToTable(m_project, QStringList {longest, tooLong});
        QCOMPARE(qslFiles(dialog), QStringList {longest});
        QCOMPARE(driver.qslMessages().size(), 1);
        QVERIFY(driver.qslMessages().first().contains(tooLong));

        dialog.tblFrames->item(0, 0)->setText(tooLong);
        const size_t clips = pglGetClipList(m_project).size();
        dialog.buttonOk->click();
        QCOMPARE(driver.qslMessages().size(), 2);
        QVERIFY(driver.qslMessages().last().contains(QStringLiteral("longer than a sparse clip can hold")));
        QCOMPARE(pglGetClipList(m_project).size(), clips);
        QVERIFY(dialog.result() != QDialog::Accepted);
    }

    // OK with a prefix registers "prefix_source" (then "prefix2_source") from the source
    // clip, sparse, with the rows as its frames; the viewer then shows each frame's image.
    void okMakesANewSparseClipTheViewerShows()
    {
        const QString red = qstrImage("plates/shot_0105.tif", QColor(220, 30, 30));
        const QString blue = qstrImage("plates/shot_0150.tif", QColor(30, 40, 220));
        pGetUserSettings()->setValue(QStringLiteral("LastSparseClipImportFolder"), qstrPath("plates"));
        testenv::DialogDriver driver;
        QString startFolder;
        driver.handler = [&](QWidget* widget) {
            // The dialog under test is driven by the test itself.
            if (qobject_cast<frmSparseClip*>(widget))
                return true;
            auto* files = qobject_cast<QFileDialog*>(widget);
            if (!files)
                return false;
            startFolder = files->directory().absolutePath();
            files->setDirectory(qstrPath("plates"));
            files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                ->setText(QStringLiteral("\"shot_0150.tif\" \"shot_0105.tif\""));
            static_cast<QDialog*>(files)->accept();
            return true;
        };
        frmSparseClip dialog(m_pWindow);
        dialog.setWindowTitle(QStringLiteral("Cleanplates"));
        dialog.btnPreview->setChecked(false);
        dialog.vAddFramesToTable(m_project, nullptr, QStringLiteral("Clean Plate"), 1);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::mouseClick(dialog.btnAddFramesFromDisk, Qt::LeftButton);
        QCOMPARE(startFolder, qstrPath("plates"));
        QCOMPARE(qslFiles(dialog), (QStringList {red, blue}));
        QCOMPARE(qslFrames(dialog), (QStringList {"5", "50"}));
        QCOMPARE(pGetUserSettings()->value(QStringLiteral("LastSparseClipImportFolder")).toString(), red);

        QTest::mouseClick(dialog.buttonOk, Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY2(driver.qslMessages().isEmpty(), qPrintable(driver.qslMessages().join('|')));
        const CW_CLIP_ID clip = eGetClipID(m_project, QStringLiteral("Clean Plate_plate"));
        QVERIFY(clip > 1);
        QCOMPARE(dialog.eGetResultClipID(), clip);
        QCOMPARE(eGetBaseClipID(m_project, clip), CW_CLIP_ID(1));
        const CW_ClipInfo* info = pcstctGetClipInfo(m_project, clip);
        QVERIFY(info->bSparse && info->bSparseDerived && !info->bAllFrames);
        QCOMPARE(lstRecords(*info), (QList<SpRecord> {{red, 5}, {blue, 50}}));
        QCOMPARE(standin::testing::uiGetClipUnloadCount(m_project, clip), 1u);
        QVERIFY(standin::testing::bGetClipHasChanged(m_project, clip));
        QVERIFY(pcstctGetClipInfo(m_project, 1)->vecDiscreteFrames.empty());

        QVERIFY2(bNear(colViewed(clip, 5), QColor(220, 30, 30)), qPrintable(colViewed(clip, 5).name()));
        QVERIFY2(bNear(colViewed(clip, 50), QColor(30, 40, 220)), qPrintable(colViewed(clip, 50).name()));

        frmSparseClip second(m_pWindow);
        second.vAddFramesToTable(m_project, nullptr, QStringLiteral("Clean Plate"), 1);
        second.vAddFramesToTable(m_project, QStringList {red, blue});
        second.buttonOk->click();
        QVERIFY(eGetClipID(m_project, QStringLiteral("Clean Plate2_plate")) > clip);
    }

    void oneRowAllShowsAtEveryFrame()
    {
        const QString green = qstrImage("plates/clean.png", QColor(20, 200, 40));
        frmSparseClip dialog(m_pWindow);
        dialog.vAddFramesToTable(m_project, nullptr, QStringLiteral("Luma"), 1);
        dialog.vAddFramesToTable(m_project, QStringList {green});
        QCOMPARE(qslFrames(dialog), QStringList {"All"});
        dialog.buttonOk->click();
        const CW_CLIP_ID clip = eGetClipID(m_project, QStringLiteral("Luma_plate"));
        QVERIFY(clip > 1);
        QVERIFY(pcstctGetClipInfo(m_project, clip)->bAllFrames);
        for (unsigned int frame : {0u, 37u, 100u})
            QVERIFY2(bNear(colViewed(clip, frame), QColor(20, 200, 40)), qPrintable(QString::number(frame)));
    }

    // Edit mode gives the rows to the source clip; with a prefix and no rows nothing is
    // registered and the source clip keeps its frames.
    void emptyRowsAndEditMode()
    {
        const QString red = qstrImage("plates/shot_0105.tif", QColor(220, 30, 30));
        Tam_List* list = pglList({{red, 5}});
        vSetDiscreteFrames(m_project, 1, list, false);
        frmSparseClip::vFreeFrameList(list);
        const size_t clips = pglGetClipList(m_project).size();

        frmSparseClip dialog(m_pWindow);
        dialog.vAddFramesToTable(m_project, nullptr, QStringLiteral("Clean Plate"), 1);
        dialog.buttonOk->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(pglGetClipList(m_project).size(), clips);
        QCOMPARE(dialog.eGetResultClipID(), CW_CLIP_ID(1));
        QCOMPARE(lstRecords(*pcstctGetClipInfo(m_project, 1)), (QList<SpRecord> {{red, 5}}));
        QCOMPARE(standin::testing::uiGetClipUnloadCount(m_project, 1), 0u);

        frmSparseClip edit(m_pWindow);
        Tam_List* current = frmSparseClip::pglNewFrameList(*pcstctGetClipInfo(m_project, 1));
        edit.vAddFramesToTable(m_project, current, QString(), 1);
        frmSparseClip::vFreeFrameList(current);
        QCOMPARE(qslFrames(edit), QStringList {"5"});
        edit.vAddFramesToTable(m_project, QStringList {qstrPath("plates/shot_0107.tif")});
        edit.buttonOk->click();
        QCOMPARE(pglGetClipList(m_project).size(), clips);
        QCOMPARE(lstRecords(*pcstctGetClipInfo(m_project, 1)),
            (QList<SpRecord> {{red, 5}, {qstrPath("plates/shot_0107.tif"), 7}}));
        QCOMPARE(standin::testing::uiGetClipUnloadCount(m_project, 1), 1u);
    }

    void deleteRemovesTheSelectedRows()
    {
        frmSparseClip dialog(m_pWindow);
        dialog.btnPreview->setChecked(false);
        Tam_List* list = pglList({{"/a/p1.tif", 1}, {"/a/p2.tif", 2}, {"/a/p3.tif", 3}, {"/a/p4.tif", 4}});
        dialog.vAddFramesToTable(m_project, list, QString(), 1);
        frmSparseClip::vFreeFrameList(list);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.tblFrames->clearSelection();
        QTest::keyClick(dialog.tblFrames, Qt::Key_Delete);
        QCOMPARE(dialog.tblFrames->rowCount(), 4);
        dialog.tblFrames->setSelectionMode(QAbstractItemView::MultiSelection);
        dialog.tblFrames->item(0, 0)->setSelected(true);
        dialog.tblFrames->item(2, 1)->setSelected(true);
        QTest::keyClick(dialog.tblFrames, Qt::Key_Delete);
        QCOMPARE(qslFiles(dialog), (QStringList {"/a/p2.tif", "/a/p4.tif"}));
        QVERIFY(dialog.isVisible());
    }

    // With Preview on, pressing a row shows its image in the viewer and makes its frame
    // current; Cancel drops the preview.
    void previewShowsTheRowsImage()
    {
        const QString red = qstrImage("plates/shot_0105.tif", QColor(220, 30, 30));
        const QString blue = qstrImage("plates/shot_0150.tif", QColor(30, 40, 220));
        frmSparseClip dialog(m_pWindow);
        Tam_List* list = pglList({{red, 5}, {blue, 50}});
        dialog.vAddFramesToTable(m_project, list, QString(), 1);
        frmSparseClip::vFreeFrameList(list);
        dialog.move(m_pWindow->geometry().right() - 200, m_pWindow->geometry().top());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(dialog.btnPreview->isChecked());
        frmMainGLWidget* viewer = m_pWindow->pGetGLWidget();
        const QRect blueCell = dialog.tblFrames->visualItemRect(dialog.tblFrames->item(1, 0));
        QTest::mouseClick(dialog.tblFrames->viewport(), Qt::LeftButton, Qt::NoModifier, blueCell.center());
        QTRY_VERIFY(viewer->pGetImageA());
        QCOMPARE(m_pWindow->sldrFrameNumber->value(), 50);
        QCOMPARE(uiGetFrameNumber(m_project), 50u);
        const QPoint centre(viewer->width() / 2, viewer->height() / 2);
        QTRY_VERIFY2(bNear(viewer->grabFramebuffer().pixelColor(centre), QColor(30, 40, 220)),
            qPrintable(viewer->grabFramebuffer().pixelColor(centre).name()));
        const QRect redCell = dialog.tblFrames->visualItemRect(dialog.tblFrames->item(0, 1));
        QTest::mouseClick(dialog.tblFrames->viewport(), Qt::LeftButton, Qt::NoModifier, redCell.center());
        QTRY_VERIFY(bNear(viewer->grabFramebuffer().pixelColor(centre), QColor(220, 30, 30)));
        QCOMPARE(uiGetFrameNumber(m_project), 5u);

        dialog.btnPreview->setChecked(false);
        QVERIFY(!viewer->pGetImageA());
        dialog.btnPreview->setChecked(true);
        QVERIFY(viewer->pGetImageA());
        QTest::mouseClick(dialog.buttonCancel, Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!viewer->pGetImageA() && !viewer->pGetImageB());
    }

    // The project file keeps a sparse clip's frames and flags.
    void sparseClipsSurviveTheProjectFile()
    {
        ProjectManagerInstance::instance()->setInstance(nullptr);
        standin::testing::vReset();
        const QString first = testenv::qstrWriteSequence(qstrPath("media"), "plate_", 3, 32, 24);
        m_project = standin::testing::pCreateProjectFromClip(first, "plate");
        ProjectManagerInstance::instance()->setInstance(m_project);
        const QString red = qstrImage("plates/clean 1.png", QColor(220, 30, 30));
        frmSparseClip dialog(m_pWindow);
        dialog.vAddFramesToTable(m_project, nullptr, QStringLiteral("Clean Plate"), 1);
        dialog.vAddFramesToTable(m_project, QStringList {red});
        dialog.buttonOk->click();
        const CW_CLIP_ID clip = eGetClipID(m_project, QStringLiteral("Clean Plate_plate"));
        QVERIFY(clip > 1);

        standin::testing::vWriteProjectFile(m_project, qstrPath("p.pln"), kuiProjectFileVersion);
        SpQuietHandler handler;
        CW_Color colours[5];
        ManagerSuite managers;
        CW_Instance reopened
            = pOpenProject(pstctBRD_GetCallbackStruct(), nullptr, nullptr, QString(), nullptr, nullptr, QString(),
                false, qstrPath("p.pln").toUtf8().constData(), 10, "", handler, nullptr, colours, managers, false);
        QVERIFY(bIsValidInstance(reopened));
        const CW_ClipInfo* info = pcstctGetClipInfo(reopened, clip);
        QVERIFY(info && info->bSparse && info->bSparseDerived && info->bAllFrames);
        QCOMPARE(lstRecords(*info), (QList<SpRecord> {{red, 0}}));
        vCloseProject(reopened);
    }

    // The hidden clip-server button reuses the program's wizard after a reset; the files
    // chosen from the received clip become rows.
    void clipServerButtonReusesTheWizard()
    {
        testenv::ClipServerRoot server(qstrPath("root"));
        server.qstrAddClip("studio", "plate", "shot_", 2, QSize(32, 24), 105);
        pGetUserSettings()->setValue("QXMLNetLastClipServer", "studio");
        pGetUserSettings()->setValue("LastQXMLNetSaveClipFolder", qstrPath("received"));
        g_pClipServerWizard = new frmQXMLNetGetClipWizard(m_pWindow, nullptr, false, {});
        QPointer<frmQXMLNetGetClipWizard> wizard = g_pClipServerWizard;
        wizard->edtFileName->setText("left over");
        QString startFolder;
        testenv::DialogDriver driver;
        driver.handler = [&](QWidget* widget) {
            if (auto* shown = qobject_cast<frmQXMLNetGetClipWizard*>(widget)) {
                if (!QTest::qWaitFor([&] { return shown->tblFiles->rowCount() == 1; }, 15000))
                    return false;
                shown->tblFiles_clicked(shown->tblFiles->item(0, 0));
                shown->button(QWizard::NextButton)->click();
                shown->button(QWizard::NextButton)->click();
                if (QTest::qWaitFor([&] { return shown->button(QWizard::FinishButton)->isEnabled(); }, 15000))
                    shown->button(QWizard::FinishButton)->click();
                else
                    shown->reject();
                return true;
            }
            auto* files = qobject_cast<QFileDialog*>(widget);
            if (!files)
                return false;
            startFolder = files->directory().absolutePath();
            files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                ->setText("\"plate0105.tif\" \"plate0106.tif\"");
            static_cast<QDialog*>(files)->accept();
            return true;
        };
        frmSparseClip dialog(m_pWindow);
        QVERIFY(dialog.btnAddFramesFromqXMLNet->isHidden());
        dialog.btnPreview->setChecked(false);
        dialog.vAddFramesToTable(m_project, nullptr, QStringLiteral("Clean Plate"), 1);
        dialog.btnAddFramesFromqXMLNet->click();
        QCOMPARE(g_pClipServerWizard.data(), wizard.data());
        QVERIFY(wizard->edtFileName->text() != QStringLiteral("left over"));
        const QString received = qslGetReceivedClipFolders().value(0);
        QCOMPARE(startFolder, received);
        QCOMPARE(qslFrames(dialog), (QStringList {"5", "6"}));
        QCOMPARE(qslFiles(dialog).value(0), QDir(received).filePath("plate0105.tif"));
        delete wizard.data();
        qslGetReceivedClipFolders().clear();
    }

    // The image library reports each file's format and pixel type when it opens it.
    void openingAnImageReportsItsFormat_data()
    {
        QTest::addColumn<int>("qtFormat");
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("type");
        QTest::newRow("grey") << int(QImage::Format_Grayscale8) << int(TAM_GREY) << int(TAM_UINT8);
        QTest::newRow("RGB") << int(QImage::Format_RGB32) << int(TAM_RGB) << int(TAM_UINT8);
        QTest::newRow("RGBA") << int(QImage::Format_ARGB32) << int(TAM_RGBA) << int(TAM_UINT8);
        QTest::newRow("16-bit RGBA") << int(QImage::Format_RGBA64) << int(TAM_RGBA) << int(TAM_UINT16);
    }

    void openingAnImageReportsItsFormat()
    {
        QFETCH(int, qtFormat);
        QFETCH(int, format);
        QFETCH(int, type);
        QImage image(8, 8, QImage::Format(qtFormat));
        image.fill(QColor(10, 20, 30, 128));
        const QString path = qstrPath("image.png");
        QVERIFY(image.save(path));
        CW_OpenMovieStruct movie {path, {}};
        pGetImageIORouter()->vOpenMovie(movie);
        pGetImageIORouter()->vCloseMovie(path.toUtf8().constData());
        QCOMPARE(movie.iImageFormat, format);
        QCOMPARE(movie.iImageType, type);
    }

    void engineRefusesBadRecords_data()
    {
        QTest::addColumn<int>("frame");
        QTest::addColumn<bool>("terminated");
        QTest::newRow("frame below the clip") << -1 << true;
        QTest::newRow("frame beyond the clip") << 101 << true;
        QTest::newRow("path without its end") << 3 << false;
    }

    void engineRefusesBadRecords()
    {
        QFETCH(int, frame);
        QFETCH(bool, terminated);
        auto* record = new CW_DiscreteFrame;
        std::memset(record->acPath, terminated ? 0 : 'a', sizeof(record->acPath));
        if (terminated)
            std::memcpy(record->acPath, "/p.tif", 6);
        record->iFrame = frame;
        Tam_List* list = tam_list_new(nullptr);
        tam_list_insert_next(list, nullptr, record);
        QVERIFY_THROWS_EXCEPTION(CW_Exception, vSetDiscreteFrames(m_project, 1, list, false));
        QVERIFY(pcstctGetClipInfo(m_project, 1)->vecDiscreteFrames.empty());
        frmSparseClip::vFreeFrameList(list);
    }
};

PLINTRA_TEST_MAIN(TstSparseClip)
#include "tst_sparseclip.moc"
