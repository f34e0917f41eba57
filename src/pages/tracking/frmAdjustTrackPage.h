// The AdjustTrack page: reference points that correct a track.
#pragma once

#include "ui_frmAdjustTrackPage.h"
#include "widgets/CWKControlForm.h"

class frmAdjustTrackPage : public CWKControlForm {
    Q_OBJECT
public:
    explicit frmAdjustTrackPage(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    CW_MODULE eGetModule() const override;
    bool bSupportsLayerDisplay() override;
    bool bSupportsPreview() override;
    bool bSupportsTrace() override;

public slots:
    void vInitialize() override;
    void sltSetWidgetsState(CWKGUI_STATE state) override;
    void sltRestoreParameters(CW_Instance project) override;
    void mousePress(
        float x, float y, CW_INPUTDEVICEFLAGS flags, bool& redraw, bool& showMenu, bool* menuItems) override;
    void mouseMove(float x, float y, CW_INPUTDEVICEFLAGS flags, bool& redraw, CW_CURSOR& cursor) override;
    void mouseRelease(float x, float y, CW_INPUTDEVICEFLAGS flags, bool& redraw) override;
    void sltRenderOverlay(bool interactive) override;
    void keyPressEvent(QKeyEvent* e) override;
    void sltZoomWindowsActive(CW_Instance project, bool& first, bool& second, bool& third) override;

private:
    Ui::frmAdjustTrackPage ui;
    bool m_abZoomWindows[2] = {false, false};
};
