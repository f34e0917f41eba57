#include "frmTrackPage.h"

#include "app/CWKGUIThreadedProcess.h"
#include "app/CWKCustomEvent.h"
#include "app/MessageBoxes.h"
#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "app/ShellAccessors.h"
#include "curves/KeyframeManager.h"
#include "mainwindow/frmMain.h"
#include "viewer/ViewOptionsManager.h"
#include "viewer/frmMainGLWidget.h"
#include "viewer/frmViewerPreferences.h"
#include "widgets/CWKFrameTextRule.h"
#include "widgets/MurnSetter.h"
#include "app/ChoiceTables.h"
#include "brandor/gl.h"

#include <QDebug>
#include <QKeyEvent>
#include <algorithm>

namespace {

constexpr int kiEventTrack = 58;
constexpr int kiEventForwards = 61;
constexpr int kiEventBackwards = 62;
constexpr int kiEventSmooth = 143;

bool bTpInterlaced(const CW_BaseClipInfo* clip)
{
    return clip && (clip->iFieldMode == CW_UPPER_FIELD_FIRST || clip->iFieldMode == CW_LOWER_FIELD_FIRST);
}

// Fields are tracked as whole frames unless the user asks for each field: a step then
// covers both fields of a frame.
unsigned int uiTpStep(const frmTrackPage::RunInputs& in, bool doubled)
{
    // A jump of 0 would never move the frame.
    const unsigned int jump = std::max(in.uiFrameJump, 1u);
    return jump * (doubled ? 2u : 1u);
}

// The engine's drawing calls end in the viewer's message on failure.
void vTpShowDrawError(CW_Instance project, CW_BOOL drawn, const std::string& error)
{
    if (drawn || !g_pMainWindow || !g_pMainWindow->pGetGLWidget())
        return;
    g_pMainWindow->pGetGLWidget()->vDrawMessageText(project, QString::fromStdString(error));
}

} // namespace

frmTrackPage::frmTrackPage(QWidget* parent, Qt::WindowFlags flags)
    : CWKControlForm(parent, flags)
{
    ui.setupUi(this);
    vInitialize();
}

frmTrackPage::~frmTrackPage() = default;

// ---- Run plans.

frmTrackPage::RunPlan frmTrackPage::stctPlanForwards(const RunInputs& in)
{
    RunPlan plan;
    plan.bStart = true;
    long long last = (long long)in.uiClipFrames - 1;
    // An out point at or before the current frame is not a range end.
    if (in.iOutPoint > (long long)in.uiFrame && in.iOutPoint < last)
        last = in.iOutPoint;
    plan.uiFrames = last > (long long)in.uiFrame ? unsigned(last - in.uiFrame) : 0u;
    plan.uiStep = uiTpStep(in, in.bInterlaced && !in.bIndividualFields && plan.uiFrames > 1);
    return plan;
}

frmTrackPage::RunPlan frmTrackPage::stctPlanBackwards(const RunInputs& in)
{
    RunPlan plan;
    plan.bStart = true;
    const unsigned int first
        = in.iInPoint > 0 && in.iInPoint < (long long)in.uiFrame ? unsigned(in.iInPoint) : 0u;
    plan.uiFrames = in.uiFrame > first ? in.uiFrame - first : 0u;
    plan.uiStep = uiTpStep(in, in.bInterlaced && !in.bIndividualFields && plan.uiFrames > 1);
    return plan;
}

frmTrackPage::RunPlan frmTrackPage::stctPlanNext(const RunInputs& in)
{
    RunPlan plan;
    long long last = (long long)in.uiClipFrames - 1;
    if ((long long)in.uiFrame >= last)
        return plan;
    unsigned int step = uiTpStep(in, in.bInterlaced && !in.bIndividualFields);
    if (in.iOutPoint > (long long)in.uiFrame && in.iOutPoint < last)
        last = in.iOutPoint;
    if (step == 2 && last < (long long)in.uiFrame + 2)
        step = 1;
    // Any larger step would leave the range too.
    step = unsigned(std::min<long long>(step, last - in.uiFrame));
    plan.bStart = true;
    plan.uiFrames = step;
    plan.uiStep = step;
    return plan;
}

frmTrackPage::RunPlan frmTrackPage::stctPlanPrevious(const RunInputs& in)
{
    RunPlan plan;
    if (in.uiFrame == 0)
        return plan;
    unsigned int step = uiTpStep(in, in.bInterlaced && !in.bIndividualFields);
    const unsigned int first
        = in.iInPoint > 0 && in.iInPoint < (long long)in.uiFrame ? unsigned(in.iInPoint) : 0u;
    if (step == 2 && in.uiFrame < first + 2)
        step = 1;
    step = std::min(step, in.uiFrame - first);
    plan.bStart = true;
    plan.uiFrames = step;
    plan.uiStep = step;
    return plan;
}

// ---- Capabilities.

CW_MODULE frmTrackPage::eGetModule() const
{
    return CW_MODULE_TRACK;
}

bool frmTrackPage::bSupportsLayerDisplay()
{
    return true;
}

bool frmTrackPage::bSupportsPreview()
{
    return true;
}

bool frmTrackPage::bSupportsTrace()
{
    return true;
}

bool frmTrackPage::bSupportsKeyframeableParameters()
{
    return true;
}

