#include "ShellAccessors.h"

#include "ChoiceTables.h"
#include "ProgramState.h"
#include "ProjectManagerInstance.h"
#include "Vosk.h"
#include "clips/NewProjectDialog.h"
#include "mainwindow/frmMain.h"
#include "velmor.h"
#include "viewer/ViewOptionsManager.h"
#include "widgets/CWKControlForm.h"

#include <QMenu>
#include <QTabWidget>
#include <algorithm>
#include <cmath>
#include <memory>

double dGetCurrentFrame()
{
    CW_AutoLock(&g_mtxEngine, "OpenProject");
    CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    if (!bIsValidInstance(project))
        return 0.0;
    return double(uiGetFrameNumber(project));
}

void pfnWidgetPressed(void* widget)
{
    // A press gives the keyframe focus even where the widget takes no keyboard focus.
    if (g_pMainWindow && widget)
        g_pMainWindow->onFocusedWidgetChanged(nullptr, static_cast<QWidget*>(widget));
}

CWKControlForm* pGetCurrentControlForm()
{
    QTabWidget* tabs = g_pMainWindow ? g_pMainWindow->pGetModuleTabWidget() : nullptr;
    if (!tabs)
        return nullptr;
    auto* page = qobject_cast<CWKControlForm*>(tabs->currentWidget());
    if (!page || page->eGetModule() == CW_MODULE_CURVEEDITOR)
        return nullptr;
    return page;
}

bool bIsEventAllowed(CW_Instance project, int event)
{
    CWKControlForm* page = pGetCurrentControlForm();
    return page && bEventAllowed(project, event, page->eGetModule());
}

QString qstrGetCurrentTabText()
{
    QTabWidget* tabs = g_pMainWindow ? g_pMainWindow->pGetModuleTabWidget() : nullptr;
    return tabs ? tabs->tabText(tabs->currentIndex()) : QString();
}

ViewOptionsManager* pGetViewOptionsManager()
{
    static ViewOptionsManager* s_pManager = new ViewOptionsManager();
    return s_pManager;
}

bool bRunNewProjectDialog(CW_CLIP_ID clip, bool enableClipChoice)
{
    auto dialog = std::make_unique<NewProjectDialog>(g_pMainWindow, 1);
    dialog->vSetCurrentClipID(clip);
    if (clip != 0)
        dialog->vSetClipComboEnabled(enableClipChoice);
    return dialog->exec() == QDialog::Accepted;
}

QString qstrGetFrameDisplayString(int frame, float frameRate, bool timecode, bool interlaced, bool lowerFieldFirst,
                                  bool fieldLetter, int frameOffset)
{
    if (timecode) {
        QString text;
        Vosk::Timecode(frameRate, interlaced, lowerFieldFirst).populateTimecodeString(text, frame, fieldLetter);
        return text;
    }
    const long long n = static_cast<long long>(frame) + frameOffset;
    if (!interlaced)
        return QString::number(n);
    if (!fieldLetter)
        return QString::number(n);
    const bool even = n % 2 == 0;
    const QString letter = (even != lowerFieldFirst) ? QStringLiteral("U") : QStringLiteral("L");
    // Rounded down, also for a negative field count.
    const long long whole = n >= 0 ? n / 2 : -((-n + 1) / 2);
    return QString::number(whole) + QLatin1Char(':') + letter;
}

int iTimecodeToFrame(const int parts[4], float frameRate)
{
    return iRoundAbs(frameRate) * (parts[1] + 60 * parts[2] + 3600 * parts[3]) + parts[0];
}

int iRoundAbs(float value)
{
    return int(std::lround(std::fabs(value)));
}

float fGetFitZoomFactor(const CW_BaseClipInfo& clipInfo, int viewWidth, int viewHeight, int clipWidth, int clipHeight,
                        bool excludeBorders)
{
    double height = clipHeight;
    if (clipInfo.iFieldMode == CW_UPPER_FIELD_FIRST || clipInfo.iFieldMode == CW_LOWER_FIELD_FIRST)
        height *= 2.0;
    // The real ratio: whole numbers only would leave 1.5 at 1 and 0.9 at 0.
    const double pixelAspect = clipInfo.dPixelAspectRatio > 0.0 ? clipInfo.dPixelAspectRatio : 1.0;
    double width = clipWidth * pixelAspect;
    if (excludeBorders) {
        width -= double(clipInfo.uiBorderLeft) + double(clipInfo.uiBorderRight);
        height -= double(clipInfo.uiBorderTop) + double(clipInfo.uiBorderBottom);
    }
    // A view narrower than its margin still has one pixel to fit into.
    const double availableWidth = std::max(1, viewWidth - 10);
    const double availableHeight = std::max(1, viewHeight - 10);
    const bool useWidth = width > 0.0;
    const bool useHeight = height > 0.0;
    const float widthRatio = float(availableWidth / width);
    const float heightRatio = float(availableHeight / height);
    if (useWidth && useHeight)
        return std::min(widthRatio, heightRatio);
    if (useWidth)
        return widthRatio;
    if (useHeight)
        return heightRatio;
    return 1.0f;
}

QMenu* pCreateSelectionModeMenu(const bool show[27])
{
    static const char* const kGroupTitles[] = {"Point", "Selection", "Layer", "Spline", "Multi-Layer"};
    const ChoiceTables& tables = stctGetChoiceTables();
    std::unique_ptr<QMenu> groups[5];
    for (int group = 0; group < 5; ++group)
        groups[group] = std::make_unique<QMenu>(QString::fromLatin1(kGroupTitles[group]));

    const int count =
        std::min<int>(27, std::min(tables.qslContextMenuActions.size(), tables.qlContextMenuGroups.size()));
    for (int index = 0; index < count; ++index) {
        const int group = tables.qlContextMenuGroups.at(index);
        if (show[index] && group >= 0 && group < 5)
            groups[group]->addAction(tables.qslContextMenuActions.at(index));
    }

    auto* menu = new QMenu();
    for (auto& group : groups) {
        if (group->actions().isEmpty())
            continue;
        QMenu* subMenu = group.release();
        subMenu->setParent(menu, subMenu->windowFlags());
        menu->addMenu(subMenu);
    }
    return menu;
}
