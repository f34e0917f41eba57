#include "RelinkClipDialog.h"

#include "app/CWKCustomEvent.h"
#include "app/CWKGUIThreadedProcess.h"
#include "app/ClipMove.h"
#include "app/ClipProbe.h"
#include "app/FileDialogs.h"
#include "app/MessageBoxes.h"
#include "app/OutputFolders.h"
#include "app/ProductStrings.h"
#include "app/ProgramState.h"
#include "app/ProjectCloseDown.h"
#include "app/ProjectManagerInstance.h"
#include "app/ResourceLoading.h"
#include "app/Settings.h"
#include "app/ShellAccessors.h"
#include "app/XmlErrorHandler.h"
#include "brandor.h"
#include "clips/frmQXMLNetGetClipWizard.h"
#include "curves/frmCurveEditor.h"
#include "mainwindow/frmMain.h"
#include "preferences/frmPreferences.h"
#include "tolvane.h"
#include "velmor.h"
#include "viewer/ViewOptionsManager.h"

#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>

QString clipNameFromPrefix(const QString& prefix)
{
    if (prefix.isEmpty() || (prefix.size() == 1 && !prefix.at(0).isLetterOrNumber()))
        return QStringLiteral("New");
    return prefix.endsWith(QLatin1Char('.')) ? prefix.left(prefix.size() - 1) : prefix;
}

RelinkClipDialog::RelinkClipDialog(QWidget* parent, const QString& titleSuffix, bool modal, Qt::WindowFlags flags)
    : QDialog(parent, flags)
{
    setupUi(this);
    setModal(modal);
    if (!titleSuffix.isEmpty())
        setWindowTitle(QStringLiteral("%1 - %2").arg(windowTitle(), titleSuffix));
    init();
}

