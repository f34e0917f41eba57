#include "frmPreferences.h"

#include "Vosk.h"
#include "app/CWKCustomEvent.h"
#include "app/CWKStyle.h"
#include "app/ExternalPrograms.h"
#include "app/MessageBoxes.h"
#include "app/OutputFolders.h"
#include "app/ProductStrings.h"
#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "app/Settings.h"
#include "app/ShellAccessors.h"
#include "brandor.h"
#include "mainwindow/frmMain.h"
#include "platform/DefaultFolders.h"
#include "preferences/frmSoftwareUpdate.h"
#include "velmor.h"
#include "velmor/project.h"
#include "viewer/frmMainGLWidget.h"
#include "widgets/CWKControlForm.h"
#include "widgets/CWKLineEditDouble.h"
#include "widgets/CWKLineEditInt.h"

#include <QApplication>
#include <QButtonGroup>
#include <QColorDialog>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QSettings>
#include <algorithm>

namespace {

QVariant varSetting(const char* key, const QVariant& fallback)
{
    return pGetUserSettings()->value(QLatin1String(key), fallback);
}

void vWriteSetting(const char* key, const QVariant& value)
{
    pGetUserSettings()->setValue(QLatin1String(key), value);
}

CW_Color stctColourSetting(const char* stem, int red, int green, int blue)
{
    const QString base = QLatin1String(stem);
    QSettings* settings = pGetUserSettings();
    return CW_Color{settings->value(base + QStringLiteral("Red"), red).toInt() / 255.0f,
                    settings->value(base + QStringLiteral("Green"), green).toInt() / 255.0f,
                    settings->value(base + QStringLiteral("Blue"), blue).toInt() / 255.0f};
}

QColor colColourSetting(const char* stem, const QColor& fallback)
{
    const QString base = QLatin1String(stem);
    QSettings* settings = pGetUserSettings();
    return QColor(settings->value(base + QStringLiteral("Red"), fallback.red()).toInt(),
                  settings->value(base + QStringLiteral("Green"), fallback.green()).toInt(),
                  settings->value(base + QStringLiteral("Blue"), fallback.blue()).toInt(), 255);
}

struct OverlayColourKey {
    const char* pszStem;
    int iComponent;
    QColor colDefault;
};

// In the order the restore pushes them.
const OverlayColourKey kOverlayColours[] = {
    {"SelectedLayerColour", CW_SELECTION_SELECTED_LAYER, QColor(255, 0, 0)},
    {"UnselectedLayerColour", CW_SELECTION_UNSELECTED_LAYER, QColor(0, 255, 0)},
    {"RenderedLayerColour", CW_SELECTION_RENDERED_LAYER, QColor(165, 82, 255)},
    {"PointColour", CW_SELECTION_POINT, QColor(0, 0, 255)},
    {"SwitchedOffPointColour", CW_SELECTION_SWITCHED_OFF_POINT, QColor(255, 165, 82)},
};

const char* const kFrameRates[] = {"10", "15", "23.976", "24", "25", "29.97", "30", "50", "59.94", "60"};
const char* const kCameraModels[] = {"No Distortion", "1-Parameter", "2-Parameter", "1-Parameter Inv", "Anamorphic"};

CW_Color stctToEngineColour(const QColor& colour)
{
    return CW_Color{float(colour.red() / 255.0), float(colour.green() / 255.0), float(colour.blue() / 255.0)};
}

// Runs a push on the open project behind the engine checkpoint; without a valid project
// the push is skipped and the stored value takes effect with the next project.
template <typename Push>
void vPushToProject(const char* tag, Push push)
{
    CW_AutoLock(&g_mtxEngine, tag);
    CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    if (!bIsValidInstance(project))
        return;
    bCallReported(nullptr, [&] { push(project); });
}

int iTextToInt(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? value : 0;
}

unsigned int uiTextToUnsigned(const QString& text)
{
    bool ok = false;
    const unsigned int value = text.toUInt(&ok);
    return ok ? value : 0u;
}

double dTextToDouble(const QString& text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? value : 0.0;
}

QString qstrKeysGroup(const QString& module)
{
    return module + QStringLiteral(" Keys");
}

} // namespace

frmPreferences::frmPreferences(QWidget* parent, Qt::WindowFlags flags)
    : QDialog(parent, flags),
      m_pDisplayModeGroup(new QButtonGroup(this)),
      m_pParameterControlGroup(new QButtonGroup(this))
{
    setupUi(this);
    tabwPreferences->setCurrentIndex(0);
    init();
}

frmPreferences::~frmPreferences() = default;

