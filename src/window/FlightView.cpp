#include "window/FlightView.h"

#include "conversion/Conversion.h"
#include "conversion/ConversionSettings.h"
#include "conversion/Messages.h"
#include "window/FlightCharts.h"
#include "window/MapView.h"
#include "window/Playback.h"
#include "window/TileSource.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImageWriter>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

// A bar from blue to red beside the range it stands for.
class ColourKey : public QWidget {
public:
    using QWidget::QWidget;
    QSize sizeHint() const override { return {120, 12}; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        for (int x = 0; x < width(); ++x)
            painter.fillRect(x, 0, 1, height(), ScaleColour(x, std::max(1, width() - 1)));
    }
};

}  // namespace

FlightView::FlightView(QWidget* parent)
    : QWidget(parent)
{
    Picture = new QWidget;
    Picture->setObjectName(QStringLiteral("FlightPicture"));
    Picture->setAutoFillBackground(true);
    Tiles = new TileSource(this);
    Tiles->SetUrlTemplate(TileSource::StartUrl());
    Map = new MapView(Tiles);
    Map->setObjectName(QStringLiteral("TrackMap"));
    FileLabel = new QLabel;
    FileLabel->setObjectName(QStringLiteral("FlightFileLabel"));
    QFont bold = FileLabel->font();
    bold.setBold(true);
    FileLabel->setFont(bold);
    FileLabel->setMinimumWidth(100);

    auto value = [](const char* name) {
        auto* label = new QLabel;
        label->setObjectName(QLatin1String(name));
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return label;
    };
    auto compactForm = [] {
        auto* form = new QFormLayout;
        form->setVerticalSpacing(0);
        form->setContentsMargins(0, 0, 0, 0);
        return form;
    };
    m_flightTime = value("FlightTimeValue");
    m_pathFlown = value("PathFlownValue");
    m_maxDistance = value("MaxDistanceValue");
    m_maxHeight = value("MaxHeightValue");
    m_topSpeed = value("TopSpeedValue");
    m_records = value("RecordCountValue");
    m_format = value("LogFormatValue");
    m_format->setWordWrap(true);
    QFormLayout* form = compactForm();
    form->addRow(QStringLiteral("Flight time:"), m_flightTime);
    form->addRow(QStringLiteral("Path flown:"), m_pathFlown);
    form->addRow(QStringLiteral("Farthest from home:"), m_maxDistance);
    form->addRow(QStringLiteral("Greatest height:"), m_maxHeight);
    form->addRow(QStringLiteral("Top speed:"), m_topSpeed);
    form->addRow(QStringLiteral("Records:"), m_records);
    form->addRow(QStringLiteral("Log format:"), m_format);

    ColourCombo = new QComboBox;
    ColourCombo->setObjectName(QStringLiteral("PathColourCombo"));
    ColourCombo->addItem(QStringLiteral("speed"), 0);
    ColourCombo->addItem(QStringLiteral("height"), 1);
    auto* colourRow = new QHBoxLayout;
    auto* colourCaption = new QLabel(QStringLiteral("Path colour:"));
    colourCaption->setBuddy(ColourCombo);
    colourRow->addWidget(colourCaption);
    colourRow->addWidget(ColourCombo);
    colourRow->addWidget(new QLabel(QStringLiteral("0")));
    colourRow->addWidget(new ColourKey, 1);
    m_keyTop = value("ColourKeyTop");
    colourRow->addWidget(m_keyTop);

    m_momentTime = value("MomentTimeValue");
    m_momentSpeed = value("MomentSpeedValue");
    m_momentHeight = value("MomentHeightValue");
    m_momentDistance = value("MomentDistanceValue");
    m_momentWay = value("MomentWayValue");
    QFormLayout* moment = compactForm();
    auto* momentTitle = new QLabel(QStringLiteral("This moment:"));
    momentTitle->setFont(bold);
    moment->addRow(momentTitle, m_momentTime);
    moment->addRow(QStringLiteral("Speed:"), m_momentSpeed);
    moment->addRow(QStringLiteral("Height:"), m_momentHeight);
    moment->addRow(QStringLiteral("From home:"), m_momentDistance);
    moment->addRow(QStringLiteral("Way:"), m_momentWay);
    SubtitlePreview = new QPlainTextEdit;
    SubtitlePreview->setObjectName(QStringLiteral("SubtitlePreview"));
    SubtitlePreview->setReadOnly(true);
    SubtitlePreview->setToolTip(QStringLiteral("The subtitle of this moment, from the output pattern"));
    SubtitlePreview->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    SubtitlePreview->setMinimumHeight(SubtitlePreview->fontMetrics().lineSpacing() * 3 + 8);

    auto* side = new QVBoxLayout;
    side->setContentsMargins(0, 0, 0, 0);
    side->addLayout(form);
    side->addLayout(colourRow);
    side->addWidget(new QLabel(QStringLiteral("H home   \u25EF start   \u25CF end   \u25C9 now")));
    side->addLayout(moment);
    side->addWidget(SubtitlePreview, 1);

    Playback = new PlaybackBar;
    Playback->setObjectName(QStringLiteral("PlaybackBar"));

    Charts = new FlightCharts;
    HeightChart = Charts->HeightChart;
    SpeedChart = Charts->SpeedChart;
    DistanceChart = Charts->DistanceChart;

    auto* grid = new QGridLayout;
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setVerticalSpacing(4);
    grid->addWidget(FileLabel, 0, 0, 1, 2);
    grid->addWidget(Map, 1, 0);
    grid->addLayout(side, 1, 1);
    grid->addWidget(Playback, 2, 0, 1, 2);
    grid->addWidget(Charts, 3, 0, 1, 2);
    grid->setRowStretch(1, 5);
    grid->setRowStretch(3, 3);
    grid->setColumnStretch(0, 1);
    Picture->setLayout(grid);

    TileUrlEdit = new QLineEdit(Tiles->Enabled() ? Tiles->UrlTemplate() : QStringLiteral("none"));
    TileUrlEdit->setObjectName(QStringLiteral("TileUrlEdit"));
    TileUrlEdit->setToolTip(QStringLiteral("Address of the map tiles with {z}, {x} and {y}; none: no map"));
    auto* tileCaption = new QLabel(QStringLiteral("Map tiles:"));
    tileCaption->setBuddy(TileUrlEdit);
    SavePictureButton = new QPushButton(QStringLiteral("Save picture"));
    SavePictureButton->setObjectName(QStringLiteral("SavePictureButton"));
    OverlayCheck = new QCheckBox(QStringLiteral("Overlay"));
    OverlayCheck->setObjectName(QStringLiteral("OverlayPreviewCheck"));
    OverlayCheck->setToolTip(QStringLiteral("Lay the overlay video's frame of this moment over the map, as the "
                                            "overlay writes it (its codec, corner and items from Other outputs)"));
    HideButton = new QPushButton(QStringLiteral("Hide flight"));
    HideButton->setObjectName(QStringLiteral("HideFlightButton"));
    HideButton->setToolTip(QStringLiteral("Close the flight view; open the log again, or press Return in its "
                                          "field, to show it again"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(tileCaption);
    buttons->addWidget(TileUrlEdit, 1);
    buttons->addWidget(OverlayCheck);
    buttons->addWidget(SavePictureButton);
    buttons->addWidget(HideButton);

    auto* layout = new QVBoxLayout;
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Picture, 1);
    layout->addLayout(buttons);
    setLayout(layout);

    // Tab goes round the map's buttons, the colour choice, playback, the
    // tiles' address and the two buttons; the preview takes the focus on a
    // click only (to copy from it).
    SubtitlePreview->setFocusPolicy(Qt::ClickFocus);
    const QList<QWidget*> order = {Map->ZoomInButton, Map->ZoomOutButton, Map->FitButton, Map->FollowButton, ColourCombo,
                                   Playback->PlayButton, Playback->RateCombo, Playback->Slider, TileUrlEdit,
                                   OverlayCheck, SavePictureButton, HideButton};
    for (int i = 0; i + 1 < order.size(); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);

    connect(TileUrlEdit, &QLineEdit::editingFinished, this, [this] {
        if (TileUrlEdit->text().trimmed() != (Tiles->Enabled() ? Tiles->UrlTemplate() : QStringLiteral("none"))) {
            Tiles->SetUrlTemplate(TileUrlEdit->text());
            Map->update();
        }
    });
    connect(Playback, &PlaybackBar::IndexChanged, this, &FlightView::ShowMoment);
    connect(Map, &MapView::PointClicked, Playback, &PlaybackBar::SetIndex);
    connect(Charts, &FlightCharts::TimeClicked, Playback, &PlaybackBar::Seek);
    connect(ColourCombo, qOverload<int>(&QComboBox::currentIndexChanged), this, [this] { ColourTrack(); });
    connect(OverlayCheck, &QCheckBox::toggled, this, &FlightView::RefreshOverlay);
    Map->installEventFilter(this);  // the overlay follows the map's size
}

bool FlightView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Map && event->type() == QEvent::Resize && OverlayCheck->isChecked())
        RefreshOverlay();
    return QWidget::eventFilter(watched, event);
}

