#include "frmPreferences.h"

#include "Vosk.h"
#include "app/CWKCustomEvent.h"
#include "app/CWKStyle.h"
#include "app/ExternalPrograms.h"
#include "app/LogMessage.h"
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
#include <QLocale>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QSettings>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace {

void vWriteSetting(const char* key, const QVariant& value)
{
    pGetUserSettings()->setValue(QLatin1String(key), value);
}

// The keys behind the numeric controls, with their defaults and the controls' ranges: a
// stored value outside them is not used, and a field that holds one is not stored.
struct IntKey {
    const char* pszKey;
    int iDefault;
    int iMinimum;
    int iMaximum;
};

struct RealKey {
    const char* pszKey;
    double dDefault;
    double dMinimum;
    double dMaximum;
};

const IntKey kFrameRateKey {"FrameRate", 3, 0, 9};
const IntKey kColourspaceKey {"Colourspace", 0, 0, 2};
// The frame-offset field takes any int.
const IntKey kTimeOffsetKey {"TimeOffset", 1, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()};
const IntKey kMaxDisplayCacheKey {"MaxDisplayCacheSize", 256, 0, 16384};
const IntKey kForceAllocKey {"ForceAllocThreshold", 0, 0, 100};
const IntKey kCropTopKey {"CropTop", 0, 0, 4000};
const IntKey kCropLeftKey {"CropLeft", 0, 0, 4000};
const IntKey kCropRightKey {"CropRight", 0, 0, 4000};
const IntKey kCropBottomKey {"CropBottom", 0, 0, 4000};
const IntKey kCameraModelKey {"CameraModel", 0, 0, 4};
const IntKey kNumberOfLayoutsKey {"NumberOfLayouts", 3, 2, 10};
const IntKey kHistoryKey {"MaximumHistorySize", 100, 10, 2000};
const IntKey kAutosaveIntervalKey {"AutosaveInterval", 5, 1, 60};

const RealKey kCustomParKey {"DefaultCustomPAR", 1.0, 0.01, 10.0};
// Read with a leading slash, written without; the store takes both as one key.
const RealKey kPPointXKey {"/PPointX", 50.0, 0.0, 100.0};
const RealKey kPPointYKey {"/PPointY", 50.0, 0.0, 100.0};
const RealKey kDistortionK1Key {"/DistortionK1", 0.0, 0.0, 100.0};
const RealKey kDistortionK2Key {"/DistortionK2", 0.0, 0.0, 100.0};
const RealKey kFocalLengthKey {"/FocalLength", 10.0, 1.0, 1000.0};
const RealKey kXSplineWeightKey {"DefaultXSplineWeight", 0.25, 0.0, 1.0};
const RealKey kBezierLengthKey {"DefaultBezierLength", 0.2, 0.0, 1.0};
// The slider shows 0.25 to 0.75; the default is full brightness.
const RealKey kBrightnessKey {"UIBrightness", 1.0, 0.25, 1.0};

int iRead(const IntKey& key, SettingRepair repair = SettingRepair::Keep)
{
    return iReadSetting(QLatin1String(key.pszKey), key.iDefault, key.iMinimum, key.iMaximum, repair);
}

double dRead(const RealKey& key, SettingRepair repair = SettingRepair::Keep)
{
    return dReadSetting(QLatin1String(key.pszKey), key.dDefault, key.dMinimum, key.dMaximum, repair);
}

bool bRead(const char* key, bool fallback, SettingRepair repair = SettingRepair::Keep)
{
    return bReadSetting(QLatin1String(key), fallback, repair);
}

QString qstrRead(const char* key, const QString& fallback, SettingText kind, SettingRepair repair = SettingRepair::Keep)
{
    return qstrReadSetting(QLatin1String(key), fallback, kind, repair);
}

QString qstrDefaultLogFile()
{
    return QDir::homePath() + QStringLiteral("/.corvane_log.txt");
}

