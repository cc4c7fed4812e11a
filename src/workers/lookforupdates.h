#pragma once

#include "catalogue.h"
#include "constants.h"
#include "worker.h"

#include <QString>
#include <array>

namespace naxo {

class HttpClient;

// Where the update check shows itself; called on the UI thread only.
class TUpdateCheckView {
public:
    virtual ~TUpdateCheckView() = default;
    virtual void ShowStatus(const QString &text) = 0;     // the info label
    virtual void ShowProgress(int percent) = 0;           // the progress bar, made visible
};

// Once per run: fetch the catalogue, make sure the firmware file it names is
// in the download folder with the catalogue's size, and hand the entry with
// a status code to the window (PublishResult).
class TLookForUpdates : public TWorker {
    Q_OBJECT
public:
    // ui: an object of the UI thread that the hand-overs run on.
    TLookForUpdates(const QString &downloadDir, TUpdateCheckView *view, TAktVersions *target, QObject *ui,
                    const NetworkProfile &profile = NetworkProfile::product(), QObject *parent = nullptr);

    static QString ToUrlPath(const QString &text);
    // A missing file counts as size 0.
    static bool FileHasSize(const QString &path, qint64 size);

protected:
    void run() override;

private:
    void FetchFirmware(qint32 code, HttpClient &http, const Catalogue &catalogue);
    void ShowStatus();
    void ShowProgress();
    void PublishResult();

    NetworkProfile FProfile;
    QString FDownloadDir;
    std::array<QString, 10> FModelNames;
    TUpdateCheckView *FView;
    int FProgress = -1;
    QString FStatusText;
    std::array<TAktVersions, 10> FAktVersions;
    TAktVersions *FTarget;
};

} // namespace naxo
