#pragma once

#include "track/FlightFigures.h"

#include <QWidget>

#include <vector>

class QLabel;
namespace QtCharts {
class QChartView;
class QLineSeries;
}

// The flight view's charts over flight time: height, speed and distance
// from home, each recording of the flight a line of its own (no line is
// drawn across the gap between two), a cursor line at the moment shown, and
// "No heights in the log" in place of the height chart for a log without
// heights. A click (or a drag) on a chart tells its flight time.
class FlightCharts : public QWidget {
    Q_OBJECT

public:
    explicit FlightCharts(QWidget* parent = nullptr);

    // Plots `flight` (its samples in `figures`) from 0 to `endS` seconds.
    void Plot(const Flight& flight, const FlightFigures& figures, bool heights, double endS);
    void Clear();
    // The cursor lines at flight time `seconds`; NaN: none.
    void SetCursor(double seconds);

    QtCharts::QChartView* HeightChart = nullptr;
    QtCharts::QChartView* SpeedChart = nullptr;
    QtCharts::QChartView* DistanceChart = nullptr;
    QLabel* NoHeightsLabel = nullptr;

signals:
    void TimeClicked(double seconds);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Chart {
        QtCharts::QChartView* View = nullptr;
        QtCharts::QLineSeries* Cursor = nullptr;
        std::vector<QtCharts::QLineSeries*> Lines;  // one a recording, the first always there
    };
    void PlotChart(Chart& chart, const std::vector<QVector<QPointF>>& lines, double endS);

    std::vector<Chart> m_charts;  // height, speed, distance
};

// The ticks of a chart axis over [low, high]: a round step (1, 2 or 5 times
// a power of ten) giving at most `most` intervals, the ends on multiples of
// it, and the decimals that step needs to be printed exactly.
struct AxisTicks {
    double Min = 0.0;
    double Max = 1.0;
    double Step = 1.0;
    int Decimals = 0;
};
AxisTicks RoundTicks(double low, double high, int most = 5);
