#include "mainform.h"
#include "devicegridmodel.h"
#include "discovery.h"
#include "discoverysocket.h"
#include "getstatuspage.h"
#include "glyphs.h"
#include "netadapter.h"
#include "scaledlayout.h"
#include "sendftp.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTableView>
#include <QUrl>

namespace naxo {

namespace {

constexpr int kDesignWidth = 1328;
constexpr int kDesignHeight = 543;
constexpr int kStatusBarHeight = 22;

const char kLabelStyleBlue[] = "color: #1a5fb4; font-weight: bold; font-size: 14px;";

} // namespace

QString DownloadFolder(const QString &appDataDir)
{
    QString base = appDataDir;
    if (base.isEmpty()) {
#ifdef Q_OS_WIN
        base = qEnvironmentVariable("APPDATA"); // the roaming folder, as the tool always used
#else
        base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
#endif
    }
    const QString folder = base + QStringLiteral("/") + QString::fromLatin1(kDownloadFolderName);
    if (!QFileInfo::exists(folder))
        QDir().mkpath(folder); // a failure shows later as failed downloads
    return QDir::toNativeSeparators(folder + QStringLiteral("/"));
}

TMainForm::TMainForm(TMainFormEnvironment environment, QWidget *parent)
    : QMainWindow(parent), FEnv(std::move(environment))
{
    // 1. Build the window from its design; Timer1 ticks from now on.
    buildControls();
    // 2. Private state: see the member initialisers.
    // 3. Count the Ethernet adapters.
    const int adapters = int(FEnv.adapters().size());
    // 4.
    LabelAdapterName->setText(QStringLiteral("Using Standard Network Adapter"));
    // 5.
    if (adapters > 1)
        SelectAdapter(true);
    // 6. "Close App": no folder, no socket set-up, no thread.
    if (FTerminating)
        return;
    InitMainWindow();
}

TMainForm::~TMainForm()
{
    FClosed = true;
    Timer1->stop();
    cancelAndJoin(FWorkers, FEnv.shutdownWaitMs);
    // Completion handlers still queued for this window will never run now,
    // so the workers they would have released are released here. One that
    // did not end in time is left alone: a running thread must not be freed.
    for (const QPointer<TWorker> &w : std::as_const(FWorkers)) {
        if (w && w->isFinished())
            delete w.data();
    }
    delete Grid1; // the view goes before its model
    Grid1 = nullptr;
}

void TMainForm::buildControls()
{
    setWindowTitle(QStringLiteral("NAXO Updater"));
    setObjectName(QStringLiteral("MainForm"));
    resize(kDesignWidth, kDesignHeight);
    // The design's 12-pixel text; the platform's default font is larger and
    // would crowd the grid's designed column widths.
    QFont designFont = this->font();
    designFont.setPixelSize(12);
    setFont(designFont);

    ScaledLayout1 = new TScaledLayout(kDesignWidth, kDesignHeight - kStatusBarHeight, this);
    setCentralWidget(ScaledLayout1);

    StatusBar1 = statusBar();
    StatusBar1->setSizeGripEnabled(true);
    LabelInfo = new QLabel(QStringLiteral("Info"));
    LabelInfo->setObjectName(QStringLiteral("LabelInfo"));
    StatusBar1->addWidget(LabelInfo, 1);
    ProgressBar = new QProgressBar;
    ProgressBar->setRange(0, 100);
    ProgressBar->setFixedWidth(296);
    ProgressBar->setVisible(false);
    StatusBar1->addPermanentWidget(ProgressBar);

    auto label = [this](const QString &text, const QRect &r, const char *name, bool blue) {
        auto *l = new QLabel(text);
        l->setObjectName(QString::fromLatin1(name));
        if (blue)
            l->setStyleSheet(QString::fromLatin1(kLabelStyleBlue));
        ScaledLayout1->place(l, r);
        return l;
    };
    auto button = [this](const QString &text, const QRect &r, const char *name) {
        auto *b = new QPushButton(text);
        b->setObjectName(QString::fromLatin1(name));
        ScaledLayout1->place(b, r);
        return b;
    };
    Label1 = label(QStringLiteral("Devices in the Network"), {8, 80, 300, 20}, "Label1", true);
    Label3 = label(QStringLiteral("Selected Firmware Filename:"), {170, 8, 200, 22}, "Label3", true);
    // The file name follows the caption, wherever the platform's font ends it.
    const int captionEnd = 170 + Label3->sizeHint().width() + 8;
    Label3->setMinimumWidth(0);
    ScaledLayout1->setDesignRect(Label3, {170, 8, captionEnd - 170, 22});
    LabelAktFileName = label(QStringLiteral("---"), {std::max(325, captionEnd), 8, 520, 22}, "LabelAktFileName", true);
    ButtonLoadFirmware = button(QStringLiteral("Select Firmware Manually"), {4, 8, 153, 22}, "ButtonLoadFirmware");
    ButtonSelectNetwork = button(QStringLiteral("Select Network Adapter"), {4, 40, 153, 22}, "ButtonSelectNetwork");
    LabelAdapterName = label(QStringLiteral("AdapterName"), {170, 40, 400, 22}, "LabelAdapterName", false);

    Image1 = new QLabel;
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(logo(100));
    Image1->setScaledContents(true);
    Image1->installEventFilter(this);
    ScaledLayout1->place(Image1, {1074, 3, 100, 100});

    Grid1 = new QTableView;
    Grid1->setObjectName(QStringLiteral("Grid1"));
    {
        // A MAC text must fit the designed 110 pixels.
        QFont gridFont = this->font();
        gridFont.setPixelSize(11);
        gridFont.setStretch(QFont::SemiCondensed);
        Grid1->setFont(gridFont);
    }
    FModel = new TDeviceGridModel(FDMemTable1, this);
    Grid1->setModel(FModel);
    Grid1->setItemDelegateForColumn(int(Field::Update), new TGlyphDelegate(Grid1));
    warmGlyphs(Grid1->verticalHeader()->defaultSectionSize() - 4); // not while the first rows arrive
    Grid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid1->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid1->setShowGrid(true);
    Grid1->setTabKeyNavigation(true);
    Grid1->verticalHeader()->setVisible(false);
    Grid1->verticalHeader()->setDefaultSectionSize(24);
    Grid1->horizontalHeader()->setSectionsClickable(true);
    Grid1->horizontalHeader()->setHighlightSections(false);
    Grid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    for (int c = 0; c < kFieldCount; ++c)
        Grid1->setColumnWidth(c, TDeviceGridModel::designWidth(c));
    connect(Grid1->horizontalHeader(), &QHeaderView::sectionClicked, this, &TMainForm::Grid1HeaderClick);
    connect(Grid1, &QTableView::clicked, this, [this](const QModelIndex &i) { Grid1CellClick(i.column(), i.row()); });
    connect(Grid1, &QTableView::doubleClicked, this,
            [this](const QModelIndex &i) { Grid1CellDblClick(i.column(), i.row()); });
    ScaledLayout1->place(Grid1, {4, 104, 1317, 355});

    ButtonSelectAll = button(QStringLiteral("Select all"), {16, 480, 80, 22}, "ButtonSelectAll");
    ButtonStartUpdate = button(QStringLiteral("Start Update"), {216, 482, 89, 22}, "ButtonStartUpdate");
    ButtonAktualisieren = button(QStringLiteral("Refresh"), {712, 482, 57, 22}, "ButtonAktualisieren");
    // The default button: Enter anywhere in the window presses it.
    ButtonStartUpdate->setDefault(true);
    for (int key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto *enter = new QShortcut(QKeySequence(key), this);
        connect(enter, &QShortcut::activated, this, [this] {
            if (ButtonStartUpdate->isVisible() && ButtonStartUpdate->isEnabled())
                ButtonStartUpdate->click();
        });
    }
    connect(ButtonLoadFirmware, &QPushButton::clicked, this, &TMainForm::ButtonLoadFirmwareClick);
    connect(ButtonSelectNetwork, &QPushButton::clicked, this, &TMainForm::ButtonSelectNetworkClick);
    connect(ButtonSelectAll, &QPushButton::clicked, this, &TMainForm::ButtonSelectAllClick);
    connect(ButtonStartUpdate, &QPushButton::clicked, this, &TMainForm::ButtonStartUpdateClick);
    connect(ButtonAktualisieren, &QPushButton::clicked, this, &TMainForm::ButtonAktualisierenClick);

    MCast = new DiscoverySocket(FEnv.profile, this);
    connect(MCast, &DiscoverySocket::datagramIn, this, &TMainForm::MCastDataIn);

    // Merges run a slice per event-loop pass (a zero timer lets the loop
    // paint and take input in between).
    FMergeSlice = new QTimer(this);
    FMergeSlice->setSingleShot(true);
    FMergeSlice->setInterval(0);
    connect(FMergeSlice, &QTimer::timeout, this, &TMainForm::drainMerges);

    Timer1 = new QTimer(this);
    Timer1->setInterval(kDiscoveryIntervalMs);
    connect(Timer1, &QTimer::timeout, this, &TMainForm::Timer1Timer);
    Timer1->start();
}

void TMainForm::InitMainWindow()
{
    // 7.
    FUpdateRunning = false;
    FSelectAllTag = 1;
    ButtonStartUpdate->setVisible(false);
    ButtonAktualisieren->setVisible(false);
    // 8.
    FDownloadDir = DownloadFolder(FEnv.appDataDir);
    // 9. The socket was built with the profile's ports and broadcast address;
    // it stays inactive until StartSearch.
    // 10.
    ProgressBar->setVisible(false);
    ProgressBar->setValue(0);
    // 11. The completion handler is attached before the thread can end.
    auto *check = new TLookForUpdates(FDownloadDir, this, &FAktVersion, this, FEnv.profile);
    connect(check, &QThread::finished, this, [this, check] {
        LookForUpdatesTerminate();
        check->deleteLater();
    });
    FLookForUpdates = check;
    track(check);
    check->start();
    // 12. Every column is designed visible; the model names them by field.
    FColumnVisible.fill(true);
    // 13.
    ShowCompactColumns();
}

void TMainForm::track(TWorker *worker)
{
    FWorkers.removeAll(QPointer<TWorker>());
    FWorkers.append(worker);
}

int TMainForm::runningWorkers() const
{
    int n = 0;
    for (const auto &w : FWorkers)
        n += w && w->isRunning();
    return n;
}

// ---- Adapter choice ------------------------------------------------------

void TMainForm::SelectAdapter(bool ShowCloseApp)
{
    const bool wasActive = MCast->isActive();
    if (wasActive)
        MCast->deactivate();
    TFormNetAdapter dialog(FEnv.adapters(), this);
    dialog.ButtonCloseApp->setVisible(ShowCloseApp);
    const int result = dialog.exec();
    if (result == ResultOK) {
        MCast->setLocalHost(dialog.selectedAddress());
        LabelAdapterName->setText(dialog.selectedName());
    } else if (result == ResultCancel) {
        FTerminating = true;
        QCoreApplication::quit();
    } else if (result == ResultYes) {
        MCast->setLocalHost(QString());
        LabelAdapterName->setText(QStringLiteral("Using All Network Adapters"));
    }
    FLocalHost = MCast->localHost();
    if (wasActive && !FTerminating)
        StartSearch();
}

void TMainForm::ButtonSelectNetworkClick()
{
    if (FUpdateRunning)
        return;
    SelectAdapter(false);
    if (!FTerminating)
        RefreshDevices();
}

// ---- Discovery -------------------------------------------------------------

void TMainForm::StartSearch()
{
    if (!MCast->activate()) {
        LabelAdapterName->setText(LabelAdapterName->text() + QStringLiteral(": Cannot connect!!!"));
        return;
    }
    MCast->send(DiscoveryRequest());
    LabelInfo->setText(QStringLiteral("Searching for devices in the network"));
}

void TMainForm::RefreshDevices()
{
    LabelInfo->setText(QStringLiteral("Refreshing"));
    MCast->deactivate();
    FDMemTable1.clear();
    for (const TNaxoInfo &waiting : std::as_const(FQueryQueue))
        FQueriesInFlight.remove(queryKey(waiting));
    FQueryQueue.clear(); // devices of the old search; they will answer again
    StartSearch();
}

void TMainForm::ButtonAktualisierenClick()
{
    RefreshDevices();
}

void TMainForm::Timer1Timer()
{
    if (MCast->isActive())
        MCast->send(DiscoveryRequest());
}

void TMainForm::MCastDataIn(const QByteArray &datagram, const QString &senderAddress)
{
    const auto reply = ParseDiscoveryReply(datagram);
    if (!reply)
        return;
    FReply = datagram.left(kReplyMaxRead);
    const auto verdict = FDMemTable1.discoveryCheck(reply->mac, senderAddress, reply->length, reply->position);
    if (verdict == TDeviceTable::Verdict::Unchanged)
        return;
    TNaxoInfo info;
    info.LocalHost = FLocalHost;
    info.Name = reply->name;
    info.IpAddress = senderAddress;
    info.MAC = reply->mac;
    startStatusQuery(info);
}

QString TMainForm::queryKey(const TNaxoInfo &info)
{
    return info.MAC + u'/' + info.IpAddress;
}

void TMainForm::startStatusQuery(const TNaxoInfo &info)
{
    // One query per device and address at a time: a device that answers
    // again before its query has ended needs no second one. And at most
    // kMaxStatusQueries at once, so two hundred devices found together do
    // not starve the window of CPU; the rest wait their turn in order.
    const QString key = queryKey(info);
    if (FQueriesInFlight.contains(key))
        return;
    FQueriesInFlight.insert(key);
    if (FRunningQueries >= kMaxStatusQueries) {
        FQueryQueue.append(info);
        return;
    }
    ++FRunningQueries;
    auto *query = new TGetStatusPage(info, FEnv.profile);
    connect(query, &QThread::finished, this, [this, query, key] {
        --FRunningQueries;
        FQueriesInFlight.remove(key);
        queueMerge(query); // the slice also starts the next waiting query
    });
    track(query);
    query->start(QThread::LowPriority);
}

void TMainForm::queueMerge(TGetStatusPage *worker)
{
    // Completions arrive in bursts when many devices answer at once; merge
    // them a slice per event-loop pass so the window never stalls.
    FMergeQueue.append(worker);
    if (!FMergeSlice->isActive())
        FMergeSlice->start();
}

void TMainForm::drainMerges()
{
    // A few milliseconds of work per event-loop pass, whatever the machine.
    QElapsedTimer slice;
    slice.start();
    constexpr qint64 kBudgetNs = 3'000'000;
    while (!FMergeQueue.isEmpty() && slice.nsecsElapsed() < kBudgetNs) {
        QPointer<TGetStatusPage> worker = FMergeQueue.takeFirst();
        if (!worker)
            continue;
        GetStatusPageTerminate(worker);
        worker->deleteLater();
    }
    while (!FClosed && !FQueryQueue.isEmpty() && FRunningQueries < kMaxStatusQueries
           && slice.nsecsElapsed() < kBudgetNs) {
        const TNaxoInfo next = FQueryQueue.takeFirst();
        FQueriesInFlight.remove(queryKey(next));
        startStatusQuery(next);
    }
    const bool queriesCanStart = !FQueryQueue.isEmpty() && FRunningQueries < kMaxStatusQueries;
    if (!FMergeQueue.isEmpty() || (queriesCanStart && !FClosed))
        FMergeSlice->start();
}

void TMainForm::GetStatusPageTerminate(TGetStatusPage *worker)
{
    if (!worker->succeeded() || FClosed)
        return;
    FDMemTable1.merge(worker->info(), FAktVersion.BuildNumber);
}

// ---- Update check ----------------------------------------------------------

void TMainForm::ShowStatus(const QString &text)
{
    LabelInfo->setText(text);
}

void TMainForm::ShowProgress(int percent)
{
    ProgressBar->setVisible(true);
    ProgressBar->setValue(percent);
}

void TMainForm::LookForUpdatesTerminate()
{
    FUpdateCheckDone = true;
    if (FClosed)
        return;
    ProgressBar->setVisible(false);
    LabelAktFileName->setText(FAktVersion.FileName);
    FFirmwareFile = FDownloadDir + FAktVersion.FileName;
    const UpdateCheckOutcome outcome = OutcomeOf(FAktVersion.Status);
    if (!outcome.info.isEmpty())
        LabelInfo->setText(outcome.info);
    if (!outcome.fileLabel.isEmpty())
        LabelAktFileName->setText(outcome.fileLabel);
    if (outcome.updateButtons)
        setUpdateButtonsVisible(true);
    StartSearch();
}

void TMainForm::setUpdateButtonsVisible(bool visible)
{
    ButtonStartUpdate->setVisible(visible);
    ButtonAktualisieren->setVisible(visible);
}

void TMainForm::setBatchControlsVisible(bool visible)
{
    ButtonSelectAll->setVisible(visible);
    setUpdateButtonsVisible(visible);
}

// ---- Grid ------------------------------------------------------------------

void TMainForm::Grid1HeaderClick(int column)
{
    if (column < 0 || column >= kFieldCount)
        return;
    LabelInfo->setText(FDMemTable1.sortByField(Field(column)));
}

void TMainForm::copyAddress(int row)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return; // no clipboard service: nothing is copied or shown
    const QString address = FDMemTable1.rowAt(row).IpAddress;
    clipboard->setText(address);
    LabelInfo->setText(QStringLiteral("Copy IP-Address to Clipboard: ") + address);
}

