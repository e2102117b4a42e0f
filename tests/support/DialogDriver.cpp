#include "support/DialogDriver.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>

DialogDriver::DialogDriver()
{
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs, true);  // native ones are no widgets
    connect(&m_timer, &QTimer::timeout, this, &DialogDriver::Poll);
    m_timer.start(10);
}

void DialogDriver::Poll()
{
    QPointer<QWidget> modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || modal == m_answered)
        return;
    m_answered = modal;
    QString answer;
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        Seen << (box->icon() == QMessageBox::Warning ? QStringLiteral("warning ") : QStringLiteral("information "))
                + box->windowTitle() + QStringLiteral(": ") + box->text()
                + (box->standardButtons() == QMessageBox::Ok ? QString() : QStringLiteral(" [not OK alone]"));
    } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
        Seen << QStringLiteral("file ") + dialog->windowTitle() + QStringLiteral(": ") + dialog->nameFilters().join(QLatin1Char(';'));
        answer = FileAnswers.isEmpty() ? QString() : FileAnswers.takeFirst();
    } else {
        Seen << QStringLiteral("unexpected ") + QLatin1String(modal->metaObject()->className());
    }
    // Answered from the event queue: a dialog opened by the answer would
    // otherwise run its loop inside this timer slot, which then never fires.
    QMetaObject::invokeMethod(this, [modal, answer] {
        if (auto* dialog = qobject_cast<QDialog*>(modal.data())) {
            if (answer.isEmpty())
                return dialog->reject();
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(answer);
            dialog->accept();
        }
    }, Qt::QueuedConnection);
}
