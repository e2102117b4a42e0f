// Arbitrary input pattern texts (six, separated by NUL bytes) applied to a
// fixed, realistic block and to a block with negative coordinates.
#include "input/InputPatterns.h"
#include "input/SrtParser.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QString blocks[] = {
        QStringLiteral("12\r\n00:00:11,000 --> 00:00:12,000\r\nHOME(30.2345,59.8765) 2019.06.20 12:34:56\r\n"
                       "GPS(30.2351,59.8771,17) BAROMETER:25.4"),
        QStringLiteral("7\n00:00:06,000 --> 00:00:07,000\nHOME(-58.4000,-34.6000) 2019.06.20 12:00:06\n"
                       "GPS(-58.4003,-34.6002,11) BAROMETER:-1.5"),
    };
    InputPatterns patterns = InputPatterns::Defaults();
    const QList<QByteArray> parts = QByteArray(reinterpret_cast<const char*>(data), static_cast<int>(size)).split('\0');
    for (int i = 0; i < parts.size() && i < InputPatterns::Count; ++i)
        patterns.Texts[i] = QString::fromUtf8(parts[i]);

    CompiledPatterns compiled(patterns);
    for (const QString& block : blocks) {
        FlightRecord record;
        ParseSrtBlock(block, record, compiled);
    }
    return 0;
}