void frmPreferences::init()
{
    connect(btnPreferencesOK, &QPushButton::clicked, this, &frmPreferences::btnPreferencesOK_clicked);
    connect(btnCancel, &QPushButton::clicked, this, &frmPreferences::btnCancel_clicked);
    connect(btnOpenOutputDirectoryDialog, &QPushButton::clicked, this,
            &frmPreferences::btnOpenOutputDirectoryDialog_clicked);
    connect(btnOpenFileCacheDirectoryDialog, &QPushButton::clicked, this,
            &frmPreferences::btnOpenFileCacheDirectoryDialog_clicked);
    connect(btnOpenSetLogFileDialog, &QPushButton::clicked, this, &frmPreferences::btnOpenSetLogFileDialog_clicked);
    connect(btnCheckSoftwareUpdate, &QPushButton::clicked, this, &frmPreferences::btnCheckSoftwareUpdate_clicked);
    connect(chkbxSeparateFields, &QCheckBox::clicked, this, &frmPreferences::chkbxSeparateFields_clicked);
    connect(rbtnUpperFieldFirst, &QRadioButton::clicked, this, &frmPreferences::rbtnUpperFieldFirst_clicked);
    connect(rbtnLowerFieldFirst, &QRadioButton::clicked, this, &frmPreferences::rbtnLowerFieldFirst_clicked);
    connect(chkbx32Pulldown, &QCheckBox::clicked, this, &frmPreferences::chkbx32Pulldown_clicked);
    connect(rbtnLinearColorspace, &QRadioButton::clicked, this, &frmPreferences::rbtnLinearColorspace_clicked);
    connect(rbtnLogColorspace, &QRadioButton::clicked, this, &frmPreferences::rbtnLogColorspace_clicked);
    connect(rbtnPanalogColorspace, &QRadioButton::clicked, this, &frmPreferences::rbtnPanalogColorspace_clicked);
    connect(chkbxConvertPixelsToFloat, &QCheckBox::clicked, this, &frmPreferences::chkbxConvertPixelsToFloat_clicked);
    connect(chkbxConvertPixelsTo8Bit, &QCheckBox::clicked, this, &frmPreferences::chkbxConvertPixelsTo8Bit_clicked);
    connect(btnOpenWebBrowserExecutableFileDialog, &QPushButton::clicked, this,
            &frmPreferences::btnOpenWebBrowserExecutableFileDialog_clicked);
    connect(btnOpenAcrobatExecutableFileDialog, &QPushButton::clicked, this,
            &frmPreferences::btnOpenAcrobatExecutableFileDialog_clicked);
    connect(cboxModules, &QComboBox::textActivated, this, &frmPreferences::cboxModules_activated);
    connect(btnDefaultKeymapping, &QPushButton::clicked, this, &frmPreferences::btnDefaultKeymapping_clicked);
    connect(btnSaveKeymapping, &QPushButton::clicked, this, &frmPreferences::btnSaveKeymapping_clicked);
    connect(rbtnOutputDirectoryAbsolutePath, &QRadioButton::toggled, this,
            &frmPreferences::rbtnOutputDirectoryAbsolutePath_toggled);
    connect(rbtnOutputDirectoryRelativePath, &QRadioButton::toggled, this,
            &frmPreferences::rbtnOutputDirectoryRelativePath_toggled);
    connect(iedtNumLayouts, &CWKLineEditInt::valueChanged, this, &frmPreferences::iedtNumLayouts_changed);
    connect(iedtMaximumHistorySize, &CWKLineEditInt::valueChanged, this,
            &frmPreferences::iedtMaximumHistorySize_changed);
    connect(rbtnUseRotationalControls, &QRadioButton::clicked, this, &frmPreferences::sltStoreParameterControls);
    connect(rbtnUseLinearControls, &QRadioButton::clicked, this, &frmPreferences::sltStoreParameterControls);
    connect(btnColorsSelectedContour, &QPushButton::clicked, this, &frmPreferences::selectedLayerColour_clicked);
    connect(btnColorsUnselectedContour, &QPushButton::clicked, this, &frmPreferences::unselectedLayerColour_clicked);
    connect(btnColorsRenderedContour, &QPushButton::clicked, this, &frmPreferences::renderedLayerColour_clicked);
    connect(btnColorsPoints, &QPushButton::clicked, this, &frmPreferences::pointColour_clicked);
    connect(btnColorsSwitchedOffPoints, &QPushButton::clicked, this, &frmPreferences::switchedOffPointColour_clicked);

    for (const char* model : kCameraModels)
        cboxPreferencesCameraModel->addItem(QString::fromLatin1(model));

    defaultCustomPARTextbox->vSetRange(0.01, 10.0, 5);
    dedtPreferencesFocalLength->vSetRange(1.0, 1000.0, 5);
    iedtMaximumHistorySize->vSetRange(10, 2000);
    iedtNumLayouts->vSetRange(2, 10);
    for (CWKLineEditInt* crop : {iedtPreferencesCropTop, iedtPreferencesCropLeft, iedtPreferencesCropRight,
                                 iedtPreferencesCropBottom})
        crop->vSetRange(0, 4000);
    iedtPreferencesMaxDisplayCacheSize->vSetRange(0, 16384);
    iedtPreferencesReservedImageBuffers->vSetRange(0, 100);

    connect(chkbxPreferencesUseDisplayCache, &QCheckBox::toggled, iedtPreferencesMaxDisplayCacheSize,
            &QWidget::setEnabled);
    connect(chkbxPreferencesEnableErrorLogging, &QCheckBox::toggled, edtPreferencesLogFile, &QWidget::setEnabled);

    dedtXSplineDefaultWeight->vSetRange(0.0, 1.0, 2);
    dedtBezierDefaultLength->vSetRange(0.0, 1.0, 2);

    grpbxInteractiveTutorials->hide();
    tblShortcuts->verticalHeader()->hide();
    tblShortcuts->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    tblShortcuts->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    iedtPreferencesAutosaveInterval->vSetRange(1, 60);

    cbxPreferencesTimecodeFormat->hide();
    lblTimecodeFormat->hide();
    lblPreferencesReservedImageBuffers->hide();
    iedtPreferencesReservedImageBuffers->hide();

    m_pDisplayModeGroup->setExclusive(true);
    m_pDisplayModeGroup->addButton(rbtnFullScreen);
    m_pDisplayModeGroup->addButton(rbtnWindow);
    rbtnFullScreen->setChecked(true);
    m_pParameterControlGroup->setExclusive(true);
    m_pParameterControlGroup->addButton(rbtnUseRotationalControls);
    m_pParameterControlGroup->addButton(rbtnUseLinearControls);
    rbtnUseRotationalControls->setChecked(true);

    sltStoreRestoreUserSettings(false, true);

    connect(uiBrightnessSlider, &QSlider::valueChanged, this, &frmPreferences::updateUiBrightness);
    connect(defaultBrightnessButton, &QPushButton::clicked, this, &frmPreferences::resetUiBrightness);
    brightnessGroupBox->hide();

    resize(minimumSizeHint());
}

int frmPreferences::exec()
{
    if (CWKControlForm* page = pGetCurrentControlForm()) {
        const QString name = page->qstrGetRenderCaption();
        if (name == QLatin1String("Track"))
            lblColorsRenderedContour->setText(tr("Track&ed Layer"));
        else if (name == QLatin1String("Render"))
            lblColorsRenderedContour->setText(tr("Render&ed Layer"));
    }
    // Other parts of the program read some controls as live values: what a cancelled
    // opening left in them must not outlive it.
    vRestore(false, true);
    return QDialog::exec();
}

void frmPreferences::destroy()
{
    sltStoreRestoreUserSettings(true, false);
    vDestroyHardwareController();
}

void frmPreferences::sltStoreRestoreSettings(bool store, bool apply)
{
    sltStoreRestoreUserSettings(store, apply);
}

void frmPreferences::sltStorePreferences()
{
    sltStoreRestoreUserSettings(true, true);
}

void frmPreferences::sltStoreRestoreUserSettings(bool store, bool apply)
{
    if (store)
        vStore(apply);
    else
        vRestore(apply, false);
}

void frmPreferences::vStoreRestoreParameterControls(bool store)
{
    bool rotational = true;
    if (store) {
        rotational = rbtnUseRotationalControls->isChecked();
        vWriteSetting("UseRotationalControls", rotational);
    } else {
        rotational = varSetting("UseRotationalControls", true).toBool();
        rbtnUseRotationalControls->setChecked(rotational);
        rbtnUseLinearControls->setChecked(!rotational);
    }
    CWKLineEditDouble::vSetRotaryDrag(rotational);
    CWKLineEditInt::vSetRotaryDrag(rotational);
}