void RelinkClipDialog::init()
{
    if (g_pMainWindow)
        connect(buttonBox, &QDialogButtonBox::helpRequested, g_pMainWindow, &frmMain::actHelp_activated);
    quantelButton->setIcon(QIcon(qpixGetResourcePixmap(QStringLiteral("/Resources/Quantel.png"))
                                     .scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    // The pattern box is read-only; a typed folder is what gets re-read.
    connect(folderTextBox, &QLineEdit::editingFinished, this, &RelinkClipDialog::on_clipTextBox_editingFinished);
}

void RelinkClipDialog::updateFields()
{
    folderTextBox->setText(m_workClip.qstrFolder);
    clipTextBox->setText(QStringLiteral("%1[%2...%3]%4")
                             .arg(m_workClip.qstrFileName)
                             .arg(m_workClip.iFirstFileNumber)
                             .arg(m_workClip.iLastFileNumber)
                             .arg(m_workClip.qstrThirdPart));
    for (QSpinBox* box : {firstFrameTextBox, lastFrameTextBox})
        box->setRange(m_workClip.iFirstFileNumber, m_workClip.iLastFileNumber);
    firstFrameTextBox->setValue(m_workClip.iFirstFileNumber);
    lastFrameTextBox->setValue(m_workClip.iLastFileNumber);
}

void RelinkClipDialog::setClip(CW_CLIP_ID clip)
{
    CW_AutoLock(&g_mtxEngine, "");
    CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    const CW_BaseClipInfo* base = pcstctGetBaseClipInfo(project, clip);
    const CW_ClipInfo* info = pcstctGetClipInfo(project, clip);
    if (!base || !info)
        return;
    m_clip = clip;
    m_workBase = m_initBase = *base;
    m_workClip = m_initClip = *info;
    QString error;
    if (!applyClipInfo(m_workBase, m_workClip, error))
        QMessageBox::warning(this, tr("Warning"), error, QMessageBox::Ok);
    m_qstrInspected.clear();
}

void RelinkClipDialog::setClipInfo(const CW_BaseClipInfo& base, const CW_ClipInfo& clip)
{
    CW_AutoLock(&g_mtxEngine, "");
    m_workBase = m_initBase = base;
    m_workClip = m_initClip = clip;
    updateFields();
}

void RelinkClipDialog::setProjectData(const QByteArray& bytes)
{
    CW_AutoLock(&g_mtxEngine, "");
    m_baProject = bytes;
    m_bOpenMode = true;
    m_clip = 1;
}

bool RelinkClipDialog::applyClipInfo(CW_BaseClipInfo base, CW_ClipInfo clip, QString& error)
{
    CW_AutoLock(&g_mtxEngine, "");
    unsigned int width = base.uiWidth;
    unsigned int height = base.uiHeight;
    const unsigned int scale = m_workClip.iProxyResolution == 1 ? 2 : m_workClip.iProxyResolution == 2 ? 4 : 1;
    width *= scale;
    height *= scale;
    if (m_workBase.iFieldMode != 0 && base.iFieldMode == 13 && height % 2 == 1) {
        error = tr("You can't use odd height frames for an interlaced clip");
        return false;
    }
    if (width && height && m_workBase.dFrameAspectRatio > 0.0)
        m_workBase.dPixelAspectRatio
            = fComputePixelAspectRatio(width, height, m_workBase.dFrameAspectRatio, 1.0, false);
    m_workClip.qstrFolder = clip.qstrFolder;
    m_workClip.qstrFileName = clip.qstrFileName;
    m_workClip.qstrThirdPart = clip.qstrThirdPart;
    if (m_workClip.bSourceClip) {
        m_workClip.iFirstFileNumber = clip.iFirstFileNumber;
        m_workClip.iLastFileNumber = clip.iLastFileNumber;
        const bool fields = m_workBase.iFieldMode == 1 || m_workBase.iFieldMode == 2;
        const unsigned int files = unsigned(clip.iLastFileNumber - clip.iFirstFileNumber + 1);
        m_workBase.uiCount = fields ? files * 2 : files;
        m_workBase.setNumImageFilesInClip(files);
        const unsigned int oldHeight = m_workBase.uiHeight ? m_workBase.uiHeight : height;
        const unsigned int oldWidth = m_workBase.uiWidth ? m_workBase.uiWidth : width;
        double vertical = 1.0;
        unsigned int newHeight = height;
        if (fields && base.iFieldMode != 1 && base.iFieldMode != 2) {
            newHeight = height / 2;
            vertical = 0.5 * double(height) / double(oldHeight);
        } else {
            vertical = double(height) / double(oldHeight);
        }
        const double horizontal = double(width) / double(oldWidth);
        auto scaled = [](unsigned int margin, double factor) { return unsigned(margin * factor + 0.5); };
        m_workBase.uiBorderTop = scaled(m_workBase.uiBorderTop, vertical);
        m_workBase.uiBorderBottom = scaled(m_workBase.uiBorderBottom, vertical);
        m_workBase.uiBorderLeft = scaled(m_workBase.uiBorderLeft, horizontal);
        m_workBase.uiBorderRight = scaled(m_workBase.uiBorderRight, horizontal);
        m_workBase.uiHeight = newHeight;
        m_workBase.uiWidth = width;
        m_workClip.colourspace = clip.colourspace;
        m_workClip.iImageFormat = clip.iImageFormat;
        m_workClip.iImageType = clip.iImageType;
        m_workClip.iFileFormat = clip.iFileFormat;
        m_workClip.iThirdNumber = clip.iThirdNumber;
        m_workClip.qstrHeaderInfo = clip.qstrHeaderInfo;
    }
    updateFields();
    vFocusOk();
    for (QSpinBox* box : {firstFrameTextBox, lastFrameTextBox})
        box->setEnabled(m_workClip.bSourceClip);
    return true;
}

void RelinkClipDialog::vFocusOk()
{
    buttonBox->button(QDialogButtonBox::Ok)->setFocus(Qt::OtherFocusReason);
}

void RelinkClipDialog::vCloseInspectedMedia()
{
    if (!m_qstrInspected.isEmpty())
        vCloseMovie(m_qstrInspected);
    m_qstrInspected.clear();
}

void RelinkClipDialog::on_chooseClipButton_clicked()
{
    vCloseInspectedMedia();
    const QString start = g_pMainWindow && g_pMainWindow->bGetTutorialMode()
        ? pGetUserSettings()->value(QStringLiteral("InstallDir"), QString()).toString() + QStringLiteral("tutorials")
        : pGetUserSettings()->value(QStringLiteral("LastRelinkClipFolder"), QString()).toString();
    CW_BaseClipInfo base;
    CW_ClipInfo clip = m_workClip;
    const QString path = qstrGetOpenFileName(base, clip, start, this);
    if (path.isEmpty())
        return;
    pGetUserSettings()->setValue(QStringLiteral("LastRelinkClipFolder"), path);
    QString error;
    if (!applyClipInfo(base, clip, error))
        QMessageBox::warning(this, tr("Warning"), error, QMessageBox::Ok);
    else
        vFocusOk();
}

void RelinkClipDialog::on_quantelButton_clicked()
{
    CW_AutoLock(&g_mtxEngine, "");
    delete g_pClipServerWizard.data();
    QWidget* parent = g_pMainWindow ? static_cast<QWidget*>(g_pMainWindow) : this;
    g_pClipServerWizard = new frmQXMLNetGetClipWizard(parent, nullptr, false, Qt::WindowFlags());
    if (g_pClipServerWizard->exec() != QDialog::Accepted)
        return;
    const QString file = g_pClipServerWizard->qstrGetNameOfOneFileTransferred();
    vCloseInspectedMedia();
    CW_BaseClipInfo base;
    CW_ClipInfo clip;
    QString error;
    if (!file.isEmpty() && bGetClipImageInfo(file, base, clip, nullptr) && !applyClipInfo(base, clip, error))
        QMessageBox::warning(this, tr("Warning"), error, QMessageBox::Ok);
    m_qstrInspected = file;
}

void RelinkClipDialog::on_clipTextBox_editingFinished()
{
    const QString index = m_workClip.iThirdNumber > 0
        ? QStringLiteral("%1").arg(m_workClip.iFirstFileNumber, m_workClip.iThirdNumber, 10, QLatin1Char('0'))
        : m_workClip.iThirdNumber == 0 ? QString::number(m_workClip.iFirstFileNumber)
                                       : QString();
    const QString path
        = QStringLiteral("%1/%2%3%4")
              .arg(QDir::cleanPath(folderTextBox->text()), m_workClip.qstrFileName, index, m_workClip.qstrThirdPart);
    CW_BaseClipInfo base;
    CW_ClipInfo clip;
    const bool readable = bGetClipImageInfo(path, base, clip, nullptr);
    vCloseMovie(path);
    QPushButton* ok = buttonBox->button(QDialogButtonBox::Ok);
    QString error;
    if (readable && applyClipInfo(base, clip, error)) {
        // Media found again make OK usable again.
        ok->setEnabled(true);
        vFocusOk();
    } else {
        ok->setEnabled(false);
    }
}

void RelinkClipDialog::on_buttonBox_accepted()
{
    bCallReported(this, [&] {
        if (QDir::cleanPath(folderTextBox->text()) != QDir::cleanPath(m_workClip.qstrFolder)) {
            on_clipTextBox_editingFinished();
            // Without media in the typed folder the clip would be reopened as it was.
            if (QDir::cleanPath(folderTextBox->text()) != QDir::cleanPath(m_workClip.qstrFolder)) {
                vShowWarning(this,
                    tr("No readable media of the clip were found in %1.\nChoose a folder or a file that holds "
                       "the clip's images.")
                        .arg(QDir::toNativeSeparators(folderTextBox->text())));
                return;
            }
        }
        CW_Instance project = ProjectManagerInstance::instance()->getInstance();
        {
            CW_AutoLock(&g_mtxEngine, "");
            if (!m_bOpenMode && bIsValidInstance(project) && m_clip == 1 && !bGetOutputDirectoryAbsolute(project)) {
                QString outputFolder;
                if (!bValidateOutputDirectory(
                        this, false, qstrGetOutputDirectory(project), m_workClip.qstrFolder.toUtf8(), outputFolder))
                    return;
                vSetOutputDirectory(project, bGetOutputDirectoryAbsolute(project), qstrGetOutputDirectory(project));
                vSetClipMoveTargetFolder(outputFolder);
                // The move must end before the project is checkpointed and closed.
                if (bExecuteThreaded(true, true, &bMoveClipsToTargetFolder, 1999, nullptr, nullptr, 1, nullptr, nullptr,
                        false, true, 1, true))
                    vWaitForExecutingThreadedToFinish(false);
            }
        }
        m_workClip.iFirstFileNumber = firstFrameTextBox->value();
        m_workClip.iLastFileNumber = lastFrameTextBox->value();
        const unsigned int files = unsigned(m_workClip.iLastFileNumber - m_workClip.iFirstFileNumber + 1);
        const bool fields = m_workBase.iFieldMode == 1 || m_workBase.iFieldMode == 2;
        m_workBase.uiCount = fields ? files * 2 : files;

        if (m_bOpenMode && bIsValidInstance(project)) {
            // The project being replaced is closed the way the user closes it.
            if (!vCheckAutoRecoverClipFolder(true, m_workClip.qstrFolder))
                return;
        }
        if (m_baProject.isNull())
            checkpointProject();
        if (m_baProject.isNull())
            return;
        QString error;
        if (!reopenProject(m_workBase, m_workClip, error)) {
            if (m_bOpenMode) {
                vShowWarning(this, error);
                return;
            }
            QString restoreError;
            if (bRestoreCheckpoint(restoreError))
                vShowWarning(this, tr("The project could not be reopened with the new media:\n%1\nIt was reopened as "
                                      "it was before.")
                                       .arg(error));
            else
                vShowWarning(this, tr("The project could not be reopened with the new media:\n%1\nNor could it be "
                                      "reopened as it was:\n%2\nThis dialog keeps it until the clip is relinked.")
                                       .arg(error, restoreError));
            return;
        }
        m_baProject = QByteArray();
        if (g_pMainWindow)
            bPostToMainWindow(new CWKCustomEvent(4000));
        accept();
    });
}

void RelinkClipDialog::on_buttonBox_rejected()
{
    reject();
}

void RelinkClipDialog::reject()
{
    vCloseInspectedMedia();
    // The checkpoint of a project closed for this relink is its only copy: it is reopened
    // before the dialog goes, and the dialog stays while that is impossible.
    if (!m_bOpenMode && !m_baProject.isNull() && !bIsValidInstance(ProjectManagerInstance::instance()->getInstance())) {
        QString error;
        if (!bRestoreCheckpoint(error)) {
            vShowWarning(this, tr("The project cannot be reopened as it was:\n%1\nThis dialog keeps it until the "
                                  "clip is relinked.")
                                   .arg(error));
            return;
        }
    }
    QDialog::reject();
}

bool RelinkClipDialog::bRestoreCheckpoint(QString& error)
{
    if (!reopenProject(m_initBase, m_initClip, error))
        return false;
    m_baProject = QByteArray();
    if (g_pMainWindow)
        bPostToMainWindow(new CWKCustomEvent(4000));
    return true;
}

void RelinkClipDialog::destroy()
{
    vCloseInspectedMedia();
}

void RelinkClipDialog::checkpointProject()
{
    CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    TOLV_ProjectManager* manager = bIsValidInstance(project) ? pGetProjectManager(project) : nullptr;
    if (!manager)
        return;
    m_bStateFlag = manager->bGetPathConfirmed();
    m_qstrProjectPath = manager->qstrGetProjectFilePath();
    manager->vCheckpointProject(m_baProject, false);
    if (bDestroyProject(true)) {
        if (g_pMainWindow)
            g_pMainWindow->sltUpdateGUI(1);
    } else {
        m_baProject = QByteArray();
    }
}

bool RelinkClipDialog::reopenProject(const CW_BaseClipInfo& base, const CW_ClipInfo& clip, QString& error)
{
    CW_CallbackStruct* callbacks = pstctBRD_GetCallbackStruct();
    if (!callbacks) {
        error = tr("The image library is not ready.");
        return false;
    }
    XmlErrorHandler errorHandler;
    CW_Color colours[5];
    frmPreferences::vGetOverlayColours(colours);
    const QByteArray resources
        = (pGetUserSettings()->value(QStringLiteral("InstallDir"), QString()).toString() + QStringLiteral("resources"))
              .toUtf8();
    CW_Instance project = nullptr;
    try {
        project = pOpenProjectFromBuffer(callbacks, base, clip, clipNameFromPrefix(clip.qstrFileName), m_initBase,
            m_initClip, qstrGetProductNameAndVersion(qstrGetProduct()), bIsAlternateProduct(qstrGetProduct()),
            frmPreferences::iGetMaximumHistorySize(), m_baProject, resources.constData(), errorHandler,
            g_pMainWindow, colours);
    } catch (...) {
        error = qstrCurrentExceptionMessage();
        return false;
    }
    TOLV_ProjectManager* manager = bIsValidInstance(project) ? pGetProjectManager(project) : nullptr;
    if (!manager) {
        if (bIsValidInstance(project))
            vCloseProject(project);
        error = tr("The engine did not open the project.");
        return false;
    }
    if (!m_bOpenMode) {
        manager->vSetPathConfirmed(m_bStateFlag);
        manager->vSetProjectFilePath(m_qstrProjectPath);
    }
    ProjectManagerInstance::instance()->setInstance(project);
    if (const CW_BaseClipInfo* current = pcstctGetBaseClipInfo(project, m_clip)) {
        CW_BaseClipInfo copy = *current;
        if (g_pCurveEditor) {
            const bool interlaced = copy.iFieldMode != 0;
            const float first = interlaced ? float(copy.iFrameOffset) / 2.0f : float(copy.iFrameOffset);
            g_pCurveEditor->sltSetPlayRangeAndOffset(0.0f, float(copy.uiCount) - 1.0f, first);
            g_pCurveEditor->sltSetInterlaced(interlaced, copy.iFieldMode != 1);
            g_pCurveEditor->sltSetDisplayTimecode(bGetUseTimeCode(project), copy.fFrameRate);
        }
        copy.iFieldMode = base.iFieldMode;
        vSetBaseClipInfo(project, m_clip, copy);
    }
    vSetClipInfo(project, m_clip, clip, nullptr);
    vSetClipName(project, m_clip, qstrGetClipName(project, m_clip));
    vSetProjectHasChanged(project, true);
    vSetProxyScale(project, pGetViewOptionsManager()->proxyScale());
    vSetForceAllocThreshold(project, frmPreferences::uiGetForceAllocThreshold());
    vRegisterResourceClips(project);
    return true;
}

void vOfferRelinkOfMissingClip(QWidget* mainWindow, CW_CLIP_ID clip)
{
    // Every frame of a missing clip reports it; one question at a time is enough.
    static bool s_bAsking = false;
    if (s_bAsking)
        return;
    CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    if (!bIsValidInstance(project) || !bIsClipRegistered(project, clip))
        return;
    s_bAsking = true;
    const QString text = QCoreApplication::translate("RelinkClipDialog", "File not found for clip ")
        + qstrGetClipName(project, clip) + QLatin1Char('\n')
        + QCoreApplication::translate("RelinkClipDialog", "Would you like to relink the clip?");
    if (eAskQuestion(mainWindow, text) == QMessageBox::Yes) {
        RelinkClipDialog dialog(mainWindow, QString(), false, Qt::WindowFlags());
        dialog.setClip(clip);
        dialog.exec();
    }
    s_bAsking = false;
}
