// The Track page in the real main window: which frames a run covers and with which step,
// the run buttons and Stop, the page keys against the window's shortcuts, the key map's
// registration, and which controls the widget state enables.
#include "TestEnvironment.h"
#include "TrackPageFixture.h"

#include "app/ProgramState.h"
#include "app/ShellAccessors.h"
#include "preferences/frmPreferences.h"
#include "viewer/ViewOptionsManager.h"
#include "widgets/CWKSlider.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <atomic>

namespace {

// A page of its own title, to watch the registry across the page's lifetime.
class TpShortLivedPage : public CWKControlForm {
public:
    TpShortLivedPage()
    {
        setWindowTitle(QStringLiteral("Short Lived"));
        m_pButton = new QPushButton(this);
        vInitialize();
    }
    CW_MODULE eGetModule() const override { return CW_MODULE_TRACK; }
    void vInitialize() override
    {
        vMapKey(QStringLiteral("q"), QStringLiteral("Quick"), m_pButton);
        vRegisterKeyMappings();
    }
    void sltSetWidgetsState(CWKGUI_STATE) override { }
    void sltRestoreParameters(CW_Instance) override { }
    void mousePress(float, float, CW_INPUTDEVICEFLAGS, bool&, bool&, bool*) override { }
    void mouseMove(float, float, CW_INPUTDEVICEFLAGS, bool&, CW_CURSOR&) override { }
    void mouseRelease(float, float, CW_INPUTDEVICEFLAGS, bool&) override { }
    void keyPressEvent(QKeyEvent* e) override { bClickMappedKey(e); }
    void sltZoomWindowsActive(CW_Instance, bool&, bool&, bool&) override { }
    QPushButton* m_pButton;
};

std::vector<unsigned int> vecTpTrackedFrames(CW_Instance project)
{
    std::vector<unsigned int> frames;
    for (const standin::LoggedStep& step : standin::testing::vecGetStepLog(project))
        if (step.strOperation == "bTrackSelectionToNextFrame" || step.strOperation == "bTrackSelectionToPreviousFrame")
            frames.push_back(step.uiFrame);
    return frames;
}

} // namespace

class TstTrackPage : public QObject {
    Q_OBJECT

private:
    TrackPageWindow m_w;
    QTemporaryDir m_dir;
    QString m_qstrClip;

    template <typename T> T* pChild(const char* name) { return m_w.pPage->findChild<T*>(QLatin1String(name)); }

    // A 12-frame clip with a layer around the plane, its steps only recorded.
    int iOpenWithLayer()
    {
        CW_Instance project = m_w.pOpen(m_qstrClip);
        const int layer = testenv::iDrawTrackingLayer(project, testenv::vecTrackingTruth(CW_MOTION_TRANSLATION, 0));
        standin::testing::vSetTrackStepsRecordOnly(project, true);
        m_w.pWindow->sltUpdateGUI(2);
        return layer;
    }

    void vGoTo(int frame)
    {
        m_w.pWindow->sltSetFrame(frame);
        QCoreApplication::processEvents();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_qstrClip = testenv::qstrWriteTrackingClip(m_dir.path(), CW_MOTION_TRANSLATION, 12);
        QVERIFY(!m_qstrClip.isEmpty());
        QVERIFY(m_w.bMake());
    }

    void cleanup() { m_w.vClose(); }

    void cleanupTestCase() { m_w.vDestroy(); }