void frmPreferences::vStoreDefaultCustomPAR()
{
    vWriteSetting("DefaultCustomPAR", defaultCustomPARTextbox->text());
}

// controlsOnly reloads the controls from the settings and nothing else: no folder checks,
// no write-backs, no pushes, no messages.
void frmPreferences::vRestore(bool apply, bool controlsOnly)
{
    const bool push = !controlsOnly;
    if (controlsOnly)
        apply = false;

    defaultCustomPARTextbox->setText(QString::number(varSetting("DefaultCustomPAR", 1.0).toDouble()));
    chkbxAutoSoftwareUpdate->setChecked(pGetUserSettings()->value(QStringLiteral("update/auto"), true).toBool());

    cbxPreferencesFrameRate->clear();
    for (const char* rate : kFrameRates)
        cbxPreferencesFrameRate->addItem(QString::fromLatin1(rate));
    cbxPreferencesFrameRate->setCurrentIndex(varSetting("FrameRate", 3).toInt());

    chkbxSeparateFields->setChecked(varSetting("Interlaced", false).toBool());
    const bool reverseFields = varSetting("ReverseFields", false).toBool();
    rbtnLowerFieldFirst->setChecked(reverseFields);
    rbtnUpperFieldFirst->setChecked(!reverseFields);
    const bool separate = chkbxSeparateFields->isChecked();
    rbtnLowerFieldFirst->setEnabled(separate);
    rbtnUpperFieldFirst->setEnabled(separate);
    chkbx32Pulldown->setEnabled(separate);
    chkbx32Pulldown->setChecked(varSetting("Pulldown", false).toBool());

    const int colourspace = varSetting("Colourspace", 0).toInt();
    rbtnLinearColorspace->setChecked(colourspace == 0);
    rbtnLogColorspace->setChecked(colourspace == 1);
    rbtnPanalogColorspace->setChecked(colourspace == 2);

    // Filled afresh, so that a repeated restore does not list the formats twice.
    cboxResultImageFileFormat->clear();
    cboxResultImageFileFormat->insertItem(0, QStringLiteral("tif"));
    cboxResultImageFileFormat->insertItem(1, QStringLiteral("dpx"));
    const QString format = varSetting("ResultClipFileFormat", QStringLiteral("TIF")).toString();
    for (int i = cboxResultImageFileFormat->count() - 1; i >= 0; --i) {
        if (cboxResultImageFileFormat->itemText(i) == format) {
            cboxResultImageFileFormat->setCurrentIndex(i);
            if (push) {
                const QByteArray extension = (QLatin1Char('.') + format).toUtf8();
                vPushToProject("", [&](CW_Instance project) { vSetDefaultFileExtension(project, extension.constData()); });
            }
            break;
        }
    }

    chkbxConvertPixelsToFloat->setChecked(varSetting("ConvertPixelsToFloat", false).toBool());
    chkbxConvertPixelsTo8Bit->setChecked(varSetting("ConvertPixelsTo8Bit", false).toBool());
    const bool timecode = varSetting("TimeCode", false).toBool();
    if (timecode)
        btnPreferencesTimeTimeCode->setChecked(true);
    else
        btnPreferencesTimeFrameNo->setChecked(true);
    iedtPreferencesTimeOffset->setText(QString::number(varSetting("TimeOffset", 1).toInt()));

    // The toggle slots show the stored folders: write them back first.
    const QString relative = varSetting("RelativeOutputDirectory", QStringLiteral("Results")).toString();
    const QString absolute = varSetting("AbsoluteOutputDirectory", qstrGetDefaultTempDirectory()).toString();
    if (push) {
        vWriteSetting("RelativeOutputDirectory", relative);
        vWriteSetting("AbsoluteOutputDirectory", absolute);
    }
    const bool absoluteChoice = varSetting("OutputDirectoryAbsolutePath", false).toBool();
    {
        const QSignalBlocker blockAbsolute(rbtnOutputDirectoryAbsolutePath);
        const QSignalBlocker blockRelative(rbtnOutputDirectoryRelativePath);
        if (absoluteChoice)
            rbtnOutputDirectoryAbsolutePath->setChecked(true);
        else
            rbtnOutputDirectoryRelativePath->setChecked(true);
    }
    if (absoluteChoice) {
        if (push)
            vCheckFolder(absolute, true);
        edtOutputDirectory->setText(absolute);
        edtOutputDirectorySpaceAvailable->setText(qstrGetFreeDiskSpaceMB(absolute));
        btnOpenOutputDirectoryDialog->setEnabled(true);
    } else {
        edtOutputDirectory->setText(relative);
        edtOutputDirectorySpaceAvailable->clear();
        btnOpenOutputDirectoryDialog->setEnabled(false);
    }

    const QString cacheFolder = varSetting("FileCacheFolder", qstrGetDefaultTempDirectory()).toString();
    if (push)
        vCheckFolder(cacheFolder, false);
    edtFileCacheDirectory->setText(cacheFolder);
    if (push)
        pGetMemoryManager(0)->vSetCacheFolder(cacheFolder.toUtf8().constData());
    edtFileCacheDirectorySpaceAvailable->setText(qstrGetFreeDiskSpaceMB(cacheFolder));

    chkbxPreferencesCacheOriginalClip->setChecked(varSetting("CacheOriginalClip", false).toBool());
    const bool displayCache = varSetting("UseDisplayCache", true).toBool();
    chkbxPreferencesUseDisplayCache->setChecked(displayCache);
    iedtPreferencesMaxDisplayCacheSize->setEnabled(displayCache);
    iedtPreferencesMaxDisplayCacheSize->setText(QString::number(varSetting("MaxDisplayCacheSize", 256).toInt()));
    // The stored threshold, not 0: otherwise the next store would overwrite it with 0.
    const unsigned int threshold = uiGetForceAllocThreshold();
    iedtPreferencesReservedImageBuffers->setText(QString::number(threshold));
    if (push)
        vPushToProject("", [&](CW_Instance project) { vSetForceAllocThreshold(project, threshold); });
    useHWRendering->setChecked(bBRD_GetUseHardwareRendering());
    iedtPreferencesCropTop->setText(QString::number(varSetting("CropTop", 0).toInt()));
    iedtPreferencesCropLeft->setText(QString::number(varSetting("CropLeft", 0).toInt()));
    iedtPreferencesCropRight->setText(QString::number(varSetting("CropRight", 0).toInt()));
    iedtPreferencesCropBottom->setText(QString::number(varSetting("CropBottom", 0).toInt()));
    cboxPreferencesCameraModel->setCurrentIndex(varSetting("CameraModel", 0).toInt());
    dedtPreferencesPrincipalPointPercentageX->setText(
        QString::number(varSetting("/PPointX", 50.0).toDouble(), 'f', 2));
    dedtPreferencesPrincipalPointPercentageY->setText(
        QString::number(varSetting("/PPointY", 50.0).toDouble(), 'f', 2));
    dedtPreferencesDistortionK1->setText(QString::number(varSetting("/DistortionK1", 0.0).toDouble(), 'f', 3));
    dedtPreferencesDistortionK2->setText(QString::number(varSetting("/DistortionK2", 0.0).toDouble(), 'f', 3));
    dedtPreferencesFocalLength->setText(QString::number(varSetting("/FocalLength", 10.0).toDouble(), 'g', 6));

    const bool logging = varSetting("EnableErrorLogging", true).toBool();
    const QString logFile
        = varSetting("ErrorLogFile", QDir::homePath() + QStringLiteral("/.corvane_log.txt")).toString();
    chkbxPreferencesEnableErrorLogging->setChecked(logging);
    edtPreferencesLogFile->setText(logFile);
    edtPreferencesLogFile->setEnabled(logging);
    if (push)
        vApplyLogging(logging, logFile);

    // The installation folder falls back to the one above the executable, so only a
    // folder that is missing altogether deserves the warning.
    const QString installDir = qstrGetInstallDir();
    if (apply && (installDir.isEmpty() || !QFileInfo(installDir).isDir()) && g_pMainWindow) {
        auto message = std::make_unique<QStringList>(
            QStringList{QStringLiteral("Installation directory not specified in the registry")});
        QCoreApplication::postEvent(g_pMainWindow, CWKCustomEvent::pWithOwned(10200, std::move(message)));
    }

    const bool comprehensive = varSetting("CompErrorDetection", true).toBool();
    if (comprehensive)
        rbtnPreferencesComprehensiveErrorDetection->setChecked(true);
    else
        rbtnPreferencesNormalErrorDetection->setChecked(true);
    if (push)
        vSetEnableFullErrorDetection(pstctBRD_GetCallbackStruct(), comprehensive);

    chkbxTutorialAutoStep->setChecked(varSetting("TutorialAutoStep", false).toBool());
    chkbxTutorialAutoRepeat->setChecked(varSetting("TutorialAutoRepeat", false).toBool());
    const QString browser = varSetting("WebBrowser", QString()).toString();
    edtWebBrowserExecutable->setText(browser.isEmpty() ? qstrGetAssociatedProgram(QStringLiteral(".html")) : browser);
    const QString reader = varSetting("PDFReader", QString()).toString();
    edtAcrobatExecutable->setText(reader.isEmpty() ? qstrGetAssociatedProgram(QStringLiteral(".pdf")) : reader);

    vStoreRestoreParameterControls(false);

    const bool invertWheel = varSetting("InvertScrollWheel", true).toBool();
    chkbxInvertScrollWheel->setChecked(invertWheel);
    if (push) {
        CWKLineEditDouble::vSetInvertScrollWheel(invertWheel);
        CWKLineEditInt::vSetInvertScrollWheel(invertWheel);
        frmMainGLWidget::vSetInvertScrollWheel(invertWheel);
    }
    iedtNumLayouts->setText(QString::number(varSetting("NumberOfLayouts", 3).toInt()));
    iedtMaximumHistorySize->setText(QString::number(varSetting("MaximumHistorySize", 100).toUInt()));
    BRD_VideoIO* video = pGetVideoIO();
    const bool centaurus = varSetting("CentaurusEnabled", video->bGetEnabled()).toBool();
    chkbxPreferencesEnableCentaurus->setChecked(centaurus);
    chkbxPreferencesEnableCentaurus->setEnabled(video->bGetInstalled(0));
    if (apply)
        video->vSetEnabled(centaurus);

    QPushButton* const colourButtons[] = {btnColorsSelectedContour, btnColorsUnselectedContour,
                                          btnColorsRenderedContour, btnColorsPoints, btnColorsSwitchedOffPoints};
    QColor colours[5];
    for (int i = 0; i < 5; ++i) {
        colours[i] = colColourSetting(kOverlayColours[i].pszStem, kOverlayColours[i].colDefault);
        vShowColourIcon(colourButtons[i], colours[i]);
    }
    if (apply) {
        vPushToProject("sltTimeoutUpdateGUI", [&](CW_Instance project) {
            for (int i = 0; i < 5; ++i)
                vSetSelectionColor(project, kOverlayColours[i].iComponent, true, stctToEngineColour(colours[i]));
        });
    }

    const double weight = dGetDefaultXSplineWeight();
    const double length = dGetDefaultBezierLength();
    dedtXSplineDefaultWeight->setText(QString::number(weight, 'g', 6));
    dedtBezierDefaultLength->setText(QString::number(length, 'g', 6));
    if (apply) {
        vPushToProject("sltTimeoutUpdateGUI",
                       [&](CW_Instance project) { vSetContourModelDefaults(project, weight, length); });
    }

    const bool autosave = varSetting("AutosaveEnabled", true).toBool();
    const int interval = varSetting("AutosaveInterval", 5).toInt();
    chkbxPreferencesEnableAutosave->setChecked(autosave);
    iedtPreferencesAutosaveInterval->setText(QString::number(interval));
    chkbxPreferencesSaveEveryRenderCurrent->setChecked(varSetting("SaveImagesAfterRenderingSingleFrames", false).toBool());
    if (apply)
        emit autosaveChanged(autosave, interval * 60000);
    const bool fullScreen = varSetting("FullScreen", false).toBool();
    rbtnFullScreen->setChecked(fullScreen);
    rbtnWindow->setChecked(!fullScreen);
    m_dRestoredBrightness = varSetting("UIBrightness", 1.0).toDouble();
    {
        // A reload only shows the stored value; it must not restyle the program.
        const QSignalBlocker block(controlsOnly ? uiBrightnessSlider : nullptr);
        uiBrightnessSlider->setValue(int(m_dRestoredBrightness * 100.0));
    }
    m_iRestoredBrightnessSlider = uiBrightnessSlider->value();
}

