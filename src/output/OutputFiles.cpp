#include "output/OutputFiles.h"

#include <QSaveFile>

namespace {

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

WriteStatus SaveOutput(const OutputKind& kind, const Flight& flight, const QString& pattern, const QString& outputName)
{
    if (flight.Log.Records.empty())
        return WriteStatus::NothingToWrite;
    return SaveAtomically(outputName, [&](QIODevice* device) { return kind.Write(flight, pattern, device); });
}
