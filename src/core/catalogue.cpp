#include "catalogue.h"
#include "singlebytetext.h"
#include "versiontext.h"

#include <QDate>
#include <QRegularExpression>
#include <QStringDecoder>

namespace naxo {

const std::array<QString, 10> &ModelNames()
{
    static const std::array<QString, 10> names = {
        QStringLiteral("NAXO C"),   QStringLiteral("NAXO S"),   QStringLiteral("NAXO SX"),
        QStringLiteral("NAXO C 1"), QStringLiteral("NAXO C 2"), QStringLiteral("NAXO C 3"),
        QStringLiteral("NAXO C 4"), QString(), QString(), QString(),
    };
    return names;
}

namespace {

QString decode(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    if (bytes.startsWith("\xFF\xFE"))
        return QStringDecoder(QStringDecoder::Utf16LE).decode(bytes.mid(2));
    if (bytes.startsWith("\xFE\xFF"))
        return QStringDecoder(QStringDecoder::Utf16BE).decode(bytes.mid(2));
    return fromSingleByte(bytes);
}

} // namespace

Catalogue Catalogue::fromBytes(const QByteArray &bytes)
{
    QString text = decode(bytes);
    const qsizetype zero = text.indexOf(QChar(0));
    if (zero >= 0)
        text.truncate(zero);

    Catalogue c;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar ch = text[i];
        if (ch != u'\r' && ch != u'\n')
            continue;
        c.m_lines.append(text.mid(start, i - start));
        if (ch == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        c.m_lines.append(text.mid(start));
    return c;
}

QString Catalogue::value(const QString &name) const
{
    for (const QString &line : m_lines) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        if (QStringView(line).left(eq).compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(eq + 1);
    }
    return QString();
}

UpdateCheckOutcome OutcomeOf(qint32 status)
{
    switch (status) {
    case StatusReady: return {QStringLiteral("Server Download ready"), QString(), true};
    case StatusBlocked: return {QStringLiteral("Server is maintained, try later."), QString(), false};
    case StatusUseLocal: return {QStringLiteral("No server found. Use local data."), QString(), true};
    case StatusNoCatalogue:
        return {QStringLiteral("No server found. Select Update File manually."),
                QStringLiteral("Select Update File manually!"), false};
    case StatusFetching: return {QStringLiteral("Download in Arbeit"), QString(), false};
    case StatusDownloadFailed: return {QStringLiteral("Unknown error!"), QString(), false};
    default: return {};
    }
}

bool Catalogue::blocked() const
{
    return value(QStringLiteral("Blocked")) != QLatin1String("false");
}

qint64 Catalogue::readModelEntry(const QString &model, TAktVersions &r) const
{
    r.BuildInfo = value(model + QLatin1String(" Build Info")) + u'-'
        + value(model + QLatin1String(" Build Minor"));
    r.BuildNumber = BuildInfoToNumber(r.BuildInfo);
    r.FPGA = value(model + QLatin1String(" FPGA-Version"));
    r.SvFw = value(model + QLatin1String(" SV-Firmware"));
    r.SwFw = value(model + QLatin1String(" SW-Firmware"));
    r.FilterVersion = value(model + QLatin1String(" Filterversion"));
    r.FileName = value(model + QLatin1String(" FileName"));
    // The size key is fixed and not built from the model name; servers rely
    // on exactly this spelling.
    const qint64 size = TextToInt64(value(QStringLiteral("NXAO S FileSize")));
    ReadCatalogueDateTime(value(model + QLatin1String(" DateTime")), r.DateTime);
    return size;
}

namespace {

double timeFraction(int h, int m, int s)
{
    return (h * 3600.0 + m * 60.0 + s) / 86400.0;
}

bool validTime(int h, int m, int s)
{
    return h >= 0 && h < 24 && m >= 0 && m < 60 && s >= 0 && s < 60;
}

} // namespace

bool ReadCatalogueDateTime(const QString &text, double &value)
{
    static const QRegularExpression dateTime(QStringLiteral(
        R"(^\s*(\d{1,2})\.(\d{1,2})\.(\d{4})(?:\s+(\d{1,2}):(\d{1,2})(?::(\d{1,2}))?)?\s*$)"));
    static const QRegularExpression timeOnly(
        QStringLiteral(R"(^\s*(\d{1,2}):(\d{1,2})(?::(\d{1,2}))?\s*$)"));

    const auto dm = dateTime.match(text);
    if (dm.hasMatch()) {
        const QDate date(dm.captured(3).toInt(), dm.captured(2).toInt(), dm.captured(1).toInt());
        if (!date.isValid())
            return false;
        double result = double(QDate(1899, 12, 30).daysTo(date));
        if (dm.hasCaptured(4)) {
            const int h = dm.captured(4).toInt(), m = dm.captured(5).toInt();
            const int s = dm.hasCaptured(6) ? dm.captured(6).toInt() : 0;
            if (!validTime(h, m, s))
                return false;
            result += timeFraction(h, m, s);
        }
        value = result;
        return true;
    }
    const auto tm = timeOnly.match(text);
    if (tm.hasMatch()) {
        const int h = tm.captured(1).toInt(), m = tm.captured(2).toInt();
        const int s = tm.hasCaptured(3) ? tm.captured(3).toInt() : 0;
        if (!validTime(h, m, s))
            return false;
        value = timeFraction(h, m, s);
        return true;
    }
    return false;
}

bool IsPlainFileName(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (QChar c : name) {
        if (c == u'/' || c == u'\\' || c == u':' || c == QChar(0))
            return false;
    }
    return true;
}

} // namespace naxo
