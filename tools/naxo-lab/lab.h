#pragma once

#include "devicesim.h"
#include "eventlog.h"
#include "constants.h"
#include "labconfig.h"
#include "updateserversim.h"

#include <QJsonObject>
#include <QList>
#include <QUdpSocket>
#include <memory>

namespace lab {

struct LabPorts {
    quint16 discovery = 0; // where the lab takes discovery requests
    quint16 http = 0;      // every device's web service
    quint16 ftp = 0;       // every device's FTP server
    quint16 server = 0;    // the update server
};

// The tool's network profile for a lab on loopback with these ports: the
// discovery request to 127.0.0.1, any local port, the update server at
// 127.0.0.2. Tests and benchmarks point the tool at the lab with it.
naxo::NetworkProfile loopbackProfile(const LabPorts &ports);

// N devices and the update server in one process. Loopback mode puts device
// k at 127.0.0.(10+k) and the update server at 127.0.0.2; a port of 0 picks a
// free one, shared by all devices (each has its own address).
class Lab : public QObject {
    Q_OBJECT
public:
    explicit Lab(const Scenario &scenario, QObject *parent = nullptr);
    ~Lab() override;

    bool startLoopback(const LabPorts &requested = {}, QString *error = nullptr);
    // Namespace mode: one device of the scenario on all local addresses with
    // the given ports, answering discovery through its listener.
    bool startDevice(int index, const LabPorts &ports, QString *error = nullptr);
    bool startServer(const QHostAddress &address, quint16 port, QString *error = nullptr);

    static QHostAddress loopbackDeviceAddress(int index); // index from 0
    static QHostAddress loopbackServerAddress();

    const LabPorts &ports() const { return m_ports; }
    EventLog &log() { return m_log; }
    DeviceSim *device(int index) const { return m_devices.value(index); }
    int deviceCount() const { return int(m_devices.size()); }
    UpdateServerSim *server() const { return m_server; }
    const Scenario &scenario() const { return m_scenario; }
    // What the lab prints back for callers that run it as a child process.
    QJsonObject describe() const;

private:
    void onDatagrams();

    Scenario m_scenario;
    EventLog m_log;
    LabPorts m_ports;
    QUdpSocket m_listener;
    QList<DeviceSim *> m_devices;
    UpdateServerSim *m_server = nullptr;
};

} // namespace lab
