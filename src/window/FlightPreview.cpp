#include "window/FlightPreview.h"

#include "conversion/ConversionSettings.h"
#include "conversion/Conversion.h"
#include "conversion/Messages.h"
#include "window/FlightView.h"
#include "window/MainWindowWidgets.h"

#include <QComboBox>
#include <QFutureWatcher>
#include <QLineEdit>
#include <QTextEdit>
#include <QTreeWidget>
#include <QtConcurrent/QtConcurrentRun>

ConversionRequest RequestFromFields(const MainWindowWidgets& w)
{
    ConversionRequest request;
    request.InputName = w.InFileNameEdit->text();
    for (int i = 0; i < InputPatterns::Count; ++i)
        request.Patterns.Texts[i] = w.InPatternEdits[i]->text();
    request.FormatId = w.LogFormatCombo->currentData().toString();
    request.SmoothingCount = ReadSmoothingCount(w.SmoothGpsEdit->text());
    request.WayBeforeM = ReadWayBefore(w.WayBeforeEdit->text());
    request.UseHeight = w.UseHeightCheck->isChecked();
    request.TimeZone = w.TimeZoneEdit->text().trimmed();
    request.Kml = static_cast<KmlHeights>(w.KmlAltitudeCombo->currentData().toInt());
    return request;
}

FlightPreview::FlightPreview(MainWindowWidgets* widgets, QObject* parent)
    : QObject(parent)
    , m_widgets(widgets)
{
    connect(m_widgets->InFileNameEdit, &QLineEdit::editingFinished, this, [this] { Read(); });
    m_widgets->FlightPane->SetPatternSource([this] { return m_widgets->OutPatternEdit->toPlainText(); });
    connect(m_widgets->OutPatternEdit, &QTextEdit::textChanged, m_widgets->FlightPane, &FlightView::RefreshSubtitle);
}

void FlightPreview::Read(bool again)
{
    const ConversionRequest request = RequestFromFields(*m_widgets);
    if (!m_widgets->FlightList->isHidden()) {  // several logs: the list shows their flights
        m_lastName.clear();
        ++m_generation;
        return;
    }
    if (request.InputName.isEmpty() || (!again && request.InputName == m_lastName))
        return;
    m_lastName = request.InputName;
    const int generation = ++m_generation;
    ++m_running;
    auto* watcher = new QFutureWatcher<ConversionResult>(this);
    connect(watcher, &QFutureWatcher<ConversionResult>::finished, this, [this, watcher, generation, request] {
        watcher->deleteLater();
        --m_running;
        if (generation != m_generation)
            return;  // a newer name was given meanwhile
        const ConversionResult result = watcher->result();
        if (result.Read == ReadStatus::Ok)
            emit FlightRead(result.Flight, request.InputName);
        else
            emit ReadFailed(request.InputName, ConversionFailureMessage(result).Text);
    });
    watcher->setFuture(QtConcurrent::run([request] { return Convert(request); }));
}
