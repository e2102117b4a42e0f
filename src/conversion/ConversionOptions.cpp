#include "conversion/ConversionOptions.h"

#include <QDir>
#include <QFileInfo>

ConversionRequest RequestForLog(const ConversionOptions& options, const QString& log, double wayBeforeM)
{
    ConversionRequest request = options.Request;
    request.InputName = log;
    request.WayBeforeM = wayBeforeM;
    const OutputNames names = DeriveOutputNames(log);
    for (const OutputKind* kind : options.Outputs) {
        const QString derived = names.Base + QLatin1String(kind->Suffix);
        request.Outputs.push_back(
            {kind, options.OutputDir.isEmpty() ? derived : QDir(options.OutputDir).filePath(QFileInfo(derived).fileName())});
    }
    return request;
}
