#include "versiontext.h"

#include <QLocale>
#include <algorithm>
#include <limits>

namespace naxo {

QString CopyText(const QString &text, int start, int count)
{
    if (start > text.size() || count < 1)
        return QString();
    if (start < 1)
        start = 1; // the count is deliberately not reduced for it
    return text.mid(start - 1, count);
}

namespace {

int digitValue(QChar c, int base)
{
    const ushort u = c.unicode();
    int v = -1;
    if (u >= '0' && u <= '9')
        v = u - '0';
    else if (u >= 'a' && u <= 'f')
        v = u - 'a' + 10;
    else if (u >= 'A' && u <= 'F')
        v = u - 'A' + 10;
    return v < base ? v : -1;
}

// Reads digits of the given base from position i up to the first non-digit.
// Saturates instead of overflowing; reports how many digits were read.
quint64 readDigits(QStringView s, qsizetype &i, int base)
{
    constexpr quint64 cap = std::numeric_limits<quint64>::max() / 16;
    quint64 acc = 0;
    for (; i < s.size(); ++i) {
        const int d = digitValue(s[i], base);
        if (d < 0)
            break;
        acc = acc > cap ? acc : acc * base + quint64(d);
    }
    return acc;
}

qint64 textToInteger(QStringView s, qint64 min, qint64 max)
{
    qsizetype i = 0;
    while (i < s.size() && (s[i] == u' ' || s[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
        negative = s[i] == u'-';
        ++i;
    }
    const qsizetype afterSign = i;

    // First try the whole rest as one number, decimal or hexadecimal.
    int base = 10;
    qsizetype j = i;
    if (j < s.size() && (s[j] == u'$' || s[j] == u'x' || s[j] == u'X')) {
        base = 16;
        ++j;
    } else if (j + 1 < s.size() && s[j] == u'0' && (s[j + 1] == u'x' || s[j + 1] == u'X')) {
        base = 16;
        j += 2;
    }
    const qsizetype digitsStart = j;
    quint64 magnitude = readDigits(s, j, base);
    const bool whole = j > digitsStart && j == s.size();
    if (!whole) {
        // Not wholly a number: the leading decimal digits count, without sign.
        negative = false;
        qsizetype k = afterSign;
        magnitude = readDigits(s, k, 10);
    }
    if (negative) {
        const quint64 limit = quint64(-(min + 1)) + 1;
        return magnitude >= limit ? min : -qint64(magnitude);
    }
    return magnitude > quint64(max) ? max : qint64(magnitude);
}

bool isUnicodeDigit(QChar c)
{
    const auto cat = c.category();
    return cat == QChar::Number_DecimalDigit || cat == QChar::Number_Letter
        || cat == QChar::Number_Other;
}

} // namespace

qint32 TextToInt32(const QString &text)
{
    return qint32(textToInteger(text, std::numeric_limits<qint32>::min(),
                                std::numeric_limits<qint32>::max()));
}

qint64 TextToInt64(const QString &text)
{
    return textToInteger(text, std::numeric_limits<qint64>::min(),
                         std::numeric_limits<qint64>::max());
}

double BuildInfoToNumber(const QString &buildInfo)
{
    QString t = buildInfo.toLower();
    qsizetype last = t.size() - 1;
    while (last >= 0 && !isUnicodeDigit(t[last]))
        --last;
    if (last <= 0)
        return 0.0; // no digit, or the only usable digit is the first character
    t.truncate(last + 1);

    const qsizetype v = t.lastIndexOf(u'v');
    if (v >= 0)
        t = CopyText(t, int(v) + 2, int(t.size()));

    // Cuts the part before the first separator and drops it with the separator.
    auto takePart = [&t](QChar separator) -> qint64 {
        const qsizetype p = t.indexOf(separator);
        if (p < 0)
            return 0;
        const QString part = CopyText(t, 1, int(p));
        t = CopyText(t, int(p) + 2, int(t.size()));
        return TextToInt32(part);
    };
    const qint64 major = takePart(u'.');
    const qint64 minor = takePart(u'.');
    const qint64 patch = takePart(u'-');

    // The build count is a decimal fraction, read with "." whatever the locale;
    // our own C locale leaves the process-wide settings untouched.
    static const QLocale c = [] {
        QLocale l = QLocale::c();
        l.setNumberOptions(QLocale::RejectGroupSeparator);
        return l;
    }(); // a constant, read-only from every thread
    bool ok = false;
    double fraction = c.toDouble(QStringLiteral("0.") + t, &ok);
    if (!ok)
        fraction = 0.0;

    // Out-of-range sums saturate at the 32-bit limits instead of wrapping.
    qint64 sum = major * 10000 + minor * 100 + patch;
    sum = std::clamp<qint64>(sum, std::numeric_limits<qint32>::min(),
                             std::numeric_limits<qint32>::max());
    return double(qint32(sum)) + fraction;
}

QString ToUrlPath(const QString &text)
{
    QString t = text;
    t.replace(u'\\', u'/');
    while (t.endsWith(u'/'))
        t.chop(1);
    t.replace(u' ', QStringLiteral("%20"));
    return t;
}

} // namespace naxo
