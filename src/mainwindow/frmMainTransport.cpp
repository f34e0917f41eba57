// frmMain: the frame slider and every way of moving through the clip, the time display,
// the in and out points, the play-bar zoom and playback.
#include "frmMain.h"

#include "app/CWKGUIThreadedProcess.h"
#include "app/MessageBoxes.h"
#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "app/ResourceLoading.h"
#include "app/ShellAccessors.h"
#include "brandor.h"
#include "curves/frmCurveEditor.h"
#include "tolvane.h"
#include "velmor.h"
#include "viewer/ViewOptionsManager.h"
#include "viewer/frmMainGLWidget.h"
#include "widgets/CWKFrameTextRule.h"

#include <algorithm>
#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

namespace {

frmMain::CWKGUI_PLAYMODE g_ePlayMode = frmMain::PingPong;

bool bTrInterlaced(const CW_BaseClipInfo* clip)
{
    return clip && (clip->iFieldMode == CW_UPPER_FIELD_FIRST || clip->iFieldMode == CW_LOWER_FIELD_FIRST);
}

// For the length of a frame change the window composes nothing: the slider, the time
// display and the new frame reach the screen together.
class TrCompositionHold {
public:
    explicit TrCompositionHold(frmMainGLWidget* viewer)
        : m_pViewer(viewer)
    {
        if (m_pViewer)
            m_pViewer->vHoldComposition(true);
    }
    ~TrCompositionHold()
    {
        if (m_pViewer)
            m_pViewer->vHoldComposition(false);
    }
    TrCompositionHold(const TrCompositionHold&) = delete;
    TrCompositionHold& operator=(const TrCompositionHold&) = delete;

private:
    QPointer<frmMainGLWidget> m_pViewer;
};

} // namespace

void frmMain::vConnectTransport()
{
    connect(sldrFrameNumber, qOverload<int>(&QSlider::valueChanged), this,
        qOverload<int>(&frmMain::sldrFrameNumber_valueChanged));
    connect(sldrFrameNumber, qOverload<int, bool, int>(&CWKSlider::valueChanged), this,
        qOverload<int, bool, int>(&frmMain::sldrFrameNumber_valueChanged));
    connect(sldrFrameNumber, &QSlider::rangeChanged, this, &frmMain::onPlaybarRangeChanged);
    connect(btnNextFrame, &QPushButton::clicked, this, &frmMain::btnNextFrame_clicked);
    connect(btnPreviousFrame, &QPushButton::clicked, this, &frmMain::btnPreviousFrame_clicked);
    connect(btnClipStart, &QPushButton::clicked, this, &frmMain::btnClipStart_clicked);
    connect(btnClipEnd, &QPushButton::clicked, this, &frmMain::btnClipEnd_clicked);
    connect(btnPlayForwards, &QPushButton::clicked, this, &frmMain::btnPlayForwards_clicked);
    connect(btnPlayBackwards, &QPushButton::clicked, this, &frmMain::btnPlayBackwards_clicked);
    connect(btnStopPlayback, &QPushButton::pressed, this, &frmMain::btnStopPlayback_pressed);
    connect(btnPlayMode, &QPushButton::clicked, this, &frmMain::btnPlayMode_clicked);
    connect(btnSetInPoint, &QPushButton::clicked, this, &frmMain::btnSetInPoint_clicked);
    connect(btnSetOutPoint, &QPushButton::clicked, this, &frmMain::btnSetOutPoint_clicked);
    connect(btnResetInPoint, &QPushButton::clicked, this, &frmMain::btnResetInPoint_clicked);
    connect(btnResetOutPoint, &QPushButton::clicked, this, &frmMain::btnResetOutPoint_clicked);
    connect(btnZoomToInOutPoints, &QPushButton::clicked, this, &frmMain::btnZoomToInOutPoints_clicked);
    connect(btnZoomToFullFrameRange, &QPushButton::clicked, this, &frmMain::zoomToFullFrameRange);
    connect(actNextFrame, &QAction::triggered, this, &frmMain::btnNextFrame_clicked);
    connect(actPreviousFrame, &QAction::triggered, this, &frmMain::btnPreviousFrame_clicked);
    connect(actFirstFrame, &QAction::triggered, this, &frmMain::btnClipStart_clicked);
    connect(actLastFrame, &QAction::triggered, this, &frmMain::btnClipEnd_clicked);
    connect(actPlayForwards, &QAction::triggered, this, &frmMain::btnPlayForwards_clicked);
    connect(actPlayBackwards, &QAction::triggered, this, &frmMain::btnPlayBackwards_clicked);
    connect(actPlayStop, &QAction::triggered, this, &frmMain::btnStopPlayback_pressed);
    connect(actSetInPoint, &QAction::triggered, this, &frmMain::btnSetInPoint_clicked);
    connect(actSetOutPoint, &QAction::triggered, this, &frmMain::btnSetOutPoint_clicked);
    connect(actResetInPoint, &QAction::triggered, this, &frmMain::btnResetInPoint_clicked);
    connect(actResetOutPoint, &QAction::triggered, this, &frmMain::btnResetOutPoint_clicked);
    connect(actZoomToInOutPoints, &QAction::triggered, this, &frmMain::btnZoomToInOutPoints_clicked);
    connect(actZoomToFullFrameRange, &QAction::triggered, this, &frmMain::zoomToFullFrameRange);
    connect(tcedtCurrentFrame, &CWKLineEditTimeCode::valueChanged, this, &frmMain::iedtCurrentFrame_valueChanged);
    connect(tcedtInPointFrameFrame, &CWKLineEditTimeCode::valueChanged, this,
        &frmMain::iedtInPointFrameFrame_valueChanged);
    connect(tcedtOutPointFrameFrame, &CWKLineEditTimeCode::valueChanged, this,
        &frmMain::iedtOutPointFrameFrame_valueChanged);
    connect(ProjectManagerInstance::instance(), &ProjectManagerInstance::projectManagerChanged, this,
        &frmMain::onProjectManagerChanged);
}

