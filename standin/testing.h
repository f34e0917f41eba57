// Test-only controls of the engine stand-in.
#pragma once

#include "ProjectModel.h"
#include "cwbase.h"

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
// Forgets planted faults and call counts.
void vResetFrameSteps();

// Runs a call on the engine's call-back record from a std::thread, the way the engine
// calls back from a worker, and returns when that thread has ended. With
// processEventsWhileWaiting the calling thread keeps handling events meanwhile, which a
// call-back that waits for the user-interface thread needs.
void vCallFromOtherThread(const std::function<void(CW_CallbackStruct&)>& call, bool processEventsWhileWaiting = true);

// The viewer's side of a project: read a copy of it, or change it (tool, point mode,
// clip files, layer outlines, a planted render failure) in one locked edit.
ViewerState stctGetViewerState(CW_Instance project);
void vEditViewerState(CW_Instance project, const std::function<void(ViewerState&)>& edit);

// Where the time of drawn frames went, summed since the last reset, in milliseconds.
struct RenderTimings {
    double dReadMs = 0.0;
    double dUploadMs = 0.0;
    double dDrawMs = 0.0;
    unsigned int uiFrames = 0;
    unsigned int uiReads = 0;
    unsigned int uiUploads = 0;
};
RenderTimings stctGetRenderTimings();
// With measureDrawing the upload and draw times wait for OpenGL to finish.
void vResetRenderTimings(bool measureDrawing = false);
// The memory the decoded frames may take, and how many are kept now.
void vSetDecodedFrameBudget(size_t bytes);
size_t uiGetDecodedFrameCount();

} // namespace standin::testing
