// The real program on a generated clip of a moving plane: the user creates the project,
// draws a Bezier shape around the plane with the mouse, tracks it forwards with the Render
// menu's key, saves and quits; the project file then holds the track on every frame.
#include "TestEnvironment.h"
#include "TrackingClips.h"
#include "XcbDriver.h"

#include "velmor.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>

#include <cmath>
#include <csignal>
#include <map>

using namespace xdriver;

namespace {

// Pixels of the generated clip carry a tint (green 10 above red, blue 10 below) that no
// control of the window has.
bool bTkClipPixel(QRgb p)
{
    return std::abs(qGreen(p) - qRed(p) - 10) <= 3 && std::abs(qRed(p) - qBlue(p) - 10) <= 3 && qRed(p) > 40;
}

// Where the viewer shows the clip in the window: the bounding box of the clip's pixels.
QRect rectTkShownClip(quint32 window)
{
    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(WId(window)).toImage();
    int left = shot.width();
    int top = shot.height();
    int right = -1;
    int bottom = -1;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (bTkClipPixel(shot.pixel(x, y))) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// The surface keys of the first layer in a project file: frame to the eight coordinates.
std::map<unsigned int, std::vector<double>> mapTkSurfaces(const QByteArray& file)
{
    std::map<unsigned int, std::vector<double>> surfaces;
    for (const QByteArray& line : file.split('\n')) {
        if (!line.startsWith("surface="))
            continue;
        const QList<QByteArray> parts = line.mid(8).simplified().split(' ');
        if (parts.size() != 9)
            continue;
        std::vector<double> corners;
        for (int i = 1; i < 9; ++i)
            corners.push_back(parts[i].toDouble());
        surfaces.emplace(parts[0].toUInt(), corners);
    }
    return surfaces;
}

} // namespace

class TstTracking : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_home;