bool frmTrackPage::bUseRenderCurrentFrame()
{
    return true;
}

bool frmTrackPage::bSupportsMesh()
{
    return false;
}

bool frmTrackPage::bWillHandleTransformationTools()
{
    return false;
}

QString frmTrackPage::qstrGetRenderCaption()
{
    return tr("Track");
}

bool frmTrackPage::showInternalKeyframes()
{
    CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    if (!bIsValidInstance(project))
        return false;
    CW_TrackingParameterSet* parameters = pGetParameters(project);
    return parameters && parameters->pManualTrack->valueAt(float(uiGetFrameNumber(project)));
}

CW_TrackingParameterSet* frmTrackPage::pGetParameters(CW_Instance project)
{
    if (!bIsValidInstance(project))
        return nullptr;
    return pGetTrackingParameters(project, iGetCurrentSelectionID(project));
}

bool frmTrackPage::bManualTrackAtCurrentFrame(CW_Instance project)
{
    if (!bIsEventAllowed(project, kiEventTrack))
        return false;
    CW_TrackingParameterSet* parameters = pGetParameters(project);
    return parameters && parameters->pManualTrack->valueAt(float(uiGetFrameNumber(project)));
}

// ---- Initialisation and widget state.

void frmTrackPage::vInitialize()
{
    vMapKey(QStringLiteral("O"), QStringLiteral("Export Tracking Data"), ui.btnExportTrackingData);
    vMapKey(QStringLiteral("O"), QStringLiteral("Export Shape Data"), ui.btnExportShapeData);
    vMapKey(QStringLiteral("p"), QStringLiteral("Track R,G or B"), ui.rbtnAutoChannel);
    vMapKey(QStringLiteral("y"), QStringLiteral("Track Luminance"), ui.rbtnTrackLuminance);
    vMapKey(QStringLiteral("v"), QStringLiteral("Translational Motion Model"), ui.chkbxMotionModelTranslation);
    vMapKey(QStringLiteral("T"), QStringLiteral("Scale Motion Model"), ui.chkbxMotionModelScale);
    vMapKey(QStringLiteral("R"), QStringLiteral("Rotation Motion Model"), ui.chkbxMotionModelRotation);
    vMapKey(QStringLiteral("o"), QStringLiteral("Shear Motion Model"), ui.chkbxMotionModelShear);
    vMapKey(QStringLiteral("p"), QStringLiteral("Perspective Motion Model"), ui.chkbxMotionModelPerspective);
    vMapKey(QStringLiteral("b"), QStringLiteral("Small Motion"), ui.rbtnSmallMotion);
    vMapKey(QStringLiteral("m"), QStringLiteral("Large Motion"), ui.rbtnLargeMotion);
    vMapKey(QStringLiteral("m"), QStringLiteral("Manual Track"), ui.rbtnManualTrack);

    connect(ui.rbtnAutoChannel, &QAbstractButton::clicked, this, &frmTrackPage::rbtnAutoChannel_clicked);
    connect(ui.rbtnTrackLuminance, &QAbstractButton::clicked, this, &frmTrackPage::rbtnTrackLuminance_clicked);
    connect(ui.chkbxMotionModelTranslation, &QAbstractButton::clicked, this,
        &frmTrackPage::chkbxMotionModelTranslation_clicked);
    connect(ui.chkbxMotionModelScale, &QAbstractButton::clicked, this, &frmTrackPage::chkbxMotionModelScale_clicked);
    connect(
        ui.chkbxMotionModelRotation, &QAbstractButton::clicked, this, &frmTrackPage::chkbxMotionModelRotation_clicked);
    connect(ui.chkbxMotionModelShear, &QAbstractButton::clicked, this, &frmTrackPage::chkbxMotionModelShear_clicked);
    connect(ui.chkbxMotionModelPerspective, &QAbstractButton::clicked, this,
        &frmTrackPage::chkbxMotionModelPerspective_clicked);
    connect(ui.rbtnSmallMotion, &QAbstractButton::clicked, this, &frmTrackPage::rbtnSmallMotion_clicked);
    connect(ui.rbtnLargeMotion, &QAbstractButton::clicked, this, &frmTrackPage::rbtnLargeMotion_clicked);
    connect(ui.rbtnManualTrack, &QAbstractButton::clicked, this, &frmTrackPage::rbtnManualTrack_clicked);
    connect(ui.iccboxInputClip, qOverload<int>(&QComboBox::activated), this, &frmTrackPage::iccboxInputClip_activated);
    connect(ui.chkbxTrackIndividualFields, &QAbstractButton::clicked, this,
        &frmTrackPage::chkbxTrackIndividualFields_clicked);
    connect(ui.btnImportTrackingData, &QAbstractButton::clicked, this, &frmTrackPage::btnImportTrackingData_clicked);
    connect(ui.btnExportTrackingData, &QAbstractButton::clicked, this, &frmTrackPage::btnExportTrackingData_clicked);
    connect(ui.btnExportShapeData, &QAbstractButton::clicked, this, &frmTrackPage::btnExportShapeData_clicked);
    connect(
        ui.btnSmoothSelectedFrames, &QAbstractButton::clicked, this, &frmTrackPage::btnSmoothSelectedFrames_clicked);
    connect(ui.chkbxMaxMotionHorizontalAuto, &QAbstractButton::clicked, this,
        &frmTrackPage::chkbxMaxMotionHorizontalAuto_clicked);
    connect(ui.chkbxMaxMotionVerticalAuto, &QAbstractButton::clicked, this,
        &frmTrackPage::chkbxMaxMotionVerticalAuto_clicked);
    connect(ui.iedtFrameJump, &CWKLineEditInt::valueChanged, this, &frmTrackPage::iedtFrameJump_changed);
    connect(ui.chkbxMaxMotionHorizontalAuto, &QAbstractButton::toggled, ui.iedtMaxHorizontalMotion,
        &QWidget::setDisabled);
    connect(ui.chkbxMaxMotionVerticalAuto, &QAbstractButton::toggled, ui.iedtMaxVerticalMotion, &QWidget::setDisabled);

    ui.iedtMaxHorizontalMotion->vSetRange(0, 500);
    ui.iedtMaxVerticalMotion->vSetRange(0, 500);
    ui.iedtMaxRotationAngle->vSetRange(0, 50);
    ui.iedtMaxZoomPercentage->vSetRange(0, 100);
    ui.iedtMinTrackingPoints->vSetRange(1, 100);
    ui.dedtSmoothingLevel->vSetRange(0.0, 100.0, 2);

    // One highlight per parameter: the boxes of the motion model, the motion sizes and the
    // channel choice each show one parameter.
    for (Murn::CWKParameterWidgetCommon* box :
        std::initializer_list<Murn::CWKParameterWidgetCommon*> {ui.chkbxMotionModelTranslation,
            ui.chkbxMotionModelScale, ui.chkbxMotionModelRotation, ui.chkbxMotionModelShear,
            ui.chkbxMotionModelPerspective})
        ui.groupMotionModel->vAddLinkedWidget(box);
    for (Murn::CWKParameterWidgetCommon* button : std::initializer_list<Murn::CWKParameterWidgetCommon*> {
             ui.rbtnSmallMotion, ui.rbtnLargeMotion, ui.rbtnManualTrack})
        ui.groupMotionSize->vAddLinkedWidget(button);
    for (Murn::CWKParameterWidgetCommon* button :
        std::initializer_list<Murn::CWKParameterWidgetCommon*> {ui.rbtnAutoChannel, ui.rbtnTrackLuminance})
        ui.groupColourChannel->vAddLinkedWidget(button);
    CWKParameterWidgetHooks* hooks = &stctGetParameterWidgetHooks();
    for (Murn::CWKParameterWidgetCommon* widget : std::initializer_list<Murn::CWKParameterWidgetCommon*> {
             ui.groupMotionModel, ui.chkbxMotionModelTranslation, ui.chkbxMotionModelScale,
             ui.chkbxMotionModelRotation, ui.chkbxMotionModelShear, ui.chkbxMotionModelPerspective})
        widget->vSetHooks(hooks);

    sltSetWidgetsState(0);
    vRegisterKeyMappings();
    std::fill(std::begin(m_abZoomWindows), std::end(m_abZoomWindows), false);
    m_bRestoring = false;
    vConnectRenderButtons();

    ui.grpbxSmooth->hide();
    ui.iedtFrameJump->hide();
    ui.lblFrameJump->hide();
}

