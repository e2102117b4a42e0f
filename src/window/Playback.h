#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <vector>

class QComboBox;
class QLabel;
class QPushButton;
class QSlider;

// Plays a flight back: a slider over its samples (the arrow keys step one
// record), play and pause at 1x, 4x or 16x flight time, and the flight time
// of the moment. Tells the sample shown through IndexChanged.
class PlaybackBar : public QWidget {
    Q_OBJECT

public:
    explicit PlaybackBar(QWidget* parent = nullptr);

    // The flight time of each sample, seconds, ascending; stops playing and
    // goes back to the first sample.
    void SetTimes(std::vector<double> times);
    int Index() const;
    void SetIndex(int index);
    bool Playing() const { return m_timer.isActive(); }
    void SetPlaying(bool play);
    // The sample shown at flight time `seconds`: the last one not after it.
    int IndexAt(double seconds) const;
    // Advances playback by `elapsedMs` of wall-clock time at the chosen rate.
    void Advance(qint64 elapsedMs);

    QPushButton* PlayButton = nullptr;
    QComboBox* RateCombo = nullptr;  // item data: the rate
    QSlider* Slider = nullptr;
    QLabel* TimeLabel = nullptr;

signals:
    void IndexChanged(int index);

private:
    void Tick();

    std::vector<double> m_times;
    double m_time = 0.0;
    QTimer m_timer;
    QElapsedTimer m_clock;
};
