#include "discovery.h"
#include "windowfixture.h"

#include <QDirIterator>
#include <QUdpSocket>

using namespace naxo;

namespace {

QStringList filesUnder(const QString &root)
{
    QStringList out;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(root).relativeFilePath(it.next());
    out.sort();
    return out;
}

QSet<QString> macs(const TDeviceTable &t)
{
    QSet<QString> out;
    for (int i = 0; i < t.rowCount(); ++i)
        out.insert(t.rowAt(i).MAC);
    return out;
}

} // namespace

// Odd discovery replies and status documents: which devices get a row, and
// what the row shows.
TEST(FaultMatrix, DiscoveryAndStatusFaults)
{
    lab::Scenario s = lab::defaultScenario(16);
    const char *kinds[] = {"short28", "short29", "long", "noZero", "markerLater", "silent"};
    for (int i = 0; i < 6; ++i)
        s.devices[i].replyKind = QString::fromLatin1(kinds[i]);
    s.devices[1].name = QStringLiteral("Q-name");
    s.devices[2].name = QString(40, u'L');
    s.devices[3].name = QStringLiteral("NoZero");
    s.devices[6].macOf = QStringLiteral("02AB00000008"); // shares device 8's MAC
    s.devices[8].positionStep = 1;                       // a position that changes
    s.devices[9].statusDelayMs = 2600;
    s.devices[10].statusHttpError = 404;
    s.devices[11].statusHttpError = 500;
    s.devices[12].statusBody = QStringLiteral("bad");
    s.devices[13].statusBody = QStringLiteral("partial");
    s.devices[14].statusBody = QStringLiteral("strings");
    s.devices[14].position = 2;
    WindowFixture w(s);
    TMainForm &f = w.open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.updateCheckDone(); }, 10000));
    for (int round = 0; round < 4; ++round) {
        QTest::qWait(700);
        f.StartSearch();
    }
    QTest::qWait(3000); // past the slow device's time-out
    const TDeviceTable &t = f.deviceTable();

    auto rowOf = [&](int device) { return t.findByIp(w.lab.ip(device)); };
    EXPECT_LT(rowOf(0), 0) << "28 bytes: ignored";
    ASSERT_GE(rowOf(1), 0);
    EXPECT_EQ(t.rowAt(rowOf(1)).Name, QStringLiteral("Q")) << "29 bytes: one name character";
    ASSERT_GE(rowOf(2), 0);
    EXPECT_EQ(t.rowAt(rowOf(2)).Name, QString(31, u'L')) << "longer than 59: first 59 bytes";
    ASSERT_GE(rowOf(3), 0);
    EXPECT_EQ(t.rowAt(rowOf(3)).Name, QStringLiteral("NoZero"));
    EXPECT_GE(rowOf(4), 0) << "marker not at the start still counts";
    EXPECT_LT(rowOf(5), 0) << "silent device";
    for (int d : {9, 10, 11, 12, 13})
        EXPECT_LT(rowOf(d), 0) << "failed status query: no row for device " << d + 1;
    ASSERT_GE(rowOf(14), 0);
    EXPECT_EQ(t.rowAt(rowOf(14)).Position, 3) << "numbers sent as strings";
    ASSERT_GE(t.findByMac(QStringLiteral("02:AB:00:00:00:09")), 0);
    EXPECT_GE(t.rowAt(t.findByMac(QStringLiteral("02:AB:00:00:00:09"))).Position, 2) << "position follows the device";
    EXPECT_EQ(macs(t).size(), t.rowCount()) << "one row per MAC";
    EXPECT_GE(t.findByMac(QStringLiteral("02:AB:00:00:00:08")), 0);
}

// Every update fault ends the batch, brings the buttons back and leaves a
// text that says what happened.
TEST(FaultMatrix, UpdateFaults)
{
    lab::Scenario s = lab::defaultScenario(10);
    for (auto &d : s.devices) {
        d.build = QStringLiteral("v1.0.0-1");
        d.resetMs = 400;
    }
    s.devices[0].ftpRefuse = true;
    s.devices[1].ftpStallAfter = 30000;
    s.devices[2].ftpDropAfter = 30000;
    s.devices[3].ftpBytesPerSec = 400000;
    s.devices[4].installError = true;
    s.devices[5].installHttpError = 500;
    s.devices[6].earlyDisconnect = true;
    s.devices[7].bothMarkers = true;
    s.devices[8].resetNeverEnds = true;
    // device 9: no fault
    WindowFixture w(s);
    TMainForm &f = w.openWithRows(10);
    f.ButtonStartUpdateClick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f.updateRunning(); }, 30000));
    EXPECT_TRUE(f.ButtonStartUpdate->isVisible());
    EXPECT_TRUE(f.ButtonSelectAll->isVisible());
    EXPECT_TRUE(f.ButtonAktualisieren->isVisible());
    for (int round = 0; round < 3; ++round) {
        QTest::qWait(500);
        f.StartSearch();
    }
    QTest::qWait(800);
    const struct {
        int device;
        const char *progress;
        int code;
    } expected[] = {
        {0, "Update failed: upload (refused)", 0},
        {1, "Update failed: upload (timeout)", 0},
        {2, "Update failed: upload (connection lost)", 0},
        {3, "Reset OK", 0},
        {4, "Update failed: install (device did not confirm)", 0},
        {5, "Update failed: install (HTTP 500)", 0},
        {6, "Update failed: install (connection lost)", 0},
        {7, "Reset OK", 0},
        {8, "Done! Resetting, please wait!", 4},
        {9, "Reset OK", 0},
    };
    for (const auto &e : expected) {
        const TDeviceRow &r = w.row(w.lab.ip(e.device));
        EXPECT_EQ(r.Progress, QString::fromLatin1(e.progress)) << "device " << e.device + 1;
        EXPECT_EQ(r.Update, e.code) << "device " << e.device + 1;
    }
    EXPECT_EQ(w.row(w.lab.ip(9)).BuildInfo, QStringLiteral("v1.2.3-45"));
    EXPECT_EQ(filesUnder(w.appData.path()),
              QStringList({"NAXO_Downloads/NAXOInfo", "NAXO_Downloads/NAXO_S_v1.2.3-45.naxo"}))
        << "nothing written outside the download folder";
}