void frmPreferences::vStore(bool apply)
{
    vStoreDefaultCustomPAR();

    pGetUserSettings()->setValue(QStringLiteral("update/auto"), chkbxAutoSoftwareUpdate->isChecked());
    vWriteSetting("FrameRate", cbxPreferencesFrameRate->currentIndex());
    vWriteSetting("Interlaced", chkbxSeparateFields->isChecked());
    vWriteSetting("ReverseFields", rbtnLowerFieldFirst->isChecked());
    vWriteSetting("Pulldown", chkbx32Pulldown->isChecked());
    if (rbtnLinearColorspace->isChecked())
        vWriteSetting("Colourspace", 0);
    else if (rbtnLogColorspace->isChecked())
        vWriteSetting("Colourspace", 1);
    else if (rbtnPanalogColorspace->isChecked())
        vWriteSetting("Colourspace", 2);

    const QString format = cboxResultImageFileFormat->currentText();
    vWriteSetting("ResultClipFileFormat", format);
    const QByteArray extension = (QLatin1Char('.') + format).toUtf8();
    vPushToProject("", [&](CW_Instance project) { vSetDefaultFileExtension(project, extension.constData()); });

    vWriteSetting("ConvertPixelsToFloat", chkbxConvertPixelsToFloat->isChecked());
    vWriteSetting("ConvertPixelsTo8Bit", chkbxConvertPixelsTo8Bit->isChecked());
    vWriteSetting("TimeCode", btnPreferencesTimeTimeCode->isChecked());
    vWriteSetting("TimeOffset", iTextToInt(iedtPreferencesTimeOffset->text()));

    const bool absolute = rbtnOutputDirectoryAbsolutePath->isChecked();
    vWriteSetting("OutputDirectoryAbsolutePath", absolute);
    vWriteSetting(absolute ? "AbsoluteOutputDirectory" : "RelativeOutputDirectory", edtOutputDirectory->text());

    const QString cacheFolder = edtFileCacheDirectory->text();
    vWriteSetting("FileCacheFolder", cacheFolder);
    if (apply)
        pGetMemoryManager(0)->vSetCacheFolder(cacheFolder.toUtf8().constData());

    vWriteSetting("CacheOriginalClip", chkbxPreferencesCacheOriginalClip->isChecked());
    vWriteSetting("UseDisplayCache", chkbxPreferencesUseDisplayCache->isChecked());
    vWriteSetting("MaxDisplayCacheSize", iTextToInt(iedtPreferencesMaxDisplayCacheSize->text()));
    const unsigned int threshold = uiTextToUnsigned(iedtPreferencesReservedImageBuffers->text());
    vWriteSetting("ForceAllocThreshold", threshold);
    if (apply)
        vPushToProject("", [&](CW_Instance project) { vSetForceAllocThreshold(project, threshold); });
    vWriteSetting("UseHardwareRendering", useHWRendering->isChecked());
    vWriteSetting("CropTop", iTextToInt(iedtPreferencesCropTop->text()));
    vWriteSetting("CropLeft", iTextToInt(iedtPreferencesCropLeft->text()));
    vWriteSetting("CropRight", iTextToInt(iedtPreferencesCropRight->text()));
    vWriteSetting("CropBottom", iTextToInt(iedtPreferencesCropBottom->text()));
    vWriteSetting("CameraModel", cboxPreferencesCameraModel->currentIndex());
    vWriteSetting("PPointX", dTextToDouble(dedtPreferencesPrincipalPointPercentageX->text()));
    vWriteSetting("PPointY", dTextToDouble(dedtPreferencesPrincipalPointPercentageY->text()));
    vWriteSetting("DistortionK1", dTextToDouble(dedtPreferencesDistortionK1->text()));
    vWriteSetting("DistortionK2", dTextToDouble(dedtPreferencesDistortionK2->text()));
    vWriteSetting("FocalLength", dTextToDouble(dedtPreferencesFocalLength->text()));

    const bool logging = chkbxPreferencesEnableErrorLogging->isChecked();
    vWriteSetting("EnableErrorLogging", logging);
    vWriteSetting("ErrorLogFile", edtPreferencesLogFile->text());
    vApplyLogging(logging, edtPreferencesLogFile->text());

    const bool comprehensive = rbtnPreferencesComprehensiveErrorDetection->isChecked();
    vWriteSetting("CompErrorDetection", comprehensive);
    // A changed level takes effect now, not only at the next start.
    if (apply)
        vSetEnableFullErrorDetection(pstctBRD_GetCallbackStruct(), comprehensive);
    vWriteSetting("TutorialAutoStep", chkbxTutorialAutoStep->isChecked());
    vWriteSetting("TutorialAutoRepeat", chkbxTutorialAutoRepeat->isChecked());
    vWriteSetting("WebBrowser", edtWebBrowserExecutable->text());
    vWriteSetting("PDFReader", edtAcrobatExecutable->text());

    vStoreRestoreParameterControls(true);

    const bool invertWheel = chkbxInvertScrollWheel->isChecked();
    vWriteSetting("InvertScrollWheel", invertWheel);
    CWKLineEditDouble::vSetInvertScrollWheel(invertWheel);
    CWKLineEditInt::vSetInvertScrollWheel(invertWheel);
    frmMainGLWidget::vSetInvertScrollWheel(invertWheel);
    iedtNumLayouts_changed();
    vWriteSetting("MaximumHistorySize", uiTextToUnsigned(iedtMaximumHistorySize->text()));
    const bool centaurus = chkbxPreferencesEnableCentaurus->isChecked();
    vWriteSetting("CentaurusEnabled", centaurus);
    if (apply)
        pGetVideoIO()->vSetEnabled(centaurus);
    const double weight = dTextToDouble(dedtXSplineDefaultWeight->text());
    const double length = dTextToDouble(dedtBezierDefaultLength->text());
    vWriteSetting("DefaultXSplineWeight", weight);
    vWriteSetting("DefaultBezierLength", length);
    if (apply) {
        vPushToProject("sltTimeoutUpdateGUI",
                       [&](CW_Instance project) { vSetContourModelDefaults(project, weight, length); });
    }

    const bool autosave = chkbxPreferencesEnableAutosave->isChecked();
    const int interval = iTextToInt(iedtPreferencesAutosaveInterval->text());
    vWriteSetting("AutosaveEnabled", autosave);
    vWriteSetting("AutosaveInterval", interval);
    vWriteSetting("SaveImagesAfterRenderingSingleFrames", chkbxPreferencesSaveEveryRenderCurrent->isChecked());
    if (apply)
        emit autosaveChanged(autosave, interval * 60000);
    vWriteSetting("FullScreen", rbtnFullScreen->isChecked());
    if (g_pMainWindow)
        g_pMainWindow->sltStoreRestoreSettings(false);

    // The slider cannot show every stored brightness (1.0, the default, is beyond its
    // range): while nobody moved it, the stored value stands.
    double brightness = m_dRestoredBrightness;
    if (uiBrightnessSlider->value() != m_iRestoredBrightnessSlider) {
        brightness = uiBrightnessSlider->value() / 100.0;
        vWriteSetting("UIBrightness", float(brightness));
        m_dRestoredBrightness = brightness;
        m_iRestoredBrightnessSlider = uiBrightnessSlider->value();
    }
    if (apply && g_pStyle) {
        g_pStyle->setBrightness(float(brightness));
        QApplication::setPalette(g_pStyle->standardPalette());
    }
    if (g_pMainWindow)
        g_pMainWindow->sltUpdateGUI();
}

