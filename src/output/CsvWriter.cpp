#include "output/CsvWriter.h"

#include "output/ByteSink.h"
#include "output/FixedNumber.h"
#include "output/PathPoints.h"
#include "output/Placeholders.h"
#include "output/PrivacyZone.h"

#include <cmath>

namespace {

constexpr int kFlushBytes = 4 * 1024 * 1024;

// One row of the table, put together in place in the output's bytes.
class Row {
public:
    explicit Row(ByteSink& out) : m_out(out), m_at(out.Room(kRoom)) {}

    // A comma (but before the first field), then `value` with `decimals`
    // decimals where it is given and a number.
    void Number(bool given, double value, int decimals)
    {
        Comma();
        if (!given || !std::isfinite(value))
            return;
        if (char* end = WriteFixed(m_at, value, decimals)) {
            m_at = end;
        } else {  // a number of no ordinary size
            m_out.MoveTo(m_at);
            PutUnusualFixed(m_out, value, decimals);
            m_at = m_out.Room(kRoom);
        }
    }
    void Time(qint64 ms, bool milliseconds, bool utc)
    {
        Comma();
        if (ms != kNoTime)
            m_at = WriteIsoTime(m_at, ms, milliseconds, utc);
    }
    void Camera(Placeholder field, const CameraSettings& camera)
    {
        Comma();
        m_at = WriteCameraText(m_at, field, camera);
    }

    // The line end: the row is written.
    void End()
    {
        *m_at++ = '\r';
        *m_at++ = '\n';
        m_out.MoveTo(m_at);
    }

private:
    void Comma()
    {
        if (m_first)
            m_first = false;
        else
            *m_at++ = ',';
    }

    static constexpr int kRoom = 12 * (kWriteFixedRoom + 1) + 2 * (kIsoTimeRoom + 1) + 8 * (kCameraTextRoom + 1) + 2;
    ByteSink& m_out;
    char* m_at;
    bool m_first = true;
};

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
            char text[kCameraTextRoom];
            if (WriteCameraText(text, column.Field, record.Camera()) != text) {
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
    QByteArray buffer;
    ByteSink out(buffer, kFlushBytes + 64 * 1024);
    out.Append(QByteArray("cue_start_s,time_utc,time_local,latitude,longitude,height_m,altitude_m,speed_ms,speed_kmh,"));
    out.Append(QByteArray(distance ? "distance_home_m,way_m" : "way_m"));
    for (const Placeholder field : camera)
        out.Append(QByteArray(",") + CameraHeader(field));
    out.Append(QByteArray("\r\n"));
    const bool milliseconds = TimesWithMilliseconds(flight);
    const FlightRecordList& records = flight.Log.Records;
    const bool zone = HasPrivacyZone(flight);
    for (size_t i = 0; i < records.size() && i < flight.Points.size(); ++i) {
        if (zone && LoggedInPrivacyZone(flight, i))
            continue;  // its position would show the zone
        const FlightRecord& record = records[i];
        const TrackPoint& point = flight.Points[i];
        Row row(out);
        row.Number(record.CueStartMs != kNoTime, static_cast<double>(record.CueStartMs) / 1000.0, 3);
        row.Time(point.UtcMs, milliseconds, true);
        row.Time(point.LocalMs, milliseconds, false);
        const bool fix = record.Gives(FlightRecord::HasPosition);
        row.Number(fix, record.Lat, kDegreeDecimals);
        row.Number(fix, WrittenLon(record.Lon, kDegreeDecimals), kDegreeDecimals);
        row.Number(record.Gives(FlightRecord::HasHeight), record.HeightM, kMetreDecimals);
        row.Number(record.Gives(FlightRecord::HasAltitude), record.AltitudeM, kMetreDecimals);
        row.Number(true, point.SpeedMs, kMetreDecimals);
        row.Number(true, KmhFromMs(point.SpeedMs), kMetreDecimals);
        if (distance)
            row.Number(true, point.DistanceHomeM, kMetreDecimals);
        row.Number(true, point.WayM, kMetreDecimals);
        for (const Placeholder field : camera)
            row.Camera(field, record.Camera());
        row.End();
        if (out.Size() >= kFlushBytes) {
            if (!WriteAllBytes(device, out.Data(), out.Size()))
                return false;
            out.Clear();
        }
    }
    return WriteAllBytes(device, out.Data(), out.Size());
}
