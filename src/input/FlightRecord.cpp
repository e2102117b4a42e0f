#include "input/FlightRecord.h"

#include "input/TextScan.h"

QString FlightRecord::SrtTimeText() const
{
    if (!(Spelled & SrtTimeIsCue))
        return SrtTime;
    char text[32];
    return QString::fromLatin1(text, FormatCue(CueStartMs, CueEndMs, text));
}

QString FlightRecord::FlyTimeText() const
{
    if (!(Spelled & FlyTimeIsLocalTime))
        return FlyTime;
    char text[32];
    return QString::fromLatin1(text, FormatLocalTime(LocalTimeMs, text));
}