    void runPlans_data()
    {
        QTest::addColumn<int>("run"); // 0 forwards, 1 backwards, 2 next, 3 previous
        QTest::addColumn<int>("frame");
        QTest::addColumn<int>("inPoint");
        QTest::addColumn<int>("outPoint");
        QTest::addColumn<bool>("interlaced");
        QTest::addColumn<bool>("fields");
        QTest::addColumn<int>("jump");
        QTest::addColumn<bool>("start");
        QTest::addColumn<int>("frames");
        QTest::addColumn<int>("step");
        // Clips of 10 frames (0 to 9).
        QTest::newRow("forwards to the end") << 0 << 2 << 0 << 9 << false << false << 1 << true << 7 << 1;
        QTest::newRow("interlaced whole run steps 2") << 0 << 0 << 0 << 9 << true << false << 1 << true << 9 << 2;
        QTest::newRow("interlaced, every field steps 1") << 0 << 0 << 0 << 9 << true << true << 1 << true << 9 << 1;
        QTest::newRow("interlaced one-frame run steps 1") << 0 << 8 << 0 << 9 << true << false << 1 << true << 1 << 1;
        QTest::newRow("out point ahead ends the run") << 0 << 2 << 0 << 6 << false << false << 1 << true << 4 << 1;
        QTest::newRow("out point at the frame: to the end")
            << 0 << 4 << 0 << 4 << false << false << 1 << true << 5 << 1;
        QTest::newRow("out point behind: to the end") << 0 << 6 << 0 << 3 << false << false << 1 << true << 3 << 1;
        QTest::newRow("forwards on the last frame: no frames")
            << 0 << 9 << 0 << 9 << false << false << 1 << true << 0 << 1;
        QTest::newRow("frame jump 0 steps 1, forwards") << 0 << 0 << 0 << 9 << false << false << 0 << true << 9 << 1;
        QTest::newRow("backwards to the in point") << 1 << 7 << 3 << 9 << false << false << 1 << true << 4 << 1;
        QTest::newRow("in point 0: to the start") << 1 << 7 << 0 << 9 << false << false << 1 << true << 7 << 1;
        QTest::newRow("in point at the frame: to the start")
            << 1 << 5 << 5 << 9 << false << false << 1 << true << 5 << 1;
        QTest::newRow("interlaced backwards steps 2") << 1 << 6 << 0 << 9 << true << false << 1 << true << 6 << 2;
        QTest::newRow("next, interlaced, steps 2") << 2 << 3 << 0 << 9 << true << false << 1 << true << 2 << 2;
        QTest::newRow("next, step 2 one frame from the end")
            << 2 << 8 << 0 << 9 << true << false << 1 << true << 1 << 1;
        QTest::newRow("next, step 2 one frame from the out point")
            << 2 << 4 << 0 << 5 << true << false << 1 << true << 1 << 1;
        QTest::newRow("next, jump 5 cut to the frames left")
            << 2 << 7 << 0 << 9 << false << false << 5 << true << 2 << 2;
        QTest::newRow("next, jump 4 cut at the out point") << 2 << 2 << 0 << 5 << false << false << 4 << true << 3 << 3;
        QTest::newRow("next, frame jump 0 steps 1") << 2 << 3 << 0 << 9 << false << false << 0 << true << 1 << 1;
        QTest::newRow("next on the last frame starts nothing")
            << 2 << 9 << 0 << 9 << false << false << 1 << false << 0 << 1;
        QTest::newRow("previous, interlaced, steps 2") << 3 << 5 << 0 << 9 << true << false << 1 << true << 2 << 2;
        QTest::newRow("previous, step 2 next to the start") << 3 << 1 << 0 << 9 << true << false << 1 << true << 1 << 1;
        QTest::newRow("previous, jump 4 cut at the in point")
            << 3 << 5 << 3 << 9 << false << false << 4 << true << 2 << 2;
        QTest::newRow("previous, frame jump 0 steps 1") << 3 << 5 << 0 << 9 << false << false << 0 << true << 1 << 1;
        QTest::newRow("previous on frame 0 starts nothing")
            << 3 << 0 << 0 << 9 << false << false << 1 << false << 0 << 1;
    }

    void runPlans()
    {
        QFETCH(int, run);
        QFETCH(int, frame);
        QFETCH(int, inPoint);
        QFETCH(int, outPoint);
        QFETCH(bool, interlaced);
        QFETCH(bool, fields);
        QFETCH(int, jump);
        QFETCH(bool, start);
        QFETCH(int, frames);
        QFETCH(int, step);
        frmTrackPage::RunInputs in;
        in.uiFrame = unsigned(frame);
        in.uiClipFrames = 10;
        in.iInPoint = inPoint;
        in.iOutPoint = outPoint;
        in.bInterlaced = interlaced;
        in.bIndividualFields = fields;
        in.uiFrameJump = unsigned(jump);
        const frmTrackPage::RunPlan plan = run == 0 ? frmTrackPage::stctPlanForwards(in)
            : run == 1                              ? frmTrackPage::stctPlanBackwards(in)
            : run == 2                              ? frmTrackPage::stctPlanNext(in)
                                                    : frmTrackPage::stctPlanPrevious(in);
        QCOMPARE(plan.bStart, start);
        if (!start)
            return;
        QCOMPARE(int(plan.uiFrames), frames);
        QCOMPARE(int(plan.uiStep), step);
    }

