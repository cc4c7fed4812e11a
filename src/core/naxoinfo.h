#pragma once

#include <QString>

namespace naxo {

// One device's facts on their way from the discovery reply through the status
// query into the device table. A plain value record, copied whole.
struct TNaxoInfo {
    QString LocalHost; // local address the status request is bound to; empty = any
    QString Name;
    QString IpAddress;
    QString Modell;
    QString SrNr;
    QString MAC;
    QString AmpFw;
    QString SvFw;
    QString SwFw;
    QString FPGA;
    QString FilterVersion;
    qint32 Length = 0;
    qint32 Position = 0; // counted from 1
    QString BuildInfo;
    double BuildNumber = 0.0;

    bool operator==(const TNaxoInfo &) const = default;
};

} // namespace naxo
