#include "window/NewestRun.h"

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

void NewestRun::Start(std::function<void()> work, std::function<void()> done)
{
    const int run = ++m_newest;
    m_busy = true;
    auto* watcher = new QFutureWatcher<void>(this);
    connect(watcher, &QFutureWatcher<void>::finished, this, [this, watcher, run, done] {
        watcher->deleteLater();
        if (run != m_newest)
            return;
        m_busy = false;
        done();
    });
    watcher->setFuture(QtConcurrent::run(std::move(work)));
}

void NewestRun::Drop()
{
    ++m_newest;
    m_busy = false;
}
