#include "RenderDialog.h"

#include "app/CWKGUIThreadedProcess.h"
#include "app/ClipProbe.h"
#include "app/FileDialogs.h"
#include "app/MessageBoxes.h"
#include "app/ProgramState.h"
#include "app/Settings.h"
#include "brandor.h"
#include "tolvane.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <climits>
#include <cmath>

CW_ExportClipInfo g_exportClipInfo;

CW_BOOL bSaveExportClip(CW_Instance project)
{
    vSaveClip(project, &g_exportClipInfo, "");
    return 1;
}

namespace {

const QString kqstrRdLastFolderKey = QStringLiteral("LastSaveClipFolder");

unsigned int uiRdNumberOfDigits(unsigned long long value, unsigned int base)
{
    if (base == 0)
        return 0;
    if (value == 0)
        return 1;
    return unsigned(std::floor(std::log(double(value) + 0.5) / std::log(double(base)))) + 1;
}

// A text box's number, when it is one.
bool bRdNumber(const QLineEdit* edit, long long& value)
{
    bool ok = false;
    value = edit->text().trimmed().toLongLong(&ok);
    return ok;
}

} // namespace

RenderDialog::RenderDialog(QWidget* parent)
    : QDialog(parent)
{
    setupUi(this);
    init();
}

void RenderDialog::init()
{
    connect(clipCombo, qOverload<int>(&QComboBox::activated), this, &RenderDialog::onClipChanged);
    for (QAbstractButton* button : std::initializer_list<QAbstractButton*> {matteRGBRadioButton, matteAlphaRadioButton,
             matteOnlyRadioButton, exportColourCheckbox, exportAlphaCheckbox, quickTimeRadioButton})
        connect(button, &QAbstractButton::toggled, this, &RenderDialog::validateInputForRenderType);
    imageSequenceRadioButton->setChecked(true);
    connect(imageSequenceRadioButton, &QAbstractButton::toggled, this, &RenderDialog::onExportTypeChanged);
    connect(imageSequenceRadioButton, &QAbstractButton::toggled, this, &RenderDialog::validateInputForRenderType);
    for (QLineEdit* edit : {sequenceDirectoryTextbox, indexStartTextbox, indexWidthTextbox, quickTimeFileTextbox})
        connect(edit, &QLineEdit::editingFinished, this, &RenderDialog::validateInputForRenderType);
    // The range is checked as it is typed: OK must never stand for a range that is not one.
    for (QLineEdit* edit : std::initializer_list<QLineEdit*> {startFrameTextbox, endFrameTextbox})
        connect(edit, &QLineEdit::textChanged, this, &RenderDialog::validateInputForRenderType);
    connect(imageSequenceFormatCombo, qOverload<int>(&QComboBox::activated), this,
        &RenderDialog::validateInputForRenderType);
    connect(chooseSequenceDirButton, &QPushButton::clicked, this, &RenderDialog::onChooseSequenceDirectory);
    connect(chooseQuickTimeFileButton, &QPushButton::clicked, this, &RenderDialog::onChooseQuickTimeFile);
    connect(buttonBox, &QDialogButtonBox::accepted, this, &RenderDialog::onAccept);

    exportToWidget->setEnabled(false);
    quickTimeOptionsWidget->setEnabled(false);
    vFillFileTypeCombo(imageSequenceFormatCombo, false, 13, 17, false, QByteArray(), 0);
    QPalette palette = formatWarningLabel->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        palette.setColor(group, QPalette::WindowText, QColor(222, 176, 0));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(67, 69, 69));
    formatWarningLabel->setPalette(palette);
    formatWarningLabel->setText(QString());
    clipCombo->vSetRenderedOnly(true);
    resize(1, 1);
}

unsigned int RenderDialog::uiFieldDivisor() const
{
    const CW_BaseClipInfo* main = pcstctGetBaseClipInfo(m_pProject, 1);
    return main && (main->iFieldMode == 1 || main->iFieldMode == 2) ? 2u : 1u;
}

