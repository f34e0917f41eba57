#include "TestEnvironment.h"

#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "app/Settings.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/frmProjectNotes.h"
#include "mainwindow/frmRenameLayout.h"
#include "standin/testing.h"
#include "tolvane.h"
#include "velmor.h"

#include <QDockWidget>
#include <QMenu>
#include <QMoveEvent>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QToolBar>
#include <functional>
#include <memory>

namespace {

std::unique_ptr<frmMain> pMakeLayoutWindow()
{
    auto window = std::make_unique<frmMain>();
    window->sltConfigureGUI();
    return window;
}

QDockWidget* pLayoutDock(frmMain& window, const char* name)
{
    return window.findChild<QDockWidget*>(QLatin1String(name));
}

QVariant varLayoutKey(const char* key)
{
    return pGetUserSettings()->value(QLatin1String(key));
}

void vSetLayoutKey(const char* key, const QVariant& value)
{
    pGetUserSettings()->setValue(QLatin1String(key), value);
}

// Runs a modal dialog's work from a timer once the dialog is up.
void vAnswerRenameDialog(const std::function<void(frmRenameLayout*)>& answer)
{
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        if (auto* dialog = qobject_cast<frmRenameLayout*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            answer(dialog);
        }
    });
    timer->start();
}

} // namespace

class TstLayouts : public QObject {
    Q_OBJECT

private slots:
    void init() { testenv::vResetSettings(); }

    void cleanup() { ProjectManagerInstance::instance()->setInstance(nullptr); }

    void layoutActionsDefaultNamesAndShortcuts()
    {
        auto window = pMakeLayoutWindow();
        for (int i = 0; i < frmMain::kiLayoutCount; ++i) {
            QCOMPARE(window->pGetLayoutAction(i)->text(), QStringLiteral("Layout %1").arg(i + 1));
            QCOMPARE(window->pGetResetLayoutAction(i)->text(), QStringLiteral("Layout %1").arg(i + 1));
            QCOMPARE(window->pGetLayoutAction(i)->shortcut(), QKeySequence(QStringLiteral("Ctrl+%1").arg(i + 1)));
        }
        QVERIFY(!window->pGetNextLayoutAction()->isVisible());
        QVERIFY(!window->pGetPreviousLayoutAction()->isVisible());
        QCOMPARE(window->pGetNextLayoutAction()->shortcut(), QKeySequence(QStringLiteral("Alt+X")));
        QCOMPARE(window->pGetPreviousLayoutAction()->shortcut(), QKeySequence(QStringLiteral("`")));
    }

    // Stored names replace the captions; a blank one would show an empty entry.
    void storedLayoutNames()
    {
        QSettings* settings = pGetUserSettings();
        settings->beginWriteArray(QStringLiteral("LayoutNames"));
        settings->setArrayIndex(1);
        settings->setValue(QStringLiteral("Name"), QStringLiteral("Paint"));
        settings->setArrayIndex(2);
        settings->setValue(QStringLiteral("Name"), QStringLiteral("  "));
        settings->endArray();
        auto window = pMakeLayoutWindow();
        QCOMPARE(window->pGetLayoutAction(1)->text(), QStringLiteral("Paint"));
        QCOMPARE(window->pGetResetLayoutAction(1)->text(), QStringLiteral("Paint"));
        QCOMPARE(window->pGetLayoutAction(2)->text(), QStringLiteral("Layout 3"));
    }

