// ./naxo bench: the real window against the lab on loopback.
//
//   naxo_bench --lab PATH --micro PATH --out FILE [--soak SECONDS]
// runs every case in a child process of its own (so each has its own peak
// memory), prints one table and writes it as JSON. A child is
//   naxo_bench --lab PATH --case discovery|batch|soak --n N [--soak SECONDS]
// and prints one JSON line.
#include "lab.h"
#include "mainform.h"
#include "probes.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QTableView>
#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTcpServer>
#include <cstdio>

using namespace naxo;

namespace {

struct LabChild {
    QProcess process;
    QJsonObject ports;
    QString log;

    bool start(const QString &labPath, const QJsonObject &scenario, const QString &dir)
    {
        const QString file = dir + QStringLiteral("/scenario.json");
        QFile f(file);
        f.open(QIODevice::WriteOnly);
        f.write(QJsonDocument(scenario).toJson());
        f.close();
        log = dir + QStringLiteral("/events.jsonl");
        // The lab stands for devices elsewhere on the network: at the lowest
        // priority it takes only CPU time the tool leaves over.
        process.start(QStringLiteral("nice"), {QStringLiteral("-n"), QStringLiteral("19"), labPath,QStringLiteral("loopback"), QStringLiteral("--scenario"), file, QStringLiteral("--log"), log});
        while (!process.canReadLine()) {
            if (!process.waitForReadyRead(10000))
                return false;
        }
        ports = QJsonDocument::fromJson(process.readLine()).object();
        return !ports.isEmpty();
    }
    ~LabChild()
    {
        process.closeWriteChannel();
        if (!process.waitForFinished(3000))
            process.kill();
        process.waitForFinished();
    }
    QList<QJsonObject> events(const QString &kind) const
    {
        QList<QJsonObject> out;
        QFile f(log);
        if (!f.open(QIODevice::ReadOnly))
            return out;
        for (const QByteArray &line : f.readAll().split('\n')) {
            const QJsonObject o = QJsonDocument::fromJson(line).object();
            if (o.value(QStringLiteral("event")).toString() == kind)
                out << o;
        }
        return out;
    }
    NetworkProfile profile() const
    {
        auto port = [this](const char *name) { return quint16(ports[QLatin1String(name)].toInt()); };
        return lab::loopbackProfile({port("discovery"), port("http"), port("ftp"), port("server")});
    }
};

QJsonObject scenario(int n, const QString &build, qint64 imageSize, int resetMs)
{
    QJsonArray devices;
    for (int i = 0; i < n; ++i)
        devices.append(QJsonObject{{QStringLiteral("build"), build}, {QStringLiteral("resetMs"), resetMs}});
    return {{QStringLiteral("count"), n},
            {QStringLiteral("devices"), devices},
            {QStringLiteral("server"), QJsonObject{{QStringLiteral("size"), double(imageSize)}}}};
}

std::unique_ptr<TMainForm> openWindow(const LabChild &lab, const QString &dataDir,
                                      const NetworkProfile *profile = nullptr)
{
    TMainFormEnvironment env;
    env.profile = profile ? *profile : lab.profile();
    env.adapters = [] { return QList<Adapter>{{QStringLiteral("lo"), QStringLiteral("127.0.0.1")}}; };
    env.appDataDir = dataDir;
    env.confirmStop = [](QWidget *) { return true; };
    auto form = std::make_unique<TMainForm>(env);
    form->show();
    return form;
}

void fail(const char *what)
{
    printf("%s\n", QJsonDocument(QJsonObject{{QStringLiteral("error"), QString::fromLatin1(what)}})
                       .toJson(QJsonDocument::Compact).constData());
    exit(1);
}

QJsonObject discoveryCase(const QString &labPath, int n)
{
    QTemporaryDir dir;
    LabChild lab;
    if (!lab.start(labPath, scenario(n, QStringLiteral("v1.2.3-45"), 10000, 500), dir.path()))
        fail("lab did not start");
    // An update server that never answers holds the search back for a
    // second, so the probe sees discovery only, not the window being built.
    QTcpServer silent;
    silent.listen(QHostAddress::LocalHost);
    NetworkProfile profile = lab.profile();
    profile.updateFolderUrl = QStringLiteral("http://127.0.0.1:%1/").arg(silent.serverPort());
    profile.updateCheckTimeoutSec = 1;
    auto form = openWindow(lab, dir.path(), &profile);
    waitMs(300);
    StallProbe probe;
    probe.start();
    qint64 doneAt = 0;
    QObject::connect(form->Grid1->model(), &QAbstractItemModel::rowsInserted, [&] {
        if (form->deviceTable().rowCount() == n && !doneAt)
            doneAt = QDateTime::currentMSecsSinceEpoch();
    });
    if (!waitUntil([&] { return doneAt != 0; }, 30000)) {
        fprintf(stderr, "rows %d of %d, workers running %d, status requests seen by the lab %d\n",
                form->deviceTable().rowCount(), n, form->runningWorkers(), int(lab.events(QStringLiteral("http")).size()));
        fail("not all rows arrived");
    }
    const double stall = probe.stop();
    const auto datagrams = lab.events(QStringLiteral("datagram"));
    const qint64 first = datagrams.isEmpty() ? doneAt : qint64(datagrams.first()[QStringLiteral("t")].toDouble());

    // Rounds once every device is known: one request, n replies, no query.
    form->Timer1->stop();
    waitMs(1000);
    const int queriesBefore = int(lab.events(QStringLiteral("http")).size());
    const int rounds = 10;
    const double cpu0 = cpuSeconds();
    for (int r = 0; r < rounds; ++r) {
        form->StartSearch();
        waitMs(300);
    }
    const double cpuPerRound = (cpuSeconds() - cpu0) / rounds * 1000.0;
    const int extraQueries = int(lab.events(QStringLiteral("http")).size()) - queriesBefore;
    return {{QStringLiteral("case"), QStringLiteral("discovery")}, {QStringLiteral("n"), n},
            {QStringLiteral("rows_ms"), double(doneAt - first)}, {QStringLiteral("stall_ms"), stall},
            {QStringLiteral("cpu_ms_per_round"), cpuPerRound}, {QStringLiteral("extra_queries"), extraQueries}};
}

double curlBaseline(const LabChild &lab, const QString &file, int n)
{
    QList<QProcess *> curls;
    QElapsedTimer t;
    t.start();
    const int port = lab.ports[QStringLiteral("ftp")].toInt();
    const QJsonArray devices = lab.ports[QStringLiteral("devices")].toArray();
    for (int i = 0; i < n; ++i) {
        auto *p = new QProcess;
        p->start(QStringLiteral("curl"), {QStringLiteral("-s"), QStringLiteral("--noproxy"), QStringLiteral("*"),
                                          QStringLiteral("--ftp-method"), QStringLiteral("singlecwd"),
                                          QStringLiteral("-T"), file,
                                          QStringLiteral("ftp://") + devices[i].toObject()[QStringLiteral("ip")].toString()
                                              + u':' + QString::number(port) + QStringLiteral("/%2Fupdate/firmware.naxo")});
        curls << p;
    }
    for (QProcess *p : curls) {
        p->waitForFinished(600000);
        delete p;
    }
    return t.elapsed() / 1000.0;
}

QJsonObject batchCase(const QString &labPath, int n)
{
    const qint64 size = 16 * 1024 * 1024;
    QTemporaryDir dir;
    LabChild lab;
    if (!lab.start(labPath, scenario(n, QStringLiteral("v1.0.0-1"), size, 500), dir.path()))
        fail("lab did not start");
    auto form = openWindow(lab, dir.path());
    if (!waitUntil([&] { return form->deviceTable().rowCount() == n; }, 60000))
        fail("not all rows arrived");
    StallProbe probe;
    probe.start();
    const qint64 t0 = QDateTime::currentMSecsSinceEpoch();
    form->ButtonStartUpdateClick();
    if (!waitUntil([&] { return !form->updateRunning(); }, 600000))
        fail("batch did not end");
    const double wall = (QDateTime::currentMSecsSinceEpoch() - t0) / 1000.0;
    const double stall = probe.stop();
    qint64 lastStored = t0;
    int stored = 0;
    for (const auto &e : lab.events(QStringLiteral("ftp_stored"))) {
        lastStored = std::max(lastStored, qint64(e[QStringLiteral("t")].toDouble()));
        stored += e[QStringLiteral("size")].toDouble() == double(size);
    }
    const double mb = double(size) * n / (1024.0 * 1024.0);
    const double toolMBps = mb / std::max(0.001, (lastStored - t0) / 1000.0);
    int failed = 0;
    QJsonArray failures;
    for (int i = 0; i < form->deviceTable().rowCount(); ++i) {
        const QString &text = form->deviceTable().rowAt(i).Progress;
        if (text.startsWith(QLatin1String("Update failed"))) {
            ++failed;
            if (!failures.contains(text))
                failures.append(text);
        }
    }
    const double peak = memoryMb("VmHWM:");
    const double curlSeconds = curlBaseline(lab, form->firmwareFile(), n);
    const double curlMBps = mb / std::max(0.001, curlSeconds);
    return {{QStringLiteral("case"), QStringLiteral("batch")}, {QStringLiteral("n"), n},
            {QStringLiteral("batch_wall_s"), wall}, {QStringLiteral("upload_s"), (lastStored - t0) / 1000.0},
            {QStringLiteral("tool_MBps"), toolMBps}, {QStringLiteral("curl_s"), curlSeconds},
            {QStringLiteral("curl_MBps"), curlMBps}, {QStringLiteral("ratio"), toolMBps / curlMBps},
            {QStringLiteral("stall_ms"), stall}, {QStringLiteral("peak_rss_mb"), peak},
            {QStringLiteral("uploads_complete"), stored}, {QStringLiteral("failed_jobs"), failed},
            {QStringLiteral("failures"), failures}};
}

QJsonObject soakCase(const QString &labPath, int n, int seconds)
{
    QTemporaryDir dir;
    LabChild lab;
    if (!lab.start(labPath, scenario(n, QStringLiteral("v1.2.3-45"), 10000, 500), dir.path()))
        fail("lab did not start");
    auto form = openWindow(lab, dir.path());
    if (!waitUntil([&] { return form->deviceTable().rowCount() == n; }, 30000))
        fail("not all rows arrived");
    waitMs(10000); // settle: a few rounds, caches warm
    const double idle = memoryMb("VmRSS:");
    waitMs(seconds * 1000);
    const double after = memoryMb("VmRSS:");
    return {{QStringLiteral("case"), QStringLiteral("soak")}, {QStringLiteral("n"), n},
            {QStringLiteral("seconds"), seconds}, {QStringLiteral("idle_rss_mb"), idle},
            {QStringLiteral("growth_mb"), after - idle}, {QStringLiteral("rows"), form->deviceTable().rowCount()}};
}

QJsonObject runChild(const QString &self, const QStringList &args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(self, args);
    p.waitForFinished(-1);
    const QList<QByteArray> lines = p.readAllStandardOutput().trimmed().split('\n');
    return QJsonDocument::fromJson(lines.last()).object();
}

QString fmt(double v, int decimals = 1)
{
    return QString::number(v, 'f', decimals);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser p;
    const QCommandLineOption lab(QStringLiteral("lab"), QStringLiteral("naxo-lab"), QStringLiteral("path"));
    const QCommandLineOption micro(QStringLiteral("micro"), QStringLiteral("naxo_microbench"), QStringLiteral("path"));
    const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("JSON file"), QStringLiteral("path"));
    const QCommandLineOption caseOpt(QStringLiteral("case"), QStringLiteral("child case"), QStringLiteral("name"));
    const QCommandLineOption n(QStringLiteral("n"), QStringLiteral("devices"), QStringLiteral("N"), QStringLiteral("50"));
    const QCommandLineOption soak(QStringLiteral("soak"), QStringLiteral("soak seconds"), QStringLiteral("s"), QStringLiteral("300"));
    p.addOptions({lab, micro, out, caseOpt, n, soak});
    p.process(app);
    const QString labPath = p.value(lab);

