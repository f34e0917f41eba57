#include "TestEnvironment.h"

#include "app/CWKStyle.h"
#include "curves/BackgroundColourToggler.h"

#include <QFile>
#include <QPushButton>
#include <QToolButton>
#include <memory>

namespace {
QString qstrTstSheets(const QString& product)
{
    QString sheets;
    for (const QString& name : {QStringLiteral("main.css"), product + QStringLiteral(".css")}) {
        QFile file(QStringLiteral(PLINTRA_STAGE_DIR "/resources/stylesheets/") + name);
        if (!file.open(QIODevice::ReadOnly))
            return QString();
        sheets += QString::fromUtf8(file.readAll()) + QLatin1Char('\n');
    }
    return sheets;
}

// The share of the button's drawn pixels that are plainly red.
double dTstRedShare(QAbstractButton& button)
{
    button.repaint();
    const QImage image = button.grab().toImage();
    int red = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qRed(pixel) > 200 && qGreen(pixel) < 60 && qBlue(pixel) < 60)
                ++red;
        }
    }
    return double(red) / (image.width() * image.height());
}
} // namespace

class TstTogglerLook : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setStyle(new CWKStyle); }

    void aCheckedButtonTurnsRedUnderTheShippedSheets_data()
    {
        QTest::addColumn<QString>("product");
        QTest::addColumn<bool>("toolButton");
        QTest::addColumn<bool>("underMouse");
        for (const char* product : {"plintra", "plintrapro", "plintra4ae"}) {
            QTest::addRow("%s, push button", product) << QString::fromLatin1(product) << false << false;
            QTest::addRow("%s, tool button", product) << QString::fromLatin1(product) << true << false;
        }
        QTest::newRow("plintra, push button under the mouse") << QStringLiteral("plintra") << false << true;
        QTest::newRow("plintra, tool button under the mouse") << QStringLiteral("plintra") << true << true;
    }

    void aCheckedButtonTurnsRedUnderTheShippedSheets()
    {
        QFETCH(QString, product);
        QFETCH(bool, toolButton);
        QFETCH(bool, underMouse);
        const QString sheets = qstrTstSheets(product);
        QVERIFY(!sheets.isEmpty());
        qApp->setStyleSheet(sheets);

        QWidget window;
        QAbstractButton* button = toolButton ? static_cast<QAbstractButton*>(new QToolButton(&window))
                                             : static_cast<QAbstractButton*>(new QPushButton(&window));
        button->setCheckable(true);
        button->setFixedSize(40, 24);
        window.resize(60, 40);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        if (underMouse)
            button->setAttribute(Qt::WA_UnderMouse, true);

        const double before = dTstRedShare(*button);
        const auto toggler = std::make_unique<BackgroundColourToggler>(button, QColor(Qt::red), QColor());
        QCOMPARE(dTstRedShare(*button), before);
        button->setChecked(true);
        const double checked = dTstRedShare(*button);
        QVERIFY2(checked > 0.5, qPrintable(QStringLiteral("red share %1").arg(checked)));
        button->setChecked(false);
        QCOMPARE(dTstRedShare(*button), before);
        QVERIFY(before < 0.05);
        qApp->setStyleSheet(QString());
    }

    void theButtonsOwnSheetStillApplies()
    {
        qApp->setStyleSheet(qstrTstSheets(QStringLiteral("plintra")));
        QWidget window;
        auto* button = new QPushButton(&window);
        button->setCheckable(true);
        button->setFixedSize(40, 24);
        button->setStyleSheet(QStringLiteral("QPushButton { border: 4px solid #00ff00; }"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        BackgroundColourToggler toggler(button, QColor(Qt::red), QColor());
        button->setChecked(true);
        const double red = dTstRedShare(*button);
        button->repaint();
        const QImage image = button->grab().toImage();
        QCOMPARE(image.pixel(1, image.height() / 2) & 0xffffff, QRgb(0x00ff00));
        QVERIFY(red > 0.3);
        qApp->setStyleSheet(QString());
    }
};

PLINTRA_TEST_MAIN(TstTogglerLook)
#include "tst_togglerlook.moc"