void RenderDialog::exportRenderedClip(CW_Instance project, CW_CLIP_ID clip, bool shapes)
{
    m_pProject = project;
    renderSourceStackWidget->setCurrentIndex(shapes ? 0 : 1);
    setWindowTitle(shapes ? tr("Export Rendered Shapes") : tr("Export Rendered Clip"));

    clipCombo->vConfigure(0, false, false, false, false, false, false, 3);
    const CW_ClipInfo* given = pcstctGetClipInfo(project, clip);
    if (given && !given->bSourceClip)
        clipCombo->vSetCurrentClipID(int(clip));
    if (clipCombo->count() == 0) {
        QMessageBox::information(this, QStringLiteral("Cannot export"),
            QStringLiteral("No rendered clips available for export."), QMessageBox::Ok);
        return;
    }
    const CW_BaseClipInfo* base = pcstctGetBaseClipInfo(project, clip);
    const CW_BaseClipInfo fallbackBase;
    const CW_ClipInfo fallbackClip;
    initFrameRange();
    initRenderOptions(base ? *base : fallbackBase, given ? *given : fallbackClip);
    onClipChanged(clipCombo->currentIndex());

    revertToClipCombo->vConfigure(int(eGetBaseClipID(project, clip)), false, false, true, false, false, false, 3);
    const CW_CLIP_ID revert = getSuitableRevertClipID(project, clip, uiGetFrameNumber(project));
    if (revert != 0) {
        revertToClipCombo->setEnabled(true);
        revertToClipCombo->vSetCurrentClipID(int(revert));
    } else {
        revertToClipCombo->setEnabled(false);
    }

    g_exportClipInfo.bAfterPulldown = false;
    g_exportClipInfo.iInterlaceMode = base ? base->iFieldMode : 0;
    g_exportClipInfo.iPixelType = given ? given->iImageType : 0;
    initSaveChannels(given ? *given : fallbackClip);
    initMatteOptions();

    sequenceDirectoryTextbox->setText(!g_exportClipInfo.getClipPath().isEmpty()
            ? g_exportClipInfo.getClipPath()
            : pGetUserSettings()->value(kqstrRdLastFolderKey).toString().left(4096));
    validateInputForRenderType();
    exec();
}

void RenderDialog::initFrameRange()
{
    const CW_BaseClipInfo* main = pcstctGetBaseClipInfo(m_pProject, 1);
    if (!main)
        return;
    const long long d = uiFieldDivisor();
    const long long first = main->iFrameOffset;
    long long start = 0;
    long long end = main->uiCount ? main->uiCount - 1 : 0;
    if (TOLV_ProjectManager* manager = pGetProjectManager(m_pProject)) {
        const ProjectProperties properties = manager->getProjectProperties();
        if (properties.getPlaybarFirst() >= 0)
            start = properties.getPlaybarFirst();
        if (properties.getPlaybarLast() >= 0)
            end = properties.getPlaybarLast();
    }
    const long long bottom = first / d;
    const long long top = (long long)(main->uiCount) / d + first / d - 1;
    for (CWKLineEditInt* edit : {startFrameTextbox, endFrameTextbox})
        edit->vSetRange(
            int(std::clamp<long long>(bottom, INT_MIN, INT_MAX)), int(std::clamp<long long>(top, INT_MIN, INT_MAX)));
    startFrameTextbox->setText(QString::number((start + first) / d));
    endFrameTextbox->setText(QString::number((end + first) / d));
}

void RenderDialog::initRenderOptions(const CW_BaseClipInfo& base, const CW_ClipInfo& clip)
{
    if (base.bIs32Pulldown()) {
        pulldownCheckbox->setEnabled(true);
        pulldownCheckbox->setChecked(clip.bPulldown);
    } else {
        pulldownCheckbox->setEnabled(false);
    }
    const bool conversion = clip.colourspace.bConversionRequired();
    render8BitCheckbox->setChecked(false);
    const int pixelType = conversion ? clip.iImageType : clip.iFileFormat;
    render8BitCheckbox->setEnabled(pixelType != 1 && !clip.colourspace.bConvertTo8Bit);
    reapplyGammaCheckbox->setEnabled(conversion);
    reapplyGammaCheckbox->setChecked(conversion);
}

void RenderDialog::initSaveChannels(const CW_ClipInfo& clip)
{
    exportColourCheckbox->setChecked(true);
    const bool alpha = clip.iImageFormat == 1 || clip.iImageFormat == 3;
    exportAlphaCheckbox->setEnabled(alpha);
    exportAlphaCheckbox->setChecked(alpha);
    matteAlphaRadioButton->setEnabled(alpha);
}

