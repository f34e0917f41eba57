#include "CWKControlForm.h"

#include "GhostableButton.h"
#include "app/CWKGUIThreadedProcess.h"
#include "app/ProductStrings.h"
#include "app/ProgramState.h"
#include "app/ShellAccessors.h"
#include "mainwindow/frmMain.h"
#include "preferences/frmPreferences.h"
#include "viewer/ViewOptionsManager.h"

#include <QAbstractButton>
#include <QAction>
#include <QKeyEvent>
#include <QPushButton>
#include <limits>

CWKControlForm::CWKControlForm(QWidget* parent, Qt::WindowFlags flags)
    : QDialog(parent, flags)
    , lastPointerX(std::numeric_limits<float>::max())
    , lastPointerY(std::numeric_limits<float>::max())
    , btnRenderThis(nullptr)
    , btnRenderForwards(nullptr)
    , btnRenderBackwards(nullptr)
    , btnRenderNext(nullptr)
    , btnRenderPrevious(nullptr)
    , btnStopRendering(nullptr)
{
    if (frmMain* window = g_pMainWindow) {
        btnRenderThis = window->btnRenderThis;
        btnRenderForwards = window->btnRenderForwards;
        btnRenderBackwards = window->btnRenderBackwards;
        btnRenderNext = window->btnRenderNext;
        btnRenderPrevious = window->btnRenderPrevious;
        btnStopRendering = window->btnStopRendering;
    }
}

CWKControlForm::~CWKControlForm()
{
    if (m_pKeyRegistry)
        m_pKeyRegistry->vUnregisterModuleKeyMappings(m_qstrRegisteredTitle, &m_mapKeyMappings);
}

bool CWKControlForm::bHasKeyframedParameters()
{
    return false;
}

void CWKControlForm::vReleaseProject()
{
}

QString CWKControlForm::qstrGetRenderCaption()
{
    return qstrGetRenderActionText(qstrGetProduct());
}

void CWKControlForm::vConnectRenderButtons()
{
    if (btnRenderThis)
        connect(btnRenderThis, &QPushButton::clicked, this, &CWKControlForm::btnRenderThis_clicked);
    if (btnRenderForwards)
        connect(btnRenderForwards, &QPushButton::clicked, this, &CWKControlForm::btnRenderForwards_clicked);
    if (btnRenderBackwards)
        connect(btnRenderBackwards, &QPushButton::clicked, this, &CWKControlForm::btnRenderBackwards_clicked);
    if (btnRenderNext)
        connect(btnRenderNext, &QPushButton::clicked, this, &CWKControlForm::btnRenderNext_clicked);
    if (btnRenderPrevious)
        connect(btnRenderPrevious, &QPushButton::clicked, this, &CWKControlForm::btnRenderPrevious_clicked);
    if (btnStopRendering)
        connect(btnStopRendering, &QPushButton::clicked, this, &CWKControlForm::btnStopRendering_clicked);
}

void CWKControlForm::vEnableRenderThis(bool enable)
{
    if (btnRenderThis)
        btnRenderThis->setEnabled(enable);
}

void CWKControlForm::vEnableRenderForwards(bool enable)
{
    if (frmMain* window = g_pMainWindow) {
        window->actRenderForwards->setEnabled(enable);
        window->actRenderNext->setEnabled(enable);
    }
    if (btnRenderForwards)
        btnRenderForwards->setEnabled(enable);
    if (btnRenderNext)
        btnRenderNext->setEnabled(enable);
}

void CWKControlForm::vEnableRenderBackwards(bool enable)
{
    if (frmMain* window = g_pMainWindow) {
        window->actRenderBackwards->setEnabled(enable);
        window->actRenderPrevious->setEnabled(enable);
    }
    if (btnRenderBackwards)
        btnRenderBackwards->setEnabled(enable);
    if (btnRenderPrevious)
        btnRenderPrevious->setEnabled(enable);
}

void CWKControlForm::vShowStepButtons(bool show)
{
    for (GhostableButton* button : {btnRenderNext, btnRenderPrevious}) {
        if (!button)
            continue;
        button->setGhosted(!show);
        button->update();
    }
}

void CWKControlForm::vDisableRenderControls()
{
    if (frmMain* window = g_pMainWindow) {
        for (QAction* action :
            {window->actRenderForwards, window->actRenderBackwards, window->actStopRendering, window->actRenderNext,
                window->actRenderPrevious, window->actUndoRenderThis, window->actUndoRenderAll, window->actPreview})
            action->setEnabled(false);
    }
    vEnableRenderThis(false);
    if (btnRenderForwards)
        btnRenderForwards->setEnabled(false);
    if (btnRenderBackwards)
        btnRenderBackwards->setEnabled(false);
    if (btnStopRendering)
        btnStopRendering->hide();
    if (btnRenderNext)
        btnRenderNext->setEnabled(false);
    if (btnRenderPrevious)
        btnRenderPrevious->setEnabled(false);
}

