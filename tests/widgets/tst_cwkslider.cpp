#include "TestEnvironment.h"

#include "widgets/CWKSlider.h"

#include <QCursor>
#include <QImage>
#include <QSignalSpy>
#include <memory>

namespace {
constexpr int kWidth = 600;
constexpr int kHeight = 32;
} // namespace

class TestCWKSlider : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QWidget> m_window;
    CWKSlider* m_slider = nullptr;

    int x(int frame) const { return m_slider->iFrameColumn(frame); }
    int H() const { return m_slider->height() - 1; }
    QPoint at(int frame, int y = -1) const { return QPoint(x(frame), y < 0 ? H() / 2 : y); }

    // Drags from one frame's column to another's in single-frame steps, with the real pointer
    // parked far away so that nothing depends on where the system cursor happens to be.
    void vDrag(int from, int to)
    {
        QCursor::setPos(0, 0);
        QTest::mousePress(m_slider, Qt::LeftButton, Qt::NoModifier, at(from));
        const int step = to >= from ? 1 : -1;
        for (int frame = from + step; frame != to + step; frame += step)
            QTest::mouseMove(m_slider, at(frame));
        QTest::mouseRelease(m_slider, Qt::LeftButton, Qt::NoModifier, at(to));
    }

    QColor pixel(const QImage& image, int px, int py) const { return image.pixelColor(px, py); }

    void vSetMarks(int row, int first, int last)
    {
        std::vector<char> flags(100, 0);
        for (int i = first; i <= last; ++i)
            flags[i] = 1;
        m_slider->setFrameMarks(flags.data(), row, unsigned(flags.size()));
    }