frmMain::CWKGUI_PLAYMODE frmMain::eGetPlayMode() const
{
    return g_ePlayMode;
}

void frmMain::sldrFrameNumber_valueChanged(int frame)
{
    CW_AutoLock(&g_mtxEngine, "sldrFrameNumber_valueChanged");
    const CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    const TrCompositionHold hold(m_pGLWidget);
    m_bInFrameChange = true;
    const bool changed = bCallReported(this, [&] {
        if (bIsValidInstance(project) && m_iWidgetsState != 3 && frame >= 0
            && unsigned(frame) != uiGetFrameNumber(project)) {
            QCoreApplication::processEvents();
            float imageX = 0.0f;
            float imageY = 0.0f;
            vGetViewerAnchor(project, imageX, imageY);
            // A drag of a point or a new shape must not carry over into another frame.
            const CW_TOOL tool = eGetCurrentToolType(project);
            const bool drawing = tool == CW_TOOL_ADD_XSPLINE_LAYER || tool == CW_TOOL_ADD_BEZIER_LAYER;
            if (bToolIsDragging(project) && (tool == CW_TOOL_POINTER || drawing))
                vButtonUp(project, drawing ? 0xA0 : 0, imageX, imageY);
            const unsigned int current = uiGetFrameNumber(project);
            ViewOptionsManager* view = pGetViewOptionsManager();
            if (view->lockView) {
                if (!bShiftViewToLockOntoSelection(project, current, unsigned(frame), imageX, imageY))
                    view->lockView = false;
            } else if (bTrInterlaced(pcstctGetBaseClipInfo(project, eGetClipIDToDisplay(project)))) {
                bAdjustViewForNewField(project, current, unsigned(frame));
            }
            if (CWKControlForm* page = pGetCurrentControlForm())
                page->setFocus(Qt::OtherFocusReason);
            if (!bMakeFrameCurrent(project, unsigned(frame))) {
                // The slider goes back to the frame the engine shows, and playback ends whole.
                const QSignalBlocker block(sldrFrameNumber);
                sldrFrameNumber->setValue(int(uiGetFrameNumber(project)));
                if (m_pPlaybackTimer)
                    vEndPlayback();
            }
        }
    });
    m_bInFrameChange = false;
    if (!changed) {
        // A frame the engine threw on ends playback the same way as one it refused.
        bCallReported(this, [&] {
            if (bIsValidInstance(project)) {
                const QSignalBlocker block(sldrFrameNumber);
                sldrFrameNumber->setValue(int(uiGetFrameNumber(project)));
            }
        });
        if (m_pPlaybackTimer)
            vEndPlayback();
    }
    bCallReported(this, [&] {
        CWKControlForm* page = pGetCurrentControlForm();
        if (!m_pPlaybackTimer && pGetViewOptionsManager()->renderOnParameterChange && page && btnRenderThis
            && btnRenderThis->isEnabled())
            page->sltReRenderCurrentFrame();
        if (m_pGLWidget) {
            if (bIsExecutingThreaded())
                m_pGLWidget->glDraw();
            else
                m_pGLWidget->updateGL();
        }
        vUpdateCurrentTime(project);
    });
}

