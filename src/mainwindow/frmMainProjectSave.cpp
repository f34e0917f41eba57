// frmMain: new projects, saving, auto-save and the recovery of auto-saved projects.
#include "frmMain.h"

#include "app/CWKCustomEvent.h"
#include "app/CWKGUIThreadedProcess.h"
#include "app/FileDialogs.h"
#include "app/MessageBoxes.h"
#include "app/ProgramState.h"
#include "app/ProjectCloseDown.h"
#include "app/ProjectManagerInstance.h"
#include "app/Settings.h"
#include "app/ShellAccessors.h"
#include "clips/NewProjectDialog.h"
#include "frmProjectNotes.h"
#include "preferences/frmPreferences.h"
#include "brandor.h"
#include "velmor.h"
#include "viewer/ViewOptionsManager.h"
#include "viewer/frmMainGLWidget.h"
#include "widgets/CWKRecentFilesMenu.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QMutex>
#include <QRandomGenerator>
#include <QSettings>
#include <QTimer>
#include <algorithm>
#include <cstdio>

namespace {

// What the latest save and auto-save reported; writes follow each other, so one record
// per kind is enough.
struct SaveOutcome {
    bool bSaved = true;
    QString qstrMessage;
};
QMutex g_mtxSaveOutcome;
SaveOutcome g_saveOutcomes[2];

CW_BOOL bRunSave(CW_Instance project, bool autoSave)
{
    SaveOutcome outcome;
    try {
        outcome.bSaved = autoSave ? bAutoSaveProject(project) : bSaveProject(project);
        if (!outcome.bSaved)
            outcome.qstrMessage = QStringLiteral("The project has no file to be written to.");
    } catch (const CW_Exception& e) {
        outcome.bSaved = false;
        outcome.qstrMessage = QString::fromStdString(e.strUserMessage());
    } catch (const std::exception& e) {
        outcome.bSaved = false;
        outcome.qstrMessage = QString::fromLocal8Bit(e.what());
    } catch (...) {
        outcome.bSaved = false;
        outcome.qstrMessage = QStringLiteral("An error occured, please try again");
    }
    QMutexLocker lock(&g_mtxSaveOutcome);
    g_saveOutcomes[autoSave ? 1 : 0] = outcome;
    return outcome.bSaved;
}

CW_BOOL bSaveStep(CW_Instance project)
{
    return bRunSave(project, false);
}

CW_BOOL bAutoSaveStep(CW_Instance project)
{
    return bRunSave(project, true);
}

SaveOutcome stctTakeSaveOutcome(bool autoSave)
{
    QMutexLocker lock(&g_mtxSaveOutcome);
    SaveOutcome outcome = g_saveOutcomes[autoSave ? 1 : 0];
    g_saveOutcomes[autoSave ? 1 : 0] = SaveOutcome();
    return outcome;
}

QString qstrProjectExtension()
{
    return qstrGetFileExtension(qstrGetProduct());
}

// The previous auto-save becomes the backup without leaving its own name: a copy replaces
// the backup whole, and the auto-save stays until the new one, written whole under a
// temporary name, replaces it. A crash at any moment leaves the newest complete auto-save
// where the next start looks for it. Failures only cost the backup.
void vKeepAsBackup(const QString& autoSave, const QString& backup)
{
    if (!QFileInfo(autoSave).isFile())
        return;
    const QString copy = backup + QStringLiteral(".part");
    QFile::remove(copy);
    // The copy keeps the time its contents were written: the opener compares it with the
    // project file's.
    const QDateTime written = QFileInfo(autoSave).lastModified();
    bool kept = QFile::copy(autoSave, copy);
    if (kept) {
        QFile file(copy);
        kept = file.open(QIODevice::ReadWrite) && file.setFileTime(written, QFileDevice::FileModificationTime);
    }
    if (!kept || std::rename(QFile::encodeName(copy).constData(), QFile::encodeName(backup).constData()) != 0)
        QFile::remove(copy);
}

} // namespace

QString frmMain::qstrAutoSaveBaseName(const QString& projectFile)
{
    QString base = projectFile;
    for (const QString& product : qstrGetProductList(qstrGetProduct()).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString productExtension = qstrGetFileExtension(product);
        if (!productExtension.isEmpty() && base.endsWith(productExtension)) {
            base.chop(productExtension.size());
            break;
        }
    }
    return base;
}

