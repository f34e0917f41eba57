#include "ProjectFixtures.h"
#include "TestEnvironment.h"

#include "Murn.h"
#include "app/ChoiceTables.h"
#include "app/ProjectManagerInstance.h"
#include "app/ShellAccessors.h"
#include "curves/KeyframeManager.h"
#include "standin/testing.h"
#include "velmor.h"
#include "widgets/CWKLineEditDouble.h"
#include "widgets/CWKLineEditInt.h"
#include "widgets/MurnSetter.h"

#include <QSignalSpy>
#include <cmath>
#include <limits>
#include <memory>

class TstMurnSetters : public QObject {
    Q_OBJECT

    CW_Instance m_project = nullptr;
    std::unique_ptr<Murn::ParameterSet> m_pSet;
    std::unique_ptr<QWidget> m_pWindow;

    void vSetFrame(unsigned int frame) { QVERIFY(bMakeFrameCurrent(m_project, frame)); }

private slots:
    void init()
    {
        standin::testing::vReset();
        standin::testing::vResetFrameSteps();
        m_project = standin::testing::pCreateProject();
        CW_BaseClipInfo clip;
        clip.uiWidth = 64;
        clip.uiHeight = 48;
        clip.uiCount = 50;
        standin::testing::vRegisterClip(m_project, 1, clip);
        ProjectManagerInstance::instance()->setInstance(m_project);
        m_pSet = std::make_unique<Murn::ParameterSet>(QStringLiteral("page"));
        KeyframeManager::instance()->vSetAutokey(false);
        KeyframeManager::instance()->vSetUberkey(false);
        m_pWindow = std::make_unique<QWidget>();
    }

    void cleanup()
    {
        m_pWindow.reset();
        m_pSet.reset();
        ProjectManagerInstance::instance()->setInstance(nullptr);
        standin::testing::vResetFrameSteps();
        KeyframeManager::instance()->vSetAutokey(true);
        KeyframeManager::instance()->vSetUberkey(false);
        CWKLineEditDouble::vSetRotaryDrag(true);
    }

    // The keyed-value rule on an unsigned parameter with keys at 10 (5) and 30 (9) unless
    // it has none; range 0..40 unless given.
    void keyedValueRule_data()
    {
        QTest::addColumn<bool>("keyed");
        QTest::addColumn<bool>("autoKey");
        QTest::addColumn<bool>("uberKey");
        QTest::addColumn<unsigned>("value");
        QTest::addColumn<float>("frame");
        QTest::addColumn<float>("rangeEnd");
        // Afterwards: static value, key count, value at 10, value at 20, value at 30.
        QTest::addColumn<unsigned>("staticValue");
        QTest::addColumn<unsigned>("keys");
        QTest::addColumn<unsigned>("at10");
        QTest::addColumn<unsigned>("at20");
        QTest::addColumn<unsigned>("at30");

        QTest::newRow("auto-key creates a key") << false << true << false << 6u << 20.f << 40.f << 2u << 1u << 6u << 6u << 6u;
        QTest::newRow("no keys, no auto-key: static") << false << false << false << 6u << 20.f << 40.f << 6u << 0u << 6u << 6u << 6u;
        QTest::newRow("animated, no key here: nothing") << true << false << false << 1u << 20.f << 40.f << 2u << 2u << 5u << 7u << 9u;
        QTest::newRow("animated, key here: that key") << true << false << false << 1u << 10.f << 40.f << 2u << 2u << 1u << 5u << 9u;
        QTest::newRow("uber-key shifts every key") << true << false << true << 8u << 20.f << 40.f << 2u << 2u << 6u << 8u << 10u;
        QTest::newRow("uber-key keeps unsigned at 0") << true << false << true << 0u << 10.f << 40.f << 2u << 2u << 0u << 2u << 4u;
        QTest::newRow("uber-key leaves keys outside the range") << true << false << true << 9u << 20.f << 20.f << 2u << 2u << 7u << 8u << 9u;
        QTest::newRow("uber-key without keys: static") << false << true << true << 3u << 20.f << 40.f << 3u << 0u << 3u << 3u << 3u;
    }

