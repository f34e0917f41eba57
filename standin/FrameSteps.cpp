// Frames of a project: the main clip's range, the current frame and the per-frame
// operations that worker runs call, with the test controls that steer them.
#include "ProjectModel.h"
#include "testing.h"
#include "velmor.h"

#include <QMutex>
#include <functional>
#include <map>

namespace {

struct FsFault {
    unsigned int uiFrame = 0;
    standin::testing::StepFault eKind = standin::testing::StepFault::ReturnFalse;
};

QMutex g_fsMutex;
std::map<std::string, unsigned int> g_fsCallCounts;
std::map<std::string, FsFault> g_fsFaults;
std::map<std::string, std::function<void(unsigned int)>> g_fsHooks;

unsigned int uiFsCount(const char* operation)
{
    QMutexLocker lock(&g_fsMutex);
    return ++g_fsCallCounts[operation];
}

// A frame operation begins: counted, then the test's hook runs on the calling thread,
// outside every lock of the stand-in, so that it may hold a worker there.
void vFsEnter(const char* operation)
{
    const unsigned int call = uiFsCount(operation);
    std::function<void(unsigned int)> hook;
    {
        QMutexLocker lock(&g_fsMutex);
        auto it = g_fsHooks.find(operation);
        if (it != g_fsHooks.end())
            hook = it->second;
    }
    if (hook)
        hook(call);
}

// The project's record, or CW_Exception for a handle that is not open. The registry lock
// must be held by the caller.
CW_ProjectRecord& stctFsProject(CW_Instance project, const char* operation)
{
    if (!standin::ProjectRegistry::instance().bIsLive(project))
        throw CW_Exception("There is no open project.", std::string(operation) + ": invalid handle");
    return *project;
}

unsigned int uiFsFrameCount(const CW_ProjectRecord& record)
{
    auto it = record.mapClips.find(1);
    return it == record.mapClips.end() ? 0 : it->second.uiCount;
}

// A fault a test planted for this operation at this frame: false to return, or a throw.
bool bFsPlantedFault(const char* operation, unsigned int frame)
{
    FsFault fault;
    {
        QMutexLocker lock(&g_fsMutex);
        auto it = g_fsFaults.find(operation);
        if (it == g_fsFaults.end() || it->second.uiFrame != frame)
            return false;
        fault = it->second;
    }
    if (fault.eKind == standin::testing::StepFault::Throw)
        throw CW_Exception("The operation failed at frame " + std::to_string(frame) + ".",
                           std::string(operation) + ": planted fault");
    return true;
}

CW_BOOL bFsTrack(CW_Instance project, const char* operation, bool forwards)
{
    vFsEnter(operation);
    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    CW_ProjectRecord& record = stctFsProject(project, operation);
    const unsigned int frame = record.uiCurrentFrame;
    if (bFsPlantedFault(operation, frame))
        return false;
    if (forwards && frame + 1 >= uiFsFrameCount(record))
        throw CW_Exception("There is no next frame to track to.", std::string(operation) + ": last frame");
    if (!forwards && frame == 0)
        throw CW_Exception("There is no previous frame to track to.", std::string(operation) + ": first frame");
    record.vecStepLog.push_back({operation, frame});
    if (record.bTrackStepsRecordOnly)
        return true;
    return standin::bTrackCurrentLayer(record, forwards, lock);
}

} // namespace

const CW_BaseClipInfo* pcstctGetBaseClipInfo(CW_Instance project, CW_CLIP_ID clip)
{
    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    if (!registry.bIsLive(project))
        return nullptr;
    auto it = project->mapClips.find(clip);
    return it == project->mapClips.end() ? nullptr : &it->second;
}

CW_BOOL bIsClipRegistered(CW_Instance project, CW_CLIP_ID clip)
{
    return pcstctGetBaseClipInfo(project, clip) != nullptr;
}

bool standin::bPlantedFault(const char* operation, unsigned int frame)
{
    uiFsCount(operation);
    return bFsPlantedFault(operation, frame);
}

