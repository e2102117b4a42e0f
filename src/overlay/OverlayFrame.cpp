#include "overlay/OverlayFrame.h"

#include "output/PrivacyZone.h"
#include "output/SrtWriter.h"
#include "track/FlightFigures.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace {

const QColor kShade(0, 0, 0, 110);      // behind the map and the gauges
const QColor kTrack(255, 255, 255);
const QColor kOutline(0, 0, 0, 220);
const QColor kMarker(255, 196, 0);
const QColor kNeedle(255, 196, 0);

// A round number at or above `value` (1, 2 or 5 times a power of ten).
double RoundedTop(double value, double least)
{
    value = std::max(value, least);
    const double power = std::pow(10.0, std::floor(std::log10(value)));
    for (const double step : {1.0, 2.0, 5.0, 10.0}) {
        if (value <= step * power)
            return step * power;
    }
    return 10.0 * power;
}

QFont OverlayFont(double pixels)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
    font.setBold(true);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

// Outlined text: the text in dark shifted round a circle of `outline`
// pixels, then in white on top, readable on sky and ground. Each copy comes
// from Qt's glyph cache: stroking the glyphs' outlines as paths costs fifty
// times as much at 1080p.
void OutlinedText(QPainter& painter, const QPointF& baseline, const QFont& font, const QString& text, double outline)
{
    painter.setFont(font);
    painter.setPen(kOutline);
    const int steps = 12;
    for (int k = 0; k < steps; ++k) {
        const double angle = 2 * M_PI * k / steps;
        painter.drawText(baseline + QPointF(std::cos(angle) * outline, std::sin(angle) * outline), text);
    }
    painter.setPen(Qt::white);
    painter.drawText(baseline, text);
}

} // namespace

QStringList OverlayTextLines(const QString& text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    for (int i = 0; i < lines.size(); ++i) {
        if (lines[i].contains(QLatin1String("-->"))) {
            lines = lines.mid(i + 1);
            break;
        }
    }
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    return lines;
}

