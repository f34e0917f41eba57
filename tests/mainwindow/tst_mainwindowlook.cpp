// The main window as the program draws it: the shipped style sheets and the program's own
// style applied the way start-up applies them, and what the render bar, the play-mode
// button, the menu bar and the tool bar show.
#include "TestEnvironment.h"

#include "app/CWKGUIThreadedProcess.h"
#include "app/CWKStyle.h"
#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "app/ResourceLoading.h"
#include "app/Settings.h"
#include "app/ShellAccessors.h"
#include "mainwindow/frmMain.h"
#include "standin/testing.h"
#include "velmor.h"

#include <QMenuBar>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace {

std::atomic<bool> g_bHoldRun {false};
std::atomic<int> g_iHeldSteps {0};

// A module step that lasts until the test lets it go (bounded, so a failing test still ends).
CW_BOOL bTstHeldStep(CW_Instance)
{
    ++g_iHeldSteps;
    for (int i = 0; i < 3000 && g_bHoldRun; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return true;
}

// The brightest HSV value in a part of a drawing.
int iLightestValue(const QImage& image, const QRect& area)
{
    int lightest = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            lightest = std::max(lightest, QColor(image.pixel(x, y)).value());
    return lightest;
}

// How the button draws with the given icon in its place, everything else as it is.
QImage imgDrawnWithIcon(QAbstractButton* button, const QIcon& icon)
{
    const QIcon kept = button->icon();
    button->setIcon(icon);
    const QImage drawn = button->grab().toImage();
    button->setIcon(kept);
    return drawn;
}

} // namespace

class TstMainWindowLook : public QObject {
    Q_OBJECT

    std::unique_ptr<frmMain> m_pWindow;

    // A window built the way start-up builds it once the look is installed.
    void vMakeWindow()
    {
        m_pWindow = std::make_unique<frmMain>();
        m_pWindow->sltConfigureGUI();
        m_pWindow->sltUpdateGUI(1);
        m_pWindow->setWindowState(Qt::WindowNoState);
        m_pWindow->resize(1500, 950);
        m_pWindow->move(0, 0);
        m_pWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pWindow.get()));
    }

    CW_Instance pOpenProject()
    {
        standin::testing::vReset();
        CW_Instance project = standin::testing::pCreateProject();
        CW_BaseClipInfo clip;
        clip.uiWidth = 64;
        clip.uiHeight = 48;
        clip.uiCount = 30;
        clip.iFrameOffset = 1001;
        standin::testing::vRegisterClip(project, 1, clip);
        ProjectManagerInstance::instance()->setInstance(project);
        m_pWindow->sltUpdateGUI(2);
        return project;
    }

    // The two words of the render captions, each with a product whose pages use it.
    static void vAddProductTitles()
    {
        QTest::addColumn<QString>("product");
        QTest::addColumn<QString>("title");
        QTest::newRow("Track") << QStringLiteral("plintra") << QStringLiteral("Track");
        QTest::newRow("Render") << QStringLiteral("plintrapro") << QStringLiteral("Render");
    }

    // Clicks a module tab the way a user does.
    void vClickModuleTab(const QString& caption)
    {
        QTabBar* bar = m_pWindow->pGetModuleTabWidget()->tabBar();
        int index = -1;
        for (int i = 0; i < bar->count(); ++i)
            if (bar->tabText(i) == caption)
                index = i;
        QVERIFY2(index >= 0, qPrintable(caption));
        const QRect tab = bar->tabRect(index);
        QVERIFY2(bar->rect().contains(tab.center()), qPrintable(caption));
        QTest::mouseClick(bar, Qt::LeftButton, {}, tab.center());
        QCOMPARE(bar->currentIndex(), index);
    }

    // The button draws the resource picture of that full name, and nothing else.
    void vVerifyDrawnIcon(QAbstractButton* button, const QString& resource)
    {
        const QString what = button->objectName() + QLatin1Char(' ') + resource;
        const QPixmap expected(resource);
        QVERIFY2(!expected.isNull(), qPrintable(what));
        const QPixmap shown = button->icon().pixmap(button->iconSize());
        QVERIFY2(!shown.isNull(), qPrintable(what));
        QCOMPARE(shown.toImage(), QIcon(expected).pixmap(button->iconSize()).toImage());
        const QImage drawn = button->grab().toImage();
        QVERIFY2(drawn == imgDrawnWithIcon(button, QIcon(expected)), qPrintable(what));
        QVERIFY2(drawn != imgDrawnWithIcon(button, QIcon()), qPrintable(what + QStringLiteral(" draws no picture")));
    }

    // What the shared place of render-this and stop shows, compared with each button alone,
    // inside the buttons' rounded borders and within the place.
    enum class Slot { RenderThis, Stop, Other };
    Slot eSlotShows()
    {
        QWidget* place = m_pWindow->StopThisRender;
        QPushButton* renderThis = m_pWindow->btnRenderThis;
        QPushButton* stop = m_pWindow->btnStopRendering;
        const QRect area = renderThis->geometry().adjusted(4, 4, -4, -4).intersected(place->rect());
        if (area.isEmpty() || stop->geometry() != renderThis->geometry())
            return Slot::Other;
        auto inside = [&area](const QImage& drawn, const QPoint& at) {
            return drawn.copy(area.translated(-at)).convertToFormat(QImage::Format_RGB32);
        };
        const QImage shown = inside(place->grab().toImage(), QPoint());
        const QImage renderThisAlone = inside(renderThis->grab().toImage(), renderThis->pos());
        const QImage stopAlone = inside(stop->grab().toImage(), stop->pos());
        if (renderThisAlone == stopAlone)
            return Slot::Other;
        if (shown == renderThisAlone)
            return Slot::RenderThis;
        return shown == stopAlone ? Slot::Stop : Slot::Other;
    }

