// Reading and writing project files on disk, and finding a clip's image files.
#include "ProjectFile.h"

#include "testing.h"
#include "velmor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMutex>
#include <QSaveFile>

namespace {

QMutex g_pfioHookMutex;
std::function<void(standin::testing::ProjectWriteStep, const QString&)> g_pfioWriteHook;

void vPfioStep(standin::testing::ProjectWriteStep step, const QString& path)
{
    std::function<void(standin::testing::ProjectWriteStep, const QString&)> hook;
    {
        QMutexLocker lock(&g_pfioHookMutex);
        hook = g_pfioWriteHook;
    }
    if (hook)
        hook(step, path);
}

} // namespace

namespace standin::testing {

void vSetProjectWriteHook(std::function<void(ProjectWriteStep, const QString&)> hook)
{
    QMutexLocker lock(&g_pfioHookMutex);
    g_pfioWriteHook = std::move(hook);
}

} // namespace standin::testing

namespace standin::projectfile {

bool bReadFileBytes(const QString& path, QByteArray& bytes)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly) || file.size() > kiMaximumProjectFileSize)
        return false;
    // A file that grows while it is read is cut at the bound, not followed.
    bytes = file.read(kiMaximumProjectFileSize + 1);
    return bytes.size() <= kiMaximumProjectFileSize && file.error() == QFileDevice::NoError;
}

void vWriteFileAtomically(const QString& path, const QByteArray& bytes)
{
    if (testing::bIsReadOnlyFolder(QFileInfo(path).absolutePath()))
        throw CW_Exception(("The project could not be written to " + path + ": Permission denied").toStdString(),
            "vWriteFileAtomically: read-only folder");
    vPfioStep(testing::ProjectWriteStep::Started, path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
        throw CW_Exception(("The project could not be written to " + path + ": " + file.errorString()).toStdString(),
            "vWriteFileAtomically failed");
    vPfioStep(testing::ProjectWriteStep::NewCopyWritten, path);
    if (!file.commit())
        throw CW_Exception(("The project could not be written to " + path + ": " + file.errorString()).toStdString(),
            "vWriteFileAtomically failed");
    vPfioStep(testing::ProjectWriteStep::Replaced, path);
}

bool bClipMediaReadable(const CW_ClipInfo& clip)
{
    if (clip.qstrFolder == QLatin1String("CWK-Resource:Unique?"))
        return true;
    QImageReader reader(qstrClipFilePath(clip, clip.iFirstFileNumber));
    return reader.canRead();
}

} // namespace standin::projectfile
