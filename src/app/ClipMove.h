// Moving a project's rendered clips into a new output folder on a worker.
#pragma once

#include "cwbase.h"

#include <QString>

// The folder the next move goes to; the relink and output-folder dialogs set it.
void vSetClipMoveTargetFolder(const QString& folder);
QString qstrGetClipMoveTargetFolder();
// Step function for the worker: moves every rendered clip into the target folder.
CW_BOOL bMoveClipsToTargetFolder(CW_Instance project);
