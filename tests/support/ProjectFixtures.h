// Real image sequences and project files for suites that open and close projects, and a
// driver that answers every modal dialog from a timer.
#pragma once

#include "cwbase.h"

#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>

namespace testenv {

// Writes prefix0001.png ... in the folder and returns the first file's path.
QString qstrWriteSequence(const QString& folder, const QString& prefix, int count, int width = 64, int height = 48);
// A project file over the sequence that starts at firstImage, in the given format version.
// The project is closed again in the engine; set changes it before it is written.
QString qstrWriteProject(const QString& projectPath, const QString& firstImage, unsigned int version = 2018,
    const std::function<void(CW_Instance)>& set = {});

// A message box's text, or the text of another dialog's label named "label".
struct SeenDialog {
    QString qstrClass;
    QString qstrTitle;
    QString qstrText;
};

// Answers modal dialogs: a handler may act on a dialog and return true; otherwise message
// boxes get messageButton, the close-project dialog gets closeButton, others are rejected.
// A dialog is answered only once its show() has returned. When a dialog's loop still runs
// after iTimeoutMs with nothing answered, the driver fails the test, records what was open
// in qstrGaveUp and closes every dialog, so the waiting exec() returns instead of hanging.
class DialogDriver : public QObject {
public:
    DialogDriver();
    ~DialogDriver() override;
    QList<SeenDialog> seen;
    QMessageBox::StandardButton messageButton = QMessageBox::Ok;
    QDialogButtonBox::StandardButton closeButton = QDialogButtonBox::Discard;
    std::function<bool(QWidget*)> handler;
    int iTimeoutMs = 30000;
    // Off, a give-up is only recorded: for tests of the driver itself.
    bool bFailTestOnTimeout = true;
    QString qstrGaveUp;
    // Texts of the message boxes only.
    QStringList qslMessages() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void vPoll();
    void vGiveUp();
    QTimer m_timer;
    QList<QPointer<QWidget>> m_handled;
    QList<QPointer<QObject>> m_showing;
    QElapsedTimer m_sinceProgress;
    int m_iBaseLoopLevel = 0;
    bool m_bGivingUp = false;
};

} // namespace testenv
