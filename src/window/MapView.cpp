#include "window/MapView.h"

#include "conversion/Messages.h"

#include "window/TileSource.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

const QColor kMapBackground(0xF4, 0xF3, 0xEA);
constexpr double kPi = 3.14159265358979323846;
constexpr double kEarthRadiusM = 6378137.0;  // the sphere of Web Mercator
constexpr int kTile = 256;
constexpr int kMargin = 22;
constexpr int kBarRoom = 34;  // below the track, for the scale bar

// The largest 1, 2 or 5 times a power of ten not above `metres`.
double RoundScaleLength(double metres)
{
    const double power = std::pow(10.0, std::floor(std::log10(metres)));
    for (double step : {5.0, 2.0, 1.0}) {
        if (step * power <= metres)
            return step * power;
    }
    return power;
}

QPointF Unit(double lat, double lon)
{
    const double clamped = std::clamp(lat, -85.0511, 85.0511) * kPi / 180.0;
    return {(lon + 180.0) / 360.0, (1.0 - std::log(std::tan(clamped) + 1.0 / std::cos(clamped)) / kPi) / 2.0};
}

double WorldSize(int zoom)
{
    return kTile * std::pow(2.0, zoom);
}

}  // namespace

QColor ScaleColour(double value, double top)
{
    if (std::isnan(value))
        return QColor(0x90, 0x90, 0x90);
    const double share = top > 0.0 ? std::clamp(value / top, 0.0, 1.0) : 0.0;
    return QColor::fromHsvF((1.0 - share) * 240.0 / 360.0, 1.0, 0.85);
}

MapView::MapView(TileSource* tiles, QWidget* parent)
    : QWidget(parent)
    , m_tiles(tiles)
{
    setMinimumSize(minimumSizeHint());
    setCursor(Qt::OpenHandCursor);
    auto button = [this](const QString& text, const QString& tip, const char* name) {
        auto* b = new QToolButton(this);
        b->setText(text);
        b->setToolTip(tip);
        b->setObjectName(QLatin1String(name));
        b->setCursor(Qt::ArrowCursor);
        return b;
    };
    ZoomInButton = button(QStringLiteral("+"), QStringLiteral("Zoom in"), "ZoomInButton");
    ZoomOutButton = button(QStringLiteral("\u2212"), QStringLiteral("Zoom out"), "ZoomOutButton");
    FitButton = button(QStringLiteral("Fit flight"), QStringLiteral("Show the whole flight"), "FitFlightButton");
    FollowButton = button(QStringLiteral("Follow"), QStringLiteral("Keep the playback marker in view"), "FollowMarkerButton");
    FollowButton->setCheckable(true);
    FollowButton->setChecked(true);
    connect(ZoomInButton, &QToolButton::clicked, this, [this] { ZoomBy(1, rect().center()); });
    connect(ZoomOutButton, &QToolButton::clicked, this, [this] { ZoomBy(-1, rect().center()); });
    connect(FitButton, &QToolButton::clicked, this, &MapView::FitFlight);
    connect(m_tiles, &TileSource::TileArrived, this, qOverload<>(&QWidget::update));
}

void MapView::SetTrack(std::vector<MapPoint> points, double homeLat, double homeLon, double topValue)
{
    m_points = std::move(points);
    m_unit.clear();
    m_unit.reserve(m_points.size());
    double latSum = 0.0;
    for (const MapPoint& p : m_points) {
        m_unit.push_back(Unit(p.Lat, p.Lon));
        latSum += p.Lat;
    }
    m_meanLat = m_points.empty() ? homeLat : latSum / m_points.size();
    m_homeUnit = Unit(homeLat, homeLon);
    m_topValue = topValue;
    m_message.clear();
    m_marker = -1;
    m_leftOut.clear();
    FitFlight();
}

void MapView::SetLeftOut(std::vector<bool> leftOut)
{
    m_leftOut = std::move(leftOut);
    update();
}

void MapView::SetMessage(const QString& text)
{
    m_message = text;
    if (!text.isEmpty()) {
        m_points.clear();
        m_unit.clear();
    }
    update();
}

void MapView::SetMarker(int index)
{
    m_marker = index;
    const QRectF inside = QRectF(rect()).adjusted(kMargin, kMargin, -kMargin, -kMargin);
    if (FollowButton->isChecked() && index >= 0 && index < int(m_unit.size()) && !inside.contains(PointAt(index)))
        m_centre = m_unit[index] * WorldSize(m_zoom);
    update();
}

QPointF MapView::World(double lat, double lon) const
{
    return Unit(lat, lon) * WorldSize(m_zoom);
}

QPointF MapView::Screen(const QPointF& world) const
{
    return world - m_centre + QPointF(width() / 2.0, height() / 2.0);
}

QPointF MapView::PointAt(int index) const
{
    if (index < 0 || index >= int(m_unit.size()))
        return {};
    return Screen(m_unit[index] * WorldSize(m_zoom));
}

