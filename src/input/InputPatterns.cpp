#include "input/InputPatterns.h"

namespace {

// Label of each pattern row, in index order.
const char* const kLabels[InputPatterns::Count] = {
    "ID", "SrtTime", "Home", "GPS", "FlyTime", "Barometer",
};

}  // namespace

InputPatterns InputPatterns::Defaults()
{
    InputPatterns p;
    // ID matches only a block made of digits alone: "^" and "$" are the ends
    // of the whole block, not of its lines.
    p.Texts[ID] = QStringLiteral("^([0-9]*)$");
    // Thirteen characters either side of the arrow: one blank plus a time
    // written as HH:MM:SS,mmm.
    p.Texts[SrtTime] = QStringLiteral("(.{13}-->.{13})");
    // Home and GPS stand longitude first, latitude second. Either may carry a
    // minus sign: flights west of Greenwich or south of the equator.
    p.Texts[Home] = QStringLiteral(".*HOME[(]([-]?[0-9]+[.][0-9]*)[,]([-]?[0-9]+[.][0-9]*)[)]");
    // The third number after GPS (the satellite count) is not captured.
    p.Texts[GPS] = QStringLiteral(".*GPS[(]([-]?[0-9]+[.][0-9]*)[,]([-]?[0-9]+[.][0-9]*)[,]");
    // The date and time that follow the home point on the same line.
    p.Texts[FlyTime] = QStringLiteral(
        "HOME[(][-0-9., ]*[)][ ](20[0-9][0-9][.][0-9][0-9][.][0-9][0-9][ ][0-9:]{8})");
    p.Texts[Barometer] = QStringLiteral("BAROMETER[:]([-]?[0-9]*[.][0-9]*)");
    return p;
}

QString InputPatterns::Label(int index)
{
    if (index < 0 || index >= Count)
        return QString();
    return QLatin1String(kLabels[index]);
}

int InputPatterns::IndexOfLabel(const QString& label)
{
    for (int i = 0; i < Count; ++i) {
        if (label == QLatin1String(kLabels[i]))
            return i;
    }
    return -1;
}
