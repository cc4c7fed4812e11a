#include "devicetable.h"

#include "../qtprint.h"

#include <gtest/gtest.h>

using namespace naxo;

namespace {

TNaxoInfo device(int k, const char *build = "v1.0.0-1")
{
    TNaxoInfo i;
    i.MAC = QStringLiteral("00:00:00:00:00:%1").arg(k, 2, 10, QLatin1Char('0'));
    i.IpAddress = QStringLiteral("198.18.0.%1").arg(k);
    i.Name = QStringLiteral("amp%1").arg(k);
    i.BuildInfo = QString::fromLatin1(build);
    i.BuildNumber = 10000.0 + k; // only the comparison with the catalogue matters
    i.Length = 4;
    i.Position = 2;
    return i;
}

QStringList column(const TDeviceTable &t, Field f)
{
    QStringList out;
    for (int i = 0; i < t.rowCount(); ++i)
        out << t.rowAt(i).value(f).toString();
    return out;
}

} // namespace

TEST(DeviceTable, MergeAddsOnceAndNumbersInCompletionOrder)
{
    TDeviceTable t;
    t.merge(device(3), 0);
    t.merge(device(1), 0);
    t.merge(device(3), 0); // second query for the same device edits its row
    ASSERT_EQ(t.rowCount(), 2);
    EXPECT_EQ(column(t, Field::Nr), QStringList({"1", "2"}));
    EXPECT_EQ(column(t, Field::MAC), QStringList({"00:00:00:00:00:03", "00:00:00:00:00:01"}));
    t.clear();
    t.merge(device(7), 0);
    EXPECT_EQ(t.rowAt(0).Nr, 1) << "numbering starts again after emptying";
}

TEST(DeviceTable, MergeTicksOlderBuildsOnly)
{
    TDeviceTable t;
    TNaxoInfo older = device(1), equal = device(2), newer = device(3);
    older.BuildNumber = 20000.1;  // "-10"
    equal.BuildNumber = 20000.9;
    newer.BuildNumber = 20001.0;
    for (const auto &d : {older, equal, newer})
        t.merge(d, 20000.9);      // catalogue "-9"
    EXPECT_EQ(column(t, Field::Update), QStringList({"1", "0", "0"}));

    TDeviceTable none;
    none.merge(device(1), 0.0);
    EXPECT_EQ(none.rowAt(0).Update, 0) << "no catalogue entry selects nothing";
}

TEST(DeviceTable, MergeOverwritesTheUsersTickAndCutsTexts)
{
    TDeviceTable t;
    t.merge(device(1), 99999);
    EXPECT_EQ(t.toggleUpdate(0, false), QStringLiteral("Disable Update"));
    EXPECT_EQ(t.rowAt(0).Update, 0);
    TNaxoInfo again = device(1);
    again.Name = QString(50, u'n') + QChar(0x4E2D);
    t.merge(again, 99999);
    EXPECT_EQ(t.rowAt(0).Update, 1);
    EXPECT_EQ(t.rowAt(0).Name, QString(40, u'n'));
    EXPECT_TRUE(t.applyReport(QStringLiteral("198.18.0.1"), QString(100, u'x') , 2));
    EXPECT_EQ(t.rowAt(0).Progress.size(), 80);
    TNaxoInfo wide = device(1);
    wide.Name = QStringLiteral("Bühne ") + QChar(0x4E2D);
    t.merge(wide, 0);
    EXPECT_EQ(t.rowAt(0).Name, QStringLiteral("Bühne ?")) << "8-bit text: unknown characters become ?";
}

