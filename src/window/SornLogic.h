#pragma once

#include "conversion/Conversion.h"
#include "conversion/Messages.h"

#include <QObject>
#include <QString>

#include <optional>

struct MainWindowWidgets;
class CardControl;
class FlightPreview;
class ProgressRun;

// The controller: owns the main window record, the input patterns and the
// output pattern, and reaches every user action through its seven slots.
// It is the only place that shows message boxes.
class SornLogic : public QObject {
    Q_OBJECT

public:
    SornLogic();
    ~SornLogic() override;

    MainWindowWidgets* Widgets = nullptr;
    InputPatterns* Patterns = nullptr;
    QString OutPattern;
    FlightPreview* Preview = nullptr;  // shows a log in the flight view as soon as it is named
    CardControl* Card = nullptr;       // several logs in the input field: their flights

    // Fields <- controller copies (start-up only).
    void SettingsToWidgets();
    // Controller copies <- fields (at the start of each conversion).
    void WidgetsToSettings();

    // The reading step every write action takes first: checks the input name
    // (telling the user when it is empty), copies the fields into the
    // controller (WidgetsToSettings) and takes them into the request that
    // reads the log and writes one output (none for a null `kind`).
    std::optional<ConversionRequest> ReadInput(const OutputKind* kind, const QString& outputName);

    // Puts a file name into the input field and derives both output names
    // from it, as a drop on the field does (the window's FILE argument).
    void OpenInputFile(const QString& fileName);

    // The window title, also the title of every About window.
    static QString WindowTitle();
    // The maker's web address behind the About window's button.
    static QString MakerAddress();

    // Shows a message as a modal static box without parent and with a single
    // OK button (nothing for an empty message).
    static void Show(const UserMessage& message);

    // Shows a flight read by a conversion in the window's flight view,
    // opening the view when it is hidden; read from `fileName` (empty: the
    // input field's).
    // The one way a flight reaches the view: the view, its playback and the
    // Placeholders picker's values.
    void ShowFlight(const Flight& flight, const QString& fileName = QString());
    // Shows in the view that `fileName` could not be read, and why.
    void ShowReadFailure(const QString& fileName, const QString& why);
    // "Save picture": asks for a name and writes the flight view as PNG.
    void SaveFlightPicture();

    // The window's height before "Adjust input patterns" showed the group,
    // given back when the group is hidden again.
    int HeightWithoutPatterns = 0;
    int HeightWithoutOtherOutputs = 0;

    // The write buttons: read, derive and write one output, telling the
    // user the outcome (for the subtitle file the read summary first).
    // Returns no result when nothing was read (the user has been told).
    std::optional<ConversionResult> WriteOneOutput(const OutputKind& kind, const QString& outputName);

    // The two rows made with the clip: reads the log and writes the overlay
    // video (`overlay`) or the video copy off the UI thread, with a
    // progress dialog whose Cancel leaves no file; then tells the user the
    // outcome in velloa-cli's words. Nothing while one is under way.
    void WriteVideoOutput(bool overlay);

private:
    ProgressRun* m_videoRun = nullptr;
    // The log whose subtitle file was written last, the way written back
    // into "Way before, m" and the way it started from.
    struct WrittenSubtitle {
        QString Log, WayAfter, WayBefore;
    } m_written;

    // The slots, in this order: their indexes are part of the meta-object.
public slots:
    void Pressed_GetSrtName();
    void Pressed_WriteSrt();
    void Pressed_WriteGpx();
    void Pressed_HideUnhide_InPattern();
    void Pressed_About();
    void Pressed_TolvName();
    void Changed_InFileName();
};
