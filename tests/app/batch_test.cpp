#include "windowfixture.h"

#include <QFile>

using namespace naxo;

namespace {

lab::Scenario threeOutdated()
{
    lab::Scenario s = lab::defaultScenario(4);
    for (int k = 0; k < 3; ++k) {
        s.devices[k].build = QStringLiteral("v1.2.3-40");
        s.devices[k].resetMs = 700;
    }
    s.devices[3].build = QStringLiteral("v1.2.3-45"); // current
    return s;
}

} // namespace

TEST(Batch, ThreeDevicesUpdateAtOnceAndComeBack)
{
    WindowFixture w(threeOutdated());
    TMainForm &f = w.openWithRows(4);
    QList<QList<int>> codes(3);
    // Follow each row's code as the window shows it.
    QObject::connect(f.Grid1->model(), &QAbstractItemModel::dataChanged, [&] {
        for (int k = 0; k < 3; ++k) {
            const int pos = f.deviceTable().findByIp(w.lab.ip(k));
            const int code = f.deviceTable().rowAt(pos).Update;
            if (codes[k].isEmpty() || codes[k].last() != code)
                codes[k] << code;
        }
    });
    QTest::keyClick(&f, Qt::Key_Return); // Enter presses the default button
    EXPECT_TRUE(f.updateRunning());
    EXPECT_EQ(f.runningUpdates(), 3);
    EXPECT_FALSE(f.ButtonStartUpdate->isVisible());
    EXPECT_FALSE(f.ButtonSelectAll->isVisible());
    EXPECT_FALSE(f.ButtonAktualisieren->isVisible());
    EXPECT_EQ(w.info(), QStringLiteral("Updating selected devices"));

    // Clicks on Update cells and "Select all" change nothing while it runs.
    f.Grid1CellClick(1, f.deviceTable().findByIp(w.lab.ip(3)));
    EXPECT_EQ(w.row(w.lab.ip(3)).Update, 0);
    f.ButtonSelectAllClick();
    EXPECT_EQ(w.row(w.lab.ip(3)).Update, 0);

    ASSERT_TRUE(QTest::qWaitFor([&] { return !f.updateRunning(); }, 20000));
    EXPECT_TRUE(f.ButtonStartUpdate->isVisible());
    EXPECT_TRUE(f.ButtonSelectAll->isVisible());
    // Then the devices come back from their reset: "Reset OK" with the new build.
    ASSERT_TRUE(QTest::qWaitFor([&] {
        for (int k = 0; k < 3; ++k) {
            if (w.row(w.lab.ip(k)).BuildInfo != QStringLiteral("v1.2.3-45"))
                return false;
        }
        return true;
    }, 15000));
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(w.row(w.lab.ip(k)).Progress, QStringLiteral("Reset OK")) << k;
        EXPECT_EQ(w.row(w.lab.ip(k)).Update, 0) << k;
        ASSERT_GE(codes[k].size(), 3) << k;
        EXPECT_EQ(codes[k].mid(0, 3), QList<int>({2, 3, 4})) << k;
        EXPECT_EQ(codes[k].last(), 0) << k;
    }
    EXPECT_EQ(w.count(QStringLiteral("ftp_stored"), QStringLiteral("dev4")), 0) << "up-to-date device untouched";
    EXPECT_EQ(w.count(QStringLiteral("ftp_stored")), 3);
}

TEST(Batch, NothingTickedAndSelectAllCycle)
{
    lab::Scenario s = lab::defaultScenario(2);
    s.devices[0].build = s.devices[1].build = QStringLiteral("v9.0.0-1");
    WindowFixture w(s);
    TMainForm &f = w.openWithRows(2);
    f.ButtonStartUpdateClick();
    EXPECT_FALSE(f.updateRunning());
    EXPECT_EQ(w.info(), QStringLiteral("Updating selected devices"));
    EXPECT_TRUE(f.ButtonStartUpdate->isVisible());
    EXPECT_EQ(f.ButtonSelectAll->text(), QStringLiteral("Select All"));
    f.ButtonSelectAllClick();
    EXPECT_EQ(f.ButtonSelectAll->text(), QStringLiteral("Deselect All"));
    EXPECT_EQ(w.row(w.lab.ip(0)).Update, 1);
    EXPECT_EQ(w.row(w.lab.ip(1)).Update, 1);
    f.ButtonSelectAllClick();
    EXPECT_EQ(f.ButtonSelectAll->text(), QStringLiteral("Select All"));
    EXPECT_EQ(w.row(w.lab.ip(0)).Update, 0);
}

