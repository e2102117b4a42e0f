#include "output/OutputFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

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

WriteStatus SaveOutput(const OutputKind& kind, const Flight& flight, const QString& pattern, const QString& outputName,
                       int jobs)
{
    if (flight.Log.Records.empty())
        return WriteStatus::NothingToWrite;
    return SaveAtomically(outputName, [&](QIODevice* device) { return kind.Write(flight, pattern, device, jobs); });
}

FileBeside::FileBeside(const QString& target) : m_target(target)
{
    const QFileInfo info(target);
    QTemporaryFile file(info.absoluteDir().filePath(QStringLiteral(".%1.XXXXXX.part").arg(info.fileName())));
    if (!file.open()) {
        m_error = file.errorString();
        return;
    }
    file.setAutoRemove(false);
    m_path = file.fileName();
}

FileBeside::~FileBeside()
{
    if (!m_path.isEmpty())
        QFile::remove(m_path);
}

bool FileBeside::Commit()
{
    // A temporary file is made for its owner alone; the target gets the
    // permissions of any new file.
    const mode_t mask = umask(0);
    umask(mask);
    const QByteArray path = QFile::encodeName(m_path);
    if (chmod(path.constData(), 0666 & ~mask) != 0 || std::rename(path.constData(), QFile::encodeName(m_target).constData()) != 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    m_path.clear();
    return true;
}
