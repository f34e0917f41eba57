// The stand-in's model of open projects. Handles are looked up in a registry, so a closed
// or unknown handle is simply invalid.
#pragma once

#include "ViewerModel.h"
#include "cwbase.h"
#include "tolvane.h"
#include "velmor/listing.h"
#include "velmor/tracking.h"

#include <QMutex>
#include <QPointF>
#include <QString>
#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace Vosk {
class CompositeCommand;
}

namespace standin {
// One committed step of the undo history and the frame it was made at.
struct HistoryStep {
    std::shared_ptr<Vosk::CompositeCommand> pCommand;
    unsigned int uiFrame = 0;
    std::string strLabel;
    // Unique within the project: names the history position right after this step.
    std::uint64_t uiSerial = 0;
};

// A fault a test planted for an operation at a frame: false, or CW_Exception thrown.
bool bPlantedFault(const char* operation, unsigned int frame);

// One frame operation as the project recorded it: what ran and on which frame.
struct LoggedStep {
    std::string strOperation;
    unsigned int uiFrame = 0;
};

// One control point of a layer's shape. A Bezier point carries its tangent handles as
// offsets from the point; an X-spline point its weight (0 a corner, 1 the smoothest).
struct ShapePoint {
    double dX = 0.0;
    double dY = 0.0;
    double dInX = 0.0;
    double dInY = 0.0;
    double dOutX = 0.0;
    double dOutY = 0.0;
    double dWeight = 0.0;
    bool operator==(const ShapePoint& o) const
    {
        return dX == o.dX && dY == o.dY && dInX == o.dInX && dInY == o.dInY && dOutX == o.dOutX && dOutY == o.dOutY
            && dWeight == o.dWeight;
    }
};

// The four corners of a layer's planar surface, in the order the user gave them.
using SurfaceCorners = std::array<QPointF, 4>;

// A layer's geometry in image pixels (y down), keyed per frame: between keys the points
// move linearly, before the first and after the last they hold.
struct LayerGeometry {
    // CW_TOOL_ADD_XSPLINE_LAYER or CW_TOOL_ADD_BEZIER_LAYER.
    int iShapeKind = 0;
    std::map<unsigned int, std::vector<ShapePoint>> mapShapeKeys;
    std::map<unsigned int, SurfaceCorners> mapSurfaceKeys;
};

// A shape being drawn with a layer tool, and a point or surface corner being dragged with the
// pointer: what the frame's keys were before the drag, for its undo step.
struct GeometryEdit {
    std::vector<ShapePoint> vecPendingPoints;
    bool bDragging = false;
    int iLayer = 0;
    unsigned int uiFrame = 0;
    std::optional<std::vector<ShapePoint>> optShapeBefore;
    std::optional<SurfaceCorners> optSurfaceBefore;
};

// What a layer's tracker keeps between the steps of a run (its reference); never saved.
struct TrackerCache;

// A layer: its ID, name and general parameters, its geometry and tracking.
struct LayerRecord {
    int iID = 0;
    QString qstrName;
    std::unique_ptr<CW_LayerParameterSet> pParameters;
    std::unique_ptr<CW_TrackingParameterSet> pTracking;
    LayerGeometry geometry;
    bool bVisible = true;
    // The frame its track starts from; the largest value while unset.
    unsigned int uiReferenceFrame = 0xffffffffu;
    std::shared_ptr<TrackerCache> pTrackerCache;
    // The modules (CW_MODULE) whose processing uses the layer.
    std::set<int> setRenderModules;
};
} // namespace standin

struct CW_ProjectRecord {
    QString qstrFilePath;
    // Changed outside the undo history since the last write; changes inside it are told by
    // the history position (standin::bProjectRecordChanged).
    bool bChanged = false;
    unsigned int uiCurrentFrame = 0;
    // Registered clips; clip 1 is the main clip and gives the project its frame range.
    std::map<CW_CLIP_ID, CW_BaseClipInfo> mapClips;
    std::vector<standin::LoggedStep> vecStepLog;
    // (module, event) pairs the engine refuses; everything else is allowed.
    std::set<std::pair<int, int>> setRefusedEvents;

