#pragma once

#include <QObject>

#include <functional>

// Background work where the newest run wins: Start runs `work` on a worker
// thread and then `done` on the UI thread, unless a newer run was started
// or Drop was called meanwhile (a dropped run finishes unseen). Results go
// from `work` to `done` through what both capture.
class NewestRun : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    void Start(std::function<void()> work, std::function<void()> done);
    // The run under way is no longer wanted.
    void Drop();
    // A run is under way that has not been dropped.
    bool Busy() const { return m_busy; }

private:
    int m_newest = 0;
    bool m_busy = false;
};
