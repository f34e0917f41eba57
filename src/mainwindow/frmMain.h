// The main window.
#pragma once

#include "cwbase.h"
#include "ui_frmMain.h"
#include "velmor/viewer.h"

#include "widgets/CWKControlForm.h"

#include <QElapsedTimer>
#include <QIcon>
#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <QList>
#include <array>
#include <functional>
#include <memory>

class CWKCustomEvent;
class CWKRecentFilesMenu;
class NewProjectDialog;
class QDockWidget;
class QFrame;
class QLabel;
class QMetaObject;
class QStatusBar;
class QTabWidget;
class QTimer;
class QToolBar;
class frmKeyframeControls;
class frmMainGLWidget;
class ProjectOpener;
class frmPreferences;
class frmViewerPreferences;
class QKeyEvent;
class QLineEdit;
class QTimer;
namespace Murn {
class CWKParameterWidgetCommon;
}
namespace Vosk {
class Change;
}

class frmMain : public QMainWindow, public Ui_frmMain {
    Q_OBJECT
public:
    frmMain(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~frmMain() override;

    // The widget state every panel is enabled from: 1 no project, 2 idle, 3 run, 4 playing.
    int iGetWidgetsState() const { return m_iWidgetsState; }
    void vUpdateWindowTitle(CW_Instance project, bool force);
    // Null until the configuration has made them.
    frmMainGLWidget* pGetGLWidget() const { return m_pGLWidget; }
    QTabWidget* pGetModuleTabWidget() const { return m_pModuleTabWidget; }
    void vSetModuleTabWidget(QTabWidget* tabs) { m_pModuleTabWidget = tabs; }

    void closeEvent(QCloseEvent* e) override;
    bool event(QEvent* e) override;

public slots:
    void init();
    void sltConfigureGUI();
    void sltSetWidgetsState(int state);
    // Stores the widget state (5 keeps the current one).
    void sltUpdateGUI(int state);
    void sltFileOpenProject(const QString& path);
    void sltFileNewProject(const QString& clipPath);
    void sltAutoRecoverProject(const QString& path);
    void sltStoreSettings();
    // Advice on the first run; ticks the welcome dialog's "Show Next Time".
    void sltFirstRun();
    // Opens the online documentation in the web browser.
    void actHelp_activated();
    // Runs the error report dialog.
    void actReportError_activated();

    // Opening and closing projects.
public slots:
    // File / Open: the opener asks for the file.
    void sltFileOpenProject();
    // Opens a named project; the second text is not used.
    void sltFileOpenProject(const QString& path, const QString& unused);
    // File / Close: asks through the close-project dialog; false when the user cancelled
    // or the engine refused.
    bool sltFileCloseProject();

    // File / New: closes the project, then runs the new-project dialog without a clip.
    void sltFileNewProject();
    // File / Save: on the background worker; a never-written project goes to Save As.
    void sltFileSaveProject();
    void sltFileSaveProjectAs();
    void updateWindowTitle();
    void sltAutoSaveTimeout();
    // Re-arms auto-save from "AutosaveEnabled" and "AutosaveInterval" as stored now.
    void sltAutoSaveSettingsChanged();

public:
    // Auto-save switch and interval in milliseconds; switching on with a project open
    // starts the timer at once.
    void vSetAutosave(bool enabled, int intervalMs);
    // Writes the auto-save copy when one is due and no worker runs and no clip plays.
    void vAutoSaveProjectIfNecessary();
    // The preparation after a project became current (opened: true, created: false).
    void vPostProjectOpenOrCreate(bool opened);
    NewProjectDialog* pGetNewProjectDialog() const { return m_pNewProjectDialog.get(); }
    bool bGetAutoSaveEnabled() const { return m_bAutoSaveEnabled; }
    bool bGetAutoSavePending() const { return m_bAutoSavePending; }
    QTimer* pGetAutoSaveTimer() const { return m_pAutoSaveTimer; }
    const QString& qstrGetProjectPath() const { return m_qstrProjectPath; }
    // The project file an auto-save file was written for: a trailing ".autosave" or
    // ".autosave-backup" right before the file name's extension is removed; anything else
    // (a folder named so, text elsewhere in the name) stays.
    static QString qstrStripAutoSaveSuffix(const QString& path);
    // The base of a project file's auto-save names: its path without a known product's
    // project extension.
    static QString qstrAutoSaveBaseName(const QString& projectFile);
    // The auto-save and backup names for a base name and extension.
    static QString qstrAutoSaveName(const QString& base, const QString& extension);
    static QString qstrAutoSaveBackupName(const QString& base, const QString& extension);

private:
    void vOpenWithNewOpener(const QString& path);
    // Events 4001, 4100, 4200, 4201, 4202.
    bool bHandleProjectLifecycleEvent(CWKCustomEvent* e);
    void vSuspendAutoSave();
    // Takes the switch and interval from the settings and, when on, restarts the timer.
    void vRestoreAutoSave();
    void vRestartAutoSaveTimer();
    // Starts a save (or the auto-save) of the project after any write under way.
    void vStartProjectSave(CW_Instance project, bool autoSave);
    void vFinishProjectSave(bool autoSave);
    bool m_bAutoSaveEnabled = false;
    bool m_bAutoSaveEnabledCopy = false;
    int m_iAutoSaveInterval = 0;
    bool m_bAutoSavePending = false;
    QTimer* m_pAutoSaveTimer = nullptr;
    // A save is being started (it may be waiting for an earlier write).
    bool m_bStartingSave = false;
    QString m_qstrProjectPath;
    // Event 4000: a project was opened and prepared.
    bool bHandleProjectOpenedEvent(bool projectValid);
    std::shared_ptr<ProjectOpener> m_pOpener;

private:
    // Custom-event handlers by code range; each returns whether it handled the code. The
    // project-valid flag was taken under a tryLock of the engine mutex.
    bool bHandleRunEvent(CWKCustomEvent* e, bool projectValid);
    bool bHandleModuleOutputEvent(CWKCustomEvent* e, bool projectValid);
    bool bHandleProjectEvent(CWKCustomEvent* e, bool projectValid);
    bool bHandleWelcomeEvent(CWKCustomEvent* e);
    bool bHandleEngineCallbackEvent(CWKCustomEvent* e, bool projectValid);

    int m_iWidgetsState = 0;
    frmMainGLWidget* m_pGLWidget = nullptr;
    QTabWidget* m_pModuleTabWidget = nullptr;

    // Main window set-up: status line, docks, pages and layouts.
public:
    static constexpr int kiLayoutCount = 10;

    // The window's own status bar, made on first request and held by the "Status" tool bar.
    virtual QStatusBar* pGetStatusBar();
    virtual void vShowStatusMessage(const QString& message);
    virtual void vHideStatusMessage();

    void vCreateDockWidgets();
    QDockWidget* pGetParametersDock() const { return m_pParametersDock; }
    QTabWidget* pGetOuterTabWidget() const { return m_pOuterTabWidget; }
    CWKControlForm* pGetFirstLayerPage() const { return m_pFirstLayerPage; }
    CWKRecentFilesMenu* pGetRecentFilesMenu() const { return m_pRecentFilesMenu; }
    frmPreferences* pGetPreferences() const { return m_pPreferences; }
    QAction* pGetLayoutAction(int index) const { return m_arrLayoutActions.at(size_t(index)); }
    QAction* pGetResetLayoutAction(int index) const { return m_arrResetLayoutActions.at(size_t(index)); }
    QMenu* pGetResetLayoutMenu() const { return m_pResetLayoutMenu; }
    QAction* pGetNextLayoutAction() const { return m_pNextLayoutAction; }
    QAction* pGetPreviousLayoutAction() const { return m_pPreviousLayoutAction; }
    QAction* pGetRenameLayoutAction() const { return m_pRenameLayoutAction; }
    QAction* pGetDefaultLayoutAction() const { return m_pDefaultLayoutAction; }
    QAction* pGetLockLayoutAction() const { return m_pLockLayoutAction; }
    QAction* pGetResetAllVisibleAction() const { return m_pResetAllVisibleAction; }
    QAction* pGetResetAllHiddenAction() const { return m_pResetAllHiddenAction; }
    const QMap<QString, QAction*>& mapGetOneKeyTools() const { return m_mapOneKeyTools; }

    void vRestoreWindowGeometry();
    void vRestoreDockState(unsigned int layout, const QString& key);
    bool bRestoreDockStateBytes(const QByteArray& state);
    void vUpdateLayoutMenus();
    void vSelectLayout(int index);
    void vStepLayout(int delta);
    // The caption of a layout: its stored name, or "Layout N" when none (or a blank one) is stored.
    static QString qstrGetLayoutName(int index);
    // The current layout, kept within the ten that exist.
    static int iGetCurrentLayout();

signals:
    void updateModuleUI(CWKGUI_STATE state);

public slots:
    int sltStoreRestoreSettings(bool store);
    void menuView_triggered(QAction* action);
    void menuResetLayoutTo_triggered(QAction* action);
    void actResetLayoutAllVisible_triggered(bool checked);
    void actResetLayoutAllHidden_triggered(bool checked);
    void actNextLayout_triggered(bool checked);
    void actPreviousLayout_triggered(bool checked);
    void actRenameLayout_triggered(bool checked);
    void actDefaultLayout_triggered(bool checked);
    void actLockLayout_toggled(bool lock);

protected:
    void moveEvent(QMoveEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    QWidget* pCreateDockPanel(const QMetaObject& panelClass, QDockWidget*& dock, const QString& title,
        const QString& objectName, const QString* sideKey, Qt::DockWidgetArea defaultArea);
    void vAssignIcons();
    void vCreateLayoutActions();
    void vBuildViewMenu();
    void vCreatePages();
    void vAddPage(CWKControlForm* page, const QString& caption, bool offerAsLayerPage, bool rangeConnection);
    void vFillOneKeyTools();
    // The layouts without stored arrangements start from these.
    void vApplyBuiltInLayout(int layout);
    void vUpdateLayoutIcons();

    QStatusBar* m_pStatusBar = nullptr;
    QToolBar* m_pStatusToolBar = nullptr;
    CWKRecentFilesMenu* m_pRecentFilesMenu = nullptr;
    QAction* m_pFullScreenTitleAction = nullptr;
    std::shared_ptr<NewProjectDialog> m_pNewProjectDialog;
    std::shared_ptr<frmViewerPreferences> m_pViewerPreferences;
    frmPreferences* m_pPreferences = nullptr;
    QTabWidget* m_pOuterTabWidget = nullptr;
    CWKControlForm* m_pFirstLayerPage = nullptr;
    QDockWidget* m_pParametersDock = nullptr;
    QDockWidget* m_pLayerControlsDock = nullptr;
    QDockWidget* m_pHistogramControlsDock = nullptr;
    QDockWidget* m_pLayerPropertiesDock = nullptr;
    QDockWidget* m_pEdgePropertiesDock = nullptr;
    QDockWidget* m_pOverlayColoursDock = nullptr;
    QDockWidget* m_pProxyControlsDock = nullptr;
    QDockWidget* m_pKeyframeControlsDock = nullptr;
    frmKeyframeControls* m_pKeyframePanel = nullptr;
    std::array<QAction*, kiLayoutCount> m_arrLayoutActions {};
    std::array<QAction*, kiLayoutCount> m_arrResetLayoutActions {};
    QMenu* m_pResetLayoutMenu = nullptr;
    QAction* m_pNextLayoutAction = nullptr;
    QAction* m_pPreviousLayoutAction = nullptr;
    QAction* m_pRenameLayoutAction = nullptr;
    QAction* m_pDefaultLayoutAction = nullptr;
    QAction* m_pLockLayoutAction = nullptr;
    QAction* m_pResetAllVisibleAction = nullptr;
    QAction* m_pResetAllHiddenAction = nullptr;
    QIcon m_iconLayout;
    QIcon m_iconCurrentLayout;
    QMap<QString, QAction*> m_mapOneKeyTools;
    // Where the dock factory put each panel dock; the first built-in layout keeps it there.
    QMap<QDockWidget*, Qt::DockWidgetArea> m_mapFactoryDockAreas;
    QLabel* m_pStatusLabel = nullptr;
    // Set once the configuration has run: only a configured window stores its arrangement.
    bool m_bConfigured = false;

    // Event dispatch of frames, widget state and panel refresh, viewer services.
public:
    // The viewer reads it by name.
    Q_INVOKABLE bool bGetInsertMode() const { return m_bInsertMode; }
    void vSetViewerMode(int mode);
    void vFitViewerToClip(CW_Instance project);
    // Zoom by factor about a display point; x at the largest int means the viewer centre.
    // The three flags test the preview window and the two stacked below it: a point inside
    // a tested one zooms that window instead of the view.
    void vZoomViewer(CW_Instance project, float factor, int x = kiViewerCentre, int y = 0,
        bool previewWindow = false, bool previewWindow2 = false, bool previewWindow3 = false);
    void getViewerBackgroundColour(float& red, float& green, float& blue) const;
    // The module of the current page; CW_MODULE_NONE without one.
    CW_MODULE eGetCurrentModule() const;
    // The tool of the checked tool action (pointer and insert mode share 6); 13 when none is
    // checked. With the tool state kept at the last hold-key press, what pages hand to the
    // engine's button release.
    int eGetCurrentTool() const;
    int iGetToolState() const { return m_iHoldToolState; }
    void vUpdateTransportControls(CW_Instance project);
    void vUpdateEditActions(CW_Instance project);
    void vDetachFocusedParameterWidget();
    // Null once its widget is gone.
    Murn::CWKParameterWidgetCommon* pGetFocusedParameterWidget() const
    {
        return m_pFocusedParameterOwner ? m_pFocusedParameterWidget : nullptr;
    }
    static constexpr int kiViewerCentre = 2147483647;
    // Keeps a locked view on the selection from one frame to the other, about the viewer's
    // last mouse position (its centre when unknown); unlocks the view when the engine cannot.
    void vLockViewOntoSelection(CW_Instance project, unsigned int from, unsigned int to);
    // The image point under the viewer's last mouse position, or under its centre before any.
    void vGetViewerAnchor(CW_Instance project, float& imageX, float& imageY) const;
    // Whether the window's action of that name is checked; false when there is none.
    bool bIsViewActionChecked(const QString& name) const;
    // The current page's three zoom-window switches; all false without a page.
    void vGetCurrentPageMouseFlags(CW_Instance project, bool& first, bool& second, bool& third);
    // The viewer, with its record of a held mouse button cleared: a dialog about to show
    // over it takes the release.
    frmMainGLWidget* pGetViewerClearingFlag();
    // Observer slots for parameters: a change redraws and refreshes the keyframe marks.
    void ParameterChangeNotification(Vosk::Change& change);
    void focusParameterRefreshNotification(Vosk::Change& change);

public slots:
    // The refresh every engine entry point ends with; shows engine failures in a box.
    void sltUpdateGUI();
    void sltTimeoutUpdateGUI();
    void sltUpdateGL();
    void sltCentreImage();
    void actZoom100_activated();
    void actZoomFit_activated();
    void actViewSetBackgroundColor_activated();
    void actViewInputAAlpha_None_toggled(bool checked);
    void actViewInputAAlpha_GarbageMatte_toggled(bool checked);
    void actViewInputAAlpha_Matte_toggled(bool checked);
    void sltToggleInsertMode(bool on);
    void vSetPointerOrInsertTool();
    void sltDeletePreviewImages();
    // Preview images of a clip that is not yet in a project (the clip dialogs).
    void sltInitialisePreviewImage(const CW_BaseClipInfo* base, CW_ClipInfo* clip);
    void sltUpdatePreviewImage(const CW_BaseClipInfo* base, CW_ClipInfo* clip);
    void sltShowThumbnail(int id, bool start);
    void sltHideThumbnail(int id, bool start);
    void sltUpdateThumbnail(int unused, int frame);
    void sltThumbnailRangeChanged(int type, bool start, int value);
    void sltUpdateParameterKeyframes();
    void onFocusedWidgetChanged(QWidget* old, QWidget* now);
    // The outer tabs (Parameters, Curve Editor) changed.
    void sltTabPageChanged(int index);
    void sltSelectInputSplitterTool(bool checked);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;

private:
    bool bHandleFrameStepEvent(int code, bool projectValid);
    bool bHandleFrameMadeCurrentEvent(bool projectValid);
    // The view follows a frame change: a locked view stays on the selection, an interlaced
    // clip's view is moved between its fields.
    void vFollowFrameChange(CW_Instance project, unsigned int from, unsigned int to);
    // After a run: the display clip goes first in the cache, which stops recycling and gets
    // the display cache size from the preferences.
    void vRestoreCachingAfterRun(CW_Instance project);
    void vApplyWidgetsState(CW_Instance project, int state);
    void vApplyWindowState(bool projectValid, int state);
    void vConnectViewerServices();
    // The slider's frame-exists row and keyframe row, from the engine and the focused parameter.
    void vUpdateSliderFrameRows(CW_Instance project);
    // The viewer's middle button holds X for a temporary pan.
    bool bHandleViewerPanKey(QKeyEvent* e, bool press);
    bool m_bInsertMode = false;
    QAction* m_pPanKeyReturnAction = nullptr;
    Murn::CWKParameterWidgetCommon* m_pFocusedParameterWidget = nullptr;
    QPointer<QWidget> m_pFocusedParameterOwner;
    // Data import and export, help, about and the external programs behind them.
public slots:
    void actSaveTrackingData_activated();
    void actSaveOffsetTrackingData_activated();
    void actSaveShapeData_activated();
    void actSaveLayerData_activated();
    void actSaveLensData_activated();
    void actExportProjectData_activated();
    void sltFileSaveClip();
    void sltExportRenderedShapes();
    void actImportLayers_activated();
    void actOfflineHelp_activated();
    void actReleaseNotes_activated();
    void actGotoProductWebsite_activated();
    void actLaunchForums_activated();
    void actLaunchTutorials_activated();
    void actViewLog_activated();
    void showWelcomeScreen_activated();
    void actAbout_activated();
    void sltViewPreferences();
    void sltHelpBarChanged(QWidget* helpBar);

public:
    // Read by the export and relink dialogs.
    void vSetTutorialMode(bool on) { m_bTutorialMode = on; }
    bool bGetTutorialMode() const { return m_bTutorialMode; }

private:
    void vConnectImportExportAndHelpActions();
    void vExportRendered(int mode);
    bool m_bTutorialMode = false;

    // Frame navigation, time display and playback.
public:
    enum CWKGUI_PLAYMODE { UniDirection = 0, Loop = 1, PingPong = 2 };
    CWKGUI_PLAYMODE eGetPlayMode() const;
    // Null while nothing plays.
    QTimer* pGetPlaybackTimer() const { return m_pPlaybackTimer; }
    // The clock playback keeps its schedule by, in nanoseconds; a steady clock unless another
    // is given (an empty function restores it).
    void vSetPlaybackClock(std::function<qint64()> clockNs) { m_fnPlaybackClockNs = std::move(clockNs); }

public slots:
    void sldrFrameNumber_valueChanged(int frame);
    void sldrFrameNumber_valueChanged(int kind, bool inPoint, int frame);
    void sltSetFrame(int frame);
    void sltNextFrame();
    void sltPreviousFrame();
    void btnNextFrame_clicked();
    void btnPreviousFrame_clicked();
    void btnClipStart_clicked();
    void btnClipEnd_clicked();
    void sltPlayForwards();
    void sltPlayBackwards();
    void btnPlayForwards_clicked();
    void btnPlayBackwards_clicked();
    void sltPlayNextFrame();
    void sltPlayPreviousFrame();
    void sltStopPlayback();
    void btnStopPlayback_pressed();
    void btnPlayMode_clicked();
    void iedtCurrentFrame_valueChanged();
    void iedtInPointFrameFrame_valueChanged();
    void iedtOutPointFrameFrame_valueChanged();
    void btnSetInPoint_clicked();
    void btnSetOutPoint_clicked();
    void btnResetInPoint_clicked();
    void btnResetOutPoint_clicked();
    void btnZoomToInOutPoints_clicked();
    void zoomToFullFrameRange();
    void onProjectManagerChanged(CW_Instance project);
    void onPlaybarRangeChanged(int first, int last);
    void vUpdateCurrentTime(CW_Instance project);
    void vUpdateClipLength(CW_Instance project);
    void sltUpdateCurrentTime();
    void sltUpdateClipLength();

private:
    void vConnectTransport();
    void playClip(bool forwards);
    // Ends playback: the timer goes, the viewer stops playing, the window is idle again.
    void vEndPlayback();
    void vStepFrame(bool next);
    // The frame an edit shows, and whether that text parses at all.
    int iParseFrameEdit(QLineEdit* edit, CW_Instance project) const;
    QString qstrFrameText(CW_Instance project, int frame) const;
    void vStoreInOutPoint(CW_Instance project, bool inPoint, int frame);
    QTimer* m_pPlaybackTimer = nullptr;
    // Playback keeps to a schedule from its start, so that the time each step takes does not
    // add up into a slower rate.
    std::function<qint64()> m_fnPlaybackClockNs;
    qint64 m_iPlaybackStartNs = 0;
    qint64 iPlaybackClockNs() const;
    double m_dPlaybackIntervalMs = 40.0;
    qint64 m_iPlaybackSteps = 0;
    unsigned int m_uiPlaybackRun = 0;
    // How long a played frame takes from its step to the screen (a running mean), and when
    // the step waiting for the screen was taken (on the playback clock; -1: none): steps are
    // taken that much ahead so that frames reach the screen on time.
    double m_dPlaybackLatencyMs = 0.0;
    qint64 m_iPlaybackStepNs = -1;
    void vArmNextPlaybackStep(bool stepTaken);
    void vPlaybackStep(bool forwards);
    // A frame change is being carried out; playback ticks wait for it.
    bool m_bInFrameChange = false;

    // Tools, render actions, keyframe stepping, undo and the keyboard.
public slots:
    void sltSelectAddXSplineLayerTool(bool checked);
    void sltSelectAddBezierLayerTool(bool checked);
    void sltSelectAddXSplineContourTool(bool checked);
    void sltSelectAddBezierContourTool(bool checked);
    void sltSelectPointerTool(bool refresh);
    void sltSelectPanTool(bool checked);
    void sltSelectZoomTool(bool checked);
    void sltSelectRotateTool(bool checked);
    void sltSelectScaleTool(bool checked);
    void sltSelectTranslateTool(bool checked);
    void sltSelectSoftConstraintTool(bool checked);
    void actPointModeSelected(QAction* action);
    void actRenderThis_activated();
    void actRenderForwards_activated();
    void actRenderBackwards_activated();
    void actRenderNext_activated();
    void actRenderPrevious_activated();
    void actStopRendering_activated();
    void actUndoRenderThis_activated();
    void actUndoRenderAll_activated();
    void vUpdateRenderActions();
    void sltParameterPageChanged(int index);
    void btnNextKeyframe_clicked();
    void btnPreviousKeyframe_clicked();
    void actEditUndo_activated();
    void actEditRedo_activated();
    void actFinishClosedContour_activated();
    void actFinishOpenContour_activated();
    void actSwitchPointsOff_activated();
    void actSwitchPointsOn_activated();
    void actDeletePoints_activated();
    void actSelectAllPoints_activated();

private:
    void vConnectTools();
    // The bar's six render buttons act on this page alone (none when it is no page).
    void vConnectRenderButtonsToPage(QWidget* widget);
    void vStepToKeyframe(bool forwards, const char* tag);
    void vSelectTransformTool(bool checked, CW_TOOL tool, const char* caller);
    void vSelectToolChecked(CW_TOOL tool);
    void vSelectZoomOrPan(bool checked, CW_TOOL tool);
    void vSelectShapeTool(bool checked, CW_TOOL tool);
    void vClickPageButton(const char* name);
    void vUndoOrRedo(bool undo, const char* tag);
    void vSendPointKey(QAction* action, char key, int modifiers);
    void vFinishContourAction(bool closed);
    bool bHandleWindowKeyPress(QKeyEvent* e);
    bool bHandleWindowKeyRelease(QKeyEvent* e);
    QAction* pToolAction(CW_TOOL tool) const;
    // The one-shot flag that keeps the next insert-mode toggle from selecting a tool.
    bool m_bSuppressInsertModeTool = false;
    // Hold-keys: the tool action to return to and the engine's tool state when pressed.
    QAction* m_pHoldReturnAction = nullptr;
    int m_iHoldToolState = 2147483647;
    QList<QMetaObject::Connection> m_lstRenderButtonConnections;
};
