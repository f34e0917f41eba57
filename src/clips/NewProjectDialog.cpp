#include "NewProjectDialog.h"

#include "app/CWKCustomEvent.h"
#include "app/ChoiceTables.h"
#include "app/ClipProbe.h"
#include "app/MessageBoxes.h"
#include "app/ProductStrings.h"
#include "app/ProgramState.h"
#include "app/ProjectCloseDown.h"
#include "app/ProjectManagerInstance.h"
#include "app/Settings.h"
#include "app/ShellAccessors.h"
#include "app/XmlErrorHandler.h"
#include "brandor.h"
#include "mainwindow/frmMain.h"
#include "preferences/frmPreferences.h"
#include "velmor.h"
#include "viewer/ViewOptionsManager.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <cmath>

namespace {

QVariant varSetting(const char* key, const QVariant& fallback)
{
    return pGetUserSettings()->value(QLatin1String(key), fallback);
}

// The film type's pixel aspect ratio for a clip size; the frame aspect is halved for fields.
double dParForFilmType(const CW_FilmType& type, unsigned int width, unsigned int height, bool fields)
{
    if (type.uiWidth == 0 || type.uiHeight == 0 || width == 0 || height == 0)
        return 0.0;
    double frameAspect = double(width) / double(height);
    if (fields)
        frameAspect /= 2.0;
    return (double(type.uiWidth) / double(type.uiHeight)) / frameAspect;
}

// The clip chooser: an open-file dialog whose choice is probed; empty when cancelled or
// unreadable (then it has said so).
QString qstrChooseClip(QWidget* parent, const QString& folder)
{
    const QString path = QFileDialog::getOpenFileName(parent, QCoreApplication::translate("NewProjectDialog", "Choose a file"), folder);
    if (path.isEmpty())
        return QString();
    if (!bIsReadableClip(path)) {
        vShowWarning(parent, QCoreApplication::translate("NewProjectDialog", "The file %1 cannot be read as a clip.").arg(path));
        return QString();
    }
    return path;
}

// Bytes per value of the pixel type codes the dialog meets.
int iPixelTypeBytes(int type)
{
    switch (type) {
    case 3: return 2;
    case 8: return 4;
    case 12: return 0;
    default: return 1;
    }
}

} // namespace

