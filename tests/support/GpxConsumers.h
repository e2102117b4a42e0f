#pragma once

// Hands a GPX route that Velloa wrote to two real consumers and checks what
// they make of it:
//   - xmllint validates it against the official GPX 1.1 schema
//     (GPX_SCHEMA_PATH, a compile definition of every test target);
//   - GPSBabel reads it back as routes (`gpsbabel -r -i gpx -f FILE -o
//     unicsv -F -`), and the points it reports must be the route points of
//     the file, in order, with the same coordinates and elevations.
//
// Header-only (Qt Core and Qt Test only), so core tests can use it without
// linking velloa_test_support. Inside a test function:
//
//   VERIFY_GPX_CONSUMERS(bytes);        // a document held in memory
//   VERIFY_GPX_FILE_CONSUMERS(path);    // a file on disk
//
// Each skips the test (QSKIP) when xmllint or gpsbabel is not installed and
// fails it with the consumers' complaint otherwise. The functions below
// return an empty string when all is well and a description of the fault
// otherwise, for callers that want to check a file without the macros.

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QVector>
#include <QXmlStreamReader>

#include <cmath>

// One point of a route: degrees, and the elevation in metres when the point
// has one.
struct GpxRoutePoint {
    double Lat = 0.0;
    double Lon = 0.0;
    bool HasEle = false;
    double Ele = 0.0;
};

namespace GpxConsumers {

// The names of the missing tools ("xmllint", "gpsbabel"), empty when both
// are installed.
inline QString MissingTools()
{
    QStringList missing;
    for (const QString& tool : {QStringLiteral("xmllint"), QStringLiteral("gpsbabel")}) {
        if (QStandardPaths::findExecutable(tool).isEmpty())
            missing << tool;
    }
    return missing.join(QStringLiteral(", "));
}

// Runs a tool to completion; returns its error text, empty on exit code 0.
inline QString RunTool(const QString& program, const QStringList& arguments, QByteArray* standardOutput = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    process.closeWriteChannel();
    if (!process.waitForFinished(180000)) {
        process.kill();
        process.waitForFinished();
        return program + QStringLiteral(" did not finish");
    }
    const QByteArray out = process.readAllStandardOutput();
    const QByteArray err = process.readAllStandardError();
    if (standardOutput)
        *standardOutput = out;
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return program + QStringLiteral(" failed (exit %1): ").arg(process.exitCode()) + QString::fromUtf8(err + out);
    return QString();
}

// xmllint against the GPX 1.1 schema.
inline QString SchemaErrorsOfFile(const QString& path)
{
    return RunTool(QStringLiteral("xmllint"),
                   {QStringLiteral("--noout"), QStringLiteral("--schema"), QStringLiteral(GPX_SCHEMA_PATH), path});
}

// The route points of the document as Velloa wrote them, read with an XML
// parser: every <rtept> of every <rte>, lat and lon from its attributes, the
// elevation from its <ele> child. Returns the parse error, empty on success.
inline QString PointsWritten(const QByteArray& document, QVector<GpxRoutePoint>& points)
{
    points.clear();
    QXmlStreamReader xml(document);
    bool inPoint = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("rtept")) {
            bool latOk = false;
            bool lonOk = false;
            GpxRoutePoint p;
            p.Lat = xml.attributes().value(QLatin1String("lat")).toDouble(&latOk);
            p.Lon = xml.attributes().value(QLatin1String("lon")).toDouble(&lonOk);
            if (!latOk || !lonOk)
                return QStringLiteral("route point %1 has no numeric lat/lon").arg(points.size() + 1);
            points.append(p);
            inPoint = true;
        } else if (xml.isEndElement() && xml.name() == QLatin1String("rtept")) {
            inPoint = false;
        } else if (inPoint && xml.isStartElement() && xml.name() == QLatin1String("ele")) {
            bool ok = false;
            points.last().Ele = xml.readElementText().trimmed().toDouble(&ok);
            points.last().HasEle = true;
            if (!ok)
                return QStringLiteral("route point %1 has a non-numeric ele").arg(points.size());
        }
    }
    if (xml.hasError())
        return QStringLiteral("XML error at line %1: ").arg(xml.lineNumber()) + xml.errorString();
    return QString();
}

// Splits one CSV line; fields may be quoted with "" as an escaped quote.
inline QStringList CsvFields(const QString& line)
{
    QStringList fields;
    QString field;
    bool quoted = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < line.size() && line.at(i + 1) == QLatin1Char('"')) {
                field += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            fields << field;
            field.clear();
        } else {
            field += c;
        }
    }
    fields << field;
    return fields;
}

