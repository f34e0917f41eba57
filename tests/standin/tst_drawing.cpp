// Layers drawn through the viewer's input: the layer tools add points and close the shape
// on its first point into a new layer with the quad around it as its surface; the pointer
// drags points and surface corners, keyed at the current frame; each edit is one undo step;
// the project file keeps it all; the overlay draws outline, surface, grid and trace.
#include "TestEnvironment.h"

#include "brandor.h"
#include "standin/LayerGeometry.h"
#include "standin/testing.h"
#include "velmor.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QOpenGLWidget>
#include <QPainter>
#include <QTemporaryDir>
#include <QXmlErrorHandler>
#include <climits>
#include <cmath>

namespace {

constexpr int kiDrWidth = 240;
constexpr int kiDrHeight = 180;

QString qstrDrWriteClip(const QString& folder, int frames)
{
    QDir().mkpath(folder);
    for (int k = 0; k < frames; ++k) {
        QImage image(kiDrWidth, kiDrHeight, QImage::Format_RGB32);
        image.fill(QColor(60, 60, 60));
        if (!image.save(QDir(folder).filePath(QStringLiteral("shot.%1.png").arg(1001 + k))))
            return QString();
    }
    return QDir(folder).filePath(QStringLiteral("shot.1001.png"));
}

void vDrPress(CW_Instance project, const QPointF& at, bool autoKey = true)
{
    bool changed = false;
    vButtonDown(project, 0x20, changed, nullptr, autoKey, float(at.x()), float(at.y()), true, true, true, true, true,
        true, false, false, false, false, false, 0u, false, false, 0, false, false, false, false, false);
}

void vDrMove(CW_Instance project, const QPointF& to, bool autoKey = true)
{
    eMove(project, 0x20, autoKey, float(to.x()), float(to.y()), true, true, true, true, true, true, false, false,
        false, false, false, 0u, false, false, 0, false, false, false, false, false);
}

void vDrRelease(CW_Instance project, const QPointF& at, bool autoKey = true)
{
    vButtonUp(project, 0x20, autoKey, float(at.x()), float(at.y()), eGetCurrentToolType(project), INT_MAX, true, true,
        true, true, true, true, false, false, false, false, false, 0u, false, false, 0, false, false, false, false,
        false);
}

void vDrClick(CW_Instance project, const QPointF& at)
{
    vDrPress(project, at);
    vDrRelease(project, at);
}

const std::vector<QPointF> kDrPoints {{60, 50}, {180, 50}, {180, 130}, {60, 130}};

// Presses the four points with a layer tool and closes on the first (a little off it, as
// a hand would).
int iDrDraw(CW_Instance project, CW_TOOL tool)
{
    vSelectTool(project, tool, INT_MAX);
    for (const QPointF& p : kDrPoints)
        vDrClick(project, p);
    vDrClick(project, kDrPoints.front() + QPointF(2.0, -1.5));
    return iGetCurrentSelectionID(project);
}

class DrQuietHandler : public QXmlErrorHandler {
public:
    bool warning(const QXmlParseException&) override { return true; }
    bool error(const QXmlParseException&) override { return false; }
    bool fatalError(const QXmlParseException&) override { return false; }
    QString errorString() const override { return {}; }
};

CW_Instance pDrOpen(const QString& path)
{
    DrQuietHandler handler;
    CW_Color colours[5];
    ManagerSuite managers;
    return pOpenProject(pstctBRD_GetCallbackStruct(), nullptr, nullptr, QString(), nullptr, nullptr, QString(), false,
        path.toUtf8().constData(), 10, "", handler, nullptr, colours, managers, false);
}

// The viewer's drawing in a widget of the clip's size at zoom 1: the frame, then the
// selections with the switches given.
class DrView : public QOpenGLWidget {
public:
    CW_Instance m_project = nullptr;
    bool m_bGrid = false;
    bool m_bSurface = true;
    int m_iTrace = 0;
    bool m_bResult = false;
    std::string m_strError;

protected:
    void paintGL() override
    {
        vResizeWindow(m_project, width(), height());
        std::string error;
        bRenderCurrentFrame(m_project, false, true, error);
        m_strError.clear();
        m_bResult = bRenderSelections(m_project, CW_MODULE_TRACK, false, false, 0.0f, CW_Color {}, m_strError, false,
            0.0f, 0.0f, 0.0f, true, true, true, true, false, false, false, m_bSurface, false, false, false, m_bGrid, 4,
            2, false, false, false, true, true, 4294967295u, false, m_iTrace, false, false, false, false, false);
    }
};

bool bDrNear(const QColor& a, const QColor& b)
{
    return std::abs(a.red() - b.red()) < 30 && std::abs(a.green() - b.green()) < 30 && std::abs(a.blue() - b.blue()) < 30;
}

// Whether a pixel of the colour lies within a pixel of the image point.
bool bDrColourNear(const QImage& image, const QPointF& at, const QColor& colour)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const QPoint p(int(std::lround(at.x())) + dx, int(std::lround(at.y())) + dy);
            if (image.rect().contains(p) && bDrNear(image.pixelColor(p), colour))
                return true;
        }
    return false;
}

} // namespace

