// Keys typed while a modal box stands over the main window reach the box, whichever of the
// program's X windows was given the keyboard focus: the viewer draws into an X window of its
// own inside the main window, and a window-manager-less tool that focuses "a window of this
// program" or a focus-follows-mouse setting can put the focus there.
#include "TestEnvironment.h"
#include "ViewerTestFixture.h"
#include "XcbKeys.h"

#include "mainwindow/frmMain.h"
#include "viewer/frmMainGLSurface.h"
#include "viewer/frmMainGLWidget.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <xcb/xcb.h>

namespace {

// A connection of its own, as another client (a tool, a window manager) has.
class XClient {
public:
    XClient()
        : m_pConnection(xcb_connect(nullptr, nullptr))
    {
    }
    ~XClient() { xcb_disconnect(m_pConnection); }
    bool bValid() const { return !xcb_connection_has_error(m_pConnection); }

    void vFocus(xcb_window_t window)
    {
        xcb_set_input_focus(m_pConnection, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
        xcb_flush(m_pConnection);
    }

    xcb_window_t uiFocus()
    {
        xcb_get_input_focus_reply_t* reply
            = xcb_get_input_focus_reply(m_pConnection, xcb_get_input_focus(m_pConnection), nullptr);
        const xcb_window_t focus = reply ? reply->focus : xcb_window_t(XCB_NONE);
        free(reply);
        return focus;
    }

    // The server's keycode of a key symbol; 0 when unmapped.
    xcb_keycode_t uiKeycode(quint32 keysym) { return testenv::uiXcbKeycode(m_pConnection, keysym); }

    // Presses and releases the key where the keyboard would send it: to the window that
    // holds the server's input focus. modifiers: the X state mask (shift 1).
    void vPressKey(xcb_keycode_t keycode, uint16_t modifiers)
    {
        testenv::vSendXcbKey(m_pConnection, uiFocus(), keycode, modifiers);
    }

private:
    xcb_connection_t* m_pConnection;
};

enum class Focused { Box, MainWindow, Viewer };

constexpr quint32 kuiKeyY = 0x79;
constexpr quint32 kuiKeyN = 0x6e;
constexpr quint32 kuiKeyO = 0x6f;
constexpr uint16_t kuiShift = 1;

} // namespace

Q_DECLARE_METATYPE(Focused)

class TstModalKeys : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    frmMain* m_pWindow = nullptr;
    QWindow* m_pSurface = nullptr;
    XClient m_client;

    xcb_window_t uiWindowOf(Focused focused, QWidget* box) const
    {
        switch (focused) {
        case Focused::Box:
            return xcb_window_t(box->windowHandle()->winId());
        case Focused::MainWindow:
            return xcb_window_t(m_pWindow->windowHandle()->winId());
        case Focused::Viewer:
            return xcb_window_t(m_pSurface->winId());
        }
        return XCB_NONE;
    }

    // Gives the window the focus as another client does, then lets the program see it.
    void vFocusFromOutside(xcb_window_t window)
    {
        m_client.vFocus(window);
        m_client.uiFocus();
        QTest::qWait(300);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_client.bValid());
        QVERIFY(m_dir.isValid());
        QVERIFY(bWriteViewerTestClip(m_dir.path(), 64, 48, 2));
        m_pWindow = new frmMain();
        m_pWindow->sltConfigureGUI();
        m_pWindow->resize(900, 700);
        m_pWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pWindow));
        standin::testing::vReset();
        pMakeViewerTestProject(m_dir.path(), 64, 48, 2);
        m_pWindow->sltUpdateGUI(2);
        for (QWindow* window : QGuiApplication::allWindows()) {
            if (dynamic_cast<frmMainGLSurface*>(window) && window->isVisible())
                m_pSurface = window;
        }
        QVERIFY(m_pSurface);
        QTRY_VERIFY(m_pSurface->isExposed());
    }

    void cleanupTestCase() { delete m_pWindow; }

    void keyReachesTheModalBox_data()
    {
        QTest::addColumn<Focused>("focused");
        QTest::addColumn<quint32>("keysym");
        QTest::addColumn<int>("answer");
        QTest::newRow("viewer focused, y") << Focused::Viewer << kuiKeyY << int(QMessageBox::Yes);
        QTest::newRow("viewer focused, n") << Focused::Viewer << kuiKeyN << int(QMessageBox::No);
        QTest::newRow("main window focused, y") << Focused::MainWindow << kuiKeyY << int(QMessageBox::Yes);
        QTest::newRow("box focused, y") << Focused::Box << kuiKeyY << int(QMessageBox::Yes);
    }

    void keyReachesTheModalBox()
    {
        QFETCH(Focused, focused);
        QFETCH(quint32, keysym);
        QFETCH(int, answer);
        const xcb_keycode_t keycode = m_client.uiKeycode(keysym);
        if (!keycode)
            QSKIP("the X server maps no y or n key");
        QMessageBox box(QMessageBox::Question, QStringLiteral("Auto recover project"),
            QStringLiteral("Would you like to open your last project?"), QMessageBox::Yes | QMessageBox::No, m_pWindow);
        box.setDefaultButton(QMessageBox::No);
        box.setWindowModality(Qt::ApplicationModal);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QTRY_COMPARE(QGuiApplication::focusWindow(), box.windowHandle());
        vFocusFromOutside(uiWindowOf(focused, &box));
        QSignalSpy finished(&box, &QDialog::finished);
        m_client.vPressKey(keycode, 0);
        QVERIFY2(finished.wait(5000) || finished.count() == 1,
            qPrintable(
                QStringLiteral("the box did not take the key; the X focus is on 0x%1").arg(m_client.uiFocus(), 0, 16)));
        QCOMPARE(int(box.standardButton(box.clickedButton())), answer);
    }

    // With no box up, a key typed while the viewer's window holds the X focus goes through the
    // main window's shortcuts, and the widget that had the keyboard keeps it.
    void viewerFocusKeepsTheMainWindowShortcuts()
    {
        const xcb_keycode_t keycode = m_client.uiKeycode(kuiKeyO);
        if (!keycode)
            QSKIP("the X server maps no o key");
        auto* action = m_pWindow->findChild<QAction*>(QStringLiteral("actSetOutPoint"));
        QVERIFY(action);
        QVERIFY(action->isEnabled());
        vFocusFromOutside(uiWindowOf(Focused::MainWindow, nullptr));
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(m_pWindow));
        frmMainGLWidget* viewer = m_pWindow->pGetGLWidget();
        viewer->setFocus(Qt::OtherFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(viewer));

        vFocusFromOutside(uiWindowOf(Focused::Viewer, nullptr));
        QSignalSpy triggered(action, &QAction::triggered);
        m_client.vPressKey(keycode, kuiShift);
        QTRY_COMPARE(triggered.count(), 1);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(viewer));
    }
};

PLINTRA_TEST_MAIN(TstModalKeys)
#include "tst_modalkeys.moc"