// The outcome of the update check, kept in view by a search that cannot start.
TEST(FaultMatrix, UpdateServerFaults)
{
    const struct {
        const char *name;
        std::function<void(lab::ServerConfig &)> fault;
        const char *info;
        const char *file;
        bool buttons;
    } cases[] = {
        {"normal", [](lab::ServerConfig &) {}, "Server Download ready", "NAXO_S_v1.2.3-45.naxo", true},
        {"blocked", [](lab::ServerConfig &s) { s.blocked = QStringLiteral("true"); },
         "Server is maintained, try later.", "NAXO_S_v1.2.3-45.naxo", false},
        {"missing", [](lab::ServerConfig &s) { s.missingFile = true; }, "Unknown error!", "NAXO_S_v1.2.3-45.naxo", false},
        {"wrong size", [](lab::ServerConfig &s) { s.catalogueSizeDelta = 1; },
         "No server found. Select Update File manually.", "Select Update File manually!", false},
        {"blank", [](lab::ServerConfig &s) { s.fileName = QStringLiteral("fw 1.naxo"); }, "Server Download ready",
         "fw 1.naxo", true},
        {"unreachable", [](lab::ServerConfig &s) { s.unreachable = true; },
         "No server found. Select Update File manually.", "Select Update File manually!", false},
        {"unsafe name", [](lab::ServerConfig &s) { s.fileName = QStringLiteral("../../evil.naxo"); },
         "No server found. Select Update File manually.", "Select Update File manually!", false},
    };
    for (const auto &c : cases) {
        lab::Scenario s = lab::defaultScenario(0);
        c.fault(s.server);
        WindowFixture w(s);
        QUdpSocket blocker; // holds the discovery port, so the search cannot start
        ASSERT_TRUE(blocker.bind(QHostAddress::AnyIPv4, 0, QAbstractSocket::DontShareAddress));
        w.lab.profile.discoveryLocalPort = blocker.localPort();
        TMainForm &f = w.open();
        ASSERT_TRUE(QTest::qWaitFor([&] { return f.updateCheckDone(); }, 15000)) << c.name;
        EXPECT_EQ(w.info(), QString::fromLatin1(c.info)) << c.name;
        EXPECT_EQ(f.LabelAktFileName->text(), QString::fromLatin1(c.file)) << c.name;
        EXPECT_EQ(f.ButtonStartUpdate->isVisible(), c.buttons) << c.name;
        EXPECT_TRUE(f.LabelAdapterName->text().endsWith(QStringLiteral(": Cannot connect!!!"))) << c.name;
        EXPECT_TRUE(filesUnder(w.appData.path()).filter(QStringLiteral("evil")).isEmpty()) << c.name;
        EXPECT_EQ(QDir(w.appData.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                  QStringList({"NAXO_Downloads"})) << c.name;
    }
}

TEST(FaultMatrix, ClosingWithFiftyJobsRunningExitsQuickly)
{
    lab::Scenario s = lab::defaultScenario(50);
    for (auto &d : s.devices) {
        d.build = QStringLiteral("v1.0.0-1");
        d.ftpBytesPerSec = 20000;
    }
    s.server.size = 2 * 1024 * 1024;
    WindowFixture w(s);
    TMainForm &f = w.openWithRows(50);
    f.ButtonStartUpdateClick();
    EXPECT_EQ(f.runningUpdates(), 50);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.count(QStringLiteral("ftp_login")) >= 50; }, 10000));
    QElapsedTimer t;
    t.start();
    EXPECT_TRUE(f.close());
    EXPECT_LT(t.elapsed(), 5000);
    EXPECT_EQ(f.runningWorkers(), 0);
    w.form.reset();
    QTest::qWait(100);
}