private slots:
    void init()
    {
        m_window = std::make_unique<QWidget>();
        m_window->move(200, 200);
        m_slider = new CWKSlider(m_window.get());
        m_slider->setGeometry(0, 0, kWidth, kHeight);
        m_window->resize(kWidth, kHeight);
        m_slider->setRange(0, 99);
        m_slider->initFrameMarks(false);
        m_slider->setValue(50);
        m_window->show();
        // Generous: a failure here is reported under the name of the test about to run.
        QVERIFY2(
            QTest::qWaitForWindowExposed(m_window.get(), 30000), "the slider's window was not exposed within 30 s");
    }

    void cleanup()
    {
        m_window.reset();
        m_slider = nullptr;
    }

    void draggingPrimaryFlagReportsEveryStep_data()
    {
        QTest::addColumn<int>("initialStart");
        QTest::addColumn<int>("initialEnd");
        QTest::addColumn<bool>("startFlag");
        QTest::addColumn<int>("target");
        QTest::addColumn<int>("expected");

        QTest::newRow("in flag to the right") << 20 << 80 << true << 30 << 30;
        QTest::newRow("in flag to the left") << 20 << 80 << true << 12 << 12;
        QTest::newRow("out flag to the left") << 20 << 80 << false << 70 << 70;
        QTest::newRow("out flag to the right") << 20 << 80 << false << 95 << 95;
        QTest::newRow("in flag stops at the out flag") << 20 << 30 << true << 40 << 30;
        QTest::newRow("out flag stops at the in flag") << 70 << 80 << false << 60 << 70;
    }

    void draggingPrimaryFlagReportsEveryStep()
    {
        QFETCH(int, initialStart);
        QFETCH(int, initialEnd);
        QFETCH(bool, startFlag);
        QFETCH(int, target);
        QFETCH(int, expected);

        m_slider->setPrimaryRange(initialStart, initialEnd);
        QSignalSpy rangeSpy(m_slider, &CWKSlider::valueChanged);
        QSignalSpy startSpy(m_slider, &CWKSlider::startDragging);
        QSignalSpy endSpy(m_slider, &CWKSlider::endDragging);
        QSignalSpy frameSpy(m_slider, &QSlider::valueChanged);

        const int held = startFlag ? initialStart : initialEnd;
        vDrag(held, target);

        QCOMPARE(startSpy.count(), 1);
        QCOMPARE(startSpy.at(0).at(0).toInt(), CWKSlider::kiPrimaryRangeId);
        QCOMPARE(startSpy.at(0).at(1).toBool(), startFlag);
        QCOMPARE(endSpy.count(), 1);
        QCOMPARE(endSpy.at(0).at(1).toBool(), startFlag);

        // The press reports the held end, then every frame it passes, ending where it stopped.
        QVERIFY(rangeSpy.count() >= 2);
        QCOMPARE(rangeSpy.first().at(2).toInt(), held);
        QCOMPARE(rangeSpy.last().at(2).toInt(), expected);
        int previous = held;
        for (const QList<QVariant>& args : rangeSpy) {
            QCOMPARE(args.at(0).toInt(), CWKSlider::kiPrimaryRangeId);
            QCOMPARE(args.at(1).toBool(), startFlag);
            QVERIFY(qAbs(args.at(2).toInt() - previous) <= 1);
            previous = args.at(2).toInt();
        }

        QCOMPARE(startFlag ? m_slider->primaryStart() : m_slider->primaryEnd(), expected);
        QCOMPARE(startFlag ? m_slider->primaryEnd() : m_slider->primaryStart(),
                 startFlag ? initialEnd : initialStart);
        QCOMPARE(m_slider->value(), 50);
        QVERIFY(frameSpy.isEmpty());
        QCOMPARE(m_slider->dragMode(), int(CWKSlider::DragNone));
    }

    void draggingBodyOrClickingTrackMovesTheFrame_data()
    {
        QTest::addColumn<bool>("drag");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");

        QTest::newRow("drag handle right") << true << 50 << 70;
        QTest::newRow("drag handle left") << true << 50 << 35;
        QTest::newRow("click empty track") << false << 10 << 10;
        QTest::newRow("click between flags") << false << 65 << 65;
    }

    void draggingBodyOrClickingTrackMovesTheFrame()
    {
        QFETCH(bool, drag);
        QFETCH(int, from);
        QFETCH(int, to);

        m_slider->setPrimaryRange(0, 99);
        QSignalSpy frameSpy(m_slider, &QSlider::valueChanged);
        QSignalSpy rangeSpy(m_slider, &CWKSlider::valueChanged);
        if (drag)
            vDrag(from, to);
        else
            QTest::mouseClick(m_slider, Qt::LeftButton, Qt::NoModifier, at(from));

        QCOMPARE(m_slider->value(), to);
        QVERIFY(!frameSpy.isEmpty());
        QCOMPARE(frameSpy.last().at(0).toInt(), to);
        QVERIFY(rangeSpy.isEmpty());
        QCOMPARE(m_slider->primaryStart(), 0);
        QCOMPARE(m_slider->primaryEnd(), 99);
    }

    void stackedEndsGrabTheMovableOne_data()
    {
        QTest::addColumn<int>("frame");
        QTest::addColumn<bool>("startGrabbed");

        QTest::newRow("both on frame 40: start") << 40 << true;
        QTest::newRow("both on frame 0: end") << 0 << false;
    }

    void stackedEndsGrabTheMovableOne()
    {
        QFETCH(int, frame);
        QFETCH(bool, startGrabbed);

        m_slider->setValue(90);
        m_slider->setPrimaryRange(frame, frame);
        QSignalSpy startSpy(m_slider, &CWKSlider::startDragging);
        vDrag(frame, frame + 5);

        QCOMPARE(startSpy.count(), 1);
        QCOMPARE(startSpy.at(0).at(1).toBool(), startGrabbed);
        // A start held on frame 40 cannot pass its end; an end held on 0 pulls the two apart.
        QCOMPARE(m_slider->primaryStart(), frame);
        QCOMPARE(m_slider->primaryEnd(), startGrabbed ? frame : frame + 5);
    }

    void linkedRowMirrorsAroundCurrentFrame()
    {
        m_slider->setValue(20);
        m_slider->setRowAttribute(true, 0);
        m_slider->setRowAttributes(true, 3, 0);
        m_slider->setRowRange(0, 10, 30);
        QSignalSpy rangeSpy(m_slider, &CWKSlider::valueChanged);

        QCursor::setPos(0, 0);
        QTest::mousePress(m_slider, Qt::LeftButton, Qt::NoModifier, at(10));
        QCOMPARE(m_slider->dragMode(), int(CWKSlider::DragRowStart));

        QTest::mouseMove(m_slider, at(5));
        QCOMPARE(m_slider->rowFirst(0), 17);
        QCOMPARE(m_slider->rowLast(0), 23);

        QTest::mouseMove(m_slider, at(18));
        QCOMPARE(m_slider->rowFirst(0), 18);
        QCOMPARE(m_slider->rowLast(0), 22);

        // Past the current frame the ends would swap over; the start stops on the frame.
        QTest::mouseMove(m_slider, at(26));
        QCOMPARE(m_slider->rowFirst(0), 20);
        QCOMPARE(m_slider->rowLast(0), 20);
        QTest::mouseRelease(m_slider, Qt::LeftButton, Qt::NoModifier, at(26));

        QVERIFY(!rangeSpy.isEmpty());
        QCOMPARE(rangeSpy.last().at(0).toInt(), 0);
        QCOMPARE(rangeSpy.last().at(1).toBool(), true);
        QCOMPARE(rangeSpy.last().at(2).toInt(), 20);
    }

    void rowWithoutHandlesCannotBeGrabbed()
    {
        m_slider->setRowRange(0, 10, 30);
        QSignalSpy startSpy(m_slider, &CWKSlider::startDragging);
        QTest::mouseClick(m_slider, Qt::LeftButton, Qt::NoModifier, at(10));
        QVERIFY(startSpy.isEmpty());
        QCOMPARE(m_slider->value(), 10);
    }

    void hoverOverARangeEndShowsTheSizingCursor()
    {
        m_slider->setPrimaryRange(20, 80);
        // The move goes to the slider itself and is handled before the cursor is read: a real
        // pointer move would arrive whenever the X server gets to it.
        const auto cursorAfterMoveTo = [this](int frame) {
            const QPoint pos = at(frame);
            QMouseEvent move(QEvent::MouseMove, pos, m_slider->mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                             Qt::NoModifier);
            QApplication::sendEvent(m_slider, &move);
            return m_slider->cursor().shape();
        };
        QCOMPARE(cursorAfterMoveTo(20), Qt::SizeHorCursor);
        QCOMPARE(cursorAfterMoveTo(35), Qt::ArrowCursor);
    }

    void paintsRangesMarksAndDiamonds_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("frame");
        QTest::addColumn<int>("dx");
        QTest::addColumn<QString>("where");
        QTest::addColumn<QColor>("expected");
        QTest::addColumn<bool>("equal");

        const QColor markBlue(123, 174, 255);
        const QColor handleBlue(0, 32, 255);
        QTest::newRow("in flag") << true << 20 << 2 << "top" << QColor(Qt::red) << true;
        QTest::newRow("out flag") << true << 80 << -3 << "top" << QColor(Qt::red) << true;
        QTest::newRow("in line") << true << 20 << 0 << "middle-3" << QColor(Qt::red) << true;
        QTest::newRow("row 0 mark") << true << 42 << 0 << "top" << markBlue << true;
        QTest::newRow("row 0 gap") << true << 47 << 0 << "top" << QColor(Qt::gray) << true;
        QTest::newRow("row 1 mark") << true << 61 << 0 << "bottom" << markBlue << true;
        QTest::newRow("tick") << true << 12 << 0 << "tick" << QColor(220, 220, 70) << true;
        QTest::newRow("diamond") << true << 30 << 0 << "middle" << QColor(Qt::green) << true;
        QTest::newRow("row 0 handle") << true << 10 << 0 << "handle0" << handleBlue << true;
        QTest::newRow("row 1 handle") << true << 70 << 0 << "handle1" << handleBlue << true;
        QTest::newRow("current frame line") << true << 50 << 0 << "current" << QColor(Qt::white) << true;
        QTest::newRow("disabled in flag") << false << 20 << 2 << "top" << QColor(Qt::darkGray) << true;
        QTest::newRow("disabled mark") << false << 42 << 0 << "top" << QColor(Qt::darkGray) << true;
        QTest::newRow("disabled tick") << false << 12 << 0 << "tick" << QColor(80, 80, 80) << true;
        QTest::newRow("disabled diamond") << false << 30 << 0 << "middle" << QColor(Qt::darkGray) << true;
        QTest::newRow("disabled: no row handle") << false << 10 << 0 << "handle0" << handleBlue << false;
    }

    void paintsRangesMarksAndDiamonds()
    {
        QFETCH(bool, enabled);
        QFETCH(int, frame);
        QFETCH(int, dx);
        QFETCH(QString, where);
        QFETCH(QColor, expected);
        QFETCH(bool, equal);

        m_slider->setPrimaryRange(20, 80);
        vSetMarks(0, 40, 45);
        vSetMarks(1, 60, 62);
        m_slider->setRowAttribute(true, 0);
        m_slider->setRowRange(0, 10, 90);
        m_slider->setRowAttribute(true, 1);
        m_slider->setRowRange(1, 70, 75);
        m_slider->setMarkerTimes({30.f});
        m_slider->setEnabled(enabled);
        QVERIFY2(m_slider->tickStep() == 1, "100 frames on 600 pixels tick every frame");

        const QImage image = m_slider->grab().toImage();
        int px = x(frame) + dx;
        int py = 0;
        if (where == "top")
            py = 2;
        else if (where == "bottom")
            py = H() - 2;
        else if (where == "tick")
            py = H() - 3;
        else if (where == "middle")
            py = (H() + 1) / 2;
        else if (where == "middle-3")
            py = (H() + 1) / 2 - 3;
        else if (where == "handle0")
            py = 0;
        else if (where == "handle1")
            py = H() - 3;
        else if (where == "current") {
            px = m_slider->iFrameColumn(50);
            // The line runs one column right of the handle's centre.
            const QImage column = image.copy(px - 3, H() - 4, 7, 1);
            bool found = false;
            for (int i = 0; i < column.width(); ++i)
                found = found || column.pixelColor(i, 0) == expected;
            QVERIFY(found);
            return;
        }
        const QColor actual = pixel(image, px, py);
        if (equal)
            QCOMPARE(actual, expected);
        else
            QVERIFY(actual != expected);
    }

    void secondaryRangeLimitsAndTintsRowZero()
    {
        vSetMarks(0, 30, 45);
        m_slider->setSecondaryRange(40, 50);
        m_slider->setExtraMarker(true, 0.f, 0.f, 1.f, 1.f, 0.f, 0.f);
        const QImage image = m_slider->grab().toImage();

        const QColor gray(Qt::gray);
        const QColor tinted(qRound(0.6 * gray.red()), qRound(0.6 * gray.green()), qRound(0.4 * 255 + 0.6 * gray.blue()));
        const QColor inside = pixel(image, x(42), 2);
        QVERIFY2(qAbs(inside.red() - tinted.red()) <= 1 && qAbs(inside.blue() - tinted.blue()) <= 1,
                 qPrintable(inside.name()));
        // Marks outside the secondary range are not drawn: the strip shows through.
        QCOMPARE(pixel(image, x(35), 2), gray);
        // Feet below both ends, in the secondary colour composed over the strip.
        const QColor foot = pixel(image, x(40), 7);
        QVERIFY2(foot.red() > 140 && foot.green() < 50 && foot.blue() < 50, qPrintable(foot.name()));
    }

    void frameValuesGiveDiamondsOnlyWhereSet()
    {
        // Fewer values than frames: the rest of the range reads nothing beyond them.
        const int values[] = {0, 0, 0, 0, 0, 7, 0, 0};
        m_slider->setFrameValues(values, 8);
        const QImage image = m_slider->grab().toImage();
        const int middle = (H() + 1) / 2;
        QCOMPARE(pixel(image, x(5), middle), QColor(Qt::green));
        QVERIFY(pixel(image, x(3), middle) != QColor(Qt::green));
    }

    void clampRangeShowsOnlyThePrimaryRange_data()
    {
        QTest::addColumn<int>("clipFrames");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");

        QTest::newRow("plain") << 100 << 20 << 60 << 20 << 60;
        QTest::newRow("one frame in the middle widens upwards") << 100 << 5 << 5 << 5 << 6;
        QTest::newRow("the last frame widens downwards") << 100 << 99 << 99 << 98 << 99;
        QTest::newRow("the first frame widens upwards") << 100 << 0 << 0 << 0 << 1;
        QTest::newRow("inverted ends are put in order") << 100 << 60 << 20 << 20 << 60;
        QTest::newRow("a clip of one frame stays on frame 0") << 1 << 0 << 0 << 0 << 0;
    }

    void clampRangeShowsOnlyThePrimaryRange()
    {
        QFETCH(int, clipFrames);
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(int, min);
        QFETCH(int, max);

        m_slider->setFrameRange(0, clipFrames - 1);
        m_slider->initFrameMarks(false);
        m_slider->setPrimaryRange(start, end);
        m_slider->clampRange();
        QCOMPARE(m_slider->minimum(), min);
        QCOMPARE(m_slider->maximum(), max);
        QVERIFY(m_slider->tickStep() >= 1);
        QVERIFY(!m_slider->grab().isNull());
        QCOMPARE(m_slider->iFrameAtColumn(0), min);
        QCOMPARE(m_slider->iFrameAtColumn(kWidth - 1), max);
    }

    void degenerateRangesStaySafe_data()
    {
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("expectedMax");

        QTest::newRow("empty clip") << 0 << -1 << 0;
        QTest::newRow("inverted") << 10 << 5 << 10;
        QTest::newRow("single frame") << 0 << 0 << 0;
    }

    void degenerateRangesStaySafe()
    {
        QFETCH(int, min);
        QFETCH(int, max);
        QFETCH(int, expectedMax);

        m_slider->setFrameRange(min, max);
        m_slider->initFrameMarks(true);
        QCOMPARE(m_slider->minimum(), min);
        QCOMPARE(m_slider->maximum(), expectedMax);
        QCOMPARE(m_slider->tickStep(), 1);

        const char flags[] = {1, 1, 1, 1, 1};
        m_slider->setFrameMarks(flags, 1, 5);
        const int values[] = {1, 1, 1, 1, 1};
        m_slider->setFrameValues(values, 5);
        m_slider->setMarkerTimes({float(min), float(min) + 0.5f});
        QVERIFY(!m_slider->grab().isNull());
        QCOMPARE(m_slider->iFrameAtColumn(kWidth / 2), min);
        QTest::mouseClick(m_slider, Qt::LeftButton, Qt::NoModifier, QPoint(kWidth / 2, H() / 2));
        QCOMPARE(m_slider->value(), min);
    }

    void frameMarksSetTheRowRange_data()
    {
        QTest::addColumn<QList<int>>("marked");
        QTest::addColumn<unsigned>("count");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<bool>("earlierMarkStays");

        QTest::newRow("span of the marks") << QList<int>{12, 13, 40} << 100u << 12 << 40 << false;
        QTest::newRow("no marked frame") << QList<int>{} << 100u << 0 << 99 << false;
        // Nothing copied: the row, its marks and its range stay as they were.
        QTest::newRow("no entries") << QList<int>{} << 0u << 70 << 80 << true;
        // Entries beyond the count are not touched.
        QTest::newRow("count cuts the marks") << QList<int>{5, 60} << 50u << 5 << 5 << true;
    }

    void frameMarksSetTheRowRange()
    {
        QFETCH(QList<int>, marked);
        QFETCH(unsigned, count);
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(bool, earlierMarkStays);

        vSetMarks(0, 70, 80);
        std::vector<char> flags(100, 0);
        for (int frame : marked)
            flags[frame] = 1;
        m_slider->setFrameMarks(flags.data(), 0, count);
        QCOMPARE(m_slider->rowFirst(0), first);
        QCOMPARE(m_slider->rowLast(0), last);
        QCOMPARE(m_slider->rowMarked(0, 75), earlierMarkStays);
        for (int frame : marked)
            QCOMPARE(m_slider->rowMarked(0, frame), unsigned(frame) < count);
    }

    void stackedEndsAtAMinimumAboveZeroGrabTheStart()
    {
        m_slider->setFrameRange(10, 99);
        m_slider->setValue(90);
        m_slider->setPrimaryRange(10, 10);
        QSignalSpy startSpy(m_slider, &CWKSlider::startDragging);
        vDrag(10, 15);
        QCOMPARE(startSpy.count(), 1);
        QCOMPARE(startSpy.at(0).at(1).toBool(), true);
        QCOMPARE(m_slider->primaryStart(), 10);
        QCOMPARE(m_slider->primaryEnd(), 10);
    }

    void otherButtonReleaseKeepsTheDragGoing()
    {
        m_slider->setPrimaryRange(20, 60);
        QSignalSpy endSpy(m_slider, &CWKSlider::endDragging);
        QCursor::setPos(0, 0);
        QTest::mousePress(m_slider, Qt::LeftButton, Qt::NoModifier, at(60));
        QTest::mouseMove(m_slider, at(62));
        QTest::mousePress(m_slider, Qt::RightButton, Qt::NoModifier, at(62));
        QTest::mouseRelease(m_slider, Qt::RightButton, Qt::NoModifier, at(62));
        QCOMPARE(m_slider->dragMode(), int(CWKSlider::DragPrimaryEnd));
        QVERIFY(endSpy.isEmpty());
        QTest::mouseMove(m_slider, at(63));
        QTest::mouseMove(m_slider, at(64));
        QTest::mouseRelease(m_slider, Qt::LeftButton, Qt::NoModifier, at(64));
        QCOMPARE(endSpy.count(), 1);
        QCOMPARE(m_slider->dragMode(), int(CWKSlider::DragNone));
        QCOMPARE(m_slider->primaryEnd(), 64);
    }

    void marksFollowARangeGrownAfterInit()
    {
        m_slider->setFrameRange(0, 9);
        m_slider->initFrameMarks(false);
        m_slider->setFrameRange(0, 199);
        std::vector<char> flags(200, 0);
        flags[150] = 1;
        m_slider->setFrameMarks(flags.data(), 1, 200);
        QVERIFY(m_slider->rowMarked(1, 150));
        QCOMPARE(m_slider->rowFirst(1), 150);
        QVERIFY(!m_slider->grab().isNull());
    }

    void tickStepFollowsARangeSetWithSignalsBlocked()
    {
        m_slider->blockSignals(true);
        m_slider->setRange(0, 9999);
        m_slider->blockSignals(false);
        m_slider->initFrameMarks(false);

        const double pixels = x(9999) - x(0);
        QVERIFY(m_slider->tickStep() > 1);
        QVERIFY(m_slider->tickStep() * pixels / 9999.0 >= 4.0);
        QVERIFY((m_slider->tickStep() / 2) * pixels / 9999.0 < 4.0);
    }

    void initFrameMarksForgetsEverything()
    {
        m_slider->setPrimaryRange(10, 20);
        m_slider->setSecondaryRange(30, 40);
        m_slider->setExtraMarker(true, 0, 0, 1, 1, 0, 0);
        m_slider->setRowAttribute(true, 1);
        vSetMarks(0, 3, 4);
        m_slider->initFrameMarks(false);
        QCOMPARE(m_slider->primaryStart(), 0);
        QCOMPARE(m_slider->primaryEnd(), 99);
        QVERIFY(!m_slider->secondaryShown());
        QVERIFY(!m_slider->rowMarked(0, 3));
        QCOMPARE(m_slider->fullLength(), 100);
    }
};

PLINTRA_TEST_MAIN(TestCWKSlider)
#include "tst_cwkslider.moc"
