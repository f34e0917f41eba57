#include "ProjectOpener.h"

#include "CWKCustomEvent.h"
#include "ClipProbe.h"
#include "FileDialogs.h"
#include "MessageBoxes.h"
#include "OutputFolders.h"
#include "ProductStrings.h"
#include "ProgramState.h"
#include "ProjectCloseDown.h"
#include "ProjectManagerInstance.h"
#include "Settings.h"
#include "ShellAccessors.h"
#include "XmlErrorHandler.h"
#include "brandor.h"
#include "clips/RelinkClipDialog.h"
#include "clips/frmChangeDefaultOutputDirectory.h"
#include "mainwindow/frmMain.h"
#include "preferences/frmPreferences.h"
#include "tolvane.h"
#include "velmor.h"
#include "viewer/ViewOptionsManager.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QSettings>
#include <memory>

namespace {

// The largest file the opener reads for the relink dialog; the engine refuses larger ones
// as no project at all.
constexpr qint64 kiPoMaximumProjectBytes = 256LL * 1024 * 1024;

// The whole file, or an empty array when it cannot be read or is larger than a project can be.
QByteArray baPoReadBounded(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kiPoMaximumProjectBytes)
        return QByteArray();
    const QByteArray bytes = file.read(kiPoMaximumProjectBytes + 1);
    return bytes.size() > kiPoMaximumProjectBytes ? QByteArray() : bytes;
}

} // namespace

ProjectOpener::ProjectOpener()
    : QObject(nullptr)
{
}

QString ProjectOpener::qstrNewerAutoSave(const QString& path)
{
    const QFileInfo project(path);
    if (!project.isFile() || frmMain::qstrStripAutoSaveSuffix(path) != path)
        return QString();
    const QString base = frmMain::qstrAutoSaveBaseName(project.absoluteFilePath());
    const QString extension = qstrGetFileExtension(qstrGetProduct());
    // The backup stands in only for an auto-save that is missing: a write cut short by a
    // crash in an earlier version of the program left it so.
    QString candidate = frmMain::qstrAutoSaveName(base, extension);
    if (!QFileInfo(candidate).isFile())
        candidate = frmMain::qstrAutoSaveBackupName(base, extension);
    const QFileInfo autoSave(candidate);
    if (!autoSave.isFile() || autoSave.lastModified() <= project.lastModified())
        return QString();
    // An auto-save of the project as it was saved holds nothing more.
    const QByteArray saved = baPoReadBounded(path);
    if (!saved.isEmpty() && saved == baPoReadBounded(candidate))
        return QString();
    return candidate;
}

bool ProjectOpener::chooseAndOpenProject(const QString& path)
{
    if (path.isNull()) {
        static const QString s_caption = tr("Choose a project file");
        const QString lastFolder
            = pGetUserSettings()->value(QStringLiteral("LastOpenProjectFolder"), QString()).toString();
        m_qstrPath = QFileDialog::getOpenFileName(g_pMainWindow, s_caption, lastFolder, qstrGetProjectFileFilter());
    } else {
        m_qstrPath = path;
    }
    if (m_qstrPath.isEmpty())
        return false;
    pGetUserSettings()->setValue(QStringLiteral("LastOpenProjectFolder"), m_qstrPath);

    // Opening the project again is the way back after a crash: an auto-save newer than the
    // file holds work the file lacks, and is offered first, as at start-up.
    const QString newer = qstrNewerAutoSave(m_qstrPath);
    if (!newer.isEmpty()) {
        vCloseSplashScreen(nullptr);
        const auto answer = QMessageBox::question(g_pMainWindow,
            tr("Auto recover project -- ") + qstrGetProductName(qstrGetProduct()),
            tr("The project\n\n%1\n\nhas an autosaved copy that is newer than the project file:\n\n%2\n\n"
               "Would you like to open the autosaved copy?")
                .arg(m_qstrPath, newer),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer == QMessageBox::Yes)
            m_qstrPath = newer;
    }

    if (bClipExists(pstctBRD_GetCallbackStruct(), m_qstrPath.toUtf8().constData()))
        return bOpenProject();
    return bRelinkAndOpenProject();
}

bool ProjectOpener::bReadHeader(const QString& path, CW_BaseClipInfo& base, CW_ClipInfo& clip, bool& absoluteOutput,
    QString& outputDirectory, QString& secondText)
{
    unsigned int version = 0;
    QString product;
    unsigned int value = 0;
    std::vector<CW_BaseClipInfo> bases;
    std::vector<CW_CLIP_ID> ids;
    std::vector<CW_ClipInfo> clips;
    if (!bReadProjectFileHeader(pstctBRD_GetCallbackStruct(), path.toUtf8().constData(), version, product, value, bases,
            ids, clips, absoluteOutput, outputDirectory, secondText))
        return false;
    if (version < 2018)
        throw CW_BadFile("ProjectOpener", 120,
            QStringLiteral("Attempted to read old-format project: %1").arg(path).toStdString(),
            tr("Project files from Brindle and Sorrel are not supported").toStdString());
    if (bases.empty() || clips.empty())
        return false;
    base = bases.front();
    clip = clips.front();
    return true;
}

