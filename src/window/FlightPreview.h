#pragma once

#include "conversion/Conversion.h"

#include <QObject>
#include <QString>

class NewestRun;

// Shows a log in the flight view as soon as it is named: given on the
// command line, dropped, opened or typed and confirmed. The log is read and
// its track derived on a worker thread with the request the fields make
// (the controller's copies stay untouched), and nothing is written. Only
// the newest name's result is handed on.
class FlightPreview : public QObject {
    Q_OBJECT

public:
    explicit FlightPreview(QObject* parent);

    // Reads the log `request` names (nothing for an empty name or the name
    // shown or being read already, unless `again`).
    void Read(const ConversionRequest& request, bool again = false);
    // No log is to be shown (several logs are named): a read under way is
    // dropped, and the next name is read even when it was read before.
    // Whether a read is under way.
    bool Busy() const;
    void Forget();

signals:
    // The newest name's log, read and derived (camera settings included).
    void FlightRead(const Flight& flight, const QString& fileName);
    // The newest name's log could not be read, and why.
    void ReadFailed(const QString& fileName, const QString& why);

private:
    NewestRun* m_run;
    QString m_lastName;
};
