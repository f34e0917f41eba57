// The preferences dialog: edits and stores every user setting, pushes them into the
// engine, the I/O library, the logger, the main window and the widget classes, and keeps
// the registry of the module pages' shortcut maps. Its static getters give the settings
// that the rest of the program needs, with their defaults.
#pragma once

#include "cwbase.h"
#include "ui_frmPreferences.h"
#include "widgets/CWKKeyMap.h"

#include <QDialog>
#include <QMap>
#include <QString>
#include <memory>

class QButtonGroup;

class frmPreferences : public QDialog, public Ui::frmPreferences {
    Q_OBJECT
public:
    explicit frmPreferences(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~frmPreferences() override;

    // The stored settings, for every reader outside the dialog. Each is checked against its
    // control's range and type; a value the control could not hold gives the default.
    // The default file cache and absolute output folder.
    static QString qstrGetDefaultTempDirectory();
    static double dGetDefaultXSplineWeight();
    static double dGetDefaultBezierLength();
    // 2 to the ten layouts the main window has.
    static int iGetNumberOfLayouts();
    static int iGetMaximumHistorySize();
    static QString qstrGetResultClipFileExtension();
    static unsigned int uiGetForceAllocThreshold();
    static CW_Color stctGetSelectedLayerColour();
    static CW_Color stctGetUnselectedLayerColour();
    static CW_Color stctGetRenderedLayerColour();
    static CW_Color stctGetPointColour();
    static CW_Color stctGetSwitchedOffPointColour();
    // In the engine's component order: point, selected, unselected, rendered, switched-off point.
    static void vGetOverlayColours(CW_Color out[5]);
    static bool bGetAutosaveEnabled();
    static int iGetAutosaveIntervalMinutes();
    // Index into the frame-rate list.
    static int iGetDefaultFrameRateIndex();
    static bool bGetCacheOriginalClip();
    static bool bGetUseTimeCode();
    static int iGetTimeOffset();
    static double dGetDefaultCustomPAR();
    static bool bGetOutputDirectoryAbsolute();
    // A name below the project folder; empty is that folder itself.
    static QString qstrGetRelativeOutputDirectory();
    static QString qstrGetAbsoluteOutputDirectory();
    static QString qstrGetFileCacheFolder();
    static bool bGetUseDisplayCache();
    // What a project's display cache is set up with: the size, or 0 while it is off.
    static unsigned int uiGetDisplayCacheSize();
    static QString qstrGetErrorLogFile();
    // The program chosen, else the one the system registers for the file type.
    static QString qstrGetWebBrowser();
    static QString qstrGetPdfReader();
    static bool bGetUseHardwareRendering();
    static double dGetUIBrightness();

    // Writes "DefaultCustomPAR" from its field.
    void vStoreDefaultCustomPAR();

    // Called by each module page once it has filled its map; the dialog edits the map in
    // place from then on. The page and its map must outlive the dialog's use of it.
    void vRegisterModuleKeyMappings(const QString& module, CWKKeyMap* keyMap);
    // A page going away takes its map out, so that nothing edits it afterwards; a map that
    // is not the one registered under the name is left alone.
    void vUnregisterModuleKeyMappings(const QString& module, const CWKKeyMap* keyMap);
    // The page's map registered under the name; null when none.
    const CWKKeyMap* pGetRegisteredKeyMap(const QString& module) const { return m_mapLiveKeyMaps.value(module); }

signals:
    // The auto-save switch and interval (milliseconds) as the settings now hold them.
    void autosaveChanged(bool enabled, int intervalMs);

public slots:
    void init();
    int exec() override;
    // Closing without OK (Cancel, Escape, the window's close button) puts the stored
    // settings back into the controls.
    void reject() override;
    void destroy();
    void sltStoreRestoreSettings(bool store, bool apply);
    void vStoreRestoreParameterControls(bool store);

private slots:
    void sltStoreRestoreUserSettings(bool store, bool apply);
    void btnPreferencesOK_clicked();
    void btnCancel_clicked();
    void btnOpenOutputDirectoryDialog_clicked();
    void btnOpenFileCacheDirectoryDialog_clicked();
    void btnOpenSetLogFileDialog_clicked();
    void btnCheckSoftwareUpdate_clicked();
    void chkbxSeparateFields_clicked();
    void rbtnUpperFieldFirst_clicked();
    void rbtnLowerFieldFirst_clicked();
    void chkbx32Pulldown_clicked();
    void rbtnLinearColorspace_clicked();
    void rbtnLogColorspace_clicked();
    void rbtnPanalogColorspace_clicked();
    void chkbxConvertPixelsToFloat_clicked();
    void chkbxConvertPixelsTo8Bit_clicked();
    void btnOpenWebBrowserExecutableFileDialog_clicked();
    void btnOpenAcrobatExecutableFileDialog_clicked();
    void cboxModules_activated(const QString& module);
    void btnDefaultKeymapping_clicked();
    void btnSaveKeymapping_clicked();
    void rbtnOutputDirectoryAbsolutePath_toggled(bool checked);
    void rbtnOutputDirectoryRelativePath_toggled(bool checked);
    void iedtNumLayouts_changed();
    void iedtMaximumHistorySize_changed();
    void sltStorePreferences();
    void sltStoreParameterControls();
    void updateUiBrightness(int value);
    void resetUiBrightness();

protected slots:
    void selectedLayerColour_clicked();
    void unselectedLayerColour_clicked();
    void renderedLayerColour_clicked();
    void pointColour_clicked();
    void switchedOffPointColour_clicked();

private:
    void vRestore(bool apply, bool controlsOnly);
    void vStore(bool apply);
    void vShowModuleKeys(const QString& module);
    void vApplyLogging(bool enabled, const QString& logFile);
    void vCheckFolder(const QString& path, bool output);
    void vChooseColour(const char* stem, int component, QPushButton* button, const QColor& fallback);
    void vShowColourIcon(QPushButton* button, const QColor& colour);

    QButtonGroup* m_pDisplayModeGroup;
    QButtonGroup* m_pParameterControlGroup;
    // Module name to the page's own map, and to the copy taken at registration.
    QMap<QString, CWKKeyMap*> m_mapLiveKeyMaps;
    QMap<QString, std::shared_ptr<const CWKKeyMap>> m_mapDefaultKeyMaps;
    // The brightness slider's value as the last restore set it, and the stored brightness
    // behind it: an untouched slider must not rewrite a value its range cannot show.
    int m_iRestoredBrightnessSlider = -1;
    double m_dRestoredBrightness = 1.0;
};
