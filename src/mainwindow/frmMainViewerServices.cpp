// frmMain: services around the viewer (redraw, zoom, fit, canvas colour, input-alpha
// views, insert mode) and the routing of keyframe focus to the focused parameter widget.
#include "frmMain.h"

#include "Vosk.h"
#include "app/CWKCustomEvent.h"
#include "app/LogMessage.h"
#include "app/MessageBoxes.h"
#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "app/Settings.h"
#include "app/ShellAccessors.h"
#include "brandor.h"
#include "tamsin.h"
#include "curves/KeyframeManager.h"
#include "curves/frmCurveEditor.h"
#include "preferences/frmPreferences.h"
#include "velmor.h"
#include "viewer/ViewOptionsManager.h"
#include "viewer/frmLayerControls.h"
#include "viewer/frmMainGLWidget.h"
#include "widgets/CWKLineEditTimeCode.h"
#include "widgets/CWKParameterWidget.h"
#include "widgets/CWKSlider.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QColorDialog>
#include <QDockWidget>
#include <QKeyEvent>
#include <QSettings>
#include <QTabWidget>
#include <algorithm>
#include <cstring>
#include <vector>

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
    if (m_pOuterTabWidget)
        connect(m_pOuterTabWidget, &QTabWidget::currentChanged, this, &frmMain::sltTabPageChanged);
    if (m_pGLWidget && m_pLayerControlsDock)
        if (auto* layers = qobject_cast<frmLayerControls*>(m_pLayerControlsDock->widget()))
            connect(m_pGLWidget, &frmMainGLWidget::layerTableRefreshRequested, layers,
                &frmLayerControls::vUpdateLayerTable);
    connect(sldrFrameNumber, &CWKSlider::startDragging, this, &frmMain::sltShowThumbnail);
    connect(sldrFrameNumber, &CWKSlider::endDragging, this, &frmMain::sltHideThumbnail);
    connect(sldrFrameNumber, qOverload<int, bool, int>(&CWKSlider::valueChanged), this,
        &frmMain::sltThumbnailRangeChanged);
    KeyframeManager* keys = KeyframeManager::instance();
    keys->setKeyframeTarget([this]() -> Murn::ParameterWithoutType* {
        Murn::CWKParameterWidgetCommon* focused = pGetFocusedParameterWidget();
        return focused ? focused->pGetParameter() : nullptr;
    });
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

