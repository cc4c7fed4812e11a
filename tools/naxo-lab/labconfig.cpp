#include "labconfig.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

namespace lab {

Scenario defaultScenario(int count)
{
    Scenario s;
    for (int k = 1; k <= count; ++k) {
        DeviceConfig d;
        d.name = QStringLiteral("AMP-%1").arg(k, 2, 10, QLatin1Char('0'));
        d.serial = QStringLiteral("30%1").arg(10000 + k);
        d.mac = QByteArray::fromHex(QStringLiteral("02AB00%1%2%3")
                                        .arg(k >> 16 & 0xFF, 2, 16, QLatin1Char('0'))
                                        .arg(k >> 8 & 0xFF, 2, 16, QLatin1Char('0'))
                                        .arg(k & 0xFF, 2, 16, QLatin1Char('0'))
                                        .toLatin1());
        d.position = (k - 1) % 4;
        d.length = 4;
        s.devices.append(d);
    }
    return s;
}

namespace {

void apply(const QJsonObject &o, DeviceConfig &d)
{
    auto str = [&o](const char *k, QString &f) { if (o.contains(QLatin1String(k))) f = o[QLatin1String(k)].toString(); };
    auto num = [&o](const char *k, auto &f) {
        if (o.contains(QLatin1String(k))) f = std::remove_reference_t<decltype(f)>(o[QLatin1String(k)].toDouble());
    };
    auto flag = [&o](const char *k, bool &f) { if (o.contains(QLatin1String(k))) f = o[QLatin1String(k)].toBool(); };
    str("name", d.name);
    str("build", d.build);
    str("serial", d.serial);
    if (o.contains(QLatin1String("mac")))
        d.mac = QByteArray::fromHex(o[QLatin1String("mac")].toString().remove(u':').toLatin1());
    num("position", d.position);
    num("length", d.length);
    str("replyKind", d.replyKind);
    num("positionStep", d.positionStep);
    str("macOf", d.macOf);
    num("statusDelayMs", d.statusDelayMs);
    num("statusHttpError", d.statusHttpError);
    str("statusBody", d.statusBody);
    flag("ftpRefuse", d.ftpRefuse);
    num("ftpStallAfter", d.ftpStallAfter);
    num("ftpDropAfter", d.ftpDropAfter);
    num("ftpBytesPerSec", d.ftpBytesPerSec);
    flag("installError", d.installError);
    num("installHttpError", d.installHttpError);
    flag("earlyDisconnect", d.earlyDisconnect);
    flag("bothMarkers", d.bothMarkers);
    num("installPieceDelayMs", d.installPieceDelayMs);
    num("resetMs", d.resetMs);
    flag("resetNeverEnds", d.resetNeverEnds);
}

void apply(const QJsonObject &o, ServerConfig &s)
{
    if (o.contains(QLatin1String("build"))) s.build = o[QLatin1String("build")].toString();
    if (o.contains(QLatin1String("buildMinor"))) s.buildMinor = o[QLatin1String("buildMinor")].toString();
    if (o.contains(QLatin1String("fileName"))) s.fileName = o[QLatin1String("fileName")].toString();
    if (o.contains(QLatin1String("size"))) s.size = qint64(o[QLatin1String("size")].toDouble());
    if (o.contains(QLatin1String("blocked"))) s.blocked = o[QLatin1String("blocked")].toString();
    if (o.contains(QLatin1String("missingFile"))) s.missingFile = o[QLatin1String("missingFile")].toBool();
    if (o.contains(QLatin1String("catalogueSizeDelta")))
        s.catalogueSizeDelta = qint64(o[QLatin1String("catalogueSizeDelta")].toDouble());
    if (o.contains(QLatin1String("unreachable"))) s.unreachable = o[QLatin1String("unreachable")].toBool();
}

} // namespace

Scenario scenarioFromJson(const QJsonObject &o, int count)
{
    const QJsonArray devices = o[QLatin1String("devices")].toArray();
    if (count <= 0)
        count = o.contains(QLatin1String("count")) ? o[QLatin1String("count")].toInt() : int(devices.size());
    count = std::max<int>(count, int(devices.size()));
    Scenario s = defaultScenario(count);
    for (int i = 0; i < devices.size(); ++i)
        apply(devices[i].toObject(), s.devices[i]);
    apply(o[QLatin1String("server")].toObject(), s.server);
    return s;
}

Scenario loadScenario(const QString &path, int count, QString *error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error) *error = QStringLiteral("cannot read ") + path;
        return defaultScenario(count);
    }
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &pe);
    if (pe.error != QJsonParseError::NoError && error)
        *error = path + QStringLiteral(": ") + pe.errorString();
    return scenarioFromJson(doc.object(), count);
}

QByteArray firmwareImage(const ServerConfig &s)
{
    QByteArray image = "NAXOFW build_info=" + (s.build + u'-' + s.buildMinor).toUtf8() + '\n';
    // Deterministic filler, so every run serves the same bytes.
    quint32 x = 2463534242u;
    image.reserve(s.size);
    while (image.size() < s.size) {
        x ^= x << 13; x ^= x >> 17; x ^= x << 5;
        image.append(char(x & 0xFF));
    }
    image.truncate(s.size);
    return image;
}

QByteArray catalogueFile(const ServerConfig &s, const QByteArray &image)
{
    QByteArray c;
    c += "Blocked=" + s.blocked.toUtf8() + "\r\n";
    c += "NAXO S Build Info=" + s.build.toUtf8() + "\r\n";
    c += "NAXO S Build Minor=" + s.buildMinor.toUtf8() + "\r\n";
    c += "NAXO S FPGA-Version=F1.1\r\n";
    c += "NAXO S SV-Firmware=SV3.1\r\n";
    c += "NAXO S SW-Firmware=SW4.1\r\n";
    c += "NAXO S Filterversion=FV2.1\r\n";
    c += "NAXO S FileName=" + s.fileName.toUtf8() + "\r\n";
    c += "NXAO S FileSize=" + QByteArray::number(image.size() + s.catalogueSizeDelta) + "\r\n";
    c += "NAXO S DateTime=24.12.2026 13:45\r\n";
    return c;
}

} // namespace lab
