#include "ui/FlightView.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>

using namespace QtCharts;

namespace {

const QColor kMapBackground(0xF4, 0xF3, 0xEA);

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

QString Metres(double metres)
{
    return QString::number(metres, 'f', 1) + QStringLiteral(" m");
}

QString ScaleLabel(double metres)
{
    return metres >= 1000.0 ? QString::number(metres / 1000.0) + QStringLiteral(" km")
                            : QString::number(metres) + QStringLiteral(" m");
}

QString Duration(double seconds)
{
    const qint64 s = qRound64(seconds);
    const QString clock = s >= 3600 ? QStringLiteral("%1:%2:%3").arg(s / 3600).arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
                                          .arg(s % 60, 2, 10, QLatin1Char('0'))
                                    : QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
    return clock + QStringLiteral(" (") + QString::number(s) + QStringLiteral(" s)");
}

QChartView* MakeChart(const QString& title, const QString& unit, QLineSeries* series, const QColor& colour)
{
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->legend()->hide();
    chart->setMargins(QMargins(2, 2, 2, 2));
    chart->setBackgroundRoundness(0);
    series->setPen(QPen(colour, 2));
    chart->addSeries(series);
    auto* x = new QValueAxis;
    x->setTitleText(QStringLiteral("flight time, s"));
    x->setLabelFormat(QStringLiteral("%.0f"));
    auto* y = new QValueAxis;
    y->setTitleText(unit);
    y->setLabelFormat(QStringLiteral("%.0f"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(x);
    series->attachAxis(y);
    auto* view = new QChartView(chart);
    view->setRenderHint(QPainter::Antialiasing);
    view->setFocusPolicy(Qt::NoFocus);
    view->setMinimumSize(200, 180);
    return view;
}

// Sets a chart's series and fits both axes to it (with a little room above).
void Plot(QLineSeries* series, const QVector<QPointF>& points)
{
    series->replace(points);
    double top = 1.0, bottom = 0.0, end = 1.0;
    for (const QPointF& p : points) {
        top = std::max(top, p.y());
        bottom = std::min(bottom, p.y());
        end = std::max(end, p.x());
    }
    // Ticks at round steps counted from 0, whatever the ends of the range.
    const QList<QAbstractAxis*> axes = series->attachedAxes();
    for (QAbstractAxis* axis : axes) {
        auto* value = qobject_cast<QValueAxis*>(axis);
        if (!value)
            continue;
        if (axis->orientation() == Qt::Horizontal)
            value->setRange(0.0, end);
        else
            value->setRange(std::floor(bottom), top + (top - bottom) * 0.1);
        value->setTickType(QValueAxis::TicksDynamic);
        value->setTickAnchor(0.0);
        value->setTickInterval(RoundScaleLength((value->max() - value->min()) / 4.0));
    }
}

// A bar from blue to red with the speeds it stands for.
class SpeedKey : public QWidget {
public:
    using QWidget::QWidget;
    QSize sizeHint() const override { return {160, 12}; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        for (int x = 0; x < width(); ++x)
            painter.fillRect(x, 0, 1, height(), SpeedColour(x, std::max(1, width() - 1)));
    }
};

}  // namespace

QColor SpeedColour(double speed, double topSpeed)
{
    if (std::isnan(speed))
        return QColor(0x90, 0x90, 0x90);
    const double share = topSpeed > 0.0 ? std::clamp(speed / topSpeed, 0.0, 1.0) : 0.0;
    return QColor::fromHsvF((1.0 - share) * 240.0 / 360.0, 1.0, 0.85);
}

TrackMap::TrackMap(QWidget* parent)
    : QWidget(parent)
{
    setMinimumSize(minimumSizeHint());
}

void TrackMap::SetFigures(const FlightFigures& figures)
{
    m_samples = figures.Samples;
    m_topSpeed = figures.TopSpeedMs;
    update();
}

void TrackMap::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), kMapBackground);
    painter.setPen(QColor(0xC8, 0xC8, 0xC0));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    m_scaleBarMetres = 0.0;
    if (m_samples.empty()) {
        painter.setPen(Qt::black);
        painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("No positions"));
        return;
    }

    // The extent of the track and the home point, and one scale for both
    // axes: the map is to scale.
    double west = 0.0, east = 0.0, south = 0.0, north = 0.0;
    for (const FlightSample& s : m_samples) {
        west = std::min(west, s.EastM);
        east = std::max(east, s.EastM);
        south = std::min(south, s.NorthM);
        north = std::max(north, s.NorthM);
    }
    constexpr int kMargin = 22;
    constexpr int kBarRoom = 34;  // below the track, for the scale bar
    const double spanE = std::max(east - west, 1.0);
    const double spanN = std::max(north - south, 1.0);
    const double scale = std::min((width() - 2.0 * kMargin) / spanE, (height() - 2.0 * kMargin - kBarRoom) / spanN);
    const double cx = width() / 2.0;
    const double cy = kMargin + (height() - 2.0 * kMargin - kBarRoom) / 2.0;
    const double midE = (west + east) / 2.0;
    const double midN = (south + north) / 2.0;
    auto at = [&](double e, double n) { return QPointF(cx + (e - midE) * scale, cy - (n - midN) * scale); };

    // Markers in black and white only, under the track so that they hide
    // none of it. The start is a ring wide enough to show round the home
    // square, where most flights start.
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(Qt::black, 2.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(at(m_samples.front().EastM, m_samples.front().NorthM), 12.0, 12.0);
    painter.setPen(QPen(Qt::black, 1.0));
    painter.setBrush(Qt::black);
    painter.drawEllipse(at(m_samples.back().EastM, m_samples.back().NorthM), 5.0, 5.0);
    const QPointF home = at(0.0, 0.0);
    const QRectF homeBox(home.x() - 7, home.y() - 7, 14, 14);
    painter.setBrush(Qt::white);
    painter.drawRect(homeBox);
    QFont small = font();
    small.setBold(true);
    small.setPixelSize(10);
    painter.setFont(small);
    painter.drawText(homeBox, Qt::AlignCenter, QStringLiteral("H"));

    for (std::size_t i = 0; i + 1 < m_samples.size(); ++i) {
        const FlightSample& a = m_samples[i];
        const FlightSample& b = m_samples[i + 1];
        painter.setPen(QPen(SpeedColour(a.SpeedMS, m_topSpeed), 3.0, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(at(a.EastM, a.NorthM), at(b.EastM, b.NorthM));
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
    painter.drawText(QRectF(tip.x() - 10, tip.y() + 16, 20, 16), Qt::AlignCenter, QStringLiteral("N"));

    // Scale bar, bottom left: a round length of at most a quarter of the
    // width, drawn crisp in pure black.
    painter.setRenderHint(QPainter::Antialiasing, false);
    m_scaleBarMetres = RoundScaleLength(width() / 4.0 / scale);
    const int barPixels = qRound(m_scaleBarMetres * scale);
    const int x0 = kMargin;
    const int y0 = height() - 14;
    painter.fillRect(x0, y0, barPixels, 3, Qt::black);
    painter.fillRect(x0, y0 - 5, 2, 8, Qt::black);
    painter.fillRect(x0 + barPixels - 2, y0 - 5, 2, 8, Qt::black);
    painter.setFont(font());
    painter.drawText(QRect(x0, y0 - 22, barPixels + 80, 16), Qt::AlignLeft | Qt::AlignVCenter,
                     ScaleLabel(m_scaleBarMetres));
}

FlightView::FlightView(QWidget* parent)
    : QWidget(parent)
{
    Picture = new QWidget;
    Picture->setObjectName(QStringLiteral("FlightPicture"));
    Picture->setAutoFillBackground(true);
    Map = new TrackMap;
    Map->setObjectName(QStringLiteral("TrackMap"));

    auto value = [](const char* name) {
        auto* label = new QLabel;
        label->setObjectName(QLatin1String(name));
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return label;
    };
    m_flightTime = value("FlightTimeValue");
    m_pathFlown = value("PathFlownValue");
    m_maxDistance = value("MaxDistanceValue");
    m_maxHeight = value("MaxHeightValue");
    m_topSpeed = value("TopSpeedValue");
    m_records = value("RecordCountValue");
    m_format = value("LogFormatValue");
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Flight time:"), m_flightTime);
    form->addRow(QStringLiteral("Path flown:"), m_pathFlown);
    form->addRow(QStringLiteral("Greatest distance from home:"), m_maxDistance);
    form->addRow(QStringLiteral("Greatest height:"), m_maxHeight);
    form->addRow(QStringLiteral("Top speed:"), m_topSpeed);
    form->addRow(QStringLiteral("Records:"), m_records);
    form->addRow(QStringLiteral("Log format:"), m_format);

    auto* keyRow = new QHBoxLayout;
    keyRow->addWidget(new QLabel(QStringLiteral("0 m/s")));
    keyRow->addWidget(new SpeedKey, 1);
    m_speedKeyTop = new QLabel;
    keyRow->addWidget(m_speedKeyTop);

    auto* side = new QVBoxLayout;
    auto* title = new QLabel(QStringLiteral("Flight"));
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.3);
    title->setFont(titleFont);
    side->addWidget(title);
    side->addLayout(form);
    side->addSpacing(8);
    side->addWidget(new QLabel(QStringLiteral("Track colour: speed")));
    side->addLayout(keyRow);
    side->addWidget(new QLabel(QStringLiteral("H home   \u25EF start   \u25CF end")));
    side->addStretch(1);

    m_heightSeries = new QLineSeries;
    m_speedSeries = new QLineSeries;
    HeightChart = MakeChart(QStringLiteral("Height above take-off"), QStringLiteral("m"), m_heightSeries,
                            QColor(0x20, 0x60, 0xB0));
    HeightChart->setObjectName(QStringLiteral("HeightChart"));
    SpeedChart = MakeChart(QStringLiteral("Speed"), QStringLiteral("m/s"), m_speedSeries, QColor(0xC0, 0x40, 0x20));
    SpeedChart->setObjectName(QStringLiteral("SpeedChart"));

    auto* grid = new QGridLayout;
    grid->setContentsMargins(4, 4, 4, 4);
    grid->addWidget(Map, 0, 0);
    grid->addLayout(side, 0, 1);
    grid->addWidget(HeightChart, 1, 0);
    grid->addWidget(SpeedChart, 1, 1);
    grid->setRowStretch(0, 3);
    grid->setRowStretch(1, 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    Picture->setLayout(grid);

    SavePictureButton = new QPushButton(QStringLiteral("Save picture"));
    SavePictureButton->setObjectName(QStringLiteral("SavePictureButton"));
    HideButton = new QPushButton(QStringLiteral("Hide flight"));
    HideButton->setObjectName(QStringLiteral("HideFlightButton"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(SavePictureButton);
    buttons->addWidget(HideButton);

    auto* layout = new QVBoxLayout;
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Picture, 1);
    layout->addLayout(buttons);
    setLayout(layout);
}

void FlightView::ShowFigures(const FlightFigures& figures)
{
    Map->SetFigures(figures);
    m_flightTime->setText(Duration(figures.FlightTimeS));
    m_pathFlown->setText(Metres(figures.PathM));
    m_maxDistance->setText(Metres(figures.MaxDistanceHomeM));
    m_maxHeight->setText(Metres(figures.MaxHeightM) + (figures.SeaLevel ? QStringLiteral(" above sea level") : QString()));
    HeightChart->chart()->setTitle(figures.SeaLevel ? QStringLiteral("Height above sea level") : QStringLiteral("Height above take-off"));
    m_topSpeed->setText(QString::number(figures.TopSpeedMs, 'f', 1) + QStringLiteral(" m/s (")
                        + QString::number(figures.TopSpeedMs * 3.6, 'f', 1) + QStringLiteral(" km/h)"));
    m_records->setText(QString::number(figures.Records));
    m_format->setText(figures.FormatName.isEmpty() ? QStringLiteral("-") : figures.FormatName);
    m_speedKeyTop->setText(QString::number(figures.TopSpeedMs, 'f', 1) + QStringLiteral(" m/s"));

    QVector<QPointF> heights, speeds;
    for (const FlightSample& s : figures.Samples) {
        if (std::isfinite(s.HeightM))
            heights.append(QPointF(s.TimeS, s.HeightM));
        if (std::isfinite(s.SpeedMS))
            speeds.append(QPointF(s.TimeS, s.SpeedMS));
    }
    Plot(m_heightSeries, heights);
    Plot(m_speedSeries, speeds);
}

bool FlightView::SavePicture(const QString& fileName) const
{
    QImageWriter writer(fileName, "png");
    return writer.write(Picture->grab().toImage());
}
