// The Track page: planar tracking of layers.
#pragma once

#include "ui_frmTrackPage.h"
#include "widgets/CWKControlForm.h"

#include <memory>

class MurnUpdater;
class CW_TrackingParameterSet;

class frmTrackPage : public CWKControlForm {
    Q_OBJECT
public:
    explicit frmTrackPage(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~frmTrackPage() override;

    // What a tracking run starts from, and what it hands the runner.
    struct RunInputs {
        unsigned int uiFrame = 0;
        // Frames of clip 1.
        unsigned int uiClipFrames = 0;
        // The frame slider's in and out points.
        int iInPoint = 0;
        int iOutPoint = 0;
        bool bInterlaced = false;
        bool bIndividualFields = false;
        unsigned int uiFrameJump = 1;
    };
    struct RunPlan {
        // False: nothing is handed to the runner.
        bool bStart = false;
        unsigned int uiFrames = 0;
        unsigned int uiStep = 1;
    };
    // Forwards to the out point (or the clip's end), backwards to the in point (or the
    // start), one step either way. A step never carries the frame past the range.
    static RunPlan stctPlanForwards(const RunInputs& in);
    static RunPlan stctPlanBackwards(const RunInputs& in);
    static RunPlan stctPlanNext(const RunInputs& in);
    static RunPlan stctPlanPrevious(const RunInputs& in);

    CW_MODULE eGetModule() const override;
    bool bSupportsLayerDisplay() override;
    bool bSupportsPreview() override;
    bool bSupportsTrace() override;
    bool bSupportsKeyframeableParameters() override;
    bool bUseRenderCurrentFrame() override;
    bool bSupportsMesh() override;
    bool bWillHandleTransformationTools() override;
    bool showInternalKeyframes() override;
    QString qstrGetRenderCaption() override;

    // The zoom windows the last overlay drew: previous, current, next.
    bool bZoomWindowDrawn(int window) const { return window >= 0 && window < 3 && m_abZoomWindows[window]; }

public slots:
    void vInitialize() override;
    void sltSetWidgetsState(CWKGUI_STATE state) override;
    void sltStoreParameters() override;
    void sltStoreGlobalParameters() override;
    void sltRestoreParameters(CW_Instance project) override;
    void sltResetParameters() override;
    void sltReRenderCurrentFrame() override;
    void mousePress(
        float x, float y, CW_INPUTDEVICEFLAGS flags, bool& redraw, bool& showMenu, bool* menuItems) override;
    void mouseMove(float x, float y, CW_INPUTDEVICEFLAGS flags, bool& redraw, CW_CURSOR& cursor) override;
    void mouseRelease(float x, float y, CW_INPUTDEVICEFLAGS flags, bool& redraw) override;
    void sltRenderOverlay(bool interactive) override;
    void keyPressEvent(QKeyEvent* e) override;
    void sltZoomWindowsActive(CW_Instance project, bool& first, bool& second, bool& third) override;
    // Lets go of every parameter the widgets observe.
    void sltUnbindParameters();

    // Parameter edits, import and export: filled by the pages that complete them.
    void iccboxInputClip_activated(int index);
    void chkbxTrackIndividualFields_clicked();
    void iedtFrameJump_changed();
    void rbtnLargeMotion_clicked();
    void rbtnSmallMotion_clicked();
    void rbtnManualTrack_clicked();
    void rbtnAutoChannel_clicked();
    void rbtnTrackLuminance_clicked();
    void chkbxMaxMotionHorizontalAuto_clicked();
    void chkbxMaxMotionVerticalAuto_clicked();
    void chkbxMotionModelTranslation_clicked();
    void chkbxMotionModelScale_clicked();
    void chkbxMotionModelRotation_clicked();
    void chkbxMotionModelShear_clicked();
    void chkbxMotionModelPerspective_clicked();
    void btnImportTrackingData_clicked();
    void btnExportTrackingData_clicked();
    void btnExportShapeData_clicked();
    void btnSmoothSelectedFrames_clicked();
    void btnNewTraceGroup_clicked();
    void btnDeleteTraceGroup_clicked();

protected slots:
    void btnRenderForwards_clicked() override;
    void btnRenderBackwards_clicked() override;
    void btnRenderNext_clicked() override;
    void btnRenderPrevious_clicked() override;

protected:
    bool bConsultKeyMap(Qt::KeyboardModifiers modifiers) const override;

private:
    // The current layer's tracking parameters; null without a project or layer.
    static CW_TrackingParameterSet* pGetParameters(CW_Instance project);
    // The layer's manual-track flag at the current frame, as the mouse calls take it.
    static bool bManualTrackAtCurrentFrame(CW_Instance project);
    // Binds the widgets to the layer's parameters, or unbinds them for layer 0.
    void vBindParameters(CW_Instance project, int layer);
    void vReleaseUpdaters();
    // The common start of the four runs: the input clip shown, overlays on. The run's
    // inputs as the project and the frame slider hold them.
    RunInputs stctPrepareRun(CW_Instance project);
    void vStartTrackRun(const char* tag, RunPlan (*planner)(const RunInputs&), CW_BOOL (*step)(CW_Instance),
        int frameEvent, bool wholeRun);
    void vDrawZoomWindows(CW_Instance project, bool separateReference, unsigned int referenceFrame, bool hasTool,
        float toolX, float toolY);

    Ui::frmTrackPage ui;
    // Previous, current and next zoom window drawn.
    bool m_abZoomWindows[3] = {false, false, false};
    // Set while the motion-model boxes are set from the parameters.
    bool m_bRestoring = false;
    std::shared_ptr<MurnUpdater> m_pHorizontalUpdater;
    std::shared_ptr<MurnUpdater> m_pVerticalUpdater;
    std::shared_ptr<MurnUpdater> m_pSmoothingUpdater;
    std::shared_ptr<MurnUpdater> m_pMinPointsUpdater;
    std::shared_ptr<MurnUpdater> m_pRotationUpdater;
    std::shared_ptr<MurnUpdater> m_pZoomUpdater;
};
