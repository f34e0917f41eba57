#include "TestEnvironment.h"

#include "app/CWKGUIThreadedProcess.h"
#include "app/ProgramState.h"
#include "mainwindow/frmMain.h"
#include "pages/compositing/frmPatchPage.h"
#include "pages/tracking/frmTrackPage.h"
#include "widgets/GhostableButton.h"

#include <QTabWidget>
#include <limits>
#include <memory>

class TstControlForm : public QObject {
    Q_OBJECT

    frmMain* m_pWindow = nullptr;

    // The time bar as it is drawn.
    QImage imgGrabTimeBar(QWidget* button) const
    {
        return button->parentWidget()->grab(button->geometry()).toImage();
    }

    std::unique_ptr<testenv::ModalAnswerer> m_pAnswerer;

private slots:
    void initTestCase()
    {
        // The window's own Track page holds the title's key map: each page made here is told so.
        m_pAnswerer = std::make_unique<testenv::ModalAnswerer>();
        m_pWindow = new frmMain();
        m_pWindow->sltConfigureGUI();
        m_pWindow->resize(1400, 700);
        m_pWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pWindow));
    }

    void cleanupTestCase()
    {
        delete m_pWindow;
        m_pAnswerer.reset();
    }

    void init()
    {
        vSetStopRequested(false);
        for (QAction* action : m_pWindow->findChildren<QAction*>())
            action->setEnabled(true);
        for (QPushButton* button : m_pWindow->QMainWindow::centralWidget()->findChildren<QPushButton*>()) {
            button->setEnabled(true);
            button->show();
        }
        m_pWindow->btnPreview->hide();
    }

    void defaultsOfAPageThatOverridesNothing()
    {
        frmPatchPage page;
        QVERIFY(!page.bSupportsMesh());
        QVERIFY(!page.bSupportsPreview());
        QVERIFY(!page.bSupportsTrace());
        QVERIFY(!page.bSupportsLayerDisplay());
        QVERIFY(page.bSupportsKeyframeableParameters());
        QCOMPARE(page.eGetReadbackClipID(), CW_CLIP_ID(0));
        QVERIFY(page.bUseRenderCurrentFrame());
        QVERIFY(!page.showInternalKeyframes());
        QVERIFY(!page.bWillHandleTransformationTools());
        QVERIFY(!page.bHasKeyframedParameters());
        // The product under test names its render function "Track".
        QCOMPARE(page.qstrGetRenderCaption(), QStringLiteral("Track"));
        QCOMPARE(page.lastPointerX, std::numeric_limits<float>::max());
        QCOMPARE(page.lastPointerY, std::numeric_limits<float>::max());
        bool keyframeable = true;
        bool hasKey = false;
        page.bsltKeyframeable(nullptr, keyframeable, hasKey);
        QVERIFY(keyframeable && !hasKey);
    }

    void slotsAreReachableByName()
    {
        frmTrackPage page;
        const QMetaObject* meta = page.metaObject();
        for (const char* signature :
             {"vInitialize()", "sltControlFormChanged(int)", "sltSetWidgetsState(CWKGUI_STATE)",
              "sltRestoreParameters(CW_Instance)", "sltInputClipRangeChanged(int,bool,int)",
              "sltGetKeyframes(CW_Instance,int&,int&)", "sltGetKeyframes(CW_Instance,CW_KEYFRAME_TYPE*)",
              "btnStopRendering_clicked()", "btnPreview_toggled()"})
            QVERIFY2(meta->indexOfSlot(signature) >= 0, signature);
    }

    void stopButtonAsksTheRunToStop()
    {
        frmTrackPage page;
        page.vConnectRenderButtons();
        QVERIFY(!bIsStopRequested());
        m_pWindow->btnStopRendering->click();
        QVERIFY(bIsStopRequested());
    }

    void enablingSwitchesTheStepButtonsToo()
    {
        frmTrackPage page;
        // A new page on the current tab starts with the render buttons off.
        for (QPushButton* button : {m_pWindow->btnRenderForwards, m_pWindow->btnRenderBackwards,
                 static_cast<QPushButton*>(m_pWindow->btnRenderNext),
                 static_cast<QPushButton*>(m_pWindow->btnRenderPrevious), m_pWindow->btnRenderThis})
            button->setEnabled(true);
        page.vEnableRenderForwards(false);
        QVERIFY(!m_pWindow->btnRenderForwards->isEnabled());
        QVERIFY(!m_pWindow->btnRenderNext->isEnabled());
        QVERIFY(m_pWindow->btnRenderPrevious->isEnabled());
        page.vEnableRenderBackwards(false);
        QVERIFY(!m_pWindow->btnRenderPrevious->isEnabled());
        page.vEnableRenderThis(false);
        QVERIFY(!m_pWindow->btnRenderThis->isEnabled());
    }

    void hiddenStepButtonsKeepTheirPlace()
    {
        frmTrackPage page;
        GhostableButton* next = m_pWindow->btnRenderNext;
        m_pWindow->QMainWindow::centralWidget()->layout()->activate();
        QCoreApplication::processEvents();
        const QRect place = next->geometry();
        const QImage shown = imgGrabTimeBar(next);
        page.vShowStepButtons(false);
        QCoreApplication::processEvents();
        QCOMPARE(next->geometry(), place);
        QVERIFY(next->isVisible());
        QVERIFY(imgGrabTimeBar(next) != shown);
        page.vShowStepButtons(true);
        QCoreApplication::processEvents();
        QCOMPARE(imgGrabTimeBar(next), shown);
    }

    void disablingRenderControls()
    {
        frmTrackPage page;
        page.vDisableRenderControls();
        for (QAction* action : {m_pWindow->actRenderForwards, m_pWindow->actRenderBackwards, m_pWindow->actStopRendering,
                                m_pWindow->actRenderNext, m_pWindow->actRenderPrevious, m_pWindow->actUndoRenderThis,
                                m_pWindow->actUndoRenderAll, m_pWindow->actPreview})
            QVERIFY2(!action->isEnabled(), qPrintable(action->objectName()));
        QVERIFY(m_pWindow->actRenderThis->isEnabled());
        QVERIFY(m_pWindow->actToggleAutoUpdate->isEnabled());
        for (QPushButton* button : {static_cast<QPushButton*>(m_pWindow->btnRenderThis), m_pWindow->btnRenderForwards,
                                    m_pWindow->btnRenderBackwards, static_cast<QPushButton*>(m_pWindow->btnRenderNext),
                                    static_cast<QPushButton*>(m_pWindow->btnRenderPrevious)})
            QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));
        QVERIFY(m_pWindow->btnStopRendering->isHidden());
        QVERIFY(m_pWindow->btnStopRendering->isEnabled());
    }

    void pageKeysReachTheWindow()
    {
        QTabWidget* tabs = m_pWindow->pGetModuleTabWidget();
        auto* page = qobject_cast<CWKControlForm*>(tabs->currentWidget());
        QVERIFY(page);
        QTest::keyClick(page, Qt::Key_Escape);
        QVERIFY(!page->isHidden());
    }
};

PLINTRA_TEST_MAIN(TstControlForm)
#include "tst_controlform.moc"
