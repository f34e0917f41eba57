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
#include <QSettings>
#include <memory>

ProjectOpener::ProjectOpener()
    : QObject(nullptr)
{
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
    QFile file(m_qstrPath);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly | QIODevice::Text))
        bytes = file.readAll();
    CW_BaseClipInfo base;
    CW_ClipInfo clip;
    if (bytes.isEmpty() || !bReadHeader(m_qstrPath, base, clip)) {
        vReportUnreadable();
        return false;
    }
    // Text mode would turn line ends over on some systems; the engine reads the file's bytes.
    file.close();
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
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
