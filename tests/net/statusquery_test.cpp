#include "getstatuspage.h"
#include "labfixture.h"

using namespace naxo;

namespace {

TNaxoInfo recordFor(const LabFixture &f, int k, const QString &localHost = QString())
{
    TNaxoInfo info;
    info.IpAddress = f.ip(k);
    info.MAC = QStringLiteral("02:AB:00:00:00:0%1").arg(k + 1);
    info.Name = QStringLiteral("from discovery");
    info.LocalHost = localHost;
    return info;
}

} // namespace

TEST(StatusQuery, NormalDeviceFillsTheRecord)
{
    lab::Scenario s = lab::defaultScenario(1);
    s.devices[0].build = QStringLiteral("v1.2.3-40");
    s.devices[0].serial = QStringLiteral("8412345");
    s.devices[0].position = 2;
    s.devices[0].length = 5;
    LabFixture f(s);
    TGetStatusPage w(recordFor(f, 0), f.profile);
    ASSERT_TRUE(runWorker(w));
    ASSERT_TRUE(w.succeeded());
    EXPECT_EQ(w.info().Modell, QStringLiteral("NAXO C 4"));
    EXPECT_EQ(w.info().SrNr, QStringLiteral("8412345"));
    EXPECT_EQ(w.info().BuildInfo, QStringLiteral("v1.2.3-40"));
    EXPECT_DOUBLE_EQ(w.info().BuildNumber, 10203.4);
    EXPECT_EQ(w.info().Position, 3);
    EXPECT_EQ(w.info().Length, 5);
    EXPECT_EQ(w.info().FPGA, QStringLiteral("F1.0"));
    EXPECT_EQ(w.info().Name, QStringLiteral("from discovery")) << "the query never changes the name";
    const auto http = f.events(QStringLiteral("http"), QStringLiteral("dev1"));
    ASSERT_EQ(http.size(), 1);
    EXPECT_EQ(http[0][QStringLiteral("method")].toString(), QStringLiteral("GET"));
    EXPECT_EQ(http[0][QStringLiteral("query")].toString(), QStringLiteral("action=200"));
}

TEST(StatusQuery, FailuresLeaveNoRecord)
{
    lab::Scenario s = lab::defaultScenario(4);
    s.devices[0].statusHttpError = 404;
    s.devices[1].statusBody = QStringLiteral("bad");
    s.devices[2].statusBody = QStringLiteral("partial");
    s.devices[3].statusHttpError = 500;
    LabFixture f(s);
    for (int k = 0; k < 4; ++k) {
        TGetStatusPage w(recordFor(f, k), f.profile);
        ASSERT_TRUE(runWorker(w));
        EXPECT_FALSE(w.succeeded()) << k;
    }
    TNaxoInfo nobody;
    nobody.IpAddress = QStringLiteral("127.0.0.250"); // no device listens there
    TGetStatusPage w(nobody, f.profile);
    ASSERT_TRUE(runWorker(w));
    EXPECT_FALSE(w.succeeded());
}

TEST(StatusQuery, SlowDeviceRunsIntoTheTimeout)
{
    lab::Scenario s = lab::defaultScenario(1);
    s.devices[0].statusDelayMs = 2600;
    LabFixture f(s);
    TGetStatusPage w(recordFor(f, 0), f.profile); // the product's 2 s
    QElapsedTimer t;
    t.start();
    ASSERT_TRUE(runWorker(w));
    EXPECT_FALSE(w.succeeded());
    EXPECT_LT(t.elapsed(), 2600);
}

TEST(StatusQuery, NumbersSentAsStrings)
{
    lab::Scenario s = lab::defaultScenario(1);
    s.devices[0].statusBody = QStringLiteral("strings");
    s.devices[0].position = 3;
    LabFixture f(s);
    TGetStatusPage w(recordFor(f, 0), f.profile);
    ASSERT_TRUE(runWorker(w));
    ASSERT_TRUE(w.succeeded());
    EXPECT_EQ(w.info().Position, 4);
    EXPECT_EQ(w.info().Length, 4);
}

TEST(StatusQuery, BindsToTheChosenLocalAddress)
{
    LabFixture f(lab::defaultScenario(1));
    TGetStatusPage w(recordFor(f, 0, QStringLiteral("127.0.0.5")), f.profile);
    ASSERT_TRUE(runWorker(w));
    ASSERT_TRUE(w.succeeded());
    EXPECT_EQ(f.events(QStringLiteral("http"))[0][QStringLiteral("from")].toString(), QStringLiteral("127.0.0.5"));
}
