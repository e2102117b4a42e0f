#pragma once

#include "input/FlightRecord.h"
#include "input/InputPatterns.h"
#include "input/UserMessage.h"

#include <QObject>
#include <QString>

#include <optional>

struct MainWindowWidgets;

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

    // Fields <- controller copies (start-up only).
    void SettingsToWidgets();
    // Controller copies <- fields (at the start of each conversion).
    void WidgetsToSettings();

    // Checks the input name, takes the settings from the window and reads the
    // log. Returns no list when the read failed (the user has been told,
    // except for an empty file).
    std::optional<FlightRecordList> ReadInput();
    std::optional<FlightRecordList> ReadSrtFile(const QString& fileName, const InputPatterns& patterns);

    // Writes the computed subtitle file and tells the user the outcome.
    void WriteSrtFile(const FlightRecordList& records, const QString& pattern, const QString& fileName);

    // The window title, also the title of every About window.
    static QString WindowTitle();
    // The maker's web address behind the About window's button.
    static QString MakerAddress();  // kMakerAddress

    // Shows a message as a modal static box without parent and with a single
    // OK button (nothing for an empty message).
    static void Show(const UserMessage& message);

    // Shows the flight of `derivedRecords` (records after the track passes)
    // in the window's flight view, opening the view when it is hidden.
    void ShowFlight(const FlightRecordList& derivedRecords);
    // "Save picture": asks for a name and writes the flight view as PNG.
    void SaveFlightPicture();

    // The window's height before "Adjust input patterns" showed the group,
    // given back when the group is hidden again.
    int HeightWithoutPatterns = 0;

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
