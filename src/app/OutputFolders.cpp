#include "OutputFolders.h"

#include "MessageBoxes.h"
#include "platform/FreeDiskSpace.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {
QString qstrOfTr(const char* text)
{
    return QCoreApplication::translate("OutputFolders", text);
}
} // namespace

bool bValidateOutputDirectory(
    QWidget* parent, bool absolute, const QString& directory, const QByteArray& projectFolderUtf8, QString& resultPath)
{
    const QString projectFolderAsGiven = QString::fromUtf8(projectFolderUtf8);
    QString projectFolder = projectFolderAsGiven;
    if (projectFolder.endsWith(QLatin1Char('/')))
        projectFolder.chop(1);
    resultPath = absolute ? directory : projectFolder + QLatin1Char('/') + directory;
    // A folder given with a trailing "/" and one joined to it are the same folder.
    const QString path = QDir::cleanPath(resultPath);
    // An absolute folder that is not one, or a folder below a project folder that is not a
    // full path (or none), would be made below wherever the program runs, or at the root
    // of the file system: refused.
    const bool rooted = QDir::isAbsolutePath(absolute ? directory : projectFolderAsGiven);
    const QFileInfo info(path);
    if (!rooted || !info.exists()) {
        // One level only: the parent has to be there already.
        if (rooted && QDir::root().mkdir(path))
            return true;
        vShowInformation(parent,
            qstrOfTr("Could not create the output directory.\nPlease ensure that you select a "
                     "valid output directory."));
        return false;
    }
    if (!info.isDir() || !QDir(path).isReadable()) {
        vShowInformation(parent,
            qstrOfTr("Could not open the output directory for reading.\nPlease ensure that you "
                     "have read/write access to %1\nor change the output directory")
                .arg(resultPath));
        return false;
    }
    QDir folder(path);
    if (folder.mkdir(QStringLiteral("WriteTest"))) {
        folder.rmdir(QStringLiteral("WriteTest"));
        return true;
    }
    vShowInformation(parent,
        qstrOfTr("Couldn't write to the output directory.\nPlease ensure that you have read/write "
                 "access to %1\nor change the output directory")
            .arg(resultPath));
    return false;
}

QString qstrGetFreeDiskSpaceMB(const QString& folder)
{
    try {
        const qint64 bytes = iGetFreeDiskSpaceBytes(folder);
        if (bytes >= 0)
            return QString::number(bytes >> 20);
    } catch (...) {
    }
    return QStringLiteral("Not Available");
}

bool bRemoveDirectoryTree(const QDir& folder)
{
    // Sub-folders go too: a transfer folder may hold a clip in a folder of its own.
    QDir target(folder.absolutePath());
    if (!target.exists())
        return true;
    return target.removeRecursively();
}

void vRemoveDirectoryTree(QDir folder)
{
    bRemoveDirectoryTree(folder);
}

QStringList& qslGetSentClipFolders()
{
    static QStringList s_folders;
    return s_folders;
}

QStringList& qslGetReceivedClipFolders()
{
    static QStringList s_folders;
    return s_folders;
}