void FlightView::SetOverlayLookSource(std::function<OverlayLook()> source)
{
    m_lookSource = std::move(source);
    RefreshOverlay();
}

void FlightView::RefreshOverlay()
{
    const int index = Playback->Index();
    if (!OverlayCheck->isChecked() || index < 0 || index >= int(m_flight.Points.size())) {
        Map->SetOverlay(QImage());
        return;
    }
    OverlayLook look = m_lookSource ? m_lookSource() : OverlayLook();
    // The frame's shape, as large as the map holds it.
    look.Size = look.Size.scaled(Map->size().expandedTo(QSize(16, 16)), Qt::KeepAspectRatio).expandedTo(QSize(16, 16));
    const QString pattern = m_patternSource ? m_patternSource() : DefaultPatternCrLf();
    const OverlayLook* made = m_overlay ? &m_overlay->Look() : nullptr;
    if (!made || made->Size != look.Size || made->Corner != look.Corner || made->Items != look.Items || m_overlayPattern != pattern) {
        m_overlay = std::make_unique<OverlayPainter>(m_flight, pattern, look);
        m_overlayPattern = pattern;
    }
    Map->SetOverlay(m_overlay->Frame(index));
}

QSize FlightView::sizeHint() const
{
    return {820, QWidget::sizeHint().height()};
}

