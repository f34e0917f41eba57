// Types the module pages exchange with the viewer and the engine.
#pragma once

// The input-flags word of a viewer mouse event (buttons and modifiers).
using CW_INPUTDEVICEFLAGS = int;
// The cursor a page asks the viewer to show.
using CW_CURSOR = int;
// One frame's keyframe flags.
using CW_KEYFRAME_TYPE = int;
