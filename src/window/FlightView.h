#pragma once

#include "track/FlightFigures.h"

#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include <vector>

namespace QtCharts {
class QChartView;
class QLineSeries;
}

// The track seen from above, to scale and north up: a scale bar, the home
// point (a square marked H), the start (an open circle) and the end (a black
// dot), each step coloured by its speed from blue (slow) to red (the top
// speed). Only the track is drawn in saturated colours.
class TrackMap : public QWidget {
    Q_OBJECT

public:
    explicit TrackMap(QWidget* parent = nullptr);

    void SetFigures(const FlightFigures& figures);
    // The length in metres the scale bar stood for when last painted (0
    // before the first paint or without positions).
    double ScaleBarMetres() const { return m_scaleBarMetres; }

    QSize sizeHint() const override { return {440, 380}; }
    QSize minimumSizeHint() const override { return {220, 180}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<FlightSample> m_samples;
    double m_topSpeed = 0.0;
    double m_scaleBarMetres = 0.0;
};

// The flight view beside the controls: the track map, the figures, height
// above take-off and speed over flight time, and "Save picture". It shows
// what it is given and computes nothing of its own.
class FlightView : public QWidget {
    Q_OBJECT

public:
    explicit FlightView(QWidget* parent = nullptr);

    void ShowFigures(const FlightFigures& figures);
    // Writes Picture as a PNG image; false when that failed.
    bool SavePicture(const QString& fileName) const;

    QWidget* Picture = nullptr;  // map, figures and charts: what a picture holds
    TrackMap* Map = nullptr;
    QtCharts::QChartView* HeightChart = nullptr;
    QtCharts::QChartView* SpeedChart = nullptr;
    QPushButton* SavePictureButton = nullptr;
    QPushButton* HideButton = nullptr;

private:
    QtCharts::QLineSeries* m_heightSeries = nullptr;
    QtCharts::QLineSeries* m_speedSeries = nullptr;
    QLabel* m_flightTime = nullptr;
    QLabel* m_pathFlown = nullptr;
    QLabel* m_maxDistance = nullptr;
    QLabel* m_maxHeight = nullptr;
    QLabel* m_topSpeed = nullptr;
    QLabel* m_records = nullptr;
    QLabel* m_format = nullptr;
    QLabel* m_speedKeyTop = nullptr;
};

// The colour of a step at `speed` on a scale up to `topSpeed`: hue from blue
// (0) to red (top); grey for a speed that is NaN.
QColor SpeedColour(double speed, double topSpeed);