void FlightView::SetPatternSource(std::function<QString()> source)
{
    m_patternSource = std::move(source);
    RefreshSubtitle();
}

void FlightView::ShowFlight(const Flight& flight, const QString& fileName)
{
    m_overlay.reset();
    m_flight = flight;
    m_figures = ComputeFlightFigures(flight);
    m_heights = FlightHasHeights(flight);
    m_fileName = fileName;
    const FlightFigures& figures = m_figures;
    ShowFileName(fileName, flight.Log.Source, flight.Log.SourceName);
    m_flightTime->setText(DurationText(qRound64(figures.FlightTimeS * 1000)) + QStringLiteral(" (%1 s)").arg(qRound64(figures.FlightTimeS)));
    m_pathFlown->setText(MetresText(figures.PathM));
    m_maxDistance->setText(MetresText(figures.MaxDistanceHomeM));
    m_maxHeight->setText(!m_heights ? QStringLiteral("No heights in the log")
                                    : MetresText(figures.MaxHeightM) + (figures.SeaLevel ? QStringLiteral(" above sea level") : QString()));
    m_topSpeed->setText(SpeedText(figures.TopSpeedMs));
    m_records->setText(QString::number(figures.Records));
    m_format->setText(figures.FormatName.isEmpty() ? QStringLiteral("-") : figures.FormatName);

    std::vector<double> times;
    times.reserve(figures.Samples.size());
    for (const FlightSample& s : figures.Samples)
        times.push_back(s.TimeS);
    const double end = std::max(figures.FlightTimeS, times.empty() ? 0.0 : times.back());
    Charts->Plot(flight, figures, m_heights, end);
    ColourTrack();
    Playback->SetTimes(times, end);
    ShowMoment(Playback->Index());
}

void FlightView::ShowFileName(const QString& fileName, FlightLog::ReadFrom source, const QString& sourceName)
{
    QString text = QFileInfo(fileName).fileName();
    if (source == FlightLog::ReadFrom::VideoTrack)
        text += QStringLiteral(", read from the video's subtitle track");
    else if (source == FlightLog::ReadFrom::LogBesideVideo)
        text += QStringLiteral(", read from the log beside the video: ") + QFileInfo(sourceName).fileName();
    FileLabel->setText(text);
    FileLabel->setToolTip(fileName);
}

