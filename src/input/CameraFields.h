#pragma once

#include "input/FlightRecord.h"

#include <QStringView>

// Readers of the camera settings in the blocks of the log layouts. Each
// sets only the fields it finds and leaves the others as they were.

// The value of a camera field at `pos` (moved past it on success): digits
// with an optional point and digits. Without a point the number counts
// units of 10^-impliedDecimals (an f-number of 280 is 2.80); with a point it
// is taken as written. Stored as a whole number of 10^-keepDecimals units,
// rounded half up. False when no digit is there or the number is too large.
bool ScanCameraNumber(QStringView s, int& pos, int impliedDecimals, int keepDecimals, std::uint32_t& value);

// One value of the named-field layouts: `name` is the field's name as
// written (lower case in bracketed fields, "ISO", "Shutter", "TV", "EV",
// "Fnum", "IR" in the "ISO:100 Shutter:60 EV:0 Fnum:F2.2" line), `pos` the
// start of its value. Returns whether the name is a camera field.
bool ReadCameraField(QStringView name, QStringView s, int pos, CameraSettings& camera);
// Whether `name` names a camera field (ReadCameraField would take it).
bool IsCameraField(QStringView name);

// The "ISO:100 Shutter:60 EV:0 Fnum:F2.2" or "ISO:100 TV:60 EV: 0 IR:F2.8"
// line of the HOME/GPS layout, anywhere in the block.
void ReadColonCameraFields(QStringView block, CameraSettings& camera);

// "F/2.8, SS 320, ISO 100, EV 0, DZOOM 1.000" of the comma-field layout.
void ReadCommaCameraFields(QStringView block, CameraSettings& camera);

// The same into a record's camera settings.
inline void ReadColonCameraFields(QStringView block, FlightRecord& record)
{
    CameraSettings camera = record.Camera();
    ReadColonCameraFields(block, camera);
    record.SetCamera(camera);
}

inline void ReadCommaCameraFields(QStringView block, FlightRecord& record)
{
    CameraSettings camera = record.Camera();
    ReadCommaCameraFields(block, camera);
    record.SetCamera(camera);
}