// Logging starts once, stops when switched off, and starts again only on another file:
// every start marks the log, and the error report takes the part after the last mark.
void frmPreferences::vApplyLogging(bool enabled, const QString& logFile)
{
    Vosk::Logger* logger = Vosk::Logger::instance();
    if (!enabled) {
        if (logger->bIsStarted())
            logger->Stop();
        return;
    }
    const std::string path = logFile.toLocal8Bit().toStdString();
    if (logger->bIsStarted() && logger->strGetFile() == path)
        return;
    logger->startLogging(path, qstrGetProductName(qstrGetProduct()).toUtf8().toStdString(), true);
}

void frmPreferences::vCheckFolder(const QString& path, bool output)
{
    const QDir folder(path);
    if (QFileInfo(path).isDir()) {
        if (!QFileInfo(path).isReadable()) {
            vShowInformation(this, output ? tr("Could not open the output directory for reading.\nPlease ensure that you "
                                               "have read/write access to %1\nor change the output directory settings "
                                               "in Preferences")
                                                .arg(path)
                                          : tr("Could not open the file cache directory for reading.\nPlease ensure "
                                               "that you have read/write access to %1\nor change the file cache "
                                               "settings in Preferences")
                                                .arg(path));
        }
        if (folder.mkdir(QStringLiteral("WriteTest"))) {
            folder.rmdir(QStringLiteral("WriteTest"));
        } else {
            vShowInformation(this, output ? tr("Couldn't write to the output directory.\nPlease ensure that you have "
                                               "read/write access to %1\nor change the output directory settings in "
                                               "Preferences")
                                                .arg(path)
                                          : tr("Couldn't write to the file cache directory.\nPlease ensure that you "
                                               "have read/write access to %1\nor change the file cache settings in "
                                               "Preferences")
                                                .arg(path));
        }
        return;
    }
    // Only the last level is made: a missing parent folder is the user's mistake to see.
    if (!QDir::root().mkdir(path)) {
        vShowInformation(this, output ? tr("Could not create the output directory.\nPlease ensure that a valid output "
                                           "directory is specified in Preferences.")
                                      : tr("Could not create the file cache directory.\nPlease ensure that a valid "
                                           "file cache directory is specified in Preferences."));
    }
}