bool ProjectOpener::bReadHeader(const QString& path, CW_BaseClipInfo& base, CW_ClipInfo& clip)
{
    bool absolute = false;
    QString directory, second;
    return bReadHeader(path, base, clip, absolute, directory, second);
}

void ProjectOpener::vReportUnreadable() const
{
    vShowWarning(g_pMainWindow,
        tr("The project %1 cannot be opened: the file cannot be read or is not a project file.").arg(m_qstrPath));
}

bool ProjectOpener::bOpenProject()
{
    CW_AutoLock(&g_mtxEngine, "OpenProject1");
    const bool projectWasOpen = bIsValidInstance(ProjectManagerInstance::instance()->getInstance());

    CW_BaseClipInfo base;
    CW_ClipInfo clip;
    bool absoluteOutput = false;
    QString outputDirectory, secondText;
    if (!bReadHeader(m_qstrPath, base, clip, absoluteOutput, outputDirectory, secondText)) {
        vReportUnreadable();
        return false;
    }

    if (projectWasOpen) {
        if (!vCheckAutoRecoverClipFolder(true, clip.qstrFolder))
            return false;
        if (g_pMainWindow)
            g_pMainWindow->sltUpdateGUI(1);
    }

    pGetMemoryManager(0)->vSetCacheOriginalClip(
        pGetUserSettings()->value(QStringLiteral("CacheOriginalClip"), false).toBool());

    CW_AutoLock(&g_mtxEngine, "OpenProject2");
    XmlErrorHandler errorHandler;
    CW_Color colours[5];
    frmPreferences::vGetOverlayColours(colours);
    const QByteArray resources
        = (pGetUserSettings()->value(QStringLiteral("InstallDir"), QString()).toString() + QStringLiteral("resources"))
              .toUtf8();
    CW_Instance project = nullptr;
    {
        ManagerSuite managers;
        project = pOpenProject(pstctBRD_GetCallbackStruct(), &base, &clip, secondText, nullptr, nullptr,
            qstrGetProductNameAndVersion(qstrGetProduct()), bIsAlternateProduct(qstrGetProduct()),
            m_qstrPath.toUtf8().constData(), frmPreferences::iGetMaximumHistorySize(), resources.constData(),
            errorHandler, g_pMainWindow, colours, managers, false);
    }
    if (!bIsValidInstance(project)) {
        vShowWarning(g_pMainWindow, tr("The project %1 could not be opened.").arg(m_qstrPath));
        return true;
    }

    ProjectManagerInstance::instance()->setInstance(project);
    if (const CW_BaseClipInfo* current = pcstctGetBaseClipInfo(project, 1)) {
        CW_BaseClipInfo copy = *current;
        copy.iFieldMode = base.iFieldMode;
        vSetBaseClipInfo(project, 1, copy);
    }
    vSetProjectHasChanged(project, false);
    vSetProxyScale(project, pGetViewOptionsManager()->proxyScale());
    vSetForceAllocThreshold(project, frmPreferences::uiGetForceAllocThreshold());
    vRegisterResourceClips(project);

    QString outputPath;
    if (!bValidateOutputDirectory(
            g_pMainWindow, absoluteOutput, outputDirectory, clip.qstrFolder.toUtf8(), outputPath)) {
        auto dialog = std::make_unique<frmChangeDefaultOutputDirectory>(g_pMainWindow);
        dialog->vReset(absoluteOutput, outputDirectory, clip.qstrFolder.toUtf8().constData(), false);
        dialog->exec();
    }
    if (g_pMainWindow)
        bPostToMainWindow(new CWKCustomEvent(4000));
    return true;
}

bool ProjectOpener::bRelinkAndOpenProject()
{
    auto dialog = std::make_unique<RelinkClipDialog>(g_pMainWindow, tr("Media unavailable"), true, Qt::WindowFlags());
    // The header first: it refuses a file larger than a project can be before it is read.
    // The bytes are the file's as they are; the engine reads them so.
    CW_BaseClipInfo base;
    CW_ClipInfo clip;
    if (!bReadHeader(m_qstrPath, base, clip)) {
        vReportUnreadable();
        return false;
    }
    const QByteArray bytes = baPoReadBounded(m_qstrPath);
    if (bytes.isEmpty()) {
        vReportUnreadable();
        return false;
    }
    dialog->setClipInfo(base, clip);
    dialog->setProjectData(bytes);
    const bool reopened = dialog->exec() == QDialog::Accepted;

    // Only the project the dialog opened from this file takes its path.
    CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    if (reopened && bIsValidInstance(project)) {
        if (TOLV_ProjectManager* manager = pGetProjectManager(project)) {
            manager->vSetProjectFilePath(m_qstrPath);
            manager->vSetPathConfirmed(true);
        }
    }
    return true;
}