void frmTrackPage::sltSetWidgetsState(CWKGUI_STATE state)
{
    if (qstrGetCurrentTabText() != QLatin1String("Track"))
        return;
    bCallReported(this, [&] {
        if (g_pMainWindow)
            g_pMainWindow->vSetViewerMode(0);
        CW_AutoLock(&g_mtxEngine, "sltSetWidgetState");
        CW_Instance project = ProjectManagerInstance::instance()->getInstance();
        const bool valid = bIsValidInstance(project);
        if (valid && state == 2 && bIsEventAllowed(project, kiEventTrack))
            sltRestoreParameters(project);

        ui.btnImportTrackingData->hide();
        for (QWidget* widget : std::initializer_list<QWidget*> {ui.btnImportTrackingData,
                 ui.chkbxTrackIndividualFields, ui.iedtFrameJump, ui.btnExportTrackingData, ui.btnExportShapeData,
                 ui.rbtnLargeMotion, ui.rbtnSmallMotion, ui.rbtnManualTrack, ui.chkbxMaxMotionHorizontalAuto,
                 ui.chkbxMaxMotionVerticalAuto, ui.dedtSmoothingLevel, ui.iedtMinTrackingPoints,
                 ui.iedtMaxRotationAngle, ui.iedtMaxZoomPercentage, ui.iedtMaxHorizontalMotion,
                 ui.iedtMaxVerticalMotion, ui.rbtnAutoChannel, ui.rbtnTrackLuminance, ui.btnSmoothSelectedFrames,
                 ui.iccboxInputClip})
            widget->setEnabled(false);
        vDisableRenderControls();

        if (state > 4) {
            qDebug() << "Unhandled enum value";
            return;
        }
        switch (state) {
        case 2: {
            if (!valid)
                return;
            CW_TrackingParameterSet* parameters = pGetParameters(project);
            vReleaseUpdaters();
            if (parameters) {
                m_pHorizontalUpdater
                    = makeMurnUpdater<unsigned int>(ui.iedtMaxHorizontalMotion, parameters->pHorizontalSearchSize, false);
                m_pVerticalUpdater
                    = makeMurnUpdater<unsigned int>(ui.iedtMaxVerticalMotion, parameters->pVerticalSearchSize, false);
                m_pSmoothingUpdater = makeMurnUpdater<float>(ui.dedtSmoothingLevel, parameters->pSmoothingLevel, false);
                m_pMinPointsUpdater
                    = makeMurnUpdater<double>(ui.iedtMinTrackingPoints, parameters->pMinTrackingPoints, false);
                m_pRotationUpdater = makeMurnUpdater<double>(ui.iedtMaxRotationAngle, parameters->pMaxRotation, false);
                m_pZoomUpdater = makeMurnUpdater<double>(ui.iedtMaxZoomPercentage, parameters->pMaxZoom, false);
            }
            if (g_pMainWindow && g_pMainWindow->sldrFrameNumber)
                g_pMainWindow->sldrFrameNumber->update();
            if (bIsEventAllowed(project, kiEventBackwards))
                vEnableRenderBackwards(true);
            if (bIsEventAllowed(project, kiEventForwards))
                vEnableRenderForwards(true);
            if (bIsEventAllowed(project, kiEventTrack)) {
                for (QWidget* widget : std::initializer_list<QWidget*> {
                         ui.rbtnLargeMotion, ui.rbtnSmallMotion, ui.rbtnManualTrack, ui.btnImportTrackingData})
                    widget->setEnabled(true);
                const float frame = float(uiGetFrameNumber(project));
                CW_LayerParameterSet* layer = pGetLayerParameters(project, iGetCurrentSelectionID(project));
                Murn::NumericParameter<bool>* tracked = layer ? layer->pGetTrackedFlag() : nullptr;
                ui.btnExportTrackingData->setEnabled(tracked && tracked->valueAt(frame));
                ui.btnExportShapeData->setEnabled(true);
                ui.rbtnAutoChannel->setEnabled(true);
                ui.rbtnTrackLuminance->setEnabled(true);
                ui.btnSmoothSelectedFrames->setEnabled(bIsEventAllowed(project, kiEventSmooth));
                if (ui.rbtnLargeMotion->isChecked()) {
                    ui.iedtMaxRotationAngle->setEnabled(true);
                    ui.iedtMaxZoomPercentage->setEnabled(true);
                    ui.iedtMaxHorizontalMotion->setEnabled(!ui.chkbxMaxMotionHorizontalAuto->isChecked());
                    ui.iedtMaxVerticalMotion->setEnabled(!ui.chkbxMaxMotionVerticalAuto->isChecked());
                    ui.chkbxMaxMotionHorizontalAuto->setEnabled(true);
                    ui.chkbxMaxMotionVerticalAuto->setEnabled(true);
                }
                ui.dedtSmoothingLevel->setEnabled(true);
                ui.iedtMinTrackingPoints->setEnabled(true);
                if (!parameters)
                    return;
                ui.iccboxInputClip->setEnabled(true);
            }
            ui.chkbxTrackIndividualFields->setEnabled(bTpInterlaced(pcstctGetBaseClipInfo(project, 1)));
            ui.iedtFrameJump->setEnabled(true);
            break;
        }
        case 3:
            if (g_pMainWindow) {
                g_pMainWindow->actStopRendering->setEnabled(true);
                if (btnStopRendering)
                    btnStopRendering->show();
            }
            break;
        case 4:
            break;
        default:
            // The edits must not write into the parameters of a project that is gone.
            vReleaseUpdaters();
            ui.chkbxTrackIndividualFields->setChecked(false);
            ui.iedtFrameJump->setEnabled(false);
            for (QLineEdit* edit : std::initializer_list<QLineEdit*> {ui.iedtMaxHorizontalMotion,
                     ui.iedtMaxVerticalMotion, ui.dedtSmoothingLevel, ui.iedtMinTrackingPoints,
                     ui.iedtMaxRotationAngle, ui.iedtMaxZoomPercentage})
                edit->clear();
            for (QAbstractButton* box : std::initializer_list<QAbstractButton*> {ui.chkbxMaxMotionHorizontalAuto,
                     ui.chkbxMaxMotionVerticalAuto, ui.chkbxMotionModelTranslation, ui.chkbxMotionModelScale,
                     ui.chkbxMotionModelRotation, ui.chkbxMotionModelShear, ui.chkbxMotionModelPerspective})
                box->setChecked(true);
            break;
        }
    });
}

