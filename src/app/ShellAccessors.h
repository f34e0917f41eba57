// Small accessors into the shell that pages, panels and widgets share.
#pragma once

#include "cwbase.h"

#include <QString>

class CWKControlForm;
class QMenu;
class ViewOptionsManager;

// The current frame as a double; 0 without a project.
double dGetCurrentFrame();
// A bound widget was pressed: it becomes the focused parameter widget.
void pfnWidgetPressed(void* widget);

// The main window's current module page; null without a module tab widget, when the
// current tab is no page, or when it is the curve editor.
CWKControlForm* pGetCurrentControlForm();
// Whether the engine allows an action in the current page's module; false without a page.
bool bIsEventAllowed(CW_Instance project, int event);
// The current module tab's text; empty without a module tab widget.
QString qstrGetCurrentTabText();
// The one view-options object, made on first use and kept to the end.
ViewOptionsManager* pGetViewOptionsManager();
// Runs the new-project dialog in its import form on the main window with the clip
// preselected; for a clip other than 0 the clip choice is enabled by the flag. True when
// accepted.
bool bRunNewProjectDialog(CW_CLIP_ID clip, bool enableClipChoice);

// A frame index as the time display shows it: time code (the offset does not apply), a
// frame number, or for fields "n:U"/"n:L" (with field letters) or the field count.
// lowerFieldFirst swaps the letters.
QString qstrGetFrameDisplayString(int frame, float frameRate, bool timecode, bool interlaced, bool lowerFieldFirst,
                                  bool fieldLetter, int frameOffset);
// Time code parts in the order frames, seconds, minutes, hours.
int iTimecodeToFrame(const int parts[4], float frameRate);
// |value| rounded to the nearest integer, halves away from zero.
int iRoundAbs(float value);
// The zoom at which a clip fits the view, with the clip's pixel aspect ratio and field
// mode, and without its borders when asked.
float fGetFitZoomFactor(const CW_BaseClipInfo& clipInfo, int viewWidth, int viewHeight, int clipWidth, int clipHeight,
                        bool excludeBorders);

// The viewer's right-click menu: the context-menu actions whose flag is set, grouped in
// sub-menus. The caller owns the menu.
QMenu* pCreateSelectionModeMenu(const bool show[27]);
