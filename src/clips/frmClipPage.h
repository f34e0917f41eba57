// The Clip page: the project's clips and their settings.
#pragma once

#include "ui_frmClipPage.h"
#include "widgets/CWKControlForm.h"
#include <memory>

class frmViewerPreferences;

class frmClipPage : public CWKControlForm {
    Q_OBJECT
public:
    explicit frmClipPage(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    CW_MODULE eGetModule() const override;
    // The viewer-preferences dialog the page opens; the main window owns it.
    void vConnectViewerPreferences(const std::shared_ptr<frmViewerPreferences>& dialog);

public slots:
    void vInitialize() override;
    void sltSetWidgetsState(CWKGUI_STATE state) override;
    void sltRestoreParameters(CW_Instance project) override;
    void mousePress(
        float x, float y, CW_INPUTDEVICEFLAGS flags, bool& redraw, bool& showMenu, bool* menuItems) override;
    void mouseMove(float x, float y, CW_INPUTDEVICEFLAGS flags, bool& redraw, CW_CURSOR& cursor) override;
    void mouseRelease(float x, float y, CW_INPUTDEVICEFLAGS flags, bool& redraw) override;
    void keyPressEvent(QKeyEvent* e) override;
    void sltZoomWindowsActive(CW_Instance project, bool& first, bool& second, bool& third) override;

private:
    Ui::frmClipPage ui;
    // The main window owns the dialog; the page only borrows it while it lives.
    std::weak_ptr<frmViewerPreferences> m_pViewerPreferences;
};
