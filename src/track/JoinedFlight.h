#pragma once

#include "track/TrackPasses.h"

#include <vector>

// A flight recorded over several clips, each its own log whose cues start
// again at 0. Each clip is derived on its own, as one log is, so no speed is
// measured and nothing is smoothed across a join; what it takes from the
// clips before it is carried in a JoinContext.
struct JoinContext {
    bool Started = false;        // a clip of the flight was derived
    double HomeLat = 0.0;        // the home of the flight's first clip
    double HomeLon = 0.0;
    bool TakeOffKnown = false;   // the first clip's height above sea level at take-off
    double TakeOffAltitudeM = 0.0;
    double WayM = 0.0;           // the way at the end of the clips so far
    TrackPoint Last;             // the last point of the clip before
};

// Derives one clip of a flight. The first clip (context not Started) is
// derived as DeriveFlight derives a log (from settings.WayBeforeM). A later
// one takes the flight's home and counts heights that the log gives only
// above sea level from the first clip's take-off; its way starts at 0 until
// RunWayOn. Later clips need only the first clip's RunWayOn before them, so
// they may be derived side by side.
Flight DeriveJoinedClip(FlightLog log, const TrackSettings& settings, const JoinContext& context);

// Called for each derived clip in flight order: the first starts `context`;
// a later one's way runs on from the clip before plus the straight line from
// that clip's last position to its first (3-D with settings.UseHeight).
void RunWayOn(Flight& clip, const TrackSettings& settings, JoinContext& context);

// The clips of one flight as one Flight for the outputs of the whole flight:
// records (as read) and points in order, the points' times of each later
// clip moved on to run after the clip before (from its last cue's end),
// ClipStarts set, and the first clip's KML heights and privacy zone.
Flight JoinClips(const std::vector<const Flight*>& clips);
