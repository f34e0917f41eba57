// The stand-in's model of open projects. Handles are looked up in a registry, so a closed
// or unknown handle is simply invalid.
#pragma once

#include "ViewerModel.h"
#include "cwbase.h"
#include "tolvane.h"
#include "velmor/listing.h"

#include <QMutex>
#include <QString>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace standin {
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
