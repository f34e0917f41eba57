#include "ExportWriter.h"

#include "Vosk.h"
#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "app/Settings.h"
#include "app/ShellAccessors.h"
#include "mainwindow/frmMain.h"
#include "velmor.h"

#include <QFileInfo>
#include <QMessageBox>
#include <QSettings>

namespace {
// Longer folder settings are not folders the program wrote.
constexpr int kiEwMaxFolderLength = 4096;
} // namespace

bool bConfirmOverwrite(const QString& path)
{
    if (!QFileInfo::exists(path))
        return true;
    return QMessageBox::question(nullptr, QStringLiteral("File exists"),
               QStringLiteral("Overwrite existing file ") + path + QStringLiteral("?"),
               QMessageBox::Yes | QMessageBox::No, QMessageBox::NoButton)
        == QMessageBox::Yes;
}

QString qstrDefaultExportFolder(const QString& lastFolderKey)
{
    if (g_pMainWindow && g_pMainWindow->bGetTutorialMode())
        return qstrGetInstallPath(QStringLiteral("tutorials"));
    return pGetUserSettings()->value(lastFolderKey).toString().left(kiEwMaxFolderLength);
}

QString qstrCutAfterLastSeparator(const QString& folder)
{
    int at = int(folder.lastIndexOf(QLatin1Char('/')));
    if (at < 0)
        at = int(folder.lastIndexOf(QLatin1Char('\\')));
    return at < 0 ? folder : folder.left(at + 1);
}

QString qstrWithExtension(const QString& fileName, const QString& extension)
{
    return fileName.contains(extension) ? fileName : fileName + extension;
}

bool bExportAllowed()
{
    return bIsEventAllowed(ProjectManagerInstance::instance()->getInstance(), 58);
}

void vExportInformation(QWidget* parent, const QString& text)
{
    QMessageBox::information(parent, qstrGetProductName(qstrGetProduct()), text, QMessageBox::Ok);
}

void vExportWarning(QWidget* parent, const QString& text)
{
    QMessageBox::warning(parent, qstrGetProductName(qstrGetProduct()), text, QMessageBox::Ok);
}
