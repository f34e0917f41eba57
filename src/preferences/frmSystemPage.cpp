#include "frmSystemPage.h"

#include "app/OutputFolders.h"
#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "app/Settings.h"
#include "app/ShellAccessors.h"
#include "curves/KeyframeManager.h"
#include "mainwindow/frmMain.h"
#include "platform/DefaultFolders.h"
#include "preferences/frmPreferences.h"
#include "velmor.h"
#include "velmor/viewer.h"
#include "widgets/CWKLineEditInt.h"
#include "widgets/CWKSlider.h"
#include "app/MessageBoxes.h"

#include <QDebug>
#include <QKeyEvent>
#include <QSettings>

frmSystemPage::frmSystemPage(QWidget* parent, Qt::WindowFlags flags) : CWKControlForm(parent, flags)
{
    setupUi(this);
    vInitialize();
}

CW_MODULE frmSystemPage::eGetModule() const
{
    return CW_MODULE_SYSTEM;
}

void frmSystemPage::vInitialize()
{
    connect(chkbxSystemUseDisplayCache, &QCheckBox::toggled, iedtSystemMaxDisplayCacheSize, &QWidget::setEnabled);
    connect(chkbxSystemUseDisplayCache, &QCheckBox::toggled, edtSystemDisplayCachePercentageUsed,
            &QWidget::setEnabled);
    sltSetWidgetsState(0);
    iedtSystemMaxDisplayCacheSize->vSetRange(0, 256);
    vRegisterKeyMappings();
    vConnectRenderButtons();
}

void frmSystemPage::sltSetWidgetsState(CWKGUI_STATE eState)
{
    if (qstrGetCurrentTabText() != QLatin1String("System"))
        return;
    if (g_pMainWindow)
        g_pMainWindow->vSetViewerMode(0);
    QWidget* const controls[] = {edtSystemDiskSpaceAvailable,    edtSystemPercentageDiskSpaceUsed,
                                 edtSystemFileCacheFolder,       btnSystemSpecifyFileCacheFolder,
                                 chkbxSystemCacheOriginalClip,   chkbxSystemUseDisplayCache,
                                 iedtSystemMaxDisplayCacheSize, edtSystemDisplayCachePercentageUsed};
    for (QWidget* control : controls)
        control->setEnabled(false);

    switch (eState) {
    case 0:
    case 1: {
        // The same default folder as the preferences and the memory manager use.
        const QString folder = frmPreferences::qstrGetFileCacheFolder();
        edtSystemFileCacheFolder->setText(folder);
        chkbxSystemCacheOriginalClip->setChecked(frmPreferences::bGetCacheOriginalClip());
        chkbxSystemUseDisplayCache->setChecked(frmPreferences::bGetUseDisplayCache());
        edtSystemDiskSpaceAvailable->setText(qstrGetFreeDiskSpaceMB(folder));
        iedtSystemMaxDisplayCacheSize->setEnabled(false);
        edtSystemDisplayCachePercentageUsed->setEnabled(false);
        break;
    }
    case 2:
        if (g_pMainWindow)
            g_pMainWindow->sldrFrameNumber->setRowAttribute(false, 0);
        for (QWidget* control : controls)
            control->setEnabled(true);
        break;
    case 3:
    case 4:
        edtSystemDiskSpaceAvailable->setEnabled(true);
        edtSystemPercentageDiskSpaceUsed->setEnabled(true);
        edtSystemDisplayCachePercentageUsed->setEnabled(true);
        break;
    default:
        qDebug() << "Unhandled enum value";
        break;
    }
}

void frmSystemPage::sltStoreParameters()
{
}

void frmSystemPage::sltStoreGlobalParameters()
{
}

void frmSystemPage::sltRestoreParameters(CW_Instance)
{
}

void frmSystemPage::mousePress(float fImageX, float fImageY, CW_INPUTDEVICEFLAGS eFlags, bool&, bool& popupMenu,
                               bool* activeMenuItem)
{
    CW_AutoLock(&g_mtxEngine, "mousePress");
    CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    const CW_BOOL autoKey = KeyframeManager::instance()->bGetAutokey();
    vButtonDown(project, eFlags, popupMenu, activeMenuItem, autoKey, fImageX, fImageY, true, true, true, true, true,
                true, false, false, false, false, false, 0u, false, false, 0, false, false, false, false, false);
}

void frmSystemPage::mouseMove(float fImageX, float fImageY, CW_INPUTDEVICEFLAGS eFlags, bool&, CW_CURSOR& eCursor)
{
    CW_AutoLock(&g_mtxEngine, "mouseMove");
    CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    const CW_BOOL autoKey = KeyframeManager::instance()->bGetAutokey();
    eCursor = eMove(project, eFlags, autoKey, fImageX, fImageY, true, true, true, true, true, true, false, false, false,
        false, false, 0u, false, false, 0, false, false, false, false, false);
}

void frmSystemPage::mouseRelease(float fImageX, float fImageY, CW_INPUTDEVICEFLAGS eFlags, bool&)
{
    CW_AutoLock(&g_mtxEngine, "mouseRelease");
    CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    const CW_BOOL autoKey = KeyframeManager::instance()->bGetAutokey();
    const CW_TOOL tool = g_pMainWindow ? CW_TOOL(g_pMainWindow->eGetCurrentTool()) : CW_TOOL(13);
    const int toolState = g_pMainWindow ? g_pMainWindow->iGetToolState() : 2147483647;
    vButtonUp(project, eFlags, autoKey, fImageX, fImageY, tool, toolState, true, true, true, true, true, true, false,
        false, false, false, false, 0u, false, false, 0, false, false, false, false, false);
}

void frmSystemPage::keyPressEvent(QKeyEvent* e)
{
    bCallReported(this, [&] { bClickMappedKey(e); });
}

void frmSystemPage::sltAddKeyframe()
{
    CW_AutoLock(&g_mtxEngine, "sltAddKeyframe");
    if (g_pMainWindow)
        g_pMainWindow->sltUpdateGUI();
}

void frmSystemPage::sltDeleteKeyframe()
{
    CW_AutoLock(&g_mtxEngine, "sltDeleteKeyframe");
    if (g_pMainWindow)
        g_pMainWindow->sltUpdateGUI();
}

void frmSystemPage::sltDeleteAllKeyframes()
{
    CW_AutoLock(&g_mtxEngine, "sltDeleteAllKeyframes");
    if (g_pMainWindow)
        g_pMainWindow->sltUpdateGUI();
}

void frmSystemPage::sltResetParameters()
{
    CW_AutoLock(&g_mtxEngine, "sltResetParameters");
    if (g_pMainWindow)
        g_pMainWindow->sltUpdateGUI();
}

void frmSystemPage::sltZoomWindowsActive(CW_Instance pInstance, bool& bWindow1, bool& bWindow2, bool& bWindow3)
{
    vZoomWindowsFromToolPosition(pInstance, bWindow1, bWindow2, bWindow3);
}

bool frmSystemPage::bSupportsMesh()
{
    return false;
}

bool frmSystemPage::bSupportsPreview()
{
    return false;
}

bool frmSystemPage::bSupportsTrace()
{
    return false;
}

bool frmSystemPage::bSupportsLayerDisplay()
{
    return false;
}

bool frmSystemPage::bWillHandleTransformationTools()
{
    return false;
}

bool frmSystemPage::showInternalKeyframes()
{
    return false;
}

bool frmSystemPage::bSupportsKeyframeableParameters()
{
    return true;
}

bool frmSystemPage::bUseRenderCurrentFrame()
{
    return true;
}
