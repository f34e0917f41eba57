#include "TestEnvironment.h"
#include "../viewer/ViewerTestFixture.h"

#include "app/ProgramState.h"
#include "app/Settings.h"
#include "mainwindow/frmMain.h"
#include "platform/DefaultFolders.h"
#include "preferences/frmPreferences.h"
#include "preferences/frmSystemPage.h"
#include "viewer/frmMainGLWidget.h"
#include "widgets/CWKIntValidator.h"

#include <QColorDialog>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cmath>

namespace {

bool bSpNear(const QColor& a, const QColor& b, int tolerance = 30)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance;
}

// Answers the colour chooser once it is up with the given colour.
void vAnswerColourDialog(const QColor& colour)
{
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, colour] {
        if (auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            dialog->setCurrentColor(colour);
            dialog->accept();
        }
    });
    timer->start();
}

} // namespace

class TstSystemPage : public QObject {
    Q_OBJECT

private:
    frmMain* m_pWindow = nullptr;
    frmSystemPage* m_pPage = nullptr;

    void vShowSystemTab()
    {
        QTabWidget* tabs = m_pWindow->pGetModuleTabWidget();
        tabs->setCurrentWidget(m_pPage);
        QCOMPARE(tabs->tabText(tabs->currentIndex()), QStringLiteral("System"));
    }

private slots:
    void initTestCase()
    {
        m_pWindow = new frmMain();
        m_pWindow->sltConfigureGUI();
        m_pPage = m_pWindow->findChild<frmSystemPage*>();
        QVERIFY(m_pPage);
        QVERIFY(m_pWindow->pGetPreferences());
    }

    void cleanupTestCase()
    {
        ProjectManagerInstance::instance()->setInstance(nullptr);
        delete m_pWindow;
    }

    void init()
    {
        testenv::vResetSettings();
        standin::testing::vReset();
        ProjectManagerInstance::instance()->setInstance(nullptr);
    }

    void pageIsModuleZeroAndRegistered()
    {
        QCOMPARE(int(m_pPage->eGetModule()), 0);
        QCOMPARE(m_pPage->eGetReadbackClipID(), CW_CLIP_ID(0));
        QVERIFY(m_pWindow->pGetPreferences()->cboxModules->findText(QStringLiteral("System")) >= 0);
        QVERIFY(m_pPage->mapGetKeyMappings().isEmpty());
    }

    void emptySettingsShowWhatPreferencesShow()
    {
        vShowSystemTab();
        frmPreferences preferences;
        m_pPage->sltSetWidgetsState(1);
        QCOMPARE(m_pPage->edtSystemFileCacheFolder->text(), preferences.edtFileCacheDirectory->text());
        QCOMPARE(m_pPage->edtSystemFileCacheFolder->text(), qstrGetDefaultCacheFolder());
        // The same drive; others write to it meanwhile, so a megabyte either way is the same answer.
        bool pageNumber = false;
        bool preferencesNumber = false;
        const qint64 pageSpace = m_pPage->edtSystemDiskSpaceAvailable->text().toLongLong(&pageNumber);
        const qint64 preferencesSpace
            = preferences.edtFileCacheDirectorySpaceAvailable->text().toLongLong(&preferencesNumber);
        QVERIFY(pageNumber && preferencesNumber);
        QVERIFY2(std::abs(pageSpace - preferencesSpace) <= 2,
                 qPrintable(QStringLiteral("%1 against %2").arg(pageSpace).arg(preferencesSpace)));
        QVERIFY(m_pPage->chkbxSystemUseDisplayCache->isChecked());
        QVERIFY(!m_pPage->chkbxSystemCacheOriginalClip->isChecked());
    }