    if (p.isSet(caseOpt)) {
        QJsonObject r;
        const QString c = p.value(caseOpt);
        if (c == QLatin1String("discovery"))
            r = discoveryCase(labPath, p.value(n).toInt());
        else if (c == QLatin1String("batch"))
            r = batchCase(labPath, p.value(n).toInt());
        else
            r = soakCase(labPath, p.value(n).toInt(), p.value(soak).toInt());
        printf("%s\n", QJsonDocument(r).toJson(QJsonDocument::Compact).constData());
        return 0;
    }

    const QString self = QCoreApplication::applicationFilePath();
    QJsonArray results;
    auto child = [&](const QStringList &args) {
        fprintf(stderr, "bench: %s\n", qPrintable(args.join(u' ')));
        const QJsonObject r = runChild(self, QStringList{QStringLiteral("--lab"), labPath} + args);
        results.append(r);
        return r;
    };
    const QJsonObject d50 = child({QStringLiteral("--case"), QStringLiteral("discovery"), QStringLiteral("--n"), QStringLiteral("50")});
    const QJsonObject d250 = child({QStringLiteral("--case"), QStringLiteral("discovery"), QStringLiteral("--n"), QStringLiteral("250")});
    const QJsonObject b20 = child({QStringLiteral("--case"), QStringLiteral("batch"), QStringLiteral("--n"), QStringLiteral("20")});
    const QJsonObject b100 = child({QStringLiteral("--case"), QStringLiteral("batch"), QStringLiteral("--n"), QStringLiteral("100")});
    const QJsonObject s250 = child({QStringLiteral("--case"), QStringLiteral("soak"), QStringLiteral("--n"), QStringLiteral("250"),
                                    QStringLiteral("--soak"), p.value(soak)});
    QJsonObject microResults;
    if (p.isSet(micro)) {
        QProcess m;
        m.start(p.value(micro), {QStringLiteral("--benchmark_format=json"), QStringLiteral("--benchmark_min_time=0.2")});
        m.waitForFinished(-1);
        for (const auto &b : QJsonDocument::fromJson(m.readAllStandardOutput()).object()[QStringLiteral("benchmarks")].toArray())
            microResults.insert(b.toObject()[QStringLiteral("name")].toString(), b.toObject()[QStringLiteral("cpu_time")]);
        results.append(QJsonObject{{QStringLiteral("case"), QStringLiteral("micro_ns")}, {QStringLiteral("results"), microResults}});
    }

