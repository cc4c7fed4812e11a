#include "lookforupdates.h"
#include "httpclient.h"
#include "versiontext.h"

#include <QFile>
#include <QFileInfo>

namespace naxo {

TLookForUpdates::TLookForUpdates(const QString &downloadDir, TUpdateCheckView *view, TAktVersions *target,
                                 QObject *ui, const NetworkProfile &profile, QObject *parent)
    : TWorker(ui, parent), FProfile(profile), FDownloadDir(downloadDir), FModelNames(ModelNames()),
      FView(view), FTarget(target)
{
}

QString TLookForUpdates::ToUrlPath(const QString &text)
{
    return naxo::ToUrlPath(text);
}

bool TLookForUpdates::FileHasSize(const QString &path, qint64 size)
{
    const QFileInfo info(path);
    return (info.exists() ? info.size() : 0) == size;
}

void TLookForUpdates::ShowStatus()
{
    const QString text = FStatusText;
    handOver([this, text] { FView->ShowStatus(text); });
}

void TLookForUpdates::ShowProgress()
{
    const int percent = FProgress;
    handOver([this, percent] { FView->ShowProgress(percent); });
}

void TLookForUpdates::PublishResult()
{
    const TAktVersions result = FAktVersions[kCatalogueModelSlot];
    handOver([this, result] { *FTarget = result; });
}

namespace {

// Reads a catalogue file; false when it cannot be read at all.
bool readCatalogue(const QString &path, Catalogue &catalogue)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    catalogue = Catalogue::fromBytes(f.readAll());
    return true;
}

} // namespace

void TLookForUpdates::run()
{
    HttpClient http;
    // Inactivity time-out: a large firmware file on a slow line must not fail
    // just for its size, while a server that stops sending still does.
    http.setTimeout(FProfile.updateCheckTimeoutSec, TimeoutKind::Inactivity);
    http.setCancelFlag(cancelFlag());
    http.onProgress = [this](int percent) {
        if (percent != FProgress) { // one hand-over per new value, not per notification
            FProgress = percent;
            ShowProgress();
        }
    };
    http.onEndTransfer = [this] {
        FProgress = 0;
        ShowProgress();
    };

    FStatusText = QStringLiteral("Download NAXO Info");
    ShowStatus();
    const QString cataloguePath = FDownloadDir + QString::fromLatin1(kCatalogueName);
    // The copy of an earlier run is replaced only by a complete download.
    if (!http.getToFile(ToUrlPath(FProfile.updateFolderUrl + QString::fromLatin1(kCatalogueName)), cataloguePath,
                        -1, nullptr)) {
        FStatusText = QStringLiteral("Server not reachable");
        ShowStatus();
    }
    if (isCancelled())
        return;
    Catalogue catalogue;
    if (!QFileInfo::exists(cataloguePath) || !readCatalogue(cataloguePath, catalogue)) {
        FAktVersions[kCatalogueModelSlot].Status = StatusNoCatalogue;
        FStatusText = QStringLiteral("Kein Server, keine lokalen Dateien");
        ShowStatus();
        PublishResult();
        return;
    }
    if (catalogue.blocked()) {
        FetchFirmware(StatusBlocked, http, catalogue);
        msleep(50);
    } else {
        FetchFirmware(StatusFetching, http, catalogue);
    }
}

void TLookForUpdates::FetchFirmware(qint32 code, HttpClient &http, const Catalogue &catalogue)
{
    TAktVersions &slot = FAktVersions[kCatalogueModelSlot];
    slot.Status = code;
    const qint64 size = catalogue.readModelEntry(FModelNames[kCatalogueModelSlot], slot);
    // Every way out: the code, a status text when there is a new one, the result.
    auto finish = [this, &slot](qint32 status, const char *text) {
        slot.Status = status;
        if (text) {
            FStatusText = QString::fromLatin1(text);
            ShowStatus();
        }
        PublishResult();
    };

    if (slot.FileName.isEmpty())
        return finish(StatusDownloadFailed, "Download Fehler"); // no entry: no file to fetch
    if (!IsPlainFileName(slot.FileName))
        return finish(StatusNoCatalogue, nullptr); // never a path outside the download folder
    const QString path = FDownloadDir + slot.FileName;
    if (QFileInfo::exists(path) && !FileHasSize(path, size))
        QFile::remove(path);
    if (!QFileInfo::exists(path)) {
        FStatusText = QStringLiteral("Download ") + slot.FileName;
        ShowStatus();
        TransferError error;
        // The name is appended unchanged: only the catalogue URL goes through ToUrlPath.
        if (!http.getToFile(FProfile.updateFolderUrl + slot.FileName, path, size, &error)) {
            if (isCancelled())
                return;
            if (error.kind == TransferError::SizeMismatch)
                return finish(StatusNoCatalogue, nullptr); // nothing was kept under the real name
            return finish(StatusDownloadFailed, "Download Fehler");
        }
    }
    finish(code == StatusFetching ? StatusReady : code, "Download Fertig");
}

} // namespace naxo
