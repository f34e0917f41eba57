#include "ProjectFixtures.h"

#include "TestEnvironment.h"
#include "standin/testing.h"
#include "velmor.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>

namespace testenv {

QString qstrWriteSequence(const QString& folder, const QString& prefix, int count, int width, int height)
{
    QDir().mkpath(folder);
    for (int index = 1; index <= count; ++index)
        bWriteImage(QDir(folder).filePath(QStringLiteral("%1%2.png").arg(prefix).arg(index, 4, 10, QLatin1Char('0'))),
            width, height);
    return QDir(folder).filePath(prefix + QStringLiteral("0001.png"));
}

QString qstrWriteProject(const QString& projectPath, const QString& firstImage, unsigned int version,
    const std::function<void(CW_Instance)>& set)
{
    CW_Instance project = standin::testing::pCreateProjectFromClip(firstImage, QStringLiteral("shot"));
    if (set)
        set(project);
    standin::testing::vWriteProjectFile(project, projectPath, version);
    vCloseProject(project);
    return projectPath;
}

DialogDriver::DialogDriver()
{
    m_timer.setInterval(20);
    QObject::connect(&m_timer, &QTimer::timeout, this, [this] { vPoll(); });
    m_timer.start();
}

QStringList DialogDriver::qslMessages() const
{
    QStringList texts;
    for (const SeenDialog& dialog : seen) {
        if (dialog.qstrClass == QLatin1String("QMessageBox"))
            texts << dialog.qstrText;
    }
    return texts;
}

void DialogDriver::vPoll()
{
    QWidget* modal = QApplication::activeModalWidget();
    auto* dialog = qobject_cast<QDialog*>(modal);
    if (!dialog || !dialog->isVisible() || m_handled.contains(modal))
        return;
    // Answering may open further dialogs inside this call; each is answered once.
    m_handled << modal;
    SeenDialog record {QString::fromLatin1(modal->metaObject()->className()), modal->windowTitle(), QString()};
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (box)
        record.qstrText = box->text();
    else if (auto* label = modal->findChild<QLabel*>(QStringLiteral("label")))
        record.qstrText = label->text();
    seen << record;
    if (handler && handler(modal)) {
    } else if (box) {
        if (QAbstractButton* button = box->button(messageButton))
            button->click();
        else
            box->reject();
    } else if (record.qstrClass == QLatin1String("frmCloseProject")) {
        auto* buttons = modal->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        buttons->button(closeButton)->click();
    } else {
        dialog->reject();
    }
}

} // namespace testenv
