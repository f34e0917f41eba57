#include "ProjectModel.h"
#include "testing.h"
#include "velmor.h"

#include <algorithm>

namespace {

standin::LayerRecord* pListingLayer(CW_ProjectRecord& record, int layer)
{
    for (standin::LayerRecord& entry : record.vecLayers) {
        if (entry.iID == layer)
            return &entry;
    }
    return nullptr;
}

void vListingAnnounceClips(CW_Instance project)
{
    // Emitted from whichever thread changed the clips; receivers on other threads get it queued.
    emit project->pParameterManager->availableClipsChanged();
}

} // namespace

CW_CLIP_ID eGetBaseClipID(CW_Instance project, CW_CLIP_ID clip)
{
    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    if (!registry.bIsLive(project) || project->mapClips.count(clip) == 0)
        return 0;
    auto base = project->mapBaseClips.find(clip);
    return base == project->mapBaseClips.end() ? clip : base->second;
}

CW_BOOL bGetIsGarbageMatteClip(CW_Instance project, CW_CLIP_ID clip)
{
    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    return registry.bIsLive(project) && project->setGarbageMatteClips.count(clip) != 0;
}

std::vector<int> pglGetLayerIDList(CW_Instance project)
{
    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    std::vector<int> ids;
    if (registry.bIsLive(project)) {
        for (const standin::LayerRecord& layer : project->vecLayers)
            ids.push_back(layer.iID);
    }
    return ids;
}

QString qstrGetLayerName(CW_Instance project, int layer)
{
    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    if (!registry.bIsLive(project))
        return QString();
    const standin::LayerRecord* record = pListingLayer(*project, layer);
    return record ? record->qstrName : QString();
}

CW_LayerParameterSet* pGetLayerParameters(CW_Instance project, int layer)
{
    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    if (!registry.bIsLive(project))
        return nullptr;
    standin::LayerRecord* record = pListingLayer(*project, layer);
    return record ? record->pParameters.get() : nullptr;
}

TOLV_ParameterManager* pGetParameterManager(CW_Instance project)
{
    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    return registry.bIsLive(project) ? project->pParameterManager.get() : nullptr;
}

namespace standin::testing {

void vSetClipListing(CW_Instance project, CW_CLIP_ID clip, const QString& name, const CW_ClipInfo& info,
    CW_CLIP_ID baseClip, bool garbageMatte)
{
    auto& registry = ProjectRegistry::instance();
    {
        QMutexLocker lock(&registry.mutex());
        if (!registry.bIsLive(project))
            return;
        if (project->mapClips.count(clip) == 0)
            project->mapClips[clip] = CW_BaseClipInfo();
        project->mapClipNames[clip] = name;
        project->mapClipFiles[clip] = info;
        if (baseClip != 0 && baseClip != clip)
            project->mapBaseClips[clip] = baseClip;
        else
            project->mapBaseClips.erase(clip);
        if (garbageMatte)
            project->setGarbageMatteClips.insert(clip);
        else
            project->setGarbageMatteClips.erase(clip);
    }
    vListingAnnounceClips(project);
}

void vUnregisterClip(CW_Instance project, CW_CLIP_ID clip)
{
    auto& registry = ProjectRegistry::instance();
    {
        QMutexLocker lock(&registry.mutex());
        if (!registry.bIsLive(project) || project->mapClips.erase(clip) == 0)
            return;
        project->mapClipNames.erase(clip);
        project->mapClipFiles.erase(clip);
        project->mapBaseClips.erase(clip);
        project->setGarbageMatteClips.erase(clip);
    }
    vListingAnnounceClips(project);
}

int iAddLayer(CW_Instance project, const QString& name)
{
    auto& registry = ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    if (!registry.bIsLive(project))
        return -1;
    LayerRecord layer;
    layer.iID = project->iNextLayerID++;
    layer.qstrName = name;
    layer.pParameters = std::make_unique<CW_LayerParameterSet>(name);
    layer.pTracking = std::make_unique<CW_TrackingParameterSet>(name);
    project->vecLayers.push_back(std::move(layer));
    return project->vecLayers.back().iID;
}

void vRemoveLayer(CW_Instance project, int layer)
{
    auto& registry = ProjectRegistry::instance();
    std::unique_ptr<CW_LayerParameterSet> parameters;
    std::unique_ptr<CW_TrackingParameterSet> tracking;
    {
        QMutexLocker lock(&registry.mutex());
        if (!registry.bIsLive(project))
            return;
        auto& layers = project->vecLayers;
        auto it = std::find_if(layers.begin(), layers.end(), [layer](const LayerRecord& r) { return r.iID == layer; });
        if (it == layers.end())
            return;
        parameters = std::move(it->pParameters);
        tracking = std::move(it->pTracking);
        layers.erase(it);
    }
    // The parameters' removal notices go out here, after the layer has left the project.
    parameters.reset();
    tracking.reset();
}

} // namespace standin::testing