void frmTrackPage::vReleaseUpdaters()
{
    for (std::shared_ptr<MurnUpdater>* updater : {&m_pHorizontalUpdater, &m_pVerticalUpdater, &m_pSmoothingUpdater,
             &m_pMinPointsUpdater, &m_pRotationUpdater, &m_pZoomUpdater})
        updater->reset();
}

void frmTrackPage::vBindParameters(CW_Instance project, int layer)
{
    CW_TrackingParameterSet* p = layer != 0 ? pGetTrackingParameters(project, layer) : nullptr;
    auto bind = [p](Murn::CWKParameterWidgetCommon* widget, Murn::ParameterWithoutType* parameter) {
        widget->vSetParameter(p ? parameter : nullptr);
    };
    bind(ui.iedtMaxHorizontalMotion, p ? p->pHorizontalSearchSize : nullptr);
    bind(ui.iedtMaxVerticalMotion, p ? p->pVerticalSearchSize : nullptr);
    bind(ui.chkbxMaxMotionHorizontalAuto, p ? p->pAutoHorizontalSearch : nullptr);
    bind(ui.chkbxMaxMotionVerticalAuto, p ? p->pAutoVerticalSearch : nullptr);
    bind(ui.iedtMaxRotationAngle, p ? p->pMaxRotation : nullptr);
    bind(ui.iedtMaxZoomPercentage, p ? p->pMaxZoom : nullptr);
    bind(ui.iccboxInputClip, p ? p->pInputClip : nullptr);
    bind(ui.iedtMinTrackingPoints, p ? p->pMinTrackingPoints : nullptr);
    for (Murn::CWKParameterWidgetCommon* widget : std::initializer_list<Murn::CWKParameterWidgetCommon*> {
             ui.groupColourChannel, ui.rbtnAutoChannel, ui.rbtnTrackLuminance})
        bind(widget, p ? p->pAutoChannel : nullptr);
    for (Murn::CWKParameterWidgetCommon* widget :
        std::initializer_list<Murn::CWKParameterWidgetCommon*> {ui.groupMotionModel, ui.chkbxMotionModelTranslation,
            ui.chkbxMotionModelScale, ui.chkbxMotionModelRotation, ui.chkbxMotionModelShear,
            ui.chkbxMotionModelPerspective})
        bind(widget, p ? p->pMotionModel : nullptr);
    for (Murn::CWKParameterWidgetCommon* widget : std::initializer_list<Murn::CWKParameterWidgetCommon*> {
             ui.groupMotionSize, ui.rbtnSmallMotion, ui.rbtnLargeMotion})
        bind(widget, p ? p->pLargeMotion : nullptr);
    bind(ui.rbtnManualTrack, p ? p->pManualTrack : nullptr);
}

