#include "labfixture.h"
#include "sendftp.h"

#include <QFile>

using namespace naxo;

namespace {

using Report = std::tuple<QString, QString, int>;

struct Job {
    QObject ui;
    QList<Report> reports;
    QTemporaryDir dir;
    QString firmware;
    bool failed = false;

    explicit Job(const QByteArray &image)
    {
        firmware = dir.path() + QStringLiteral("/fw.naxo");
        QFile f(firmware);
        f.open(QIODevice::WriteOnly);
        f.write(image);
    }
    void run(const LabFixture &lab, int device, const QString &file = QString())
    {
        TSendFTP w(QString(), lab.ip(device), file.isEmpty() ? firmware : file, &ui, lab.profile);
        w.OnProgress = [this](const QString &ip, const QString &text, qint32 code) { reports.append({ip, text, code}); };
        ASSERT_TRUE(runWorker(w, 30000));
        failed = w.failed();
    }
    QStringList texts() const
    {
        QStringList out;
        for (const auto &r : reports)
            out << std::get<1>(r);
        return out;
    }
    QString lastText() const { return std::get<1>(reports.last()); }
    int lastCode() const { return std::get<2>(reports.last()); }
};

QByteArray image(int size = 300000, const QByteArray &build = "v1.2.3-45")
{
    lab::ServerConfig s;
    s.size = size;
    const QList<QByteArray> parts = build.split('-');
    s.build = QString::fromLatin1(parts[0]);
    s.buildMinor = QString::fromLatin1(parts.value(1));
    return lab::firmwareImage(s);
}

} // namespace

TEST(UpdateJob, SuccessfulUpdateReportsTheWholeSequence)
{
    lab::Scenario s = lab::defaultScenario(1);
    s.devices[0].resetMs = 300;
    LabFixture f(s);
    Job job(image());
    job.run(f, 0);
    ASSERT_FALSE(job.failed);
    for (const auto &r : job.reports)
        EXPECT_EQ(std::get<0>(r), f.ip(0));

    // Upload percentages rise from 0 to 100 at code 2, each text once.
    int i = 0;
    QList<int> percents;
    while (i < job.reports.size() && std::get<1>(job.reports[i]).startsWith(QLatin1String("Upload "))) {
        EXPECT_EQ(std::get<2>(job.reports[i]), 2);
        percents << std::get<1>(job.reports[i]).mid(7).chopped(1).toInt();
        ++i;
    }
    ASSERT_FALSE(percents.isEmpty());
    EXPECT_EQ(percents.first(), 0);
    EXPECT_EQ(percents.last(), 100);
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_EQ(QSet<int>(percents.begin(), percents.end()).size(), percents.size());

    const QList<Report> rest = job.reports.mid(i);
    const QList<Report> expected = {
        {f.ip(0), "Prepare Update", 2},
        {f.ip(0), "Prepare Update", 2},
        {f.ip(0), "Starting update\n", 2},
        {f.ip(0), "Update Script", 2},
        {f.ip(0), "Flashing rootfs\n", 2},
        {f.ip(0), "Please wait", 3},
        {f.ip(0), "Update complete, rebooting\n", 3},
        {f.ip(0), "Done! Resetting, please wait!", 4},
        {f.ip(0), "Done! Resetting, please wait!", 4},
    };
    EXPECT_EQ(rest, expected);

    // The device got exactly the file's bytes.
    const auto stored = f.events(QStringLiteral("ftp_stored"));
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(stored[0][QStringLiteral("sha256")].toString(), sha256(image()));
    EXPECT_EQ(stored[0][QStringLiteral("path")].toString(), QStringLiteral("/update/firmware.naxo"));
    EXPECT_TRUE(stored[0][QStringLiteral("binary")].toBool());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !f.events(QStringLiteral("reset_end")).isEmpty(); }, 3000));
    EXPECT_EQ(f.lab->device(0)->build(), QStringLiteral("v1.2.3-45"));

    // A second upload replaces the first.
    Job again(image(1000, "v2.0.0-1"));
    again.run(f, 0);
    EXPECT_EQ(f.events(QStringLiteral("ftp_stored")).last()[QStringLiteral("size")].toInt(), 1000);
}

TEST(UpdateJob, PieceWithBothMarkersStaysUpdateScript)
{
    lab::Scenario s = lab::defaultScenario(1);
    s.devices[0].bothMarkers = true;
    LabFixture f(s);
    Job job(image(5000));
    job.run(f, 0);
    EXPECT_FALSE(job.failed);
    EXPECT_TRUE(job.reports.contains(Report{f.ip(0), "Update Script", 2}));
    EXPECT_FALSE(job.texts().contains(QStringLiteral("Please wait")));
    EXPECT_EQ(job.lastCode(), 4);
}

