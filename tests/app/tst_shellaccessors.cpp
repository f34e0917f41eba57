#include "TestEnvironment.h"

#include "app/ChoiceTables.h"
#include "app/ShellAccessors.h"
#include "clips/NewProjectDialog.h"
#include "curves/frmCurveEditor.h"
#include "mainwindow/frmMain.h"
#include "pages/tracking/frmTrackPage.h"
#include "standin/testing.h"
#include "viewer/ViewOptionsManager.h"
#include "widgets/CWKControlForm.h"

#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <memory>

namespace {

// "HH:MM:SS:FF" back into its parts: frames, seconds, minutes, hours.
bool bTstTimecodeParts(const QString& text, int parts[4])
{
    const QStringList fields = text.split(QLatin1Char(':'));
    if (fields.size() != 4)
        return false;
    for (int i = 0; i < 4; ++i)
        parts[i] = fields.at(3 - i).toInt();
    return true;
}

QStringList qslTstMenuShape(const QMenu& menu)
{
    QStringList shape;
    for (QAction* action : menu.actions()) {
        QStringList texts;
        for (QAction* entry : action->menu()->actions())
            texts << entry->text();
        shape << action->menu()->title() + QLatin1Char('=') + texts.join(QLatin1Char(','));
    }
    return shape;
}

} // namespace

class TstShellAccessors : public QObject {
    Q_OBJECT

private:
    frmMain* m_pWindow = nullptr;

private slots:
    void initTestCase()
    {
        m_pWindow = new frmMain();
        m_pWindow->sltConfigureGUI();
    }

    void frameDisplayString_data()
    {
        QTest::addColumn<int>("frame");
        QTest::addColumn<float>("rate");
        QTest::addColumn<bool>("timecode");
        QTest::addColumn<bool>("interlaced");
        QTest::addColumn<bool>("lowerFieldFirst");
        QTest::addColumn<bool>("fieldLetter");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QString>("text");

        QTest::newRow("frame with offset") << 7 << 25.0f << false << false << false << false << 100 << "107";
        QTest::newRow("negative offset") << 2 << 25.0f << false << false << false << false << -5 << "-3";
        QTest::newRow("odd field") << 7 << 25.0f << false << true << false << true << 0 << "3:L";
        QTest::newRow("odd field, lower first") << 7 << 25.0f << false << true << true << true << 0 << "3:U";
        QTest::newRow("even field") << 6 << 25.0f << false << true << false << true << 0 << "3:U";
        QTest::newRow("field with offset") << 6 << 25.0f << false << true << false << true << 1 << "3:L";
        QTest::newRow("fields without letters") << 7 << 25.0f << false << true << false << false << 0 << "7";
        QTest::newRow("time code, hour") << 90000 << 25.0f << true << false << false << false << 0 << "01:00:00:00";
        QTest::newRow("time code, frames") << 30 << 25.0f << true << false << false << false << 0 << "00:00:01:05";
        QTest::newRow("time code ignores offset") << 30 << 25.0f << true << false << false << false << 100
                                                  << "00:00:01:05";
        QTest::newRow("time code 29.97") << 30 << 29.97f << true << false << false << false << 0 << "00:00:01:00";
        QTest::newRow("time code 23.976") << 24 << 23.976f << true << false << false << false << 0 << "00:00:01:00";
        QTest::newRow("time code 59.94 minute") << 3600 << 59.94f << true << false << false << false << 0
                                                << "00:01:00:00";
        QTest::newRow("time code field") << 61 << 25.0f << true << true << false << true << 0 << "00:00:01:05:L";
        QTest::newRow("time code field, lower first") << 61 << 25.0f << true << true << true << true << 0
                                                      << "00:00:01:05:U";
        QTest::newRow("time code field, no letter") << 61 << 25.0f << true << true << false << false << 0
                                                    << "00:00:01:05";
    }