void frmMain::sldrFrameNumber_valueChanged(int kind, bool inPoint, int frame)
{
    if (kind != CWKSlider::kiPrimaryRangeId)
        return;
    CW_AutoLock(&g_mtxEngine, "sldrFrameNumber_valueChanged");
    const CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    bCallReported(this, [&] {
        if (!bIsValidInstance(project))
            return;
        (inPoint ? tcedtInPointFrameFrame : tcedtOutPointFrameFrame)->setText(qstrFrameText(project, frame));
        vStoreInOutPoint(project, inPoint, frame);
    });
}

void frmMain::sltSetFrame(int frame)
{
    sldrFrameNumber->setValue(frame);
}

void frmMain::vStepFrame(bool next)
{
    const int value = sldrFrameNumber->value();
    if (next) {
        if (value == sldrFrameNumber->primaryEnd() || value == sldrFrameNumber->maximum())
            return;
        sldrFrameNumber->setValue(value + 1);
    } else {
        if (value == sldrFrameNumber->primaryStart() || value == sldrFrameNumber->minimum())
            return;
        sldrFrameNumber->setValue(value - 1);
    }
    sltUpdateGUI();
}

void frmMain::sltNextFrame()
{
    vStepFrame(true);
}

void frmMain::sltPreviousFrame()
{
    vStepFrame(false);
}

void frmMain::btnNextFrame_clicked()
{
    bCallReported(this, [this] { vStepFrame(true); });
}

void frmMain::btnPreviousFrame_clicked()
{
    bCallReported(this, [this] { vStepFrame(false); });
}

void frmMain::btnClipStart_clicked()
{
    bCallReported(this, [this] {
        sldrFrameNumber->setValue(sldrFrameNumber->primaryStart());
        sltUpdateGUI();
    });
}

void frmMain::btnClipEnd_clicked()
{
    bCallReported(this, [this] {
        sldrFrameNumber->setValue(sldrFrameNumber->primaryEnd());
        sltUpdateGUI();
    });
}

