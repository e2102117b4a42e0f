#pragma once

#include <QByteArray>

#include <cstdint>

// Appends `value` with `decimals` digits after the point exactly as
// QString::number(value, 'f', decimals) writes it: "." as decimal point, no
// grouping, the last digit rounded half away from zero on the exact binary
// value, "-" for a negative value (also when it rounds to zero, but not for
// negative zero), "nan", "inf" and "-inf". Numbers of ordinary size are
// formatted with integer arithmetic, which is several times faster than
// QString::number; anything else is handed to QString::number itself.
void AppendFixed(QByteArray& out, double value, int decimals);

// The most characters WriteFixed and WriteDecimal write.
constexpr int kWriteFixedRoom = 32;

// Writes what AppendFixed appends into `out`, which has room for
// kWriteFixedRoom characters, and returns the end of the text; or writes
// nothing and returns nullptr when the number is not one of ordinary size
// (not finite, |value| * 10^decimals of 2^64 or more, decimals outside 1..6),
// which AppendFixed then formats.
char* WriteFixed(char* out, double value, int decimals);

// The same with the number of decimals (1..6) fixed when compiled, which
// saves a few steps per number.
template <int Decimals>
char* WriteFixed(char* out, double value);
extern template char* WriteFixed<1>(char*, double);
extern template char* WriteFixed<2>(char*, double);
extern template char* WriteFixed<3>(char*, double);
extern template char* WriteFixed<4>(char*, double);
extern template char* WriteFixed<5>(char*, double);
extern template char* WriteFixed<6>(char*, double);

// Writes `value` / 10^decimals (decimals 0..9) without trailing zeros after
// the point, and without the point when nothing follows it ("2.8" for 280
// with 2 decimals, "24" for 2400), and returns the end of the text.
char* WriteTrimmed(char* out, std::uint32_t value, int decimals);

// Writes `value` in decimal digits (what QByteArray::number writes) and
// returns the end of the text.
char* WriteDecimal(char* out, std::uint64_t value);

// A longitude as the outputs write it with `decimals` decimals: in [-180,
// 180), one that would be written as 180 or more (a logged 180.000001, a
// smoothed 180) less 360, one below -180 plus 360; unchanged elsewhere.
inline double WrittenLon(double lon, int decimals)
{
    const double top = 180.0 - 0.5 * (decimals >= 6 ? 1e-6 : decimals == 5 ? 1e-5 : 1e-4);
    if (lon < -180.0)
        lon += 360.0;
    return lon >= top ? lon - 360.0 : lon;
}

// Decimals the outputs write degrees with (6: about 0.1 m).
constexpr int kDegreeDecimals = 6;