void frmPreferences::btnPreferencesOK_clicked()
{
    if (!QFileInfo(edtFileCacheDirectory->text()).isDir()) {
        QMessageBox::warning(this, QStringLiteral("Warning"),
                             tr("The specified file cache folder does not exist. Please correct the entry."),
                             QMessageBox::Ok);
        return;
    }
    sltStoreRestoreUserSettings(true, true);
    accept();
}

void frmPreferences::btnCancel_clicked()
{
    uiBrightnessSlider->setValue(int(m_dRestoredBrightness * 100.0));
    // The slider may not show the stored brightness exactly; the style gets it as stored.
    if (g_pStyle && g_pStyle->brightness() != float(m_dRestoredBrightness)) {
        g_pStyle->setBrightness(float(m_dRestoredBrightness));
        QApplication::setPalette(g_pStyle->standardPalette());
    }
    QCoreApplication::processEvents();
    reject();
}

void frmPreferences::btnOpenOutputDirectoryDialog_clicked()
{
    const QString folder
        = QFileDialog::getExistingDirectory(this, tr("Choose an output directory"), edtOutputDirectory->text());
    if (folder.isEmpty())
        return;
    edtOutputDirectory->setText(folder);
    edtOutputDirectorySpaceAvailable->setText(qstrGetFreeDiskSpaceMB(folder));
}

void frmPreferences::btnOpenFileCacheDirectoryDialog_clicked()
{
    const QString folder = QFileDialog::getExistingDirectory(this, tr("Choose a file cache directory"),
                                                             edtFileCacheDirectory->text());
    if (folder.isEmpty())
        return;
    edtFileCacheDirectory->setText(folder);
    edtFileCacheDirectorySpaceAvailable->setText(qstrGetFreeDiskSpaceMB(folder));
}

void frmPreferences::btnOpenSetLogFileDialog_clicked()
{
    const QString file = QFileDialog::getSaveFileName(this, tr("Specify a log file"), edtPreferencesLogFile->text());
    if (!file.isEmpty())
        edtPreferencesLogFile->setText(file);
}

void frmPreferences::btnCheckSoftwareUpdate_clicked()
{
    accept();
    frmSoftwareUpdate::vStartManualCheck();
}

void frmPreferences::chkbxSeparateFields_clicked()
{
    const bool separate = chkbxSeparateFields->isChecked();
    rbtnUpperFieldFirst->setEnabled(separate);
    rbtnLowerFieldFirst->setEnabled(separate);
    chkbx32Pulldown->setEnabled(separate);
}

void frmPreferences::rbtnUpperFieldFirst_clicked()
{
    rbtnLowerFieldFirst->setChecked(false);
}

void frmPreferences::rbtnLowerFieldFirst_clicked()
{
    rbtnUpperFieldFirst->setChecked(false);
}

void frmPreferences::chkbx32Pulldown_clicked()
{
}

void frmPreferences::rbtnLinearColorspace_clicked()
{
}

void frmPreferences::rbtnLogColorspace_clicked()
{
}

void frmPreferences::rbtnPanalogColorspace_clicked()
{
}

void frmPreferences::chkbxConvertPixelsToFloat_clicked()
{
    if (chkbxConvertPixelsToFloat->isChecked() && chkbxConvertPixelsTo8Bit->isChecked())
        chkbxConvertPixelsTo8Bit->setChecked(false);
}

void frmPreferences::chkbxConvertPixelsTo8Bit_clicked()
{
    if (chkbxConvertPixelsToFloat->isChecked() && chkbxConvertPixelsTo8Bit->isChecked())
        chkbxConvertPixelsToFloat->setChecked(false);
}

