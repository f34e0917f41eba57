// frmMain: events of worker runs (1999 to 2010) and of engine call-backs (10000 to 11000).
#include "frmMain.h"

#include "app/CWKCustomEvent.h"
#include "app/CWKGUIThreadedProcess.h"
#include "app/EngineCallbacks.h"
#include "app/MessageBoxes.h"
#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "app/ShellAccessors.h"
#include "brandor.h"
#include "clips/RelinkClipDialog.h"
#include "curves/frmCurveEditor.h"
#include "preferences/frmPreferences.h"
#include "velmor.h"
#include "viewer/ViewOptionsManager.h"
#include "viewer/frmMainGLWidget.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QStringList>
#include <algorithm>
#include <memory>

namespace {

// The largest display cache the preferences' field accepts.
constexpr unsigned int kuiMaxDisplayCacheMBytes = 16384;

} // namespace

bool frmMain::bHandleFrameStepEvent(int code, bool projectValid)
{
    if (!projectValid)
        return true;
    CW_AutoLock(&g_mtxEngine, "customEvent5");
    const CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    // With the slider disabled a shape-drawing or pan tool owns the frame.
    const CW_TOOL tool = eGetCurrentToolType(project);
    const bool toolHoldsFrame = (tool >= CW_TOOL_ADD_XSPLINE_LAYER && tool <= CW_TOOL_ADD_BEZIER_CONTOUR)
        || tool == CW_TOOL_PAN;
    if (!sldrFrameNumber->isEnabled() && toolHoldsFrame)
        return true;
    const CW_BaseClipInfo* clip = pcstctGetBaseClipInfo(project, 1);
    const bool next = code == 2001 || code == 2003;
    const bool engineFirst = code == 2003 || code == 2004;
    const int current = sldrFrameNumber->value();
    const bool move = next ? clip && unsigned(current) + 1 < clip->uiCount : current > 0;
    const unsigned int target = unsigned(next ? current + 1 : current - 1);
    // When the engine moves first the slider's slot finds the frame current already, so the
    // view follows here; otherwise the slot moves the engine and the view with it.
    if (move && engineFirst)
        vFollowFrameChange(project, unsigned(current), target);
    // An auto-save that fell due is written whether or not the frame moves.
    vAutoSaveProjectIfNecessary();
    if (!move)
        return true;
    if (engineFirst)
        bMakeFrameCurrent(project, target);
    if (next)
        sltNextFrame();
    else
        sltPreviousFrame();
    return true;
}

bool frmMain::bHandleFrameMadeCurrentEvent(bool projectValid)
{
    if (!projectValid)
        return true;
    CW_AutoLock(&g_mtxEngine, "customEvent5");
    const CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    const unsigned int frame = uiGetFrameNumber(project);
    const int shown = sldrFrameNumber->value();
    // The worker made the frame current, so the slider's slot leaves the engine and the
    // view alone: the view follows the run's step here as it follows a user's step there.
    if (int(frame) != shown && shown >= 0)
        vFollowFrameChange(project, unsigned(shown), frame);
    vAutoSaveProjectIfNecessary();
    if (int(frame) != shown)
        sldrFrameNumber->setValue(int(frame));
    return true;
}

void frmMain::vFollowFrameChange(CW_Instance project, unsigned int from, unsigned int to)
{
    if (pGetViewOptionsManager()->lockView) {
        vLockViewOntoSelection(project, from, to);
        return;
    }
    const CW_BaseClipInfo* shown = pcstctGetBaseClipInfo(project, eGetClipIDToDisplay(project));
    if (shown && (shown->iFieldMode == CW_UPPER_FIELD_FIRST || shown->iFieldMode == CW_LOWER_FIELD_FIRST))
        bAdjustViewForNewField(project, from, to);
}

void frmMain::vRestoreCachingAfterRun(CW_Instance project)
{
    CW_AutoLock(&g_mtxEngine, "customEvent2");
    vSetClipIDToPrioritizeInCache(project, eGetClipIDToDisplay(project));
    bSetCacheStrategyRecycle(project, false);
    // The preferences' field holds whole megabytes within its validator's range; a field
    // that does not read so leaves the cache as it is.
    auto* field = m_pPreferences
        ? m_pPreferences->findChild<QLineEdit*>(QStringLiteral("iedtPreferencesMaxDisplayCacheSize"))
        : nullptr;
    bool read = false;
    const unsigned int megabytes = field ? field->text().trimmed().toUInt(&read, 10) : 0u;
    if (read)
        vBRD_GLResizeCacheMBytes(std::min(megabytes, kuiMaxDisplayCacheMBytes));
}

