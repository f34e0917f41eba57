// The engine: the C-style interface on project handles.
#pragma once

#include "cwbase.h"

#include <QString>

// Product identity of the running program; every product query takes it.
void vSetProduct(const QString& product);
QString qstrGetProduct();

// False for a null, closed or unknown handle.
CW_BOOL bIsValidInstance(CW_Instance project);

void vCloseProject(CW_Instance project);

// The current frame, counted from the clip's first index.
unsigned int uiGetFrameNumber(CW_Instance project);

// Clips of a project. Null when the clip is not registered or the handle is invalid.
const CW_BaseClipInfo* pcstctGetBaseClipInfo(CW_Instance project, CW_CLIP_ID clip);
CW_BOOL bIsClipRegistered(CW_Instance project, CW_CLIP_ID clip);

// Makes a frame of the main clip current; false when the frame lies outside its range.
CW_BOOL bMakeFrameCurrent(CW_Instance project, unsigned int frame);

// Whether an action (an engine event number) is allowed in a module's page.
CW_BOOL bEventAllowed(CW_Instance project, int event, CW_MODULE module);

// Image buffers around a run: keep copies of the current ones, free the temporary ones.
CW_BOOL bBackupBuffers(CW_Instance project, bool backupInput, bool backupOutput);
CW_BOOL bFreeTemporaryMemoryBuffers(CW_Instance project);

// Per-frame operations for the worker runs; false stops a run.
CW_BOOL bTrackSelectionToNextFrame(CW_Instance project);
CW_BOOL bTrackSelectionToPreviousFrame(CW_Instance project);

#include "velmor/project.h"
#include "velmor/listing.h"
#include "velmor/PageInput.h"
#include "velmor/viewer.h"
#include "velmor/dataexport.h"
#include "velmor/history.h"
#include "velmor/sparse.h"
#include "velmor/tracking.h"