    void keyedValueRule()
    {
        QFETCH(bool, keyed);
        QFETCH(bool, autoKey);
        QFETCH(bool, uberKey);
        QFETCH(unsigned, value);
        QFETCH(float, frame);
        QFETCH(float, rangeEnd);
        QFETCH(unsigned, staticValue);
        QFETCH(unsigned, keys);
        QFETCH(unsigned, at10);
        QFETCH(unsigned, at20);
        QFETCH(unsigned, at30);

        auto* parameter = m_pSet->pAddNumeric<unsigned int>(QStringLiteral("p"), 2u, 0u, 100u);
        if (keyed) {
            parameter->setValueAt(5u, 10.0f);
            parameter->setValueAt(9u, 30.0f);
        }
        QVERIFY(bSetParameterValue<unsigned int>(parameter, value, frame, autoKey, uberKey, 0.0f, rangeEnd, nullptr));
        QCOMPARE(parameter->staticValue(), staticValue);
        QCOMPARE(parameter->uiGetKeyCount(), keys);
        QCOMPARE(parameter->valueAt(10.0f), at10);
        QCOMPARE(parameter->valueAt(20.0f), at20);
        QCOMPARE(parameter->valueAt(30.0f), at30);
    }

    void uberKeyOnBoolsFollowsTheChange_data()
    {
        QTest::addColumn<bool>("value");
        QTest::addColumn<bool>("first");
        QTest::addColumn<bool>("second");

        // Keys: 10 true, 20 false; written at 10.
        QTest::newRow("switched off: every key off") << false << false << false;
        QTest::newRow("unchanged: keys keep their values") << true << true << false;
    }

    void uberKeyOnBoolsFollowsTheChange()
    {
        QFETCH(bool, value);
        QFETCH(bool, first);
        QFETCH(bool, second);
        auto* parameter = m_pSet->pAddNumeric<bool>(QStringLiteral("b"), false, false, true);
        parameter->setValueAt(true, 10.0f);
        parameter->setValueAt(false, 20.0f);
        bSetParameterValue<bool>(parameter, value, 10.0f, false, true, 0.0f, 40.0f, nullptr);
        QCOMPARE(parameter->valueAt(10.0f), first);
        QCOMPARE(parameter->valueAt(20.0f), second);
    }

    void aCommittedEditIsOneUndoStep_data()
    {
        QTest::addColumn<bool>("autoKey");
        QTest::newRow("static value") << false;
        QTest::newRow("auto-key") << true;
    }

