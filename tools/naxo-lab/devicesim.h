#pragma once

#include "ftpserver.h"
#include "httpserver.h"
#include "labconfig.h"

#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QUdpSocket>

namespace lab {

class EventLog;

// One simulated device: discovery answer, web service and FTP server on its
// own address. After a working install it closes the connection, stays
// silent for its reset time and comes back with the uploaded image's build.
class DeviceSim : public QObject {
    Q_OBJECT
public:
    DeviceSim(const DeviceConfig &config, const QString &id, EventLog *log, QObject *parent = nullptr);

    // replySocket: the socket to answer discovery through; null makes one
    // bound to the device's own address.
    bool start(const QHostAddress &address, quint16 httpPort, quint16 ftpPort, QUdpSocket *replySocket);
    void answerDiscovery(const QByteArray &datagram, const QHostAddress &from, quint16 port);

    quint16 httpPort() const { return m_http.port(); }
    quint16 ftpPort() const { return m_ftp.port(); }
    QHostAddress address() const { return m_address; }
    QString build() const { return m_build; }
    bool resetting() const { return m_resetting; }
    QString macText() const;
    QString id() const { return m_id; }
    const DeviceConfig &config() const { return m_config; }

private:
    void onHttp(HttpExchange *x);
    void sendStatus(HttpExchange *x);
    void install(HttpExchange *x);
    void sendPiece(QPointer<HttpExchange> x, const QList<QByteArray> &pieces, int i, bool valid,
                   const QString &newBuild);
    void beginReset(const QString &newBuild);
    void log(QJsonObject e);
    QByteArray reply();

    DeviceConfig m_config;
    QString m_id;
    EventLog *m_log;
    QHostAddress m_address;
    HttpServer m_http;
    FtpServer m_ftp;
    QUdpSocket *m_udp = nullptr;
    QString m_build;
    bool m_resetting = false;
    int m_replies = 0;
    int m_position = 0;
};

// The MAC text "02:AB:..." of 6 bytes.
QString macText(const QByteArray &mac);

} // namespace lab
