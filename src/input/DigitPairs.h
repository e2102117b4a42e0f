#pragma once

// "00" "01" ... "99": numbers written two digits per division by 100, by
// the readers' time spellings and the writers' numbers alike.
struct DigitPairs {
    char Text[200];
    constexpr DigitPairs() : Text()
    {
        for (int i = 0; i < 100; ++i) {
            Text[2 * i] = static_cast<char>('0' + i / 10);
            Text[2 * i + 1] = static_cast<char>('0' + i % 10);
        }
    }
};
inline constexpr DigitPairs kDigitPairs;
