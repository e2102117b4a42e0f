#pragma once

#include "input/FlightRecord.h"

// The three passes that derive Speed and Way, in place. Consecutive records
// are one second apart; no pass uses heights or the time fields.

// `passes` in-place pairwise averaging sweeps over Lat and Lon (none when
// passes < 1).
void SmoothGps(FlightRecordList& records, int passes);

// Speed of record i = distance from record i to record i + 1 in metres (per
// second); the last record keeps 0. With passes >= 1 each step is then spread
// over the run of exact zeros after it (at most five records share it), and
// `passes` averaging sweeps follow, leaving pairs whose difference is NaN.
void CalcSpeed(FlightRecordList& records, int passes);

// The two stages of CalcSpeed with passes >= 1 that follow the measuring,
// working on the step lengths already held in Speed: the spreading over runs
// of exact zeros, and `passes` averaging sweeps that leave NaN pairs alone.
void SpreadSpeeds(FlightRecordList& records);
void AverageSpeeds(FlightRecordList& records, int passes);

// Way of record i = wayBeforeMetres plus every counted step up to record i. A
// step counts when both coordinates changed since the last counted record,
// or one changed and that record lies at least five records back.
void CalcWay(FlightRecordList& records, double wayBeforeMetres);

// The passes as the subtitle conversion runs them: SmoothGps with
// smoothingCount passes; CalcSpeed with 3 passes when smoothingCount <= 0,
// none otherwise; then CalcWay from wayBeforeMetres.
void DeriveTrack(FlightRecordList& records, int smoothingCount, double wayBeforeMetres);