    QStringList rows;
    auto row = [&rows](const QString &what, const QString &value, const QString &target, const QString &baseline = QString()) {
        rows << QStringLiteral("| %1 | %2 | %3 | %4 |").arg(what, value, target, baseline);
    };
    rows << QStringLiteral("| measure | value | target | baseline |") << QStringLiteral("|---|---|---|---|");
    for (const QJsonObject &d : {d50, d250}) {
        const QString nn = QString::number(d[QStringLiteral("n")].toInt());
        row(QStringLiteral("discovery %1: all rows merged").arg(nn), fmt(d[QStringLiteral("rows_ms")].toDouble(), 0) + QStringLiteral(" ms"),
            nn == QLatin1String("250") ? QStringLiteral("< 2500 ms") : QStringLiteral("-"));
        row(QStringLiteral("discovery %1: longest UI stall").arg(nn), fmt(d[QStringLiteral("stall_ms")].toDouble()) + QStringLiteral(" ms"), QStringLiteral("< 16 ms"));
        row(QStringLiteral("discovery %1: CPU per round (known devices)").arg(nn), fmt(d[QStringLiteral("cpu_ms_per_round")].toDouble(), 2) + QStringLiteral(" ms"), QStringLiteral("< 5 ms"));
    }
    for (const QJsonObject &b : {b20, b100}) {
        const QString nn = QString::number(b[QStringLiteral("n")].toInt());
        row(QStringLiteral("batch %1 x 16 MB: wall time (to last completion)").arg(nn), fmt(b[QStringLiteral("batch_wall_s")].toDouble(), 2) + QStringLiteral(" s"), QStringLiteral("-"));
        row(QStringLiteral("batch %1 x 16 MB: upload throughput").arg(nn), fmt(b[QStringLiteral("tool_MBps")].toDouble()) + QStringLiteral(" MB/s (")
                + fmt(b[QStringLiteral("ratio")].toDouble(), 2) + QStringLiteral(" of curl)"),
            QStringLiteral(">= 0.9 of curl"), fmt(b[QStringLiteral("curl_MBps")].toDouble()) + QStringLiteral(" MB/s, ") + QString::number(b[QStringLiteral("n")].toInt()) + QStringLiteral(" x curl -T"));
        row(QStringLiteral("batch %1: longest UI stall").arg(nn), fmt(b[QStringLiteral("stall_ms")].toDouble()) + QStringLiteral(" ms"), QStringLiteral("< 50 ms"));
        row(QStringLiteral("batch %1: peak RSS").arg(nn), fmt(b[QStringLiteral("peak_rss_mb")].toDouble()) + QStringLiteral(" MB"), QStringLiteral("< 200 MB"));
        row(QStringLiteral("batch %1: uploads complete / failed jobs").arg(nn),
            QStringLiteral("%1 / %2").arg(b[QStringLiteral("uploads_complete")].toInt()).arg(b[QStringLiteral("failed_jobs")].toInt()),
            QStringLiteral("%1 / 0").arg(nn));
    }
    row(QStringLiteral("idle RSS, 250 rows"), fmt(s250[QStringLiteral("idle_rss_mb")].toDouble()) + QStringLiteral(" MB"), QStringLiteral("-"));
    row(QStringLiteral("RSS growth, %1 s soak, 250 devices every 2 s").arg(s250[QStringLiteral("seconds")].toInt()),
        fmt(s250[QStringLiteral("growth_mb")].toDouble(), 2) + QStringLiteral(" MB"), QStringLiteral("< 1 MB"));
    for (auto it = microResults.begin(); it != microResults.end(); ++it)
        row(QStringLiteral("micro: ") + it.key(), fmt(it.value().toDouble(), 0) + QStringLiteral(" ns"), QStringLiteral("-"));
    printf("%s\n", qPrintable(rows.join(u'\n')));

    if (p.isSet(out)) {
        QDir().mkpath(QFileInfo(p.value(out)).path());
        QFile f(p.value(out));
        if (f.open(QIODevice::WriteOnly))
            f.write(QJsonDocument(QJsonObject{{QStringLiteral("results"), results}, {QStringLiteral("table"), rows.join(u'\n')}}).toJson());
    }
    return 0;
}
