#pragma once

#include <QString>

// Every address, port, path, time-out and fixed text of the product lives
// here, so that the lab, the tests and the benchmarks can build their own
// NetworkProfile while the program itself always uses the product's one.
namespace naxo {

inline constexpr quint16 kDiscoveryPort = 9454;
inline constexpr quint16 kDeviceHttpPort = 80;
inline constexpr quint16 kDeviceFtpPort = 21;
inline constexpr int kDiscoveryIntervalMs = 2000;

inline constexpr int kStatusTimeoutSec = 2;
inline constexpr int kUpdateCheckTimeoutSec = 8;
inline constexpr int kFtpTimeoutSec = 2;
inline constexpr int kFtpResponseTimeoutSec = 10;
inline constexpr int kInstallTimeoutSec = 90;

inline constexpr char kBroadcastAddress[] = "255.255.255.255";
inline constexpr char kStatusPath[] = "/cgi-bin/naxo_webservice.cgi?action=200";
inline constexpr char kInstallPath[] = "/cgi-bin/naxo_webservice.cgi?action=102";
inline constexpr char kStatusPagePath[] = "/amp_status/";
inline constexpr char kFtpRemoteDir[] = "/update";
inline constexpr char kFtpRemoteFile[] = "firmware.naxo";
inline constexpr char kUpdateFolderPath[] = "/QW58-Remote-Updater/NAXO_Firmware/";
inline constexpr char kCatalogueName[] = "NAXOInfo";
inline constexpr char kDownloadFolderName[] = "NAXO_Downloads";
inline constexpr char kFirmwareFilter[] = "NAXO Update Files (*.naxo)";

// The update server's host name, fixed at build time (CMake NAXO_UPDATE_HOST).
QString updateHost();
// "HTTP://" + host + the firmware folder path.
QString updateFolderUrl(const QString &host);

// Where the network classes connect to. The default is the product's; only
// tests, the lab and the benchmarks build other profiles (loopback ports).
struct NetworkProfile {
    QString broadcastAddress = QString::fromLatin1(kBroadcastAddress);
    quint16 discoveryRemotePort = kDiscoveryPort;
    quint16 discoveryLocalPort = kDiscoveryPort;
    quint16 deviceHttpPort = kDeviceHttpPort;
    quint16 deviceFtpPort = kDeviceFtpPort;
    QString updateFolderUrl = naxo::updateFolderUrl(updateHost());
    int statusTimeoutSec = kStatusTimeoutSec;
    int updateCheckTimeoutSec = kUpdateCheckTimeoutSec;
    int ftpTimeoutSec = kFtpTimeoutSec;
    int installTimeoutSec = kInstallTimeoutSec;

    static const NetworkProfile &product();
};

} // namespace naxo