CW_BOOL bMakeFrameCurrent(CW_Instance project, unsigned int frame)
{
    vFsEnter("bMakeFrameCurrent");
    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    CW_ProjectRecord& record = stctFsProject(project, "bMakeFrameCurrent");
    if (frame >= uiFsFrameCount(record))
        return false;
    if (bFsPlantedFault("bMakeFrameCurrent", frame))
        return false;
    record.uiCurrentFrame = frame;
    record.vecStepLog.push_back({"bMakeFrameCurrent", frame});
    return true;
}

CW_BOOL bEventAllowed(CW_Instance project, int event, CW_MODULE module)
{
    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    if (!registry.bIsLive(project) || module == CW_MODULE_NONE)
        return false;
    if (project->setRefusedEvents.count({int(module), event}) != 0)
        return false;
    // The Track page's own actions need a current layer with tracking parameters.
    if (module == CW_MODULE_TRACK && (event == 58 || event == 61 || event == 62 || event == 143)) {
        const standin::LayerRecord* layer = standin::pCurrentLayer(*project);
        return layer && layer->pTracking;
    }
    return true;
}

CW_BOOL bBackupBuffers(CW_Instance project, bool, bool)
{
    vFsEnter("bBackupBuffers");
    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    CW_ProjectRecord& record = stctFsProject(project, "bBackupBuffers");
    if (bFsPlantedFault("bBackupBuffers", record.uiCurrentFrame))
        return false;
    // The stand-in keeps no image buffers yet, so there is nothing to copy.
    record.vecStepLog.push_back({"bBackupBuffers", record.uiCurrentFrame});
    return true;
}

CW_BOOL bFreeTemporaryMemoryBuffers(CW_Instance project)
{
    vFsEnter("bFreeTemporaryMemoryBuffers");
    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    CW_ProjectRecord& record = stctFsProject(project, "bFreeTemporaryMemoryBuffers");
    return !bFsPlantedFault("bFreeTemporaryMemoryBuffers", record.uiCurrentFrame);
}

CW_BOOL bTrackSelectionToNextFrame(CW_Instance project)
{
    return bFsTrack(project, "bTrackSelectionToNextFrame", true);
}

CW_BOOL bTrackSelectionToPreviousFrame(CW_Instance project)
{
    return bFsTrack(project, "bTrackSelectionToPreviousFrame", false);
}

namespace standin::testing {

void vRegisterClip(CW_Instance project, CW_CLIP_ID clip, const CW_BaseClipInfo& info)
{
    auto& registry = ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    if (registry.bIsLive(project))
        project->mapClips[clip] = info;
}

std::vector<LoggedStep> vecGetStepLog(CW_Instance project)
{
    auto& registry = ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    return registry.bIsLive(project) ? project->vecStepLog : std::vector<LoggedStep>();
}

void vSetEventAllowed(CW_Instance project, CW_MODULE module, int event, bool allowed)
{
    auto& registry = ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    if (!registry.bIsLive(project))
        return;
    if (allowed)
        project->setRefusedEvents.erase({int(module), event});
    else
        project->setRefusedEvents.insert({int(module), event});
}

void vSetStepFault(const std::string& operation, unsigned int frame, StepFault kind)
{
    QMutexLocker lock(&g_fsMutex);
    g_fsFaults[operation] = FsFault{frame, kind};
}

unsigned int uiGetCallCount(const std::string& operation)
{
    QMutexLocker lock(&g_fsMutex);
    auto it = g_fsCallCounts.find(operation);
    return it == g_fsCallCounts.end() ? 0 : it->second;
}

void vSetCallHook(const std::string& operation, std::function<void(unsigned int)> hook)
{
    QMutexLocker lock(&g_fsMutex);
    if (hook)
        g_fsHooks[operation] = std::move(hook);
    else
        g_fsHooks.erase(operation);
}

void vSetTrackStepsRecordOnly(CW_Instance project, bool recordOnly)
{
    auto& registry = ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    if (registry.bIsLive(project))
        project->bTrackStepsRecordOnly = recordOnly;
}

std::string strGetLastTrackMessage(CW_Instance project)
{
    auto& registry = ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    return registry.bIsLive(project) ? project->strLastTrackMessage : std::string();
}

void vResetFrameSteps()
{
    QMutexLocker lock(&g_fsMutex);
    g_fsCallCounts.clear();
    g_fsFaults.clear();
    g_fsHooks.clear();
}

} // namespace standin::testing
