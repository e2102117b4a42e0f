#pragma once

#include "conversion/CardConversion.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class NewestRun;
class QDialog;
class QLabel;
class QProgressBar;
class QTimer;
class QWidget;

// The window's background job with its progress: the work runs on a worker
// thread (a NewestRun), a modal dialog over `window` shows how far it is
// once it has taken a moment, and its Cancel (or Escape, or closing it)
// tells the work through its watch. `done` follows on the UI thread, also
// after a cancel; a dropped run finishes unseen.
class ProgressRun : public QObject {
    Q_OBJECT

public:
    // The dialog is named `<name>Progress`, its button `<name>CancelButton`.
    ProgressRun(QWidget* window, const QString& name);

    // `steps` is the watch's ClipsDone at the end; 0: no measure, the bar
    // just shows that the work goes on.
    void Start(const QString& label, int steps, std::function<void(CardWatch&)> work, std::function<void()> done);
    // Tells the run under way to stop and hides the dialog; `done` follows.
    void Cancel();
    // The run under way is no longer wanted: cancelled and never seen.
    void Drop();
    bool Busy() const;

private:
    void StopProgress();

    NewestRun* m_run;
    std::shared_ptr<CardWatch> m_watch;  // the newest run's watch
    QDialog* m_dialog;
    QLabel* m_label;
    QProgressBar* m_bar;
    QTimer* m_timer;  // feeds the bar; shows the dialog after a moment
    QElapsedTimer m_started;
};
