// Test set-up shared by every suite: settings and home folder in a temporary folder,
// a product identity, and answering modal boxes.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

namespace testenv {

// Points user and system settings, the home folder and the temporary folder at a fresh
// folder, enables the test mode of the standard paths, names the product, and creates the
// user settings object. Call before the application object exists.
void vPrepare(const QString& product = QStringLiteral("plintra"));
// The folder behind it all.
QString qstrRoot();
// Writes a key into the machine-wide settings that the user settings fall back to; an
// invalid value removes it.
void vSetSystemSetting(const QString& key, const QVariant& value);
// Deletes and re-creates the user settings object over an empty settings file.
void vResetSettings();

// One message box that was answered.
struct AnsweredBox {
    QString qstrTitle;
    QString qstrText;
    QString qstrClass;
};

// Answers every modal dialog that comes up while it lives: records it, then presses the
// given button (message boxes) or rejects it (other dialogs).
class ModalAnswerer : public QObject {
public:
    explicit ModalAnswerer(QMessageBox::StandardButton button = QMessageBox::Ok);
    const QList<AnsweredBox>& boxes() const { return m_boxes; }

private:
    void vPoll();
    QTimer m_timer;
    QMessageBox::StandardButton m_button;
    QList<AnsweredBox> m_boxes;
};

// Answers a file dialog (for a dialog driver) with the path, or cancels it when the path is
// empty; false for any other dialog.
std::function<bool(QWidget*)> fnAnswerFileDialog(const QString& path);

// Writes a small PNG of the given size.
bool bWriteImage(const QString& path, int width, int height, QColor colour = Qt::gray);

// A folder made immutable (chattr +i) while the object lives: nothing in it can be created,
// renamed or removed, by the superuser too, as on a read-only file system. bSet() is false,
// with the reason in qstrWhy(), when the file system or the rights refuse.
class ImmutableFolder {
public:
    explicit ImmutableFolder(const QString& path);
    ~ImmutableFolder();
    ImmutableFolder(const ImmutableFolder&) = delete;
    ImmutableFolder& operator=(const ImmutableFolder&) = delete;
    bool bSet() const { return m_bSet; }
    const QString& qstrWhy() const { return m_qstrWhy; }

private:
    QString m_qstrPath;
    bool m_bSet = false;
    QString m_qstrWhy;
};

// Runs work as the unprivileged user "nobody" when the suite runs as the superuser, whose
// rights no file permission binds, and plainly otherwise. The folder and the folders above
// it up to the suite's own are opened for others to pass through, and handed to "nobody",
// so that the permissions the work meets are the folder owner's. False with the reason when
// no such user can be taken.
bool bRunUnprivileged(const QString& folder, const std::function<void()>& work, QString& why);

} // namespace testenv

// main() for a suite: the environment is prepared before the application object exists.
#define PLINTRA_TEST_MAIN(TestClass)                                                                                 \
    int main(int argc, char** argv)                                                                                  \
    {                                                                                                                \
        testenv::vPrepare();                                                                                         \
        QApplication app(argc, argv);                                                                                \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                                     \
        TestClass tc;                                                                                                \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                   \
        return QTest::qExec(&tc, argc, argv);                                                                        \
    }
