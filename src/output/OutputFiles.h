#pragma once

#include "output/Outputs.h"

#include <QString>

enum class WriteStatus {
    Written,
    NothingToWrite,  // no records: no file is created or touched
    NotOpened,       // the output file cannot be created
    WriteFailed,     // a write failed or the file could not be completed
};

// Writes one output of the flight to `outputName`. The file is written to a
// temporary file beside it and renamed over it only when complete, so on
// any failure an existing file is left as it was and no partial file
// remains. A flight without records writes nothing (NothingToWrite).
// `jobs`: as OutputKind::Write's.
WriteStatus SaveOutput(const OutputKind& kind, const Flight& flight, const QString& pattern, const QString& outputName,
                       int jobs = 1);

// A file that another library writes by its name (the video module), made
// whole the same way: written under a temporary name beside the target,
// renamed over it by Commit with the permissions of any new file, removed
// when the object goes without a Commit.
class FileBeside {
public:
    explicit FileBeside(const QString& target);
    ~FileBeside();
    FileBeside(const FileBeside&) = delete;
    FileBeside& operator=(const FileBeside&) = delete;

    // The temporary name to write to; empty when it cannot be made (Error
    // says why).
    const QString& Path() const { return m_path; }
    QString Error() const { return m_error; }
    // Renames the temporary file to the target; false (Error says why) when
    // that fails.
    bool Commit();

private:
    QString m_target, m_path, m_error;
};