    void storedSettingsAreShown()
    {
        vShowSystemTab();
        pGetUserSettings()->setValue(QStringLiteral("FileCacheFolder"), QStringLiteral("/no/such/folder"));
        pGetUserSettings()->setValue(QStringLiteral("CacheOriginalClip"), true);
        pGetUserSettings()->setValue(QStringLiteral("UseDisplayCache"), false);
        m_pPage->sltSetWidgetsState(0);
        QCOMPARE(m_pPage->edtSystemFileCacheFolder->text(), QStringLiteral("/no/such/folder"));
        QCOMPARE(m_pPage->edtSystemDiskSpaceAvailable->text(), QStringLiteral("Not Available"));
        QVERIFY(m_pPage->chkbxSystemCacheOriginalClip->isChecked());
        QVERIFY(!m_pPage->chkbxSystemUseDisplayCache->isChecked());
    }

    void widgetStates_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QStringList>("enabled");
        const QStringList all = {"edtSystemDiskSpaceAvailable",   "edtSystemPercentageDiskSpaceUsed",
                                 "edtSystemFileCacheFolder",      "btnSystemSpecifyFileCacheFolder",
                                 "chkbxSystemCacheOriginalClip",  "chkbxSystemUseDisplayCache",
                                 "iedtSystemMaxDisplayCacheSize", "edtSystemDisplayCachePercentageUsed"};
        QTest::newRow("reload") << 1 << QStringList();
        QTest::newRow("editable") << 2 << all;
        QTest::newRow("run") << 3
                             << QStringList{"edtSystemDiskSpaceAvailable", "edtSystemPercentageDiskSpaceUsed",
                                            "edtSystemDisplayCachePercentageUsed"};
        QTest::newRow("unknown") << 7 << QStringList();
    }

    void widgetStates()
    {
        QFETCH(int, state);
        QFETCH(QStringList, enabled);
        vShowSystemTab();
        m_pPage->sltSetWidgetsState(state);
        for (const char* name : {"edtSystemDiskSpaceAvailable", "edtSystemPercentageDiskSpaceUsed",
                                 "edtSystemFileCacheFolder", "btnSystemSpecifyFileCacheFolder",
                                 "chkbxSystemCacheOriginalClip", "chkbxSystemUseDisplayCache",
                                 "iedtSystemMaxDisplayCacheSize", "edtSystemDisplayCachePercentageUsed"}) {
            QWidget* widget = m_pPage->findChild<QWidget*>(QLatin1String(name));
            QVERIFY(widget);
            QVERIFY2(widget->isEnabled() == enabled.contains(QLatin1String(name)), name);
        }
        QVERIFY(m_pPage->edtSystemPercentageDiskSpaceUsed->text().isEmpty());
    }

    void displayCacheSwitchInEditableState()
    {
        vShowSystemTab();
        m_pPage->sltSetWidgetsState(2);
        m_pPage->chkbxSystemUseDisplayCache->setChecked(false);
        QVERIFY(!m_pPage->iedtSystemMaxDisplayCacheSize->isEnabled());
        QVERIFY(!m_pPage->edtSystemDisplayCachePercentageUsed->isEnabled());
        m_pPage->chkbxSystemUseDisplayCache->setChecked(true);
        QVERIFY(m_pPage->iedtSystemMaxDisplayCacheSize->isEnabled());
        QVERIFY(m_pPage->edtSystemDisplayCachePercentageUsed->isEnabled());
        QCOMPARE(m_pPage->iedtSystemMaxDisplayCacheSize->pGetValidator()->top(), 256);
        QCOMPARE(m_pPage->iedtSystemMaxDisplayCacheSize->pGetValidator()->bottom(), 0);
    }

    void stateChangeOnAnotherTabChangesNothing()
    {
        vShowSystemTab();
        m_pPage->sltSetWidgetsState(2);
        m_pWindow->pGetModuleTabWidget()->setCurrentIndex(1);
        m_pPage->sltSetWidgetsState(1);
        QVERIFY(m_pPage->edtSystemFileCacheFolder->isEnabled());
    }

    void zoomWindowsFollowTheToolPosition()
    {
        CW_Instance project = standin::testing::pCreateProject();
        bool first = true;
        bool second = true;
        bool third = false;
        m_pPage->sltZoomWindowsActive(project, first, second, third);
        QVERIFY(!first);
        QVERIFY(second);
        QVERIFY(!third);
        standin::testing::vEditViewerState(project, [](standin::ViewerState& state) {
            state.bHasToolPosition = true;
            state.fToolX = 3.0f;
        });
        second = false;
        third = true;
        m_pPage->sltZoomWindowsActive(project, first, second, third);
        QVERIFY(first);
        QVERIFY(!second);
        QVERIFY(third);
    }

    void selectedLayerColourChangesTheOverlay()
    {
        QTemporaryDir dir;
        QVERIFY(bWriteViewerTestClip(dir.path(), 64, 48, 1));
        auto* tabs = new QTabWidget(m_pWindow);
        auto* page = new ViewerTestPage();
        tabs->addTab(page, QStringLiteral("Track"));
        QTabWidget* pages = m_pWindow->pGetModuleTabWidget();
        m_pWindow->vSetModuleTabWidget(tabs);
        frmMainGLWidget* viewer = m_pWindow->pGetGLWidget();
        m_pWindow->resize(900, 700);
        m_pWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pWindow));

        CW_Instance project = pMakeViewerTestProject(dir.path(), 64, 48, 1);
        vResizeWindow(project, viewer->width(), viewer->height());
        vSetZoom(project, 2.0f);
        vSetOrigin(project, 10.0f, 20.0f);
        standin::testing::vEditViewerState(project, [](standin::ViewerState& state) {
            standin::LayerOutline outline;
            outline.vecPoints = {{8.25, 8.25}, {56.25, 8.25}, {56.25, 40.25}, {8.25, 40.25}};
            state.mapLayerOutlines[1] = outline;
            state.iCurrentLayer = 1;
        });
        // The top edge at image y 8.25 is widget row 36, over the red quadrant.
        auto edgeColour = [viewer] {
            return viewer->grabFramebuffer().convertToFormat(QImage::Format_RGB32).pixelColor(50, 36);
        };
        QVERIFY(!bSpNear(edgeColour(), QColor(0, 0, 255)));

        vAnswerColourDialog(QColor(0, 0, 255));
        m_pWindow->pGetPreferences()->btnColorsSelectedContour->click();
        QVERIFY(bSpNear(edgeColour(), QColor(0, 0, 255)));
        QCOMPARE(pGetUserSettings()->value(QStringLiteral("SelectedLayerColourBlue")).toInt(), 255);
        QCOMPARE(pGetUserSettings()->value(QStringLiteral("SelectedLayerColourRed")).toInt(), 0);
        // Off the outline the frame is untouched.
        QVERIFY(bSpNear(viewer->grabFramebuffer().convertToFormat(QImage::Format_RGB32).pixelColor(50, 46),
                        QColor(255, 0, 0), 8));

        // A cancelled chooser changes nothing.
        auto* timer = new QTimer;
        timer->setInterval(20);
        QObject::connect(timer, &QTimer::timeout, [timer] {
            if (auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget())) {
                timer->stop();
                timer->deleteLater();
                dialog->reject();
            }
        });
        timer->start();
        m_pWindow->pGetPreferences()->btnColorsSelectedContour->click();
        QVERIFY(bSpNear(edgeColour(), QColor(0, 0, 255)));
        QCOMPARE(pGetUserSettings()->value(QStringLiteral("SelectedLayerColourBlue")).toInt(), 255);

        m_pWindow->hide();
        m_pWindow->vSetModuleTabWidget(pages);
        ProjectManagerInstance::instance()->setInstance(nullptr);
    }
};

PLINTRA_TEST_MAIN(TstSystemPage)
#include "tst_systempage.moc"
