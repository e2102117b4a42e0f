#include "window/ProgressRun.h"

#include "conversion/Messages.h"
#include "window/NewestRun.h"

#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// How long a run may take before its progress dialog shows.
constexpr int kMomentMs = 400;

}  // namespace

ProgressRun::ProgressRun(QWidget* window, const QString& name)
    : QObject(window)
    , m_run(new NewestRun(this))
    , m_dialog(new QDialog(window))
    , m_label(new QLabel)
    , m_bar(new QProgressBar)
    , m_timer(new QTimer(this))
{
    m_dialog->setObjectName(name + QStringLiteral("Progress"));
    m_dialog->setWindowTitle(WindowTitleText());
    m_dialog->setWindowModality(Qt::WindowModal);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    cancel->setObjectName(name + QStringLiteral("CancelButton"));
    auto* layout = new QVBoxLayout(m_dialog);
    layout->addWidget(m_label);
    layout->addWidget(m_bar);
    layout->addWidget(cancel, 0, Qt::AlignRight);
    connect(cancel, &QPushButton::clicked, m_dialog, &QDialog::reject);
    connect(m_dialog, &QDialog::rejected, this, &ProgressRun::Cancel);
    m_timer->setInterval(100);
    connect(m_timer, &QTimer::timeout, this, [this] {
        m_bar->setValue(m_watch ? m_watch->ClipsDone.load() : 0);
        if (!m_dialog->isVisible() && m_started.hasExpired(kMomentMs)) {
            m_dialog->adjustSize();
            m_dialog->show();
        }
    });
}

void ProgressRun::Start(const QString& label, int steps, std::function<void(CardWatch&)> work, std::function<void()> done)
{
    auto watch = std::make_shared<CardWatch>();
    m_watch = watch;
    m_label->setText(label);
    m_bar->setRange(0, steps);
    m_bar->setValue(0);
    m_started.start();  // the moment starts
    m_timer->start();
    m_run->Start([work, watch] { work(*watch); }, [this, done] {
        StopProgress();
        done();
    });
}

void ProgressRun::Cancel()
{
    if (m_watch)
        m_watch->Cancel = true;
    StopProgress();
}

void ProgressRun::Drop()
{
    m_run->Drop();
    Cancel();
}

bool ProgressRun::Busy() const
{
    return m_run->Busy();
}

void ProgressRun::StopProgress()
{
    m_timer->stop();
    m_dialog->hide();
}
