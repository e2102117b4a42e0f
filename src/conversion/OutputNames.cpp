#include "conversion/OutputNames.h"

#include "output/Outputs.h"

#include <QFileInfo>

OutputNames DeriveOutputNames(const QString& inputName)
{
    // A log's suffix and a video's (the video's subtitle track is a log too).
    static const QString kInputSuffixes[] = {QStringLiteral(".SRT"), QStringLiteral(".MP4"), QStringLiteral(".MOV")};
    OutputNames names;
    names.Base = inputName;
    for (const QString& suffix : kInputSuffixes) {
        if (names.Base.endsWith(suffix, Qt::CaseInsensitive)) {
            names.Base.chop(suffix.size());
            break;
        }
    }
    names.Srt = names.Base + QLatin1String(SubtitleOutput().Suffix);
    names.Gpx = names.Base + QLatin1String(RouteOutput().Suffix);
    return names;
}

bool NamesSameFile(const QString& a, const QString& b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    // canonicalFilePath() is empty for a file that does not exist; a name
    // that does not exist yet cannot be the existing input.
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    return !canonicalA.isEmpty() && canonicalA == QFileInfo(b).canonicalFilePath();
}

NameCheck CheckOutputName(const QString& outputName, const QString& inputName)
{
    if (outputName.isEmpty())
        return NameCheck::Empty;
    if (NamesSameFile(outputName, inputName))
        return NameCheck::SameAsInput;
    return NameCheck::Ok;
}
