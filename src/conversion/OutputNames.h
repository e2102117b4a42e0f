#pragma once

#include <QString>

// The output names derived from an input name: one ".SRT", ".MP4" or ".MOV"
// suffix (any case) is cut off, then each output's suffix is appended.
struct OutputNames {
    QString Base;  // the input name without its suffix
    QString Srt;
    QString Gpx;
};
OutputNames DeriveOutputNames(const QString& inputName);

// Whether an output name may be written, checked before anything is.
enum class NameCheck {
    Ok,
    Empty,        // the output name is empty
    SameAsInput,  // the output name resolves to the input file
};
NameCheck CheckOutputName(const QString& outputName, const QString& inputName);

// True when both names lead to the same existing file (after resolving
// relative parts and symbolic links).
bool NamesSameFile(const QString& a, const QString& b);
