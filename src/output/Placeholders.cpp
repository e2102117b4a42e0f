#include "output/Placeholders.h"

#include "output/FixedNumber.h"

#include <cstring>

const std::vector<PlaceholderInfo>& Placeholders()
{
    static const std::vector<PlaceholderInfo> table = {
        {Placeholder::Id, "{ID}", "number of the block, from 1"},
        {Placeholder::SrtTime, "{SrtTime}", "cue of the block, hh:mm:ss,mmm --> hh:mm:ss,mmm"},
        {Placeholder::Gps, "{GPS}", "position, longitude,latitude (4 decimals)"},
        {Placeholder::Home, "{Home}", "home point, longitude,latitude (4 decimals)"},
        {Placeholder::Barometer, "{Barometer}", "height above take-off, m (1 decimal)"},
        {Placeholder::FlyTime, "{FlyTime}", "date and time as logged"},
        {Placeholder::Distance, "{Distance}", "distance from home, m (1 decimal)"},
        {Placeholder::SpeedMs, "{SpeedMS}", "speed, m/s (2 decimals)"},
        {Placeholder::SpeedKmh, "{SpeedKMH}", "speed, km/h (1 decimal)"},
        {Placeholder::Way, "{Way}", "way travelled, m (1 decimal)"},
        {Placeholder::Iso, "{ISO}", "camera ISO"},
        {Placeholder::Shutter, "{Shutter}", "shutter speed, fraction of a second (1/1000)"},
        {Placeholder::FNumber, "{FNumber}", "aperture f-number (2.8)"},
        {Placeholder::Ev, "{EV}", "exposure compensation as logged"},
        {Placeholder::FocalLength, "{FocalLength}", "focal length, mm"},
        {Placeholder::ColorTemp, "{ColorTemp}", "white balance, K"},
        {Placeholder::DigitalZoom, "{DigitalZoom}", "digital zoom ratio"},
        {Placeholder::Altitude, "{Altitude}", "height above sea level, m (1 decimal)"},
        {Placeholder::VSpeed, "{VSpeed}", "vertical speed, m/s, up positive (1 decimal)"},
        {Placeholder::SpeedMph, "{SpeedMPH}", "speed, mph (1 decimal)"},
        {Placeholder::SpeedKnots, "{SpeedKnots}", "speed, knots (1 decimal)"},
        {Placeholder::DistanceFt, "{DistanceFt}", "distance from home, ft"},
        {Placeholder::HeightFt, "{HeightFt}", "height above take-off, ft"},
        {Placeholder::WayKm, "{WayKm}", "way travelled, km (2 decimals)"},
        {Placeholder::WayMi, "{WayMi}", "way travelled, miles (2 decimals)"},
        {Placeholder::Date, "{Date}", "local date, YYYY-MM-DD"},
        {Placeholder::Time, "{Time}", "local time, hh:mm:ss"},
        {Placeholder::TimeUtc, "{TimeUTC}", "UTC time, hh:mm:ss"},
        {Placeholder::Lat, "{Lat}", "latitude (6 decimals)"},
        {Placeholder::Lon, "{Lon}", "longitude (6 decimals)"},
    };
    return table;
}

char* WriteCameraText(char* text, Placeholder which, const CameraSettings& camera)
{
    static_assert(kCameraTextRoom >= kWriteFixedRoom + 2 && kCameraTextRoom >= int(sizeof camera.Ev), "room");
    char* end = text;
    switch (which) {
    case Placeholder::Iso:
        if (camera.Iso != 0)
            end = WriteDecimal(text, camera.Iso);
        break;
    case Placeholder::Shutter:
        if (camera.ShutterCenti != 0) {
            std::memcpy(text, "1/", 2);
            end = WriteTrimmed(text + 2, camera.ShutterCenti, 2);
        }
        break;
    case Placeholder::FNumber:
        if (camera.FNumberCenti != 0)
            end = WriteTrimmed(text, camera.FNumberCenti, 2);
        break;
    case Placeholder::Ev: {
        const std::size_t length = strnlen(camera.Ev, sizeof camera.Ev);
        std::memcpy(text, camera.Ev, length);
        end = text + length;
        break;
    }
    case Placeholder::FocalLength:
        if (camera.FocalCenti != 0)
            end = WriteTrimmed(text, camera.FocalCenti, 2);
        break;
    case Placeholder::ColorTemp:
        if (camera.ColorTempK != 0)
            end = WriteDecimal(text, camera.ColorTempK);
        break;
    case Placeholder::DigitalZoom:
        if (camera.ZoomMyriad != 0)
            end = WriteTrimmed(text, camera.ZoomMyriad, 4);
        break;
    default: break;
    }
    return end;
}

QByteArray CameraText(Placeholder which, const CameraSettings& camera)
{
    char text[kCameraTextRoom];
    return QByteArray(text, static_cast<int>(WriteCameraText(text, which, camera) - text));
}