void frmMain::playClip(bool forwards)
{
    CW_AutoLock(&g_mtxEngine, "void __thiscall frmMain::playClip<const char*>(const char *)");
    const CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    if (!bIsValidInstance(project))
        return;
    CW_CLIP_ID clip = pGetViewOptionsManager()->clipToDisplay;
    if (clip == 0 || !bIsClipRegistered(project, clip))
        clip = 1;
    if (m_pPlaybackTimer) {
        m_pPlaybackTimer->stop();
        delete m_pPlaybackTimer;
        m_pPlaybackTimer = nullptr;
    }
    m_pPlaybackTimer = new QTimer(this);
    // The clip's rate is the point of playback; a coarse timer drifts by whole frames. Each
    // step arms the next one for its place in the schedule (see vArmNextPlaybackStep).
    m_pPlaybackTimer->setTimerType(Qt::PreciseTimer);
    m_pPlaybackTimer->setSingleShot(true);
    ++m_uiPlaybackRun;
    pGetImageIORouter()->vSetParentWindow(this, m_pPlaybackTimer);
    connect(m_pPlaybackTimer, &QTimer::timeout, this, forwards ? &frmMain::sltPlayNextFrame : &frmMain::sltPlayPreviousFrame);
    if (m_pGLWidget) {
        // The time from a step to the screen, for the schedule to aim at the screen.
        connect(m_pGLWidget, &frmMainGLWidget::frameSwapped, m_pPlaybackTimer, [this]() {
            if (m_iPlaybackStepNs < 0)
                return;
            const double latency = double(iPlaybackClockNs() - m_iPlaybackStepNs) / 1.0e6;
            m_iPlaybackStepNs = -1;
            if (latency >= 0.0)
                m_dPlaybackLatencyMs = m_dPlaybackLatencyMs > 0.0 ? 0.8 * m_dPlaybackLatencyMs + 0.2 * latency : latency;
        });
        m_pGLWidget->vSetPlaying(true);
        m_pGLWidget->setMouseTracking(true);
    }
    vSetClipIDToPrioritizeInCache(project, clip);
    bSetCacheStrategyRecycle(project, false);
    const CW_BaseClipInfo* info = pcstctGetBaseClipInfo(project, clip);
    float rate = info && info->fFrameRate > 0.0f ? info->fFrameRate : 25.0f;
    if (bTrInterlaced(info))
        rate *= 2.0f;
    m_dPlaybackIntervalMs = 1000.0 / double(rate);
    m_iPlaybackSteps = 0;
    m_iPlaybackStartNs = iPlaybackClockNs();
    m_iPlaybackStepNs = -1;
    // Each run measures its own way to the screen: the clip and the view may differ.
    m_dPlaybackLatencyMs = 0.0;
    m_pPlaybackTimer->start(int(1000.0f / rate));
    m_iWidgetsState = 4;
    sltTimeoutUpdateGUI();
    vUpdateTransportControls(project);
}

void frmMain::sltPlayForwards()
{
    playClip(true);
}

void frmMain::sltPlayBackwards()
{
    playClip(false);
}

void frmMain::btnPlayForwards_clicked()
{
    bCallReported(this, [this] { playClip(true); });
}

void frmMain::btnPlayBackwards_clicked()
{
    bCallReported(this, [this] { playClip(false); });
}

void frmMain::vEndPlayback()
{
    if (m_pPlaybackTimer) {
        m_pPlaybackTimer->stop();
        m_pPlaybackTimer->deleteLater();
        m_pPlaybackTimer = nullptr;
        pGetImageIORouter()->vSetParentWindow(this, nullptr);
    }
    if (m_pGLWidget) {
        m_pGLWidget->vSetPlaying(false);
        m_pGLWidget->setMouseTracking(true);
    }
    m_iWidgetsState = 2;
    sltTimeoutUpdateGUI();
}

qint64 frmMain::iPlaybackClockNs() const
{
    if (m_fnPlaybackClockNs)
        return m_fnPlaybackClockNs();
    static QElapsedTimer s_clock;
    if (!s_clock.isValid())
        s_clock.start();
    return s_clock.nsecsElapsed();
}