void frmTrackPage::sltUnbindParameters()
{
    CW_AutoLock(&g_mtxEngine, "sltSetWidgetState");
    CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    if (!pGetParameters(project))
        return;
    vBindParameters(project, 0);
}

void frmTrackPage::sltRestoreParameters(CW_Instance project)
{
    if (!bIsValidInstance(project))
        return;
    const int layer = iGetCurrentSelectionID(project);
    vBindParameters(project, layer);
    CW_TrackingParameterSet* p = pGetTrackingParameters(project, layer);
    if (!p)
        return;
    const float f = float(uiGetFrameNumber(project));

    ui.chkbxTrackIndividualFields->setChecked(bGetTrackIndividualFields(project));
    ui.iedtFrameJump->setText(QString::number(getTrackFrameJump(project)));

    if (p->pManualTrack->valueAt(f))
        ui.rbtnManualTrack->setChecked(true);
    else if (p->pLargeMotion->valueAt(f))
        ui.rbtnLargeMotion->setChecked(true);
    else
        ui.rbtnSmallMotion->setChecked(true);

    ui.iedtMaxHorizontalMotion->setText(QString::number(p->pHorizontalSearchSize->valueAt(f)));
    ui.iedtMaxVerticalMotion->setText(QString::number(p->pVerticalSearchSize->valueAt(f)));
    ui.iedtMaxRotationAngle->setText(QString::number(p->pMaxRotation->valueAt(f), 'g', 6));
    ui.iedtMaxZoomPercentage->setText(QString::number(p->pMaxZoom->valueAt(f), 'g', 6));
    ui.dedtSmoothingLevel->setText(QString::number(p->pSmoothingLevel->valueAt(f), 'g', 6));
    ui.iedtMinTrackingPoints->setText(QString::number(int(p->pMinTrackingPoints->valueAt(f))));
    ui.chkbxMaxMotionHorizontalAuto->setChecked(p->pAutoHorizontalSearch->valueAt(f));
    ui.chkbxMaxMotionVerticalAuto->setChecked(p->pAutoVerticalSearch->valueAt(f));

    m_bRestoring = true;
    // The boxes show the model as nested sets; any other value shows all five.
    const int model = p->pMotionModel->valueAt(f);
    const bool scale = model != CW_MOTION_TRANSLATION;
    const bool rotation = scale && model != CW_MOTION_TRANSLATION_SCALE;
    const bool shear = rotation && model != CW_MOTION_TRANSLATION_SCALE_ROTATION;
    ui.chkbxMotionModelTranslation->setChecked(true);
    ui.chkbxMotionModelScale->setChecked(scale);
    ui.chkbxMotionModelRotation->setChecked(rotation);
    ui.chkbxMotionModelShear->setChecked(shear);
    ui.chkbxMotionModelPerspective->setChecked(shear && model != CW_MOTION_AFFINE);
    m_bRestoring = false;

    if (p->pAutoChannel->valueAt(f))
        ui.rbtnAutoChannel->setChecked(true);
    else
        ui.rbtnTrackLuminance->setChecked(true);

    const unsigned int clip = p->pInputClip->valueAt(f);
    if (!bIsClipRegistered(project, clip))
        p->pInputClip->setValueAt(1u, f);
    ui.iccboxInputClip->vConfigure(0, false, false, false, false, false, false, 3);
    ui.iccboxInputClip->vSetCurrentClipID(int(p->pInputClip->valueAt(f)));
}

