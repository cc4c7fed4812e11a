#include "sendftp.h"
#include "ftpclient.h"
#include "httpclient.h"

#include <QFileInfo>
#include <QStringDecoder>

namespace naxo {

TSendFTP::TSendFTP(const QString &localHost, const QString &deviceIp, const QString &firmwareFile, QObject *ui,
                   const NetworkProfile &profile, QObject *parent)
    : TWorker(ui, parent), FProfile(profile), FLocalHost(localHost), FDeviceIp(deviceIp),
      FFirmwareFile(firmwareFile), FFileExists(QFileInfo(firmwareFile).isFile())
{
}

void TSendFTP::ReportProgress()
{
    const QString ip = FDeviceIp, text = FStatusText;
    const qint32 code = FStateCode;
    ++FReports;
    handOver([this, ip, text, code] {
        if (OnProgress)
            OnProgress(ip, text, code);
    });
}

void TSendFTP::Report(const UpdateReport &report)
{
    FStatusText = report.text;
    FStateCode = report.code;
    ReportProgress();
}

void TSendFTP::Fail(const QString &step, const QString &reason)
{
    FFailed = true;
    if (isCancelled())
        return;
    FStatusText = UpdateFailedText(step, reason);
    // Code 0: the row must not look like a device that is resetting, so the
    // discovery check leaves this text standing.
    FStateCode = 0;
    ReportProgress();
}

void TSendFTP::run()
{
    if (!FFileExists) {
        Fail(QStringLiteral("firmware file"), QStringLiteral("missing"));
        return;
    }

    // 1. Upload. Time-out of inactivity: a large image over a slow link
    // is fine as long as data keeps moving.
    FtpClient ftp;
    ftp.setLocalAddress(FLocalHost);
    ftp.setTimeout(FProfile.ftpTimeoutSec, TimeoutKind::Inactivity);
    // A device confirms a stored image only after writing it, and a busy one
    // answers late; a stalled transfer still fails after the 2 s above.
    ftp.setResponseTimeout(kFtpResponseTimeoutSec);
    ftp.setCancelFlag(cancelFlag());
    ftp.onProgress = [this](int percent) {
        const QString text = UploadText(percent);
        if (text == FStatusText)
            return; // same text, no hand-over
        FStatusText = text;
        ReportProgress();
    };
    TransferError error;
    if (!ftp.upload(FFirmwareFile, FDeviceIp, FProfile.deviceFtpPort, QString::fromLatin1(kFtpRemoteDir),
                    QString::fromLatin1(kFtpRemoteFile), &error)) {
        Fail(QStringLiteral("upload"), error.reason());
        return;
    }
    FStatusText = QString::fromLatin1(kPrepareUpdate);
    ReportProgress();

    // 2. Install request. The whole exchange is bounded: the device sends
    // its reply over the time it flashes, then closes.
    HttpClient http;
    http.setLocalAddress(FLocalHost);
    http.setTimeout(FProfile.installTimeoutSec, TimeoutKind::WholeOperation);
    http.setCancelFlag(cancelFlag());
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString reply; // the whole reply, to see a marker split over two pieces
    http.onData = [this, &decoder, &reply](const QByteArray &piece) {
        const QString text = decoder.decode(piece);
        if (reply.size() < 65536)
            reply += text;
        Report(ReplyPieceReport(text, FStateCode));
    };
    http.onConnectionStatus = [this](const QString &event, int, const QString &description) {
        for (const UpdateReport &r : ConnectionStatusReports(event, description, {FStatusText, FStateCode}))
            Report(r);
    };
    if (!http.post(deviceUrl(FDeviceIp, FProfile.deviceHttpPort, kInstallPath), QByteArray(), &error)) {
        Fail(QStringLiteral("install"), error.reason());
        return;
    }
    if (!ReplyConfirmsInstall(reply)) {
        // The device closed without saying its image is ready: it will not
        // reset into the new firmware, so this must not end as a success.
        Fail(QStringLiteral("install"), QStringLiteral("device did not confirm"));
        return;
    }
    FStateCode = 4;
    ReportProgress();
}

} // namespace naxo
