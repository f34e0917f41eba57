// What the engine writes for the exports: rendered clips and mattes as image files read
// back pixel for pixel, refusals that reach the message call-back and leave no file,
// tracking data that parses back to the surface's corners, shape data with its warning, and
// the file-map writer's overwrite questions.
#include "TestEnvironment.h"
#include "TrackingClips.h"

#include "Vosk.h"
#include "brandor.h"
#include "standin/DataExport.h"
#include "standin/imaging/Geometry.h"
#include "standin/testing.h"
#include "velmor.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cmath>

using standin::imaging::Homography;
using standin::imaging::Point2;

namespace {

QStringList g_messages;

void vExWarning(void*, const char*, const char* text)
{
    g_messages << QString::fromUtf8(text);
}

constexpr int kiExWidth = 64;
constexpr int kiExHeight = 48;
constexpr int kiExFrames = 10;
constexpr int kiExOffset = 1001;

// Frames <prefix>1001.png ... with a pattern of their own per frame and clip.
void vExWriteFrames(const QString& folder, const QString& prefix, int seed)
{
    QDir().mkpath(folder);
    for (int k = 0; k < kiExFrames; ++k) {
        QImage image(kiExWidth, kiExHeight, QImage::Format_RGB32);
        for (int y = 0; y < kiExHeight; ++y)
            for (int x = 0; x < kiExWidth; ++x)
                image.setPixel(x, y, qRgb((x * 3 + k * 7 + seed) & 255, (y * 5 + seed) & 255, (x * y + k) & 255));
        QVERIFY(image.save(QDir(folder).filePath(QStringLiteral("%1%2.png").arg(prefix).arg(kiExOffset + k))));
    }
}

CW_ClipInfo stctExFiles(const QString& folder, const QString& prefix, bool source)
{
    CW_ClipInfo files;
    files.qstrFolder = folder;
    files.qstrFileName = prefix;
    files.qstrThirdPart = QStringLiteral(".png");
    files.iFirstFileNumber = kiExOffset;
    files.iLastFileNumber = kiExOffset + kiExFrames - 1;
    files.iThirdNumber = 4;
    files.iImageFormat = 2;
    files.iImageType = 1;
    files.bSourceClip = source;
    return files;
}

CW_BaseClipInfo stctExBase(unsigned int width = kiExWidth, unsigned int height = kiExHeight, double aspect = 1.0)
{
    CW_BaseClipInfo base;
    base.uiWidth = width;
    base.uiHeight = height;
    base.uiCount = kiExFrames;
    base.iFirstIndex = kiExOffset;
    base.iFrameOffset = kiExOffset;
    base.dPixelAspectRatio = aspect;
    return base;
}

QImage imgExRead(const QString& path)
{
    return QImage(path).convertToFormat(QImage::Format_RGB32);
}

// The motion of a plane at frame k: turning, growing and foreshortening about its centre.
Homography homExMotion(int k)
{
    const double a = 0.04 * k;
    const double s = 1.0 + 0.03 * k;
    const Homography affine(
        {s * std::cos(a), -s * std::sin(a), 0, s * std::sin(a), s * std::cos(a), 0, 0.0004 * k, -0.0003 * k, 1});
    return Homography::translation(160 + 4.0 * k, 120 - 2.5 * k) * affine;
}

std::array<QPointF, 4> arrExTruth(int k)
{
    std::array<QPointF, 4> corners;
    const Point2 plane[4] = {{-50, -35}, {50, -35}, {50, 35}, {-50, 35}};
    for (int i = 0; i < 4; ++i) {
        const Point2 p = homExMotion(k).apply(plane[i]);
        corners[std::size_t(i)] = QPointF(p.x, p.y);
    }
    return corners;
}

double dExWorst(const std::array<QPointF, 4>& a, const std::array<QPointF, 4>& b)
{
    double worst = 0.0;
    for (std::size_t i = 0; i < 4; ++i)
        worst = std::max(worst, std::hypot(a[i].x() - b[i].x(), a[i].y() - b[i].y()));
    return worst;
}

// Corner pin text: per corner block, "\tframe\tx\ty" rows.
std::map<int, std::array<QPointF, 4>> mapExParseCornerPin(const QString& text)
{
    std::map<int, std::array<QPointF, 4>> out;
    const QStringList names = {QStringLiteral("Upper Left"), QStringLiteral("Upper Right"),
        QStringLiteral("Lower Right"), QStringLiteral("Lower Left")};
    int corner = -1;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("Corner Pin\t"))) {
            corner = int(names.indexOf(line.mid(11)));
            continue;
        }
        const QStringList cells = line.split(QLatin1Char('\t'));
        bool ok = false;
        const int frame = cells.size() == 4 ? cells[1].toInt(&ok) : 0;
        if (ok && corner >= 0)
            out[frame][std::size_t(corner)] = QPointF(cells[2].toDouble(), cells[3].toDouble());
    }
    return out;
}

