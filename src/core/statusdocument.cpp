#include "statusdocument.h"
#include "versiontext.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <cmath>

namespace naxo {

QString ModelFromSerial(const QString &serial)
{
    switch (TextToInt32(CopyText(serial, 1, 2))) {
    case 30: return QStringLiteral("NAXO S");
    case 80: return QStringLiteral("NAXO SX");
    case 81: return QStringLiteral("NAXO C 1");
    case 82: return QStringLiteral("NAXO C 2");
    case 83: return QStringLiteral("NAXO C 3");
    case 84: return QStringLiteral("NAXO C 4");
    default: return QStringLiteral("Unknown");
    }
}

namespace {

// The member's value as JSON text, without double quotes.
QString memberText(const QJsonValue &v)
{
    QString text;
    switch (v.type()) {
    case QJsonValue::String:
        text = v.toString();
        break;
    case QJsonValue::Double: {
        const double d = v.toDouble();
        if (std::floor(d) == d && std::fabs(d) < 9.0e15)
            text = QString::number(qint64(d));
        else
            text = QString::number(d, 'g', 17);
        break;
    }
    case QJsonValue::Bool:
        text = v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
        break;
    case QJsonValue::Null:
        text = QStringLiteral("null");
        break;
    case QJsonValue::Array:
        text = QString::fromUtf8(QJsonDocument(v.toArray()).toJson(QJsonDocument::Compact));
        break;
    case QJsonValue::Object:
        text = QString::fromUtf8(QJsonDocument(v.toObject()).toJson(QJsonDocument::Compact));
        break;
    case QJsonValue::Undefined:
        break;
    }
    text.remove(u'"');
    return text;
}

void readText(const QJsonObject &o, const char *member, QString &field)
{
    const auto it = o.constFind(QLatin1String(member));
    if (it != o.constEnd())
        field = memberText(*it);
}

void readWhole(const QJsonObject &o, const char *member, qint32 &field)
{
    const auto it = o.constFind(QLatin1String(member));
    if (it != o.constEnd())
        field = TextToInt32(memberText(*it));
}

} // namespace

bool ApplyStatusDocument(const QJsonDocument &document, TNaxoInfo &info)
{
    if (!document.isObject())
        return false;
    const QJsonObject o = document.object();
    if (!o.contains(QLatin1String("build_info")))
        return false;

    if (info.MAC.isEmpty())
        readText(o, "mac", info.MAC);
    readText(o, "serial", info.SrNr);
    info.Modell = ModelFromSerial(info.SrNr);
    readText(o, "build_info", info.BuildInfo);
    info.BuildNumber = BuildInfoToNumber(info.BuildInfo);
    readText(o, "fpga_firmware", info.FPGA);
    readText(o, "filterversion", info.FilterVersion);
    readText(o, "sv_firmware", info.SvFw);
    readText(o, "sw_firmware", info.SwFw);
    readText(o, "amp_firmware", info.AmpFw);
    readWhole(o, "system_length", info.Length);
    if (o.contains(QLatin1String("system_pos"))) {
        readWhole(o, "system_pos", info.Position);
        // The device counts from 0, the table from 1; saturate, never wrap.
        if (info.Position < std::numeric_limits<qint32>::max())
            ++info.Position;
    }
    return true;
}

bool ApplyStatusReply(const QByteArray &body, TNaxoInfo &info)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError)
        return false;
    return ApplyStatusDocument(doc, info);
}

} // namespace naxo
