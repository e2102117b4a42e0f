#include "output/CsvWriter.h"

#include "output/FixedNumber.h"
#include "output/PathPoints.h"
#include "output/Placeholders.h"
#include "output/PrivacyZone.h"

#include <cmath>

namespace {

constexpr int kFlushBytes = 4 * 1024 * 1024;

void AppendNumber(QByteArray& out, double value, int decimals)
{
    out += ',';
    if (std::isfinite(value))
        AppendFixed(out, value, decimals);
}

void AppendNumberIf(QByteArray& out, bool given, double value, int decimals)
{
    if (given)
        AppendNumber(out, value, decimals);
    else
        out += ',';
}

void AppendTime(QByteArray& out, qint64 ms, bool milliseconds, bool utc)
{
    out += ',';
    if (ms != kNoTime)
        AppendIsoTime(out, ms, milliseconds, utc);
}

// The camera columns, in the order of the placeholders.
const struct {
    Placeholder Field;
    const char* Header;
} kCameraColumns[] = {
    {Placeholder::Iso, "iso"}, {Placeholder::Shutter, "shutter_s"}, {Placeholder::FNumber, "f_number"},
    {Placeholder::Ev, "ev"}, {Placeholder::FocalLength, "focal_length_mm"}, {Placeholder::ColorTemp, "color_temp_k"},
    {Placeholder::DigitalZoom, "digital_zoom"},
};

// The camera columns some record of the flight gives.
std::vector<Placeholder> CameraColumns(const Flight& flight)
{
    std::vector<Placeholder> columns;
    for (const auto& column : kCameraColumns) {
        for (const FlightRecord& record : flight.Log.Records) {
            if (!CameraText(column.Field, record.Camera).isEmpty()) {
                columns.push_back(column.Field);
                break;
            }
        }
    }
    return columns;
}

const char* CameraHeader(Placeholder field)
{
    for (const auto& column : kCameraColumns) {
        if (column.Field == field)
            return column.Header;
    }
    return "";
}

} // namespace

bool WriteCsv(const Flight& flight, QIODevice* device)
{
    // With a privacy zone the distance from home is left out: beside the
    // positions it would give home away.
    const bool distance = !HasPrivacyZone(flight);
    const std::vector<Placeholder> camera = CameraColumns(flight);
    QByteArray buffer("cue_start_s,time_utc,time_local,latitude,longitude,height_m,altitude_m,speed_ms,speed_kmh,");
    buffer += distance ? "distance_home_m,way_m" : "way_m";
    for (const Placeholder field : camera)
        buffer += QByteArray(",") + CameraHeader(field);
    buffer += "\r\n";
    const bool milliseconds = TimesWithMilliseconds(flight);
    const FlightRecordList& records = flight.Log.Records;
    for (size_t i = 0; i < records.size() && i < flight.Points.size(); ++i) {
        const FlightRecord& record = records[i];
        const TrackPoint& point = flight.Points[i];
        if (record.CueStartMs != kNoTime)
            AppendFixed(buffer, static_cast<double>(record.CueStartMs) / 1000.0, 3);
        AppendTime(buffer, point.UtcMs, milliseconds, true);
        AppendTime(buffer, point.LocalMs, milliseconds, false);
        const bool fix = record.Gives(FlightRecord::HasPosition);
        AppendNumberIf(buffer, fix, record.Lat, kDegreeDecimals);
        AppendNumberIf(buffer, fix, WrittenLon(record.Lon, kDegreeDecimals), kDegreeDecimals);
        AppendNumberIf(buffer, record.Gives(FlightRecord::HasHeight), record.HeightM, kMetreDecimals);
        AppendNumberIf(buffer, record.Gives(FlightRecord::HasAltitude), record.AltitudeM, kMetreDecimals);
        AppendNumber(buffer, point.SpeedMs, kMetreDecimals);
        AppendNumber(buffer, KmhFromMs(point.SpeedMs), kMetreDecimals);
        if (distance)
            AppendNumber(buffer, point.DistanceHomeM, kMetreDecimals);
        AppendNumber(buffer, point.WayM, kMetreDecimals);
        for (const Placeholder field : camera) {
            buffer += ',';
            buffer += CameraText(field, record.Camera);
        }
        buffer += "\r\n";
        if (buffer.size() >= kFlushBytes) {
            if (!WriteAllBytes(device, buffer))
                return false;
            buffer.resize(0);
        }
    }
    return WriteAllBytes(device, buffer);
}
