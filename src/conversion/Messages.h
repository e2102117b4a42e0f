#pragma once

#include "conversion/Conversion.h"

#include <QString>

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
UserMessage ReadInformationMessage(const Flight& flight);

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
