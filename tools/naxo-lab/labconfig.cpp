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

// Overrides a field only where the scenario names it.
struct Fields {
    const QJsonObject &o;
    bool has(const char *k) const { return o.contains(QLatin1String(k)); }
    QJsonValue at(const char *k) const { return o[QLatin1String(k)]; }
    void read(const char *k, QString &f) const { if (has(k)) f = at(k).toString(); }
    void read(const char *k, bool &f) const { if (has(k)) f = at(k).toBool(); }
    void read(const char *k, int &f) const { if (has(k)) f = int(at(k).toDouble()); }
    void read(const char *k, qint64 &f) const { if (has(k)) f = qint64(at(k).toDouble()); }
};

void apply(const QJsonObject &o, DeviceConfig &d)
{
    const Fields f{o};
    f.read("name", d.name);
    f.read("build", d.build);
    f.read("serial", d.serial);
    if (f.has("mac"))
        d.mac = QByteArray::fromHex(f.at("mac").toString().remove(u':').toLatin1());
    f.read("position", d.position);
    f.read("length", d.length);
    f.read("replyKind", d.replyKind);
    f.read("positionStep", d.positionStep);
    f.read("macOf", d.macOf);
    f.read("statusDelayMs", d.statusDelayMs);
    f.read("statusHttpError", d.statusHttpError);
    f.read("statusBody", d.statusBody);
    f.read("ftpRefuse", d.ftpRefuse);
    f.read("ftpStallAfter", d.ftpStallAfter);
    f.read("ftpDropAfter", d.ftpDropAfter);
    f.read("ftpBytesPerSec", d.ftpBytesPerSec);
    f.read("installError", d.installError);
    f.read("installHttpError", d.installHttpError);
    f.read("earlyDisconnect", d.earlyDisconnect);
    f.read("bothMarkers", d.bothMarkers);
    f.read("installPieceDelayMs", d.installPieceDelayMs);
    f.read("resetMs", d.resetMs);
    f.read("resetNeverEnds", d.resetNeverEnds);
}

void apply(const QJsonObject &o, ServerConfig &s)
{
    const Fields f{o};
    f.read("build", s.build);
    f.read("buildMinor", s.buildMinor);
    f.read("fileName", s.fileName);
    f.read("size", s.size);
    f.read("blocked", s.blocked);
    f.read("missingFile", s.missingFile);
    f.read("catalogueSizeDelta", s.catalogueSizeDelta);
    f.read("unreachable", s.unreachable);
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