class TstDrawing : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_qstrFirst;

    QString qstrPath(const QString& name) const { return QDir(m_dir.path()).filePath(name); }

private slots:
    void initTestCase() { m_qstrFirst = qstrDrWriteClip(qstrPath(QStringLiteral("media")), 8); }

    void cleanup() { standin::testing::vReset(); }

    void pressesMakeALayer_data()
    {
        QTest::addColumn<int>("tool");
        QTest::newRow("Bezier") << int(CW_TOOL_ADD_BEZIER_LAYER);
        QTest::newRow("X-spline") << int(CW_TOOL_ADD_XSPLINE_LAYER);
    }

    // Four presses and one on the first point: one new layer, current, keyed at the current
    // frame with the quad around the curve as its surface; one undo step that takes it away
    // and a redo that brings it back.
    void pressesMakeALayer()
    {
        QFETCH(int, tool);
        CW_Instance project = standin::testing::pCreateProjectFromClip(m_qstrFirst, QStringLiteral("shot"));
        QVERIFY(bMakeFrameCurrent(project, 3));
        const std::size_t stepsBefore = standin::testing::vecGetUndoSteps(project).size();
        const int layer = iDrDraw(project, CW_TOOL(tool));
        QVERIFY(layer != 0);
        QCOMPARE(pglGetLayerIDList(project), std::vector<int> {layer});
        QVERIFY(pGetTrackingParameters(project, layer) != nullptr);
        QCOMPARE(eGetCurrentToolType(project), CW_TOOL_POINTER);
        QCOMPARE(uiGetCurrentSelectionFrameNumber(project), 3u);

        const standin::LayerGeometry g = standin::testing::stctGetLayerGeometry(project, layer);
        QCOMPARE(g.iShapeKind, tool);
        QCOMPARE(g.mapShapeKeys.size(), std::size_t(1));
        const std::vector<standin::ShapePoint>& shape = g.mapShapeKeys.at(3);
        QCOMPARE(shape.size(), kDrPoints.size());
        for (std::size_t i = 0; i < shape.size(); ++i)
            QCOMPARE(QPointF(shape[i].dX, shape[i].dY), kDrPoints[i]);
        // The surface is the box around the curve the points make.
        const std::vector<QPointF> outline = standin::vecShapeOutline(tool, shape);
        const standin::SurfaceCorners& surface = g.mapSurfaceKeys.at(3);
        for (const QPointF& p : outline) {
            QVERIFY(p.x() >= surface[0].x() - 1e-9 && p.x() <= surface[1].x() + 1e-9);
            QVERIFY(p.y() >= surface[0].y() - 1e-9 && p.y() <= surface[2].y() + 1e-9);
        }
        QCOMPARE(surface[0], QPointF(surface[3].x(), surface[0].y()));
        QCOMPARE(surface[1], QPointF(surface[2].x(), surface[1].y()));

        QCOMPARE(standin::testing::vecGetUndoSteps(project).size(), stepsBefore + 1);
        bool reRender = false;
        QVERIFY(bUndo(project, reRender));
        QVERIFY(pglGetLayerIDList(project).empty());
        QCOMPARE(iGetCurrentSelectionID(project), 0);
        QVERIFY(bRedo(project, reRender));
        QCOMPARE(pglGetLayerIDList(project), std::vector<int> {layer});
        QCOMPARE(standin::testing::stctGetLayerGeometry(project, layer).mapShapeKeys.at(3).size(), kDrPoints.size());
    }

    // A press near the first point closes only a shape of three points or more.
    void twoPointsDoNotClose()
    {
        CW_Instance project = standin::testing::pCreateProjectFromClip(m_qstrFirst, QStringLiteral("shot"));
        vSelectTool(project, CW_TOOL_ADD_BEZIER_LAYER, INT_MAX);
        vDrClick(project, kDrPoints[0]);
        vDrClick(project, kDrPoints[1]);
        vDrClick(project, kDrPoints[0]);
        QVERIFY(pglGetLayerIDList(project).empty());
        vDrClick(project, kDrPoints[0] + QPointF(1, 1));
        QCOMPARE(pglGetLayerIDList(project).size(), std::size_t(1));
    }

    void pointerDragsAreKeyed_data()
    {
        QTest::addColumn<bool>("corner");
        QTest::newRow("surface corner") << true;
        QTest::newRow("shape point") << false;
    }

    // A drag at another frame keys that frame alone, as one undo step; undoing it leaves the
    // first frame's key as it was.
    void pointerDragsAreKeyed()
    {
        QFETCH(bool, corner);
        CW_Instance project = standin::testing::pCreateProjectFromClip(m_qstrFirst, QStringLiteral("shot"));
        const int layer = iDrDraw(project, CW_TOOL_ADD_BEZIER_LAYER);
        const standin::LayerGeometry drawn = standin::testing::stctGetLayerGeometry(project, layer);
        QVERIFY(bMakeFrameCurrent(project, 5));
        const QPointF from = corner ? drawn.mapSurfaceKeys.at(0)[2] : kDrPoints[1];
        const QPointF to = from + QPointF(7.0, 9.0);
        const std::size_t stepsBefore = standin::testing::vecGetUndoSteps(project).size();
        vDrPress(project, from);
        QVERIFY(bGetControlPointSelected(project));
        vDrMove(project, from + QPointF(3.0, 3.0));
        vDrMove(project, to);
        vDrRelease(project, to);
        QCOMPARE(standin::testing::vecGetUndoSteps(project).size(), stepsBefore + 1);

        const standin::LayerGeometry moved = standin::testing::stctGetLayerGeometry(project, layer);
        QCOMPARE(moved.mapSurfaceKeys.at(0), drawn.mapSurfaceKeys.at(0));
        QCOMPARE(moved.mapShapeKeys.at(0), drawn.mapShapeKeys.at(0));
        if (corner) {
            QCOMPARE(moved.mapSurfaceKeys.at(5)[2], to);
            QCOMPARE(moved.mapShapeKeys.at(5), drawn.mapShapeKeys.at(0));
        } else {
            QCOMPARE(QPointF(moved.mapShapeKeys.at(5)[1].dX, moved.mapShapeKeys.at(5)[1].dY), to);
            QCOMPARE(moved.mapSurfaceKeys.at(5), drawn.mapSurfaceKeys.at(0));
        }
        bool reRender = false;
        QVERIFY(bUndo(project, reRender));
        const standin::LayerGeometry undone = standin::testing::stctGetLayerGeometry(project, layer);
        QVERIFY(!undone.mapSurfaceKeys.count(5));
        QVERIFY(!undone.mapShapeKeys.count(5));
        QCOMPARE(undone.mapSurfaceKeys.at(0), drawn.mapSurfaceKeys.at(0));
    }

    // Without auto-key a frame without a key of its own is left alone, and no step is made.
    void dragWithoutAutoKeyLeavesUnkeyedFrame()
    {
        CW_Instance project = standin::testing::pCreateProjectFromClip(m_qstrFirst, QStringLiteral("shot"));
        const int layer = iDrDraw(project, CW_TOOL_ADD_BEZIER_LAYER);
        QVERIFY(bMakeFrameCurrent(project, 4));
        const std::size_t stepsBefore = standin::testing::vecGetUndoSteps(project).size();
        vDrPress(project, kDrPoints[2], false);
        vDrMove(project, kDrPoints[2] + QPointF(10, 10), false);
        vDrRelease(project, kDrPoints[2] + QPointF(10, 10), false);
        QCOMPARE(standin::testing::vecGetUndoSteps(project).size(), stepsBefore);
        QVERIFY(!standin::testing::stctGetLayerGeometry(project, layer).mapShapeKeys.count(4));
    }

    // The pointer makes the layer under it current.
    void pointerSelectsLayer()
    {
        CW_Instance project = standin::testing::pCreateProjectFromClip(m_qstrFirst, QStringLiteral("shot"));
        const int first = iDrDraw(project, CW_TOOL_ADD_XSPLINE_LAYER);
        vSelectTool(project, CW_TOOL_ADD_XSPLINE_LAYER, INT_MAX);
        for (const QPointF& p : std::vector<QPointF> {{10, 10}, {40, 10}, {40, 40}, {10, 40}, {10, 10}})
            vDrClick(project, p);
        const int second = iGetCurrentSelectionID(project);
        QVERIFY(second != first && second != 0);
        vDrClick(project, QPointF(120, 90));
        QCOMPARE(iGetCurrentSelectionID(project), first);
        QVERIFY(!bGetControlPointSelected(project));
    }

    // Saved and opened again: shapes, surfaces and their keys to the last bit, the reference
    // frame and the tracking parameters.
    void saveAndReopenKeepsGeometry()
    {
        CW_Instance project = standin::testing::pCreateProjectFromClip(m_qstrFirst, QStringLiteral("shot"));
        const int bezier = iDrDraw(project, CW_TOOL_ADD_BEZIER_LAYER);
        QVERIFY(bMakeFrameCurrent(project, 6));
        vDrPress(project, kDrPoints[1]);
        vDrMove(project, QPointF(183.1 + 1.0 / 3.0, 47.7));
        vDrRelease(project, QPointF(183.1 + 1.0 / 3.0, 47.7));
        QVERIFY(bUpdateLayerFrameToCurrentFrame(project));
        CW_TrackingParameterSet* tracking = pGetTrackingParameters(project, bezier);
        tracking->pMotionModel->setValueAt(CW_MOTION_AFFINE, 6.0f);
        tracking->pSmoothingLevel->setStaticValue(1.25f);
        const int xspline = iDrDraw(project, CW_TOOL_ADD_XSPLINE_LAYER);
        const QString path = qstrPath(QStringLiteral("drawn.pln"));
        standin::testing::vWriteProjectFile(project, path, kuiProjectFileVersion);
        const standin::LayerGeometry a = standin::testing::stctGetLayerGeometry(project, bezier);
        const standin::LayerGeometry b = standin::testing::stctGetLayerGeometry(project, xspline);
        vCloseProject(project);

        CW_Instance reopened = pDrOpen(path);
        QVERIFY(reopened);
        const standin::LayerGeometry ra = standin::testing::stctGetLayerGeometry(reopened, bezier);
        const standin::LayerGeometry rb = standin::testing::stctGetLayerGeometry(reopened, xspline);
        QCOMPARE(ra.iShapeKind, int(CW_TOOL_ADD_BEZIER_LAYER));
        QCOMPARE(rb.iShapeKind, int(CW_TOOL_ADD_XSPLINE_LAYER));
        QVERIFY(ra.mapShapeKeys == a.mapShapeKeys);
        QVERIFY(ra.mapSurfaceKeys == a.mapSurfaceKeys);
        QVERIFY(rb.mapShapeKeys == b.mapShapeKeys);
        QVERIFY(rb.mapSurfaceKeys == b.mapSurfaceKeys);
        QCOMPARE(ra.mapShapeKeys.size(), std::size_t(2));
        CW_TrackingParameterSet* again = pGetTrackingParameters(reopened, bezier);
        QVERIFY(again);
        QCOMPARE(again->pMotionModel->valueAt(6.0f), int(CW_MOTION_AFFINE));
        QCOMPARE(again->pMotionModel->uiGetKeyCount(), 1u);
        QCOMPARE(again->pSmoothingLevel->valueAt(0.0f), 1.25f);
        standin::testing::vEditViewerState(reopened, [bezier](standin::ViewerState& v) { v.iCurrentLayer = bezier; });
        QVERIFY(bMakeFrameCurrent(reopened, 0));
        QCOMPARE(uiGetCurrentSelectionFrameNumber(reopened), 6u);
    }

    void damagedGeometryIsRefused_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("replacement");
        QTest::newRow("point count above the line") << QByteArray("shape=0 4 ") << QByteArray("shape=0 5 ");
        QTest::newRow("huge point count") << QByteArray("shape=0 4 ") << QByteArray("shape=0 2147483647 ");
        QTest::newRow("coordinate not finite") << QByteArray("surface=0 ") << QByteArray("surface=0 nan ");
        QTest::newRow("frame out of range") << QByteArray("surface=0 ") << QByteArray("surface=99999999999 ");
        QTest::newRow("unknown shape kind") << QByteArray("shape_kind=3") << QByteArray("shape_kind=1");
        QTest::newRow("reference frame below -1") << QByteArray("reference_frame=0") << QByteArray("reference_frame=-2");
        QTest::newRow("tracking value outside its limits") << QByteArray("name=Motion Model\ntype=int\nstatic=0")
                                                          << QByteArray("name=Motion Model\ntype=int\nstatic=9");
        QTest::newRow("tracking parameter unknown") << QByteArray("name=Motion Model\n")
                                                   << QByteArray("name=Motion Mode\n");
    }

    // Each value of the sections is bounded; a damaged one refuses the file, naming the damage.
    void damagedGeometryIsRefused()
    {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, replacement);
        CW_Instance project = standin::testing::pCreateProjectFromClip(m_qstrFirst, QStringLiteral("shot"));
        const int layer = iDrDraw(project, CW_TOOL_ADD_BEZIER_LAYER);
        pGetTrackingParameters(project, layer)->pMotionModel->setStaticValue(CW_MOTION_AFFINE);
        const QString path = qstrPath(QStringLiteral("damaged.pln"));
        standin::testing::vWriteProjectFile(project, path, kuiProjectFileVersion);
        vCloseProject(project);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QByteArray bytes = file.readAll();
        file.close();
        QVERIFY2(bytes.contains(line), bytes.constData());
        bytes.replace(bytes.indexOf(line), line.size(), replacement);
        const int at = bytes.lastIndexOf("checksum=");
        bytes.truncate(at);
        bytes += "checksum=" + QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex() + '\n';
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        QString message;
        try {
            pDrOpen(path);
        } catch (const CW_BadFile& error) {
            message = QString::fromStdString(error.strUserMessage());
        }
        QVERIFY2(message.startsWith(QStringLiteral("The project file is damaged and cannot be opened: ")),
            qPrintable(message));
    }

    // What the overlay draws: the outline in the selected layer's colour, the surface and,
    // when asked, its grid; a failure planted for the call draws nothing and reports itself.
    void selectionsAreDrawn()
    {
        CW_Instance project = standin::testing::pCreateProjectFromClip(m_qstrFirst, QStringLiteral("shot"));
        const int layer = iDrDraw(project, CW_TOOL_ADD_BEZIER_LAYER);
        const standin::LayerGeometry g = standin::testing::stctGetLayerGeometry(project, layer);
        DrView view;
        view.m_project = project;
        view.setFixedSize(kiDrWidth, kiDrHeight);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        const QColor selected(255, 255, 0);
        const QColor surfaceColour(165, 82, 255);
        // The outline alone first: the surface's edges touch the curve where it is widest.
        view.m_bSurface = false;
        const QImage curve = view.grabFramebuffer();
        QVERIFY2(view.m_bResult, view.m_strError.c_str());
        const std::vector<QPointF> outline = standin::vecShapeOutline(g.iShapeKind, g.mapShapeKeys.at(0));
        // Away from the points, whose markers and tangents are drawn over the curve.
        int onOutline = 0;
        int samples = 0;
        for (std::size_t i = 0; i < outline.size(); ++i) {
            if (i % 16 < 4 || i % 16 > 12)
                continue;
            ++samples;
            onOutline += bDrColourNear(curve, outline[i], selected) ? 1 : 0;
        }
        QCOMPARE(onOutline, samples);
        QVERIFY(!bDrColourNear(curve, (g.mapSurfaceKeys.at(0)[0] + g.mapSurfaceKeys.at(0)[2]) / 2.0, selected));
        view.m_bSurface = true;
        const QImage plain = view.grabFramebuffer();
        const standin::SurfaceCorners& s = g.mapSurfaceKeys.at(0);
        const QPointF topMiddle = (s[0] + s[1]) / 2.0;
        QVERIFY(bDrColourNear(plain, topMiddle, surfaceColour));
        // The grid's middle vertical line (4 by 2 cells) crosses the surface's centre.
        const QPointF centre = (s[0] + s[2]) / 2.0 + QPointF(0.0, 7.0);
        QVERIFY(!bDrColourNear(plain, centre, surfaceColour));
        view.m_bGrid = true;
        const QImage grid = view.grabFramebuffer();
        QVERIFY(bDrColourNear(grid, centre, surfaceColour));

        standin::testing::vSetDrawFault(project, "bRenderSelections", "The overlay is broken.");
        const QImage failed = view.grabFramebuffer();
        QVERIFY(!view.m_bResult);
        QCOMPARE(view.m_strError, std::string("The overlay is broken."));
        QVERIFY(!bDrColourNear(failed, topMiddle, surfaceColour));
    }
};

PLINTRA_TEST_MAIN(TstDrawing)
#include "tst_drawing.moc"
