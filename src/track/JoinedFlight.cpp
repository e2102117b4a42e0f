#include "track/JoinedFlight.h"

#include "track/GreatCircle.h"

#include <algorithm>
#include <cmath>

Flight DeriveJoinedClip(FlightLog log, const TrackSettings& settings, const JoinContext& context)
{
    if (!context.Started)
        return DeriveFlight(std::move(log), settings);
    TrackSettings own = settings;
    own.WayBeforeM = 0.0;
    own.HomeGiven = true;
    own.HomeLat = context.HomeLat;
    own.HomeLon = context.HomeLon;
    own.TakeOffAltitudeGiven = context.TakeOffKnown;
    own.TakeOffAltitudeM = context.TakeOffAltitudeM;
    return DeriveFlight(std::move(log), own);
}

void RunWayOn(Flight& clip, const TrackSettings& settings, JoinContext& context)
{
    Track& points = clip.Points;
    if (points.empty())
        return;
    if (!context.Started) {
        const TrackPoint& first = points.front();
        const FlightRecord& record = clip.Log.Records.front();
        context.Started = true;
        context.HomeLat = record.HomeLat;
        context.HomeLon = record.HomeLon;
        context.TakeOffKnown = clip.HasAltitude;
        context.TakeOffAltitudeM = record.AltitudeM - first.HeightM;
    } else {
        // The straight line across the join, from the last position of the
        // clip before to this clip's first, both as smoothed.
        const bool estimated = !clip.Recordings.empty() && clip.Recordings.front().HalfUnitDeg > 0.0;
        const double before = context.WayM
            + StepDistance(context.Last, points.front(), clip.PerFrame || estimated, settings.UseHeight);
        for (TrackPoint& p : points)
            p.WayM += before;
    }
    context.WayM = points.back().WayM;
    context.Last = points.back();
}

Flight JoinClips(const std::vector<const Flight*>& clips)
{
    Flight joined;
    std::size_t total = 0;
    for (const Flight* clip : clips)
        total += clip->Points.size();
    joined.Log.Records.reserve(total);
    joined.Points.reserve(total);
    qint64 nextStartMs = 0;
    for (const Flight* clip : clips) {
        if (clip->Points.empty())
            continue;
        if (joined.Log.Family == nullptr) {
            joined.Log.Family = clip->Log.Family;
            // The conversion's choices, the same for every clip: the KML's
            // heights and the privacy zone.
            joined.Kml = clip->Kml;
            joined.PrivacyRadiusM = clip->PrivacyRadiusM;
        }
        joined.Log.BlocksPerSecond = std::max(joined.Log.BlocksPerSecond, clip->Log.BlocksPerSecond);
        joined.HasAltitude = joined.HasAltitude || clip->HasAltitude;
        joined.PerFrame = joined.PerFrame || clip->PerFrame;
        const qint64 shift = joined.Points.empty() ? 0 : nextStartMs - clip->Points.front().TimeMs;
        if (!joined.Points.empty())
            joined.ClipStarts.push_back(joined.Points.size());
        const std::size_t start = joined.Points.size();
        // The clip's recordings, each sampled on its own cues' seconds as in
        // the clip's own outputs.
        for (TrackRecording recording : clip->Recordings) {
            recording.First += start;
            recording.End += start;
            recording.ShiftMs += shift;
            joined.Recordings.push_back(recording);
        }
        for (std::size_t i = 0; i < clip->Points.size(); ++i) {
            joined.Log.Records.push_back(clip->Log.Records[i]);
            TrackPoint point = clip->Points[i];
            point.TimeMs += shift;
            joined.Points.push_back(point);
        }
        const qint64 lastStart = joined.Points.back().TimeMs;
        nextStartMs = lastStart + BlockLengthMs(joined.Log.Records.back(), clip->Log.BlocksPerSecond);
    }
    return joined;
}
