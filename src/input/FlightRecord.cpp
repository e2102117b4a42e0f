#include "input/FlightRecord.h"

#include "input/TextScan.h"

#include <cstring>

QString FlightRecord::SrtTimeText() const
{
    if (!(Spelled & SrtTimeIsCue))
        return SrtTime();
    char text[32];
    return QString::fromLatin1(text, FormatCue(CueStartMs, CueEndMs(), text));
}

QString FlightRecord::FlyTimeText() const
{
    if (!(Spelled & FlyTimeIsLocalTime))
        return FlyTime();
    char text[32];
    return QString::fromLatin1(text, FormatLocalTime(LocalTimeMs, text));
}

bool CameraSettings::operator==(const CameraSettings& b) const
{
    return Iso == b.Iso && ShutterCenti == b.ShutterCenti && FocalCenti == b.FocalCenti && ZoomMyriad == b.ZoomMyriad
        && FNumberCenti == b.FNumberCenti && ColorTempK == b.ColorTempK && std::memcmp(Ev, b.Ev, sizeof Ev) == 0;
}

const QString& FlightRecord::NoText()
{
    static const QString none;
    return none;
}

const CameraSettings& FlightRecord::Camera() const
{
    static const CameraSettings none;
    return m_extras ? m_extras->Camera : none;
}

void FlightRecord::SetText(QString RecordExtras::*field, const QString& text)
{
    if (!m_extras) {
        if (text.isEmpty())
            return;
        m_extras = new RecordExtras;
    }
    (*m_extras).*field = text;  // detaches a shared copy first
}

qint64 FlightRecord::CueEndMs() const
{
    if (m_cueEndMs == kNoCueEnd)
        return kNoTime;
    if (m_cueEndMs == kCueEndApart)
        return m_extras->CueEndMs;
    return m_cueEndMs;
}

void FlightRecord::SetCueEndMs(qint64 ms)
{
    if (ms == kNoTime) {
        m_cueEndMs = kNoCueEnd;
    } else if (ms > kCueEndApart && ms <= std::numeric_limits<qint32>::max()) {
        m_cueEndMs = static_cast<qint32>(ms);
    } else {
        if (!m_extras)
            m_extras = new RecordExtras;
        m_extras->CueEndMs = ms;
        m_cueEndMs = kCueEndApart;
    }
}

void FlightRecord::SetCamera(const CameraSettings& camera)
{
    if (camera == Camera())
        return;
    if (!m_extras)
        m_extras = new RecordExtras;
    m_extras->Camera = camera;
}

void FlightRecord::ShareExtras(const FlightRecord& other)
{
    if (!m_extras || !other.m_extras || m_extras.constData() == other.m_extras.constData())
        return;
    const RecordExtras& a = *m_extras.constData();
    const RecordExtras& b = *other.m_extras.constData();
    if (a.Id == b.Id && a.SrtTime == b.SrtTime && a.FlyTime == b.FlyTime && a.Camera == b.Camera
        && a.CueEndMs == b.CueEndMs)
        m_extras = other.m_extras;
}