void frmMain::vArmNextPlaybackStep(bool stepTaken)
{
    if (!m_pPlaybackTimer)
        return;
    if (!stepTaken) {
        // The viewer or a frame change is still busy: try again shortly, off the schedule.
        m_pPlaybackTimer->start(1);
        return;
    }
    ++m_iPlaybackSteps;
    const qint64 now = iPlaybackClockNs();
    const double elapsed = double(now - m_iPlaybackStartNs) / 1.0e6;
    // Each frame is due on the screen: its step comes as much earlier as a frame takes to
    // get there, but never more than half an interval.
    const double lead = std::min(m_dPlaybackLatencyMs, m_dPlaybackIntervalMs / 2);
    double due = double(m_iPlaybackSteps + 1) * m_dPlaybackIntervalMs - lead;
    // A step that overran by less than an interval is made up on the next one; after a longer
    // stall the schedule starts again from now rather than racing through frames.
    if (elapsed - due > m_dPlaybackIntervalMs) {
        m_iPlaybackStartNs = now;
        m_iPlaybackSteps = 0;
        due = m_dPlaybackIntervalMs;
        m_pPlaybackTimer->start(int(due + 0.5));
        return;
    }
    m_pPlaybackTimer->start(std::max(0, int(due - elapsed + 0.5)));
}

void frmMain::vPlaybackStep(bool forwards)
{
    if (m_bInFrameChange || (m_pGLWidget && m_pGLWidget->bIsPainting())) {
        vArmNextPlaybackStep(false);
        return;
    }
    const unsigned int run = m_uiPlaybackRun;
    bCallReported(this, [this, forwards] {
        const int value = sldrFrameNumber->value();
        const bool atEnd = forwards ? (value == sldrFrameNumber->primaryEnd() || value == sldrFrameNumber->maximum())
                                    : (value == sldrFrameNumber->primaryStart() || value == sldrFrameNumber->minimum());
        if (!atEnd) {
            m_iPlaybackStepNs = iPlaybackClockNs();
            sldrFrameNumber->setValue(forwards ? value + 1 : value - 1);
            return;
        }
        switch (g_ePlayMode) {
        case UniDirection: {
            CW_AutoLock(&g_mtxEngine, forwards ? "sltPlayNextFrame" : "sltPlayPreviousFrame");
            vEndPlayback();
            break;
        }
        case PingPong:
            playClip(!forwards);
            break;
        case Loop:
            sldrFrameNumber->setValue(forwards ? sldrFrameNumber->primaryStart() : sldrFrameNumber->primaryEnd());
            playClip(forwards);
            break;
        }
    });
    // Ended, restarted the other way or from the other end: that run keeps its own schedule.
    if (run == m_uiPlaybackRun)
        vArmNextPlaybackStep(true);
}

void frmMain::sltPlayNextFrame()
{
    vPlaybackStep(true);
}

void frmMain::sltPlayPreviousFrame()
{
    vPlaybackStep(false);
}

void frmMain::sltStopPlayback()
{
    if (m_iWidgetsState == 3)
        return;
    vEndPlayback();
    CW_AutoLock(&g_mtxEngine, "sltStopPlayback");
    const CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    if (bIsValidInstance(project) && bTrInterlaced(pcstctGetBaseClipInfo(project, eGetClipIDToDisplay(project)))) {
        std::string error;
        bRenderCurrentFrameToVideoIO(project, error);
    }
}

void frmMain::btnStopPlayback_pressed()
{
    bCallReported(this, [this] { sltStopPlayback(); });
}

void frmMain::btnPlayMode_clicked()
{
    CW_AutoLock(&g_mtxEngine, "btnPlayMode_clicked");
    bCallReported(this, [this] {
        const char* icon = "Play_UniDirection.png";
        switch (g_ePlayMode) {
        case UniDirection:
            g_ePlayMode = PingPong;
            icon = "Play_PingPong.png";
            break;
        case PingPong:
            g_ePlayMode = Loop;
            icon = "Play_Loop.png";
            break;
        case Loop:
            g_ePlayMode = UniDirection;
            break;
        }
        btnPlayMode->setIcon(qicnGetResourceIconSet(QLatin1String(icon)));
        vUpdateTransportControls(ProjectManagerInstance::instance()->getInstance());
    });
}