void RenderDialog::initMatteOptions()
{
    const int selected = iGetCurrentSelectionID(m_pProject);
    if (selected > 0) {
        selectedMatteRadioButton->setEnabled(true);
        selectedMatteRadioButton->setChecked(true);
    } else {
        selectedMatteRadioButton->setEnabled(false);
        allVisibleRadioButton->setChecked(true);
    }
    matteRGBRadioButton->setChecked(true);
}

void RenderDialog::onClipChanged(int index)
{
    if (index < 0) {
        exportToWidget->setEnabled(false);
        return;
    }
    exportToWidget->setEnabled(true);
    const CW_ClipInfo* clip = pcstctGetClipInfo(m_pProject, CW_CLIP_ID(clipCombo->eGetCurrentClipID()));
    if (!clip)
        return;
    sequencePrefixTextbox->setText(clip->qstrFileName);
    initIndexFields(*clip);
    selectFileFormatOfClip(*clip);
}

void RenderDialog::initIndexFields(const CW_ClipInfo& clip)
{
    long long n = 0;
    if (!bRdNumber(startFrameTextbox, n))
        n = 0;
    indexStartTextbox->setText(QString::number(n));
    const CW_BaseClipInfo* main = pcstctGetBaseClipInfo(m_pProject, 1);
    long long w = std::max(0, clip.iThirdNumber);
    if (w > 1 && main) {
        const long long last = std::max(0LL, (long long)(main->uiCount) / uiFieldDivisor() + n - 1);
        w = std::max({w, (long long)uiRdNumberOfDigits((unsigned long long)last, 10),
            (long long)indexStartTextbox->text().size()});
    }
    indexWidthTextbox->setText(QString::number(w));
}

void RenderDialog::selectFileFormatOfClip(const CW_ClipInfo& clip)
{
    const QString suffix = qstrGetFileSuffix(clip.qstrThirdPart.toUtf8());
    imageSequenceFormatCombo->setCurrentIndex(imageSequenceFormatCombo->findText(suffix, Qt::MatchFixedString));
}

void RenderDialog::onExportTypeChanged()
{
    const bool sequence = imageSequenceRadioButton->isChecked();
    imageSequenceOptionsWidget->setEnabled(sequence);
    quickTimeOptionsWidget->setEnabled(!sequence);
}

QString RenderDialog::qstrCleanPathFromLineEdit(const QLineEdit* edit)
{
    static const QRegularExpression kPath(QStringLiteral("^\\s*(\"?)(.*)[/\\\\]?\\1\\s*$"));
    QString text = edit->text();
    const QRegularExpressionMatch match = kPath.match(text);
    if (match.hasMatch())
        text = match.captured(2);
    return QDir::cleanPath(QDir::fromNativeSeparators(text).replace(QLatin1Char('\\'), QLatin1Char('/')));
}

void RenderDialog::onChooseSequenceDirectory()
{
    const QString folder = QFileDialog::getExistingDirectory(this, tr("Choose image sequence directory"),
        qstrCleanPathFromLineEdit(sequenceDirectoryTextbox), QFileDialog::ShowDirsOnly);
    if (!folder.isEmpty())
        sequenceDirectoryTextbox->setText(folder);
    chooseSequenceDirButton->setFocus(Qt::OtherFocusReason);
    validateInputForRenderType();
}

void RenderDialog::onChooseQuickTimeFile()
{
    const QString file = qstrGetSaveFileName(qstrCleanPathFromLineEdit(sequenceDirectoryTextbox), this, 6);
    if (!file.isEmpty())
        quickTimeFileTextbox->setText(file);
    chooseQuickTimeFileButton->setFocus(Qt::OtherFocusReason);
    validateInputForRenderType();
}