void MapView::FitFlight()
{
    m_fitted = true;
    if (m_unit.empty()) {
        m_zoom = 2;
        m_centre = QPointF(WorldSize(m_zoom) / 2.0, WorldSize(m_zoom) / 2.0);
        update();
        return;
    }
    QRectF box(m_homeUnit, QSizeF(0, 0));
    for (const QPointF& p : m_unit)
        box |= QRectF(p, QSizeF(1e-12, 1e-12));
    const double roomW = std::max(1.0, width() - 2.0 * kMargin);
    const double roomH = std::max(1.0, height() - 2.0 * kMargin - 2.0 * kBarRoom);
    m_zoom = 0;
    while (m_zoom < kMaxZoom && box.width() * WorldSize(m_zoom + 1) <= roomW && box.height() * WorldSize(m_zoom + 1) <= roomH)
        ++m_zoom;
    m_centre = box.center() * WorldSize(m_zoom);
    update();
}

void MapView::ZoomBy(int steps, const QPointF& around)
{
    const int zoom = std::clamp(m_zoom + steps, 0, kMaxZoom);
    if (zoom == m_zoom)
        return;
    // The place under `around` stays where it is.
    const QPointF offset = around - QPointF(width() / 2.0, height() / 2.0);
    const double factor = std::pow(2.0, zoom - m_zoom);
    m_centre = (m_centre + offset) * factor - offset;
    m_zoom = zoom;
    m_fitted = false;
    update();
}

void MapView::resizeEvent(QResizeEvent*)
{
    const int size = ZoomInButton->sizeHint().height();
    ZoomInButton->setGeometry(6, 6, size, size);
    ZoomOutButton->setGeometry(6, 8 + size, size, size);
    FitButton->adjustSize();
    FitButton->move(12 + size, 6);
    FollowButton->adjustSize();
    FollowButton->move(FitButton->geometry().right() + 6, 6);
    if (m_fitted)
        FitFlight();
}

void MapView::wheelEvent(QWheelEvent* event)
{
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0)
        ZoomBy(steps, event->position());
    event->accept();
}

void MapView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    m_dragging = true;
    m_dragFrom = event->pos();
    m_pressedAt = event->pos();
    setCursor(Qt::ClosedHandCursor);
}

void MapView::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging)
        return;
    m_centre -= QPointF(event->pos() - m_dragFrom);
    m_dragFrom = event->pos();
    m_fitted = false;
    update();
}

void MapView::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_dragging && (event->pos() - m_pressedAt).manhattanLength() < 4;
    m_dragging = false;
    setCursor(Qt::OpenHandCursor);
    if (!click)
        return;
    int nearest = -1;
    double nearestPixels = 12.0;
    for (int i = 0; i < int(m_unit.size()); ++i) {
        const double pixels = QLineF(PointAt(i), event->localPos()).length();
        if (pixels < nearestPixels)
            nearest = i, nearestPixels = pixels;
    }
    if (nearest >= 0)
        emit PointClicked(nearest);
}

void MapView::DrawTiles(QPainter& painter)
{
    if (!m_tiles->Enabled())
        return;
    m_tiles->ForgetQueued();
    const int count = 1 << m_zoom;
    const QPointF origin = Screen(QPointF(0, 0));
    const int firstX = int(std::floor((m_centre.x() - width() / 2.0) / kTile));
    const int lastX = int(std::floor((m_centre.x() + width() / 2.0) / kTile));
    const int firstY = std::max(0, int(std::floor((m_centre.y() - height() / 2.0) / kTile)));
    const int lastY = std::min(count - 1, int(std::floor((m_centre.y() + height() / 2.0) / kTile)));
    // The middle tiles are asked for last, so they are fetched first.
    std::vector<QPoint> wanted;
    for (int y = firstY; y <= lastY; ++y) {
        for (int x = firstX; x <= lastX; ++x)
            wanted.emplace_back(x, y);
    }
    const QPointF middle(m_centre.x() / kTile - 0.5, m_centre.y() / kTile - 0.5);
    std::sort(wanted.begin(), wanted.end(), [&](const QPoint& a, const QPoint& b) {
        return QLineF(a, middle).length() > QLineF(b, middle).length();
    });
    for (const QPoint& t : wanted) {
        const int wrapped = ((t.x() % count) + count) % count;  // round the world east and west
        const QImage tile = m_tiles->Tile(m_zoom, wrapped, t.y());
        if (!tile.isNull())
            painter.drawImage(QRectF(origin.x() + t.x() * kTile, origin.y() + t.y() * kTile, kTile, kTile), tile);
    }
}

void MapView::SetOverlay(QImage frame)
{
    m_overlay = std::move(frame);
    update();
}

