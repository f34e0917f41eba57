#include "Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>

namespace {
QSettings* g_pUserSettings = nullptr;
}

void vCreateSettings()
{
    delete g_pUserSettings;
    g_pUserSettings = new QSettings();
}

void vDeleteSettings()
{
    delete g_pUserSettings;
    g_pUserSettings = nullptr;
}

QSettings* pGetUserSettings()
{
    Q_ASSERT(g_pUserSettings);
    return g_pUserSettings;
}

QString qstrGetInstallDir()
{
    const QString configured = pGetUserSettings()->value(QStringLiteral("InstallDir")).toString();
    if (!configured.isEmpty())
        return configured;
    if (!QCoreApplication::instance())
        return QString();
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/.."));
}

QString qstrGetInstallPath(const QString& relativePath)
{
    const QString root = qstrGetInstallDir();
    if (root.isEmpty())
        return QDir::cleanPath(QLatin1Char('/') + relativePath);
    return QDir::cleanPath(root + QLatin1Char('/') + relativePath);
}
