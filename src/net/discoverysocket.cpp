#include "discoverysocket.h"

#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QVariant>
#include <QTimer>

namespace naxo {

DiscoverySocket::DiscoverySocket(const NetworkProfile &profile, QObject *parent)
    : QObject(parent), m_profile(profile)
{
    connect(&m_socket, &QUdpSocket::readyRead, this, &DiscoverySocket::onReadyRead);
    // A zero timer, not a posted call: it runs after the event loop has
    // looked at its other timers and input, which is the point of slicing.
    m_slice.setSingleShot(true);
    m_slice.setInterval(0);
    connect(&m_slice, &QTimer::timeout, this, &DiscoverySocket::deliverSlice);
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
    if (!m_socket.bind(local, m_profile.discoveryLocalPort,
                       QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint))
        return false;
    // Room for a burst of replies; the system may grant less.
    m_socket.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, QVariant(1 << 20));
    return true;
}

void DiscoverySocket::deactivate()
{
    m_socket.close();
    m_pending.clear(); // replies to a search that is over
}

bool DiscoverySocket::send(const QByteArray &datagram)
{
    return m_socket.writeDatagram(datagram, QHostAddress(m_profile.broadcastAddress),
                                  m_profile.discoveryRemotePort) == datagram.size();
}

void DiscoverySocket::onReadyRead()
{
    // Empty the socket at once: two hundred devices answer within a
    // millisecond, and what the kernel's buffer cannot hold is lost.
    while (m_socket.hasPendingDatagrams()) {
        const QNetworkDatagram d = m_socket.receiveDatagram(512);
        bool ok = false;
        const quint32 v4 = d.senderAddress().toIPv4Address(&ok);
        if (ok)
            m_pending.append({d.data(), QHostAddress(v4).toString()});
    }
    if (!m_pending.isEmpty() && !m_slice.isActive())
        m_slice.start();
}

void DiscoverySocket::deliverSlice()
{
    // Then hand them on a slice per event-loop pass, so the window keeps
    // painting while they are handled.
    QElapsedTimer slice;
    slice.start();
    constexpr qint64 kBudgetNs = 2'000'000;
    while (!m_pending.isEmpty() && slice.nsecsElapsed() < kBudgetNs) {
        const auto [datagram, sender] = m_pending.takeFirst();
        emit datagramIn(datagram, sender);
    }
    if (!m_pending.isEmpty() && !m_slice.isActive())
        m_slice.start();
}

} // namespace naxo
