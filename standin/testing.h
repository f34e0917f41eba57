// Test-only controls of the engine stand-in.
#pragma once

#include "ProjectModel.h"
#include "cwbase.h"

#include <QString>
#include <functional>
#include <string>
#include <vector>

struct CW_CallbackStruct;

namespace standin::testing {

// A fresh, empty project in the registry.
CW_Instance pCreateProject();
// Closes every project and forgets open files and call-back settings.
void vReset();
// Forgets every file the image I/O router holds open.
void vResetImageIO();

// Registers a clip on a project; clip 1 gives the project its frame range.
void vRegisterClip(CW_Instance project, CW_CLIP_ID clip, const CW_BaseClipInfo& info);
// The frame operations the project ran, in order, with the frame each ran on.
std::vector<LoggedStep> vecGetStepLog(CW_Instance project);
void vSetEventAllowed(CW_Instance project, CW_MODULE module, int event, bool allowed);

// Makes an operation (by its function name) return false, or throw CW_Exception, when it
// runs on the given frame. One planted fault per operation.
enum class StepFault { ReturnFalse, Throw };
void vSetStepFault(const std::string& operation, unsigned int frame, StepFault kind);
// How often an operation ran since the last reset.
unsigned int uiGetCallCount(const std::string& operation);
// Runs the hook each time a frame operation of worker runs begins (the track steps,
// bMakeFrameCurrent, bBackupBuffers, bFreeTemporaryMemoryBuffers), on the calling thread
// and outside the stand-in's locks, with the operation's call number since the last reset;
// so a test can hold a worker at a known point. An empty function removes it.
void vSetCallHook(const std::string& operation, std::function<void(unsigned int call)> hook);
// Makes the track steps of a project record their frame and succeed without tracking, for
// tests of the runs rather than of tracking.
void vSetTrackStepsRecordOnly(CW_Instance project, bool recordOnly);
// Why the last track step of the project failed; empty when it did not.
std::string strGetLastTrackMessage(CW_Instance project);
// Forgets planted faults, hooks and call counts.
void vResetFrameSteps();

// The project's cache settings: the clip the engine keeps first and whether it recycles.
struct CacheSettings {
    CW_CLIP_ID ePriorityClip = 0;
    bool bRecycle = true;
};
CacheSettings stctGetCacheSettings(CW_Instance project);
// The display cache's budget in megabytes as last set; -1 while none was set.
long long iGetDisplayCacheMBytes();

// Runs a call on the engine's call-back record from a std::thread, the way the engine
// calls back from a worker, and returns when that thread has ended. With
// processEventsWhileWaiting the calling thread keeps handling events meanwhile, which a
// call-back that waits for the user-interface thread needs.
void vCallFromOtherThread(const std::function<void(CW_CallbackStruct&)>& call, bool processEventsWhileWaiting = true);

// The viewer's side of a project: read a copy of it, or change it (tool, point mode,
// clip files, layer outlines, a planted render failure) in one locked edit.
ViewerState stctGetViewerState(CW_Instance project);
void vEditViewerState(CW_Instance project, const std::function<void(ViewerState&)>& edit);

// Makes an overlay drawing call (bRenderSelections, bRenderOverlayFrame,
// bRenderMousePosition) fail with the message; an empty message clears it.
void vSetDrawFault(CW_Instance project, const std::string& operation, const std::string& message);
// A layer's shape and surface keys; empty for an unknown layer.
LayerGeometry stctGetLayerGeometry(CW_Instance project, int layer);
// Replaces a layer's shape and surface keys and whether it is shown.
void vSetLayerGeometry(CW_Instance project, int layer, const LayerGeometry& geometry, bool visible = true);
// Marks a layer as used, or not, by a module's processing.
void vSetRenderLayer(CW_Instance project, CW_MODULE module, int layer, bool render);

// Where the time of drawn frames went, summed since the last reset, in milliseconds.
struct RenderTimings {
    double dReadMs = 0.0;
    double dUploadMs = 0.0;
    double dDrawMs = 0.0;
    unsigned int uiFrames = 0;
    unsigned int uiReads = 0;
    unsigned int uiUploads = 0;
    // Frames decoded on the workers ahead of the steps (reads count the drawing thread's).
    unsigned int uiDecodedAhead = 0;
    // The clip frame the last drawn frame showed, -1 before the first.
    int iLastDrawnFrame = -1;
};
RenderTimings stctGetRenderTimings();
// With measureDrawing the upload and draw times wait for OpenGL to finish.
void vResetRenderTimings(bool measureDrawing = false);
// The display-cache size the last vBRD_GLInitialiseTextures set.
unsigned int uiGetDisplayCacheCount();
// The memory the decoded frames may take, and how many are kept now.
void vSetDecodedFrameBudget(size_t bytes);
size_t uiGetDecodedFrameCount();
// Nothing waits to be decoded ahead and no worker is decoding; whether workers exist.
bool bDecodeAheadIdle();
bool bDecodeAheadRunning();
// Every decode on a worker takes at least this long (0 by default), so that tests can see
// decodes overlap; the most workers that decoded at once, and the files the workers
// started on, in order, since the last reset.
void vSetDecodeAheadDelay(int milliseconds);
int iGetMostDecodesAtOnce();
std::vector<QString> vecGetDecodeAheadStarts();
void vResetDecodeAheadLog();

// Clip listing: the clip's name, description, base clip (0: its own base) and whether it
// is a garbage matte; registers the clip when needed and announces the change.
void vSetClipListing(CW_Instance project, CW_CLIP_ID clip, const QString& name, const CW_ClipInfo& info,
                     CW_CLIP_ID baseClip = 0, bool garbageMatte = false);
// Forgets a clip and announces the change.
void vUnregisterClip(CW_Instance project, CW_CLIP_ID clip);
// Adds a layer with an empty parameter set; the new layer's ID, -1 for an invalid handle.
int iAddLayer(CW_Instance project, const QString& name);
// Removes a layer; its parameters send their removal notices.
void vRemoveLayer(CW_Instance project, int layer);
// Shows frames as time codes (true) or frame numbers.
void vSetUseTimeCode(CW_Instance project, bool useTimeCode);

} // namespace standin::testing

