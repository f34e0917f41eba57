// What the user settings push into the engine: per-project values kept in the project
// record, and the program-wide error-detection level, file cache and video output board.
#include "ProjectModel.h"
#include "Vosk.h"
#include "brandor.h"
#include "standin/testing.h"
#include "velmor.h"
#include "velmor/project.h"

#include <QMutex>
#include <QMutexLocker>
#include <algorithm>
#include <atomic>

using namespace standin;

namespace {

QMutex g_psMutex;
bool g_bPsFullErrorDetection = false;

CW_ProjectRecord& stctPsProject(CW_Instance project, const char* operation)
{
    if (!ProjectRegistry::instance().bIsLive(project))
        throw CW_Exception("There is no open project.", std::string(operation) + ": invalid handle");
    return *project;
}

void vPsTrimHistory(CW_ProjectRecord& record)
{
    const size_t limit = std::max<size_t>(1, record.uiMaximumHistorySize);
    if (record.vecUndo.size() <= limit)
        return;
    const std::ptrdiff_t dropped = std::ptrdiff_t(record.vecUndo.size() - limit);
    record.uiTrimmedSerial = record.vecUndo[size_t(dropped - 1)].uiSerial;
    record.vecUndo.erase(record.vecUndo.begin(), record.vecUndo.begin() + dropped);
}

std::string g_strPsCacheFolder;

// No video output board exists on this machine; the flag is only remembered.
class PsVideoIO : public BRD_VideoIO {
public:
    bool bGetInstalled(int) const override { return false; }
    bool bGetEnabled() const override { return m_bEnabled; }
    void vSetEnabled(bool enabled) override { m_bEnabled = enabled; }
    void vReset() { m_bEnabled = false; }

private:
    std::atomic<bool> m_bEnabled {false};
};

PsVideoIO g_psVideoIO;
std::atomic<unsigned int> g_uiPsHardwareReleases {0};

} // namespace

void vSetDefaultFileExtension(CW_Instance project, const char* extensionUtf8)
{
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    stctPsProject(project, "vSetDefaultFileExtension").strDefaultExtension = extensionUtf8 ? extensionUtf8 : "";
}

void vSetSelectionColor(CW_Instance project, int component, CW_BOOL, const CW_Color& colour)
{
    if (component < CW_SELECTION_POINT || component > CW_SELECTION_SWITCHED_OFF_POINT)
        throw CW_Exception("There is no such overlay colour.", "vSetSelectionColor: component out of range");
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    stctPsProject(project, "vSetSelectionColor").aSelectionColours[component] = colour;
}

void vSetContourModelDefaults(CW_Instance project, double xSplineWeight, double bezierLength)
{
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    CW_ProjectRecord& record = stctPsProject(project, "vSetContourModelDefaults");
    record.dXSplineDefaultWeight = xSplineWeight;
    record.dBezierDefaultLength = bezierLength;
}

void vSetEnableFullErrorDetection(CW_CallbackStruct*, CW_BOOL comprehensive)
{
    QMutexLocker lock(&g_psMutex);
    g_bPsFullErrorDetection = comprehensive;
}

void BRD_MemoryManager::vSetCacheFolder(const char* folderUtf8)
{
    QMutexLocker lock(&g_psMutex);
    g_strPsCacheFolder = folderUtf8 ? folderUtf8 : "";
}

std::string BRD_MemoryManager::strGetCacheFolder() const
{
    QMutexLocker lock(&g_psMutex);
    return g_strPsCacheFolder;
}

BRD_VideoIO* pGetVideoIO()
{
    return &g_psVideoIO;
}

void vDestroyHardwareController()
{
    ++g_uiPsHardwareReleases;
}

namespace standin {

void vTrimUndoHistory(CW_ProjectRecord& record)
{
    vPsTrimHistory(record);
}

} // namespace standin

namespace standin::testing {

PushedSettings stctGetPushedSettings(CW_Instance project)
{
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    const CW_ProjectRecord& record = stctPsProject(project, "stctGetPushedSettings");
    PushedSettings settings;
    settings.strDefaultExtension = record.strDefaultExtension;
    for (int i = 0; i < 5; ++i)
        settings.aSelectionColours[i] = record.aSelectionColours[i];
    settings.dXSplineDefaultWeight = record.dXSplineDefaultWeight;
    settings.dBezierDefaultLength = record.dBezierDefaultLength;
    settings.uiForceAllocThreshold = record.uiForceAllocThreshold;
    settings.uiMaximumHistorySize = record.uiMaximumHistorySize;
    return settings;
}

bool bGetFullErrorDetection()
{
    QMutexLocker lock(&g_psMutex);
    return g_bPsFullErrorDetection;
}

unsigned int uiGetHardwareControllerReleases()
{
    return g_uiPsHardwareReleases;
}

void vResetProgramSettings()
{
    {
        QMutexLocker lock(&g_psMutex);
        g_bPsFullErrorDetection = false;
        g_strPsCacheFolder.clear();
    }
    g_psVideoIO.vReset();
    g_uiPsHardwareReleases = 0;
}

void vCommitUndoStep(CW_Instance project, const std::string& label)
{
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    CW_ProjectRecord& record = stctPsProject(project, "vCommitUndoStep");
    standin::vPushUndoStep(record, {std::make_shared<Vosk::CompositeCommand>(), record.uiCurrentFrame, label});
}

std::vector<std::string> vecGetUndoSteps(CW_Instance project)
{
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    const CW_ProjectRecord& record = stctPsProject(project, "vecGetUndoSteps");
    std::vector<std::string> labels;
    for (const standin::HistoryStep& step : record.vecUndo)
        labels.push_back(step.strLabel);
    return labels;
}

} // namespace standin::testing