NewProjectDialog::NewProjectDialog(QWidget* parent, int mode) : QDialog(parent), m_iMode(mode)
{
    setupUi(this);
    connect(projectNameTextbox, &QLineEdit::textChanged, this, &NewProjectDialog::onClipOrNameTextChanged);
    connect(clipTextbox, &QLineEdit::textChanged, this, &NewProjectDialog::onClipOrNameTextChanged);
    connect(chooseClipButton, &QPushButton::clicked, this, &NewProjectDialog::onChooseClip);
    connect(changeLocationButton, &QPushButton::clicked, this, &NewProjectDialog::onChangeProjectDirectory);

    separateFieldsCombo->addItems({tr("Off"), tr("Upper field first"), tr("Lower field first")});
    connect(separateFieldsCombo, &QComboBox::currentTextChanged, this, &NewProjectDialog::onInterlaceModeChanged);
    pulldownCombo->addItems({tr("Off"), tr("3:2 Pulldown")});
    pulldownCombo->setEnabled(false);

    connect(firstFrameTextbox, &QLineEdit::textChanged, this, &NewProjectDialog::onFirstFrameChanged);
    connect(lastFrameTextbox, &QLineEdit::textChanged, this, &NewProjectDialog::onLastFrameChanged);

    if (stctGetChoiceTables().qslFrameRates.isEmpty())
        vInitChoiceTables();
    frameRateCombo->clear();
    frameRateCombo->addItems(stctGetChoiceTables().qslFrameRates);
    frameRateCombo->setCurrentIndex(frmPreferences::iGetDefaultFrameRateIndex());

    connect(parCombo, qOverload<int>(&QComboBox::currentIndexChanged), this, &NewProjectDialog::onParComboChanged);
    cacheClipCheckbox->setChecked(frmPreferences::bGetCacheOriginalClip());

    colourspaceCombo->clear();
    colourspaceCombo->addItems({QStringLiteral("Linear"), QStringLiteral("Log"), QStringLiteral("Panalog")});
    connect(colourspaceCombo, &QComboBox::textActivated, this, &NewProjectDialog::onColourspaceChanged);
    onColourspaceChanged(QStringLiteral("Linear"));
    conversionCombo->clear();
    conversionCombo->addItems({QStringLiteral("None"), QStringLiteral("Float"), QStringLiteral("8 bit")});
    offsetTextbox->vSetRange(-1024.0, 1024.0, 3);
    softclipTextbox->vSetRange(0.0, 200.0, 3);
    logRefWhiteTextbox->vSetRange(0.0, 1024.0, 3);
    logRefBlackTextbox->vSetRange(0.0, 1024.0, 3);
    gammaTextbox->vSetRange(0.0, 10.0, 3);
    offsetTextbox->setText(QString::number(varSetting("Offset", 0).toInt()));
    logRefBlackTextbox->setText(QString::number(varSetting("BlackPoint", 95).toInt()));
    logRefWhiteTextbox->setText(QString::number(varSetting("WhitePoint", 685).toInt()));
    softclipTextbox->setText(QString::number(varSetting("SoftClip", 0).toInt()));

    connect(timecodeRadioButton, &QRadioButton::toggled, this, &NewProjectDialog::onFrameOffsetTypeChanged);
    connect(frameNumberRadioButton, &QRadioButton::toggled, this, &NewProjectDialog::onFrameOffsetTypeChanged);

    intermediateStackedWidget->setEnabled(false);
    optionsTabWidget->setEnabled(false);
    QPushButton* ok = buttonBox->button(QDialogButtonBox::Ok);
    ok->setEnabled(false);
    connect(ok, &QPushButton::clicked, this, &NewProjectDialog::onOK);
    connect(buttonBox->button(QDialogButtonBox::Cancel), &QPushButton::clicked, this, &NewProjectDialog::onCancel);

    if (bIsImportMode()) {
        setWindowTitle(tr("Import Clip"));
        intermediateStackedWidget->setCurrentWidget(inheritancePage);
        ok->setText(tr("Import"));
        parentClipCombo->vConfigure(0, false, false, true, false, false, false, 3);
    } else {
        setWindowTitle(tr("New Project"));
        intermediateStackedWidget->setCurrentWidget(projectFilePage);
        ok->setText(tr("OK"));
    }
    resize(minimumSizeHint());
}

NewProjectDialog::~NewProjectDialog()
{
    // The parameter focus may point into this dialog.
    // Sent, not posted: the event stays the sender's, so it lives on the stack.
    if (g_pMainWindow) {
        CWKCustomEvent focusGone(10400, 0);
        QCoreApplication::sendEvent(g_pMainWindow, &focusGone);
    }
}

void NewProjectDialog::vSetCurrentClipID(CW_CLIP_ID clip)
{
    parentClipCombo->vSetCurrentClipID(int(clip));
}

void NewProjectDialog::vSetClipComboEnabled(bool enabled)
{
    parentClipCombo->setEnabled(enabled);
}

bool NewProjectDialog::bCacheOriginalClip() const
{
    return cacheClipCheckbox->isChecked();
}

QString NewProjectDialog::qstrDefaultProjectName(const QString& baseName)
{
    if (baseName.isEmpty())
        return QStringLiteral("New");
    QString name = baseName;
    if (name.size() > 1 && (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char('_')) || name.endsWith(QLatin1Char('-'))))
        name.chop(1);
    return name;
}

QString NewProjectDialog::qstrEngineClipName(const QString& baseName)
{
    if (baseName.isEmpty() || (baseName.size() == 1 && !baseName.at(0).isLetterOrNumber()))
        return QStringLiteral("New");
    QString name = baseName;
    if (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char('_')) || name.endsWith(QLatin1Char('-')))
        name.chop(1);
    return name;
}

