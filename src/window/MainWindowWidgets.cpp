#include "window/MainWindowWidgets.h"

#include "conversion/ConversionSettings.h"
#include "conversion/Messages.h"
#include "conversion/VideoOutputOptions.h"
#include "window/ControlsColumn.h"
#include "window/FlightView.h"
#include "window/PlaceholderPicker.h"
#include "window/QLineEditDnD.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QCompleter>
#include <QTimeZone>
#include <QDropEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>

namespace {

// Widgets are made without a parent: the splitter or a layout adopts them,
// so they end up as children of the window (directly or via a group box).
template <typename W>
W* Named(W* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QLabel* Caption(const char* text)
{
    return new QLabel(QLatin1String(text));
}

// A caption that names `field` (its buddy), found again as the field's
// "caption" property when the controls are arranged anew.
QLabel* Captioned(QWidget* field, const char* text)
{
    QLabel* caption = Caption(text);
    caption->setBuddy(field);
    field->setProperty("caption", QVariant::fromValue<QWidget*>(caption));
    return caption;
}

// "Write .KML file", "Write .GPX track file": as the two buttons above.
QString WriteCaption(const OutputKind& kind)
{
    const QStringList parts = QString::fromLatin1(kind.Suffix).mid(1).split(QLatin1Char('.'));
    const QString type = parts.last() == QLatin1String("geojson") ? QStringLiteral("GeoJSON") : parts.last().toUpper();
    return QStringLiteral("Write .") + type + (parts.size() > 1 ? QLatin1Char(' ') + parts.first() : QString())
        + QStringLiteral(" file");
}

// One splitter pane holding a field and its button side by side, so that the
// window stays low enough for a 768 px screen.
QWidget* Row(const char* name, QWidget* field, QWidget* button)
{
    auto* row = Named(new QWidget, name);
    auto* layout = new QHBoxLayout;
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(field, 1);
    layout->addWidget(button);
    row->setLayout(layout);
    return row;
}

// Only the input field takes files: a text field that accepted a dropped
// file would take its address as text (an output pattern that then stands
// in every subtitle block, say). Drags of plain text keep working.
class FileDropRefusal : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);  // the enter and move events derive from it
            if (drop->mimeData() && drop->mimeData()->hasUrls()) {
                drop->ignore();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

void MainWindowWidgets::BuildMainWindow()
{
    StyleInput = QStringLiteral("background-color:#FFFFF0");
    StyleChanged = QStringLiteral("background-color:#F8FFF0");
    StyleNone = QString();

    Window = Named(new QWidget, "Window");
    Window->setWindowTitle(WindowTitleText());
    Window->resize(500, Window->height());

    auto* splitter = Named(new QSplitter(Qt::Vertical), "ControlsSplitter");
    splitter->setChildrenCollapsible(false);
    splitter->setHandleWidth(3);

    splitter->addWidget(Caption("Input .SRT file:"));
    InFileNameEdit = Named(new QLineEditDnD, "InFileNameEdit");
    InFileNameEdit->setStyleSheet(StyleInput);
    OpenSrtButton = Named(new QPushButton(QStringLiteral("Open .SRT ")), "OpenSrtButton");
    splitter->addWidget(Row("InFileRow", InFileNameEdit, OpenSrtButton));

    AdjustInPatternsCheck = Named(new QCheckBox(QStringLiteral("Adjust input patterns")), "AdjustInPatternsCheck");
    AdjustInPatternsCheck->setChecked(false);

    // The group is hidden and styled before its rows exist, so the rows
    // inherit the ivory background and never flash up at start.
    InPatternGroup = Named(new QGroupBox(QStringLiteral("Input RE-patterns for SRT-parse")), "InPatternGroup");
    InPatternGroup->setHidden(true);
    InPatternGroup->setStyleSheet(StyleInput);
    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(1);
    grid->setContentsMargins(6, 4, 6, 4);
    LogFormatCombo = Named(new QComboBox, "LogFormatCombo");
    for (const LogFormatOption& choice : LogFormatOptions())
        LogFormatCombo->addItem(choice.Label, choice.Id);
    // The drones' names are long: the choice does not widen the window for
    // them (the open list shows them whole).
    LogFormatCombo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    LogFormatCombo->setMinimumContentsLength(16);
    // The choice heads the group on the check box's line, so that the
    // window stays low; it is shown and hidden with the group.
    LogFormatChoice = Named(new QWidget, "LogFormatChoice");
    auto* choiceLayout = new QHBoxLayout;
    choiceLayout->setContentsMargins(0, 0, 0, 0);
    choiceLayout->addWidget(new QLabel(QStringLiteral("Log format")));
    choiceLayout->addWidget(LogFormatCombo, 1);
    LogFormatChoice->setLayout(choiceLayout);
    LogFormatChoice->setHidden(true);
    splitter->addWidget(Row("AdjustRow", AdjustInPatternsCheck, LogFormatChoice));
    InPatternEdits.clear();
    for (int i = 0; i < InputPatterns::Count; ++i) {
        auto* edit = new QLineEdit;
        edit->setObjectName(QStringLiteral("InPatternEdits_%1").arg(i));
        InPatternEdits.append(edit);
        grid->addWidget(new QLabel(InputPatterns::Label(i)), i + 1, 0);
        grid->addWidget(edit, i + 1, 1);
    }
    InPatternGroup->setLayout(grid);
    splitter->addWidget(InPatternGroup);
    // Shown with several logs: a row a flight.
    FlightList = Named(new QTreeWidget, "FlightList");
    FlightList->setHeaderLabels(FlightListHeaders());
    FlightList->setRootIsDecorated(false);
    FlightList->setUniformRowHeights(true);
    FlightList->setAllColumnsShowFocus(true);
    FlightList->setSelectionMode(QAbstractItemView::SingleSelection);
    FlightList->setHidden(true);
    // The header, three flights and a scroll bar in sight; more scroll.
    FlightList->setMinimumHeight(FlightList->fontMetrics().lineSpacing() * 8);
    splitter->addWidget(FlightList);

    // Each caption stands left of its field.
    auto* settings = Named(new QGroupBox(QStringLiteral("Conversion settings")), "SettingsGroup");
    auto* settingsLayout = new QGridLayout;
    settingsLayout->setVerticalSpacing(0);
    settingsLayout->setHorizontalSpacing(4);
    settingsLayout->setContentsMargins(6, 4, 6, 4);
    // Two settings a row, or one a row narrow (Arrange places them).
    WayBeforeEdit = Named(new QLineEdit, "WayBeforeEdit");
    Captioned(WayBeforeEdit, "Way before, m");
    SmoothGpsEdit = Named(new QLineEdit, "SmoothGpsEdit");
    Captioned(SmoothGpsEdit, "Smooth GPS, sec");
    TrackCombo = Named(new QComboBox, "TrackCombo");
    Captioned(TrackCombo, "Track");
    TrackCombo->addItem(QStringLiteral("As designed"), int(TrackMethod::Design));
    TrackCombo->addItem(QStringLiteral("Estimated"), int(TrackMethod::Estimate));
    TrackCombo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    TrackCombo->setMinimumContentsLength(3);
    TrackCombo->setMinimumWidth(40);  // as narrow as the fields beside it; it widens with them
    TrackCombo->setToolTip(QStringLiteral(
        "As designed: Mavic Pro logs (read by the six input patterns) get the design's smoothing passes, "
        "\"Smooth GPS, sec\" of them; every other log is estimated.\n"
        "Estimated: every log is estimated from its times and the precision its positions are written with, "
        "over \"Smooth GPS, sec\" seconds: positions stay within their logged precision, speed and way follow "
        "the flight to its last record."));
    UseHeightCheck = Named(new QCheckBox(QStringLiteral("Use height for speed and way")), "UseHeightCheck");
    UseHeightCheck->setChecked(false);
    TimeZoneEdit = Named(new QLineEdit, "TimeZoneEdit");
    Captioned(TimeZoneEdit, "Log time zone");
    TimeZoneEdit->setPlaceholderText(QStringLiteral("this computer's zone"));
    TimeZoneEdit->setToolTip(QStringLiteral("The zone of the log's local times: a name such as Europe/Madrid, UTC, "
                                            "or an offset such as +05:30. Empty: this computer's zone."));
    QStringList zones;
    for (const QByteArray& id : QTimeZone::availableTimeZoneIds())
        zones << QString::fromLatin1(id);
    auto* completer = new QCompleter(zones, TimeZoneEdit);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setFilterMode(Qt::MatchContains);
    TimeZoneEdit->setCompleter(completer);
    PrivacyRadiusEdit = Named(new QLineEdit, "PrivacyRadiusEdit");
    Captioned(PrivacyRadiusEdit, "Privacy radius, m");
    PrivacyRadiusEdit->setToolTip(QStringLiteral("Positions within this distance of home, and the home point, are "
                                                 "left out of the outputs. 0: off."));
    // The pattern's caption and its Placeholders button close the group,
    // right above the pattern, so that the window stays low enough for a
    // 768 px screen.
    OutPatternEdit = Named(new QTextEdit, "OutPatternEdit");
    PlaceholdersButton = Named(new QToolButton, "PlaceholdersButton");
    PlaceholdersButton->setText(QStringLiteral("Placeholders"));
    PlaceholdersButton->setToolTip(QStringLiteral("Insert a placeholder at the cursor of the output pattern"));
    PlaceholdersButton->setPopupMode(QToolButton::InstantPopup);
    PlaceholderMenu = MakePlaceholderMenu(OutPatternEdit);
    PlaceholdersButton->setMenu(PlaceholderMenu);
    auto* patternCaption = new QHBoxLayout;
    patternCaption->setContentsMargins(0, 0, 0, 0);
    patternCaption->setSpacing(2);
    patternCaption->addWidget(Caption("Output Pattern"), 1, Qt::AlignBottom);
    patternCaption->addWidget(PlaceholdersButton);
    OutPatternCaption = Named(new QWidget, "OutPatternCaption");
    OutPatternCaption->setLayout(patternCaption);
    settings->setLayout(settingsLayout);
    splitter->addWidget(settings);

    // Tab moves on to the output fields; a pattern needs no literal tab.
    OutPatternEdit->setTabChangesFocus(true);
    OutPatternEdit->setMinimumHeight(OutPatternEdit->fontMetrics().lineSpacing() * 2
                                     + 2 * OutPatternEdit->frameWidth() + 4);
    splitter->addWidget(OutPatternEdit);

    splitter->addWidget(Caption("Output .SRT file:"));
    OutSrtFileNameEdit = Named(new QLineEdit, "OutSrtFileNameEdit");
    WriteSrtButton = Named(new QPushButton(QStringLiteral("Calc && Write .SRT file")), "WriteSrtButton");
    splitter->addWidget(Row("OutSrtRow", OutSrtFileNameEdit, WriteSrtButton));

    splitter->addWidget(Caption("Output .GPX file:"));
    OutGpxFileNameEdit = Named(new QLineEdit, "OutGpxFileNameEdit");
    WriteGpxButton = Named(new QPushButton(QStringLiteral("Write .GPX file")), "WriteGpxButton");
    splitter->addWidget(Row("OutGpxRow", OutGpxFileNameEdit, WriteGpxButton));

    // The outputs for other programs, shown on demand like the patterns,
    // one a row: what it is, its name, its button.
    OtherOutputsCheck = Named(new QCheckBox(QStringLiteral("Other outputs")), "OtherOutputsCheck");
    OtherOutputsCheck->setToolTip(QStringLiteral("GPX track, KML, CSV, GeoJSON, the overlay video and the video copy"));
    OtherOutputsGroup = Named(new QWidget, "OtherOutputsGroup");
    OtherOutputsGroup->setHidden(true);
    auto* otherLayout = new QGridLayout;
    otherLayout->setVerticalSpacing(2);
    otherLayout->setContentsMargins(0, 0, 0, 0);
    otherLayout->setColumnStretch(1, 1);
    for (const OutputKind& kind : OutputKinds()) {
        if (kind.ByDefault)
            continue;
        OutputRow row{&kind, new ElidingLineEdit, new QPushButton(WriteCaption(kind))};
        row.NameEdit->setObjectName(QStringLiteral("Out_%1_FileNameEdit").arg(QLatin1String(kind.Id)));
        row.NameEdit->setToolTip(QLatin1String(kind.Description));
        row.WriteButton->setObjectName(QStringLiteral("Write_%1_Button").arg(QLatin1String(kind.Id)));
        row.WriteButton->setToolTip(QLatin1String(kind.Description));
        const QString type = WriteCaption(kind).mid(7).chopped(5);  // ".KML", ".GPX track"
        Captioned(row.NameEdit, qPrintable(type + QLatin1Char(':')));
        if (QLatin1String(kind.Id) == QLatin1String("kml")) {
            KmlAltitudeCombo = Named(new QComboBox, "KmlAltitudeCombo");
            KmlAltitudeCombo->addItem(QStringLiteral("KML heights: automatic"), int(KmlHeights::Automatic));
            KmlAltitudeCombo->addItem(QStringLiteral("KML heights: above take-off"), int(KmlHeights::TakeOff));
            KmlAltitudeCombo->addItem(QStringLiteral("KML heights: above sea level"), int(KmlHeights::SeaLevel));
            KmlAltitudeCombo->setToolTip(QStringLiteral("Heights of the KML path: above take-off wherever the log "
                                                        "gives it (Automatic), or as chosen"));
            // Its texts do not widen the narrow column beside the flight view.
            KmlAltitudeCombo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
            KmlAltitudeCombo->setMinimumContentsLength(6);
            // On a row of its own under the rows (Arrange places it), so the
            // rows stay narrow.
        }
        OtherOutputs.append(row);
    }
    // The rows made with the clip, and how the overlay looks.
    OverlayNameEdit = Named(new ElidingLineEdit, "Out_overlay_FileNameEdit");
    WriteOverlayButton = Named(new QPushButton(QStringLiteral("Write overlay video")), "Write_overlay_Button");
    const QString overlayTip = QStringLiteral("A video with a transparent background showing, frame by frame, the subtitle "
        "text, a minimap and gauges, to lay over the clip beside the log in a video editor: the clip's size, rate and "
        "frames (1920x1080 over the log's duration without a clip)");
    OverlayNameEdit->setToolTip(overlayTip);
    WriteOverlayButton->setToolTip(overlayTip);
    Captioned(OverlayNameEdit, "Overlay:");
    VideoCopyNameEdit = Named(new ElidingLineEdit, "Out_videocopy_FileNameEdit");
    WriteVideoCopyButton = Named(new QPushButton(QStringLiteral("Write video copy")), "Write_videocopy_Button");
    const QString copyTip = QStringLiteral("A copy of the clip beside the log, its video and sound unchanged, with the "
                                           "computed subtitles as its first subtitle track");
    VideoCopyNameEdit->setToolTip(copyTip);
    WriteVideoCopyButton->setToolTip(copyTip);
    Captioned(VideoCopyNameEdit, "Video copy:");
    OverlayCodecCombo = Named(new QComboBox, "OverlayCodecCombo");
    OverlayCodecCombo->addItem(QStringLiteral("PNG"), QStringLiteral("png"));
    OverlayCodecCombo->addItem(QStringLiteral("QuickTime RLE"), QStringLiteral("qtrle"));
    OverlayCodecCombo->addItem(QStringLiteral("ProRes 4444"), QStringLiteral("prores"));
    OverlayCodecCombo->setToolTip(QStringLiteral("The overlay's codec, each with transparency"));
    OverlayCornerCombo = Named(new QComboBox, "OverlayCornerCombo");
    OverlayCornerCombo->addItem(QStringLiteral("Text top left"), QStringLiteral("top-left"));
    OverlayCornerCombo->addItem(QStringLiteral("Text top right"), QStringLiteral("top-right"));
    OverlayCornerCombo->addItem(QStringLiteral("Text bottom left"), QStringLiteral("bottom-left"));
    OverlayCornerCombo->addItem(QStringLiteral("Text bottom right"), QStringLiteral("bottom-right"));
    OverlayCornerCombo->setCurrentIndex(2);
    OverlayCornerCombo->setToolTip(QStringLiteral("Where the overlay's text stands; the map and gauges take the other side"));
    for (QComboBox* combo : {OverlayCodecCombo, OverlayCornerCombo}) {
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        combo->setMinimumContentsLength(6);
    }
    OverlayItemsBox = Named(new QWidget, "OverlayItemsBox");
    auto* itemsLayout = new QHBoxLayout(OverlayItemsBox);
    itemsLayout->setContentsMargins(0, 0, 0, 0);
    for (const char* item : {"text", "map", "gauges"}) {
        auto* check = new QCheckBox(QString::fromLatin1(item).replace(0, 1, QChar::fromLatin1(item[0]).toUpper()));
        check->setObjectName(QStringLiteral("OverlayItem_%1").arg(QLatin1String(item)));
        check->setProperty("item", QLatin1String(item));
        check->setChecked(true);
        check->setToolTip(QStringLiteral("What the overlay shows"));
        itemsLayout->addWidget(check);
        OverlayItemChecks.append(check);
    }
    OverlayLookRow = Named(new QWidget, "OverlayLookRow");
    auto* lookLayout = new QGridLayout(OverlayLookRow);
    lookLayout->setContentsMargins(0, 0, 0, 0);
    lookLayout->setVerticalSpacing(2);
    lookLayout->setColumnStretch(1, 1);  // the corner's words take the room there is
    OtherOutputsGroup->setLayout(otherLayout);
    splitter->addWidget(OtherOutputsGroup);

    AboutButton = Named(new QPushButton(QStringLiteral("About Velloa")), "AboutButton");
    splitter->addWidget(Row("AboutRow", OtherOutputsCheck, AboutButton));

    // Every text field but the input refuses files.
    auto* refusal = new FileDropRefusal(Window);
    OutPatternEdit->viewport()->installEventFilter(refusal);
    for (QLineEdit* edit : splitter->findChildren<QLineEdit*>()) {
        if (edit != InFileNameEdit)
            edit->installEventFilter(refusal);
    }

    // The flight view stands right of the controls, hidden until a log has
    // been read; the controls keep their width, the view takes the rest.
    FlightPane = Named(new FlightView, "FlightView");
    FlightPane->setHidden(true);

    // The column scrolls rather than outgrow a low screen.
    auto* controls = Named(new ControlsScroll, "ControlsScroll");
    controls->setWidget(splitter);
    auto* windowLayout = new QHBoxLayout;
    windowLayout->setContentsMargins(4, 4, 4, 4);
    windowLayout->addWidget(controls, 0);
    windowLayout->addWidget(FlightPane, 1);
    Window->setLayout(windowLayout);
    Arrange(false);
    // Tab goes through the settings as they read, wide or narrow.
    const QList<QWidget*> settingsOrder{FlightList, WayBeforeEdit, SmoothGpsEdit, TrackCombo, UseHeightCheck, TimeZoneEdit,
                                        PrivacyRadiusEdit, PlaceholdersButton, OutPatternEdit};
    for (int i = 1; i < settingsOrder.size(); ++i)
        QWidget::setTabOrder(settingsOrder[i - 1], settingsOrder[i]);
    PressButtonsOnEnter(Window);
    // The pattern's frame shows where the focus is, as the fields' do.
    OutPatternEdit->setStyleSheet(QStringLiteral("QTextEdit { border: 1px solid palette(mid); }"
                                                 "QTextEdit:focus { border: 2px solid palette(highlight); }"));
}

void MainWindowWidgets::SetFlightViewShown(bool shown)
{
    if (shown != FlightPane->isHidden())
        return;
    // The room on the screen less the window's frame.
    QSize room(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (QScreen* screen = Window->screen()) {
        const QSize frame = Window->frameGeometry().size() - Window->size();
        room = screen->availableGeometry().size() - QSize(std::max(frame.width(), 0), std::max(frame.height(), 30));
    }
    const int margins = Window->layout()->contentsMargins().left() + Window->layout()->contentsMargins().right();
    QWidget* controls = Window->findChild<QWidget*>(QStringLiteral("ControlsScroll"));
    if (shown) {
        WidthWithoutView = Window->width();
        FlightPane->setHidden(false);
        // Side by side as they are when the screen holds both, else the
        // controls narrow and the view takes the rest.
        const int viewWidth = FlightPane->sizeHint().width() + Window->layout()->spacing();
        SetControlsNarrow(controls->sizeHint().width() + viewWidth + margins > room.width());
        Window->layout()->activate();
        const int width = std::min(controls->sizeHint().width() + viewWidth + margins, room.width());
        const int height = std::min(Window->sizeHint().height(), room.height());
        Window->resize(std::min(std::max(width, Window->width()), room.width()),
                       std::min(std::max(height, Window->height()), room.height()));
    } else {
        FlightPane->setHidden(true);
        SetControlsNarrow(false);
        Window->layout()->activate();
        Window->resize(std::min(std::max(WidthWithoutView, Window->minimumWidth()), room.width()), Window->height());
    }
}

namespace {

void SetDirection(QWidget* row, bool narrow)
{
    if (auto* box = row ? qobject_cast<QBoxLayout*>(row->layout()) : nullptr)
        box->setDirection(narrow ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight);
}

void Put(QGridLayout* grid, QWidget* widget, int row, int column, int columns = 1)
{
    if (!widget)
        return;
    grid->removeWidget(widget);
    grid->addWidget(widget, row, column, 1, columns);
}

QWidget* CaptionOf(const QWidget* field)
{
    return field->property("caption").value<QWidget*>();
}

}  // namespace

void MainWindowWidgets::Arrange(bool narrow)
{
    // Conversion settings: a field and its caption (or one that needs none,
    // over both columns) two a row, or one a row in reading order with the
    // pattern's caption right above the pattern.
    auto* settings = qobject_cast<QGridLayout*>(Window->findChild<QGroupBox*>(QStringLiteral("SettingsGroup"))->layout());
    const QList<QWidget*> fields = narrow
        ? QList<QWidget*>{WayBeforeEdit, SmoothGpsEdit, TrackCombo, UseHeightCheck, TimeZoneEdit, PrivacyRadiusEdit,
                          OutPatternCaption}
        : QList<QWidget*>{WayBeforeEdit, SmoothGpsEdit, TrackCombo, UseHeightCheck, TimeZoneEdit, PrivacyRadiusEdit,
                          OutPatternCaption};
    // Narrow, a choice whose items are words ("Track") takes a row under its
    // caption, so that its item reads whole.
    const int perRow = narrow ? 1 : 2;
    for (int k = 0, row = 0; k < fields.size(); ++k) {
        const int column = k % perRow * 2;
        QWidget* caption = CaptionOf(fields[k]);
        const bool below = narrow && caption && qobject_cast<QComboBox*>(fields[k]);
        Put(settings, caption, row, column, below ? 2 : 1);
        row += below ? 1 : 0;
        Put(settings, fields[k], row, caption && !below ? column + 1 : column, caption && !below ? 1 : 2);
        row += (k % perRow == perRow - 1) ? 1 : 0;
    }
    // Other outputs: the write button right of its field, or under it; the
    // KML heights under the rows.
    auto* others = qobject_cast<QGridLayout*>(OtherOutputsGroup->layout());
    const int step = narrow ? 2 : 1;
    QVector<QPair<QLineEdit*, QPushButton*>> rows;
    for (const OutputRow& row : qAsConst(OtherOutputs))
        rows.append({row.NameEdit, row.WriteButton});
    rows.append({OverlayNameEdit, WriteOverlayButton});
    rows.append({VideoCopyNameEdit, WriteVideoCopyButton});
    for (int i = 0; i < rows.size(); ++i) {
        Put(others, CaptionOf(rows[i].first), step * i, 0);
        Put(others, rows[i].first, step * i, 1);
        Put(others, rows[i].second, step * i + step - 1, narrow ? 0 : 2, narrow ? 2 : 1);
    }
    Put(others, KmlAltitudeCombo, step * rows.size(), narrow ? 0 : 1, 2);
    // The overlay's look: codec, corner and items on a row, or one under
    // the other narrow, the items too.
    auto* look = qobject_cast<QGridLayout*>(OverlayLookRow->layout());
    Put(look, OverlayCodecCombo, 0, 0);
    Put(look, OverlayCornerCombo, narrow ? 1 : 0, narrow ? 0 : 1);
    Put(look, OverlayItemsBox, narrow ? 2 : 0, narrow ? 0 : 2);
    SetDirection(OverlayItemsBox, narrow);
    Put(others, OverlayLookRow, step * rows.size() + 1, 0, 3);
}

void MainWindowWidgets::SetControlsNarrow(bool narrow)
{
    if (narrow == ControlsNarrow)
        return;
    ControlsNarrow = narrow;
    for (const char* name : {"InFileRow", "AdjustRow", "OutSrtRow", "OutGpxRow", "AboutRow", "OutPatternCaption"})
        SetDirection(Window->findChild<QWidget*>(QLatin1String(name)), narrow);
    LogFormatCombo->setMinimumContentsLength(narrow ? 6 : 16);
    // A line edit asks for room by its font's widest glyph; narrow, the
    // fields make do with less (they scroll their text as ever).
    const QList<QLineEdit*> edits = Window->findChild<QWidget*>(QStringLiteral("ControlsSplitter"))->findChildren<QLineEdit*>();
    for (QLineEdit* edit : edits)
        edit->setMinimumWidth(narrow ? 40 : 0);
    // The pattern group's title is the one text wider than the narrow
    // column: it is cut there (its tooltip holds it whole).
    InPatternGroup->setMinimumWidth(narrow ? 1 : 0);
    InPatternGroup->setToolTip(narrow ? InPatternGroup->title() : QString());
    // The one caption wider than the narrow column breaks in two.
    UseHeightCheck->setText(narrow ? QStringLiteral("Use height for\nspeed and way") : QStringLiteral("Use height for speed and way"));
    Arrange(narrow);
    if (auto* splitter = Window->findChild<QSplitter*>(QStringLiteral("ControlsSplitter")))
        splitter->refresh();
    auto* column = Window->findChild<ControlsScroll*>(QStringLiteral("ControlsScroll"));
    column->Narrow = narrow;
    column->updateGeometry();
}

void MainWindowWidgets::ToggleGroup(QWidget* group, int& heightBefore)
{
    const bool show = group->isHidden();
    const QSize sizeBefore = Window->size();
    if (show)
        heightBefore = Window->height();
    group->setHidden(!show);
    // The splitter and the layout measure their new minimum now rather than
    // on the next pass of the event loop, so that the resize below is
    // checked against the window as it now is.
    if (auto* splitter = qobject_cast<QSplitter*>(group->parentWidget()))
        splitter->refresh();
    Window->findChild<QWidget*>(QStringLiteral("ControlsScroll"))->updateGeometry();  // the column's own size
    Window->layout()->activate();
    // Beside the flight view the window keeps its size: the column scrolls.
    // Without it, shown, the window becomes as low as the layout allows
    // (50 px just means "as low as possible"); hidden again, it returns to
    // its height from before.
    if (!FlightPane->isHidden())
        Window->resize(sizeBefore);
    else
        Window->resize(Window->width(), show ? 50 : heightBefore);
}

ConversionRequest MainWindowWidgets::Request() const
{
    ConversionRequest request;
    request.InputName = InFileNameEdit->text();
    for (int i = 0; i < InputPatterns::Count; ++i)
        request.Patterns.Texts[i] = InPatternEdits[i]->text();
    request.FormatId = LogFormatCombo->currentData().toString();
    // The editor hands its text back with LF line breaks only.
    request.OutPattern = OutPatternEdit->toPlainText();
    request.SmoothingCount = ReadSmoothingCount(SmoothGpsEdit->text());
    request.Track = static_cast<TrackMethod>(TrackCombo->currentData().toInt());
    request.WayBeforeM = ReadWayBefore(WayBeforeEdit->text());
    request.UseHeight = UseHeightCheck->isChecked();
    request.TimeZone = TimeZoneEdit->text().trimmed();
    request.Kml = static_cast<KmlHeights>(KmlAltitudeCombo->currentData().toInt());
    if (!ReadPrivacyRadius(PrivacyRadiusEdit->text(), &request.PrivacyRadiusM))
        request.PrivacyRadiusM = -1.0;
    return request;
}

bool MainWindowWidgets::OverlaySettings(OverlayVideoRequest* video, QString* error) const
{
    QStringList items;
    for (const QCheckBox* check : OverlayItemChecks) {
        if (check->isChecked())
            items << check->property("item").toString();
    }
    return ReadOverlayCodec(OverlayCodecCombo->currentData().toString(), &video->Codec, error)
        && ReadOverlayCorner(OverlayCornerCombo->currentData().toString(), &video->Look.Corner, error)
        && ReadOverlayItems(items.join(QLatin1Char(',')), &video->Look.Items, error);
}
