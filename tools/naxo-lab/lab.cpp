#include "lab.h"

#include <QJsonArray>
#include <QNetworkDatagram>

namespace lab {

naxo::NetworkProfile loopbackProfile(const LabPorts &ports)
{
    naxo::NetworkProfile p;
    p.broadcastAddress = QStringLiteral("127.0.0.1");
    p.discoveryRemotePort = ports.discovery;
    p.discoveryLocalPort = 0;
    p.deviceHttpPort = ports.http;
    p.deviceFtpPort = ports.ftp;
    p.updateFolderUrl = naxo::updateFolderUrl(Lab::loopbackServerAddress().toString() + u':'
                                              + QString::number(ports.server));
    return p;
}

Lab::Lab(const Scenario &scenario, QObject *parent) : QObject(parent), m_scenario(scenario)
{
    connect(&m_listener, &QUdpSocket::readyRead, this, &Lab::onDatagrams);
}

Lab::~Lab() = default;

QHostAddress Lab::loopbackDeviceAddress(int index)
{
    return QHostAddress(quint32(0x7F000000u + 11u + quint32(index)));
}

QHostAddress Lab::loopbackServerAddress()
{
    return QHostAddress(QStringLiteral("127.0.0.2"));
}

bool Lab::startLoopback(const LabPorts &requested, QString *error)
{
    auto fail = [error](const QString &what) {
        if (error)
            *error = what;
        return false;
    };
    m_ports = requested;
    if (!m_listener.bind(QHostAddress::LocalHost, requested.discovery))
        return fail(QStringLiteral("discovery port: ") + m_listener.errorString());
    m_ports.discovery = m_listener.localPort();
    for (int i = 0; i < m_scenario.devices.size(); ++i) {
        auto *d = new DeviceSim(m_scenario.devices[i], QStringLiteral("dev%1").arg(i + 1), &m_log, this);
        if (!d->start(loopbackDeviceAddress(i), m_ports.http, m_ports.ftp, nullptr))
            return fail(QStringLiteral("device %1 cannot listen").arg(i + 1));
        m_ports.http = d->httpPort();
        m_ports.ftp = d->ftpPort();
        m_devices.append(d);
    }
    return startServer(loopbackServerAddress(), requested.server, error);
}

bool Lab::startDevice(int index, const LabPorts &ports, QString *error)
{
    if (index < 0 || index >= m_scenario.devices.size()) {
        if (error)
            *error = QStringLiteral("no device %1 in the scenario").arg(index + 1);
        return false;
    }
    m_ports = ports;
    if (!m_listener.bind(QHostAddress::AnyIPv4, ports.discovery)) {
        if (error)
            *error = QStringLiteral("discovery port: ") + m_listener.errorString();
        return false;
    }
    auto *d = new DeviceSim(m_scenario.devices[index], QStringLiteral("dev%1").arg(index + 1), &m_log, this);
    if (!d->start(QHostAddress::AnyIPv4, ports.http, ports.ftp, &m_listener)) {
        if (error)
            *error = QStringLiteral("device cannot listen on its ports");
        return false;
    }
    m_devices.append(d);
    return true;
}

bool Lab::startServer(const QHostAddress &address, quint16 port, QString *error)
{
    m_server = new UpdateServerSim(m_scenario.server, &m_log, this);
    if (!m_server->start(address, port)) {
        if (error)
            *error = QStringLiteral("update server cannot listen");
        return false;
    }
    m_ports.server = m_server->port();
    return true;
}

void Lab::onDatagrams()
{
    while (m_listener.hasPendingDatagrams()) {
        const QNetworkDatagram d = m_listener.receiveDatagram();
        const QHostAddress from(d.senderAddress().toIPv4Address());
        QJsonObject e{{QStringLiteral("event"), QStringLiteral("datagram")},
                      {QStringLiteral("hex"), QString::fromLatin1(d.data().toHex())},
                      {QStringLiteral("from"), from.toString()},
                      {QStringLiteral("port"), d.senderPort()},
                      {QStringLiteral("to"), QHostAddress(d.destinationAddress().toIPv4Address()).toString()}};
        if (m_devices.size() == 1)
            e.insert(QStringLiteral("device"), m_devices[0]->id());
        m_log.add(e);
        for (DeviceSim *dev : std::as_const(m_devices))
            dev->answerDiscovery(d.data(), from, quint16(d.senderPort()));
    }
}

QJsonObject Lab::describe() const
{
    QJsonArray devices;
    for (int i = 0; i < m_devices.size(); ++i) {
        devices.append(QJsonObject{{QStringLiteral("ip"), m_devices[i]->address().toString()},
                                   {QStringLiteral("mac"), m_devices[i]->macText()},
                                   {QStringLiteral("build"), m_devices[i]->build()}});
    }
    return {{QStringLiteral("discovery"), m_ports.discovery},
            {QStringLiteral("http"), m_ports.http},
            {QStringLiteral("ftp"), m_ports.ftp},
            {QStringLiteral("server"), m_ports.server},
            {QStringLiteral("serverAddress"), loopbackServerAddress().toString()},
            {QStringLiteral("devices"), devices}};
}

} // namespace lab
