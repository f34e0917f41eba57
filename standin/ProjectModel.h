// The stand-in's model of open projects. Handles are looked up in a registry, so a closed
// or unknown handle is simply invalid.
#pragma once

#include "ViewerModel.h"
#include "cwbase.h"
#include "tolvane.h"
#include "velmor/listing.h"

#include <QMutex>
#include <QString>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
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

// A layer: its ID, name and general parameters.
struct LayerRecord {
    int iID = 0;
    QString qstrName;
    std::unique_ptr<CW_LayerParameterSet> pParameters;
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
