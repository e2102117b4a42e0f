#pragma once
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>

// Answers the modal dialogs the window opens while a test drives it, from a
// timer, so it also answers a box opened inside a clicked slot. Message boxes
// are recorded as "warning TITLE: TEXT" (or "information ...") and closed
// with OK; a file dialog takes the next of FileAnswers (a path, or nothing:
// cancel). Any other dialog is recorded as "unexpected CLASS" and rejected.
class DialogDriver : public QObject {
    Q_OBJECT

public:
    DialogDriver();
    QStringList Seen;         // message boxes and file dialogs ("file TITLE: FILTERS"), in order
    QStringList FileAnswers;

private:
    void Poll();
    QTimer m_timer;
    QPointer<QWidget> m_answered;  // answered, but maybe not yet closed
};