void frmMain::vZoomViewer(
    CW_Instance project, float factor, int x, int y, bool previewWindow, bool previewWindow2, bool previewWindow3)
{
    if (!m_pGLWidget)
        return;
    const bool explicitPoint = x != kiViewerCentre;
    if (!explicitPoint) {
        x = m_pGLWidget->width() / 2;
        y = m_pGLWidget->height() / 2;
    }
    if (explicitPoint && (previewWindow || previewWindow2 || previewWindow3)) {
        // The preview rectangles are measured from the viewer's bottom edge; the second and
        // third windows sit below the first, each one window height and 6 pixels further down.
        const CW_PreviewWindowDims dims = stctGetPreviewWindowDims(project);
        const float above = float(m_pGLWidget->height() - y);
        auto inside = [&](float shift) {
            return dims.fLeft <= x && x < dims.fRight && dims.fTop - shift <= above && above < dims.fBottom - shift;
        };
        const float step = dims.fBottom + 6.0f - dims.fTop;
        if ((previewWindow && inside(0.0f)) || (previewWindow2 && inside(step))
            || (previewWindow3 && inside(2.0f * step))) {
            float imageX = 0.0f;
            float imageY = 0.0f;
            convertDisplayToImageCoordinates(project, x, y, imageX, imageY);
            vZoomPreviewWindow(project, factor, imageX, imageY);
            m_pGLWidget->updateGL();
            return;
        }
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

void frmMain::vGetViewerAnchor(CW_Instance project, float& imageX, float& imageY) const
{
    imageX = 0.0f;
    imageY = 0.0f;
    if (!m_pGLWidget)
        return;
    int x = m_pGLWidget->iGetLastMouseX();
    int y = m_pGLWidget->iGetLastMouseY();
    if (x == kiViewerCentre) {
        x = m_pGLWidget->width() / 2;
        y = m_pGLWidget->height() / 2;
    }
    convertDisplayToImageCoordinates(project, x, y, imageX, imageY);
}

void frmMain::vLockViewOntoSelection(CW_Instance project, unsigned int from, unsigned int to)
{
    if (from == to)
        return;
    float imageX = 0.0f;
    float imageY = 0.0f;
    vGetViewerAnchor(project, imageX, imageY);
    if (!bShiftViewToLockOntoSelection(project, from, to, imageX, imageY))
        pGetViewOptionsManager()->lockView = false;
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

void frmMain::sltShowThumbnail(int, bool)
{
    if (!m_pGLWidget)
        return;
    m_pGLWidget->vSetThumbnailShown(true);
    m_pGLWidget->vSetThumbnailVisible(true);
}

void frmMain::sltHideThumbnail(int, bool)
{
    // With the zoom or pan tool the thumbnail stays up for a closer look.
    if (!m_pGLWidget || actZoomTool->isChecked() || actPanTool->isChecked())
        return;
    m_pGLWidget->vSetThumbnailVisible(false);
    m_pGLWidget->updateGL();
}

void frmMain::sltUpdateThumbnail(int, int frame)
{
    if (!m_pGLWidget)
        return;
    m_pGLWidget->vSetThumbnailShown(true);
    m_pGLWidget->vSetThumbnailFrame(frame);
    m_pGLWidget->updateGL();
}

void frmMain::sltThumbnailRangeChanged(int type, bool, int value)
{
    if (!m_pGLWidget || (type != CWKSlider::kiPrimaryRangeId && type != CWKSlider::kiSecondaryRangeId))
        return;
    m_pGLWidget->vSetThumbnailShown(true);
    m_pGLWidget->vSetThumbnailFrame(value);
    m_pGLWidget->updateGL();
}

void frmMain::vUpdateSliderFrameRows(CW_Instance project)
{
    CW_AutoLock(&g_mtxEngine, "vUpdateSliderFrameRows");
    const CW_BaseClipInfo* main = pcstctGetBaseClipInfo(project, 1);
    const unsigned int count = main ? main->uiCount : 0;
    if (count == 0)
        return;
    const int first = std::max(0, sldrFrameNumber->minimum());
    const int last = std::min(int(count) - 1, sldrFrameNumber->maximum());
    if (last < first)
        return;
    std::vector<char> exists(count, 0);
    vGetFrameExists(project, 1, exists.data(), unsigned(first), unsigned(last));
    sldrFrameNumber->setFrameMarks(exists.data(), 0, count);
    std::vector<int> keys(count, 0);
    KeyframeManager::instance()->getKeyframeFlags(project, keys.data(), count);
    sldrFrameNumber->setFrameValues(keys.data(), count);
}

void frmMain::sltDeletePreviewImages()
{
    if (!m_pGLWidget)
        return;
    CW_CallbackStruct* io = pstctBRD_GetCallbackStruct();
    auto* first = static_cast<Tam_Image*>(m_pGLWidget->pGetImageA());
    Tam_Image* second = m_pGLWidget->pGetImageB();
    m_pGLWidget->vSetImageA(nullptr);
    m_pGLWidget->vSetImageB(nullptr);
    if (io->pfnFreeImage) {
        io->pfnFreeImage(first);
        io->pfnFreeImage(second);
    }
}

void frmMain::sltInitialisePreviewImage(const CW_BaseClipInfo* base, CW_ClipInfo* clip)
{
    if (!m_pGLWidget || !base || !clip)
        return;
    const unsigned int divisor = base->iProxyLevel == 1 ? 2u : base->iProxyLevel == 2 ? 4u : 1u;
    const unsigned int width = base->uiWidth / divisor;
    const unsigned int height = base->uiHeight / divisor;
    sltDeletePreviewImages();
    CW_CallbackStruct* io = pstctBRD_GetCallbackStruct();
    if (!io->pfnAllocateImage || !io->pfnReadImage || width == 0 || height == 0)
        return;
    const int type = clip->iImageType ? clip->iImageType : TAM_UINT8;
    m_pGLWidget->vSetImageA(io->pfnAllocateImage(width, height, TAM_RGBA, type));
    m_pGLWidget->vSetImageB(io->pfnAllocateImage(width, height, TAM_RGBA, type));

    QString path = clip->qstrFolder;
    if (!path.isEmpty() && !path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    path += clip->qstrFileName;
    // A sparse description shows the image of its first chosen frame.
    if (clip->bSparse && !clip->vecDiscreteFrames.empty())
        path = QString::fromUtf8(clip->vecDiscreteFrames.front().acPath);
    else if (!clip->bMovie) {
        // A negative number width marks a single file without a frame number.
        if (clip->iThirdNumber >= 0)
            path += QStringLiteral("%1").arg(clip->iFirstFileNumber, clip->iThirdNumber, 10, QLatin1Char('0'));
        path += clip->qstrThirdPart;
    }
    if (auto* first = static_cast<Tam_Image*>(m_pGLWidget->pGetImageA()))
        io->pfnReadImage(path.toUtf8().constData(), first, clip->colourspace);

    const unsigned int textures = frmPreferences::uiGetDisplayCacheSize();
    m_pGLWidget->makeCurrent();
    vBRD_GLInitialiseTextures(width, height, textures);
    m_pGLWidget->doneCurrent();
}

void frmMain::sltUpdatePreviewImage(const CW_BaseClipInfo* base, CW_ClipInfo*)
{
    if (!m_pGLWidget || !base)
        return;
    auto* first = static_cast<Tam_Image*>(m_pGLWidget->pGetImageA());
    Tam_Image* second = m_pGLWidget->pGetImageB();
    if (!first || !second)
        return;
    const bool fields = base->iFieldMode == CW_UPPER_FIELD_FIRST || base->iFieldMode == CW_LOWER_FIELD_FIRST;
    const float zoom = fGetFitZoomFactor(
        *base, m_pGLWidget->width(), m_pGLWidget->height() * (fields ? 2 : 1), first->iWidth, first->iHeight, false);
    // The stand-in's colour spaces carry no tables: the image is shown as read.
    if (second->iWidth == first->iWidth && second->iHeight == first->iHeight && second->iStride == first->iStride)
        std::memcpy(second->pucData, first->pucData, size_t(first->iStride) * size_t(first->iHeight));
    m_pGLWidget->vSetImageBScale(zoom);
    m_pGLWidget->updateGL();
}

CW_MODULE frmMain::eGetCurrentModule() const
{
    CWKControlForm* page = pGetCurrentControlForm();
    return page ? page->eGetModule() : CW_MODULE_NONE;
}

bool frmMain::bIsViewActionChecked(const QString& name) const
{
    auto* action = findChild<QAction*>(name);
    return action && action->isChecked();
}

void frmMain::vGetCurrentPageMouseFlags(CW_Instance project, bool& first, bool& second, bool& third)
{
    first = false;
    second = false;
    third = false;
    if (CWKControlForm* page = pGetCurrentControlForm())
        page->sltZoomWindowsActive(project, first, second, third);
}

frmMainGLWidget* frmMain::pGetViewerClearingFlag()
{
    if (m_pGLWidget)
        m_pGLWidget->vSetHeldMouseButton(0);
    return m_pGLWidget;
}

void frmMain::ParameterChangeNotification(Vosk::Change& change)
{
    if (change.getType() == Vosk::Change::REMOVED)
        return;
    CW_AutoLock(&g_mtxEngine, "ParameterChangeNotification");
    // An undo or redo redraws once when it is done, not for every parameter it puts back.
    if (ignoreParameterChangeNotifications(ProjectManagerInstance::instance()->getInstance()))
        return;
    QCoreApplication::postEvent(this, new CWKCustomEvent(2000));
    sltUpdateParameterKeyframes();
}

void frmMain::focusParameterRefreshNotification(Vosk::Change&)
{
    sltUpdateParameterKeyframes();
}

void frmMain::sltTabPageChanged(int)
{
    // The module page stays current under the curve editor; what the window enables (Stop
    // Rendering for a page out of sight, the render captions) follows which tab shows.
    if (m_pModuleTabWidget)
        sltParameterPageChanged(m_pModuleTabWidget->currentIndex());
}

void frmMain::sltSelectInputSplitterTool(bool checked)
{
    if (checked)
        vLogMessage(QStringLiteral("Splitter tool not yet implemented"));
}

void frmMain::focusInEvent(QFocusEvent* e)
{
    QMainWindow::focusInEvent(e);
    if (m_pGLWidget)
        m_pGLWidget->setFocus(Qt::OtherFocusReason);
}

void frmMain::sltUpdateParameterKeyframes()
{
    CW_AutoLock(&g_mtxEngine, "sltUpdateParameterKeyframes");
    const CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    if (!bIsValidInstance(project))
        return;
    const std::vector<float> times = KeyframeManager::instance()->vecGetKeyframeTimes();
    sldrFrameNumber->setMarkerTimes(QVector<float>(times.begin(), times.end()));
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
    if (now == tcedtCurrentFrame || now == tcedtInPointFrameFrame || now == tcedtOutPointFrameFrame) {
        // The frame fields are no keyframe target: the parameter being keyed keeps the focus
        // for the curve and the markers. Focus merely passed on to the current frame (from a
        // widget disabled or hidden, or along the tab chain) goes back, so that the window's
        // keys keep working; a click or a shortcut into the field is the user's and stays.
        const Qt::FocusReason reason = static_cast<CWKLineEditTimeCode*>(now)->eGetFocusInReason();
        if (now == tcedtCurrentFrame && old
            && (reason == Qt::OtherFocusReason || reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason))
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
