#include "window/Dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

namespace {
DialogAnswerer* g_answerer = nullptr;
} // namespace

void Dialogs::SetAnswerer(DialogAnswerer* answerer)
{
    g_answerer = answerer;
}

void Dialogs::Show(const UserMessage& message)
{
    if (message.IsEmpty())
        return;
    if (g_answerer)
        return g_answerer->MessageShown(message);
    if (message.Icon == UserMessage::Kind::Warning)
        QMessageBox::warning(nullptr, message.Title, message.Text, QMessageBox::Ok);
    else
        QMessageBox::information(nullptr, message.Title, message.Text, QMessageBox::Ok);
}

QStringList Dialogs::OpenFileNames(const QString& title, const QString& filter)
{
    if (g_answerer)
        return g_answerer->FilesChosen(title, filter);
    return QFileDialog::getOpenFileNames(nullptr, title, QString(), filter);
}

QString Dialogs::SaveFileName(const QString& title, const QString& suggestion, const QString& filter)
{
    if (g_answerer)
        return g_answerer->FileChosen(title, filter);
    return QFileDialog::getSaveFileName(nullptr, title, suggestion, filter);
}