void RenderDialog::validateInputForRenderType()
{
    if (!m_pProject)
        return;
    const bool sequence = imageSequenceRadioButton->isChecked();
    const bool movie = quickTimeRadioButton->isChecked();
    QString target;
    QString extension;
    if (sequence) {
        target = qstrCleanPathFromLineEdit(sequenceDirectoryTextbox);
        extension = imageSequenceFormatCombo->currentText();
    } else if (movie) {
        target = quickTimeFileTextbox->text();
        extension = QStringLiteral(".mov");
    }
    bool valid = false;
    QString message;
    if (extension.isEmpty()) {
        message = tr("Please choose image type");
    } else {
        const CW_ClipInfo* clip = pcstctGetClipInfo(m_pProject, CW_CLIP_ID(clipCombo->eGetCurrentClipID()));
        const CW_ClipInfo none;
        storeImageFormat(clip ? *clip : none);
        CW_CallbackStruct* callbacks = pstctBRD_GetCallbackStruct();
        const QByteArray type = extension.toUtf8();
        // A movie goes to the engine's own writer, which answers for itself at OK.
        valid = movie
            || (callbacks->pfnIsFormatSupported
                && callbacks->pfnIsFormatSupported(callbacks->pUserWord, type.constData(),
                       g_exportClipInfo.iImageFormat, g_exportClipInfo.iPixelType, 0)
                    == 1);
        if (!valid)
            message = tr("Not supported for this render type");
    }
    if (target.isEmpty())
        valid = false;
    // The index fields name the files of a sequence; a movie has none.
    if (sequence) {
        long long start = 0;
        long long width = 0;
        if (!bRdNumber(indexStartTextbox, start) || start < 0 || start > UINT_MAX)
            valid = false;
        if (!bRdNumber(indexWidthTextbox, width) || width <= 0 || width > 10)
            valid = false;
    }
    // The range must lie in the main clip, first to last, and not run backwards.
    {
        const CW_BaseClipInfo* main = pcstctGetBaseClipInfo(m_pProject, 1);
        long long start = 0;
        long long end = 0;
        const long long d = uiFieldDivisor();
        const long long first = main ? main->iFrameOffset / d : 0;
        const long long last = main ? (long long)(main->uiCount) / d + first - 1 : -1;
        if (!main || !bRdNumber(startFrameTextbox, start) || !bRdNumber(endFrameTextbox, end) || start < first
            || start > end || end > last)
            valid = false;
    }
    formatWarningLabel->setText(message);
    if (QPushButton* ok = buttonBox->button(QDialogButtonBox::Ok))
        ok->setEnabled(valid);
}

void RenderDialog::storeImageFormat(const CW_ClipInfo& clip)
{
    const bool mattes = renderSourceStackWidget->currentIndex() == 0;
    g_exportClipInfo.bMattes = mattes;
    if (!mattes) {
        g_exportClipInfo.bSaveColour = exportColourCheckbox->isChecked();
        g_exportClipInfo.bSaveAlpha = exportAlphaCheckbox->isChecked();
    } else if (matteRGBRadioButton->isChecked()) {
        g_exportClipInfo.bSaveColour = true;
        g_exportClipInfo.bSaveAlpha = false;
    } else if (matteAlphaRadioButton->isChecked()) {
        g_exportClipInfo.bSaveColour = false;
        g_exportClipInfo.bSaveAlpha = true;
    } else if (matteOnlyRadioButton->isChecked()) {
        g_exportClipInfo.bSaveColour = false;
        g_exportClipInfo.bSaveAlpha = false;
    }
    int format = clip.iImageFormat;
    if (!g_exportClipInfo.bSaveAlpha)
        format = tam_image_format_without_alpha(format);
    if (mattes)
        format = tam_image_format_with_alpha(format);
    if (!g_exportClipInfo.bSaveColour)
        format = 0;
    g_exportClipInfo.iImageFormat = format;
}

void RenderDialog::storeMatteLayers()
{
    int count = 0;
    const int selected = iGetCurrentSelectionID(m_pProject);
    for (int layer : pglGetLayerIDList(m_pProject)) {
        if (count >= CW_ExportClipInfo::kiMaxLayers)
            break;
        const bool keep = allMattesRadioButton->isChecked()
            || (allVisibleRadioButton->isChecked() && !bIsLayerHidden(m_pProject, layer))
            || (selectedMatteRadioButton->isChecked() && layer == selected);
        if (keep)
            g_exportClipInfo.aiLayers[count++] = layer;
    }
    g_exportClipInfo.aiLayers[count] = -1;
}

void RenderDialog::storeFrameRange()
{
    const CW_BaseClipInfo* main = pcstctGetBaseClipInfo(m_pProject, 1);
    const long long d = uiFieldDivisor();
    const long long first = main ? main->iFrameOffset : 0;
    long long start = 0;
    long long end = 0;
    bRdNumber(startFrameTextbox, start);
    bRdNumber(endFrameTextbox, end);
    // OK is enabled only for a range inside the clip, so neither end goes below 0.
    g_exportClipInfo.uiStartFrame = unsigned(std::max(0LL, start - first / d));
    g_exportClipInfo.uiEndFrame = unsigned(std::max(0LL, end - first / d));
    g_exportClipInfo.bPulldown = false;
    long long width = 0;
    bRdNumber(indexWidthTextbox, width);
    g_exportClipInfo.uiIndexWidth = unsigned(std::clamp(width, 0LL, 10LL));
}

