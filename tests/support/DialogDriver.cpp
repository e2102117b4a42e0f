#include "support/DialogDriver.h"

void DialogDriver::MessageShown(const UserMessage& message)
{
    Seen << (message.Icon == UserMessage::Kind::Warning ? QStringLiteral("warning ") : QStringLiteral("information "))
            + message.Title + QStringLiteral(": ") + message.Text;
}

QString DialogDriver::FileChosen(const QString& title, const QString& filter)
{
    Seen << QStringLiteral("file ") + title + QStringLiteral(": ") + filter;
    return FileAnswers.isEmpty() ? QString() : FileAnswers.takeFirst();
}
