#include "discoverysocket.h"

#include <QNetworkDatagram>

namespace naxo {

DiscoverySocket::DiscoverySocket(const NetworkProfile &profile, QObject *parent)
    : QObject(parent), m_profile(profile)
{
    connect(&m_socket, &QUdpSocket::readyRead, this, &DiscoverySocket::onReadyRead);
}

bool DiscoverySocket::activate()
{
    if (isActive())
        return true;
    const QHostAddress local = m_localHost.isEmpty() ? QHostAddress(QHostAddress::AnyIPv4) : QHostAddress(m_localHost);
    if (!m_localHost.isEmpty() && local.isNull())
        return false;
    // Qt allows broadcast on UDP sockets by default; ShareAddress lets a
    // second tool on the same PC listen as well.
    return m_socket.bind(local, m_profile.discoveryLocalPort,
                         QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint);
}

void DiscoverySocket::deactivate()
{
    m_socket.close();
}

bool DiscoverySocket::send(const QByteArray &datagram)
{
    return m_socket.writeDatagram(datagram, QHostAddress(m_profile.broadcastAddress),
                                  m_profile.discoveryRemotePort) == datagram.size();
}

void DiscoverySocket::onReadyRead()
{
    while (m_socket.hasPendingDatagrams()) {
        const QNetworkDatagram d = m_socket.receiveDatagram(512);
        bool ok = false;
        const quint32 v4 = d.senderAddress().toIPv4Address(&ok);
        if (ok)
            emit datagramIn(d.data(), QHostAddress(v4).toString());
    }
}

} // namespace naxo
