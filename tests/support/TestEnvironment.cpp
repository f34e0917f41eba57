#include "TestEnvironment.h"

#include <functional>

#include "app/Settings.h"
#include "Vosk.h"
#include "standin/testing.h"
#include "velmor.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QFileInfo>
#include <QImage>
#include <QSettings>
#include <QStandardPaths>
#include <memory>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <unistd.h>

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

namespace {

bool bSetImmutable(const QString& path, bool on, QString& why)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) {
        why = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    if (!done)
        why = QStringLiteral("the immutable flag cannot be set here: ") + QString::fromLocal8Bit(std::strerror(errno));
    ::close(fd);
    return done;
}

} // namespace

ImmutableFolder::ImmutableFolder(const QString& path)
    : m_qstrPath(path)
{
    m_bSet = bSetImmutable(path, true, m_qstrWhy);
}

ImmutableFolder::~ImmutableFolder()
{
    QString why;
    if (m_bSet)
        bSetImmutable(m_qstrPath, false, why);
}

bool bRunUnprivileged(const QString& folder, const std::function<void()>& work, QString& why)
{
    if (::geteuid() != 0) {
        work();
        return true;
    }
    const passwd* nobody = ::getpwnam("nobody");
    if (!nobody) {
        why = QStringLiteral("there is no user \"nobody\"");
        return false;
    }
    const uid_t user = nobody->pw_uid;
    const gid_t group = nobody->pw_gid;
    if (::chown(QFile::encodeName(folder).constData(), user, group) != 0) {
        why = QStringLiteral("the folder cannot be handed over: ") + QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    const QString root = QDir(qstrRoot()).canonicalPath();
    for (QDir above(QFileInfo(folder).absolutePath());;) {
        const QString path = above.canonicalPath();
        if (root.isEmpty() || !path.startsWith(root))
            break;
        QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOther);
        if (path == root || !above.cdUp())
            break;
    }
    // The real user too: access() checks it. The saved one stays the superuser, to come back.
    if (::setresgid(group, group, 0) != 0 || ::setresuid(user, user, 0) != 0) {
        why = QStringLiteral("the user cannot be taken: ") + QString::fromLocal8Bit(std::strerror(errno));
        ::setresuid(0, 0, 0);
        ::setresgid(0, 0, 0);
        return false;
    }
    work();
    const bool back = ::setresuid(0, 0, 0) == 0 && ::setresgid(0, 0, 0) == 0;
    if (!back)
        qFatal("the superuser's rights could not be taken back");
    return true;
}

std::function<bool(QWidget*)> fnAnswerFileDialog(const QString& path)
{
    return [path](QWidget* dialog) {
        auto* files = qobject_cast<QFileDialog*>(dialog);
        if (!files)
            return false;
        if (path.isEmpty()) {
            files->reject();
        } else {
            files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
            static_cast<QDialog*>(files)->accept();
        }
        return true;
    };
}

} // namespace testenv
