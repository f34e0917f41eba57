// frmMain: services around the viewer (redraw, zoom, fit, canvas colour, input-alpha
// views, insert mode) and the routing of keyframe focus to the focused parameter widget.
#include "frmMain.h"

#include "app/MessageBoxes.h"
#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "app/Settings.h"
#include "app/ShellAccessors.h"
#include "curves/KeyframeManager.h"
#include "curves/frmCurveEditor.h"
#include "velmor.h"
#include "viewer/ViewOptionsManager.h"
#include "viewer/frmLayerControls.h"
#include "viewer/frmMainGLWidget.h"
#include "widgets/CWKParameterWidget.h"

#include <QApplication>
#include <QColorDialog>
#include <QDockWidget>
#include <QKeyEvent>
#include <QSettings>
#include <QTabWidget>

void frmMain::vConnectViewerServices()
{
    connect(actZoom100, &QAction::triggered, this, &frmMain::actZoom100_activated);
    connect(actZoomFit, &QAction::triggered, this, &frmMain::actZoomFit_activated);
    connect(actViewSetBackgroundColor, &QAction::triggered, this, &frmMain::actViewSetBackgroundColor_activated);
    connect(actViewInputAAlpha_None, &QAction::toggled, this, &frmMain::actViewInputAAlpha_None_toggled);
    connect(
        actViewInputAAlpha_GarbageMatte, &QAction::toggled, this, &frmMain::actViewInputAAlpha_GarbageMatte_toggled);
    connect(actViewInputAAlpha_Matte, &QAction::toggled, this, &frmMain::actViewInputAAlpha_Matte_toggled);
    connect(qApp, &QApplication::focusChanged, this, &frmMain::onFocusedWidgetChanged);
    if (m_pGLWidget && m_pLayerControlsDock)
        if (auto* layers = qobject_cast<frmLayerControls*>(m_pLayerControlsDock->widget()))
            connect(m_pGLWidget, &frmMainGLWidget::layerTableRefreshRequested, layers,
                &frmLayerControls::vUpdateLayerTable);
    KeyframeManager* keys = KeyframeManager::instance();
    frmMainGLWidget::vSetKeyframeSwitchReaders(
        [keys] { return keys->bGetAutokey(); }, [keys] { return keys->bGetUberkey(); });
}

void frmMain::sltUpdateGL()
{
    if (m_pGLWidget)
        bCallReported(this, [this] { m_pGLWidget->updateGL(); });
}

void frmMain::vSetViewerMode(int mode)
{
    if (m_pGLWidget)
        bCallReported(this, [this, mode] { m_pGLWidget->vSetViewerMode(mode != 0); });
}

void frmMain::sltCentreImage()
{
    CW_AutoLock(&g_mtxEngine, "sltCentreImage");
    if (m_pGLWidget)
        bCallReported(this, [this] { m_pGLWidget->vCentreImage(ProjectManagerInstance::instance()->getInstance()); });
}

void frmMain::vFitViewerToClip(CW_Instance project)
{
    if (m_pGLWidget)
        m_pGLWidget->vFitToClip(project);
}

void frmMain::vZoomViewer(CW_Instance project, float factor, int x, int y)
{
    if (!m_pGLWidget)
        return;
    if (x == kiViewerCentre) {
        x = m_pGLWidget->width() / 2;
        y = m_pGLWidget->height() / 2;
    }
    float imageX = 0.0f;
    float imageY = 0.0f;
    convertDisplayToImageCoordinates(project, x, y, imageX, imageY);
    const float zoom = fGetZoom(project) * factor;
    vSetZoom(project, zoom);
    // Where the anchor went at the new zoom, and how far one display row reaches in the
    // image there, so the frame moves back by whole display units whatever the field mode.
    float movedX = 0.0f;
    float movedY = 0.0f;
    float nextRowX = 0.0f;
    float nextRowY = 0.0f;
    convertDisplayToImageCoordinates(project, x, y, movedX, movedY);
    convertDisplayToImageCoordinates(project, x, y + 1, nextRowX, nextRowY);
    const float rowScale = nextRowY != movedY ? 1.0f / (nextRowY - movedY) : zoom;
    vMoveFrame(project, (movedX - imageX) * zoom, (movedY - imageY) * rowScale);
    m_pGLWidget->updateGL();
}