void FlightView::ShowReadFailure(const QString& fileName, const QString& why)
{
    m_overlay.reset();
    m_flight = Flight();
    m_figures = FlightFigures();
    m_heights = true;
    m_fileName = fileName;
    ShowFileName(fileName, FlightLog::ReadFrom::LogFile, QString());
    for (QLabel* label : {m_flightTime, m_pathFlown, m_maxDistance, m_maxHeight, m_topSpeed, m_records, m_format})
        label->setText(QStringLiteral("-"));
    Charts->Clear();
    Playback->SetTimes({}, 0.0);
    ShowMoment(-1);
    Map->SetMessage(QFileInfo(fileName).fileName() + QStringLiteral(" could not be read.\n") + why);
}

void FlightView::ColourTrack()
{
    const bool byHeight = ColourCombo->currentData().toInt() == 1;
    std::vector<MapPoint> points;
    points.reserve(m_flight.Points.size());
    for (std::size_t i = 0; i < m_flight.Points.size(); ++i) {
        const TrackPoint& p = m_flight.Points[i];
        points.push_back({p.Lat, p.Lon, !byHeight ? p.SpeedMs : m_heights ? p.HeightM : NAN});
    }
    const double top = byHeight ? m_figures.MaxHeightM : m_figures.TopSpeedMs;
    m_keyTop->setText(byHeight && !m_heights ? QStringLiteral("-")
                                             : QString::number(top, 'f', 1) + (byHeight ? QStringLiteral(" m") : QStringLiteral(" m/s")));
    const int marker = Playback->Index();
    if (m_flight.Points.empty())
        Map->SetTrack({}, 0.0, 0.0, top);
    else
        Map->SetTrack(std::move(points), m_flight.Log.Records.front().HomeLat, m_flight.Log.Records.front().HomeLon, top);
    Map->SetMarker(m_flight.Points.empty() ? -1 : marker);
}

void FlightView::ShowMoment(int index)
{
    const bool valid = index >= 0 && index < int(m_figures.Samples.size()) && index < int(m_flight.Points.size());
    Charts->SetCursor(valid ? m_figures.Samples[index].TimeS : NAN);
    if (!valid) {
        for (QLabel* label : {m_momentTime, m_momentSpeed, m_momentHeight, m_momentDistance, m_momentWay})
            label->setText(QStringLiteral("-"));
        SubtitlePreview->clear();
        RefreshOverlay();
        return;
    }
    const FlightSample& s = m_figures.Samples[index];
    const TrackPoint& p = m_flight.Points[index];
    Map->SetMarker(index);
    m_momentTime->setText(DurationText(qRound64(s.TimeS * 1000)) + QStringLiteral(" (%1 s)").arg(qRound64(s.TimeS)));
    m_momentSpeed->setText(SpeedText(p.SpeedMs));
    m_momentHeight->setText(m_heights ? MetresText(p.HeightM) : QStringLiteral("-"));
    m_momentDistance->setText(MetresText(p.DistanceHomeM));
    m_momentWay->setText(MetresText(p.WayM));
    RefreshSubtitle();
}

void FlightView::RefreshSubtitle()
{
    const int index = Playback->Index();
    if (index < 0 || index >= int(m_flight.Points.size()) || index >= int(m_flight.Log.Records.size())) {
        SubtitlePreview->clear();
        RefreshOverlay();
        return;
    }
    const QString pattern = m_patternSource ? m_patternSource() : DefaultPatternCrLf();
    // The block as the subtitle file would hold it, without its line ends' CR.
    QString text = ::SubtitlePreview(m_flight, static_cast<std::size_t>(index), pattern);
    text.remove(QLatin1Char('\r'));
    SubtitlePreview->setPlainText(text.trimmed());
    RefreshOverlay();
}

bool FlightView::SavePicture(const QString& fileName, double privacyRadiusM)
{
    // The zone is put on for the grab only: the view itself is the pilot's
    // own screen and keeps showing everything.
    const double shownRadiusM = m_flight.PrivacyRadiusM;
    if (privacyRadiusM > 0.0) {
        Map->SetLeftOut(PointsInPrivacyZone(m_flight, privacyRadiusM));
        m_flight.PrivacyRadiusM = privacyRadiusM;
        m_overlay.reset();
        RefreshSubtitle();
    }
    const QImage picture = Picture->grab().toImage();
    if (privacyRadiusM > 0.0) {
        Map->SetLeftOut({});
        m_flight.PrivacyRadiusM = shownRadiusM;
        m_overlay.reset();
        RefreshSubtitle();
    }
    QImageWriter writer(fileName, "png");
    return writer.write(picture);
}