// Node script: toN {x {f v f v ...} y {...}}, y up; to1..to4 from the bottom left round.
std::map<int, std::array<QPointF, 4>> mapExParseNodeScript(const QString& text, double height)
{
    std::map<int, std::array<QPointF, 4>> out;
    static const QRegularExpression kTo(QStringLiteral("to(\\d) \\{x \\{([^}]*)\\} y \\{([^}]*)\\}\\}"));
    const int corner[4] = {3, 2, 1, 0};
    auto it = kTo.globalMatch(text);
    while (it.hasNext()) {
        const auto m = it.next();
        const int n = m.captured(1).toInt() - 1;
        const QStringList xs = m.captured(2).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const QStringList ys = m.captured(3).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (int i = 0; i + 1 < xs.size() && i + 1 < ys.size(); i += 2)
            out[xs[i].toInt()][std::size_t(corner[n])] = QPointF(xs[i + 1].toDouble(), height - ys[i + 1].toDouble());
    }
    return out;
}

} // namespace

class TstExport : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString qstrPath(const QString& name) const { return QDir(m_dir.path()).filePath(name); }

    // Clip 1 the source sequence, clip 2 a rendered result of it.
    CW_Instance pProjectWithRender(const QString& name)
    {
        CW_Instance project = standin::testing::pCreateProject();
        vExWriteFrames(qstrPath(name + QStringLiteral("/source")), QStringLiteral("plate."), 0);
        vExWriteFrames(qstrPath(name + QStringLiteral("/render")), QStringLiteral("result."), 90);
        standin::testing::vRegisterClip(project, 1, stctExBase());
        standin::testing::vSetClipListing(project, 1, QStringLiteral("plate"),
            stctExFiles(qstrPath(name + QStringLiteral("/source")), QStringLiteral("plate."), true));
        standin::testing::vRegisterClip(project, 2, stctExBase());
        standin::testing::vSetClipListing(project, 2, QStringLiteral("result"),
            stctExFiles(qstrPath(name + QStringLiteral("/render")), QStringLiteral("result."), false), 1);
        QDir().mkpath(qstrPath(name + QStringLiteral("/out")));
        return project;
    }

    CW_ExportClipInfo stctRecord(const QString& name)
    {
        CW_ExportClipInfo info;
        info.eClip = 2;
        info.bSaveColour = true;
        info.iImageFormat = 2;
        info.iPixelType = 1;
        info.uiIndexStart = 1001;
        info.uiIndexWidth = 4;
        info.uiStartFrame = 0;
        info.uiEndFrame = kiExFrames - 1;
        info.setClipPath(qstrPath(name + QStringLiteral("/out/")));
        info.setClipPrefix(QStringLiteral("shot_"));
        info.setClipExtension(QStringLiteral(".png"));
        return info;
    }

    // A layer whose surface follows the known motion on every frame but the given one.
    int iLayerWithTrack(CW_Instance project, int missingFrame, double aspect = 1.0)
    {
        standin::testing::vRegisterClip(project, 1, stctExBase(320, 240, aspect));
        const int layer = standin::testing::iAddLayer(project, QStringLiteral("Card"));
        standin::LayerGeometry geometry;
        geometry.iShapeKind = CW_TOOL_ADD_XSPLINE_LAYER;
        for (int k = 0; k < kiExFrames; ++k)
            if (k != missingFrame)
                geometry.mapSurfaceKeys[unsigned(k)] = arrExTruth(k);
        standin::testing::vSetLayerGeometry(project, layer, geometry);
        standin::testing::vEditViewerState(project, [layer](standin::ViewerState& v) { v.iCurrentLayer = layer; });
        return layer;
    }

