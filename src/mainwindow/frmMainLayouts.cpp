// frmMain: window geometry, dock state and the numbered layouts of the View menu.
#include "frmMain.h"

#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "app/Settings.h"
#include "frmProjectNotes.h"
#include "frmRenameLayout.h"
#include "preferences/frmPreferences.h"
#include "velmor.h"

#include <QDockWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMoveEvent>
#include <QResizeEvent>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>
#include <algorithm>

namespace {

QString qstrLayoutDockStateKey(int layout)
{
    return layout == 0 ? QStringLiteral("DockState") : QStringLiteral("DockState%1").arg(layout);
}

QVariant varLayoutSetting(const char* key, const QVariant& defaultValue)
{
    return pGetUserSettings()->value(QLatin1String(key), defaultValue);
}

} // namespace

QString frmMain::qstrGetLayoutName(int index)
{
    QSettings* settings = pGetUserSettings();
    settings->beginReadArray(QStringLiteral("LayoutNames"));
    settings->setArrayIndex(index);
    const QString name = settings->value(QStringLiteral("Name")).toString();
    settings->endArray();
    if (name.trimmed().isEmpty())
        return tr("Layout %1").arg(index + 1);
    return name;
}

int frmMain::iGetCurrentLayout()
{
    return std::clamp(varLayoutSetting("Layout", 0).toInt(), 0, kiLayoutCount - 1);
}

void frmMain::sltStoreSettings()
{
    sltStoreRestoreSettings(true);
}

int frmMain::sltStoreRestoreSettings(bool store)
{
    const int layout = iGetCurrentLayout();
    const QString key = qstrLayoutDockStateKey(layout);
    if (store) {
        pGetUserSettings()->setValue(key, saveState(0));
        return 0;
    }
    vRestoreWindowGeometry();
    vRestoreDockState(unsigned(layout), key);

    return 0;
}

void frmMain::vRestoreWindowGeometry()
{
    resize(varLayoutSetting("WindowSize", QSize(1024, 768)).toSize());
    move(varLayoutSetting("WindowPosition", QPoint(30, 30)).toPoint());
    const bool fullScreen = varLayoutSetting("FullScreen", false).toBool();
    const bool maximized = varLayoutSetting("Maximized", true).toBool();
    Qt::WindowStates state = windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen);
    if (maximized && !fullScreen)
        state |= Qt::WindowMaximized;
    if (fullScreen)
        state |= Qt::WindowFullScreen;
    setWindowState(state);
}