TEST(UpdateJob, FailuresEndWithAClearTextAndCodeZero)
{
    lab::Scenario s = lab::defaultScenario(6);
    s.devices[0].ftpRefuse = true;
    s.devices[1].ftpStallAfter = 20000;
    s.devices[2].ftpDropAfter = 20000;
    s.devices[3].installHttpError = 500;
    s.devices[4].installError = true;
    s.devices[5].earlyDisconnect = true;
    LabFixture f(s);
    const struct {
        int device;
        const char *text;
    } cases[] = {
        {0, "Update failed: upload (refused)"},
        {1, "Update failed: upload (timeout)"},
        {2, "Update failed: upload (connection lost)"},
        {3, "Update failed: install (HTTP 500)"},
        {4, "Update failed: install (device did not confirm)"},
        {5, "Update failed: install (connection lost)"},
    };
    for (const auto &c : cases) {
        Job job(image(400000));
        job.run(f, c.device);
        EXPECT_TRUE(job.failed) << c.text;
        ASSERT_FALSE(job.reports.isEmpty()) << c.text;
        EXPECT_EQ(job.lastText(), QString::fromLatin1(c.text));
        EXPECT_EQ(job.lastCode(), 0) << c.text;
        if (c.device >= 3) {
            EXPECT_TRUE(job.texts().contains(QStringLiteral("Prepare Update"))) << c.text;
        } else {
            EXPECT_FALSE(job.texts().contains(QStringLiteral("Prepare Update"))) << c.text;
        }
        if (c.device == 5) {
            // The connection ended with an error: the Part's error text shows first.
            EXPECT_TRUE(job.texts().contains(QStringLiteral("ERROR! Please reset and try again!")));
        }
    }
    EXPECT_TRUE(f.events(QStringLiteral("reset_begin")).isEmpty());
}

TEST(UpdateJob, MissingFirmwareFileSendsNothing)
{
    LabFixture f(lab::defaultScenario(1));
    Job job(image(10));
    job.run(f, 0, job.dir.path() + QStringLiteral("/gone.naxo"));
    EXPECT_TRUE(job.failed);
    EXPECT_EQ(job.reports, QList<Report>({{f.ip(0), "Update failed: firmware file (missing)", 0}}));
    EXPECT_TRUE(f.events(QStringLiteral("ftp_login")).isEmpty());
    EXPECT_TRUE(f.events(QStringLiteral("http")).isEmpty());
}

TEST(UpdateJob, SixteenMegabyteUploadNeedsFewHandOvers)
{
    LabFixture f(lab::defaultScenario(1));
    Job job(image(16 * 1024 * 1024));
    job.run(f, 0);
    ASSERT_FALSE(job.failed);
    const qsizetype uploads = job.texts().filter(QStringLiteral("Upload ")).size();
    EXPECT_LE(uploads, 101);
    ::testing::Test::RecordProperty("handovers", int(job.reports.size()));
    ::testing::Test::RecordProperty("upload_handovers", int(uploads));
    std::printf("16 MB upload: %d hand-overs, %d of them upload percentages\n", int(job.reports.size()),
                int(uploads));
}

TEST(UpdateJob, CancelStopsTheTransferAndTheHandOvers)
{
    lab::Scenario s = lab::defaultScenario(1);
    s.devices[0].ftpBytesPerSec = 50000;
    LabFixture f(s);
    Job job(image(2000000));
    QObject ui;
    QList<QString> seen;
    TSendFTP w(QString(), f.ip(0), job.firmware, &ui, f.profile);
    w.OnProgress = [&seen](const QString &, const QString &text, qint32) { seen << text; };
    w.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !seen.isEmpty(); }, 5000));
    QElapsedTimer t;
    t.start();
    ASSERT_TRUE(cancelAndJoin({QPointer<TWorker>(&w)}, 5000));
    EXPECT_LT(t.elapsed(), 3000);
    const qsizetype after = seen.size();
    QTest::qWait(100);
    EXPECT_EQ(seen.size(), after);
    EXPECT_TRUE(w.failed());
}

TEST(UpdateJob, SlowUploadStillSucceeds)
{
    lab::Scenario s = lab::defaultScenario(1);
    s.devices[0].ftpBytesPerSec = 200000;
    s.devices[0].resetMs = 100;
    LabFixture f(s);
    Job job(image(300000));
    job.run(f, 0);
    EXPECT_FALSE(job.failed) << job.lastText().toStdString();
    EXPECT_EQ(job.lastCode(), 4);
}
