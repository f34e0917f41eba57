#include "KeyframeManager.h"

#include "Murn.h"
#include "Vosk.h"

#include <cmath>

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

std::vector<float> KeyframeManager::vecGetKeyframeTimes() const
{
    std::vector<float> times;
    Murn::ParameterWithoutType* parameter
        = m_eFocus == CWKGUI_KEYFRAME_FOCUS_PARAMETER && m_fnTarget ? m_fnTarget() : nullptr;
    if (!parameter)
        return times;
    const unsigned int count = parameter->uiGetKeyCount();
    times.reserve(count);
    for (unsigned int i = 0; i < count; ++i)
        times.push_back(parameter->fGetKeyTime(i));
    return times;
}

void KeyframeManager::getKeyframeFlags(CW_Instance, int* flags, unsigned int count) const
{
    if (!flags)
        return;
    for (float time : vecGetKeyframeTimes()) {
        const long frame = std::lround(time);
        if (frame >= 0 && frame < long(count))
            flags[frame] = 1;
    }
}