void frmMain::actZoom100_activated()
{
    CW_AutoLock(&g_mtxEngine, "actZoom100_activated");
    if (g_pCurveEditor && g_pCurveEditor->isVisible() && m_pOuterTabWidget
        && m_pOuterTabWidget->currentWidget() == g_pCurveEditor) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Slash, Qt::NoModifier, QStringLiteral("/"));
        QCoreApplication::sendEvent(g_pCurveEditor, &key);
        return;
    }
    const CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    bCallReported(this, [&] {
        if (bIsValidInstance(project))
            vZoomViewer(project, 1.0f / fGetZoom(project));
    });
}

void frmMain::actZoomFit_activated()
{
    CW_AutoLock(&g_mtxEngine, "actZoomFit_activated");
    if (g_pCurveEditor && g_pCurveEditor->isVisible() && m_pOuterTabWidget
        && m_pOuterTabWidget->currentWidget() == g_pCurveEditor) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Asterisk, Qt::NoModifier, QStringLiteral("*"));
        QCoreApplication::sendEvent(g_pCurveEditor, &key);
        return;
    }
    const CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    bCallReported(this, [&] {
        if (bIsValidInstance(project)) {
            vFitViewerToClip(project);
            if (m_pGLWidget)
                m_pGLWidget->updateGL();
        }
    });
}

void frmMain::getViewerBackgroundColour(float& red, float& green, float& blue) const
{
    // The viewer keeps its canvas colour in the settings.
    QSettings* settings = pGetUserSettings();
    red = settings ? settings->value(QStringLiteral("CanvasColorR"), 0.2).toFloat() : 0.2f;
    green = settings ? settings->value(QStringLiteral("CanvasColorG"), 0.2).toFloat() : 0.2f;
    blue = settings ? settings->value(QStringLiteral("CanvasColorB"), 0.2).toFloat() : 0.2f;
}

void frmMain::actViewSetBackgroundColor_activated()
{
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    getViewerBackgroundColour(red, green, blue);
    const QColor colour = QColorDialog::getColor(QColor::fromRgbF(red, green, blue), this);
    if (!colour.isValid() || !m_pGLWidget)
        return;
    m_pGLWidget->vSetCanvasColour(colour.red() / 255.0f, colour.green() / 255.0f, colour.blue() / 255.0f);
    m_pGLWidget->updateGL();
}

void frmMain::actViewInputAAlpha_None_toggled(bool checked)
{
    if (!checked)
        return;
    CW_AutoLock(&g_mtxEngine, "actViewInputAAlpha_None_toggled");
    ViewOptionsManager* view = pGetViewOptionsManager();
    view->matteViewState = 0;
    view->showAlpha = false;
    bCallReported(this, [view] { view->applyChannelsToDisplay(); });
}

void frmMain::actViewInputAAlpha_GarbageMatte_toggled(bool checked)
{
    if (!checked)
        return;
    CW_AutoLock(&g_mtxEngine, "actViewInputAAlpha_GarbageMatte_toggled");
    ViewOptionsManager* view = pGetViewOptionsManager();
    if (view->matteViewState == 0)
        view->matteViewState = 1;
    view->showAlpha = false;
    bCallReported(this, [view] { view->applyChannelsToDisplay(); });
}

void frmMain::actViewInputAAlpha_Matte_toggled(bool checked)
{
    if (!checked)
        return;
    CW_AutoLock(&g_mtxEngine, "actViewInputAAlpha_Matte_toggled");
    ViewOptionsManager* view = pGetViewOptionsManager();
    view->matteViewState = 0;
    view->showAlpha = true;
    bCallReported(this, [view] { view->applyChannelsToDisplay(); });
}

void frmMain::vSetPointerOrInsertTool()
{
    QAction* action = m_bInsertMode ? actInsertMode : actPointerTool;
    if (!action->isChecked())
        action->setChecked(true);
}

void frmMain::sltDeletePreviewImages()
{
    if (!m_pGLWidget)
        return;
    m_pGLWidget->vSetImageA(nullptr);
    m_pGLWidget->vSetImageB(nullptr);
}