    void frameDisplayString()
    {
        QFETCH(int, frame);
        QFETCH(float, rate);
        QFETCH(bool, timecode);
        QFETCH(bool, interlaced);
        QFETCH(bool, lowerFieldFirst);
        QFETCH(bool, fieldLetter);
        QFETCH(int, offset);
        QFETCH(QString, text);
        QCOMPARE(qstrGetFrameDisplayString(frame, rate, timecode, interlaced, lowerFieldFirst, fieldLetter, offset),
                 text);
    }

    void timecodeToFrame_data()
    {
        QTest::addColumn<int>("frames");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<int>("hours");
        QTest::addColumn<float>("rate");
        QTest::addColumn<int>("frame");
        QTest::newRow("one second at 29.97") << 0 << 1 << 0 << 0 << 29.97f << 30;
        QTest::newRow("one second at 23.976") << 0 << 1 << 0 << 0 << 23.976f << 24;
        QTest::newRow("frames at 25") << 5 << 1 << 0 << 0 << 25.0f << 30;
        QTest::newRow("hour at 25") << 0 << 0 << 0 << 1 << 25.0f << 90000;
        QTest::newRow("all parts at 30") << 3 << 2 << 1 << 0 << 30.0f << 1863;
    }

    void timecodeToFrame()
    {
        QFETCH(int, frames);
        QFETCH(int, seconds);
        QFETCH(int, minutes);
        QFETCH(int, hours);
        QFETCH(float, rate);
        QFETCH(int, frame);
        const int parts[4] = {frames, seconds, minutes, hours};
        QCOMPARE(iTimecodeToFrame(parts, rate), frame);
    }

    void roundAbs_data()
    {
        QTest::addColumn<float>("value");
        QTest::addColumn<int>("rounded");
        QTest::newRow("-2.5") << -2.5f << 3;
        QTest::newRow("2.5") << 2.5f << 3;
        QTest::newRow("29.97") << 29.97f << 30;
        QTest::newRow("-0.4") << -0.4f << 0;
        QTest::newRow("59.94") << 59.94f << 60;
    }

    void roundAbs()
    {
        QFETCH(float, value);
        QFETCH(int, rounded);
        QCOMPARE(iRoundAbs(value), rounded);
    }

    // What the time display writes, the time-code entry must read back as the same frame.
    void timecodeTextReadsBackAsItsFrame()
    {
        for (float rate : {23.976f, 25.0f, 29.97f, 59.94f}) {
            for (int frame = 0; frame < 4000; frame += 7) {
                const QString text = qstrGetFrameDisplayString(frame, rate, true, false, false, false, 0);
                int parts[4];
                QVERIFY2(bTstTimecodeParts(text, parts), qPrintable(text));
                QCOMPARE(iTimecodeToFrame(parts, rate), frame);
            }
        }
    }

    void fitZoom_data()
    {
        QTest::addColumn<double>("pixelAspect");
        QTest::addColumn<int>("fieldMode");
        QTest::addColumn<bool>("excludeBorders");
        QTest::addColumn<int>("viewWidth");
        QTest::addColumn<int>("viewHeight");
        QTest::addColumn<int>("clipWidth");
        QTest::addColumn<int>("clipHeight");
        QTest::addColumn<float>("zoom");

        QTest::newRow("square pixels") << 1.0 << 0 << false << 210 << 110 << 100 << 50 << 2.0f;
        QTest::newRow("height decides") << 1.0 << 0 << false << 1010 << 110 << 100 << 50 << 2.0f;
        QTest::newRow("aspect 2.0 doubles the width") << 2.0 << 0 << false << 210 << 1010 << 100 << 100 << 1.0f;
        QTest::newRow("aspect 1.5 counts as 1.5") << 1.5 << 0 << false << 160 << 1010 << 100 << 100 << 1.0f;
        QTest::newRow("aspect 0.9 counts as 0.9") << 0.9 << 0 << false << 100 << 1010 << 100 << 100 << 1.0f;
        QTest::newRow("fields double the height") << 1.0 << 1 << false << 1010 << 110 << 100 << 50 << 1.0f;
        QTest::newRow("borders excluded") << 1.0 << 0 << true << 120 << 1010 << 120 << 60 << 1.0f;
        QTest::newRow("borders kept") << 1.0 << 0 << false << 130 << 1010 << 120 << 60 << 1.0f;
        QTest::newRow("view narrower than its margin") << 1.0 << 0 << false << 5 << 110 << 100 << 50 << 0.01f;
        QTest::newRow("view of no width") << 1.0 << 0 << false << 0 << 110 << 100 << 50 << 0.01f;
    }