    void aCommittedEditIsOneUndoStep()
    {
        QFETCH(bool, autoKey);
        KeyframeManager::instance()->vSetAutokey(autoKey);
        vSetFrame(12);
        auto* parameter = m_pSet->pAddNumeric<double>(QStringLiteral("gain"), 1.5, 0.0, 100.0);
        auto* edit = new CWKLineEditDouble(m_pWindow.get());
        edit->vSetRange(0.0, 100.0, 2);
        edit->setText(QStringLiteral("1.50"));
        std::shared_ptr<MurnUpdater> updater = makeMurnUpdater<double>(edit, parameter, false);
        m_pWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pWindow.get()));
        m_pWindow->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_pWindow.get()));
        edit->setFocus();
        QTRY_VERIFY_WITH_TIMEOUT(edit->hasFocus(), 2000);

        // Typed: shown at once, committed only when editing finishes.
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("7"));
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(parameter->valueAt(12.0f), 7.0);
        QVERIFY(bCanUndo(m_project));
        QCOMPARE(parameter->uiGetKeyCount(), autoKey ? 1u : 0u);
        if (autoKey)
            QVERIFY(parameter->bHasKeyAt(12.0f));
        else
            QCOMPARE(parameter->staticValue(), 7.0);

        bool reRender = false;
        QVERIFY(bUndo(m_project, reRender));
        QCOMPARE(parameter->valueAt(12.0f), 1.5);
        QCOMPARE(parameter->uiGetKeyCount(), 0u);
        QVERIFY(!bCanUndo(m_project));
        QVERIFY(bRedo(m_project, reRender));
        QCOMPARE(parameter->valueAt(12.0f), 7.0);
    }

    // Several drags on one focused, bound field make one edit, committed when editing
    // finishes. Each change is made against the parameter as the edit found it, never
    // against the value shown for the previous drag: that one must not be keyed, nor the
    // keys shifted twice. The parameter starts at 10 (static, or keys at 0 and 20 of 10,
    // and at 10 where asked); the current frame is 10.
    void severalDragsOnAFocusedFieldMakeOneEdit_data()
    {
        QTest::addColumn<bool>("autoKey");
        QTest::addColumn<bool>("uberKey");
        QTest::addColumn<QList<float>>("keyTimes");
        QTest::addColumn<QList<int>>("dragsTo");
        // Afterwards: the key times, which of them hold the edit's last value (the others
        // keep 10), and whether the static value does.
        QTest::addColumn<QList<float>>("endTimes");
        QTest::addColumn<QList<bool>>("endFollows");
        QTest::addColumn<bool>("staticFollows");

        const QList<int> two {60, 90};
        const QList<int> three {60, 90, 20};
        QTest::newRow("static, two drags")
            << false << false << QList<float> {} << two << QList<float> {} << QList<bool> {} << true;
        QTest::newRow("static, three drags")
            << false << false << QList<float> {} << three << QList<float> {} << QList<bool> {} << true;
        QTest::newRow("auto-key, two drags: one key")
            << true << false << QList<float> {} << two << QList<float> {10} << QList<bool> {true} << false;
        QTest::newRow("auto-key on keys, three drags")
            << true << false << QList<float> {0, 20} << three << QList<float> {0, 10, 20}
            << QList<bool> {false, true, false} << false;
        QTest::newRow("animated, no key here: nothing written")
            << false << false << QList<float> {0, 20} << two << QList<float> {0, 20} << QList<bool> {false, false}
            << false;
        QTest::newRow("animated, key here: that key")
            << false << false << QList<float> {0, 10, 20} << three << QList<float> {0, 10, 20}
            << QList<bool> {false, true, false} << false;
        QTest::newRow("uber-key, two drags") << false << true << QList<float> {0, 20} << two << QList<float> {0, 20}
                                             << QList<bool> {true, true} << false;
        QTest::newRow("uber-key, three drags") << false << true << QList<float> {0, 20} << three << QList<float> {0, 20}
                                               << QList<bool> {true, true} << false;
    }

    void severalDragsOnAFocusedFieldMakeOneEdit()
    {
        QFETCH(bool, autoKey);
        QFETCH(bool, uberKey);
        QFETCH(QList<float>, keyTimes);
        QFETCH(QList<int>, dragsTo);
        QFETCH(QList<float>, endTimes);
        QFETCH(QList<bool>, endFollows);
        QFETCH(bool, staticFollows);

        KeyframeManager::instance()->vSetAutokey(autoKey);
        KeyframeManager::instance()->vSetUberkey(uberKey);
        CWKLineEditDouble::vSetRotaryDrag(false);
        // The bound field shows the parameter at the current frame, as in the program.
        stctGetParameterWidgetHooks().pfnCurrentFrame = &dGetCurrentFrame;
        vSetFrame(10);
        auto* parameter = m_pSet->pAddNumeric<double>(QStringLiteral("gain"), 10.0, 0.0, 100.0);
        for (float time : keyTimes)
            parameter->setValueAt(10.0, time);
        auto* edit = new CWKLineEditDouble(m_pWindow.get());
        edit->vSetHooks(&stctGetParameterWidgetHooks());
        edit->vSetRange(0.0, 100.0, 2);
        edit->vSetParameter(parameter);
        edit->setText(QStringLiteral("10"));
        edit->setGeometry(0, 0, 200, 28);
        std::shared_ptr<MurnUpdater> updater = makeMurnUpdater<double>(edit, parameter, false);
        m_pWindow->resize(240, 60);
        m_pWindow->show();
        m_pWindow->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_pWindow.get()));
        QTest::mouseClick(edit, Qt::LeftButton, Qt::NoModifier, QPoint(100, 14));
        QVERIFY(edit->hasFocus());

        double last = 10.0;
        for (int x : dragsTo) {
            // A linear drag grabs the bar's end; the first move past 20 pixels only takes
            // the reference, the next one sets the value.
            const QPoint press(int(last / 100.0 * edit->width()), edit->height() / 2);
            QTest::mousePress(edit, Qt::LeftButton, Qt::NoModifier, press);
            for (const QPoint& point : {press + QPoint(25, 0), QPoint(x, press.y())}) {
                QMouseEvent move(
                    QEvent::MouseMove, point, edit->mapToGlobal(point), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(edit, &move);
            }
            QTest::mouseRelease(edit, Qt::LeftButton, Qt::NoModifier, QPoint(x, press.y()));
            QVERIFY(edit->hasFocus());
            const double value = edit->text().toDouble();
            QVERIFY2(std::abs(value - last) > 0.5, qPrintable(edit->text()));
            last = value;
            // Shown at once, not yet committed.
            QCOMPARE(parameter->valueAt(10.0f), last);
            QVERIFY(!bCanUndo(m_project));
        }

        QTest::keyClick(edit, Qt::Key_Return);
        // An edit that writes nothing leaves no undo step.
        const bool writes = staticFollows || endFollows.contains(true);
        QCOMPARE(bool(bCanUndo(m_project)), writes);
        QCOMPARE(parameter->staticValue(), staticFollows ? last : 10.0);
        QCOMPARE(parameter->uiGetKeyCount(), unsigned(endTimes.size()));
        for (int i = 0; i < endTimes.size(); ++i) {
            QCOMPARE(parameter->fGetKeyTime(unsigned(i)), endTimes[i]);
            QCOMPARE(parameter->keyValue(unsigned(i)), endFollows[i] ? last : 10.0);
        }

        // The whole edit is one step back to where it started.
        bool reRender = false;
        QCOMPARE(bool(bUndo(m_project, reRender)), writes);
        QVERIFY(!bCanUndo(m_project));
        QCOMPARE(parameter->staticValue(), 10.0);
        QCOMPARE(parameter->uiGetKeyCount(), unsigned(keyTimes.size()));
        for (int i = 0; i < keyTimes.size(); ++i)
            QCOMPARE(parameter->keyValue(unsigned(i)), 10.0);
    }

    void unfocusedChangesCommitAtOnceAndRepeatsDoNothing()
    {
        vSetFrame(3);
        auto* parameter = m_pSet->pAddNumeric<unsigned int>(QStringLiteral("count"), 2u, 0u, 100u);
        auto* edit = new CWKLineEditInt(m_pWindow.get());
        edit->setText(QStringLiteral("2"));
        std::shared_ptr<MurnUpdater> updater = makeMurnUpdater<unsigned int>(edit, parameter, false);
        for (const char* text : {"4", "4", "9"}) {
            edit->setText(QLatin1String(text));
            QMetaObject::invokeMethod(edit, "valueChanged");
        }
        QCOMPARE(parameter->staticValue(), 9u);
        // Two changes, two steps; the repeated text made none.
        bool reRender = false;
        QVERIFY(bUndo(m_project, reRender));
        QCOMPARE(parameter->staticValue(), 4u);
        QVERIFY(bUndo(m_project, reRender));
        QCOMPARE(parameter->staticValue(), 2u);
        QVERIFY(!bUndo(m_project, reRender));
    }

    void anEngineFailureOnTheEditRoadIsShownNotThrown()
    {
        testenv::DialogDriver driver;
        vSetFrame(5);
        auto* parameter = m_pSet->pAddNumeric<float>(QStringLiteral("size"), 1.0f, 0.0f, 10.0f);
        auto* edit = new CWKLineEditDouble(m_pWindow.get());
        edit->setText(QStringLiteral("1"));
        std::shared_ptr<MurnUpdater> updater = makeMurnUpdater<float>(edit, parameter, false);
        standin::testing::vSetStepFault("bMakeParameterChange", 5, standin::testing::StepFault::Throw);
        edit->setText(QStringLiteral("3"));
        QMetaObject::invokeMethod(edit, "valueChanged");
        QTRY_COMPARE_WITH_TIMEOUT(driver.qslMessages().size(), 1, 5000);
        QVERIFY(driver.qslMessages().first().contains(QStringLiteral("frame 5")));
        // Nothing was committed, and the shown value went back.
        QCOMPARE(parameter->valueAt(5.0f), 1.0f);
        QCOMPARE(parameter->uiGetKeyCount(), 0u);
        QVERIFY(!bCanUndo(m_project));
        // The next edit is a fresh one.
        standin::testing::vResetFrameSteps();
        edit->setText(QStringLiteral("4"));
        QMetaObject::invokeMethod(edit, "valueChanged");
        QCOMPARE(parameter->valueAt(5.0f), 4.0f);
        QVERIFY(bCanUndo(m_project));
    }

    void aCommandOutlivesARemovedParameter()
    {
        auto* parameter = m_pSet->pAddNumeric<float>(QStringLiteral("gone"), 1.0f, 0.0f, 10.0f);
        QVERIFY(bSetParameterValueCmd<float>(parameter, 2.0f, m_project));
        m_pSet->bRemove(QStringLiteral("gone"));
        bool reRender = false;
        QVERIFY(bUndo(m_project, reRender));
        QVERIFY(bRedo(m_project, reRender));
    }

    void historyKeepsItsSizeAndANewChangeDropsRedo()
    {
        vSetMaximumHistorySize(m_project, 3);
        auto* parameter = m_pSet->pAddNumeric<unsigned int>(QStringLiteral("n"), 0u, 0u, 100u);
        for (unsigned int value = 1; value <= 5; ++value)
            bSetParameterValueCmd<unsigned int>(parameter, value, m_project);
        bool reRender = false;
        int undone = 0;
        while (bUndo(m_project, reRender))
            ++undone;
        QCOMPARE(undone, 3);
        QCOMPARE(parameter->staticValue(), 2u);
        QVERIFY(bCanRedo(m_project));
        bSetParameterValueCmd<unsigned int>(parameter, 50u, m_project);
        QVERIFY(!bCanRedo(m_project));
    }
};

PLINTRA_TEST_MAIN(TstMurnSetters)
#include "tst_murnsetters.moc"
