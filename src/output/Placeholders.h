#pragma once

#include "input/FlightRecord.h"

#include <QByteArray>

#include <vector>

// Every placeholder of the output pattern, in the order in which they are
// replaced: the ten of the computed subtitle file's first layout, then the
// camera, height, unit, time and place placeholders. Text inserted for one
// placeholder is searched by every later one.
enum class Placeholder {
    Id, SrtTime, Gps, Home, Barometer, FlyTime, Distance, SpeedMs, SpeedKmh, Way,
    Iso, Shutter, FNumber, Ev, FocalLength, ColorTemp, DigitalZoom,
    Altitude, VSpeed,
    SpeedMph, SpeedKnots, DistanceFt, HeightFt, WayKm, WayMi,
    Date, Time, TimeUtc, Lat, Lon,
};

struct PlaceholderInfo {
    Placeholder Id;
    const char* Name;     // "{SpeedKMH}"
    const char* Meaning;  // one line for the picker, --list-placeholders and README.md
};

// All of them, in the order above.
const std::vector<PlaceholderInfo>& Placeholders();

// The camera placeholders (Iso to DigitalZoom) and the text each prints:
// "100", "1/1000", "2.8", "-0.7" (as logged), "24" (mm), "5600" (K), "1.5";
// empty where the block does not give the value.
constexpr Placeholder kFirstCameraPlaceholder = Placeholder::Iso;
constexpr Placeholder kLastCameraPlaceholder = Placeholder::DigitalZoom;
QByteArray CameraText(Placeholder which, const CameraSettings& camera);
// The same written into `out`, which has room for kCameraTextRoom
// characters; returns the end of the text (`out` where it is empty).
constexpr int kCameraTextRoom = 40;
char* WriteCameraText(char* out, Placeholder which, const CameraSettings& camera);