bool frmMain::bHandleRunEvent(CWKCustomEvent* e, bool projectValid)
{
    switch (e->iGetCode()) {
    case 1999:
        return true;
    case 2001:
    case 2002:
    case 2003:
    case 2004:
        return bHandleFrameStepEvent(e->iGetCode(), projectValid);
    case 2009:
        sltUpdateGUI();
        return true;
    case 2000:
        if (m_pGLWidget)
            m_pGLWidget->updateGL();
        return true;
    case 2005:
        if (m_pGLWidget)
            m_pGLWidget->glDraw();
        return true;
    case 2006:
        // Queued behind the start of a newer run, it would end that run instead.
        if (!bIsCurrentForegroundRun(e->uiGetPayload()))
            return true;
        [[fallthrough]];
    case 2007:
        // The run has ended: the window is usable again whether or not the project could
        // be checked just now.
        vSetStopRequested(false);
        vSetProgressText(QString());
        vSetProgressValue(0);
        vRefreshProgressDisplay();
        if (e->iGetCode() == 2006 && projectValid)
            vRestoreCachingAfterRun(ProjectManagerInstance::instance()->getInstance());
        sltUpdateGUI(2);
        if (m_pGLWidget) {
            if (e->iGetCode() == 2006)
                m_pGLWidget->setFocus(Qt::OtherFocusReason);
            else
                m_pGLWidget->updateGL();
        }
        return true;
    case 2008:
        vRefreshProgressDisplay();
        return true;
    case 2010:
        return bHandleFrameMadeCurrentEvent(projectValid);
    case kiWorkerFailedEvent: {
        std::unique_ptr<QString> message = e->pTakeOwned<QString>();
        vShowWarning(this, message ? *message : QString());
        return true;
    }
    default:
        return false;
    }
}

bool frmMain::bHandleEngineCallbackEvent(CWKCustomEvent* e, bool projectValid)
{
    switch (e->iGetCode()) {
    case 10000:
    case 10100:
    case 10200: {
        std::unique_ptr<QStringList> message = e->pTakeOwned<QStringList>();
        // The box may take the mouse release, so the viewer must not stay in a drag.
        if (e->iGetCode() != 10200 && m_pGLWidget)
            m_pGLWidget->vSetHeldMouseButton(0);
        if (bIsExecutingThreaded())
            vSetStopRequested(true);
        if (!message || message->isEmpty())
            return true;
        const QByteArray context = message->first().toLower().toUtf8();
        const QByteArray source = message->last().toUtf8();
        const QString text = QCoreApplication::translate(context.constData(), source.constData());
        if (e->iGetCode() == 10000)
            vShowCritical(this, text);
        else if (e->iGetCode() == 10100)
            vShowInformation(this, text);
        else
            vShowWarning(this, text);
        return true;
    }
    case 10300:
        sltUpdateGUI(2);
        if (m_pGLWidget)
            m_pGLWidget->updateGL();
        vStopExecutingThreaded(true);
        if (projectValid)
            vOfferRelinkOfMissingClip(this, CW_CLIP_ID(e->uiGetPayload()));
        return true;
    case 10400:
        vDetachFocusedParameterWidget();
        sltUpdateParameterKeyframes();
        return true;
    case 10500: {
        std::unique_ptr<CWKActivationRecord> record = e->pTakeOwned<CWKActivationRecord>();
        if (record && record->b != 0 && g_pCurveEditor)
            g_pCurveEditor->vSetActive(record->a, record->b);
        return true;
    }
    case 10600:
        // The engine thread waits until the curve editor has been told; the dispatch lets
        // it go afterwards, also if this throws.
        if (g_pCurveEditor)
            g_pCurveEditor->vUndo(int(qintptr(e->uiGetPayload())));
        return true;
    case 10700: {
        std::unique_ptr<Vosk::CompositeCommand> command = e->pTakeOwned<Vosk::CompositeCommand>();
        if (command)
            command->do_it(nullptr);
        return true;
    }
    case 10800: {
        std::unique_ptr<CWKParameterChangeRecord> record = e->pTakeOwned<CWKParameterChangeRecord>();
        if (!record || !projectValid)
            return true;
        CW_AutoLock(&g_mtxEngine, "customEvent2");
        const CW_Instance project = ProjectManagerInstance::instance()->getInstance();
        bMakeParameterChange(project, record->command, nullptr, record->fValue, true);
        // No refresh follows a change made on an engine thread; the title must still show it.
        vUpdateWindowTitle(project, false);
        return true;
    }
    case 10900: {
        auto* parameter = static_cast<Murn::ParameterWithoutType*>(e->pGetPayload());
        if (g_pCurveEditor)
            g_pCurveEditor->vSetSelectedParameter(parameter);
        return true;
    }
    case 11000: {
        auto* parameter = static_cast<Murn::ParameterWithoutType*>(e->pGetPayload());
        if (parameter && g_pCurveEditor)
            g_pCurveEditor->vRemoveParameter(parameter);
        return true;
    }
    default:
        return false;
    }
}
