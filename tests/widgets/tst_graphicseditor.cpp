#include "TestEnvironment.h"

#include "widgets/CWKScene.h"
#include "widgets/CWKView.h"

#include <QGraphicsRectItem>
#include <QRubberBand>
#include <QScrollBar>
#include <QWheelEvent>
#include <memory>

namespace {

// An editor that records what reaches its hooks; a press on empty space arms the band,
// as the curve editor does.
class RecordingScene : public CWKScene {
public:
    using CWKScene::CWKScene;

    QRectF handleArea;
    QStringList calls;
    QList<QGraphicsItem*> selected;
    QGraphicsItem* pressedItem = nullptr;

protected:
    bool bHitTest(const QPointF& point) override { return handleArea.contains(point); }
    void vRubberBandSelect(const QList<QGraphicsItem*>& items, const QRectF&) override
    {
        calls << QStringLiteral("select");
        selected = items;
    }
    void vLeftPress(QGraphicsItem* item, const QPointF&, Qt::KeyboardModifiers) override
    {
        calls << QStringLiteral("left");
        pressedItem = item;
        if (!item)
            static_cast<CWKView*>(view())->vArmRubberBand();
    }
    void vRightPress(QGraphicsItem*, const QPointF&) override { calls << QStringLiteral("right"); }
    void vClickRelease() override { calls << QStringLiteral("click"); }
    void vHandlePress(const QPointF&) override { calls << QStringLiteral("handle"); }
    void vHandleDrag(const QPointF&) override { calls << QStringLiteral("drag"); }
};

struct Editor {
    Editor()
    {
        scene.setSceneRect(-5000, -5000, 10000, 10000);
        view.setScene(&scene);
        view.resize(400, 300);
        view.show();
        view.centerOn(0, 0);
        view.activateWindow();
        view.setFocus();
    }
    // The view's centre, where the scene point (0, 0) is shown at the start.
    QPoint centre() const { return view.viewport()->rect().center(); }
    double m11() const { return view.transform().m11(); }
    double m22() const { return view.transform().m22(); }

    RecordingScene scene;
    CWKView view;
};

void vSendKey(QWidget* target, QEvent::Type type, int key, bool autoRepeat = false)
{
    QKeyEvent event(type, key, Qt::NoModifier, QString(), autoRepeat);
    QApplication::sendEvent(target, &event);
}

void vSendWheel(CWKView& view, QPoint angleDelta)
{
    const QPointF at = view.viewport()->rect().center();
    QWheelEvent event(at, view.viewport()->mapToGlobal(at), QPoint(), angleDelta, Qt::NoButton, Qt::NoModifier,
        Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.viewport(), &event);
}

// A move with no button held, delivered straight to the viewport as the window system would.
void vHover(CWKView& view, QPoint at)
{
    QMouseEvent event(
        QEvent::MouseMove, at, view.viewport()->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &event);
}

// Presses, moves in steps and releases, the way a hand drags.
void vDrag(QWidget* target, Qt::MouseButton button, QPoint from, QPoint to, int steps = 4)
{
    QTest::mousePress(target, button, {}, from);
    for (int i = 1; i <= steps; ++i)
        QTest::mouseMove(target, from + (to - from) * i / steps);
    QTest::mouseRelease(target, button, {}, to);
}

} // namespace