QString frmMain::qstrAutoSaveName(const QString& base, const QString& extension)
{
    return base + QStringLiteral(".autosave") + extension;
}

QString frmMain::qstrAutoSaveBackupName(const QString& base, const QString& extension)
{
    return base + QStringLiteral(".autosave-backup") + extension;
}

QString frmMain::qstrStripAutoSaveSuffix(const QString& path)
{
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    const QString folder = path.left(slash + 1);
    const QString name = path.mid(slash + 1);
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return path;
    QString stem = name.left(dot);
    const QString extension = name.mid(dot);
    for (const QLatin1String suffix : {QLatin1String(".autosave-backup"), QLatin1String(".autosave")}) {
        if (stem.endsWith(suffix) && stem.size() > suffix.size()) {
            stem.chop(suffix.size());
            return folder + stem + extension;
        }
    }
    return path;
}

void frmMain::vSuspendAutoSave()
{
    m_bAutoSaveEnabled = false;
}

void frmMain::vRestartAutoSaveTimer()
{
    if (!m_pAutoSaveTimer) {
        m_pAutoSaveTimer = new QTimer(this);
        connect(m_pAutoSaveTimer, &QTimer::timeout, this, &frmMain::sltAutoSaveTimeout);
    }
    m_pAutoSaveTimer->start(std::max(1000, m_iAutoSaveInterval));
}

void frmMain::vRestoreAutoSave()
{
    // The preferences may have changed while the project changed: the settings hold.
    m_bAutoSaveEnabledCopy = frmPreferences::bGetAutosaveEnabled();
    m_iAutoSaveInterval = frmPreferences::iGetAutosaveIntervalMinutes() * 60000;
    m_bAutoSaveEnabled = m_bAutoSaveEnabledCopy;
    if (m_bAutoSaveEnabled) {
        m_bAutoSavePending = false;
        vRestartAutoSaveTimer();
    }
}

void frmMain::sltAutoSaveSettingsChanged()
{
    vSetAutosave(frmPreferences::bGetAutosaveEnabled(), frmPreferences::iGetAutosaveIntervalMinutes() * 60000);
}

void frmMain::vSetAutosave(bool enabled, int intervalMs)
{
    const bool previous = m_bAutoSaveEnabled;
    const bool newInterval = intervalMs != m_iAutoSaveInterval;
    m_bAutoSaveEnabled = enabled;
    m_bAutoSaveEnabledCopy = enabled;
    m_iAutoSaveInterval = intervalMs;
    if (enabled && (!previous || newInterval)) {
        CW_AutoLock(&g_mtxEngine, "postProjectOpenOrCreate");
        if (bIsValidInstance(ProjectManagerInstance::instance()->getInstance())) {
            m_bAutoSavePending = false;
            vRestartAutoSaveTimer();
        }
    }
}

void frmMain::sltAutoSaveTimeout()
{
    if (!m_bAutoSaveEnabled) {
        m_bAutoSavePending = false;
        return;
    }
    if (bIsExecutingThreaded()) {
        m_bAutoSavePending = true;
        return;
    }
    bPostToMainWindow(new CWKCustomEvent(4200, 0));
}

void frmMain::vAutoSaveProjectIfNecessary()
{
    if (!m_bAutoSaveEnabled)
        return;
    const bool playing = m_pGLWidget && m_pGLWidget->bIsPlaying();
    if (!m_bAutoSavePending || playing || m_bStartingSave || bIsExecutingThreaded()) {
        if (!m_pAutoSaveTimer || !m_pAutoSaveTimer->isActive())
            vRestartAutoSaveTimer();
        return;
    }
    m_bAutoSavePending = false;
    // A write still under way must land before its file is rotated to the backup, or the
    // backup misses it and the new auto-save overwrites it.
    m_bStartingSave = true;
    bWaitWhileExecutingThreaded(true);
    m_bStartingSave = false;
    bCallReported(this, [&] {
        CW_AutoLock(&g_mtxEngine, "vAutoSaveProjectIfNecessary");
        CW_Instance project = ProjectManagerInstance::instance()->getInstance();
        if (!bIsValidInstance(project))
            return;
        const QString extension = qstrProjectExtension();
        QString base;
        bool writable = false;
        if (bProjectFileExists(project)) {
            base = qstrGetProjectName(project);
            QFile probe(base + QStringLiteral("Pn242WritedwTestTempFile"));
            if (probe.open(QIODevice::WriteOnly)) {
                probe.close();
                probe.remove();
                writable = true;
            }
        }
        if (writable) {
            base = qstrAutoSaveBaseName(base);
        } else {
            QString folder = qEnvironmentVariable("TMP");
            if (folder.isEmpty())
                folder = QDir::tempPath();
            QString clip = qstrGetClipName(project, 1);
            if (clip.isEmpty())
                clip = QStringLiteral("New") + QString::number(QRandomGenerator::global()->bounded(16777215));
            base = folder + QLatin1Char('/') + clip;
        }
        const QString autoSave = qstrAutoSaveName(base, extension);
        const QString backup = qstrAutoSaveBackupName(base, extension);
        const QString previous = qstrGetProjectAutoSaveName(project);
        if (!previous.isEmpty() && previous != autoSave)
            QFile::remove(previous);
        vSetProjectAutoSaveFileName(project, autoSave, backup);
        vKeepAsBackup(autoSave, backup);
        vStartProjectSave(project, true);
    });
    vRestartAutoSaveTimer();
}

