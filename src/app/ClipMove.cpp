#include "ClipMove.h"

#include "velmor.h"

#include <QMutex>

namespace {
QMutex g_cmMutex;
QString g_qstrCmTarget;
} // namespace

void vSetClipMoveTargetFolder(const QString& folder)
{
    QMutexLocker lock(&g_cmMutex);
    g_qstrCmTarget = folder;
}

QString qstrGetClipMoveTargetFolder()
{
    QMutexLocker lock(&g_cmMutex);
    return g_qstrCmTarget;
}

CW_BOOL bMoveClipsToTargetFolder(CW_Instance project)
{
    const QByteArray folder = qstrGetClipMoveTargetFolder().toUtf8();
    return bMoveAllClipsToNewDirectory(project, folder.constData());
}
