// The System page (module 0): the file cache as the user settings describe it. It does no
// engine work of its own; viewer input goes to the engine's general tool handling.
#pragma once

#include "ui_frmSystemPage.h"
#include "widgets/CWKControlForm.h"

class frmSystemPage : public CWKControlForm, public Ui::frmSystemPage {
    Q_OBJECT
public:
    explicit frmSystemPage(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

public slots:
    void vInitialize() override;
    void sltSetWidgetsState(CWKGUI_STATE eState) override;
    void sltStoreParameters() override;
    void sltStoreGlobalParameters() override;
    void sltRestoreParameters(CW_Instance pInstance) override;
    void mousePress(float fImageX, float fImageY, CW_INPUTDEVICEFLAGS eFlags, bool& bRerender, bool& popupMenu,
                    bool* activeMenuItem) override;
    void mouseRelease(float fImageX, float fImageY, CW_INPUTDEVICEFLAGS eFlags, bool& bRerender) override;
    void mouseMove(float fImageX, float fImageY, CW_INPUTDEVICEFLAGS eFlags, bool& bRerender,
                   CW_CURSOR& eCursor) override;
    void keyPressEvent(QKeyEvent* e) override;
    CW_MODULE eGetModule() const override;
    void sltAddKeyframe() override;
    void sltDeleteKeyframe() override;
    void sltZoomWindowsActive(CW_Instance pInstance, bool& bWindow1, bool& bWindow2, bool& bWindow3) override;
    void sltDeleteAllKeyframes() override;
    void sltResetParameters() override;
    bool bSupportsMesh() override;
    bool bSupportsPreview() override;
    bool bSupportsTrace() override;
    bool bSupportsLayerDisplay() override;
    bool bWillHandleTransformationTools() override;
    bool showInternalKeyframes() override;
    bool bSupportsKeyframeableParameters() override;
    bool bUseRenderCurrentFrame() override;
};