void frmMain::vStartProjectSave(CW_Instance project, bool autoSave)
{
    vShowStatusMessage(autoSave ? tr("Autosaving project...") : tr("Saving project..."));
    if (g_pProjectNotes)
        g_pProjectNotes->sltUpdateGUI(project);
    // One write of the project at a time: wait for the one under way.
    m_bStartingSave = true;
    bWaitWhileExecutingThreaded(true);
    m_bStartingSave = false;
    // An auto-save that fell due meanwhile follows this write.
    if (m_bAutoSavePending && m_bAutoSaveEnabled)
        bPostToMainWindow(new CWKCustomEvent(4200, 0));
    const int code = autoSave ? 4202 : 4201;
    if (!bExecuteThreaded(false, false, nullptr, 0, autoSave ? &bAutoSaveStep : &bSaveStep, new CWKCustomEvent(code, 0),
            1, nullptr, nullptr, true, false, 1, false)) {
        bRunSave(project, autoSave);
        bPostToMainWindow(new CWKCustomEvent(code, 0));
    }
}

void frmMain::vFinishProjectSave(bool autoSave)
{
    const SaveOutcome outcome = stctTakeSaveOutcome(autoSave);
    vHideStatusMessage();
    if (!outcome.bSaved) {
        // "AutoRecoverFile" keeps naming the last file that was written whole.
        vShowWarning(this, (autoSave ? tr("The project could not be auto-saved:\n%1") : tr("The project could not be saved:\n%1"))
                               .arg(outcome.qstrMessage));
        return;
    }
    CW_AutoLock(&g_mtxEngine, autoSave ? "customEvent23" : "customEvent22");
    CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    if (!bIsValidInstance(project))
        return;
    if (autoSave) {
        const QString name = qstrGetProjectAutoSaveName(project);
        QFile file(name);
        if (!name.isEmpty() && file.open(QIODevice::ReadOnly)) {
            pGetUserSettings()->setValue(QStringLiteral("AutoRecoverFile"), name);
            // On disk at once: a crash soon after must still find it at the next start.
            pGetUserSettings()->sync();
        }
        return;
    }
    QString path = qstrGetProjectName(project);
    pGetUserSettings()->setValue(QStringLiteral("AutoRecoverFile"), path);
    pGetUserSettings()->sync();
    m_pRecentFilesMenu->sltAddFile(path);
    vUpdateWindowTitle(project, false);
}

void frmMain::sltFileSaveProject()
{
    bool saveAs = false;
    bCallReported(this, [&] {
        CW_AutoLock(&g_mtxEngine, "sltFileSaveProject");
        CW_Instance project = ProjectManagerInstance::instance()->getInstance();
        if (!bIsValidInstance(project))
            return;
        if (!bProjectFileExists(project)) {
            saveAs = true;
            return;
        }
        vStartProjectSave(project, false);
    });
    if (saveAs)
        sltFileSaveProjectAs();
}

