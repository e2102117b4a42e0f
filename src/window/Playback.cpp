#include "window/Playback.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include <algorithm>

namespace {

QString Clock(double seconds)
{
    const qint64 s = qint64(seconds);
    return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

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
    Slider->setToolTip(QStringLiteral("Flight time: drag, or step with the arrow keys"));
    Slider->setFocusPolicy(Qt::StrongFocus);
    Slider->setPageStep(10);
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
    connect(Slider, &QSlider::valueChanged, this, [this](int index) {
        if (index >= 0 && index < int(m_times.size())) {
            // Moved by hand, the playback carries on from the slider's sample.
            if (IndexAt(m_time) != index)
                m_time = m_times[index];
            TimeLabel->setText(Clock(m_times[index]) + QStringLiteral(" / ") + Clock(m_times.back()));
        }
        emit IndexChanged(index);
    });
    SetTimes({});
}

void PlaybackBar::SetTimes(std::vector<double> times)
{
    SetPlaying(false);
    m_times = std::move(times);
    m_time = m_times.empty() ? 0.0 : m_times.front();
    setEnabled(!m_times.empty());
    const QSignalBlocker block(Slider);
    Slider->setRange(0, std::max(0, int(m_times.size()) - 1));
    Slider->setValue(0);
    TimeLabel->setText(m_times.empty() ? QString() : Clock(m_times.front()) + QStringLiteral(" / ") + Clock(m_times.back()));
}

int PlaybackBar::Index() const
{
    return Slider->value();
}

void PlaybackBar::SetIndex(int index)
{
    Slider->setValue(index);
}

int PlaybackBar::IndexAt(double seconds) const
{
    const auto after = std::upper_bound(m_times.begin(), m_times.end(), seconds);
    return std::max(0, int(after - m_times.begin()) - 1);
}

void PlaybackBar::SetPlaying(bool play)
{
    if (play && !m_times.empty()) {
        if (Index() >= int(m_times.size()) - 1)  // at the end: from the start again
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
    if (m_times.empty())
        return;
    m_time += elapsedMs / 1000.0 * RateCombo->currentData().toInt();
    if (m_time >= m_times.back()) {
        m_time = m_times.back();
        SetIndex(int(m_times.size()) - 1);
        SetPlaying(false);
        return;
    }
    SetIndex(IndexAt(m_time));
}

void PlaybackBar::Tick()
{
    Advance(m_clock.restart());
}
