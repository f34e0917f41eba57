// The one object through which the user interface works on keyframes of whatever is being
// keyframed at the moment (the keyframe focus), and the keyframe switches every edit reads.
#pragma once

#include "cwbase.h"

#include <QObject>
#include <functional>
#include <vector>

namespace Vosk {
class Change;
}
namespace Murn {
class ParameterWithoutType;
}

// What the keyframe operations act on.
enum CWKGUI_KEYFRAME_FOCUS {
    CWKGUI_KEYFRAME_FOCUS_NONE = 0,
    CWKGUI_KEYFRAME_FOCUS_LAYER_SHAPE = 1,
    CWKGUI_KEYFRAME_FOCUS_REFERENCE_POINT = 2,
    // The parameter bound to the main window's current keyframed parameter widget.
    CWKGUI_KEYFRAME_FOCUS_PARAMETER = 3,
    CWKGUI_KEYFRAME_FOCUS_INTERNAL = 4
};
Q_DECLARE_METATYPE(CWKGUI_KEYFRAME_FOCUS)

class KeyframeManager : public QObject {
    Q_OBJECT
public:
    // The one instance; made before main runs and never destroyed.
    static KeyframeManager* instance();

    void setKeyframeFocus(CWKGUI_KEYFRAME_FOCUS focus);
    CWKGUI_KEYFRAME_FOCUS eGetKeyframeFocus() const { return m_eFocus; }
    bool bGetAutokey() const { return m_bAutokey; }
    bool bGetUberkey() const { return m_bUberkey; }
    // How the manager reaches the keyframed parameter's target: asked each time, so no
    // pointer to a parameter that may be gone is kept here.
    void setKeyframeTarget(std::function<Murn::ParameterWithoutType*()> target) { m_fnTarget = std::move(target); }
    // One entry per frame, zeroed by the caller: 1 where the current focus has a key.
    void getKeyframeFlags(CW_Instance project, int* flags, unsigned int count) const;
    // The key times of the focused parameter; none without one.
    std::vector<float> vecGetKeyframeTimes() const;
    void vSetAutokey(bool on) { m_bAutokey = on; }
    void vSetUberkey(bool on) { m_bUberkey = on; }

signals:
    void keyframeFocusChanged(CWKGUI_KEYFRAME_FOCUS focus);

public slots:
    // Attached to the focused parameter as its observer; nothing to do on a change.
    void onCurrentKeyframedParameterChanged(Vosk::Change& change);

private:
    KeyframeManager() = default;

    CWKGUI_KEYFRAME_FOCUS m_eFocus = CWKGUI_KEYFRAME_FOCUS_NONE;
    bool m_bAutokey = true;
    bool m_bUberkey = false;
    bool m_bUnifiedSplineKeyframing = false;
    bool m_bInitialised = true;
    std::function<Murn::ParameterWithoutType*()> m_fnTarget;
};