void MapView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), kMapBackground);
    m_scaleBarMetres = 0.0;
    if (!m_message.isEmpty() || m_unit.empty()) {
        painter.setPen(Qt::black);
        painter.drawText(rect().adjusted(12, 12, -12, -12), Qt::AlignCenter | Qt::TextWordWrap,
                         m_message.isEmpty() ? QStringLiteral("No positions") : m_message);
        return;
    }
    DrawTiles(painter);
    painter.setPen(QColor(0xC8, 0xC8, 0xC0));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));

    const double worldSize = WorldSize(m_zoom);
    auto at = [&](std::size_t i) { return Screen(m_unit[i] * worldSize); };
    auto shown = [&](std::size_t i) { return i >= m_leftOut.size() || !m_leftOut[i]; };
    const std::size_t last = m_unit.size() - 1;

    // Markers in black and white only, under the track so that they hide
    // none of it. The start is a ring wide enough to show round the home
    // square, where most flights start.
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(Qt::black, 2.0));
    painter.setBrush(Qt::NoBrush);
    if (shown(0))
        painter.drawEllipse(at(0), 12.0, 12.0);
    painter.setPen(QPen(Qt::black, 1.0));
    painter.setBrush(Qt::black);
    if (shown(last))
        painter.drawEllipse(at(last), 5.0, 5.0);
    if (m_leftOut.empty()) {
        const QPointF home = Screen(m_homeUnit * worldSize);
        const QRectF homeBox(home.x() - 7, home.y() - 7, 14, 14);
        painter.setBrush(Qt::white);
        painter.drawRect(homeBox);
        QFont small = font();
        small.setBold(true);
        small.setPixelSize(10);
        painter.setFont(small);
        painter.drawText(homeBox, Qt::AlignCenter, QStringLiteral("H"));
    }

    for (std::size_t i = 0; i < last; ++i) {
        if (!shown(i) || !shown(i + 1))
            continue;
        painter.setPen(QPen(ScaleColour(m_points[i].Value, m_topValue), 3.0, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(at(i), at(i + 1));
    }

    // The playback marker: a black ring round a white one, over the track
    // but leaving the point itself in sight.
    if (m_marker >= 0 && m_marker < int(m_unit.size()) && shown(std::size_t(m_marker))) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Qt::white, 2.0));
        painter.drawEllipse(at(m_marker), 6.0, 6.0);
        painter.setPen(QPen(Qt::black, 2.5));
        painter.drawEllipse(at(m_marker), 8.5, 8.5);
    }

    // North arrow, top right.
    const QPointF tip(width() - 18.0, 10.0);
    QPainterPath arrow;
    arrow.moveTo(tip);
    arrow.lineTo(tip + QPointF(6, 16));
    arrow.lineTo(tip + QPointF(0, 12));
    arrow.lineTo(tip + QPointF(-6, 16));
    arrow.closeSubpath();
    painter.fillPath(arrow, Qt::black);
    painter.setPen(Qt::black);
    painter.setFont(font());
    painter.drawText(QRectF(tip.x() - 10, tip.y() + 16, 20, 16), Qt::AlignCenter, QStringLiteral("N"));

    // Scale bar, bottom left: a round length of at most a quarter of the
    // width, drawn crisp in pure black on a white strip.
    painter.setRenderHint(QPainter::Antialiasing, false);
    const double metresPerPixel = 2.0 * kPi * kEarthRadiusM * std::cos(m_meanLat * kPi / 180.0) / worldSize;
    m_scaleBarMetres = RoundScaleLength(width() / 4.0 * metresPerPixel);
    const int barPixels = qRound(m_scaleBarMetres / metresPerPixel);
    const int x0 = kMargin;
    const int y0 = height() - 14;
    const QString label = ScaleText(m_scaleBarMetres);
    const QRect labelBox(x0, y0 - 22, painter.fontMetrics().horizontalAdvance(label) + 4, 16);
    if (m_tiles->Enabled())
        painter.fillRect(QRect(x0 - 4, y0 - 24, std::max(barPixels, labelBox.width()) + 8, 32), QColor(255, 255, 255, 200));
    painter.fillRect(x0, y0, barPixels, 3, Qt::black);
    painter.fillRect(x0, y0 - 5, 2, 8, Qt::black);
    painter.fillRect(x0 + barPixels - 2, y0 - 5, 2, 8, Qt::black);
    painter.drawText(labelBox, Qt::AlignLeft | Qt::AlignVCenter, label);

    // The tiles' attribution, bottom right, and a note when tiles failed.
    if (m_tiles->Enabled()) {
        QStringList lines;
        if (m_tiles->HadFailure())
            lines << QStringLiteral("Map tiles not available");
        lines << TileSource::Attribution();
        QFont note = font();
        note.setPointSizeF(note.pointSizeF() * 0.85);
        painter.setFont(note);
        const QFontMetrics metrics(note);
        int y = height();
        for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
            const int w = metrics.horizontalAdvance(*line) + 8;
            const QRect box(width() - w, y - metrics.height() - 2, w, metrics.height() + 2);
            painter.fillRect(box, QColor(255, 255, 255, 210));
            painter.setPen(QColor(0x33, 0x33, 0x33));
            painter.drawText(box, Qt::AlignCenter, *line);
            y = box.top();
        }
    }
    if (!m_overlay.isNull())
        painter.drawImage(QPoint((width() - m_overlay.width()) / 2, (height() - m_overlay.height()) / 2), m_overlay);
}
