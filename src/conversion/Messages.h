#pragma once

#include "conversion/Conversion.h"

#include <QString>
#include <QStringList>

// A message for the user, as the window shows it in a box and velloa-cli
// prints it. Every text the user reads about a conversion is built here;
// the core only returns statuses.
struct UserMessage {
    enum class Kind { None, Information, Warning };
    Kind Icon = Kind::None;
    QString Title;
    QString Text;

    bool IsEmpty() const { return Icon == Kind::None; }
};

// A failed read: a warning titled "Info" with "File not exists." (Missing),
// "File not opened." (NotOpened), "File too large." (TooLarge), "No GPS
// positions found." (NoPositions), "Unknown time zone." (UnknownTimeZone),
// "This video holds no flight record (no subtitle track)." (NoFlightInVideo)
// or "The video cannot be read (damaged or incomplete)." (VideoUnreadable);
// nothing for Ok.
UserMessage ReadOutcomeMessage(ReadStatus status);

// When a conversion's Read is not Ok: ReadOutcomeMessage, except "Unknown
// time zone: <zone>." for an unknown zone.
UserMessage ConversionFailureMessage(const ConversionResult& result);

// The same failure as velloa-cli words it after "velloa-cli: NAME: ".
QString CommandLineFailureText(const ConversionResult& result);

// One output of a conversion: "OK"/"<name> has been writed!",
// "Au..."/"Please, specify output file name" or "Output file must differ
// from input file", "Info"/"File not opened for writing.", "Fail"/"<name> -
// something wrong during writing..."; nothing for NothingToWrite.
UserMessage OutputOutcomeMessage(const ConversionResult::Output& output);

// The "Read information" box the subtitle file's button shows first.
UserMessage ReadInformationMessage(const Flight& flight, const ConversionRequest& request);

// "Au..."/"Please, specify input file name": a write button with no input.
UserMessage InputNameMissingMessage();

// "Au..."/"Privacy radius, m: please give a number of metres, 0 or more".
UserMessage PrivacyRadiusRefusedMessage();

// A file other than the outputs (a saved picture) that could not be
// written: "Fail"/"<name> - something wrong during writing...".
UserMessage FileNotWrittenMessage(const QString& fileName);

// velloa-cli's words for an output folder it cannot create.
QString OutputFolderNotCreatedText();

// velloa-cli's words for a folder argument that holds no log.
QString NoLogsInFolderText();

// One flight of a card as velloa-cli's --flights lists it: "Flight N: K
// clips, start YYYY.MM.DD hh:mm:ss (or "no date"), duration h:mm:ss, path
// P m: CLIP CLIP ...". `pathM` is the way flown over the clips.
QString FlightLineText(int number, const QStringList& clips, qint64 startLocalMs, qint64 durationMs, double pathM);

// The window title, also the title of every About window.
QString WindowTitleText();
// The maker's web address behind the About window's button.
QString MakerAddressText();

// --- A card of clips in the window ------------------------------------------

// --- Units and durations, as every text shows them ------------------------

// A duration in whole seconds, rounded to the nearest: "m:ss", or "h:mm:ss"
// from an hour on (always with `hours`).
QString DurationText(qint64 durationMs, bool hours = false);
// "123.4 m"; "-" for a distance that is no number.
QString MetresText(double metres);
// "4.5 m/s (16.2 km/h)"; "-" for a speed that is no number.
QString SpeedText(double metresPerSecond);
// The label of a map's scale bar of a round length: "200 m", "2 km".
QString ScaleText(double metres);

// The parts of a flight's line (FlightLineText) and of its row in the
// window's flight list: "YYYY.MM.DD hh:mm:ss" or "no date", "h:mm:ss", the
// path in metres with one decimal.
QString FlightStartText(qint64 startLocalMs);
QString FlightDurationText(qint64 durationMs);
QString FlightPathText(double pathM);

// The flight list's columns and their headers: "Flight", "Start",
// "Duration", "Clips", "Path, m", "Logs".
enum FlightListColumn { NumberColumn, StartColumn, DurationColumn, ClipsColumn, PathColumn, LogsColumn };
QStringList FlightListHeaders();

// What the output name fields say with several logs: "beside each clip",
// and their tip "Several logs: each file goes beside its clip, or into the
// folder typed here.".
QString OutputsBesideClipsText();
QString OutputFolderHintText();

// What writing the overlay video or the video copy gave, in velloa-cli's
// words (`text`, as OverlayOutcomeText and VideoCopyOutcomeText give it):
// "OK"/text when written, else "Fail"/"<name>: text" (the text alone
// without a name).
UserMessage VideoOutputMessage(bool written, const QString& name, const QString& text);
// The progress dialog's words for them: "Writing <file name>...".
QString VideoWritingText(const QString& name);

// The progress dialog's words: "Reading N logs...", "Converting N logs...".
QString CardReadingText(int logs);
QString CardConvertingText(int logs);

// "NAME: WHY": a clip or an output that failed, in the summary and the list.
QString ClipFailureText(const QString& name, const QString& why);

// "Info"/"DIR: Output folder cannot be created." (a folder typed into an
// output name field with several logs).
UserMessage OutputFolderNotCreatedMessage(const QString& folder);

// What a run of a write button over several logs gave.
struct CardRunFacts {
    int Flights = 0;       // flights converted (at least one clip of each)
    int Clips = 0;         // clips read and converted
    QString Folder;        // the output folder; empty: beside each clip
    QStringList Written;   // the files written (names without folder)
    QStringList Failed;    // ClipFailureText of each clip not read and each file not written
    int NotConverted = 0;  // clips left out by Cancel
};
// The one box for such a run: "N flights, M clips converted.", "Written
// beside each clip: K files" (or "into DIR") and their names, "Failed: F"
// and what failed, "Cancelled: C clips not converted."; at most a dozen
// names a list. Titled "OK", "Info" (cancelled) or "Fail" (anything failed).
UserMessage CardSummaryMessage(const CardRunFacts& facts);
