// Small accessors into the shell that pages, panels and widgets share.
#pragma once

// The current frame as a double; 0 without a project.
double dGetCurrentFrame();
// A bound widget was pressed: it becomes the focused parameter widget.
void pfnWidgetPressed(void* widget);
