#pragma once

#include "adapterlist.h"
#include "catalogue.h"
#include "constants.h"
#include "devicetable.h"
#include "lookforupdates.h"
#include "worker.h"

#include <QMainWindow>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <array>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTableView;

namespace naxo {

class DiscoverySocket;
class TDeviceGridModel;
class TGetStatusPage;
class TScaledLayout;
class TSendFTP;

// What the window takes from its surroundings. The program uses the
// defaults; tests inject adapters, folders, dialogs' answers and a profile
// that points at the lab.
struct TMainFormEnvironment {
    NetworkProfile profile = NetworkProfile::product();
    std::function<QList<Adapter>()> adapters = &ethernetAdapters;
    QString appDataDir;                               // empty: the platform's per-user roaming data folder
    std::function<QString(QWidget *)> chooseFirmware; // empty: the open-file dialog
    std::function<bool(QWidget *)> confirmStop;       // empty: the Yes/No box
    int shutdownWaitMs = 5000;                        // bound for joining workers at close
};

class TMainForm : public QMainWindow, public TUpdateCheckView {
    Q_OBJECT
public:
    explicit TMainForm(TMainFormEnvironment environment = {}, QWidget *parent = nullptr);
    ~TMainForm() override;

    // True when "Close App" ended the start-up: the program must not run.
    bool terminating() const { return FTerminating; }

    // Controls, named as in the window's design.
    TScaledLayout *ScaledLayout1;
    QStatusBar *StatusBar1;
    QLabel *LabelInfo;
    QProgressBar *ProgressBar;
    QLabel *Label1;
    QLabel *Label3;
    QLabel *LabelAktFileName;
    QPushButton *ButtonLoadFirmware;
    QPushButton *ButtonSelectNetwork;
    QLabel *LabelAdapterName;
    QLabel *Image1;
    QTableView *Grid1;
    QPushButton *ButtonSelectAll;
    QPushButton *ButtonStartUpdate;
    QPushButton *ButtonAktualisieren;
    QTimer *Timer1;
    DiscoverySocket *MCast;

    // Read-only views for tests and benchmarks.
    const TDeviceTable &deviceTable() const { return FDMemTable1; }
    QString downloadDir() const { return FDownloadDir; }
    QString firmwareFile() const { return FFirmwareFile; }
    bool updateRunning() const { return FUpdateRunning; }
    int runningUpdates() const { return FRunningUpdates; }
    const TAktVersions &aktVersion() const { return FAktVersion; }
    QString localHost() const { return FLocalHost; }
    int runningWorkers() const;
    bool updateCheckDone() const { return FUpdateCheckDone; }

    // Operations of the Parts, public so tests can drive them directly.
    void StartSearch();
    void RefreshDevices();
    void SelectAdapter(bool ShowCloseApp);
    void ShowCompactColumns();
    void ShowAllColumns();
    void Grid1HeaderClick(int column);
    void Grid1CellClick(int column, int row);
    void Grid1CellDblClick(int column, int row);
    void ButtonStartUpdateClick();
    void ButtonSelectAllClick();
    void ButtonLoadFirmwareClick();
    void ButtonSelectNetworkClick();
    void ButtonAktualisierenClick();
    void MCastDataIn(const QByteArray &datagram, const QString &senderAddress);

    // TUpdateCheckView
    void ShowStatus(const QString &text) override;
    void ShowProgress(int percent) override;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void InitMainWindow();
    void Timer1Timer();
    void LookForUpdatesTerminate();
    void GetStatusPageTerminate(TGetStatusPage *worker);
    void queueMerge(TGetStatusPage *worker);
    void startStatusQuery(const TNaxoInfo &info);
    static QString queryKey(const TNaxoInfo &info);
    void drainMerges();
    void SendFTPProgress(const QString &deviceIp, const QString &text, qint32 code);
    void SendFTPTerminate(TSendFTP *job);
    void setUpdateButtonsVisible(bool visible);
    void setBatchControlsVisible(bool visible);
    void applyColumnLayout(int widthAdjust);
    void track(TWorker *worker);
    void copyAddress(int row);

    TMainFormEnvironment FEnv;
    TDeviceTable FDMemTable1;
    TDeviceGridModel *FModel = nullptr;

    // The window's private state.
    QPointer<TLookForUpdates> FLookForUpdates;
    QString FDownloadDir;
    QString FFirmwareFile;
    QPointer<TSendFTP> FSendFTP;
    bool FUpdateRunning = false;
    std::array<bool, kFieldCount> FColumnVisible{};
    TAktVersions FAktVersion;
    qint32 FRunningUpdates = 0;
    QByteArray FReply; // the last reply's first 59 bytes
    QString FLocalHost;

    int FSelectAllTag = 0;
    bool FTerminating = false;
    bool FUpdateCheckDone = false;
    bool FClosed = false;
    QList<QPointer<TWorker>> FWorkers;
    QList<QPointer<TGetStatusPage>> FMergeQueue;
    QTimer *FMergeSlice = nullptr;
    static constexpr int kMaxStatusQueries = 8;
    int FRunningQueries = 0;
    QList<TNaxoInfo> FQueryQueue;
    QSet<QString> FQueriesInFlight;
};

// The per-user download folder with the platform's separator at the end.
QString DownloadFolder(const QString &appDataDir);

} // namespace naxo
