#pragma once

#include "track/Flight.h"

#include <QImage>
#include <QPainterPath>
#include <QSize>
#include <QString>
#include <QStringList>

#include <vector>

// The overlay: what a pilot lays over the clip, drawn for one record at a
// time on a transparent picture. Three items, each switchable: the text of
// the record's block as the computed subtitle file holds it after its cue
// line, outlined so that it reads on sky and ground; a minimap of the track
// with home and the moving marker; gauges of speed and height. Sizes follow
// the picture's height. The privacy zone holds here as in the files: no home
// and no position inside the zone on the map.

enum class OverlayCorner { TopLeft, TopRight, BottomLeft, BottomRight };

enum OverlayItem { OverlayText = 1, OverlayMap = 2, OverlayGauges = 4, OverlayAllItems = 7 };

struct OverlayLook {
    QSize Size{1920, 1080};
    OverlayCorner Corner = OverlayCorner::BottomLeft;  // of the text; the map and gauges take the other side
    int Items = OverlayAllItems;
};

// The text lines of block `text` after its cue line (all of them when it
// has none), without the empty lines that end it.
QStringList OverlayTextLines(const QString& text);

class OverlayPainter {
public:
    // `pattern` is the output pattern of the subtitle file; the flight is
    // kept by reference and must outlive the painter.
    OverlayPainter(const Flight& flight, const QString& pattern, const OverlayLook& look);

    // The picture for record `index` (ARGB32, premultiplied); a fully
    // transparent one for an index outside the flight (no record covers that
    // moment).
    QImage Frame(int index) const;
    // Draws it into `image` (of the look's size), transparent but within
    // `dirty`, which is cleared first; returns the part drawn on (the
    // `dirty` of the next call on the same image).
    QRect Draw(int index, QImage& image, const QRect& dirty) const;

    const OverlayLook& Look() const { return m_look; }

private:
    QRectF DrawText(QPainter& painter, int index) const;
    void DrawMap(QPainter& painter, int index) const;
    void DrawGauges(QPainter& painter, int index) const;
    QPointF Project(double latDeg, double lonDeg) const;
    QPointF MapPoint(std::size_t i) const;
    QRectF CornerRect(QSizeF size, bool left, bool top) const;

    const Flight& m_flight;
    QString m_pattern;
    OverlayLook m_look;
    double m_unit = 1.0;  // a thousandth of the picture's height, in pixels
    // The map: its box, the track drawn once (points outside the zone), the
    // projection of each point into the box.
    QRectF m_mapRect;
    QImage m_mapBase;
    std::vector<bool> m_hidden;  // per point: inside the privacy zone
    double m_minX = 0, m_minY = 0, m_scale = 1, m_offsetX = 0, m_offsetY = 0, m_cosLat = 1;
    // The gauges: their boxes, dials drawn once, the top of each scale.
    QRectF m_speedRect, m_heightRect;
    QImage m_dialBase;
    double m_speedTopKmh = 50, m_heightTopM = 100;
    bool m_hasHeights = true;
};
