#include "conversion/CommandLineOptions.h"

#include "conversion/ConversionSettings.h"
#include "conversion/Messages.h"

#include <QCommandLineParser>
#include <QFile>

namespace {

QString FormatHelp()
{
    QString text = QStringLiteral("Log layout: auto (recognised from the first blocks; the default), ");
    for (const LogFamily& family : LogFamilies())
        text += QStringLiteral("%1 (%2), ").arg(QLatin1String(family.Id), QLatin1String(family.Drones));
    return text + QStringLiteral("or patterns (the six input patterns, as --pattern sets them).");
}

} // namespace

ConversionOptionSet::ConversionOptionSet()
    : m_smooth(QStringLiteral("smooth"),
          QStringLiteral("\"Smooth GPS, sec\". Logs read by the six input patterns (Mavic Pro), as designed: "
                         "that many smoothing passes; 0 or less spreads and averages speeds instead. Estimated "
                         "tracks (every other log, or --track estimate): the time scale in seconds of the "
                         "estimate; 0 or less: the logged positions, speeds from each step over its time."),
          QStringLiteral("TEXT"), QStringLiteral("5"))
    , m_wayBefore(QStringLiteral("way-before"),
          QStringLiteral("Way flown before the first LOG, in metres (\"Way before, m\")."), QStringLiteral("TEXT"),
          QStringLiteral("0.0"))
    , m_patternFile(QStringLiteral("out-pattern-file"),
          QStringLiteral("Output pattern, UTF-8, used unchanged (default: the built-in pattern with LF line ends)."),
          QStringLiteral("FILE"))
    , m_pattern(QStringLiteral("pattern"),
          QStringLiteral("Replace an input pattern; LABEL is one of ID, SrtTime, Home, GPS, FlyTime, Barometer. Repeatable."),
          QStringLiteral("LABEL=REGEX"))
    , m_format(QStringLiteral("format"), FormatHelp(), QStringLiteral("NAME"), AutomaticFormatId())
    , m_useHeight(QStringLiteral("use-height"),
          QStringLiteral("Speed and way over 3-D distances, with the change of height (\"Use height for speed and way\")."))
    , m_track(QStringLiteral("track"),
          QStringLiteral("How the track is derived: design (the default: the smoothing passes for logs read by "
                         "the six input patterns, the estimate from time and precision for every other log) "
                         "or estimate (the estimate for every log)."),
          QStringLiteral("METHOD"), QStringLiteral("design"))
    , m_timeZone(QStringLiteral("time-zone"),
          QStringLiteral("Zone of the log's local times, for the UTC times of the outputs: an IANA name "
                         "(Europe/Madrid), UTC, or an offset (+05:30); default: this computer's zone."),
          QStringLiteral("ZONE"))
    , m_kmlAltitude(QStringLiteral("kml-altitude"),
          QStringLiteral("Heights of the KML path: relative (above take-off) or absolute (above sea level); "
                         "default: above take-off wherever the log gives it."),
          QStringLiteral("MODE"))
    , m_privacy(QStringLiteral("privacy-radius"),
          QStringLiteral("Leave the positions within M metres of home, and the home point, out of the outputs "
                         "(\"Privacy radius, m\"; 0, the default, is off)."),
          QStringLiteral("M"), QStringLiteral("0"))
    , m_outputDir(QStringLiteral("output-dir"),
          QStringLiteral("Write the outputs into DIR (created when missing) instead of beside each LOG."),
          QStringLiteral("DIR"))
    , m_all(QStringLiteral("all"), QStringLiteral("Write every file output (not the overlay video or the video copy)."))
{
}

void ConversionOptionSet::AddTo(QCommandLineParser& parser, const QList<QCommandLineOption>& others) const
{
    parser.addOptions({m_smooth, m_wayBefore, m_patternFile, m_pattern, m_useHeight, m_track, m_format, m_timeZone,
        m_kmlAltitude, m_privacy, m_outputDir, m_all});
    parser.addOptions(others);
    // From the table of outputs: --<id> for each output not written by
    // default, --no-<id> for every output.
    for (const OutputKind& kind : OutputKinds()) {
        if (!kind.ByDefault)
            parser.addOption({QLatin1String(kind.Id),
                QStringLiteral("Also write the %1 (%2).").arg(QLatin1String(kind.Description), QLatin1String(kind.Suffix))});
    }
    for (const OutputKind& kind : OutputKinds()) {
        parser.addOption({QStringLiteral("no-") + QLatin1String(kind.Id),
            QStringLiteral("Do not write the %1 (%2).").arg(QLatin1String(kind.Description), QLatin1String(kind.Suffix))});
    }
}

