#include "window/CardWindow.h"

#include "conversion/Messages.h"
#include "track/JoinedFlight.h"
#include "window/Dialogs.h"
#include "window/MainWindowWidgets.h"
#include "window/ProgressRun.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QSet>
#include <QThread>
#include <QTreeWidget>

namespace {

QString FileNameOf(const QString& path)
{
    return QFileInfo(path).fileName();
}

// The files written and what failed of one flight's run.
void TallyFiles(const std::vector<FlightOutcome::File>& files, CardRunFacts& facts)
{
    for (const FlightOutcome::File& file : files) {
        if (file.Written)
            facts.Written << FileNameOf(file.Name);
        else if (!file.Text.isEmpty())
            facts.Failed << ClipFailureText(FileNameOf(file.Name), file.Text);
    }
}

void Tally(const FlightOutcome& outcome, CardRunFacts& facts)
{
    bool converted = false;
    for (const FlightOutcome::Clip& clip : outcome.Clips) {
        if (clip.Skipped) {
            ++facts.NotConverted;
        } else if (!clip.Converted()) {
            facts.Failed << ClipFailureText(FileNameOf(clip.Log), ConversionFailureMessage(*clip.Result).Text);
        } else {
            converted = true;
            ++facts.Clips;
            TallyFiles(clip.Files, facts);
        }
    }
    TallyFiles(outcome.FlightFiles, facts);
    facts.Flights += converted ? 1 : 0;
}

// The output name fields: the two of the buttons and the other outputs'.
QList<QLineEdit*> OutputFields(const MainWindowWidgets& w)
{
    QList<QLineEdit*> fields{w.OutSrtFileNameEdit, w.OutGpxFileNameEdit};
    for (const MainWindowWidgets::OutputRow& row : w.OtherOutputs)
        fields << row.NameEdit;
    return fields;
}

}  // namespace

QStringList LogsOfInputText(const QString& text)
{
    const CardInput input = CardInputOf(NamesOfInputText(text), false);
    if (input.Clips.empty())
        return {text};  // a folder without logs: read as a log, which says so
    QStringList logs;
    for (const CardClip& clip : input.Clips)
        logs << clip.Log;
    return logs;
}

struct CardControl::Listing {
    struct Row {
        QStringList Logs;  // every clip of the flight
        FlightSummary Summary;
        QStringList Failed;  // the clips that could not be read, and why
        Flight Whole;        // the clips read, joined (for the flight view)
    };
    std::vector<Row> Rows;
};

CardControl::CardControl(MainWindowWidgets* widgets, QObject* parent)
    : QObject(parent)
    , m_w(widgets)
    , m_run(new ProgressRun(widgets->Window, QStringLiteral("Card")))
{
    MainWindowWidgets* w = m_w;
    connect(w->FlightList, &QTreeWidget::currentItemChanged, this, [this] { ShowSelected(); });
}

CardControl::~CardControl() = default;

