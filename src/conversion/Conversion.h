#pragma once

#include "input/InputPatterns.h"
#include "input/LogReader.h"
#include "conversion/OutputNames.h"
#include "output/OutputFiles.h"
#include "track/JoinedFlight.h"

#include <QString>

#include <vector>

// What one conversion of one log is asked to do: the settings a press of a
// write button (or one LOG of velloa-cli) takes.
struct ConversionRequest {
    QString InputName;
    InputPatterns Patterns = InputPatterns::Defaults();
    QString FormatId = AutomaticFormatId();  // see ParseLog
    QString OutPattern;                       // the output pattern of the subtitle file
    int SmoothingCount = 5;                   // "Smooth GPS, sec"
    double WayBeforeM = 0.0;                  // "Way before, m"
    bool UseHeight = false;                   // "Use height for speed and way"
    TrackMethod Track = TrackMethod::Design;  // how the track is derived (--track)
    // The zone of the log's local times, as ParseTimeZone reads it (empty:
    // this computer's zone): gives the UTC times of the GPX track, KML, CSV
    // and GeoJSON.
    QString TimeZone;
    KmlHeights Kml = KmlHeights::Automatic;  // the heights of the KML path
    // Positions within this many metres of home are kept out of the outputs
    // (output/PrivacyZone.h); 0: off.
    double PrivacyRadiusM = 0.0;
    struct Output {
        const OutputKind* Kind;
        QString Name;
    };
    std::vector<Output> Outputs;  // written in this order
    // Read the camera settings even when no output prints them (the window
    // shows them beside the placeholders).
    bool CameraSettings = false;
};

// The track settings of a request.
TrackSettings TrackSettingsOf(const ConversionRequest& request);

// Whether two requests read and derive a log alike: the same layout, input
// patterns, track method, smoothing, way before, use of height and time zone
// (their outputs and the log may differ).
bool ReadsAlike(const ConversionRequest& a, const ConversionRequest& b);

struct ConversionResult {
    ReadStatus Read = ReadStatus::Ok;
    ::Flight Flight;  // the log as read and its track (when Read is Ok)
    struct Output {
        const OutputKind* Kind;
        QString Name;
        NameCheck Check = NameCheck::Ok;                    // when not Ok, nothing was written
        WriteStatus Status = WriteStatus::NothingToWrite;  // when Check is Ok
        bool Written() const { return Check == NameCheck::Ok && Status == WriteStatus::Written; }
    };
    std::vector<Output> Outputs;  // one per requested output, same order
    // The way at the last point when Read is Ok (NaN possible), else the way
    // before: what the next file of the same flight continues from.
    double WayAfterM = 0.0;

    QString UnknownTimeZone;  // the zone text when Read is UnknownTimeZone

    // Whether the output of `kind` was written.
    bool Wrote(const OutputKind& kind) const;
};

// Checks the time zone, reads the log, derives its track, sets its UTC
// times and writes every requested output (each name checked first: empty,
// or the input itself). Nothing is read when the zone is unknown
// (UnknownTimeZone), nothing written when the read fails or the log holds no
// position. Never shows anything.
ConversionResult Convert(const ConversionRequest& request);

// Whether any output of the request prints camera settings (the CSV, or a
// camera placeholder in the subtitle file's pattern), so that the log is
// read with them; true for a request without outputs (the flight view) and
// for one that asks for them (CameraSettings).
bool WantsCameraSettings(const ConversionRequest& request);

// The subtitle text of one record of `flight` (index into its records), as
// the subtitle file writes it with `pattern`: the preview of what is burned
// into the video at that moment (empty for an index past the records).
QString SubtitlePreview(const Flight& flight, std::size_t index, const QString& pattern);
// For each point of `flight`, whether its estimated position (the one the
// flight view draws) lies in a privacy zone of `radiusM` metres round home
// (all false for 0): what a shared picture of the flight leaves out.
std::vector<bool> PointsInPrivacyZone(const Flight& flight, double radiusM);
// Reads the log `request` names with the request's patterns and layout,
// with camera settings when WantsCameraSettings; a .SRT's blocks are read
// `jobs` at a time.
LogReadResult ReadLogFor(const ConversionRequest& request, int jobs = 1);

// The deriving step of Convert for a log already read (`read`, whatever
// its status): from the time zone on, everything but the writing. With
// `join`, the log is derived as a clip of the flight `join` carries
// (DeriveJoinedClip; RunWayOn is the caller's). The estimate runs on `jobs`
// threads.
ConversionResult DeriveReadLog(const ConversionRequest& request, LogReadResult read, const JoinContext* join = nullptr,
                               int jobs = 1);

// The writing step of Convert: every output `request` asks for, from
// result.Flight (read and derived), appended to result.Outputs in the
// request's order; `jobs` outputs at a time (the CSV, the longest, first),
// the subtitle file rendered by `jobs` threads.
void WriteOutputs(const ConversionRequest& request, ConversionResult& result, int jobs = 1);
