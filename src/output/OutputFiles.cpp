#include "output/OutputFiles.h"


#include <QFileInfo>
#include <QSaveFile>

namespace {

// A log's suffix and a video's (the video's subtitle track is a log too).
const QString kInputSuffixes[] = {QStringLiteral(".SRT"), QStringLiteral(".MP4"), QStringLiteral(".MOV")};

// Writes through a temporary file beside the target that replaces it only
// once everything has been written and flushed: a failure at any point
// leaves an existing file untouched and no partial file behind.
template <typename Write>
WriteStatus SaveAtomically(const QString& fileName, Write&& write)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return WriteStatus::NotOpened;
    // QSaveFile keeps the last few KiB in its own buffer and writes them in
    // commit(), which renames the file even when that last write fails: push
    // them out first, so a failure there is seen and the target kept.
    if (!write(&file) || !file.flush()) {
        file.cancelWriting();
        return WriteStatus::WriteFailed;
    }
    return file.commit() ? WriteStatus::Written : WriteStatus::WriteFailed;
}

} // namespace

OutputNames DeriveOutputNames(const QString& inputName)
{
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

WriteStatus CheckOutputName(const QString& outputName, const QString& inputName)
{
    if (outputName.isEmpty())
        return WriteStatus::NameMissing;
    if (NamesSameFile(outputName, inputName))
        return WriteStatus::SameAsInput;
    return WriteStatus::Written;
}

WriteStatus SaveOutput(const OutputKind& kind, const Flight& flight, const QString& pattern, const QString& outputName)
{
    if (flight.Log.Records.empty())
        return WriteStatus::NothingToWrite;
    return SaveAtomically(outputName, [&](QIODevice* device) { return kind.Write(flight, pattern, device); });
}

UserMessage WriteOutcomeMessage(WriteStatus status, const QString& outputName)
{
    using Kind = UserMessage::Kind;
    switch (status) {
    case WriteStatus::Written:
        return {Kind::Information, QStringLiteral("OK"), outputName + QStringLiteral(" has been writed!")};
    case WriteStatus::NothingToWrite:
        return {};
    case WriteStatus::NameMissing:
        return {Kind::Warning, QStringLiteral("Au..."), QStringLiteral("Please, specify output file name")};
    case WriteStatus::SameAsInput:
        return {Kind::Warning, QStringLiteral("Au..."), QStringLiteral("Output file must differ from input file")};
    case WriteStatus::NotOpened:
        return {Kind::Warning, QStringLiteral("Info"), QStringLiteral("File not opened for writing.")};
    case WriteStatus::WriteFailed:
        return {Kind::Warning, QStringLiteral("Fail"), outputName + QStringLiteral(" - something wrong during writing...")};
    }
    return {};
}
