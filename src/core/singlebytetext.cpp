#include "singlebytetext.h"

namespace naxo {

namespace {

// Windows-1252 bytes 0x80..0x9F; 0 marks the five unassigned bytes, which we
// pass through as the C1 control of the same value (as Windows does).
constexpr char16_t kHigh[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178,
};

} // namespace

QString fromSingleByte(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar *dst = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        char16_t c = b;
        if (b >= 0x80 && b < 0xA0 && kHigh[b - 0x80] != 0)
            c = kHigh[b - 0x80];
        dst[i] = QChar(c);
    }
    return out;
}

bool isSingleByteChar(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return true;
    if (u >= 0x80 && u < 0xA0)
        return kHigh[u - 0x80] == 0;
    for (char16_t h : kHigh) {
        if (h == u)
            return true;
    }
    return false;
}

QString toTableText(const QString &text, int maxLength)
{
    QString out = text.left(maxLength);
    for (QChar &c : out) {
        if (!isSingleByteChar(c))
            c = u'?';
    }
    return out;
}

} // namespace naxo
