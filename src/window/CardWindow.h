#pragma once

#include "conversion/CardConversion.h"
#include "conversion/Conversion.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QTreeWidget;
class ProgressRun;
struct MainWindowWidgets;

// A card of clips in the window: several logs named in the input field
// (a folder's logs, or several files opened or dropped at once) are cut
// into flights as velloa-cli does for a folder (--join auto), listed one a
// row, and the write buttons convert every checked flight with
// CardConversion, off the UI thread.

// The logs an input field's text names (NamesOfInputText, CardInputOf,
// not the folders' subfolders); the text itself when that is none.
QStringList LogsOfInputText(const QString& text);

class CardControl : public QObject {
    Q_OBJECT

public:
    CardControl(MainWindowWidgets* widgets, QObject* parent);
    ~CardControl() override;

    // Takes the input field's text. Several logs: the list is shown and
    // filled (the logs read off the UI thread; the first flight is shown
    // in the flight view), the output name fields say where the files go,
    // and true. Otherwise the list is hidden again and false (a folder of
    // one log has put that log into the field). The card already listed
    // with the same settings is kept as it is, checks and all.
    bool Take(const QString& text);
    bool Active() const { return !m_logs.isEmpty(); }

    // A write button with several logs: `request` (as the button reads the
    // fields) for every checked flight: each clip's output beside it (or in
    // the folder its name field holds), each whole flight's (for the track
    // outputs), then one summary box. Nothing when a run is going on.
    void Write(const ConversionRequest& request);

signals:
    // The flight chosen in the list, its clips read joined.
    void FlightChosen(const Flight& flight, const QString& firstLog);
    // The flight chosen could not be read, and why.
    void ReadFailed(const QString& firstLog, const QString& why);

private:
    struct Listing;
    void Fill(const Listing& listing);
    void ShowSelected();
    void Leave();

    MainWindowWidgets* m_w;
    ProgressRun* m_run;   // the listing or the write under way
    QString m_text;       // the field's text of the card taken
    ConversionRequest m_listedWith;  // the settings it was listed with
    QStringList m_logs;   // its logs; empty: no card
    std::shared_ptr<Listing> m_listing;
    int m_heightWithoutList = 0;
};
