#pragma once

#include <QByteArray>

// Appends `value` with `decimals` digits after the point exactly as
// QString::number(value, 'f', decimals) writes it: "." as decimal point, no
// grouping, the last digit rounded half away from zero on the exact binary
// value, "-" for a negative value (also when it rounds to zero, but not for
// negative zero), "nan", "inf" and "-inf". Numbers of ordinary size are
// formatted with integer arithmetic, which is several times faster than
// QString::number; anything else is handed to QString::number itself.
void AppendFixed(QByteArray& out, double value, int decimals);