void frmPreferences::btnOpenWebBrowserExecutableFileDialog_clicked()
{
    const QString file = QFileDialog::getOpenFileName(this, tr("Specify a Web Browser"));
    if (!file.isEmpty())
        edtWebBrowserExecutable->setText(file);
}

void frmPreferences::btnOpenAcrobatExecutableFileDialog_clicked()
{
    const QString file
        = QFileDialog::getOpenFileName(this, tr("Specify a PDF Reader"), QString(), tr("Executables (*.exe *)"));
    if (!file.isEmpty())
        edtAcrobatExecutable->setText(file);
}

void frmPreferences::rbtnOutputDirectoryAbsolutePath_toggled(bool checked)
{
    if (!checked)
        return;
    const QString folder = varSetting("AbsoluteOutputDirectory", qstrGetDefaultTempDirectory()).toString();
    edtOutputDirectory->setText(folder);
    edtOutputDirectorySpaceAvailable->setText(qstrGetFreeDiskSpaceMB(folder));
    btnOpenOutputDirectoryDialog->setEnabled(true);
}

void frmPreferences::rbtnOutputDirectoryRelativePath_toggled(bool checked)
{
    if (!checked)
        return;
    edtOutputDirectory->setText(varSetting("RelativeOutputDirectory", QStringLiteral("Results")).toString());
    edtOutputDirectorySpaceAvailable->clear();
    btnOpenOutputDirectoryDialog->setEnabled(false);
}

void frmPreferences::iedtNumLayouts_changed()
{
    vWriteSetting("NumberOfLayouts", uiTextToUnsigned(iedtNumLayouts->text()));
    if (g_pMainWindow)
        g_pMainWindow->vUpdateLayoutMenus();
}

void frmPreferences::iedtMaximumHistorySize_changed()
{
    const unsigned int size = uiTextToUnsigned(iedtMaximumHistorySize->text());
    vWriteSetting("MaximumHistorySize", size);
    // The engine refuses an empty history; the field's range keeps it at 10 or more.
    if (size == 0)
        return;
    vPushToProject("iedtMaximumHistorySize_changed",
                   [&](CW_Instance project) { vSetMaximumHistorySize(project, size); });
}

void frmPreferences::sltStoreParameterControls()
{
    vStoreRestoreParameterControls(true);
}

void frmPreferences::updateUiBrightness(int value)
{
    if (!g_pStyle)
        return;
    g_pStyle->setBrightness(float(value / 100.0));
    QApplication::setPalette(g_pStyle->standardPalette());
    for (QWidget* widget : QApplication::allWidgets())
        widget->update();
}

void frmPreferences::resetUiBrightness()
{
    uiBrightnessSlider->setValue(50);
}

void frmPreferences::vShowColourIcon(QPushButton* button, const QColor& colour)
{
    QPixmap swatch(12, 12);
    swatch.fill(colour);
    button->setIcon(QIcon(swatch));
}

void frmPreferences::vChooseColour(const char* stem, int component, QPushButton* button, const QColor& fallback)
{
    const QColor chosen = QColorDialog::getColor(colColourSetting(stem, fallback), this);
    if (!chosen.isValid())
        return;
    const QString base = QLatin1String(stem);
    QSettings* settings = pGetUserSettings();
    settings->setValue(base + QStringLiteral("Red"), chosen.red());
    settings->setValue(base + QStringLiteral("Green"), chosen.green());
    settings->setValue(base + QStringLiteral("Blue"), chosen.blue());
    vPushToProject("sltTimeoutUpdateGUI", [&](CW_Instance project) {
        vSetSelectionColor(project, component, true, stctToEngineColour(chosen));
    });
    vShowColourIcon(button, chosen);
    if (g_pMainWindow)
        g_pMainWindow->sltUpdateGL();
}

void frmPreferences::selectedLayerColour_clicked()
{
    vChooseColour("SelectedLayerColour", CW_SELECTION_SELECTED_LAYER, btnColorsSelectedContour, QColor(255, 0, 0));
}

void frmPreferences::unselectedLayerColour_clicked()
{
    vChooseColour("UnselectedLayerColour", CW_SELECTION_UNSELECTED_LAYER, btnColorsUnselectedContour,
                  QColor(0, 255, 0));
}

void frmPreferences::renderedLayerColour_clicked()
{
    vChooseColour("RenderedLayerColour", CW_SELECTION_RENDERED_LAYER, btnColorsRenderedContour,
                  QColor(165, 82, 255));
}

void frmPreferences::pointColour_clicked()
{
    vChooseColour("PointColour", CW_SELECTION_POINT, btnColorsPoints, QColor(0, 0, 255));
}

void frmPreferences::switchedOffPointColour_clicked()
{
    vChooseColour("SwitchedOffPointColour", CW_SELECTION_SWITCHED_OFF_POINT, btnColorsSwitchedOffPoints,
                  QColor(255, 165, 82));
}

// ---- Shortcut maps.

void frmPreferences::vRegisterModuleKeyMappings(const QString& module, CWKKeyMap* keyMap)
{
    if (!keyMap)
        return;
    if (m_mapLiveKeyMaps.contains(module)) {
        QMessageBox::information(this, qstrGetProductName(qstrGetProduct()),
                                 tr("Key mappings already defined for module: ") + module, QMessageBox::Ok);
        return;
    }
    cboxModules->addItem(module);
    m_mapLiveKeyMaps.insert(module, keyMap);
    m_mapDefaultKeyMaps.insert(module, std::make_shared<const CWKKeyMap>(*keyMap));
    cboxModules->setCurrentIndex(cboxModules->findText(module, Qt::MatchExactly | Qt::MatchCaseSensitive));
    vShowModuleKeys(module);

    // The table takes the stored changes; saving it turns them into the page's map.
    QSettings* settings = pGetUserSettings();
    settings->beginGroup(qstrKeysGroup(module));
    tblShortcuts->clearContents();
    tblShortcuts->setRowCount(int(keyMap->size()));
    int row = 0;
    for (auto it = keyMap->cbegin(); it != keyMap->cend(); ++it, ++row) {
        auto* description = new QTableWidgetItem(it.value().qstrDescription);
        description->setFlags(Qt::ItemIsEnabled);
        auto* key = new QTableWidgetItem(settings->value(it.value().qstrDescription, it.key()).toString());
        key->setFlags(Qt::ItemIsEnabled | Qt::ItemIsEditable);
        tblShortcuts->setItem(row, 0, description);
        tblShortcuts->setItem(row, 1, key);
    }
    tblShortcuts->setHorizontalHeaderLabels({QStringLiteral("Shortcut Description"), QStringLiteral("Key")});
    settings->endGroup();
    btnSaveKeymapping_clicked();
}