class TestGraphicsEditor : public QObject {
    Q_OBJECT
private slots:
    void zoomKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<double>("factor");
        QTest::newRow("plus") << int(Qt::Key_Plus) << 1.1;
        QTest::newRow("equals") << int(Qt::Key_Equal) << 1.1;
        QTest::newRow("minus") << int(Qt::Key_Minus) << 0.9;
        QTest::newRow("other key") << int(Qt::Key_A) << 1.0;
    }

    void zoomKeys()
    {
        QFETCH(int, key);
        QFETCH(double, factor);
        Editor editor;
        QTest::keyClick(&editor.view, Qt::Key(key));
        QCOMPARE(editor.m11(), factor);
        QCOMPARE(editor.m22(), factor);
        QTest::keyClick(&editor.view, Qt::Key(key));
        QCOMPARE(editor.m11(), factor * factor);
    }

    void zoomIsDrawn()
    {
        Editor editor;
        auto* square = editor.scene.addRect(QRectF(-10, -10, 20, 20), Qt::NoPen, Qt::red);
        QVERIFY(square);
        auto redPixels = [&editor] {
            const QImage image = editor.view.grab().toImage();
            int count = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x)
                    count += image.pixelColor(x, y) == QColor(Qt::red) ? 1 : 0;
            }
            return count;
        };
        const int start = redPixels();
        QVERIFY(start > 300);
        for (int i = 0; i < 5; ++i)
            QTest::keyClick(&editor.view, Qt::Key_Plus);
        const double grown = double(redPixels()) / start;
        // Five steps of 1.1 on both axes: about 2.6 times the area.
        QVERIFY2(grown > 2.3 && grown < 2.9, qPrintable(QString::number(grown)));
        QTest::keyClick(&editor.view, Qt::Key_Slash);
        QVERIFY(qAbs(redPixels() - start) <= start / 20);
    }

    void slashGoesBackToOneUnitPerPixelOnBothAxes()
    {
        Editor editor;
        editor.scene.zoomBy(3.0, 0.25);
        QCOMPARE(editor.scene.horizontalUnitsPerPixel(), 1.0 / 3.0);
        QCOMPARE(editor.view.verticalUnitsPerPixel(), 4.0);
        QTest::keyClick(&editor.view, Qt::Key_Slash);
        QCOMPARE(editor.m11(), 1.0);
        QCOMPARE(editor.m22(), 1.0);
    }

    void zoomStopsAtItsLimitsPerAxis()
    {
        Editor editor;
        // 1/600 of a unit per pixel horizontally is past the zoom-in limit.
        editor.view.setTransform(QTransform::fromScale(600, 1));
        QTest::keyClick(&editor.view, Qt::Key_Plus);
        QCOMPARE(editor.m11(), 600.0);
        QCOMPARE(editor.m22(), 1.1);
        QTest::keyClick(&editor.view, Qt::Key_Minus);
        QCOMPARE(editor.m11(), 540.0);

        editor.view.setTransform(QTransform::fromScale(1, 1.0 / 5000));
        QTest::keyClick(&editor.view, Qt::Key_Minus);
        QCOMPARE(editor.m11(), 0.9);
        QCOMPARE(editor.m22(), 1.0 / 5000);
    }

    void withoutAViewScalesAreOneAndZoomDoesNothing()
    {
        RecordingScene scene;
        scene.zoomBy(2.0, 2.0);
        QCOMPARE(scene.horizontalScale(), 1.0);
        QCOMPARE(scene.verticalUnitsPerPixel(), 1.0);
        QCOMPARE(scene.visibleSceneRect(), QRectF(0, 0, 0, 0));
    }

    void heldKeysTakeAModeUntilAKeyIsReleased_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("cursor");
        QTest::newRow("Q moves items") << int(Qt::Key_Q) << int(CWKScene::MoveMode) << int(Qt::ArrowCursor);
        QTest::newRow("X pans") << int(Qt::Key_X) << int(CWKScene::PanMode) << int(Qt::OpenHandCursor);
        QTest::newRow("Z zooms") << int(Qt::Key_Z) << int(CWKScene::ZoomMode) << int(Qt::ArrowCursor);
    }

    void heldKeysTakeAModeUntilAKeyIsReleased()
    {
        QFETCH(int, key);
        QFETCH(int, mode);
        QFETCH(int, cursor);
        Editor editor;
        vSendKey(&editor.view, QEvent::KeyPress, key);
        QCOMPARE(editor.scene.iGetToolMode(), mode);
        QCOMPARE(int(editor.view.viewport()->cursor().shape()), cursor);
        // Held down, the key repeats: neither the repeats nor their releases end the mode.
        vSendKey(&editor.view, QEvent::KeyRelease, key, true);
        vSendKey(&editor.view, QEvent::KeyPress, key, true);
        QCOMPARE(editor.scene.iGetToolMode(), mode);
        vSendKey(&editor.view, QEvent::KeyRelease, Qt::Key_Shift);
        QCOMPARE(editor.scene.iGetToolMode(), int(CWKScene::EditMode));
        QCOMPARE(editor.view.viewport()->cursor().shape(), Qt::ArrowCursor);
    }

    void releasingTheHeldKeyReturnsToTheButtonsMode()
    {
        Editor editor;
        editor.scene.setPanMode(true);
        vSendKey(&editor.view, QEvent::KeyPress, Qt::Key_Z);
        QCOMPARE(editor.scene.iGetToolMode(), int(CWKScene::ZoomMode));
        vSendKey(&editor.view, QEvent::KeyRelease, Qt::Key_Z);
        QCOMPARE(editor.scene.iGetToolMode(), int(CWKScene::PanMode));
        QCOMPARE(editor.view.viewport()->cursor().shape(), Qt::OpenHandCursor);
    }

    void holdingXPansWithTheLeftButton()
    {
        Editor editor;
        QScrollBar* horizontal = editor.view.horizontalScrollBar();
        QScrollBar* vertical = editor.view.verticalScrollBar();
        const int startX = horizontal->value();
        const int startY = vertical->value();
        const QPointF sceneStart = editor.view.mapToScene(editor.centre());

        vSendKey(&editor.view, QEvent::KeyPress, Qt::Key_X);
        const QPoint from = editor.centre();
        QTest::mousePress(editor.view.viewport(), Qt::LeftButton, {}, from);
        QTest::mouseMove(editor.view.viewport(), from + QPoint(5, 5));
        QCOMPARE(editor.view.viewport()->cursor().shape(), Qt::ClosedHandCursor);
        QTest::mouseMove(editor.view.viewport(), from + QPoint(45, 35));
        QTest::mouseRelease(editor.view.viewport(), Qt::LeftButton, {}, from + QPoint(45, 35));
        // The content follows the mouse: the view looks 40 and 30 pixels further up-left.
        QCOMPARE(horizontal->value(), startX - 40);
        QCOMPARE(vertical->value(), startY - 30);
        QCOMPARE(editor.view.mapToScene(editor.centre()), sceneStart - QPointF(40, 30));
        QVERIFY(editor.scene.calls.isEmpty());

        vSendKey(&editor.view, QEvent::KeyRelease, Qt::Key_X);
        QCOMPARE(editor.scene.iGetToolMode(), int(CWKScene::EditMode));
    }

    void middleButtonPansInEditModeUntilReleased()
    {
        Editor editor;
        const int startX = editor.view.horizontalScrollBar()->value();
        vDrag(editor.view.viewport(), Qt::MiddleButton, editor.centre(), editor.centre() + QPoint(-60, 0));
        QCOMPARE(editor.view.horizontalScrollBar()->value(), startX + 45);
        QCOMPARE(editor.scene.iGetToolMode(), int(CWKScene::EditMode));
        QCOMPARE(editor.view.viewport()->cursor().shape(), Qt::ArrowCursor);
    }

    void wheelZoomsOnlyOnVerticalMovement_data()
    {
        QTest::addColumn<QPoint>("angleDelta");
        QTest::addColumn<double>("factor");
        QTest::newRow("up") << QPoint(0, 120) << 1.1;
        QTest::newRow("down") << QPoint(0, -120) << 0.9;
        QTest::newRow("sideways") << QPoint(120, 0) << 1.0;
        QTest::newRow("sideways back") << QPoint(-120, 0) << 1.0;
        QTest::newRow("no movement") << QPoint(0, 0) << 1.0;
    }

    void wheelZoomsOnlyOnVerticalMovement()
    {
        QFETCH(QPoint, angleDelta);
        QFETCH(double, factor);
        Editor editor;
        vSendWheel(editor.view, angleDelta);
        QCOMPARE(editor.m11(), factor);
        QCOMPARE(editor.m22(), factor);
    }

    void zoomModeClicksAndDrags()
    {
        Editor editor;
        editor.scene.setZoomMode(true);
        QTest::mouseClick(editor.view.viewport(), Qt::LeftButton, {}, editor.centre());
        QCOMPARE(editor.m11(), 1.1);
        QTest::mouseClick(editor.view.viewport(), Qt::RightButton, {}, editor.centre());
        QCOMPARE(editor.m11(), 1.1 * 0.9);

        // Dragging with the middle button zooms only the axis that moved more.
        editor.view.resetTransform();
        vDrag(editor.view.viewport(), Qt::MiddleButton, editor.centre(), editor.centre() + QPoint(0, 100), 1);
        QCOMPARE(editor.m11(), 1.0);
        QCOMPARE(editor.m22(), 1.2);

        // The left press zooms in once, then the drag zooms in across and out upwards.
        editor.view.resetTransform();
        vDrag(editor.view.viewport(), Qt::LeftButton, editor.centre(), editor.centre() + QPoint(50, -50), 1);
        QCOMPARE(editor.m11(), 1.1 * 1.1);
        QCOMPARE(editor.m22(), 1.0);
        QVERIFY(editor.scene.calls.isEmpty());
    }

    void rubberBand_data()
    {
        QTest::addColumn<QPoint>("offset");
        QTest::addColumn<bool>("itemInBand");
        QTest::addColumn<QStringList>("calls");
        const QStringList selection {"left", "select", "select", "select", "select"};
        QTest::newRow("diagonal drag over an item") << QPoint(10, -10) << true << selection;
        QTest::newRow("other diagonal over an item") << QPoint(-10, 10) << true << selection;
        QTest::newRow("long drag over an item") << QPoint(80, 60) << true << selection;
        QTest::newRow("drag over nothing") << QPoint(80, 60) << false << (selection + QStringList {"click"});
        QTest::newRow("tiny move over an item") << QPoint(2, 2) << true << (selection + QStringList {"click"});
    }

    void rubberBand()
    {
        QFETCH(QPoint, offset);
        QFETCH(bool, itemInBand);
        QFETCH(QStringList, calls);
        Editor editor;
        const QPoint from = editor.centre() + QPoint(-20, 20);
        const QPointF sceneFrom = editor.view.mapToScene(from);
        // A small item right inside the band's corner opposite to the press.
        const QPointF itemCorner = editor.view.mapToScene(from + offset * 3 / 4);
        auto* item = editor.scene.addRect(QRectF(itemCorner, QSizeF(1, 1)));
        if (!itemInBand)
            item->setPos(3000, 3000);
        QVERIFY(!item->contains(item->mapFromScene(sceneFrom)));

        const QImage before = editor.view.grab().toImage();
        QTest::mousePress(editor.view.viewport(), Qt::LeftButton, {}, from);
        QVERIFY(editor.view.bRubberBandArmed());
        auto* band = editor.view.findChild<QRubberBand*>();
        QVERIFY(band && band->isVisible());
        for (int i = 1; i <= 4; ++i)
            QTest::mouseMove(editor.view.viewport(), from + offset * i / 4);
        QCOMPARE(editor.view.rubberBandRect(), QRect(from, from + offset).normalized());
        if (offset.manhattanLength() > 50) {
            // The band is drawn over the scene where the pointer spans it.
            const QPoint inside = editor.view.rubberBandRect().center();
            QVERIFY(editor.view.grab().toImage().pixel(inside) != before.pixel(inside));
        }
        QTest::mouseRelease(editor.view.viewport(), Qt::LeftButton, {}, from + offset);

        QCOMPARE(editor.scene.calls, calls);
        QCOMPARE(editor.scene.pressedItem, nullptr);
        QCOMPARE(editor.scene.selected.contains(item), itemInBand);
        QVERIFY(!editor.view.bRubberBandArmed());
        QVERIFY(!band->isVisible());
    }

    void pressesReachTheHooks()
    {
        Editor editor;
        const QPoint at = editor.centre();
        const QPointF scenePoint = editor.view.mapToScene(at);
        auto* item = editor.scene.addRect(QRectF(scenePoint - QPointF(5, 5), QSizeF(10, 10)));

        QTest::mouseClick(editor.view.viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(editor.scene.pressedItem, item);
        QVERIFY(!editor.view.bRubberBandArmed());
        QTest::mouseClick(editor.view.viewport(), Qt::RightButton, {}, at);
        QCOMPARE(editor.scene.calls, (QStringList {"left", "right"}));

        // A handle under the pointer takes the press and shows the resize cursor on hover.
        editor.scene.calls.clear();
        editor.scene.handleArea = QRectF(scenePoint - QPointF(50, 50), QSizeF(100, 100));
        vHover(editor.view, at + QPoint(1, 0));
        QCOMPARE(editor.view.viewport()->cursor().shape(), Qt::SizeHorCursor);
        editor.scene.clearSelection();
        vDrag(editor.view.viewport(), Qt::LeftButton, at + QPoint(-30, 0), at + QPoint(-20, 0), 2);
        QCOMPARE(editor.scene.calls.first(), QStringLiteral("handle"));
        QVERIFY(editor.scene.calls.contains(QStringLiteral("drag")));
        editor.scene.handleArea = QRectF();
        vHover(editor.view, at + QPoint(-100, 0));
        QCOMPARE(editor.view.viewport()->cursor().shape(), Qt::ArrowCursor);
    }

    void visibleSceneRectFollowsZoomAndPan()
    {
        Editor editor;
        editor.scene.zoomBy(2.0, 4.0);
        const QRectF visible = editor.scene.visibleSceneRect();
        QCOMPARE(visible.width(), editor.view.width() / 2.0);
        QCOMPARE(visible.height(), editor.view.height() / 4.0);
        QCOMPARE(visible.topLeft(), editor.view.mapToScene(QPoint(0, 0)));
    }
};

PLINTRA_TEST_MAIN(TestGraphicsEditor)
#include "tst_graphicseditor.moc"
