#include "TestEnvironment.h"

#include "Murn.h"
#include "app/ChoiceTables.h"
#include "app/ProjectManagerInstance.h"
#include "app/ShellAccessors.h"
#include "standin/testing.h"
#include "velmor.h"
#include "widgets/CWKDoubleValidator.h"
#include "widgets/CWKLineEditDouble.h"
#include "widgets/CWKLineEditInt.h"

#include <QSignalSpy>
#include <cmath>
#include <memory>

namespace {
void vTstMoveHeld(QWidget& widget, QPointF point)
{
    QMouseEvent move(QEvent::MouseMove, point, widget.mapToGlobal(point), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &move);
}

void vTstWheel(QWidget& widget, int delta)
{
    const QPointF point(widget.width() / 2.0, widget.height() / 2.0);
    QWheelEvent wheel(point, widget.mapToGlobal(point), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
        Qt::NoScrollPhase, false);
    QApplication::sendEvent(&widget, &wheel);
}

// Turns the pointer around centre by the given angle (radians, clockwise on screen when
// positive) in small steps, starting at startAngle.
void vTstTurn(QWidget& widget, QPointF centre, double radius, double startAngle, double angle)
{
    const int steps = 72;
    for (int i = 1; i <= steps; ++i) {
        const double a = startAngle + angle * i / steps;
        vTstMoveHeld(widget, centre + QPointF(radius * std::cos(a), radius * std::sin(a)));
    }
}

QImage imgTstGrab(QWidget& widget)
{
    widget.repaint();
    return widget.grab().toImage();
}
} // namespace

class TstNumericEdits : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<CWKLineEditDouble> m_pEdit;

    // A shown, focused decimal edit, 200 pixels wide, with the range and value given.
    CWKLineEditDouble& edtTstShow(double bottom, double top, const QString& value)
    {
        m_pEdit = std::make_unique<CWKLineEditDouble>();
        m_pEdit->vSetRange(bottom, top, 2);
        m_pEdit->setText(value);
        m_pEdit->setFixedSize(200, 28);
        m_pEdit->show();
        m_pEdit->activateWindow();
        [&] { QVERIFY(QTest::qWaitForWindowActive(m_pEdit.get())); }();
        return *m_pEdit;
    }