void frmTrackPage::sltStoreParameters()
{
}

void frmTrackPage::sltStoreGlobalParameters()
{
}

void frmTrackPage::sltResetParameters()
{
}

void frmTrackPage::sltReRenderCurrentFrame()
{
}

void frmTrackPage::sltZoomWindowsActive(CW_Instance, bool& first, bool& second, bool& third)
{
    first = m_abZoomWindows[0];
    second = m_abZoomWindows[1];
    third = m_abZoomWindows[2];
}

// ---- Keys.

bool frmTrackPage::bConsultKeyMap(Qt::KeyboardModifiers modifiers) const
{
    return !(modifiers & (Qt::ControlModifier | Qt::AltModifier));
}

void frmTrackPage::keyPressEvent(QKeyEvent* e)
{
    bCallReported(this, [&] {
        if (bClickMappedKey(e))
            return;
        if (e->key() == Qt::Key_F2) {
            CW_AutoLock(&g_mtxEngine, "keyPressEvent");
            vShowFirstClipPlain();
            e->accept();
        }
    });
}

// ---- Runs.

frmTrackPage::RunInputs frmTrackPage::stctPrepareRun(CW_Instance project)
{
    RunInputs in;
    in.uiFrame = uiGetFrameNumber(project);
    if (CW_TrackingParameterSet* parameters = pGetParameters(project))
        pGetViewOptionsManager()->setClipToDisplay(parameters->pInputClip->valueAt(float(in.uiFrame)), true);
    vSetHideOverlays(project, false);
    const CW_BaseClipInfo* clip = pcstctGetBaseClipInfo(project, 1);
    in.uiClipFrames = clip ? clip->uiCount : 0u;
    in.bInterlaced = bTpInterlaced(clip);
    in.bIndividualFields = bGetTrackIndividualFields(project);
    in.uiFrameJump = getTrackFrameJump(project);
    if (g_pMainWindow && g_pMainWindow->sldrFrameNumber) {
        in.iInPoint = g_pMainWindow->sldrFrameNumber->primaryStart();
        in.iOutPoint = g_pMainWindow->sldrFrameNumber->primaryEnd();
    }
    return in;
}

void frmTrackPage::vStartTrackRun(
    const char* tag, RunPlan (*planner)(const RunInputs&), CW_BOOL (*step)(CW_Instance), int frameEvent, bool wholeRun)
{
    bCallReported(this, [&] {
        CW_AutoLock(&g_mtxEngine, tag);
        CW_Instance project = ProjectManagerInstance::instance()->getInstance();
        if (!bIsValidInstance(project))
            return;
        const RunPlan plan = planner(stctPrepareRun(project));
        if (!wholeRun && !plan.bStart)
            return;
        // A run through the range makes room in the caches first; a single step ends with
        // its own frame-step event.
        if (wholeRun) {
            bClearOutMemoryBuffersAroundCurrentFrame(project);
            bSetCacheStrategyRecycle(project, true);
        }
        bUpdateLayerFrameToCurrentFrame(project);
        sltStoreParameters();
        if (wholeRun)
            vBRD_GLResizeCacheSlots(5);
        bExecuteThreaded(true, true, step, frameEvent, nullptr, wholeRun ? nullptr : new CWKCustomEvent(frameEvent, 0),
            plan.uiFrames, nullptr, nullptr, false, true, plan.uiStep, true);
    });
}

void frmTrackPage::btnRenderForwards_clicked()
{
    vStartTrackRun("btnRenderForwards_clicked", &stctPlanForwards, &bTrackSelectionToNextFrame, 2001, true);
}

void frmTrackPage::btnRenderBackwards_clicked()
{
    vStartTrackRun("btnRenderBackwards_clicked", &stctPlanBackwards, &bTrackSelectionToPreviousFrame, 2002, true);
}

void frmTrackPage::btnRenderNext_clicked()
{
    vStartTrackRun("btnRenderNext_clicked", &stctPlanNext, &bTrackSelectionToNextFrame, 2001, false);
}

void frmTrackPage::btnRenderPrevious_clicked()
{
    vStartTrackRun("btnRenderPrevious_clicked", &stctPlanPrevious, &bTrackSelectionToPreviousFrame, 2002, false);
}

void frmTrackPage::btnSmoothSelectedFrames_clicked()
{
    bCallReported(this, [&] {
        CW_AutoLock(&g_mtxEngine, "btnSmoothSelectedFrames_clicked");
        CW_Instance project = ProjectManagerInstance::instance()->getInstance();
        if (!bIsValidInstance(project))
            return;
        bSmoothOverSelectedFrames(project);
        if (g_pMainWindow)
            g_pMainWindow->sltUpdateGL();
    });
}

// ---- Viewer input and overlay.

