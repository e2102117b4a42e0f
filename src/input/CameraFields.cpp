#include "input/CameraFields.h"

#include "input/TextScan.h"

#include <cstring>

namespace {

bool IsDigitAt(QStringView s, int i)
{
    return i < s.size() && s[i].unicode() >= '0' && s[i].unicode() <= '9';
}

template <std::size_t N>
bool Equals(QStringView name, const char (&text)[N])
{
    constexpr int length = static_cast<int>(N - 1);
    if (name.size() != length)
        return false;
    for (int i = 0; i < length; ++i) {
        if (name[i].unicode() != static_cast<uchar>(text[i]))
            return false;
    }
    return true;
}

// The exposure compensation as logged: a sign, digits, '.' and '/' (at most
// six characters; a longer text is not kept).
void ReadEv(QStringView s, int pos, CameraSettings& camera)
{
    char text[sizeof camera.Ev] = {};
    int length = 0;
    bool digit = false;
    for (int i = pos; i < s.size(); ++i) {
        const ushort c = s[i].unicode();
        const bool sign = (c == '+' || c == '-') && length == 0;
        if (!sign && !(c >= '0' && c <= '9') && c != '.' && c != '/')
            break;
        if (length == static_cast<int>(sizeof text))
            return;
        digit = digit || (c >= '0' && c <= '9');
        text[length++] = static_cast<char>(c);
    }
    if (digit)
        std::memcpy(camera.Ev, text, sizeof text);
}

// "F2.8" or "F/2.8": the f-number after the letter.
void ReadFNumber(QStringView s, int pos, CameraSettings& camera)
{
    if (pos < s.size() && s[pos] == QLatin1Char('F'))
        ++pos;
    if (pos < s.size() && s[pos] == QLatin1Char('/'))
        ++pos;
    std::uint32_t value = 0;
    if (ScanCameraNumber(s, pos, 2, 2, value) && value <= 0xFFFF)
        camera.FNumberCenti = static_cast<std::uint16_t>(value);
}

// A shutter speed written as its denominator ("60" or "1/60.0": 1/60 s).
void ReadShutter(QStringView s, int pos, CameraSettings& camera)
{
    if (pos + 1 < s.size() && s[pos] == QLatin1Char('1') && s[pos + 1] == QLatin1Char('/'))
        pos += 2;
    std::uint32_t value = 0;
    if (ScanCameraNumber(s, pos, 0, 2, value))
        camera.ShutterCenti = value;
}

// Blanks after `pos`, then the position of the value.
int SkipBlanks(QStringView s, int pos)
{
    while (pos < s.size() && s[pos] == QLatin1Char(' '))
        ++pos;
    return pos;
}

} // namespace

bool ScanCameraNumber(QStringView s, int& pos, int impliedDecimals, int keepDecimals, std::uint32_t& value)
{
    int i = pos;
    std::uint64_t whole = 0;
    int digits = 0;
    while (IsDigitAt(s, i)) {
        whole = whole * 10 + (s[i].unicode() - '0');
        ++i;
        if (++digits > 12)
            return false;
    }
    int decimals = impliedDecimals;
    if (i < s.size() && s[i] == QLatin1Char('.') && IsDigitAt(s, i + 1)) {
        decimals = 0;
        ++i;
        while (IsDigitAt(s, i)) {
            if (decimals < 12) {
                whole = whole * 10 + (s[i].unicode() - '0');
                ++decimals;
            }
            ++i;
        }
    } else if (digits == 0) {
        return false;
    }
    // whole * 10^(keep - decimals), rounded half up.
    for (; decimals < keepDecimals; ++decimals) {
        if (whole > 0xFFFFFFFFull)
            return false;
        whole *= 10;
    }
    for (; decimals > keepDecimals; --decimals)
        whole = decimals == keepDecimals + 1 ? (whole + 5) / 10 : whole / 10;
    if (whole > 0xFFFFFFFFull)
        return false;
    value = static_cast<std::uint32_t>(whole);
    pos = i;
    return true;
}

namespace {

enum class CameraField { None, Iso, Shutter, FNumber, Ev, Focal, ColorTemp, Zoom };

// The field a name stands for, told apart by its length first.
CameraField FieldNamed(QStringView name)
{
    switch (name.size()) {
    case 2:
        if (Equals(name, "TV"))
            return CameraField::Shutter;
        if (Equals(name, "IR"))
            return CameraField::FNumber;
        if (Equals(name, "ev") || Equals(name, "EV"))
            return CameraField::Ev;
        if (Equals(name, "ct"))
            return CameraField::ColorTemp;
        break;
    case 3:
        if (Equals(name, "iso") || Equals(name, "ISO"))
            return CameraField::Iso;
        break;
    case 4:
        if (Equals(name, "fnum") || Equals(name, "Fnum"))
            return CameraField::FNumber;
        break;
    case 7:
        if (Equals(name, "shutter") || Equals(name, "Shutter"))
            return CameraField::Shutter;
        break;
    case 9:
        if (Equals(name, "focal_len"))
            return CameraField::Focal;
        break;
    case 11:
        if (Equals(name, "dzoom_ratio"))
            return CameraField::Zoom;
        break;
    default: break;
    }
    return CameraField::None;
}

} // namespace

