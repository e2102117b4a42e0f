// Overlay frames over a log: the first three bytes set the picture's width
// and height (16 to 256 px) and its corner and items, the text up to the
// next NUL byte is the output pattern, the bytes after it the log. The
// first, a middle and the last record are drawn into one picture as the
// overlay video draws them (each within the part drawn before), and the
// record past the end as a whole frame. Each picture has the look's size,
// the part drawn lies within it, and the frame past the end is transparent.
// Seeds: reference logs behind a look and the default pattern.
#include "input/InputPatterns.h"
#include "input/LogFamily.h"
#include "input/SrtParser.h"
#include "overlay/OverlayFrame.h"
#include "track/LogTime.h"
#include "track/TrackPasses.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// Fontconfig keeps its caches for the process, which LeakSanitizer takes for
// a leak of the first frame that draws text.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QGuiApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const InputPatterns patterns = InputPatterns::Defaults();
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<int>(size));
    const int nul = bytes.indexOf('\0', 3);
    if (nul < 0)
        return 0;
    OverlayLook look;
    look.Size = QSize(16 + data[0] % 241, 16 + data[1] % 241);
    look.Corner = static_cast<OverlayCorner>(data[2] & 3);
    look.Items = (data[2] >> 2) & OverlayAllItems;
    Flight flight = DeriveFlight(ParseLog(bytes.mid(nul + 1), patterns, AutomaticFormatId()), {});
    if (data[2] & 0x20)
        flight.PrivacyRadiusM = 50.0;
    SetUtcTimes(flight, QTimeZone::utc());
    const OverlayPainter painter(flight, QString::fromUtf8(bytes.mid(3, nul - 3)), look);
    const int count = static_cast<int>(flight.Points.size());
    QImage image(look.Size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QRect dirty = image.rect();
    for (int index : {0, count / 2, count - 1}) {
        dirty = painter.Draw(index, image, dirty);
        if (!image.rect().contains(dirty) && !dirty.isEmpty())
            abort();
    }
    const QImage past = painter.Frame(count);
    if (past.size() != look.Size)
        abort();
    for (int y = 0; y < past.height(); ++y) {
        for (int x = 0; x < past.width(); ++x) {
            if (qAlpha(past.pixel(x, y)) != 0)
                abort();
        }
    }
    return 0;
}