void RenderDialog::storeOutputNaming()
{
    if (imageSequenceRadioButton->isChecked()) {
        long long start = 0;
        bRdNumber(indexStartTextbox, start);
        g_exportClipInfo.uiIndexStart = unsigned(std::clamp<long long>(start, 0, UINT_MAX));
        QString path = qstrCleanPathFromLineEdit(sequenceDirectoryTextbox);
        if (!path.endsWith(QLatin1Char('/')))
            path += QLatin1Char('/');
        g_exportClipInfo.setClipPath(path);
        static const QRegularExpression kDigit(QStringLiteral("\\d"));
        sequenceSuffixTextbox->setText(sequenceSuffixTextbox->text().remove(kDigit));
        g_exportClipInfo.setClipPrefix(sequencePrefixTextbox->text());
        g_exportClipInfo.setClipSuffix(sequenceSuffixTextbox->text());
        g_exportClipInfo.setClipExtension(imageSequenceFormatCombo->currentText());
    } else {
        const QString file = quickTimeFileTextbox->text().replace(QLatin1Char('\\'), QLatin1Char('/'));
        const int slash = int(file.lastIndexOf(QLatin1Char('/')));
        const int dot = int(file.lastIndexOf(QLatin1Char('.')));
        g_exportClipInfo.setClipPath(file.left(std::max(0, slash)));
        g_exportClipInfo.setClipPrefix(
            dot > slash ? file.mid(std::max(0, slash), dot - std::max(0, slash)) : file.mid(std::max(0, slash)));
        g_exportClipInfo.setClipExtension(dot > slash ? file.mid(dot) : QString());
        g_exportClipInfo.uiIndexWidth = 0;
    }
}

void RenderDialog::storeExportSettings()
{
    if (renderSourceStackWidget->currentIndex() == 0)
        storeMatteLayers();
    g_exportClipInfo.eClip = CW_CLIP_ID(clipCombo->eGetCurrentClipID());
    // A disabled combo stands for no revert clip, whatever an earlier opening left chosen.
    g_exportClipInfo.eRevertClip
        = revertToClipCombo->isEnabled() ? CW_CLIP_ID(revertToClipCombo->eGetCurrentClipID()) : 0;
    const CW_ClipInfo* clip = pcstctGetClipInfo(m_pProject, g_exportClipInfo.eClip);
    const CW_ClipInfo none;
    storeImageFormat(clip ? *clip : none);
    storeFrameRange();
    storeOutputNaming();
}

void RenderDialog::onAccept()
{
    if (!m_pProject)
        return;
    storeExportSettings();
    const QString first = g_exportClipInfo.getClipPath() + g_exportClipInfo.getClipPrefix()
        + QStringLiteral("%1").arg(
            g_exportClipInfo.uiIndexStart, int(g_exportClipInfo.uiIndexWidth), 10, QLatin1Char('0'))
        + g_exportClipInfo.getClipSuffix() + g_exportClipInfo.getClipExtension();
    g_exportClipInfo.setClipPath(first.left(int(first.lastIndexOf(QLatin1Char('/'))) + 1));
    pGetUserSettings()->setValue(kqstrRdLastFolderKey, g_exportClipInfo.getClipPath());

    g_exportClipInfo.bLast = false;
    bCallReported(this, [this] {
        CW_AutoLock(&g_mtxEngine, "RenderDialog::onAccept()");
        const CW_ClipInfo* clip = pcstctGetClipInfo(m_pProject, g_exportClipInfo.eClip);
        const bool linear = !(clip && clip->colourspace.bConversionRequired() && reapplyGammaCheckbox->isChecked());
        if (ePrepareToSaveClip(m_pProject, &g_exportClipInfo, linear, false) != CW_STATUS_OK)
            return;
        bClearOutMemoryBuffersAroundCurrentFrame(m_pProject);
        bSetCacheStrategyRecycle(m_pProject, true);
        vSetClipIDToPrioritizeInCache(m_pProject, 0);
        accept();
        bExecuteThreaded(
            true, true, &bSaveExportClip, 1999, nullptr, nullptr, 1, nullptr, nullptr, false, true, 1, true);
    });
}
