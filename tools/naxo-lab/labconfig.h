#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>

// What the lab plays: devices with their facts and fault knobs, and the
// update server. Read from a scenario JSON file or built by tests.
namespace lab {

struct DeviceConfig {
    QString name = QStringLiteral("AMP");
    QString build = QStringLiteral("v1.2.3-40");
    QString serial = QStringLiteral("3000001");
    QByteArray mac; // 6 bytes
    int position = 0;
    int length = 1;
    QString fpga = QStringLiteral("F1.0"), filter = QStringLiteral("FV2"), sv = QStringLiteral("SV3"),
            sw = QStringLiteral("SW4"), amp = QStringLiteral("AMP5");

    // Discovery faults.
    QString replyKind;       // "", "short28", "short29", "long", "noZero", "markerLater", "silent"
    int positionStep = 0;    // added to the position on every reply (changes it)
    QString macOf;           // "": own MAC; otherwise another device's MAC (hex text)
    // Status faults.
    int statusDelayMs = 0;
    int statusHttpError = 0; // 404, 500 ...
    QString statusBody;      // "", "bad", "partial", "strings"
    // FTP faults.
    bool ftpRefuse = false;
    qint64 ftpStallAfter = -1;
    qint64 ftpDropAfter = -1;
    int ftpBytesPerSec = 0;  // 0: no limit
    // Install faults.
    bool installError = false;
    int installHttpError = 0;
    bool earlyDisconnect = false;
    bool bothMarkers = false;
    int installPieceDelayMs = 40;
    int resetMs = 1500;
    bool resetNeverEnds = false;
};

struct ServerConfig {
    QString build = QStringLiteral("v1.2.3");
    QString buildMinor = QStringLiteral("45");
    QString fileName = QStringLiteral("NAXO_S_v1.2.3-45.naxo");
    qint64 size = 256 * 1024;
    QString blocked = QStringLiteral("false");
    bool missingFile = false;
    qint64 catalogueSizeDelta = 0; // wrong size in the catalogue
    bool unreachable = false;
};

struct Scenario {
    QList<DeviceConfig> devices;
    ServerConfig server;
};

// Count devices with builds, serials and MACs that differ per index.
Scenario defaultScenario(int count);
// A scenario file; "count" fills up with default devices, "devices" entries
// override the defaults of the device at their index.
Scenario loadScenario(const QString &path, int count, QString *error);
Scenario scenarioFromJson(const QJsonObject &o, int count);

QByteArray firmwareImage(const ServerConfig &s);
QByteArray catalogueFile(const ServerConfig &s, const QByteArray &image);

} // namespace lab
