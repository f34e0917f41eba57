// The base of every module page and of the curve-editor page. The main window drives the
// current page only through the virtual slots below.
#pragma once

#include "cwbase.h"
#include "velmor.h"
#include "widgets/CWKKeyMap.h"

#include <QDialog>
#include <QPointer>
#include <string>

class QAction;
class QKeyEvent;
class QPushButton;
class GhostableButton;
class frmPreferences;

// The process-wide widget state: 0 restore window settings, 1 no project, 2 idle,
// 3 module run, 4 playing; 5 keeps the current state.
using CWKGUI_STATE = int;

class CWKControlForm : public QDialog {
    Q_OBJECT
public:
    // The main window must exist: the page takes its shared render buttons.
    explicit CWKControlForm(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    // Takes the page's map out of the preferences' registry, which would otherwise keep
    // pointing at it.
    ~CWKControlForm() override;

    // Not slots.
    virtual bool bHasKeyframedParameters();
    // Called on the pages while a project closes, before the engine closes it.
    virtual void vReleaseProject();
    // The word for the main window's render captions: "Render", or "Track".
    virtual QString qstrGetRenderCaption();

    void vConnectRenderButtons();
    void vEnableRenderThis(bool enable);
    // Also switches render-next, and the main window's two forwards actions.
    void vEnableRenderForwards(bool enable);
    // Also switches render-previous, and the main window's two backwards actions.
    void vEnableRenderBackwards(bool enable);
    // Hidden step buttons keep their place in the bar.
    void vShowStepButtons(bool show);
    void vDisableRenderControls();

    // The page's shortcuts; pages fill it in vInitialize and register it with the
    // preferences dialog, which edits it in place.
    CWKKeyMap& mapGetKeyMappings() { return m_mapKeyMappings; }
    // Clicks the button that the key event's text is mapped to and accepts the event;
    // false (event left ignored) when the text maps to nothing.
    bool bClickMappedKey(QKeyEvent* e);
    // Whether the key event's text is mapped on this page with the modifiers held; such keys
    // win over the main window's shortcuts of the same key.
    bool bIsPageKey(const QKeyEvent* e) const;

    // No position yet: the largest finite float.
    float lastPointerX;
    float lastPointerY;

public slots:
    virtual void vInitialize() = 0;
    virtual void sltControlFormChanged(int index);
    virtual void sltSetWidgetsState(CWKGUI_STATE state) = 0;
    virtual void sltStoreParameters();
    virtual void sltStoreGlobalParameters();
    virtual void sltRestoreParameters(CW_Instance project) = 0;
    virtual void mousePress(float x, float y, CW_INPUTDEVICEFLAGS flags, bool& redraw, bool& showMenu, bool* menuItems)
        = 0;
    virtual void mouseMove(float x, float y, CW_INPUTDEVICEFLAGS flags, bool& redraw, CW_CURSOR& cursor) = 0;
    virtual void mouseRelease(float x, float y, CW_INPUTDEVICEFLAGS flags, bool& redraw) = 0;
    void keyPressEvent(QKeyEvent* e) override = 0;
    virtual void sltRenderOverlay(bool interactive);
    virtual void sltResetParameters();
    virtual CW_MODULE eGetModule() const = 0;
    virtual bool bSupportsMesh();
    virtual bool bSupportsPreview();
    virtual bool bSupportsTrace();
    virtual bool bSupportsLayerDisplay();
    virtual bool bSupportsKeyframeableParameters();
    virtual void sltZoomWindowsActive(CW_Instance project, bool& first, bool& second, bool& third) = 0;
    virtual bool bWillHandleTransformationTools();
    virtual void vUpdateOutputClipRange(CW_Instance project);
    virtual void sltInputClipRangeChanged(int kind, bool inMark, int frame);
    virtual void sltReRenderCurrentFrame();
    virtual CW_CLIP_ID eGetReadbackClipID();
    virtual bool bUseRenderCurrentFrame();
    virtual bool showInternalKeyframes();
    virtual void sltAddKeyframe();
    virtual void sltDeleteKeyframe();
    virtual void bsltKeyframeable(CW_Instance project, bool& keyframeable, bool& hasKey);
    virtual void sltDeleteAllKeyframes();
    virtual void sltGetKeyframes(CW_Instance project, int& previous, int& next);
    virtual void sltGetKeyframes(CW_Instance project, CW_KEYFRAME_TYPE* flags);

protected slots:
    virtual void btnRenderThis_clicked();
    virtual void btnRenderForwards_clicked();
    virtual void btnRenderBackwards_clicked();
    virtual void btnRenderNext_clicked();
    virtual void btnRenderPrevious_clicked();
    virtual void btnStopRendering_clicked();
    virtual void btnUndoRenderAll_clicked();
    virtual void btnUndoRenderThis_clicked();
    virtual void btnPreview_toggled();

protected:
    bool event(QEvent* e) override;
    // One row of the page's key table: a key already mapped takes the later row.
    void vMapKey(const QString& key, const QString& caption, QAbstractButton* button);
    // Hands the map to the preferences under the window title, once.
    void vRegisterKeyMappings();
    // Whether the map is looked up with these modifiers held; pages that leave modified
    // keys to the main window say no.
    virtual bool bConsultKeyMap(Qt::KeyboardModifiers modifiers) const;
    // The plain display of the project's first clip (the tracking pages' F2).
    void vShowFirstClipPlain();

    // The zoom-window answer most pages give: the first window is on while the current tool
    // has a position; the other two stay as the caller set them.
    static void vZoomWindowsFromToolPosition(CW_Instance project, bool& first, bool& second, bool& third);

    CWKKeyMap m_mapKeyMappings;
    // The main window's buttons; not owned, null when the window lacks one.
    QPushButton* btnRenderThis;
    QPushButton* btnRenderForwards;
    QPushButton* btnRenderBackwards;
    GhostableButton* btnRenderNext;
    GhostableButton* btnRenderPrevious;
    QPushButton* btnStopRendering;

private:
    // The registry the map was handed to, and under which name.
    QPointer<frmPreferences> m_pKeyRegistry;
    QString m_qstrRegisteredTitle;
};
