#include "TestEnvironment.h"

#include "app/CWKCustomEvent.h"
#include "app/ProgramState.h"
#include "app/ResourceLoading.h"
#include "app/Settings.h"
#include "app/frmSplash.h"
#include "mainwindow/frmMain.h"
#include "preferences/frmSoftwareUpdate.h"

#include <QSettings>
#include <QSignalSpy>
#include <functional>
#include <memory>

namespace {

// Counts the custom events of one code that reach a widget.
class EventCounter : public QObject {
public:
    explicit EventCounter(int code) : m_iCode(code) {}
    int iCount = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (int(e->type()) == m_iCode)
            ++iCount;
        return false;
    }

private:
    int m_iCode;
};

QStringList qstrlClasses(const testenv::ModalAnswerer& answerer)
{
    QStringList classes;
    for (const testenv::AnsweredBox& box : answerer.boxes())
        classes << box.qstrClass;
    return classes;
}

// The next widget that can take the keyboard focus.
QWidget* pNextFocus(QWidget* widget)
{
    QWidget* next = widget->nextInFocusChain();
    while (next != widget && next->focusPolicy() == Qt::NoFocus)
        next = next->nextInFocusChain();
    return next;
}

// Runs work from inside the application's event loop, where the program handles these
// events: a splash-type window shown outside it processes events in show(), and a box
// answered then would end the dialog before its modal run begins.
void vRunInEventLoop(const std::function<void()>& work)
{
    QTimer::singleShot(0, qApp, [&] {
        work();
        QCoreApplication::exit(0);
    });
    QCoreApplication::exec();
}

bool bSend(frmMain& window, int code)
{
    bool handled = false;
    vRunInEventLoop([&] {
        CWKCustomEvent event(code, 0);
        handled = QCoreApplication::sendEvent(&window, &event);
    });
    return handled;
}

QVariant varSetting(const char* key)
{
    return pGetUserSettings()->value(QLatin1String(key));
}

} // namespace

