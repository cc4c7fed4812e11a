#include "devicesim.h"
#include "eventlog.h"

#include "discovery.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

namespace lab {

QString macText(const QByteArray &mac)
{
    QByteArray six = mac.leftJustified(6, '\0', true);
    return naxo::FormatMac(reinterpret_cast<const unsigned char *>(six.constData()));
}

DeviceSim::DeviceSim(const DeviceConfig &config, const QString &id, EventLog *log, QObject *parent)
    : QObject(parent), m_config(config), m_id(id), m_log(log),
      m_http([this](HttpExchange *x) { onHttp(x); }), m_ftp(m_config, id, log), m_build(config.build),
      m_position(config.position)
{
}

QString DeviceSim::macText() const
{
    return lab::macText(m_config.mac);
}

void DeviceSim::log(QJsonObject e)
{
    e.insert(QStringLiteral("device"), m_id);
    m_log->add(e);
}

bool DeviceSim::start(const QHostAddress &address, quint16 httpPort, quint16 ftpPort, QUdpSocket *replySocket)
{
    m_address = address;
    if (!m_http.listen(address, httpPort) || !m_ftp.listen(address, ftpPort))
        return false;
    m_udp = replySocket;
    if (!m_udp) {
        m_udp = new QUdpSocket(this);
        if (!m_udp->bind(address, 0))
            return false;
    }
    return true;
}

QByteArray DeviceSim::reply()
{
    QByteArray mac = m_config.mac.leftJustified(6, '\0', true);
    if (!m_config.macOf.isEmpty())
        mac = QByteArray::fromHex(m_config.macOf.toLatin1().replace(':', "")).leftJustified(6, '\0', true);
    const int position = m_config.position + m_config.positionStep * m_replies;
    ++m_replies;
    m_position = position; // the status document tells the same place
    const auto *bytes = reinterpret_cast<const unsigned char *>(mac.constData());
    QByteArray d = naxo::BuildDiscoveryReply(bytes, position, m_config.length, m_config.name.toLatin1());
    const QString &kind = m_config.replyKind;
    if (kind == QLatin1String("short28"))
        d = d.left(28);
    else if (kind == QLatin1String("short29"))
        d = d.left(28) + m_config.name.toLatin1().left(1);
    else if (kind == QLatin1String("long"))
        d = d.left(28) + m_config.name.toLatin1().leftJustified(31, '#', true) + QByteArray(21, 'Z');
    else if (kind == QLatin1String("noZero"))
        d.chop(1);
    else if (kind == QLatin1String("markerLater"))
        d.prepend("XX");
    return d;
}

void DeviceSim::answerDiscovery(const QByteArray &datagram, const QHostAddress &from, quint16 port)
{
    if (datagram != naxo::DiscoveryRequest() || m_resetting || m_config.replyKind == QLatin1String("silent"))
        return;
    const QByteArray d = reply();
    m_udp->writeDatagram(d, from, port);
    log({{QStringLiteral("event"), QStringLiteral("discovery_reply")},
         {QStringLiteral("hex"), QString::fromLatin1(d.toHex())},
         {QStringLiteral("to"), from.toString()}, {QStringLiteral("port"), port}});
}

void DeviceSim::onHttp(HttpExchange *x)
{
    const bool status = x->path == "/cgi-bin/naxo_webservice.cgi" && x->query == "action=200";
    const bool installRequest = x->path == "/cgi-bin/naxo_webservice.cgi" && x->query == "action=102";
    auto logRequest = [&](int code) {
        log({{QStringLiteral("event"), QStringLiteral("http")},
             {QStringLiteral("method"), QString::fromLatin1(x->method)},
             {QStringLiteral("path"), QString::fromLatin1(x->path)},
             {QStringLiteral("query"), QString::fromLatin1(x->query)},
             {QStringLiteral("from"), x->peer.toString()},
             {QStringLiteral("status"), code}});
    };
    if (m_resetting) {
        logRequest(0); // rebooting: the connection just goes away
        x->end();
        return;
    }
    if (status && x->method == "GET") {
        const int code = m_config.statusHttpError ? m_config.statusHttpError : 200;
        logRequest(code);
        QTimer::singleShot(m_config.statusDelayMs, x, [this, x] { sendStatus(x); });
    } else if (installRequest && x->method == "POST") {
        const int code = m_config.installHttpError ? m_config.installHttpError : 200;
        logRequest(code);
        install(x);
    } else if (x->path == "/amp_status/" && x->method == "GET") {
        logRequest(200);
        x->respond(200, "text/html", "<html><body><h1>" + m_config.name.toUtf8() + "</h1></body></html>");
    } else {
        logRequest(404);
        x->respond(404, "text/plain", "not found");
    }
}

void DeviceSim::sendStatus(HttpExchange *x)
{
    if (m_config.statusHttpError) {
        x->respond(m_config.statusHttpError, "text/html", "<html>error</html>");
        return;
    }
    const bool strings = m_config.statusBody == QLatin1String("strings");
    auto number = [strings](int v) { return strings ? QJsonValue(QString::number(v)) : QJsonValue(v); };
    const QJsonObject doc{
        {QStringLiteral("mac"), macText()},
        {QStringLiteral("serial"), m_config.serial},
        {QStringLiteral("build_info"), m_build},
        {QStringLiteral("fpga_firmware"), m_config.fpga},
        {QStringLiteral("filterversion"), m_config.filter},
        {QStringLiteral("sv_firmware"), m_config.sv},
        {QStringLiteral("sw_firmware"), m_config.sw},
        {QStringLiteral("amp_firmware"), m_config.amp},
        {QStringLiteral("system_length"), number(m_config.length)},
        {QStringLiteral("system_pos"), number(m_position)},
        {QStringLiteral("system_master_id"), number(1)},
        {QStringLiteral("user_length"), number(m_config.length)},
        {QStringLiteral("user_pos"), number(m_position)},
        {QStringLiteral("user_master_id"), number(1)},
    };
    QByteArray body = QJsonDocument(doc).toJson(QJsonDocument::Compact);
    if (m_config.statusBody == QLatin1String("bad"))
        body = "{\"mac\": \"" + macText().toLatin1() + "\", serial: oops";
    else if (m_config.statusBody == QLatin1String("partial"))
        body = body.left(body.size() / 2);
    x->respond(200, "application/json", body);
}

void DeviceSim::install(HttpExchange *x)
{
    if (m_config.installHttpError) {
        x->respond(m_config.installHttpError, "text/plain", "install refused");
        return;
    }
    const QByteArray image = m_ftp.file(QStringLiteral("/update/firmware.naxo"));
    const QByteArray prefix = "NAXOFW build_info=";
    const qsizetype eol = image.indexOf('\n');
    const bool valid = image.startsWith(prefix) && eol > prefix.size() && !m_config.installError;
    const QString newBuild = valid ? QString::fromUtf8(image.mid(prefix.size(), eol - prefix.size())) : QString();

    QList<QByteArray> pieces;
    if (!valid) {
        pieces = {"Checking firmware image\r\n", "ERROR: firmware image invalid, update aborted\r\n"};
    } else if (m_config.bothMarkers) {
        pieces = {"Starting update\r\n", "Update Script started; ubifs is ready\r\n", "Flashing done\r\n"};
    } else {
        pieces = {"Starting update\r\n", "Running Update Script\r\n", "Flashing rootfs\r\n",
                  "ubifs is ready\r\n", "Update complete, rebooting\r\n"};
    }
    x->beginStream(200, "text/plain");
    sendPiece(QPointer<HttpExchange>(x), pieces, 0, valid, newBuild);
}

void DeviceSim::sendPiece(QPointer<HttpExchange> x, const QList<QByteArray> &pieces, int i, bool valid,
                          const QString &newBuild)
{
    if (!x || !x->connected()) {
        log({{QStringLiteral("event"), QStringLiteral("install_aborted")}, {QStringLiteral("pieces"), i}});
        return;
    }
    if (i == pieces.size()) {
        x->end();
        log({{QStringLiteral("event"), QStringLiteral("install_done")}, {QStringLiteral("ok"), valid}});
        if (valid)
            beginReset(newBuild);
        return;
    }
    x->write(pieces[i]);
    log({{QStringLiteral("event"), QStringLiteral("install_piece")}, {QStringLiteral("index"), i},
         {QStringLiteral("text"), QString::fromUtf8(pieces[i])}});
    if (m_config.earlyDisconnect && i == 0) {
        log({{QStringLiteral("event"), QStringLiteral("install_disconnect")}});
        x->abort();
        return;
    }
    QTimer::singleShot(m_config.installPieceDelayMs, this,
                       [this, x, pieces, i, valid, newBuild] { sendPiece(x, pieces, i + 1, valid, newBuild); });
}

void DeviceSim::beginReset(const QString &newBuild)
{
    m_resetting = true;
    log({{QStringLiteral("event"), QStringLiteral("reset_begin")}, {QStringLiteral("build"), newBuild}});
    if (m_config.resetNeverEnds)
        return;
    QTimer::singleShot(m_config.resetMs, this, [this, newBuild] {
        m_build = newBuild;
        m_resetting = false;
        log({{QStringLiteral("event"), QStringLiteral("reset_end")}, {QStringLiteral("build"), m_build}});
    });
}

} // namespace lab
