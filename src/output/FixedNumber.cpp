#include "output/FixedNumber.h"

#include "input/DigitPairs.h"

#include <QString>

#include <cstring>

namespace {

constexpr int kMaxFastDecimals = 6;
constexpr std::uint64_t kPowersOfTen[kMaxFastDecimals + 1] = {1, 10, 100, 1000, 10000, 100000, 1000000};
constexpr std::uint64_t kPowersOfFive[kMaxFastDecimals + 1] = {1, 5, 25, 125, 625, 3125, 15625};


int CountDigits(std::uint64_t value)
{
    int count = 1;
    for (;;) {
        if (value < 10)
            return count;
        if (value < 100)
            return count + 1;
        if (value < 1000)
            return count + 2;
        if (value < 10000)
            return count + 3;
        value /= 10000;
        count += 4;
    }
}

// Writes the digits of `value` so that they end just before `end`.
void WriteDigitsBefore(char* end, std::uint64_t value)
{
    while (value >= 100) {
        end -= 2;
        std::memcpy(end, kDigitPairs.Text + 2 * (value % 100), 2);
        value /= 100;
    }
    if (value >= 10) {
        std::memcpy(end - 2, kDigitPairs.Text + 2 * value, 2);
    } else {
        end[-1] = static_cast<char>('0' + value);
    }
}

// Writes `scaled` / 10^Decimals with the point put in; the divisions by
// constants compile to multiplications.
template <int Decimals>
char* WriteScaled(char* out, bool negative, std::uint64_t scaled)
{
    constexpr std::uint64_t unit = kPowersOfTen[Decimals];
    const std::uint64_t whole = scaled / unit;
    std::uint64_t fraction = scaled % unit;
    if (negative)
        *out++ = '-';
    out += CountDigits(whole);
    WriteDigitsBefore(out, whole);
    *out = '.';
    char* const end = out + 1 + Decimals;
    char* at = end;
    for (int left = Decimals; left >= 2; left -= 2) {
        at -= 2;
        std::memcpy(at, kDigitPairs.Text + 2 * (fraction % 100), 2);
        fraction /= 100;
    }
    if (Decimals % 2 == 1)
        at[-1] = static_cast<char>('0' + fraction);
    return end;
}

void AppendSlow(QByteArray& out, double value, int decimals)
{
    out.append(QString::number(value, 'f', decimals).toLatin1());
}

} // namespace

template <int Decimals>
char* WriteFixed(char* out, double value)
{
    static_assert(Decimals >= 1 && Decimals <= kMaxFastDecimals, "decimals out of range");

    // |value| = mantissa * 2^exponent exactly, read off the IEEE bits.
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    if (biased == 0x7FF)
        return nullptr;  // not finite
    const bool negative = (bits >> 63) != 0 && (bits << 1) != 0;  // negative zero prints unsigned
    std::uint64_t mantissa = bits & ((std::uint64_t(1) << 52) - 1);
    int exponent = -1074;  // subnormal
    if (biased != 0) {
        mantissa |= std::uint64_t(1) << 52;
        exponent = biased - 1075;
    }

    // scaled = |value| * 10^Decimals rounded half up
    //        = mantissa * 5^Decimals / 2^shift, shift = -exponent - Decimals.
    // Rounding half up by a right shift: floor((floor(x / 2^(shift-1)) + 1) / 2).
    std::uint64_t scaled = 0;
    const int shift = -exponent - Decimals;
    if (Decimals <= 4 && shift >= 1) {
        // The usual case: below 2^53 * 5^4 < 2^63, 64 bits hold it.
        const std::uint64_t product = mantissa * kPowersOfFive[Decimals];
        if (shift < 64)
            scaled = ((product >> (shift - 1)) + 1) >> 1;
        // else: below half a unit, rounds to 0
    } else {
        __extension__ typedef unsigned __int128 U128;  // GCC and Clang
        const U128 product = static_cast<U128>(mantissa) * kPowersOfTen[Decimals];  // below 2^73
        U128 wide = 0;
        if (exponent >= 0) {
            if (exponent >= 64)
                return nullptr;
            wide = product << exponent;
            if ((wide >> exponent) != product)
                return nullptr;
        } else if (-exponent < 100) {
            wide = ((product >> (-exponent - 1)) + 1) >> 1;
        }  // else: far below half a unit, rounds to 0
        if ((wide >> 64) != 0)
            return nullptr;
        scaled = static_cast<std::uint64_t>(wide);
    }
    return WriteScaled<Decimals>(out, negative, scaled);
}

template char* WriteFixed<1>(char*, double);
template char* WriteFixed<2>(char*, double);
template char* WriteFixed<3>(char*, double);
template char* WriteFixed<4>(char*, double);
template char* WriteFixed<5>(char*, double);
template char* WriteFixed<6>(char*, double);

char* WriteFixed(char* out, double value, int decimals)
{
    switch (decimals) {
    case 1: return WriteFixed<1>(out, value);
    case 2: return WriteFixed<2>(out, value);
    case 3: return WriteFixed<3>(out, value);
    case 4: return WriteFixed<4>(out, value);
    case 5: return WriteFixed<5>(out, value);
    case 6: return WriteFixed<6>(out, value);
    default: return nullptr;
    }
}

char* WriteDecimal(char* out, std::uint64_t value)
{
    out += CountDigits(value);
    WriteDigitsBefore(out, value);
    return out;
}

void AppendFixed(QByteArray& out, double value, int decimals)
{
    char text[kWriteFixedRoom];
    if (const char* end = WriteFixed(text, value, decimals))
        out.append(text, static_cast<int>(end - text));
    else
        AppendSlow(out, value, decimals);
}

char* WriteTrimmed(char* out, std::uint32_t value, int decimals)
{
    std::uint32_t scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    out = WriteDecimal(out, value / scale);
    std::uint32_t fraction = value % scale;
    if (fraction != 0) {
        *out++ = '.';
        for (std::uint32_t digit = scale / 10; fraction != 0; digit /= 10) {
            *out++ = static_cast<char>('0' + fraction / digit);
            fraction %= digit;
        }
    }
    return out;
}