class TestWelcome : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        testenv::vResetSettings();
        m_pWindow = std::make_unique<frmMain>();
    }

    void cleanup()
    {
        m_pWindow.reset();
        QCOMPARE(g_pWelcomeDialog, nullptr);
    }

    void mainWindowOwnsOneHiddenDialog()
    {
        QVERIFY(g_pWelcomeDialog);
        QCOMPARE(g_pWelcomeDialog->parentWidget(), m_pWindow.get());
        QCOMPARE(g_pWelcomeDialog->windowType(), Qt::SplashScreen);
        QVERIFY(!g_pWelcomeDialog->isVisible());
    }

    void formAsDesigned()
    {
        frmSplash& dialog = *g_pWelcomeDialog;
        QCOMPARE(dialog.objectName(), QStringLiteral("frmSplash"));
        QCOMPARE(dialog.size(), QSize(595, 317));
        QCOMPARE(dialog.minimumSize(), QSize(595, 317));
        QCOMPARE(dialog.maximumSize(), QSize(726, 347));
        QCOMPARE(dialog.btnGuide->text(), QStringLiteral("View &Manual"));
        QCOMPARE(dialog.btnStart->text(), QStringLiteral("&Start"));
        QCOMPARE(dialog.chkbxShowNextTime->text(), QStringLiteral("Show &Next Time"));
        for (QPushButton* button : {dialog.btnGuide, dialog.btnStart}) {
            QVERIFY(button->isFlat());
            QVERIFY(!button->autoDefault());
            QCOMPARE(button->focusPolicy(), Qt::StrongFocus);
            QCOMPARE(button->maximumWidth(), 500);
        }
        for (QFrame* line : {dialog.lineGuide, dialog.lineStart}) {
            QCOMPARE(line->frameShape(), QFrame::HLine);
            QCOMPARE(line->maximumWidth(), 10);
        }
        QCOMPARE(dialog.viewManualLayout->indexOf(dialog.lineGuide), 0);
        QCOMPARE(dialog.viewManualLayout->indexOf(dialog.btnGuide), 1);
        QCOMPARE(pNextFocus(dialog.btnGuide), dialog.btnStart);
        QCOMPARE(pNextFocus(dialog.btnStart), dialog.chkbxShowNextTime);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Welcome to Plintra 2.0"));
        // Dark text on the light side of the splash picture.
        QCOMPARE(dialog.btnStart->palette().color(QPalette::ButtonText), QColor(Qt::black));
        QCOMPARE(dialog.chkbxShowNextTime->palette().color(QPalette::WindowText), QColor(Qt::black));
    }

    // Start-up loads the style sheets after the main window has made the dialog; the
    // picture stays behind the controls.
    void splashPictureShowsUnderAStyleSheet()
    {
        frmSplash dialog;
        qApp->setStyleSheet(QStringLiteral("QWidget { font-size: 9pt; }"));
        const QImage shot = dialog.grab().toImage();
        qApp->setStyleSheet(QString());
        const QImage picture = qpixGetResourcePixmap(qstrGetSplashFileName(QStringLiteral("plintra"))).toImage();
        QVERIFY(!picture.isNull());
        for (const QPoint& point : {QPoint(20, 20), QPoint(500, 150), QPoint(590, 310)})
            QCOMPARE(QColor(shot.pixel(point)), QColor(picture.pixel(point)));
    }

    void checkBoxStartsFromTheSetting_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<QVariant>("after");
        // Ticking the box writes the setting back through its slot.
        QTest::newRow("unset") << QVariant() << true << QVariant(true);
        QTest::newRow("true") << QVariant(true) << true << QVariant(true);
        QTest::newRow("false") << QVariant(false) << false << QVariant(false);
    }

    void checkBoxStartsFromTheSetting()
    {
        QFETCH(QVariant, stored);
        QFETCH(bool, ticked);
        QFETCH(QVariant, after);
        if (stored.isValid())
            pGetUserSettings()->setValue(QStringLiteral("ShowSplash"), stored);
        frmSplash dialog;
        QCOMPARE(dialog.chkbxShowNextTime->isChecked(), ticked);
        QCOMPARE(varSetting("ShowSplash"), after);
    }

    void untickingWritesAtOnceAndStartCloses()
    {
        frmSplash* dialog = g_pWelcomeDialog;
        QSignalSpy finished(dialog, &QDialog::finished);
        dialog->open();
        QVERIFY(dialog->isModal());
        QTest::mouseClick(dialog->chkbxShowNextTime, Qt::LeftButton, {},
                          QPoint(6, dialog->chkbxShowNextTime->height() / 2));
        QVERIFY(!dialog->chkbxShowNextTime->isChecked());
        QCOMPARE(varSetting("ShowSplash"), QVariant(false));
        QVERIFY(finished.isEmpty());

        QTest::mouseClick(dialog->btnStart, Qt::LeftButton);
        QCOMPARE(finished.size(), 1);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(varSetting("ShowSplash"), QVariant(false));
    }

    void manualFailureLeavesTheDialogOpen()
    {
        // The manual is the online documentation, shown in the browser the preferences name.
        QTemporaryDir install;
        pGetUserSettings()->setValue(QStringLiteral("WebBrowser"), install.filePath(QStringLiteral("no-browser")));
        g_pWelcomeDialog->show();
        testenv::ModalAnswerer answerer;
        g_pWelcomeDialog->btnGuide->click();
        QCOMPARE(answerer.boxes().size(), 1);
        QCOMPARE(answerer.boxes().first().qstrTitle, QStringLiteral("Plintra"));
        QVERIFY(answerer.boxes().first().qstrText.startsWith(QStringLiteral("Failed to launch Web Browser.")));
        QVERIFY(g_pWelcomeDialog->isVisible());
    }

    void startUpRequestFollowsTheSetting_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("posted");
        QTest::newRow("unset") << QVariant() << 1;
        QTest::newRow("true") << QVariant(true) << 1;
        QTest::newRow("false") << QVariant(false) << 0;
    }

    void startUpRequestFollowsTheSetting()
    {
        QFETCH(QVariant, stored);
        QFETCH(int, posted);
        if (stored.isValid())
            pGetUserSettings()->setValue(QStringLiteral("ShowSplash"), stored);
        EventCounter counter(5003);
        m_pWindow->installEventFilter(&counter);
        testenv::ModalAnswerer answerer;
        int countBeforeDelivery = -1;
        vRunInEventLoop([&] {
            vPostWelcomeEvent(qApp);
            countBeforeDelivery = counter.iCount;
            QCoreApplication::sendPostedEvents(m_pWindow.get(), 5003);
        });
        QCOMPARE(countBeforeDelivery, 0); // posted, not sent
        QCOMPARE(counter.iCount, posted);
        QCOMPARE(answerer.boxes().size(), posted);
        if (posted)
            QCOMPARE(answerer.boxes().first().qstrClass, QStringLiteral("frmSplash"));
    }

    void welcomeEventRunsTheDialogModally()
    {
        // "Show Next Time" off does not keep an explicit request from showing it.
        pGetUserSettings()->setValue(QStringLiteral("ShowSplash"), false);
        bool modal = false;
        QTimer probe;
        connect(&probe, &QTimer::timeout, this, [&] { modal |= QApplication::activeModalWidget() == g_pWelcomeDialog; });
        probe.start(5);
        testenv::ModalAnswerer answerer;
        QVERIFY(bSend(*m_pWindow, 5003));
        QVERIFY(modal);
        QCOMPARE(qstrlClasses(answerer), QStringList{QStringLiteral("frmSplash")});
        QCOMPARE(answerer.boxes().first().qstrTitle, QStringLiteral("Welcome to Plintra 2.0"));
    }

    void firstRunAdviceThenWelcome_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("no") << int(QMessageBox::No) << QStringList{"QMessageBox", "frmSplash"};
        QTest::newRow("yes configures first") << int(QMessageBox::Yes)
                                              << QStringList{"QMessageBox", "frmPreferences", "frmSplash"};
    }

    void firstRunAdviceThenWelcome()
    {
        QFETCH(int, answer);
        QFETCH(QStringList, shown);
        pGetUserSettings()->setValue(QStringLiteral("ShowSplash"), false);
        m_pWindow = std::make_unique<frmMain>();
        QVERIFY(!g_pWelcomeDialog->chkbxShowNextTime->isChecked());

        testenv::ModalAnswerer answerer{QMessageBox::StandardButton(answer)};
        QVERIFY(bSend(*m_pWindow, 5002));
        QCOMPARE(qstrlClasses(answerer), shown);
        const testenv::AnsweredBox& advice = answerer.boxes().first();
        QCOMPARE(advice.qstrTitle, QStringLiteral("Plintra"));
        QVERIFY(advice.qstrText.startsWith(
            QStringLiteral("It appears that this is the first time Plintra has been run on this machine.\n")));
        QVERIFY(advice.qstrText.endsWith(QStringLiteral("Would you like to configure Plintra now?")));
        QCOMPARE(varSetting("FirstRun"), QVariant(false));
        QVERIFY(g_pWelcomeDialog->chkbxShowNextTime->isChecked());
        QCOMPARE(varSetting("ShowSplash"), QVariant(true));
    }

    void firstRunAloneShowsNoWelcome()
    {
        testenv::ModalAnswerer answerer{QMessageBox::No};
        QVERIFY(bSend(*m_pWindow, 5001));
        QCOMPARE(qstrlClasses(answerer), QStringList{QStringLiteral("QMessageBox")});
        QCOMPARE(varSetting("FirstRun"), QVariant(false));
        QVERIFY(g_pWelcomeDialog->chkbxShowNextTime->isChecked());
    }

    void updateEventRunsTheUpdateDialog()
    {
        testenv::ModalAnswerer answerer;
        QVERIFY(bSend(*m_pWindow, 5004));
        QVERIFY(answerer.boxes().isEmpty());

        g_pSoftwareUpdate = new frmSoftwareUpdate(m_pWindow.get());
        QVERIFY(bSend(*m_pWindow, 5004));
        g_pSoftwareUpdate = nullptr;
        QCOMPARE(qstrlClasses(answerer), QStringList{QStringLiteral("frmSoftwareUpdate")});
    }

    void missingDialogOrOpenDialogIsNotRunAgain()
    {
        testenv::ModalAnswerer answerer;
        frmSplash* dialog = g_pWelcomeDialog;
        g_pWelcomeDialog = nullptr;
        QVERIFY(bSend(*m_pWindow, 5003));
        g_pWelcomeDialog = dialog;
        QVERIFY(answerer.boxes().isEmpty());

        // Already up (the menu opened it): the request leaves it as it is.
        dialog->show();
        QVERIFY(bSend(*m_pWindow, 5003));
        QVERIFY(answerer.boxes().isEmpty());
        QVERIFY(dialog->isVisible());
        dialog->hide();
    }

    void otherCodesOfTheRangeAreNotHandled()
    {
        QVERIFY(!bSend(*m_pWindow, 5005));
        QVERIFY(!bSend(*m_pWindow, 5000));
    }

private:
    std::unique_ptr<frmMain> m_pWindow;
};

PLINTRA_TEST_MAIN(TestWelcome)
#include "tst_welcome.moc"
