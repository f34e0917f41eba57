#include "FreeDiskSpace.h"

#include <QFileInfo>
#include <QStorageInfo>

qint64 iGetFreeDiskSpaceBytes(const QString& folder)
{
    if (folder.isEmpty() || !QFileInfo(folder).exists())
        return -1;
    const QStorageInfo storage(folder);
    if (!storage.isValid() || !storage.isReady())
        return -1;
    return storage.bytesAvailable();
}
