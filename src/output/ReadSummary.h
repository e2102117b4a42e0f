#pragma once

#include "input/FlightRecord.h"

#include <QString>

// The text of the "Read information" box: "Parsed <n> records\r\n\r\n", then
// for a non-empty list "First: GPS: <lat>, <lon> SrtTime: <time>\r\nWay:
// <way of the last record>\r\n", numbers in 'g' format with 6 digits.
QString BuildReadSummary(const FlightRecordList& records);