QColor colColourSetting(const char* stem, const QColor& fallback, SettingRepair repair = SettingRepair::Keep)
{
    const QString base = QLatin1String(stem);
    return QColor(iReadSetting(base + QStringLiteral("Red"), fallback.red(), 0, 255, repair),
        iReadSetting(base + QStringLiteral("Green"), fallback.green(), 0, 255, repair),
        iReadSetting(base + QStringLiteral("Blue"), fallback.blue(), 0, 255, repair), 255);
}

CW_Color stctColourSetting(const char* stem, int red, int green, int blue)
{
    const QColor colour = colColourSetting(stem, QColor(red, green, blue));
    return CW_Color {colour.red() / 255.0f, colour.green() / 255.0f, colour.blue() / 255.0f};
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

// What a field holds, when it is a number its control's range allows.
std::optional<int> oFieldValue(const QLineEdit* field, const IntKey& key)
{
    bool ok = false;
    const qlonglong value = field->text().trimmed().toLongLong(&ok, 10);
    if (!ok || value < key.iMinimum || value > key.iMaximum)
        return std::nullopt;
    return int(value);
}

std::optional<double> oFieldValue(const QLineEdit* field, const RealKey& key)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(field->text().trimmed(), &ok);
    if (!ok || !(value >= key.dMinimum && value <= key.dMaximum))
        return std::nullopt;
    return value;
}

void vLogFieldRefused(const QLineEdit* field, const char* key)
{
    vLogMessage(QStringLiteral("Preferences: \"%1\" is no value for \"%2\"; the default is stored instead.")
                    .arg(field->text().left(40), QLatin1String(key)));
}

// A field left with text its control cannot hold stores the default, not the text.
int iFieldOrDefault(const QLineEdit* field, const IntKey& key)
{
    if (const std::optional<int> value = oFieldValue(field, key))
        return *value;
    vLogFieldRefused(field, key.pszKey);
    return key.iDefault;
}

double dFieldOrDefault(const QLineEdit* field, const RealKey& key)
{
    if (const std::optional<double> value = oFieldValue(field, key))
        return *value;
    vLogFieldRefused(field, key.pszKey);
    return key.dDefault;
}

// Written without the leading slash some keys are read with.
QString qstrStoredKey(const char* key)
{
    return QLatin1String(key[0] == '/' ? key + 1 : key);
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
    // Settings written elsewhere since the last opening show, and a later OK keeps them.
    vRestore(false, true);
    return QDialog::exec();
}

void frmPreferences::reject()
{
    uiBrightnessSlider->setValue(int(m_dRestoredBrightness * 100.0));
    // The slider may not show the stored brightness exactly; the style gets it as stored.
    if (g_pStyle && g_pStyle->brightness() != float(m_dRestoredBrightness)) {
        g_pStyle->setBrightness(float(m_dRestoredBrightness));
        QApplication::setPalette(g_pStyle->standardPalette());
    }
    vRestore(false, true);
    QDialog::reject();
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
        rotational = bRead("UseRotationalControls", true);
        rbtnUseRotationalControls->setChecked(rotational);
        rbtnUseLinearControls->setChecked(!rotational);
    }
    CWKLineEditDouble::vSetRotaryDrag(rotational);
    CWKLineEditInt::vSetRotaryDrag(rotational);
}

void frmPreferences::vStoreDefaultCustomPAR()
{
    // Kept as the text the field shows, when it is a ratio the field allows.
    if (oFieldValue(defaultCustomPARTextbox, kCustomParKey)) {
        vWriteSetting("DefaultCustomPAR", defaultCustomPARTextbox->text().trimmed());
    } else {
        vLogFieldRefused(defaultCustomPARTextbox, kCustomParKey.pszKey);
        vWriteSetting("DefaultCustomPAR", QString::number(kCustomParKey.dDefault));
    }
}