QString frmMain::qstrFrameText(CW_Instance project, int frame) const
{
    const CWKFrameTextRule rule = stctGetFrameTextRule(project);
    return rule.bValid ? rule.qstrGetText(frame) : QString::number(frame);
}

int frmMain::iParseFrameEdit(QLineEdit* edit, CW_Instance project) const
{
    const CWKFrameTextRule rule = stctGetFrameTextRule(project);
    return rule.bValid ? rule.iClampIndex(rule.llGetIndex(edit->text())) : 0;
}

void frmMain::vStoreInOutPoint(CW_Instance project, bool inPoint, int frame)
{
    if (inPoint) {
        vSetPlaybackInPoint(project, unsigned(frame));
        sldrFrameNumber->setPrimaryStart(frame);
    } else {
        vSetPlaybackOutPoint(project, unsigned(frame));
        sldrFrameNumber->setPrimaryEnd(frame);
    }
    sldrFrameNumber->update();
    sltUpdateGUI();
}

void frmMain::iedtCurrentFrame_valueChanged()
{
    CW_AutoLock(&g_mtxEngine, "iedtCurrentFrame_valueChanged");
    const CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    bCallReported(this, [&] {
        if (bIsValidInstance(project))
            sldrFrameNumber->setValue(iParseFrameEdit(tcedtCurrentFrame, project));
    });
}

void frmMain::iedtInPointFrameFrame_valueChanged()
{
    CW_AutoLock(&g_mtxEngine, "iedtInPointFrameFrame_valueChanged");
    const CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    bCallReported(this, [&] {
        if (!bIsValidInstance(project))
            return;
        if (iParseFrameEdit(tcedtOutPointFrameFrame, project) < iParseFrameEdit(tcedtInPointFrameFrame, project))
            tcedtInPointFrameFrame->setText(tcedtOutPointFrameFrame->text());
        vStoreInOutPoint(project, true, iParseFrameEdit(tcedtInPointFrameFrame, project));
    });
}

void frmMain::iedtOutPointFrameFrame_valueChanged()
{
    CW_AutoLock(&g_mtxEngine, "iedtOutPointFrameFrame_valueChanged");
    const CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    bCallReported(this, [&] {
        if (!bIsValidInstance(project))
            return;
        if (iParseFrameEdit(tcedtOutPointFrameFrame, project) < iParseFrameEdit(tcedtInPointFrameFrame, project))
            tcedtOutPointFrameFrame->setText(tcedtInPointFrameFrame->text());
        vStoreInOutPoint(project, false, iParseFrameEdit(tcedtOutPointFrameFrame, project));
    });
}

void frmMain::btnSetInPoint_clicked()
{
    tcedtInPointFrameFrame->setText(tcedtCurrentFrame->text());
    iedtInPointFrameFrame_valueChanged();
}

void frmMain::btnSetOutPoint_clicked()
{
    tcedtOutPointFrameFrame->setText(tcedtCurrentFrame->text());
    iedtOutPointFrameFrame_valueChanged();
}

void frmMain::btnResetInPoint_clicked()
{
    CW_AutoLock(&g_mtxEngine, "btnResetInPoint_clicked");
    const CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    bCallReported(this, [&] {
        if (!bIsValidInstance(project))
            return;
        tcedtInPointFrameFrame->setText(qstrFrameText(project, 0));
        vStoreInOutPoint(project, true, 0);
    });
}

void frmMain::btnResetOutPoint_clicked()
{
    CW_AutoLock(&g_mtxEngine, "btnResetOutPoint_clicked");
    const CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    bCallReported(this, [&] {
        const CW_BaseClipInfo* clip = bIsValidInstance(project) ? pcstctGetBaseClipInfo(project, 1) : nullptr;
        if (!clip || clip->uiCount == 0)
            return;
        const int last = int(clip->uiCount) - 1;
        tcedtOutPointFrameFrame->setText(qstrFrameText(project, last));
        vStoreInOutPoint(project, false, last);
    });
}

