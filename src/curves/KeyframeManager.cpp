#include "KeyframeManager.h"

#include "Vosk.h"

namespace {
// Made by a static initialiser, so it exists before main runs.
KeyframeManager* const g_pKeyframeManagerInstance = KeyframeManager::instance();
} // namespace

KeyframeManager* KeyframeManager::instance()
{
    // Never destroyed: pages and the viewer may read the switches to the very end.
    static KeyframeManager* s_pInstance = new KeyframeManager();
    return s_pInstance;
}

void KeyframeManager::setKeyframeFocus(CWKGUI_KEYFRAME_FOCUS focus)
{
    m_eFocus = focus;
    emit keyframeFocusChanged(focus);
}

void KeyframeManager::onCurrentKeyframedParameterChanged(Vosk::Change&)
{
}
