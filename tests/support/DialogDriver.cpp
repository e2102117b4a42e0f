#include "support/DialogDriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QMetaObject>

DialogDriver::DialogDriver(QObject* parent)
    : QObject(parent)
{
    // Native dialogs cannot be reached as widgets; the Qt one can.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs, true);
    connect(&m_timer, &QTimer::timeout, this, &DialogDriver::poll);
    m_timer.start(10);
}

DialogDriver::~DialogDriver() = default;

void DialogDriver::answerFileDialog(const QString& path)
{
    m_fileAnswers.enqueue(path);
}

void DialogDriver::clear()
{
    m_boxes.clear();
    m_fileDialogs.clear();
    m_unexpected.clear();
    m_fileAnswers.clear();
}

void DialogDriver::poll()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible())
        return;

    // An answered dialog stays the active modal widget until its queued
    // answer has run; it must not be recorded twice.
    m_handled.removeAll(QPointer<QWidget>());
    for (const QPointer<QWidget>& done : qAsConst(m_handled)) {
        if (done == modal)
            return;
    }

    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        m_handled.append(box);
        m_boxes.append(SeenBox{box->windowTitle(), box->text(), box->icon(), box->standardButtons()});
        QPointer<QMessageBox> guard(box);
        QMetaObject::invokeMethod(
            this,
            [guard] {
                if (!guard)
                    return;
                if (QAbstractButton* ok = guard->button(QMessageBox::Ok))
                    ok->click();
                else
                    guard->reject();
            },
            Qt::QueuedConnection);
        return;
    }

    if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
        const QString answer = m_fileAnswers.isEmpty() ? QString() : m_fileAnswers.dequeue();
        m_handled.append(dialog);
        m_fileDialogs.append(SeenFileDialog{dialog->windowTitle(), dialog->nameFilters(), answer});
        QPointer<QFileDialog> guard(dialog);
        QMetaObject::invokeMethod(
            this,
            [this, guard, answer] {
                if (!guard)
                    return;
                if (answer.isEmpty()) {
                    guard->reject();
                    return;
                }
                guard->selectFile(answer);
                // selectFile leaves the name field alone while it has the
                // focus, as it has in a shown dialog: type the name instead.
                if (auto* nameEdit = guard->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                    nameEdit->setText(answer);
                // QFileDialog::accept is protected; QDialog's is the public
                // entry and reaches the same override.
                static_cast<QDialog*>(guard.data())->accept();
                // accept() refuses a missing file and keeps the dialog open
                // (after a box of its own): let the next poll cancel it.
                if (guard && guard->isVisible())
                    m_handled.removeAll(QPointer<QWidget>(guard.data()));
            },
            Qt::QueuedConnection);
        return;
    }

    m_handled.append(modal);
    m_unexpected.append(QString::fromLatin1(modal->metaObject()->className()));
    QPointer<QWidget> guard(modal);
    QMetaObject::invokeMethod(
        this,
        [guard] {
            if (!guard)
                return;
            if (auto* dialog = qobject_cast<QDialog*>(guard.data()))
                dialog->reject();
            else
                guard->close();
        },
        Qt::QueuedConnection);
}

UrlCatcher::UrlCatcher(QObject* parent)
    : QObject(parent)
{
    QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "open");
}

UrlCatcher::~UrlCatcher()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
}

void UrlCatcher::open(const QUrl& url)
{
    m_urls.append(url);
}

QString Describe(const SeenBox& box)
{
    const QString kind = box.icon == QMessageBox::Warning ? QStringLiteral("warning ")
        : box.icon == QMessageBox::Information            ? QStringLiteral("information ")
                                                          : QStringLiteral("other-icon ");
    QString line = kind + box.title + QStringLiteral(": ") + box.text;
    if (box.buttons != QMessageBox::StandardButtons(QMessageBox::Ok))
        line += QStringLiteral(" [not a single OK button]");
    return line;
}

QStringList Seen(const DialogDriver& driver)
{
    QStringList seen;
    for (const SeenBox& box : driver.boxes())
        seen << Describe(box);
    return seen;
}
