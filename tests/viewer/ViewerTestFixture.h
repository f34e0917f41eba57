// Shared set-up of the viewer suites: a page that records what the viewer hands it, and a
// project whose main clip is a short sequence of generated image files.
#pragma once

#include "app/ProjectManagerInstance.h"
#include "standin/testing.h"
#include "velmor.h"
#include "widgets/CWKControlForm.h"

#include <QColor>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QString>
#include <vector>

// The four quadrant colours of frame k of the generated clip: top-left, top-right,
// bottom-left, bottom-right.
inline std::vector<QColor> vecViewerTestQuadrants(int frame)
{
    if (frame == 0)
        return {QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255), QColor(255, 255, 255)};
    return {QColor(0, 255, 255), QColor(255, 0, 255), QColor(128, 128, 0), QColor(0, 0, 0)};
}

// Writes frames frame0001.png ... of width x height into the folder.
inline bool bWriteViewerTestClip(const QString& folder, int width, int height, int frames)
{
    for (int k = 0; k < frames; ++k) {
        QImage image(width, height, QImage::Format_RGB32);
        QPainter painter(&image);
        const std::vector<QColor> colours = vecViewerTestQuadrants(k);
        painter.fillRect(0, 0, width / 2, height / 2, colours[0]);
        painter.fillRect(width / 2, 0, width - width / 2, height / 2, colours[1]);
        painter.fillRect(0, height / 2, width / 2, height - height / 2, colours[2]);
        painter.fillRect(width / 2, height / 2, width - width / 2, height - height / 2, colours[3]);
        painter.end();
        if (!image.save(QDir(folder).filePath(QStringLiteral("frame%1.png").arg(k + 1, 4, 10, QLatin1Char('0')))))
            return false;
    }
    return true;
}

// A project with the generated clip as clip 1 (and, when asked, the same files as clip 2,
// derived from clip 1), made the current project.
inline CW_Instance pMakeViewerTestProject(
    const QString& folder, int width, int height, int frames, bool secondClip = false)
{
    CW_Instance project = standin::testing::pCreateProject();
    CW_BaseClipInfo base;
    base.uiWidth = unsigned(width);
    base.uiHeight = unsigned(height);
    base.uiCount = unsigned(frames);
    standin::testing::vRegisterClip(project, 1, base);
    CW_ClipInfo files;
    files.qstrFolder = folder;
    files.qstrFileName = QStringLiteral("frame");
    files.qstrThirdPart = QStringLiteral(".png");
    files.iFirstFileNumber = 1;
    files.iLastFileNumber = frames;
    files.iThirdNumber = 4;
    standin::testing::vSetClipListing(project, 1, QStringLiteral("generated"), files);
    if (secondClip) {
        standin::testing::vRegisterClip(project, 2, base);
        standin::testing::vSetClipListing(project, 2, QStringLiteral("generated copy"), files, 1);
    }
    ProjectManagerInstance::instance()->setInstance(project);
    return project;
}

struct ViewerTestInput {
    QString qstrCall;
    float fX = 0.0f;
    float fY = 0.0f;
    int iFlags = 0;
};

// A module page that records the viewer's calls and draws the layers' outlines.
class ViewerTestPage : public CWKControlForm {
public:
    CW_MODULE eGetModule() const override { return CW_MODULE_TRACK; }
    void vInitialize() override { }
    void sltSetWidgetsState(CWKGUI_STATE) override { }
    void sltRestoreParameters(CW_Instance) override { }
    void keyPressEvent(QKeyEvent* e) override { e->ignore(); }
    void sltZoomWindowsActive(CW_Instance, bool& first, bool& second, bool& third) override
    {
        first = m_abZoomWindows[0];
        second = m_abZoomWindows[1];
        third = m_abZoomWindows[2];
    }

    void mousePress(float x, float y, CW_INPUTDEVICEFLAGS flags, bool& redraw, bool& showMenu, bool* items) override
    {
        m_inputs.push_back({QStringLiteral("press"), x, y, flags});
        redraw = true;
        if (m_iMenuItem >= 0) {
            showMenu = true;
            items[m_iMenuItem] = true;
        }
    }
    void mouseMove(float x, float y, CW_INPUTDEVICEFLAGS flags, bool& redraw, CW_CURSOR& cursor) override
    {
        m_inputs.push_back({QStringLiteral("move"), x, y, flags});
        redraw = false;
        cursor = m_eCursor;
    }
    void mouseRelease(float x, float y, CW_INPUTDEVICEFLAGS flags, bool&) override
    {
        m_inputs.push_back({QStringLiteral("release"), x, y, flags});
    }
    void sltRenderOverlay(bool) override
    {
        ++m_iOverlayCount;
        std::string error;
        bRenderSelections(
            ProjectManagerInstance::instance()->getInstance(), eGetModule(), true, true, true, true, error);
    }

    std::vector<ViewerTestInput> m_inputs;
    int m_iOverlayCount = 0;
    int m_iMenuItem = -1;
    CW_CURSOR m_eCursor = 0;
    // The page's three zoom-window switches.
    bool m_abZoomWindows[3] = {false, false, false};
};