    void fitZoom()
    {
        QFETCH(double, pixelAspect);
        QFETCH(int, fieldMode);
        QFETCH(bool, excludeBorders);
        QFETCH(int, viewWidth);
        QFETCH(int, viewHeight);
        QFETCH(int, clipWidth);
        QFETCH(int, clipHeight);
        QFETCH(float, zoom);

        CW_BaseClipInfo info;
        info.dPixelAspectRatio = pixelAspect;
        info.iFieldMode = fieldMode;
        info.uiBorderLeft = 6;
        info.uiBorderRight = 4;
        info.uiBorderTop = 5;
        info.uiBorderBottom = 5;
        QCOMPARE(fGetFitZoomFactor(info, viewWidth, viewHeight, clipWidth, clipHeight, excludeBorders), zoom);
    }

    void selectionModeMenu_data()
    {
        QTest::addColumn<QList<int>>("shown");
        QTest::addColumn<QStringList>("shape");

        QTest::newRow("only layer actions")
            << QList<int>{8, 9, 10, 11, 12, 13, 14, 15, 18, 19, 20, 22}
            << QStringList{"Layer=Subtract Layer,Add Layer,Matte Invert On,Matte Invert Off,Lock Layer,Unlock Layer,"
                           "Deactivate Layer,Activate Layer,Hide Layer,Show Layer,Delete Layer,Duplicate Layer"};
        QTest::newRow("groups in order")
            << QList<int>{26, 21, 0, 7}
            << QStringList{"Point=Corner", "Selection=Select All in Layer", "Spline=Delete Spline",
                           "Multi-Layer=Unlock All Layers"};
        QTest::newRow("nothing shown") << QList<int>{} << QStringList{};
    }

    void selectionModeMenu()
    {
        QFETCH(QList<int>, shown);
        QFETCH(QStringList, shape);
        bool flags[27] = {};
        for (int index : shown)
            flags[index] = true;
        std::unique_ptr<QMenu> menu(pCreateSelectionModeMenu(flags));
        QVERIFY(menu->title().isEmpty());
        QCOMPARE(qslTstMenuShape(*menu), shape);
        // The sub-menus go with the menu.
        for (QAction* action : menu->actions())
            QCOMPARE(action->menu()->parent(), menu.get());
    }

    void currentPageAndEventGate()
    {
        CW_Instance project = standin::testing::pCreateProject();
        standin::testing::vSetEventAllowed(project, CW_MODULE_TRACK, 27, false);

        QTabWidget* configuredTabs = m_pWindow->pGetModuleTabWidget();
        struct TabsGuard {
            frmMain* pWindow;
            QTabWidget* pTabs;
            ~TabsGuard() { pWindow->vSetModuleTabWidget(pTabs); }
        } guard {m_pWindow, configuredTabs};
        m_pWindow->vSetModuleTabWidget(nullptr);
        QCOMPARE(pGetCurrentControlForm(), nullptr);
        QVERIFY(!bIsEventAllowed(project, 26));
        QCOMPARE(qstrGetCurrentTabText(), QString());

        QTabWidget tabs;
        // The window's own Track page holds the title's key map: this one is told so.
        testenv::ModalAnswerer answerer;
        auto* page = new frmTrackPage;
        tabs.addTab(page, QStringLiteral("Track"));
        tabs.addTab(new QWidget, QStringLiteral("Notes"));
        tabs.addTab(new frmCurveEditor, QStringLiteral("Curve Editor"));
        m_pWindow->vSetModuleTabWidget(&tabs);

        QCOMPARE(pGetCurrentControlForm(), static_cast<CWKControlForm*>(page));
        QVERIFY(bIsEventAllowed(project, 26));
        QVERIFY(!bIsEventAllowed(project, 27));
        QCOMPARE(qstrGetCurrentTabText(), QStringLiteral("Track"));

        for (int index : {1, 2}) {
            tabs.setCurrentIndex(index);
            QCOMPARE(pGetCurrentControlForm(), nullptr);
            QVERIFY(!bIsEventAllowed(project, 26));
        }
        QCOMPARE(qstrGetCurrentTabText(), QStringLiteral("Curve Editor"));
    }