void TMainForm::Grid1CellClick(int column, int row)
{
    if (row < 0 || row >= FDMemTable1.rowCount())
        return;
    const QString header = TDeviceGridModel::header(column);
    if (header == QLatin1String("IP-Address")) {
        copyAddress(row);
        return;
    }
    if (header == QLatin1String("Update")) {
        const QString text = FDMemTable1.toggleUpdate(row, FUpdateRunning);
        if (!text.isEmpty())
            LabelInfo->setText(text);
    }
}

void TMainForm::Grid1CellDblClick(int, int row)
{
    if (row < 0 || row >= FDMemTable1.rowCount())
        return;
    const QString url = QStringLiteral("http://") + FDMemTable1.rowAt(row).IpAddress
        + QString::fromLatin1(kStatusPagePath);
    copyAddress(row);
    QDesktopServices::openUrl(QUrl(url)); // whether a browser started is not checked
}

void TMainForm::applyColumnLayout(int widthAdjust)
{
    int w = 25;
    for (int c = 0; c < kFieldCount; ++c) {
        const bool shown = !Grid1->isColumnHidden(c);
        w += shown ? TDeviceGridModel::designWidth(c) : -1;
    }
    resize(w, height());
    ScaledLayout1->setOriginalWidth(w);
    QRect logo = ScaledLayout1->designRect(Image1);
    logo.moveLeft(w - 105);
    ScaledLayout1->setDesignRect(Image1, logo);
    QRect grid = ScaledLayout1->designRect(Grid1);
    grid.setWidth(w - widthAdjust);
    ScaledLayout1->setDesignRect(Grid1, grid);
}