private slots:
    void initTestCase() { stctGetParameterWidgetHooks().pfnCurrentFrame = &dGetCurrentFrame; }

    void init()
    {
        CWKLineEditDouble::vSetRotaryDrag(true);
        CWKLineEditDouble::vSetInvertScrollWheel(false);
        CWKLineEditInt::vSetRotaryDrag(true);
        CWKLineEditInt::vSetInvertScrollWheel(false);
    }

    void cleanup()
    {
        m_pEdit.reset();
        ProjectManagerInstance::instance()->setInstance(nullptr);
        standin::testing::vReset();
    }

    void aBoundFieldShowsItsParameterAtTheCurrentFrame()
    {
        const CW_Instance project = standin::testing::pCreateProject();
        CW_BaseClipInfo clip;
        clip.uiCount = 100;
        standin::testing::vRegisterClip(project, 1, clip);
        ProjectManagerInstance::instance()->setInstance(project);
        QVERIFY(bMakeFrameCurrent(project, 20));
        const int layer = standin::testing::iAddLayer(project, QStringLiteral("Layer"));
        CW_LayerParameterSet* parameters = pGetLayerParameters(project, layer);
        auto* softness = parameters->pAddNumeric<float>(QStringLiteral("Softness"), 0, 0, 100);
        auto* size = parameters->pAddNumeric<unsigned int>(QStringLiteral("Size"), 3, 0, 100);

        CWKLineEditDouble decimal;
        CWKLineEditInt whole;
        decimal.vSetParameter(softness);
        whole.vSetParameter(size);
        softness->setValueAt(0.0f, 0.0f);
        softness->setValueAt(8.0f, 40.0f);
        QCOMPARE(decimal.text(), QStringLiteral("4"));
        // A change made elsewhere, at another frame, still shows the current frame's value.
        softness->setValueAt(10.0f, 40.0f);
        QCOMPARE(decimal.text(), QStringLiteral("5"));
        size->setStaticValue(42);
        QCOMPARE(whole.text(), QStringLiteral("42"));

        // A field of the other kind ignores the parameter.
        whole.vSetParameter(softness);
        softness->setStaticValue(1.5f);
        QCOMPARE(whole.text(), QStringLiteral("42"));

        standin::testing::vRemoveLayer(project, layer);
        QVERIFY(!decimal.pGetParameter());
        QVERIFY(!whole.pGetParameter());
        QCOMPARE(decimal.text(), QStringLiteral("5"));
    }

    void aFullRotaryTurnMovesAFifthOfTheRange_data()
    {
        QTest::addColumn<double>("startAngle");
        QTest::addColumn<double>("turn");
        QTest::addColumn<QString>("expected");
        const double pi = 3.14159265358979323846;
        QTest::newRow("clockwise from the right") << 0.0 << 2 * pi << QStringLiteral("70");
        QTest::newRow("counter-clockwise from the right") << 0.0 << -2 * pi << QStringLiteral("30");
        QTest::newRow("clockwise across the left, where the angle wraps") << pi << 2 * pi << QStringLiteral("70");
        QTest::newRow("half a turn counter-clockwise across the wrap") << pi * 0.75 << -pi << QStringLiteral("40");
    }

    void aFullRotaryTurnMovesAFifthOfTheRange()
    {
        QFETCH(double, startAngle);
        QFETCH(double, turn);
        QFETCH(QString, expected);
        CWKLineEditDouble& edit = edtTstShow(0, 100, QStringLiteral("50"));
        QSignalSpy changed(&edit, &CWKLineEditDouble::valueChanged);
        const QPointF centre(100, 14);
        QTest::mousePress(&edit, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
        QVERIFY(edit.bIsDragging());
        vTstMoveHeld(edit, centre + QPointF(30 * std::cos(startAngle), 30 * std::sin(startAngle)));
        QCOMPARE(edit.text(), QStringLiteral("50"));
        vTstTurn(edit, centre, 30, startAngle, turn);
        QCOMPARE(edit.text(), expected);
        QCOMPARE(changed.count(), 0);
        QTest::mouseRelease(&edit, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
        QCOMPARE(changed.count(), 1);
        QVERIFY(!edit.bIsDragging());
    }

    void rotaryDragWaitsOutTheDeadZoneAndTurnsBackAtOnceFromTheTop()
    {
        CWKLineEditDouble& edit = edtTstShow(0, 100, QStringLiteral("95"));
        const QPointF centre(100, 14);
        QTest::mousePress(&edit, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
        vTstMoveHeld(edit, centre + QPointF(0, 15));
        vTstMoveHeld(edit, centre + QPointF(15, 0));
        QCOMPARE(edit.text(), QStringLiteral("95"));
        vTstMoveHeld(edit, centre + QPointF(30, 0));
        QCOMPARE(edit.text(), QStringLiteral("95"));
        const double pi = 3.14159265358979323846;
        vTstTurn(edit, centre, 30, 0, pi);
        QCOMPARE(edit.text(), QStringLiteral("100"));
        vTstTurn(edit, centre, 30, pi, -pi / 5);
        QCOMPARE(edit.text(), QStringLiteral("98"));
        QTest::mouseRelease(&edit, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
    }

    void aClickWithoutADragSelectsTheValue()
    {
        CWKLineEditDouble& edit = edtTstShow(0, 100, QStringLiteral("12.5"));
        QSignalSpy changed(&edit, &CWKLineEditDouble::valueChanged);
        QTest::mouseClick(&edit, Qt::LeftButton, Qt::NoModifier, QPoint(50, 14));
        QCOMPARE(edit.selectedText(), QStringLiteral("12.5"));
        QCOMPARE(changed.count(), 0);
    }

    void linearDragMovesThreeTenthsTowardsThePointer()
    {
        CWKLineEditDouble::vSetRotaryDrag(false);
        CWKLineEditDouble& edit = edtTstShow(0, 100, QStringLiteral("50"));
        // Far from the bar's end: no drag, the text cursor is placed.
        QTest::mousePress(&edit, Qt::LeftButton, Qt::NoModifier, QPoint(20, 14));
        QVERIFY(!edit.bIsDragging());
        QTest::mouseRelease(&edit, Qt::LeftButton, Qt::NoModifier, QPoint(20, 14));

        QTest::mousePress(&edit, Qt::LeftButton, Qt::NoModifier, QPoint(100, 14));
        QVERIFY(edit.bIsDragging());
        vTstMoveHeld(edit, QPointF(180, 14));
        QCOMPARE(edit.text(), QStringLiteral("50"));
        vTstMoveHeld(edit, QPointF(180, 14));
        QCOMPARE(edit.text(), QStringLiteral("62"));
        vTstMoveHeld(edit, QPointF(0, 14));
        QCOMPARE(edit.text(), QStringLiteral("35"));
        QTest::mouseRelease(&edit, Qt::LeftButton, Qt::NoModifier, QPoint(0, 14));
    }

    void wheelStepsFollowTheRangeAndTheInvertSwitch_data()
    {
        QTest::addColumn<double>("top");
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("delta");
        QTest::addColumn<bool>("inverted");
        QTest::addColumn<QString>("expected");
        QTest::newRow("range 1, wheel down") << 1.0 << "0.5" << -120 << false << "0.51";
        QTest::newRow("range 10, wheel down") << 10.0 << "5" << -120 << false << "5.1";
        QTest::newRow("range 100, wheel down") << 100.0 << "50" << -120 << false << "51";
        QTest::newRow("range 100, wheel up") << 100.0 << "50" << 120 << false << "49";
        QTest::newRow("range 100, wheel down inverted") << 100.0 << "50" << -120 << true << "49";
        QTest::newRow("range 1, wheel up inverted") << 1.0 << "0.5" << 120 << true << "0.51";
        QTest::newRow("kept at the top") << 100.0 << "100" << -120 << false << "100";
        QTest::newRow("no delta") << 100.0 << "50" << 0 << false << "50";
    }

    void wheelStepsFollowTheRangeAndTheInvertSwitch()
    {
        QFETCH(double, top);
        QFETCH(QString, start);
        QFETCH(int, delta);
        QFETCH(bool, inverted);
        QFETCH(QString, expected);
        CWKLineEditDouble::vSetInvertScrollWheel(inverted);
        CWKLineEditDouble& edit = edtTstShow(0, top, start);
        vTstWheel(edit, delta);
        QCOMPARE(edit.text(), expected);
        QCOMPARE(edit.bHasPendingChange(), delta != 0);

        CWKLineEditInt::vSetInvertScrollWheel(inverted);
        CWKLineEditInt whole;
        whole.vSetRange(0, 100);
        whole.setText(QStringLiteral("50"));
        QSignalSpy changed(&whole, &CWKLineEditInt::valueChanged);
        whole.vSetEmitWhileDragging(true);
        vTstWheel(whole, delta);
        const int step = delta == 0 ? 0 : ((delta < 0) != inverted ? 1 : -1);
        QCOMPARE(whole.text(), QString::number(50 + step));
        QCOMPARE(changed.count(), delta == 0 ? 0 : 1);
    }

    void anEmptyRangeHasNeitherBarNorDrag()
    {
        CWKLineEditDouble& edit = edtTstShow(5, 5, QStringLiteral("5"));
        QCOMPARE(edit.dGetNormalisedPosition(), 0.0);
        const QImage withBar = imgTstGrab(edit);
        edit.vSetShowBar(false);
        QCOMPARE(imgTstGrab(edit), withBar);
        edit.vSetShowBar(true);

        QTest::mousePress(&edit, Qt::LeftButton, Qt::NoModifier, QPoint(100, 14));
        QVERIFY(!edit.bIsDragging());
        vTstMoveHeld(edit, QPointF(190, 20));
        QTest::mouseRelease(&edit, Qt::LeftButton, Qt::NoModifier, QPoint(190, 20));
        vTstWheel(edit, -120);
        QCOMPARE(edit.text(), QStringLiteral("5"));

        CWKLineEditDouble::vSetRotaryDrag(false);
        QTest::mousePress(&edit, Qt::LeftButton, Qt::NoModifier, QPoint(0, 14));
        QVERIFY(!edit.bIsDragging());
        QTest::mouseRelease(&edit, Qt::LeftButton, Qt::NoModifier, QPoint(0, 14));
    }

    void theBarShowsWhereTheValueLies()
    {
        CWKLineEditDouble& edit = edtTstShow(0, 100, QStringLiteral("100"));
        edit.vSetShowBar(false);
        const QImage without = imgTstGrab(edit);
        edit.vSetShowBar(true);
        const QImage full = imgTstGrab(edit);
        const QRgb highlight = edit.palette().color(QPalette::Highlight).rgb();
        const QRect contents = edit.contentsRect();
        const int row = contents.bottom() - 1;
        QVERIFY(without != full);
        QCOMPARE(full.pixel(contents.left() + 2, row), highlight);
        QCOMPARE(full.pixel(contents.right() - 3, row), highlight);

        edit.setText(QStringLiteral("25"));
        const QImage quarter = imgTstGrab(edit);
        QCOMPARE(quarter.pixel(contents.left() + 2, row), highlight);
        QVERIFY(quarter.pixel(contents.right() - 3, row) != highlight);
    }

    void typedTextIsRepairedAndAnnouncedOnce()
    {
        CWKLineEditDouble& edit = edtTstShow(0, 10, QStringLiteral("1.2345"));
        QSignalSpy changed(&edit, &CWKLineEditDouble::valueChanged);
        QTest::keyClick(&edit, Qt::Key_End);
        QTest::keyClick(&edit, Qt::Key_Return);
        QCOMPARE(edit.text(), QStringLiteral("1.23"));
        QCOMPARE(changed.count(), 1);
        edit.clearFocus();
        QCOMPARE(changed.count(), 1);

        CWKLineEditInt whole;
        whole.vSetRange(3, 9);
        whole.setText(QStringLiteral("7"));
        whole.show();
        whole.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&whole));
        QSignalSpy wholeChanged(&whole, &CWKLineEditInt::valueChanged);
        QTest::keyClick(&whole, Qt::Key_End);
        QTest::keyClick(&whole, Qt::Key_Backspace);
        QCOMPARE(whole.text(), QString());
        whole.clearFocus();
        QCOMPARE(whole.text(), QStringLiteral("3"));
        QCOMPARE(wholeChanged.count(), 1);
    }

    void validatorsRepairTextOutsideTheRange_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("decimal");
        QTest::addColumn<QString>("whole");
        QTest::newRow("above") << "250"
                               << "10.00"
                               << "9";
        QTest::newRow("below") << "-4"
                               << "0.00"
                               << "3";
        QTest::newRow("too many decimals") << "2.567"
                                           << "2.57"
                                           << "3";
        QTest::newRow("not a number") << "x"
                                      << "0.00"
                                      << "3";
        QTest::newRow("acceptable stays") << "4.5"
                                          << "4.5"
                                          << "3";
    }

    void validatorsRepairTextOutsideTheRange()
    {
        QFETCH(QString, text);
        QFETCH(QString, decimal);
        QFETCH(QString, whole);
        CWKLineEditDouble decimalEdit;
        decimalEdit.vSetRange(0, 10, 2);
        QString repaired = text;
        decimalEdit.pGetValidator()->fixup(repaired);
        QCOMPARE(repaired, decimal);

        CWKLineEditInt wholeEdit;
        wholeEdit.vSetRange(3, 9);
        repaired = text;
        wholeEdit.validator()->fixup(repaired);
        QCOMPARE(repaired, whole);
    }
};

PLINTRA_TEST_MAIN(TstNumericEdits)
#include "tst_numericedits.moc"
