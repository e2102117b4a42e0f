#pragma once

#include <QPoint>
#include <QPointF>
#include <QImage>
#include <QWidget>

#include <vector>

class QToolButton;
class TileSource;

// One point of the track as the map draws it.
struct MapPoint {
    double Lat = 0.0;  // degrees
    double Lon = 0.0;
    double Value = 0.0;  // what the colour shows (speed or height), NaN for grey
};

// The track on a slippy map, north up, Web Mercator at whole zoom levels:
// tiles from a TileSource under it (a plain background without), a scale
// bar, the home point (a square marked H), the start (an open circle), the
// end (a black dot), the playback marker, and the tiles' attribution. The
// wheel and the +/- buttons zoom, dragging pans, "Fit flight" shows the
// whole track again, a click on the track tells its point (PointClicked).
// With "Follow" checked (as it starts), a marker that would leave the view
// brings the view along, centred on it.
class MapView : public QWidget {
    Q_OBJECT

public:
    explicit MapView(TileSource* tiles, QWidget* parent = nullptr);

    // The track, its home and the top of the colour scale; fits the view to it.
    void SetTrack(std::vector<MapPoint> points, double homeLat, double homeLon, double topValue);
    // A text instead of a track (a log that could not be read); empty for none.
    void SetMessage(const QString& text);
    // The playback marker at point `index` (-1: none); with FollowButton
    // checked the view is centred on it when it would stand outside.
    void SetMarker(int index);
    // A privacy zone for a shared picture: one flag a point, set for the
    // points left out (with the lines to them and any marker on them); with
    // a zone the home point is left out too. Empty (as SetTrack leaves it):
    // no zone, everything drawn.
    void SetLeftOut(std::vector<bool> leftOut);
    // A picture laid over the map, centred and as it is (the overlay video's
    // frame of the moment); a null image: none.
    void SetOverlay(QImage frame);
    void FitFlight();
    void ZoomBy(int steps, const QPointF& around);

    int Zoom() const { return m_zoom; }
    // Where track point `index` stands in the widget.
    QPointF PointAt(int index) const;
    // The length in metres the scale bar stood for when last painted (0
    // before the first paint or without positions).
    double ScaleBarMetres() const { return m_scaleBarMetres; }

    QToolButton* ZoomInButton = nullptr;
    QToolButton* ZoomOutButton = nullptr;
    QToolButton* FitButton = nullptr;
    QToolButton* FollowButton = nullptr;  // checkable

    static constexpr int kMaxZoom = 19;

signals:
    // The track's point nearest a click, when it lies within a few pixels.
    void PointClicked(int index);

public:

    QSize sizeHint() const override { return {480, 330}; }
    QSize minimumSizeHint() const override { return {240, 200}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPointF World(double lat, double lon) const;  // pixels at m_zoom
    QPointF Screen(const QPointF& world) const;
    void DrawTiles(QPainter& painter);

    TileSource* m_tiles;
    std::vector<MapPoint> m_points;
    std::vector<QPointF> m_unit;  // Web Mercator positions on the unit square
    QPointF m_homeUnit;
    double m_topValue = 0.0;
    double m_meanLat = 0.0;
    QString m_message;
    int m_marker = -1;
    std::vector<bool> m_leftOut;  // empty, or one flag a point
    QImage m_overlay;
    int m_zoom = 2;
    QPointF m_centre;        // world pixels at m_zoom in the middle of the widget
    bool m_fitted = true;    // refit on resize until the user zooms or pans
    QPoint m_dragFrom;
    QPoint m_pressedAt;
    bool m_dragging = false;
    double m_scaleBarMetres = 0.0;
};

// The colour of a step at `value` on a scale up to `top`: hue from blue (0)
// to red (top); grey for a value that is NaN.
QColor ScaleColour(double value, double top);
