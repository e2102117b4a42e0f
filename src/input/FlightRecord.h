#pragma once

#include <QString>

#include <vector>

// One subtitle block of a flight log, as parsed, plus the two values the
// track passes derive from the positions.
// Latitudes and longitudes are decimal degrees as the log writes them,
// Barometer is the barometric height in metres, Speed is metres per record
// interval (one second), Way is metres along the path.
struct FlightRecord {
    QString Id;
    QString SrtTime;
    double HomeLat = 0.0;
    double HomeLon = 0.0;
    double Lat = 0.0;
    double Lon = 0.0;
    QString FlyTime;
    double Barometer = 0.0;
    double Speed = 0.0;
    double Way = 0.0;
};

// The records of one file in file order, held by value. The action that
// reads a file owns its list; the list and its records go together.
using FlightRecordList = std::vector<FlightRecord>;
