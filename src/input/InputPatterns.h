#pragma once

#include <QString>

#include <array>

// The six user-editable regular expressions that pick the values out of a
// subtitle block, always in this order, which is also the order of the
// pattern rows in the window and of the labels below.
struct InputPatterns {
    enum Index { ID = 0, SrtTime, Home, GPS, FlyTime, Barometer, Count };

    std::array<QString, Count> Texts;

    // The built-in defaults (they admit negative coordinates).
    static InputPatterns Defaults();
    // "ID", "SrtTime", "Home", "GPS", "FlyTime", "Barometer".
    static QString Label(int index);
    // The index of a label (exact, case-sensitive), or -1.
    static int IndexOfLabel(const QString& label);

    bool operator==(const InputPatterns& other) const { return Texts == other.Texts; }
    bool operator!=(const InputPatterns& other) const { return !(*this == other); }
};
