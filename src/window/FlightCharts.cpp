#include "window/FlightCharts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>

using namespace QtCharts;

namespace {

QValueAxis* Axis(QLineSeries* series, Qt::Orientation orientation)
{
    const QList<QAbstractAxis*> axes = series->attachedAxes();
    for (QAbstractAxis* axis : axes) {
        if (axis->orientation() == orientation)
            return qobject_cast<QValueAxis*>(axis);
    }
    return nullptr;
}

void SetAxis(QValueAxis* axis, double low, double high)
{
    const AxisTicks ticks = RoundTicks(low, high, 4);
    axis->setTickType(QValueAxis::TicksFixed);
    axis->setRange(ticks.Min, ticks.Max);
    axis->setTickCount(int(std::lround((ticks.Max - ticks.Min) / ticks.Step)) + 1);
    axis->setLabelFormat(QStringLiteral("%.") + QString::number(ticks.Decimals) + QStringLiteral("f"));
}

QLineSeries* AddLine(QChart* chart, const QPen& pen)
{
    auto* series = new QLineSeries;
    series->setPen(pen);
    chart->addSeries(series);
    for (QAbstractAxis* axis : chart->axes())
        series->attachAxis(axis);
    return series;
}

}  // namespace

AxisTicks RoundTicks(double low, double high, int most)
{
    if (!(high > low))
        high = low + 1.0;
    const double power = std::pow(10.0, std::floor(std::log10((high - low) / most)));
    AxisTicks ticks;
    for (double multiple : {1.0, 2.0, 5.0, 10.0, 20.0, 50.0}) {
        ticks.Step = multiple * power;
        ticks.Min = std::floor(low / ticks.Step + 1e-9) * ticks.Step;
        ticks.Max = std::ceil(high / ticks.Step - 1e-9) * ticks.Step;
        if (std::lround((ticks.Max - ticks.Min) / ticks.Step) <= most)
            break;
    }
    ticks.Decimals = std::max(0, -int(std::floor(std::log10(ticks.Step) + 1e-9)));
    return ticks;
}

FlightCharts::FlightCharts(QWidget* parent)
    : QWidget(parent)
{
    const std::vector<std::tuple<QString, QColor, const char*>> charts = {
        {QStringLiteral("Height above take-off, m"), QColor(0x20, 0x60, 0xB0), "HeightChart"},
        {QStringLiteral("Speed, m/s"), QColor(0xC0, 0x40, 0x20), "SpeedChart"},
        {QStringLiteral("Distance from home, m"), QColor(0x20, 0x90, 0x40), "DistanceChart"}};
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    NoHeightsLabel = new QLabel(QStringLiteral("No heights in the log"));
    NoHeightsLabel->setObjectName(QStringLiteral("NoHeightsLabel"));
    NoHeightsLabel->setAlignment(Qt::AlignCenter);
    NoHeightsLabel->setFrameShape(QFrame::StyledPanel);
    NoHeightsLabel->setMinimumSize(180, 140);
    NoHeightsLabel->hide();
    row->addWidget(NoHeightsLabel);
    for (const auto& [title, colour, name] : charts) {
        // Small type and no axis titles (the unit is in the chart's title),
        // so that labels keep their room in a low chart and are never elided.
        auto* chart = new QChart;
        chart->setTitle(title);
        QFont small = chart->titleFont();
        small.setPointSizeF(8.0);
        chart->setTitleFont(small);
        chart->legend()->hide();
        chart->setMargins(QMargins(0, 0, 4, 0));
        chart->setBackgroundRoundness(0);
        for (Qt::Alignment side : {Qt::AlignBottom, Qt::AlignLeft}) {
            auto* axis = new QValueAxis;
            axis->setLabelsFont(small);
            chart->addAxis(axis, side);
        }
        Chart c;
        c.Lines.push_back(AddLine(chart, QPen(colour, 2)));
        c.Cursor = AddLine(chart, QPen(QColor(0x40, 0x40, 0x40), 1, Qt::DashLine));
        c.View = new QChartView(chart);
        c.View->setObjectName(QLatin1String(name));
        c.View->setRenderHint(QPainter::Antialiasing);
        c.View->setFocusPolicy(Qt::NoFocus);
        c.View->setMinimumSize(180, 140);
        c.View->setToolTip(QStringLiteral("Click to show that moment"));
        c.View->viewport()->installEventFilter(this);
        row->addWidget(c.View);
        m_charts.push_back(c);
    }
    HeightChart = m_charts[0].View;
    SpeedChart = m_charts[1].View;
    DistanceChart = m_charts[2].View;
    auto* caption = new QLabel(QStringLiteral("Charts over flight time, s"));
    caption->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout;
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addLayout(row, 1);
    layout->addWidget(caption);
    setLayout(layout);
}

