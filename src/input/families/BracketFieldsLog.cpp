// Family D: bracketed fields "[latitude: x] [longitude: y]", one block per
// video frame (Mavic 2, Air 2/2S, FPV, Mini 3/4, Mavic 3, Air 3, Avata, Neo,
// Matrice 300 H20). Variants: "[latitude : x] [longtitude : y]" (Mavic 2),
// "[altitude: z]" or "[rel_alt: r abs_alt: a]", the date as
// "YYYY-MM-DD hh:mm:ss,mmm,uuu" or "YYYY-MM-DD hh:mm:ss.mmm" (in blocks
// without a cue line "YYYY.MM.DD hh:mm:ss,mmm,uuu"). A block of an
// H20 camera holds an empty line; its tail (a line "0" and a bracket line)
// has no cue and is read into the block before it.
#include "input/families/Families.h"

#include "input/CameraFields.h"
#include "input/TextScan.h"

#include <array>

namespace {

bool IsNameChar(QChar c)
{
    static constexpr std::array<bool, 128> kNameChars = [] {
        std::array<bool, 128> chars{};
        for (char c = 'a'; c <= 'z'; ++c)
            chars[static_cast<std::size_t>(c)] = chars[static_cast<std::size_t>(c - 'a' + 'A')] = true;
        chars['_'] = true;
        return chars;
    }();
    const ushort u = c.unicode();
    return u < kNameChars.size() && kNameChars[u];
}

bool Is(const QChar* name, int length, QLatin1String text)
{
    if (length != text.size())
        return false;
    for (int i = 0; i < length; ++i) {
        if (name[i].unicode() != static_cast<uchar>(text.data()[i]))
            return false;
    }
    return true;
}

class BracketFieldsReader : public BlockReader {
public:
    void Read(const QString& block, FlightRecord& record) override
    {
        if (FindAscii(block, QLatin1String("-->")) >= 0)
            ReadCounterAndCue(block, record);
        // The date "YYYY-MM-DD hh:mm:ss..."; "YYYY.MM.DD" in blocks without a cue.
        if (ScanDateTime(block, QLatin1Char('-'), record.LocalTimeMs)
            || (record.CueStartMs == kNoTime && ScanDateTime(block, QLatin1Char('.'), record.LocalTimeMs)))
            record.Spelled |= FlightRecord::FlyTimeIsLocalTime;
        // One pass over the block: every "name : number" inside brackets.
        double lat = 0.0, lon = 0.0;
        bool hasLat = false, hasLon = false;
        CameraSettings camera = record.Camera();
        const QChar* s = block.constData();
        const int n = block.size();
        bool inBracket = false;
        for (int i = 0; i < n; ++i) {
            if (!inBracket) {  // on to the next bracket at once
                while (i < n && s[i].unicode() != '[')
                    ++i;
                if (i == n)
                    break;
                inBracket = true;
                continue;
            }
            const ushort c = s[i].unicode();
            if (c == '[' || c == ']') {
                inBracket = c == '[';
                continue;
            }
            if (!inBracket || !IsNameChar(s[i]) || (i > 0 && IsNameChar(s[i - 1])))
                continue;
            const int nameStart = i;
            while (i < n && IsNameChar(s[i]))
                ++i;
            const int nameLength = i - nameStart;
            int p = i;
            while (p < n && s[p].unicode() == ' ')
                ++p;
            if (p >= n || s[p].unicode() != ':')
                continue;
            ++p;
            while (p < n && s[p].unicode() == ' ')
                ++p;
            const QChar* name = s + nameStart;
            const QStringView fieldName(name, nameLength);
            if (ReadsCamera ? ReadCameraField(fieldName, block, p, camera) : IsCameraField(fieldName)) {
                i = p - 1;
                continue;
            }
            double value = 0.0;
            if (!ScanNumber(block, p, value))
                continue;
            if (Is(name, nameLength, QLatin1String("latitude"))) {
                lat = value;
                hasLat = true;
            } else if (Is(name, nameLength, QLatin1String("longitude")) || Is(name, nameLength, QLatin1String("longtitude"))) {
                lon = value;
                hasLon = true;
            } else if (Is(name, nameLength, QLatin1String("rel_alt"))) {
                record.HeightM = value;
                record.Has |= FlightRecord::HasHeight;
            } else if (Is(name, nameLength, QLatin1String("abs_alt")) || Is(name, nameLength, QLatin1String("altitude"))) {
                record.AltitudeM = value;
                record.Has |= FlightRecord::HasAltitude;
            }
            i = p - 1;
        }
        if (hasLat && hasLon)
            SetPosition(record, lat, lon);
        if (ReadsCamera)
            record.SetCamera(camera);
    }
};

} // namespace

bool RecogniseBracketFields(const QString& block)
{
    return block.contains(QLatin1String("[latitude")) || block.contains(QLatin1String("FrameCnt"))
        || block.contains(QLatin1String("SrtCnt"));
}

std::unique_ptr<BlockReader> MakeBracketFieldsReader(const InputPatterns&)
{
    return std::make_unique<BracketFieldsReader>();
}