TEST(DeviceTable, DiscoveryCheck)
{
    TDeviceTable t;
    const QString mac = QStringLiteral("00:00:00:00:00:01"), ip = QStringLiteral("198.18.0.1");
    EXPECT_EQ(t.discoveryCheck(mac, ip, 4, 1), TDeviceTable::Verdict::New);
    t.merge(device(1), 0);
    EXPECT_EQ(t.discoveryCheck(mac, ip, 4, 1), TDeviceTable::Verdict::Unchanged) << "position 1 is row 2";
    EXPECT_EQ(t.discoveryCheck(mac, QStringLiteral("198.18.0.9"), 4, 1), TDeviceTable::Verdict::Changed);
    EXPECT_EQ(t.discoveryCheck(mac, ip, 5, 1), TDeviceTable::Verdict::Changed);
    EXPECT_EQ(t.discoveryCheck(mac, ip, 4, 2), TDeviceTable::Verdict::Changed);
    TNaxoInfo lettered = device(2);
    lettered.MAC = QStringLiteral("00:1A:2B:3C:4D:5E");
    t.merge(lettered, 0);
    EXPECT_EQ(t.discoveryCheck(lettered.MAC.toLower(), lettered.IpAddress, 4, 1),
              TDeviceTable::Verdict::New) << "MAC compared exactly, case-sensitive";

    for (int code : {2, 3, 4}) {
        t.applyReport(ip, QStringLiteral("Please wait"), code);
        const auto v = t.discoveryCheck(mac, ip, 4, 1);
        if (code == 2) {
            EXPECT_EQ(v, TDeviceTable::Verdict::Unchanged);
            EXPECT_EQ(t.rowAt(0).Progress, QStringLiteral("Please wait"));
        } else {
            EXPECT_EQ(v, TDeviceTable::Verdict::Changed);
            EXPECT_EQ(t.rowAt(0).Progress, QStringLiteral("Reset OK"));
            EXPECT_EQ(t.rowAt(0).Update, 0);
        }
    }
    t.merge(device(1), 99999);
    EXPECT_EQ(t.rowAt(0).Update, 0) << "Reset OK keeps the row unticked";
}

TEST(DeviceTable, HeaderClicksToggleTheOrder)
{
    TDeviceTable t;
    for (int k : {2, 10, 1})
        t.merge(device(k), 0);
    EXPECT_EQ(t.sortByField(Field::Nr), QStringLiteral("Descending sorting by Nr"));
    EXPECT_EQ(column(t, Field::Nr), QStringList({"3", "2", "1"}));
    EXPECT_EQ(t.sortByField(Field::Nr), QStringLiteral("Sorting by Nr"));
    EXPECT_EQ(column(t, Field::Nr), QStringList({"1", "2", "3"}));
    EXPECT_EQ(t.sortByField(Field::IpAddress), QStringLiteral("Sorting by IpAddress"));
    EXPECT_EQ(column(t, Field::IpAddress), QStringList({"198.18.0.1", "198.18.0.10", "198.18.0.2"}));
    EXPECT_EQ(t.sortByField(Field::IpAddress), QStringLiteral("Descending sorting by IpAddress"));
    // The order stays in force for rows added and changed later.
    t.merge(device(5), 0);
    EXPECT_EQ(column(t, Field::IpAddress),
              QStringList({"198.18.0.5", "198.18.0.2", "198.18.0.10", "198.18.0.1"}));
    EXPECT_EQ(t.findByMac(QStringLiteral("00:00:00:00:00:10")), 2);
}

TEST(DeviceTable, LookUpByAddressTakesFirstRowInCurrentOrder)
{
    TDeviceTable t;
    TNaxoInfo a = device(1), b = device(2);
    b.IpAddress = a.IpAddress;
    t.merge(a, 0);
    t.merge(b, 0);
    t.applyReport(a.IpAddress, QStringLiteral("Upload 5%"), 2);
    EXPECT_EQ(t.rowAt(0).Progress, QStringLiteral("Upload 5%"));
    EXPECT_EQ(t.rowAt(1).Progress, QString());
    t.sortByField(Field::Nr); // descending: row of b is first now
    t.applyReport(a.IpAddress, QStringLiteral("Upload 9%"), 2);
    EXPECT_EQ(t.rowAt(0).MAC, b.MAC);
    EXPECT_EQ(t.rowAt(0).Progress, QStringLiteral("Upload 9%"));
    EXPECT_FALSE(t.applyReport(QStringLiteral("198.18.9.9"), QStringLiteral("x"), 2));
    EXPECT_FALSE(t.completeUpdate(QStringLiteral("198.18.9.9"), 4));
}

