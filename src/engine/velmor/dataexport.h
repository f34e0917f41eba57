// Data the project exports for other programs, and layers read back from layer files.
#pragma once

#include "../cwbase.h"

#include <QList>
#include <QString>

// What the tracking-data export writes.
enum CW_TRACKING_OPTION { CW_TRACKING_DATA = 1, CW_OFFSET_TRACKING_DATA = 2 };

// Formats of layer data; each has its file extension in CW_LayerDataFormatExtension.
enum _CW_LayerDataFormat { CW_LAYER_DATA_SCRIPT = 0 };
extern const char* const CW_LayerDataFormatExtension[];
// Which layers the caller chose: the selected one, those marked for processing, all.
enum _CW_LayerDataScope { CW_LAYER_SCOPE_SELECTED = 0, CW_LAYER_SCOPE_PROCESSED = 1, CW_LAYER_SCOPE_ALL = 2 };

// The layers (names and parameters with their keys) as a layer script. Unknown IDs are
// left out; throws CW_Exception for an invalid handle.
QString getLayerInfo(
    CW_Instance project, _CW_LayerDataFormat format, _CW_LayerDataScope scope, const QList<uint>& layers);
// Writes that script to the file; throws CW_Exception when it cannot be written.
void vSaveLayerInfo(CW_Instance project, _CW_LayerDataFormat format, _CW_LayerDataScope scope, const char* fileNameUtf8,
    const QList<uint>& layers);
// Adds the layers of a layer file to the project as new layers. False when the handle is
// invalid or the file holds no layer; throws CW_Exception when the file cannot be read
// and CW_BadFile when it is not a layer file or is damaged.
bool readLayerFile(CW_Instance project, const char* pathUtf8);
