#pragma once

#include "constants.h"
#include "updatereply.h"
#include "worker.h"

#include <QString>
#include <functional>

namespace naxo {

// Brings one device to the firmware in one file: FTP upload, install
// request, the device's reply text, and a (device address, text, code)
// report after every step. A job that fails makes one last report
// "Update failed: <step> (<reason>)" with code 0 and says so in failed().
class TSendFTP : public TWorker {
    Q_OBJECT
public:
    TSendFTP(const QString &localHost, const QString &deviceIp, const QString &firmwareFile, QObject *ui,
             const NetworkProfile &profile = NetworkProfile::product(), QObject *parent = nullptr);

    // Set by the creator before start(); runs on the UI thread.
    std::function<void(const QString &deviceIp, const QString &text, qint32 code)> OnProgress;

    const QString &deviceIp() const { return FDeviceIp; }
    bool failed() const { return FFailed; }
    // Hand-overs made so far (for measurements).
    int reports() const { return FReports; }

protected:
    void run() override;

private:
    void ReportProgress();
    void Report(const UpdateReport &report);
    void Fail(const QString &step, const QString &reason);

    NetworkProfile FProfile;
    QString FLocalHost;
    QString FDeviceIp;
    QString FFirmwareFile;
    bool FFileExists = false;
    QString FStatusText;
    qint32 FStateCode = 2;
    bool FFailed = false;
    int FReports = 0;
};

} // namespace naxo