bool CardControl::Take(const QString& text)
{
    MainWindowWidgets* w = m_w;
    const QStringList logs = LogsOfInputText(text);
    if (logs.size() < 2) {
        Leave();
        if (logs.size() == 1 && logs.first() != text)  // a folder of one log
            w->InFileNameEdit->setText(logs.first());
        return false;
    }
    ConversionOptions options;
    options.Request = w->Request();
    options.Request.PrivacyRadiusM = 0.0;  // the view shows the whole flight
    if (text == m_text && ReadsAlike(options.Request, m_listedWith))
        return true;  // confirmed again as it is listed
    m_text = text;
    m_listedWith = options.Request;
    m_logs = logs;
    w->InFileNameEdit->setStyleSheet(w->StyleChanged);
    for (QLineEdit* field : OutputFields(*w)) {
        field->clear();
        field->setPlaceholderText(OutputsBesideClipsText());
        field->setStyleSheet(w->StyleNone);
        if (!field->property("toolTipOfOneLog").isValid())
            field->setProperty("toolTipOfOneLog", field->toolTip());
        field->setToolTip(OutputFolderHintText());
    }
    w->FlightList->clear();
    if (w->FlightList->isHidden())
        w->ToggleGroup(w->FlightList, m_heightWithoutList);

    // An older listing gives way (a write run is never under way here: the
    // controls are disabled meanwhile).
    m_run->Cancel();
    const int jobs = QThread::idealThreadCount();
    auto listing = std::make_shared<Listing>();
    m_run->Start(CardReadingText(logs.size()), 2 * logs.size(), [logs, options, jobs, listing](CardWatch& watch) {
        std::vector<CardClip> clips(logs.begin(), logs.end());
        ReadClips(clips, options, jobs, &watch);
        if (watch.Cancelled())
            return;
        const std::vector<CardFlight> flights = PlanFlights(clips, JoinMode::Auto);
        listing->Rows.resize(flights.size());
        ConvertFlights(clips, flights, options, JoinMode::Auto, jobs, true, &watch,
                       [&](std::size_t k, const FlightConversion& conversion) {
            Listing::Row& row = listing->Rows[k];
            std::vector<const Flight*> parts;
            for (std::size_t c = 0; c < flights[k].Clips.size(); ++c) {
                const ConversionResult& result = conversion.Clips[c];
                row.Logs << clips[flights[k].Clips[c]].Log;
                if (result.Read != ReadStatus::Ok)
                    row.Failed << ClipFailureText(FileNameOf(row.Logs.last()), ConversionFailureMessage(result).Text);
                else if (!conversion.Skipped[c])
                    parts.push_back(&result.Flight);
            }
            row.Summary = SummariseFlight(clips, flights[k], conversion);
            if (!parts.empty() && static_cast<int>(parts.size()) + row.Failed.size() == row.Logs.size())
                row.Whole = JoinClips(parts);
        });
        if (watch.Cancelled())
            listing->Rows.clear();  // no flight half-listed: the list stays empty, a write takes every flight
    }, [this, listing] {
        m_listing = listing;
        Fill(*listing);
    });
    return true;
}

void CardControl::Fill(const Listing& listing)
{
    QTreeWidget* list = m_w->FlightList;
    list->clear();
    // The narrow column shows the first columns only: the start and the
    // duration come first, and the start leaves its date out when every
    // flight starts on the same day (each row's tip has the whole line).
    QSet<QString> days;
    for (const Listing::Row& row : listing.Rows) {
        if (!row.Summary.Clips.isEmpty() && row.Summary.StartLocalMs != kNoTime)
            days.insert(FlightStartText(row.Summary.StartLocalMs).section(QLatin1Char(' '), 0, 0));
    }
    for (std::size_t k = 0; k < listing.Rows.size(); ++k) {
        const Listing::Row& row = listing.Rows[k];
        auto* item = new QTreeWidgetItem(list);
        const bool readable = !row.Summary.Clips.isEmpty();
        // A log that cannot be read is a row of its own kind: no check box
        // (it is never written), greyed, and why in its text.
        item->setFlags(readable ? item->flags() | Qt::ItemIsUserCheckable : item->flags() & ~Qt::ItemIsUserCheckable);
        if (readable)
            item->setCheckState(NumberColumn, Qt::Checked);
        else
            item->setForeground(NumberColumn, list->palette().brush(QPalette::Disabled, QPalette::Text));
        item->setText(NumberColumn, QString::number(k + 1));
        item->setData(NumberColumn, Qt::UserRole, static_cast<int>(k));
        item->setText(ClipsColumn, QString::number(row.Logs.size()));
        if (!row.Summary.Clips.isEmpty()) {
            const QString start = FlightStartText(row.Summary.StartLocalMs);
            const bool timeOnly = days.size() == 1 && row.Summary.StartLocalMs != kNoTime;
            item->setText(StartColumn, timeOnly ? start.section(QLatin1Char(' '), 1) : start);
            item->setText(DurationColumn, FlightDurationText(row.Summary.DurationMs));
            item->setText(PathColumn, FlightPathText(row.Summary.PathM));
        }
        QStringList names;
        for (const QString& log : row.Logs)
            names << FileNameOf(log);
        QString logs = names.size() > 2 ? names.first() + QStringLiteral(" ... ") + names.last() : names.join(QStringLiteral(", "));
        if (!readable)
            logs = row.Failed.join(QStringLiteral("; "));
        else if (!row.Failed.isEmpty())
            logs += QStringLiteral("; ") + row.Failed.join(QStringLiteral("; "));
        item->setText(LogsColumn, logs);
        if (!readable) {  // the reason across the row, in sight in the narrow column too
            item->setText(NumberColumn, QStringLiteral("%1  %2").arg(k + 1).arg(logs));
            item->setFirstColumnSpanned(true);
        }
        // The whole row as --flights prints it, for the narrow column.
        const QStringList tip = (row.Summary.Clips.isEmpty() ? QStringList() : QStringList{FlightLineText(
            static_cast<int>(k + 1), row.Summary.Clips, row.Summary.StartLocalMs, row.Summary.DurationMs, row.Summary.PathM)})
            << row.Failed;
        for (int column = 0; column < list->columnCount(); ++column)
            item->setToolTip(column, tip.join(QLatin1Char('\n')));
    }
    for (int column = 0; column < LogsColumn; ++column)
        list->resizeColumnToContents(column);
    if (list->topLevelItemCount() > 0)
        list->setCurrentItem(list->topLevelItem(0));
}