bool IsCameraField(QStringView name)
{
    return FieldNamed(name) != CameraField::None;
}

bool ReadCameraField(QStringView name, QStringView s, int pos, CameraSettings& camera)
{
    std::uint32_t value = 0;
    switch (FieldNamed(name)) {
    case CameraField::None: return false;
    case CameraField::Iso:
        if (ScanCameraNumber(s, pos, 0, 0, value))
            camera.Iso = value;
        break;
    case CameraField::Shutter: ReadShutter(s, pos, camera); break;
    case CameraField::FNumber: ReadFNumber(s, pos, camera); break;
    case CameraField::Ev: ReadEv(s, pos, camera); break;
    case CameraField::Focal:
        if (ScanCameraNumber(s, pos, 1, 2, value))
            camera.FocalCenti = value;
        break;
    case CameraField::ColorTemp:
        if (ScanCameraNumber(s, pos, 0, 0, value) && value <= 0xFFFF)
            camera.ColorTempK = static_cast<std::uint16_t>(value);
        break;
    case CameraField::Zoom:
        if (ScanCameraNumber(s, pos, 4, 4, value))
            camera.ZoomMyriad = value;
        break;
    }
    return true;
}

void ReadColonCameraFields(QStringView block, CameraSettings& camera)
{
    // The line starts with "ISO:"; every word followed by ':' on it names a
    // field (a blank value, as in "EV: Fnum:2.2", is no value). It is the
    // block's last line: only that line is looked at.
    const int n = block.size();
    int start = n;
    const QChar* s = block.data();
    while (start > 0 && s[start - 1] != QLatin1Char('\n') && s[start - 1] != QLatin1Char('\r'))
        --start;
    if (!AsciiAt(s, n, start, QLatin1String("ISO:")))
        return;
    // Words "name:value" apart by blanks: each name read up to its ':'.
    for (int i = start; i < n;) {
        int colon = i;
        while (colon < n && s[colon].unicode() != ':' && s[colon].unicode() != ' ')
            ++colon;
        if (colon < n && s[colon].unicode() == ':')
            ReadCameraField(block.mid(i, colon - i), block, SkipBlanks(block, colon + 1), camera);
        // On to the next word: past this one's value (a blank value, as in
        // "EV: Fnum:2.2", leaves the next name where the value would be).
        i = colon + 1;
        while (i < n && s[i].unicode() != ' ' && s[i].unicode() != ':')
            ++i;
        if (i < n && s[i].unicode() == ':') {
            // "EV: Fnum:2.2": the word after the blank is the next name.
            while (i > colon + 1 && s[i - 1].unicode() != ' ')
                --i;
        }
        while (i < n && s[i].unicode() == ' ')
            ++i;
    }
}

void ReadCommaCameraFields(QStringView block, CameraSettings& camera)
{
    // Each field starts the line or follows a blank.
    enum Kind { FNumber, Shutter, Iso, Ev, Zoom };
    static const struct {
        const char* Key;  // as written, with the blank or '/' after the name
        Kind Field;
    } fields[] = {{"F/", FNumber}, {"SS ", Shutter}, {"ISO ", Iso}, {"EV ", Ev}, {"DZOOM ", Zoom}};
    for (const auto& field : fields) {
        const QLatin1String key(field.Key);
        for (int at = FindAscii(block, key); at >= 0; at = FindAscii(block, key, at + 1)) {
            if (at > 0 && block[at - 1] != QLatin1Char(' ') && block[at - 1] != QLatin1Char('\n'))
                continue;
            int pos = at + key.size();
            std::uint32_t value = 0;
            switch (field.Field) {
            case FNumber: ReadFNumber(block, at, camera); break;
            case Shutter: ReadShutter(block, pos, camera); break;
            case Iso:
                if (ScanCameraNumber(block, pos, 0, 0, value))
                    camera.Iso = value;
                break;
            case Ev: ReadEv(block, pos, camera); break;
            case Zoom:
                if (ScanCameraNumber(block, pos, 4, 4, value))
                    camera.ZoomMyriad = value;
                break;
            }
            break;
        }
    }
}