private slots:
    void initTestCase()
    {
        // Start-up's order: fonts, the shipped sheets, then the program's style.
        pGetUserSettings()->setValue(QStringLiteral("InstallDir"), QStringLiteral(PLINTRA_STAGE_DIR));
        vLoadApplicationFonts();
        qApp->setStyleSheet(QString());
        vLoadStyleSheet(QStringLiteral("main.css"));
        vLoadStyleSheet(qstrGetProduct() + QStringLiteral(".css"));
        QVERIFY2(qApp->styleSheet().size() > 1000, "the shipped sheets were not found");
        g_pStyle = new CWKStyle;
        g_pStyle->setBrightness(1.0f);
        QApplication::setStyle(g_pStyle);
    }

    void init() { vMakeWindow(); }

    void cleanup()
    {
        g_bHoldRun = false;
        vEndAllWorkers();
        vSetProduct(QStringLiteral("plintra"));
        m_pWindow.reset();
        ProjectManagerInstance::instance()->setInstance(nullptr);
        standin::testing::vReset();
        QCoreApplication::processEvents();
    }

    // The captions name the current page's work from the start, as the label does.
    void renderCaptionsFollowThePageFromTheStart_data() { vAddProductTitles(); }

    void renderCaptionsFollowThePageFromTheStart()
    {
        QFETCH(QString, product);
        QFETCH(QString, title);
        vSetProduct(product);
        vMakeWindow();
        // The first page is the Track page, whose work is tracking in every product.
        QCOMPARE(qstrGetCurrentTabText(), QStringLiteral("Track"));
        title = QStringLiteral("Track");
        QCOMPARE(m_pWindow->lblTrack->text(), title);
        QCOMPARE(m_pWindow->MenuRender->title(), title);
        QCOMPARE(m_pWindow->actRenderThis->text(), title + QStringLiteral(" Current Frame"));
        QCOMPARE(m_pWindow->actRenderForwards->text(), title + QStringLiteral(" Forwards"));
        QCOMPARE(m_pWindow->actRenderPrevious->text(), title + QStringLiteral(" To Previous Frame"));
        QCOMPARE(m_pWindow->actStopRendering->text(), QStringLiteral("Stop %1ing").arg(title));
        QCOMPARE(m_pWindow->actUndoRenderAll->text(), QStringLiteral("Undo %1 in All Frames").arg(title));
        QCOMPARE(m_pWindow->btnRenderBackwards->toolTip(), title + QStringLiteral(" Backwards"));
        for (const char* suffix : {"_This", "_Forwards", "_Backwards", "_Next", "_Previous"}) {
            auto* button = m_pWindow->findChild<QPushButton*>(QStringLiteral("btnRender") + QLatin1String(suffix + 1));
            QVERIFY(button);
            vVerifyDrawnIcon(
                button, QStringLiteral(":/Resources/") + title + QLatin1String(suffix) + QStringLiteral(".png"));
            if (QTest::currentTestFailed())
                return;
        }
    }

    // Every module-tab change redraws the five render buttons with the title's pictures.
    void renderButtonsKeepTheirPicturesAcrossTabChanges_data() { vAddProductTitles(); }

    void renderButtonsKeepTheirPicturesAcrossTabChanges()
    {
        QFETCH(QString, product);
        QFETCH(QString, title);
        vSetProduct(product);
        pOpenProject();
        const std::pair<QPushButton*, const char*> buttons[] = {{m_pWindow->btnRenderThis, "_This"},
            {m_pWindow->btnRenderForwards, "_Forwards"}, {m_pWindow->btnRenderBackwards, "_Backwards"},
            {m_pWindow->btnRenderNext, "_Next"}, {m_pWindow->btnRenderPrevious, "_Previous"}};
        for (const QString& tab : {QStringLiteral("Clip"), QStringLiteral("Lens"), QStringLiteral("Track")}) {
            vClickModuleTab(tab);
            const QString shown = tab == QLatin1String("Track") ? QStringLiteral("Track") : title;
            QCOMPARE(m_pWindow->lblTrack->text(), shown);
            for (const auto& [button, suffix] : buttons) {
                vVerifyDrawnIcon(
                    button, QStringLiteral(":/Resources/") + shown + QLatin1String(suffix) + QStringLiteral(".png"));
                if (QTest::currentTestFailed())
                    return;
            }
            if (QTest::currentTestFailed())
                return;
        }
    }

    // Each click on the play-mode button shows the picture of the mode it moved to.
    void playModeButtonShowsEachMode()
    {
        pOpenProject();
        QPushButton* button = m_pWindow->btnPlayMode;
        QVERIFY(button->isEnabled());
        QCOMPARE(m_pWindow->eGetPlayMode(), frmMain::PingPong);
        vVerifyDrawnIcon(button, QStringLiteral(":/Resources/Play_PingPong.png"));
        const std::pair<frmMain::CWKGUI_PLAYMODE, const char*> cycle[]
            = {{frmMain::Loop, "Play_Loop.png"}, {frmMain::UniDirection, "Play_UniDirection.png"},
                {frmMain::PingPong, "Play_PingPong.png"}, {frmMain::Loop, "Play_Loop.png"}};
        for (const auto& [mode, picture] : cycle) {
            QTest::mouseClick(button, Qt::LeftButton);
            QCOMPARE(m_pWindow->eGetPlayMode(), mode);
            vVerifyDrawnIcon(button, QStringLiteral(":/Resources/") + QLatin1String(picture));
            if (QTest::currentTestFailed())
                return;
        }
    }

    // Render-this shows whenever no run goes; the stop button takes its place during a run,
    // and a click on it ends the run.
    void stopButtonShowsOnlyDuringARun()
    {
        QCOMPARE(eSlotShows(), Slot::RenderThis);
        const CW_Instance project = pOpenProject();
        QCOMPARE(eSlotShows(), Slot::RenderThis);
        QVERIFY(!m_pWindow->actStopRendering->isEnabled());

        g_bHoldRun = true;
        g_iHeldSteps = 0;
        QVERIFY(bExecuteThreaded(
            true, false, &bTstHeldStep, 2001, nullptr, nullptr, 20, nullptr, nullptr, false, true, 1, true));
        QCOMPARE(m_pWindow->iGetWidgetsState(), 3);
        QTRY_COMPARE(g_iHeldSteps.load(), 1);
        m_pWindow->sltUpdateGUI();
        QCOMPARE(eSlotShows(), Slot::Stop);
        QVERIFY(m_pWindow->actStopRendering->isEnabled());

        QTest::mouseClick(m_pWindow->btnStopRendering, Qt::LeftButton);
        QVERIFY(bIsStopRequested());
        g_bHoldRun = false;
        QTRY_VERIFY_WITH_TIMEOUT(!bIsExecutingThreaded(), 20000);
        QTRY_COMPARE(m_pWindow->iGetWidgetsState(), 2);
        QCOMPARE(g_iHeldSteps.load(), 1);
        QVERIFY(uiGetFrameNumber(project) < 3);
        QCOMPARE(eSlotShows(), Slot::RenderThis);
        QVERIFY(!m_pWindow->actStopRendering->isEnabled());

        // Playing is no run either.
        m_pWindow->sltUpdateGUI(4);
        QCOMPARE(eSlotShows(), Slot::RenderThis);
    }

    // At idle the Render menu acts on the bar's buttons: an action is on while its button
    // can be used, and choosing it clicks that button.
    void renderActionsFollowTheRenderButtons()
    {
        // The Track page offers its runs for a layer it can track.
        const CW_Instance project = pOpenProject();
        const int layer = standin::testing::iAddLayer(project, QStringLiteral("Plane"));
        standin::testing::vEditViewerState(project, [layer](standin::ViewerState& v) { v.iCurrentLayer = layer; });
        standin::testing::vSetTrackStepsRecordOnly(project, true);
        m_pWindow->sltUpdateGUI(2);
        // The Track page has no run of the current frame alone.
        QVERIFY(!m_pWindow->btnRenderThis->isEnabled());
        const std::pair<QAction*, QPushButton*> pairs[] = {{m_pWindow->actRenderForwards, m_pWindow->btnRenderForwards},
            {m_pWindow->actRenderBackwards, m_pWindow->btnRenderBackwards},
            {m_pWindow->actRenderNext, m_pWindow->btnRenderNext},
            {m_pWindow->actRenderPrevious, m_pWindow->btnRenderPrevious}};
        for (const auto& [action, button] : pairs) {
            QVERIFY2(action->isEnabled(), qPrintable(action->objectName()));
            QSignalSpy clicked(button, &QAbstractButton::clicked);
            action->trigger();
            QTRY_COMPARE(clicked.size(), 1);
            vWaitForExecutingThreadedToFinish(true);
            QTRY_COMPARE(m_pWindow->iGetWidgetsState(), 2);
        }
        // A page that cannot go forwards switches its buttons off; the menu follows.
        standin::testing::vSetEventAllowed(project, CW_MODULE_TRACK, 61, false);
        m_pWindow->sltUpdateGUI();
        QVERIFY(!m_pWindow->btnRenderForwards->isEnabled());
        QVERIFY(!m_pWindow->actRenderForwards->isEnabled());
        QVERIFY(!m_pWindow->actRenderNext->isEnabled());
        QVERIFY(m_pWindow->actRenderBackwards->isEnabled());
        QSignalSpy clicked(m_pWindow->btnRenderForwards, &QAbstractButton::clicked);
        m_pWindow->actRenderForwards_activated();
        QTest::qWait(200);
        QCOMPARE(clicked.size(), 0);
    }

    // Under the shipped look a disabled menu title and a disabled tool are drawn dimmed: the
    // same item, drawn enabled and disabled, differs and the disabled one is darker.
    void disabledItemsAreDrawnDimmed_data()
    {
        QTest::addColumn<QString>("item");
        for (const char* menu : {"MenuEdit", "MenuRender", "MenuMovie", "MenuTools"})
            QTest::newRow(menu) << menu;
        for (const char* tool : {"actPanTool", "actZoomTool", "actRotateTool", "actAddBezierLayerTool"})
            QTest::newRow(tool) << tool;
    }

    void disabledItemsAreDrawnDimmed()
    {
        QFETCH(QString, item);
        QWidget* bar = nullptr;
        QRect area;
        bool enabledNow = false;
        auto draw = [&] {
            if (auto* menu = m_pWindow->findChild<QMenu*>(item)) {
                bar = m_pWindow->menuBar();
                area = m_pWindow->menuBar()->actionGeometry(menu->menuAction());
                enabledNow = menu->menuAction()->isEnabled();
            } else {
                auto* action = m_pWindow->findChild<QAction*>(item);
                bar = m_pWindow->tbarTools;
                QWidget* button = m_pWindow->tbarTools->widgetForAction(action);
                const QSize icon = m_pWindow->tbarTools->iconSize();
                area = QRect(QPoint(), icon);
                area.moveCenter(button->geometry().center());
                enabledNow = action->isEnabled();
            }
            return bar->grab().toImage();
        };
        const QImage disabled = draw();
        QVERIFY(!enabledNow);
        QVERIFY(!area.isEmpty());
        pOpenProject();
        const QImage enabled = draw();
        QVERIFY(enabledNow);
        QVERIFY(enabled.copy(area) != disabled.copy(area));
        const int lit = iLightestValue(enabled, area);
        const int dim = iLightestValue(disabled, area);
        QVERIFY2(dim + 80 < lit, qPrintable(QStringLiteral("enabled %1, disabled %2").arg(lit).arg(dim)));
    }
};

PLINTRA_TEST_MAIN(TstMainWindowLook)
#include "tst_mainwindowlook.moc"
