#pragma once

#include "conversion/Conversion.h"
#include "overlay/OverlayVideo.h"
#include "window/QLineEditDnD.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QTextEdit>
#include <QVector>
#include <QWidget>

class FlightView;
class QMenu;
class QToolButton;
class QTreeWidget;
struct OutputKind;

// The main window and the widgets the controller and the actions work with.
// A plain record, not an object: it starts with every pointer null and is
// filled once by BuildMainWindow. Each working widget carries its field name
// as Qt object name, so it can also be found with findChild.
struct MainWindowWidgets {
    QWidget* Window = nullptr;
    QLineEditDnD* InFileNameEdit = nullptr;
    QLineEdit* OutSrtFileNameEdit = nullptr;
    QLineEdit* OutGpxFileNameEdit = nullptr;
    // "Log format": "Automatic", each layout, "Input patterns below"; the
    // item data is the format id (see ParseLog).
    QComboBox* LogFormatCombo = nullptr;
    QWidget* LogFormatChoice = nullptr;  // its caption and the choice, shown with the pattern group
    // One field per input pattern, in the order of InputPatterns::Index.
    QVector<QLineEdit*> InPatternEdits;
    QTextEdit* OutPatternEdit = nullptr;  // used as plain text only
    QToolButton* PlaceholdersButton = nullptr;  // its menu (ui/PlaceholderPicker.h) inserts into OutPatternEdit
    QMenu* PlaceholderMenu = nullptr;
    QLineEdit* WayBeforeEdit = nullptr;
    QLineEdit* SmoothGpsEdit = nullptr;
    QComboBox* TrackCombo = nullptr;  // "Track": as designed or estimated
    QCheckBox* UseHeightCheck = nullptr;
    QLineEdit* TimeZoneEdit = nullptr;  // "Log time zone": empty for this computer's zone
    QLineEdit* PrivacyRadiusEdit = nullptr;  // "Privacy radius, m": "0" is off
    // "Other outputs": a name field and a write button for every output
    // that is not written by the two buttons above, from the output table.
    struct OutputRow {
        const OutputKind* Kind = nullptr;
        QLineEdit* NameEdit = nullptr;
        QPushButton* WriteButton = nullptr;
    };
    QVector<OutputRow> OtherOutputs;
    // The two rows made with the clip beside the log, after the rows above:
    // the overlay video and the copy of the clip with the computed subtitles.
    QLineEdit* OverlayNameEdit = nullptr;
    QPushButton* WriteOverlayButton = nullptr;
    QLineEdit* VideoCopyNameEdit = nullptr;
    QPushButton* WriteVideoCopyButton = nullptr;
    // How the overlay looks, under the rows: the item data of the combos and
    // the "item" property of the check boxes are velloa-cli's values of
    // --overlay-codec, --overlay-corner and --overlay-items.
    QWidget* OverlayLookRow = nullptr;
    QComboBox* OverlayCodecCombo = nullptr;
    QComboBox* OverlayCornerCombo = nullptr;
    QWidget* OverlayItemsBox = nullptr;
    QVector<QCheckBox*> OverlayItemChecks;
    // Beside the KML row: the heights of the KML path (data: KmlHeights).
    QComboBox* KmlAltitudeCombo = nullptr;
    // The output pattern's caption and its Placeholders button.
    QWidget* OutPatternCaption = nullptr;
    QCheckBox* OtherOutputsCheck = nullptr;
    QWidget* OtherOutputsGroup = nullptr;
    QCheckBox* AdjustInPatternsCheck = nullptr;
    QGroupBox* InPatternGroup = nullptr;
    // Under the patterns, shown with several logs: a row a flight (CardWindow.h),
    // its columns FlightListHeaders.
    QTreeWidget* FlightList = nullptr;
    QPushButton* OpenSrtButton = nullptr;
    QPushButton* WriteSrtButton = nullptr;
    QPushButton* WriteGpxButton = nullptr;
    QPushButton* AboutButton = nullptr;
    FlightView* FlightPane = nullptr;  // right of the controls, hidden until a log is read
    bool ControlsNarrow = false;       // the controls column stacked narrow beside the view
    int WidthWithoutView = 0;          // the window's width before the view was shown
    QString StyleInput;    // an empty input name, and the pattern group
    QString StyleChanged;  // a field that holds a name (or a fresh way value)
    QString StyleNone;     // no style sheet at all

    // Creates and lays out the window (top-level, 500 px wide, hidden).
    // Sets no field texts: the controller fills them right after.
    void BuildMainWindow();

    // Shows or hides the flight view. Shown, the window widens by the view's
    // width and grows to its preferred height, as far as the screen allows
    // (the controls narrow when the screen cannot hold both side by side);
    // hidden, it returns to its width from before.
    void SetFlightViewShown(bool shown);

    // Stacks each button under its field and the settings one a row, so
    // that the view keeps its width beside the controls on a small screen;
    // false puts them side by side again.
    void SetControlsNarrow(bool narrow);

    // Shows or hides a group of the controls column. Beside the flight view
    // the window keeps its size (the column scrolls); without it, shown, the
    // window becomes as low as it can, and hidden again it returns to
    // `heightBefore`, its height from before the group was shown.
    void ToggleGroup(QWidget* group, int& heightBefore);

    // The one place the fields become a request: the log named in the input
    // field with the settings exactly as the fields show them, no output.
    // A privacy radius that is no number of metres is -1.
    ConversionRequest Request() const;

    // The overlay's codec, corner and items as the fields show them, read
    // as velloa-cli reads its options; false with velloa-cli's text of what
    // is allowed (no item checked, say).
    bool OverlaySettings(OverlayVideoRequest* video, QString* error) const;

private:
    // Places the settings and the other outputs in their grids, wide or
    // narrow, from one table.
    void Arrange(bool narrow);
};