OverlayPainter::OverlayPainter(const Flight& flight, const QString& pattern, const OverlayLook& look)
    : m_flight(flight), m_pattern(pattern), m_look(look)
{
    m_unit = m_look.Size.height() / 1000.0;
    const bool left = m_look.Corner == OverlayCorner::TopLeft || m_look.Corner == OverlayCorner::BottomLeft;
    const bool top = m_look.Corner == OverlayCorner::TopLeft || m_look.Corner == OverlayCorner::TopRight;
    const Track& points = m_flight.Points;
    m_hasHeights = FlightHasHeights(m_flight);

    // The map, in the corner across from the text.
    const double side = 260 * m_unit;
    m_mapRect = CornerRect(QSizeF(side, side), !left, top);
    m_hidden.assign(points.size(), false);
    double minLat = 90, maxLat = -90, minLon = 180, maxLon = -180;
    bool any = false;
    const auto include = [&](double lat, double lon) {
        any = true;
        minLat = std::min(minLat, lat);
        maxLat = std::max(maxLat, lat);
        minLon = std::min(minLon, lon);
        maxLon = std::max(maxLon, lon);
    };
    for (std::size_t i = 0; i < points.size(); ++i) {
        m_hidden[i] = InPrivacyZone(m_flight.PrivacyRadiusM, m_flight.Log.Records[i], points[i].Lat, points[i].Lon);  // the map draws the estimate
        if (!m_hidden[i] && std::isfinite(points[i].Lat) && std::isfinite(points[i].Lon))
            include(points[i].Lat, points[i].Lon);
    }
    if (!HasPrivacyZone(m_flight) && !points.empty())
        include(m_flight.Log.Records.front().HomeLat, m_flight.Log.Records.front().HomeLon);
    if (any) {
        m_cosLat = std::cos((minLat + maxLat) / 2 * M_PI / 180.0);
        const double width = (maxLon - minLon) * m_cosLat, height = maxLat - minLat;
        const double inner = side - 40 * m_unit;
        m_scale = inner / std::max({width, height, 1e-9});
        m_minX = minLon * m_cosLat;
        m_minY = minLat;
        m_offsetX = m_mapRect.left() + (side - width * m_scale) / 2;
        m_offsetY = m_mapRect.top() + (side - height * m_scale) / 2;
    }
    m_mapBase = QImage(m_mapRect.size().toSize(), QImage::Format_ARGB32_Premultiplied);
    m_mapBase.fill(Qt::transparent);
    {
        QPainter painter(&m_mapBase);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(-m_mapRect.topLeft());
        painter.setPen(Qt::NoPen);
        painter.setBrush(kShade);
        painter.drawRoundedRect(m_mapRect, 16 * m_unit, 16 * m_unit);
        // The track: a line between neighbours of one recording, both outside the zone.
        std::vector<bool> starts(points.size(), false);
        for (const TrackRecording& r : m_flight.Recordings) {
            if (r.First < starts.size())
                starts[r.First] = true;
        }
        for (std::size_t c : m_flight.ClipStarts) {
            if (c < starts.size())
                starts[c] = true;
        }
        for (const auto& [pen, width] : {std::pair<QColor, double>(kOutline, 7 * m_unit), {kTrack, 3.5 * m_unit}}) {
            QPainterPath path;
            bool open = false;
            for (std::size_t i = 0; i < points.size(); ++i) {
                if (m_hidden[i] || !std::isfinite(points[i].Lat) || !std::isfinite(points[i].Lon)) {
                    open = false;
                    continue;
                }
                if (!open || starts[i])
                    path.moveTo(MapPoint(i));
                else
                    path.lineTo(MapPoint(i));
                open = true;
            }
            painter.setPen(QPen(pen, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.setBrush(Qt::NoBrush);
            painter.drawPath(path);
        }
        if (!HasPrivacyZone(m_flight) && !points.empty()) {
            const FlightRecord& home = m_flight.Log.Records.front();
            // Home: an outlined square with an H.
            const QPointF h = Project(home.HomeLat, home.HomeLon);
            const double s = 18 * m_unit;
            painter.setPen(QPen(kOutline, 2 * m_unit));
            painter.setBrush(QColor(40, 120, 255));
            painter.drawRect(QRectF(h.x() - s / 2, h.y() - s / 2, s, s));
            painter.setPen(Qt::white);
            painter.setFont(OverlayFont(14 * m_unit));
            painter.drawText(QRectF(h.x() - s / 2, h.y() - s / 2, s, s), Qt::AlignCenter, QStringLiteral("H"));
        }
    }

    // The gauges, above or below the map.
    const double dial = 200 * m_unit;
    const QRectF gauges = CornerRect(QSizeF(2 * dial + 20 * m_unit, dial), !left, !top);
    m_speedRect = QRectF(gauges.topLeft(), QSizeF(dial, dial));
    m_heightRect = QRectF(gauges.topLeft() + QPointF(dial + 20 * m_unit, 0), QSizeF(dial, dial));
    double topSpeed = 0, topHeight = 0;
    for (const TrackPoint& p : points) {
        if (std::isfinite(p.SpeedMs))
            topSpeed = std::max(topSpeed, KmhFromMs(p.SpeedMs));
        if (std::isfinite(p.HeightM))
            topHeight = std::max(topHeight, p.HeightM);
    }
    m_speedTopKmh = RoundedTop(topSpeed, 10);
    m_heightTopM = RoundedTop(topHeight, 10);
    m_dialBase = QImage(gauges.size().toSize(), QImage::Format_ARGB32_Premultiplied);
    m_dialBase.fill(Qt::transparent);
    QPainter painter(&m_dialBase);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(-gauges.topLeft());
    for (const auto& [rect, topValue, unit] :
         {std::tuple<QRectF, double, QString>(m_speedRect, m_speedTopKmh, QStringLiteral("km/h")),
          {m_heightRect, m_heightTopM, QStringLiteral("m")}}) {
        if (&rect == &m_heightRect && !m_hasHeights)
            continue;
        painter.setPen(Qt::NoPen);
        painter.setBrush(kShade);
        painter.drawEllipse(rect);
        const QPointF centre = rect.center();
        const double radius = rect.width() / 2 - 12 * m_unit;
        painter.setPen(QPen(Qt::white, 3 * m_unit, Qt::SolidLine, Qt::RoundCap));
        for (int tick = 0; tick <= 10; ++tick) {
            const double angle = (225.0 - 27.0 * tick) * M_PI / 180.0;
            const double inner = tick % 5 == 0 ? radius - 18 * m_unit : radius - 9 * m_unit;
            painter.drawLine(centre + QPointF(std::cos(angle) * inner, -std::sin(angle) * inner),
                             centre + QPointF(std::cos(angle) * radius, -std::sin(angle) * radius));
        }
        painter.setPen(Qt::white);
        painter.setFont(OverlayFont(18 * m_unit));
        painter.drawText(QRectF(rect.left(), rect.bottom() - 50 * m_unit, rect.width(), 24 * m_unit), Qt::AlignCenter,
                         unit + QStringLiteral(" (") + QString::number(topValue) + QLatin1Char(')'));
    }
}

QRectF OverlayPainter::CornerRect(QSizeF size, bool left, bool top) const
{
    const double margin = 30 * m_unit;
    const double x = left ? margin : m_look.Size.width() - margin - size.width();
    const double y = top ? margin : m_look.Size.height() - margin - size.height();
    return QRectF(QPointF(x, y), size);
}

QPointF OverlayPainter::Project(double latDeg, double lonDeg) const
{
    const double bottom = m_mapRect.bottom() - (m_offsetY - m_mapRect.top());
    return QPointF((lonDeg * m_cosLat - m_minX) * m_scale + m_offsetX, bottom - (latDeg - m_minY) * m_scale);
}

QPointF OverlayPainter::MapPoint(std::size_t i) const
{
    return Project(m_flight.Points[i].Lat, m_flight.Points[i].Lon);
}

QImage OverlayPainter::Frame(int index) const
{
    QImage image(m_look.Size, QImage::Format_ARGB32_Premultiplied);
    Draw(index, image, image.rect());
    return image;
}

QRect OverlayPainter::Draw(int index, QImage& image, const QRect& dirty) const
{
    // Only what the last picture drew needs clearing: most of a picture
    // stays transparent.
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(dirty, Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (index < 0 || static_cast<std::size_t>(index) >= m_flight.Points.size()
        || static_cast<std::size_t>(index) >= m_flight.Log.Records.size())
        return QRect();
    painter.setRenderHint(QPainter::Antialiasing);
    QRectF drawn;
    if (m_look.Items & OverlayMap) {
        DrawMap(painter, index);
        drawn |= m_mapRect;
    }
    if (m_look.Items & OverlayGauges) {
        DrawGauges(painter, index);
        drawn |= m_speedRect | m_heightRect;
    }
    if (m_look.Items & OverlayText)
        drawn |= DrawText(painter, index);
    // Antialiased edges and outlines reach a little past the items' boxes.
    return drawn.toAlignedRect().adjusted(-8, -8, 8, 8) & image.rect();
}

QRectF OverlayPainter::DrawText(QPainter& painter, int index) const
{
    const QStringList lines = OverlayTextLines(RenderSrtRecord(m_flight, index, m_pattern));
    if (lines.isEmpty())
        return QRectF();
    const QFont font = OverlayFont(36 * m_unit);
    const QFontMetricsF metrics(font);
    const double lineHeight = metrics.lineSpacing();
    const bool left = m_look.Corner == OverlayCorner::TopLeft || m_look.Corner == OverlayCorner::BottomLeft;
    const bool top = m_look.Corner == OverlayCorner::TopLeft || m_look.Corner == OverlayCorner::TopRight;
    const double margin = 30 * m_unit;
    double y = top ? margin + metrics.ascent() : m_look.Size.height() - margin - metrics.descent()
                                                    - lineHeight * (lines.size() - 1);
    QRectF drawn;
    for (const QString& line : lines) {
        const double width = metrics.horizontalAdvance(line);
        const double x = left ? margin : m_look.Size.width() - margin - width;
        OutlinedText(painter, QPointF(x, y), font, line, 3 * m_unit);
        drawn |= QRectF(x, y - metrics.ascent(), width, metrics.height()).adjusted(-6 * m_unit, -6 * m_unit, 6 * m_unit,
                                                                                    6 * m_unit);
        y += lineHeight;
    }
    return drawn;
}

void OverlayPainter::DrawMap(QPainter& painter, int index) const
{
    painter.drawImage(m_mapRect.topLeft(), m_mapBase);
    const std::size_t i = static_cast<std::size_t>(index);
    if (m_hidden[i] || !std::isfinite(m_flight.Points[i].Lat) || !std::isfinite(m_flight.Points[i].Lon))
        return;
    const double r = 10 * m_unit;
    painter.setPen(QPen(kOutline, 3 * m_unit));
    painter.setBrush(kMarker);
    painter.drawEllipse(MapPoint(i), r, r);
}

void OverlayPainter::DrawGauges(QPainter& painter, int index) const
{
    painter.drawImage(m_speedRect.topLeft(), m_dialBase);
    const TrackPoint& p = m_flight.Points[static_cast<std::size_t>(index)];
    const double speedKmh = std::isfinite(p.SpeedMs) ? KmhFromMs(p.SpeedMs) : 0.0;
    for (const auto& [rect, value, top, shown] :
         {std::tuple<QRectF, double, double, bool>(m_speedRect, speedKmh, m_speedTopKmh, true),
          {m_heightRect, std::isfinite(p.HeightM) ? p.HeightM : 0.0, m_heightTopM, m_hasHeights}}) {
        if (!shown)
            continue;
        const QPointF centre = rect.center();
        const double fraction = std::clamp(value / top, 0.0, 1.0);
        const double angle = (225.0 - 270.0 * fraction) * M_PI / 180.0;
        const double length = rect.width() / 2 - 26 * m_unit;
        painter.setPen(QPen(kNeedle, 6 * m_unit, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(centre, centre + QPointF(std::cos(angle) * length, -std::sin(angle) * length));
        const QFont font = OverlayFont(40 * m_unit);
        const QString text = QString::number(value, 'f', 0);
        const double width = QFontMetricsF(font).horizontalAdvance(text);
        OutlinedText(painter, QPointF(centre.x() - width / 2, centre.y() + 30 * m_unit), font, text, 2.5 * m_unit);
    }
}
