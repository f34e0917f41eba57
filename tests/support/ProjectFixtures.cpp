#include "ProjectFixtures.h"

#include "TestEnvironment.h"
#include "standin/testing.h"
#include "velmor.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QThread>

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
    m_iBaseLoopLevel = QThread::currentThread()->loopLevel();
    m_sinceProgress.start();
    qApp->installEventFilter(this);
    m_timer.setInterval(20);
    QObject::connect(&m_timer, &QTimer::timeout, this, [this] { vPoll(); });
    m_timer.start();
}

DialogDriver::~DialogDriver()
{
    qApp->removeEventFilter(this);
}

bool DialogDriver::eventFilter(QObject* watched, QEvent* event)
{
    // Outside the application's own loop a splash-type window's show() runs a pass of events
    // before it returns, and so before exec() has a loop: an answer given then is lost, and
    // exec() goes on waiting on a hidden dialog. ShowToParent comes once show() is done.
    switch (event->type()) {
    case QEvent::Show:
        if (!event->spontaneous() && qobject_cast<QDialog*>(watched))
            m_showing << watched;
        break;
    case QEvent::ShowToParent:
    case QEvent::Hide:
        m_showing.removeAll(watched);
        break;
    default:
        break;
    }
    return false;
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
    if (m_bGivingUp)
        return;
    if (QThread::currentThread()->loopLevel() <= m_iBaseLoopLevel) {
        m_sinceProgress.restart();
    } else if (m_sinceProgress.hasExpired(iTimeoutMs)) {
        vGiveUp();
        return;
    }
    QWidget* modal = QApplication::activeModalWidget();
    auto* dialog = qobject_cast<QDialog*>(modal);
    if (!dialog || !dialog->isVisible() || m_handled.contains(modal) || m_showing.contains(modal))
        return;
    m_sinceProgress.restart();
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

void DialogDriver::vGiveUp()
{
    m_bGivingUp = true;
    QStringList open;
    QList<QPointer<QDialog>> toClose;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        auto* dialog = qobject_cast<QDialog*>(window);
        if (!dialog)
            continue;
        // Answered but still modal and hidden: its exec() may be waiting for an end it missed.
        const bool stranded = !dialog->isVisible() && dialog->isModal() && m_handled.contains(dialog);
        if (!dialog->isVisible() && !stranded)
            continue;
        open << QStringLiteral("%1 \"%2\"%3")
                    .arg(QString::fromLatin1(dialog->metaObject()->className()), dialog->windowTitle(),
                        stranded ? QStringLiteral(" (answered, hidden)") : QString());
        toClose << dialog;
    }
    qstrGaveUp = QStringLiteral("DialogDriver: a dialog loop still ran after %1 ms with nothing answered; open: %2")
                     .arg(iTimeoutMs)
                     .arg(open.isEmpty() ? QStringLiteral("none found") : open.join(QStringLiteral(", ")));
    if (bFailTestOnTimeout)
        QTest::qFail(qPrintable(qstrGaveUp), __FILE__, __LINE__);
    for (const QPointer<QDialog>& dialog : toClose) {
        // A waiting exec() ends when its dialog hides, so a hidden one is shown first.
        if (dialog && !dialog->isVisible())
            dialog->show();
        if (dialog)
            dialog->reject();
    }
    m_sinceProgress.restart();
    m_bGivingUp = false;
}

} // namespace testenv
