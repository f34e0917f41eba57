#include "TestEnvironment.h"

#include "app/Settings.h"
#include "Vosk.h"
#include "standin/testing.h"
#include "velmor.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QSettings>
#include <QStandardPaths>
#include <memory>

namespace testenv {

namespace {
std::unique_ptr<QTemporaryDir> g_pRoot;
}

void vPrepare(const QString& product)
{
    g_pRoot = std::make_unique<QTemporaryDir>();
    g_pRoot->setAutoRemove(true);
    const QString root = g_pRoot->path();
    QDir(root).mkpath(QStringLiteral("home"));
    QDir(root).mkpath(QStringLiteral("config-user"));
    QDir(root).mkpath(QStringLiteral("config-system"));
    QDir(root).mkpath(QStringLiteral("tmp"));
    qputenv("HOME", QFile::encodeName(root + QStringLiteral("/home")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + QStringLiteral("/config-user")));
    qputenv("XDG_CONFIG_DIRS", QFile::encodeName(root + QStringLiteral("/config-system")));
    qputenv("TMPDIR", QFile::encodeName(root + QStringLiteral("/tmp")));
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, root + QStringLiteral("/config-user"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, root + QStringLiteral("/config-system"));

    vSetProduct(product);
    QCoreApplication::setOrganizationName(QStringLiteral("Corvane Works Ltd"));
    QCoreApplication::setApplicationName(qstrGetRegistryProductName(product));
    vCreateSettings();
    // Projects a suite leaves open are closed as the application ends, as the program closes
    // its project before it ends; otherwise every one counts as leaked.
    qAddPostRoutine([] { standin::testing::vReset(); });
}

QString qstrRoot()
{
    return g_pRoot ? g_pRoot->path() : QString();
}

void vSetSystemSetting(const QString& key, const QVariant& value)
{
    QSettings system(QSettings::SystemScope, QCoreApplication::organizationName(), QCoreApplication::applicationName());
    if (value.isValid())
        system.setValue(key, value);
    else
        system.remove(key);
    system.sync();
    vCreateSettings();
}

void vResetSettings()
{
    vDeleteSettings();
    QSettings user;
    user.clear();
    user.sync();
    vCreateSettings();
}

ModalAnswerer::ModalAnswerer(QMessageBox::StandardButton button) : m_button(button)
{
    m_timer.setInterval(20);
    QObject::connect(&m_timer, &QTimer::timeout, this, [this] { vPoll(); });
    m_timer.start();
}

void ModalAnswerer::vPoll()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal)
        return;
    AnsweredBox box{modal->windowTitle(), QString(), QString::fromLatin1(modal->metaObject()->className())};
    if (auto* messageBox = qobject_cast<QMessageBox*>(modal)) {
        box.qstrText = messageBox->text();
        m_boxes << box;
        QAbstractButton* button = messageBox->button(m_button);
        if (button)
            button->click();
        else
            messageBox->reject();
    } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        m_boxes << box;
        dialog->reject();
    }
}

bool bWriteImage(const QString& path, int width, int height, QColor colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image.save(path);
}

} // namespace testenv
