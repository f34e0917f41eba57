// The real main window with its real pages, the Track page current, over a project made
// from a generated tracking clip.
#pragma once

#include "TrackingClips.h"

#include "app/CWKGUIThreadedProcess.h"
#include "app/ProjectManagerInstance.h"
#include "mainwindow/frmMain.h"
#include "pages/tracking/frmTrackPage.h"
#include "standin/testing.h"
#include "velmor.h"
#include "viewer/frmMainGLWidget.h"

#include <QTabWidget>
#include <QTest>

struct TrackPageWindow {
    frmMain* pWindow = nullptr;
    frmTrackPage* pPage = nullptr;
    frmMainGLWidget* pViewer = nullptr;
    CW_Instance pProject = nullptr;

    // The window shown and active, the Track tab current.
    bool bMake(int width = 1300, int height = 1000)
    {
        pWindow = new frmMain();
        pWindow->sltConfigureGUI();
        pWindow->resize(width, height);
        pWindow->show();
        if (!QTest::qWaitForWindowExposed(pWindow))
            return false;
        pWindow->activateWindow();
        if (!QTest::qWaitForWindowActive(pWindow))
            return false;
        pPage = pWindow->findChild<frmTrackPage*>();
        pViewer = pWindow->pGetGLWidget();
        vShowTab(QStringLiteral("Track"));
        return pPage && pViewer;
    }

    void vShowTab(const QString& caption)
    {
        QTabWidget* tabs = pWindow->pGetModuleTabWidget();
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->tabText(i) == caption)
                tabs->setCurrentIndex(i);
    }

    // A project from the clip's first image, current in the window and refreshed.
    CW_Instance pOpen(const QString& firstImage)
    {
        vClose();
        pProject = standin::testing::pCreateProjectFromClip(firstImage, QStringLiteral("plane"));
        ProjectManagerInstance::instance()->setInstance(pProject);
        pWindow->sltUpdateGUI(2);
        return pProject;
    }

    // The window as the runs and edits leave it: the worker done and idle again.
    bool bWaitIdle()
    {
        QDeadlineTimer deadline(120000);
        while (bIsExecutingThreaded() && !deadline.hasExpired())
            QTest::qWait(20);
        vWaitForExecutingThreadedToFinish(true);
        QCoreApplication::processEvents();
        return !bIsExecutingThreaded();
    }

    void vClose()
    {
        if (pWindow)
            bWaitIdle();
        if (pProject) {
            ProjectManagerInstance::instance()->setInstance(nullptr);
            pWindow->sltUpdateGUI(1);
            pProject = nullptr;
        }
        standin::testing::vResetFrameSteps();
        standin::testing::vReset();
        QCoreApplication::processEvents();
    }

    void vDestroy()
    {
        vClose();
        delete pWindow;
        pWindow = nullptr;
    }
};