CW_MODULE frmMain::eGetCurrentModule() const
{
    CWKControlForm* page = pGetCurrentControlForm();
    return page ? page->eGetModule() : CW_MODULE_NONE;
}

void frmMain::sltUpdateParameterKeyframes()
{
    CW_AutoLock(&g_mtxEngine, "sltUpdateParameterKeyframes");
    // Without a focused parameter the slider shows no parameter keyframes; the keyframe
    // times of a parameter come with the keyframe manager's curve access.
    if (!pGetFocusedParameterWidget())
        sldrFrameNumber->setMarkerTimes({});
}

void frmMain::onFocusedWidgetChanged(QWidget* old, QWidget* now)
{
    if (!m_pFocusedParameterOwner)
        m_pFocusedParameterWidget = nullptr;
    if (!now) {
        if (m_pFocusedParameterWidget)
            vDetachFocusedParameterWidget();
        return;
    }
    if (now == old)
        return;
    if (now == tcedtCurrentFrame && old) {
        old->setFocus(Qt::OtherFocusReason);
        return;
    }
    auto* common = dynamic_cast<Murn::CWKParameterWidgetCommon*>(now);
    if (!common || common == m_pFocusedParameterWidget)
        return;
    if (m_pFocusedParameterWidget && common->pGetParameter()
        && common->pGetParameter() == m_pFocusedParameterWidget->pGetParameter())
        return;
    vDetachFocusedParameterWidget();
    CW_AutoLock(&g_mtxEngine, "onFocusedWidgetChanged");
    KeyframeManager* keys = KeyframeManager::instance();
    keys->setKeyframeFocus(CWKGUI_KEYFRAME_FOCUS_PARAMETER);
    if (Murn::ParameterWithoutType* parameter = common->pGetParameter()) {
        parameter->AttachObserver(keys, &KeyframeManager::onCurrentKeyframedParameterChanged);
        if (g_pCurveEditor)
            g_pCurveEditor->vSetSelectedParameter(parameter);
    }
    m_pFocusedParameterWidget = common;
    m_pFocusedParameterOwner = now;
    common->vSetHighlighted(true);
    sltUpdateParameterKeyframes();
}

void frmMain::vDetachFocusedParameterWidget()
{
    if (Murn::CWKParameterWidgetCommon* focused = pGetFocusedParameterWidget()) {
        m_pFocusedParameterWidget = nullptr;
        m_pFocusedParameterOwner = nullptr;
        Murn::ParameterWithoutType::DetachObserverIfAlive(focused->pGetParameter(), KeyframeManager::instance());
        focused->vSetHighlighted(false);
        focused->vRepaintAll();
        if (QWidget* widget = focused->pGetWidget())
            widget->clearFocus();
    }
    KeyframeManager::instance()->setKeyframeFocus(CWKGUI_KEYFRAME_FOCUS_NONE);
}

void frmMain::keyPressEvent(QKeyEvent* e)
{
    if (bHandleViewerPanKey(e, true) || bHandleWindowKeyPress(e))
        return;
    QMainWindow::keyPressEvent(e);
}

void frmMain::keyReleaseEvent(QKeyEvent* e)
{
    if (bHandleViewerPanKey(e, false) || bHandleWindowKeyRelease(e))
        return;
    QMainWindow::keyReleaseEvent(e);
}

bool frmMain::bHandleViewerPanKey(QKeyEvent* e, bool press)
{
    // Only the viewer's middle button sends X without text; the keyboard's X is a hold-key.
    if (e->key() != Qt::Key_X || e->isAutoRepeat() || !e->text().isEmpty()
        || (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false;
    if (press) {
        if (!actPanTool->isEnabled() || actPanTool->isChecked())
            return false;
        m_pPanKeyReturnAction = actgrpTools->checkedAction();
        actPanTool->setChecked(true);
    } else {
        if (!m_pPanKeyReturnAction)
            return false;
        QAction* back = m_pPanKeyReturnAction;
        m_pPanKeyReturnAction = nullptr;
        back->setChecked(true);
    }
    e->accept();
    return true;
}
