#include "frmAdjustTrackPage.h"

#include "app/MessageBoxes.h"
#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "app/ShellAccessors.h"
#include "curves/KeyframeManager.h"
#include "mainwindow/frmMain.h"
#include "viewer/ViewOptionsManager.h"
#include "viewer/frmMainGLWidget.h"
#include "viewer/frmViewerPreferences.h"

#include <QKeyEvent>
#include <algorithm>

namespace {

constexpr float kfAtNoPoint = 1.7014117e38f;

void vAtShowDrawError(CW_Instance project, CW_BOOL drawn, const std::string& error)
{
    if (drawn || !g_pMainWindow || !g_pMainWindow->pGetGLWidget())
        return;
    g_pMainWindow->pGetGLWidget()->vDrawMessageText(project, QString::fromStdString(error));
}

} // namespace

frmAdjustTrackPage::frmAdjustTrackPage(QWidget* parent, Qt::WindowFlags flags)
    : CWKControlForm(parent, flags)
{
    ui.setupUi(this);
    vInitialize();
}

CW_MODULE frmAdjustTrackPage::eGetModule() const
{
    return CW_MODULE_ADJUSTTRACK;
}

bool frmAdjustTrackPage::bSupportsLayerDisplay()
{
    return true;
}

bool frmAdjustTrackPage::bSupportsPreview()
{
    return true;
}

bool frmAdjustTrackPage::bSupportsTrace()
{
    return true;
}

void frmAdjustTrackPage::vInitialize()
{
    vMapKey(QStringLiteral("P"), QStringLiteral("View Inactive Traces On/Off"), ui.chkbxViewInactiveTraces);
    vMapKey(QStringLiteral("u"), QStringLiteral("View Unselected Traces On/Off"), ui.chkbxViewUnselectedTraces);
    vMapKey(QStringLiteral("a"), QStringLiteral("View AutoNudge Window On/Off"), ui.chkbxViewAutoNudgeWindow);
    for (QCheckBox* box : {ui.chkbxViewInactiveTraces, ui.chkbxViewUnselectedTraces, ui.chkbxViewAutoNudgeWindow}) {
        box->setChecked(true);
        connect(box, &QAbstractButton::clicked, this, [] {
            if (g_pMainWindow)
                g_pMainWindow->sltUpdateGL();
        });
    }
    sltSetWidgetsState(0);
    vRegisterKeyMappings();
    std::fill(std::begin(m_abZoomWindows), std::end(m_abZoomWindows), false);
    vConnectRenderButtons();
}

void frmAdjustTrackPage::sltSetWidgetsState(CWKGUI_STATE state)
{
    if (qstrGetCurrentTabText() != QLatin1String("AdjustTrack"))
        return;
    if (g_pMainWindow)
        g_pMainWindow->vSetViewerMode(0);
    for (QWidget* box : std::initializer_list<QWidget*> {
             ui.chkbxViewInactiveTraces, ui.chkbxViewUnselectedTraces, ui.chkbxViewAutoNudgeWindow})
        box->setEnabled(false);
    vDisableRenderControls();
    if (state != 2)
        return;
    CW_AutoLock(&g_mtxEngine, "sltSetWidgetState");
    CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    if (bIsValidInstance(project) && bIsEventAllowed(project, 58) && bCurrentLayerVisible(project))
        for (QWidget* box : std::initializer_list<QWidget*> {
                 ui.chkbxViewInactiveTraces, ui.chkbxViewUnselectedTraces, ui.chkbxViewAutoNudgeWindow})
            box->setEnabled(true);
}

void frmAdjustTrackPage::sltRestoreParameters(CW_Instance)
{
}

void frmAdjustTrackPage::sltZoomWindowsActive(CW_Instance, bool& first, bool& second, bool&)
{
    first = m_abZoomWindows[0];
    second = m_abZoomWindows[1];
}

void frmAdjustTrackPage::keyPressEvent(QKeyEvent* e)
{
    bCallReported(this, [&] {
        if (bClickMappedKey(e))
            return;
        if (e->key() == Qt::Key_F2) {
            vShowFirstClipPlain();
            e->accept();
        }
    });
}

void frmAdjustTrackPage::mousePress(
    float x, float y, CW_INPUTDEVICEFLAGS flags, bool& redraw, bool& showMenu, bool* menuItems)
{
    bCallReported(this, [&] {
        CW_AutoLock(&g_mtxEngine, "mousePress");
        CW_Instance project = ProjectManagerInstance::instance()->getInstance();
        if (!bIsValidInstance(project))
            return;
        ViewOptionsManager* view = pGetViewOptionsManager();
        bool changed = false;
        vButtonDown(project, flags, changed, menuItems, KeyframeManager::instance()->bGetAutokey(), x, y,
            view->bShowLayers(), view->bShowAllLayers(), view->bShowTangents(), view->bShowAllTangents(),
            view->bShowLayerExtras(), view->bShowSurface(), ui.chkbxViewUnselectedTraces->isChecked(),
            ui.chkbxViewInactiveTraces->isChecked(), view->bShowWarperMesh(), false, false, 0u, false, false, 0, false,
            false, false, false, false);
        redraw = changed;
        if (menuItems)
            showMenu = std::any_of(menuItems, menuItems + 27, [](bool item) { return item; });
    });
}