// The route points GPSBabel reads from the file, from its unicsv output
// (columns found by their header names; no Altitude column means no point
// has an elevation). Returns the error, empty on success.
inline QString GpsBabelPoints(const QString& path, QVector<GpxRoutePoint>& points)
{
    points.clear();
    QByteArray csv;
    const QString error = RunTool(QStringLiteral("gpsbabel"),
                                  {QStringLiteral("-r"), QStringLiteral("-i"), QStringLiteral("gpx"), QStringLiteral("-f"),
                                   path, QStringLiteral("-o"), QStringLiteral("unicsv"), QStringLiteral("-F"),
                                   QStringLiteral("-")},
                                  &csv);
    if (!error.isEmpty())
        return error;
    QStringList lines = QString::fromUtf8(csv).split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    if (lines.isEmpty())
        return QStringLiteral("gpsbabel printed no header");
    const QStringList header = CsvFields(lines.takeFirst());
    const int latColumn = header.indexOf(QStringLiteral("Latitude"));
    const int lonColumn = header.indexOf(QStringLiteral("Longitude"));
    const int eleColumn = header.indexOf(QStringLiteral("Altitude"));
    if (latColumn < 0 || lonColumn < 0)
        return QStringLiteral("gpsbabel header without Latitude/Longitude: ") + header.join(QLatin1Char(','));
    for (const QString& line : lines) {
        const QStringList fields = CsvFields(line);
        GpxRoutePoint p;
        bool latOk = false;
        bool lonOk = false;
        p.Lat = fields.value(latColumn).toDouble(&latOk);
        p.Lon = fields.value(lonColumn).toDouble(&lonOk);
        if (!latOk || !lonOk)
            return QStringLiteral("gpsbabel line without coordinates: ") + line;
        if (eleColumn >= 0 && !fields.value(eleColumn).isEmpty()) {
            p.Ele = fields.value(eleColumn).toDouble(&p.HasEle);
            if (!p.HasEle)
                return QStringLiteral("gpsbabel line with a non-numeric altitude: ") + line;
        }
        points.append(p);
    }
    return QString();
}

// Both points agree: GPSBabel prints six decimals for the coordinates (the
// file has five, so they must come back exactly up to binary rounding) and
// one decimal for the altitude (the file has two, so it may differ by half a
// tenth).
inline QString ComparePoints(const QVector<GpxRoutePoint>& written, const QVector<GpxRoutePoint>& read)
{
    if (written.size() != read.size())
        return QStringLiteral("the file has %1 route points, gpsbabel read %2").arg(written.size()).arg(read.size());
    for (int i = 0; i < written.size(); ++i) {
        const GpxRoutePoint& w = written[i];
        const GpxRoutePoint& r = read[i];
        const auto where = [&]() {
            return QStringLiteral("route point %1: file %2,%3 ele %4/%5, gpsbabel %6,%7 ele %8/%9")
                .arg(i + 1)
                .arg(w.Lat, 0, 'f', 6)
                .arg(w.Lon, 0, 'f', 6)
                .arg(w.HasEle ? QStringLiteral("yes") : QStringLiteral("no"))
                .arg(w.Ele)
                .arg(r.Lat, 0, 'f', 6)
                .arg(r.Lon, 0, 'f', 6)
                .arg(r.HasEle ? QStringLiteral("yes") : QStringLiteral("no"))
                .arg(r.Ele);
        };
        if (!(std::fabs(w.Lat - r.Lat) <= 1e-9) || !(std::fabs(w.Lon - r.Lon) <= 1e-9))
            return where();
        if (w.HasEle != r.HasEle)
            return where();
        if (w.HasEle && !(std::fabs(w.Ele - r.Ele) <= 0.05 + 1e-9 * std::fabs(w.Ele)))
            return where();
    }
    return QString();
}

// The whole check of a file: schema, then GPSBabel's points against the
// file's own.
inline QString CheckFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read ") + path;
    const QByteArray document = file.readAll();
    file.close();

    QString error = SchemaErrorsOfFile(path);
    if (!error.isEmpty())
        return error;
    QVector<GpxRoutePoint> written;
    error = PointsWritten(document, written);
    if (!error.isEmpty())
        return error;
    QVector<GpxRoutePoint> read;
    error = GpsBabelPoints(path, read);
    if (!error.isEmpty())
        return error;
    return ComparePoints(written, read);
}

// The same for a document held in memory (written to a temporary file).
inline QString Check(const QByteArray& document)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return QStringLiteral("no temporary folder");
    const QString path = dir.filePath(QStringLiteral("route.gpx"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(document) != document.size())
        return QStringLiteral("cannot write ") + path;
    file.close();
    return CheckFile(path);
}

}  // namespace GpxConsumers

#define VELLOA_GPX_CONSUMERS_SKIP_IF_MISSING()                                                  \
    do {                                                                                       \
        const QString missingTools_ = GpxConsumers::MissingTools();                            \
        if (!missingTools_.isEmpty())                                                          \
            QSKIP(qPrintable(QStringLiteral("not installed: ") + missingTools_));              \
    } while (false)

#define VERIFY_GPX_CONSUMERS(document)                                                          \
    do {                                                                                       \
        VELLOA_GPX_CONSUMERS_SKIP_IF_MISSING();                                                \
        const QString gpxConsumerError_ = GpxConsumers::Check(document);                       \
        QVERIFY2(gpxConsumerError_.isEmpty(), qPrintable(gpxConsumerError_));                  \
    } while (false)

#define VERIFY_GPX_FILE_CONSUMERS(path)                                                         \
    do {                                                                                       \
        VELLOA_GPX_CONSUMERS_SKIP_IF_MISSING();                                                \
        const QString gpxConsumerError_ = GpxConsumers::CheckFile(path);                       \
        QVERIFY2(gpxConsumerError_.isEmpty(), qPrintable(gpxConsumerError_));                  \
    } while (false)