bool ConversionOptionSet::Read(const QCommandLineParser& parser, ConversionOptions* options, Error* error) const
{
    ConversionRequest& request = options->Request;
    request.SmoothingCount = ReadSmoothingCount(parser.value(m_smooth));
    request.WayBeforeM = ReadWayBefore(parser.value(m_wayBefore));
    request.UseHeight = parser.isSet(m_useHeight);
    const QString track = parser.value(m_track);
    if (track != QLatin1String("design") && track != QLatin1String("estimate")) {
        error->Text = QStringLiteral("bad --track \"%1\": expected design or estimate").arg(track);
        return false;
    }
    request.Track = track == QLatin1String("estimate") ? TrackMethod::Estimate : TrackMethod::Design;
    request.TimeZone = parser.value(m_timeZone);
    options->OutputDir = parser.value(m_outputDir);
    if (!ReadPrivacyRadius(parser.value(m_privacy), &request.PrivacyRadiusM)) {
        error->Text = QStringLiteral("bad --privacy-radius \"%1\": expected a number of metres, 0 or more")
                          .arg(parser.value(m_privacy));
        return false;
    }
    if (parser.isSet(m_kmlAltitude)) {
        const QString mode = parser.value(m_kmlAltitude);
        if (mode != QLatin1String("relative") && mode != QLatin1String("absolute")) {
            error->Text = QStringLiteral("bad --kml-altitude \"%1\": expected relative or absolute").arg(mode);
            return false;
        }
        request.Kml = mode == QLatin1String("relative") ? KmlHeights::TakeOff : KmlHeights::SeaLevel;
    }

    // The outputs written by default first, the route before the subtitle
    // file as the summary has always listed them, then the others in the
    // order of the table.
    const auto wanted = [&](const OutputKind& kind) {
        return !parser.isSet(QStringLiteral("no-") + QLatin1String(kind.Id))
            && (kind.ByDefault || parser.isSet(m_all) || parser.isSet(QLatin1String(kind.Id)));
    };
    options->Outputs.clear();
    for (const OutputKind* kind : {&RouteOutput(), &SubtitleOutput()}) {
        if (wanted(*kind))
            options->Outputs.push_back(kind);
    }
    for (const OutputKind& kind : OutputKinds()) {
        if (!kind.ByDefault && wanted(kind))
            options->Outputs.push_back(&kind);
    }

    for (const QString& assignment : parser.values(m_pattern)) {
        const int equals = assignment.indexOf(QLatin1Char('='));
        const int index = equals < 0 ? -1 : InputPatterns::IndexOfLabel(assignment.left(equals));
        if (index < 0) {
            error->Text = QStringLiteral("bad --pattern \"%1\": expected LABEL=REGEX with LABEL one of "
                                         "ID, SrtTime, Home, GPS, FlyTime, Barometer").arg(assignment);
            return false;
        }
        request.Patterns.Texts[index] = assignment.mid(equals + 1);
    }
    request.FormatId = parser.value(m_format);
    if (parser.isSet(m_pattern) && !parser.isSet(m_format))
        request.FormatId = PatternsFormatId();  // the user's own patterns apply as written
    if (request.FormatId != AutomaticFormatId() && request.FormatId != PatternsFormatId()
        && !FindLogFamily(request.FormatId)) {
        error->Text = QStringLiteral("bad --format \"%1\"").arg(request.FormatId);
        return false;
    }

    if (!parser.isSet(m_patternFile)) {
        request.OutPattern = DefaultPatternLf();
        return true;
    }
    QFile file(parser.value(m_patternFile));
    if (!file.exists() || !file.open(QIODevice::ReadOnly)) {
        *error = {false, file.fileName(), ReadOutcomeMessage(file.exists() ? ReadStatus::NotOpened : ReadStatus::Missing).Text};
        return false;
    }
    request.OutPattern = QString::fromUtf8(file.readAll());
    return true;
}
