#pragma once

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QQueue>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QUrl>

// A message box the driver saw and answered.
struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;  // the buttons it offered
};

// A file dialog the driver saw, with what it answered.
struct SeenFileDialog {
    QString title;
    QStringList nameFilters;
    QString answer;  // the file chosen, empty when cancelled
};

// Answers the modal dialogs that the window opens while a test drives it.
//
// It polls QApplication::activeModalWidget() from a timer, so it answers a
// box opened anywhere: inside a slot run by QTest::mouseClick, inside another
// box's nested loop, or several boxes one after the other. Message boxes are
// recorded (title, text, icon) in the order they appeared and closed with
// their OK button. File dialogs take the next queued answer: a path to choose
// (it must exist, as the open-file dialog checks) or an empty string to
// cancel; with nothing queued they are cancelled. Any other modal dialog is
// rejected and its class name recorded as unexpected.
//
// Every answer is delivered through the event queue rather than from the
// timer's own slot: a dialog opened by that answer would otherwise run its
// nested loop inside the timer slot, where Qt never fires the same timer
// again, and nobody would answer it.
class DialogDriver : public QObject {
    Q_OBJECT

public:
    explicit DialogDriver(QObject* parent = nullptr);
    ~DialogDriver() override;

    // Queues the answer for the next file dialog (empty path = cancel).
    void answerFileDialog(const QString& path);

    QList<SeenBox> boxes() const { return m_boxes; }
    QList<SeenFileDialog> fileDialogs() const { return m_fileDialogs; }
    QStringList unexpected() const { return m_unexpected; }
    int pendingFileAnswers() const { return m_fileAnswers.size(); }

    // Forgets everything seen and every queued answer.
    void clear();

private slots:
    void poll();

private:
    QTimer m_timer;
    QList<QPointer<QWidget>> m_handled;  // answered, maybe not yet closed
    QList<SeenBox> m_boxes;
    QList<SeenFileDialog> m_fileDialogs;
    QStringList m_unexpected;
    QQueue<QString> m_fileAnswers;
};

// Catches the web addresses that the program hands to
// QDesktopServices::openUrl, instead of starting a browser. Handles "http"
// and "https" while it exists.
class UrlCatcher : public QObject {
    Q_OBJECT

public:
    explicit UrlCatcher(QObject* parent = nullptr);
    ~UrlCatcher() override;

    QList<QUrl> urls() const { return m_urls; }
    void clear() { m_urls.clear(); }

public slots:
    // Called by QDesktopServices by name.
    void open(const QUrl& url);

private:
    QList<QUrl> m_urls;
};

// A box as one line for comparisons: "warning TITLE: TEXT" or "information
// TITLE: TEXT" ("other-icon" for any other icon), followed by " [not a single
// OK button]" when it offered anything but OK alone.
QString Describe(const SeenBox& box);
// Every box the driver has seen so far, in order, described as above.
QStringList Seen(const DialogDriver& driver);
