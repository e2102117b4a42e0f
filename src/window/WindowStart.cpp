#include "window/WindowStart.h"

#include "window/SornLogic.h"
#include "window/MainWindowWidgets.h"
#include "window/SornLogic.h"
#include "window/FlightView.h"
#include "window/MainWindowWidgets.h"
#include "window/TileSource.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QTextStream>
#include <QWidget>

WindowStart StartWindow(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Reads a DJI flight-log subtitle file (.SRT) and writes a computed subtitle file (.sorned.srt)\n"
        "and a GPX 1.1 route (.gpx)."));
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help."));
    const QCommandLineOption versionOption({QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("Show the version."));
    const QCommandLineOption tileOption(QStringLiteral("tile-url"),
        QStringLiteral("Address of the map tiles under the flight, with {z}, {x} and {y}; none: no map. Default: "
                       "the environment variable VELLOA_TILE_URL, else ") + TileSource::DefaultUrl() + QStringLiteral("."),
        QStringLiteral("URL"));
    parser.addOptions({helpOption, versionOption, tileOption});
    parser.addPositionalArgument(QStringLiteral("FILE"),
        QStringLiteral("Flight log, or folder of logs (a card of clips), to put into the input field, as if dropped there."), QStringLiteral("[FILE]"));

    WindowStart start;
    const bool parsed = parser.parse(arguments);
    const QString usageError = !parsed ? parser.errorText()
        : parser.positionalArguments().size() > 1 ? QStringLiteral("only one FILE can be given")
                                                  : QString();
    if (!usageError.isEmpty()) {
        err << "velloa: " << usageError << "\n\n" << parser.helpText();
        err.flush();
        start.ExitCode = 2;
        return start;
    }
    if (parser.isSet(helpOption) || parser.isSet(versionOption)) {
        if (parser.isSet(helpOption))
            out << parser.helpText();
        else
            out << "velloa " << VELLOA_VERSION << '\n';
        out.flush();
        return start;
    }

    // The controller and its windows live until the process ends; the loop
    // stops when the last visible top-level window (main or About) closes.
    start.Logic = new SornLogic;
    if (parser.isSet(tileOption)) {
        FlightView* view = start.Logic->Widgets->FlightPane;
        view->Tiles->SetUrlTemplate(parser.value(tileOption));
        view->TileUrlEdit->setText(view->Tiles->Enabled() ? view->Tiles->UrlTemplate() : QStringLiteral("none"));
    }
    if (!parser.positionalArguments().isEmpty())
        start.Logic->OpenInputFile(parser.positionalArguments().constFirst());
    start.Logic->Widgets->Window->show();
    return start;
}
