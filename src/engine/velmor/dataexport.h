// Data the project exports for other programs, and layers read back from layer files.
#pragma once

#include "../cwbase.h"

#include <QList>
#include <QMap>
#include <QString>
#include <functional>
#include <memory>

// What the tracking-data export writes; CW_NO_TRACKING_EXPORT is no export at all.
enum CW_TRACKING_OPTION {
    CW_TRACKING_DATA = 1,
    CW_OFFSET_TRACKING_DATA = 2,
    CW_STABILIZE_DATA = 3,
    CW_NO_TRACKING_EXPORT = 4
};
// 1: the motion inverted against the reference frame.
enum _CW_TRACKING_EXPORT { CW_TRACKING_EXPORT_AS_TRACKED = 0, CW_TRACKING_EXPORT_INVERTED = 1 };

// Output file name to the whole text of that file. "__ERROR__" holds a warning to show; an
// export for an empty file name puts its one text under "". Null: nothing was exported.
using CW_FileMap = std::shared_ptr<QMap<QString, QString>>;

struct CW_TrackingDataFormat {
    QString qstrName;
    // Matched against the product's track export options.
    QString qstrOptionKey;
    QString qstrExtension;
    // 1 when the output is one text (only then can it go to the clipboard).
    int iSingleText = 0;
    // The engine's own number of the format; 0 for a format it does not know.
    int iKind = 0;

    static const QMap<QString, CW_TrackingDataFormat>& MAP_ALL();
    // An unknown name gives a format of kind 0, which exports nothing.
    static CW_TrackingDataFormat byName(const QString& name);
    static CW_TrackingDataFormat CORNER_PIN_TEXT();
};

struct CW_ShapeDataFormat {
    QString qstrName;
    QString qstrOptionKey;
    QString qstrExtension;
    bool bMultiLayer = false;
    int iKind = 0;

    static const QMap<QString, CW_ShapeDataFormat>& MAP_ALL();
    static CW_ShapeDataFormat byName(const QString& name);
    static CW_ShapeDataFormat MASK_PATH_TEXT();
};

// 0 the selected layer, 1 all visible layers, 2 all layers.
enum CW_ShapeExportMode { CW_SHAPE_EXPORT_SELECTED = 0, CW_SHAPE_EXPORT_VISIBLE = 1, CW_SHAPE_EXPORT_ALL = 2 };

struct TOLV_TrackingExportResult {
    CW_FileMap pMap;
    // Frames that could not be exported (no track there).
    unsigned int uiErrors = 0;
};

// The product's export options, as one string of option keys.
QString qstrGetTrackExportOptions(const QString& product);
QString qstrGetShapeExportOptions(const QString& product);

namespace velmor {
// The current layer's track in a format, for a file name (empty: the clipboard's one text).
// Null map for an invalid handle, no current layer or an unknown format.
TOLV_TrackingExportResult exportTrackingInfo(CW_Instance project, CW_TrackingDataFormat& format,
    const QString& fileName, unsigned int referenceFrame, _CW_TRACKING_EXPORT invert, CW_TRACKING_OPTION option);
CW_FileMap exportShapeInfo(
    CW_Instance project, CW_ShapeDataFormat& format, const QString& fileName, CW_ShapeExportMode mode);
// Writes every file of the map, each whole or not at all; an existing file is written only
// when confirm says so. False when anything could not be written (or there was nothing).
bool writeFileMap(const CW_FileMap& map, const std::function<bool(const QString&)>& confirm);
} // namespace velmor

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

// Rendered output. 1 when the record can be written; otherwise 0, and the reason went to
// the message call-back.
enum _CW_STATUS { CW_STATUS_FAILED = 0, CW_STATUS_OK = 1 };
_CW_STATUS ePrepareToSaveClip(CW_Instance project, CW_ExportClipInfo* info, bool linear, bool reserved);
// Writes the record's frames as image files; failures go to the message call-back.
void vSaveClip(CW_Instance project, CW_ExportClipInfo* info, const char* reserved);