TEST(Batch, FailingDeviceKeepsItsFailureWhileOthersSucceed)
{
    lab::Scenario s = lab::defaultScenario(2);
    s.devices[0].build = s.devices[1].build = QStringLiteral("v1.0.0-1");
    s.devices[0].resetMs = 300;
    s.devices[1].ftpRefuse = true;
    WindowFixture w(s);
    TMainForm &f = w.openWithRows(2);
    f.ButtonStartUpdateClick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f.updateRunning(); }, 20000));
    EXPECT_EQ(w.row(w.lab.ip(1)).Progress, QStringLiteral("Update failed: upload (refused)"));
    EXPECT_EQ(w.row(w.lab.ip(1)).Update, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.row(w.lab.ip(0)).Progress == QStringLiteral("Reset OK"); }, 10000));
    // Later discovery rounds leave the failure standing.
    f.StartSearch();
    QTest::qWait(300);
    EXPECT_EQ(w.row(w.lab.ip(1)).Progress, QStringLiteral("Update failed: upload (refused)"));
}

TEST(Batch, CloseGuardAndManualFirmware)
{
    lab::Scenario s = lab::defaultScenario(1);
    s.devices[0].build = QStringLiteral("v1.0.0-1");
    s.devices[0].ftpBytesPerSec = 20000; // slow enough to close mid-upload
    s.server.size = 400000;
    WindowFixture w(s);
    TMainForm &f = w.openWithRows(1);

    // Manual choice: cancel keeps everything, a file replaces the catalogue's.
    const QString before = f.firmwareFile();
    f.ButtonLoadFirmwareClick();
    EXPECT_EQ(f.firmwareFile(), before);
    const QString manual = w.appData.path() + QStringLiteral("/manual.naxo");
    QFile file(manual);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(w.lab.lab->server()->image());
    file.close();
    w.firmwareChoice = manual;
    f.ButtonLoadFirmwareClick();
    EXPECT_EQ(f.firmwareFile(), QDir::toNativeSeparators(manual));
    EXPECT_EQ(f.LabelAktFileName->text(), QStringLiteral("manual.naxo"));
    EXPECT_EQ(w.info(), QStringLiteral("NAXO Update File was selected manually"));

    f.ButtonStartUpdateClick();
    ASSERT_TRUE(f.updateRunning());
    w.stopAnswer = false;
    EXPECT_FALSE(f.close());
    EXPECT_EQ(w.confirmCalls, 1);
    EXPECT_TRUE(f.isVisible());
    EXPECT_TRUE(f.updateRunning());
    f.ButtonLoadFirmwareClick();
    EXPECT_EQ(w.chooserCalls, 2) << "no manual choice while a batch runs";
    bool dialogOpened = false;
    QTimer::singleShot(100, [&dialogOpened] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            dialogOpened = true;
            modal->close();
        }
    });
    f.ButtonSelectNetworkClick();
    QTest::qWait(200);
    EXPECT_FALSE(dialogOpened) << "no adapter choice while a batch runs";

    w.stopAnswer = true;
    QElapsedTimer t;
    t.start();
    EXPECT_TRUE(f.close());
    EXPECT_LT(t.elapsed(), 5000);
    EXPECT_EQ(f.runningWorkers(), 0) << "jobs were stopped and joined";
    w.form.reset(); // nothing calls into the window after this
    QTest::qWait(200);
}