void frmPreferences::vShowModuleKeys(const QString& module)
{
    const auto live = m_mapLiveKeyMaps.constFind(module);
    if (live == m_mapLiveKeyMaps.constEnd())
        return;
    QList<QPair<QString, QString>> rows;
    for (auto it = (*live)->cbegin(); it != (*live)->cend(); ++it)
        rows.append({it.value().qstrDescription, it.key()});
    std::sort(rows.begin(), rows.end());
    tblShortcuts->clearContents();
    tblShortcuts->setRowCount(int(rows.size()));
    for (int row = 0; row < rows.size(); ++row) {
        auto* description = new QTableWidgetItem(rows[row].first);
        description->setFlags(Qt::ItemIsEnabled);
        auto* key = new QTableWidgetItem(rows[row].second);
        key->setFlags(Qt::ItemIsEnabled | Qt::ItemIsEditable);
        tblShortcuts->setItem(row, 0, description);
        tblShortcuts->setItem(row, 1, key);
    }
    tblShortcuts->setHorizontalHeaderLabels({QStringLiteral("Shortcut Description"), QStringLiteral("Key")});
}

void frmPreferences::cboxModules_activated(const QString& module)
{
    vShowModuleKeys(module);
}

void frmPreferences::btnSaveKeymapping_clicked()
{
    const QString module = cboxModules->currentText();
    const auto live = m_mapLiveKeyMaps.constFind(module);
    if (live == m_mapLiveKeyMaps.constEnd())
        return;
    CWKKeyMap* liveMap = *live;

    QMap<QString, QString> rows;
    for (int row = 0; row < tblShortcuts->rowCount(); ++row) {
        const QTableWidgetItem* description = tblShortcuts->item(row, 0);
        const QTableWidgetItem* key = tblShortcuts->item(row, 1);
        if (!description)
            continue;
        rows.insert(description->text(), key ? key->text().left(1) : QString());
    }

    CWKKeyMap newMap;
    for (auto it = rows.cbegin(); it != rows.cend(); ++it) {
        // A command without a key would take every key press whose text is empty.
        if (it.value().isEmpty()) {
            QMessageBox::information(this, qstrGetProductName(qstrGetProduct()),
                                     tr("No key given for \"%1\". Please correct before saving key mappings")
                                         .arg(it.key()),
                                     QMessageBox::Ok);
            return;
        }
        if (newMap.contains(it.value())) {
            QMessageBox::information(
                this, qstrGetProductName(qstrGetProduct()),
                tr("Same key used for multiple commands. Please correct before saving key mappings"), QMessageBox::Ok);
            return;
        }
        const auto sameKey = liveMap->constFind(it.value());
        if (sameKey != liveMap->constEnd() && sameKey->qstrDescription == it.key()) {
            newMap.insert(it.value(), *sameKey);
            continue;
        }
        for (auto binding = liveMap->cbegin(); binding != liveMap->cend(); ++binding) {
            if (binding->qstrDescription == it.key()) {
                newMap.insert(it.value(), *binding);
                break;
            }
        }
    }

    *liveMap = newMap;
    vShowModuleKeys(module);

    const CWKKeyMap& defaults = *m_mapDefaultKeyMaps.value(module);
    QSettings* settings = pGetUserSettings();
    settings->beginGroup(qstrKeysGroup(module));
    for (auto it = newMap.cbegin(); it != newMap.cend(); ++it) {
        const auto standard = defaults.constFind(it.key());
        if (standard != defaults.constEnd() && standard->qstrDescription == it->qstrDescription)
            settings->remove(it->qstrDescription);
        else
            settings->setValue(it->qstrDescription, it.key());
    }
    settings->endGroup();
}

void frmPreferences::btnDefaultKeymapping_clicked()
{
    const QString module = cboxModules->currentText();
    const auto live = m_mapLiveKeyMaps.constFind(module);
    if (live == m_mapLiveKeyMaps.constEnd())
        return;
    **live = *m_mapDefaultKeyMaps.value(module);
    vShowModuleKeys(module);
    pGetUserSettings()->remove(qstrKeysGroup(module));
}

// ---- Settings getters.

QString frmPreferences::qstrGetDefaultTempDirectory()
{
    return qstrGetDefaultCacheFolder();
}

double frmPreferences::dGetDefaultXSplineWeight()
{
    return varSetting("DefaultXSplineWeight", 0.25).toDouble();
}

double frmPreferences::dGetDefaultBezierLength()
{
    return varSetting("DefaultBezierLength", 0.2).toDouble();
}

int frmPreferences::iGetNumberOfLayouts()
{
    return std::clamp(varSetting("NumberOfLayouts", 3).toInt(), 1, kMaximumLayouts);
}

int frmPreferences::iGetMaximumHistorySize()
{
    return varSetting("MaximumHistorySize", 100).toInt();
}

QString frmPreferences::qstrGetResultClipFileExtension()
{
    return QLatin1Char('.') + varSetting("ResultClipFileFormat", QStringLiteral("TIF")).toString();
}

unsigned int frmPreferences::uiGetForceAllocThreshold()
{
    return unsigned(std::max(0, varSetting("ForceAllocThreshold", 0).toInt()));
}

CW_Color frmPreferences::stctGetSelectedLayerColour()
{
    return stctColourSetting("SelectedLayerColour", 255, 0, 0);
}

CW_Color frmPreferences::stctGetUnselectedLayerColour()
{
    return stctColourSetting("UnselectedLayerColour", 0, 255, 0);
}

CW_Color frmPreferences::stctGetRenderedLayerColour()
{
    return stctColourSetting("RenderedLayerColour", 165, 82, 255);
}

CW_Color frmPreferences::stctGetPointColour()
{
    return stctColourSetting("PointColour", 0, 0, 255);
}

CW_Color frmPreferences::stctGetSwitchedOffPointColour()
{
    return stctColourSetting("SwitchedOffPointColour", 255, 165, 82);
}

void frmPreferences::vGetOverlayColours(CW_Color out[5])
{
    out[CW_SELECTION_POINT] = stctGetPointColour();
    out[CW_SELECTION_SELECTED_LAYER] = stctGetSelectedLayerColour();
    out[CW_SELECTION_UNSELECTED_LAYER] = stctGetUnselectedLayerColour();
    out[CW_SELECTION_RENDERED_LAYER] = stctGetRenderedLayerColour();
    out[CW_SELECTION_SWITCHED_OFF_POINT] = stctGetSwitchedOffPointColour();
}