bool frmMain::bRestoreDockStateBytes(const QByteArray& state)
{
    if (isVisible())
        return restoreState(state, 0);
    // A hidden window that is to open maximised or full screen keeps a copy of a restored
    // state to replay once shown; any dock moved meanwhile leaves that copy pointing at
    // deleted layout items, which the replay then reads. Restored as a normal window, the
    // state is applied once and no copy is kept.
    const Qt::WindowStates states = windowState();
    setWindowState(states & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
    const bool restored = restoreState(state, 0);
    setWindowState(states);
    return restored;
}

void frmMain::vRestoreDockState(unsigned int layout, const QString& key)
{
    const QVariant stored = key.isEmpty() ? QVariant() : pGetUserSettings()->value(key);
    if (stored.isValid() && bRestoreDockStateBytes(stored.toByteArray()))
        return;
    // Nothing stored, or nothing usable: the built-in arrangement, else the current one.
    if (layout <= 5)
        vApplyBuiltInLayout(int(layout));
}

void frmMain::vApplyBuiltInLayout(int layout)
{
    const QList<QDockWidget*> panels = {m_pLayerControlsDock, m_pLayerPropertiesDock, m_pEdgePropertiesDock,
        m_pOverlayColoursDock, m_pKeyframeControlsDock, m_pHistogramControlsDock, m_pProxyControlsDock};
    for (QToolBar* bar : findChildren<QToolBar*>(Qt::FindDirectChildrenOnly)) {
        addToolBar(Qt::TopToolBarArea, bar);
        bar->show();
    }
    const auto place = [this](QDockWidget* dock, Qt::DockWidgetArea area, bool visible) {
        if (!dock)
            return;
        dock->setFloating(false);
        addDockWidget(area, dock);
        dock->setVisible(visible);
    };
    // Layouts 0 to 2 keep the histogram and proxy docks, 3 to 5 put the viewer's tools first.
    const bool secondRow = layout >= 3;
    const Qt::DockWidgetArea panelSide = (layout % 3 == 1) ? Qt::RightDockWidgetArea : Qt::LeftDockWidgetArea;
    for (QDockWidget* dock : panels) {
        const bool visible = !(secondRow && (dock == m_pHistogramControlsDock || dock == m_pProxyControlsDock));
        Qt::DockWidgetArea area = panelSide;
        if (layout == 0)
            area = m_mapFactoryDockAreas.value(dock, Qt::LeftDockWidgetArea);
        if (dock == m_pProxyControlsDock && layout % 3 == 0)
            area = Qt::RightDockWidgetArea;
        if (dock == m_pKeyframeControlsDock)
            area = Qt::LeftDockWidgetArea;
        place(dock, area, visible);
    }
    if (layout % 3 == 2 && m_pLayerControlsDock) {
        for (QDockWidget* dock : {m_pLayerPropertiesDock, m_pEdgePropertiesDock, m_pOverlayColoursDock})
            if (dock)
                tabifyDockWidget(m_pLayerControlsDock, dock);
        m_pLayerControlsDock->raise();
    }
    place(m_pParametersDock, secondRow && layout != 3 ? Qt::RightDockWidgetArea : Qt::BottomDockWidgetArea, true);
    place(g_pProjectNotes, layout == 2 || layout == 5 ? Qt::BottomDockWidgetArea : Qt::TopDockWidgetArea,
        layout == 2 || layout == 5);
}

void frmMain::vUpdateLayoutMenus()
{
    if (!m_pResetLayoutMenu)
        return;
    for (int i = 0; i < kiLayoutCount; ++i) {
        MenuView->removeAction(m_arrLayoutActions.at(size_t(i)));
        m_pResetLayoutMenu->removeAction(m_arrResetLayoutActions.at(size_t(i)));
    }
    MenuView->removeAction(m_pResetLayoutMenu->menuAction());
    const int count = frmPreferences::iGetNumberOfLayouts();
    // The layout entries follow "Default"; the rename and lock entries stay below them.
    QAction* before = m_pRenameLayoutAction && MenuView->actions().contains(m_pRenameLayoutAction)
        ? m_pRenameLayoutAction
        : nullptr;
    for (int i = 0; i < count; ++i) {
        MenuView->insertAction(before, m_arrLayoutActions.at(size_t(i)));
        m_pResetLayoutMenu->addAction(m_arrResetLayoutActions.at(size_t(i)));
    }
    MenuView->insertMenu(before, m_pResetLayoutMenu);
}

void frmMain::vUpdateLayoutIcons()
{
    const int current = iGetCurrentLayout();
    for (int i = 0; i < kiLayoutCount; ++i)
        if (QAction* action = m_arrLayoutActions.at(size_t(i)))
            action->setIcon(i == current ? m_iconCurrentLayout : m_iconLayout);
}

void frmMain::vSelectLayout(int index)
{
    index = std::clamp(index, 0, kiLayoutCount - 1);
    sltStoreRestoreSettings(true);
    pGetUserSettings()->setValue(QStringLiteral("Layout"), index);
    sltStoreRestoreSettings(false);
    vUpdateLayoutIcons();
}

void frmMain::vStepLayout(int delta)
{
    const int count = frmPreferences::iGetNumberOfLayouts();
    const int current = iGetCurrentLayout();
    vSelectLayout(((current + delta) % count + count) % count);
}

void frmMain::actNextLayout_triggered(bool)
{
    vStepLayout(+1);
}

void frmMain::actPreviousLayout_triggered(bool)
{
    vStepLayout(-1);
}

void frmMain::menuView_triggered(QAction* action)
{
    const auto found = std::find(m_arrLayoutActions.begin(), m_arrLayoutActions.end(), action);
    if (action && found != m_arrLayoutActions.end())
        vSelectLayout(int(found - m_arrLayoutActions.begin()));
}

void frmMain::menuResetLayoutTo_triggered(QAction* action)
{
    const auto found = std::find(m_arrResetLayoutActions.begin(), m_arrResetLayoutActions.end(), action);
    if (!action || found == m_arrResetLayoutActions.end())
        return;
    const int index = int(found - m_arrResetLayoutActions.begin());
    vRestoreDockState(unsigned(index), qstrLayoutDockStateKey(index));
}

void frmMain::actDefaultLayout_triggered(bool)
{
    vRestoreDockState(0, QString());
    vSelectLayout(0);
}

void frmMain::actRenameLayout_triggered(bool)
{
    const int index = iGetCurrentLayout();
    frmRenameLayout dialog(index, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString name = qstrGetLayoutName(index);
    m_arrLayoutActions.at(size_t(index))->setText(name);
    m_arrResetLayoutActions.at(size_t(index))->setText(name);
}

void frmMain::actLockLayout_toggled(bool lock)
{
    for (QToolBar* bar : findChildren<QToolBar*>())
        bar->setMovable(!lock);
    const QDockWidget::DockWidgetFeatures abilities
        = QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable;
    for (QDockWidget* dock : findChildren<QDockWidget*>()) {
        if (lock)
            dock->setFeatures(dock->features() & ~abilities);
        else
            dock->setFeatures(dock->features() | abilities);
    }
    pGetUserSettings()->setValue(QStringLiteral("LockLayouts"), lock);
}

void frmMain::actResetLayoutAllVisible_triggered(bool)
{
    CW_AutoLock lock(&g_mtxEngine, "sltHideAllControls");
    if (!bIsValidInstance(ProjectManagerInstance::instance()->getInstance()))
        return;
    menuBar()->show();
    pGetStatusBar()->show();
    for (QToolBar* bar : findChildren<QToolBar*>())
        bar->show();
    for (QDockWidget* dock : findChildren<QDockWidget*>())
        dock->show();
}

void frmMain::actResetLayoutAllHidden_triggered(bool)
{
    CW_AutoLock lock(&g_mtxEngine, "sltHideAllControls");
    if (!bIsValidInstance(ProjectManagerInstance::instance()->getInstance()))
        return;
    pGetStatusBar()->hide();
    for (QToolBar* bar : findChildren<QToolBar*>())
        if (bar->isVisible())
            bar->toggleViewAction()->trigger();
    for (QDockWidget* dock : findChildren<QDockWidget*>())
        if (dock->isVisible())
            dock->toggleViewAction()->trigger();
}

void frmMain::moveEvent(QMoveEvent* e)
{
    if (e->pos() != e->oldPos() && !varLayoutSetting("FullScreen", false).toBool() && !isMaximized())
        pGetUserSettings()->setValue(QStringLiteral("WindowPosition"), pos());
    QWidget::moveEvent(e);
}

void frmMain::resizeEvent(QResizeEvent* e)
{
    if (e->size() != e->oldSize() && !varLayoutSetting("FullScreen", false).toBool() && !isMaximized())
        pGetUserSettings()->setValue(QStringLiteral("WindowSize"), size());
    QMainWindow::resizeEvent(e);
}

void frmMain::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::WindowStateChange) {
        pGetUserSettings()->setValue(QStringLiteral("FullScreen"), isFullScreen());
        pGetUserSettings()->setValue(QStringLiteral("Maximized"), isMaximized());
    }
    QMainWindow::changeEvent(e);
}