void TMainForm::ShowCompactColumns()
{
    for (int c = int(Field::FilterVersion); c <= int(Field::AmpFw); ++c)
        FColumnVisible[size_t(c)] = false;
    for (int c = 0; c < kFieldCount; ++c)
        Grid1->setColumnHidden(c, !FColumnVisible[size_t(c)]);
    applyColumnLayout(4);
}

void TMainForm::ShowAllColumns()
{
    for (int c = 0; c < kFieldCount; ++c)
        Grid1->setColumnHidden(c, false);
    applyColumnLayout(6);
}

bool TMainForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Image1 && event->type() == QEvent::MouseButtonDblClick)
        ShowAllColumns(); // Image1DblClick
    return QMainWindow::eventFilter(watched, event);
}

// ---- Update batch ----------------------------------------------------------

void TMainForm::ButtonStartUpdateClick()
{
    if (FUpdateRunning)
        return;
    LabelInfo->setText(QStringLiteral("Updating selected devices"));
    FRunningUpdates = 0;
    FUpdateRunning = true;
    setBatchControlsVisible(false);
    const QStringList addresses = FDMemTable1.startUpdate();
    for (const QString &ip : addresses) {
        ++FRunningUpdates;
        auto *job = new TSendFTP(FLocalHost, ip, FFirmwareFile, this, FEnv.profile);
        FSendFTP = job;
        job->OnProgress = [this](const QString &deviceIp, const QString &text, qint32 code) {
            SendFTPProgress(deviceIp, text, code);
        };
        connect(job, &QThread::finished, this, [this, job] {
            SendFTPTerminate(job);
            job->deleteLater();
        });
        track(job);
        job->start();
    }
    if (FRunningUpdates == 0) {
        FUpdateRunning = false;
        setBatchControlsVisible(true);
        ButtonSelectAll->setText(QStringLiteral("Select All"));
        FSelectAllTag = 1;
    }
}

