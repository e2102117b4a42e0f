#pragma once

#include "overlay/OverlayFrame.h"
#include "track/FlightFigures.h"

#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class FlightCharts;
class MapView;
class PlaybackBar;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class TileSource;
namespace QtCharts {
class QChartView;
}

// The flight view beside the controls: the log's name, the track on a map,
// the figures, playback with the moment's figures and its subtitle text,
// height, speed and distance from home over flight time, the map tiles'
// address and "Save picture". It shows what it is given and computes
// nothing of its own but the picture's layout. A click on the map's track
// or on a chart shows that moment; the file's name says when the flight was
// read from a video.
class FlightView : public QWidget {
    Q_OBJECT

public:
    explicit FlightView(QWidget* parent = nullptr);

    // Shows `flight`, read from `fileName`.
    void ShowFlight(const Flight& flight, const QString& fileName);
    // Shows that `fileName` could not be read, and why.
    void ShowReadFailure(const QString& fileName, const QString& why);
    // The log the view shows (or failed to read).
    QString FileName() const { return m_fileName; }
    // Writes Picture as a PNG image; false when that failed. With a privacy
    // radius above 0 the picture follows the zone as a shared track does:
    // the map leaves out the estimated positions it draws within that many
    // metres of home and the home point, and the subtitle text follows the
    // subtitle file's rule (no position inside the zone, none at all beside
    // a distance from home).
    bool SavePicture(const QString& fileName, double privacyRadiusM = 0.0);
    // Where the subtitle preview takes its output pattern from.
    void SetPatternSource(std::function<QString()> source);
    // Renders the subtitle text of the moment shown again (the pattern
    // changed), and the overlay with it.
    void RefreshSubtitle();
    // Where the overlay takes its look from (its size only as the shape
    // of the picture: the preview is as large as the map holds).
    void SetOverlayLookSource(std::function<OverlayLook()> source);
    // With OverlayCheck checked, lays the overlay video's frame of the
    // moment over the map, drawn by the overlay's own painter at the size
    // the map holds; else takes it away.
    void RefreshOverlay();

    QWidget* Picture = nullptr;  // name, map, figures, playback and charts: what a picture holds
    QLabel* FileLabel = nullptr;
    MapView* Map = nullptr;
    TileSource* Tiles = nullptr;
    PlaybackBar* Playback = nullptr;
    FlightCharts* Charts = nullptr;
    QComboBox* ColourCombo = nullptr;    // item data: 0 speed, 1 height
    QPlainTextEdit* SubtitlePreview = nullptr;
    QtCharts::QChartView* HeightChart = nullptr;
    QtCharts::QChartView* SpeedChart = nullptr;
    QtCharts::QChartView* DistanceChart = nullptr;
    QLineEdit* TileUrlEdit = nullptr;
    QCheckBox* OverlayCheck = nullptr;   // "Overlay": the overlay of the moment over the map
    QPushButton* SavePictureButton = nullptr;
    QPushButton* HideButton = nullptr;

    QSize sizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowMoment(int index);
    void ColourTrack();
    void ShowFileName(const QString& fileName, FlightLog::ReadFrom source, const QString& sourceName);

    Flight m_flight;
    FlightFigures m_figures;
    bool m_heights = true;  // some record gives a height
    QString m_fileName;
    std::function<QString()> m_patternSource;
    std::function<OverlayLook()> m_lookSource;
    // The overlay's painter of m_flight with the pattern and look it was
    // made with; made anew when one of them changes.
    std::unique_ptr<OverlayPainter> m_overlay;
    QString m_overlayPattern;
    QLabel* m_flightTime = nullptr;
    QLabel* m_pathFlown = nullptr;
    QLabel* m_maxDistance = nullptr;
    QLabel* m_maxHeight = nullptr;
    QLabel* m_topSpeed = nullptr;
    QLabel* m_records = nullptr;
    QLabel* m_format = nullptr;
    QLabel* m_keyTop = nullptr;
    QLabel* m_momentTime = nullptr;
    QLabel* m_momentSpeed = nullptr;
    QLabel* m_momentHeight = nullptr;
    QLabel* m_momentDistance = nullptr;
    QLabel* m_momentWay = nullptr;
};