void frmMain::btnZoomToInOutPoints_clicked()
{
    sldrFrameNumber->clampRange();
}

void frmMain::zoomToFullFrameRange()
{
    sldrFrameNumber->setFrameRange(0, std::max(0, sldrFrameNumber->fullLength() - 1));
}

void frmMain::onPlaybarRangeChanged(int first, int last)
{
    CW_AutoLock(&g_mtxEngine, "onPlaybarRangeChanged");
    const CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    bCallReported(this, [&] {
        TOLV_ProjectManager* manager = bIsValidInstance(project) ? pGetProjectManager(project) : nullptr;
        if (!manager)
            return;
        ProjectProperties properties = manager->getProjectProperties();
        properties.setPlaybarFirst(first);
        properties.setPlaybarLast(last);
    });
}

void frmMain::onProjectManagerChanged(CW_Instance project)
{
    CW_AutoLock(&g_mtxEngine, "onProjectManagerChanged");
    bCallReported(this, [&] {
        const CW_BaseClipInfo* clip = bIsValidInstance(project) ? pcstctGetBaseClipInfo(project, 1) : nullptr;
        if (!clip)
            return;
        const int last = std::max(0, int(clip->uiCount) - 1);
        int first = -1;
        int shownLast = -1;
        if (TOLV_ProjectManager* manager = pGetProjectManager(project)) {
            first = manager->getProjectProperties().getPlaybarFirst();
            shownLast = manager->getProjectProperties().getPlaybarLast();
        }
        {
            const QSignalBlocker block(sldrFrameNumber);
            sldrFrameNumber->setUpdatesEnabled(false);
            sldrFrameNumber->setFrameRange(0, last);
            sldrFrameNumber->initFrameMarks(bTrInterlaced(clip));
            sldrFrameNumber->setPrimaryRange(
                int(std::min<unsigned>(uiGetPlaybackInPoint(project), unsigned(last))),
                int(std::min<unsigned>(uiGetPlaybackOutPoint(project), unsigned(last))));
            sldrFrameNumber->setValue(int(uiGetFrameNumber(project)));
            // The stored play-bar range, unless either end is unset or lies outside the clip.
            if (first >= 0 && shownLast >= first && shownLast <= last)
                sldrFrameNumber->setFrameRange(first, shownLast);
            sldrFrameNumber->setUpdatesEnabled(true);
        }
        sldrFrameNumber->sltRangeChanged(sldrFrameNumber->minimum(), sldrFrameNumber->maximum());
        sldrFrameNumber->update();
        vUpdateClipLength(project);
        vUpdateCurrentTime(project);
    });
}

void frmMain::vUpdateCurrentTime(CW_Instance project)
{
    if (!bIsValidInstance(project))
        return;
    const unsigned int frame = uiGetFrameNumber(project);
    tcedtCurrentFrame->setText(qstrFrameText(project, int(frame)));
    if (g_pCurveEditor)
        g_pCurveEditor->vForward6(float(frame));
}

void frmMain::vUpdateClipLength(CW_Instance project)
{
    if (!bIsValidInstance(project))
        return;
    for (CWKLineEditTimeCode* edit : {tcedtInPointFrameFrame, tcedtOutPointFrameFrame, tcedtCurrentFrame})
        edit->vUpdateRegExp(project);
    tcedtInPointFrameFrame->setText(qstrFrameText(project, sldrFrameNumber->primaryStart()));
    tcedtOutPointFrameFrame->setText(qstrFrameText(project, sldrFrameNumber->primaryEnd()));
}

void frmMain::sltUpdateCurrentTime()
{
    CW_AutoLock(&g_mtxEngine, "sltUpdateCurrentTime");
    vUpdateCurrentTime(ProjectManagerInstance::instance()->getInstance());
}

void frmMain::sltUpdateClipLength()
{
    CW_AutoLock(&g_mtxEngine, "sltUpdateClipLength");
    vUpdateClipLength(ProjectManagerInstance::instance()->getInstance());
}
