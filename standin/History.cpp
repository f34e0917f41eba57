// The project's undo history and its playback range.
#include "ProjectModel.h"
#include "Vosk.h"
#include "testing.h"
#include "velmor.h"

#include <algorithm>

namespace {

template <class Fn> auto hsWithProject(CW_Instance project, const char* operation, Fn fn)
{
    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    if (!registry.bIsLive(project))
        throw CW_Exception("There is no open project.", std::string(operation) + ": invalid handle");
    return fn(*project);
}

unsigned int uiHsLastFrame(const CW_ProjectRecord& record)
{
    auto it = record.mapClips.find(1);
    return it == record.mapClips.end() || it->second.uiCount == 0 ? 0 : it->second.uiCount - 1;
}

// Moves one step from one list to the other, undoing or redoing it; the frame it was made
// at becomes current again so the user sees what changed.
CW_BOOL bHsStep(CW_Instance project, const char* operation, bool undo, bool& reRender)
{
    reRender = false;
    return hsWithProject(project, operation, [&](CW_ProjectRecord& r) -> CW_BOOL {
        std::vector<standin::HistoryStep>& from = undo ? r.vecUndo : r.vecRedo;
        std::vector<standin::HistoryStep>& to = undo ? r.vecRedo : r.vecUndo;
        if (from.empty())
            return false;
        if (standin::bPlantedFault(operation, r.uiCurrentFrame))
            return false;
        standin::HistoryStep step = from.back();
        from.pop_back();
        ++r.iReplayingHistory;
        try {
            if (undo)
                step.pCommand->undo_it();
            else
                step.pCommand->do_it(nullptr);
        } catch (...) {
            --r.iReplayingHistory;
            throw;
        }
        --r.iReplayingHistory;
        to.push_back(step);
        if (step.uiFrame <= uiHsLastFrame(r))
            r.uiCurrentFrame = step.uiFrame;
        reRender = true;
        return true;
    });
}

} // namespace

namespace standin {

void vPushUndoStep(CW_ProjectRecord& record, HistoryStep step)
{
    step.uiSerial = record.uiNextStepSerial++;
    record.vecUndo.push_back(std::move(step));
    record.vecRedo.clear();
    vTrimUndoHistory(record);
}

std::uint64_t uiHistoryPosition(const CW_ProjectRecord& record)
{
    // Undoing past the trimmed steps is impossible, so the oldest kept state is theirs.
    return record.vecUndo.empty() ? record.uiTrimmedSerial : record.vecUndo.back().uiSerial;
}

bool bProjectRecordChanged(const CW_ProjectRecord& record)
{
    return record.bChanged || record.bChangedBeforeWrite || uiHistoryPosition(record) != record.uiSavedSerial;
}

void vMarkProjectRecordUnchanged(CW_ProjectRecord& record)
{
    record.bChanged = false;
    record.bChangedBeforeWrite = false;
    record.uiSavedSerial = uiHistoryPosition(record);
}

} // namespace standin

CW_BOOL bMakeParameterChange(
    CW_Instance project, Vosk::CompositeCommand& command, Vosk::CompositeCommand* macro, float time, bool undoable)
{
    return hsWithProject(project, "bMakeParameterChange", [&](CW_ProjectRecord& r) -> CW_BOOL {
        if (standin::bPlantedFault("bMakeParameterChange", r.uiCurrentFrame))
            return false;
        command.do_it(nullptr);
        // A change kept in the history is told by the history position; any other marks the
        // project changed until the next write.
        if (macro || !undoable || command.bIsEmpty()) {
            r.bChanged = true;
            if (macro)
                macro->vAppend(command);
            return true;
        }
        const unsigned int frame = time >= 0.0f ? r.uiCurrentFrame : 0;
        standin::vPushUndoStep(r, {std::make_shared<Vosk::CompositeCommand>(command), frame, std::string()});
        return true;
    });
}

CW_BOOL bUndo(CW_Instance project, bool& reRender)
{
    return bHsStep(project, "bUndo", true, reRender);
}

CW_BOOL bRedo(CW_Instance project, bool& reRender)
{
    return bHsStep(project, "bRedo", false, reRender);
}

CW_BOOL bCanUndo(CW_Instance project)
{
    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    return registry.bIsLive(project) && !project->vecUndo.empty();
}

CW_BOOL ignoreParameterChangeNotifications(CW_Instance project)
{
    // The registry lock is re-entrant: a notice during the replay asks on the replaying thread.
    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    return registry.bIsLive(project) && project->iReplayingHistory > 0;
}

CW_BOOL bCanRedo(CW_Instance project)
{
    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    return registry.bIsLive(project) && !project->vecRedo.empty();
}

CW_BOOL bUndoRenderSurfaceCurrentFrame(CW_Instance project, bool)
{
    // The stand-in renders no surfaces, so there is never one to undo.
    return hsWithProject(project, "bUndoRenderSurfaceCurrentFrame", [](CW_ProjectRecord&) -> CW_BOOL { return false; });
}

unsigned int uiGetPlaybackInPoint(CW_Instance project)
{
    return hsWithProject(project, "uiGetPlaybackInPoint",
        [](CW_ProjectRecord& r) { return std::min(r.uiPlaybackIn, uiHsLastFrame(r)); });
}

unsigned int uiGetPlaybackOutPoint(CW_Instance project)
{
    return hsWithProject(project, "uiGetPlaybackOutPoint", [](CW_ProjectRecord& r) {
        return std::max(std::min(r.uiPlaybackOut, uiHsLastFrame(r)), std::min(r.uiPlaybackIn, uiHsLastFrame(r)));
    });
}

void vSetPlaybackInPoint(CW_Instance project, unsigned int frame)
{
    hsWithProject(project, "vSetPlaybackInPoint", [frame](CW_ProjectRecord& r) {
        r.uiPlaybackIn = std::min(frame, uiHsLastFrame(r));
        r.bChanged = true;
    });
}

void vSetPlaybackOutPoint(CW_Instance project, unsigned int frame)
{
    hsWithProject(project, "vSetPlaybackOutPoint", [frame](CW_ProjectRecord& r) {
        r.uiPlaybackOut = std::min(frame, uiHsLastFrame(r));
        r.bChanged = true;
    });
}

void vSetClipIDToPrioritizeInCache(CW_Instance project, CW_CLIP_ID clip)
{
    hsWithProject(project, "vSetClipIDToPrioritizeInCache", [clip](CW_ProjectRecord& r) { r.eCachePriorityClip = clip; });
}

CW_BOOL bSetCacheStrategyRecycle(CW_Instance project, bool recycle)
{
    return hsWithProject(project, "bSetCacheStrategyRecycle", [recycle](CW_ProjectRecord& r) -> CW_BOOL {
        r.bCacheRecycle = recycle;
        return true;
    });
}

namespace standin::testing {

CacheSettings stctGetCacheSettings(CW_Instance project)
{
    return hsWithProject(project, "stctGetCacheSettings", [](CW_ProjectRecord& r) {
        return CacheSettings {r.eCachePriorityClip, r.bCacheRecycle};
    });
}

} // namespace standin::testing

void vDumpCacheInfo(CW_Instance project)
{
    hsWithProject(project, "vDumpCacheInfo", [](CW_ProjectRecord& r) {
        Vosk::Logger::instance()->Log("cache: priority clip " + std::to_string(r.eCachePriorityClip) + ", recycle "
            + (r.bCacheRecycle ? "on" : "off"));
    });
}
