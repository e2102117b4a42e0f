#pragma once

#include "conversion/Messages.h"

#include <QString>
#include <QStringList>

// The window's modal message boxes and file dialogs, all opened here. A test
// installs an answerer and is handed each box and dialog instead of a modal
// window (no polling for modal widgets); the program shows the real ones.
class DialogAnswerer {
public:
    virtual ~DialogAnswerer() = default;
    virtual void MessageShown(const UserMessage& message) = 0;
    // The file chosen in a dialog titled `title` with `filter`; empty: cancelled.
    virtual QString FileChosen(const QString& title, const QString& filter) = 0;
    // The files chosen in a dialog that takes several: FileChosen's answer
    // split at line breaks (several lines, several files).
    virtual QStringList FilesChosen(const QString& title, const QString& filter)
    {
        return FileChosen(title, filter).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
};

namespace Dialogs {
// nullptr: real dialogs again.
void SetAnswerer(DialogAnswerer* answerer);

// A modal static box without parent and with a single OK button (nothing
// for an empty message).
void Show(const UserMessage& message);
// Existing files to open, one or several; none when cancelled.
QStringList OpenFileNames(const QString& title, const QString& filter);
// A file to write, `suggestion` preselected; empty when cancelled.
QString SaveFileName(const QString& title, const QString& suggestion, const QString& filter);
} // namespace Dialogs