    void newProjectDialogRunsInImportForm_data()
    {
        QTest::addColumn<uint>("clip");
        QTest::addColumn<bool>("enable");
        QTest::addColumn<bool>("comboEnabled");
        QTest::newRow("no clip leaves the choice") << 0u << false << true;
        QTest::newRow("clip, choice off") << 3u << false << false;
        QTest::newRow("clip, choice on") << 3u << true << true;
    }

    void newProjectDialogRunsInImportForm()
    {
        QFETCH(uint, clip);
        QFETCH(bool, enable);
        QFETCH(bool, comboEnabled);

        QString title;
        QString okText;
        bool okEnabled = true;
        bool seenComboEnabled = !comboEnabled;
        QWidget* parent = nullptr;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* dialog = qobject_cast<NewProjectDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            title = dialog->windowTitle();
            QPushButton* ok = dialog->buttonBox->button(QDialogButtonBox::Ok);
            okText = ok->text();
            okEnabled = ok->isEnabled();
            // The clip page as a whole waits for a clip; the combo's own switch is what is set.
            seenComboEnabled = dialog->parentClipCombo->isEnabledTo(dialog->intermediateStackedWidget);
            parent = dialog->parentWidget();
            dialog->reject();
        });
        poll.start(20);
        QVERIFY(!bRunNewProjectDialog(clip, enable));
        QCOMPARE(title, QStringLiteral("Import Clip"));
        QCOMPARE(okText, QStringLiteral("Import"));
        QCOMPARE(parent, static_cast<QWidget*>(m_pWindow));
        QCOMPARE(seenComboEnabled, comboEnabled);
        // Without a chosen clip there is nothing to import.
        QVERIFY(!okEnabled);
    }

    void newProjectDialogTitles()
    {
        NewProjectDialog create(nullptr, 0);
        QCOMPARE(create.windowTitle(), QStringLiteral("New Project"));
        NewProjectDialog import(nullptr, 1);
        QCOMPARE(import.windowTitle(), QStringLiteral("Import Clip"));
    }

    void viewOptionsManagerIsOneObjectWithDefaults()
    {
        ViewOptionsManager* options = pGetViewOptionsManager();
        QCOMPARE(pGetViewOptionsManager(), options);
        QCOMPARE(options->parent(), nullptr);
        QCOMPARE(options->clipToDisplay, 1u);
        QCOMPARE(options->proxyScale(), 0);
        QVERIFY(options->bShowLayers());

        options->setShowOverlays(false);
        QVERIFY(!options->bShowLayers());
        options->selectedTrackMattes = true;
        options->matteViewState = 2;
        QSignalSpy reset(options, &ViewOptionsManager::reset);
        options->resetToInitialState();
        QCOMPARE(reset.count(), 1);
        QVERIFY(options->bShowLayers());
        QCOMPARE(options->matteViewState, 0);
        QVERIFY(options->selectedTrackMattes);
    }

    void cleanupTestCase()
    {
        delete m_pWindow;
        m_pWindow = nullptr;
    }
};

PLINTRA_TEST_MAIN(TstShellAccessors)
#include "tst_shellaccessors.moc"
