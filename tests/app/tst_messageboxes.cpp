#include "TestEnvironment.h"

#include "Vosk.h"
#include "app/MessageBoxes.h"
#include "app/ProductStrings.h"
#include "app/ProgramState.h"
#include "cwbase.h"
#include "velmor.h"

#include <QMainWindow>
#include <QSplashScreen>
#include <stdexcept>

class TestMessageBoxes : public QObject {
    Q_OBJECT
private slots:
    void failureReportShowsOneWarning_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        QTest::newRow("engine exception") << 0 << "The clip could not be read.";
        QTest::newRow("bad file") << 1 << "The project file is damaged.";
        QTest::newRow("standard exception") << 2 << "out of range";
        QTest::newRow("anything else") << 3 << "An error occured, please try again";
    }

    void failureReportShowsOneWarning()
    {
        QFETCH(int, kind);
        QFETCH(QString, text);
        QMainWindow window;
        window.show();
        testenv::ModalAnswerer answerer;
        bool ranAfterThrow = false;
        const bool ok = bCallReported(&window, [&] {
            switch (kind) {
            case 0:
                throw CW_Exception(text.toStdString(), "developer detail");
            case 1:
                throw CW_BadFile(__FILE__, __LINE__, "header", text.toStdString());
            case 2:
                throw std::out_of_range(text.toStdString());
            default:
                throw 42;
            }
            ranAfterThrow = true;
        });
        QVERIFY(!ok);
        QVERIFY(!ranAfterThrow);
        QCOMPARE(answerer.boxes().size(), 1);
        QCOMPARE(answerer.boxes().first().qstrTitle, QStringLiteral("Plintra"));
        QCOMPARE(answerer.boxes().first().qstrText, text);
    }

    void workThatSucceedsShowsNothing()
    {
        testenv::ModalAnswerer answerer;
        int calls = 0;
        QVERIFY(bCallReported(nullptr, [&] { ++calls; }));
        QCOMPARE(calls, 1);
        QTest::qWait(50);
        QVERIFY(answerer.boxes().isEmpty());
    }

    void messageBoxClosesSplashFirst()
    {
        g_pSplashScreen = new QSplashScreen(QPixmap(40, 20));
        g_pSplashScreen->show();
        QPointer<QSplashScreen> splash = g_pSplashScreen;
        testenv::ModalAnswerer answerer;
        vShowInformation(nullptr, QStringLiteral("Notice"));
        QCOMPARE(g_pSplashScreen, nullptr);
        QVERIFY(splash.isNull() || !splash->isVisible());
        QCOMPARE(answerer.boxes().size(), 1);

        // Closing again, with or without a widget, does nothing.
        vCloseSplashScreen(nullptr);
        QWidget window;
        vCloseSplashScreen(&window);
        QCOMPARE(g_pSplashScreen, nullptr);
    }

    void applicationTitleIsCached()
    {
        QCOMPARE(qstrGetApplicationTitle(true), QStringLiteral("Plintra 2.0"));
        vSetProduct(QStringLiteral("plintrapro"));
        QCOMPARE(qstrGetApplicationTitle(false), QStringLiteral("Plintra 2.0"));
        QCOMPARE(qstrGetApplicationTitle(true), QStringLiteral("Plintra Pro 2.0"));
        vSetProduct(QStringLiteral("plintra"));
        QCOMPARE(qstrGetApplicationTitle(true), QStringLiteral("Plintra 2.0"));
    }

    void productStrings_data()
    {
        QTest::addColumn<QString>("product");
        QTest::addColumn<QString>("renderText");
        QTest::addColumn<bool>("alternate");
        QTest::addColumn<QString>("nameAndVersion");
        QTest::newRow("plintra tracks") << "plintra" << "Track" << false << "Plintra2.0";
        QTest::newRow("pro renders") << "plintrapro" << "Render" << false << "Plintra Pro2.0";
        QTest::newRow("alternate variant") << "tarnix" << "Render" << true << "Tarnix1.2";
        QTest::newRow("case matters") << "Tarnix" << "Render" << false << "INVALID PRODUCTINVALID PRODUCT";
    }

    void productStrings()
    {
        QFETCH(QString, product);
        QFETCH(QString, renderText);
        QFETCH(bool, alternate);
        QFETCH(QString, nameAndVersion);
        QCOMPARE(qstrGetRenderActionText(product), renderText);
        QCOMPARE(bIsAlternateProduct(product), alternate);
        QCOMPARE(qstrGetProductNameAndVersion(product), nameAndVersion);
    }

    void productColour()
    {
        QCOMPARE(qcolGetProductColour(QStringLiteral("plintra")), QColor(103, 141, 178));
        QCOMPARE(qcolGetProductColour(QStringLiteral("plintra")).alpha(), 255);
        QCOMPARE(qstrGetProductColor(QStringLiteral("nobody")), QStringLiteral("INVALID PRODUCT"));
    }
};

PLINTRA_TEST_MAIN(TestMessageBoxes)
#include "tst_messageboxes.moc"