private slots:
    void initTestCase() { pstctBRD_GetCallbackStruct()->pfnWarningMessage = &vExWarning; }
    void init() { g_messages.clear(); }
    void cleanup() { standin::testing::vReset(); }

    // Ten rendered frames come back from the PNG files pixel for pixel, named by prefix,
    // padded index and extension; frames the render lacks come from the revert clip.
    void savesRenderedFramesPixelForPixel()
    {
        CW_Instance project = pProjectWithRender(QStringLiteral("pixels"));
        QVERIFY(QFile::remove(qstrPath(QStringLiteral("pixels/render/result.1004.png"))));
        CW_ExportClipInfo info = stctRecord(QStringLiteral("pixels"));
        info.eRevertClip = 1;
        QCOMPARE(ePrepareToSaveClip(project, &info, true, false), CW_STATUS_OK);
        vSaveClip(project, &info, "");
        QVERIFY2(g_messages.isEmpty(), qPrintable(g_messages.join(QLatin1Char('\n'))));
        for (int k = 0; k < kiExFrames; ++k) {
            const QString from
                = k == 3 ? QStringLiteral("pixels/source/plate.%1.png") : QStringLiteral("pixels/render/result.%1.png");
            const QImage written = imgExRead(qstrPath(QStringLiteral("pixels/out/shot_%1.png").arg(1001 + k)));
            QVERIFY2(!written.isNull(), qPrintable(QStringLiteral("frame %1 missing").arg(k)));
            QCOMPARE(written, imgExRead(qstrPath(from.arg(1001 + k))));
        }

        // Without a revert clip the missing frame is told, not invented.
        info.eRevertClip = 0;
        info.setClipPrefix(QStringLiteral("norevert_"));
        vSaveClip(project, &info, "");
        QVERIFY(!QFile::exists(qstrPath(QStringLiteral("pixels/out/norevert_1004.png"))));
        QVERIFY(QFile::exists(qstrPath(QStringLiteral("pixels/out/norevert_1005.png"))));
        QCOMPARE(g_messages.size(), 1);
    }

    void refusesWhatItCannotWrite_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("message");
        QTest::newRow("movie") << "movie"
                               << "Movies cannot be written";
        QTest::newRow("alpha into jpg") << "jpgalpha"
                                        << "cannot be written with the chosen channels";
        QTest::newRow("no such folder") << "nofolder"
                                        << "cannot be written to";
        QTest::newRow("read-only folder") << "readonly"
                                          << "cannot be written to";
        QTest::newRow("over the source files") << "source"
                                               << "a file of a clip of the project";
        QTest::newRow("over the rendered files") << "render"
                                                 << "a file of a clip of the project";
        QTest::newRow("reversed range") << "reversed"
                                        << "are not frames of the clip";
        QTest::newRow("past the last frame") << "past"
                                             << "are not frames of the clip";
        QTest::newRow("index width 0") << "width0"
                                       << "index width";
    }

    // Each refusal comes from the preparation and from the save itself, through the message
    // call-back, and writes nothing; the clip's own files stay as they were.
    void refusesWhatItCannotWrite()
    {
        QFETCH(QString, change);
        QFETCH(QString, message);
        const QString name = QStringLiteral("refuse_") + change;
        CW_Instance project = pProjectWithRender(name);
        CW_ExportClipInfo info = stctRecord(name);
        const QString source = qstrPath(name + QStringLiteral("/source/plate.1001.png"));
        const QByteArray sourceBytes = [&] {
            QFile f(source);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        if (change == QLatin1String("movie")) {
            info.setClipPrefix(QStringLiteral("/movie"));
            info.setClipExtension(QStringLiteral(".mov"));
            info.uiIndexWidth = 0;
        } else if (change == QLatin1String("jpgalpha")) {
            info.setClipExtension(QStringLiteral(".jpg"));
            info.iImageFormat = 3;
        } else if (change == QLatin1String("nofolder")) {
            info.setClipPath(qstrPath(name + QStringLiteral("/missing/")));
        } else if (change == QLatin1String("readonly")) {
            standin::testing::vSetReadOnlyFolder(qstrPath(name + QStringLiteral("/out")));
        } else if (change == QLatin1String("source") || change == QLatin1String("render")) {
            const bool src = change == QLatin1String("source");
            info.setClipPath(
                qstrPath(name + (src ? QStringLiteral("/source/") : QStringLiteral("/render/../render/"))));
            info.setClipPrefix(src ? QStringLiteral("plate.") : QStringLiteral("result."));
            info.uiIndexStart = 1005;
            info.uiEndFrame = 0;
        } else if (change == QLatin1String("reversed")) {
            info.uiStartFrame = 5;
            info.uiEndFrame = 4;
        } else if (change == QLatin1String("past")) {
            info.uiEndFrame = kiExFrames;
        } else if (change == QLatin1String("width0")) {
            info.uiIndexWidth = 0;
        }
        const QStringList before = QDir(qstrPath(name)).entryList(QDir::Files);
        QCOMPARE(ePrepareToSaveClip(project, &info, true, false), CW_STATUS_FAILED);
        vSaveClip(project, &info, "");
        standin::testing::vSetReadOnlyFolder(QString());
        QCOMPARE(g_messages.size(), 2);
        QVERIFY2(g_messages[0].contains(message), qPrintable(g_messages[0]));
        QVERIFY(QDir(qstrPath(name + QStringLiteral("/out"))).entryList(QDir::Files).isEmpty());
        QVERIFY(!QFile::exists(qstrPath(name + QStringLiteral("/movie.mov"))));
        QCOMPARE(QDir(qstrPath(name)).entryList(QDir::Files), before);
        QFile f(source);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), sourceBytes);
    }

    // The format check answers what the writers can write: alpha only where the format has
    // it, deep pixels only in deep formats, readers-only formats never.
    void formatCheckFollowsTheWriters_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("pixelType");
        QTest::addColumn<int>("supported");
        QTest::newRow("png RGBA") << "png" << 3 << 1 << 1;
        QTest::newRow("tif RGB 16-bit") << ".tif" << 2 << 3 << 1;
        QTest::newRow("jpg RGB") << "jpg" << 2 << 1 << 1;
        QTest::newRow("jpg RGBA") << "jpg" << 3 << 1 << 0;
        QTest::newRow("bmp grey alpha") << "bmp" << 1 << 1 << 0;
        QTest::newRow("jpg 16-bit") << "jpg" << 2 << 3 << 0;
        QTest::newRow("gif is read only") << "gif" << 2 << 1 << 0;
        QTest::newRow("movie") << "mov" << 2 << 1 << 0;
    }

    void formatCheckFollowsTheWriters()
    {
        QFETCH(QString, type);
        QFETCH(int, format);
        QFETCH(int, pixelType);
        QFETCH(int, supported);
        CW_CallbackStruct* callbacks = pstctBRD_GetCallbackStruct();
        vBRD_InitialiseCallbacks(false);
        QCOMPARE(callbacks->pfnIsFormatSupported(nullptr, type.toUtf8().constData(), format, pixelType, 0), supported);
    }

    // An alpha matte of a layer's shape covers the shape's area within 1%; RGB style keeps
    // the frame's colour with the matte as alpha.
    void mattesCoverTheShape()
    {
        CW_Instance project = pProjectWithRender(QStringLiteral("matte"));
        const int layer = standin::testing::iAddLayer(project, QStringLiteral("Quad"));
        standin::LayerGeometry geometry;
        geometry.iShapeKind = CW_TOOL_ADD_XSPLINE_LAYER;
        const std::vector<QPointF> quad = {{10.3, 6.6}, {51.2, 9.1}, {47.5, 40.4}, {14.8, 35.2}};
        for (const QPointF& p : quad)
            geometry.mapShapeKeys[0].push_back({p.x(), p.y(), 0, 0, 0, 0, 0.0});
        standin::testing::vSetLayerGeometry(project, layer, geometry);
        double area = 0.0;
        for (std::size_t i = 0; i < quad.size(); ++i) {
            const QPointF a = quad[i];
            const QPointF b = quad[(i + 1) % quad.size()];
            area += a.x() * b.y() - b.x() * a.y();
        }
        area = std::fabs(area) / 2.0;

        CW_ExportClipInfo info = stctRecord(QStringLiteral("matte"));
        info.bMattes = true;
        info.bSaveColour = false;
        info.bSaveAlpha = true;
        info.iImageFormat = 0;
        info.uiEndFrame = 1;
        info.aiLayers[0] = layer;
        info.aiLayers[1] = -1;
        QCOMPARE(ePrepareToSaveClip(project, &info, true, false), CW_STATUS_OK);
        vSaveClip(project, &info, "");
        QVERIFY2(g_messages.isEmpty(), qPrintable(g_messages.join(QLatin1Char('\n'))));
        const QImage matte
            = QImage(qstrPath(QStringLiteral("matte/out/shot_1002.png"))).convertToFormat(QImage::Format_Grayscale8);
        QCOMPARE(matte.size(), QSize(kiExWidth, kiExHeight));
        double covered = 0.0;
        int partial = 0;
        for (int y = 0; y < matte.height(); ++y)
            for (int x = 0; x < matte.width(); ++x) {
                const int v = matte.pixelColor(x, y).red();
                covered += v / 255.0;
                partial += v > 0 && v < 255;
            }
        QVERIFY2(
            std::fabs(covered - area) < 0.01 * area, qPrintable(QStringLiteral("%1 vs %2").arg(covered).arg(area)));
        QVERIFY2(partial > 20, "the edges are anti-aliased");

        info.bSaveColour = true;
        info.bSaveAlpha = false;
        info.iImageFormat = 3;
        info.setClipPrefix(QStringLiteral("rgb_"));
        vSaveClip(project, &info, "");
        const QImage rgb = QImage(qstrPath(QStringLiteral("matte/out/rgb_1001.png")));
        QVERIFY(rgb.hasAlphaChannel());
        const QImage frame = QImage(qstrPath(QStringLiteral("matte/render/result.1001.png")));
        QCOMPARE(qAlpha(rgb.pixel(30, 22)), 255);
        QCOMPARE(qAlpha(rgb.pixel(2, 2)), 0);
        QCOMPARE(qRed(rgb.pixel(30, 22)), qRed(frame.pixel(30, 22)));
    }

    // Each text format gives the known corners back within a pixel in its own axes; a frame
    // without a track is an error and is left out.
    void trackingTextsGiveTheCornersBack()
    {
        CW_Instance project = standin::testing::pCreateProject();
        iLayerWithTrack(project, 6);
        auto check = [](const std::map<int, std::array<QPointF, 4>>& got) {
            QCOMPARE(int(got.size()), kiExFrames - 1);
            QVERIFY(!got.count(1007));
            for (const auto& [frame, corners] : got) {
                const double worst = dExWorst(corners, arrExTruth(frame - kiExOffset));
                QVERIFY2(worst < 1.0, qPrintable(QStringLiteral("frame %1 off by %2").arg(frame).arg(worst)));
            }
        };
        CW_TrackingDataFormat text = CW_TrackingDataFormat::CORNER_PIN_TEXT();
        auto result
            = velmor::exportTrackingInfo(project, text, QString(), 0, CW_TRACKING_EXPORT_AS_TRACKED, CW_TRACKING_DATA);
        QVERIFY(result.pMap);
        QCOMPARE(result.uiErrors, 1u);
        QCOMPARE(result.pMap->keys(), QStringList {QString()});
        check(mapExParseCornerPin(result.pMap->value(QString())));

        CW_TrackingDataFormat node = CW_TrackingDataFormat::byName(QStringLiteral("Corner Pin Node Script"));
        result = velmor::exportTrackingInfo(
            project, node, QStringLiteral("a.cpnode"), 0, CW_TRACKING_EXPORT_AS_TRACKED, CW_OFFSET_TRACKING_DATA);
        QCOMPARE(result.pMap->keys(), QStringList {QStringLiteral("a.cpnode")});
        check(mapExParseNodeScript(result.pMap->value(QStringLiteral("a.cpnode")), 240.0));

        CW_TrackingDataFormat xml = CW_TrackingDataFormat::byName(QStringLiteral("Tracking XML"));
        result
            = velmor::exportTrackingInfo(project, xml, QString(), 0, CW_TRACKING_EXPORT_AS_TRACKED, CW_TRACKING_DATA);
        const auto read = standin::optReadTrackingXml(result.pMap->value(QString()));
        QVERIFY(read);
        QCOMPARE(read->qstrLayer, QStringLiteral("Card"));
        QCOMPARE(read->uiWidth, 320u);
        std::map<int, std::array<QPointF, 4>> corners(read->mapCorners.begin(), read->mapCorners.end());
        check(corners);
        QVERIFY(!standin::optReadTrackingXml(
            result.pMap->value(QString()).replace(QStringLiteral("x2="), QStringLiteral("q2="))));
    }

    // A plane with known motion, tracked through the engine from a layer drawn around it:
    // the corner-pin text, the node script and the XML give the true corners back within a
    // pixel on every frame, and stabilising data is the frame itself at its reference frame.
    void trackedClipExportsGiveTheTruthBack()
    {
        const int frames = 6;
        const QString first
            = trackclip::qstrWriteClip(qstrPath(QStringLiteral("tracked")), CW_MOTION_PERSPECTIVE, frames);
        QVERIFY(!first.isEmpty());
        CW_Instance project = standin::testing::pCreateProjectFromClip(first, QStringLiteral("plane"));
        // The frames are numbered for the user from the first file's number, as the exports number them.
        CW_BaseClipInfo base = *pcstctGetBaseClipInfo(project, 1);
        base.iFrameOffset = kiExOffset;
        vSetBaseClipInfo(project, 1, base);
        const int layer
            = trackclip::iDrawLayer(project, trackclip::vecCorners(trackclip::homMotion(CW_MOTION_PERSPECTIVE, 0)));
        QVERIFY(layer != 0);
        Vosk::CompositeCommand command;
        pGetTrackingParameters(project, layer)->pMotionModel->setStaticValue(CW_MOTION_PERSPECTIVE, &command);
        bMakeParameterChange(project, command, nullptr, 1.0f, true);
        QVERIFY(bUpdateLayerFrameToCurrentFrame(project));
        for (int k = 0; k + 1 < frames; ++k) {
            QVERIFY2(bTrackSelectionToNextFrame(project), standin::testing::strGetLastTrackMessage(project).c_str());
            QVERIFY(bMakeFrameCurrent(project, unsigned(k + 1)));
        }

        auto check = [frames](const std::map<int, std::array<QPointF, 4>>& got) {
            QCOMPARE(int(got.size()), frames);
            for (int k = 0; k < frames; ++k) {
                QVERIFY2(got.count(kiExOffset + k), qPrintable(QStringLiteral("frame %1").arg(kiExOffset + k)));
                const std::vector<QPointF> truth
                    = trackclip::vecCorners(trackclip::homMotion(CW_MOTION_PERSPECTIVE, k));
                const double worst = dExWorst(got.at(kiExOffset + k), {truth[0], truth[1], truth[2], truth[3]});
                QVERIFY2(worst < 1.0, qPrintable(QStringLiteral("frame %1 off by %2").arg(kiExOffset + k).arg(worst)));
            }
        };
        CW_TrackingDataFormat text = CW_TrackingDataFormat::CORNER_PIN_TEXT();
        auto result
            = velmor::exportTrackingInfo(project, text, QString(), 0, CW_TRACKING_EXPORT_AS_TRACKED, CW_TRACKING_DATA);
        QVERIFY(result.pMap);
        QCOMPARE(result.uiErrors, 0u);
        check(mapExParseCornerPin(result.pMap->value(QString())));

        CW_TrackingDataFormat node = CW_TrackingDataFormat::byName(QStringLiteral("Corner Pin Node Script"));
        result = velmor::exportTrackingInfo(
            project, node, QStringLiteral("p.cpnode"), 0, CW_TRACKING_EXPORT_AS_TRACKED, CW_TRACKING_DATA);
        QVERIFY(result.pMap);
        check(mapExParseNodeScript(result.pMap->value(QStringLiteral("p.cpnode")), double(trackclip::kiHeight)));

        CW_TrackingDataFormat xml = CW_TrackingDataFormat::byName(QStringLiteral("Tracking XML"));
        result
            = velmor::exportTrackingInfo(project, xml, QString(), 0, CW_TRACKING_EXPORT_AS_TRACKED, CW_TRACKING_DATA);
        QVERIFY(result.pMap);
        const auto read = standin::optReadTrackingXml(result.pMap->value(QString()));
        QVERIFY(read);
        check(std::map<int, std::array<QPointF, 4>>(read->mapCorners.begin(), read->mapCorners.end()));

        const unsigned int reference = 2;
        result = velmor::exportTrackingInfo(
            project, text, QString(), reference, CW_TRACKING_EXPORT_INVERTED, CW_STABILIZE_DATA);
        QVERIFY(result.pMap);
        const auto pins = mapExParseCornerPin(result.pMap->value(QString()));
        const double w = trackclip::kiWidth;
        const double h = trackclip::kiHeight;
        const std::array<QPointF, 4> frame = {QPointF(0, 0), QPointF(w, 0), QPointF(w, h), QPointF(0, h)};
        QVERIFY(pins.count(kiExOffset + int(reference)));
        QVERIFY(dExWorst(pins.at(kiExOffset + int(reference)), frame) < 1e-3);
        QVERIFY(dExWorst(pins.at(kiExOffset + frames - 1), frame) > 5.0);
    }

    // Inverted (stabilising) data is the identity at the reference frame and elsewhere
    // carries the frame's corners back by the motion, whatever the option.
    void invertedDataStabilises_data()
    {
        QTest::addColumn<int>("option");
        QTest::newRow("stabilise") << int(CW_STABILIZE_DATA);
        QTest::newRow("tracking data") << int(CW_TRACKING_DATA);
    }

    void invertedDataStabilises()
    {
        QFETCH(int, option);
        CW_Instance project = standin::testing::pCreateProject();
        iLayerWithTrack(project, -1);
        CW_TrackingDataFormat text = CW_TrackingDataFormat::CORNER_PIN_TEXT();
        const unsigned int reference = 4;
        const auto result = velmor::exportTrackingInfo(
            project, text, QString(), reference, CW_TRACKING_EXPORT_INVERTED, CW_TRACKING_OPTION(option));
        QCOMPARE(result.uiErrors, 0u);
        const auto got = mapExParseCornerPin(result.pMap->value(QString()));
        const std::array<QPointF, 4> frame = {QPointF(0, 0), QPointF(320, 0), QPointF(320, 240), QPointF(0, 240)};
        QVERIFY(dExWorst(got.at(1005), frame) < 1e-3);
        // Frame 1009's pin, moved by the motion from the reference to frame 1009, is the frame.
        const Homography motion = homExMotion(8) * *standin::imaging::homInverse(homExMotion(int(reference)));
        std::array<QPointF, 4> moved;
        for (std::size_t i = 0; i < 4; ++i) {
            const Point2 p = motion.apply({got.at(1009)[i].x(), got.at(1009)[i].y()});
            moved[i] = QPointF(p.x, p.y);
        }
        QVERIFY2(dExWorst(moved, frame) < 0.01, qPrintable(QString::number(dExWorst(moved, frame))));
        QVERIFY(dExWorst(got.at(1009), frame) > 5.0);
    }

    // Per-corner files: four files named after the chosen one, square pixels, y up.
    void cornerFilesAreFourFiles()
    {
        CW_Instance project = standin::testing::pCreateProject();
        iLayerWithTrack(project, -1, 2.0);
        CW_TrackingDataFormat files = CW_TrackingDataFormat::byName(QStringLiteral("Per-Corner Track Files"));
        QCOMPARE(files.iSingleText, 0);
        const auto result = velmor::exportTrackingInfo(
            project, files, QStringLiteral("/t/card.trk"), 0, CW_TRACKING_EXPORT_AS_TRACKED, CW_TRACKING_DATA);
        QCOMPARE(result.pMap->keys(),
            (QStringList {QStringLiteral("/t/card_ll.trk"), QStringLiteral("/t/card_lr.trk"),
                QStringLiteral("/t/card_ul.trk"), QStringLiteral("/t/card_ur.trk")}));
        const QStringList row = result.pMap->value(QStringLiteral("/t/card_ur.trk"))
                                    .split(QLatin1Char('\n'))
                                    .filter(QRegularExpression(QStringLiteral("^1003 ")))
                                    .value(0)
                                    .split(QLatin1Char(' '));
        QCOMPARE(row.size(), 3);
        QVERIFY(std::fabs(row[1].toDouble() - 2.0 * arrExTruth(2)[1].x()) < 1e-3);
        QVERIFY(std::fabs(row[2].toDouble() - (240.0 - arrExTruth(2)[1].y())) < 1e-3);
        // With no layer, or no export mode, nothing is exported.
        standin::testing::vEditViewerState(project, [](standin::ViewerState& v) { v.iCurrentLayer = 0; });
        QVERIFY(!velmor::exportTrackingInfo(
            project, files, QStringLiteral("x"), 0, CW_TRACKING_EXPORT_AS_TRACKED, CW_TRACKING_DATA)
                     .pMap);
    }

    // The products' options: the plug-in edition does not offer the node script.
    void productsOfferTheirFormats()
    {
        QVERIFY(qstrGetTrackExportOptions(QStringLiteral("plintra"))
                    .contains(CW_TrackingDataFormat::byName(QStringLiteral("Corner Pin Node Script")).qstrOptionKey));
        QVERIFY(!qstrGetTrackExportOptions(QStringLiteral("plintra4ae"))
                     .contains(CW_TrackingDataFormat::byName(QStringLiteral("Corner Pin Node Script")).qstrOptionKey));
        QVERIFY(!qstrGetShapeExportOptions(QStringLiteral("plintra4ae"))
                     .contains(CW_ShapeDataFormat::byName(QStringLiteral("SVG Paths per Frame")).qstrOptionKey));
    }

    // The mask path warns for an X-spline shape, not for a Bezier one; SVG writes one file a
    // frame with every layer in scope and has no clipboard text.
    void shapeFormats()
    {
        CW_Instance project = standin::testing::pCreateProject();
        standin::testing::vRegisterClip(project, 1, stctExBase());
        const int bezier = standin::testing::iAddLayer(project, QStringLiteral("Bez"));
        const int xspline = standin::testing::iAddLayer(project, QStringLiteral("Xs"));
        const int hidden = standin::testing::iAddLayer(project, QStringLiteral("Hidden"));
        standin::LayerGeometry g;
        g.iShapeKind = CW_TOOL_ADD_BEZIER_LAYER;
        g.mapShapeKeys[0] = {{10, 10, -2, 0, 2, 0, 0}, {30, 10, 0, -2, 0, 2, 0}, {20, 30, 2, 0, -2, 0, 0}};
        standin::testing::vSetLayerGeometry(project, bezier, g);
        g.iShapeKind = CW_TOOL_ADD_XSPLINE_LAYER;
        standin::testing::vSetLayerGeometry(project, xspline, g);
        standin::testing::vSetLayerGeometry(project, hidden, g, false);

        CW_ShapeDataFormat mask = CW_ShapeDataFormat::MASK_PATH_TEXT();
        standin::testing::vEditViewerState(project, [bezier](standin::ViewerState& v) { v.iCurrentLayer = bezier; });
        auto map = velmor::exportShapeInfo(project, mask, QString(), CW_SHAPE_EXPORT_SELECTED);
        QVERIFY(map && !map->contains(QStringLiteral("__ERROR__")));
        QVERIFY(
            map->value(QString()).contains(QStringLiteral("\t1001\t10.0000 10.0000 -2.0000 0.0000 2.0000 0.0000;")));
        standin::testing::vEditViewerState(project, [xspline](standin::ViewerState& v) { v.iCurrentLayer = xspline; });
        map = velmor::exportShapeInfo(project, mask, QString(), CW_SHAPE_EXPORT_SELECTED);
        QVERIFY(map->contains(QStringLiteral("__ERROR__")));

        CW_ShapeDataFormat svg = CW_ShapeDataFormat::byName(QStringLiteral("SVG Paths per Frame"));
        QVERIFY(velmor::exportShapeInfo(project, svg, QString(), CW_SHAPE_EXPORT_ALL)->isEmpty());
        map = velmor::exportShapeInfo(project, svg, QStringLiteral("/s/shapes.svg"), CW_SHAPE_EXPORT_VISIBLE);
        QCOMPARE(map->size(), kiExFrames);
        const QString first = map->value(QStringLiteral("/s/shapes_1001.svg"));
        QVERIFY(first.contains(QStringLiteral("id=\"Bez\"")) && first.contains(QStringLiteral("id=\"Xs\"")));
        QVERIFY(!first.contains(QStringLiteral("Hidden")));
        map = velmor::exportShapeInfo(project, svg, QStringLiteral("/s/shapes.svg"), CW_SHAPE_EXPORT_ALL);
        QVERIFY(map->value(QStringLiteral("/s/shapes_1010.svg")).contains(QStringLiteral("Hidden")));
    }

    // The writer asks once per existing file with its full path; No keeps that file and the
    // others are written; a read-only folder, the clipboard's entry or no map is a failure.
    void writerAsksPerExistingFile()
    {
        const QString folder = qstrPath(QStringLiteral("writer"));
        QDir().mkpath(folder);
        const QString kept = folder + QStringLiteral("/a.txt");
        const QString over = folder + QStringLiteral("/b.txt");
        const QString fresh = folder + QStringLiteral("/c.txt");
        for (const QString& path : {kept, over}) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("old");
        }
        auto map = std::make_shared<QMap<QString, QString>>();
        map->insert(kept, QStringLiteral("new a"));
        map->insert(over, QStringLiteral("new b"));
        map->insert(fresh, QStringLiteral("new c"));
        map->insert(QStringLiteral("__ERROR__"), QStringLiteral("a warning, not a file"));
        QStringList asked;
        QVERIFY(velmor::writeFileMap(map, [&](const QString& path) {
            asked << path;
            return path != kept;
        }));
        QCOMPARE(asked, (QStringList {kept, over}));
        auto read = [](const QString& path) {
            QFile f(path);
            return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
        };
        QCOMPARE(read(kept), QStringLiteral("old"));
        QCOMPARE(read(over), QStringLiteral("new b"));
        QCOMPARE(read(fresh), QStringLiteral("new c"));
        QVERIFY(!QFile::exists(folder + QStringLiteral("/__ERROR__")));

        standin::testing::vSetReadOnlyFolder(folder);
        QVERIFY(!velmor::writeFileMap(map, [](const QString&) { return true; }));
        standin::testing::vSetReadOnlyFolder(QString());
        QCOMPARE(read(over), QStringLiteral("new b"));
        auto clipboard = std::make_shared<QMap<QString, QString>>();
        clipboard->insert(QString(), QStringLiteral("text"));
        QVERIFY(!velmor::writeFileMap(clipboard, [](const QString&) { return true; }));
        QVERIFY(!velmor::writeFileMap(nullptr, [](const QString&) { return true; }));
    }
};

PLINTRA_TEST_MAIN(TstExport)
#include "tst_export.moc"