void frmTrackPage::mousePress(
    float x, float y, CW_INPUTDEVICEFLAGS flags, bool& redraw, bool& showMenu, bool* menuItems)
{
    bCallReported(this, [&] {
        CW_AutoLock(&g_mtxEngine, "mousePress");
        CW_Instance project = ProjectManagerInstance::instance()->getInstance();
        if (!bIsValidInstance(project))
            return;
        ViewOptionsManager* view = pGetViewOptionsManager();
        const bool manual = bManualTrackAtCurrentFrame(project);
        bool changed = false;
        vButtonDown(project, flags, changed, menuItems, KeyframeManager::instance()->bGetAutokey(), x, y,
            view->bShowLayers(), view->bShowAllLayers(), view->bShowTangents(), view->bShowAllTangents(),
            view->bShowLayerExtras(), view->bShowSurface(), manual, false, false, false, false, 0u, false, false, 0,
            false, false, false, false, false);
        redraw = changed;
        if (menuItems)
            showMenu = std::any_of(menuItems, menuItems + 27, [](bool item) { return item; });
    });
}

void frmTrackPage::mouseMove(float x, float y, CW_INPUTDEVICEFLAGS flags, bool& redraw, CW_CURSOR& cursor)
{
    bCallReported(this, [&] {
        CW_AutoLock(&g_mtxEngine, "mouseMove");
        CW_Instance project = ProjectManagerInstance::instance()->getInstance();
        lastPointerX = x;
        lastPointerY = y;
        redraw = true;
        if (!bIsValidInstance(project))
            return;
        ViewOptionsManager* view = pGetViewOptionsManager();
        const bool manual = bManualTrackAtCurrentFrame(project);
        cursor = eMove(project, flags, KeyframeManager::instance()->bGetAutokey(), x, y, view->bShowLayers(),
            view->bShowAllLayers(), view->bShowTangents(), view->bShowAllTangents(), view->bShowLayerExtras(),
            view->bShowSurface(), manual, false, false, false, false, 0u, false, false, 0, false, false, false, false,
            false);
    });
}

void frmTrackPage::mouseRelease(float x, float y, CW_INPUTDEVICEFLAGS flags, bool&)
{
    bCallReported(this, [&] {
        CW_AutoLock(&g_mtxEngine, "mouseRelease");
        CW_Instance project = ProjectManagerInstance::instance()->getInstance();
        if (!bIsValidInstance(project))
            return;
        ViewOptionsManager* view = pGetViewOptionsManager();
        const bool manual = bManualTrackAtCurrentFrame(project);
        const CW_TOOL tool = g_pMainWindow ? CW_TOOL(g_pMainWindow->eGetCurrentTool()) : eGetCurrentToolType(project);
        const int toolState = g_pMainWindow ? g_pMainWindow->iGetToolState() : 2147483647;
        vButtonUp(project, flags, KeyframeManager::instance()->bGetAutokey(), x, y, tool, toolState,
            view->bShowLayers(), view->bShowAllLayers(), view->bShowTangents(), view->bShowAllTangents(),
            view->bShowLayerExtras(), view->bShowSurface(), manual, false, false, false, false, 0u, false, false, 0,
            false, false, false, false, false);
    });
}

void frmTrackPage::sltRenderOverlay(bool)
{
    bCallReported(this, [&] {
        CW_AutoLock(&g_mtxEngine, "sltRenderOverlay");
        CW_Instance project = ProjectManagerInstance::instance()->getInstance();
        if (!bIsValidInstance(project))
            return;
        ViewOptionsManager* view = pGetViewOptionsManager();
        const unsigned int frame = uiGetFrameNumber(project);
        CW_TrackingParameterSet* parameters = pGetParameters(project);
        const bool trackAllowed = bIsEventAllowed(project, kiEventTrack);
        const bool manual = trackAllowed && parameters && parameters->pManualTrack->valueAt(float(frame));

        int corner = -1;
        int offset = -1;
        getCurrentReferencePoint(project, corner, offset);
        if (corner >= 0 && offset >= 0) {
            const int master = getCurrentReferencePointFrame(project);
            const int active = getActiveReferencePoint(project, corner, frame);
            if (master != int(frame) && active >= 0 && active != offset)
                setCurrentReferencePoint(project, corner, active, -1);
        }

        float toolX = 0.0f;
        float toolY = 0.0f;
        const bool hasTool = bGetToolPosition(project, toolX, toolY);
        const unsigned int reference = uiGetCurrentSelectionFrameNumber(project);
        const bool separateReference = reference != unsigned(-1) && reference != frame;

        std::string error;
        if (!separateReference) {
            // The engine cannot draw the warped frame yet, so it is only asked for when the
            // viewer option is on.
            if (view->showWarpedOverlay) {
                vSetWarpedFrameDisplay(project, true);
                vTpShowDrawError(project, bRenderWarpedOverlayImage(project, false, false, true, error), error);
            } else {
                vSetWarpedFrameDisplay(project, false);
            }
        } else {
            vSetWarpedFrameDisplay(project, false);
            vTpShowDrawError(project, bRenderOverlayFrame(project, 1, reference, nullptr, nullptr, error), error);
        }

        float red = 0.0f;
        float green = 0.0f;
        float blue = 0.0f;
        if (g_pMainWindow)
            g_pMainWindow->getViewerBackgroundColour(red, green, blue);
        const CW_Color background {red, green, blue};
        const int trace = view->showTrace ? frmViewerPreferences::iGetViewerTrace() : 0;
        error.clear();
        vTpShowDrawError(project,
            bRenderSelections(project, CW_MODULE_TRACK, false, view->colourise, view->colouriseOpacity, background,
                error, hasTool, toolX, toolY, 0.0f, view->bShowLayers(), view->bShowAllLayers(),
                view->showOverlays && view->showLayers && view->showSplines, view->bShowTangents(),
                view->bShowAllTangents(), view->bShowLayerExtras(), false, view->bShowSurface(), false, false, false,
                view->bShowGrid(), frmViewerPreferences::iGetViewerGridX(), frmViewerPreferences::iGetViewerGridY(),
                false, false, false, true, true, unsigned(-1), false, trace, manual, false, false, false, false),
            error);

        // Windows not drawn this time are not reported as shown.
        std::fill(std::begin(m_abZoomWindows), std::end(m_abZoomWindows), false);
        if (bGetHideOverlays(project) || !trackAllowed || !bCurrentLayerVisible(project) || !parameters)
            return;
        const CW_CLIP_ID shown = eGetClipIDToDisplay(project);
        const CW_CLIP_ID input = parameters->pInputClip->valueAt(float(frame));
        if (eGetBaseClipID(project, input) != eGetBaseClipID(project, shown))
            return;
        if (view->showZoomWindows && hasTool)
            vDrawZoomWindows(project, separateReference, reference, hasTool, toolX, toolY);
    });
}