// controlsOnly reloads the controls from the settings and nothing else: no folder checks,
// no write-backs, no pushes, no messages. A full restore puts the default in place of a
// stored value that its control cannot hold.
void frmPreferences::vRestore(bool apply, bool controlsOnly)
{
    const bool push = !controlsOnly;
    if (controlsOnly)
        apply = false;
    const SettingRepair repair = push ? SettingRepair::WriteDefault : SettingRepair::Keep;

    defaultCustomPARTextbox->setText(QString::number(dRead(kCustomParKey, repair)));
    chkbxAutoSoftwareUpdate->setChecked(bRead("update/auto", true, repair));

    cbxPreferencesFrameRate->clear();
    for (const char* rate : kFrameRates)
        cbxPreferencesFrameRate->addItem(QString::fromLatin1(rate));
    cbxPreferencesFrameRate->setCurrentIndex(iRead(kFrameRateKey, repair));

    chkbxSeparateFields->setChecked(bRead("Interlaced", false, repair));
    const bool reverseFields = bRead("ReverseFields", false, repair);
    rbtnLowerFieldFirst->setChecked(reverseFields);
    rbtnUpperFieldFirst->setChecked(!reverseFields);
    const bool separate = chkbxSeparateFields->isChecked();
    rbtnLowerFieldFirst->setEnabled(separate);
    rbtnUpperFieldFirst->setEnabled(separate);
    chkbx32Pulldown->setEnabled(separate);
    chkbx32Pulldown->setChecked(bRead("Pulldown", false, repair));

    const int colourspace = iRead(kColourspaceKey, repair);
    rbtnLinearColorspace->setChecked(colourspace == 0);
    rbtnLogColorspace->setChecked(colourspace == 1);
    rbtnPanalogColorspace->setChecked(colourspace == 2);

    // Filled afresh, so that a repeated restore does not list the formats twice.
    cboxResultImageFileFormat->clear();
    cboxResultImageFileFormat->insertItem(0, QStringLiteral("tif"));
    cboxResultImageFileFormat->insertItem(1, QStringLiteral("dpx"));
    const QString format = qstrRead("ResultClipFileFormat", QStringLiteral("TIF"), SettingText::Word, repair);
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

    chkbxConvertPixelsToFloat->setChecked(bRead("ConvertPixelsToFloat", false, repair));
    chkbxConvertPixelsTo8Bit->setChecked(bRead("ConvertPixelsTo8Bit", false, repair));
    const bool timecode = bRead("TimeCode", false, repair);
    if (timecode)
        btnPreferencesTimeTimeCode->setChecked(true);
    else
        btnPreferencesTimeFrameNo->setChecked(true);
    iedtPreferencesTimeOffset->setText(QString::number(iRead(kTimeOffsetKey, repair)));

    // The toggle slots show the stored folders: write them back first.
    const QString relative = qstrGetRelativeOutputDirectory();
    const QString absolute = qstrGetAbsoluteOutputDirectory();
    if (push) {
        vWriteSetting("RelativeOutputDirectory", relative);
        vWriteSetting("AbsoluteOutputDirectory", absolute);
    }
    const bool absoluteChoice = bRead("OutputDirectoryAbsolutePath", false, repair);
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

    const QString cacheFolder
        = qstrRead("FileCacheFolder", qstrGetDefaultTempDirectory(), SettingText::AbsolutePath, repair);
    if (push)
        vCheckFolder(cacheFolder, false);
    edtFileCacheDirectory->setText(cacheFolder);
    if (push)
        pGetMemoryManager(0)->vSetCacheFolder(cacheFolder.toUtf8().constData());
    edtFileCacheDirectorySpaceAvailable->setText(qstrGetFreeDiskSpaceMB(cacheFolder));

    chkbxPreferencesCacheOriginalClip->setChecked(bRead("CacheOriginalClip", false, repair));
    const bool displayCache = bRead("UseDisplayCache", true, repair);
    chkbxPreferencesUseDisplayCache->setChecked(displayCache);
    iedtPreferencesMaxDisplayCacheSize->setEnabled(displayCache);
    iedtPreferencesMaxDisplayCacheSize->setText(QString::number(iRead(kMaxDisplayCacheKey, repair)));
    // The stored threshold, not 0: otherwise the next store would overwrite it with 0.
    const unsigned int threshold = unsigned(iRead(kForceAllocKey, repair));
    iedtPreferencesReservedImageBuffers->setText(QString::number(threshold));
    if (push)
        vPushToProject("", [&](CW_Instance project) { vSetForceAllocThreshold(project, threshold); });
    useHWRendering->setChecked(bBRD_GetUseHardwareRendering());
    if (push)
        bRead("UseHardwareRendering", false, repair);
    iedtPreferencesCropTop->setText(QString::number(iRead(kCropTopKey, repair)));
    iedtPreferencesCropLeft->setText(QString::number(iRead(kCropLeftKey, repair)));
    iedtPreferencesCropRight->setText(QString::number(iRead(kCropRightKey, repair)));
    iedtPreferencesCropBottom->setText(QString::number(iRead(kCropBottomKey, repair)));
    cboxPreferencesCameraModel->setCurrentIndex(iRead(kCameraModelKey, repair));
    dedtPreferencesPrincipalPointPercentageX->setText(QString::number(dRead(kPPointXKey, repair), 'f', 2));
    dedtPreferencesPrincipalPointPercentageY->setText(QString::number(dRead(kPPointYKey, repair), 'f', 2));
    dedtPreferencesDistortionK1->setText(QString::number(dRead(kDistortionK1Key, repair), 'f', 3));
    dedtPreferencesDistortionK2->setText(QString::number(dRead(kDistortionK2Key, repair), 'f', 3));
    dedtPreferencesFocalLength->setText(QString::number(dRead(kFocalLengthKey, repair), 'g', 6));

    const bool logging = bRead("EnableErrorLogging", true, repair);
    const QString logFile = qstrRead("ErrorLogFile", qstrDefaultLogFile(), SettingText::AbsolutePath, repair);
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

    const bool comprehensive = bRead("CompErrorDetection", true, repair);
    if (comprehensive)
        rbtnPreferencesComprehensiveErrorDetection->setChecked(true);
    else
        rbtnPreferencesNormalErrorDetection->setChecked(true);
    if (push)
        vSetEnableFullErrorDetection(pstctBRD_GetCallbackStruct(), comprehensive);

    chkbxTutorialAutoStep->setChecked(bRead("TutorialAutoStep", false, repair));
    chkbxTutorialAutoRepeat->setChecked(bRead("TutorialAutoRepeat", false, repair));
    if (push) {
        qstrRead("WebBrowser", QString(), SettingText::Any, repair);
        qstrRead("PDFReader", QString(), SettingText::Any, repair);
    }
    edtWebBrowserExecutable->setText(qstrGetWebBrowser());
    edtAcrobatExecutable->setText(qstrGetPdfReader());

    if (push)
        bRead("UseRotationalControls", true, repair);
    vStoreRestoreParameterControls(false);

    const bool invertWheel = bRead("InvertScrollWheel", true, repair);
    chkbxInvertScrollWheel->setChecked(invertWheel);
    if (push) {
        CWKLineEditDouble::vSetInvertScrollWheel(invertWheel);
        CWKLineEditInt::vSetInvertScrollWheel(invertWheel);
        frmMainGLWidget::vSetInvertScrollWheel(invertWheel);
    }
    iedtNumLayouts->setText(QString::number(iRead(kNumberOfLayoutsKey, repair)));
    iedtMaximumHistorySize->setText(QString::number(iRead(kHistoryKey, repair)));
    BRD_VideoIO* video = pGetVideoIO();
    const bool centaurus = bRead("CentaurusEnabled", video->bGetEnabled(), repair);
    chkbxPreferencesEnableCentaurus->setChecked(centaurus);
    chkbxPreferencesEnableCentaurus->setEnabled(video->bGetInstalled(0));
    if (apply)
        video->vSetEnabled(centaurus);

    QPushButton* const colourButtons[] = {btnColorsSelectedContour, btnColorsUnselectedContour,
                                          btnColorsRenderedContour, btnColorsPoints, btnColorsSwitchedOffPoints};
    QColor colours[5];
    for (int i = 0; i < 5; ++i) {
        colours[i] = colColourSetting(kOverlayColours[i].pszStem, kOverlayColours[i].colDefault, repair);
        vShowColourIcon(colourButtons[i], colours[i]);
    }
    if (apply) {
        vPushToProject("sltTimeoutUpdateGUI", [&](CW_Instance project) {
            for (int i = 0; i < 5; ++i)
                vSetSelectionColor(project, kOverlayColours[i].iComponent, true, stctToEngineColour(colours[i]));
        });
    }

    const double weight = dRead(kXSplineWeightKey, repair);
    const double length = dRead(kBezierLengthKey, repair);
    dedtXSplineDefaultWeight->setText(QString::number(weight, 'g', 6));
    dedtBezierDefaultLength->setText(QString::number(length, 'g', 6));
    if (apply) {
        vPushToProject("sltTimeoutUpdateGUI",
                       [&](CW_Instance project) { vSetContourModelDefaults(project, weight, length); });
    }

    const bool autosave = bRead("AutosaveEnabled", true, repair);
    const int interval = iRead(kAutosaveIntervalKey, repair);
    chkbxPreferencesEnableAutosave->setChecked(autosave);
    iedtPreferencesAutosaveInterval->setText(QString::number(interval));
    chkbxPreferencesSaveEveryRenderCurrent->setChecked(bRead("SaveImagesAfterRenderingSingleFrames", false, repair));
    if (apply)
        emit autosaveChanged(autosave, interval * 60000);
    const bool fullScreen = bRead("FullScreen", false, repair);
    rbtnFullScreen->setChecked(fullScreen);
    rbtnWindow->setChecked(!fullScreen);
    m_dRestoredBrightness = dRead(kBrightnessKey, repair);
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
    vWriteSetting("TimeOffset", iFieldOrDefault(iedtPreferencesTimeOffset, kTimeOffsetKey));

    const bool absolute = rbtnOutputDirectoryAbsolutePath->isChecked();
    vWriteSetting("OutputDirectoryAbsolutePath", absolute);
    vWriteSetting(absolute ? "AbsoluteOutputDirectory" : "RelativeOutputDirectory", edtOutputDirectory->text());

    const QString cacheFolder = edtFileCacheDirectory->text();
    vWriteSetting("FileCacheFolder", cacheFolder);
    if (apply)
        pGetMemoryManager(0)->vSetCacheFolder(cacheFolder.toUtf8().constData());

    vWriteSetting("CacheOriginalClip", chkbxPreferencesCacheOriginalClip->isChecked());
    vWriteSetting("UseDisplayCache", chkbxPreferencesUseDisplayCache->isChecked());
    vWriteSetting("MaxDisplayCacheSize", iFieldOrDefault(iedtPreferencesMaxDisplayCacheSize, kMaxDisplayCacheKey));
    const unsigned int threshold = unsigned(iFieldOrDefault(iedtPreferencesReservedImageBuffers, kForceAllocKey));
    vWriteSetting("ForceAllocThreshold", threshold);
    if (apply)
        vPushToProject("", [&](CW_Instance project) { vSetForceAllocThreshold(project, threshold); });
    vWriteSetting("UseHardwareRendering", useHWRendering->isChecked());
    vWriteSetting("CropTop", iFieldOrDefault(iedtPreferencesCropTop, kCropTopKey));
    vWriteSetting("CropLeft", iFieldOrDefault(iedtPreferencesCropLeft, kCropLeftKey));
    vWriteSetting("CropRight", iFieldOrDefault(iedtPreferencesCropRight, kCropRightKey));
    vWriteSetting("CropBottom", iFieldOrDefault(iedtPreferencesCropBottom, kCropBottomKey));
    vWriteSetting("CameraModel", cboxPreferencesCameraModel->currentIndex());
    pGetUserSettings()->setValue(
        qstrStoredKey(kPPointXKey.pszKey), dFieldOrDefault(dedtPreferencesPrincipalPointPercentageX, kPPointXKey));
    pGetUserSettings()->setValue(
        qstrStoredKey(kPPointYKey.pszKey), dFieldOrDefault(dedtPreferencesPrincipalPointPercentageY, kPPointYKey));
    pGetUserSettings()->setValue(
        qstrStoredKey(kDistortionK1Key.pszKey), dFieldOrDefault(dedtPreferencesDistortionK1, kDistortionK1Key));
    pGetUserSettings()->setValue(
        qstrStoredKey(kDistortionK2Key.pszKey), dFieldOrDefault(dedtPreferencesDistortionK2, kDistortionK2Key));
    pGetUserSettings()->setValue(
        qstrStoredKey(kFocalLengthKey.pszKey), dFieldOrDefault(dedtPreferencesFocalLength, kFocalLengthKey));

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
    vWriteSetting("MaximumHistorySize", unsigned(iFieldOrDefault(iedtMaximumHistorySize, kHistoryKey)));
    const bool centaurus = chkbxPreferencesEnableCentaurus->isChecked();
    vWriteSetting("CentaurusEnabled", centaurus);
    if (apply)
        pGetVideoIO()->vSetEnabled(centaurus);
    const double weight = dFieldOrDefault(dedtXSplineDefaultWeight, kXSplineWeightKey);
    const double length = dFieldOrDefault(dedtBezierDefaultLength, kBezierLengthKey);
    vWriteSetting("DefaultXSplineWeight", weight);
    vWriteSetting("DefaultBezierLength", length);
    if (apply) {
        vPushToProject("sltTimeoutUpdateGUI",
                       [&](CW_Instance project) { vSetContourModelDefaults(project, weight, length); });
    }

    const bool autosave = chkbxPreferencesEnableAutosave->isChecked();
    const int interval = iFieldOrDefault(iedtPreferencesAutosaveInterval, kAutosaveIntervalKey);
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
    // Only the last level is made: a missing parent folder is the user's mistake to see. A
    // relative path would be made below whatever folder the program runs in: never.
    if (!QDir::isAbsolutePath(path) || !QDir::root().mkdir(path)) {
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
    // Nothing is stored here, so nothing edited may stay behind in the controls either.
    vRestore(false, true);
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
    const QString folder = qstrGetAbsoluteOutputDirectory();
    edtOutputDirectory->setText(folder);
    edtOutputDirectorySpaceAvailable->setText(qstrGetFreeDiskSpaceMB(folder));
    btnOpenOutputDirectoryDialog->setEnabled(true);
}

void frmPreferences::rbtnOutputDirectoryRelativePath_toggled(bool checked)
{
    if (!checked)
        return;
    edtOutputDirectory->setText(qstrGetRelativeOutputDirectory());
    edtOutputDirectorySpaceAvailable->clear();
    btnOpenOutputDirectoryDialog->setEnabled(false);
}

void frmPreferences::iedtNumLayouts_changed()
{
    // Text the field's range does not allow changes nothing.
    const std::optional<int> count = oFieldValue(iedtNumLayouts, kNumberOfLayoutsKey);
    if (!count) {
        vLogFieldRefused(iedtNumLayouts, kNumberOfLayoutsKey.pszKey);
        return;
    }
    vWriteSetting("NumberOfLayouts", unsigned(*count));
    if (g_pMainWindow)
        g_pMainWindow->vUpdateLayoutMenus();
}

void frmPreferences::iedtMaximumHistorySize_changed()
{
    // The engine refuses an empty history, and text the field's range does not allow
    // changes nothing.
    const std::optional<int> size = oFieldValue(iedtMaximumHistorySize, kHistoryKey);
    if (!size) {
        vLogFieldRefused(iedtMaximumHistorySize, kHistoryKey.pszKey);
        return;
    }
    vWriteSetting("MaximumHistorySize", unsigned(*size));
    vPushToProject("iedtMaximumHistorySize_changed",
        [&](CW_Instance project) { vSetMaximumHistorySize(project, unsigned(*size)); });
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

void frmPreferences::vUnregisterModuleKeyMappings(const QString& module, const CWKKeyMap* keyMap)
{
    const auto live = m_mapLiveKeyMaps.constFind(module);
    if (live == m_mapLiveKeyMaps.constEnd() || *live != keyMap)
        return;
    m_mapLiveKeyMaps.remove(module);
    m_mapDefaultKeyMaps.remove(module);
    const int index = cboxModules->findText(module, Qt::MatchExactly | Qt::MatchCaseSensitive);
    const bool shown = index >= 0 && index == cboxModules->currentIndex();
    if (index >= 0)
        cboxModules->removeItem(index);
    if (shown) {
        tblShortcuts->clearContents();
        tblShortcuts->setRowCount(0);
        vShowModuleKeys(cboxModules->currentText());
    }
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
    return dRead(kXSplineWeightKey);
}

double frmPreferences::dGetDefaultBezierLength()
{
    return dRead(kBezierLengthKey);
}

int frmPreferences::iGetNumberOfLayouts()
{
    return iRead(kNumberOfLayoutsKey);
}

int frmPreferences::iGetMaximumHistorySize()
{
    return iRead(kHistoryKey);
}

QString frmPreferences::qstrGetResultClipFileExtension()
{
    return QLatin1Char('.') + qstrRead("ResultClipFileFormat", QStringLiteral("TIF"), SettingText::Word);
}

unsigned int frmPreferences::uiGetForceAllocThreshold()
{
    return unsigned(iRead(kForceAllocKey));
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

bool frmPreferences::bGetAutosaveEnabled()
{
    return bRead("AutosaveEnabled", true);
}

int frmPreferences::iGetAutosaveIntervalMinutes()
{
    return iRead(kAutosaveIntervalKey);
}

int frmPreferences::iGetDefaultFrameRateIndex()
{
    return iRead(kFrameRateKey);
}

bool frmPreferences::bGetCacheOriginalClip()
{
    return bRead("CacheOriginalClip", false);
}

bool frmPreferences::bGetUseTimeCode()
{
    return bRead("TimeCode", false);
}

int frmPreferences::iGetTimeOffset()
{
    return iRead(kTimeOffsetKey);
}

double frmPreferences::dGetDefaultCustomPAR()
{
    return dRead(kCustomParKey);
}

bool frmPreferences::bGetOutputDirectoryAbsolute()
{
    return bRead("OutputDirectoryAbsolutePath", false);
}

QString frmPreferences::qstrGetRelativeOutputDirectory()
{
    return qstrRead("RelativeOutputDirectory", QStringLiteral("Results"), SettingText::RelativePath);
}

QString frmPreferences::qstrGetAbsoluteOutputDirectory()
{
    return qstrRead("AbsoluteOutputDirectory", qstrGetDefaultTempDirectory(), SettingText::AbsolutePath);
}

QString frmPreferences::qstrGetFileCacheFolder()
{
    return qstrRead("FileCacheFolder", qstrGetDefaultTempDirectory(), SettingText::AbsolutePath);
}

bool frmPreferences::bGetUseDisplayCache()
{
    return bRead("UseDisplayCache", true);
}

unsigned int frmPreferences::uiGetDisplayCacheSize()
{
    return bGetUseDisplayCache() ? unsigned(iRead(kMaxDisplayCacheKey)) : 0u;
}

QString frmPreferences::qstrGetErrorLogFile()
{
    return qstrRead("ErrorLogFile", qstrDefaultLogFile(), SettingText::AbsolutePath);
}

QString frmPreferences::qstrGetWebBrowser()
{
    const QString stored = qstrRead("WebBrowser", QString(), SettingText::Any);
    return stored.isEmpty() ? qstrGetAssociatedProgram(QStringLiteral(".html")) : stored;
}

QString frmPreferences::qstrGetPdfReader()
{
    const QString stored = qstrRead("PDFReader", QString(), SettingText::Any);
    return stored.isEmpty() ? qstrGetAssociatedProgram(QStringLiteral(".pdf")) : stored;
}

bool frmPreferences::bGetUseHardwareRendering()
{
    return bRead("UseHardwareRendering", false);
}

double frmPreferences::dGetUIBrightness()
{
    return dRead(kBrightnessKey);
}