    // Project file, clip media and output folder (read and written by ProjectFile.cpp).
    std::map<CW_CLIP_ID, CW_ClipInfo> mapClipFiles;
    std::map<CW_CLIP_ID, QString> mapClipNames;
    QString qstrOutputDirectory;
    bool bOutputAbsolute = false;
    QString qstrSecondText;
    bool bPathConfirmed = false;
    int iProxyScale = 0;
    unsigned int uiForceAllocThreshold = 0;
    // Bound of the undo history.
    unsigned int uiMaximumHistorySize = 100;
    // Pushed by the user settings: result-clip extension, overlay colours in component
    // order (point, selected, unselected, rendered, switched-off point), new-point defaults.
    std::string strDefaultExtension;
    CW_Color aSelectionColours[5] = {{0.0f, 0.0f, 1.0f}, {1.0f, 1.0f, 0.0f}, {0.0f, 0.8f, 1.0f},
                                     {165.0f / 255.0f, 82.0f / 255.0f, 1.0f}, {1.0f, 165.0f / 255.0f, 82.0f / 255.0f}};
    double dXSplineDefaultWeight = 0.25;
    double dBezierDefaultLength = 0.2;
    std::unique_ptr<TOLV_ProjectManager> pManager;
    // Clip listing, layers and their parameters.
    bool bUseTimeCode = false;
    // Derived clips and their base clip; a clip not listed here is its own base.
    std::map<CW_CLIP_ID, CW_CLIP_ID> mapBaseClips;
    std::set<CW_CLIP_ID> setGarbageMatteClips;
    std::vector<standin::LayerRecord> vecLayers;
    int iNextLayerID = 1;
    std::unique_ptr<TOLV_ParameterManager> pParameterManager = std::make_unique<TOLV_ParameterManager>();
    QString qstrProjectNotes;
    // Undo history, oldest first, and the steps undone since the last change.
    std::vector<standin::HistoryStep> vecUndo;
    std::vector<standin::HistoryStep> vecRedo;
    // History positions: the serial of the next step, of the newest step trimmed off the
    // oldest end, and where the history stood when the project was last written or opened.
    std::uint64_t uiNextStepSerial = 1;
    std::uint64_t uiTrimmedSerial = 0;
    std::uint64_t uiSavedSerial = 0;
    // bChanged as it was when the write under way took its copy; restored if the write fails.
    bool bChangedBeforeWrite = false;
    // Playback range; the out point at the largest value means the last frame.
    unsigned int uiPlaybackIn = 0;
    unsigned int uiPlaybackOut = 0xffffffffu;
    // The frames the play bar shows; negative: the whole clip.
    int iPlaybarFirst = -1;
    int iPlaybarLast = -1;
    CW_CLIP_ID eCachePriorityClip = 0;
    bool bCacheRecycle = true;
    // Undo or redo steps being replayed now (their parameter notices are the replay's).
    int iReplayingHistory = 0;
    // Auto-save copy and its backup, named by the program.
    QString qstrAutoSaveName;
    QString qstrAutoSaveBackupName;

    // The viewer: displayed clip, view, tools and input, clip files, layer outlines.
    standin::ViewerState viewer;
    // Tracking settings: frames per track step, fields tracked one by one, and whether the
    // warped frame is shown over the view.
    unsigned int uiTrackFrameJump = 1;
    bool bTrackIndividualFields = false;
    bool bWarpedFrameDisplay = false;
    // Why the last track step failed, as the user was told; and a test's switch that makes
    // the track steps only record themselves (for tests of the runs, not of tracking).
    std::string strLastTrackMessage;
    bool bTrackStepsRecordOnly = false;
    // The current layer is the viewer's; its selected point: a shape point, or a surface
    // corner (-1 none).
    int iSelectedShapePoint = -1;
    int iSelectedCorner = -1;
    standin::GeometryEdit edit;
};

namespace standin {

class ProjectRegistry {
public:
    static ProjectRegistry& instance();

    CW_Instance pCreate();
    bool bIsLive(CW_Instance project) const;
    void vClose(CW_Instance project);
    void vCloseAll();

    // The one lock that guards every project record against the user-interface thread
    // and a worker calling at the same time.
    QRecursiveMutex& mutex() { return m_mutex; }

private:
    struct RecordStorage {
        alignas(CW_ProjectRecord) unsigned char bytes[sizeof(CW_ProjectRecord)];
    };

    mutable QRecursiveMutex m_mutex;
    std::set<CW_Instance> m_projects;
    // Never freed: the addresses of closed projects stay taken.
    std::vector<std::unique_ptr<RecordStorage>> m_vecStorage;
};

} // namespace standin

namespace standin {
// Tracks the current layer from the current frame to the next step's frames (forwards or
// backwards), keying its shape and surface there. False, with the reason told to the user
// and kept as the last track message, when a frame cannot be tracked. The caller holds the
// registry lock; it is released while the pixels are worked on.
bool bTrackCurrentLayer(CW_ProjectRecord& record, bool forwards, QMutexLocker<QRecursiveMutex>& lock);
// The layer tools and the pointer on layers' geometry, from the viewer's input: true when
// the input did something to a layer (the view then needs drawing again).
bool bGeometryPress(CW_ProjectRecord& record, CW_INPUTDEVICEFLAGS flags, bool autoKey, float x, float y);
bool bGeometryMove(CW_ProjectRecord& record, float x, float y);
bool bGeometryRelease(CW_ProjectRecord& record);
// Closes the shape being drawn into a new layer; false with fewer than three points.
bool bCloseDrawnShape(CW_ProjectRecord& record);
// A layer of the project by ID, and the current layer; null when there is none.
LayerRecord* pFindLayer(CW_ProjectRecord& record, int layer);
LayerRecord* pCurrentLayer(CW_ProjectRecord& record);
// Drops the oldest undo steps beyond the project's bound.
void vTrimUndoHistory(CW_ProjectRecord& record);
// Commits a step: it gets its serial, the redo list is dropped and the history trimmed.
void vPushUndoStep(CW_ProjectRecord& record, HistoryStep step);
// The serial naming the present state of the history (0 before any step).
std::uint64_t uiHistoryPosition(const CW_ProjectRecord& record);
// Whether the project differs from what was last written or opened.
bool bProjectRecordChanged(const CW_ProjectRecord& record);
// The present state becomes the written one.
void vMarkProjectRecordUnchanged(CW_ProjectRecord& record);
} // namespace standin
