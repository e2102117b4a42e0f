#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <QFile>

// Validates a GPX document against the official GPX 1.1 schema with xmllint.
// Use as `VERIFY_GPX_VALID(bytes)` inside a test function: it skips the test
// when xmllint is not installed and fails it when the document is invalid.
inline bool GpxValidatorAvailable()
{
    return !QStandardPaths::findExecutable(QStringLiteral("xmllint")).isEmpty();
}

inline QString GpxSchemaErrors(const QByteArray& document)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return QStringLiteral("no temporary folder");
    const QString path = dir.filePath(QStringLiteral("route.gpx"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(document) != document.size())
        return QStringLiteral("cannot write ") + path;
    file.close();

    QProcess xmllint;
    xmllint.setProcessChannelMode(QProcess::MergedChannels);
    xmllint.start(QStringLiteral("xmllint"),
                  {QStringLiteral("--noout"), QStringLiteral("--schema"), QStringLiteral(GPX_SCHEMA_PATH), path});
    if (!xmllint.waitForFinished(60000))
        return QStringLiteral("xmllint did not finish");
    if (xmllint.exitStatus() != QProcess::NormalExit || xmllint.exitCode() != 0)
        return QString::fromUtf8(xmllint.readAll());
    return QString();
}

#define VERIFY_GPX_VALID(document)                                                 \
    do {                                                                           \
        if (!GpxValidatorAvailable())                                              \
            QSKIP("xmllint is not installed; cannot validate against the schema"); \
        const QString schemaErrors_ = GpxSchemaErrors(document);                   \
        QVERIFY2(schemaErrors_.isEmpty(), qPrintable(schemaErrors_));              \
    } while (false)
