// The frame slider under the viewer: the value is the current frame; on top of the plain
// slider it paints ticks, two rows of per-frame marks, the primary range (play in and out
// points, id 10), the secondary range (the current layer's frames, id 11), per-row ranges
// (ids 0 and 1) and keyframe diamonds, and lets the user drag every range end.
#pragma once

#include <QSlider>
#include <QVector>
#include <array>
#include <vector>

class QPainter;
class QStyleOptionSlider;

class CWKSlider : public QSlider {
    Q_OBJECT
public:
    // Ids carried by the range signals besides the row numbers 0 and 1.
    static constexpr int kiPrimaryRangeId = 10;
    static constexpr int kiSecondaryRangeId = 11;

    enum DragMode {
        DragNone = 0,
        DragHandle = 1,
        DragPrimaryStart = 2,
        DragPrimaryEnd = 3,
        DragSecondaryStart = 4,
        DragSecondaryEnd = 5,
        DragRowStart = 6,
        DragRowEnd = 7,
    };

    explicit CWKSlider(QWidget* parent = nullptr);
    ~CWKSlider() override;

    // Forgets everything set since the last call and starts over for the current range.
    void initFrameMarks(bool fieldTicks);
    // An inverted range collapses onto its minimum.
    void setFrameRange(int min, int max);
    // Shows only the primary range.
    void clampRange();
    void setFrameMarks(const char* flags, int row, unsigned count);
    void setFrameValues(const int* values, unsigned count);
    void setMarkerTimes(QVector<float> times);
    void setRowAttributes(bool linked, int halfWidth, int row);
    void setRowAttribute(bool handles, int row);
    void setExtraMarker(bool shown, float red1, float green1, float blue1, float red2, float green2, float blue2);

    int primaryStart() const { return m_iPrimaryStart; }
    int primaryEnd() const { return m_iPrimaryEnd; }
    void setPrimaryStart(int frame);
    void setPrimaryEnd(int frame);
    void setPrimaryRange(int start, int end);
    int secondaryStart() const { return m_iSecondaryStart; }
    int secondaryEnd() const { return m_iSecondaryEnd; }
    void setSecondaryRange(int start, int end);
    bool secondaryShown() const { return m_bSecondaryShown; }
    int rowFirst(int row) const;
    int rowLast(int row) const;
    void setRowRange(int row, int first, int last);
    bool rowMarked(int row, int frame) const;
    int tickStep() const { return m_iTickStep; }
    int fullLength() const { return m_iFullLength; }
    int dragMode() const { return m_iDragMode; }

    // The pixel column of a frame, and the frame under a pixel column.
    int iFrameColumn(int frame) const;
    int iFrameAtColumn(int x) const;

    // The inherited valueChanged(int) stays the current-frame signal; this one hides it
    // from name lookup, so connect to that one through &QSlider::valueChanged.
signals:
    void valueChanged(int id, bool start, int value);
    void startDragging(int id, bool start);
    void endDragging(int id, bool start);

public slots:
    void sltRangeChanged(int min, int max);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Geometry {
        int iGrooveLeft = 0;
        int iSpan = 0;
        int iHalf = 1;
        QRect rctHandle;
    };
    Geometry geoSlider() const;
    void vStyleOption(QStyleOptionSlider& option) const;
    int iColumn(const Geometry& geo, int frame) const;
    int iHitTest(const QPoint& point, int& id, bool& start) const;
    bool bRowIndex(int row) const { return row == 0 || row == 1; }
    void vEnsureMarkRows();
    int* pHeldEnd(int id, bool start);
    void vDragEnd(int x);
    void vPaintMarkRow(QPainter& painter, const Geometry& geo, int row, int height);
    void vPaintMarkers(QPainter& painter, const Geometry& geo, int height);

    int m_iTickStep = 1;
    bool m_bMarkerSourceTimes = false;
    QVector<float> m_vecMarkerTimes;
    std::vector<int> m_vecFrameValues;
    bool m_bHasFrameValues = false;
    std::array<std::vector<char>, 2> m_arrMarkRows;
    int m_iPrimaryStart = 0;
    int m_iPrimaryEnd = 0;
    int m_iSecondaryStart = 0;
    int m_iSecondaryEnd = 0;
    bool m_bSecondaryShown = false;
    std::array<float, 3> m_arrSecondaryColour1 = {0.f, 0.f, 0.f};
    std::array<float, 3> m_arrSecondaryColour2 = {0.f, 0.f, 0.f};
    std::array<bool, 2> m_arrRowLinked = {false, false};
    std::array<int, 2> m_arrRowHalfWidth = {0, 0};
    std::array<bool, 2> m_arrRowHandles = {false, false};
    std::array<int, 2> m_arrRowFirst = {0, 0};
    std::array<int, 2> m_arrRowLast = {0, 0};
    int m_iDragMode = DragNone;
    int m_iDragId = 0;
    bool m_bDragStart = false;
    bool m_bTrackingBeforeDrag = true;
    int m_iFullLength = 1;
    bool m_bFieldTicks = false;
};
