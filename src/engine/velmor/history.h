// Undoable changes, the undo history, and the playback range of a project.
#pragma once

#include "../cwbase.h"

namespace Vosk {
class CompositeCommand;
}

// Does the command and, when undoable, keeps it as one step of the project's undo history
// (the oldest steps go beyond the history size). With a macro command the steps join the
// macro instead. The time is the frame the change was made at. Throws CW_Exception for an
// invalid handle.
CW_BOOL bMakeParameterChange(CW_Instance project, Vosk::CompositeCommand& command, Vosk::CompositeCommand* macro,
    float time, bool undoable);
// Undo and redo one step; reRender is set when the current frame's output must be redone.
// False when there is nothing to undo (redo). The frame of the step becomes current.
CW_BOOL bUndo(CW_Instance project, bool& reRender);
CW_BOOL bRedo(CW_Instance project, bool& reRender);
CW_BOOL bCanUndo(CW_Instance project);
// True while the engine replays a step of the project's undo history (an undo or redo):
// the parameters' notices then come from the replay, whose caller redraws once afterwards.
// False for an invalid handle.
CW_BOOL ignoreParameterChangeNotifications(CW_Instance project);
CW_BOOL bCanRedo(CW_Instance project);
// Undoes the surface render of the current frame (nothing when none was rendered).
CW_BOOL bUndoRenderSurfaceCurrentFrame(CW_Instance project, bool allFrames);

// The playback range; reset to the whole main clip.
unsigned int uiGetPlaybackInPoint(CW_Instance project);
unsigned int uiGetPlaybackOutPoint(CW_Instance project);
void vSetPlaybackInPoint(CW_Instance project, unsigned int frame);
void vSetPlaybackOutPoint(CW_Instance project, unsigned int frame);
// The clip whose frames the cache keeps first, and whether it recycles old frames.
void vSetClipIDToPrioritizeInCache(CW_Instance project, CW_CLIP_ID clip);
CW_BOOL bSetCacheStrategyRecycle(CW_Instance project, bool recycle);
void vDumpCacheInfo(CW_Instance project);
