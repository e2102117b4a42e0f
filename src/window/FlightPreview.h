#pragma once

#include "conversion/Conversion.h"

#include <QObject>
#include <QString>

struct MainWindowWidgets;

// The request the window's fields make for the log named in the input
// field, with no output: the settings exactly as the fields show them.
ConversionRequest RequestFromFields(const MainWindowWidgets& widgets);

// Shows a log in the flight view as soon as it is named: given on the
// command line, dropped, opened or typed and confirmed. The log is read and
// its track derived on a worker thread with the settings as the window shows
// them (the controller's copies stay untouched), and nothing is written.
// Only the newest name's result is handed on.
class FlightPreview : public QObject {
    Q_OBJECT

public:
    FlightPreview(MainWindowWidgets* widgets, QObject* parent);

    // Reads the log named in the input field (nothing for an empty field or
    // the name shown or being read already, unless `again`).
    void Read(bool again = false);
    bool Busy() const { return m_running > 0; }

signals:
    // The newest name's log, read and derived (camera settings included).
    void FlightRead(const Flight& flight, const QString& fileName);
    // The newest name's log could not be read, and why.
    void ReadFailed(const QString& fileName, const QString& why);

private:
    MainWindowWidgets* m_widgets;
    QString m_lastName;
    int m_generation = 0;
    int m_running = 0;
};
