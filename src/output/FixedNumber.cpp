#include "output/FixedNumber.h"

#include <QString>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

constexpr int kMaxFastDecimals = 6;
constexpr std::uint64_t kPowersOfTen[kMaxFastDecimals + 1] = {1, 10, 100, 1000, 10000, 100000, 1000000};

void AppendSlow(QByteArray& out, double value, int decimals)
{
    out.append(QString::number(value, 'f', decimals).toLatin1());
}

} // namespace

void AppendFixed(QByteArray& out, double value, int decimals)
{
    // 2^63 keeps the scaled value below 2^83, well inside 128 bits.
    if (!std::isfinite(value) || decimals < 1 || decimals > kMaxFastDecimals || std::fabs(value) >= 9.2e18) {
        AppendSlow(out, value, decimals);
        return;
    }
    const bool negative = std::signbit(value) && value != 0.0;  // negative zero prints unsigned

    // |value| = mantissa * 2^exponent exactly, read off the IEEE bits.
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    std::uint64_t mantissa = bits & ((std::uint64_t(1) << 52) - 1);
    int exponent = -1074;  // subnormal
    if (biased != 0) {
        mantissa |= std::uint64_t(1) << 52;
        exponent = biased - 1075;
    }

    // scaled = |value| * 10^decimals, rounded half up: below 2^83 by the
    // range check above, so 128 bits hold every intermediate.
    __extension__ typedef unsigned __int128 U128;  // GCC and Clang
    const U128 product = static_cast<U128>(mantissa) * kPowersOfTen[decimals];
    U128 scaled = 0;
    if (exponent >= 0) {
        scaled = product << exponent;
    } else if (-exponent < 100) {
        const int shift = -exponent;
        scaled = product >> shift;
        const U128 remainder = product - (scaled << shift);
        if (remainder >= (static_cast<U128>(1) << (shift - 1)))
            ++scaled;
    }  // else: far below half a unit in the last place, rounds to 0

    // Digits from the right; 64-bit division whenever it fits (it nearly
    // always does), 128-bit division is a library call.
    char digits[48];
    int count = 0;
    while (scaled > std::numeric_limits<std::uint64_t>::max()) {
        digits[count++] = static_cast<char>('0' + static_cast<int>(scaled % 10));
        scaled /= 10;
    }
    auto low = static_cast<std::uint64_t>(scaled);
    do {
        digits[count++] = static_cast<char>('0' + static_cast<int>(low % 10));
        low /= 10;
    } while (low != 0 || count <= decimals);

    char text[56];
    int length = 0;
    if (negative)
        text[length++] = '-';
    for (int i = count - 1; i >= 0; --i) {
        text[length++] = digits[i];
        if (i == decimals)
            text[length++] = '.';
    }
    out.append(text, length);
}
