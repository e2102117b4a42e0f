#pragma once

#include <QtGlobal>

// Calendar arithmetic on milliseconds since 1970-01-01 00:00 (local or UTC:
// the numbers do not care), shared by the readers, the zone conversion and
// the writers. Proleptic Gregorian calendar, as the logs' dates are.

constexpr qint64 kMsPerHour = 3600 * 1000;
constexpr qint64 kMsPerDay = 24 * kMsPerHour;

// Division rounding toward minus infinity (`divisor` > 0).
constexpr qint64 FloorDiv(qint64 value, qint64 divisor)
{
    return value / divisor - (value % divisor < 0 ? 1 : 0);
}

struct CivilDate {
    qint64 Year = 1970;
    int Month = 1;  // 1..12
    int Day = 1;    // 1..31
};

// Days since 1970-01-01 of a date (H. Hinnant's days_from_civil). A date
// that does not exist (February 30) gives the days of the date it runs
// into; ValidDate tells.
constexpr qint64 DaysFromCivil(qint64 year, int month, int day)
{
    const qint64 y = year - (month <= 2 ? 1 : 0);
    const qint64 era = FloorDiv(y, 400);
    const qint64 yearOfEra = y - era * 400;
    const qint64 dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const qint64 dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// The date of a day since 1970-01-01 (the inverse of DaysFromCivil).
constexpr CivilDate CivilFromDays(qint64 days)
{
    const qint64 shifted = days + 719468;
    const qint64 era = FloorDiv(shifted, 146097);
    const qint64 dayOfEra = shifted - era * 146097;
    const qint64 yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const qint64 dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const qint64 monthIndex = (5 * dayOfYear + 2) / 153;  // from March
    CivilDate date;
    date.Day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    date.Month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    date.Year = yearOfEra + era * 400 + (date.Month <= 2 ? 1 : 0);
    return date;
}

// Whether the date exists.
constexpr bool ValidDate(qint64 year, int month, int day)
{
    if (month < 1 || month > 12 || day < 1)
        return false;
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = FloorDiv(year, 4) * 4 == year && (FloorDiv(year, 100) * 100 != year || FloorDiv(year, 400) * 400 == year);
    return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

// The change of a zone's offset that a jump of a logged clock is, within
// `slackMs` (the logs' seconds are not in step with their cues), or 0: the
// clocks go forward or back by an hour, on Lord Howe Island by half an hour.
// The logs name no zone, so a reader tells a clock change by its size alone.
constexpr qint64 ClockChangeMs(qint64 jumpMs, qint64 slackMs = 2000)
{
    for (const qint64 change : {kMsPerHour, kMsPerHour / 2}) {
        if (jumpMs >= change - slackMs && jumpMs <= change + slackMs)
            return change;
        if (jumpMs <= -change + slackMs && jumpMs >= -change - slackMs)
            return -change;
    }
    return 0;
}