void CardControl::ShowSelected()
{
    QTreeWidgetItem* item = m_w->FlightList->currentItem();
    if (!item || !m_listing)
        return;
    const Listing::Row& row = m_listing->Rows.at(static_cast<std::size_t>(item->data(NumberColumn, Qt::UserRole).toInt()));
    if (!row.Whole.Points.empty()) {
        emit FlightChosen(row.Whole, row.Logs.first());
        return;
    }
    emit ReadFailed(row.Logs.first(), row.Failed.join(QLatin1Char('\n')));
}

void CardControl::Leave()
{
    if (!Active())
        return;
    MainWindowWidgets* w = m_w;
    m_text.clear();
    m_logs.clear();
    m_listing.reset();
    m_run->Drop();  // a listing no longer wanted
    w->FlightList->clear();
    if (!w->FlightList->isHidden())
        w->ToggleGroup(w->FlightList, m_heightWithoutList);
    for (QLineEdit* field : OutputFields(*w)) {
        field->setPlaceholderText(QString());
        field->setToolTip(field->property("toolTipOfOneLog").toString());
    }
}

void CardControl::Write(const ConversionRequest& request)
{
    if (m_run->Busy() || !Active())
        return;
    ConversionOptions options;
    options.Request = request;
    options.Request.Outputs.clear();
    options.Outputs = {request.Outputs.front().Kind};
    options.OutputDir = request.Outputs.front().Name.trimmed();
    if (!options.OutputDir.isEmpty() && !QDir().mkpath(options.OutputDir)) {
        Dialogs::Show(OutputFolderNotCreatedMessage(options.OutputDir));
        return;
    }
    // The clips of the flights unchecked are left out.
    QSet<QString> left;
    QTreeWidget* list = m_w->FlightList;
    for (int i = 0; m_listing && i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list->topLevelItem(i);
        if (item->checkState(NumberColumn) != Qt::Checked) {
            for (const QString& log : m_listing->Rows.at(static_cast<std::size_t>(item->data(NumberColumn, Qt::UserRole).toInt())).Logs)
                left.insert(log);
        }
    }
    auto facts = std::make_shared<CardRunFacts>();
    facts->Folder = options.OutputDir;
    const QStringList logs = m_logs;
    const int jobs = QThread::idealThreadCount();
    QWidget* controls = m_w->Window->findChild<QWidget*>(QStringLiteral("ControlsScroll"));
    controls->setEnabled(false);
    m_run->Start(CardConvertingText(logs.size()), 2 * logs.size(), [logs, options, jobs, left, facts](CardWatch& watch) {
        std::vector<CardClip> clips(logs.begin(), logs.end());
        ReadClips(clips, options, jobs, &watch);
        std::vector<CardFlight> flights;
        if (watch.Cancelled()) {
            for (const QString& log : logs)
                facts->NotConverted += left.contains(log) ? 0 : 1;
            return;
        }
        for (const CardFlight& flight : PlanFlights(clips, JoinMode::Auto)) {
            if (std::none_of(flight.Clips.begin(), flight.Clips.end(), [&](std::size_t i) { return left.contains(clips[i].Log); }))
                flights.push_back(flight);
        }
        ConvertFlights(clips, flights, options, JoinMode::Auto, jobs, false, &watch,
            [&](std::size_t k, const FlightConversion& conversion) { Tally(OutcomeOfFlight(clips, flights[k], conversion), *facts); });
    }, [this, controls, facts] {
        controls->setEnabled(true);
        Dialogs::Show(CardSummaryMessage(*facts));
    });
}
