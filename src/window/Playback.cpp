#include "window/Playback.h"

#include "conversion/Messages.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include <algorithm>
#include <cmath>

PlaybackBar::PlaybackBar(QWidget* parent)
    : QWidget(parent)
{
    PlayButton = new QPushButton(QStringLiteral("Play"));
    PlayButton->setObjectName(QStringLiteral("PlayButton"));
    RateCombo = new QComboBox;
    RateCombo->setObjectName(QStringLiteral("PlaybackRateCombo"));
    for (int rate : {1, 4, 16})
        RateCombo->addItem(QStringLiteral("%1x").arg(rate), rate);
    RateCombo->setToolTip(QStringLiteral("Playback speed"));
    Slider = new QSlider(Qt::Horizontal);
    Slider->setObjectName(QStringLiteral("PlaybackSlider"));
    Slider->setToolTip(QStringLiteral("Flight time: drag, click beside the handle for a second, "
                                      "or step from record to record with the arrow keys"));
    Slider->setFocusPolicy(Qt::StrongFocus);
    Slider->setPageStep(1000);
    Slider->installEventFilter(this);
    TimeLabel = new QLabel;
    TimeLabel->setObjectName(QStringLiteral("PlaybackTimeLabel"));
    TimeLabel->setMinimumWidth(TimeLabel->fontMetrics().horizontalAdvance(QStringLiteral("000:00 / 000:00")));

    auto* layout = new QHBoxLayout;
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(PlayButton);
    layout->addWidget(RateCombo);
    layout->addWidget(Slider, 1);
    layout->addWidget(TimeLabel);
    setLayout(layout);

    m_timer.setInterval(40);
    connect(&m_timer, &QTimer::timeout, this, &PlaybackBar::Tick);
    connect(PlayButton, &QPushButton::clicked, this, [this] { SetPlaying(!Playing()); });
    connect(Slider, &QSlider::valueChanged, this, &PlaybackBar::SliderMoved);
    SetTimes({}, 0.0);
}

void PlaybackBar::SetTimes(std::vector<double> times, double endS)
{
    SetPlaying(false);
    m_ms.clear();
    for (double t : times)
        m_ms.push_back(std::llround(t * 1000.0));
    m_endMs = m_ms.empty() ? 0 : std::max(m_ms.back(), std::llround(endS * 1000.0));
    setEnabled(!m_ms.empty());
    {
        const QSignalBlocker block(Slider);
        Slider->setRange(m_ms.empty() ? 0 : int(m_ms.front()), int(m_endMs));
    }
    m_index = -1;
    if (m_ms.empty()) {
        m_time = 0.0;
        TimeLabel->clear();
        emit IndexChanged(-1);
    } else {
        SetIndex(0);
    }
}

void PlaybackBar::SetIndex(int index)
{
    if (index < 0 || index >= int(m_ms.size()))
        return;
    Seek(m_ms[index] / 1000.0);
    if (m_index != index) {  // samples of one time: the one asked for
        m_index = index;
        emit IndexChanged(index);
    }
}

int PlaybackBar::IndexAt(double seconds) const
{
    const auto after = std::upper_bound(m_ms.begin(), m_ms.end(), std::llround(seconds * 1000.0));
    return std::max(0, int(after - m_ms.begin()) - 1);
}

void PlaybackBar::Seek(double seconds)
{
    if (m_ms.empty())
        return;
    m_time = std::clamp(seconds, m_ms.front() / 1000.0, m_endMs / 1000.0);
    {
        const QSignalBlocker block(Slider);
        Slider->setValue(int(std::llround(m_time * 1000.0)));
    }
    const int index = IndexAt(m_time);
    TimeLabel->setText(DurationText(m_ms[index]) + QStringLiteral(" / ") + DurationText(m_endMs));
    if (index != m_index) {
        m_index = index;
        emit IndexChanged(index);
    }
}

void PlaybackBar::SliderMoved(int ms)
{
    Seek(ms / 1000.0);
}

bool PlaybackBar::eventFilter(QObject* watched, QEvent* event)
{
    // The arrow keys step one record, whatever time a record lasts.
    if (watched == Slider && event->type() == QEvent::KeyPress && !m_ms.empty()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const int step = key == Qt::Key_Left || key == Qt::Key_Down ? -1 : key == Qt::Key_Right || key == Qt::Key_Up ? 1 : 0;
        if (step != 0) {
            SetIndex(std::clamp(m_index + step, 0, int(m_ms.size()) - 1));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void PlaybackBar::SetPlaying(bool play)
{
    if (play && !m_ms.empty()) {
        if (m_time * 1000.0 >= m_endMs)  // at the end: from the start again
            SetIndex(0);
        m_clock.start();
        m_timer.start();
    } else {
        m_timer.stop();
    }
    PlayButton->setText(m_timer.isActive() ? QStringLiteral("Pause") : QStringLiteral("Play"));
}

void PlaybackBar::Advance(qint64 elapsedMs)
{
    if (m_ms.empty())
        return;
    Seek(m_time + elapsedMs / 1000.0 * RateCombo->currentData().toInt());
    if (m_time * 1000.0 >= m_endMs)
        SetPlaying(false);
}

void PlaybackBar::Tick()
{
    Advance(m_clock.restart());
}
