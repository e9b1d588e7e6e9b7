#include "core/windows1252.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace Windows1252 {

namespace {

// 0x80 to 0x9F; the rest is Latin-1.
constexpr std::array<char16_t, 32> high = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

std::optional<char> byteFor(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return char(c);
    const auto found = std::find(high.begin(), high.end(), c);
    if (found == high.end())
        return std::nullopt;
    return char(0x80 + std::distance(high.begin(), found));
}

} // namespace

QString decode(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char byte : bytes) {
        const uchar b = uchar(byte);
        *out++ = QChar(b >= 0x80 && b < 0xA0 ? high[b - 0x80] : char16_t(b));
    }
    return text;
}

std::optional<QByteArray> encode(QStringView text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char *out = bytes.data();
    for (const QChar c : text) {
        const std::optional<char> byte = byteFor(c.unicode());
        if (!byte)
            return std::nullopt; // surrogates included: nothing beyond the BMP has a byte
        *out++ = *byte;
    }
    return bytes;
}

} // namespace Windows1252