    QProcessEnvironment environment() const
    {
        return envOwnHome(m_home.path());
    }

private slots:
    void drawTrackSaveAndTheTrackIsInTheFile()
    {
        QVERIFY(m_home.isValid());
        const xcb_keycode_t enter = uiKeycode(0xff0d);
        const xcb_keycode_t b = uiKeycode(0x62);
        // ">" is Shift and the full stop's key.
        const xcb_keycode_t greater = uiKeycode(0x2e);
        const xcb_keycode_t s = uiKeycode(0x73);
        if (!enter || !b || !greater || !s)
            QSKIP("the X server maps no Return, b, > or s key");
        {
            QSettings settings(
                m_home.filePath(QStringLiteral("config/Corvane Works Ltd/Plintra.conf")), QSettings::IniFormat);
            settings.setValue(QStringLiteral("FirstRun"), false);
            settings.setValue(QStringLiteral("update/auto"), false);
            settings.setValue(QStringLiteral("RelativeOutputDirectory"), QString());
        }
        const int frames = 5;
        const QString folder = m_home.filePath(QStringLiteral("plates"));
        const QString clip = testenv::qstrWriteTrackingClip(folder, CW_MOTION_TRANSLATION, frames);
        QVERIFY(!clip.isEmpty());
        auto projectFile = [&] {
            const QStringList found = QDir(folder).entryList({QStringLiteral("*.pln")}, QDir::Files);
            return found.isEmpty() ? QString() : QDir(folder).filePath(found.first());
        };

        QProcess program;
        program.setProcessEnvironment(environment());
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(QStringLiteral(PLINTRA_BINARY), {clip});
        QVERIFY(program.waitForStarted(10000));
        // A failing check leaves no program behind.
        struct Ender {
            QProcess& process;
            ~Ender()
            {
                if (process.state() != QProcess::NotRunning) {
                    process.kill();
                    process.waitForFinished(10000);
                }
            }
        } ender {program};
        const quint32 dialog = uiWaitForWindow(QStringLiteral("New Project"), 60000);
        QVERIFY2(dialog, "the clip did not open the new-project dialog");
        QVERIFY2(bPressUntil(
                     dialog, enter, [&] { return !projectFile().isEmpty(); }, 90000),
            "Return in the new-project dialog created no project file");
        const QString file = projectFile();
        const QString title = QStringLiteral("Plintra 2.0 - ") + file;
        const quint32 window = uiWaitForWindow(title, 30000);
        QVERIFY(window);
        QString seen;
        QVERIFY2(bWaitForTitle(window, title, 30000, seen), qPrintable(seen));

        // Ctrl+B takes the Bezier layer tool; the clicks land on the plane's corners as the
        // viewer shows them, and a click on the first point closes the shape. A key or a
        // click the program drops while its focus settles is given again until its point shows.
        QRect shown;
        QTRY_VERIFY_WITH_TIMEOUT((shown = rectTkShownClip(window)).width() > 100, 30000);
        const double scale = double(shown.width()) / testenv::kiTrackingClipWidth;
        QVERIFY2(std::abs(shown.height() - scale * testenv::kiTrackingClipHeight) < 4.0, "the clip is not shown whole");
        const std::vector<QPointF> truth0 = testenv::vecTrackingTruth(CW_MOTION_TRANSLATION, 0);
        auto at = [&](const QPointF& image) {
            return QPoint(int(std::lround(shown.left() + (image.x() + 0.5) * scale - 0.5)),
                int(std::lround(shown.top() + (image.y() + 0.5) * scale - 0.5)));
        };
        auto marked = [&](const QPoint& p) {
            const QImage shot = QGuiApplication::primaryScreen()->grabWindow(WId(window)).toImage();
            for (int dy = -3; dy <= 3; ++dy)
                for (int dx = -3; dx <= 3; ++dx) {
                    const QRgb c = shot.pixel(p + QPoint(dx, dy));
                    if (qBlue(c) > 180 && qRed(c) < 90 && qGreen(c) < 90)
                        return true;
                }
            return false;
        };
        bool started = false;
        for (int attempt = 0; attempt < 8 && !started; ++attempt) {
            QVERIFY(bFocusWindow(window, true));
            QTest::qWait(500);
            QVERIFY(bSendKey(window, b, kuiControl));
            QTest::qWait(500);
            QVERIFY(bClick(window, at(truth0[0]).x(), at(truth0[0]).y()));
            for (int i = 0; i < 20 && !started; ++i) {
                QTest::qWait(100);
                started = marked(at(truth0[0]));
            }
        }
        QVERIFY2(started, "the Bezier tool put no point where it was clicked");
        for (std::size_t i = 1; i < truth0.size(); ++i) {
            const QPoint p = at(truth0[i]);
            bool placed = false;
            for (int attempt = 0; attempt < 5 && !placed; ++attempt) {
                QVERIFY(bClick(window, p.x(), p.y()));
                for (int wait = 0; wait < 20 && !placed; ++wait) {
                    QTest::qWait(100);
                    placed = marked(p);
                }
            }
            QVERIFY2(placed, qPrintable(QStringLiteral("no point %1 where it was clicked").arg(i)));
        }
        // The closing click makes the layer, which the title's " *" shows; a dropped click is
        // given again only after a patient wait, so that it never starts a second shape.
        const QString changed = title + QStringLiteral(" *");
        bool closed = false;
        for (int attempt = 0; attempt < 3 && !closed; ++attempt) {
            QVERIFY(bClick(window, at(truth0[0]).x(), at(truth0[0]).y()));
            closed = bWaitForTitle(window, changed, 15000, seen);
        }
        QVERIFY2(closed, qPrintable(QStringLiteral("no layer drawn: ") + seen));

        // ">" tracks forwards to the clip's end; Ctrl+S writes the track.
        const QString lastKey = QStringLiteral("surface=%1 ").arg(frames - 1);
        bool saved = false;
        for (int attempt = 0; attempt < 6 && !saved; ++attempt) {
            QVERIFY(bPressUntil(
                window, greater, [] { return true; }, 30000, kuiShift, true));
            QTest::qWait(3000);
            saved = bPressUntil(
                window, s, [&] { return baRead(file).contains(lastKey.toUtf8()); }, 20000, kuiControl, true);
        }
        QVERIFY2(saved, baRead(file).constData());

        ::kill(pid_t(program.processId()), SIGTERM);
        QVERIFY(program.waitForFinished(30000));

        // The surface moves with the plane from the frame it was drawn on.
        const auto surfaces = mapTkSurfaces(baRead(file));
        QVERIFY(surfaces.count(0));
        for (int k = 1; k < frames; ++k) {
            QVERIFY2(surfaces.count(unsigned(k)), qPrintable(QStringLiteral("no surface key at frame %1").arg(k)));
            const std::vector<QPointF> truth = testenv::vecTrackingTruth(CW_MOTION_TRANSLATION, k);
            const QPointF moved = truth[0] - truth0[0];
            for (int c = 0; c < 4; ++c) {
                const double dx = surfaces.at(unsigned(k))[std::size_t(2 * c)] - surfaces.at(0)[std::size_t(2 * c)];
                const double dy
                    = surfaces.at(unsigned(k))[std::size_t(2 * c + 1)] - surfaces.at(0)[std::size_t(2 * c + 1)];
                QVERIFY2(std::hypot(dx - moved.x(), dy - moved.y()) < 1.0,
                    qPrintable(QStringLiteral("frame %1 corner %2 off by %3 px")
                                   .arg(k)
                                   .arg(c)
                                   .arg(std::hypot(dx - moved.x(), dy - moved.y()))));
            }
        }
    }
};

PLINTRA_TEST_MAIN(TstTracking)
#include "tst_tracking.moc"