void FlightCharts::PlotChart(Chart& chart, const std::vector<QVector<QPointF>>& lines, double endS)
{
    QChart* qchart = chart.View->chart();
    while (chart.Lines.size() > std::max<std::size_t>(1, lines.size())) {
        qchart->removeSeries(chart.Lines.back());
        delete chart.Lines.back();
        chart.Lines.pop_back();
    }
    while (chart.Lines.size() < lines.size())
        chart.Lines.push_back(AddLine(qchart, chart.Lines.front()->pen()));
    double top = 0.0, bottom = 0.0;
    for (std::size_t i = 0; i < chart.Lines.size(); ++i) {
        chart.Lines[i]->replace(i < lines.size() ? lines[i] : QVector<QPointF>());
        for (const QPointF& p : chart.Lines[i]->pointsVector()) {
            top = std::max(top, p.y());
            bottom = std::min(bottom, p.y());
        }
    }
    SetAxis(Axis(chart.Cursor, Qt::Horizontal), 0.0, endS);
    SetAxis(Axis(chart.Cursor, Qt::Vertical), bottom, top);
}

void FlightCharts::Plot(const Flight& flight, const FlightFigures& figures, bool heights, double endS)
{
    HeightChart->chart()->setTitle(figures.SeaLevel ? QStringLiteral("Height above sea level, m")
                                                    : QStringLiteral("Height above take-off, m"));
    HeightChart->setVisible(heights);
    NoHeightsLabel->setVisible(!heights);
    std::vector<TrackRecording> recordings = flight.Recordings;
    if (recordings.empty())
        recordings.push_back({0, figures.Samples.size()});
    std::vector<std::vector<QVector<QPointF>>> lines(m_charts.size(), std::vector<QVector<QPointF>>(recordings.size()));
    for (std::size_t r = 0; r < recordings.size(); ++r) {
        const std::size_t end = std::min({recordings[r].End, figures.Samples.size(), flight.Points.size()});
        for (std::size_t i = recordings[r].First; i < end; ++i) {
            const FlightSample& s = figures.Samples[i];
            for (const auto& [chart, value] : {std::pair{0, heights ? s.HeightM : NAN}, {1, s.SpeedMS},
                                               {2, flight.Points[i].DistanceHomeM}}) {
                if (std::isfinite(value))
                    lines[chart][r].append(QPointF(s.TimeS, value));
            }
        }
    }
    for (std::size_t c = 0; c < m_charts.size(); ++c)
        PlotChart(m_charts[c], lines[c], endS);
}

void FlightCharts::Clear()
{
    for (Chart& chart : m_charts)
        PlotChart(chart, {}, 1.0);
    SetCursor(NAN);
}

void FlightCharts::SetCursor(double seconds)
{
    for (Chart& chart : m_charts) {
        QVector<QPointF> line;
        const QValueAxis* y = Axis(chart.Cursor, Qt::Vertical);
        if (std::isfinite(seconds) && y)
            line = {QPointF(seconds, y->min()), QPointF(seconds, y->max())};
        chart.Cursor->replace(line);
    }
}

bool FlightCharts::eventFilter(QObject* watched, QEvent* event)
{
    const bool press = event->type() == QEvent::MouseButtonPress;
    if (!press && event->type() != QEvent::MouseMove)
        return QWidget::eventFilter(watched, event);
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (!(press ? mouse->button() == Qt::LeftButton : (mouse->buttons() & Qt::LeftButton) != 0))
        return QWidget::eventFilter(watched, event);
    for (const Chart& chart : m_charts) {
        if (chart.View->viewport() != watched)
            continue;
        QChart* qchart = chart.View->chart();
        const QPointF at = qchart->mapFromScene(chart.View->mapToScene(mouse->pos()));
        if (qchart->plotArea().contains(at))
            emit TimeClicked(qchart->mapToValue(at, chart.Cursor).x());
    }
    return QWidget::eventFilter(watched, event);
}
