#pragma once

#include "track/Flight.h"

#include <QString>

// The copy of a clip that carries the computed subtitles: `<base>.sorned.<ext>`
// in the clip's own container (MP4 or MOV), its video and sound copied
// packet for packet, the subtitle file's blocks (the lines after each cue
// line) as its first subtitle track. It is tagged with home as its location
// (ISO 6709) and the log's first date in UTC as its creation time. With a
// privacy zone the clip's own subtitle track, its data tracks and its
// location are left out and no location is written. Written under a
// temporary name and renamed when whole.

struct VideoCopyResult {
    enum class Status { Written, NoVideoModule, ClipUnreadable, NotWritten };
    Status State = Status::Written;
    QString Detail;   // why, when not written
    QString LeftOut;  // the clip's tracks the copy does not carry, by name
};

// The copy's name: "<base>.sorned.<ext>" with the clip's suffix, beside the
// log or in `folder` when it is not empty.
QString VideoCopyName(const QString& log, const QString& clip, const QString& folder);

VideoCopyResult WriteVideoCopy(const Flight& flight, const QString& pattern, const QString& clip, const QString& output);

// velloa-cli's words: "NAME has been written" (and "NAME: left out: ..."
// on a line of its own), or the failure after "velloa-cli: NAME: ".
QString VideoCopyOutcomeText(const VideoCopyResult& result, const QString& output);
// "no video beside the log", for a log without a clip.
QString NoVideoBesideLogText();
