#pragma once

#include "labconfig.h"

#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <functional>

namespace lab {

class EventLog;

// A small FTP server: any user and password (or anonymous), passive mode
// (PASV and EPSV), TYPE, CWD, PWD, STOR (replacing), RETR, SIZE, LIST, NLST,
// DELE, NOOP, SYST, FEAT, QUIT. Fault knobs come from the device's config.
class FtpServer : public QObject {
    Q_OBJECT
public:
    FtpServer(const DeviceConfig &config, const QString &deviceId, EventLog *log,
              QObject *parent = nullptr);
    bool listen(const QHostAddress &address, quint16 port);
    quint16 port() const { return m_server.serverPort(); }
    void close() { m_server.close(); }

    QByteArray file(const QString &path) const { return m_files.value(path); }
    std::function<void(const QString &path, const QByteArray &data)> onStored;

private:
    const DeviceConfig &m_config;
    QString m_deviceId;
    EventLog *m_log;
    QTcpServer m_server;
    QHash<QString, QByteArray> m_files;
    friend class FtpSession;
};

} // namespace lab
