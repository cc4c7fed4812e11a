#include "devicegridmodel.h"
#include "scaledlayout.h"
#include "windowfixture.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QHeaderView>

using namespace naxo;

namespace {

lab::Scenario mixedBuilds()
{
    lab::Scenario s = lab::defaultScenario(4);
    s.server.buildMinor = QStringLiteral("9"); // catalogue v1.2.3-9
    s.devices[0].build = QStringLiteral("v1.2.3-10"); // "-10" is older than "-9"
    s.devices[1].build = QStringLiteral("v1.2.3-9");
    s.devices[2].build = QStringLiteral("v1.2.4-1");
    s.devices[3].build = QStringLiteral("v1.2.2-99");
    return s;
}

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

} // namespace

TEST(Grid, DiscoveryFillsRowsAndTicksOlderBuilds)
{
    WindowFixture w(mixedBuilds());
    TMainForm &f = w.openWithRows(4);
    EXPECT_EQ(f.LabelAktFileName->text(), QStringLiteral("NAXO_S_v1.2.3-45.naxo"));
    EXPECT_TRUE(f.ButtonStartUpdate->isVisible());
    EXPECT_EQ(w.row(w.lab.ip(0)).Update, 1);
    EXPECT_EQ(w.row(w.lab.ip(1)).Update, 0);
    EXPECT_EQ(w.row(w.lab.ip(2)).Update, 0);
    EXPECT_EQ(w.row(w.lab.ip(3)).Update, 1);
    QList<int> nrs;
    for (int i = 0; i < 4; ++i)
        nrs << f.deviceTable().rowAt(i).Nr;
    EXPECT_EQ(nrs, QList<int>({1, 2, 3, 4})) << "rows numbered in completion order, shown by Nr";
    EXPECT_EQ(w.row(w.lab.ip(0)).Name, QStringLiteral("AMP-01"));
    EXPECT_EQ(w.row(w.lab.ip(0)).MAC, QStringLiteral("02:AB:00:00:00:01"));

    // Unchanged devices start no further query.
    const int before = w.count(QStringLiteral("http"));
    f.StartSearch();
    f.StartSearch();
    QTest::qWait(400);
    EXPECT_EQ(w.count(QStringLiteral("http")), before);
    EXPECT_GE(w.count(QStringLiteral("discovery_reply"), QStringLiteral("dev1")), 3);
}

TEST(Grid, HeaderClicksSortAndShowTheFieldName)
{
    WindowFixture w(mixedBuilds());
    TMainForm &f = w.openWithRows(4);
    f.Grid1->horizontalHeader()->sectionClicked(0);
    EXPECT_EQ(w.info(), QStringLiteral("Descending sorting by Nr"));
    EXPECT_EQ(f.deviceTable().rowAt(0).Nr, 4);
    f.Grid1HeaderClick(0);
    EXPECT_EQ(w.info(), QStringLiteral("Sorting by Nr"));
    EXPECT_EQ(f.deviceTable().rowAt(0).Nr, 1);
    f.Grid1HeaderClick(4);
    EXPECT_EQ(w.info(), QStringLiteral("Sorting by IpAddress"));
    EXPECT_EQ(f.Grid1->model()->index(0, 4).data().toString(), w.lab.ip(0));
}

TEST(Grid, UpdateCellToggleClipboardAndBrowser)
{
    WindowFixture w(mixedBuilds());
    TMainForm &f = w.openWithRows(4);
    const int row = f.deviceTable().findByIp(w.lab.ip(0));
    f.Grid1CellClick(1, row);
    EXPECT_EQ(w.info(), QStringLiteral("Disable Update"));
    EXPECT_EQ(f.deviceTable().rowAt(row).Update, 0);
    f.Grid1CellClick(1, row);
    EXPECT_EQ(w.info(), QStringLiteral("Enable Update"));
    EXPECT_EQ(f.deviceTable().rowAt(row).Update, 1);
    f.Grid1CellClick(3, row); // any other column only selects
    EXPECT_EQ(f.deviceTable().rowAt(row).Update, 1);

    f.Grid1CellClick(4, row);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), w.lab.ip(0));
    EXPECT_EQ(w.info(), QStringLiteral("Copy IP-Address to Clipboard: ") + w.lab.ip(0));

    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher, "open");
    QGuiApplication::clipboard()->clear();
    const int other = f.deviceTable().findByIp(w.lab.ip(2));
    f.Grid1CellDblClick(7, other);
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0].toString(), QStringLiteral("http://") + w.lab.ip(2) + QStringLiteral("/amp_status/"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), w.lab.ip(2));
}

TEST(Grid, CompactAndFullLayouts)
{
    WindowFixture w(lab::defaultScenario(0));
    TMainForm &f = w.open();
    EXPECT_EQ(f.ScaledLayout1->originalWidth(), 885);
    EXPECT_EQ(f.width(), 885);
    EXPECT_EQ(f.ScaledLayout1->designRect(f.Grid1).width(), 881);
    EXPECT_EQ(f.ScaledLayout1->designRect(f.Image1).x(), 780);
    for (int c = 8; c <= 12; ++c)
        EXPECT_TRUE(f.Grid1->isColumnHidden(c)) << c;
    QTest::mouseDClick(f.Image1, Qt::LeftButton);
    EXPECT_EQ(f.ScaledLayout1->originalWidth(), 1322);
    EXPECT_EQ(f.width(), 1322);
    EXPECT_EQ(f.ScaledLayout1->designRect(f.Grid1).width(), 1316);
    EXPECT_EQ(f.ScaledLayout1->designRect(f.Image1).x(), 1217);
    for (int c = 0; c < 16; ++c)
        EXPECT_FALSE(f.Grid1->isColumnHidden(c)) << c;
    EXPECT_EQ(f.Grid1->model()->headerData(15, Qt::Horizontal).toString(), QStringLiteral("Update Progress"));
    EXPECT_EQ(f.Grid1->columnWidth(15), 180);
}

TEST(Grid, RefreshEmptiesTheTableAndNumbersAgain)
{
    WindowFixture w(mixedBuilds());
    TMainForm &f = w.openWithRows(4);
    f.Grid1HeaderClick(0); // descending by Nr; the order stays after the refresh
    f.ButtonAktualisierenClick();
    EXPECT_EQ(f.deviceTable().rowCount(), 0);
    EXPECT_EQ(w.info(), QStringLiteral("Searching for devices in the network"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.deviceTable().rowCount() == 4; }, 10000));
    QList<int> nrs;
    for (int i = 0; i < 4; ++i)
        nrs << f.deviceTable().rowAt(i).Nr;
    EXPECT_EQ(nrs, QList<int>({4, 3, 2, 1}));
}

#include "grid_test.moc"