    void buttonsRunTheirFrames_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("frame");
        QTest::addColumn<int>("inPoint");
        QTest::addColumn<int>("outPoint");
        QTest::addColumn<int>("jump");
        QTest::addColumn<int>("endFrame");
        QTest::addColumn<QList<int>>("tracked");
        // The clip has 12 frames, 0 to 11.
        QTest::newRow("forwards to the out point")
            << "btnRenderForwards" << 3 << 0 << 6 << 1 << 6 << QList<int> {3, 4, 5};
        QTest::newRow("backwards to the in point")
            << "btnRenderBackwards" << 6 << 2 << 11 << 1 << 2 << QList<int> {6, 5, 4, 3};
        QTest::newRow("next with frame jump 0") << "btnRenderNext" << 4 << 0 << 11 << 0 << 5 << QList<int> {4};
        QTest::newRow("next with jump 5 stops at the last frame")
            << "btnRenderNext" << 9 << 0 << 11 << 5 << 11 << QList<int> {9};
        QTest::newRow("previous with jump 5 stops at the first frame")
            << "btnRenderPrevious" << 2 << 0 << 11 << 5 << 0 << QList<int> {2};
    }

    // What the user's click on a run button makes of the engine: the frames tracked, and
    // the frame the run leaves current, never outside the range.
    void buttonsRunTheirFrames()
    {
        QFETCH(QString, button);
        QFETCH(int, frame);
        QFETCH(int, inPoint);
        QFETCH(int, outPoint);
        QFETCH(int, jump);
        QFETCH(int, endFrame);
        QFETCH(QList<int>, tracked);
        iOpenWithLayer();
        CW_Instance project = m_w.pProject;
        setTrackFrameJump(project, unsigned(jump));
        m_w.pWindow->sldrFrameNumber->setPrimaryRange(inPoint, outPoint);
        vGoTo(frame);
        QCOMPARE(int(uiGetFrameNumber(project)), frame);
        m_w.pWindow->sltUpdateGUI(2);
        auto* pushButton = m_w.pWindow->findChild<QPushButton*>(button);
        QVERIFY(pushButton && pushButton->isEnabled());
        QTest::mouseClick(pushButton, Qt::LeftButton);
        QVERIFY(m_w.bWaitIdle());
        QTRY_COMPARE(m_w.pWindow->iGetWidgetsState(), 2);
        QCOMPARE(int(uiGetFrameNumber(project)), endFrame);
        QTRY_COMPARE(m_w.pWindow->sldrFrameNumber->value(), endFrame);
        std::vector<unsigned int> expected;
        for (int f : tracked)
            expected.push_back(unsigned(f));
        QCOMPARE(vecTpTrackedFrames(project), expected);
    }

    // Stop lets the frame being tracked finish and tracks no further frame.
    void stopEndsAfterTheCurrentFrame()
    {
        iOpenWithLayer();
        CW_Instance project = m_w.pProject;
        QSemaphore reached;
        QSemaphore go;
        standin::testing::vSetCallHook("bTrackSelectionToNextFrame", [&](unsigned int call) {
            if (call == 2) {
                reached.release();
                go.tryAcquire(1, 30000);
            }
        });
        QTest::mouseClick(m_w.pWindow->btnRenderForwards, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(reached.available() == 1, 30000);
        QTRY_VERIFY(m_w.pWindow->btnStopRendering->isVisible());
        QTest::mouseClick(m_w.pWindow->btnStopRendering, Qt::LeftButton);
        go.release();
        QVERIFY(m_w.bWaitIdle());
        standin::testing::vSetCallHook("bTrackSelectionToNextFrame", {});
        QCOMPARE(vecTpTrackedFrames(project), (std::vector<unsigned int> {0, 1}));
        QTRY_COMPARE(m_w.pWindow->iGetWidgetsState(), 2);
    }

    void pageKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("clicked");
        QTest::newRow("m: Manual Track") << int(Qt::Key_M) << "m" << int(Qt::NoModifier) << "rbtnManualTrack";
        QTest::newRow("O: Export Shape Data")
            << int(Qt::Key_O) << "O" << int(Qt::ShiftModifier) << "btnExportShapeData";
        QTest::newRow("p: Perspective, not the window's Preview")
            << int(Qt::Key_P) << "p" << int(Qt::NoModifier) << "chkbxMotionModelPerspective";
        QTest::newRow("T: Scale") << int(Qt::Key_T) << "T" << int(Qt::ShiftModifier) << "chkbxMotionModelScale";
        QTest::newRow("t: nothing") << int(Qt::Key_T) << "t" << int(Qt::NoModifier) << "";
        QTest::newRow("Ctrl+m: nothing") << int(Qt::Key_M) << "m" << int(Qt::ControlModifier) << "";
        QTest::newRow("Alt+b: nothing") << int(Qt::Key_B) << "b" << int(Qt::AltModifier) << "";
    }

    // Keys typed while the page has the focus click the page's controls, and only those
    // the map names; with Control or Alt held the page leaves the key alone.
    void pageKeys()
    {
        QFETCH(int, key);
        QFETCH(QString, text);
        QFETCH(int, modifiers);
        QFETCH(QString, clicked);
        iOpenWithLayer();
        auto* focus = pChild<QPushButton>("btnExportShapeData");
        QVERIFY(focus->isEnabled());
        focus->setFocus(Qt::OtherFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), focus);
        QList<QAbstractButton*> buttons;
        std::vector<std::unique_ptr<QSignalSpy>> spies;
        for (const auto& binding : m_w.pPage->mapGetKeyMappings()) {
            buttons << binding.pButton;
            spies.push_back(std::make_unique<QSignalSpy>(binding.pButton, &QAbstractButton::clicked));
        }
        buttons << pChild<QAbstractButton>("btnExportTrackingData") << pChild<QAbstractButton>("rbtnLargeMotion")
                << pChild<QAbstractButton>("rbtnAutoChannel");
        for (int i = int(spies.size()); i < buttons.size(); ++i)
            spies.push_back(std::make_unique<QSignalSpy>(buttons[i], &QAbstractButton::clicked));
        QSignalSpy preview(m_w.pWindow->actPreview, &QAction::triggered);

        QTest::sendKeyEvent(QTest::Click, focus, Qt::Key(key), text, Qt::KeyboardModifiers(modifiers));
        if (!clicked.isEmpty())
            QTRY_COMPARE(spies[std::size_t(buttons.indexOf(pChild<QAbstractButton>(qPrintable(clicked))))]->size(), 1);
        QTest::qWait(150);
        for (int i = 0; i < buttons.size(); ++i)
            QCOMPARE(spies[std::size_t(i)]->size(), buttons[i]->objectName() == clicked ? 1 : 0);
        QCOMPARE(preview.size(), 0);
    }

    // F2 brings back the plain first clip: clip 1, no matte view, no alpha.
    void f2ShowsTheFirstClipPlain()
    {
        iOpenWithLayer();
        CW_Instance project = m_w.pProject;
        CW_ClipInfo files = *pcstctGetClipInfo(project, 1);
        standin::testing::vRegisterClip(project, 2, *pcstctGetBaseClipInfo(project, 1));
        standin::testing::vSetClipListing(project, 2, QStringLiteral("copy"), files, 1);
        ViewOptionsManager* view = pGetViewOptionsManager();
        view->setClipToDisplay(2, true);
        view->setMatteViewState(1);
        view->showAlpha = true;
        QCOMPARE(eGetClipIDToDisplay(project), CW_CLIP_ID(2));
        auto* focus = pChild<QPushButton>("btnExportShapeData");
        focus->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(focus, Qt::Key_F2);
        QCOMPARE(eGetClipIDToDisplay(project), CW_CLIP_ID(1));
        QCOMPARE(view->matteViewState, 0);
        QVERIFY(!view->showAlpha);
    }

    // The preferences show the page's own map under its title; a page that goes takes its
    // map out, so that the dialog never reaches a map that is gone.
    void keyMapLeavesTheRegistryWithItsPage()
    {
        QVERIFY(g_pPreferences);
        QCOMPARE(g_pPreferences->pGetRegisteredKeyMap(QStringLiteral("Track")), &m_w.pPage->mapGetKeyMappings());
        const CWKKeyMap& map = m_w.pPage->mapGetKeyMappings();
        QCOMPARE(map.keys(), QStringList({"O", "R", "T", "b", "m", "o", "p", "v", "y"}));
        QCOMPARE(map.value("m").qstrDescription, QStringLiteral("Manual Track"));
        QCOMPARE(map.value("p").qstrDescription, QStringLiteral("Perspective Motion Model"));

        auto page = std::make_unique<TpShortLivedPage>();
        QCOMPARE(g_pPreferences->pGetRegisteredKeyMap(QStringLiteral("Short Lived")), &page->mapGetKeyMappings());
        page.reset();
        QCOMPARE(g_pPreferences->pGetRegisteredKeyMap(QStringLiteral("Short Lived")), nullptr);
        // Saving the maps shown reads only live maps.
        auto* modules = g_pPreferences->findChild<QComboBox*>(QStringLiteral("cboxModules"));
        QVERIFY(modules);
        QCOMPARE(modules->findText(QStringLiteral("Short Lived")), -1);
    }

    void widgetState_data()
    {
        QTest::addColumn<bool>("large");
        QTest::addColumn<bool>("manual");
        QTest::addColumn<bool>("autoHorizontal");
        QTest::addColumn<bool>("autoVertical");
        QTest::newRow("large, no Auto") << true << false << false << false;
        QTest::newRow("large, horizontal Auto") << true << false << true << false;
        QTest::newRow("large, vertical Auto") << true << false << false << true;
        QTest::newRow("small motion") << false << false << false << false;
        QTest::newRow("manual track") << false << true << false << false;
    }

    // The search edits are for Large Motion only, each unless its Auto box is on.
    void widgetState()
    {
        QFETCH(bool, large);
        QFETCH(bool, manual);
        QFETCH(bool, autoHorizontal);
        QFETCH(bool, autoVertical);
        const int layer = iOpenWithLayer();
        CW_TrackingParameterSet* p = pGetTrackingParameters(m_w.pProject, layer);
        p->pLargeMotion->setStaticValue(large);
        p->pManualTrack->setStaticValue(manual);
        p->pAutoHorizontalSearch->setStaticValue(autoHorizontal);
        p->pAutoVerticalSearch->setStaticValue(autoVertical);
        m_w.pWindow->sltUpdateGUI(2);
        QCOMPARE(pChild<QRadioButton>("rbtnLargeMotion")->isChecked(), large && !manual);
        QCOMPARE(pChild<QRadioButton>("rbtnManualTrack")->isChecked(), manual);
        QCOMPARE(pChild<QLineEdit>("iedtMaxHorizontalMotion")->isEnabled(), large && !autoHorizontal);
        QCOMPARE(pChild<QLineEdit>("iedtMaxVerticalMotion")->isEnabled(), large && !autoVertical);
        QCOMPARE(pChild<QLineEdit>("iedtMaxRotationAngle")->isEnabled(), large);
        QCOMPARE(pChild<QLineEdit>("iedtMaxZoomPercentage")->isEnabled(), large);
        QCOMPARE(pChild<QCheckBox>("chkbxMaxMotionHorizontalAuto")->isEnabled(), large);
        QCOMPARE(pChild<QCheckBox>("chkbxMaxMotionVerticalAuto")->isEnabled(), large);
        QVERIFY(pChild<QRadioButton>("rbtnSmallMotion")->isEnabled());
        QVERIFY(pChild<QWidget>("iccboxInputClip")->isEnabled());
        // A progressive clip has no fields to track one by one.
        QVERIFY(!pChild<QCheckBox>("chkbxTrackIndividualFields")->isEnabled());
        if (!large)
            return;
        // Ticking an Auto box takes its edit away at once.
        auto* box = pChild<QCheckBox>("chkbxMaxMotionHorizontalAuto");
        QTest::mouseClick(box, Qt::LeftButton);
        QCOMPARE(pChild<QLineEdit>("iedtMaxHorizontalMotion")->isEnabled(), !box->isChecked());
    }

    // Without a project the page is cleared; and while another tab is current, the Track
    // page is left as it is.
    void widgetStateWithoutProjectAndOnAnotherTab()
    {
        iOpenWithLayer();
        auto* horizontal = pChild<QLineEdit>("iedtMaxHorizontalMotion");
        QVERIFY(!horizontal->text().isEmpty());
        m_w.vShowTab(QStringLiteral("Clip"));
        m_w.pPage->sltSetWidgetsState(1);
        QVERIFY(!horizontal->text().isEmpty());
        m_w.vShowTab(QStringLiteral("Track"));
        m_w.pPage->sltSetWidgetsState(1);
        QVERIFY(horizontal->text().isEmpty());
        QVERIFY(!horizontal->isEnabled());
        QVERIFY(!m_w.pWindow->btnRenderForwards->isEnabled());
        QVERIFY(pChild<QCheckBox>("chkbxMotionModelPerspective")->isChecked());
        // The smoothing group, the frame jump and the import stay hidden.
        QVERIFY(!pChild<QWidget>("grpbxSmooth")->isVisibleTo(m_w.pPage));
        QVERIFY(!pChild<QWidget>("iedtFrameJump")->isVisibleTo(m_w.pPage));
        QVERIFY(!pChild<QWidget>("btnImportTrackingData")->isVisibleTo(m_w.pPage));
    }
};

PLINTRA_TEST_MAIN(TstTrackPage)
#include "tst_trackpage.moc"