void TMainForm::SendFTPProgress(const QString &deviceIp, const QString &text, qint32 code)
{
    if (!FClosed)
        FDMemTable1.applyReport(deviceIp, text, code);
}

void TMainForm::SendFTPTerminate(TSendFTP *job)
{
    if (FClosed)
        return;
    FDMemTable1.completeJob(job->deviceIp(), job->failed());
    if (--FRunningUpdates == 0) {
        setBatchControlsVisible(true);
        FUpdateRunning = false;
    }
}

void TMainForm::ButtonSelectAllClick()
{
    if (FUpdateRunning)
        return;
    ButtonSelectAll->setText(SelectAllStep(FDMemTable1, FSelectAllTag));
}

void TMainForm::ButtonLoadFirmwareClick()
{
    if (FUpdateRunning)
        return;
    const QString path = FEnv.chooseFirmware
        ? FEnv.chooseFirmware(this)
        : QFileDialog::getOpenFileName(this, QString(), QString(), QString::fromLatin1(kFirmwareFilter));
    if (path.isEmpty())
        return;
    FFirmwareFile = QDir::toNativeSeparators(path);
    LabelAktFileName->setText(QFileInfo(path).fileName());
    setUpdateButtonsVisible(true);
    LabelInfo->setText(QStringLiteral("NAXO Update File was selected manually"));
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    if (FUpdateRunning) {
        const bool stop = FEnv.confirmStop
            ? FEnv.confirmStop(this)
            : QMessageBox::question(this, windowTitle(),
                                    QStringLiteral("The update is in progress!\r\n Are you sure you want to stop this?"),
                                    QMessageBox::Yes | QMessageBox::No) != QMessageBox::No;
        if (!stop) {
            event->ignore();
            return;
        }
    }
    Timer1->stop();
    MCast->deactivate();
    FClosed = true;
    // Stop the jobs and wait for them (bounded), so none touches the window
    // after it is gone. A device may be left mid-update: the question warned.
    cancelAndJoin(FWorkers, FEnv.shutdownWaitMs);
    event->accept();
}

} // namespace naxo
