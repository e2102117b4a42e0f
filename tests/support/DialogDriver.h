#pragma once
#include "window/Dialogs.h"

#include <QStringList>

// Answers the window's message boxes and file dialogs while a test drives
// it, through the window's dialog seam. Message boxes are recorded as
// "warning TITLE: TEXT" (or "information ...") and closed with OK; a file
// dialog is recorded as "file TITLE: FILTER" and takes the next of
// FileAnswers (a path, or nothing: cancel).
class DialogDriver : public DialogAnswerer {
public:
    DialogDriver() { Dialogs::SetAnswerer(this); }
    ~DialogDriver() override { Dialogs::SetAnswerer(nullptr); }
    QStringList Seen;  // message boxes and file dialogs, in order
    QStringList FileAnswers;

    void MessageShown(const UserMessage& message) override;
    QString FileChosen(const QString& title, const QString& filter) override;
};