namespace standin::testing {

// Called on the user-interface thread each time the image I/O library's resources are
// released at quit; an empty function clears it.
void vOnResourcesDestroyed(std::function<void()> hook);

// Projects from real image files, and project files written on demand.
// Every project write sleeps this long once it has its copy (0 by default), so that tests
// can overlap writes; and the most writes that were ever under way at once.
void vSetProjectWriteDelay(int milliseconds);
int iGetMostProjectWritesAtOnce();
// Writes that have taken their copy of the project and not yet finished.
int iGetProjectWritesUnderWay();
void vPfsNoteWrite(const QString& path);
// Every project write (save, auto-save, the test writes) puts the new copy whole under a
// temporary name beside the file, then lets it replace the file. The hook is called on the
// writing thread at each step with the file's path: throwing stops the write there, and
// the files stay as that step left them; waiting pauses it. An empty function clears it.
enum class ProjectWriteStep { Started, NewCopyWritten, Replaced };
void vSetProjectWriteHook(std::function<void(ProjectWriteStep, const QString&)> hook);
// A folder the stand-in's writes fail in as on a read-only file system (for tests running
// with rights that ignore folder permissions); an empty path clears it.
void vSetReadOnlyFolder(const QString& folder);
bool bIsReadOnlyFolder(const QString& folder);
// A project whose clip 1 is the image sequence the file belongs to; throws when unreadable.
CW_Instance pCreateProjectFromClip(const QString& imagePath, const QString& name);
// Writes the project file with the given format version and makes it the project's file.
void vWriteProjectFile(CW_Instance project, const QString& path, unsigned int version);
void vSetProjectFilePath(CW_Instance project, const QString& path);

// What the close-down handed to the engine's clean-up, call by call.
struct CleanUpCall {
    int iSave = 0;
    bool bRetain = false;
    std::vector<CW_CLIP_ID> vecClips;
};
std::vector<CleanUpCall> vecGetCleanUpCalls();
// Makes the clean-up refuse (return false).
void vSetCleanUpRefused(bool refused);
void vResetProjectFiles();

// Replaces the image I/O subsystem definitions; an empty list restores the built-in ones.
struct SubsystemSpec {
    std::string strName;
    unsigned int uiFlags = 0;
    std::vector<std::pair<std::string, std::string>> vecRead;  // absent when empty and !bHasRead
    std::vector<std::pair<std::string, std::string>> vecWrite;
    bool bHasRead = true;
    bool bHasWrite = true;
    std::string strDefaultExtension;
};
void vSetSubsystemDefinitions(const std::vector<SubsystemSpec>& specs);

} // namespace standin::testing

namespace standin::testing {

// What the user settings pushed into a project, read back.
struct PushedSettings {
    std::string strDefaultExtension;
    // Component order: point, selected, unselected, rendered, switched-off point.
    CW_Color aSelectionColours[5];
    double dXSplineDefaultWeight = 0.0;
    double dBezierDefaultLength = 0.0;
    unsigned int uiForceAllocThreshold = 0;
    unsigned int uiMaximumHistorySize = 0;
};
PushedSettings stctGetPushedSettings(CW_Instance project);
// Program-wide pushes: the error-detection level and video-hardware releases; the file
// cache folder and the video board's flag are read through the I/O library itself.
bool bGetFullErrorDetection();
unsigned int uiGetHardwareControllerReleases();
void vResetProgramSettings();
// The undo history: commits a step (the oldest beyond the bound go) and lists the steps.
void vCommitUndoStep(CW_Instance project, const std::string& label);
std::vector<std::string> vecGetUndoSteps(CW_Instance project);

} // namespace standin::testing

namespace standin::testing {

// Sparse clips: how often the program unloaded a clip, and whether it marked it changed.
unsigned int uiGetClipUnloadCount(CW_Instance project, CW_CLIP_ID clip);
bool bGetClipHasChanged(CW_Instance project, CW_CLIP_ID clip);
// Makes an operation (by its function name) wait this long before it starts; 0 clears it.
void vSetOperationDelay(const std::string& operation, int milliseconds);

} // namespace standin::testing

namespace standin {
// The wait a test set for the operation.
void vDelayForTest(const char* operation);
} // namespace standin
