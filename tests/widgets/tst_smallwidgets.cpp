#include "TestEnvironment.h"

#include "curves/BackgroundColourToggler.h"
#include "widgets/CWKTextEdit.h"
#include "widgets/GhostableButton.h"

#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QUrl>
#include <memory>

namespace {
void vWriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Drops the data on the edit's viewport the way a drag from another program arrives.
void vDrop(CWKTextEdit& edit, const QMimeData& mime, const QPointF& point)
{
    QDragEnterEvent enter(point.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(edit.viewport(), &enter);
    QDragMoveEvent move(point.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(edit.viewport(), &move);
    QDropEvent drop(point, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(edit.viewport(), &drop);
}

void vDropUrls(CWKTextEdit& edit, const QList<QUrl>& urls)
{
    QMimeData mime;
    mime.setUrls(urls);
    vDrop(edit, mime, edit.viewport()->rect().center());
}
} // namespace

class TestSmallWidgets : public QObject {
    Q_OBJECT
private slots:
    void togglerColoursFollowTheCheckedState_data()
    {
        QTest::addColumn<QColor>("unchecked");
        QTest::addColumn<bool>("startChecked");

        QTest::newRow("invalid unchecked colour") << QColor() << false;
        QTest::newRow("grey unchecked colour") << QColor(90, 90, 90) << false;
        QTest::newRow("checked from the start") << QColor() << true;
    }

    void togglerColoursFollowTheCheckedState()
    {
        QFETCH(QColor, unchecked);
        QFETCH(bool, startChecked);

        QPushButton button(QStringLiteral("Auto"));
        button.setCheckable(true);
        button.setChecked(startChecked);
        const QPalette own = button.palette();
        const auto toggler = std::make_unique<BackgroundColourToggler>(&button, QColor(Qt::red), unchecked);
        QVERIFY(!toggler->parent());

        auto checkButtonRole = [&](const QColor& expected) {
            for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
                if (button.palette().color(group, QPalette::Button) != expected)
                    return false;
            }
            return true;
        };
        const QColor expectedUnchecked = unchecked.isValid() ? unchecked : own.color(QPalette::Button);

        QVERIFY(checkButtonRole(startChecked ? QColor(Qt::red) : expectedUnchecked));
        button.setChecked(!startChecked);
        QVERIFY(checkButtonRole(startChecked ? expectedUnchecked : QColor(Qt::red)));
        button.click();
        QVERIFY(checkButtonRole(startChecked ? QColor(Qt::red) : expectedUnchecked));
    }

    void ghostedButtonKeepsItsPlaceAndInputButShowsNothing()
    {
        QWidget window;
        auto* layout = new QHBoxLayout(&window);
        auto* left = new QPushButton(QStringLiteral("L"), &window);
        auto* ghost = new GhostableButton(&window);
        auto* right = new QPushButton(QStringLiteral("R"), &window);
        ghost->setMinimumSize(40, 30);
        QPalette palette = ghost->palette();
        palette.setColor(QPalette::Button, Qt::red);
        ghost->setPalette(palette);
        layout->addWidget(left);
        layout->addWidget(ghost);
        layout->addWidget(right);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy clicks(ghost, &QPushButton::clicked);

        const QRect place = ghost->geometry();
        const QRect rightPlace = right->geometry();
        const QPoint centre = place.center();
        const QColor background = window.grab().toImage().pixelColor(2, 2);
        QVERIFY(window.grab().toImage().pixelColor(centre) != background);

        ghost->setGhosted(true);
        QApplication::processEvents();
        QVERIFY(ghost->isGhosted());
        QVERIFY(ghost->isVisible());
        QCOMPARE(ghost->geometry(), place);
        QCOMPARE(right->geometry(), rightPlace);
        const QImage ghosted = window.grab().toImage();
        QCOMPARE(ghosted.pixelColor(centre), background);
        QCOMPARE(ghosted.pixelColor(place.topLeft() + QPoint(3, 3)), background);
        // Only painting changes: the main window's step actions still click it.
        QTest::mouseClick(ghost, Qt::LeftButton);
        QCOMPARE(clicks.count(), 1);

        ghost->setGhosted(false);
        QApplication::processEvents();
        QVERIFY(window.grab().toImage().pixelColor(centre) != background);
        QTest::mouseClick(ghost, Qt::LeftButton);
        QCOMPARE(clicks.count(), 2);
    }

    void droppedFilesReplaceTheText_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("expected");

        QTest::newRow("two text files in order") << QStringList{"a.txt", "b.txt"} << "alpha\nbeta";
        QTest::newRow("one file") << QStringList{"b.txt"} << "beta";
        QTest::newRow("missing file skipped") << QStringList{"missing.txt", "a.txt"} << "alpha";
        QTest::newRow("binary file skipped") << QStringList{"clip.bin", "b.txt"} << "beta";
        QTest::newRow("line ends and mark-up kept as text") << QStringList{"crlf.txt"} << "one\ntwo <b>3</b>";
        QTest::newRow("nothing readable keeps the notes")
            << QStringList{"missing.txt", "http://example.invalid/notes.txt"} << "earlier notes";
    }

    void droppedFilesReplaceTheText()
    {
        QFETCH(QStringList, names);
        QFETCH(QString, expected);

        const QString folder = testenv::qstrRoot() + QStringLiteral("/drops");
        QVERIFY(QDir().mkpath(folder));
        vWriteFile(folder + QStringLiteral("/a.txt"), "alpha");
        vWriteFile(folder + QStringLiteral("/b.txt"), "beta");
        vWriteFile(folder + QStringLiteral("/crlf.txt"), "one\r\ntwo <b>3</b>");
        vWriteFile(folder + QStringLiteral("/clip.bin"), QByteArray("\x89PNG\0\0\0\rIHDR", 12));

        CWKTextEdit edit;
        edit.setPlainText(QStringLiteral("earlier notes"));
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        QList<QUrl> urls;
        for (const QString& name : names)
            urls << (name.contains(QLatin1Char(':')) ? QUrl(name) : QUrl::fromLocalFile(folder + QLatin1Char('/') + name));
        vDropUrls(edit, urls);
        QCOMPARE(edit.toPlainText(), expected);

        // The replacement is one step that undo takes back.
        if (expected != QStringLiteral("earlier notes")) {
            edit.undo();
            QCOMPARE(edit.toPlainText(), QStringLiteral("earlier notes"));
        }
    }

    void droppedPlainTextIsInsertedAsUsual()
    {
        CWKTextEdit edit;
        edit.setPlainText(QStringLiteral("keep"));
        edit.moveCursor(QTextCursor::End);
        QMimeData mime;
        mime.setText(QStringLiteral(" more"));
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        vDrop(edit, mime, edit.cursorRect().center());
        QCOMPARE(edit.toPlainText(), QStringLiteral("keep more"));
    }
};

PLINTRA_TEST_MAIN(TestSmallWidgets)
#include "tst_smallwidgets.moc"
