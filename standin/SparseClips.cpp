// Sparse clips: the discrete frames of a clip and the program's unload and changed marks.
// The project file's section that keeps the frames is in ProjectFileSparse.cpp.
#include "ProjectFile.h"
#include "ProjectModel.h"
#include "ViewerFrames.h"
#include "tamsin.h"
#include "testing.h"
#include "velmor.h"

#include <QDir>
#include <QFileInfo>
#include <cstring>
#include <map>
#include <thread>

namespace {

struct ScClipMarks {
    unsigned int uiUnloads = 0;
    bool bChanged = false;
};

// Guarded by the registry's mutex. Closed projects keep their addresses, so a key never
// comes back for another project.
std::map<std::pair<CW_Instance, CW_CLIP_ID>, ScClipMarks> g_scMarks;

QMutex g_scDelayMutex;
std::map<std::string, int> g_scDelays;

CW_ProjectRecord& stctScProject(CW_Instance project, const char* operation)
{
    if (!standin::ProjectRegistry::instance().bIsLive(project))
        throw CW_Exception("There is no open project.", std::string(operation) + ": invalid handle");
    return *project;
}

void vScRequireClip(const CW_ProjectRecord& record, CW_CLIP_ID clip, const char* operation)
{
    if (!record.mapClips.count(clip) || !record.mapClipFiles.count(clip))
        throw CW_Exception("The clip is not part of the project.", std::string(operation) + ": unknown clip");
}

unsigned int uiScFrameCount(const CW_ProjectRecord& record, CW_CLIP_ID clip)
{
    const CW_BaseClipInfo& base = record.mapClips.at(clip);
    if (base.uiCount)
        return base.uiCount;
    const CW_ClipInfo& files = record.mapClipFiles.at(clip);
    return unsigned(std::max(1, files.iLastFileNumber - files.iFirstFileNumber + 1));
}

bool bScPathTerminated(const CW_DiscreteFrame& frame)
{
    return std::memchr(frame.acPath, 0, CW_DiscreteFrame::kuiPathBytes) != nullptr;
}

} // namespace

void vSetDiscreteFrames(CW_Instance project, CW_CLIP_ID clip, Tam_List* records, bool allFrames)
{
    QMutexLocker lock(&standin::ProjectRegistry::instance().mutex());
    CW_ProjectRecord& record = stctScProject(project, "vSetDiscreteFrames");
    vScRequireClip(record, clip, "vSetDiscreteFrames");
    const unsigned int count = uiScFrameCount(record, clip);
    if (tam_list_size(records) > standin::projectfile::kiMaximumDiscreteFrames)
        throw CW_Exception("A clip cannot have that many chosen frames.", "vSetDiscreteFrames: too many records");
    std::vector<CW_DiscreteFrame> frames;
    for (Tam_ListElement* element = tam_list_head(records); element; element = tam_list_next(element)) {
        const auto* frame = static_cast<const CW_DiscreteFrame*>(tam_list_data(element));
        if (!frame || !bScPathTerminated(*frame) || frame->acPath[0] == 0)
            throw CW_Exception("A chosen frame has no file name.", "vSetDiscreteFrames: bad path");
        if (frame->iFrame < 0 || unsigned(frame->iFrame) >= count)
            throw CW_Exception("A chosen frame lies outside the clip.", "vSetDiscreteFrames: frame out of range");
        frames.push_back(*frame);
    }
    CW_ClipInfo& files = record.mapClipFiles[clip];
    files.vecDiscreteFrames = std::move(frames);
    files.bAllFrames = allFrames && !files.vecDiscreteFrames.empty();
    record.bChanged = true;
}

void vUnloadClip(CW_Instance project, CW_CLIP_ID clip, void*)
{
    {
        QMutexLocker lock(&standin::ProjectRegistry::instance().mutex());
        CW_ProjectRecord& record = stctScProject(project, "vUnloadClip");
        vScRequireClip(record, clip, "vUnloadClip");
        ++g_scMarks[{project, clip}].uiUnloads;
    }
    // Decoded images are kept by file, whoever reads them: the files may now be others.
    standin::vForgetDecodedFrames();
}

void vSetClipHasChanged(CW_Instance project, CW_CLIP_ID clip)
{
    QMutexLocker lock(&standin::ProjectRegistry::instance().mutex());
    CW_ProjectRecord& record = stctScProject(project, "vSetClipHasChanged");
    vScRequireClip(record, clip, "vSetClipHasChanged");
    g_scMarks[{project, clip}].bChanged = true;
    record.bChanged = true;
}

namespace standin {

void vDelayForTest(const char* operation)
{
    int milliseconds = 0;
    {
        QMutexLocker lock(&g_scDelayMutex);
        auto it = g_scDelays.find(operation);
        if (it != g_scDelays.end())
            milliseconds = it->second;
    }
    if (milliseconds > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

} // namespace standin

namespace standin::testing {

unsigned int uiGetClipUnloadCount(CW_Instance project, CW_CLIP_ID clip)
{
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    auto it = g_scMarks.find({project, clip});
    return it == g_scMarks.end() ? 0 : it->second.uiUnloads;
}

bool bGetClipHasChanged(CW_Instance project, CW_CLIP_ID clip)
{
    QMutexLocker lock(&ProjectRegistry::instance().mutex());
    auto it = g_scMarks.find({project, clip});
    return it != g_scMarks.end() && it->second.bChanged;
}

void vSetOperationDelay(const std::string& operation, int milliseconds)
{
    QMutexLocker lock(&g_scDelayMutex);
    if (milliseconds > 0)
        g_scDelays[operation] = milliseconds;
    else
        g_scDelays.erase(operation);
}

} // namespace standin::testing
