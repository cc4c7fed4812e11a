#pragma once

#include "httpserver.h"
#include "labconfig.h"

namespace lab {

class EventLog;

// The update server: the firmware folder with the catalogue "NAXOInfo" and
// the firmware file it names, generated from the scenario.
class UpdateServerSim : public QObject {
    Q_OBJECT
public:
    UpdateServerSim(const ServerConfig &config, EventLog *log, QObject *parent = nullptr);
    // An unreachable server reserves its port but never listens.
    bool start(const QHostAddress &address, quint16 port);
    quint16 port() const { return m_port; }
    QByteArray image() const { return m_image; }
    QByteArray catalogue() const { return m_catalogue; }
    const ServerConfig &config() const { return m_config; }

private:
    void onHttp(HttpExchange *x);
    ServerConfig m_config;
    EventLog *m_log;
    HttpServer m_http;
    QByteArray m_image, m_catalogue;
    quint16 m_port = 0;
};

} // namespace lab
