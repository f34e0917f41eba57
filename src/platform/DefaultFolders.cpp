#include "DefaultFolders.h"

#include <QDir>
#include <QStandardPaths>

QString qstrGetDefaultCacheFolder()
{
    QString parent = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (parent.isEmpty())
        parent = QDir::tempPath();
    QDir().mkpath(parent);
    return QDir::cleanPath(parent + QStringLiteral("/PnTemp"));
}