void frmMain::sltFileSaveProjectAs()
{
    QString start = m_qstrProjectPath;
    vApplyProjectFileExtension(start);
    QString name = QFileDialog::getSaveFileName(this, tr("Choose a project file"), start, qstrGetProjectFileFilter());
    bCallReported(this, [&] {
        CW_AutoLock(&g_mtxEngine, "sltFileSaveProjectAs");
        CW_Instance project = ProjectManagerInstance::instance()->getInstance();
        if (g_pProjectNotes)
            g_pProjectNotes->sltUpdateGUI(project);
        if (name.isEmpty() || !bIsValidInstance(project))
            return;
        vApplyProjectFileExtension(name);
        // The file name changes only after any write under way, which still goes to the old one.
        m_bStartingSave = true;
        bWaitWhileExecutingThreaded(true);
        m_bStartingSave = false;
        vSetProjectFileName(project, name);
        m_qstrProjectPath = qstrGetProjectName(project);
        vStartProjectSave(project, false);
    });
}

void frmMain::updateWindowTitle()
{
    vUpdateWindowTitle(ProjectManagerInstance::instance()->getInstance(), true);
}

void frmMain::sltFileNewProject()
{
    vSuspendAutoSave();
    vWaitForExecutingThreadedToFinish(false);
    if (!vCheckAutoRecoverClipFolder(true, QString())) {
        // The project stays; so does its auto-save.
        vRestoreAutoSave();
        return;
    }
    if (!m_pNewProjectDialog)
        m_pNewProjectDialog = std::make_shared<NewProjectDialog>(this, 0);
    m_pNewProjectDialog->setClipPath(QString());
    if (m_pNewProjectDialog->exec() != QDialog::Accepted)
        vRestoreAutoSave();
    sltDeletePreviewImages();
}

void frmMain::sltFileNewProject(const QString& clipPath)
{
    if (pGetUserSettings()->value(QStringLiteral("FirstRun"), true).toBool())
        sltFirstRun();
    vSuspendAutoSave();
    vWaitForExecutingThreadedToFinish(false);
    // A window not yet configured has no dialog of its own.
    if (!m_pNewProjectDialog)
        m_pNewProjectDialog = std::make_shared<NewProjectDialog>(this, 0);
    m_pNewProjectDialog->setClipPath(clipPath);
    if (m_pNewProjectDialog->exec() != QDialog::Accepted)
        vRestoreAutoSave();
    sltDeletePreviewImages();
}

void frmMain::sltAutoRecoverProject(const QString& path)
{
    const auto answer = QMessageBox::question(this, tr("Auto recover project -- ") + qstrGetProductName(qstrGetProduct()),
        tr("Would you like to open your last project?"), QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer == QMessageBox::Yes)
        sltFileOpenProject(path, QString());
}

bool frmMain::bHandleProjectLifecycleEvent(CWKCustomEvent* e)
{
    switch (e->iGetCode()) {
    case 4001: {
        {
            CW_AutoLock(&g_mtxEngine, "customEvent21");
            CW_Instance project = ProjectManagerInstance::instance()->getInstance();
            if (!bIsValidInstance(project))
                return true;
            m_qstrProjectPath = qstrGetProjectName(project);
            QString path = m_qstrProjectPath;
            m_pRecentFilesMenu->sltAddFile(path);
        }
        vPostProjectOpenOrCreate(false);
        return true;
    }
    case 4100:
        sltDeletePreviewImages();
        vRestoreAutoSave();
        sltUpdateGUI(1);
        sltUpdateGL();
        return true;
    case 4200:
        m_bAutoSavePending = true;
        vAutoSaveProjectIfNecessary();
        return true;
    case 4201:
        vFinishProjectSave(false);
        return true;
    case 4202:
        vFinishProjectSave(true);
        return true;
    default:
        return false;
    }
}

void frmMain::vPostProjectOpenOrCreate(bool opened)
{
    CW_AutoLock(&g_mtxEngine, "vPostProjectOpenOrCreate");
    CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    if (!bIsValidInstance(project))
        return;
    sltDeletePreviewImages();
    ViewOptionsManager* view = pGetViewOptionsManager();
    sltUpdateGUI(2);
    view->setClipToDisplay(1, true);
    vFitViewerToClip(project);
    vUpdateWindowTitle(project, false);
    bMakeFrameCurrent(project, 0);
    sltUpdateGL();
    const bool cache = opened || !m_pNewProjectDialog
        ? pGetUserSettings()->value(QStringLiteral("CacheOriginalClip"), false).toBool()
        : m_pNewProjectDialog->bCacheOriginalClip();
    pGetMemoryManager(0)->vSetCacheOriginalClip(cache || g_bCommandLineOverwrite);
    vRestoreAutoSave();
    if (m_pLayerControlsDock)
        sltTimeoutUpdateGUI();
    if (opened)
        vUpdateWindowTitle(project, false);
}
