#pragma once

#include <QSharedData>
#include <QString>

#include <cstdint>
#include <limits>
#include <vector>

// A time that the block does not give.
constexpr qint64 kNoTime = std::numeric_limits<qint64>::min();

// The camera settings a block gives, held in whole numbers of fixed units so
// that a record stays small; 0 (an empty Ev) is a value the block does not
// give.
struct CameraSettings {
    std::uint32_t Iso = 0;
    std::uint32_t ShutterCenti = 0;  // exposure 1/x second: x in hundredths (1/60: 6000)
    std::uint32_t FocalCenti = 0;    // focal length, hundredths of a millimetre
    std::uint32_t ZoomMyriad = 0;    // digital zoom ratio, ten-thousandths (1x: 10000)
    std::uint16_t FNumberCenti = 0;  // f-number, hundredths (f/2.8: 280)
    std::uint16_t ColorTempK = 0;    // white balance, kelvin
    char Ev[6] = {};                 // exposure compensation as logged ("-0.7", "+1/3"), zero-padded

    bool operator==(const CameraSettings& other) const;
};

// What few records hold beyond their numbers: the texts that are not the
// usual spelling of their times, the ID capture and the camera settings.
// Records that hold the same share one copy (implicitly shared); most
// records of a log hold none, and a record is then a few numbers only.
struct RecordExtras : QSharedData {
    QString Id;
    QString SrtTime;
    QString FlyTime;
    CameraSettings Camera;
    qint64 CueEndMs = kNoTime;  // a cue end too far on for FlightRecord itself
};

// One subtitle block of a flight log, as read: nothing here is computed from
// other blocks, until a flight is derived from the log. Deriving fills, in
// the flight's own records, the home, position and height above sea level
// that a record lacks (from its nearest neighbours; Has keeps telling what
// the block gave) and gives a later clip of a joined flight the flight's
// home; the other derived values (smoothing, speed, way, distance from
// home) are made from these records in src/track.
// Latitudes and longitudes are decimal degrees, heights metres.
struct FlightRecord {
    // Which values the block gave (bits of Has).
    enum Value : std::uint8_t {
        HasHome = 1,      // HomeLat, HomeLon
        HasPosition = 2,  // Lat, Lon (a fix of exactly 0, 0 is no fix)
        HasHeight = 4,    // HeightM: height above the take-off point
        HasAltitude = 8,  // AltitudeM: height above sea level
    };

    // Texts that are the usual spelling of the typed times (bits of
    // Spelled) are not held as text: a million records would otherwise
    // hold two million small strings.
    enum Spelling : std::uint8_t {
        SrtTimeIsCue = 1,       // SrtTime is FormatCue(CueStartMs, CueEndMs)
        FlyTimeIsLocalTime = 2,  // FlyTime is FormatLocalTime(LocalTimeMs)
    };

    qint64 CueStartMs = kNoTime;  // cue start, milliseconds of video time (its end: CueEndMs())
    qint64 LocalTimeMs = kNoTime;  // local wall-clock milliseconds since 1970-01-01 00:00 (no zone)
    double HomeLat = 0.0;
    double HomeLon = 0.0;
    double Lat = 0.0;
    double Lon = 0.0;
    double HeightM = 0.0;
    double AltitudeM = 0.0;
    // (Has and Spelled, bits of Value and Spelling, follow the private
    // fields, where they take no room of their own.)

    bool Gives(Value value) const { return (Has & value) != 0; }
    // Capture 1 of the ID pattern (family A).
    const QString& Id() const { return m_extras ? m_extras->Id : NoText(); }
    // The texts {SrtTime} and {FlyTime} print, unless SrtTimeIsCue or
    // FlyTimeIsLocalTime.
    const QString& SrtTime() const { return m_extras ? m_extras->SrtTime : NoText(); }
    const QString& FlyTime() const { return m_extras ? m_extras->FlyTime : NoText(); }
    const CameraSettings& Camera() const;
    // The cue's end, milliseconds of video time, or kNoTime.
    qint64 CueEndMs() const;
    void SetCueEndMs(qint64 ms);
    // An empty text is no text.
    void SetId(const QString& text) { SetText(&RecordExtras::Id, text); }
    void SetSrtTime(const QString& text) { SetText(&RecordExtras::SrtTime, text); }
    void SetFlyTime(const QString& text) { SetText(&RecordExtras::FlyTime, text); }
    void SetCamera(const CameraSettings& camera);
    // Shares `other`'s extras where they hold the same as this record's
    // (camera settings that last from block to block).
    void ShareExtras(const FlightRecord& other);
    // The texts {SrtTime} ("not found" when the block had none) and
    // {FlyTime} (empty when none) print.
    QString SrtTimeText() const;
    QString FlyTimeText() const;

private:
    static const QString& NoText();
    void SetText(QString RecordExtras::*field, const QString& text);

    // The cue's end where it fits in 32 bits (up to 2^31 - 1 ms, some 596
    // hours), else one of:
    static constexpr qint32 kNoCueEnd = std::numeric_limits<qint32>::min();
    static constexpr qint32 kCueEndApart = kNoCueEnd + 1;  // in RecordExtras::CueEndMs

    QSharedDataPointer<RecordExtras> m_extras;  // none: empty texts and camera
    qint32 m_cueEndMs = kNoCueEnd;

public:
    std::uint8_t Has = 0;      // Value bits: what the block gave
    std::uint8_t Spelled = 0;  // Spelling bits
};
static_assert(sizeof(void*) != 8 || sizeof(FlightRecord) == 80, "a record of a long log stays small");

// The records of one file in file order, held by value.
using FlightRecordList = std::vector<FlightRecord>;