void frmTrackPage::vDrawZoomWindows(
    CW_Instance project, bool separateReference, unsigned int reference, bool, float toolX, float toolY)
{
    const CW_CLIP_ID shown = eGetClipIDToDisplay(project);
    const unsigned int frame = uiGetFrameNumber(project);
    std::string error;
    auto draw = [&](int window, unsigned int at, float x, float y, const QString& caption, bool atMouse) {
        error.clear();
        const CW_BOOL drawn = bRenderMousePosition(project, window, shown, true, 0, false, at, x, y,
            !caption.isEmpty(), caption.toStdString(), 0, 0, atMouse, lastPointerX, lastPointerY, error);
        vTpShowDrawError(project, drawn, error);
        if (drawn)
            m_abZoomWindows[window] = true;
    };

    if (separateReference) {
        const CW_BaseClipInfo* clip = pcstctGetBaseClipInfo(project, 1);
        const QString kind = bTpInterlaced(clip) ? QStringLiteral("Field ") : QStringLiteral("Frame ");
        draw(0, reference, toolX, toolY, kind + stctGetFrameTextRule(project).qstrGetText(int(reference)), false);
        float x = toolX;
        float y = toolY;
        if (bGetCorrespondingToolPosition(project, frame, x, y, 0))
            draw(1, frame, x, y, QStringLiteral("Current Frame"), false);
        return;
    }
    // A selected point's windows belong to the keyframe labels.
    if (bGetControlPointSelected(project))
        return;
    int previous = -1;
    int next = -1;
    getInternalPreviousAndNextKeyframes(project, CW_MODULE_TRACK, previous, next);
    float previousX = toolX;
    float previousY = toolY;
    float nextX = toolX;
    float nextY = toolY;
    if (previous >= 0 && !bGetCorrespondingToolPosition(project, unsigned(previous), previousX, previousY, 0))
        previous = -1;
    if (next >= 0 && !bGetCorrespondingToolPosition(project, unsigned(next), nextX, nextY, 0))
        next = -1;
    if (previous < 0 && next < 0) {
        draw(0, frame, toolX, toolY, QString(), true);
    } else if (previous < 0) {
        draw(0, frame, toolX, toolY, QStringLiteral("Current Frame"), false);
        draw(1, unsigned(next), nextX, nextY, QString(), false);
    } else {
        draw(0, unsigned(previous), previousX, previousY, QStringLiteral("Prev. Keyframe"), false);
        draw(1, frame, toolX, toolY, QString(), false);
        if (next >= 0)
            draw(2, unsigned(next), nextX, nextY, QStringLiteral("Next Keyframe"), false);
    }
}

// ---- Parameter edits, import and export: not yet.

void frmTrackPage::iccboxInputClip_activated(int)
{
}

void frmTrackPage::chkbxTrackIndividualFields_clicked()
{
}

void frmTrackPage::iedtFrameJump_changed()
{
}

void frmTrackPage::rbtnLargeMotion_clicked()
{
}

void frmTrackPage::rbtnSmallMotion_clicked()
{
}

void frmTrackPage::rbtnManualTrack_clicked()
{
}

void frmTrackPage::rbtnAutoChannel_clicked()
{
}

void frmTrackPage::rbtnTrackLuminance_clicked()
{
}

void frmTrackPage::chkbxMaxMotionHorizontalAuto_clicked()
{
}

void frmTrackPage::chkbxMaxMotionVerticalAuto_clicked()
{
}

void frmTrackPage::chkbxMotionModelTranslation_clicked()
{
}

void frmTrackPage::chkbxMotionModelScale_clicked()
{
}

void frmTrackPage::chkbxMotionModelRotation_clicked()
{
}

void frmTrackPage::chkbxMotionModelShear_clicked()
{
}

void frmTrackPage::chkbxMotionModelPerspective_clicked()
{
}

void frmTrackPage::btnImportTrackingData_clicked()
{
}

void frmTrackPage::btnExportTrackingData_clicked()
{
}

void frmTrackPage::btnExportShapeData_clicked()
{
}

void frmTrackPage::btnNewTraceGroup_clicked()
{
}

void frmTrackPage::btnDeleteTraceGroup_clicked()
{
}