void CWKControlForm::sltControlFormChanged(int)
{
}

void CWKControlForm::sltStoreParameters()
{
}

void CWKControlForm::sltStoreGlobalParameters()
{
}

void CWKControlForm::sltRenderOverlay(bool)
{
}

void CWKControlForm::sltResetParameters()
{
}

bool CWKControlForm::bSupportsMesh()
{
    return false;
}

bool CWKControlForm::bSupportsPreview()
{
    return false;
}

bool CWKControlForm::bSupportsTrace()
{
    return false;
}

bool CWKControlForm::bSupportsLayerDisplay()
{
    return false;
}

bool CWKControlForm::bSupportsKeyframeableParameters()
{
    return true;
}

bool CWKControlForm::bWillHandleTransformationTools()
{
    return false;
}

void CWKControlForm::vUpdateOutputClipRange(CW_Instance)
{
}

void CWKControlForm::sltInputClipRangeChanged(int, bool, int)
{
}

void CWKControlForm::sltReRenderCurrentFrame()
{
}

CW_CLIP_ID CWKControlForm::eGetReadbackClipID()
{
    return 0;
}

bool CWKControlForm::bUseRenderCurrentFrame()
{
    return true;
}

bool CWKControlForm::showInternalKeyframes()
{
    return false;
}

void CWKControlForm::sltAddKeyframe()
{
}

void CWKControlForm::sltDeleteKeyframe()
{
}

void CWKControlForm::bsltKeyframeable(CW_Instance, bool&, bool&)
{
}

void CWKControlForm::sltDeleteAllKeyframes()
{
}

void CWKControlForm::sltGetKeyframes(CW_Instance, int&, int&)
{
}

void CWKControlForm::sltGetKeyframes(CW_Instance, CW_KEYFRAME_TYPE*)
{
}

void CWKControlForm::btnRenderThis_clicked()
{
}

void CWKControlForm::btnRenderForwards_clicked()
{
}

void CWKControlForm::btnRenderBackwards_clicked()
{
}

void CWKControlForm::btnRenderNext_clicked()
{
}

void CWKControlForm::btnRenderPrevious_clicked()
{
}

void CWKControlForm::btnStopRendering_clicked()
{
    vSetStopRequested(true);
}

void CWKControlForm::btnUndoRenderAll_clicked()
{
}

void CWKControlForm::btnUndoRenderThis_clicked()
{
}

void CWKControlForm::btnPreview_toggled()
{
}

void CWKControlForm::vMapKey(const QString& key, const QString& caption, QAbstractButton* button)
{
    m_mapKeyMappings[key] = CWKKeyBinding {caption, button};
}

void CWKControlForm::vRegisterKeyMappings()
{
    if (!g_pPreferences || m_pKeyRegistry)
        return;
    const QString title = windowTitle();
    g_pPreferences->vRegisterModuleKeyMappings(title, &m_mapKeyMappings);
    // A title taken by another page leaves this map unregistered.
    if (g_pPreferences->pGetRegisteredKeyMap(title) == &m_mapKeyMappings) {
        m_pKeyRegistry = g_pPreferences;
        m_qstrRegisteredTitle = title;
    }
}

bool CWKControlForm::bConsultKeyMap(Qt::KeyboardModifiers) const
{
    return true;
}

bool CWKControlForm::bIsPageKey(const QKeyEvent* e) const
{
    const QString key = e->text();
    if (key.isEmpty() || !bConsultKeyMap(e->modifiers()))
        return false;
    const auto binding = m_mapKeyMappings.constFind(key);
    return binding != m_mapKeyMappings.constEnd() && binding->pButton;
}

bool CWKControlForm::event(QEvent* e)
{
    if (e->type() == QEvent::ShortcutOverride && bIsPageKey(static_cast<QKeyEvent*>(e))) {
        e->accept();
        return true;
    }
    return QDialog::event(e);
}

void CWKControlForm::vShowFirstClipPlain()
{
    ViewOptionsManager* options = pGetViewOptionsManager();
    options->setClipToDisplay(1, true);
    options->setMatteViewState(0);
    options->showAlpha = false;
    options->applyChannelsToDisplay();
}

bool CWKControlForm::bClickMappedKey(QKeyEvent* e)
{
    CW_AutoLock(&g_mtxEngine, "keyPressEvent");
    e->ignore();
    if (!bConsultKeyMap(e->modifiers()))
        return false;
    // An empty text (function and arrow keys) is never a shortcut.
    const QString key = e->text();
    if (key.isEmpty())
        return false;
    const auto binding = m_mapKeyMappings.constFind(key);
    if (binding == m_mapKeyMappings.constEnd() || !binding->pButton)
        return false;
    binding->pButton->animateClick();
    e->accept();
    return true;
}

void CWKControlForm::vZoomWindowsFromToolPosition(CW_Instance project, bool& first, bool&, bool&)
{
    float x = 0.0f;
    float y = 0.0f;
    first = bIsValidInstance(project) && bGetToolPosition(project, x, y);
}
