#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <vector>

class QComboBox;
class QLabel;
class QPushButton;
class QSlider;

// Plays a flight back: a slider over its flight time, from 0 to the end of
// the last record (a click beside the handle moves a second of flight, the
// arrow keys step one record), play and pause at 1x, 4x or 16x flight
// time, and the flight time of the moment. Tells the sample shown through
// IndexChanged.
class PlaybackBar : public QWidget {
    Q_OBJECT

public:
    explicit PlaybackBar(QWidget* parent = nullptr);

    // The flight time of each sample, seconds, ascending, and the flight's
    // end (the last sample lasts until then); stops playing and goes back to
    // the first sample.
    void SetTimes(std::vector<double> times, double endS);
    int Index() const { return m_index; }
    void SetIndex(int index);
    bool Playing() const { return m_timer.isActive(); }
    void SetPlaying(bool play);
    // The sample shown at flight time `seconds`: the last one not after it.
    int IndexAt(double seconds) const;
    // Shows the sample at flight time `seconds`, the playback going on from there.
    void Seek(double seconds);
    // Advances playback by `elapsedMs` of wall-clock time at the chosen rate.
    void Advance(qint64 elapsedMs);

    QPushButton* PlayButton = nullptr;
    QComboBox* RateCombo = nullptr;  // item data: the rate
    QSlider* Slider = nullptr;       // milliseconds of flight time
    QLabel* TimeLabel = nullptr;

signals:
    void IndexChanged(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Tick();
    void SliderMoved(int ms);

    std::vector<qint64> m_ms;  // each sample's flight time, milliseconds
    qint64 m_endMs = 0;
    int m_index = -1;
    double m_time = 0.0;  // seconds; runs smoothly while playing
    QTimer m_timer;
    QElapsedTimer m_clock;
};
