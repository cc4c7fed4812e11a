#pragma once

#include "constants.h"

#include <QObject>
#include <QList>
#include <QTimer>
#include <QUdpSocket>
#include <utility>

namespace naxo {

// The discovery socket: UDP, bound to the chosen local address (empty = all)
// and port, broadcast allowed. Lives on the UI thread and delivers each
// datagram there with its sender's IPv4 address.
class DiscoverySocket : public QObject {
    Q_OBJECT
public:
    explicit DiscoverySocket(const NetworkProfile &profile = NetworkProfile::product(), QObject *parent = nullptr);

    void setLocalHost(const QString &address) { m_localHost = address; }
    QString localHost() const { return m_localHost; }
    bool isActive() const { return m_socket.state() == QAbstractSocket::BoundState; }

    // Binds the socket; false (with errorString) when that fails.
    bool activate();
    void deactivate();
    // One datagram to the broadcast address and remote port of the profile.
    bool send(const QByteArray &datagram);
    QString errorString() const { return m_socket.errorString(); }

signals:
    void datagramIn(const QByteArray &datagram, const QString &senderAddress);

private:
    void onReadyRead();
    void deliverSlice();

    NetworkProfile m_profile;
    QUdpSocket m_socket;
    QString m_localHost;
    QTimer m_slice;
    QList<std::pair<QByteArray, QString>> m_pending;
};

} // namespace naxo
