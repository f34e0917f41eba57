// Sparse clips: a few chosen images, each standing for one frame of a clip.
#pragma once

#include "../cwbase.h"

struct Tam_List;

// Gives the clip the discrete frames of a list of CW_DiscreteFrame records (null or empty:
// none); with allFrames the first record's image stands for every frame. The records are
// copied. Throws CW_Exception for an unknown clip or a record whose path is not terminated
// or whose index lies outside the clip.
void vSetDiscreteFrames(CW_Instance project, CW_CLIP_ID clip, Tam_List* records, bool allFrames);
// Drops what the engine holds of the clip's images, so that they are read again.
void vUnloadClip(CW_Instance project, CW_CLIP_ID clip, void* macroCommand);
// Marks the clip changed since it was last rendered, and the project changed.
void vSetClipHasChanged(CW_Instance project, CW_CLIP_ID clip);