int NewProjectDialog::iTimecodeTextToFrame(const QString& text, float frameRate)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    unsigned int values[4] = {0, 0, 0, 0};
    for (int index = 0; index < 4 && index < parts.size(); ++index)
        values[index] = parts.at(index).trimmed().toUInt();
    const int timecode[4] = {int(values[3]), int(values[2]), int(values[1]), int(values[0])};
    return iTimecodeToFrame(timecode, frameRate);
}

float NewProjectDialog::fSelectedFrameRate() const
{
    return frameRateCombo->currentText().toFloat();
}

void NewProjectDialog::onChooseClip()
{
    const QString path = qstrChooseClip(this, varSetting("LastNewProjectFolder", QString()).toString());
    if (!path.isEmpty())
        setClipPath(path);
}

void NewProjectDialog::onChangeProjectDirectory()
{
    const QString folder = QFileDialog::getExistingDirectory(this, tr("Choose location"), locationCombo->currentText(),
        QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (folder.isEmpty())
        return;
    locationCombo->insertItem(0, folder);
    locationCombo->setCurrentIndex(0);
}

void NewProjectDialog::onClipOrNameTextChanged()
{
    buttonBox->button(QDialogButtonBox::Ok)
        ->setEnabled(!projectNameTextbox->text().isEmpty() && !clipTextbox->text().isEmpty());
}

void NewProjectDialog::setClipPath(const QString& path)
{
    if (!m_qstrMoviePath.isEmpty() && m_qstrMoviePath != path) {
        vCloseMovie(m_qstrMoviePath);
        m_qstrMoviePath.clear();
    }
    clipTextbox->setText(path);
    if (path.isEmpty()) {
        projectNameTextbox->clear();
        locationCombo->clear();
        intermediateStackedWidget->setEnabled(false);
        optionsTabWidget->setEnabled(false);
        return;
    }

    m_stctClipInfo = CW_ClipInfo();
    m_stctBaseClipInfo = CW_BaseClipInfo();
    if (!bGetClipImageInfo(clipTextbox->text(), m_stctBaseClipInfo, m_stctClipInfo, nullptr)) {
        vCloseMovie(path);
        vShowWarning(this, tr("The file %1 cannot be read as a clip.").arg(path));
        clipTextbox->clear();
        intermediateStackedWidget->setEnabled(false);
        optionsTabWidget->setEnabled(false);
        return;
    }
    m_qstrMoviePath = path;
    if (g_fCommandLineFrameRate > 0.0f)
        m_stctBaseClipInfo.fFrameRate = g_fCommandLineFrameRate;
    if (m_stctBaseClipInfo.iFieldMode == 13)
        m_stctBaseClipInfo.iFieldMode = 0;
    m_uiProbedHeight = m_stctBaseClipInfo.uiHeight;
    m_iProbedFieldMode = m_stctBaseClipInfo.iFieldMode;
    m_iProbedFirstFrame = m_stctClipInfo.iFirstFileNumber;
    m_iProbedLastFrame = m_stctClipInfo.iLastFileNumber;
    pGetUserSettings()->setValue(QStringLiteral("LastNewProjectFolder"), path);

    projectNameTextbox->setText(qstrDefaultProjectName(m_stctClipInfo.qstrFileName));

    for (CWKLineEditInt* edit : {firstFrameTextbox, lastFrameTextbox})
        edit->vSetRange(m_iProbedFirstFrame, m_iProbedLastFrame);
    firstFrameTextbox->setText(QString::number(m_iProbedFirstFrame));
    lastFrameTextbox->setText(QString::number(m_iProbedLastFrame));

    if (m_stctBaseClipInfo.fFrameRate != 0.0f) {
        int index = -1;
        fGetNearestFrameRate(m_stctBaseClipInfo.fFrameRate, &index);
        if (index >= 0 && index < frameRateCombo->count())
            frameRateCombo->setCurrentIndex(index);
    }

    {
        const QSignalBlocker blockTimecode(timecodeRadioButton);
        const QSignalBlocker blockNumber(frameNumberRadioButton);
        const bool timecode = frmPreferences::bGetUseTimeCode();
        timecodeRadioButton->setChecked(timecode);
        frameNumberRadioButton->setChecked(!timecode);
        frameOffsetTextbox->setInputMask(timecode ? QStringLiteral("99:99:99:99") : QString());
        frameOffsetTextbox->setText(QString::number(frmPreferences::iGetTimeOffset()));
    }

    parCombo->clear();
    const QSignalBlocker blockPar(parCombo);
    vFillFilmTypeCombo(parCombo);
    const CW_FilmType match = CW_FilmTypeFactory::bestMatchForSize(
        QSize(int(m_stctBaseClipInfo.uiWidth), int(m_stctBaseClipInfo.uiHeight)), bSeparatedFields());
    if (match.uiWidth == 0 || match.uiHeight == 0) {
        parCombo->setCurrentIndex(parCombo->findText(QStringLiteral("Custom"), Qt::MatchFixedString));
        parLineEdit->setText(QString::number(frmPreferences::dGetDefaultCustomPAR(), 'g', 6));
    } else {
        parCombo->setCurrentIndex(parCombo->findText(QString::fromStdString(match.strName)));
        onParComboChanged(parCombo->currentIndex());
    }

    locationCombo->clear();
    locationCombo->addItem(m_stctClipInfo.qstrFolder + frmPreferences::qstrGetRelativeOutputDirectory());
    locationCombo->addItem(frmPreferences::qstrGetAbsoluteOutputDirectory());
    locationCombo->setCurrentIndex(frmPreferences::bGetOutputDirectoryAbsolute() ? 1 : 0);

    if (timecodeRadioButton->isChecked()) {
        const int start = m_stctBaseClipInfo.iTimecodeOffset;
        frameOffsetTextbox->setText(qstrGetFrameDisplayString(start, fSelectedFrameRate(), true, false, false, false, 0));
    }

    if (m_stctBaseClipInfo.iFieldMode != 0) {
        separateFieldsCombo->setCurrentIndex(
            separateFieldsCombo->findText(m_stctBaseClipInfo.bIsUpperFieldFirst() ? tr("Upper field first") : tr("Lower field first")));
        if (m_stctBaseClipInfo.bIs32Pulldown())
            pulldownCombo->setCurrentIndex(pulldownCombo->findText(tr("3:2 Pulldown")));
    } else {
        separateFieldsCombo->setCurrentIndex(separateFieldsCombo->findText(tr("Off")));
    }

    const QByteArray pathUtf8 = path.toUtf8();
    gammaTextbox->setText(QString::number(pGetImageIORouter()->getGamma(pathUtf8.constData()), 'g', 6));
    const bool conversion = pGetImageIORouter()->isColourspaceConversionEnabled(pathUtf8.constData());
    colourspaceCombo->setEnabled(conversion);
    conversionCombo->setEnabled(conversion);

    intermediateStackedWidget->setEnabled(true);
    optionsTabWidget->setEnabled(true);
}

void NewProjectDialog::onParComboChanged(int index)
{
    if (index < 0)
        return;
    const CW_FilmType type = CW_FilmTypeFactory::byName(parCombo->currentText().toStdString());
    parLineEdit->setText(QString::number(
        dParForFilmType(type, m_stctBaseClipInfo.uiWidth, m_stctBaseClipInfo.uiHeight, bSeparatedFields()), 'g', 6));
}

void NewProjectDialog::onInterlaceModeChanged(const QString& text)
{
    pulldownCombo->setEnabled(text != tr("Off"));
}

void NewProjectDialog::onColourspaceChanged(const QString& text)
{
    QString gamma;
    bool gammaEnabled = true;
    bool logEnabled = false;
    if (text == QLatin1String("Linear")) {
        gamma = QString::number(varSetting("/VideoGamma", 1.0).toDouble(), 'g', 6);
    } else if (text == QLatin1String("Log")) {
        gamma = QString::number(varSetting("/FilmGamma", 0.6).toDouble(), 'g', 6);
        logEnabled = true;
    } else if (text == QLatin1String("Panalog")) {
        gamma = QString::number(varSetting("/VideoGamma", 0.6).toDouble(), 'g', 6);
        gammaEnabled = false;
    } else {
        return;
    }
    gammaTextbox->setText(gamma);
    gammaTextbox->setEnabled(gammaEnabled);
    for (QWidget* edit : {static_cast<QWidget*>(offsetTextbox), static_cast<QWidget*>(softclipTextbox),
             static_cast<QWidget*>(logRefWhiteTextbox), static_cast<QWidget*>(logRefBlackTextbox)})
        edit->setEnabled(logEnabled);
}

void NewProjectDialog::onFrameOffsetTypeChanged(bool checked)
{
    if (!checked)
        return;
    if (sender() == timecodeRadioButton || (sender() == nullptr && timecodeRadioButton->isChecked())) {
        const int frame = int(frameOffsetTextbox->text().toUInt());
        frameOffsetTextbox->setInputMask(QStringLiteral("99:99:99:99"));
        frameOffsetTextbox->setText(qstrGetFrameDisplayString(frame, fSelectedFrameRate(), true, bSeparatedFields(), false, false, 0));
    } else {
        const int frame = iTimecodeTextToFrame(frameOffsetTextbox->text(), fSelectedFrameRate());
        frameOffsetTextbox->setInputMask(QString());
        frameOffsetTextbox->setText(QString::number(frame));
    }
}

void NewProjectDialog::onFirstFrameChanged(const QString& text)
{
    const QSignalBlocker block(lastFrameTextbox);
    lastFrameTextbox->vSetRange(int(text.toUInt()), m_iProbedLastFrame);
}

void NewProjectDialog::onLastFrameChanged(const QString& text)
{
    const QSignalBlocker block(firstFrameTextbox);
    firstFrameTextbox->vSetRange(m_iProbedFirstFrame, int(text.toUInt()));
}

void NewProjectDialog::vGatherSettings()
{
    CW_BaseClipInfo& base = m_stctBaseClipInfo;
    CW_ClipInfo& clip = m_stctClipInfo;
    // From the probed height every time: a repeated OK must not halve it again.
    base.uiHeight = m_uiProbedHeight;
    int mode = 0;
    const bool pulldown = pulldownCombo->currentText() == tr("3:2 Pulldown");
    if (separateFieldsCombo->currentText() == tr("Lower field first"))
        mode = pulldown ? 12 : 2;
    else if (separateFieldsCombo->currentText() == tr("Upper field first"))
        mode = pulldown ? 7 : 1;
    base.iFieldMode = mode;
    const bool fields = mode == 1 || mode == 2;
    if (fields)
        base.uiHeight >>= 1;

    const QString colourspace = colourspaceCombo->currentText();
    if (colourspace == QLatin1String("Linear"))
        clip.colourspace.iInputColourspace = 0;
    else if (colourspace == QLatin1String("Log"))
        clip.colourspace.iInputColourspace = 1;
    else if (colourspace == QLatin1String("Panalog"))
        clip.colourspace.iInputColourspace = 2;
    clip.colourspace.bConvertToFloat = conversionCombo->currentText() == QLatin1String("Float");
    clip.colourspace.bConvertTo8Bit = conversionCombo->currentText() == QLatin1String("8 bit");
    clip.colourspace.fOffset = offsetTextbox->text().toFloat();
    clip.colourspace.fLogRefBlack = logRefBlackTextbox->text().toFloat();
    clip.colourspace.fLogRefWhite = logRefWhiteTextbox->text().toFloat();
    clip.colourspace.fSoftclip = softclipTextbox->text().toFloat();
    clip.colourspace.fGamma = gammaTextbox->text().toFloat();

    base.fFrameRate = fSelectedFrameRate();

    if (clip.colourspace.bConversionRequired()) {
        if (clip.colourspace.bConvertToFloat)
            clip.iImageType = 8;
        else if (clip.colourspace.bConvertTo8Bit)
            clip.iImageType = 1;
        else if (iPixelTypeBytes(clip.iImageType) < iPixelTypeBytes(3))
            clip.iImageType = 3;
    }

    const QSize size(int(base.uiWidth), int(base.uiHeight));
    CW_FilmType type = CW_FilmTypeFactory::bestMatchForSize(size, fields);
    const double typed = parLineEdit->text().toDouble();
    const double matched = dParForFilmType(type, base.uiWidth, base.uiHeight, fields);
    if (type.uiWidth == 0 || type.uiHeight == 0 || std::fabs(typed - matched) > 0.001)
        type = CW_FilmTypeFactory::customTypeForParAndDims(typed, size, fields);
    base.setFilmType(type);
    base.dPixelAspectRatio = typed > 0.0 ? typed : 1.0;

    const unsigned int first = firstFrameTextbox->text().toUInt();
    const unsigned int last = lastFrameTextbox->text().toUInt();
    clip.iFirstFileNumber = int(first);
    clip.iLastFileNumber = int(last);
    base.setNumImageFilesInClip(last >= first ? last - first + 1 : 0);
    int offset = timecodeRadioButton->isChecked() ? iTimecodeTextToFrame(frameOffsetTextbox->text(), base.fFrameRate)
                                                   : frameOffsetTextbox->text().toInt();
    if (fields)
        offset *= 2;
    base.iFrameOffset = offset;
}

QString NewProjectDialog::qstrGetProjectFilePath() const
{
    // The clip folder comes with its own trailing separator.
    return QDir::cleanPath(locationCombo->currentText() + QLatin1Char('/') + projectNameTextbox->text()
        + qstrGetFileExtension(qstrGetProduct()));
}

void NewProjectDialog::onOK()
{
    if (intermediateStackedWidget->currentWidget() == projectFilePage) {
        bool created = false;
        bCallReported(this, [&] { created = bCreateProject(); });
        if (created)
            accept();
        return;
    }
    vImportClip();
    accept();
}

void NewProjectDialog::onCancel()
{
    if (!m_qstrMoviePath.isEmpty()) {
        vCloseMovie(m_qstrMoviePath);
        m_qstrMoviePath.clear();
    }
    reject();
}

bool NewProjectDialog::bCreateProject()
{
    CW_AutoLock(&g_mtxEngine, "bCreateProject");

    // Everything that can refuse comes before the open project is closed, so a refusal
    // leaves it open.
    const QString path = qstrGetProjectFilePath();
    if (QFileInfo::exists(path)
        && QMessageBox::warning(this, tr("Warning"), tr("The project file %1 already exists. Overwrite?").arg(path),
               QMessageBox::Yes | QMessageBox::No)
            != QMessageBox::Yes)
        return false;

    QDir location(locationCombo->currentText());
    if (location.dirName() == QLatin1String("Results") && !location.exists()) {
        QDir parent = location;
        if (!parent.cdUp() || !parent.mkpath(QStringLiteral("Results")))
            return false;
    }

    if (bIsValidInstance(ProjectManagerInstance::instance()->getInstance())) {
        if (!vCheckAutoRecoverClipFolder(true, m_stctClipInfo.qstrFolder)) {
            bPostToMainWindow(new CWKCustomEvent(4100, 0));
            return false;
        }
        if (g_pMainWindow)
            g_pMainWindow->sltUpdateGUI(1);
    }

    m_stctClipInfo.bPulldown = false;
    m_stctClipInfo.bSelected = true;
    vGatherSettings();

    pGetMemoryManager(0)->vSetCacheOriginalClip(cacheClipCheckbox->isChecked());
    const QString resources = varSetting("InstallDir", QString()).toString() + QStringLiteral("resources");
    const QString clipName = qstrEngineClipName(m_stctClipInfo.qstrFileName);

    CW_AutoLock(&g_mtxEngine, "bCreateProject");
    XmlErrorHandler errorHandler;
    CW_Color colours[5];
    frmPreferences::vGetOverlayColours(colours);

    const QString product = qstrGetProduct();
    CW_Instance project = pNewProject(pstctBRD_GetCallbackStruct(), &m_stctBaseClipInfo, clipName, &m_stctClipInfo,
        qstrGetProductNameAndVersion(product), bIsAlternateProduct(product), projectNameTextbox->text(), true,
        locationCombo->currentText(), frmPreferences::iGetMaximumHistorySize(), resources.toUtf8().constData(),
        errorHandler, g_pMainWindow, colours);
    ProjectManagerInstance::instance()->setInstance(project);
    if (!bIsValidInstance(project)) {
        QMessageBox::warning(this, tr("Unable to create project"), tr("Creation of the new project failed"), QMessageBox::Ok);
        bPostToMainWindow(new CWKCustomEvent(4100, 0));
        return false;
    }

    CW_AutoLock(&g_mtxEngine, "bCreateProject");
    if (const CW_BaseClipInfo* stored = pcstctGetBaseClipInfo(project, 1))
        m_stctBaseClipInfo = *stored;
    if (m_stctBaseClipInfo.bIs32Pulldown()) {
        // The AA cadence: the pulldown frames are dropped from the count.
        m_stctBaseClipInfo.iFieldMode = m_stctBaseClipInfo.bIsUpperFieldFirst() ? 3 : 8;
        const unsigned int files = m_stctBaseClipInfo.uiGetNumImageFilesInClip();
        m_stctBaseClipInfo.uiCount = files - files / 5;
        vSetBaseClipInfo(project, 1, m_stctBaseClipInfo);
        if (const CW_BaseClipInfo* stored = pcstctGetBaseClipInfo(project, 1))
            m_stctBaseClipInfo = *stored;
    }
    vSetBaseClipInfo(project, 1, m_stctBaseClipInfo);
    vSetUseTimeCode(project, timecodeRadioButton->isChecked());
    vSetProxyScale(project, pGetViewOptionsManager()->proxyScale());
    vSetForceAllocThreshold(project, frmPreferences::uiGetForceAllocThreshold());

    bool saved = false;
    try {
        saved = bSaveProject(project);
    } catch (const std::exception&) {
        saved = false;
    }
    if (!saved) {
        vCloseSplashScreen(nullptr);
        QMessageBox::information(nullptr, qstrGetProductName(product),
            tr("Couldn't save the project.\nPlease ensure that you have read/write access to the output directory"),
            QMessageBox::Ok);
    }
    vRegisterResourceClips(project);
    // The built-in clips are part of every project, not a change of the user's.
    vSetProjectHasChanged(project, !saved);
    m_qstrMoviePath.clear();
    bPostToMainWindow(new CWKCustomEvent(4001, 0));
    return true;
}

void NewProjectDialog::vImportClip()
{
    m_stctClipInfo.bSelected = true;
    m_stctClipInfo.vecDiscreteFrames.clear();
    vGatherSettings();
    CW_AutoLock(&g_mtxEngine, "vImportClip");
    CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    const QString name = qstrGenerateUniqueClipName(project, qstrEngineClipName(m_stctClipInfo.qstrFileName));
    const CW_CLIP_ID parent = CW_CLIP_ID(parentClipCombo->eGetCurrentClipID());
    if (parent != 0)
        eRegisterDerivedClip(project, eGetBaseClipID(project, parent), &m_stctClipInfo, name, true);
    else
        eRegisterBaseClip(project, name, m_stctBaseClipInfo, m_stctClipInfo);
    bPostToMainWindow(new CWKCustomEvent(2009, 0));
}
