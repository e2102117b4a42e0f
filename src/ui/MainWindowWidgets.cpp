#include "ui/MainWindowWidgets.h"

#include "app/SornLogic.h"
#include "input/InputPatterns.h"
#include "ui/FlightView.h"
#include "input/LogFamily.h"
#include "output/Outputs.h"
#include "ui/PlaceholderPicker.h"
#include "ui/QLineEditDnD.h"

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
    Window->setWindowTitle(SornLogic::WindowTitle());
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
    LogFormatCombo->addItem(QStringLiteral("Automatic"), AutomaticFormatId());
    for (const LogFamily& family : LogFamilies())
        LogFormatCombo->addItem(QLatin1String(family.Drones), QLatin1String(family.Id));
    LogFormatCombo->addItem(QStringLiteral("Input patterns below"), PatternsFormatId());
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

    // Each caption stands left of its field.
    auto* settings = new QGroupBox(QStringLiteral("Conversion settings"));
    auto* settingsLayout = new QGridLayout;
    settingsLayout->setVerticalSpacing(0);
    settingsLayout->setHorizontalSpacing(4);
    settingsLayout->setContentsMargins(6, 4, 6, 4);
    // Two settings a row, so that the window stays low.
    settingsLayout->addWidget(Caption("Way before, m"), 0, 0);
    WayBeforeEdit = Named(new QLineEdit, "WayBeforeEdit");
    settingsLayout->addWidget(WayBeforeEdit, 0, 1);
    settingsLayout->addWidget(Caption("Smooth GPS, sec"), 0, 2);
    SmoothGpsEdit = Named(new QLineEdit, "SmoothGpsEdit");
    settingsLayout->addWidget(SmoothGpsEdit, 0, 3);
    UseHeightCheck = Named(new QCheckBox(QStringLiteral("Use height for speed and way")), "UseHeightCheck");
    UseHeightCheck->setChecked(false);
    settingsLayout->addWidget(UseHeightCheck, 1, 0, 1, 2);
    settingsLayout->addWidget(Caption("Log time zone"), 1, 2);
    TimeZoneEdit = Named(new QLineEdit, "TimeZoneEdit");
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
    settingsLayout->addWidget(TimeZoneEdit, 1, 3);
    settingsLayout->addWidget(Caption("Privacy radius, m"), 2, 2);
    PrivacyRadiusEdit = Named(new QLineEdit, "PrivacyRadiusEdit");
    PrivacyRadiusEdit->setToolTip(QStringLiteral("Positions within this distance of home, and the home point, are "
                                                 "left out of the outputs. 0: off."));
    settingsLayout->addWidget(PrivacyRadiusEdit, 2, 3);
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
    settingsLayout->addLayout(patternCaption, 2, 0, 1, 2);
    settings->setLayout(settingsLayout);
    QWidget::setTabOrder(PrivacyRadiusEdit, PlaceholdersButton);
    QWidget::setTabOrder(PlaceholdersButton, OutPatternEdit);
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
    // two a row.
    OtherOutputsCheck = Named(new QCheckBox(QStringLiteral("Other outputs")), "OtherOutputsCheck");
    OtherOutputsCheck->setToolTip(QStringLiteral("GPX track, KML, CSV and GeoJSON"));
    OtherOutputsGroup = Named(new QWidget, "OtherOutputsGroup");
    OtherOutputsGroup->setHidden(true);
    auto* otherLayout = new QGridLayout;
    otherLayout->setVerticalSpacing(2);
    otherLayout->setContentsMargins(0, 0, 0, 0);
    for (const OutputKind& kind : OutputKinds()) {
        if (kind.ByDefault)
            continue;
        OutputRow row{&kind, new QLineEdit, new QPushButton(QStringLiteral("Write ") + QLatin1String(kind.Suffix).mid(1))};
        row.NameEdit->setObjectName(QStringLiteral("Out_%1_FileNameEdit").arg(QLatin1String(kind.Id)));
        row.NameEdit->setToolTip(QLatin1String(kind.Description));
        row.WriteButton->setObjectName(QStringLiteral("Write_%1_Button").arg(QLatin1String(kind.Id)));
        row.WriteButton->setToolTip(QLatin1String(kind.Description));
        auto* line = new QWidget;
        auto* lineLayout = new QHBoxLayout;
        lineLayout->setContentsMargins(0, 0, 0, 0);
        lineLayout->addWidget(row.NameEdit, 1);
        lineLayout->addWidget(row.WriteButton);
        line->setLayout(lineLayout);
        otherLayout->addWidget(line, OtherOutputs.size() / 2, OtherOutputs.size() % 2);
        OtherOutputs.append(row);
    }
    OtherOutputsGroup->setLayout(otherLayout);
    splitter->addWidget(OtherOutputsGroup);

    AboutButton = Named(new QPushButton(QStringLiteral("About Velloa")), "AboutButton");
    splitter->addWidget(Row("AboutRow", OtherOutputsCheck, AboutButton));

    auto* refusal = new FileDropRefusal(Window);
    QList<QWidget*> noFileTargets = {OutSrtFileNameEdit, OutGpxFileNameEdit, OutPatternEdit->viewport(),
                                     WayBeforeEdit, SmoothGpsEdit, TimeZoneEdit, PrivacyRadiusEdit};
    for (const OutputRow& row : qAsConst(OtherOutputs))
        noFileTargets.append(row.NameEdit);
    for (QLineEdit* edit : qAsConst(InPatternEdits))
        noFileTargets.append(edit);
    for (QWidget* target : qAsConst(noFileTargets))
        target->installEventFilter(refusal);

    // The flight view stands right of the controls, hidden until a log has
    // been read; the controls keep their width, the view takes the rest.
    FlightPane = Named(new FlightView, "FlightView");
    FlightPane->setHidden(true);

    auto* windowLayout = new QHBoxLayout;
    windowLayout->setContentsMargins(4, 4, 4, 4);
    windowLayout->addWidget(splitter, 0);
    windowLayout->addWidget(FlightPane, 1);
    Window->setLayout(windowLayout);
}

void MainWindowWidgets::SetFlightViewShown(bool shown)
{
    if (shown != FlightPane->isHidden())
        return;
    if (shown) {
        WidthWithoutView = Window->width();
        FlightPane->setHidden(false);
        Window->layout()->activate();
        // Wider by the view, and as high as the window would like to be, both
        // within the screen less the window's frame.
        int width = WidthWithoutView + FlightPane->sizeHint().width() + Window->layout()->spacing();
        int height = Window->sizeHint().height();
        if (QScreen* screen = Window->screen()) {
            const QSize frame = Window->frameGeometry().size() - Window->size();
            width = std::min(width, screen->availableGeometry().width() - frame.width());
            height = std::min(height, screen->availableGeometry().height() - frame.height());
        }
        Window->resize(std::max(width, Window->width()), std::max(height, Window->height()));
    } else {
        FlightPane->setHidden(true);
        Window->layout()->activate();
        Window->resize(std::max(WidthWithoutView, Window->minimumWidth()), Window->height());
    }
}