void frmAdjustTrackPage::mouseMove(float x, float y, CW_INPUTDEVICEFLAGS flags, bool& redraw, CW_CURSOR& cursor)
{
    bCallReported(this, [&] {
        CW_AutoLock(&g_mtxEngine, "mouseMove");
        CW_Instance project = ProjectManagerInstance::instance()->getInstance();
        redraw = true;
        lastPointerX = x;
        lastPointerY = y;
        if (!bIsValidInstance(project))
            return;
        // The point records are kept per field on interlaced clips.
        CW_CLIP_ID shown = eGetClipIDToDisplay(project);
        const CW_BaseClipInfo* clip = pcstctGetBaseClipInfo(project, shown != 0 ? shown : 1);
        if (clip && (clip->iFieldMode == CW_UPPER_FIELD_FIRST || clip->iFieldMode == CW_LOWER_FIELD_FIRST))
            lastPointerY = y / 2.0f;
        ViewOptionsManager* view = pGetViewOptionsManager();
        cursor = eMove(project, flags, KeyframeManager::instance()->bGetAutokey(), x, y, view->bShowLayers(),
            view->bShowAllLayers(), view->bShowTangents(), view->bShowAllTangents(), view->bShowLayerExtras(),
            view->bShowSurface(), ui.chkbxViewUnselectedTraces->isChecked(), ui.chkbxViewInactiveTraces->isChecked(),
            view->bShowWarperMesh(), false, false, 0u, false, false, 0, false, false, false, false, false);
    });
}

void frmAdjustTrackPage::mouseRelease(float x, float y, CW_INPUTDEVICEFLAGS flags, bool&)
{
    bCallReported(this, [&] {
        CW_AutoLock(&g_mtxEngine, "mouseRelease");
        CW_Instance project = ProjectManagerInstance::instance()->getInstance();
        if (!bIsValidInstance(project))
            return;
        ViewOptionsManager* view = pGetViewOptionsManager();
        const CW_TOOL tool = g_pMainWindow ? CW_TOOL(g_pMainWindow->eGetCurrentTool()) : eGetCurrentToolType(project);
        const int toolState = g_pMainWindow ? g_pMainWindow->iGetToolState() : 2147483647;
        vButtonUp(project, flags, KeyframeManager::instance()->bGetAutokey(), x, y, tool, toolState,
            view->bShowLayers(), view->bShowAllLayers(), view->bShowTangents(), view->bShowAllTangents(),
            view->bShowLayerExtras(), view->bShowSurface(), ui.chkbxViewUnselectedTraces->isChecked(),
            ui.chkbxViewInactiveTraces->isChecked(), view->bShowWarperMesh(), false, false, 0u, false, false, 0, false,
            false, false, false, false);
    });
}

void frmAdjustTrackPage::sltRenderOverlay(bool)
{
    bCallReported(this, [&] {
        CW_AutoLock(&g_mtxEngine, "sltRenderOverlay");
        CW_Instance project = ProjectManagerInstance::instance()->getInstance();
        if (!bIsValidInstance(project))
            return;
        ViewOptionsManager* view = pGetViewOptionsManager();
        int corner = -1;
        int offset = -1;
        getCurrentReferencePoint(project, corner, offset);
        const unsigned int frame = uiGetFrameNumber(project);
        const unsigned int reference = uiGetCurrentSelectionFrameNumber(project);
        std::string error;
        if (reference != unsigned(-1) && reference != frame) {
            vSetWarpedFrameDisplay(project, false);
            vAtShowDrawError(project, bRenderOverlayFrame(project, 1, reference, nullptr, nullptr, error), error);
        } else if (view->showWarpedOverlay) {
            vSetWarpedFrameDisplay(project, true);
            vAtShowDrawError(project, bRenderWarpedOverlayImage(project, false, false, true, error), error);
        } else {
            vSetWarpedFrameDisplay(project, false);
        }
        std::fill(std::begin(m_abZoomWindows), std::end(m_abZoomWindows), false);
        float toolX = 0.0f;
        float toolY = 0.0f;
        const bool hasTool = bGetToolPosition(project, toolX, toolY);

        float red = 0.0f;
        float green = 0.0f;
        float blue = 0.0f;
        if (g_pMainWindow)
            g_pMainWindow->getViewerBackgroundColour(red, green, blue);
        const CW_Color background {red, green, blue};
        const bool hidden = bGetHideOverlays(project);
        if (!hidden && corner >= 0 && offset >= 0) {
            const int master = getCurrentReferencePointFrame(project);
            float x = 0.0f;
            float y = 0.0f;
            if (master != -1 && getReferencePoint(project, corner, offset, unsigned(master), x, y) && x < kfAtNoPoint
                && unsigned(master) != frame) {
                error.clear();
                vAtShowDrawError(
                    project, bRenderOverlayFrame(project, 1, unsigned(master), nullptr, nullptr, error), error);
            }
        }
        const int trace = view->showTrace ? frmViewerPreferences::iGetViewerTrace() : 0;
        error.clear();
        vAtShowDrawError(project,
            bRenderSelections(project, CW_MODULE_ADJUSTTRACK, false, view->colourise, view->colouriseOpacity,
                background, error, hasTool, toolX, toolY, 0.0f, view->bShowLayers(), view->bShowAllLayers(),
                view->showOverlays && view->showLayers && view->showSplines, view->bShowTangents(),
                view->bShowAllTangents(), view->bShowLayerExtras(), false, view->bShowSurface(),
                !hidden && ui.chkbxViewInactiveTraces->isChecked(),
                !hidden && ui.chkbxViewUnselectedTraces->isChecked(),
                !hidden && ui.chkbxViewAutoNudgeWindow->isChecked(), view->bShowGrid(),
                frmViewerPreferences::iGetViewerGridX(), frmViewerPreferences::iGetViewerGridY(), false, false, false,
                true, true, unsigned(-1), false, hidden ? 0 : trace, false, false, false, false, false),
            error);
    });
}