    void numberOfLayoutsIsClampedInTheMenus_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("offered");
        QTest::newRow("default") << QVariant() << 3;
        QTest::newRow("five") << QVariant(5) << 5;
        // A number the preferences' field could not hold gives the default.
        QTest::newRow("zero") << QVariant(0) << 3;
        QTest::newRow("negative") << QVariant(-4) << 3;
        QTest::newRow("too many") << QVariant(25) << 3;
        QTest::newRow("ten") << QVariant(10) << 10;
    }

    void numberOfLayoutsIsClampedInTheMenus()
    {
        QFETCH(QVariant, stored);
        QFETCH(int, offered);
        if (stored.isValid())
            vSetLayoutKey("NumberOfLayouts", stored);
        auto window = pMakeLayoutWindow();
        int inView = 0;
        int inReset = 0;
        for (int i = 0; i < frmMain::kiLayoutCount; ++i) {
            inView += window->MenuView->actions().contains(window->pGetLayoutAction(i)) ? 1 : 0;
            inReset += window->pGetResetLayoutMenu()->actions().contains(window->pGetResetLayoutAction(i)) ? 1 : 0;
        }
        QCOMPARE(inView, offered);
        QCOMPARE(inReset, offered);
        for (int i = 0; i < offered; ++i)
            QVERIFY(window->MenuView->actions().contains(window->pGetLayoutAction(i)));

        // The preferences may change the number while the window runs.
        vSetLayoutKey("NumberOfLayouts", 2);
        window->vUpdateLayoutMenus();
        QVERIFY(window->MenuView->actions().contains(window->pGetLayoutAction(1)));
        QVERIFY(!window->MenuView->actions().contains(window->pGetLayoutAction(2)));
        QVERIFY(window->MenuView->actions().contains(window->pGetResetLayoutMenu()->menuAction()));
    }

    void stepAroundTheRing_data()
    {
        QTest::addColumn<QVariant>("count");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("delta");
        QTest::addColumn<int>("selected");
        QTest::newRow("previous from the first") << QVariant(3) << 0 << -1 << 2;
        QTest::newRow("next from the last") << QVariant(3) << 2 << 1 << 0;
        QTest::newRow("next") << QVariant(3) << 0 << 1 << 1;
        QTest::newRow("same") << QVariant(3) << 1 << 0 << 1;
        QTest::newRow("count above ten gives the default") << QVariant(40) << 0 << -1 << 2;
        QTest::newRow("count zero gives the default") << QVariant(0) << 0 << 1 << 1;
        QTest::newRow("current outside the count") << QVariant(3) << 7 << 1 << 2;
        QTest::newRow("current beyond the ten") << QVariant(3) << 42 << -1 << 2;
    }

    void stepAroundTheRing()
    {
        QFETCH(QVariant, count);
        QFETCH(int, current);
        QFETCH(int, delta);
        QFETCH(int, selected);
        auto window = pMakeLayoutWindow();
        vSetLayoutKey("NumberOfLayouts", count);
        vSetLayoutKey("Layout", current);
        if (delta > 0)
            window->pGetNextLayoutAction()->trigger();
        else if (delta < 0)
            window->pGetPreviousLayoutAction()->trigger();
        else
            window->vStepLayout(0);
        QCOMPARE(varLayoutKey("Layout").toInt(), selected);
    }

    // What the user arranged in a layout comes back with that layout, also after a restart.
    void layoutKeepsItsArrangementAcrossARestart()
    {
        {
            auto window = pMakeLayoutWindow();
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window.get()));
            // Other suites may hold the X focus: the shortcut only needs the window active for Qt.
            window->activateWindow();
            QApplication::setActiveWindow(window.get());
            QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), static_cast<QWidget*>(window.get()), 5000);
            QTest::keyClick(window.get(), Qt::Key_2, Qt::ControlModifier);
            QCOMPARE(varLayoutKey("Layout").toInt(), 1);
            QVERIFY(window->pGetLayoutAction(1)->icon().cacheKey() != window->pGetLayoutAction(0)->icon().cacheKey());

            pLayoutDock(*window, "dwdgtHistogramControls")->hide();
            window->addDockWidget(Qt::RightDockWidgetArea, pLayoutDock(*window, "dwdgtKeyframeControls"));
            QTest::keyClick(window.get(), Qt::Key_1, Qt::ControlModifier);
            QCOMPARE(varLayoutKey("Layout").toInt(), 0);
            QVERIFY(!pLayoutDock(*window, "dwdgtHistogramControls")->isHidden());
            QCOMPARE(window->dockWidgetArea(pLayoutDock(*window, "dwdgtKeyframeControls")), Qt::LeftDockWidgetArea);
            QTest::keyClick(window.get(), Qt::Key_2, Qt::ControlModifier);
            QCOMPARE(varLayoutKey("Layout").toInt(), 1);
            QVERIFY(pLayoutDock(*window, "dwdgtHistogramControls")->isHidden());
        }
        auto restarted = pMakeLayoutWindow();
        QCOMPARE(varLayoutKey("Layout").toInt(), 1);
        QVERIFY(pLayoutDock(*restarted, "dwdgtHistogramControls")->isHidden());
        QCOMPARE(restarted->dockWidgetArea(pLayoutDock(*restarted, "dwdgtKeyframeControls")), Qt::RightDockWidgetArea);
        restarted->vSelectLayout(0);
        QVERIFY(!pLayoutDock(*restarted, "dwdgtHistogramControls")->isHidden());
        QCOMPARE(restarted->dockWidgetArea(pLayoutDock(*restarted, "dwdgtKeyframeControls")), Qt::LeftDockWidgetArea);
    }

    void resetToAnotherLayoutKeepsTheCurrentOne()
    {
        vSetLayoutKey("NumberOfLayouts", 5);
        auto window = pMakeLayoutWindow();
        vSetLayoutKey("Layout", 1);
        QVERIFY(!pLayoutDock(*window, "dwdgtProxyControls")->isHidden());
        window->pGetResetLayoutAction(4)->trigger();
        QCOMPARE(varLayoutKey("Layout").toInt(), 1);
        // Built-in layout 4 leaves the proxy clips out.
        QVERIFY(pLayoutDock(*window, "dwdgtProxyControls")->isHidden());
        QVERIFY(!varLayoutKey("DockState4").isValid());
    }

    void unreadableDockStateFallsBackToTheBuiltInOne()
    {
        vSetLayoutKey("DockState", QByteArray("not a dock state"));
        auto window = pMakeLayoutWindow();
        QDockWidget* histogram = pLayoutDock(*window, "dwdgtHistogramControls");
        QVERIFY(!histogram->isHidden());
        QCOMPARE(window->dockWidgetArea(pLayoutDock(*window, "dwdgtParameters")), Qt::BottomDockWidgetArea);
    }

    void builtInLayoutOverARestoredOneWhileHidden()
    {
        // A stored arrangement restored into a hidden window, then the built-in one over it
        // before the window is first shown, as a state change does.
        {
            auto first = pMakeLayoutWindow();
            first->addDockWidget(Qt::RightDockWidgetArea, pLayoutDock(*first, "dwdgtKeyframeControls"));
            first->sltStoreRestoreSettings(true);
        }
        QVERIFY(varLayoutKey("DockState").isValid());
        auto window = pMakeLayoutWindow();
        QCOMPARE(window->dockWidgetArea(pLayoutDock(*window, "dwdgtKeyframeControls")), Qt::RightDockWidgetArea);
        pGetUserSettings()->remove(QStringLiteral("DockState"));
        window->sltStoreRestoreSettings(false);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCOMPARE(window->dockWidgetArea(pLayoutDock(*window, "dwdgtKeyframeControls")), Qt::LeftDockWidgetArea);
        QVERIFY(pLayoutDock(*window, "dwdgtKeyframeControls")->isVisible());
    }

    void defaultLayoutSelectsTheFirst()
    {
        auto window = pMakeLayoutWindow();
        window->vSelectLayout(2);
        pLayoutDock(*window, "dwdgtParameters")->hide();
        window->pGetDefaultLayoutAction()->trigger();
        QCOMPARE(varLayoutKey("Layout").toInt(), 0);
        QVERIFY(!pLayoutDock(*window, "dwdgtParameters")->isHidden());
    }

    void lockLayout()
    {
        {
            auto window = pMakeLayoutWindow();
            QVERIFY(!window->pGetLockLayoutAction()->isChecked());
            window->pGetLockLayoutAction()->trigger();
            QCOMPARE(varLayoutKey("LockLayouts").toBool(), true);
            const QList<QDockWidget*> docks = window->findChildren<QDockWidget*>();
            QVERIFY(docks.size() >= 9);
            for (QDockWidget* dock : docks)
                QCOMPARE(dock->features() & (QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                                             QDockWidget::DockWidgetFloatable),
                         QDockWidget::DockWidgetFeatures());
            for (QToolBar* bar : window->findChildren<QToolBar*>())
                QVERIFY(!bar->isMovable());
        }
        auto restarted = pMakeLayoutWindow();
        QVERIFY(restarted->pGetLockLayoutAction()->isChecked());
        QVERIFY(!(pLayoutDock(*restarted, "dwdgtLayerControls")->features() & QDockWidget::DockWidgetFloatable));
        restarted->pGetLockLayoutAction()->trigger();
        for (QDockWidget* dock : restarted->findChildren<QDockWidget*>())
            QVERIFY(dock->features().testFlags(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                                               QDockWidget::DockWidgetFloatable));
        for (QToolBar* bar : restarted->findChildren<QToolBar*>())
            QVERIFY(bar->isMovable());
        QCOMPARE(varLayoutKey("LockLayouts").toBool(), false);
    }

    void renameCurrentLayout()
    {
        auto window = pMakeLayoutWindow();
        window->vSelectLayout(2);
        vAnswerRenameDialog([](frmRenameLayout* dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Rename Layout"));
            QCOMPARE(dialog->edtLayoutName->text(), QStringLiteral("Layout 3"));
            dialog->edtLayoutName->setText(QStringLiteral("Grading"));
            dialog->buttonBox->button(QDialogButtonBox::Ok)->click();
        });
        window->pGetRenameLayoutAction()->trigger();
        QCOMPARE(window->pGetLayoutAction(2)->text(), QStringLiteral("Grading"));
        QCOMPARE(frmMain::qstrGetLayoutName(2), QStringLiteral("Grading"));
        QCOMPARE(frmMain::qstrGetLayoutName(1), QStringLiteral("Layout 2"));
    }

    void blankLayoutNameIsRefused()
    {
        frmRenameLayout dialog(0);
        QPushButton* ok = dialog.buttonBox->button(QDialogButtonBox::Ok);
        QVERIFY(ok->isEnabled());
        dialog.edtLayoutName->setText(QStringLiteral("   "));
        QVERIFY(!ok->isEnabled());
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!pGetUserSettings()->contains(QStringLiteral("LayoutNames/1/Name")));
        QCOMPARE(frmMain::qstrGetLayoutName(0), QStringLiteral("Layout 1"));
        dialog.edtLayoutName->setText(QStringLiteral(" Review "));
        QVERIFY(ok->isEnabled());
        dialog.accept();
        QCOMPARE(frmMain::qstrGetLayoutName(0), QStringLiteral("Review"));
    }

    void windowGeometryFromTheSettings_data()
    {
        QTest::addColumn<QVariant>("maximized");
        QTest::addColumn<QVariant>("fullScreen");
        QTest::addColumn<int>("state");
        QTest::newRow("fresh installation") << QVariant() << QVariant() << int(Qt::WindowMaximized);
        QTest::newRow("normal") << QVariant(false) << QVariant(false) << int(Qt::WindowNoState);
        QTest::newRow("full screen wins") << QVariant(true) << QVariant(true) << int(Qt::WindowFullScreen);
    }

    void windowGeometryFromTheSettings()
    {
        QFETCH(QVariant, maximized);
        QFETCH(QVariant, fullScreen);
        QFETCH(int, state);
        if (maximized.isValid())
            vSetLayoutKey("Maximized", maximized);
        if (fullScreen.isValid())
            vSetLayoutKey("FullScreen", fullScreen);
        frmMain window;
        window.vRestoreWindowGeometry();
        QCOMPARE(int(window.windowState()), state);
        window.setWindowState(Qt::WindowNoState);
        QCOMPARE(window.size(), QSize(1024, 768));
        QCOMPARE(window.pos(), QPoint(30, 30));
    }

    // The state the user leaves the window in is stored as it changes, and the next window
    // opens in it; the stored keys say the opposite beforehand.
    void windowStateIsKeptForTheNextRun_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("left");
        QTest::newRow("maximised") << int(Qt::WindowNoState) << int(Qt::WindowMaximized);
        QTest::newRow("full screen") << int(Qt::WindowMaximized) << int(Qt::WindowFullScreen);
        QTest::newRow("back to normal") << int(Qt::WindowFullScreen) << int(Qt::WindowNoState);
    }

    void windowStateIsKeptForTheNextRun()
    {
        QFETCH(int, before);
        QFETCH(int, left);
        const Qt::WindowStates kept = Qt::WindowMaximized | Qt::WindowFullScreen;
        vSetLayoutKey("Maximized", bool(before & Qt::WindowMaximized));
        vSetLayoutKey("FullScreen", bool(before & Qt::WindowFullScreen));
        // As the program makes it: deleted once closed.
        QPointer<frmMain> window = new frmMain;
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->sltConfigureGUI();
        QCOMPARE(int(window->windowState() & kept), before);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.data()));

        // No events between the change and the restart: without a window manager the X server
        // would not keep the state, and its answer must not overwrite what was stored.
        window->setWindowState(Qt::WindowStates(left));
        QVERIFY(window->close());
        QCOMPARE(varLayoutKey("Maximized").toBool(), bool(left & Qt::WindowMaximized));
        QCOMPARE(varLayoutKey("FullScreen").toBool(), bool(left & Qt::WindowFullScreen));
        delete window.data();

        auto next = pMakeLayoutWindow();
        QCOMPARE(int(next->windowState() & kept), left);
    }

    void positionIsRecordedOnlyInTheNormalState()
    {
        vSetLayoutKey("Maximized", false);
        auto window = pMakeLayoutWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->move(120, 90);
        QTRY_COMPARE_WITH_TIMEOUT(varLayoutKey("WindowPosition").toPoint(), QPoint(120, 90), 5000);
        const QSize size = window->minimumSizeHint().expandedTo(QSize(1200, 700)) + QSize(10, 10);
        window->resize(size);
        QTRY_COMPARE_WITH_TIMEOUT(varLayoutKey("WindowSize").toSize(), size, 5000);

        // Without a window manager the maximised state does not stay; the handler is fed directly.
        window->hide();
        window->move(300, 200);
        window->setWindowState(Qt::WindowMaximized);
        QMoveEvent moved(QPoint(300, 200), QPoint(120, 90));
        QCoreApplication::sendEvent(window.get(), &moved);
        QCOMPARE(varLayoutKey("WindowPosition").toPoint(), QPoint(120, 90));
        window->setWindowState(Qt::WindowNoState);
        vSetLayoutKey("FullScreen", true);
        QCoreApplication::sendEvent(window.get(), &moved);
        QCOMPARE(varLayoutKey("WindowPosition").toPoint(), QPoint(120, 90));
        vSetLayoutKey("FullScreen", false);
        QCoreApplication::sendEvent(window.get(), &moved);
        QCOMPARE(varLayoutKey("WindowPosition").toPoint(), QPoint(300, 200));
    }

    void allControlsHiddenAndVisibleNeedAProject()
    {
        auto window = pMakeLayoutWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QDockWidget* layers = pLayoutDock(*window, "dwdgtLayerControls");
        QToolBar* tools = window->findChild<QToolBar*>(QStringLiteral("tbarTools"));
        window->pGetResetAllHiddenAction()->trigger();
        QVERIFY(layers->isVisible());

        CW_Instance project = standin::testing::pCreateProject();
        ProjectManagerInstance::instance()->setInstance(project);
        window->pGetResetAllHiddenAction()->trigger();
        QVERIFY(!layers->isVisible());
        QVERIFY(!tools->isVisible());
        QVERIFY(!layers->toggleViewAction()->isChecked());
        QVERIFY(!window->pGetStatusBar()->isVisible());
        window->pGetResetAllVisibleAction()->trigger();
        QVERIFY(layers->isVisible());
        QVERIFY(tools->isVisible());
        QVERIFY(g_pProjectNotes->isVisible());
        QVERIFY(window->pGetStatusBar()->isVisible());
        vCloseProject(project);
    }

    void projectNotesFollowTheProject()
    {
        auto window = pMakeLayoutWindow();
        frmProjectNotes* notes = g_pProjectNotes;
        QVERIFY(notes);
        CW_Instance first = standin::testing::pCreateProject();
        CW_Instance second = standin::testing::pCreateProject();
        pGetProjectManager(second)->getProjectProperties().setProjectNotes(QStringLiteral("<p>grade the sky</p>"));
        ProjectManagerInstance::instance()->setInstance(first);

        notes->show();
        notes->pGetTextEdit()->setPlainText(QStringLiteral("wire removal on shot 12"));
        QVERIFY(notes->bIsTextChanged());
        notes->sltUpdateGUI(first);
        QVERIFY(!notes->bIsTextChanged());
        QVERIFY(pGetProjectManager(first)->getProjectProperties().getProjectNotes().contains(
            QStringLiteral("wire removal on shot 12")));

        notes->hide();
        ProjectManagerInstance::instance()->setInstance(second);
        notes->sltUpdateGUI(second);
        notes->show();
        QCOMPARE(notes->pGetTextEdit()->toPlainText(), QStringLiteral("grade the sky"));

        notes->sltUpdateGUI(nullptr);
        QVERIFY(notes->pGetTextEdit()->toPlainText().isEmpty());
        QVERIFY(!notes->bIsTextChanged());
        vCloseProject(first);
        vCloseProject(second);
    }
};

PLINTRA_TEST_MAIN(TstLayouts)
#include "tst_layouts.moc"