TEST(DeviceTable, UpdateCellToggle)
{
    TDeviceTable t;
    t.merge(device(1), 0);
    for (int from : {0, 2, 3, 4}) {
        t.applyReport(QStringLiteral("198.18.0.1"), QString(), from);
        EXPECT_EQ(t.toggleUpdate(0, false), QStringLiteral("Enable Update")) << from;
        EXPECT_EQ(t.rowAt(0).Update, 1);
    }
    EXPECT_EQ(t.toggleUpdate(0, true), QString()) << "no toggle while a batch runs";
    EXPECT_EQ(t.rowAt(0).Update, 1);
    EXPECT_EQ(t.toggleUpdate(0, false), QStringLiteral("Disable Update"));
    EXPECT_EQ(t.rowAt(0).Update, 0);
}

TEST(DeviceTable, SelectAllCycleAndStartUpdateWalk)
{
    TDeviceTable t;
    for (int k = 1; k <= 4; ++k)
        t.merge(device(k), 0);
    t.applyReport(QStringLiteral("198.18.0.3"), QStringLiteral("old"), 4);
    int tag = 1;
    EXPECT_EQ(SelectAllStep(t, tag), QStringLiteral("Deselect All"));
    EXPECT_EQ(column(t, Field::Update), QStringList({"1", "1", "1", "1"}));
    EXPECT_EQ(SelectAllStep(t, tag), QStringLiteral("Select All"));
    EXPECT_EQ(column(t, Field::Update), QStringList({"0", "0", "0", "0"}));
    EXPECT_EQ(tag, 1);

    t.toggleUpdate(1, false);
    t.toggleUpdate(3, false);
    t.sortByField(Field::Update); // the walk must not lose rows when codes move them
    const QStringList jobs = t.startUpdate();
    EXPECT_EQ(jobs.size(), 2);
    EXPECT_TRUE(jobs.contains(QStringLiteral("198.18.0.2")) && jobs.contains(QStringLiteral("198.18.0.4")));
    EXPECT_EQ(column(t, Field::Update), QStringList({"0", "0", "2", "2"}));
    EXPECT_TRUE(t.startUpdate().isEmpty()) << "only code 1 starts a job";
    EXPECT_TRUE(t.completeJob(QStringLiteral("198.18.0.2"), false));
    EXPECT_EQ(t.rowAt(t.findByIp(QStringLiteral("198.18.0.2"))).Update, 4);
    t.applyReport(QStringLiteral("198.18.0.4"), QStringLiteral("Update failed: upload (timeout)"), 0);
    EXPECT_TRUE(t.completeJob(QStringLiteral("198.18.0.4"), true));
    EXPECT_EQ(t.rowAt(t.findByIp(QStringLiteral("198.18.0.4"))).Update, 0);
}

TEST(DeviceTable, ListenerSeesEveryStructuralChange)
{
    struct Recorder : TDeviceTable::Listener {
        QStringList log;
        void beginReset() override { log << "reset"; }
        void endReset() override {}
        void beginInsert(int pos) override { log << QStringLiteral("insert %1").arg(pos); }
        void endInsert() override {}
        void beginMove(int from, int to) override { log << QStringLiteral("move %1 %2").arg(from).arg(to); }
        void endMove() override {}
        void rowChanged(int pos) override { log << QStringLiteral("changed %1").arg(pos); }
    } rec;
    TDeviceTable t;
    t.setListener(&rec);
    t.merge(device(1), 0);
    t.merge(device(2), 0);
    t.sortByField(Field::Update);
    t.applyReport(QStringLiteral("198.18.0.1"), QStringLiteral("x"), 3);
    t.clear();
    EXPECT_EQ(rec.log, QStringList({"insert 0", "insert 1", "reset", "changed 0", "move 0 1", "reset"}));
}
