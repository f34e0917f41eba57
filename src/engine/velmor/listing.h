// The project's clips and layers as the clip and layer choosers read them.
#pragma once

#include "../Murn.h"
#include "../cwbase.h"

#include <QString>
#include <vector>

class TOLV_ParameterManager;

// A layer's general parameters.
class CW_LayerParameterSet : public Murn::ParameterSet {
public:
    using Murn::ParameterSet::ParameterSet;
    // Keyed true at the frames where the layer's surface was tracked; null until the layer
    // was first tracked or drawn.
    Murn::NumericParameter<bool>* pGetTrackedFlag() const;
};

// The project's clips in ID order; empty for an invalid handle.
std::vector<CW_CLIP_ID> pglGetClipList(CW_Instance project);
// Null when the clip is not registered or the handle is invalid.
const CW_ClipInfo* pcstctGetClipInfo(CW_Instance project, CW_CLIP_ID clip);
QString qstrGetClipName(CW_Instance project, CW_CLIP_ID clip);
// Whether the project shows frames as time codes rather than frame numbers.
CW_BOOL bGetUseTimeCode(CW_Instance project);
// The clip a clip was derived from, or the clip itself for a source clip; 0 when the clip
// is not registered.
CW_CLIP_ID eGetBaseClipID(CW_Instance project, CW_CLIP_ID clip);
CW_BOOL bGetIsGarbageMatteClip(CW_Instance project, CW_CLIP_ID clip);

// The project's layers in creation order; empty without layers or for an invalid handle.
std::vector<int> pglGetLayerIDList(CW_Instance project);
// Empty for an unknown layer.
QString qstrGetLayerName(CW_Instance project, int layer);
// Whether a module's processing uses the layer; false for an unknown layer.
CW_BOOL bGetRenderLayer(CW_Instance project, CW_MODULE module, int layer);
// True for a hidden or unknown layer.
CW_BOOL bIsLayerHidden(CW_Instance project, int layer);
// The clip whose frames stand in for frames a rendered clip lacks: its base clip; 0 for a
// source clip or an unknown one.
CW_CLIP_ID getSuitableRevertClipID(CW_Instance project, CW_CLIP_ID clip, unsigned int frame);
// Null for an unknown layer.
CW_LayerParameterSet* pGetLayerParameters(CW_Instance project, int layer);

// The project's parameter manager; null for an invalid handle.
TOLV_ParameterManager* pGetParameterManager(CW_Instance project);
